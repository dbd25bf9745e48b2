// The batch tool reaches the sprite and WAD2 rows and answers their
// questions from --yes / --no.
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

struct CliRun {
    int status;
    std::string out;
};

CliRun run_cli(const std::string &arguments, const std::string &dir)
{
    const std::string command = std::string(VORN_CLI_PATH) + " " + arguments + " 2>" + dir + "/stderr.txt";
    CliRun run{-1, ""};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string quoted(const std::string &path) { return "'" + path + "'"; }

TEST(SpriteCli, ConvertAnswersTheGlquakeQuestionFromTheCommandLine)
{
    const std::string dir = scratch_dir("sprite_cli_question");
    // Its second frame is 6 pixels wide: the GLQuake question is asked.
    const std::string source = data_path("spr/openquartzplus_s_bubble.spr");
    const std::string out = dir + "/out.spr";
    EXPECT_EQ(run_cli("convert " + quoted(source) + " " + quoted(out) + " --no", dir).status, 1);
    EXPECT_TRUE(read_bytes(out).empty());
    EXPECT_EQ(run_cli("convert " + quoted(source) + " " + quoted(out) + " --yes", dir).status, 0);
    EXPECT_EQ(read_bytes(out), read_bytes(source));
}

TEST(SpriteCli, ConvertsASpriteTo32BitAndBack)
{
    const std::string dir = scratch_dir("sprite_cli_32");
    const std::string source = data_path("spr/librequake_s_light.spr");
    const std::string wide = dir + "/light.spr32";
    ASSERT_EQ(run_cli("convert " + quoted(source) + " " + quoted(wide), dir).status, 0);
    const std::vector<uint8_t> b = read_bytes(wide);
    ASSERT_GE(b.size(), 36u);
    EXPECT_EQ(b[4], 32);
    EXPECT_EQ(b.size(), 36u + 4 + 16 + 32 * 32 * 4);
    // Back to 8 bits: the Quake palette holds every colour exactly.
    const std::string back = dir + "/back.spr";
    ASSERT_EQ(run_cli("convert " + quoted(wide) + " " + quoted(back), dir).status, 0);
    EXPECT_EQ(read_bytes(back).size(), read_bytes(source).size());
}

TEST(SpriteCli, InfoDescribesAWadArchive)
{
    const std::string dir = scratch_dir("sprite_cli_info");
    const CliRun run = run_cli("info " + quoted(data_path("wad/ericw_fence.wad")), dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("{trigger"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Entry Type"), std::string::npos) << run.out;
}

TEST(SpriteCli, PackIntoAGroupWithoutDurationsWritesIntervalsEnginesAccept)
{
    const std::string dir = scratch_dir("sprite_cli_pack_group");
    const std::string frames = dir + "/frames";
    std::filesystem::create_directories(frames);
    for (int k = 0; k < 3; ++k) {
        ByteWriter picture; // a 4 x 4 Quake picture: width, height, pixels
        picture.i32(4);
        picture.i32(4);
        for (int i = 0; i < 16; ++i)
            picture.u8(static_cast<uint8_t>(k * 16 + i));
        write_bytes(frames + "/f" + std::to_string(k) + ".lmp", picture.data());
    }
    const std::string out = dir + "/explode.spr";
    ASSERT_EQ(run_cli("pack " + quoted(frames) + " " + quoted(out) + " --group explode", dir).status, 0);
    const std::vector<uint8_t> b = read_bytes(out);
    ASSERT_GE(b.size(), 56u);
    ASSERT_EQ(le_i32(b, 36), 1); // one group entry
    ASSERT_EQ(le_i32(b, 40), 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_FLOAT_EQ(le_f32(b, 44 + 4 * static_cast<size_t>(k)), 0.1f) << k;
    const std::vector<uint8_t> said = read_bytes(dir + "/stderr.txt");
    EXPECT_NE(std::string(said.begin(), said.end()).find("3 frames in 1 group"), std::string::npos);
}

} // namespace
