#include "app/commands/file_commands.h"

#include "app/commands/document_access.h"
#include "fileio/file_ops.h"
#include "platform/platform.h"

void file_new(CommandHost &)
{
    if (file_worker_busy())
        return;
    doc_close();
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
    // One undo step holds whatever the user does in the editor.
    doc_begin_edit(1);
    platform().show_property_editor(&doc_state().animation.props, "File Properties");
    doc_view().preview_refresh();
}

void file_exit(CommandHost &host) { host.exit_program(); }
