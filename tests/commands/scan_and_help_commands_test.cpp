// File > TWAIN (scanning through SANE's test back-end) and Help > Contents.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/commands/edit_commands.h"
#include "app/commands/file_commands.h"
#include "app/commands/help_commands.h"
#include "commands_fixture.h"
#include "platform/program_folder.h"
#include "platform/scanner.h"

namespace {

// The scanner library reads its configuration once per process: every case
// here uses the same one, set before the first start.
class ScanCommands : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        static const std::string dir = [] {
            const std::string folder = std::string(VORN_BINARY_DIR) + "/test-sane-commands";
            std::filesystem::create_directories(folder);
            std::ofstream(folder + "/dll.conf") << "test\n";
            std::ofstream(folder + "/test.conf")
                << "number_of_devices 2\nresolution 25\ntest-picture \"Color pattern\"\n";
            return folder;
        }();
        setenv("SANE_CONFIG_DIR", dir.c_str(), 1);
        scanner_choose_device("");
    }
};

TEST_F(ScanCommands, AcquireIntoAnEmptyDocumentMakesAGroupWithTheScanAndUndoTakesItBack)
{
    file_acquire(window);
    ASSERT_EQ(doc().animation.group_count, 1) << ui.transcript();
    EXPECT_STREQ(doc().animation.groups[0].name, "[no group]");
    ASSERT_EQ(doc().animation.groups[0].frame_count, 1);
    const uint32_t image = doc().animation.groups[0].frames[0].image;
    // 80 x 100 mm at 25 dots per inch.
    EXPECT_NEAR(image_width(image), 80 / 25.4 * 25, 1.0);
    EXPECT_NEAR(image_height(image), 100 / 25.4 * 25, 1.0);
    EXPECT_TRUE(doc().modified);
    ASSERT_TRUE(doc().undo_available);

    edit_undo(window);
    ASSERT_EQ(doc().animation.group_count, 1);
    EXPECT_LT(image_width(doc().animation.groups[0].frames[0].image), 10);
}

TEST_F(ScanCommands, ACancelledScanLeavesTheDocumentAsItWas)
{
    add_group("torch", 2);
    doc().current_frame = 1;
    settle();
    const std::vector<uint8_t> before = rgba_of(doc().animation.groups[0].frames[1].image);
    ui.cancel_scans(true);
    file_acquire(window);
    EXPECT_EQ(rgba_of(doc().animation.groups[0].frames[1].image), before);
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

TEST_F(ScanCommands, SelectSourceChoosesTheDeviceLaterScansUse)
{
    ui.queue_scanner_choice("test:1");
    file_select_source(window);
    EXPECT_EQ(scanner_chosen_device(), "test:1");
    // A device that has gone away: a message, nothing changed.
    scanner_choose_device("test:7");
    file_acquire(window);
    EXPECT_EQ(doc().animation.group_count, 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("test:7"), std::string::npos) << ui.messages()[0].text;
}

using HelpCommands = CommandsTest;

TEST_F(HelpCommands, ContentsOpensTheStartPageAndReportsWhatFails)
{
    help_contents(window);
    ASSERT_EQ(ui.opened_pages(), std::vector<std::string>{help_start_page()});
    EXPECT_TRUE(read_bytes(help_start_page()).size() > 0) << help_start_page();
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();

    ui.set_browser_works(false);
    help_contents(window);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find(help_start_page()), std::string::npos) << ui.messages()[0].text;

    const std::string previous = program_folder();
    set_program_folder(scratch_dir("no-help"));
    help_contents(window);
    const std::string missing = help_start_page();
    set_program_folder(previous);
    EXPECT_EQ(ui.opened_pages().size(), 2u);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_NE(ui.messages()[1].text.find(missing), std::string::npos) << ui.messages()[1].text;
}

} // namespace
