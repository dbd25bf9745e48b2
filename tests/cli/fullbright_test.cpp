// Fullbright pixels that colour matching makes: the report on saving and
// the match without them, fullbright-safe mip levels, and masks.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/animation.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/fullbright.h"
#include "quake/picture.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

constexpr int FIRST = 224;

class FullbrightTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("fullbright");
    }

    // 8 x 4: the top two rows exactly the colours of fullbright entries,
    // the bottom two those colours a little off, which only lie nearest to
    // fullbright entries.
    static std::vector<uint8_t> near_fullbrights()
    {
        std::vector<uint8_t> rgba;
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < 16; ++k) {
                const uint8_t *e = default_palette + (FIRST + 2 * k + row) * 4;
                rgba.insert(rgba.end(), {e[0], e[1], e[2], 255});
            }
        for (size_t p = 16; p < 32; ++p)
            for (int c = 0; c < 3; ++c)
                rgba[p * 4 + c] = static_cast<uint8_t>(rgba[p * 4 + c] > 250 ? rgba[p * 4 + c] - 5 : rgba[p * 4 + c] + 4);
        return rgba;
    }

    void one_frame(Animation &a, int w, int h, const std::vector<uint8_t> &rgba)
    {
        anim_init(&a);
        group_reset_frames(anim_add_group(&a, NO_GROUP_NAME), 1);
        anim_bind_frame(&a, 0, 0);
        set_rgba_pixels(w, h, rgba);
    }

    std::vector<uint8_t> first_frame_indexes(const std::string &path)
    {
        Animation a;
        anim_init(&a);
        file_load(path.c_str(), &a);
        std::vector<uint8_t> out;
        if (a.group_count && a.groups[0].frame_count)
            out = raw_of(a.groups[0].frames[0].image);
        frames_read = a.group_count ? a.groups[0].frame_count : 0;
        anim_destroy(&a);
        return out;
    }

    std::string dir;
    int frames_read = 0;
};

