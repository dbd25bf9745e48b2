#include "app/commands/edit_commands.h"

#include "app/commands/document_access.h"
#include "document/animation.h"
#include "document/props.h"
#include "fileio/file_ops.h"
#include "platform/platform.h"
#include "plugins/host_table.h"

void edit_undo(CommandHost &)
{
    if (file_worker_busy() || !doc_state().undo_available)
        return;
    doc_undo();
}

void edit_copy(CommandHost &)
{
    if (file_worker_busy())
        return;
    if (Frame *frame = doc_current_frame(doc_state()))
        platform().put_clipboard_image(frame->image);
}

void edit_cut(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    doc_begin_edit(1);
    platform().put_clipboard_image(doc_current_frame(doc)->image);
    group_delete_frame(doc_current_group(doc), doc.current_frame);
    doc_sync_frame_slider();
    doc_view().preview_refresh();
    doc_update_commands();
}

void edit_paste(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    Group *group = doc_ensure_group(doc);
    if (group->frame_count == 0) {
        group_reset_frames(group, 1);
        doc.current_frame = 0;
    }
    if (!doc_has_frame(doc))
        doc.current_frame = 0;
    doc_begin_edit(1);
    // An empty clipboard leaves the image as it was; the step is taken all
    // the same.
    platform().get_clipboard_image(doc_current_frame(doc)->image);
    doc_view().preview_refresh();
    doc_fill_group_list(doc.current_group);
    doc_update_commands();
}

void edit_paste_as_new_frame(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    doc_begin_edit(1);
    Group *group = doc_ensure_group(doc);
    doc.current_frame = group_append_frame(group);
    Frame &frame = group->frames[doc.current_frame];
    platform().get_clipboard_image(frame.image);
    host().bind_image(frame.image);
    props_set_int(&frame.props, "Origin X", host().width() / 2, PROPERTY_INTEGER);
    props_set_int(&frame.props, "Origin Y", host().height() / 2, PROPERTY_INTEGER);
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}
