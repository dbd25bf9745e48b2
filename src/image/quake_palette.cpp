#include "image/quake_palette.h"

#include <cstring>
#include <string>
#include <vector>

#include <IL/il.h>

#include "image/host_table.h"
#include "image/palette_matcher.h"

uint8_t default_palette[1025] = {};

namespace {

constexpr int64_t COMPONENT_LIMIT = int64_t(1) << 28;

int64_t clamp_component(int value)
{
    if (value > COMPONENT_LIMIT)
        return COMPONENT_LIMIT;
    if (value < -COMPONENT_LIMIT)
        return -COMPONENT_LIMIT;
    return value;
}

} // namespace

int nearest_palette_index(const uint8_t *palette, int count, int red, int green, int blue, int alpha_flag)
{
    if (count <= 0 || !palette)
        return 0;
    if (alpha_flag == 0) {
        for (int i = 0; i < count; ++i)
            if (palette[i * 4 + 3] == 0)
                return i;
        return 0;
    }
    // Components far outside 0..255 (brightened colours) are held within a
    // bound whose squared distances still fit 64 bits; every colour a
    // palette can be compared with meaningfully lies well inside it.
    const int64_t r = clamp_component(red);
    const int64_t g = clamp_component(green);
    const int64_t b = clamp_component(blue);
    // The bound starts at twice the distance from black rather than at a
    // large constant: opaque black always yields 0.
    int64_t best = 2 * (r * r + g * g + b * b);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const int64_t dr = palette[i * 4] - r;
        const int64_t dg = palette[i * 4 + 1] - g;
        const int64_t db = palette[i * 4 + 2] - b;
        const int64_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            if (d == 0)
                return i;
            best = d;
            result = i;
        }
    }
    return result;
}

namespace {

// True-colour images are matched pixel by pixel, each colour with its own
// alpha. The library's quantiser is not used for them: it drops alpha and
// moves colours even when the image has fewer than 256, so colours that the
// target palette holds exactly would come out as other entries.
void remap_true_colour(const uint8_t *palette, int count)
{
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    if (!host().convert_image(IMAGE_RGBA))
        return;
    const int w = host().width();
    const int h = host().height();
    const uint8_t *rgba = host().get_data();
    if (!rgba || w <= 0 || h <= 0)
        return;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint8_t> indexes(pixels);
    PaletteMatcher matcher(palette, count);
    // A table of every colour's answer pays once an image is large; its
    // pages are only taken as colours come.
    if (pixels >= (size_t(1) << 16))
        matcher.enable_colour_table();
    const uint8_t transparent = static_cast<uint8_t>(matcher.transparent());
    for (size_t p = 0; p < pixels; ++p) {
        const uint8_t *c = rgba + p * 4;
        // Every transparent colour matches alike, whatever its colour.
        indexes[p] = c[3] == 0 ? transparent : static_cast<uint8_t>(matcher.nearest(c[0], c[1], c[2]));
    }
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               indexes.data());
    ilRegisterOrigin(origin == IL_ORIGIN_LOWER_LEFT ? IL_ORIGIN_LOWER_LEFT : IL_ORIGIN_UPPER_LEFT);
    host().set_palette(palette, count);
}

} // namespace

void indexed_palette_table(uint8_t table[256], const std::function<int(const uint8_t *rgba)> &match)
{
    host().convert_palette(IMAGE_RGBA);
    int n = host().palette_size();
    if (n > 256)
        n = 256;
    const uint8_t *image_palette = ilGetInteger(IL_PALETTE_BPP) == 4 ? host().get_palette() : nullptr;
    std::memset(table, 0, 256);
    for (int k = 0; image_palette && k < n; ++k)
        table[k] = static_cast<uint8_t>(match(image_palette + k * 4));
}

void remap_to_palette(const uint8_t *palette, int count)
{
    if (count <= 0 || !palette)
        return;
    if (count > 256)
        count = 256;
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX) {
        remap_true_colour(palette, count);
        return;
    }
    host().convert_image(IMAGE_INDEXED);
    uint8_t table[256];
    indexed_palette_table(table, [palette, count](const uint8_t *e) {
        return nearest_palette_index(palette, count, e[0], e[1], e[2], e[3]);
    });
    host().set_palette(palette, count);
    const int w = host().width();
    const int h = host().height();
    uint8_t *data = host().get_data();
    if (!data || w <= 0 || h <= 0)
        return;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t p = 0; p < pixels; ++p)
        data[p] = table[data[p]];
}
