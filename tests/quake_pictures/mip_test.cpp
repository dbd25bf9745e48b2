// Mip textures (.mip) and the texture block codecs.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/byte_io.h"
#include "image/host_table.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> pattern(size_t n, int seed)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>((i * 3 + static_cast<size_t>(seed) * 31 + i / 7) % 224);
    return out;
}

std::vector<uint8_t> default_palette_bytes() { return std::vector<uint8_t>(default_palette, default_palette + 1024); }

uint32_t u32_at(const std::vector<uint8_t> &bytes, size_t at)
{
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// A texture file as the writer lays it out, with the given level data.
std::vector<uint8_t> mip_file(const std::string &name, uint32_t w, uint32_t h,
                              const std::vector<std::vector<uint8_t>> &levels, const uint32_t *offsets = nullptr)
{
    ByteWriter out;
    out.fixed_string(name, 16);
    out.u32(w);
    out.u32(h);
    uint32_t at = 40;
    for (size_t k = 0; k < 4; ++k) {
        out.u32(offsets ? offsets[k] : at);
        at += k < levels.size() ? static_cast<uint32_t>(levels[k].size()) : 0;
    }
    for (const auto &level : levels)
        out.bytes(level.data(), level.size());
    return out.data();
}

// Gives `group` four 8-bit frames of the given sizes holding pattern data.
void set_levels(Group *group, const std::vector<std::pair<int, int>> &sizes)
{
    group_reset_frames(group, static_cast<int>(sizes.size()));
    for (size_t k = 0; k < sizes.size(); ++k) {
        host().bind_image(group->frames[k].image);
        const auto [w, h] = sizes[k];
        set_indexed_pixels(w, h, pattern(static_cast<size_t>(w) * h, static_cast<int>(k) + 1),
                           default_palette_bytes());
    }
}

} // namespace

class MipTextures : public CoreTest {};

TEST_F(MipTextures, ValidChainIsSavedFromItsOwnFrames)
{
    Group *group = anim_add_group(&anim, "brick_1");
    set_levels(group, {{64, 64}, {32, 32}, {16, 16}, {8, 8}});
    const uint32_t images[4] = {group->frames[0].image, group->frames[1].image, group->frames[2].image,
                                group->frames[3].image};
    const std::string path = scratch_dir("mip_chain") + "/brick.mip";
    ASSERT_NE(mip_save(path.c_str(), &anim), 0);
    EXPECT_TRUE(ui.questions().empty());

    const std::vector<uint8_t> expected =
        mip_file("brick_1", 64, 64, {pattern(4096, 1), pattern(1024, 2), pattern(256, 3), pattern(64, 4)});
    EXPECT_EQ(read_bytes(path), expected);
    // The group still holds the very same frames.
    ASSERT_EQ(anim.groups[0].frame_count, 4);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(anim.groups[0].frames[k].image, images[k]);
}

TEST_F(MipTextures, WrongLevelOrFrameCountRebuildsTheChain)
{
    const std::vector<std::vector<std::pair<int, int>>> broken = {
        {{64, 64}, {32, 32}, {15, 16}, {8, 8}},
        {{64, 64}, {32, 32}, {16, 16}},
        {{64, 64}, {32, 32}, {16, 16}, {8, 8}, {4, 4}},
    };
    const std::string dir = scratch_dir("mip_rebuild");
    for (size_t c = 0; c < broken.size(); ++c) {
        Animation doc;
        anim_init(&doc);
        Group *group = anim_add_group(&doc, "wall");
        set_levels(group, broken[c]);
        const std::vector<uint8_t> level0 = raw_of(group->frames[0].image);
        const std::string path = dir + "/wall" + std::to_string(c) + ".mip";
        ASSERT_NE(mip_save(path.c_str(), &doc), 0);

        ASSERT_EQ(doc.groups[0].frame_count, 4) << c;
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(image_width(doc.groups[0].frames[k].image), 64 >> k) << c;
            EXPECT_EQ(image_height(doc.groups[0].frames[k].image), 64 >> k) << c;
            host().bind_image(doc.groups[0].frames[k].image);
            EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
        }
        const std::vector<uint8_t> saved = read_bytes(path);
        ASSERT_EQ(saved.size(), 40u + 4096 + 1024 + 256 + 64) << c;
        // Level 1 is a reduction of level 0, not the frame that was there.
        const std::vector<uint8_t> level1(saved.begin() + 40 + 4096, saved.begin() + 40 + 4096 + 1024);
        EXPECT_NE(level1, pattern(1024, 2)) << c;
        EXPECT_EQ(raw_of(doc.groups[0].frames[1].image), level1) << c;
        // Level 0 keeps its colours through the rebuild.
        const std::vector<uint8_t> saved0(saved.begin() + 40, saved.begin() + 40 + 4096);
        for (size_t i = 0; i < saved0.size(); ++i)
            ASSERT_EQ(0, std::memcmp(default_palette + saved0[i] * 4, default_palette + level0[i] * 4, 3))
                << c << " pixel " << i;
        anim_destroy(&doc);
    }
}

