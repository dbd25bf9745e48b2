#include "views/logic/frame_strip_logic.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "document/props.h"

namespace {

constexpr int PITCH = FRAME_STRIP_CELL_WIDTH + FRAME_STRIP_GAP;

// Division rounding towards minus infinity: points left of the row too.
int floor_div(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

LayoutRect frame_strip_cell(int index, int scroll)
{
    return {FRAME_STRIP_GAP + index * PITCH - scroll, FRAME_STRIP_GAP, FRAME_STRIP_CELL_WIDTH,
            FRAME_STRIP_CELL_HEIGHT};
}

int frame_strip_content_width(int count) { return FRAME_STRIP_GAP + std::max(count, 0) * PITCH; }

int frame_strip_hit(int count, int scroll, int x, int y)
{
    if (y < FRAME_STRIP_GAP || y >= FRAME_STRIP_GAP + FRAME_STRIP_CELL_HEIGHT)
        return -1;
    const int cx = x + scroll - FRAME_STRIP_GAP;
    if (cx < 0)
        return -1;
    const int index = cx / PITCH;
    if (index >= count || cx - index * PITCH >= FRAME_STRIP_CELL_WIDTH)
        return -1;
    return index;
}

int frame_strip_drop_slot(int count, int scroll, int x)
{
    // The number of cells whose centre lies left of the point.
    const int past_centre = x + scroll - FRAME_STRIP_GAP - FRAME_STRIP_CELL_WIDTH / 2;
    return std::clamp(floor_div(past_centre, PITCH) + 1, 0, std::max(count, 0));
}

int frame_strip_dropped_index(int from, int slot) { return slot > from ? slot - 1 : slot; }

std::vector<int> frame_strip_move_order(int count, int from, int slot)
{
    if (from < 0 || from >= count || slot < 0 || slot > count)
        return {};
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    order.erase(order.begin() + from);
    order.insert(order.begin() + frame_strip_dropped_index(from, slot), from);
    return order;
}

int frame_strip_scroll_to_show(int index, int scroll, int view_width)
{
    const LayoutRect cell = frame_strip_cell(index, 0);
    const int left = cell.x - FRAME_STRIP_GAP;
    const int right = cell.x + cell.w + FRAME_STRIP_GAP;
    if (left < scroll)
        return left;
    if (right > scroll + view_width)
        return std::max(0, std::min(left, right - view_width));
    return scroll;
}

std::string frame_strip_duration_text(const PropertyList &props)
{
    if (props_find(&props, "Duration") == 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", static_cast<double>(props_get_float(&props, "Duration")));
    return text;
}
