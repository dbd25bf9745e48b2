// The rows of a 24-bit image as the bitmap and Targa writers store them:
// bottom row first, blue, green, red, each padded with zeros to `stride`
// bytes. Handed out in pieces of about 1 MiB, so that no copy of the whole
// image is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <IL/il.h>

// The bound image is what both writers take: 24-bit RGB or BGR, one byte a
// channel, one layer, top row first.
inline bool bound_image_is_plain_rgb24()
{
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    return (format == IL_RGB || format == IL_BGR) && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
           && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 3 && ilGetInteger(IL_IMAGE_DEPTH) == 1
           && ilGetInteger(IL_IMAGE_WIDTH) > 0 && ilGetInteger(IL_IMAGE_HEIGHT) > 0
           && ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT;
}

// `pixels` holds height rows of width pixels, top row first, red first
// unless `bgr`. False when `emit(const uint8_t *, size_t)` returns false.
template <class Emit>
bool emit_rows_bottom_first(const uint8_t *pixels, uint64_t width, uint64_t height, uint64_t stride, bool bgr,
                            Emit emit)
{
    const uint64_t row = width * 3;
    constexpr uint64_t PIECE = uint64_t(1) << 20;
    const uint64_t rows_per_piece = stride >= PIECE ? 1 : PIECE / stride;
    std::vector<uint8_t> piece(static_cast<size_t>(stride * (rows_per_piece < height ? rows_per_piece : height)), 0);
    uint64_t filled = 0;
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t *src = pixels + (height - 1 - y) * row;
        uint8_t *to = piece.data() + filled * stride;
        if (bgr) {
            std::memcpy(to, src, static_cast<size_t>(row));
        } else {
            for (uint64_t x = 0; x < width; ++x) {
                to[3 * x] = src[3 * x + 2];
                to[3 * x + 1] = src[3 * x + 1];
                to[3 * x + 2] = src[3 * x];
            }
        }
        // The padding stays as the piece was made: zeros.
        if (++filled * stride == piece.size() || y + 1 == height) {
            if (!emit(piece.data(), static_cast<size_t>(filled * stride)))
                return false;
            filled = 0;
        }
    }
    return true;
}
