// On-disk layouts of the Quake sprite and WAD2 formats, shared by their
// readers and writers so that both always agree on sizes and magic numbers.
// The document's records (Animation, Group, Frame) are kept apart from these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sprite_layout {

// "IDSP" read as a little-endian int32.
inline constexpr uint32_t MAGIC = 0x50534449u;

inline constexpr int32_t VERSION_QUAKE = 1;     // pictures in the implied palette
inline constexpr int32_t VERSION_PALETTED = 2;  // own palette after the header
inline constexpr int32_t VERSION_TRUECOLOUR = 32; // RGBA pixels, no palette

// magic, version, type, radius, width, height, entries, beam length, sync
inline constexpr size_t HEADER_SIZE = 36;
// Version 2: int16 colour count, then that many red/green/blue triples.
inline constexpr size_t PALETTE_COUNT_SIZE = 2;
inline constexpr size_t PALETTE_ENTRY_SIZE = 3;

inline constexpr size_t ENTRY_TYPE_SIZE = 4;  // 0 single frame, else group
inline constexpr size_t GROUP_COUNT_SIZE = 4; // int32 frames in the group
inline constexpr size_t INTERVAL_SIZE = 4;    // float32 per frame of a group
// origin x, origin y, width, height; the pixels follow.
inline constexpr size_t FRAME_HEAD_SIZE = 16;
// The fewest bytes a frame entry can take: its type and an empty frame head.
inline constexpr size_t MIN_ENTRY_SIZE = ENTRY_TYPE_SIZE + FRAME_HEAD_SIZE;
// The fewest bytes one frame of a group can take: interval and frame head.
inline constexpr size_t MIN_GROUP_FRAME_SIZE = INTERVAL_SIZE + FRAME_HEAD_SIZE;

// Frame sides the readers accept (both versions and the 32-bit sprite).
inline constexpr int32_t MAX_SIDE = 16384;

// The property names that carry the header fields through the document.
inline constexpr const char *PROP_RADIUS = "Radius";
inline constexpr const char *PROP_SYNC = "Synchronous";
inline constexpr const char *PROP_ORIENTATION = "Orientation";
inline constexpr const char *PROP_BEAM_LENGTH = "Beamlength";
inline constexpr const char *PROP_VERSION = "Version";
inline constexpr const char *PROP_TEXTURE_FORMAT = "Texture Format";
inline constexpr const char *PROP_ORIGIN_X = "Origin X";
inline constexpr const char *PROP_ORIGIN_Y = "Origin Y";
inline constexpr const char *PROP_DURATION = "Duration";

} // namespace sprite_layout

namespace wad_layout {

// "WAD2" and "WAD3" read as little-endian int32s.
inline constexpr uint32_t MAGIC = 0x32444157u;
inline constexpr uint32_t MAGIC_HALF_LIFE = 0x33444157u;

// magic, directory entry count, directory offset
inline constexpr size_t HEADER_SIZE = 12;
inline constexpr size_t DIRECTORY_OFFSET_FIELD = 8;
// lump offset, size on disk, size, type, compression, 2 padding, name
inline constexpr size_t ENTRY_SIZE = 32;
inline constexpr size_t NAME_SIZE = 16;

inline constexpr uint8_t TYPE_PALETTE = 64;
inline constexpr uint8_t TYPE_PICTURE = 'B';
inline constexpr uint8_t TYPE_HALF_LIFE_MIP = 'C';
inline constexpr uint8_t TYPE_MIP_TEXTURE = 'D';
inline constexpr uint8_t TYPE_RAW = 'E';
inline constexpr uint8_t TYPE_HALF_LIFE_FONT = 'F';
// A group's "Entry Type" is the lump type byte minus this.
inline constexpr int ENTRY_TYPE_BASE = 66;

// "Entry Type" values of the groups the reader makes.
inline constexpr int ENTRY_PICTURE = 0;
inline constexpr int ENTRY_HALF_LIFE_MIP = 1;
inline constexpr int ENTRY_MIP_TEXTURE = 2;
inline constexpr int ENTRY_RAW = 3;
// Any other lump (the palette, 'C' lumps, kinds the editor cannot show, or
// lumps of unusable size), kept byte for byte: its type byte in "Lump Type",
// its size in "Lump Size", its bytes in the frame's pixels, row by row.
inline constexpr int ENTRY_OTHER = 4;
// A Half-Life font: its picture in the frame, its table in the group's
// properties (quake/half_life_texture.h).
inline constexpr int ENTRY_FONT = 5;
inline constexpr const char *PROP_LUMP_TYPE = "Lump Type";
inline constexpr const char *PROP_LUMP_SIZE = "Lump Size";
inline constexpr int OTHER_LUMP_WIDTH = 4096;

inline constexpr size_t PALETTE_SIZE = 768;
inline constexpr size_t PICTURE_HEAD_SIZE = 8;  // int32 width, height
inline constexpr size_t MIP_HEADER_SIZE = 40;   // name, width, height, 4 offsets
inline constexpr size_t MIP_WIDTH_OFFSET = 16;

// The console font, stored raw in a mip-texture lump of this exact name.
inline constexpr const char *CONCHARS_NAME = "CONCHARS";
inline constexpr int CONCHARS_SIDE = 128;
// Raw lumps are recognised by their size.
inline constexpr int32_t RAW_SMALL_SIZE = 128 * 128;
inline constexpr int32_t RAW_LARGE_SIZE = 320 * 200;

inline constexpr const char *PROP_ENTRY_TYPE = "Entry Type";
// The archive's kind, 2 or 3, on a document read from a WAD: a document
// marked 3 is written back as a Half-Life WAD3, any other as a WAD2.
inline constexpr const char *PROP_WAD_VERSION = "WAD Version";
inline constexpr int WAD_VERSION_HALF_LIFE = 3;

} // namespace wad_layout

