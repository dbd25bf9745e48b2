// Handler of the Image menu's palette editor.
#pragma once

#include "app/commands/command_host.h"

// Edit Palette: the palette editor (also without a document or a frame),
// then the preview refreshed. Does nothing while a file operation runs.
void image_edit_palette(CommandHost &host);
