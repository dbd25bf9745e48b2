#include "plugins/image_ops.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

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

} // namespace

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
    // re-quantise the result anyway: turn a true-colour copy instead.
    const bool indexed = ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX;
    if (indexed && !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE))
        return false;
    // The library turns counter-clockwise with rows bottom first, so
    // clockwise on an image held top row first: mirror the rows around it.
    const bool top_first = ilGetInteger(IL_IMAGE_ORIGIN) != IL_ORIGIN_LOWER_LEFT;
    if (top_first)
        iluFlipImage();
    const bool ok = iluRotate(degrees) != IL_FALSE;
    if (top_first)
        iluFlipImage();
    if (indexed)
        image_to_indexed();
    return ok;
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
