// Saving an archive to a file that cannot be created: the save fails and
// the document is left exactly as it was (no frame converted, no mip chain
// rebuilt).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "quake/wad2.h"
#include "support/test_support.h"

namespace {

class WadUnwritable : public CoreTest {
protected:
    Group *add_rgba_group(const char *name, int entry_type, int w, int h)
    {
        Group *g = anim_add_group(&anim, name);
        props_set_int(&g->props, "Entry Type", entry_type, PROPERTY_WAD_TYPE);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4));
        for (size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = static_cast<uint8_t>(i * 13 + 5);
        set_rgba_pixels(w, h, rgba);
        return &anim.groups[anim.group_count - 1];
    }
};

} // namespace

TEST_F(WadUnwritable, FailedSaveConvertsNothingAndRebuildsNoChain)
{
    add_rgba_group("pic", 0, 8, 4);
    add_rgba_group("tex", 2, 16, 16); // one frame: a save would rebuild the chain
    const uint32_t picture = anim.groups[0].frames[0].image;
    const uint32_t texture = anim.groups[1].frames[0].image;
    const std::vector<uint8_t> picture_before = raw_of(picture);
    const std::vector<uint8_t> texture_before = raw_of(texture);

    const std::string path = scratch_dir("wad_unwritable") + "/no such folder/out.wad";
    EXPECT_EQ(wad2_save(path.c_str(), &anim), 0);

    host().bind_image(picture);
    EXPECT_EQ(host().image_type(), IMAGE_RGBA);
    EXPECT_EQ(raw_of(picture), picture_before);
    EXPECT_EQ(anim.groups[1].frame_count, 1);
    host().bind_image(texture);
    EXPECT_EQ(host().image_type(), IMAGE_RGBA);
    EXPECT_EQ(raw_of(texture), texture_before);
}

TEST_F(WadUnwritable, SameDocumentSavedToAWritableFileIsConverted)
{
    add_rgba_group("pic", 0, 8, 4);
    add_rgba_group("tex", 2, 16, 16);
    const std::string path = scratch_dir("wad_writable") + "/out.wad";
    EXPECT_EQ(wad2_save(path.c_str(), &anim), 1);
    host().bind_image(anim.groups[0].frames[0].image);
    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
    EXPECT_EQ(anim.groups[1].frame_count, 4);
    // header, picture (8 + 32), texture (40 + 256 + 64 + 16 + 4), directory
    EXPECT_EQ(read_bytes(path).size(), 12u + 40 + 380 + 2 * 32);
}
