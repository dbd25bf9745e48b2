// A palette of its own for a true-colour picture, as Half-Life's textures,
// pictures and sprites carry: the picture's own colours when it has few
// enough of them, else the choice of a quantiser (libimagequant).
#pragma once

#include <cstdint>
#include <vector>

struct OwnPalette {
    std::vector<uint8_t> indexes; // one a pixel, top row first
    uint8_t palette[1024] = {};   // RGBA; entries past `count` are black
    int count = 0;
};

// The colour Half-Life's tools give the transparent entry of a `{` texture.
inline constexpr uint8_t TRANSPARENT_ENTRY_RGB[3] = {0, 0, 255};

// Chooses a palette for `width` x `height` RGBA pixels and the index of
// each. Without `transparent_last`, alpha is not looked at and up to 256
// entries are used. With it, pixels whose alpha is below half take index
// 255, which becomes pure blue with alpha 0, and the others share entries
// 0 to 254. Exact (every pixel keeps its colour) when the colours fit;
// else quantised, with Floyd-Steinberg error diffusion when `dither`.
// False when the quantiser fails (out of memory).
bool make_own_palette(const uint8_t *rgba, int width, int height, bool transparent_last, bool dither,
                      OwnPalette &out);

// One palette for several pictures (a sprite's frames), chosen from all
// their pixels as above; `indexes` receives each picture's indexes and
// `palette` 256 RGBA entries, of which `count` are chosen.
struct OwnPalettePicture {
    const uint8_t *rgba;
    int width;
    int height;
};
bool make_shared_palette(const std::vector<OwnPalettePicture> &pictures, bool transparent_last, bool dither,
                         std::vector<std::vector<uint8_t>> &indexes, uint8_t *palette, int &count);

// The same for `image` (read as RGBA), which becomes an 8-bit image holding
// the result and is left bound. False, the image unchanged, on failure.
bool give_image_own_palette(uint32_t image, bool transparent_last, bool dither);
// The same for several images, which share the palette made for them all.
bool give_images_own_palette(const std::vector<uint32_t> &images, bool transparent_last, bool dither);
// The palette of a picture drawn by opacity (a Half-Life decal, an Index
// Alpha sprite) for several images: each pixel's index is its opacity (its
// brightness times its alpha), the last entry the images' mean colour
// weighted by opacity, and the others a grey ramp that shows the indexes.
bool give_images_opacity_palette(const std::vector<uint32_t> &images);

// Whether palettes made while writing use error diffusion: off, unless an
// OwnPaletteDithering is in force on this thread (the batch tool's
// --dither floyd-steinberg).
bool own_palette_dithering();
class OwnPaletteDithering {
public:
    explicit OwnPaletteDithering(bool dither);
    ~OwnPaletteDithering();
    OwnPaletteDithering(const OwnPaletteDithering &) = delete;
    OwnPaletteDithering &operator=(const OwnPaletteDithering &) = delete;

private:
    bool previous_;
};
