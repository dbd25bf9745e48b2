#include "image/image_ops.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "image/palette_matcher.h"
#include "image/quake_palette.h"

namespace {

// The palette of the bound image, so that it survives ilTexImage.
struct SavedPalette {
    std::vector<uint8_t> bytes;
    ILenum type = IL_PAL_NONE;
};

SavedPalette save_palette()
{
    SavedPalette saved;
    const ILint type = ilGetInteger(IL_PALETTE_TYPE);
    const ILint entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    const ILint entry_size = ilGetInteger(IL_PALETTE_BPP);
    const uint8_t *palette = ilGetPalette();
    if (type == IL_PAL_NONE || entries <= 0 || entry_size <= 0 || !palette)
        return saved;
    saved.type = static_cast<ILenum>(type);
    saved.bytes.assign(palette, palette + static_cast<size_t>(entries) * static_cast<size_t>(entry_size));
    return saved;
}

void restore_palette(SavedPalette &saved)
{
    if (saved.type != IL_PAL_NONE && !saved.bytes.empty())
        ilRegisterPal(saved.bytes.data(), static_cast<ILuint>(saved.bytes.size()), saved.type);
}

// The saved palette as RGBA entries (at most 256); empty when its type is
// not one the library defines.
std::vector<uint8_t> rgba_entries(const SavedPalette &saved)
{
    size_t size;
    int r, g, b, a; // byte positions, a < 0: no alpha
    switch (saved.type) {
    case IL_PAL_RGB24: size = 3, r = 0, g = 1, b = 2, a = -1; break;
    case IL_PAL_BGR24: size = 3, r = 2, g = 1, b = 0, a = -1; break;
    case IL_PAL_RGB32: size = 4, r = 0, g = 1, b = 2, a = -1; break;
    case IL_PAL_BGR32: size = 4, r = 2, g = 1, b = 0, a = -1; break;
    case IL_PAL_RGBA32: size = 4, r = 0, g = 1, b = 2, a = 3; break;
    case IL_PAL_BGRA32: size = 4, r = 2, g = 1, b = 0, a = 3; break;
    default: return {};
    }
    size_t count = saved.bytes.size() / size;
    if (count > 256)
        count = 256;
    std::vector<uint8_t> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *e = &saved.bytes[i * size];
        rgba[i * 4] = e[r], rgba[i * 4 + 1] = e[g], rgba[i * 4 + 2] = e[b];
        rgba[i * 4 + 3] = a < 0 ? 255 : e[a];
    }
    return rgba;
}

// Gives every transparent pixel of a w x h RGBA picture the colour of its
// nearest opaque pixel (in steps to a side), so that a filter that mixes
// neighbours finds the picture's own colours past its edges.
void spread_opaque_colours(std::vector<uint8_t> &rgba, size_t w, size_t h, const std::vector<bool> &transparent)
{
    // Pixel numbers are kept in 32 bits; a picture with more pixels than
    // that (far past any Quake picture) keeps its colours as they are.
    if (w * h > UINT32_MAX)
        return;
    std::vector<uint32_t> queue;
    std::vector<bool> coloured(w * h);
    for (size_t p = 0; p < w * h; ++p)
        if (!transparent[p]) {
            coloured[p] = true;
            queue.push_back(static_cast<uint32_t>(p));
        }
    if (queue.empty() || queue.size() == w * h)
        return;
    for (size_t next = 0; next < queue.size(); ++next) {
        const size_t p = queue[next];
        const size_t x = p % w, y = p / w;
        const size_t sides[4] = {x > 0 ? p - 1 : p, x + 1 < w ? p + 1 : p, y > 0 ? p - w : p,
                                 y + 1 < h ? p + w : p};
        for (const size_t q : sides)
            if (!coloured[q]) {
                coloured[q] = true;
                std::memcpy(&rgba[q * 4], &rgba[p * 4], 3);
                queue.push_back(static_cast<uint32_t>(q));
            }
    }
}

// Back to the indexes, the palette and the row order the image had.
bool store_indexed(size_t w, size_t h, const std::vector<uint8_t> &indexes, ILint origin, SavedPalette &palette)
{
    if (!ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
                    const_cast<uint8_t *>(indexes.data())))
        return false;
    ilRegisterOrigin(static_cast<ILenum>(origin));
    restore_palette(palette);
    return true;
}

} // namespace

