// Skins inside Quake models (.mdl, "IDPO" version 6).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

// One group per skin: a single skin is a group of one frame, a skin group a
// group of frames whose intervals are their "Duration".
LoadResult mdl_read(const char *path, Animation *anim);
int32_t mdl_load(const char *path, Animation *anim);
// Writes the document's skins into the model already at `path`, every byte
// after the skins kept. A document read from a model holds all its skins;
// any other replaces its skins from the first on. Skins of another size
// than the model's are refused.
int32_t mdl_save(const char *path, Animation *anim);

// What a model's skins are, for listings.
struct ModelSkinInfo {
    int32_t skins = 0;  // entries: single skins and skin groups
    int32_t groups = 0; // of which skin groups
    int32_t pictures = 0;
    int32_t width = 0;
    int32_t height = 0;
};
// False with `why` (no file name in it) when the bytes are no model this
// reader takes.
bool mdl_skin_info(const uint8_t *data, size_t size, ModelSkinInfo &info, std::string &why);
