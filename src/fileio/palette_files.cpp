// Placeholder until our own palette-file readers land.
#include "fileio/generic_formats.h"

int32_t generic_palette_load(const char *, uint8_t *) { return 0; }
int32_t generic_palette_save(const char *, const uint8_t *, int32_t) { return 0; }