TEST_F(MipTextures, OddSizeAsksAndStoresTheDocumentedOffsets)
{
    Group *group = anim_add_group(&anim, "odd");
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    std::vector<uint8_t> rgba(40 * 24 * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(i / 4 % 40 * 6);
    set_rgba_pixels(40, 24, rgba);

    const std::string path = scratch_dir("mip_odd") + "/odd.mip";
    ui.queue_answer(false);
    EXPECT_EQ(mip_save(path.c_str(), &anim), 0);
    EXPECT_FALSE(fs::exists(path));
    ui.queue_answer(true);
    ASSERT_NE(mip_save(path.c_str(), &anim), 0);
    ASSERT_EQ(ui.questions().size(), 2u);
    EXPECT_EQ(ui.questions()[0], "Do you really want to save a miptex that will crash Quake (should be at least 16x16 "
                                 "and a multiple of 16)?");

    const std::vector<uint8_t> saved = read_bytes(path);
    ASSERT_EQ(saved.size(), 40u + 960 + 240 + 60 + 15);
    EXPECT_EQ(u32_at(saved, 16), 40u);
    EXPECT_EQ(u32_at(saved, 20), 24u);
    EXPECT_EQ(u32_at(saved, 24), 40u);
    EXPECT_EQ(u32_at(saved, 28), 1000u);
    EXPECT_EQ(u32_at(saved, 32), 1240u);
    EXPECT_EQ(u32_at(saved, 36), 1300u);
    const int sizes[4][2] = {{40, 24}, {20, 12}, {10, 6}, {5, 3}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(image_width(anim.groups[0].frames[k].image), sizes[k][0]);
        EXPECT_EQ(image_height(anim.groups[0].frames[k].image), sizes[k][1]);
    }
}

TEST_F(MipTextures, SavedTextureLoadsBackWithItsName)
{
    const std::string name = "sixteen_chars_xy";
    ASSERT_EQ(name.size(), 16u);
    Group *group = anim_add_group(&anim, name.c_str());
    set_levels(group, {{32, 16}, {16, 8}, {8, 4}, {4, 2}});
    const std::string path = scratch_dir("mip_name") + "/tex.mip";
    ASSERT_NE(mip_save(path.c_str(), &anim), 0);
    const std::vector<uint8_t> saved = read_bytes(path);
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 16), name);

    Animation loaded;
    anim_init(&loaded);
    ASSERT_NE(mip_load(path.c_str(), &loaded), 0);
    ASSERT_EQ(loaded.group_count, 1);
    EXPECT_STREQ(loaded.groups[0].name, name.c_str());
    ASSERT_EQ(loaded.groups[0].frame_count, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(raw_of(loaded.groups[0].frames[k].image), raw_of(anim.groups[0].frames[k].image)) << k;
        host().bind_image(loaded.groups[0].frames[k].image);
        ASSERT_EQ(host().palette_size(), 256);
        EXPECT_EQ(0, std::memcmp(host().get_palette(), default_palette, 1024));
    }
    // Saving the loaded texture again gives the same bytes.
    const std::string again = scratch_dir("mip_name_again") + "/tex.mip";
    ASSERT_NE(mip_save(again.c_str(), &loaded), 0);
    EXPECT_EQ(read_bytes(again), saved);
    anim_destroy(&loaded);
}

TEST_F(MipTextures, LevelsAreReadInOrderWhateverTheOffsetsSay)
{
    const uint32_t offsets[4] = {9999, 5, 0, 0xFFFFFFFF};
    const std::string path = scratch_dir("mip_offsets") + "/offsets.mip";
    write_bytes(path, mip_file("rock", 16, 16, {pattern(256, 1), pattern(64, 2), pattern(16, 3), pattern(4, 4)},
                               offsets));
    ASSERT_NE(mip_load(path.c_str(), &anim), 0);
    EXPECT_STREQ(anim.groups[0].name, "rock");
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(raw_of(anim.groups[0].frames[k].image), pattern(256u >> (2 * k), k + 1)) << k;
}

