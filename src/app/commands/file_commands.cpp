#include "app/commands/file_commands.h"

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "platform/platform.h"

#include <IL/il.h>

#include "document/animation.h"
#include "platform/scanner.h"
#include "image/host_table.h"
#include "views/logic/property_editor_logic.h"

void file_new(CommandHost &)
{
    if (file_worker_busy())
        return;
    close_document();
    doc_view().update_title();
    doc_update_commands();
}

void file_open(CommandHost &host)
{
    if (!file_worker_busy() && open_document())
        host.watch_file_operation();
}

namespace {

void save(CommandHost &host, bool ask_name)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    // The save marks the document clean itself once the file is written.
    // View changes made while it runs (alpha view, origin mode) are drawn
    // once it has ended.
    if (save_document(ask_name ? nullptr : doc.file_name, &doc.animation, false))
        host.watch_file_operation();
}

} // namespace

void file_save(CommandHost &host) { save(host, false); }
void file_save_as(CommandHost &host) { save(host, true); }

void file_properties(CommandHost &)
{
    if (file_worker_busy())
        return;
    // One undo step holds whatever the user does in the editor, and none
    // is taken when nothing changed.
    if (property_editor_edit(&doc_state().animation.props, "File Properties"))
        doc_view().preview_refresh();
}

void file_exit(CommandHost &host) { host.exit_program(); }

void file_select_source(CommandHost &) { editor_host().select_scanner_source(); }

void file_acquire(CommandHost &)
{
    if (file_worker_busy())
        return;
    // The scan runs behind the platform's progress dialog; the document is
    // touched only once an image has arrived.
    ScannedImage scan;
    if (!editor_host().acquire_scan(scan) || scan.pixels.empty())
        return;
    DocumentState &doc = doc_state();
    doc_ensure_frame(doc);
    doc_begin_edit(1);
    host().bind_image(doc_current_frame(doc)->image);
    const bool colour = scan.channels == 3;
    ilTexImage(static_cast<ILuint>(scan.width), static_cast<ILuint>(scan.height), 1, colour ? 3 : 1,
               colour ? IL_RGB : IL_LUMINANCE, IL_UNSIGNED_BYTE, scan.pixels.data());
    // The scan's rows are top first, as every image of the program.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    doc_view().preview_refresh();
    doc_fill_group_list(doc.current_group);
    doc_update_commands();
}
