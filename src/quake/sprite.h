// Quake sprites (.spr versions 1 and 2) and 32-bit sprites (.spr32).
#pragma once

#include <cstdint>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

// Each *_read is its *_load without the message: the dispatcher shows a
// refusal's reasons; *_load shows them itself.
int32_t quake_sprite_load(const char *path, Animation *anim);
LoadResult quake_sprite_read(const char *path, Animation *anim);
int32_t quake_sprite_save(const char *path, Animation *anim);
// The save dialog's name for a sprite in the Half-Life layout, which the
// same writer makes for a document with a "Texture Format".
inline constexpr const char *HALF_LIFE_SPRITE_DESCRIPTION = "Half-Life Sprite (*.spr)";
int32_t sprite32_load(const char *path, Animation *anim);
LoadResult sprite32_read(const char *path, Animation *anim);
int32_t sprite32_save(const char *path, Animation *anim);