bool image_edit_in_true_colour(PixelMotion motion, const std::function<bool()> &edit)
{
    const ILint iw = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint ih = ilGetInteger(IL_IMAGE_HEIGHT);
    const uint8_t *data = ilGetData();
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 1
        || ilGetInteger(IL_IMAGE_DEPTH) != 1 || iw <= 0 || ih <= 0 || !data)
        return edit();
    SavedPalette palette = save_palette();
    const std::vector<uint8_t> entries = rgba_entries(palette);
    if (entries.empty())
        return edit();
    const int count = static_cast<int>(entries.size() / 4);
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    const size_t w = static_cast<size_t>(iw), h = static_cast<size_t>(ih);
    // Indexes past the palette show as its first entry, as the library's
    // own conversion leaves them.
    std::vector<uint8_t> before(data, data + w * h);
    for (uint8_t &index : before)
        if (index >= count)
            index = 0;
    auto is_transparent = [&](int index) { return entries[static_cast<size_t>(index) * 4 + 3] == 0; };

    std::vector<bool> transparent(w * h);
    std::vector<uint8_t> rgba(w * h * 4);
    for (size_t p = 0; p < w * h; ++p) {
        std::memcpy(&rgba[p * 4], &entries[before[p] * 4u], 3);
        transparent[p] = is_transparent(before[p]);
        // Only a resampling edit reads the alpha back; the others see an
        // opaque picture, whose every channel they treat alike.
        rgba[p * 4 + 3] = motion == PixelMotion::Resampled && transparent[p] ? 0 : 255;
    }
    spread_opaque_colours(rgba, w, h, transparent);
    if (!ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data()))
        return false;
    ilRegisterOrigin(static_cast<ILenum>(origin));

    const bool ok = edit();
    const ILint ow = ilGetInteger(IL_IMAGE_WIDTH), oh = ilGetInteger(IL_IMAGE_HEIGHT);
    if (!ok || ow <= 0 || oh <= 0 || ilGetInteger(IL_IMAGE_DEPTH) != 1 || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)
        || !ilGetData()) {
        store_indexed(w, h, before, origin, palette);
        return false;
    }
    const size_t nw = static_cast<size_t>(ow), nh = static_cast<size_t>(oh);
    const uint8_t *out = ilGetData();
    // A filter that changed the size after all is treated as resampling.
    if (motion == PixelMotion::InPlace && (nw != w || nh != h))
        motion = PixelMotion::Resampled;

    // Opaque pixels are matched among the opaque entries alone; a palette
    // without one leaves no choice but the whole palette.
    std::vector<uint8_t> opaque_entries;
    std::vector<uint8_t> opaque_index;
    for (int i = 0; i < count; ++i)
        if (!is_transparent(i)) {
            opaque_entries.insert(opaque_entries.end(), &entries[i * 4u], &entries[i * 4u] + 4);
            opaque_index.push_back(static_cast<uint8_t>(i));
        }
    if (opaque_index.empty()) {
        opaque_entries = entries;
        for (int i = 0; i < count; ++i)
            opaque_index.push_back(static_cast<uint8_t>(i));
    }
    PaletteMatcher matcher(opaque_entries.data(), static_cast<int>(opaque_index.size()));
    if (nw * nh >= (size_t(1) << 16))
        matcher.enable_colour_table();
    const uint8_t first_transparent = static_cast<uint8_t>(nearest_palette_index(entries.data(), count, 0, 0, 0, 0));

    std::vector<uint8_t> indexes(nw * nh);
    for (size_t y = 0; y < nh; ++y) {
        for (size_t x = 0; x < nw; ++x) {
            const size_t p = y * nw + x;
            const uint8_t *c = out + p * 4;
            // The index the pixel had, where it has one.
            int was = -1;
            if (motion == PixelMotion::InPlace)
                was = before[p];
            else if (motion == PixelMotion::Scaled)
                was = before[(2 * y + 1) * h / (2 * nh) * w + (2 * x + 1) * w / (2 * nw)];
            const bool clear = was >= 0 ? is_transparent(was) : c[3] < 128;
            if (clear) {
                indexes[p] = was >= 0 ? static_cast<uint8_t>(was) : first_transparent;
            } else if (was >= 0 && !is_transparent(was) && std::memcmp(c, &entries[was * 4u], 3) == 0) {
                indexes[p] = static_cast<uint8_t>(was);
            } else {
                indexes[p] = opaque_index[static_cast<size_t>(matcher.nearest(c[0], c[1], c[2]))];
            }
        }
    }
    return store_indexed(nw, nh, indexes, origin, palette);
}

