#include "quake/half_life_texture.h"

#include <cstring>
#include <strings.h>
#include <vector>

#include <IL/il.h>

#include "io/byte_io.h"
#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "image/image_limits.h"
#include "image/own_palette.h"
#include "image/quake_palette.h"
#include "quake/palette_conform.h"
#include "quake/picture.h"
#include "quake/quake_layout.h"

using namespace half_life_layout;

namespace {

constexpr size_t MIP_NAME_SIZE = 16;
constexpr int MIP_LEVELS = 4;

// Reads the colour count and palette at the reader's position into 256
// RGBA entries; false when they do not lie in `in` or count more than 256.
bool read_palette(ByteReader &in, uint8_t *rgba1024, int &count)
{
    if (!in.fits(COLOUR_COUNT_SIZE))
        return false;
    count = in.u16();
    if (count > MAX_COLOURS || !in.fits(static_cast<size_t>(count) * 3))
        return false;
    for (int k = 0; k < 256; ++k) {
        uint8_t rgb[3] = {0, 0, 0};
        if (k < count)
            in.bytes(rgb, 3);
        std::memcpy(rgba1024 + k * 4, rgb, 3);
        rgba1024[k * 4 + 3] = 255;
    }
    return true;
}

void give_group_palette(Group *group, uint8_t *rgba1024, int count)
{
    if (group->name && half_life_transparent_name(group->name))
        rgba1024[255 * 4 + 3] = 0;
    for (int f = 0; f < group->frame_count; ++f) {
        host().bind_image(group->frames[f].image);
        host().set_palette(rgba1024, 256);
    }
    if (count != MAX_COLOURS)
        props_set_int(&group->props, PROP_COLOURS, count, PROPERTY_INTEGER);
}

bool bound_is_8bit()
{
    return ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1;
}

// The palette `image` is written with: its own when it is 8-bit, else one
// made for it (the image becoming 8-bit). 1025 bytes, as implied palettes are.
std::vector<uint8_t> palette_for_writing(uint32_t image, bool transparent, bool dither)
{
    host().bind_image(image);
    if (!bound_is_8bit() && !give_image_own_palette(image, transparent, dither)) {
        host().bind_image(image);
        remap_to_palette(default_palette, 256);
    }
    std::vector<uint8_t> palette(1025, 0);
    int count = host().palette_size();
    if (count > 256)
        count = 256;
    const uint8_t *own = nullptr;
    if (count > 0) {
        host().convert_palette(IMAGE_RGBA);
        own = host().get_palette();
    }
    if (!own || count < 1) {
        // An 8-bit image without a palette: its indexes mean the Quake one.
        own = default_palette;
        count = 256;
    }
    std::memcpy(palette.data(), own, static_cast<size_t>(count) * 4);
    for (int k = count; k < 256; ++k)
        palette[k * 4 + 3] = 255;
    return palette;
}

void write_palette(ByteWriter &out, const Group *group, const std::vector<uint8_t> &palette)
{
    int count = MAX_COLOURS;
    if (props_find(&group->props, PROP_COLOURS)) {
        const int stored = props_get_int(&group->props, PROP_COLOURS);
        if (stored >= 0 && stored <= MAX_COLOURS)
            count = stored;
    }
    out.u16(static_cast<uint16_t>(count));
    for (int k = 0; k < count; ++k)
        out.bytes(palette.data() + k * 4, 3);
}

bool chain_of_levels(const Group *group)
{
    if (group->frame_count != MIP_LEVELS)
        return false;
    host().bind_image(group->frames[0].image);
    const int width = host().width();
    const int height = host().height();
    for (int k = 1; k < MIP_LEVELS; ++k) {
        host().bind_image(group->frames[k].image);
        if (host().width() != ((width >> k) > 0 ? width >> k : 1) || host().height() != ((height >> k) > 0 ? height >> k : 1))
            return false;
    }
    return true;
}

} // namespace

bool half_life_transparent_name(const char *name) { return name && name[0] == '{'; }

