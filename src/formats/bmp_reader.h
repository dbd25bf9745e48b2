// A bounded reader of our own for Windows bitmaps, for the files the image
// library refuses: it reads only the 40-byte header, while ImageMagick and
// GIMP write 108- and 124-byte ones by default. Uncompressed images of 1, 4
// and 8 bits with their palette, 16, 24 and 32 bits (with BI_BITFIELDS or
// BI_ALPHABITFIELDS masks, alpha kept), bottom-up and top-down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
    int width = 0;
    int height = 0;
    // 1: palette indexes (palette_rgba holds the entries, alpha 255);
    // 3: red, green, blue; 4: red, green, blue, alpha.
    int channels = 0;
    std::vector<uint8_t> pixels; // rows top first, no padding
    std::vector<uint8_t> palette_rgba;
};

// Reads a bitmap; false with `error` (a sentence without the file's name)
// when it is damaged or of a kind this reader does not take. Sides are
// held to 1..max_side and the pixel count to max_pixels, before anything is
// allocated. Indexes beyond a short palette are kept; the palette then holds
// black entries up to the highest index.
bool bmp_read(const uint8_t *data, size_t size, BmpImage &image, std::string &error, int max_side = 32768,
              uint64_t max_pixels = UINT64_MAX);
