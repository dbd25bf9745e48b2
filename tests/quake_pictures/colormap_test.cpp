// Colormap generation and the batch tool's palette and colormap commands.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "colormap_reference.h"
#include "quake/colormap.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> quake_palette()
{
    uint8_t buffer[1024];
    EXPECT_EQ(palette_lmp_load(data_path("palette/librequake_palette.lmp").c_str(), buffer), 256);
    return std::vector<uint8_t>(buffer, buffer + 1024);
}

uint8_t cell(const std::vector<uint8_t> &table, int level, int index) { return table[level * 256 + index]; }

} // namespace

TEST(Colormap, DefaultsKeepFullbrightsAndDarkenEverythingElseToBlack)
{
    const std::vector<uint8_t> palette = quake_palette();
    const std::vector<uint8_t> table = generate_colormap(palette.data(), 32, 2.0f);
    ASSERT_EQ(table.size(), 16385u);
    for (int level = 0; level < 64; ++level)
        for (int j = 224; j < 256; ++j)
            ASSERT_EQ(cell(table, level, j), j) << level << "," << j;
    for (int j = 0; j < 224; ++j)
        EXPECT_EQ(cell(table, 63, j), 0) << j;
    EXPECT_EQ(table[16384], 32);
}

TEST(Colormap, RangeOneMapsEachColourToItsFirstTwin)
{
    const std::vector<uint8_t> palette = quake_palette();
    const std::vector<uint8_t> table = generate_colormap(palette.data(), 0, 1.0f);
    for (int j = 0; j < 255; ++j) {
        const uint8_t found = cell(table, 0, j);
        EXPECT_LE(found, j);
        EXPECT_EQ(0, std::memcmp(palette.data() + found * 4, palette.data() + j * 4, 3)) << j;
    }
    // Entry 255 is transparent and maps to itself, the first transparent
    // entry, at every level.
    for (int level = 0; level < 64; ++level)
        EXPECT_EQ(cell(table, level, 255), 255);
}

TEST(Colormap, AllFullbrightGivesIdentityRowsAndAZeroLastByte)
{
    const std::vector<uint8_t> palette = quake_palette();
    const std::vector<uint8_t> table = generate_colormap(palette.data(), 256, 2.0f);
    ASSERT_EQ(table.size(), 16385u);
    for (int level = 0; level < 64; ++level)
        for (int j = 0; j < 256; ++j)
            ASSERT_EQ(cell(table, level, j), j);
    EXPECT_EQ(table[16384], 0);
}

TEST(Colormap, NoFullbrightsLeavesNoIdentityColumns)
{
    std::vector<uint8_t> palette = quake_palette();
    palette[255 * 4 + 3] = 255; // every entry opaque
    const std::vector<uint8_t> table = generate_colormap(palette.data(), 0, 2.0f);
    EXPECT_EQ(table[16384], 0);
    for (int j = 0; j < 256; ++j)
        EXPECT_EQ(cell(table, 63, j), 0) << j;
}

TEST(Colormap, BrightenedColoursAreMatchedWithoutClamping)
{
    // A small palette makes the level-0 matches easy to follow: with range
    // 2, (100, 0, 0) becomes (200, 0, 0) and (120, 0, 0) becomes (240, 0, 0).
    std::vector<uint8_t> palette(1024, 0);
    const uint8_t entries[5][4] = {{0, 0, 0, 255}, {100, 0, 0, 255}, {120, 0, 0, 255}, {205, 0, 0, 255},
                                   {255, 0, 0, 255}};
    for (int i = 0; i < 5; ++i)
        std::memcpy(palette.data() + i * 4, entries[i], 4);
    for (int i = 5; i < 256; ++i)
        palette[i * 4 + 3] = 255;
    const std::vector<uint8_t> table = generate_colormap(palette.data(), 0, 2.0f);
    EXPECT_EQ(cell(table, 0, 1), 3);
    EXPECT_EQ(cell(table, 0, 2), 4);
    EXPECT_EQ(cell(table, 0, 4), 4);
    // Level 32: multiplier 2 - 64/63, just under 1, so 100 -> 98.4 -> 98.
    EXPECT_EQ(cell(table, 32, 1), 1);
    EXPECT_EQ(cell(table, 63, 4), 0);
}

