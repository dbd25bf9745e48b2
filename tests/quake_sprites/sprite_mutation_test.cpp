// Truncated and corrupted sprites: every cut length and absurd values in
// every header and record field. Whatever the damage, the reader must not
// crash or read outside its buffer (the sanitizer build checks that), and the
// outcome must be clear: either a loaded animation whose frames are usable,
// or 0 with an empty animation.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "quake/sprite.h"
#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

class SpriteMutation : public CoreTest {
protected:
    std::string path;
    void SetUp() override
    {
        CoreTest::SetUp();
        path = scratch_dir(std::string("sprite_mutation_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
               + "/m.spr";
    }

    // Loads `bytes` and checks that the outcome is one of the two clear ones.
    void load_and_check(const std::vector<uint8_t> &bytes, int32_t (*load)(const char *, Animation *),
                        const std::string &what)
    {
        anim_destroy(&anim);
        anim_init(&anim);
        write_bytes(path, bytes);
        const int32_t result = load(path.c_str(), &anim);
        if (result == 0) {
            EXPECT_EQ(anim.group_count, 0) << what;
            EXPECT_EQ(anim.props.count, 0) << what;
        } else {
            EXPECT_GT(anim.group_count, 0) << what;
            for (int g = 0; g < anim.group_count; ++g)
                for (int f = 0; f < anim.groups[g].frame_count; ++f) {
                    const int w = image_width(anim.groups[g].frames[f].image);
                    const int h = image_height(anim.groups[g].frames[f].image);
                    EXPECT_TRUE(w >= 1 && w <= 16384 && h >= 1 && h <= 16384) << what;
                }
        }
    }

    // Every prefix of the file.
    void cut_everywhere(const std::vector<uint8_t> &file, int32_t (*load)(const char *, Animation *))
    {
        for (size_t n = 0; n <= file.size(); ++n)
            load_and_check(std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(n)), load,
                           "cut at " + std::to_string(n));
    }

    // Overwrites each aligned 4-byte field in turn with absurd values.
    void corrupt_every_field(const std::vector<uint8_t> &file, int32_t (*load)(const char *, Animation *),
                             size_t fields_end)
    {
        const uint32_t values[] = {0u, 1u, 0xffffffffu, 0x7fffffffu, 0x80000000u, 16385u, 0x10000u, 12u};
        for (size_t at = 4; at + 4 <= fields_end; at += 4)
            for (uint32_t v : values) {
                std::vector<uint8_t> bad = file;
                for (int i = 0; i < 4; ++i)
                    bad[at + i] = static_cast<uint8_t>(v >> (8 * i));
                load_and_check(bad, load, "field at " + std::to_string(at) + " = " + std::to_string(v));
            }
    }
};

std::vector<uint8_t> grouped_sprite(int32_t version, int bpp)
{
    SpriteBytes file;
    file.header(version, 2, 4.0f, 4, 4, 3, 0.0f, 1);
    if (version == 2)
        file.palette({1, 2, 3, 4, 5, 6, 7, 8, 9});
    file.single(-2, 2, 4, 4, 1, bpp);
    file.group({0.1f, 0.2f}).frame(-1, 1, 2, 4, 30, bpp).frame(0, 0, 4, 2, 60, bpp);
    file.single(-2, 2, 3, 3, 90, bpp);
    return file.bytes();
}

TEST_F(SpriteMutation, Version1CutAtEveryByte) { cut_everywhere(grouped_sprite(1, 1), quake_sprite_load); }

TEST_F(SpriteMutation, Version2CutAtEveryByte) { cut_everywhere(grouped_sprite(2, 1), quake_sprite_load); }

TEST_F(SpriteMutation, Version32CutAtEveryByte)
{
    cut_everywhere(grouped_sprite(32, 4), sprite32_load);
    cut_everywhere(grouped_sprite(32, 4), quake_sprite_load);
}

TEST_F(SpriteMutation, Version1AbsurdValuesInEveryField)
{
    const std::vector<uint8_t> file = grouped_sprite(1, 1);
    corrupt_every_field(file, quake_sprite_load, file.size());
}

TEST_F(SpriteMutation, Version2AbsurdValuesInEveryField)
{
    std::vector<uint8_t> file = grouped_sprite(2, 1);
    corrupt_every_field(file, quake_sprite_load, file.size());
    // The palette count is 16 bits wide and sits off the 4-byte grid.
    for (uint16_t count : {0, 1, 255, 256, 257, 0x7fff, 0x8000, 0xffff}) {
        std::vector<uint8_t> bad = file;
        bad[36] = static_cast<uint8_t>(count);
        bad[37] = static_cast<uint8_t>(count >> 8);
        load_and_check(bad, quake_sprite_load, "palette count " + std::to_string(count));
    }
}

TEST_F(SpriteMutation, Version32AbsurdValuesInEveryField)
{
    const std::vector<uint8_t> file = grouped_sprite(32, 4);
    // Pixel bytes are not fields; the records end before the last frame's.
    corrupt_every_field(file, sprite32_load, file.size());
}

TEST_F(SpriteMutation, UngroupedSpriteWithHugeDeclaredFrame)
{
    // A frame whose declared size is at the limit but whose pixels are
    // missing: read as zeros, with a warning, and nothing beyond.
    SpriteBytes file;
    file.header(1, 2, 4.0f, 4, 4, 1);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(16384);
    file.out.i32(2);
    load_and_check(file.bytes(), quake_sprite_load, "huge frame");
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_EQ(image_width(anim.groups[0].frames[0].image), 16384);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), std::vector<uint8_t>(16384 * 2, 0));
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Sprite file " + path
                                                        + " is truncated; the missing bytes were read as zeros"});
}

} // namespace
