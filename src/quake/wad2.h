// WAD2 archives.
#pragma once

#include <cstdint>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

int32_t wad2_load(const char *path, Animation *anim);
// wad2_load without the message: the dispatcher shows a refusal's reasons.
LoadResult wad2_read(const char *path, Animation *anim);
int32_t wad2_save(const char *path, Animation *anim);
