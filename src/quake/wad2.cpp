// Placeholder until the WAD2 codec lands.
#include "quake/wad2.h"

int32_t wad2_load(const char *, Animation *) { return 0; }
int32_t wad2_save(const char *, Animation *) { return 0; }
