// Colour matching with choices (fullbright limit, dithering) and the batch
// tool's palette options.
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <IL/il.h>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/palette_match.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

class PaletteMatchTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("palette_match");
        image = host().gen_image();
    }
    void TearDown() override
    {
        host().delete_image(image);
        CoreTest::TearDown();
    }

    // An image of the colours of the 32 fullbright entries, opaque. Without
    // `with_last`, entry 254 stands in for 255, whose index an 8-bit image
    // reads as transparent.
    std::vector<uint8_t> fullbright_colours(bool with_last = true)
    {
        std::vector<uint8_t> rgba;
        for (int k = 224; k < 256; ++k) {
            const int i = k == 255 && !with_last ? 254 : k;
            rgba.insert(rgba.end(), default_palette + i * 4, default_palette + i * 4 + 3);
            rgba.push_back(255);
        }
        return rgba;
    }

    void save_rgba(const std::string &path, int w, int h, const std::vector<uint8_t> &rgba)
    {
        Animation a;
        anim_init(&a);
        group_reset_frames(anim_add_group(&a, NO_GROUP_NAME), 1);
        anim_bind_frame(&a, 0, 0);
        set_rgba_pixels(w, h, rgba);
        ASSERT_TRUE(file_save(path.c_str(), &a));
        anim_destroy(&a);
    }

    // The indexes of a picture written by the batch tool.
    std::vector<uint8_t> picture_indexes(const std::string &path)
    {
        Animation a;
        anim_init(&a);
        file_load(path.c_str(), &a);
        std::vector<uint8_t> out;
        if (a.group_count && a.groups[0].frame_count)
            out = raw_of(a.groups[0].frames[0].image);
        anim_destroy(&a);
        return out;
    }

    std::string dir;
    uint32_t image = 0;
};

TEST_F(PaletteMatchTest, DefaultOptionsMatchExactlyAsTheSaversDo)
{
    std::mt19937 random(2026);
    const int w = 37, h = 23;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>(random());
    for (size_t p = 0; p < rgba.size() / 4; p += 5)
        rgba[p * 4 + 3] = 0; // some transparent pixels

    host().bind_image(image);
    set_rgba_pixels(w, h, rgba);
    remap_to_palette(default_palette, 256);
    const std::vector<uint8_t> saver = raw_of(image);

    host().bind_image(image);
    set_rgba_pixels(w, h, rgba);
    match_bound_image(default_palette, 256, PaletteMatchOptions{});
    EXPECT_EQ(raw_of(image), saver);
    EXPECT_EQ(host().palette_size(), 256);
}

TEST_F(PaletteMatchTest, FullbrightLimitKeepsOpaqueColoursBelowTheRange)
{
    const std::vector<uint8_t> rgba = fullbright_colours();
    const struct {
        int opaque;
        bool dither;
        bool indexed_source;
    } cases[] = {{224, false, false}, {224, true, false}, {192, false, false}, {224, false, true}, {200, true, true}};
    for (const auto &c : cases) {
        host().bind_image(image);
        set_rgba_pixels(8, 4, c.indexed_source ? fullbright_colours(false) : rgba);
        if (c.indexed_source)
            remap_to_palette(default_palette, 256); // an 8-bit image holding the fullbrights
        match_bound_image(default_palette, 256, PaletteMatchOptions{c.opaque, c.dither});
        for (uint8_t index : raw_of(image))
            EXPECT_LT(index, c.opaque) << c.opaque << " " << c.dither << " " << c.indexed_source;
    }
    // Transparent pixels still take the transparent entry, past the limit.
    std::vector<uint8_t> clear(4 * 4, 0);
    host().bind_image(image);
    set_rgba_pixels(2, 2, clear);
    match_bound_image(default_palette, 256, PaletteMatchOptions{224, false});
    EXPECT_EQ(raw_of(image), std::vector<uint8_t>(4, 255));
}

