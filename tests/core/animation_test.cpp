#include <cstdlib>
#include <vector>

#include <IL/il.h>

#include "document/animation.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

class AnimationTest : public CoreTest {
protected:
    // Appends a group of `frames` frames, each w x h RGBA filled with a
    // pattern that differs per frame, and a property per frame.
    Group *add_group(const char *name, int frames, int w = 4, int h = 3)
    {
        Group *group = anim_add_group(&anim, name);
        group_reset_frames(group, frames);
        for (int j = 0; j < frames; ++j) {
            host().bind_image(group->frames[j].image);
            std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
            for (size_t p = 0; p < rgba.size(); ++p)
                rgba[p] = static_cast<uint8_t>(p * 7 + j * 31);
            set_rgba_pixels(w, h, rgba);
            props_set_int(&group->frames[j].props, "Origin X", j, PROPERTY_INTEGER);
        }
        props_set_string(&group->props, "Label", name);
        return group;
    }
};

TEST_F(AnimationTest, DestroyLeavesAReusableEmptyAnimation)
{
    add_group("empty", 0);
    add_group("two", 2);
    props_set_float(&anim.props, "Radius", 3.0f);
    anim_destroy(&anim);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.groups, nullptr);
    EXPECT_EQ(anim.props.count, 0);
    add_group("again", 1);
    EXPECT_EQ(anim.group_count, 1);
}

TEST_F(AnimationTest, CopyOfAnAnimationWithoutGroupsKeepsItsProperties)
{
    props_set_float(&anim.props, "Radius", 8.0f);
    Animation copy;
    anim_copy(&anim, &copy);
    EXPECT_EQ(copy.group_count, 0);
    EXPECT_FLOAT_EQ(props_get_float(&copy.props, "Radius"), 8.0f);
    anim_destroy(&copy);
}

TEST_F(AnimationTest, DeepCopyGivesDistinctImagesWithEqualPixels)
{
    add_group("a", 2);
    add_group("b", 3, 5, 2);
    Animation copy;
    anim_copy(&anim, &copy);
    ASSERT_EQ(copy.group_count, 2);
    for (int g = 0; g < 2; ++g) {
        EXPECT_STREQ(copy.groups[g].name, anim.groups[g].name);
        EXPECT_NE(copy.groups[g].name, anim.groups[g].name);
        EXPECT_STREQ(props_get_string(&copy.groups[g].props, "Label"), anim.groups[g].name);
        ASSERT_EQ(copy.groups[g].frame_count, anim.groups[g].frame_count);
        for (int f = 0; f < copy.groups[g].frame_count; ++f) {
            EXPECT_NE(copy.groups[g].frames[f].image, anim.groups[g].frames[f].image);
            EXPECT_EQ(rgba_of(copy.groups[g].frames[f].image), rgba_of(anim.groups[g].frames[f].image));
            EXPECT_EQ(props_get_int(&copy.groups[g].frames[f].props, "Origin X"), f);
        }
    }
    anim_destroy(&copy);
}

TEST_F(AnimationTest, DuplicatingAGroupIntoItsOwnAnimation)
{
    // Enough groups that appending one reallocates the array under the copy.
    for (int i = 0; i < 7; ++i)
        add_group("g", 2);
    add_group("last", 3);
    anim_append_group_copy(&anim, 7, &anim);
    ASSERT_EQ(anim.group_count, 9);
    const Group &original = anim.groups[7];
    const Group &duplicate = anim.groups[8];
    EXPECT_STREQ(duplicate.name, "last");
    ASSERT_EQ(duplicate.frame_count, 3);
    for (int f = 0; f < 3; ++f) {
        EXPECT_NE(duplicate.frames[f].image, original.frames[f].image);
        EXPECT_EQ(rgba_of(duplicate.frames[f].image), rgba_of(original.frames[f].image));
    }
}

TEST_F(AnimationTest, AppendingFramesOfAGroupToItselfDoublesIt)
{
    Group *group = add_group("self", 2);
    group_append_frames(group, group);
    ASSERT_EQ(anim.groups[0].frame_count, 4);
    EXPECT_EQ(rgba_of(anim.groups[0].frames[2].image), rgba_of(anim.groups[0].frames[0].image));
    group_append_frames(nullptr, group);
    group_append_frames(group, nullptr);
    EXPECT_EQ(anim.groups[0].frame_count, 4);
}

