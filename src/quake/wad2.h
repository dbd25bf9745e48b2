// WAD2 archives.
#pragma once

#include <cstdint>

#include "plugins/vorn_plugin.h"

int32_t wad2_load(const char *path, Animation *anim);
int32_t wad2_save(const char *path, Animation *anim);
