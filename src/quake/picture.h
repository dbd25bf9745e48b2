// Quake pictures (.lmp), mip textures (.mip) and palette.lmp, and the block
// codecs they share with the WAD2 archive.
#pragma once

#include <cstdint>

#include "fileio/byte_io.h"
#include "plugins/vorn_plugin.h"

// Format-table rows.
int32_t lmp_load(const char *path, Animation *anim);
int32_t lmp_save(const char *path, Animation *anim);
int32_t mip_load(const char *path, Animation *anim);
int32_t mip_save(const char *path, Animation *anim);
int32_t palette_lmp_load(const char *path, uint8_t *rgba1024);
int32_t palette_lmp_save(const char *path, const uint8_t *rgba, int32_t count);

// Block codecs. Readers never read outside `in`; missing bytes read as 0.
int picture_read(ByteReader &in, Frame *frame);
int picture_write(ByteWriter &out, uint32_t image);
void indexed_pixels_read(ByteReader &in, Frame *frame, int width, int height);
int indexed_pixels_write(ByteWriter &out, uint32_t image);
int mip_texture_read(ByteReader &in, Group *group);
int mip_texture_write(ByteWriter &out, Group *group);
void quake_palette_read(ByteReader &in, uint8_t *rgba1024);
