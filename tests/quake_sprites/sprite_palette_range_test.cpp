// Version 2 sprites whose palette holds fewer colours than their frames'
// indexes reach keep those indexes; the palette grows to reach them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include <IL/il.h>

#include "formats/format_table.h"
#include "image/host_table.h"
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

TEST_F(SpritePaletteRange, IndexesBeyondASmallPaletteAreKeptAndThePaletteGrowsToReachThem)
{
    const struct {
        int colours;
        int side;
        uint8_t seed; // the frame counts up from here, wrapping at 256
        int highest;
    } cases[] = {{64, 8, 30, 93}, {1, 4, 250, 255}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.colours);
        anim_destroy(&anim);
        anim_init(&anim);
        const size_t said = ui.messages().size();
        SpriteBytes file;
        file.header(2, 2, 4.0f, c.side, c.side, 1).palette(palette_rgb(c.colours)).single(-2, 2, c.side, c.side, c.seed);
        const std::string path = dir + "/small.spr";
        write_bytes(path, file.bytes());
        ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
        const uint32_t image = anim.groups[0].frames[0].image;
        const std::vector<uint8_t> indexes = counting_pixels(c.side * c.side, c.seed);
        EXPECT_EQ(raw_of(image), indexes);
        ASSERT_EQ(ui.messages().size(), said + 1) << ui.transcript();
        EXPECT_NE(ui.messages().back().text.find(path), std::string::npos) << ui.transcript();
        host().bind_image(image);
        EXPECT_EQ(host().palette_size(), c.highest + 1);

        // Saved back, the palette holds the added entries, black, and the
        // pixels are the file's.
        std::vector<uint8_t> grown = palette_rgb(c.colours);
        grown.resize(static_cast<size_t>(c.highest + 1) * 3, 0);
        SpriteBytes expected;
        expected.header(2, 2, 4.0f, c.side, c.side, 1).palette(grown).single(-2, 2, c.side, c.side, c.seed);
        const std::string out = dir + "/out.spr";
        ASSERT_EQ(quake_sprite_save(out.c_str(), &anim), 1) << ui.transcript();
        EXPECT_EQ(read_bytes(out), expected.bytes());

        // Colours looked up for them, on a copy, are the palette's own.
        host().bind_image(image);
        const uint32_t copy = ilCloneCurImage();
        host().bind_image(copy);
        ASSERT_EQ(host().convert_image(IMAGE_RGBA), 1);
        const std::vector<uint8_t> rgba(host().get_data(), host().get_data() + indexes.size() * 4);
        host().delete_image(copy);
        for (size_t i = 0; i < indexes.size(); ++i)
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_EQ(rgba[i * 4 + ch], grown[indexes[i] * 3 + ch]) << "pixel " << i;
        EXPECT_EQ(raw_of(image), indexes);
    }
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
