// WAD2 archives, and Half-Life's WAD3 beside them (the same header and
// directory; lumps that carry their own palettes).
#pragma once

#include <cstdint>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

int32_t wad2_load(const char *path, Animation *anim);
// wad2_load without the message: the dispatcher shows a refusal's reasons.
// Not its format (for the WAD3 reader) when the file is a WAD3.
LoadResult wad2_read(const char *path, Animation *anim);
int32_t wad2_save(const char *path, Animation *anim);

// A WAD3: mip textures, pictures and fonts with their own palettes, every
// other lump kept byte for byte; the document is marked as read from one
// (the "WAD Version" property). Frames that are not 8-bit are given a
// palette of their own on writing (own_palette_dithering applies).
LoadResult wad3_read(const char *path, Animation *anim);
int32_t wad3_save(const char *path, Animation *anim);

// The save dialog's names of the two kinds, which share *.wad.
inline constexpr const char *WAD2_DESCRIPTION = "Quake WAD2 (*.wad)";
inline constexpr const char *WAD3_DESCRIPTION = "Half-Life WAD3 (*.wad)";

// True for a document that is to be written as a WAD3.
bool wad_document_is_half_life(const Animation *anim);
// The format table's WAD2 writer: declines a document to be written as a
// WAD3, which the next row, wad3_save, takes.
int32_t wad2_row_save(const char *path, Animation *anim);
