#include "quake/colormap.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "image/palette_matcher.h"
#include "image/quake_palette.h"

namespace {

// trunc(value * multiplier + 0.5) in double precision. Values beyond the
// 32-bit range (huge ranges) are held at its ends and a result that is not a
// number counts as 0, so the conversion is always defined; ordinary ranges
// never reach either case.
int brightened(uint8_t value, float multiplier)
{
    const double scaled = static_cast<double>(value) * static_cast<double>(multiplier) + 0.5;
    if (std::isnan(scaled))
        return 0;
    if (scaled >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (scaled <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(scaled);
}

} // namespace

std::vector<uint8_t> generate_colormap(const uint8_t *palette, int32_t fullbrights, float range)
{
    std::vector<uint8_t> table(COLORMAP_FILE_SIZE, 0);
    PaletteMatcher matcher(palette, 256);
    for (int level = 0; level < COLORMAP_LEVELS; ++level) {
        const double r = static_cast<double>(range);
        const float multiplier = static_cast<float>(r - r * level / 63.0);
        uint8_t *row = table.data() + static_cast<size_t>(level) * 256;
        for (int j = 0; j < 256; ++j) {
            if (static_cast<int64_t>(j) >= 256 - static_cast<int64_t>(fullbrights)) {
                row[j] = static_cast<uint8_t>(j);
                continue;
            }
            const uint8_t *entry = palette + j * 4;
            const int red = brightened(entry[0], multiplier);
            const int green = brightened(entry[1], multiplier);
            const int blue = brightened(entry[2], multiplier);
            row[j] = static_cast<uint8_t>(entry[3] ? matcher.nearest(red, green, blue) : matcher.transparent());
        }
    }
    table[COLORMAP_FILE_SIZE - 1] = static_cast<uint8_t>(fullbrights);
    return table;
}

int32_t colormap_parse_fullbrights(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Digits beyond what 32 bits hold keep the value out of range rather
    // than wrapping it back into 0..256.
    int64_t value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (value < INT64_C(1) << 40)
            value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool colormap_fullbrights_valid(int32_t fullbrights)
{
    return static_cast<uint32_t>(fullbrights) <= 256;
}

float colormap_parse_range(const std::string &text)
{
    const double value = std::strtod(text.c_str(), nullptr);
    // Beyond the float range the value becomes an infinity, never undefined.
    if (value > static_cast<double>(FLT_MAX))
        return HUGE_VALF;
    if (value < -static_cast<double>(FLT_MAX))
        return -HUGE_VALF;
    return static_cast<float>(value);
}
