#include "formats/bmp_writer.h"

#include <cerrno>
#include <cstring>

#include <IL/il.h>

#include "io/byte_io.h"
#include "formats/pixel_rows.h"
#include "io/safe_save.h"

namespace {

constexpr uint32_t FILE_HEADER_SIZE = 14;
constexpr uint32_t INFO_HEADER_SIZE = 40;

// Hands the file for the bound image to `emit` piece by piece; false when
// it does not apply or `emit` fails.
template <class Emit>
bool encode(Emit emit)
{
    if (!bmp_direct_applies())
        return false;
    const uint64_t width = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_WIDTH));
    const uint64_t height = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_HEIGHT));
    const uint8_t *data = ilGetData();
    const uint64_t row = width * 3;
    const uint64_t padded = (row + 3) & ~uint64_t(3);
    const uint64_t size = FILE_HEADER_SIZE + INFO_HEADER_SIZE + padded * height;
    const uint64_t held = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
    if (!data || size > UINT32_MAX || held < row * height)
        return false;

    ByteWriter head;
    head.u8('B');
    head.u8('M');
    head.u32(static_cast<uint32_t>(size));
    head.u32(0); // reserved
    head.u32(FILE_HEADER_SIZE + INFO_HEADER_SIZE);
    head.u32(INFO_HEADER_SIZE);
    head.i32(static_cast<int32_t>(width));
    head.i32(static_cast<int32_t>(height)); // positive: bottom row first
    head.u16(1);                            // planes
    head.u16(24);                           // bits per pixel
    head.zeros(24); // no compression; image size, resolutions and colour counts 0
    if (!emit(head.data().data(), head.size()))
        return false;
    return emit_rows_bottom_first(data, width, height, padded, ilGetInteger(IL_IMAGE_FORMAT) == IL_BGR, emit);
}

} // namespace

bool bmp_direct_applies() { return bound_image_is_plain_rgb24(); }

std::vector<uint8_t> bmp_encode_bound()
{
    std::vector<uint8_t> out;
    const bool encoded = encode([&out](const uint8_t *p, size_t n) {
        out.insert(out.end(), p, p + n);
        return true;
    });
    return encoded ? out : std::vector<uint8_t>();
}

bool bmp_save_bound(const char *path)
{
    if (!bmp_direct_applies()) {
        errno = EINVAL;
        return false;
    }
    OutputFile file;
    if (!file.open(path))
        return false;
    const bool encoded = encode([&file](const uint8_t *p, size_t n) { return file.write(p, n); });
    if (!encoded && !errno)
        errno = EINVAL;
    return encoded && file.finish();
}