TEST_F(PaletteMatchTest, DitheringMixesEntriesToComeCloserToTheColour)
{
    // A flat colour between two palette entries: plain matching gives one
    // entry everywhere, dithering a mix whose average is nearer the colour.
    const uint8_t *a = default_palette + 4 * 10;
    const uint8_t *b = default_palette + 4 * 11;
    const int colour[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
    const int w = 32, h = 32;
    std::vector<uint8_t> rgba;
    for (int p = 0; p < w * h; ++p)
        rgba.insert(rgba.end(), {static_cast<uint8_t>(colour[0]), static_cast<uint8_t>(colour[1]),
                                 static_cast<uint8_t>(colour[2]), 255});
    auto mean_error = [&](bool dither, size_t &distinct) {
        host().bind_image(image);
        set_rgba_pixels(w, h, rgba);
        match_bound_image(default_palette, 256, PaletteMatchOptions{256, dither});
        const std::vector<uint8_t> indexes = raw_of(image);
        distinct = std::set<uint8_t>(indexes.begin(), indexes.end()).size();
        double sum[3] = {0, 0, 0};
        for (uint8_t i : indexes)
            for (int k = 0; k < 3; ++k)
                sum[k] += default_palette[i * 4 + k];
        double error = 0;
        for (int k = 0; k < 3; ++k)
            error += std::fabs(sum[k] / indexes.size() - colour[k]);
        return error;
    };
    size_t plain_entries = 0, dithered_entries = 0;
    const double plain = mean_error(false, plain_entries);
    const double dithered = mean_error(true, dithered_entries);
    EXPECT_EQ(plain_entries, 1u);
    EXPECT_GE(dithered_entries, 2u);
    EXPECT_LT(dithered, plain);
    EXPECT_LT(dithered, 1.0);
}

TEST_F(PaletteMatchTest, BatchToolOptionsKeepFullbrightsOutAndDefaultsUnchanged)
{
    save_rgba(dir + "/bright.png", 8, 4, fullbright_colours());

    // Without options: the savers' own matching, as before.
    ASSERT_EQ(run_vorn_cli("convert bright.png default.lmp", dir).status, 0);
    host().bind_image(image);
    set_rgba_pixels(8, 4, fullbright_colours());
    remap_to_palette(default_palette, 256);
    const std::vector<uint8_t> today = raw_of(image);
    const std::vector<uint8_t> by_default = picture_indexes(dir + "/default.lmp");
    EXPECT_EQ(by_default, today);
    int bright = 0;
    for (uint8_t i : by_default)
        bright += i >= 224;
    EXPECT_GT(bright, 16); // the image really holds fullbright colours

    const struct {
        const char *options;
        int limit;
    } cases[] = {{"--no-fullbrights", 224},
                 {"--fullbrights 64", 192},
                 {"--no-fullbrights --dither floyd-steinberg", 224},
                 {"--dither none", 256}};
    for (const auto &c : cases) {
        const CliResult run = run_vorn_cli("convert " + std::string(c.options) + " bright.png out.lmp", dir);
        ASSERT_EQ(run.status, 0) << c.options << ": " << run.err;
        const std::vector<uint8_t> indexes = picture_indexes(dir + "/out.lmp");
        ASSERT_EQ(indexes.size(), 32u);
        for (uint8_t i : indexes)
            EXPECT_LT(i, c.limit) << c.options;
        if (c.limit == 256) {
            EXPECT_EQ(indexes, today) << c.options;
        }
    }

    // --palette: matching against another palette, here one whose colours
    // are those of the image in reverse order.
    std::vector<uint8_t> reversed(768);
    for (int i = 0; i < 256; ++i)
        for (int k = 0; k < 3; ++k)
            reversed[i * 3 + k] = default_palette[(255 - i) * 4 + k];
    write_bytes(dir + "/reversed.lmp", reversed);
    const CliResult run = run_vorn_cli("convert --palette reversed.lmp bright.png other.lmp", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> other = picture_indexes(dir + "/other.lmp");
    ASSERT_EQ(other.size(), 32u);
    for (size_t p = 0; p < other.size(); ++p) {
        const uint8_t *want = default_palette + (224 + p) * 4;
        const uint8_t *got = reversed.data() + other[p] * 3;
        EXPECT_EQ(std::vector<uint8_t>(got, got + 3), std::vector<uint8_t>(want, want + 3)) << p;
    }
    const CliResult missing = run_vorn_cli("convert --palette gone.lmp bright.png x.lmp", dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("gone.lmp"), std::string::npos) << missing.err;
}

} // namespace
