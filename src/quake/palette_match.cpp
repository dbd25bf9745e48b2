#include "quake/palette_match.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <IL/il.h>

#include "image/host_table.h"
#include "image/quake_palette.h"

namespace {

int clamp_byte(int value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }

// The index for one colour: transparent colours take the first transparent
// entry of the whole palette, opaque ones the nearest allowed entry.
int match_colour(const uint8_t *palette, int count, int opaque, int r, int g, int b, int a)
{
    if (a == 0)
        return nearest_palette_index(palette, count, r, g, b, 0);
    return nearest_palette_index(palette, opaque, r, g, b, a);
}

void store_indexes(int w, int h, std::vector<uint8_t> &indexes, const uint8_t *palette, int count)
{
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               indexes.data());
    ilRegisterOrigin(origin == IL_ORIGIN_LOWER_LEFT ? IL_ORIGIN_LOWER_LEFT : IL_ORIGIN_UPPER_LEFT);
    host().set_palette(palette, count);
}

// 8-bit images without dithering: one match per palette entry.
void match_indexed(const uint8_t *palette, int count, int opaque)
{
    uint8_t table[256];
    indexed_palette_table(table, [palette, count, opaque](const uint8_t *e) {
        return match_colour(palette, count, opaque, e[0], e[1], e[2], e[3]);
    });
    const int w = host().width();
    const int h = host().height();
    const uint8_t *data = host().get_data();
    if (!data || w <= 0 || h <= 0) {
        host().set_palette(palette, count);
        return;
    }
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint8_t> indexes(pixels);
    for (size_t p = 0; p < pixels; ++p)
        indexes[p] = table[data[p]];
    store_indexes(w, h, indexes, palette, count);
}

void match_true_colour(const uint8_t *palette, int count, int opaque, bool dither, int strength)
{
    if (!host().convert_image(IMAGE_RGBA))
        return;
    const int w = host().width();
    const int h = host().height();
    const uint8_t *rgba = host().get_data();
    if (!rgba || w <= 0 || h <= 0)
        return;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint8_t> indexes(pixels);
    if (!dither) {
        std::unordered_map<uint32_t, uint8_t> matched;
        for (size_t p = 0; p < pixels; ++p) {
            const uint8_t *c = rgba + p * 4;
            const uint32_t key =
                c[3] == 0 ? 0u : (uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | 1u << 24);
            const auto found = matched.find(key);
            if (found != matched.end()) {
                indexes[p] = found->second;
                continue;
            }
            const uint8_t index = static_cast<uint8_t>(match_colour(palette, count, opaque, c[0], c[1], c[2], c[3]));
            matched.emplace(key, index);
            indexes[p] = index;
        }
        store_indexes(w, h, indexes, palette, count);
        return;
    }
    // Floyd-Steinberg: the error of each opaque pixel goes 7/16 right, 3/16
    // down-left, 5/16 down and 1/16 down-right, to opaque pixels only.
    // Errors are carried in sixteenths in two rows of three channels.
    const size_t row = static_cast<size_t>(w) + 2;
    std::vector<int> current(row * 3, 0), next(row * 3, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < w; ++x) {
            const size_t p = static_cast<size_t>(y) * w + x;
            const uint8_t *c = rgba + p * 4;
            if (c[3] == 0) {
                indexes[p] = static_cast<uint8_t>(match_colour(palette, count, opaque, c[0], c[1], c[2], 0));
                continue;
            }
            const size_t at = (static_cast<size_t>(x) + 1) * 3;
            int want[3];
            for (int k = 0; k < 3; ++k)
                want[k] = clamp_byte(c[k] + (current[at + k] >= 0 ? (current[at + k] + 8) / 16
                                                                   : -((-current[at + k] + 8) / 16)));
            const int index = match_colour(palette, count, opaque, want[0], want[1], want[2], c[3]);
            indexes[p] = static_cast<uint8_t>(index);
            const bool right_opaque = x + 1 < w && rgba[(p + 1) * 4 + 3] != 0;
            for (int k = 0; k < 3; ++k) {
                const int error = (want[k] - palette[index * 4 + k]) * strength / 100;
                if (right_opaque)
                    current[at + 3 + k] += error * 7;
                next[at - 3 + k] += error * 3;
                next[at + k] += error * 5;
                next[at + 3 + k] += error * 1;
            }
        }
        // Error that would land on transparent pixels of the next row is
        // dropped there when that row is read: mask it now.
        if (y + 1 < h)
            for (int x = 0; x < w; ++x)
                if (rgba[(static_cast<size_t>(y + 1) * w + x) * 4 + 3] == 0)
                    for (int k = 0; k < 3; ++k)
                        next[(static_cast<size_t>(x) + 1) * 3 + k] = 0;
        std::swap(current, next);
    }
    store_indexes(w, h, indexes, palette, count);
}

} // namespace

void match_bound_image(const uint8_t *palette, int count, const PaletteMatchOptions &options)
{
    if (count <= 0 || !palette)
        return;
    if (count > 256)
        count = 256;
    int opaque = options.opaque_entries;
    if (opaque > count)
        opaque = count;
    if (opaque < 1)
        opaque = 1;
    const bool indexed = ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX
                         && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1;
    if (indexed && !options.dither)
        match_indexed(palette, count, opaque);
    else
        match_true_colour(palette, count, opaque, options.dither,
                          options.dither_strength < 1 ? 1 : options.dither_strength > 100 ? 100 : options.dither_strength);
}
