// Textures inside Quake maps (.bsp versions 29 and 30, "BSP2", "2PSB").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

// One group per entry of the map's texture lump, a mip group of four frames;
// an entry without pixels is an empty group with a "Note".
LoadResult bsp_read(const char *path, Animation *anim);
int32_t bsp_load(const char *path, Animation *anim);
// Writes the document's textures into the map already at `path`, by name,
// every other byte of the map kept. A document read from a map must hold
// exactly its textures; any other (a WAD's) replaces the textures of the
// same names and says which were replaced and which had no match.
int32_t bsp_save(const char *path, Animation *anim);

// What a map's texture lump holds, for listings.
struct MapTextureInfo {
    std::string name;    // empty for an entry at offset -1
    uint32_t width = 0;
    uint32_t height = 0;
    bool has_pixels = false;
};
// False with `why` (no file name in it) when the bytes are no map this
// reader takes.
bool bsp_texture_list(const uint8_t *data, size_t size, std::vector<MapTextureInfo> &textures, std::string &why);
