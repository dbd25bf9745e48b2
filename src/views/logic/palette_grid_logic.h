// The palette grid without its widget: the working palette of the palette
// editor, shown as 16 x 16 cells, with its selection, its editing (Add and
// Delete Color), hit testing, cell geometry, keyboard moves and the texts of
// the editor's two labels.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int PALETTE_GRID_COLUMNS = 16;
inline constexpr int PALETTE_GRID_ROWS = 16;
inline constexpr int PALETTE_MAX_ENTRIES = 256;

inline constexpr const char *PALETTE_FULL_MESSAGE = "Palette is full";
inline constexpr const char *PALETTE_EMPTY_MESSAGE = "Palette is empty";
// The labels before anything has been shown in them (no document open).
inline constexpr const char *PALETTE_INDEX_LABEL_TEMPLATE = "Palette Index: X";
inline constexpr const char *PALETTE_COLOR_LABEL_TEMPLATE = "R: X B: X G: X";

struct PaletteGridState {
    // The working palette, red, green, blue and alpha per entry. Entries from
    // count on are not shown but keep whatever bytes they last held.
    uint8_t colors[PALETTE_MAX_ENTRIES * 4] = {};
    int count = 0;    // entries in use, 0 to 256
    int selected = 0; // 0 to 255 (may be an unused entry), -1 for none
    // False until the labels have been given a text of their own; they keep
    // the template texts until then.
    bool labels_shown = false;
};

struct GridRect {
    int left, top, right, bottom; // right and bottom exclusive
};

// The entry under client point (x, y) of a grid of width x height pixels:
// cells are width / 16 by height / 16 pixels. -1 for a point in the strip
// right of or below the 16 x 16 cells, outside the grid, or on a grid too
// small to have cells.
int palette_grid_hit(int width, int height, int x, int y);
// The whole cell of entry k, and its swatch (the cell inset by 2 pixels).
GridRect palette_grid_cell(int width, int height, int k);
GridRect palette_grid_swatch(int width, int height, int k);
// Whether entry k shows its highlight frame (the selected entry, when in use).
bool palette_grid_framed(const PaletteGridState &grid, int k);

// Selects entry `index` (also an unused one) and shows the labels; false,
// nothing changed, for an index outside 0..255.
bool palette_grid_select(PaletteGridState &grid, int index);
// Add Color: a black, opaque entry appended and selected; "Palette is full"
// when 256 are in use. True when added.
bool palette_grid_add(PaletteGridState &grid);
// Delete Color: removes the selected entry (the last one when an unused
// cell is selected); "Palette is empty" when none is in use. True when
// deleted. After the last entry has gone nothing is selected (-1).
bool palette_grid_delete(PaletteGridState &grid);

enum class GridMove { Left, Right, Up, Down, First, Last };
// The entry the selection moves to by one key press: one cell left or right
// (across rows), one row up or down, to entry 0 or to the last entry in use.
// The selection never leaves the 16 x 16 cells; from no selection every key
// goes to entry 0.
int palette_grid_step(const PaletteGridState &grid, GridMove move);

// The labels: "Palette Index: %i" and "R: %i G: %i B: %i A: %i" of the
// selected entry; "Palette Index: -" and blank values with nothing selected;
// the template texts until the labels have been shown.
std::string palette_index_label(const PaletteGridState &grid);
std::string palette_color_label(const PaletteGridState &grid);

// Entry k's colour as a colour chooser's value (0x00BBGGRR), and a chosen
// value stored into entry k's red, green and blue (its alpha is kept).
uint32_t palette_entry_colorref(const PaletteGridState &grid, int k);
void palette_entry_set_colorref(PaletteGridState &grid, int k, uint32_t colorref);
