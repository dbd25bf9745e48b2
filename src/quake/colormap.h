// Quake lighting tables (colormap.lmp): for each of 64 light levels and each
// palette index, the index whose colour best matches that colour at that
// brightness. The highest indexes may be fullbright and stay unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int COLORMAP_LEVELS = 64;
inline constexpr size_t COLORMAP_FILE_SIZE = COLORMAP_LEVELS * 256 + 1;
inline constexpr int COLORMAP_DEFAULT_FULLBRIGHTS = 32;
inline constexpr float COLORMAP_DEFAULT_RANGE = 2.0f;
inline constexpr const char *COLORMAP_FULLBRIGHTS_MESSAGE = "Invalid number of fullbrights, must be 0 - 256";

// The 16385-byte table for the first 256 entries of an RGBA palette: 64 rows
// (level 0 brightest, multiplied by `range`; level 63 black), then the low
// byte of `fullbrights`. Indexes from 256 - fullbrights up map to themselves.
std::vector<uint8_t> generate_colormap(const uint8_t *palette, int32_t fullbrights, float range);

// The fullbright count typed as text: optional leading blanks and sign, then
// decimal digits; 0 when there are none.
int32_t colormap_parse_fullbrights(const std::string &text);
// Valid counts are 0 to 256.
bool colormap_fullbrights_valid(int32_t fullbrights);
// The range typed as text, as a decimal floating-point number; 0 when there
// is none.
float colormap_parse_range(const std::string &text);
