#include "sniff/sniff.h"

#include <cctype>
#include <cstring>

namespace {

bool starts_with(ByteReader in, const char *magic, size_t length)
{
    in.seek(0);
    const uint8_t *at = in.take(length);
    return at && std::memcmp(at, magic, length) == 0;
}

uint32_t le32_at(ByteReader in, size_t offset)
{
    in.seek(offset);
    return in.u32();
}

uint16_t le16_at(ByteReader in, size_t offset)
{
    in.seek(offset);
    return in.u16();
}

uint32_t be32_at(ByteReader in, size_t offset)
{
    in.seek(offset);
    uint8_t b[4];
    in.bytes(b, 4);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

uint8_t byte_at(ByteReader in, size_t offset)
{
    in.seek(offset);
    return in.u8();
}

// The width and height of a PNM text header (P1 to P6), signed as written:
// the library reads "-5" as 5. False when they are not both there.
bool pnm_size(ByteReader head, int64_t &width, int64_t &height)
{
    const size_t n = head.size() < 511 ? head.size() : 511;
    head.seek(0);
    const char *text = reinterpret_cast<const char *>(head.take(n));
    if (!text)
        return false;
    size_t at = 2;
    int64_t values[2] = {};
    for (int64_t &value : values) {
        for (;;) {
            while (at < n && std::isspace(static_cast<unsigned char>(text[at])))
                ++at;
            if (at < n && text[at] == '#') {
                while (at < n && text[at] != '\n' && text[at] != '\r')
                    ++at;
                continue;
            }
            break;
        }
        const bool negative = at < n && text[at] == '-';
        if (negative || (at < n && text[at] == '+'))
            ++at;
        if (at >= n || !std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
        value = 0;
        while (at < n && std::isdigit(static_cast<unsigned char>(text[at]))) {
            if (value < (int64_t(1) << 40))
                value = value * 10 + (text[at] - '0');
            ++at;
        }
        if (negative)
            value = -value;
    }
    width = values[0];
    height = values[1];
    return true;
}

constexpr uint8_t GIF_EXTENSION = 0x21;
constexpr uint8_t GIF_IMAGE = 0x2C;

// Skips a chain of GIF data sub-blocks (a length byte, that many bytes,
// ended by a length of 0); false when the data ends first.
bool skip_sub_blocks(ByteReader &in)
{
    for (;;) {
        if (!in.remaining())
            return false;
        const size_t length = in.u8();
        if (length == 0)
            return true;
        if (!in.take(length))
            return false;
    }
}

// The bytes of a GIF colour table announced by a packed field, 0 for none.
size_t colour_table_bytes(uint8_t packed)
{
    return (packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0;
}

} // namespace

bool sniff_quake_sprite(ByteReader in, int32_t &version)
{
    if (!starts_with(in, "IDSP", 4))
        return false;
    version = static_cast<int32_t>(le32_at(in, 4));
    return true;
}

bool sniff_sprite(ByteReader in)
{
    int32_t version = 0;
    return sniff_quake_sprite(in, version) && (version == 1 || version == 2 || version == 32);
}

bool sniff_sprite32(ByteReader in)
{
    int32_t version = 0;
    return sniff_quake_sprite(in, version) && version == 32;
}

bool sniff_wad2(ByteReader in) { return starts_with(in, "WAD2", 4); }

bool sniff_bsp(ByteReader in)
{
    if (in.size() < 4)
        return false;
    const uint32_t version = le32_at(in, 0);
    return version == 29 || version == 30 || starts_with(in, "BSP2", 4) || starts_with(in, "2PSB", 4);
}

bool sniff_mdl(ByteReader in) { return starts_with(in, "IDPO", 4); }
bool sniff_wad3(ByteReader in) { return starts_with(in, "WAD3", 4); }

bool sniff_bmp(ByteReader in) { return starts_with(in, "BM", 2); }

bool sniff_bmp_header(ByteReader in, BmpHeader &header)
{
    constexpr size_t FILE_HEADER_SIZE = 14;
    header = BmpHeader{};
    if (!sniff_bmp(in) || in.size() < FILE_HEADER_SIZE + 12)
        return false;
    in.seek(10);
    header.pixel_offset = in.u32();
    header.header_size = in.u32();
    if (header.header_size == 12) {
        header.width = in.u16();
        header.height = static_cast<int16_t>(in.u16());
        in.u16(); // planes
        header.bits_per_pixel = in.u16();
    } else {
        header.width = in.i32();
        header.height = in.i32();
        in.u16(); // planes
        header.bits_per_pixel = in.u16();
        header.compression = in.u32();
        in.skip(12); // image size, resolution
        header.colours_used = in.u32();
    }
    return true;
}

bool sniff_common_image(ByteReader in)
{
    return starts_with(in, "\x89PNG", 4) || starts_with(in, "GIF8", 4) || sniff_bmp(in)
           || starts_with(in, "\xFF\xD8\xFF", 3) || starts_with(in, "II*\0", 4) || starts_with(in, "MM\0*", 4)
           || starts_with(in, "8BPS", 4) || starts_with(in, "DDS ", 4)
           || (in.size() >= 128 && byte_at(in, 0) == 0x0A && byte_at(in, 1) <= 5 && byte_at(in, 2) == 1);
}

std::string sniff_foreign_content(ByteReader in)
{
    const size_t size = in.size();
    if (starts_with(in, "IDPO", 4))
        return "a Quake model";
    if (starts_with(in, "IDP2", 4))
        return "a Quake 2 model";
    if (starts_with(in, "IDP3", 4))
        return "a Quake 3 model";
    if (starts_with(in, "IDS2", 4))
        return "a Quake 2 sprite (IDS2), which Vorn cannot read";
    int32_t sprite_version = 0;
    if (size >= 8 && sniff_quake_sprite(in, sprite_version)) {
        const uint32_t version = static_cast<uint32_t>(sprite_version);
        if (version != 1 && version != 2 && version != 32)
            return "a sprite of version " + std::to_string(version) + ", which Vorn cannot read";
        return "a sprite";
    }
    if (sniff_wad3(in))
        return "a Half-Life WAD3 archive";
    if (sniff_wad2(in))
        return "a Quake WAD2 archive";
    if (starts_with(in, "IWAD", 4) || starts_with(in, "PWAD", 4))
        return "a Doom WAD archive";
    if (starts_with(in, "PACK", 4))
        return "a Quake pak archive";
    if (starts_with(in, "PK\x03\x04", 4))
        return "a zip archive (a pk3 or zip file)";
    if (starts_with(in, "IBSP", 4) || starts_with(in, "VBSP", 4))
        return "a Quake 2 or later map (BSP)";
    if (starts_with(in, "BSP2", 4) || starts_with(in, "2PSB", 4))
        return "a Quake map (BSP)";
    if (size > 128 && (le32_at(in, 0) == 29 || le32_at(in, 0) == 30))
        return "a Quake map (BSP)";
    if (size == 768)
        return "a raw 768-byte palette: open it with the palette editor";
    if (size == 16385 || size == 16384)
        return "a colormap (a lighting table): open it under the name colormap.lmp";
    return {};
}

bool sniff_claimed_size(ByteReader head, const std::string &extension, int64_t &width, int64_t &height)
{
    const size_t n = head.size();
    if (n >= 10 && starts_with(head, "GIF8", 4)) {
        width = le16_at(head, 6);
        height = le16_at(head, 8);
        return true;
    }
    if (n >= 24 && starts_with(head, "\x89PNG\r\n\x1a\n", 8) && be32_at(head, 12) == 0x49484452u) { // IHDR
        width = be32_at(head, 16);
        height = be32_at(head, 20);
        return true;
    }
    BmpHeader bmp;
    if (sniff_bmp_header(head, bmp) && static_cast<int32_t>(bmp.header_size) >= 40) {
        width = bmp.width;
        // A negative height only means the rows are stored top first.
        height = bmp.height < 0 ? -bmp.height : bmp.height;
        return true;
    }
    if (n >= 3 && byte_at(head, 0) == 'P' && byte_at(head, 1) >= '1' && byte_at(head, 1) <= '6'
        && std::isspace(byte_at(head, 2)))
        return pnm_size(head, width, height);
    if (n >= 18 && (extension == ".tga" || extension == ".icb" || extension == ".vda" || extension == ".vst")) {
        width = le16_at(head, 12);
        height = le16_at(head, 14);
        return true;
    }
    return false;
}

bool sniff_icon_directory(ByteReader head, unsigned &count)
{
    if (head.size() < 6)
        return false;
    if (byte_at(head, 0) || byte_at(head, 1) || (byte_at(head, 2) != 1 && byte_at(head, 2) != 2) || byte_at(head, 3))
        return false;
    count = le16_at(head, 4);
    return true;
}

uint32_t sniff_icon_entry_offset(ByteReader entry) { return le32_at(entry, 12); }

bool sniff_icon_image_size(ByteReader image, int64_t &width, int64_t &height)
{
    if (starts_with(image, "\x89PNG\r\n\x1a\n", 8)) {
        width = be32_at(image, 16);
        height = be32_at(image, 20);
        return true;
    }
    const auto le32 = [&](size_t at) { return static_cast<int64_t>(static_cast<int32_t>(le32_at(image, at))); };
    if (le32(0) < 12)
        return false;
    width = le32(4);
    height = le32(8) / 2;
    return true;
}

size_t gif_first_image_length(const uint8_t *data, size_t size)
{
    constexpr size_t HEADER = 6 + 7; // signature, logical screen descriptor
    if (!data)
        return 0;
    ByteReader in(data, size);
    if (size < HEADER || (!starts_with(in, "GIF87a", 6) && !starts_with(in, "GIF89a", 6)))
        return 0;
    in.seek(HEADER);
    if (!in.take(colour_table_bytes(data[10])))
        return 0;
    while (in.remaining()) {
        const uint8_t kind = in.u8();
        if (kind == GIF_EXTENSION) {
            if (!in.take(1)) // the label
                return 0;
            if (!skip_sub_blocks(in))
                return 0;
        } else if (kind == GIF_IMAGE) {
            constexpr size_t DESCRIPTOR = 9; // position, size, packed field
            const uint8_t *descriptor = in.take(DESCRIPTOR);
            // The local table, then at least the smallest LZW code size.
            if (!descriptor || !in.take(colour_table_bytes(descriptor[8])) || !in.take(1))
                return 0;
            return skip_sub_blocks(in) ? in.position() : 0;
        } else {
            return 0; // the trailer before any image, or a damaged file
        }
    }
    return 0;
}
