// Frames written into a format whose palette is implied (the Quake palette
// of version-1 sprites, pictures, textures and archives; the first frame's
// palette of a version-2 sprite) must have their colours in that palette.
#pragma once

#include <cstdint>

// Makes the bound image 8-bit against the first `count` entries of
// `palette`. An image that is not 8-bit, or whose own palette differs in the
// colour of any entry it has, is remapped by colour (remap_to_palette); one
// that already carries exactly those colours keeps its indexes byte for
// byte, and so does an 8-bit image without a palette, whose indexes can
// only mean the implied one. True when the image was remapped.
bool conform_to_palette(const uint8_t *palette, int count);

// Counts the frames conform_to_palette remaps on this thread from its
// making on, and tells the user how many.
class RemapReport {
public:
    explicit RemapReport(const char *palette_name);
    int remapped() const;
    // An information message naming the file, when any frame was remapped.
    void tell(const char *path) const;

private:
    const char *palette_name_;
    long start_;
};

// The 256-entry palette pictures and textures imply: the Quake palette,
// unless an ImpliedPalette is in force on this thread (an archive that
// carries a palette lump of its own).
const uint8_t *implied_palette();
class ImpliedPalette {
public:
    explicit ImpliedPalette(const uint8_t *palette);
    ~ImpliedPalette();
    ImpliedPalette(const ImpliedPalette &) = delete;
    ImpliedPalette &operator=(const ImpliedPalette &) = delete;

private:
    const uint8_t *previous_;
};
