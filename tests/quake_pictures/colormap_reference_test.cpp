// The colormap generator against the independent statement of the table
// in colormap_reference.h.
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "colormap_reference.h"
#include "quake/colormap.h"
#include "quake/picture.h"
#include "support/test_support.h"

TEST(ColormapReference, GeneratorMatchesTheTableBitForBit)
{
    for (const char *name : {"palette/librequake_palette.lmp", "palette/openquartzplus_palette.lmp"}) {
        uint8_t buffer[1024];
        ASSERT_EQ(palette_lmp_load(data_path(name).c_str(), buffer), 256) << name;
        const std::vector<uint8_t> pal(buffer, buffer + 1024);
        for (const auto &[fullbrights, range] : {std::pair<int, float>{32, 2.0f}, {0, 1.7f}, {100, 3.3f}, {256, 0.9f}}) {
            const std::vector<uint8_t> got = generate_colormap(pal.data(), fullbrights, range);
            EXPECT_EQ(got, colormap_reference::table(pal, fullbrights, range))
                << name << " F=" << fullbrights << " R=" << range;
        }
    }
}
