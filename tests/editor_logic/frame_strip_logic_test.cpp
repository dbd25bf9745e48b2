// The frame strip's arithmetic: cells in the scrolled row, hits, drop gaps
// and the order a drop makes.
#include <gtest/gtest.h>

#include "document/props.h"
#include "views/logic/frame_strip_logic.h"

namespace {

constexpr int W = FRAME_STRIP_CELL_WIDTH, G = FRAME_STRIP_GAP, P = W + G, Y = G + 1;

TEST(FrameStrip, HitsFallOnCellsNotOnGapsOrPastTheEnd)
{
    struct Case {
        int count, scroll, x, y, expected;
    };
    const Case cases[] = {
        {3, 0, G, Y, 0},          {3, 0, G + W - 1, Y, 0},  {3, 0, G + W, Y, -1}, // the gap after cell 0
        {3, 0, G + P, Y, 1},      {3, 0, G + 2 * P + W - 1, Y, 2},
        {3, 0, G + 3 * P, Y, -1}, {3, 0, G - 1, Y, -1},     {3, 0, G, G - 1, -1}, // past the end, edges
        {3, 0, G, G + FRAME_STRIP_CELL_HEIGHT, -1},
        {3, P, G, Y, 1},          {3, G + W, 0, Y, -1}, // scrolled onto a gap
        {0, 0, G, Y, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, frame_strip_hit(c.count, c.scroll, c.x, c.y)) << c.x << "," << c.y << " at " << c.scroll;
    EXPECT_EQ(G + 2 * P - 30, frame_strip_cell(2, 30).x);
    EXPECT_EQ(G + 3 * P, frame_strip_content_width(3));
}

TEST(FrameStrip, DropsLandInTheGapNearestThePoint)
{
    struct Case {
        int count, scroll, x, slot;
    };
    const Case cases[] = {
        {3, 0, -50, 0},              {3, 0, G + W / 2 - 1, 0}, {3, 0, G + W / 2, 1},
        {3, 0, G + P + W / 2 - 1, 1}, {3, 0, G + 2 * P + W / 2, 3}, {3, 0, 5000, 3},
        {3, P, G + W / 2, 2}, // scrolled by one cell
        {0, 0, 100, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.slot, frame_strip_drop_slot(c.count, c.scroll, c.x)) << c.x << " at " << c.scroll;
}

TEST(FrameStrip, AMoveIsAPermutationThatPutsTheFrameAtTheGap)
{
    struct Case {
        int count, from, slot;
        std::vector<int> order;
    };
    const Case cases[] = {
        {4, 0, 3, {1, 2, 0, 3}}, // frame 0 dropped after frame 2
        {4, 3, 0, {3, 0, 1, 2}}, {4, 1, 4, {0, 2, 3, 1}},
        {4, 1, 1, {0, 1, 2, 3}}, {4, 1, 2, {0, 1, 2, 3}}, // beside itself: no move
        {4, 4, 0, {}},           {4, 0, 5, {}},           {4, -1, 0, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.order, frame_strip_move_order(c.count, c.from, c.slot)) << c.from << "->" << c.slot;
        if (!c.order.empty()) {
            EXPECT_EQ(c.from, c.order[static_cast<size_t>(frame_strip_dropped_index(c.from, c.slot))]);
        }
    }
}

TEST(FrameStrip, ScrollsJustEnoughToShowACell)
{
    EXPECT_EQ(0, frame_strip_scroll_to_show(0, 40, 200));             // left of the view
    EXPECT_EQ(3 * P + G - 200 + P, frame_strip_scroll_to_show(3, 0, 200)); // right of it
    EXPECT_EQ(10, frame_strip_scroll_to_show(1, 10, 200));            // already shown
}

TEST(FrameStrip, DurationTextIsEmptyWithoutTheProperty)
{
    PropertyList props{};
    EXPECT_EQ("", frame_strip_duration_text(props));
    props_set_float(&props, "Duration", 0.25f);
    EXPECT_EQ("0.25", frame_strip_duration_text(props));
    props_clear(&props);
}

} // namespace
