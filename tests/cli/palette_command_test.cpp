// The batch tool's palette command: the palette of files that imply one,
// and failures that say which file and which step.
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "formats/format_table.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

class PaletteCommandTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("palette_command");
    }

    // A 16 x 16 picture of the Quake palette's indexes saved as `name`.
    void save_picture(const std::string &name)
    {
        std::vector<uint8_t> indexes(256);
        for (int i = 0; i < 256; ++i)
            indexes[i] = static_cast<uint8_t>(i);
        Animation a;
        anim_init(&a);
        group_reset_frames(anim_add_group(&a, NO_GROUP_NAME), 1);
        anim_bind_frame(&a, 0, 0);
        set_indexed_pixels(16, 16, indexes, std::vector<uint8_t>(default_palette, default_palette + 1024));
        ASSERT_EQ(file_save((dir + "/" + name).c_str(), &a), 1) << name << ": " << ui.transcript();
        anim_destroy(&a);
    }

    std::string dir;
};

TEST_F(PaletteCommandTest, QuakePicturesTexturesAndArchivesGiveThePaletteBesideTheProgram)
{
    const std::vector<uint8_t> shipped = read_bytes(std::string(VORN_BINARY_DIR) + "/bin/palette.lmp");
    ASSERT_EQ(shipped.size(), 768u);
    for (const char *name : {"in.mip", "in.lmp", "in.wad"}) {
        save_picture(name);
        const CliResult run = run_vorn_cli(std::string("palette ") + name + " out.lmp", dir);
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_EQ(read_bytes(dir + "/out.lmp"), shipped) << name;
    }
}

TEST_F(PaletteCommandTest, EachFailureNamesTheFileAndWhetherReadingOrWritingFailed)
{
    save_picture("good.mip");
    write_bytes(dir + "/bad.mip", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'i', 'p'});
    write_bytes(dir + "/locked.lmp", {'o', 'l', 'd'});
    ASSERT_EQ(chmod((dir + "/locked.lmp").c_str(), 0444), 0);
    const std::string palette = std::string(VORN_BINARY_DIR) + "/bin/palette.lmp";
    struct Case {
        std::string arguments;
        const char *file;
        const char *step;
        std::string cause;
    };
    const Case cases[] = {
        {"palette missing.png out.lmp", "missing.png", "read", std::strerror(ENOENT)},
        {"palette bad.mip out.lmp", "bad.mip", "read", ""},
        {"palette good.mip no/such/folder/out.lmp", "no/such/folder/out.lmp", "write", std::strerror(ENOENT)},
        {"palette good.mip out.xyz", "out.xyz", "write", ""},
        {"palette good.mip locked.lmp", "locked.lmp", "write", "write-protected"},
        {"colormap " + palette + " locked.lmp", "locked.lmp", "write", "write-protected"},
        {"colormap " + palette + " no/such/folder/out.lmp", "no/such/folder/out.lmp", "write", std::strerror(ENOENT)},
    };
    for (const Case &c : cases) {
        const CliResult run = run_vorn_cli(c.arguments, dir);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_NE(run.err.find(std::string("Cannot ") + c.step), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.file), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Unable to"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(".vorn-"), std::string::npos) << run.err;
    }
    EXPECT_EQ(read_bytes(dir + "/locked.lmp"), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

} // namespace