TEST_F(FullbrightTest, SavingReportsUnaskedFullbrightsAndRematchesWithoutThemOnRequest)
{
    const std::vector<uint8_t> rgba = near_fullbrights();
    Animation a;
    one_frame(a, 8, 4, rgba);
    ASSERT_EQ(lmp_save((dir + "/kept.lmp").c_str(), &a), 1);
    anim_destroy(&a);

    // Nobody answered: the default match, byte for byte, with the count of
    // fullbright pixels in the rows whose colours were not fullbright ones.
    const std::vector<uint8_t> kept = first_frame_indexes(dir + "/kept.lmp");
    Animation plain;
    one_frame(plain, 8, 4, rgba);
    remap_to_palette(default_palette, 256);
    EXPECT_EQ(kept, raw_of(plain.groups[0].frames[0].image));
    anim_destroy(&plain);
    ASSERT_EQ(kept.size(), 32u);
    int unasked = 0;
    for (size_t p = 16; p < 32; ++p)
        unasked += kept[p] >= FIRST;
    ASSERT_GT(unasked, 8);
    const std::string said = "made " + std::to_string(unasked) + " pixels fullbright";
    int told = 0;
    for (const std::string &text : message_texts())
        told += text.find(said) != std::string::npos;
    EXPECT_EQ(told, 1) << ui.transcript();

    // The batch tool says the same.
    Animation png;
    one_frame(png, 8, 4, rgba);
    ASSERT_TRUE(file_save((dir + "/near.png").c_str(), &png));
    anim_destroy(&png);
    const CliResult run = run_vorn_cli("convert near.png cli.lmp", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    const CliResult dithered = run_vorn_cli("convert --dither floyd-steinberg near.png dithered.lmp", dir);
    ASSERT_EQ(dithered.status, 0) << dithered.err;
    EXPECT_NE(dithered.err.find("pixels fullbright that were not"), std::string::npos) << dithered.err;

    // Matching again without fullbrights leaves none, and the choice holds
    // for the next save without a question.
    ui.queue_choice(1);
    std::vector<uint8_t> tiled; // 16 x 16, a texture's least size
    for (int i = 0; i < 8; ++i)
        tiled.insert(tiled.end(), rgba.begin(), rgba.end());
    for (const char *name : {"/without.lmp", "/next.mip"}) {
        Animation b;
        one_frame(b, 16, 16, tiled);
        const std::string path = dir + name;
        ASSERT_EQ(path.find(".lmp") != std::string::npos ? lmp_save(path.c_str(), &b) : mip_save(path.c_str(), &b), 1);
        anim_destroy(&b);
        for (uint8_t i : first_frame_indexes(dir + name))
            EXPECT_LT(i, FIRST) << name;
    }
    EXPECT_EQ(ui.questions().size(), 1u);
}

TEST_F(FullbrightTest, SafeMipLevelsGainNeitherFullbrightsNorHoles)
{
    // Two lit entries whose mean colour lies nearest to a fullbright one:
    // box-filtered levels of a checker of them turn fullbright.
    int lit_a = -1, lit_b = -1;
    for (int i = 1; i < FIRST && lit_a < 0; ++i)
        for (int j = i + 1; j < FIRST && lit_a < 0; ++j) {
            const uint8_t *p = default_palette + i * 4, *q = default_palette + j * 4;
            const int n = nearest_palette_index(default_palette, 256, (p[0] + q[0]) / 2, (p[1] + q[1]) / 2,
                                                (p[2] + q[2]) / 2, 1);
            if (n >= FIRST && n < 255)
                lit_a = i, lit_b = j;
        }
    ASSERT_GE(lit_a, 0);
    // A lit 64 x 64 texture, the left quarter that checker, with a
    // fullbright spot and a transparent hole, both off the 8-pixel grid, so
    // that blocks of every level straddle them.
    std::vector<uint8_t> level0(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t i = static_cast<uint8_t>(x < 16 ? ((x + y) % 2 ? lit_a : lit_b) : 16 + (x * 7 + y * 3) % 96);
            if (x >= 19 && x < 26 && y >= 19 && y < 27)
                i = 250;
            if (x >= 37 && x < 46 && y >= 9 && y < 20)
                i = 255;
            level0[static_cast<size_t>(y) * 64 + x] = i;
        }
    set_mips_fullbright_safe(true);
    Animation a;
    anim_init(&a);
    group_reset_frames(anim_add_group(&a, "spot"), 1);
    anim_bind_frame(&a, 0, 0);
    std::vector<uint8_t> palette(default_palette, default_palette + 1024);
    set_indexed_pixels(64, 64, level0, palette);
    ASSERT_EQ(mip_save((dir + "/spot.mip").c_str(), &a), 1);
    anim_destroy(&a);

    Animation back;
    anim_init(&back);
    file_load((dir + "/spot.mip").c_str(), &back);
    ASSERT_EQ(back.groups[0].frame_count, 4);
    EXPECT_EQ(raw_of(back.groups[0].frames[0].image), level0);
    for (int k = 1; k < 4; ++k) {
        const int s = 1 << k, lw = 64 >> k;
        const std::vector<uint8_t> level = raw_of(back.groups[0].frames[k].image);
        ASSERT_EQ(level.size(), static_cast<size_t>(lw * lw));
        int bright = 0, holes = 0;
        for (int y = 0; y < lw; ++y)
            for (int x = 0; x < lw; ++x) {
                const uint8_t i = level[static_cast<size_t>(y) * lw + x];
                bool block_bright = false, block_hole = false;
                for (int by = y * s; by < y * s + s; ++by)
                    for (int bx = x * s; bx < x * s + s; ++bx) {
                        const uint8_t j = level0[static_cast<size_t>(by) * 64 + bx];
                        block_bright |= j >= FIRST && j != 255;
                        block_hole |= j == 255;
                    }
                if (i == 255) {
                    EXPECT_TRUE(block_hole) << "level " << k << " " << x << "," << y;
                    ++holes;
                } else if (i >= FIRST) {
                    EXPECT_TRUE(block_bright) << "level " << k << " " << x << "," << y;
                    ++bright;
                }
            }
        // The spot and the hole are still there, smaller.
        EXPECT_GT(bright, 0) << k;
        EXPECT_GT(holes, 0) << k;
    }
    anim_destroy(&back);
}

TEST_F(FullbrightTest, AMaskBesideTheSourceMakesExactlyItsPixelsFullbright)
{
    // Ordinary colours and fullbright colours mixed; the mask marks pixels
    // of both kinds, in white on black.
    std::vector<uint8_t> rgba = near_fullbrights(), mask;
    for (size_t p = 0; p < 32; ++p) {
        if (p % 3 == 0) {
            const uint8_t *e = default_palette + (40 + p) * 4;
            std::copy_n(e, 3, &rgba[p * 4]);
        }
        const uint8_t glow = p % 4 == 1 || p == 30 ? 255 : 0;
        mask.insert(mask.end(), {glow, glow, glow, 255});
    }
    ASSERT_EQ(system(("mkdir -p " + dir + "/frames").c_str()), 0);
    for (const std::string &path : {dir + "/wall.png", dir + "/frames/wall.png"}) {
        Animation a;
        one_frame(a, 8, 4, rgba);
        ASSERT_TRUE(file_save(path.c_str(), &a));
        anim_destroy(&a);
    }
    for (const std::string &path : {dir + "/wall_glow.png", dir + "/frames/wall.fullbright.tga"}) {
        Animation a;
        one_frame(a, 8, 4, mask);
        ASSERT_TRUE(file_save(path.c_str(), &a));
        anim_destroy(&a);
    }
    const struct {
        const char *command, *out;
    } cases[] = {{"convert wall.png wall.lmp", "/wall.lmp"}, {"pack frames wall.spr --no-fullbrights", "/wall.spr"}};
    for (const auto &c : cases) {
        const CliResult run = run_vorn_cli(c.command, dir);
        ASSERT_EQ(run.status, 0) << c.command << ": " << run.err;
        const std::vector<uint8_t> indexes = first_frame_indexes(dir + c.out);
        EXPECT_EQ(frames_read, 1) << c.command; // the mask is no frame
        ASSERT_EQ(indexes.size(), 32u) << c.command;
        for (size_t p = 0; p < 32; ++p)
            EXPECT_EQ(indexes[p] >= FIRST, mask[p * 4] != 0) << c.command << " pixel " << p;
    }
}

} // namespace
