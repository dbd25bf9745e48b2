// Game Lighting: the preview shows an 8-bit frame as the game's software
// renderer lights it, through a colormap (64 light levels of 256 indexes):
// the one Generate Colormap would make from the frame's palette, or a
// colormap.lmp the user picked. A view only: the document never changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int LIGHT_LEVEL_DEFAULT = 32; // a normally lit wall

struct GameLighting {
    bool on = false;
    int level = LIGHT_LEVEL_DEFAULT; // 0 brightest .. 63 darkest
    std::string colormap_file;       // empty: generated from the frame's palette
};

// The view's present state.
GameLighting &game_lighting();

// The colormap to light a frame of `palette` (256 RGBA entries) with: the
// file's first 16384 bytes, or the table generated from the palette with
// the present fullbright count (kept for the next frame of the same
// palette). Empty, with the reason in `error`, when the file cannot be used.
const std::vector<uint8_t> &lighting_colormap(const uint8_t *palette, const GameLighting &lighting,
                                              std::string *error);
// The palette a frame is shown with at `level`: entry i is the colour of
// the index the colormap gives i at that level (fullbright indexes map to
// themselves in a generated colormap, so they stay bright). Alpha is kept.
void lit_palette(const uint8_t *palette, const std::vector<uint8_t> &colormap, int level, uint8_t *out);