TEST(Colormap, ZeroOrAbsurdRangesStayDefined)
{
    const std::vector<uint8_t> palette = quake_palette();
    const std::vector<uint8_t> zero = generate_colormap(palette.data(), 32, 0.0f);
    for (int level = 0; level < 64; ++level)
        for (int j = 0; j < 224; ++j)
            ASSERT_EQ(cell(zero, level, j), 0);
    for (float range : {1e30f, -1e30f, 100000.0f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        const std::vector<uint8_t> table = generate_colormap(palette.data(), 32, range);
        EXPECT_EQ(table.size(), 16385u);
        EXPECT_EQ(cell(table, 10, 240), 240);
    }
}

TEST(Colormap, DialogTextRules)
{
    EXPECT_EQ(colormap_parse_fullbrights("32"), 32);
    EXPECT_EQ(colormap_parse_fullbrights("  +17xyz"), 17);
    EXPECT_EQ(colormap_parse_fullbrights("abc"), 0);
    EXPECT_EQ(colormap_parse_fullbrights(""), 0);
    EXPECT_EQ(colormap_parse_fullbrights("-1"), -1);
    EXPECT_TRUE(colormap_fullbrights_valid(0));
    EXPECT_TRUE(colormap_fullbrights_valid(256));
    EXPECT_FALSE(colormap_fullbrights_valid(257));
    EXPECT_FALSE(colormap_fullbrights_valid(-1));
    EXPECT_FALSE(colormap_fullbrights_valid(colormap_parse_fullbrights("99999999999999999999")));
    EXPECT_FALSE(colormap_fullbrights_valid(colormap_parse_fullbrights("4294967296")));
    EXPECT_FLOAT_EQ(colormap_parse_range("2"), 2.0f);
    EXPECT_FLOAT_EQ(colormap_parse_range(" 1.5e0"), 1.5f);
    EXPECT_FLOAT_EQ(colormap_parse_range("range"), 0.0f);
    EXPECT_TRUE(std::isinf(colormap_parse_range("1e300")));
}

// The batch tool, run as a separate process.
class BatchTool : public ::testing::Test {
protected:
    void SetUp() override { dir = scratch_dir(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    int run(const std::string &arguments)
    {
        const std::string command = std::string(VORN_CLI_PATH) + " " + arguments + " 2>" + dir + "/stderr.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors() const
    {
        const std::vector<uint8_t> bytes = read_bytes(dir + "/stderr.txt");
        return std::string(bytes.begin(), bytes.end());
    }
    std::string dir;
};

TEST_F(BatchTool, ColormapDefaultsMatchTheReferenceTable)
{
    const std::string palette = data_path("palette/librequake_palette.lmp");
    ASSERT_EQ(run("colormap " + palette + " " + dir + "/colormap.lmp"), 0) << errors();
    EXPECT_EQ(read_bytes(dir + "/colormap.lmp"), colormap_reference::table(quake_palette(), 32, 2.0f));

    ASSERT_EQ(run("colormap " + palette + " " + dir + "/other.lmp --fullbrights 0 --range 1.5"), 0) << errors();
    EXPECT_EQ(read_bytes(dir + "/other.lmp"), colormap_reference::table(quake_palette(), 0, 1.5f));
}

TEST_F(BatchTool, ColormapRefusesInvalidFullbrights)
{
    const std::string palette = data_path("palette/librequake_palette.lmp");
    for (const char *value : {"257", "-1"}) {
        EXPECT_EQ(run("colormap " + palette + " " + dir + "/x.lmp --fullbrights " + value), 2) << value;
        EXPECT_NE(errors().find("Invalid number of fullbrights, must be 0 - 256"), std::string::npos);
        EXPECT_FALSE(fs::exists(dir + "/x.lmp"));
    }
    EXPECT_EQ(run("colormap " + palette + " " + dir + "/x.lmp --fullbrights"), 2);
    EXPECT_EQ(run("colormap " + palette), 2);
}

TEST_F(BatchTool, ColormapReportsAFileThatCannotBeCreated)
{
    const std::string palette = data_path("palette/librequake_palette.lmp");
    EXPECT_EQ(run("colormap " + palette + " " + dir + "/no/such/folder/colormap.lmp"), 1);
    EXPECT_FALSE(errors().empty());
}

TEST_F(BatchTool, PaletteConvertsBetweenFormats)
{
    const std::string lmp = data_path("palette/librequake_palette.lmp");
    ASSERT_EQ(run("palette " + lmp + " " + dir + "/quake.pal"), 0) << errors();
    ASSERT_EQ(run("palette " + dir + "/quake.pal " + dir + "/palette.lmp"), 0) << errors();
    EXPECT_EQ(read_bytes(dir + "/palette.lmp"), read_bytes(lmp));
    // An image's palette is a palette source too.
    ASSERT_EQ(run("palette " + data_path("images/pngsuite_basn3p08.png") + " " + dir + "/image.pal"), 0) << errors();
    EXPECT_GT(fs::file_size(dir + "/image.pal"), 20u);
}

TEST_F(BatchTool, PaletteFailuresGiveStatusOne)
{
    const std::string lmp = data_path("palette/librequake_palette.lmp");
    EXPECT_EQ(run("palette " + lmp + " " + dir + "/out.act"), 1);
    EXPECT_FALSE(fs::exists(dir + "/out.act"));
    EXPECT_EQ(run("palette " + dir + "/missing.pal " + dir + "/out.pal"), 1);
    EXPECT_EQ(run("palette " + lmp), 2);
}

TEST_F(BatchTool, InfoAndConvertHandlePicturesAndTextures)
{
    const std::string picture = data_path("lmp/nuclide_error.lmp");
    ASSERT_EQ(run("convert " + picture + " " + dir + "/error.mip"), 0) << errors();
    ASSERT_EQ(run("convert " + dir + "/error.mip " + dir + "/error.lmp"), 0) << errors();
    EXPECT_EQ(read_bytes(dir + "/error.lmp"), read_bytes(picture));
    ASSERT_EQ(run("info " + dir + "/error.mip > " + dir + "/info.txt"), 0) << errors();
    const std::vector<uint8_t> info = read_bytes(dir + "/info.txt");
    const std::string text(info.begin(), info.end());
    EXPECT_NE(text.find("4 frames"), std::string::npos) << text;
    EXPECT_NE(text.find("8x8"), std::string::npos) << text;
}

TEST_F(BatchTool, PaletteBesideTheProgramIsLoadedAtStart)
{
    // A copy of the tool in a folder of its own, first without palette.lmp.
    const std::string tool = dir + "/vorn-cli";
    fs::copy_file(VORN_CLI_PATH, tool);
    fs::permissions(tool, fs::perms::owner_all);
    const std::string picture = data_path("lmp/librequake_box_tl.lmp");
    const std::string command = tool + " convert " + picture + " " + dir + "/box.png 2>" + dir + "/stderr.txt";
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << errors();
    EXPECT_FALSE(errors().empty());
    // With no palette every index shows black; with one the picture has
    // its colours.
    const std::vector<uint8_t> without = read_bytes(dir + "/box.png");

    write_bytes(dir + "/palette.lmp", read_bytes(data_path("palette/librequake_palette.lmp")));
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << errors();
    EXPECT_TRUE(errors().empty()) << errors();
    EXPECT_NE(read_bytes(dir + "/box.png"), without);
}
