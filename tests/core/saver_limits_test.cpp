// Writers refuse frames they cannot write, with a message, before they
// convert or write anything: oversized frames, layered images, documents
// whose first group is empty. Nothing crashes and no file is left behind.
#include <filesystem>
#include <string>
#include <vector>

#include <IL/il.h>
#include <sys/wait.h>

#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "image/image_limits.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

const std::vector<std::string> EVERY_WRITER = {".spr", ".spr32", ".wad", ".lmp", ".mip", ".png", ".tga",
                                               ".pcx", ".bmp",  ".jpg",   ".tif", ".dds", ".sgi"};

class SaverLimits : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("saver_limits");
    }

    // One group, one frame, made by `make` on the frame's bound image.
    template <typename Make> void one_frame(Make make)
    {
        Group *group = anim_add_group(&anim, NO_GROUP_NAME);
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        make();
    }

    // Saves to every writer; each must refuse with a message and write nothing.
    void expect_every_writer_refuses(const std::string &what, const std::string &expected_text)
    {
        for (const std::string &ext : EVERY_WRITER) {
            SCOPED_TRACE(what + " to " + ext);
            ui.clear();
            const std::string path = dir + "/out" + ext;
            EXPECT_EQ(file_save(path.c_str(), &anim), 0);
            ASSERT_FALSE(ui.messages().empty());
            const std::string first = ui.messages()[0].text;
            EXPECT_NE(first.find(expected_text), std::string::npos) << first;
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        // Nothing but the refused targets' folder is left: no temporary files.
        EXPECT_TRUE(std::filesystem::is_empty(dir));
    }

    std::string dir;
};

TEST_F(SaverLimits, OversizedFrameIsRefusedByEveryWriter)
{
    one_frame([] {
        std::vector<uint8_t> indexes(40000, 3);
        ilTexImage(40000, 1, 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE, indexes.data());
        std::vector<uint8_t> palette(256 * 4, 128);
        ilRegisterPal(palette.data(), static_cast<ILuint>(palette.size()), IL_PAL_RGBA32);
    });
    expect_every_writer_refuses("40000x1", "is 40000x1 pixels");
}

TEST_F(SaverLimits, FrameBeyondTheQuakeLimitIsRefusedByTheQuakeWritersOnly)
{
    one_frame([] { set_rgba_pixels(16388, 1, std::vector<uint8_t>(16388 * 4, 9)); });
    for (const char *ext : {".spr", ".spr32", ".wad", ".lmp", ".mip"}) {
        SCOPED_TRACE(ext);
        ui.clear();
        EXPECT_EQ(file_save((dir + "/q" + ext).c_str(), &anim), 0);
        ASSERT_FALSE(ui.messages().empty());
        EXPECT_NE(ui.messages()[0].text.find("sides of 1 to 16384 pixels"), std::string::npos);
    }
    ui.clear();
    EXPECT_EQ(file_save((dir + "/wide.png").c_str(), &anim), 1);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SaverLimits, LayeredImageIsRefusedByEveryWriter)
{
    one_frame([] {
        std::vector<uint8_t> rgba(4 * 4 * 2 * 4, 77);
        ilTexImage(4, 4, 2, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
    });
    expect_every_writer_refuses("4x4x2", "has 2 layers");
}

TEST_F(SaverLimits, DocumentWhoseFirstGroupIsEmptyIsRefusedWithAMessage)
{
    anim_add_group(&anim, "empty");
    Group *second = anim_add_group(&anim, "second");
    group_reset_frames(second, 1);
    host().bind_image(second->frames[0].image);
    set_rgba_pixels(4, 4, std::vector<uint8_t>(64, 1));
    for (const std::string &ext : EVERY_WRITER) {
        SCOPED_TRACE(ext);
        ui.clear();
        EXPECT_EQ(file_save((dir + "/e" + ext).c_str(), &anim), 0);
        EXPECT_FALSE(ui.messages().empty());
    }
}

TEST_F(SaverLimits, BatchToolExitsWithOneWhenTheTargetCannotHoldTheFrame)
{
    one_frame([] { set_rgba_pixels(20000, 1, std::vector<uint8_t>(20000 * 4, 200)); });
    const std::string wide = dir + "/wide.png";
    ASSERT_EQ(generic_image_save(wide.c_str(), &anim), 1);
    for (const char *ext : {".spr", ".spr32", ".wad", ".lmp", ".mip"}) {
        SCOPED_TRACE(ext);
        const std::string out = dir + "/out" + ext;
        const std::string command = std::string(VORN_CLI_PATH) + " convert '" + wide + "' '" + out + "' --yes 2>'"
                                    + dir + "/err.txt'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::vector<uint8_t> err = read_bytes(dir + "/err.txt");
        EXPECT_NE(std::string(err.begin(), err.end()).find("20000x1 pixels"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(SaverLimits, ReadAllowanceBoundsZeroFillAndBudget)
{
    ReadAllowance allowance(1000);
    EXPECT_TRUE(allowance.take(600, 600));
    EXPECT_FALSE(allowance.take(500, 500)); // past the budget
    EXPECT_FALSE(allowance.over_zero_fill());
    EXPECT_EQ(allowance.kept(), 600u);

    ReadAllowance fill;
    EXPECT_TRUE(fill.take(MAX_ZERO_FILL, 0));
    EXPECT_FALSE(fill.take(1, 0));
    EXPECT_TRUE(fill.over_zero_fill());
    EXPECT_NE(fill.why(4, 4, 16, 0).find("16 MiB may be missing"), std::string::npos);
    // Bytes the file does hold cost no zero fill.
    EXPECT_TRUE(fill.take(1, 1));
    EXPECT_EQ(fill.zero_filled(), MAX_ZERO_FILL);
}

} // namespace