bool image_rotate_quarters(int quarters)
{
    const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint channels = ilGetInteger(IL_IMAGE_BPP);
    const ILint channel_size = ilGetInteger(IL_IMAGE_BPC);
    const ILint depth = ilGetInteger(IL_IMAGE_DEPTH);
    const uint8_t *data = ilGetData();
    if (w <= 0 || h <= 0 || channels <= 0 || channel_size <= 0 || depth != 1 || !data)
        return false;
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    // Rows held bottom first show the other way round on screen.
    if (origin == IL_ORIGIN_LOWER_LEFT)
        quarters = -quarters;
    quarters = ((quarters % 4) + 4) % 4;
    if (quarters == 0)
        return true;

    const size_t pixel = static_cast<size_t>(channels) * static_cast<size_t>(channel_size);
    const size_t width = static_cast<size_t>(w), height = static_cast<size_t>(h);
    std::vector<uint8_t> turned(width * height * pixel);
    const size_t new_w = quarters == 2 ? width : height;
    const size_t new_h = quarters == 2 ? height : width;
    for (size_t y = 0; y < new_h; ++y) {
        for (size_t x = 0; x < new_w; ++x) {
            size_t sx, sy;
            switch (quarters) {
            case 1: sx = width - 1 - y, sy = x; break;              // a quarter turn to the left
            case 2: sx = width - 1 - x, sy = height - 1 - y; break; // a half turn
            default: sx = y, sy = height - 1 - x; break;            // a quarter turn to the right
            }
            std::memcpy(&turned[(y * new_w + x) * pixel], &data[(sy * width + sx) * pixel], pixel);
        }
    }
    const ILenum format = static_cast<ILenum>(ilGetInteger(IL_IMAGE_FORMAT));
    const ILenum type = static_cast<ILenum>(ilGetInteger(IL_IMAGE_TYPE));
    SavedPalette palette = save_palette();
    if (!ilTexImage(static_cast<ILuint>(new_w), static_cast<ILuint>(new_h), 1, static_cast<ILubyte>(channels), format,
                    type, turned.data()))
        return false;
    ilRegisterOrigin(static_cast<ILenum>(origin));
    restore_palette(palette);
    return true;
}

bool image_rotate(float degrees)
{
    if (!std::isfinite(degrees))
        return false;
    const float quarters = degrees / 90.0f;
    if (quarters == std::trunc(quarters) && std::fabs(quarters) < 1e6f)
        return image_rotate_quarters(static_cast<int>(std::fmod(quarters, 4.0f)));
    // The library writes past its buffers turning a picture one pixel wide
    // or high: such a picture is left as it is.
    if (ilGetInteger(IL_IMAGE_WIDTH) < 2 || ilGetInteger(IL_IMAGE_HEIGHT) < 2)
        return false;
    // The library crashes rotating small colour-indexed images, and would
    // re-quantise the result anyway: a colour-indexed image is turned as a
    // true-colour picture. The corners the turn uncovers come out cleared,
    // alpha 0, so they are transparent where the palette has such an entry.
    return image_edit_in_true_colour(PixelMotion::Resampled, [degrees] {
        // The library turns counter-clockwise with rows bottom first, so
        // clockwise on an image held top row first: mirror the rows around it.
        const bool top_first = ilGetInteger(IL_IMAGE_ORIGIN) != IL_ORIGIN_LOWER_LEFT;
        if (top_first)
            iluFlipImage();
        const bool ok = iluRotate(degrees) != IL_FALSE;
        if (top_first)
            iluFlipImage();
        return ok;
    });
}

bool image_to_indexed()
{
    const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX || w <= 0 || h <= 0 || ilGetInteger(IL_IMAGE_DEPTH) != 1)
        return ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE) != IL_FALSE;

    // The colours as RGBA bytes, from a scratch copy so that the image is
    // untouched if it has too many.
    const ILuint image = static_cast<ILuint>(ilGetInteger(IL_CUR_IMAGE));
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    const ILuint scratch = ilGenImage();
    ilBindImage(scratch);
    std::vector<uint8_t> rgba;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (ilCopyImage(image) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) && ilGetData())
        rgba.assign(ilGetData(), ilGetData() + pixels * 4);
    ilDeleteImage(scratch);
    ilBindImage(image);
    if (rgba.size() != pixels * 4)
        return ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE) != IL_FALSE;

    std::unordered_map<uint32_t, uint8_t> index_of;
    std::vector<uint8_t> palette;
    std::vector<uint8_t> indexes(pixels);
    for (size_t p = 0; p < pixels; ++p) {
        uint32_t key;
        std::memcpy(&key, &rgba[p * 4], 4);
        auto found = index_of.find(key);
        if (found == index_of.end()) {
            if (index_of.size() == 256)
                return ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE) != IL_FALSE;
            found = index_of.emplace(key, static_cast<uint8_t>(index_of.size())).first;
            palette.insert(palette.end(), &rgba[p * 4], &rgba[p * 4] + 4);
        }
        indexes[p] = found->second;
    }
    if (!ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
                    indexes.data()))
        return false;
    ilRegisterOrigin(static_cast<ILenum>(origin));
    ilRegisterPal(palette.data(), static_cast<ILuint>(palette.size()), IL_PAL_RGBA32);
    return true;
}
