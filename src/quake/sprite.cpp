// Placeholder until the sprite codecs land.
#include "quake/sprite.h"

int32_t quake_sprite_load(const char *, Animation *) { return 0; }
int32_t quake_sprite_save(const char *, Animation *) { return 0; }
int32_t sprite32_load(const char *, Animation *) { return 0; }
int32_t sprite32_save(const char *, Animation *) { return 0; }
