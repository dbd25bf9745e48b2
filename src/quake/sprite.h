// Quake sprites (.spr versions 1 and 2) and 32-bit sprites (.spr32).
#pragma once

#include <cstdint>

#include "plugins/vorn_plugin.h"

int32_t quake_sprite_load(const char *path, Animation *anim);
int32_t quake_sprite_save(const char *path, Animation *anim);
int32_t sprite32_load(const char *path, Animation *anim);
int32_t sprite32_save(const char *path, Animation *anim);
