// Frames written into a format whose palette is implied (the Quake palette
// of version-1 sprites, pictures, textures and archives; the first frame's
// palette of a version-2 sprite) must have their colours in that palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Makes the bound image 8-bit against the first `count` entries of
// `palette`. An image that is not 8-bit, or whose own palette differs in the
// colour of any entry it has, is remapped by colour (remap_to_palette); one
// that already carries exactly those colours keeps its indexes byte for
// byte, and so does an 8-bit image without a palette, whose indexes can
// only mean the implied one. True when the image was remapped.
bool conform_to_palette(const uint8_t *palette, int count);

// While one lives on a thread, frames that conform_to_palette matches to
// its palette (one whose last entries are fullbright: the Quake palette or
// an archive's) are checked for fullbright pixels that the match made and
// their colours did not ask for (quake/fullbright.h). The first frame that
// has some is where the user hears how many and chooses to keep them or to
// have the frame matched again without fullbrights; the choice holds, for
// that frame and every later match, until the program ends. Once the user
// has chosen to avoid them, frames are matched without fullbrights from
// the start. With a back-end that has no one to ask (the batch tool), the
// count of every such frame is told as a warning by RemapReport::tell,
// once the file is written.
class FullbrightCheck {
public:
    FullbrightCheck(const char *path, const uint8_t *palette);
    ~FullbrightCheck();
    FullbrightCheck(const FullbrightCheck &) = delete;
    FullbrightCheck &operator=(const FullbrightCheck &) = delete;

    // Set while the smaller levels of a box-filtered mip chain are matched:
    // the warning then suggests fullbright-safe levels.
    static void matching_reduced_levels(bool on);

private:
    friend bool conform_to_palette(const uint8_t *, int);
    const char *path_;
    const uint8_t *palette_;
    FullbrightCheck *previous_;
    std::vector<std::string> untold_;
    friend class RemapReport;
};

// The bound image's pixels as RGBA, rows as the image holds them; the image
// is left as it is. Empty when it has none.
std::vector<uint8_t> bound_rgba_pixels();

// Counts the frames conform_to_palette remaps on this thread from its
// making on, and tells the user how many.
class RemapReport {
public:
    explicit RemapReport(const char *palette_name);
    int remapped() const;
    // An information message naming the file, when any frame was remapped,
    // after the warnings of a FullbrightCheck that had no one to ask.
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
