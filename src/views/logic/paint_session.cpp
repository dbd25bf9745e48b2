#include "views/logic/paint_session.h"

namespace {

bool inside(PaintRect r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

PaintRect clip_to(const PaintBuffer &buf, PaintRect r)
{
    const int x0 = r.x < 0 ? 0 : r.x, y0 = r.y < 0 ? 0 : r.y;
    const int x1 = r.x + r.w > buf.width ? buf.width : r.x + r.w;
    const int y1 = r.y + r.h > buf.height ? buf.height : r.y + r.h;
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace

const char *paint_tool_name(PaintTool tool)
{
    switch (tool) {
    case PaintTool::None: return "";
    case PaintTool::Origin: return "Origin";
    case PaintTool::Pencil: return "Pencil";
    case PaintTool::Eraser: return "Eraser";
    case PaintTool::Fill: return "Fill";
    case PaintTool::Eyedropper: return "Eyedropper";
    case PaintTool::Line: return "Line";
    case PaintTool::Rectangle: return "Rectangle";
    case PaintTool::Select: return "Rectangle Selection";
    }
    return "";
}

uint32_t PaintValues::value(int button, int bytes_per_pixel) const
{
    const int b = button == 1 ? 1 : 0;
    return bytes_per_pixel == 4 ? colour[b] : index[b];
}

void PaintSession::set_tool(PaintTool tool)
{
    commit();
    stroke_ = Stroke::None;
    if (tool != PaintTool::Select)
        selection_ = {};
    tool_ = tool;
}

bool PaintSession::begin(const char *label)
{
    if (edit_open_)
        return true;
    if (host_.begin_edit && !host_.begin_edit(label))
        return false;
    record_.clear();
    edit_open_ = true;
    return true;
}

void PaintSession::end()
{
    if (!edit_open_)
        return;
    edit_open_ = false;
    record_.clear();
    if (host_.end_edit)
        host_.end_edit();
}

uint32_t PaintSession::leave_value(const PaintBuffer &buf) const
{
    uint32_t value = 0;
    if (paint_erase_value(buf, &value))
        return value;
    return values.value(1, buf.bytes_per_pixel);
}

void PaintSession::pick(const PaintBuffer &buf, int x, int y)
{
    uint32_t value = 0;
    if (!paint_pick(buf, x, y, &value))
        return;
    (buf.bytes_per_pixel == 4 ? values.colour : values.index)[button_] = value;
    if (host_.values_changed)
        host_.values_changed();
}

PaintRect PaintSession::shape(PaintBuffer &buf, int x, int y)
{
    // The shape is drawn anew from the frame as it was at the press.
    PaintRect changed = record_.rect();
    record_.restore(buf);
    const uint32_t value = values.value(button_, buf.bytes_per_pixel);
    const PaintRect drawn =
        tool_ == PaintTool::Line
            ? paint_line(buf, start_x_, start_y_, x, y, brush, value, &record_)
            : paint_rectangle(buf, start_x_, start_y_, x, y, brush, value, shift_, &record_);
    return paint_union(changed, drawn);
}

PaintRect PaintSession::press(PaintBuffer &buf, int x, int y, int button, PaintModifiers mods)
{
    if (!buf.valid() || stroke_ != Stroke::None)
        return {};
    button_ = button == 1 ? 1 : 0;
    shift_ = mods.shift;
    start_x_ = last_x_ = x;
    start_y_ = last_y_ = y;
    if (floating_) {
        if (inside(floating_rect(), x, y)) {
            stroke_ = Stroke::DragFloat;
            drag_float_x_ = float_x_;
            drag_float_y_ = float_y_;
            return {};
        }
        commit();
    }
    const PaintTool tool = mods.alt ? PaintTool::Eyedropper : tool_;
    const uint32_t value = values.value(button_, buf.bytes_per_pixel);
    switch (tool) {
    case PaintTool::None:
    case PaintTool::Origin:
        return {};
    case PaintTool::Eyedropper:
        stroke_ = Stroke::Pick;
        pick(buf, x, y);
        return {};
    case PaintTool::Pencil:
        if (!begin(paint_tool_name(tool)))
            return {};
        stroke_ = Stroke::Draw;
        return paint_line(buf, x, y, x, y, brush, value, &record_);
    case PaintTool::Eraser: {
        uint32_t erase = 0;
        if (!paint_erase_value(buf, &erase)) {
            status("This frame's palette has no transparent colour to erase to.");
            return {};
        }
        if (!begin(paint_tool_name(tool)))
            return {};
        stroke_ = Stroke::Erase;
        return paint_erase_line(buf, x, y, x, y, brush, &record_).changed;
    }
    case PaintTool::Fill: {
        // Filling a pixel with its own value changes nothing: no step.
        uint32_t under = 0;
        if (!paint_pick(buf, x, y, &under) || under == value || !begin(paint_tool_name(tool)))
            return {};
        const PaintRect changed =
            paint_fill(buf, x, y, value, mods.shift ? FillMode::Global : FillMode::Contiguous, &record_);
        end();
        return changed;
    }
    case PaintTool::Line:
    case PaintTool::Rectangle:
        if (!begin(paint_tool_name(tool)))
            return {};
        stroke_ = Stroke::Shape;
        return shape(buf, x, y);
    case PaintTool::Select:
        if (has_selection() && inside(selection_, x, y)) {
            // The step begins with the first pixel of movement.
            stroke_ = Stroke::Moving;
            return {};
        }
        stroke_ = Stroke::Selecting;
        selection_ = clip_to(buf, paint_rect_from_corners(x, y, x, y));
        return {};
    }
    return {};
}

PaintRect PaintSession::move(PaintBuffer &buf, int x, int y)
{
    if (!buf.valid())
        return {};
    PaintRect changed;
    const int dx = x - start_x_, dy = y - start_y_;
    switch (stroke_) {
    case Stroke::None:
        return {};
    case Stroke::Pick:
        pick(buf, x, y);
        break;
    case Stroke::Draw:
        changed = paint_line(buf, last_x_, last_y_, x, y, brush, values.value(button_, buf.bytes_per_pixel), &record_);
        break;
    case Stroke::Erase:
        changed = paint_erase_line(buf, last_x_, last_y_, x, y, brush, &record_).changed;
        break;
    case Stroke::Shape:
        changed = shape(buf, x, y);
        break;
    case Stroke::Selecting:
        selection_ = clip_to(buf, paint_rect_from_corners(start_x_, start_y_, x, y));
        break;
    case Stroke::Moving:
        if (!edit_open_ && (dx != 0 || dy != 0) && !begin("Move Selection"))
            return {};
        if (edit_open_) {
            changed = record_.rect();
            record_.restore(buf);
            changed = paint_union(changed,
                                  paint_move(buf, selection_, dx, dy, leave_value(buf), nullptr, &record_));
        }
        break;
    case Stroke::DragFloat:
        changed = record_.rect();
        record_.restore(buf);
        float_x_ = drag_float_x_ + dx;
        float_y_ = drag_float_y_ + dy;
        changed = paint_union(changed, paint_paste(buf, clip_, float_x_, float_y_, &record_));
        break;
    }
    last_x_ = x;
    last_y_ = y;
    return changed;
}

PaintRect PaintSession::release(PaintBuffer &buf, int x, int y)
{
    const PaintRect changed = move(buf, x, y);
    const Stroke stroke = stroke_;
    stroke_ = Stroke::None;
    switch (stroke) {
    case Stroke::Draw:
    case Stroke::Erase:
    case Stroke::Shape:
        end();
        break;
    case Stroke::Moving:
        if (edit_open_) {
            selection_ = clip_to(buf, {selection_.x + x - start_x_, selection_.y + y - start_y_, selection_.w,
                                       selection_.h});
            end();
        }
        break;
    default:
        break; // a floating paste stays open until it is dropped
    }
    return changed;
}

PaintRect PaintSession::cancel(PaintBuffer &buf)
{
    const Stroke stroke = stroke_;
    stroke_ = Stroke::None;
    if (stroke == Stroke::Selecting)
        selection_ = {};
    if (!edit_open_)
        return {};
    const PaintRect changed = record_.rect();
    if (buf.valid())
        record_.restore(buf);
    record_.clear();
    edit_open_ = false;
    floating_ = false;
    if (host_.cancel_edit)
        host_.cancel_edit();
    return changed;
}

void PaintSession::commit()
{
    if (floating_) {
        floating_ = false;
        selection_ = floating_rect();
    }
    stroke_ = Stroke::None;
    end();
}

void PaintSession::select_none()
{
    commit();
    selection_ = {};
}

void PaintSession::select(const PaintBuffer &buf, PaintRect area)
{
    commit();
    selection_ = clip_to(buf, area);
}

bool PaintSession::copy(const PaintBuffer &buf)
{
    if (!buf.valid() || !has_selection())
        return false;
    clip_ = paint_copy(buf, selection());
    return !clip_.empty();
}

PaintRect PaintSession::cut(PaintBuffer &buf)
{
    commit();
    if (!buf.valid() || !has_selection() || !begin("Cut"))
        return {};
    const PaintRect changed = paint_cut(buf, selection_, leave_value(buf), &clip_, &record_);
    end();
    return changed;
}

PaintRect PaintSession::clear(PaintBuffer &buf)
{
    commit();
    if (!buf.valid() || !has_selection() || !begin("Delete"))
        return {};
    const PaintRect changed = paint_clear(buf, selection_, leave_value(buf), &record_);
    end();
    return changed;
}

PaintRect PaintSession::paste(PaintBuffer &buf)
{
    commit();
    if (!buf.valid() || clip_.empty() || clip_.bytes_per_pixel != buf.bytes_per_pixel || !begin("Paste"))
        return {};
    float_x_ = has_selection() ? selection_.x : 0;
    float_y_ = has_selection() ? selection_.y : 0;
    floating_ = true;
    return paint_paste(buf, clip_, float_x_, float_y_, &record_);
}
