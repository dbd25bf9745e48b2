#include "image/own_palette.h"

#include <cstring>
#include <memory>
#include <unordered_map>

#include <IL/il.h>
#include <libimagequant.h>

#include "image/host_table.h"

namespace {

bool is_transparent(const uint8_t *pixel) { return pixel[3] < 128; }

uint32_t rgb_key(const uint8_t *pixel)
{
    return static_cast<uint32_t>(pixel[0]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[2];
}

// The picture's own colours, in the order they first appear; false when
// there are more than `limit`.
bool exact_palette(const uint8_t *rgba, size_t pixels, bool transparent_last, int limit, OwnPalette &out)
{
    std::unordered_map<uint32_t, uint8_t> seen;
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t *pixel = rgba + i * 4;
        if (transparent_last && is_transparent(pixel)) {
            out.indexes[i] = 255;
            continue;
        }
        const auto [at, added] = seen.try_emplace(rgb_key(pixel), static_cast<uint8_t>(seen.size()));
        if (added) {
            if (static_cast<int>(seen.size()) > limit)
                return false;
            std::memcpy(out.palette + at->second * 4, pixel, 3);
            out.palette[at->second * 4 + 3] = 255;
        }
        out.indexes[i] = at->second;
    }
    out.count = static_cast<int>(seen.size());
    return true;
}

struct LiqFree {
    void operator()(liq_attr *p) const { liq_attr_destroy(p); }
    void operator()(liq_image *p) const { liq_image_destroy(p); }
    void operator()(liq_result *p) const { liq_result_destroy(p); }
};

bool quantised_palette(const uint8_t *rgba, int width, int height, bool transparent_last, bool dither, int limit,
                       OwnPalette &out)
{
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    // The quantiser sees opaque pixels only: transparent ones take the
    // colour of the first opaque pixel, so that they cost no entry.
    std::vector<uint8_t> opaque(rgba, rgba + pixels * 4);
    uint8_t stand_in[4] = {0, 0, 0, 255};
    if (transparent_last)
        for (size_t i = 0; i < pixels; ++i)
            if (!is_transparent(rgba + i * 4)) {
                std::memcpy(stand_in, rgba + i * 4, 3);
                break;
            }
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t *pixel = opaque.data() + i * 4;
        if (transparent_last && is_transparent(pixel))
            std::memcpy(pixel, stand_in, 3);
        pixel[3] = 255;
    }
    std::unique_ptr<liq_attr, LiqFree> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), limit) != LIQ_OK)
        return false;
    std::unique_ptr<liq_image, LiqFree> image(liq_image_create_rgba(attr.get(), opaque.data(), width, height, 0));
    if (!image)
        return false;
    liq_result *made = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &made) != LIQ_OK || !made)
        return false;
    std::unique_ptr<liq_result, LiqFree> result(made);
    liq_set_dithering_level(result.get(), dither ? 1.0f : 0.0f);
    if (liq_write_remapped_image(result.get(), image.get(), out.indexes.data(), pixels) != LIQ_OK)
        return false;
    const liq_palette *palette = liq_get_palette(result.get());
    if (!palette)
        return false;
    out.count = static_cast<int>(palette->count < static_cast<unsigned>(limit) ? palette->count : limit);
    for (int k = 0; k < out.count; ++k) {
        out.palette[k * 4] = palette->entries[k].r;
        out.palette[k * 4 + 1] = palette->entries[k].g;
        out.palette[k * 4 + 2] = palette->entries[k].b;
        out.palette[k * 4 + 3] = 255;
    }
    if (transparent_last)
        for (size_t i = 0; i < pixels; ++i)
            if (is_transparent(rgba + i * 4))
                out.indexes[i] = 255;
    return true;
}

} // namespace

bool make_own_palette(const uint8_t *rgba, int width, int height, bool transparent_last, bool dither, OwnPalette &out)
{
    out = OwnPalette{};
    if (!rgba || width <= 0 || height <= 0)
        return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    out.indexes.assign(pixels, 0);
    const int limit = transparent_last ? 255 : 256;
    for (int k = 0; k < 256; ++k)
        out.palette[k * 4 + 3] = 255;
    if (!exact_palette(rgba, pixels, transparent_last, limit, out)) {
        for (int k = 0; k < 256; ++k)
            std::memcpy(out.palette + k * 4, "\0\0\0\xff", 4);
        if (!quantised_palette(rgba, width, height, transparent_last, dither, limit, out))
            return false;
    }
    if (transparent_last) {
        std::memcpy(out.palette + 255 * 4, TRANSPARENT_ENTRY_RGB, 3);
        out.palette[255 * 4 + 3] = 0;
        out.count = 256;
    }
    return true;
}

bool give_image_own_palette(uint32_t bound, bool transparent_last, bool dither)
{
    const HostTable &h = host();
    const uint32_t scratch = h.gen_image();
    h.bind_image(scratch);
    bool ok = h.copy_image(bound) && h.convert_image(IMAGE_RGBA);
    const int width = h.width();
    const int height = h.height();
    OwnPalette made;
    ok = ok && make_own_palette(h.get_data(), width, height, transparent_last, dither, made);
    h.delete_image(scratch);
    h.bind_image(bound);
    if (!ok)
        return false;
    const bool lower_left = h.origin_is_lower_left() != 0;
    ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               made.indexes.data());
    // The copy was converted with the image's own row order.
    if (lower_left)
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    else
        h.set_upper_left_origin();
    h.set_palette(made.palette, 256);
    return true;
}

namespace {
thread_local bool dithering = false;
}

bool own_palette_dithering() { return dithering; }

OwnPaletteDithering::OwnPaletteDithering(bool dither) : previous_(dithering) { dithering = dither; }

OwnPaletteDithering::~OwnPaletteDithering() { dithering = previous_; }
