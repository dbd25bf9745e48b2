// The batch tool reaches the sprite and WAD2 rows and answers their
// questions from --yes / --no.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

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

} // namespace
