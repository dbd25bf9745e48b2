// What a paint tool does with the pointer: the tool chosen, the brush, the
// two current values (left and right button) and the stroke in progress,
// from a press of the mouse to its release. Frame coordinates in, changed
// rectangles out; no toolkit and no document: whoever owns the document
// records the undo step when a stroke is about to change the first pixel
// (Host::begin_edit), so that a stroke, a fill or a selection move is one
// step of the history, and drops it again when the stroke is cancelled.
#pragma once

#include <cstdint>
#include <functional>

#include "views/logic/paint_tools.h"

// None: the pointer only looks (clicks change nothing).
enum class PaintTool { None, Origin, Pencil, Eraser, Fill, Eyedropper, Line, Rectangle, Select };
// The tool's name as the history shows it ("Undo Pencil").
const char *paint_tool_name(PaintTool tool);

// The three pointer events of a stroke.
enum class PaintPointer { Press, Move, Release };

struct PaintModifiers {
    bool shift = false; // Fill: every pixel of the colour; Rectangle: filled
    bool alt = false;   // the eyedropper, whatever the tool
};

// The two current values: palette indexes for 8-bit frames, colours for
// RGBA frames. Button 0 is the left, 1 the right.
struct PaintValues {
    uint32_t index[2] = {15, 0};
    uint32_t colour[2] = {0xffffffffu, 0xff000000u}; // opaque white and black as they lie in memory
    uint32_t value(int button, int bytes_per_pixel) const;
};

class PaintSession {
public:
    struct Host {
        // Before the first pixel of a stroke changes: records the undo
        // step named `label`. False refuses the stroke (a file operation
        // holds the document).
        std::function<bool(const char *label)> begin_edit;
        // The stroke was abandoned after begin_edit, its pixels restored.
        std::function<void()> cancel_edit;
        // A stroke that changed pixels has ended.
        std::function<void()> end_edit;
        // The eyedropper changed a current value.
        std::function<void()> values_changed;
        // A short message for the status bar.
        std::function<void(const char *text)> status;
    };

    PaintSession() = default;
    explicit PaintSession(Host host) : host_(std::move(host)) {}
    void set_host(Host host) { host_ = std::move(host); }

    PaintTool tool() const { return tool_; }
    // Ends whatever is in progress (a floating paste is dropped where it
    // lies) and forgets the selection when leaving the selection tool.
    void set_tool(PaintTool tool);
    Brush brush;
    PaintValues values;

    // Pointer events at frame pixel (x, y), which may lie outside the frame
    // (a line's end, a drag past the edge). Each answers the rectangle of
    // the frame whose pixels changed (to be repainted).
    PaintRect press(PaintBuffer &buf, int x, int y, int button, PaintModifiers mods);
    PaintRect move(PaintBuffer &buf, int x, int y);
    PaintRect release(PaintBuffer &buf, int x, int y);
    // Escape: the stroke or the floating paste in progress is taken back,
    // pixel for pixel, and its history step dropped. A selection being
    // drawn is let go.
    PaintRect cancel(PaintBuffer &buf);
    // Drops a floating paste where it lies and ends any stroke (Enter, or
    // before another command runs). The buffer is not needed: the pixels
    // are already in the frame.
    void commit();
    // A stroke or a floating paste is open: its undo step is recorded and
    // more of its pixels may change.
    bool editing() const { return edit_open_; }
    bool pressed() const { return stroke_ != Stroke::None; }

    // The rectangle selection (clipped to the frame it was made on).
    bool has_selection() const { return !selection_.empty(); }
    PaintRect selection() const { return floating_ ? floating_rect() : selection_; }
    void select_none();
    // Selects `area` (clipped to the frame), as a drag would.
    void select(const PaintBuffer &buf, PaintRect area);
    bool floating() const { return floating_; }
    // Copy: the selection's pixels become the clip. Cut also clears them;
    // Delete only clears them (each one step). Paste lays the clip at the
    // selection's corner (or the frame's) as a floating selection: a drag
    // inside it moves it, Enter or a click outside drops it, Escape takes
    // it away; the paste and its moves are one step.
    bool copy(const PaintBuffer &buf);
    PaintRect cut(PaintBuffer &buf);
    PaintRect clear(PaintBuffer &buf);
    PaintRect paste(PaintBuffer &buf);
    bool has_clip() const { return !clip_.empty(); }

private:
    enum class Stroke { None, Draw, Erase, Shape, Pick, Selecting, Moving, DragFloat };

    bool begin(const char *label);
    void end();
    PaintRect shape(PaintBuffer &buf, int x, int y);
    void pick(const PaintBuffer &buf, int x, int y);
    // What a cleared pixel becomes: the erase value, or the right button's
    // index on an 8-bit frame without a transparent entry.
    uint32_t leave_value(const PaintBuffer &buf) const;
    PaintRect floating_rect() const { return {float_x_, float_y_, clip_.width, clip_.height}; }
    void status(const char *text) const
    {
        if (host_.status)
            host_.status(text);
    }

    Host host_;
    PaintTool tool_ = PaintTool::None;
    Stroke stroke_ = Stroke::None;
    bool edit_open_ = false;
    int button_ = 0;
    bool shift_ = false;
    int start_x_ = 0, start_y_ = 0, last_x_ = 0, last_y_ = 0;
    StrokeRecord record_;
    PaintRect selection_;
    PaintClip clip_;
    bool floating_ = false;
    int float_x_ = 0, float_y_ = 0;         // where the floating clip lies
    int drag_float_x_ = 0, drag_float_y_ = 0; // ... when its drag began
};

// What the preview asks of the paint tools: while `active` says a tool
// takes the pointer (and origin mode is off), presses, drags and releases
// of the left and right buttons go to `handler` in frame pixels, which
// answers the frame rectangle it changed; only that part of the picture is
// made again and repainted. `selection` is outlined over the picture.
struct PaintPointerHooks {
    std::function<bool()> active;
    std::function<PaintRect(PaintPointer, int x, int y, int button, PaintModifiers)> handler;
    std::function<PaintRect()> selection;
    // Escape and Enter while a tool works: true when the key was taken.
    std::function<bool()> escape;
    std::function<void()> enter;
    // Del while the picture has the keyboard and a selection is drawn:
    // clears the selected pixels instead of deleting the frame.
    std::function<void()> delete_selection;
};
