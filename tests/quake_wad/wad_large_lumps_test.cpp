// Archives of lumps large enough to be read at their offsets and written
// from the images themselves come back byte for byte.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/format_table.h"
#include "image/image_limits.h"
#include "quake/wad2.h"
#include "support/test_support.h"
#include "wad_builder.h"

namespace {

class WadLargeLumps : public CoreTest {};

TEST_F(WadLargeLumps, LoadingAndSavingGiveTheSameFileWhereverTheDirectoryLies)
{
    // Small lumps beside large ones (over 16 KiB, held by reference when
    // written), pictures and textures, in an order that mixes them.
    const std::vector<WadLump> lumps = {
        {'B', "small", picture_body(4, 2, 3)},
        {'D', "wall", mip_body("wall", 256, 128, 9)},
        {'B', "square", picture_body(128, 128, 40)},
        {'D', "tiny", mip_body("tiny", 16, 16, 77)},
        {'B', "wide", picture_body(200, 100, 120)},
        {'D', "tall", mip_body("tall", 64, 512, 200)},
    };
    const std::vector<uint8_t> expected = build_wad(lumps);
    const std::string dir = scratch_dir("wad_large_lumps");
    for (const bool directory_first : {false, true}) {
        SCOPED_TRACE(directory_first ? "directory first" : "directory last");
        const std::string in = dir + "/in.wad";
        const std::string out = dir + "/out.wad";
        write_bytes(in, build_wad(lumps, directory_first));
        anim_destroy(&anim);
        anim_init(&anim);
        file_load(in.c_str(), &anim);
        ASSERT_EQ(anim.group_count, static_cast<int>(lumps.size()));
        ASSERT_EQ(file_save(out.c_str(), &anim), 1);
        EXPECT_EQ(read_bytes(out), expected);
        EXPECT_TRUE(message_texts().empty());
    }
}

// An archive of one lump whose directory names it `entries` times over.
std::vector<uint8_t> shared_lump_wad(const WadLump &lump, int entries)
{
    std::vector<uint8_t> file = build_wad({lump});
    const size_t directory = static_cast<size_t>(wad_i32(file, 8));
    const std::vector<uint8_t> entry(file.begin() + static_cast<long>(directory), file.end());
    file.resize(directory);
    for (int i = 0; i < entries; ++i)
        file.insert(file.end(), entry.begin(), entry.end());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = static_cast<uint8_t>(entries >> (8 * i));
    return file;
}

TEST_F(WadLargeLumps, EntriesSharingALumpCannotMultiplyItsPixels)
{
    const struct {
        const char *name;
        WadLump lump;
        int entries;
        bool loads;
    } cases[] = {
        {"two names for a picture", {'B', "pic", picture_body(256, 256, 1)}, 2, true},
        {"a picture named 200 times", {'B', "pic", picture_body(256, 256, 1)}, 200, false},
        {"a lump kept as it is, 200 times", {'X', "blob", std::vector<uint8_t>(65536, 7)}, 200, false},
    };
    const std::string dir = scratch_dir("wad_shared_lumps");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        anim_destroy(&anim);
        anim_init(&anim);
        const std::string path = dir + "/shared.wad";
        const std::vector<uint8_t> file = shared_lump_wad(c.lump, c.entries);
        write_bytes(path, file);
        const size_t said = message_texts().size();
        EXPECT_EQ(wad2_load(path.c_str(), &anim), c.loads ? 1 : 0) << ui.transcript();
        EXPECT_LE(anim_pixel_bytes(&anim), 4 * file.size());
        if (c.loads) {
            EXPECT_EQ(anim.group_count, c.entries);
            continue;
        }
        EXPECT_EQ(anim.group_count, 0);
        ASSERT_GT(message_texts().size(), said);
        EXPECT_NE(message_texts()[said].find(path), std::string::npos) << message_texts()[said];
        EXPECT_NE(message_texts()[said].find("share lump bytes"), std::string::npos) << message_texts()[said];
    }
}

TEST_F(WadLargeLumps, ASaveThatWouldOutgrowThePixelBudgetIsRefusedBeforeConverting)
{
    const std::string dir = scratch_dir("wad_budget_save");
    const std::string in = dir + "/two.wad";
    write_bytes(in, shared_lump_wad({'B', "pic", picture_body(256, 256, 1)}, 2));
    file_load(in.c_str(), &anim);
    const uint64_t held = anim_pixel_bytes(&anim);
    ASSERT_GT(held, 0u) << "the archive's picture was read";
    // Room for the 8-bit frames, not for them as 32-bit ones.
    set_pixel_budget(3 * held);
    const std::string out = dir + "/big.spr32";
    const int32_t saved = file_save(out.c_str(), &anim);
    const uint64_t after = anim_pixel_bytes(&anim);
    set_pixel_budget(0);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(after, held);
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_FALSE(message_texts().empty());
    EXPECT_NE(message_texts().back().find("32-bit"), std::string::npos) << message_texts().back();
}

} // namespace