TEST_F(MipTextures, TruncatedTextureReadsMissingBytesAsZero)
{
    std::vector<uint8_t> file = mip_file("cut", 16, 16, {pattern(256, 1), pattern(64, 2), pattern(16, 3), pattern(4, 4)});
    file.resize(40 + 256 + 10);
    const std::string path = scratch_dir("mip_short") + "/short.mip";
    write_bytes(path, file);
    ASSERT_NE(mip_load(path.c_str(), &anim), 0);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), pattern(256, 1));
    std::vector<uint8_t> level1(64, 0);
    std::copy_n(pattern(64, 2).begin(), 10, level1.begin());
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), level1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[3].image), std::vector<uint8_t>(4, 0));

    // Only part of a header: the missing height reads as 0.
    write_bytes(path, std::vector<uint8_t>(file.begin(), file.begin() + 20));
    Animation other;
    anim_init(&other);
    EXPECT_EQ(mip_load(path.c_str(), &other), 0);
    EXPECT_EQ(other.group_count, 0);
    anim_destroy(&other);
}

TEST_F(MipTextures, SizesOutsideTheAcceptedRangeAreRefusedLeavingNothing)
{
    const std::string path = scratch_dir("mip_sizes") + "/bad.mip";
    const std::vector<std::pair<uint32_t, uint32_t>> bad = {
        {0, 16}, {16, 0}, {16385, 16}, {16, 16385}, {0xFFFFFFFF, 0xFFFFFFFF}, {0x80000000, 2}};
    for (const auto &[w, h] : bad) {
        write_bytes(path, mip_file("bad", w, h, {pattern(64, 1)}));
        EXPECT_EQ(mip_load(path.c_str(), &anim), 0) << w << "x" << h;
        EXPECT_EQ(anim.group_count, 0) << w << "x" << h;
    }
}

TEST_F(MipTextures, TinyTextureKeepsLevelsOfAtLeastOnePixel)
{
    // A 4 x 2 texture: levels 4x2, 2x1, then two levels with no bytes.
    const std::string path = scratch_dir("mip_tiny") + "/tiny.mip";
    const std::vector<uint8_t> file = mip_file("tiny", 4, 2, {pattern(8, 1), pattern(2, 2)});
    write_bytes(path, file);
    ASSERT_NE(mip_load(path.c_str(), &anim), 0);
    ASSERT_EQ(anim.groups[0].frame_count, 4);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), pattern(8, 1));
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), pattern(2, 2));
    EXPECT_EQ(image_width(anim.groups[0].frames[3].image), 1);
    EXPECT_EQ(image_height(anim.groups[0].frames[3].image), 1);

    // Written back, every level has exactly the size the header implies.
    ui.queue_answer(true);
    const std::string out = scratch_dir("mip_tiny_out") + "/tiny.mip";
    ASSERT_NE(mip_save(out.c_str(), &anim), 0);
    const std::vector<uint8_t> saved = read_bytes(out);
    ASSERT_EQ(saved.size(), 40u + 8 + 2);
    EXPECT_EQ(u32_at(saved, 24), 40u);
    EXPECT_EQ(u32_at(saved, 28), 48u);
    EXPECT_EQ(u32_at(saved, 32), 50u);
    EXPECT_EQ(u32_at(saved, 36), 50u);
}

TEST_F(MipTextures, NamedGroupKeepsItsName)
{
    const std::vector<uint8_t> file =
        mip_file("texname", 8, 8, {pattern(64, 1), pattern(16, 2), pattern(4, 3), pattern(1, 4)});
    ByteReader in(file);
    Group *group = anim_add_group(&anim, "kept");
    ASSERT_EQ(mip_texture_read(in, group), 1);
    EXPECT_STREQ(anim.groups[0].name, "kept");
    EXPECT_EQ(in.position(), 40u + 64 + 16 + 4 + 1);
    EXPECT_FALSE(in.short_read());
}

TEST_F(MipTextures, WriterAppendsAtTheCurrentPositionWithRelativeOffsets)
{
    Group *group = anim_add_group(&anim, "w");
    set_levels(group, {{16, 16}, {8, 8}, {4, 4}, {2, 2}});
    ByteWriter out;
    out.zeros(100);
    EXPECT_EQ(mip_texture_write(out, group), 40 + 256 + 64 + 16 + 4);
    ASSERT_EQ(out.size(), 100u + 380);
    const std::vector<uint8_t> texture(out.data().begin() + 100, out.data().end());
    EXPECT_EQ(texture, mip_file("w", 16, 16, {pattern(256, 1), pattern(64, 2), pattern(16, 3), pattern(4, 4)}));
}
