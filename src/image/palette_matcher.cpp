#include "image/palette_matcher.h"

#include <cstdlib>

#include "image/quake_palette.h"

namespace {

constexpr int CELL_BITS = 3;                // 8 colours a side
constexpr int CELLS_PER_SIDE = 256 >> CELL_BITS;
constexpr int CELL_COUNT = CELLS_PER_SIDE * CELLS_PER_SIDE * CELLS_PER_SIDE;

int64_t square(int64_t v) { return v * v; }

// The squared distances from a component value to the nearest and the
// farthest value of [low, high].
int64_t nearest_on_axis(int value, int low, int high)
{
    return value < low ? square(low - value) : value > high ? square(value - high) : 0;
}
int64_t farthest_on_axis(int value, int low, int high)
{
    const int64_t a = square(value - low), b = square(value - high);
    return a > b ? a : b;
}

} // namespace

void PaletteMatcher::FreeTable::operator()(uint16_t *table) const { std::free(table); }

PaletteMatcher::PaletteMatcher(const uint8_t *palette, int count)
    : palette_(palette), count_(palette ? (count < 0 ? 0 : count > 256 ? 256 : count) : 0),
      cell_start_(CELL_COUNT, -1), cell_size_(CELL_COUNT, 0)
{
    transparent_ = nearest_palette_index(palette_, count_, 0, 0, 0, 0);
}

PaletteMatcher::~PaletteMatcher() = default;

void PaletteMatcher::enable_colour_table()
{
    if (!table_)
        table_.reset(static_cast<uint16_t *>(std::calloc(size_t(1) << 24, sizeof(uint16_t))));
}

const uint8_t *PaletteMatcher::candidates(int cell)
{
    if (cell_start_[cell] >= 0)
        return pool_.data() + cell_start_[cell];
    const int r0 = (cell >> (2 * 5)) << CELL_BITS;
    const int g0 = ((cell >> 5) & (CELLS_PER_SIDE - 1)) << CELL_BITS;
    const int b0 = (cell & (CELLS_PER_SIDE - 1)) << CELL_BITS;
    const int span = (1 << CELL_BITS) - 1;
    // The least, over the entries, of the distance to the cell's farthest
    // point: no colour of the cell is farther than that from its nearest entry.
    int64_t limit = INT64_MAX;
    for (int i = 0; i < count_; ++i) {
        const uint8_t *e = palette_ + i * 4;
        const int64_t far = farthest_on_axis(e[0], r0, r0 + span) + farthest_on_axis(e[1], g0, g0 + span)
                            + farthest_on_axis(e[2], b0, b0 + span);
        if (far < limit)
            limit = far;
    }
    const size_t start = pool_.size();
    for (int i = 0; i < count_; ++i) {
        const uint8_t *e = palette_ + i * 4;
        const int64_t near = nearest_on_axis(e[0], r0, r0 + span) + nearest_on_axis(e[1], g0, g0 + span)
                             + nearest_on_axis(e[2], b0, b0 + span);
        if (near <= limit)
            pool_.push_back(static_cast<uint8_t>(i));
    }
    cell_start_[cell] = static_cast<int32_t>(start);
    cell_size_[cell] = static_cast<uint16_t>(pool_.size() - start);
    return pool_.data() + start;
}

int PaletteMatcher::nearest(int red, int green, int blue)
{
    if (count_ <= 0)
        return 0;
    if ((red | green | blue) & ~0xFF)
        return nearest_palette_index(palette_, count_, red, green, blue, 1);
    const uint32_t colour = static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8
                            | static_cast<uint32_t>(blue);
    if (table_ && table_.get()[colour])
        return table_.get()[colour] - 1;

    const int cell = (red >> CELL_BITS) << (2 * 5) | (green >> CELL_BITS) << 5 | (blue >> CELL_BITS);
    const uint8_t *list = candidates(cell);
    const int size = cell_size_[cell];
    const int64_t r = red, g = green, b = blue;
    int64_t best = 2 * (r * r + g * g + b * b);
    int result = 0;
    for (int k = 0; k < size; ++k) {
        const int i = list[k];
        const uint8_t *e = palette_ + i * 4;
        const int64_t d = square(e[0] - r) + square(e[1] - g) + square(e[2] - b);
        if (d < best) {
            result = i;
            if (d == 0)
                break;
            best = d;
        }
    }
    if (table_)
        table_.get()[colour] = static_cast<uint16_t>(result + 1);
    return result;
}
