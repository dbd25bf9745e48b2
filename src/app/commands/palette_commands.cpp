#include "app/commands/palette_commands.h"

#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "document/document_state.h"
#include "platform/platform.h"
#include "views/logic/palette_editor_logic.h"

void image_edit_palette(CommandHost &)
{
    if (file_worker_busy())
        return;
    editor_host().show_palette_editor();
    doc_view().preview_refresh();
    doc_update_commands();
    // The refresh put the frame's place into the status bar; a colormap
    // written from the editor is worth more than that.
    const std::string colormap = palette_editor_take_written_colormap();
    if (!colormap.empty())
        platform().set_status_text(colormap_written_text(colormap));
}
