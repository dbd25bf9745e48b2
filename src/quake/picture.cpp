// Placeholder until the picture, texture and palette codecs land.
#include "quake/picture.h"

int32_t lmp_load(const char *, Animation *) { return 0; }
int32_t lmp_save(const char *, Animation *) { return 0; }
int32_t mip_load(const char *, Animation *) { return 0; }
int32_t mip_save(const char *, Animation *) { return 0; }
int32_t palette_lmp_load(const char *, uint8_t *) { return 0; }
int32_t palette_lmp_save(const char *, const uint8_t *, int32_t) { return 0; }
