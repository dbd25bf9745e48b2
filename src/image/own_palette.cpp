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

size_t pixel_count(const OwnPalettePicture &picture)
{
    return static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
}

// The pictures' own colours, in the order they first appear; false when
// there are more than `limit`.
bool exact_palette(const std::vector<OwnPalettePicture> &pictures, bool transparent_last, int limit,
                   std::vector<std::vector<uint8_t>> &indexes, uint8_t *palette, int &count)
{
    std::unordered_map<uint32_t, uint8_t> seen;
    for (size_t p = 0; p < pictures.size(); ++p)
        for (size_t i = 0; i < pixel_count(pictures[p]); ++i) {
            const uint8_t *pixel = pictures[p].rgba + i * 4;
            if (transparent_last && is_transparent(pixel)) {
                indexes[p][i] = 255;
                continue;
            }
            const auto [at, added] = seen.try_emplace(rgb_key(pixel), static_cast<uint8_t>(seen.size()));
            if (added) {
                if (static_cast<int>(seen.size()) > limit)
                    return false;
                std::memcpy(palette + at->second * 4, pixel, 3);
                palette[at->second * 4 + 3] = 255;
            }
            indexes[p][i] = at->second;
        }
    count = static_cast<int>(seen.size());
    return true;
}

struct LiqFree {
    void operator()(liq_attr *p) const { liq_attr_destroy(p); }
    void operator()(liq_image *p) const { liq_image_destroy(p); }
    void operator()(liq_histogram *p) const { liq_histogram_destroy(p); }
    void operator()(liq_result *p) const { liq_result_destroy(p); }
};

// A copy of the picture's pixels as the quantiser is to see them: opaque,
// the transparent ones (for transparent_last) in the colour of the first
// opaque pixel, so that they cost no entry.
std::vector<uint8_t> opaque_copy(const OwnPalettePicture &picture, bool transparent_last)
{
    const size_t pixels = pixel_count(picture);
    std::vector<uint8_t> opaque(picture.rgba, picture.rgba + pixels * 4);
    uint8_t stand_in[3] = {0, 0, 0};
    if (transparent_last)
        for (size_t i = 0; i < pixels; ++i)
            if (!is_transparent(picture.rgba + i * 4)) {
                std::memcpy(stand_in, picture.rgba + i * 4, 3);
                break;
            }
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t *pixel = opaque.data() + i * 4;
        if (transparent_last && is_transparent(pixel))
            std::memcpy(pixel, stand_in, 3);
        pixel[3] = 255;
    }
    return opaque;
}

bool quantised_palette(const std::vector<OwnPalettePicture> &pictures, bool transparent_last, bool dither, int limit,
                       std::vector<std::vector<uint8_t>> &indexes, uint8_t *palette, int &count)
{
    std::unique_ptr<liq_attr, LiqFree> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), limit) != LIQ_OK)
        return false;
    std::unique_ptr<liq_histogram, LiqFree> histogram(liq_histogram_create(attr.get()));
    if (!histogram)
        return false;
    // The images must outlive the result they are remapped with.
    std::vector<std::vector<uint8_t>> copies;
    std::vector<std::unique_ptr<liq_image, LiqFree>> images;
    for (const OwnPalettePicture &picture : pictures) {
        copies.push_back(opaque_copy(picture, transparent_last));
        images.emplace_back(liq_image_create_rgba(attr.get(), copies.back().data(), picture.width, picture.height, 0));
        if (!images.back() || liq_histogram_add_image(histogram.get(), attr.get(), images.back().get()) != LIQ_OK)
            return false;
    }
    liq_result *made = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &made) != LIQ_OK || !made)
        return false;
    std::unique_ptr<liq_result, LiqFree> result(made);
    liq_set_dithering_level(result.get(), dither ? 1.0f : 0.0f);
    for (size_t p = 0; p < pictures.size(); ++p) {
        if (liq_write_remapped_image(result.get(), images[p].get(), indexes[p].data(), indexes[p].size()) != LIQ_OK)
            return false;
        if (transparent_last)
            for (size_t i = 0; i < indexes[p].size(); ++i)
                if (is_transparent(pictures[p].rgba + i * 4))
                    indexes[p][i] = 255;
    }
    // The palette is known once the first image has been remapped.
    const liq_palette *chosen = liq_get_palette(result.get());
    if (!chosen)
        return false;
    count = static_cast<int>(chosen->count < static_cast<unsigned>(limit) ? chosen->count : limit);
    for (int k = 0; k < count; ++k) {
        palette[k * 4] = chosen->entries[k].r;
        palette[k * 4 + 1] = chosen->entries[k].g;
        palette[k * 4 + 2] = chosen->entries[k].b;
        palette[k * 4 + 3] = 255;
    }
    return true;
}

} // namespace

bool make_shared_palette(const std::vector<OwnPalettePicture> &pictures, bool transparent_last, bool dither,
                         std::vector<std::vector<uint8_t>> &indexes, uint8_t *palette, int &count)
{
    indexes.clear();
    count = 0;
    for (const OwnPalettePicture &picture : pictures) {
        if (!picture.rgba || picture.width <= 0 || picture.height <= 0)
            return false;
        indexes.emplace_back(pixel_count(picture), 0);
    }
    const int limit = transparent_last ? 255 : 256;
    for (int k = 0; k < 256; ++k)
        std::memcpy(palette + k * 4, "\0\0\0\xff", 4);
    if (!exact_palette(pictures, transparent_last, limit, indexes, palette, count)) {
        for (int k = 0; k < 256; ++k)
            std::memcpy(palette + k * 4, "\0\0\0\xff", 4);
        if (!quantised_palette(pictures, transparent_last, dither, limit, indexes, palette, count))
            return false;
    }
    if (transparent_last) {
        std::memcpy(palette + 255 * 4, TRANSPARENT_ENTRY_RGB, 3);
        palette[255 * 4 + 3] = 0;
        count = 256;
    }
    return true;
}

