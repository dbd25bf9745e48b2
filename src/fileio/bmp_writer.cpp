#include "fileio/bmp_writer.h"

#include <cerrno>

#include <IL/il.h>

#include "fileio/byte_io.h"
#include "fileio/safe_save.h"

namespace {

constexpr uint32_t FILE_HEADER_SIZE = 14;
constexpr uint32_t INFO_HEADER_SIZE = 40;

// Appends the file for the bound image to `out`; false when it does not
// apply.
bool encode(ByteWriter &out)
{
    if (!bmp_direct_applies())
        return false;
    const uint64_t width = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_WIDTH));
    const uint64_t height = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_HEIGHT));
    const bool bgr = ilGetInteger(IL_IMAGE_FORMAT) == IL_BGR;
    const uint8_t *data = ilGetData();
    const uint64_t row = width * 3;
    const uint64_t padded = (row + 3) & ~uint64_t(3);
    const uint64_t size = FILE_HEADER_SIZE + INFO_HEADER_SIZE + padded * height;
    const uint64_t held = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
    if (!data || size > UINT32_MAX || held < row * height)
        return false;

    out.reserve(static_cast<size_t>(size));
    out.u8('B');
    out.u8('M');
    out.u32(static_cast<uint32_t>(size));
    out.u32(0); // reserved
    out.u32(FILE_HEADER_SIZE + INFO_HEADER_SIZE);
    out.u32(INFO_HEADER_SIZE);
    out.i32(static_cast<int32_t>(width));
    out.i32(static_cast<int32_t>(height)); // positive: bottom row first
    out.u16(1);                            // planes
    out.u16(24);                           // bits per pixel
    out.zeros(24); // no compression; image size, resolutions and colour counts 0

    const size_t start = out.size();
    out.zeros(static_cast<size_t>(padded * height));
    uint8_t *dst = out.data().data() + start;
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t *src = data + (height - 1 - y) * row;
        uint8_t *to = dst + y * padded;
        if (bgr) {
            std::memcpy(to, src, static_cast<size_t>(row));
            continue;
        }
        for (uint64_t x = 0; x < width; ++x) {
            to[3 * x] = src[3 * x + 2];
            to[3 * x + 1] = src[3 * x + 1];
            to[3 * x + 2] = src[3 * x];
        }
    }
    return true;
}

} // namespace

bool bmp_direct_applies()
{
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    return (format == IL_RGB || format == IL_BGR) && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
           && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 3 && ilGetInteger(IL_IMAGE_DEPTH) == 1
           && ilGetInteger(IL_IMAGE_WIDTH) > 0 && ilGetInteger(IL_IMAGE_HEIGHT) > 0
           && ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT;
}

std::vector<uint8_t> bmp_encode_bound()
{
    ByteWriter out;
    if (!encode(out))
        return {};
    return out.data();
}

bool bmp_save_bound(const char *path)
{
    ByteWriter out;
    if (!encode(out)) {
        errno = EINVAL;
        return false;
    }
    OutputFile file;
    return file.open(path) && file.write(out) && file.finish();
}
