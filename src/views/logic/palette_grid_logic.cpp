#include "views/logic/palette_grid_logic.h"

#include <cstring>

#include "platform/platform.h"

namespace {

bool in_grid(int index) { return index >= 0 && index < PALETTE_MAX_ENTRIES; }

} // namespace

int palette_grid_hit(int width, int height, int x, int y)
{
    const int cell_w = width / PALETTE_GRID_COLUMNS;
    const int cell_h = height / PALETTE_GRID_ROWS;
    if (cell_w <= 0 || cell_h <= 0 || x < 0 || y < 0)
        return -1;
    const int column = x / cell_w;
    const int row = y / cell_h;
    // The strip that integer division leaves right of and below the cells
    // belongs to no entry.
    if (column >= PALETTE_GRID_COLUMNS || row >= PALETTE_GRID_ROWS)
        return -1;
    return row * PALETTE_GRID_COLUMNS + column;
}

GridRect palette_grid_cell(int width, int height, int k)
{
    const int cell_w = width / PALETTE_GRID_COLUMNS;
    const int cell_h = height / PALETTE_GRID_ROWS;
    const int left = (k % PALETTE_GRID_COLUMNS) * cell_w;
    const int top = (k / PALETTE_GRID_COLUMNS) * cell_h;
    return {left, top, left + cell_w, top + cell_h};
}

GridRect palette_grid_swatch(int width, int height, int k)
{
    const GridRect cell = palette_grid_cell(width, height, k);
    return {cell.left + 2, cell.top + 2, cell.right - 2, cell.bottom - 2};
}

bool palette_grid_framed(const PaletteGridState &grid, int k)
{
    return k == grid.selected && k >= 0 && k < grid.count;
}

bool palette_grid_select(PaletteGridState &grid, int index)
{
    if (!in_grid(index))
        return false;
    grid.selected = index;
    grid.labels_shown = true;
    return true;
}

bool palette_grid_add(PaletteGridState &grid)
{
    if (grid.count > PALETTE_MAX_ENTRIES - 1) {
        show_warning(PALETTE_FULL_MESSAGE);
        return false;
    }
    uint8_t *entry = grid.colors + grid.count * 4;
    entry[0] = entry[1] = entry[2] = 0;
    entry[3] = 255;
    grid.selected = grid.count;
    ++grid.count;
    grid.labels_shown = true;
    return true;
}

bool palette_grid_delete(PaletteGridState &grid)
{
    if (grid.count <= 0) {
        show_warning(PALETTE_EMPTY_MESSAGE);
        return false;
    }
    if (grid.selected < 0 || grid.selected >= grid.count)
        grid.selected = grid.count - 1;
    // The entries above move down; the slot that falls out of use keeps its
    // bytes.
    const int after = grid.count - 1 - grid.selected;
    if (after > 0)
        std::memmove(grid.colors + grid.selected * 4, grid.colors + (grid.selected + 1) * 4,
                     static_cast<size_t>(after) * 4);
    --grid.count;
    if (grid.selected >= grid.count)
        grid.selected = grid.count - 1;
    grid.labels_shown = true;
    return true;
}

int palette_grid_step(const PaletteGridState &grid, GridMove move)
{
    const int s = grid.selected;
    if (!in_grid(s))
        return 0;
    switch (move) {
    case GridMove::Left: return s > 0 ? s - 1 : s;
    case GridMove::Right: return s < PALETTE_MAX_ENTRIES - 1 ? s + 1 : s;
    case GridMove::Up: return s >= PALETTE_GRID_COLUMNS ? s - PALETTE_GRID_COLUMNS : s;
    case GridMove::Down: return s + PALETTE_GRID_COLUMNS < PALETTE_MAX_ENTRIES ? s + PALETTE_GRID_COLUMNS : s;
    case GridMove::First: return 0;
    case GridMove::Last: return grid.count > 0 ? grid.count - 1 : 0;
    }
    return s;
}

std::string palette_index_label(const PaletteGridState &grid)
{
    if (!grid.labels_shown)
        return PALETTE_INDEX_LABEL_TEMPLATE;
    if (!in_grid(grid.selected))
        return "Palette Index: -";
    return format_text("Palette Index: %i", grid.selected);
}

std::string palette_color_label(const PaletteGridState &grid)
{
    if (!grid.labels_shown)
        return PALETTE_COLOR_LABEL_TEMPLATE;
    if (!in_grid(grid.selected))
        return "R: G: B: A:";
    const uint8_t *e = grid.colors + grid.selected * 4;
    return format_text("R: %i G: %i B: %i A: %i", e[0], e[1], e[2], e[3]);
}

uint32_t palette_entry_colorref(const PaletteGridState &grid, int k)
{
    if (!in_grid(k))
        return 0;
    const uint8_t *e = grid.colors + k * 4;
    return static_cast<uint32_t>(e[0]) | static_cast<uint32_t>(e[1]) << 8 | static_cast<uint32_t>(e[2]) << 16;
}

void palette_entry_set_colorref(PaletteGridState &grid, int k, uint32_t colorref)
{
    if (!in_grid(k))
        return;
    uint8_t *e = grid.colors + k * 4;
    e[0] = static_cast<uint8_t>(colorref & 0xFF);
    e[1] = static_cast<uint8_t>((colorref >> 8) & 0xFF);
    e[2] = static_cast<uint8_t>((colorref >> 16) & 0xFF);
}