bool make_own_palette(const uint8_t *rgba, int width, int height, bool transparent_last, bool dither, OwnPalette &out)
{
    out = OwnPalette{};
    std::vector<std::vector<uint8_t>> indexes;
    if (!make_shared_palette({{rgba, width, height}}, transparent_last, dither, indexes, out.palette, out.count))
        return false;
    out.indexes = std::move(indexes[0]);
    return true;
}

namespace {

// RGBA copies of the images (so that they stay as they are should what is
// made of them fail), each with its row order; false when one cannot be read.
bool rgba_copies(const std::vector<uint32_t> &images, std::vector<std::vector<uint8_t>> &pixels,
                 std::vector<OwnPalettePicture> &pictures, std::vector<bool> &lower_left)
{
    const HostTable &h = host();
    const uint32_t scratch = h.gen_image();
    bool ok = true;
    for (uint32_t image : images) {
        h.bind_image(image);
        lower_left.push_back(h.origin_is_lower_left() != 0);
        h.bind_image(scratch);
        ok = h.copy_image(image) && h.convert_image(IMAGE_RGBA) && h.get_data();
        if (!ok)
            break;
        const size_t bytes = static_cast<size_t>(h.width()) * static_cast<size_t>(h.height()) * 4;
        pixels.emplace_back(h.get_data(), h.get_data() + bytes);
        pictures.push_back({nullptr, h.width(), h.height()});
    }
    h.delete_image(scratch);
    for (size_t k = 0; ok && k < pictures.size(); ++k)
        pictures[k].rgba = pixels[k].data();
    return ok;
}

// Makes each image 8-bit with its indexes and the shared palette.
void set_indexed_images(const std::vector<uint32_t> &images, const std::vector<OwnPalettePicture> &pictures,
                        const std::vector<bool> &lower_left, const std::vector<std::vector<uint8_t>> &indexes,
                        const uint8_t *palette)
{
    const HostTable &h = host();
    for (size_t k = 0; k < images.size(); ++k) {
        h.bind_image(images[k]);
        ilTexImage(static_cast<ILuint>(pictures[k].width), static_cast<ILuint>(pictures[k].height), 1, 1,
                   IL_COLOUR_INDEX, IL_UNSIGNED_BYTE, const_cast<uint8_t *>(indexes[k].data()));
        // The copy was converted in the image's own row order.
        if (lower_left[k])
            ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        else
            h.set_upper_left_origin();
        h.set_palette(palette, 256);
    }
}

} // namespace

bool give_images_own_palette(const std::vector<uint32_t> &images, bool transparent_last, bool dither)
{
    std::vector<std::vector<uint8_t>> pixels;
    std::vector<OwnPalettePicture> pictures;
    std::vector<bool> lower_left;
    std::vector<std::vector<uint8_t>> indexes;
    uint8_t palette[1024];
    int count = 0;
    if (!rgba_copies(images, pixels, pictures, lower_left)
        || !make_shared_palette(pictures, transparent_last, dither, indexes, palette, count))
        return false;
    set_indexed_images(images, pictures, lower_left, indexes, palette);
    return true;
}

bool give_images_opacity_palette(const std::vector<uint32_t> &images)
{
    std::vector<std::vector<uint8_t>> pixels;
    std::vector<OwnPalettePicture> pictures;
    std::vector<bool> lower_left;
    if (!rgba_copies(images, pixels, pictures, lower_left))
        return false;
    std::vector<std::vector<uint8_t>> indexes;
    double sum[3] = {0, 0, 0};
    double weight = 0;
    for (const OwnPalettePicture &picture : pictures) {
        indexes.emplace_back(pixel_count(picture), 0);
        for (size_t i = 0; i < pixel_count(picture); ++i) {
            const uint8_t *px = picture.rgba + i * 4;
            // Rec. 601 brightness, as the game's tools take it.
            const double opacity = (0.299 * px[0] + 0.587 * px[1] + 0.114 * px[2]) * px[3] / 255.0;
            indexes.back()[i] = static_cast<uint8_t>(opacity + 0.5);
            for (int c = 0; c < 3; ++c)
                sum[c] += px[c] * opacity;
            weight += opacity;
        }
    }
    uint8_t palette[1024];
    for (int k = 0; k < 256; ++k) {
        const uint8_t entry[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k), static_cast<uint8_t>(k), 255};
        std::memcpy(palette + k * 4, entry, 4);
    }
    for (int c = 0; c < 3 && weight > 0; ++c)
        palette[255 * 4 + c] = static_cast<uint8_t>(sum[c] / weight + 0.5);
    set_indexed_images(images, pictures, lower_left, indexes, palette);
    return true;
}

bool give_image_own_palette(uint32_t image, bool transparent_last, bool dither)
{
    const bool ok = give_images_own_palette({image}, transparent_last, dither);
    host().bind_image(image);
    return ok;
}

namespace {
thread_local bool dithering = false;
}

bool own_palette_dithering() { return dithering; }

OwnPaletteDithering::OwnPaletteDithering(bool dither) : previous_(dithering) { dithering = dither; }

OwnPaletteDithering::~OwnPaletteDithering() { dithering = previous_; }
