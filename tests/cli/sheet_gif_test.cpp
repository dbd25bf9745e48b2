// One group out as a sprite sheet with its description and back, and as an
// animated GIF read back through the decoder.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class SheetTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("cli_sheet");
    }

    CliResult cli(const std::string &arguments) { return run_vorn_cli(arguments, dir); }

    // One group "Group 0" of frames of the given sizes, random pixels (8-bit
    // over a palette of `entries`, or RGBA with every alpha), origins and
    // durations (none where the duration is negative).
    void make_group(const std::vector<std::pair<int, int>> &sizes, int entries, const std::vector<float> &durations,
                    unsigned seed)
    {
        std::mt19937 random(seed);
        std::vector<uint8_t> palette(static_cast<size_t>(entries) * 4);
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = entries == 256 ? default_palette[i] : i % 4 == 3 ? 255 : static_cast<uint8_t>(random());
        Group *g = anim_add_group(&anim, "Group 0");
        group_reset_frames(g, static_cast<int>(sizes.size()));
        for (size_t f = 0; f < sizes.size(); ++f) {
            const auto [w, h] = sizes[f];
            host().bind_image(g->frames[f].image);
            std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * (entries ? 1 : 4));
            for (size_t k = 0; k < bytes.size(); ++k) {
                bytes[k] = static_cast<uint8_t>(entries ? random() % entries : random());
                if (!entries && k % 4 == 3 && bytes[k] < 64)
                    bytes[k] = 0; // holes enough
            }
            if (entries)
                set_indexed_pixels(w, h, bytes, palette);
            else
                set_rgba_pixels(w, h, bytes);
            props_set_int(&g->frames[f].props, "Origin X", w / 2 - static_cast<int>(f), PROPERTY_INTEGER);
            props_set_int(&g->frames[f].props, "Origin Y", -static_cast<int>(f) * 3, PROPERTY_INTEGER);
            if (durations[f] >= 0)
                props_set_float(&g->frames[f].props, "Duration", durations[f]);
        }
    }

    std::string dir;
};

TEST_F(SheetTest, SheetOutAndBackGivesTheFileOfConvert)
{
    const struct {
        const char *name;
        const char *sheet;
        const char *grid;
        std::function<void()> make;
    } cases[] = {
        // Frames of four sizes with their own origins.
        {"hexen2_xplsh_1.spr", "x.png", "", nullptr},
        // A version-2 sprite: a timed group over a palette of 200 entries,
        // through PCX, which holds 256.
        {"v2.spr", "v2.pcx", "3x1",
         [this] {
             props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER);
             props_set_float(&anim.props, "Radius", 12.345f);
             make_group({{8, 6}, {12, 4}, {4, 9}}, 200, {1.0f / 3, 0.1f, 0.25f}, 7);
         }},
        // True colour with every alpha, through Targa.
        {"rgba.spr32", "rgba.tga", "1x2",
         [this] { make_group({{8, 5}, {3, 7}}, 0, {0.2f, 0.05f}, 9); }},
    };
    for (const auto &c : cases) {
        std::string in = shell_quoted(data_path(std::string("spr/") + c.name));
        if (c.make) {
            anim_destroy(&anim);
            anim_init(&anim);
            c.make();
            in = dir + "/" + c.name;
            ASSERT_TRUE(file_save(in.c_str(), &anim)) << c.name;
        }
        const std::string ext = fs::path(c.name).extension().string();
        ASSERT_EQ(cli("convert " + in + " c" + ext).status, 0) << c.name;
        const CliResult out = cli("export " + in + " " + c.sheet + " --sheet " + c.grid);
        ASSERT_EQ(out.status, 0) << c.name << ": " << out.err;
        const CliResult back = cli("pack --sheet " + std::string(c.sheet) + " p" + ext);
        ASSERT_EQ(back.status, 0) << c.name << ": " << back.err;
        EXPECT_EQ(read_bytes(dir + "/p" + ext), read_bytes(dir + "/c" + ext)) << c.name;
    }

    // The description's plain members are what counts when someone edits
    // them.
    const std::string described = dir + "/v2.json";
    json description = json::parse(std::ifstream(described));
    ASSERT_EQ(description["frames"].size(), 3u);
    EXPECT_EQ(description["frames"][1]["rect"], json({{"x", 12}, {"y", 0}, {"w", 12}, {"h", 4}}));
    description["frames"][1]["origin"] = {{"x", -40}, {"y", 7}};
    description["frames"][1]["duration"] = 2.5;
    std::ofstream(described) << description.dump();
    ASSERT_EQ(cli("pack --sheet v2.pcx edited.spr").status, 0);
    Animation back{};
    file_load((dir + "/edited.spr").c_str(), &back);
    ASSERT_EQ(back.group_count, 1);
    ASSERT_EQ(back.groups[0].frame_count, 3);
    const PropertyList &edited = back.groups[0].frames[1].props;
    EXPECT_EQ(props_get_int(&edited, "Origin X"), -40);
    EXPECT_EQ(props_get_int(&edited, "Origin Y"), 7);
    EXPECT_EQ(props_get_float(&edited, "Duration"), 2.5f);
    EXPECT_EQ(image_width(back.groups[0].frames[1].image), 12);
    anim_destroy(&back);
}

