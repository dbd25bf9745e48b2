// Textures so small that their last levels shrink to nothing: the reader
// holds such a level as one pixel a side, and the writer must take that as a
// valid chain, so that a load and a save give the file back unchanged
// instead of rebuilding (and so altering) the levels.
#include <string>
#include <vector>

#include "document/animation.h"
#include "io/byte_io.h"
#include "image/host_table.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace {

// A texture file in the writer's layout: header, then the levels in order.
std::vector<uint8_t> texture_file(const std::string &name, uint32_t w, uint32_t h)
{
    ByteWriter out;
    out.fixed_string(name, 16);
    out.u32(w);
    out.u32(h);
    uint32_t at = 40;
    for (int k = 0; k < 4; ++k) {
        out.u32(at);
        at += (w >> k) * (h >> k);
    }
    // Levels whose pixels are not reductions of level 0, so that a rebuilt
    // chain cannot come out the same.
    for (int k = 0; k < 4; ++k)
        for (uint32_t i = 0; i < (w >> k) * (h >> k); ++i)
            out.u8(static_cast<uint8_t>(200 - 37 * k - static_cast<int>(i % 19)));
    return out.data();
}

} // namespace

class MipSmallLevels : public CoreTest {};

TEST_F(MipSmallLevels, TexturesWithEmptyLevelsRoundTripByteForByte)
{
    const std::string dir = scratch_dir("mip_small_levels");
    const std::vector<std::pair<uint32_t, uint32_t>> sizes = {{16, 4}, {4, 16}, {32, 2}, {4, 4}, {2, 2}};
    for (const auto &[w, h] : sizes) {
        const std::string label = std::to_string(w) + "x" + std::to_string(h);
        const std::vector<uint8_t> file = texture_file("small", w, h);
        const std::string in = dir + "/in" + label + ".mip";
        write_bytes(in, file);
        Animation doc;
        anim_init(&doc);
        ASSERT_EQ(mip_load(in.c_str(), &doc), 1) << label;
        const uint32_t level1 = doc.groups[0].frames[1].image;

        if (w % 16 || h % 16)
            ui.queue_answer(true);
        const std::string out = dir + "/out" + label + ".mip";
        ASSERT_EQ(mip_save(out.c_str(), &doc), 1) << label;
        EXPECT_EQ(read_bytes(out), file) << label;
        // The levels in the document are the ones that were loaded.
        ASSERT_EQ(doc.groups[0].frame_count, 4) << label;
        EXPECT_EQ(doc.groups[0].frames[1].image, level1) << label;
        host().bind_image(doc.groups[0].frames[0].image);
        EXPECT_EQ(host().image_type(), IMAGE_INDEXED) << label;
        anim_destroy(&doc);
    }
}

TEST_F(MipSmallLevels, WrongSizedSmallLevelIsStillRebuilt)
{
    // 16 x 4: levels 16x4, 8x2, 4x1 and 2x(nothing), held as 2x1. A level 3
    // of 2x2 is not the chain and is rebuilt.
    Group *group = anim_add_group(&anim, "small");
    group_reset_frames(group, 4);
    const int sizes[4][2] = {{16, 4}, {8, 2}, {4, 1}, {2, 2}};
    for (int k = 0; k < 4; ++k) {
        host().bind_image(group->frames[k].image);
        set_indexed_pixels(sizes[k][0], sizes[k][1], std::vector<uint8_t>(sizes[k][0] * sizes[k][1], 9),
                           std::vector<uint8_t>(default_palette, default_palette + 1024));
    }
    ByteWriter out;
    EXPECT_EQ(mip_texture_write(out, group), 40 + 64 + 16 + 4);
    EXPECT_EQ(image_width(anim.groups[0].frames[3].image), 2);
    EXPECT_EQ(image_height(anim.groups[0].frames[3].image), 1);
}
