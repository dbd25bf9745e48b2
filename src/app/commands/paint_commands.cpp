#include "app/commands/paint_commands.h"

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/command_ids.h"
#include "document/document_state.h"
#include "platform/platform.h"
#include "views/logic/preview_logic.h"

namespace {

std::function<void()> paint_listener;
PaintTool tool_before_origin = PaintTool::None;

void tell_listener()
{
    if (paint_listener)
        paint_listener();
}

PaintSession make_session()
{
    PaintSession::Host host;
    host.begin_edit = [](const char *label) {
        if (file_worker_busy())
            return false;
        doc_begin_edit(1, label);
        return true;
    };
    host.cancel_edit = [] { doc_cancel_edit(); };
    // The preview has repainted the stroke as it went; the thumbnails of
    // the browser and the strip follow at the end.
    host.end_edit = [] { doc_view().preview_refresh(); };
    host.values_changed = tell_listener;
    host.status = [](const char *text) { platform().set_status_text(text); };
    return PaintSession(std::move(host));
}

// The current frame's pixels, for a tool; false (with a word in the status
// bar when it is the frame's kind that stops it) when there is none to paint.
bool current_buffer(PaintBuffer *buf)
{
    if (file_worker_busy())
        return false;
    Frame *frame = doc_current_frame(doc_state());
    if (!frame || !frame->image)
        return false;
    if (paint_buffer_of_image(frame->image, buf))
        return true;
    platform().set_status_text("The paint tools work on 8-bit paletted and 32-bit RGBA frames: change the frame's "
                               "colour depth first.");
    return false;
}

void choose(CommandHost &host, PaintTool tool)
{
    paint_commit();
    if (origin_mode) {
        origin_mode = 0;
        host.set_origin_mode(false);
    }
    paint_session().set_tool(tool);
    paint_show_tool(host);
    tell_listener();
}

} // namespace

PaintSession &paint_session()
{
    static PaintSession session = make_session();
    return session;
}

void paint_reset() { paint_session() = make_session(); }

void set_paint_listener(std::function<void()> listener) { paint_listener = std::move(listener); }

void paint_values_changed() { tell_listener(); }

PaintRect paint_pointer(PaintPointer kind, int x, int y, int button, PaintModifiers mods)
{
    PaintSession &session = paint_session();
    PaintBuffer buf;
    // A frame that can no longer be painted (a worker took the document)
    // ends the stroke where it is.
    if (!current_buffer(&buf)) {
        if (session.pressed())
            session.commit();
        return {};
    }
    switch (kind) {
    case PaintPointer::Press:
        return session.press(buf, x, y, button, mods);
    case PaintPointer::Move:
        return session.move(buf, x, y);
    case PaintPointer::Release:
        return session.release(buf, x, y);
    }
    return {};
}

PaintPointerHooks paint_pointer_hooks()
{
    PaintPointerHooks hooks;
    hooks.active = [] {
        const PaintTool tool = paint_session().tool();
        return tool != PaintTool::None && tool != PaintTool::Origin;
    };
    hooks.handler = paint_pointer;
    hooks.selection = [] { return paint_session().selection(); };
    hooks.escape = paint_cancel;
    hooks.enter = paint_commit;
    hooks.delete_selection = [] { paint_selection_delete(); };
    return hooks;
}

bool paint_cancel()
{
    PaintSession &session = paint_session();
    if (!session.editing() && !session.pressed())
        return false;
    PaintBuffer buf;
    if (!current_buffer(&buf))
        buf = PaintBuffer{};
    session.cancel(buf);
    // The cancelled step has been dropped through the history, which
    // refreshes the preview; a selection let go needs a repaint of its own.
    doc_view().preview_refresh();
    return true;
}

void paint_commit() { paint_session().commit(); }

