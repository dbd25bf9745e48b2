// Half-Life's 8-bit pictures that carry a palette of their own: the mip
// texture (of WAD3 archives and of version 30 maps), the WAD3 picture and
// the WAD3 font. Each is the Quake block followed by a 16-bit colour count
// and that many red, green, blue triples.
//
// Readers consume exactly the block from `in` and fill `group` (whose
// frames they replace) only when the whole block lies in `in`; false, the
// group untouched, otherwise. Frames get the block's palette (256 entries,
// those past the count black); a texture whose name starts with `{` has
// entry 255 transparent. Writers append the block at the end of `out`,
// without padding; a frame that is not 8-bit is first given a palette of
// its own (make_own_palette) and stays so in the document.
#pragma once

#include <cstdint>
#include <string>

#include "io/byte_io.h"
#include "plugins/vorn_plugin.h"

namespace half_life_layout {

inline constexpr size_t COLOUR_COUNT_SIZE = 2;
inline constexpr int MAX_COLOURS = 256;
// width field, height, row count, row height; then 256 character records
// of a 16-bit offset and a 16-bit width; then 256 x height pixels.
inline constexpr size_t FONT_HEAD_SIZE = 16;
inline constexpr size_t FONT_TABLE_SIZE = 1024;
inline constexpr int FONT_PIXEL_WIDTH = 256;

// What the document keeps of a block beside its pixels and palette.
// The stored colour count, when it is not 256.
inline constexpr const char *PROP_COLOURS = "Palette Colours";
// A texture's 16 name bytes, in hexadecimal, when they are not its name
// padded with zeros (tools leave other bytes after the name's end).
inline constexpr const char *PROP_NAME_BYTES = "Name Bytes";
// A font's header fields and its character table (hexadecimal).
inline constexpr const char *PROP_FONT_WIDTH = "Font Width";
inline constexpr const char *PROP_ROW_COUNT = "Row Count";
inline constexpr const char *PROP_ROW_HEIGHT = "Row Height";
inline constexpr const char *PROP_CHARACTER_TABLE = "Character Table";

} // namespace half_life_layout

// True for a name whose texture draws its last palette entry transparent.
bool half_life_transparent_name(const char *name);

// A mip texture: header (name, width, height, four offsets), four levels,
// palette. Only the usual layout (levels in order straight after the
// header) is read. A group named "[no group]" takes the texture's name.
bool half_life_mip_read(ByteReader &in, Group *group);
// `dither`: error diffusion when a true-colour texture is quantised.
void half_life_mip_write(ByteWriter &out, Group *group, bool dither);
bool half_life_picture_read(ByteReader &in, Group *group);
void half_life_picture_write(ByteWriter &out, Group *group, bool dither);
// A font whose frame is not 256 pixels wide cannot be written as one.
bool half_life_font_read(ByteReader &in, Group *group);
bool half_life_font_writable(Group *group);
void half_life_font_write(ByteWriter &out, Group *group, bool dither);

std::string hex_text(const uint8_t *bytes, size_t n);
// The bytes of a hexadecimal text; false when it is not exactly n of them.
bool hex_bytes(const char *text, uint8_t *bytes, size_t n);
