#include "app/commands/palette_commands.h"

#include "document/document_state.h"
#include "fileio/file_ops.h"
#include "platform/platform.h"

void image_edit_palette(CommandHost &)
{
    if (file_worker_busy())
        return;
    platform().show_palette_editor();
    doc_view().preview_refresh();
    doc_update_commands();
}
