// The INI module, the 23 settings with their defaults, the image-library
// values, the settings-file location and the shut-down.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/logic/ini_file.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "platform/program_folder.h"
#include "image/host_table.h"
#include "plugins/plugin_registry.h"
#include "support/test_support.h"

namespace {

std::string read_text(const std::string &path)
{
    const std::vector<uint8_t> bytes = read_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void write_text(const std::string &path, const std::string &text)
{
    write_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

const char *const KEY_ORDER[SETTINGS_KEY_COUNT] = {
    "Toolbar", "Statusbar", "GifHack", "JpegQuality", "RleCompress", "PaletteGlobal", "PaletteMaintainIndex",
    "Color1", "Color2", "Color3", "Color4", "Color5", "Color6", "Color7", "Color8", "Color9", "Color10",
    "Color11", "Color12", "Color13", "Color14", "Color15", "Color16", "ClearColor",
};

// ---- INI module -------------------------------------------------------------

TEST(IniFile, MissingKeyOrSectionGivesDefault)
{
    IniFile ini;
    ini.parse("[VORN]\nToolbar=0\n[OTHER]\nStatusbar=0\n");
    EXPECT_EQ(ini.get_int("VORN", "Toolbar", 5), 0);
    EXPECT_EQ(ini.get_int("VORN", "Statusbar", 5), 5) << "a key of another section does not count";
    EXPECT_EQ(ini.get_int("NOPE", "Toolbar", 6), 6);
}

TEST(IniFile, IntegerRulesOfPrivateProfiles)
{
    IniFile ini;
    ini.parse("[VORN]\nneg=-5\nspaced =  42  \njunk=abc\ntail=17px\nempty=\nplus=+8\nhuge=99999999999\n");
    EXPECT_EQ(ini.get_int("VORN", "neg", 3), 0);
    EXPECT_EQ(ini.get_int("VORN", "spaced", 3), 42);
    EXPECT_EQ(ini.get_int("VORN", "junk", 3), 0);
    EXPECT_EQ(ini.get_int("VORN", "tail", 3), 17);
    EXPECT_EQ(ini.get_int("VORN", "empty", 3), 3);
    EXPECT_EQ(ini.get_int("VORN", "plus", 3), 8);
    EXPECT_EQ(ini.get_int("VORN", "huge", 3), 2147483647);
}

TEST(IniFile, NamesIgnoreCase)
{
    IniFile ini;
    ini.parse("[vorn]\r\ntoolBAR=0\r\n");
    EXPECT_EQ(ini.get_int("VORN", "Toolbar", 1), 0);
    ini.set("VORN", "TOOLBAR", "1");
    EXPECT_EQ(ini.text(), "[vorn]\nTOOLBAR=1\n") << "the key is replaced, not added";
}

TEST(IniFile, WritingKeepsOtherKeysSectionsAndComments)
{
    IniFile ini;
    ini.parse("; my settings\n[First]\na=1\n\n[VORN]\nToolbar=1\nMine=yes\n\n[Last]\nb=2\n");
    ini.set("VORN", "Toolbar", "0");
    ini.set("VORN", "Statusbar", "1");
    ini.set("New", "k", "v");
    EXPECT_EQ(ini.text(), "; my settings\n[First]\na=1\n\n[VORN]\nToolbar=0\nMine=yes\nStatusbar=1\n\n"
                          "[Last]\nb=2\n\n[New]\nk=v\n");
}

TEST(IniFile, FileRoundTripAndMissingFile)
{
    const std::string dir = scratch_dir("ini_file");
    const std::string path = dir + "/x.ini";
    EXPECT_EQ(ini_read_int(path, "VORN", "Toolbar", 9), 9);
    ASSERT_TRUE(ini_write_string(path, "VORN", "Toolbar", "4"));
    ASSERT_TRUE(ini_write_string(path, "VORN", "Other", "5"));
    EXPECT_EQ(ini_read_int(path, "VORN", "Toolbar", 9), 4);
    EXPECT_EQ(read_text(path), "[VORN]\nToolbar=4\nOther=5\n");
    EXPECT_FALSE(ini_write_string(dir + "/no/such/folder/x.ini", "VORN", "Toolbar", "1"));
    // Only the file itself is left in the folder (no temporary files).
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// ---- Settings --------------------------------------------------------------------

class SettingsTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings() = Settings{};
        dir = scratch_dir("settings");
        path = dir + "/vorn.ini";
    }
    void TearDown() override
    {
        settings() = Settings{};
        // Back to the library's usual values for the tests that follow.
        host().set_save_option(SAVE_OPTION_JPEG_QUALITY, 99);
        host().set_save_option(SAVE_OPTION_BMP_RLE, 0);
        CoreTest::TearDown();
    }

    std::string dir;
    std::string path;
};

TEST_F(SettingsTest, NoFileGivesDefaultsAndWritesThemBackExactly)
{
    load_settings_from(path);
    const Settings &s = settings();
    EXPECT_EQ(s.toolbar, 1);
    EXPECT_EQ(s.statusbar, 1);
    EXPECT_EQ(s.gif_hack, 1);
    EXPECT_EQ(s.jpeg_quality, 99);
    EXPECT_EQ(s.rle_compress, 0);
    EXPECT_EQ(s.palette_global, 1);
    EXPECT_EQ(s.palette_maintain_index, 0);
    for (int32_t c : s.custom_colors)
        EXPECT_EQ(c, 16777215);
    EXPECT_EQ(s.clear_color, 16711935);

    save_settings_to(path);
    std::string expected = "[VORN]\nToolbar=1\nStatusbar=1\nGifHack=1\nJpegQuality=99\nRleCompress=0\n"
                           "PaletteGlobal=1\nPaletteMaintainIndex=0\n";
    for (int i = 1; i <= 16; ++i)
        expected += "Color" + std::to_string(i) + "=16777215\n";
    expected += "ClearColor=16711935\nCheckerboard=1\nPixelGrid=0\nAlignFrames=0\nGroupBrowser=0\nFrameStrip=1\nPalettePanel=1\nFullbrightPixels=0\nTiled=0\nOnionSkin=0\nOnionOpacity=30\nLightLevel=32\nGameEffects=0\nZoomFitOnOpen=1\n";
    EXPECT_EQ(read_text(path), expected) << "no recent files: no section for them";
}

TEST_F(SettingsTest, ValuesSurviveARoundTrip)
{
    Settings &s = settings();
    s.toolbar = 0;
    s.statusbar = 0;
    s.gif_hack = 0;
    s.palette_global = 0;
    s.palette_maintain_index = 1;
    for (int i = 0; i < CUSTOM_COLOR_COUNT; ++i)
        s.custom_colors[i] = 0x010203 * (i + 1);
    s.clear_color = 0x123456;
    s.checkerboard = 0;
    s.pixel_grid = 1;
    s.align_frames = 1;
    s.group_browser = 1;
    s.frame_strip = 0;
    s.zoom_fit_on_open = 0;
    // These two live in the image library and are read back from it.
    host().set_save_option(SAVE_OPTION_JPEG_QUALITY, 42);
    host().set_save_option(SAVE_OPTION_BMP_RLE, 1);
    save_settings_to(path);

    settings() = Settings{};
    host().set_save_option(SAVE_OPTION_JPEG_QUALITY, 99);
    host().set_save_option(SAVE_OPTION_BMP_RLE, 0);
    load_settings_from(path);
    EXPECT_EQ(s.toolbar, 0);
    EXPECT_EQ(s.statusbar, 0);
    EXPECT_EQ(s.gif_hack, 0);
    EXPECT_EQ(s.jpeg_quality, 42);
    EXPECT_EQ(s.rle_compress, 1);
    EXPECT_EQ(s.palette_global, 0);
    EXPECT_EQ(s.palette_maintain_index, 1);
    for (int i = 0; i < CUSTOM_COLOR_COUNT; ++i)
        EXPECT_EQ(s.custom_colors[i], 0x010203 * (i + 1)) << i;
    EXPECT_EQ(s.clear_color, 0x123456);
    EXPECT_EQ(s.checkerboard, 0);
    EXPECT_EQ(s.pixel_grid, 1);
    EXPECT_EQ(s.align_frames, 1);
    EXPECT_EQ(s.group_browser, 1);
    EXPECT_EQ(s.frame_strip, 0);
    EXPECT_EQ(s.zoom_fit_on_open, 0);
    EXPECT_EQ(host().get_save_option(SAVE_OPTION_JPEG_QUALITY), 42) << "applied to the image library";
    EXPECT_EQ(host().get_save_option(SAVE_OPTION_BMP_RLE), 1);
}

TEST_F(SettingsTest, RecentFilesKeepTheirOrderAndDropWhatCannotBeStored)
{
    std::vector<std::string> &recent = settings().recent_files;
    for (int i = 0; i < 12; ++i)
        recent.push_back("/art/f" + std::to_string(i) + ".spr");
    recent.insert(recent.begin() + 1, "/art/two\nlines.spr");
    save_settings_to(path);
    settings() = Settings{};
    load_settings_from(path);
    ASSERT_EQ(recent.size(), 10u) << "at most ten, the line break skipped";
    for (size_t i = 0; i < recent.size(); ++i)
        EXPECT_EQ(recent[i], "/art/f" + std::to_string(i) + ".spr");

    // A shorter list leaves no stale entries behind.
    recent.resize(2);
    save_settings_to(path);
    IniFile ini;
    ini.parse(read_text(path));
    std::string value;
    EXPECT_TRUE(ini.get(RECENT_FILES_SECTION, "File2", value));
    EXPECT_FALSE(ini.get(RECENT_FILES_SECTION, "File3", value));
    EXPECT_FALSE(ini.get(RECENT_FILES_SECTION, "File10", value));
}

TEST_F(SettingsTest, NegativeValueReadsAsZero)
{
    write_text(path, "[VORN]\nToolbar=-1\nColor3=-16777215\nJpegQuality=-20\n");
    load_settings_from(path);
    EXPECT_EQ(settings().toolbar, 0);
    EXPECT_EQ(settings().custom_colors[2], 0);
    EXPECT_EQ(settings().jpeg_quality, 0);
    EXPECT_EQ(settings().statusbar, 1) << "keys that are missing keep their default";
}

TEST_F(SettingsTest, SavingKeepsOtherSectionsAndKeys)
{
    write_text(path, "[Window]\nx=10\ny=20\n\n[VORN]\nToolbar=0\nFavourite=blue\n");
    load_settings_from(path);
    save_settings_to(path);
    const std::string text = read_text(path);
    EXPECT_EQ(text.rfind("[Window]\nx=10\ny=20\n\n[VORN]\nToolbar=0\nFavourite=blue\nStatusbar=1\n", 0), 0u) << text;
    IniFile ini;
    ini.parse(text);
    for (const char *key : KEY_ORDER)
        EXPECT_NE(ini.get_int("VORN", key, -123), -123) << key;
    EXPECT_EQ(ini.get_int("Window", "y", 0), 20);
}

TEST_F(SettingsTest, ClearColourChannelsAreSplitFromTheColourReference)
{
    // Red in the low byte: the clear colour fills a canvas enlarged by the
    // library, so an enlarged 1x1 image shows it.
    write_text(path, "[VORN]\nClearColor=16744448\n"); // 0xFF8000: red 0, green 128, blue 255
    load_settings_from(path);
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_rgba_pixels(1, 1, {1, 2, 3, 255});
    ASSERT_EQ(host().enlarge_canvas(2, 1), 1);
    const std::vector<uint8_t> rgba = rgba_of(image);
    host().delete_image(image);
    ASSERT_EQ(rgba.size(), 8u);
    EXPECT_EQ(rgba[4], 0);
    EXPECT_EQ(rgba[5], 128);
    EXPECT_EQ(rgba[6], 255);
    // Restore the usual magenta for the tests that follow.
    load_settings_from(dir + "/none.ini");
}

TEST(SettingsLocation, BesideTheProgramWhenWritableOrPresent)
{
    EXPECT_EQ(settings_file_path_for("/opt/vorn", false, true, "/x", "/home/u"), "/opt/vorn/vorn.ini");
    EXPECT_EQ(settings_file_path_for("/opt/vorn", true, false, "/x", "/home/u"), "/opt/vorn/vorn.ini");
}

TEST(SettingsLocation, ConfigHomeOtherwise)
{
    EXPECT_EQ(settings_file_path_for("/usr/bin", false, false, "/cfg", "/home/u"), "/cfg/vorn/vorn.ini");
    EXPECT_EQ(settings_file_path_for("/usr/bin", false, false, nullptr, "/home/u"), "/home/u/.config/vorn/vorn.ini");
    EXPECT_EQ(settings_file_path_for("/usr/bin", false, false, "", "/home/u"), "/home/u/.config/vorn/vorn.ini");
    EXPECT_EQ(settings_file_path_for("/usr/bin", false, false, "relative", "/home/u"),
              "/home/u/.config/vorn/vorn.ini");
}

TEST_F(SettingsTest, SavingUnderConfigHomeCreatesTheFolder)
{
    const std::string target = dir + "/config/vorn/vorn.ini";
    save_settings_to(target);
    IniFile ini;
    ini.load(target);
    EXPECT_EQ(ini.get_int("VORN", "JpegQuality", 0), 99);
}

// ---- Shut-down ----------------------------------------------------------------------

class ShutdownTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        saved_folder = program_folder();
        set_program_folder(dir);
        doc_reset();
        Group *g = anim_add_group(&doc_state().animation, "a");
        group_append_frame(g);
    }
    void TearDown() override
    {
        doc_reset();
        plugin_registry_clear();
        set_program_folder(saved_folder);
        SettingsTest::TearDown();
    }