TEST_F(AnimationTest, DeletingFrames)
{
    Group *group = add_group("g", 3);
    const uint32_t third = group->frames[2].image;
    group_delete_frame(group, 1);
    ASSERT_EQ(group->frame_count, 2);
    EXPECT_EQ(group->frames[1].image, third);
    EXPECT_EQ(props_get_int(&group->frames[1].props, "Origin X"), 2);
    group_delete_frame(group, 0);
    group_delete_frame(group, 0);
    EXPECT_EQ(group->frame_count, 0);
    EXPECT_EQ(group->frames, nullptr);
}

TEST_F(AnimationTest, DeletingGroupsRepairsTheSelection)
{
    add_group("a", 1);
    add_group("b", 4);
    int current_group = 1, current_frame = 3;
    anim_delete_group(&anim, 1, &current_group, &current_frame);
    EXPECT_EQ(anim.group_count, 1);
    EXPECT_EQ(current_group, 0);
    EXPECT_EQ(current_frame, 0);
    anim_delete_group(&anim, 0, &current_group, &current_frame);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.groups, nullptr);
    EXPECT_EQ(current_group, 0);
    EXPECT_EQ(current_frame, 0);
}

TEST_F(AnimationTest, SwappingGroupsMovesFramesAndPropertiesTogether)
{
    add_group("first", 1);
    add_group("second", 2);
    EXPECT_EQ(anim_swap_groups(&anim, 1, 0), 0);
    EXPECT_STREQ(anim.groups[0].name, "second");
    EXPECT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_STREQ(props_get_string(&anim.groups[0].props, "Label"), "second");
    EXPECT_STREQ(anim.groups[1].name, "first");
}

TEST_F(AnimationTest, MipChainHalvesEachLevel)
{
    Group *group = add_group("tex", 1, 64, 48);
    host().bind_image(group->frames[0].image);
    host().convert_image(IMAGE_RGB);
    group_build_mips(group, 3);
    ASSERT_EQ(group->frame_count, 4);
    const int sizes[4][2] = {{64, 48}, {32, 24}, {16, 12}, {8, 6}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(image_width(group->frames[k].image), sizes[k][0]);
        EXPECT_EQ(image_height(group->frames[k].image), sizes[k][1]);
    }
    host().bind_image(group->frames[0].image);
    EXPECT_EQ(host().image_type(), IMAGE_RGBA);
}

TEST_F(AnimationTest, MipChainReplacesExistingFrames)
{
    Group *group = add_group("tex", 5, 32, 32);
    const uint32_t second = group->frames[1].image;
    const std::vector<uint8_t> first_pixels = rgba_of(group->frames[0].image);
    group_build_mips(group, 3);
    ASSERT_EQ(group->frame_count, 4);
    EXPECT_EQ(rgba_of(group->frames[0].image), first_pixels);
    for (int k = 1; k < 4; ++k)
        EXPECT_NE(group->frames[k].image, second);
    EXPECT_EQ(image_width(group->frames[3].image), 4);
}

TEST_F(AnimationTest, AlphaPlaneOfRgbIsOpaque)
{
    Group *group = add_group("g", 1, 3, 2);
    host().bind_image(group->frames[0].image);
    host().convert_image(IMAGE_RGB);
    uint8_t *plane = image_alpha_plane();
    ASSERT_NE(plane, nullptr);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(plane[p], 255);
    std::free(plane);
}

TEST_F(AnimationTest, AlphaPlaneOfPalettedImageUsesPaletteAlpha)
{
    Group *group = anim_add_group(&anim, "g");
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    const std::vector<uint8_t> palette = {10, 10, 10, 0, 20, 20, 20, 128, 30, 30, 30, 255};
    set_indexed_pixels(3, 1, {2, 0, 1}, palette);
    uint8_t *plane = image_alpha_plane();
    ASSERT_NE(plane, nullptr);
    EXPECT_EQ(plane[0], 255);
    EXPECT_EQ(plane[1], 0);
    EXPECT_EQ(plane[2], 128);
    std::free(plane);
}

TEST_F(AnimationTest, AlphaFromAnotherImageTakesItsLuminance)
{
    Group *group = add_group("g", 1, 2, 2);
    const uint32_t scratch = host().gen_image();
    host().bind_image(scratch);
    // A grey source of another size, scaled down to the target.
    set_rgba_pixels(1, 1, {200, 200, 200, 255});
    frame_set_alpha_from(group->frames[0].image, scratch);
    host().delete_image(scratch);
    const std::vector<uint8_t> rgba = rgba_of(group->frames[0].image);
    ASSERT_EQ(rgba.size(), 16u);
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(rgba[p * 4 + 3], 200);
}

} // namespace
