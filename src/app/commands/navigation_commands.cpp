#include "app/commands/navigation_commands.h"

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/dropped_files.h"
#include "app/logic/playback.h"
#include "document/document_state.h"
#include "quake/texture_sequences.h"

namespace {

// Set while the timer steps through a texture sequence rather than through
// the current group's frames.
bool playing_sequence = false;

} // namespace

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

int playback_advance(CommandHost &host)
{
    DocumentState &doc = doc_state();
    if (playing_sequence) {
        // The sequence is found again at every step, so that a rename, a
        // deletion or the choice of another group is followed: a group in
        // no sequence ends the playback.
        const int next = file_worker_busy() ? -1 : playback_sequence_next(&doc.animation, doc.current_group);
        if (next < 0) {
            playing_sequence = false;
            return 0;
        }
        host.select_group(next);
        return TEXTURE_SEQUENCE_INTERVAL_MS;
    }
    const int interval = playback_tick(&doc.animation, doc.current_group, &doc.current_frame, file_worker_busy());
    if (interval <= 0)
        return 0;
    doc_view().preview_refresh();
    doc_sync_frame_slider();
    return interval;
}

bool sequence_play(CommandHost &host)
{
    const DocumentState &doc = doc_state();
    if (file_worker_busy() || playback_sequence_next(&doc.animation, doc.current_group) < 0)
        return false;
    playing_sequence = true;
    host.start_playback_timer(TEXTURE_SEQUENCE_INTERVAL_MS);
    return true;
}

void playback_ended() { playing_sequence = false; }

void files_dropped(const std::vector<std::string> &paths, const std::function<void(const std::string &)> &open)
{
    if (file_worker_busy() || paths.empty())
        return;
    if (paths.size() == 1)
        open(paths.front());
    else
        drop_append_frames(paths);
}
