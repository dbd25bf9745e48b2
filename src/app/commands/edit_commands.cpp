#include "app/commands/edit_commands.h"

#include <cstdlib>

#include "app/commands/document_access.h"
#include "app/commands/image_commands.h"
#include "app/commands/paint_commands.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "document/animation.h"
#include "document/props.h"
#include "platform/platform.h"
#include "image/host_table.h"

void edit_undo(CommandHost &)
{
    if (file_worker_busy() || !doc_state().undo_available)
        return;
    doc_undo();
}

void edit_redo(CommandHost &)
{
    if (file_worker_busy() || !doc_state().redo_available)
        return;
    doc_redo();
}

void edit_copy(CommandHost &)
{
    if (file_worker_busy() || paint_selection_copy())
        return;
    if (Frame *frame = doc_current_frame(doc_state()))
        editor_host().put_clipboard_image(frame->image);
}

void edit_cut(CommandHost &)
{
    if (file_worker_busy() || paint_selection_cut())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    doc_begin_edit(1);
    editor_host().put_clipboard_image(doc_current_frame(doc)->image);
    group_delete_frame(doc_current_group(doc), doc.current_frame);
    doc_sync_frame_slider();
    doc_view().preview_refresh();
    doc_update_commands();
}

void edit_paste(CommandHost &)
{
    if (file_worker_busy() || paint_selection_paste())
        return;
    DocumentState &doc = doc_state();
    doc_ensure_frame(doc);
    doc_begin_edit(1);
    // An empty clipboard leaves the image as it was; the step is taken all
    // the same.
    editor_host().get_clipboard_image(doc_current_frame(doc)->image);
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
    editor_host().get_clipboard_image(frame.image);
    host().bind_image(frame.image);
    props_set_int(&frame.props, "Origin X", host().width() / 2, PROPERTY_INTEGER);
    props_set_int(&frame.props, "Origin Y", host().height() / 2, PROPERTY_INTEGER);
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}

void edit_paste_into_alpha(CommandHost &)
{
    if (file_worker_busy())
        return;
    Frame *frame = doc_current_frame(doc_state());
    if (!frame)
        return;
    host().bind_image(frame->image);
    if (host().image_type() != IMAGE_RGBA && !ask_question(CONVERT_TO_RGBA_QUESTION))
        return;
    doc_begin_edit(1);
    frame = doc_current_frame(doc_state());
    const uint32_t pasted = host().gen_image();
    host().bind_image(pasted);
    // An empty clipboard leaves the frame as it was; the step is taken all
    // the same.
    if (editor_host().get_clipboard_image(pasted))
        frame_set_alpha_from(frame->image, pasted);
    host().delete_image(pasted);
    doc_view().preview_refresh();
}

void edit_copy_alpha(CommandHost &)
{
    if (file_worker_busy())
        return;
    const Frame *frame = doc_current_frame(doc_state());
    if (!frame)
        return;
    const uint32_t alpha = host().gen_image();
    host().bind_image(alpha);
    if (host().copy_image(frame->image)) {
        uint8_t *plane = image_alpha_plane();
        host().convert_image(IMAGE_LUMINANCE);
        if (plane)
            host().set_data(plane);
        std::free(plane);
        editor_host().put_clipboard_image(alpha);
    }
    host().delete_image(alpha);
}
