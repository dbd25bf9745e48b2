// Handlers of the Animation menu: the frame's property editor, copying its
// properties to other frames, deleting, importing, replacing and exporting
// frames, stepping through them and playing them; and what the frame strip
// does to the frames of the current group (View menu toggle, reordering,
// a duration typed into a cell).
#pragma once

#include <string>

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
void view_frame_strip(CommandHost &host);
void view_palette_panel(CommandHost &host);

// Frame `from` of the current group dropped into gap `slot` (0 before the
// first frame, the frame count after the last): one undo step, and the
// moved frame becomes current. Nothing when it moves nowhere or while a
// file operation runs.
void frame_move(int from, int slot);
// Frame `frame` of the current group gets `text` (a decimal number of
// seconds) as its "Duration", taking an undo step only when the value
// changes, as Frame Properties does. Blank text changes nothing.
void frame_set_duration(int frame, const std::string &text);
