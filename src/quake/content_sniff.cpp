#include "quake/content_sniff.h"

#include <cstring>

#include "fileio/format_table.h"
#include "platform/platform.h"

namespace {

bool starts_with(const uint8_t *data, size_t size, const char *magic, size_t length)
{
    return size >= length && std::memcmp(data, magic, length) == 0;
}

uint32_t le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
           | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

bool looks_like_common_image(const uint8_t *data, size_t size)
{
    return starts_with(data, size, "\x89PNG", 4) || starts_with(data, size, "GIF8", 4)
           || starts_with(data, size, "BM", 2) || starts_with(data, size, "\xFF\xD8\xFF", 3)
           || starts_with(data, size, "II*\0", 4) || starts_with(data, size, "MM\0*", 4)
           || starts_with(data, size, "8BPS", 4) || starts_with(data, size, "DDS ", 4)
           || (size >= 128 && data[0] == 0x0A && data[1] <= 5 && data[2] == 1);
}

std::string foreign_content(const uint8_t *data, size_t size)
{
    if (starts_with(data, size, "IDPO", 4))
        return "a Quake model";
    if (starts_with(data, size, "IDP2", 4))
        return "a Quake 2 model";
    if (starts_with(data, size, "IDP3", 4))
        return "a Quake 3 model";
    if (starts_with(data, size, "IDS2", 4))
        return "a Quake 2 sprite (IDS2), which Vorn cannot read";
    if (starts_with(data, size, "IDSP", 4) && size >= 8) {
        const uint32_t version = le32(data + 4);
        if (version != 1 && version != 2 && version != 32)
            return "a sprite of version " + std::to_string(version) + ", which Vorn cannot read";
        return "a sprite";
    }
    if (starts_with(data, size, "WAD3", 4))
        return "a Half-Life WAD3 archive";
    if (starts_with(data, size, "WAD2", 4))
        return "a Quake WAD2 archive";
    if (starts_with(data, size, "IWAD", 4) || starts_with(data, size, "PWAD", 4))
        return "a Doom WAD archive";
    if (starts_with(data, size, "PACK", 4))
        return "a Quake pak archive";
    if (starts_with(data, size, "PK\x03\x04", 4))
        return "a zip archive (a pk3 or zip file)";
    if (starts_with(data, size, "IBSP", 4) || starts_with(data, size, "VBSP", 4))
        return "a Quake 2 or later map (BSP)";
    if (size >= 4 && (le32(data) == 29 || le32(data) == 30) && size > 128)
        return "a Quake map (BSP)";
    if (size == 768)
        return "a raw 768-byte palette: open it with the palette editor";
    if (size == 16385 || size == 16384)
        return "a colormap (a lighting table): open it under the name colormap.lmp";
    return {};
}

bool refuse_foreign_file(const char *path, const uint8_t *data, size_t size, const char *format,
                         bool damaged_otherwise)
{
    const std::string what = foreign_content(data, size);
    if (!what.empty()) {
        show_warning(format_text("%s is not a %s (it is %s)", path, format, what.c_str()));
        load_refused();
        return true;
    }
    if (!damaged_otherwise || looks_like_common_image(data, size))
        return false;
    show_warning(format_text("%s is not a %s: its header is damaged", path, format));
    load_refused();
    return true;
}
