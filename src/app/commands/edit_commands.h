// Handlers of the Edit menu.
#pragma once

#include "app/commands/command_host.h"

void edit_undo(CommandHost &host);
void edit_redo(CommandHost &host);
void edit_cut(CommandHost &host);
void edit_copy(CommandHost &host);
void edit_paste(CommandHost &host); // Paste To Current Frame
void edit_paste_as_new_frame(CommandHost &host);
// The clipboard image's grey levels become the frame's alpha channel.
void edit_paste_into_alpha(CommandHost &host);
// The frame's alpha channel goes to the clipboard as a grey image.
void edit_copy_alpha(CommandHost &host);
