// Colour matching against a palette, and remapping images to a palette.
#include <cstring>
#include <vector>

#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace {

std::vector<uint8_t> rgba_palette(const std::vector<std::vector<int>> &entries)
{
    std::vector<uint8_t> out;
    for (const std::vector<int> &e : entries)
        for (int c = 0; c < 4; ++c)
            out.push_back(static_cast<uint8_t>(e[c]));
    return out;
}

} // namespace

TEST(NearestPaletteIndex, OpaqueBlackIsZeroEvenWhenBlackSitsElsewhere)
{
    const auto palette = rgba_palette({{10, 10, 10, 255}, {200, 0, 0, 255}, {0, 0, 0, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 0, 0, 0, 255), 0);
    // The same palette finds black at index 2 for a colour close to black
    // but not black itself.
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 1, 0, 0, 255), 2);
}

TEST(NearestPaletteIndex, ExactMatchReturnsTheFirstSuchEntry)
{
    const auto palette = rgba_palette({{1, 2, 3, 255}, {50, 60, 70, 255}, {9, 9, 9, 255}, {50, 60, 70, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 4, 50, 60, 70, 255), 1);
    EXPECT_EQ(nearest_palette_index(palette.data(), 4, 9, 9, 9, 255), 2);
}

TEST(NearestPaletteIndex, TiesGoToTheLowerIndex)
{
    // 100 lies 10 from both 90 and 110.
    const auto palette = rgba_palette({{0, 0, 0, 255}, {110, 0, 0, 255}, {90, 0, 0, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 100, 0, 0, 255), 1);
}

TEST(NearestPaletteIndex, NothingInsideTheStartingBoundGivesZero)
{
    // The bound is twice the squared distance from black: 2 * 10^2 = 200;
    // the only non-black entry is 40^2 = 1600 away.
    const auto palette = rgba_palette({{255, 255, 255, 255}, {50, 0, 0, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 2, 10, 0, 0, 255), 0);
    // A colour closer to entry 1 than the bound finds it.
    EXPECT_EQ(nearest_palette_index(palette.data(), 2, 45, 0, 0, 255), 1);
}

TEST(NearestPaletteIndex, TransparentColoursGoToTheFirstTransparentEntry)
{
    const auto with = rgba_palette({{1, 1, 1, 255}, {2, 2, 2, 0}, {3, 3, 3, 0}});
    EXPECT_EQ(nearest_palette_index(with.data(), 3, 3, 3, 3, 0), 1);
    const auto without = rgba_palette({{1, 1, 1, 255}, {2, 2, 2, 255}});
    EXPECT_EQ(nearest_palette_index(without.data(), 2, 2, 2, 2, 0), 0);
}

TEST(NearestPaletteIndex, TransparentEntriesStillMatchOpaqueColours)
{
    const auto palette = rgba_palette({{0, 0, 0, 255}, {80, 80, 80, 0}, {200, 200, 200, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 82, 80, 79, 255), 1);
}

TEST(NearestPaletteIndex, CountOfZeroOrLessGivesZero)
{
    const auto palette = rgba_palette({{5, 5, 5, 0}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 0, 5, 5, 5, 255), 0);
    EXPECT_EQ(nearest_palette_index(palette.data(), -3, 5, 5, 5, 0), 0);
}

TEST(NearestPaletteIndex, OnlyCountEntriesAreSearched)
{
    const auto palette = rgba_palette({{0, 0, 0, 255}, {100, 0, 0, 255}, {50, 0, 0, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 2, 60, 0, 0, 255), 1);
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 60, 0, 0, 255), 2);
}

TEST(NearestPaletteIndex, HugeComponentsPickTheBrightestEntryWithoutOverflow)
{
    const auto palette = rgba_palette({{0, 0, 0, 255}, {255, 255, 255, 255}, {128, 128, 128, 255}});
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 2000000000, 2000000000, 2000000000, 255), 1);
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, 40000, 40000, 40000, 255), 1);
    // Far below black: black is nearest, and the bound (twice the squared
    // distance from black) lets it be found.
    EXPECT_EQ(nearest_palette_index(palette.data(), 3, -2000000000, -5, 3, 255), 0);
}

