#include "views/logic/dialog_placement.h"

#include <algorithm>
#include <cstdint>

namespace {

// Pulls a start of `length` inside [lo, lo + room); the low edge wins when
// the length does not fit. 64-bit: screen coordinates of several monitors
// plus a size may pass the range of int.
int clamp_into(int64_t at, int length, int lo, int room)
{
    const int64_t hi = int64_t(lo) + std::max(room, 0) - length;
    at = std::min(at, hi);
    at = std::max<int64_t>(at, lo);
    return static_cast<int>(at);
}

// One axis: centred on [anchor, anchor + anchor_size), then clamped.
int place(int anchor, int anchor_size, int length, int lo, int room)
{
    return clamp_into(int64_t(anchor) + (int64_t(std::max(anchor_size, 0)) - length) / 2, length, lo, room);
}

int64_t overlap(int64_t a, int64_t a_len, int64_t b, int64_t b_len)
{
    return std::max<int64_t>(0, std::min(a + a_len, b + b_len) - std::max(a, b));
}

} // namespace

LayoutRect centred_rect(const LayoutRect &anchor, int width, int height, const LayoutRect &screen)
{
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    return {place(anchor.x, anchor.w, w, screen.x, screen.w), place(anchor.y, anchor.h, h, screen.y, screen.h), w, h};
}

LayoutRect beside_rect(const LayoutRect &main_window, const LayoutRect &preview, int width, int height,
                       const LayoutRect &screen)
{
    if (preview.w <= 0 || preview.h <= 0)
        return centred_rect(main_window, width, height, screen);
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    const int64_t px = preview.x, py = preview.y, pw = preview.w, ph = preview.h;
    const int64_t gap = DIALOG_PREVIEW_GAP;
    const int64_t wanted[4][2] = {
        {px + pw + gap, py}, // right
        {px - gap - w, py},  // left
        {px, py + ph + gap}, // below
        {px, py - gap - h},  // above
    };
    LayoutRect best{};
    int64_t best_cover = -1;
    double best_distance = -1;
    for (const auto &at : wanted) {
        const LayoutRect r{clamp_into(at[0], w, screen.x, screen.w), clamp_into(at[1], h, screen.y, screen.h), w, h};
        const int64_t cover = overlap(r.x, w, px, pw) * overlap(r.y, h, py, ph);
        // Twice the centres' offsets; squared in floating point, which no
        // screen coordinate overflows.
        const double dx = double((2 * int64_t(r.x) + w) - (2 * px + pw));
        const double dy = double((2 * int64_t(r.y) + h) - (2 * py + ph));
        const double distance = dx * dx + dy * dy;
        if (best_cover < 0 || cover < best_cover || (cover == best_cover && distance > best_distance)) {
            best = r;
            best_cover = cover;
            best_distance = distance;
        }
    }
    return best;
}
