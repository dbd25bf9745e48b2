// Handlers of the File menu.
#pragma once

#include "app/commands/command_host.h"

void file_new(CommandHost &host);   // also File > Close
void file_open(CommandHost &host);
void file_save(CommandHost &host);
void file_save_as(CommandHost &host);
void file_properties(CommandHost &host);
// File > Export: the current group as a sprite sheet with its description
// beside it, or as an animated GIF.
void file_export_sprite_sheet(CommandHost &host);
void file_export_gif(CommandHost &host);
void file_exit(CommandHost &host);
// File > TWAIN: scanning (through SANE).
void file_acquire(CommandHost &host);
void file_select_source(CommandHost &host);
