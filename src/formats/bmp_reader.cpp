#include "formats/bmp_reader.h"

#include "io/byte_io.h"
#include "sniff/sniff.h"

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// One colour channel of a packed pixel: where its bits are and how many.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // False for a mask whose bits are not contiguous.
    bool set(uint32_t m)
    {
        mask = m;
        shift = 0;
        bits = 0;
        if (!m)
            return true;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1) {
            m >>= 1;
            ++bits;
        }
        return m == 0;
    }
    uint8_t extract(uint32_t pixel) const
    {
        if (!bits)
            return 0;
        const uint64_t value = (pixel & mask) >> shift;
        const uint64_t top = (uint64_t(1) << bits) - 1;
        return static_cast<uint8_t>((value * 255 + top / 2) / top);
    }
};

uint32_t read_le(const uint8_t *p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

} // namespace

bool bmp_read(const uint8_t *data, size_t size, BmpImage &image, std::string &error, int max_side,
              uint64_t max_pixels)
{
    image = BmpImage{};
    ByteReader in(data, size);
    BmpHeader header;
    if (!sniff_bmp_header(in, header)) {
        error = "it is not a bitmap or is too short for its header";
        return false;
    }
    const uint32_t pixel_offset = header.pixel_offset;
    const uint32_t header_size = header.header_size;
    if (header_size != 12 && header_size < 40) {
        error = "its header of " + std::to_string(header_size) + " bytes is of no known kind";
        return false;
    }
    if (header_size > size - FILE_HEADER_SIZE) {
        error = "it is too short for its header";
        return false;
    }
    int64_t width = header.width;
    int64_t height = header.height;
    const uint32_t bpp = header.bits_per_pixel;
    const uint32_t compression = header.compression;
    const uint32_t colours_used = header.colours_used;
    const bool top_down = height < 0;
    if (top_down)
        height = -height;
    if (width < 1 || height < 1 || width > max_side || height > max_side) {
        error = "it claims a size of " + std::to_string(width) + " x " + std::to_string(height) + " pixels (at most "
                + std::to_string(max_side) + " a side)";
        return false;
    }
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > max_pixels) {
        error = "it claims " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the "
                + std::to_string(max_pixels) + " allowed";
        return false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        error = "it has " + std::to_string(bpp) + " bits a pixel";
        return false;
    }
    if (compression != BI_RGB && !((compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) && bpp >= 16)) {
        error = "it is compressed (method " + std::to_string(compression) + "), which this reader does not take";
        return false;
    }

    // The masks: in the header from 52 bytes on, else right after it.
    Channel red, green, blue, alpha;
    const size_t after_header = FILE_HEADER_SIZE + header_size;
    size_t palette_start = after_header;
    bool masks_ok = true;
    if (compression == BI_RGB) {
        if (bpp == 16)
            masks_ok = red.set(0x7C00) && green.set(0x03E0) && blue.set(0x001F);
        else if (bpp >= 24)
            masks_ok = red.set(0x00FF0000) && green.set(0x0000FF00) && blue.set(0x000000FF);
        // A 32-bit image whose newer header names an alpha mask keeps alpha.
        if (bpp == 32 && header_size >= 56) {
            in.seek(FILE_HEADER_SIZE + 52);
            masks_ok = masks_ok && alpha.set(in.u32());
        }
    } else {
        const int count = compression == BI_ALPHABITFIELDS || header_size >= 56 ? 4 : 3;
        const size_t at = header_size >= 52 ? FILE_HEADER_SIZE + 40 : after_header;
        in.seek(at);
        const uint32_t r = in.u32(), g = in.u32(), b = in.u32();
        const uint32_t a = count == 4 ? in.u32() : 0;
        if (header_size < 52)
            palette_start = at + 4 * count;
        masks_ok = red.set(r) && green.set(g) && blue.set(b) && alpha.set(a);
    }
    if (!masks_ok || in.short_read()) {
        error = "its colour masks are damaged";
        return false;
    }

    if (bpp <= 8) {
        const uint32_t most = 1u << bpp;
        const uint32_t count = colours_used == 0 || colours_used > most ? most : colours_used;
        const size_t entry = header_size == 12 ? 3 : 4;
        image.palette_rgba.assign(static_cast<size_t>(count) * 4, 0);
        in.seek(palette_start);
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t bgr[4] = {};
            in.bytes(bgr, entry);
            image.palette_rgba[i * 4] = bgr[2];
            image.palette_rgba[i * 4 + 1] = bgr[1];
            image.palette_rgba[i * 4 + 2] = bgr[0];
            image.palette_rgba[i * 4 + 3] = 255;
        }
        if (in.short_read()) {
            error = "it is too short for its palette";
            return false;
        }
    }

    const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
    if (pixel_offset > size || stride * static_cast<uint64_t>(height) > size - pixel_offset) {
        error = "it is truncated: its " + std::to_string(width) + " x " + std::to_string(height)
                + " pixels do not fit in the file";
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.channels = bpp <= 8 ? 1 : alpha.bits ? 4 : 3;
    const size_t channels = static_cast<size_t>(image.channels);
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * channels, 0);
    uint32_t highest_index = 0;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t source_row = top_down ? y : height - 1 - y;
        const uint8_t *row = data + pixel_offset + static_cast<uint64_t>(source_row) * stride;
        uint8_t *out = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * channels;
        for (int64_t x = 0; x < width; ++x) {
            if (bpp <= 8) {
                const uint64_t bit = static_cast<uint64_t>(x) * bpp;
                const uint32_t index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                out[x] = static_cast<uint8_t>(index);
                highest_index = index > highest_index ? index : highest_index;
                continue;
            }
            const uint32_t pixel = read_le(row + x * (bpp / 8), static_cast<int>(bpp / 8));
            uint8_t *p = out + x * channels;
            p[0] = red.extract(pixel);
            p[1] = green.extract(pixel);
            p[2] = blue.extract(pixel);
            if (channels == 4)
                p[3] = alpha.extract(pixel);
        }
    }
    // Indexes beyond a short palette keep their value: the palette grows
    // with black entries up to the highest, which the user sees and can
    // change.
    if (bpp <= 8 && static_cast<size_t>(highest_index) * 4 >= image.palette_rgba.size()) {
        const size_t had = image.palette_rgba.size() / 4;
        image.palette_rgba.resize((static_cast<size_t>(highest_index) + 1) * 4, 0);
        for (size_t i = had; i <= highest_index; ++i)
            image.palette_rgba[i * 4 + 3] = 255;
    }
    return true;
}
