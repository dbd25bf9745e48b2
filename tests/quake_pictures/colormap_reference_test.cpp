// The colormap generator against a plain, independent statement of the
// table: the multiplier computed in double and stored as a float, each
// component brightened as trunc(c * s + 0.5) without clamping, matched with
// a bound of twice the squared distance from black, strict comparisons and
// 32-bit arithmetic (the components of ordinary ranges stay small enough).
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "quake/colormap.h"
#include "quake/picture.h"
#include "support/test_support.h"

namespace {

int reference_nearest(const std::vector<uint8_t> &pal, int r, int g, int b, int alpha)
{
    if (alpha == 0) {
        for (int i = 0; i < 256; ++i)
            if (pal[i * 4 + 3] == 0)
                return i;
        return 0;
    }
    int32_t best = 2 * (r * r + g * g + b * b);
    int result = 0;
    for (int i = 0; i < 256; ++i) {
        const int32_t dr = pal[i * 4] - r, dg = pal[i * 4 + 1] - g, db = pal[i * 4 + 2] - b;
        const int32_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            if (d == 0)
                return i;
            best = d;
            result = i;
        }
    }
    return result;
}

std::vector<uint8_t> reference_table(const std::vector<uint8_t> &pal, int fullbrights, float range)
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
            out.push_back(static_cast<uint8_t>(reference_nearest(pal, c[0], c[1], c[2], pal[j * 4 + 3])));
        }
    }
    out.push_back(static_cast<uint8_t>(fullbrights));
    return out;
}

} // namespace

TEST(ColormapReference, GeneratorMatchesTheTableBitForBit)
{
    for (const char *name : {"palette/librequake_palette.lmp", "palette/openquartzplus_palette.lmp"}) {
        uint8_t buffer[1024];
        ASSERT_EQ(palette_lmp_load(data_path(name).c_str(), buffer), 256) << name;
        const std::vector<uint8_t> pal(buffer, buffer + 1024);
        for (const auto &[fullbrights, range] : {std::pair<int, float>{32, 2.0f}, {0, 1.7f}, {100, 3.3f}, {256, 0.9f}}) {
            const std::vector<uint8_t> got = generate_colormap(pal.data(), fullbrights, range);
            EXPECT_EQ(got, reference_table(pal, fullbrights, range)) << name << " F=" << fullbrights << " R=" << range;
        }
    }
}