std::string hex_text(const uint8_t *bytes, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

bool hex_bytes(const char *text, uint8_t *bytes, size_t n)
{
    if (!text || std::strlen(text) != n * 2)
        return false;
    for (size_t i = 0; i < n; ++i) {
        const int high = hex_digit(text[2 * i]);
        const int low = hex_digit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

bool half_life_mip_read(ByteReader &in, Group *group)
{
    ByteReader head = in;
    uint8_t name[MIP_NAME_SIZE] = {};
    if (!head.fits(wad_layout::MIP_HEADER_SIZE))
        return false;
    head.bytes(name, MIP_NAME_SIZE);
    const uint32_t width = head.u32();
    const uint32_t height = head.u32();
    if (checked_area(width, height) == 0)
        return false;
    uint64_t at = wad_layout::MIP_HEADER_SIZE;
    for (int k = 0; k < MIP_LEVELS; ++k) {
        if (head.u32() != at)
            return false;
        at += static_cast<uint64_t>(width >> k) * (height >> k);
    }
    if (at > head.size())
        return false;
    ByteReader after = in;
    after.skip(static_cast<size_t>(at));
    uint8_t palette[1024];
    int count = 0;
    if (!read_palette(after, palette, count))
        return false;
    if (!mip_texture_read(in, group))
        return false;
    in = after;
    const std::string plain(reinterpret_cast<const char *>(name), strnlen(reinterpret_cast<const char *>(name), MIP_NAME_SIZE));
    ByteWriter padded;
    padded.fixed_string(group->name ? group->name : "", MIP_NAME_SIZE);
    if (std::memcmp(padded.data().data(), name, MIP_NAME_SIZE) != 0)
        props_set_string(&group->props, PROP_NAME_BYTES, hex_text(name, MIP_NAME_SIZE).c_str());
    // Transparency follows the texture's own name, which the engine sees.
    if (half_life_transparent_name(plain.c_str()))
        palette[255 * 4 + 3] = 0;
    give_group_palette(group, palette, count);
    return true;
}

void half_life_mip_write(ByteWriter &out, Group *group, bool dither)
{
    if (!group || group->frame_count < 1)
        return;
    const bool transparent = half_life_transparent_name(group->name);
    host().bind_image(group->frames[0].image);
    // Levels of a true-colour texture are made from its own colours before
    // the first level is given its palette.
    if (!bound_is_8bit() && !chain_of_levels(group))
        group_build_mips(group, MIP_LEVELS - 1);
    const std::vector<uint8_t> palette = palette_for_writing(group->frames[0].image, transparent, dither);
    const size_t start = out.size();
    {
        const ImpliedPalette own(palette.data());
        mip_texture_write(out, group);
    }
    // The name bytes as they were read, unless the texture was renamed.
    uint8_t name[MIP_NAME_SIZE];
    if (hex_bytes(props_get_string(&group->props, PROP_NAME_BYTES), name, MIP_NAME_SIZE) && group->name
        && strncasecmp(reinterpret_cast<const char *>(name), group->name, MIP_NAME_SIZE) == 0
        && strnlen(group->name, MIP_NAME_SIZE + 1) == strnlen(reinterpret_cast<const char *>(name), MIP_NAME_SIZE))
        for (size_t k = 0; k < MIP_NAME_SIZE; k += 4) {
            uint32_t word = 0;
            std::memcpy(&word, name + k, 4);
            out.patch_u32(start + k, word);
        }
    write_palette(out, group, palette);
}

bool half_life_picture_read(ByteReader &in, Group *group)
{
    ByteReader head = in;
    const int32_t width = head.i32();
    const int32_t height = head.i32();
    const uint64_t area = checked_area(width, height);
    if (area == 0 || !head.fits(static_cast<size_t>(area)))
        return false;
    ByteReader after = head;
    after.skip(static_cast<size_t>(area));
    uint8_t palette[1024];
    int count = 0;
    if (!read_palette(after, palette, count))
        return false;
    group_reset_frames(group, 1);
    picture_read(in, &group->frames[0]);
    in = after;
    give_group_palette(group, palette, count);
    return true;
}

void half_life_picture_write(ByteWriter &out, Group *group, bool dither)
{
    if (!group || group->frame_count < 1)
        return;
    const std::vector<uint8_t> palette = palette_for_writing(group->frames[0].image, false, dither);
    {
        const ImpliedPalette own(palette.data());
        picture_write(out, group->frames[0].image);
    }
    write_palette(out, group, palette);
}

bool half_life_font_read(ByteReader &in, Group *group)
{
    ByteReader head = in;
    if (!head.fits(FONT_HEAD_SIZE + FONT_TABLE_SIZE))
        return false;
    const int32_t font_width = head.i32();
    const int32_t height = head.i32();
    const int32_t rows = head.i32();
    const int32_t row_height = head.i32();
    const uint64_t area = checked_area(FONT_PIXEL_WIDTH, height);
    if (area == 0)
        return false;
    const uint8_t *table = head.take(FONT_TABLE_SIZE);
    if (!head.fits(static_cast<size_t>(area)))
        return false;
    ByteReader after = head;
    after.skip(static_cast<size_t>(area));
    uint8_t palette[1024];
    int count = 0;
    if (!read_palette(after, palette, count))
        return false;
    group_reset_frames(group, 1);
    indexed_pixels_read(head, &group->frames[0], FONT_PIXEL_WIDTH, height);
    in = after;
    props_set_int(&group->props, PROP_FONT_WIDTH, font_width, PROPERTY_INTEGER);
    props_set_int(&group->props, PROP_ROW_COUNT, rows, PROPERTY_INTEGER);
    props_set_int(&group->props, PROP_ROW_HEIGHT, row_height, PROPERTY_INTEGER);
    props_set_string(&group->props, PROP_CHARACTER_TABLE, hex_text(table, FONT_TABLE_SIZE).c_str());
    give_group_palette(group, palette, count);
    return true;
}

bool half_life_font_writable(Group *group)
{
    if (!group || group->frame_count < 1)
        return false;
    host().bind_image(group->frames[0].image);
    return host().width() == FONT_PIXEL_WIDTH;
}

void half_life_font_write(ByteWriter &out, Group *group, bool dither)
{
    if (!half_life_font_writable(group))
        return;
    const std::vector<uint8_t> palette = palette_for_writing(group->frames[0].image, false, dither);
    host().bind_image(group->frames[0].image);
    out.i32(props_get_int(&group->props, PROP_FONT_WIDTH));
    out.i32(host().height());
    out.i32(props_get_int(&group->props, PROP_ROW_COUNT));
    out.i32(props_get_int(&group->props, PROP_ROW_HEIGHT));
    // A table that was lost or damaged is written empty: no character drawn.
    uint8_t table[FONT_TABLE_SIZE] = {};
    if (!hex_bytes(props_get_string(&group->props, PROP_CHARACTER_TABLE), table, FONT_TABLE_SIZE))
        std::memset(table, 0, sizeof table);
    out.bytes(table, FONT_TABLE_SIZE);
    {
        const ImpliedPalette own(palette.data());
        indexed_pixels_write(out, group->frames[0].image);
    }
    write_palette(out, group, palette);
}
