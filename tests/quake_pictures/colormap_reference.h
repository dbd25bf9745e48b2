// A plain, independent statement of the colormap table: the multiplier
// computed in double and stored as a float, each component brightened as
// trunc(c * s + 0.5) without clamping, and each cell the palette entry at
// the smallest squared distance (the lowest such index), provided that
// distance is below twice the squared distance from black, else entry 0; a
// transparent colour takes the first transparent entry.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace colormap_reference {

inline int nearest(const std::vector<uint8_t> &pal, int r, int g, int b, int alpha)
{
    if (alpha == 0) {
        for (int i = 0; i < 256; ++i)
            if (pal[i * 4 + 3] == 0)
                return i;
        return 0;
    }
    std::vector<int64_t> distance(256);
    for (int i = 0; i < 256; ++i) {
        const int64_t d[3] = {pal[i * 4] - int64_t{r}, pal[i * 4 + 1] - int64_t{g}, pal[i * 4 + 2] - int64_t{b}};
        distance[i] = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    }
    const auto nearest = std::min_element(distance.begin(), distance.end());
    const int64_t bound = 2 * (int64_t{r} * r + int64_t{g} * g + int64_t{b} * b);
    return *nearest < bound ? static_cast<int>(nearest - distance.begin()) : 0;
}

inline std::vector<uint8_t> table(const std::vector<uint8_t> &pal, int fullbrights, float range)
{
    std::vector<uint8_t> out;
    for (int level = 0; level < 64; ++level) {
        const float s = static_cast<float>(static_cast<double>(range) - static_cast<double>(range) * level / 63);
        for (int j = 0; j < 256; ++j) {
            if (j >= 256 - fullbrights) {
                out.push_back(static_cast<uint8_t>(j));
                continue;
            }
            int c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = static_cast<int>(std::trunc(pal[j * 4 + k] * static_cast<double>(s) + 0.5));
            out.push_back(static_cast<uint8_t>(nearest(pal, c[0], c[1], c[2], pal[j * 4 + 3])));
        }
    }
    out.push_back(static_cast<uint8_t>(fullbrights));
    return out;
}

} // namespace colormap_reference
