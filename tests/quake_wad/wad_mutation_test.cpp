// Truncated and corrupted WAD2 archives: every cut length and absurd values
// in every header, directory and lump-header field. The reader must neither
// crash nor read outside its buffer (the sanitizer build checks that), and
// must end clearly: a loaded animation, or 0 with an empty animation.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "quake/wad2.h"
#include "support/test_support.h"
#include "wad_builder.h"

namespace {

class WadMutation : public CoreTest {
protected:
    std::string path;
    void SetUp() override
    {
        CoreTest::SetUp();
        path = scratch_dir(std::string("wad_mutation_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
               + "/m.wad";
    }

    void load_and_check(const std::vector<uint8_t> &bytes, const std::string &what, bool half_life = false)
    {
        anim_destroy(&anim);
        anim_init(&anim);
        write_bytes(path, bytes);
        const int32_t result =
            half_life ? load_result_shown(wad3_read(path.c_str(), &anim)) : wad2_load(path.c_str(), &anim);
        if (result == 0) {
            EXPECT_EQ(anim.group_count, 0) << what;
        } else {
            for (int g = 0; g < anim.group_count; ++g)
                for (int f = 0; f < anim.groups[g].frame_count; ++f) {
                    const int w = image_width(anim.groups[g].frames[f].image);
                    const int h = image_height(anim.groups[g].frames[f].image);
                    EXPECT_TRUE(w >= 1 && w <= 16384 && h >= 1 && h <= 16384) << what;
                }
        }
        // The progress display never stays up.
        const std::vector<int> progress = ui.progress();
        if (!progress.empty()) {
            EXPECT_EQ(progress.back(), -1) << what;
        }
        ui.clear();
    }
};

std::vector<uint8_t> sample_wad(bool directory_first)
{
    std::vector<uint8_t> font(16384, 3);
    return build_wad({{'B', "pic", picture_body(4, 2, 0)},
                      {'D', "tex", mip_body("tex", 16, 8, 1)},
                      {64, "PALETTE", std::vector<uint8_t>(768, 9)},
                      {'E', "raw", std::vector<uint8_t>(64, 5), 16384},
                      {'D', "CONCHARS", font},
                      {'C', "hl", {}}},
                     directory_first);
}

// Offsets of the 4-byte fields worth corrupting: header, every directory
// entry, and the headers of the picture and texture lumps.
std::vector<size_t> field_offsets(const std::vector<uint8_t> &file)
{
    std::vector<size_t> at = {4, 8};
    const std::vector<ParsedEntry> entries = parse_directory(file);
    const size_t dir = static_cast<size_t>(wad_i32(file, 8));
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t k = 0; k < 16; k += 4)
            at.push_back(dir + i * 32 + k);
    at.push_back(static_cast<size_t>(entries[0].offset));
    at.push_back(static_cast<size_t>(entries[0].offset) + 4);
    for (size_t k = 16; k < 40; k += 4)
        at.push_back(static_cast<size_t>(entries[1].offset) + k);
    return at;
}

TEST_F(WadMutation, CutAtEveryByte)
{
    for (bool first : {false, true}) {
        const std::vector<uint8_t> file = sample_wad(first);
        // Every cut through the small lumps and the directory; the long raw
        // lump in between is cut at a stride.
        for (size_t n = 0; n <= file.size(); n += (n > 1200 && n + 600 < file.size()) ? 97 : 1)
            load_and_check(std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(n)),
                           "cut at " + std::to_string(n));
    }
}

TEST_F(WadMutation, AbsurdValuesInEveryField)
{
    const uint32_t values[] = {0u, 1u, 0xffffffffu, 0x7fffffffu, 0x80000000u, 16385u, 64000u, 16384u, 12u};
    for (bool first : {false, true}) {
        const std::vector<uint8_t> file = sample_wad(first);
        for (size_t at : field_offsets(file))
            for (uint32_t v : values) {
                std::vector<uint8_t> bad = file;
                for (int i = 0; i < 4; ++i)
                    bad[at + i] = static_cast<uint8_t>(v >> (8 * i));
                load_and_check(bad, "field at " + std::to_string(at) + " = " + std::to_string(v));
            }
    }
}

TEST_F(WadMutation, EveryTypeByteOnEveryLump)
{
    const std::vector<uint8_t> file = sample_wad(false);
    const size_t dir = static_cast<size_t>(wad_i32(file, 8));
    for (size_t i = 0; i < 6; ++i)
        for (int type : {0, 64, int('B'), int('C'), int('D'), int('E'), int('F'), 255}) {
            std::vector<uint8_t> bad = file;
            bad[dir + i * 32 + 12] = static_cast<uint8_t>(type);
            load_and_check(bad, "entry " + std::to_string(i) + " type " + std::to_string(type));
        }
}

TEST_F(WadMutation, Wad3CutAtEveryByteAndAbsurdValuesInItsFields)
{
    const std::vector<uint8_t> small = read_bytes(data_path("wad3/trenchbroom_embedded.wad"));
    for (size_t n = 0; n <= small.size(); ++n)
        load_and_check(std::vector<uint8_t>(small.begin(), small.begin() + static_cast<long>(n)),
                       "cut at " + std::to_string(n), true);
    // Sizes, colour counts and font fields of pictures, fonts and textures,
    // and every lump type on every entry.
    const std::vector<uint8_t> fonts = read_bytes(data_path("wad3/nuclide_platform_gfx.wad"));
    const std::vector<ParsedEntry> entries = parse_directory(fonts);
    const size_t dir = static_cast<size_t>(wad_i32(fonts, 8));
    const size_t picture = static_cast<size_t>(entries[2].offset), font = static_cast<size_t>(entries[5].offset);
    const size_t fields[] = {picture, picture + 4, picture + 8 + 32 * 32, font, font + 4, font + 16 + 1024 + 256 * 64,
                             dir + 2 * 32 + 4, dir + 5 * 32 + 8};
    for (size_t at : fields)
        for (uint32_t v : {0u, 1u, 257u, 0xffffu, 0xffffffffu, 0x7fffffffu, 16385u}) {
            std::vector<uint8_t> bad = fonts;
            for (int i = 0; i < 4; ++i)
                bad[at + i] = static_cast<uint8_t>(v >> (8 * i));
            load_and_check(bad, "field at " + std::to_string(at) + " = " + std::to_string(v), true);
        }
    for (size_t i = 0; i < entries.size(); ++i)
        for (int type : {0, int('B'), int('C'), int('D'), int('F'), 255}) {
            std::vector<uint8_t> bad = fonts;
            bad[dir + i * 32 + 12] = static_cast<uint8_t>(type);
            load_and_check(bad, "entry " + std::to_string(i) + " type " + std::to_string(type), true);
        }
}

} // namespace
