#include "app/logic/dialog_placement.h"

#include <algorithm>
#include <cstdint>

namespace {

// One axis: centred on [anchor, anchor + anchor_size), then pulled inside
// [lo, lo + room); the low edge wins when the length does not fit.
int place(int anchor, int anchor_size, int length, int lo, int room)
{
    // 64-bit: screen coordinates of several monitors plus a size may pass
    // the range of int.
    int64_t at = int64_t(anchor) + (int64_t(std::max(anchor_size, 0)) - length) / 2;
    const int64_t hi = int64_t(lo) + std::max(room, 0) - length;
    at = std::min(at, hi);
    at = std::max<int64_t>(at, lo);
    return static_cast<int>(at);
}

} // namespace

LayoutRect centred_rect(const LayoutRect &anchor, int width, int height, const LayoutRect &screen)
{
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    return {place(anchor.x, anchor.w, w, screen.x, screen.w), place(anchor.y, anchor.h, h, screen.y, screen.h), w, h};
}
