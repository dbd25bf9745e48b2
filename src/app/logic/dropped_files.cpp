#include "app/logic/dropped_files.h"

#include "app/document_controller.h"
#include "app/document_view.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "formats/format_table.h"
#include "image/image_limits.h"

void drop_append_frames(const std::vector<std::string> &paths)
{
    if (paths.empty() || file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    doc_begin_edit(1);
    if (!doc_has_group(doc)) {
        anim_add_group(&doc.animation, NO_GROUP_NAME);
        doc.current_group = doc.animation.group_count - 1;
    }
    // The document's pixel data, dropped files included, stays within the
    // budget.
    uint64_t held = anim_pixel_bytes(&doc.animation);
    for (const std::string &path : paths) {
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        if (loaded.groups && loaded.group_count > 0 && fits_pixel_budget(held, &loaded, path.c_str())) {
            held += anim_pixel_bytes(&loaded);
            group_append_frames(&doc.animation.groups[doc.current_group], &loaded.groups[0]);
        }
        anim_destroy(&loaded);
    }
    const Group &group = doc.animation.groups[doc.current_group];
    doc.current_frame = group.frame_count > 0 ? group.frame_count - 1 : 0;
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}
