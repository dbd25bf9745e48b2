// 8-bit frames with a palette of their own keep their colours when saved
// into a format whose palette is implied.
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace {

using ImpliedPalette = CoreTest;

// The RGB of every pixel of an image, whatever its kind.
std::vector<uint8_t> rgb_of(uint32_t image)
{
    const std::vector<uint8_t> rgba = rgba_of(image);
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgb.insert(rgb.end(), rgba.begin() + i, rgba.begin() + i + 3);
    return rgb;
}

TEST_F(ImpliedPalette, OwnPalettesAreRemappedByColourAndTheColoursSurvive)
{
    // A palette of Quake colours in another order (entry k is Quake entry
    // (k * 7 + 3) % 255): the colours exist in the target, the indexes do not.
    std::vector<uint8_t> own(1024, 255);
    for (int k = 0; k < 256; ++k)
        std::copy_n(default_palette + ((k * 7 + 3) % 255) * 4, 3, &own[k * 4]);
    std::vector<uint8_t> indexes(16 * 16);
    for (size_t i = 0; i < indexes.size(); ++i)
        indexes[i] = static_cast<uint8_t>(i * 37 % 256);
    const std::string dir = scratch_dir("implied");

    for (const char *name : {"a.spr", "a.lmp", "a.wad", "a.mip"}) {
        anim_destroy(&anim);
        anim_init(&anim);
        Group *group = anim_add_group(&anim, name[2] == 'w' ? "picture" : NO_GROUP_NAME);
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        set_indexed_pixels(16, 16, indexes, own);
        const std::vector<uint8_t> colours = rgb_of(group->frames[0].image);

        const std::string path = dir + "/" + name;
        ui.clear();
        ASSERT_EQ(file_save(path.c_str(), &anim), 1) << name << ": " << ui.transcript();
        ASSERT_EQ(ui.messages().size(), 1u) << name;
        EXPECT_NE(ui.messages()[0].text.find("remapped by colour to the Quake palette"), std::string::npos)
            << ui.messages()[0].text;

        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        ASSERT_GE(loaded.group_count, 1) << name << ": " << ui.transcript();
        EXPECT_EQ(rgb_of(loaded.groups[0].frames[0].image), colours) << name;

        // Saved again, the frames that now carry the Quake palette keep
        // their indexes and the file its bytes.
        const std::vector<uint8_t> first = read_bytes(path);
        ui.clear();
        ASSERT_EQ(file_save(path.c_str(), &loaded), 1) << name;
        EXPECT_EQ(read_bytes(path), first) << name;
        EXPECT_TRUE(ui.messages().empty()) << name << ": " << ui.transcript();
        anim_destroy(&loaded);
    }
}

TEST_F(ImpliedPalette, VersionTwoFramesTakeTheColoursOfTheFirstFramesPalette)
{
    // Frame 0 carries a 4-colour palette; frame 1 the same colours in
    // reverse order: written, frame 1's indexes follow frame 0's palette.
    const std::vector<uint8_t> first = {10, 20, 30, 255, 200, 0, 0, 255, 0, 200, 0, 255, 0, 0, 200, 255};
    std::vector<uint8_t> second;
    for (int k = 3; k >= 0; --k)
        second.insert(second.end(), first.begin() + k * 4, first.begin() + k * 4 + 4);
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 2);
    host().bind_image(group->frames[0].image);
    set_indexed_pixels(4, 1, {0, 1, 2, 3}, first);
    host().bind_image(group->frames[1].image);
    set_indexed_pixels(4, 1, {0, 1, 2, 3}, second);
    const std::vector<uint8_t> colours = rgb_of(group->frames[1].image);
    props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER);

    const std::string path = scratch_dir("implied_v2") + "/two.spr";
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    Animation loaded;
    anim_init(&loaded);
    file_load(path.c_str(), &loaded);
    ASSERT_EQ(loaded.group_count, 1) << ui.transcript();
    ASSERT_EQ(loaded.groups[0].frame_count, 2);
    EXPECT_EQ(rgb_of(loaded.groups[0].frames[1].image), colours);
    EXPECT_EQ(raw_of(loaded.groups[0].frames[1].image), (std::vector<uint8_t>{3, 2, 1, 0}));
    anim_destroy(&loaded);
}

} // namespace