class DefaultPaletteMatching : public CoreTest {};

TEST_F(DefaultPaletteMatching, TransparentGivesTheTransparentEntry)
{
    EXPECT_EQ(default_palette[255 * 4 + 3], 0);
    EXPECT_EQ(nearest_palette_index(default_palette, 256, 12, 34, 56, 0), 255);
}

TEST_F(DefaultPaletteMatching, TranslucentColoursAreMatchedByColour)
{
    for (int index : {15, 100, 200, 254}) {
        const uint8_t *e = default_palette + index * 4;
        const int expected = nearest_palette_index(default_palette, 256, e[0], e[1], e[2], 255);
        EXPECT_EQ(nearest_palette_index(default_palette, 256, e[0], e[1], e[2], 1), expected);
        EXPECT_EQ(nearest_palette_index(default_palette, 256, e[0], e[1], e[2], 254), expected);
        EXPECT_NE(expected, 255);
    }
}

TEST_F(DefaultPaletteMatching, EveryOpaqueEntryMatchesItselfOrAnEarlierTwin)
{
    for (int i = 1; i < 255; ++i) {
        const uint8_t *e = default_palette + i * 4;
        const int found = nearest_palette_index(default_palette, 256, e[0], e[1], e[2], 255);
        ASSERT_LE(found, i);
        EXPECT_EQ(0, std::memcmp(default_palette + found * 4, e, 3)) << "entry " << i;
    }
}

class RemapToPalette : public CoreTest {};

TEST_F(RemapToPalette, IndexedImageIsRemappedThroughItsPaletteColours)
{
    const auto target = rgba_palette({{0, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}, {9, 9, 9, 0}});
    // Source palette: green, red, a transparent colour, another transparent.
    const auto source = rgba_palette({{0, 250, 0, 255}, {250, 5, 5, 255}, {1, 2, 3, 0}, {200, 200, 200, 0}});
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_indexed_pixels(4, 2, {0, 1, 2, 3, 3, 2, 1, 0}, source);
    remap_to_palette(target.data(), 4);

    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
    ASSERT_EQ(host().palette_size(), 4);
    EXPECT_EQ(0, std::memcmp(host().get_palette(), target.data(), target.size()));
    const std::vector<uint8_t> expected = {2, 1, 3, 3, 3, 3, 1, 2};
    EXPECT_EQ(raw_of(image), expected);
    host().delete_image(image);
}

TEST_F(RemapToPalette, TrueColourImageIsMatchedToTheTarget)
{
    const auto target = rgba_palette({{0, 0, 0, 255}, {250, 250, 250, 255}, {0, 0, 200, 255}});
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_rgba_pixels(2, 2, {255, 255, 255, 255, 0, 0, 190, 255, 4, 4, 4, 255, 0, 0, 210, 255});
    remap_to_palette(target.data(), 3);
    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
    EXPECT_EQ(host().palette_size(), 3);
    const std::vector<uint8_t> expected = {1, 2, 0, 2};
    EXPECT_EQ(raw_of(image), expected);
    host().delete_image(image);
}

TEST_F(RemapToPalette, TrueColourPaletteColoursKeepTheirExactEntries)
{
    // Every colour of the default palette below the fullbrights, many of
    // them dark and close together, plus transparent pixels.
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 224; ++i) {
        rgba.insert(rgba.end(), default_palette + i * 4, default_palette + i * 4 + 3);
        rgba.push_back(255);
    }
    for (int i = 0; i < 32; ++i)
        rgba.insert(rgba.end(), {static_cast<uint8_t>(i * 8), 1, 2, 0});
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_rgba_pixels(16, 16, rgba);
    remap_to_palette(default_palette, 256);
    const std::vector<uint8_t> indexes = raw_of(image);
    ASSERT_EQ(indexes.size(), 256u);
    for (int i = 0; i < 224; ++i)
        EXPECT_EQ(0, std::memcmp(default_palette + indexes[i] * 4, default_palette + i * 4, 3)) << i;
    for (int i = 224; i < 256; ++i)
        EXPECT_EQ(indexes[i], 255) << i;
    host().delete_image(image);
}