namespace bsp_layout {

// The first four bytes of a map: a version number (29 Quake, 30 Half-Life)
// or, for the larger-map variants, a magic read as a little-endian int32.
inline constexpr uint32_t VERSION_QUAKE = 29;
inline constexpr uint32_t VERSION_HALF_LIFE = 30;
inline constexpr uint32_t MAGIC_BSP2 = 0x32505342u;  // "BSP2"
inline constexpr uint32_t MAGIC_2PSB = 0x42535032u;  // "2PSB"

// All four share the header: the version or magic, then 15 lumps of
// offset and length (int32 each).
inline constexpr int LUMP_COUNT = 15;
inline constexpr size_t LUMP_ENTRY_SIZE = 8;
inline constexpr size_t HEADER_SIZE = 4 + LUMP_COUNT * LUMP_ENTRY_SIZE;
inline constexpr int TEXTURE_LUMP = 2;
// Engines read lumps as arrays of 32-bit fields: each starts 4-aligned.
inline constexpr size_t LUMP_ALIGNMENT = 4;

// The texture lump: an int32 count, that many int32 offsets from the
// lump's start (-1: no texture), then mip textures like a WAD2's. A
// texture whose four level offsets are 0 has no pixels in the map (its
// pixels are in a WAD the map names).
inline constexpr int32_t MISSING_TEXTURE = -1;
// A Half-Life texture carries its palette after the fourth level: an int16
// colour count, three bytes a colour, then padding to 4 bytes.
inline constexpr size_t HALF_LIFE_PALETTE_COUNT_SIZE = 2;

// Properties the map reader leaves in the document: the map's version (of
// the animation), and what a texture without pixels is (of its group).
inline constexpr const char *PROP_MAP_VERSION = "Map Version";
inline constexpr const char *PROP_NOTE = "Note";

} // namespace bsp_layout

namespace mdl_layout {

// "IDPO" read as a little-endian int32.
inline constexpr uint32_t MAGIC = 0x4F504449u;
inline constexpr int32_t VERSION = 6;

// ident, version, scale[3], origin[3], radius, eye[3], skin count, skin
// width, skin height, vertices, triangles, frames, sync type, flags, size.
inline constexpr size_t HEADER_SIZE = 84;
inline constexpr size_t SKIN_COUNT_FIELD = 48;
inline constexpr size_t SKIN_WIDTH_FIELD = 52;
inline constexpr size_t SKIN_HEIGHT_FIELD = 56;

// Each skin: an int32 kind (0 one picture, else a group), and for a group
// an int32 picture count, a float interval each, then the pictures.
inline constexpr int32_t SINGLE_SKIN = 0;
inline constexpr int32_t SKIN_GROUP = 1;

// The model's version, left in a document read from a model: its groups
// are then all the model's skins.
inline constexpr const char *PROP_MODEL_VERSION = "Model Version";
// Set on a group read from a skin group, so that one of a single picture
// is written back as a group.
inline constexpr const char *PROP_SKIN_GROUP = "Skin Group";

} // namespace mdl_layout
