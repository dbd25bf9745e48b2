// The arithmetic of the frame preview, free of any toolkit: the zoom steps,
// where the zoomed picture lies in the control (centred, or scrolled), the
// scroll ranges, the origin cross-hair, the origin click, and the sampling
// of the visible part of a zoomed picture.
#pragma once

#include <cstdint>

inline constexpr float PREVIEW_ZOOM_MIN = 0.02f;
inline constexpr float PREVIEW_ZOOM_MAX = 64.0f;

// The preview's shared state (one preview per process). `preview_zoom` is
// 1.0 at start and after closing, creating or loading a document.
extern float preview_zoom;
extern int origin_mode;
extern int alpha_view;
// Installed while a dialog previews a filter live; it works on the bound
// display copy of the frame.
extern void (*preview_filter_hook)();

// Zoom steps: x2 up to 64, x0.5 down to 0.02 (clamped, so zooming back in
// from 0.02 gives 0.04, 0.08, ... 40.96, then 64).
float preview_zoom_step_in(float zoom);
float preview_zoom_step_out(float zoom);

// The zoomed size of an image side: the side itself at zoom exactly 1,
// otherwise side x zoom truncated toward zero.
int preview_scaled_size(int side, float zoom);

// Where a w x h picture lies in a client area of cw x ch at `zoom`, with
// the given scroll positions. A side smaller than the client is centred
// (the odd spare pixel goes to the right or bottom) and has no scroll bar;
// otherwise the bar's range is 0 .. zoomed - client (no bar when that is 0)
// and the picture starts at minus the position (clamped into the range).
struct PreviewPlacement {
    int dw = 0, dh = 0; // zoomed size
    int x0 = 0, y0 = 0; // top-left corner of the zoomed picture
    bool h_bar = false, v_bar = false;
    int h_max = 0, v_max = 0; // scroll ranges 0 .. max
    int h_pos = 0, v_pos = 0; // scroll positions after clamping
};
PreviewPlacement preview_place(int w, int h, float zoom, int cw, int ch, int h_pos, int v_pos);

// The cross-hair through the centre of origin pixel (ox, oy).
struct PreviewPoint {
    int x = 0, y = 0;
};
PreviewPoint preview_crosshair(const PreviewPlacement &place, float zoom, int ox, int oy);

// An origin click at (x, y): true and the picture pixel when the click lies
// on the drawn picture, false for clicks outside it.
bool preview_click_to_origin(const PreviewPlacement &place, float zoom, int x, int y, int *ox, int *oy);

struct PreviewRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
};
// The part of the zoomed picture that lies inside the client area, in
// client coordinates. Only this part is ever drawn.
PreviewRect preview_visible_part(const PreviewPlacement &place, int cw, int ch);

// Fills `out` (part.w x part.h pixels, rows of `out_stride` pixels) with the
// zoomed picture's pixels inside `part`, nearest neighbour, as a stretch of
// the whole w x h `source` (rows of `source_stride` pixels) onto dw x dh at
// (x0, y0) would give them. Pixels are copied as 32-bit words, whatever
// their channel order.
void preview_sample_part(const uint32_t *source, int w, int h, int source_stride, const PreviewPlacement &place,
                         const PreviewRect &part, uint32_t *out, int out_stride);
