// Archives of lumps large enough to be read at their offsets and written
// from the images themselves come back byte for byte.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fileio/format_table.h"
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
        ASSERT_EQ(file_load(in.c_str(), &anim), 1);
        ASSERT_EQ(anim.group_count, static_cast<int>(lumps.size()));
        ASSERT_EQ(file_save(out.c_str(), &anim), 1);
        EXPECT_EQ(read_bytes(out), expected);
        EXPECT_TRUE(message_texts().empty());
    }
}

} // namespace