    std::string saved_folder;
};

TEST_F(ShutdownTest, DecliningKeepsRunningAndWritesNothing)
{
    doc_begin_edit(1);
    ui.queue_answer(false);
    int exits = 0;
    EXPECT_EQ(shutdown_program([&exits](int) { ++exits; }), 0);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(doc_state().animation.group_count, 1);
    EXPECT_EQ(doc_state().modified, 1);
    struct stat st;
    EXPECT_NE(stat(path.c_str(), &st), 0) << "vorn.ini must not be written";
}

TEST_F(ShutdownTest, AcceptingWritesSettingsReleasesPluginsAndExitsWithOne)
{
    doc_begin_edit(1);
    settings().toolbar = 0;
    PluginRecord fake{};
    ASSERT_TRUE(plugin_register(fake));
    ui.queue_answer(true);
    std::vector<int> codes;
    EXPECT_EQ(shutdown_program([&codes](int code) { codes.push_back(code); }), 1);
    // The image library is shut down now; bring it back for the other tests.
    host().initialise();
    EXPECT_EQ(codes, std::vector<int>{1});
    EXPECT_EQ(plugin_count(), 0);
    EXPECT_EQ(doc_state().animation.group_count, 0);
    EXPECT_EQ(ini_read_int(path, "VORN", "Toolbar", 7), 0);
}

} // namespace
