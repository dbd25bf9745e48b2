#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <string>

#include "formats/format_table.h"
#include "io/sha256.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

class CliTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("cli");
    }
    std::vector<uint8_t> load_rgba(const std::string &path)
    {
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        std::vector<uint8_t> rgba;
        if (loaded.group_count && loaded.groups[0].frame_count)
            rgba = rgba_of(loaded.groups[0].frames[0].image);
        anim_destroy(&loaded);
        return rgba;
    }
    std::string dir;
};

TEST(Sha256, KnownVectors)
{
    EXPECT_EQ(sha256_hex(nullptr, 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(sha256_hex(reinterpret_cast<const uint8_t *>(abc.data()), abc.size()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the padding spills into a second block.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(sha256_hex(reinterpret_cast<const uint8_t *>(two.data()), two.size()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST_F(CliTest, UsageAndExitStatus)
{
    CliResult help = run_vorn_cli("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("convert"), std::string::npos);
    EXPECT_EQ(run_vorn_cli("", dir).status, 2);
    CliResult unknown = run_vorn_cli("frobnicate", dir);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("Vorn: ", 0), 0u) << unknown.err;
    EXPECT_EQ(run_vorn_cli("info", dir).status, 2);
    EXPECT_EQ(run_vorn_cli("info a b", dir).status, 2);
    EXPECT_EQ(run_vorn_cli("info x.png --bogus", dir).status, 2);
    EXPECT_EQ(run_vorn_cli("convert onlyone", dir).status, 2);
}

TEST_F(CliTest, InfoOfAMissingFileFails)
{
    CliResult run = run_vorn_cli("info " + shell_quoted(dir + "/missing.png"), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Vorn: Error"), std::string::npos) << run.err;
}

TEST_F(CliTest, InfoJsonDescribesFramesAndHashesPixels)
{
    const std::string path = data_path("images/librequake_SBAR.png");
    CliResult run = run_vorn_cli("info --json " + shell_quoted(path), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    const std::vector<uint8_t> raw = raw_of(anim.groups[0].frames[0].image);
    // The status bar's palette is Quake's: its last 32 entries glow.
    const auto fullbrights = std::count_if(raw.begin(), raw.end(), [](uint8_t index) { return index >= 224; });
    ASSERT_GT(fullbrights, 0);
    const std::string expected_frame =
        "{\"width\":320,\"height\":24,\"image_type\":8,\"palette_entries\":256,\"palette_type\":24,"
        "\"fullbright_pixels\":" + std::to_string(fullbrights) + ","
        "\"pixels_sha256\":\"" + sha256_hex(raw.data(), raw.size()) + "\",\"properties\":["
        "{\"name\":\"Duration\",\"type\":1,\"value\":0.0},"
        "{\"name\":\"Origin X\",\"type\":0,\"value\":160},"
        "{\"name\":\"Origin Y\",\"type\":0,\"value\":12}]}";
    EXPECT_EQ(run.out, "{\"properties\":[],\"groups\":[{\"name\":\"[no group]\",\"properties\":[],\"frames\":["
                           + expected_frame + "]}]}\n");
}

TEST_F(CliTest, InfoTextHashesPixelsOnlyWhenAsked)
{
    const std::string path = data_path("images/librequake_SBAR.png");
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    const std::vector<uint8_t> raw = raw_of(anim.groups[0].frames[0].image);
    const std::string hash = sha256_hex(raw.data(), raw.size());
    CliResult plain = run_vorn_cli("info " + shell_quoted(path), dir);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("sha256"), std::string::npos) << plain.out;
    CliResult hashed = run_vorn_cli("info --hash " + shell_quoted(path), dir);
    ASSERT_EQ(hashed.status, 0) << hashed.err;
    EXPECT_NE(hashed.out.find("pixels sha256 " + hash), std::string::npos) << hashed.out;
}

TEST_F(CliTest, InfoListsAnArchivesAnimatedTextureSequences)
{
    const std::string path = data_path("wad/librequake_lq_greek_2020_dirfirst.wad");
    CliResult run = run_vorn_cli("info " + shell_quoted(path), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n  sequence \"+0gr_but1\": 4 frames (groups 0, 1, 2, 3)\n"
                           "  alternate sequence \"+agr_but1\": 1 frame (groups 4)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("sequence fault"), std::string::npos);
}

TEST_F(CliTest, InfoJsonPrintsFloatsThatRoundTrip)
{
    CliResult run = run_vorn_cli("info --json " + shell_quoted(data_path("images/giflib_fire.gif")), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    // 0.05f needs nine significant digits to come back as the same float.
    EXPECT_NE(run.out.find("\"value\":0.0500000007"), std::string::npos);
}

TEST_F(CliTest, ConvertKeepsPixelsAcrossCommonFormats)
{
    const std::string source = data_path("images/librequake_SBAR.png");
    const std::vector<uint8_t> original = load_rgba(source);
    ASSERT_FALSE(original.empty());
    std::string previous = source;
    for (const char *ext : {"bmp", "tga", "pcx", "png"}) {
        const std::string target = dir + "/converted." + ext;
        CliResult run = run_vorn_cli("convert " + shell_quoted(previous) + " " + shell_quoted(target), dir);
        ASSERT_EQ(run.status, 0) << ext << ": " << run.err;
        EXPECT_EQ(load_rgba(target), original) << ext;
        previous = target;
    }
}

TEST_F(CliTest, ConvertFailuresExitWithOne)
{
    const std::string source = data_path("images/pngsuite_basn3p08.png");
    // A relative name, so that no dot in the test folder's path interferes.
    CliResult no_extension = run_vorn_cli("convert " + shell_quoted(source) + " noext", dir);
    EXPECT_EQ(no_extension.status, 1);
    EXPECT_NE(no_extension.err.find("Vorn: no file format is known for the extension of noext"), std::string::npos)
        << no_extension.err;

    CliResult unknown = run_vorn_cli("convert " + shell_quoted(source) + " " + shell_quoted(dir + "/out.mng"), dir);
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("Vorn: Unable to save file in specified format"), std::string::npos) << unknown.err;

    CliResult missing = run_vorn_cli("convert " + shell_quoted(dir + "/missing.png") + " " + shell_quoted(dir + "/out.png"), dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.png"));
}

} // namespace
