#include "image/frame_pixels.h"

#include <cstring>

#include <IL/il.h>

#include "image/host_table.h"
#include "image/quake_palette.h"

int palette_transparent_index(const uint8_t *rgba, int entries)
{
    if (!rgba || entries <= 0 || entries > 256)
        return -1;
    int first = -1;
    bool opaque = false;
    for (int i = 0; i < entries; ++i) {
        if (rgba[i * 4 + 3] == 0 && first < 0)
            first = i;
        opaque = opaque || rgba[i * 4 + 3] != 0;
    }
    if (first >= 0 && opaque)
        return first;
    if (entries < 256)
        return -1;
    bool loaded = false;
    for (int i = 0; i < 256; ++i) {
        if (std::memcmp(rgba + i * 4, default_palette + i * 4, 3) != 0)
            return -1;
        loaded = loaded || default_palette[i * 4] || default_palette[i * 4 + 1] || default_palette[i * 4 + 2];
    }
    return loaded ? 255 : -1;
}

bool frame_pixels(uint32_t image, FramePixels &out)
{
    out = FramePixels{};
    // Conversions happen on a copy: the document's image keeps its layout.
    const uint32_t scratch = host().gen_image();
    host().bind_image(scratch);
    bool ok = host().copy_image(image) != 0;
    const int w = ok ? host().width() : 0;
    const int h = ok ? host().height() : 0;
    ok = ok && w > 0 && h > 0 && ilGetInteger(IL_IMAGE_DEPTH) == 1;
    const bool indexed = ok && ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_BPP) == 1
                         && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE;
    if (ok && indexed) {
        host().convert_palette(IMAGE_RGBA);
        const int count = host().palette_size() > 256 ? 256 : host().palette_size();
        const uint8_t *palette = host().get_palette();
        if (count > 0 && palette)
            out.palette.assign(palette, palette + count * 4);
        out.transparent = palette_transparent_index(out.palette.data(), count);
    } else if (ok) {
        ok = host().convert_image(IMAGE_RGBA) != 0 && ilGetInteger(IL_IMAGE_BPP) == 4
             && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE;
    }
    const uint8_t *data = ok ? host().get_data() : nullptr;
    if (data) {
        const size_t row = static_cast<size_t>(w) * (indexed ? 1 : 4);
        out.width = w;
        out.height = h;
        out.indexed = indexed;
        out.pixels.resize(row * static_cast<size_t>(h));
        const bool bottom_first = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
        for (int y = 0; y < h; ++y)
            std::memcpy(out.pixels.data() + row * static_cast<size_t>(y),
                        data + row * static_cast<size_t>(bottom_first ? h - 1 - y : y), row);
    } else {
        out = FramePixels{};
    }
    host().bind_image(0);
    host().delete_image(scratch);
    return data != nullptr;
}
