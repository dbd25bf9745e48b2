// The paint tools as commands: choosing a tool, the brush, the selection's
// Copy, Cut, Paste and Delete, and the pointer events of the preview, all
// on the current frame of the open document. One stroke is one undo step
// named after its tool; Escape in the middle of it leaves the frame as it
// was and the history without the step.
#pragma once

#include <functional>

#include "app/commands/command_host.h"
#include "views/logic/paint_session.h"

PaintSession &paint_session();
// No tool, the first values and brush, no selection and nothing kept (the
// state at start; for tests).
void paint_reset();

// Pointer events of the preview at frame pixel (x, y): the rectangle of
// the frame whose pixels changed (to be repainted).
PaintRect paint_pointer(PaintPointer kind, int x, int y, int button, PaintModifiers mods);
// The preview's hooks into the tools, on the open document.
PaintPointerHooks paint_pointer_hooks();
// Escape: takes back the stroke or floating paste in progress; false when
// there was none (the key then does what it did before).
bool paint_cancel();
// Ends a stroke and drops a floating paste where it lies: before any other
// command, a change of frame or group, a save.
void paint_commit();
// Called when a current value changes (the eyedropper, the palette panel),
// to refresh the panel; and when the tool changes.
void set_paint_listener(std::function<void()> listener);
void paint_values_changed();

// Tools: each selects its tool (and leaves origin mode).
void tool_pencil(CommandHost &host);
void tool_eraser(CommandHost &host);
void tool_fill(CommandHost &host);
void tool_eyedropper(CommandHost &host);
void tool_line(CommandHost &host);
void tool_rectangle(CommandHost &host);
void tool_select(CommandHost &host);
// Origin mode is the tool that sets the origin: on, it replaces the paint
// tool; off, the paint tool chosen before comes back.
void tool_origin(CommandHost &host);
// Puts the check marks of the tool items and buttons.
void paint_show_tool(CommandHost &host);
void brush_larger(CommandHost &host);
void brush_smaller(CommandHost &host);
void brush_round(CommandHost &host);
void swap_values(CommandHost &host);
void select_all(CommandHost &host);
void deselect(CommandHost &host);

// The selection's part of Edit's Copy, Cut and Paste, and Del pressed on
// the picture: true when the selection tool took the command (a
// selection, or a clip to paste), false when the command keeps its
// whole-frame meaning.
bool paint_selection_copy();
bool paint_selection_cut();
bool paint_selection_paste();
bool paint_selection_delete();
