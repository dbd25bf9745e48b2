// Colour matching with choices: a limit on the entries that opaque colours
// may take (to keep fullbright colours out of textures) and error-diffusion
// dithering. The savers' own matching is remap_to_palette; this is what the
// batch tool applies before saving when the user asks for more.
#pragma once

#include <cstdint>

struct PaletteMatchOptions {
    // Opaque colours match only entries below this index (1..256). A
    // transparent pixel still takes the first transparent entry of the
    // whole palette.
    int opaque_entries = 256;
    // Floyd-Steinberg error diffusion of true-colour pixels.
    bool dither = false;
    // The share of each pixel's error passed on, in percent (1..100).
    int dither_strength = 100;
};

// Turns the bound image into an 8-bit image whose palette is the first
// `count` entries of `palette` (RGBA). An 8-bit image without dithering has
// its palette colours matched, so that equal indexes stay equal; anything
// else is matched pixel by pixel. With the default options and an image
// that is not 8-bit, the result equals remap_to_palette's.
void match_bound_image(const uint8_t *palette, int count, const PaletteMatchOptions &options);
