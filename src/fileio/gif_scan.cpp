#include "fileio/gif_scan.h"

#include <cstring>

namespace {

constexpr uint8_t EXTENSION = 0x21;
constexpr uint8_t IMAGE = 0x2C;

// Skips a chain of data sub-blocks (a length byte, that many bytes, ended
// by a length of 0); false when the data ends first.
bool skip_sub_blocks(const uint8_t *data, size_t size, size_t &at)
{
    for (;;) {
        if (at >= size)
            return false;
        const size_t length = data[at++];
        if (length == 0)
            return true;
        if (length > size - at)
            return false;
        at += length;
    }
}

// The bytes of a colour table announced by a packed field, 0 for none.
size_t colour_table_bytes(uint8_t packed)
{
    return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0;
}

} // namespace

size_t gif_first_image_length(const uint8_t *data, size_t size)
{
    constexpr size_t HEADER = 6 + 7; // signature, logical screen descriptor
    if (!data || size < HEADER || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        return 0;
    size_t at = HEADER;
    const size_t global = colour_table_bytes(data[10]);
    if (global > size - at)
        return 0;
    at += global;
    while (at < size) {
        const uint8_t kind = data[at++];
        if (kind == EXTENSION) {
            if (at >= size)
                return 0;
            ++at; // the label
            if (!skip_sub_blocks(data, size, at))
                return 0;
        } else if (kind == IMAGE) {
            constexpr size_t DESCRIPTOR = 9; // position, size, packed field
            if (DESCRIPTOR + 1 > size - at)
                return 0;
            const size_t local = colour_table_bytes(data[at + 8]);
            at += DESCRIPTOR;
            if (local > size - at || size - at - local < 1)
                return 0;
            at += local + 1; // the table, then the smallest LZW code size
            return skip_sub_blocks(data, size, at) ? at : 0;
        } else {
            return 0; // the trailer before any image, or a damaged file
        }
    }
    return 0;
}
