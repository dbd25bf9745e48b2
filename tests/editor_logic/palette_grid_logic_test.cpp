// The palette grid's logic: hit testing and cell geometry, selection, Add
// and Delete Color, keyboard moves and the label texts.
#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"
#include "views/logic/palette_grid_logic.h"

namespace {

// A grid of `count` entries, entry k holding (k, k + 1, k + 2, 100 + k).
PaletteGridState grid_of(int count)
{
    PaletteGridState grid;
    for (int k = 0; k < count; ++k) {
        grid.colors[k * 4 + 0] = static_cast<uint8_t>(k);
        grid.colors[k * 4 + 1] = static_cast<uint8_t>(k + 1);
        grid.colors[k * 4 + 2] = static_cast<uint8_t>(k + 2);
        grid.colors[k * 4 + 3] = static_cast<uint8_t>(100 + k);
    }
    grid.count = count;
    grid.labels_shown = true;
    return grid;
}

uint8_t red_of(const PaletteGridState &grid, int k) { return grid.colors[k * 4]; }

class PaletteGridLogic : public CoreTest {};

TEST(PaletteGridHit, CellsOfA192PixelGridAndTheStripOutsideThem)
{
    struct Case {
        int width, height, x, y, expected;
    } cases[] = {
        {192, 192, 30, 13, 18},   // column 2, row 1
        {192, 192, 0, 0, 0},
        {192, 192, 191, 191, 255},
        {192, 192, 11, 11, 0},
        {192, 192, 12, 12, 17},
        {200, 200, 195, 10, -1},  // 12-pixel cells: x 192..199 is the strip right of them
        {200, 200, 10, 195, -1},  // and y 192..199 the strip below
        {200, 200, 191, 191, 255},
        {192, 192, 192, 0, -1},   // outside the widget
        {192, 192, -1, 5, -1},
        {15, 192, 3, 3, -1},      // too narrow to have cells
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, palette_grid_hit(c.width, c.height, c.x, c.y))
            << c.width << "x" << c.height << " at " << c.x << "," << c.y;
}

TEST(PaletteGridHit, CellAndSwatchGeometry)
{
    const GridRect cell = palette_grid_cell(192, 192, 18);
    EXPECT_EQ(24, cell.left);
    EXPECT_EQ(12, cell.top);
    EXPECT_EQ(36, cell.right);
    EXPECT_EQ(24, cell.bottom);
    const GridRect swatch = palette_grid_swatch(192, 192, 18);
    EXPECT_EQ(8, swatch.right - swatch.left);
    EXPECT_EQ(8, swatch.bottom - swatch.top);
    EXPECT_EQ(26, swatch.left);
    EXPECT_EQ(14, swatch.top);
}

TEST_F(PaletteGridLogic, SelectionAcceptsEmptyCellsButNothingPastTheGrid)
{
    PaletteGridState grid = grid_of(10);
    EXPECT_TRUE(palette_grid_select(grid, 12));
    EXPECT_EQ(12, grid.selected);
    EXPECT_FALSE(palette_grid_framed(grid, 12)); // an unused entry shows no frame
    EXPECT_TRUE(palette_grid_select(grid, 3));
    EXPECT_TRUE(palette_grid_framed(grid, 3));
    EXPECT_FALSE(palette_grid_framed(grid, 4));
    EXPECT_FALSE(palette_grid_select(grid, 256));
    EXPECT_FALSE(palette_grid_select(grid, -1));
    EXPECT_EQ(3, grid.selected);
}

TEST_F(PaletteGridLogic, AddColorOnAnEmptyEditorAndOnAFullOne)
{
    PaletteGridState grid;
    ASSERT_TRUE(palette_grid_add(grid));
    EXPECT_EQ(1, grid.count);
    EXPECT_EQ(0, grid.selected);
    EXPECT_EQ("Palette Index: 0", palette_index_label(grid));
    EXPECT_EQ("R: 0 G: 0 B: 0 A: 255", palette_color_label(grid));
    EXPECT_TRUE(message_texts().empty());

    PaletteGridState full = grid_of(256);
    full.selected = 7;
    EXPECT_FALSE(palette_grid_add(full));
    EXPECT_EQ(256, full.count);
    EXPECT_EQ(7, full.selected);
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_EQ("Palette is full", ui.messages()[0].text);
    EXPECT_EQ(MessageIcon::Warning, ui.messages()[0].icon);
}

TEST_F(PaletteGridLogic, DeleteColorMovesTheEntriesAboveDown)
{
    struct Case {
        int selected;
        int expected_selected;
        std::vector<int> expected_reds; // entries 0..8 afterwards
    } cases[] = {
        {5, 5, {0, 1, 2, 3, 4, 6, 7, 8, 9}},
        {9, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {12, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}}, // an empty cell: the last entry goes
        {0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case &c : cases) {
        PaletteGridState grid = grid_of(10);
        grid.selected = c.selected;
        ASSERT_TRUE(palette_grid_delete(grid)) << c.selected;
        EXPECT_EQ(9, grid.count) << c.selected;
        EXPECT_EQ(c.expected_selected, grid.selected) << c.selected;
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(c.expected_reds[k], red_of(grid, k)) << c.selected << " entry " << k;
        // The slot that fell out of use keeps its bytes.
        EXPECT_EQ(9, red_of(grid, 9)) << c.selected;
    }
    EXPECT_TRUE(message_texts().empty());
}

TEST_F(PaletteGridLogic, DeletingTheLastEntryLeavesNothingSelectedAndEmptyIsRefused)
{
    PaletteGridState grid = grid_of(1);
    ASSERT_TRUE(palette_grid_delete(grid));
    EXPECT_EQ(0, grid.count);
    EXPECT_EQ(-1, grid.selected);
    EXPECT_EQ("Palette Index: -", palette_index_label(grid));
    EXPECT_EQ("R: G: B: A:", palette_color_label(grid));

    EXPECT_FALSE(palette_grid_delete(grid));
    EXPECT_EQ(0, grid.count);
    EXPECT_EQ((std::vector<std::string>{"Palette is empty"}), message_texts());

    // Add after that starts again at entry 0.
    ASSERT_TRUE(palette_grid_add(grid));
    EXPECT_EQ(0, grid.selected);
    EXPECT_EQ(1, grid.count);
}

TEST_F(PaletteGridLogic, LabelsOfAnEmptyDocumentKeepTheTemplateUntilAClick)
{
    PaletteGridState grid; // as the editor opens without a document
    EXPECT_EQ("Palette Index: X", palette_index_label(grid));
    EXPECT_EQ("R: X B: X G: X", palette_color_label(grid));
    ASSERT_TRUE(palette_grid_select(grid, palette_grid_hit(192, 192, 30, 13)));
    EXPECT_EQ("Palette Index: 18", palette_index_label(grid));
    EXPECT_EQ("R: 0 G: 0 B: 0 A: 0", palette_color_label(grid)); // the slot's stored bytes

    PaletteGridState shown = grid_of(20);
    shown.selected = 18;
    EXPECT_EQ("R: 18 G: 19 B: 20 A: 118", palette_color_label(shown));
}

TEST(PaletteGridKeys, ArrowsMoveWithinTheCells)
{
    struct Case {
        int from;
        GridMove move;
        int expected;
    } cases[] = {
        {18, GridMove::Left, 17},   {18, GridMove::Right, 19}, {18, GridMove::Up, 2},
        {18, GridMove::Down, 34},   {0, GridMove::Left, 0},    {255, GridMove::Right, 255},
        {5, GridMove::Up, 5},       {250, GridMove::Down, 250}, {15, GridMove::Right, 16},
        {16, GridMove::Left, 15},   {40, GridMove::First, 0},  {2, GridMove::Last, 9},
        {-1, GridMove::Right, 0},   {-1, GridMove::Down, 0},
    };
    for (const Case &c : cases) {
        PaletteGridState grid = grid_of(10);
        grid.selected = c.from;
        EXPECT_EQ(c.expected, palette_grid_step(grid, c.move)) << c.from << " move " << static_cast<int>(c.move);
    }
    PaletteGridState empty;
    empty.selected = 30;
    EXPECT_EQ(0, palette_grid_step(empty, GridMove::Last));
}

TEST(PaletteGridColors, ChooserValuesKeepTheAlpha)
{
    PaletteGridState grid = grid_of(4);
    EXPECT_EQ(0x040302u, palette_entry_colorref(grid, 2));
    palette_entry_set_colorref(grid, 2, 0x00112233);
    EXPECT_EQ(0x33, grid.colors[8]);
    EXPECT_EQ(0x22, grid.colors[9]);
    EXPECT_EQ(0x11, grid.colors[10]);
    EXPECT_EQ(102, grid.colors[11]);
    palette_entry_set_colorref(grid, 300, 0xFFFFFF); // ignored, no write past the palette
    EXPECT_EQ(0u, palette_entry_colorref(grid, 300));
}

} // namespace
