// The implied palette of Quake pictures and colour matching against a
// palette. Palettes are arrays of 4-byte entries: red, green, blue, alpha;
// alpha 0 marks a transparent entry.
#pragma once

#include <cstdint>
#include <cstddef>
#include <functional>
#include <vector>

// 256 RGBA entries plus one spare byte. Filled once at start-up from
// palette.lmp beside the program (load_default_palette, in the format
// table); all zero when that failed.
extern uint8_t default_palette[1025];

// The index of the entry nearest to (red, green, blue) among the first
// `count` entries; for alpha_flag 0, the first transparent entry (or 0).
// Only entries closer than twice the colour's squared distance from black
// are chosen, ties keep the lower index, and opaque black always gives 0.
// Components may lie far outside 0..255.
int nearest_palette_index(const uint8_t *palette, int count, int red, int green, int blue, int alpha_flag);
// Turns the bound image into an 8-bit image whose palette is the first
// `count` entries of `palette`, matching every colour: the palette colours
// of an 8-bit image, or each pixel's colour and alpha of any other image.
void remap_to_palette(const uint8_t *palette, int count);

// For a colour-indexed bound image: the entry of a new palette that each of
// its palette's entries becomes, `match` taking an entry's RGBA bytes. The
// image's palette is made RGBA first. Indexes without an entry (at or past
// its size) cannot come from the library and take 0, not an unset value.
void indexed_palette_table(uint8_t table[256], const std::function<int(const uint8_t *rgba)> &match);

// The bound colour-indexed image's palette as 256 RGBA entries (unused ones
// zero); the number of entries it has, 0 when it has none. With
// `keep_alpha` false every entry is opaque.
int bound_palette_rgba(uint8_t *rgba1024, bool keep_alpha = true);

// The fullbright range: the last fullbright_count() entries of a frame
// whose palette is the Quake palette (the colours of palette.lmp) ignore
// the game's light. The count is the colormap's, for the whole run (0 to
// 256): 32 until Generate Colormap or vorn-cli --fullbrights gives another.
int fullbright_count();
void set_fullbright_count(int count);
// The first index of the range, 256 - count.
int fullbright_first_index();
// True when the first 256 entries' colours are those of default_palette.
bool is_quake_palette(const uint8_t *rgba1024, int entries);
// The fullbright pixels of the bound image: 0 unless it is colour-indexed
// with the Quake palette. A pixel of a transparent entry (index 255 of the
// Quake palette, a hole) is not one. `mask`, when given, gets one byte per
// pixel (1 for fullbright), rows top first.
size_t bound_fullbright_pixels(std::vector<uint8_t> *mask = nullptr);
