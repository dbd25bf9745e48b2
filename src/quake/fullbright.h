// Fullbright entries: the last entries of a Quake palette (32 unless the
// colormap in use says otherwise) are drawn at full brightness whatever the
// light, so they glow in the dark. A nearest-colour match picks them as
// happily as any other entry; what is here lets the program count them,
// avoid them, keep them out of mip levels and put them where a mask says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/quake_palette.h"

// The fullbright count in force (fullbright_count(), set_fullbright_count(),
// fullbright_first_index()) lives with the palette, in image/quake_palette.h.

// Pixels whose index lies in [first, 256); with a palette, not those whose
// entry is transparent (index 255 of the Quake palette is a hole).
size_t count_fullbright_pixels(const uint8_t *indexes, size_t pixels, int first, const uint8_t *palette = nullptr);

// Fullbright pixels a match made that the source did not ask for: pixels
// matched to an index of [first, 256) whose source (RGBA, same order) is
// opaque and not exactly the colour of one of those entries of `palette`.
// A source colour that is a fullbright colour asked for its glow; any other
// colour only happened to lie nearest to one.
size_t count_unasked_fullbrights(const uint8_t *rgba, const uint8_t *indexes, size_t pixels,
                                 const uint8_t *palette, int first);

// What the user chose when a match made fullbrights: asked once, then
// remembered until the program ends.
enum class FullbrightChoice { Ask, Keep, Avoid };
FullbrightChoice fullbright_choice();
void set_fullbright_choice(FullbrightChoice choice);

// Whether rebuilt mip levels are made fullbright-safe (see below) rather
// than box-filtered in true colour: off unless the user turns it on.
bool mips_fullbright_safe();
void set_mips_fullbright_safe(bool on);

// Level k (1..3) of a texture from its 8-bit level 0 (w x h indexes into
// the 256-entry `palette`), (w >> k) x (h >> k) (at least 1 x 1). Each
// level pixel covers a block of level 0: when the block's pixel nearest its
// centre is fullbright or transparent, the level pixel is that index;
// otherwise it is the average of the block's lit opaque pixels matched
// among the lit entries. So a level has a fullbright or a hole only where
// level 0 has one at that place.
std::vector<uint8_t> fullbright_safe_level(const uint8_t *level0, int w, int h, int k, const uint8_t *palette,
                                           int first);

// Matches `rgba` (w x h) to the 256-entry `palette`: pixels whose `mask`
// byte is non-zero take the nearest opaque fullbright entry, other opaque
// pixels the nearest entry below `first`, transparent pixels the palette's
// first transparent entry. Returns the indexes.
std::vector<uint8_t> match_with_fullbright_mask(const uint8_t *rgba, const uint8_t *mask, size_t pixels,
                                                const uint8_t *palette, int first);

// Whether a mask image's RGBA pixel marks glow: neither transparent nor
// black, so that both masks drawn on transparency and the black-background
// luma textures of the engines mean what they show.
inline bool mask_marks_glow(const uint8_t *rgba)
{
    return rgba[3] >= 128 && (rgba[0] | rgba[1] | rgba[2]) != 0;
}

// Makes image `frame` an 8-bit image against the 256-entry `palette` whose
// fullbright pixels are exactly those `mask` marks (mask_marks_glow; the
// mask is scaled to the frame's size first, on a copy): see
// match_with_fullbright_mask. False, the frame untouched, when either image
// has no pixels. Leaves `frame` bound.
bool apply_fullbright_mask(uint32_t frame, uint32_t mask, const uint8_t *palette);
