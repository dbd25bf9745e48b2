#include "app/commands/navigation_commands.h"

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/dropped_files.h"
#include "app/logic/playback.h"
#include "document/document_state.h"

void group_chosen(int index)
{
    DocumentState &doc = doc_state();
    doc.current_group = index < 0 ? 0 : index;
    doc_sync_frame_slider();
    doc_view().preview_refresh();
    doc_update_commands();
}

void frame_chosen(int position)
{
    DocumentState &doc = doc_state();
    if (!doc_has_group(doc)) {
        doc.current_group = 0;
        doc.current_frame = 0;
    } else {
        const Group &g = doc.animation.groups[doc.current_group];
        doc.current_frame = position >= 0 && position < g.frame_count ? position : 0;
    }
    doc_view().preview_refresh();
}

int playback_advance()
{
    DocumentState &doc = doc_state();
    const int interval = playback_tick(&doc.animation, doc.current_group, &doc.current_frame, file_worker_busy());
    if (interval <= 0)
        return 0;
    doc_view().preview_refresh();
    doc_sync_frame_slider();
    return interval;
}

void files_dropped(const std::vector<std::string> &paths, const std::function<void(const std::string &)> &open)
{
    if (file_worker_busy() || paths.empty())
        return;
    if (paths.size() == 1)
        open(paths.front());
    else
        drop_append_frames(paths);
}