TEST_F(SheetTest, DescriptionThatReachesOutOfTheSheetIsRefused)
{
    ASSERT_EQ(cli("export " + shell_quoted(data_path("spr/hexen2_xplsh_1.spr")) + " s.png --sheet").status, 0);
    const json good = json::parse(std::ifstream(dir + "/s.json"));
    const struct {
        const char *name;
        void (*spoil)(json &);
        const char *message;
    } cases[] = {
        {"rectangle past the right edge", [](json &d) { d["frames"][2]["rect"]["w"] = 1000; }, "frame 2"},
        {"negative corner", [](json &d) { d["frames"][0]["rect"]["x"] = -1; }, "frame 0"},
        {"empty rectangle", [](json &d) { d["frames"][1]["rect"]["h"] = 0; }, "frame 1"},
        {"duration not a number", [](json &d) { d["frames"][0]["duration"] = "fast"; }, "duration"},
        {"no frames", [](json &d) { d["frames"] = json::array(); }, "\"frames\""},
    };
    const std::vector<uint8_t> sentinel = {'k', 'e', 'e', 'p'};
    for (const auto &c : cases) {
        json description = good;
        c.spoil(description);
        std::ofstream(dir + "/s.json") << description.dump();
        write_bytes(dir + "/out.spr", sentinel);
        const CliResult run = cli("pack --sheet s.png out.spr");
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(read_bytes(dir + "/out.spr"), sentinel) << c.name;
    }
    fs::remove(dir + "/s.json");
    const CliResult missing = cli("pack --sheet s.png out.spr");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("s.json"), std::string::npos) << missing.err;
}

TEST_F(SheetTest, GifReadBackHasTheGroupsFramesDelaysAndHoles)
{
    const struct {
        const char *name;
        const char *file;
        int entries; // of make_group; -1: the file is a fixture
        std::vector<float> durations;
        std::vector<float> expected; // what the decoder gives back
    } cases[] = {
        // Frames without a duration show for 0.1 s.
        {"fixture", "spr/firedguns_fx.spr", -1, {}, std::vector<float>(10, 0.1f)},
        // The Quake palette: index 255 is the hole.
        {"indexed", "in.spr", 256, {0.05f, 0.5f, 1.234f}, {0.05f, 0.5f, 1.23f}},
        // Random RGBA has far more than 256 colours.
        {"true colour", "in.spr32", 0, {0.3f, 0.02f}, {0.3f, 0.02f}},
    };
    for (const auto &c : cases) {
        anim_destroy(&anim);
        anim_init(&anim);
        std::string in = shell_quoted(data_path(c.file)), group;
        if (c.entries >= 0) {
            // The second group is the one written.
            make_group({{4, 4}}, c.entries, {0.7f}, 1);
            make_group(std::vector<std::pair<int, int>>(c.durations.size(), {24, 16}), c.entries, c.durations, 3);
            in = dir + "/" + c.file;
            ASSERT_TRUE(file_save(in.c_str(), &anim)) << c.name;
            group = "--group 1 ";
        }
        const CliResult run = cli("export " + group + in + " out.gif");
        ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;

        Animation back{};
        file_load((dir + "/out.gif").c_str(), &back);
        ASSERT_EQ(back.group_count, 1) << c.name;
        ASSERT_EQ(back.groups[0].frame_count, static_cast<int>(c.expected.size())) << c.name;
        for (size_t f = 0; f < c.expected.size(); ++f)
            EXPECT_NEAR(props_get_float(&back.groups[0].frames[f].props, "Duration"), c.expected[f], 1e-4)
                << c.name << " " << f;
        if (c.entries < 0) {
            anim_destroy(&back);
            continue;
        }
        // The first frame lies at the canvas's top left (the others' origins
        // place them further right and down): its holes stay holes, and an
        // 8-bit frame keeps its palette's colours.
        const std::vector<uint8_t> made = rgba_of(anim.groups[1].frames[0].image);
        const std::vector<uint8_t> read = rgba_of(back.groups[0].frames[0].image);
        const int stride = image_width(back.groups[0].frames[0].image);
        ASSERT_GE(stride, 24) << c.name;
        int holes = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x) {
                const uint8_t *m = &made[static_cast<size_t>(y * 24 + x) * 4];
                const size_t at = static_cast<size_t>(y * stride + x) * 4;
                ASSERT_LT(at + 3, read.size()) << c.name;
                const uint8_t *r = &read[at];
                holes += m[3] == 0;
                EXPECT_EQ(r[3] == 0, m[3] == 0) << c.name << " " << x << "," << y;
                if (c.entries && m[3]) {
                    EXPECT_EQ(std::vector<uint8_t>(r, r + 3), std::vector<uint8_t>(m, m + 3)) << x << "," << y;
                }
            }
        EXPECT_GT(holes, 0) << c.name;
        anim_destroy(&back);
    }
    EXPECT_EQ(cli("export --group 2 in.spr32 none.gif").status, 1);
    EXPECT_FALSE(fs::exists(dir + "/none.gif"));
}

} // namespace
