// Version 2 sprites whose palette holds fewer colours than their frames'
// indexes reach: such pixels would make the image library look up colours
// past the end of the palette, so they are set to colour 0, with a warning.
// Files whose indexes all lie inside their palette are untouched.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "quake/sprite.h"
#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

class SpritePaletteRange : public CoreTest {
protected:
    std::string dir;
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir(std::string("sprite_palette_range_")
                          + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
};

std::vector<uint8_t> palette_rgb(int count)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(count) * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11 + 3);
    return rgb;
}

} // namespace

TEST_F(SpritePaletteRange, IndexesBeyondASmallPaletteBecomeColourZero)
{
    // 16 colours; the 4 x 4 frame counts 10, 11, ... 25: ten pixels too high.
    SpriteBytes file;
    file.header(2, 2, 4.0f, 4, 4, 1).palette(palette_rgb(16)).single(-2, 2, 4, 4, 10);
    const std::string path = dir + "/small.spr";
    write_bytes(path, file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);

    std::vector<uint8_t> expected = counting_pixels(16, 10);
    for (uint8_t &p : expected)
        if (p >= 16)
            p = 0;
    const uint32_t image = anim.groups[0].frames[0].image;
    EXPECT_EQ(raw_of(image), expected);
    ASSERT_EQ(ui.messages().size(), 1u) << ui.transcript();
    EXPECT_NE(ui.messages()[0].text.find("10 pixels use colours beyond the 16"), std::string::npos) << ui.transcript();

    // Every pixel now has a colour of the sprite's palette.
    const std::vector<uint8_t> rgba = rgba_of(image);
    const std::vector<uint8_t> rgb = palette_rgb(16);
    for (size_t i = 0; i < expected.size(); ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(rgba[i * 4 + c], rgb[expected[i] * 3 + c]) << "pixel " << i;
}

TEST_F(SpritePaletteRange, IndexesInsideThePaletteRoundTripUnchanged)
{
    SpriteBytes file;
    file.header(2, 2, 4.0f, 4, 4, 2).palette(palette_rgb(16)).single(-2, 2, 4, 4, 0).single(-2, 2, 4, 2, 5);
    const std::string path = dir + "/inside.spr";
    write_bytes(path, file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), counting_pixels(16, 0));

    const std::string out = dir + "/out.spr";
    ASSERT_EQ(quake_sprite_save(out.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(out), file.bytes());
}

TEST_F(SpritePaletteRange, FullPalettesAndVersion1AreNeverTouched)
{
    SpriteBytes full;
    full.header(2, 2, 4.0f, 4, 4, 1).palette(palette_rgb(256)).single(-2, 2, 4, 4, 240);
    const std::string full_path = dir + "/full.spr";
    write_bytes(full_path, full.bytes());
    ASSERT_EQ(quake_sprite_load(full_path.c_str(), &anim), 1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), counting_pixels(16, 240));

    anim_destroy(&anim);
    anim_init(&anim);
    SpriteBytes v1;
    v1.header(1, 2, 4.0f, 4, 4, 1).single(-2, 2, 4, 4, 240);
    const std::string v1_path = dir + "/v1.spr";
    write_bytes(v1_path, v1.bytes());
    ASSERT_EQ(quake_sprite_load(v1_path.c_str(), &anim), 1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), counting_pixels(16, 240));
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}
