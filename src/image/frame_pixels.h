// A frame's picture as plain bytes, top row first, for code that lays
// pictures out itself (sprite sheets, animated GIFs) rather than through
// the image library.
#pragma once

#include <cstdint>
#include <vector>

struct FramePixels {
    int width = 0, height = 0;
    bool indexed = false;         // one byte a pixel into `palette`; else RGBA
    std::vector<uint8_t> pixels;  // width x height pixels
    std::vector<uint8_t> palette; // indexed: RGBA entries, at most 256
    int transparent = -1;         // indexed: the transparent index, -1 for none
};

// Reads image-library image `image` without changing it: an 8-bit colour-
// indexed image keeps its indexes and palette, any other is read as RGBA.
// False (and `out` empty) for an image without pixels. Leaves no image
// bound.
bool frame_pixels(uint32_t image, FramePixels &out);

// The transparent index of a palette of `entries` RGBA entries: its first
// entry of alpha 0 when some other entry is opaque (a palette read without
// alpha is not all transparent), else 255 when it has the colours of the
// Quake palette, whose last entry the engines draw as a hole; else -1.
int palette_transparent_index(const uint8_t *rgba, int entries);
