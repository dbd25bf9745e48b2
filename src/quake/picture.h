// Quake pictures (.lmp), mip textures (.mip) and palette.lmp, and the block
// codecs they share with the WAD2 archive.
#pragma once

#include <cstdint>

#include "io/byte_io.h"
#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

// Format-table rows. Each *_read is its *_load without the message: the
// dispatcher shows a refusal's reasons; *_load shows them itself.
int32_t lmp_load(const char *path, Animation *anim);
LoadResult lmp_read(const char *path, Animation *anim);
int32_t lmp_save(const char *path, Animation *anim);
int32_t mip_load(const char *path, Animation *anim);
LoadResult mip_read(const char *path, Animation *anim);
int32_t mip_save(const char *path, Animation *anim);
int32_t palette_lmp_load(const char *path, uint8_t *rgba1024);
int32_t palette_lmp_save(const char *path, const uint8_t *rgba, int32_t count);

// Block codecs. Readers never read outside `in`; missing bytes read as 0.
// They leave the palette of the images they fill to the caller. Writers
// append at the end of `out`; a frame that is not 8-bit is first remapped
// to default_palette and stays so in the document. Writers append large
// pixel blocks by reference (ByteWriter::borrow): the images must stay as
// they are until `out` is written or its data() taken.

// Width and height (int32 each), then the indexes. 0, having consumed only
// the 8 size bytes, when a side lies outside 1..16384; else 1.
int picture_read(ByteReader &in, Frame *frame);
// Returns the bytes written: width x height + 8.
int picture_write(ByteWriter &out, uint32_t image);
// width x height indexes, top row first, into the frame's image (8-bit).
// A size outside 1..16384 reads nothing and leaves a single pixel of 0.
void indexed_pixels_read(ByteReader &in, Frame *frame, int width, int height);
// Returns the bytes written: width x height.
int indexed_pixels_write(ByteWriter &out, uint32_t image);
// A 40-byte header and four levels read in order after it (the stored
// offsets are not used). A group named "[no group]" takes the texture's
// name. 0, with the group untouched, when a side lies outside 1..16384;
// else 1 with exactly four frames (levels that shrink to nothing are held
// as zero-filled images at least one pixel wide and high).
int mip_texture_read(ByteReader &in, Group *group);
// Header and four levels; offsets are relative to the texture's start.
// The frames are rebuilt with group_build_mips unless they already form
// the chain W x H, W/2 x H/2, W/4 x H/4, W/8 x H/8. Returns bytes written.
int mip_texture_write(ByteWriter &out, Group *group);
// 768 bytes into 256 RGBA entries: alpha 255, except entry 255 (alpha 0).
void quake_palette_read(ByteReader &in, uint8_t *rgba1024);
