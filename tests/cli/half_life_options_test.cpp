// The batch tool's Half-Life options: the kind of WAD written and the
// sprite's texture format.
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

class HalfLifeOptions : public CoreTest {};

TEST_F(HalfLifeOptions, WadKindAndTextureFormatAreChosenOnTheCommandLine)
{
    const std::string dir = scratch_dir("half_life_options");
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 16 * 16; ++i) {
        const uint8_t px[4] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), 90, 255};
        rgba.insert(rgba.end(), px, px + 4);
    }
    group_reset_frames(anim_add_group(&anim, NO_GROUP_NAME), 1);
    anim_bind_frame(&anim, 0, 0);
    set_rgba_pixels(16, 16, rgba);
    ASSERT_TRUE(file_save((dir + "/p.png").c_str(), &anim));

    const struct {
        const char *arguments;
        const char *magic; // of OUT, or null for a usage error
    } cases[] = {
        {"convert p.png plain.wad", "WAD2"},
        {"convert --wad3 p.png hl.wad", "WAD3"},
        {"convert hl.wad again.wad", "WAD3"},
        {"convert --wad2 hl.wad quake.wad", "WAD2"},
        {"convert --wad2 --wad3 p.png both.wad", nullptr},
        {"convert --texture-format glow p.png s.spr", nullptr},
        {"convert --texture-format index-alpha p.png s.spr", "IDSP"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliResult run = run_vorn_cli(c.arguments, dir);
        if (!c.magic) {
            EXPECT_EQ(run.status, 2) << run.err;
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string out = std::string(c.arguments).substr(std::string(c.arguments).rfind(' ') + 1);
        const std::vector<uint8_t> bytes = read_bytes(dir + "/" + out);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), c.magic);
    }
    const CliResult info = run_vorn_cli("info s.spr", dir);
    EXPECT_NE(info.out.find("Texture Format = Index Alpha (2)"), std::string::npos) << info.out;
}

} // namespace
