// The arithmetic of the frame preview, free of any toolkit: the zoom steps,
// where the zoomed picture lies in the control (centred, or scrolled), the
// scroll ranges, the origin cross-hair, the origin click, zooming about a
// point, Zoom to Fit, the canvas of origin-aligned frames, and the sampling
// and compositing (checkerboard, pixel grid) of the visible part.
#pragma once

#include <cstdint>
#include <vector>

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

// --- Zooming about a point ------------------------------------------------

// Zoom to Fit: the largest zoom step at which a w x h picture fits in a
// cw x ch client without scroll bars. The steps are 64, 32, ... 2, 1, then
// 1/2, 1/4, ... (the halvings of Zoom Out), ending at PREVIEW_ZOOM_MIN when
// not even 1/32 fits.
float preview_fit_zoom(int w, int h, int cw, int ch);

// A point of the picture, in picture pixels (fractional: 2.5 is the middle
// of column 2), as the sampling maps client points to picture pixels.
struct PreviewAnchor {
    double x = 0, y = 0;
};
// The picture point under client point (px, py) of a w x h picture placed
// by `place` (the picture's centre when it is not drawn at all).
PreviewAnchor preview_anchor_at(const PreviewPlacement &place, int w, int h, int px, int py);
// The scroll positions at which the picture point `anchor` lies under client
// point (px, py) at `zoom` (held inside the scroll ranges). At whole zooms
// the picture pixel the anchor lies in is the one drawn at (px, py).
struct PreviewScroll {
    int h_pos = 0, v_pos = 0;
};
PreviewScroll preview_scroll_keeping(const PreviewAnchor &anchor, int w, int h, float zoom, int cw, int ch, int px,
                                     int py);

// --- Origin-aligned frames ---------------------------------------------------

// One frame of a group: its size and its origin pixel.
struct PreviewFrameBox {
    int w = 0, h = 0;
    int origin_x = 0, origin_y = 0;
};
// Origins further than this from their frame are held at it, so that a
// hostile property cannot make the canvas overflow.
inline constexpr int PREVIEW_ORIGIN_LIMIT = 1 << 16;
// The canvas holding every frame with all origins on one point: its size,
// that point, and for each frame where its top-left pixel lies in it.
// Without frames the canvas is empty.
struct PreviewCanvas {
    int w = 0, h = 0;
    PreviewPoint origin;
    std::vector<PreviewPoint> offsets;
};
PreviewCanvas preview_canvas_of(const PreviewFrameBox *frames, int count);

// --- Compositing ---------------------------------------------------------------

// From this zoom on the pixel grid is drawn.
inline constexpr float PREVIEW_GRID_MIN_ZOOM = 8.0f;
// The checkerboard's squares, in client pixels, and their grey levels.
inline constexpr int PREVIEW_CHECKER_SIZE = 8;
inline constexpr uint8_t PREVIEW_CHECKER_LIGHT = 204;
inline constexpr uint8_t PREVIEW_CHECKER_DARK = 153;

// A picture as 32-bit words whose bytes are red, green, blue, alpha in
// memory order.
struct PreviewImage {
    const uint32_t *pixels = nullptr;
    int w = 0, h = 0;
    int stride = 0; // pixels per row
};
// What is drawn beside the colours.
struct PreviewPaint {
    bool checkerboard = false; // alpha-0 pixels and empty canvas over the checkerboard
    bool grid = false;         // lines between picture pixels (from PREVIEW_GRID_MIN_ZOOM)
    float zoom = 1.0f;
    uint32_t empty = 0; // 0xRRGGBB of canvas outside the frame without the checkerboard
    // One byte per frame pixel (rows of the frame's width, top first), or
    // null: the pixels marked non-zero (fullbright ones) are hatched in
    // magenta from zoom 4, tinted magenta below it.
    const uint8_t *mark = nullptr;
    // The frame repeated across the whole canvas from its place in it, so
    // that its seams show (the tiled view: a canvas of 3 x 3 frames with
    // the frame in the middle).
    bool tiled = false;
    // Words of the frame's size and stride, or null: where the frame is
    // transparent and the word here is not, the word is drawn instead (the
    // onion skin: the neighbouring frames, faint).
    const uint32_t *under = nullptr;
};
// The window's view options for the preview, asked at every refresh and
// paint (all off until set).
struct PreviewOptions {
    bool checkerboard = false;
    bool grid = false;
    bool align_frames = false;
    bool fullbright_pixels = false; // marked, and counted in the status bar
    bool tiled = false;             // 3 x 3 copies; clicks reach the middle one
    bool onion_skin = false;        // the previous and next frames under the frame
    int onion_opacity = 30;         // percent
    bool game_effects = false;      // skies layered and liquids warped as in the game
};

// From this zoom the marks are hatched rather than tinted.
inline constexpr float PREVIEW_HATCH_MIN_ZOOM = 4.0f;
// An opaque grey as written by the compositing: 0xFF, then level three times.
uint32_t preview_grey_word(uint8_t level);

// Fills `out` (part.w x part.h words, rows of `out_stride` words) with the
// client pixels inside `part` of a canvas_w x canvas_h canvas placed by
// `place`, in which `frame` lies with its top-left pixel at (frame_x,
// frame_y). Nearest neighbour as preview_sample_part. Every word written is
// an opaque 0xFFRRGGBB (the toolkit's native 32-bit layout, which it draws
// without converting): colours keep their channels, alpha-0 pixels (and
// canvas outside the frame) show the checkerboard fixed to the canvas when
// asked, else `paint.empty` outside the frame; the grid darkens or lightens
// the first client column and row of every picture pixel but the frame's
// first.
void preview_compose_part(const PreviewImage &frame, int frame_x, int frame_y, int canvas_w, int canvas_h,
                          const PreviewPlacement &place, const PreviewRect &part, const PreviewPaint &paint,
                          uint32_t *out, int out_stride);

// How the game shows two kinds of texture, by name: a sky (a name starting
// with "sky", two halves side by side) as its front half laid over its back
// half, the front's index 0 (or black) letting the back through; a liquid
// (a name starting with '*') warped as the engine warps it, each pixel
// taken from 8 pixels' sine away (at the moment the warp starts). None for
// any other name or a sky whose width is not twice its height.
enum class GameEffect { None, Sky, Liquid };
GameEffect preview_game_effect(const char *group_name, int width, int height);
// The picture the effect gives, as RGBA words (bytes red, green, blue,
// alpha) of `picture` (w x h, rows of `stride` words). `indexes`, or null
// for an RGBA frame, holds the frame's palette indexes (rows of w): the
// sky's front is transparent at index 0. Sets *out_w and *out_h.
std::vector<uint32_t> preview_apply_game_effect(GameEffect effect, const uint32_t *picture, int w, int h, int stride,
                                                const uint8_t *indexes, int *out_w, int *out_h);

// A neighbouring frame of the onion skin: its RGBA words, and where its
// pixel lies for each pixel of the current frame (its pixel (x + dx, y + dy)
// under the current one's (x, y)).
struct PreviewOnionFrame {
    const uint32_t *pixels = nullptr;
    int w = 0, h = 0, stride = 0;
    int dx = 0, dy = 0;
};
// The onion skin under a w x h frame: at each pixel the mean colour of the
// neighbours' opaque pixels there, mixed into `grey` at `opacity` percent
// and opaque; a word of alpha 0 where none lies. Empty when none lies
// anywhere.
std::vector<uint32_t> preview_onion_underlay(int w, int h, const PreviewOnionFrame *frames, int count, uint8_t grey,
                                             int opacity);