void paint_show_tool(CommandHost &host)
{
    static constexpr struct {
        int command;
        PaintTool tool;
    } items[] = {
        {IDM_TOOL_PENCIL, PaintTool::Pencil},         {IDM_TOOL_ERASER, PaintTool::Eraser},
        {IDM_TOOL_FILL, PaintTool::Fill},             {IDM_TOOL_EYEDROPPER, PaintTool::Eyedropper},
        {IDM_TOOL_LINE, PaintTool::Line},             {IDM_TOOL_RECTANGLE, PaintTool::Rectangle},
        {IDM_TOOL_SELECT, PaintTool::Select},
    };
    const PaintTool tool = paint_session().tool();
    for (const auto &item : items)
        host.set_checked(item.command, tool == item.tool);
    host.set_checked(IDM_ORIGIN_MODE, origin_mode != 0);
    host.set_checked(IDM_BRUSH_ROUND, paint_session().brush.shape == BrushShape::Round);
}

void tool_pencil(CommandHost &host) { choose(host, PaintTool::Pencil); }
void tool_eraser(CommandHost &host) { choose(host, PaintTool::Eraser); }
void tool_fill(CommandHost &host) { choose(host, PaintTool::Fill); }
void tool_eyedropper(CommandHost &host) { choose(host, PaintTool::Eyedropper); }
void tool_line(CommandHost &host) { choose(host, PaintTool::Line); }
void tool_rectangle(CommandHost &host) { choose(host, PaintTool::Rectangle); }
void tool_select(CommandHost &host) { choose(host, PaintTool::Select); }

void tool_origin(CommandHost &host)
{
    paint_commit();
    PaintSession &session = paint_session();
    const bool on = origin_mode == 0;
    origin_mode = on ? 1 : 0;
    if (on) {
        tool_before_origin = session.tool() == PaintTool::Origin ? PaintTool::None : session.tool();
        session.set_tool(PaintTool::Origin);
    } else {
        session.set_tool(tool_before_origin);
    }
    host.set_origin_mode(on);
    paint_show_tool(host);
    tell_listener();
}

void brush_larger(CommandHost &)
{
    Brush &brush = paint_session().brush;
    if (brush.size < BRUSH_MAX)
        ++brush.size;
    tell_listener();
}

void brush_smaller(CommandHost &)
{
    Brush &brush = paint_session().brush;
    if (brush.size > BRUSH_MIN)
        --brush.size;
    tell_listener();
}

void brush_round(CommandHost &host)
{
    Brush &brush = paint_session().brush;
    brush.shape = brush.shape == BrushShape::Round ? BrushShape::Square : BrushShape::Round;
    paint_show_tool(host);
    tell_listener();
}

void swap_values(CommandHost &)
{
    PaintValues &v = paint_session().values;
    std::swap(v.index[0], v.index[1]);
    std::swap(v.colour[0], v.colour[1]);
    tell_listener();
}

void select_all(CommandHost &host)
{
    PaintBuffer buf;
    if (!current_buffer(&buf))
        return;
    if (paint_session().tool() != PaintTool::Select)
        choose(host, PaintTool::Select);
    paint_session().select(buf, {0, 0, buf.width, buf.height});
    doc_view().preview_refresh();
}

void deselect(CommandHost &)
{
    paint_session().select_none();
    doc_view().preview_refresh();
}

bool paint_selection_copy()
{
    PaintBuffer buf;
    PaintSession &session = paint_session();
    if (session.tool() != PaintTool::Select || !session.has_selection() || !current_buffer(&buf))
        return false;
    session.copy(buf);
    return true;
}

namespace {

bool selection_edit(bool needs_clip, PaintRect (PaintSession::*edit)(PaintBuffer &))
{
    PaintBuffer buf;
    PaintSession &session = paint_session();
    if (session.tool() != PaintTool::Select || (needs_clip ? !session.has_clip() : !session.has_selection()) ||
        !current_buffer(&buf))
        return false;
    (session.*edit)(buf);
    doc_view().preview_refresh();
    return true;
}

} // namespace

bool paint_selection_cut() { return selection_edit(false, &PaintSession::cut); }
bool paint_selection_paste() { return selection_edit(true, &PaintSession::paste); }
bool paint_selection_delete() { return selection_edit(false, &PaintSession::clear); }
