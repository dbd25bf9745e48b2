// The paint tools without a toolkit: pencil, line, rectangle, fill,
// eraser, eyedropper and the rectangle selection, done on a frame's pixels
// as they lie in memory, and the record of what a stroke changed so that it
// can be taken back exactly.
//
// A pixel value is a palette index (0 to 255) on an 8-bit frame and a
// colour on an RGBA frame (paint_colour: its four bytes as they lie in
// memory). Painting an 8-bit frame writes the index it is given: no colour
// is ever matched, and no palette is read or written by any operation here.
// Every operation clips to the frame, whatever coordinates it is given, and
// answers the rectangle it changed, so that only that part is repainted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PaintRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
    bool operator==(const PaintRect &) const = default;
};

// The smallest rectangle holding both (an empty one adds nothing).
PaintRect paint_union(PaintRect a, PaintRect b);
// The rectangle between two corners given in any order, both included.
PaintRect paint_rect_from_corners(int x0, int y0, int x1, int y1);

// A frame's pixels, not owned: rows of `width` pixels of 1 (palette index)
// or 4 (red, green, blue, alpha) bytes; `stride` bytes from one row to the
// row below it, negative for an image held bottom row first.
struct PaintBuffer {
    uint8_t *top = nullptr; // first byte of the top row
    ptrdiff_t stride = 0;
    int width = 0, height = 0;
    int bytes_per_pixel = 1;
    int transparent = -1; // 8-bit: the transparent index, -1 when there is none
    bool valid() const;
};

// The value of an RGBA colour.
uint32_t paint_colour(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

enum class BrushShape { Square, Round };
inline constexpr int BRUSH_MIN = 1;
inline constexpr int BRUSH_MAX = 16;
// A brush of `size` pixels across (held to 1..16) covers from size / 2
// left of and above the pointer; a round one leaves out the pixels whose
// centres lie outside a disc of that diameter (size 3 is a plus sign).
struct Brush {
    int size = 1;
    BrushShape shape = BrushShape::Square;
};

class StrokeRecord;

// Each operation below that changes pixels takes the stroke's record, or
// null: before it writes, the record saves what it is about to change.

// One dab of the brush centred on (x, y).
PaintRect paint_dab(PaintBuffer &buf, int x, int y, const Brush &brush, uint32_t value, StrokeRecord *record = nullptr);
// A dab on every point of the line from (x0, y0) to (x1, y1), both ends
// included: the pencil's segment between two pointer events, and the Line
// tool. The points are Bresenham's: one per step along the longer axis, the
// other coordinate rounded to the nearest pixel (a half away from the start).
PaintRect paint_line(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush, uint32_t value,
                     StrokeRecord *record = nullptr);
// The rectangle between two corners: its outline drawn with the brush, or
// filled (every pixel of it, whatever the brush).
PaintRect paint_rectangle(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush, uint32_t value,
                          bool filled, StrokeRecord *record = nullptr);

enum class FillMode {
    Contiguous, // the pixels of the clicked value joined to it by their sides
    Global,     // every pixel of the clicked value
};
PaintRect paint_fill(PaintBuffer &buf, int x, int y, uint32_t value, FillMode mode, StrokeRecord *record = nullptr);

// What the eraser paints: the transparent index on an 8-bit frame, a colour
// of alpha 0 on an RGBA frame. False on an 8-bit frame without a
// transparent entry, where the eraser does nothing.
bool paint_erase_value(const PaintBuffer &buf, uint32_t *value);
struct EraseResult {
    PaintRect changed;
    bool refused = false; // an 8-bit frame without a transparent entry
};
EraseResult paint_erase_line(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush,
                             StrokeRecord *record = nullptr);

// The eyedropper: the index (8-bit) or colour (RGBA) at (x, y); false
// outside the frame.
bool paint_pick(const PaintBuffer &buf, int x, int y, uint32_t *value);

// A piece of picture taken by the rectangle selection: copied, cut or
// floating while it is moved. Its transparent pixels (the frame's
// transparent index, or alpha 0) do not cover what they are pasted on.
struct PaintClip {
    int width = 0, height = 0;
    int bytes_per_pixel = 1;
    int transparent = -1;
    std::vector<uint8_t> pixels; // top row first, rows packed
    bool empty() const { return width <= 0 || height <= 0; }
};

// The part of `area` inside the frame; empty when there is none.
PaintClip paint_copy(const PaintBuffer &buf, PaintRect area);
// Sets every pixel of `area` to `leave` (Delete; the caller gives the erase
// value, or the second index on a frame without a transparent entry).
PaintRect paint_clear(PaintBuffer &buf, PaintRect area, uint32_t leave, StrokeRecord *record = nullptr);
// Copy, then clear.
PaintRect paint_cut(PaintBuffer &buf, PaintRect area, uint32_t leave, PaintClip *clip, StrokeRecord *record = nullptr);
// Puts `clip` with its top-left pixel at (x, y), its transparent pixels left
// out; the others replace what they land on, alpha and all (nothing is
// blended). A clip of another pixel size than the frame's is not pasted.
PaintRect paint_paste(PaintBuffer &buf, const PaintClip &clip, int x, int y, StrokeRecord *record = nullptr);
// Lifts `area` (leaving `leave` behind) and drops it (dx, dy) away: a
// selection moved in one step. The clip it moved, for a floating selection
// that stays, goes to `moved` when given.
PaintRect paint_move(PaintBuffer &buf, PaintRect area, int dx, int dy, uint32_t leave, PaintClip *moved = nullptr,
                     StrokeRecord *record = nullptr);

// What one stroke (a press of the mouse to its release, a fill, a selection
// move) changed: the pixels of the changed rectangle as they were before.
// It grows as the stroke goes on; restore() takes the frame back exactly
// (Escape, or Undo of that one step).
class StrokeRecord {
public:
    // Saves the pixels of `area` (clipped to the frame) not saved yet; call
    // before changing them. Everything outside the saved rectangle must be
    // as it was when the record began.
    void cover(const PaintBuffer &buf, PaintRect area);
    // Puts back every pixel saved. The record stays as it is.
    void restore(PaintBuffer &buf) const;
    // The rectangle whose pixels are saved: what the stroke may have changed.
    PaintRect rect() const { return touched_; }
    // Lets go of the room kept for growing, at the end of a stroke.
    void finish();
    void clear();
    size_t bytes() const { return before_.size(); }

private:
    PaintRect saved_;   // the rectangle held in before_ (with room to grow)
    PaintRect touched_; // the part of it covered so far
    int bytes_per_pixel_ = 0;
    std::vector<uint8_t> before_;
};

// Writes the pixels of `area` (clipped to the frame) as RGBA bytes into
// `picture` (the frame's display copy: rows of 4-byte pixels, `stride`
// bytes apart, its top-left pixel first): an 8-bit frame through
// `palette` (256 RGBA entries), an RGBA frame as it is. A stroke's progress
// is shown this way without converting the whole frame again.
void paint_to_rgba(const PaintBuffer &buf, const uint8_t *palette, PaintRect area, uint8_t *picture,
                   ptrdiff_t stride);

// The pixels of a frame's image in place, for painting (binds `image`):
// writing the buffer writes the image, nothing is copied back. False for an
// image that is not 8-bit indexed or RGBA of bytes (the caller converts or
// refuses). The buffer stays valid until the image is converted,
// resized or deleted. The transparent index of an 8-bit image is its first
// palette entry of alpha 0 (when any entry is opaque, so that a palette
// read without alpha is not taken for all transparent), or 255 when its
// palette has the Quake palette's colours.
bool paint_buffer_of_image(uint32_t image, PaintBuffer *buf);
