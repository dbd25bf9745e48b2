// Every magic number and header claim the program looks at before a reader
// or the decoder does: what a file is, and what size its header says, all
// read here over a ByteReader so that no sniff can run past its bytes.
// Self-contained (no library, no file access): the decoder links it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/byte_io.h"

// A Quake sprite ("IDSP"); `version` receives the version it claims.
bool sniff_quake_sprite(ByteReader in, int32_t &version);
// A sprite of a version the sprite readers take (1, 2 or 32), and one of
// version 32 alone.
bool sniff_sprite(ByteReader in);
bool sniff_sprite32(ByteReader in);
// A Quake WAD2 archive ("WAD2").
bool sniff_wad2(ByteReader in);
// A Quake map: version 29, Half-Life's 30, or the "BSP2" and "2PSB"
// variants of larger maps.
bool sniff_bsp(ByteReader in);
// A Quake model ("IDPO").
bool sniff_mdl(ByteReader in);
bool sniff_wad3(ByteReader in);

// A description such as "a Quake model" or "a Half-Life WAD3 archive" for
// bytes that are no image the program reads under another name; empty when
// they are not recognised or are an image format the library reads.
std::string sniff_foreign_content(ByteReader in);

// True when the bytes start with the signature of an image format the
// library reads (PNG, GIF, BMP, JPEG, PCX, TIFF ...).
bool sniff_common_image(ByteReader in);

// True when the bytes start like a Windows bitmap ("BM").
bool sniff_bmp(ByteReader in);

// The file header and the image header of a Windows bitmap: the OS/2 core
// header (12 bytes) or an info header (40 bytes, or 108 and 124 in the
// versions paint programs write today, which begin alike).
struct BmpHeader {
    uint32_t pixel_offset = 0;
    uint32_t header_size = 0;
    int64_t width = 0;
    int64_t height = 0; // as stored: negative when the rows are stored top first
    uint32_t bits_per_pixel = 0;
    uint32_t compression = 0; // 0 (none) in a core header
    uint32_t colours_used = 0;
};
// False when the bytes are no bitmap or end before the header size. Fields
// the bytes do not hold read as 0: the caller checks header_size against
// the size of what it holds.
bool sniff_bmp_header(ByteReader in, BmpHeader &header);

// The size the first bytes of a file claim, for the formats whose header
// says it plainly: GIF screen, PNG IHDR, BMP info header (40 bytes or
// more), PNM text header, and the TGA header when `extension` (lower case,
// with its dot) is one of Targa's. Signed as written; false otherwise.
// `head` should hold the file's first 512 bytes (fewer when it is shorter).
bool sniff_claimed_size(ByteReader head, const std::string &extension, int64_t &width, int64_t &height);

// An icon or cursor directory: true with its entry count when the first
// six bytes are one.
bool sniff_icon_directory(ByteReader head, unsigned &count);
// Where entry `index` of an icon directory says its image starts; the
// reader holds the 16 bytes of that entry.
uint32_t sniff_icon_entry_offset(ByteReader entry);
// The size one icon image claims, from its first 24 bytes: a PNG's IHDR or
// a bitmap header whose height covers the image and its mask. False when
// it is neither.
bool sniff_icon_image_size(ByteReader image, int64_t &width, int64_t &height);

// The length of the prefix of a GIF that holds the header, the global
// colour table and every block up to and including the first image's data.
// 0 when the bytes are no GIF, or end or go wrong before that image is
// complete: the caller then decodes the whole file as it is.
size_t gif_first_image_length(const uint8_t *data, size_t size);
