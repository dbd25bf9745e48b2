// Saving a sprite to a file that cannot be created: the save fails, and the
// document keeps its frames exactly as they were (no frame is converted to
// the file's pixel layout when nothing is written).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/sprite.h"
#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

class SpriteUnwritable : public CoreTest {
protected:
    std::string missing_folder;
    void SetUp() override
    {
        CoreTest::SetUp();
        missing_folder = scratch_dir(std::string("sprite_unwritable_")
                                     + ::testing::UnitTest::GetInstance()->current_test_info()->name())
                         + "/no such folder";
    }
    // One group "[no group]" holding one RGBA frame of 8 x 4.
    uint32_t add_rgba_frame()
    {
        Group *group = anim_add_group(&anim, "[no group]");
        const int k = group_append_frame(group);
        host().bind_image(group->frames[k].image);
        set_rgba_pixels(8, 4, counting_pixels(32, 7, 4));
        return anim.groups[0].frames[k].image;
    }
    uint32_t add_indexed_frame()
    {
        Group *group = anim_add_group(&anim, "[no group]");
        const int k = group_append_frame(group);
        host().bind_image(group->frames[k].image);
        set_indexed_pixels(8, 4, counting_pixels(32, 7), std::vector<uint8_t>(default_palette, default_palette + 1024));
        return anim.groups[0].frames[k].image;
    }
    ImageTypeCode type_of(uint32_t image)
    {
        host().bind_image(image);
        return host().image_type();
    }
};

} // namespace

TEST_F(SpriteUnwritable, Version1SaveLeavesTrueColourFrameUntouched)
{
    const uint32_t image = add_rgba_frame();
    const std::vector<uint8_t> before = raw_of(image);
    const std::string path = missing_folder + "/out.spr";
    EXPECT_EQ(quake_sprite_save(path.c_str(), &anim), 0);
    EXPECT_EQ(type_of(image), IMAGE_RGBA);
    EXPECT_EQ(raw_of(image), before);
}

TEST_F(SpriteUnwritable, Version2SaveLeavesTrueColourFrameUntouched)
{
    const uint32_t image = add_rgba_frame();
    props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER);
    const std::vector<uint8_t> before = raw_of(image);
    const std::string path = missing_folder + "/out.spr";
    EXPECT_EQ(quake_sprite_save(path.c_str(), &anim), 0);
    EXPECT_EQ(type_of(image), IMAGE_RGBA);
    EXPECT_EQ(raw_of(image), before);
}

TEST_F(SpriteUnwritable, TrueColourSpriteSaveLeavesIndexedFrameUntouched)
{
    const uint32_t image = add_indexed_frame();
    const std::vector<uint8_t> before = raw_of(image);
    const std::string path = missing_folder + "/out.spr32";
    EXPECT_EQ(sprite32_save(path.c_str(), &anim), 0);
    EXPECT_EQ(type_of(image), IMAGE_INDEXED);
    EXPECT_EQ(raw_of(image), before);
}

TEST_F(SpriteUnwritable, WritableFolderStillConvertsAsBefore)
{
    // The same save into a folder that exists converts the frame, as a
    // successful save does.
    const uint32_t image = add_rgba_frame();
    const std::string path = scratch_dir("sprite_unwritable_control") + "/out.spr";
    EXPECT_EQ(quake_sprite_save(path.c_str(), &anim), 1);
    EXPECT_EQ(type_of(image), IMAGE_INDEXED);
    EXPECT_EQ(read_bytes(path).size(), 36u + 4 + 16 + 32);
}
