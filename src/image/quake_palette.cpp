#include "image/quake_palette.h"

#include <atomic>
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

int bound_palette_rgba(uint8_t *out, bool keep_alpha)
{
    const HostTable &h = host();
    std::memset(out, 0, 1024);
    // Asked without image_type(), which converts images of wider channels.
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE)
        return 0;
    const int entries = h.palette_size();
    const uint8_t *palette = h.get_palette();
    if (!palette || entries <= 0 || entries > 256)
        return 0;
    const PaletteTypeCode type = h.palette_type();
    const int bytes = ilGetInteger(IL_PALETTE_BPP) == 4 ? 4 : 3;
    const bool bgr = type == IMAGE_BGR || type == IMAGE_BGRA;
    const bool alpha = keep_alpha && bytes == 4 && ilGetInteger(IL_PALETTE_TYPE) != IL_PAL_RGB32 &&
                       ilGetInteger(IL_PALETTE_TYPE) != IL_PAL_BGR32;
    for (int i = 0; i < entries; ++i) {
        const uint8_t *p = palette + i * bytes;
        out[i * 4 + 0] = bgr ? p[2] : p[0];
        out[i * 4 + 1] = p[1];
        out[i * 4 + 2] = bgr ? p[0] : p[2];
        out[i * 4 + 3] = alpha ? p[3] : 255;
    }
    return entries;
}

namespace {
std::atomic<int> fullbrights{32};
} // namespace

int fullbright_count() { return fullbrights.load(); }

void set_fullbright_count(int count) { fullbrights.store(count < 0 ? 0 : count > 256 ? 256 : count); }

int fullbright_first_index() { return 256 - fullbright_count(); }

bool is_quake_palette(const uint8_t *rgba, int entries)
{
    if (entries != 256)
        return false;
    for (int i = 0; i < 256; ++i)
        if (std::memcmp(rgba + i * 4, default_palette + i * 4, 3) != 0)
            return false;
    return true;
}

size_t bound_fullbright_pixels(std::vector<uint8_t> *mask)
{
    if (mask)
        mask->clear();
    uint8_t palette[1024];
    const int entries = bound_palette_rgba(palette);
    const int first = fullbright_first_index();
    if (!is_quake_palette(palette, entries) || first >= 256)
        return 0;
    // A palette read without alpha says nothing about holes.
    bool any_opaque = false, any_clear = false;
    for (int i = 0; i < entries; ++i)
        (palette[i * 4 + 3] ? any_opaque : any_clear) = true;
    bool glows[256] = {};
    for (int i = first; i < 256; ++i)
        glows[i] = !(any_opaque && any_clear && palette[i * 4 + 3] == 0);
    const HostTable &h = host();
    const int w = h.width(), ht = h.height();
    const uint8_t *data = h.get_data();
    if (!data || w <= 0 || ht <= 0 || ilGetInteger(IL_IMAGE_BPP) != 1)
        return 0;
    if (mask)
        mask->assign(static_cast<size_t>(w) * static_cast<size_t>(ht), 0);
    // Rows as the library holds them; the mask is top row first.
    const bool bottom_first = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    size_t count = 0;
    for (int y = 0; y < ht; ++y) {
        const uint8_t *row = data + static_cast<size_t>(y) * static_cast<size_t>(w);
        const size_t at = static_cast<size_t>(bottom_first ? ht - 1 - y : y) * static_cast<size_t>(w);
        for (int x = 0; x < w; ++x)
            if (glows[row[x]]) {
                ++count;
                if (mask)
                    (*mask)[at + static_cast<size_t>(x)] = 1;
            }
    }
    return count;
}
