// Handlers of the Animation menu: the frame's property editor, copying its
// properties to other frames, deleting, importing, replacing and exporting
// frames, stepping through them and playing them.
#pragma once

#include "app/commands/command_host.h"

void frame_properties(CommandHost &host);
void frame_propagate_to_group(CommandHost &host);
void frame_propagate_to_animation(CommandHost &host);
void frame_delete(CommandHost &host);
void frame_import_append(CommandHost &host);
void frame_import_replace(CommandHost &host);
void frame_export(CommandHost &host);
void frame_first(CommandHost &host);
void frame_previous(CommandHost &host);
void frame_next(CommandHost &host);
void frame_end(CommandHost &host);
void frame_play(CommandHost &host);
void frame_stop(CommandHost &host);
