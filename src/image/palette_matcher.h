// Fast exact colour matching against one palette: the same answers as
// nearest_palette_index, for every colour, at a fraction of its cost.
//
// The colour cube is cut into 32 x 32 x 32 cells of 8 x 8 x 8 colours. For a
// cell, only the entries whose nearest point of the cell is no farther
// than the best entry's farthest point can be nearest to any colour in it;
// that candidate list, kept in index order and built the first time a
// colour of the cell is asked for, usually holds a few entries instead of
// 256. Every entry that reaches the least distance of a colour is among its
// cell's candidates, so walking them with the rule of
// nearest_palette_index (strictly smaller distances win, the bound of twice
// the distance from black, an exact match ends the walk) gives exactly its
// result. Colours outside 0..255 are matched by the plain rule.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class PaletteMatcher {
public:
    // `palette` (count entries of 4 bytes) must outlive the matcher.
    PaletteMatcher(const uint8_t *palette, int count);
    ~PaletteMatcher();
    PaletteMatcher(const PaletteMatcher &) = delete;
    PaletteMatcher &operator=(const PaletteMatcher &) = delete;

    // nearest_palette_index(palette, count, red, green, blue, 1).
    int nearest(int red, int green, int blue);
    // nearest_palette_index(palette, count, ..., 0): the first transparent entry, or 0.
    int transparent() const { return transparent_; }

    // Remembers every answer in a table of all 2^24 colours (its pages are
    // taken from the system only as colours are asked for): worth it for
    // large images with many colours.
    void enable_colour_table();

private:
    const uint8_t *candidates(int cell);

    const uint8_t *palette_;
    int count_;
    int transparent_ = 0;
    std::vector<int32_t> cell_start_; // -1: not built yet
    std::vector<uint16_t> cell_size_;
    std::vector<uint8_t> pool_;
    struct FreeTable {
        void operator()(uint16_t *table) const;
    };
    std::unique_ptr<uint16_t, FreeTable> table_; // answer + 1, 0 when not known
};
