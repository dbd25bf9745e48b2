// Image > Match to Palette: the choices of its dialog (which palette,
// fullbrights allowed or not, dithering and its strength) and the match
// itself, which the dialog runs on a copy for its preview and the command
// on the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class MatchPaletteSource { Quake, Frame, File };

struct MatchPaletteChoice {
    MatchPaletteSource source = MatchPaletteSource::Quake;
    std::string file; // for MatchPaletteSource::File
    bool fullbrights = true;
    bool dither = false;
    int strength = 100; // percent of the error passed on, 1..100
};

// The choice the dialog opened with last (kept for the run).
MatchPaletteChoice &match_palette_last_choice();

// The 256 RGBA entries the choice names for image `frame`: the Quake
// palette beside the program, the frame's own, or a palette file's
// (entries a shorter palette lacks are opaque black, so that nothing
// matches them as transparent). False with `error` saying why, naming the
// file, when there is none.
bool match_palette_entries(const MatchPaletteChoice &choice, uint32_t frame, std::vector<uint8_t> &palette,
                           std::string &error);

// Matches the bound image to `palette` (256 entries) as the choice says.
// Returns the number of its pixels that are then fullbright.
size_t match_palette_apply(const MatchPaletteChoice &choice, const std::vector<uint8_t> &palette);
