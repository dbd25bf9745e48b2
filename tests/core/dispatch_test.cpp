#include <cerrno>
#include <cstring>

#include <IL/il.h>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "plugins/plugin_registry.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> split_filter(const std::string &filter)
{
    std::vector<std::string> parts;
    // Pairs of NUL-terminated strings; an empty string ends the list.
    size_t start = 0;
    while (start < filter.size() && filter[start] != '\0') {
        const size_t end = filter.find('\0', start);
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> split_patterns(const std::string &list)
{
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find(';', start);
        patterns.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

// Test plug-ins registered directly in the registry.
int load_calls = 0;
int32_t refusing_load(const char *, Animation *)
{
    ++load_calls;
    return 0;
}
int32_t accepting_load(const char *, Animation *anim)
{
    ++load_calls;
    anim_add_group(anim, "from plug-in");
    return 1;
}
int32_t refusing_palette(const char *, uint8_t *)
{
    ++load_calls;
    return 0;
}

const PluginInfo *make_info(const char *pattern, const char *description)
{
    // One entry and the NULL terminator.
    static std::vector<std::vector<uint8_t>> storage;
    storage.emplace_back(sizeof(PluginInfo) + sizeof(PluginFormat), 0);
    auto *info = reinterpret_cast<PluginInfo *>(storage.back().data());
    info->version = PLUGIN_VERSION;
    info->formats[0] = {pattern, description};
    info->formats[1] = {nullptr, nullptr};
    return info;
}

class DispatchTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        plugin_registry_clear();
        load_calls = 0;
        dir = scratch_dir("dispatch");
    }
    void TearDown() override
    {
        plugin_registry_clear();
        CoreTest::TearDown();
    }
    void add_plugin(const PluginFormatTable *table, const PluginInfo *info)
    {
        PluginRecord record{};
        std::snprintf(record.file_name, sizeof record.file_name, "test%d.so", plugin_count());
        record.formats = table;
        record.info = info;
        ASSERT_TRUE(plugin_register(record));
    }
    // A small RGBA picture in a document of its own, ready to save.
    void make_picture(Animation *target, uint8_t shade)
    {
        Group *group = anim_add_group(target, NO_GROUP_NAME);
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        std::vector<uint8_t> rgba(3 * 2 * 4, shade);
        set_rgba_pixels(3, 2, rgba);
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().find(".vorn-") != std::string::npos)
                names.push_back(entry.path().filename().string());
        return names;
    }
    std::string dir;
};

TEST(ExtensionMatching, ComparesTheTailsFromTheLastDot)
{
    EXPECT_EQ(extension_matches("*.spr", "sprite.spr"), 1);
    EXPECT_EQ(extension_matches("*.spr", "sprite.SPR"), 0);
    EXPECT_EQ(extension_matches("*.spr", "anim.spr32"), 0);
    EXPECT_EQ(extension_matches("*.spr32", "anim.spr32"), 1);
    EXPECT_EQ(extension_matches("palette.lmp", "/x/colors.lmp"), 1);
    EXPECT_EQ(extension_matches("*.bmp", "/some.folder/picture"), 0);
    EXPECT_EQ(extension_matches("*.bmp", "picture"), 0);
    EXPECT_EQ(extension_matches("bmp", "picture.bmp"), 0);
    EXPECT_EQ(extension_matches("*.bmp", "/a.bmp/b.bmp"), 1);
}

TEST(FormatTableRows, SavesThatKeepOnlyTheFirstFrameAreKnownByTheirWriter)
{
    const struct {
        const char *path;
        bool first_frame_only;
    } cases[] = {
        {"a.bmp", true},  {"a.png", true},   {"a.tga", true},  {"pic.lmp", true},  {"palette.lmp", true},
        {"t.mip", true},  {"a.xyz", true},   {"s.spr", false}, {"s.spr32", false}, {"t.wad", false},
        {"m.bsp", false}, {"m.mdl", false},  {"noext", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(save_writes_first_frame_only(c.path), c.first_frame_only) << c.path;
}

TEST(FormatTableRows, FortySevenRowsThenAnEmptyRow)
{
    int rows = 0;
    while (FormatTable[rows].description)
        ++rows;
    EXPECT_EQ(rows, 47);
    EXPECT_STREQ(FormatTable[0].pattern, "*.spr32");
    EXPECT_STREQ(FormatTable[13].description, "Multipage PCX Bitmap (*.dcx)");
    EXPECT_STREQ(FormatTable[13].pattern, "*.cut");
    EXPECT_EQ(FormatTable[47].load_image, nullptr);
    EXPECT_EQ(FormatTable[47].pattern, nullptr);
}

TEST(FormatTableRows, ContentChecksKnowTheirOwnFormatsFiles)
{
    const struct {
        const char *name;
        std::vector<uint8_t> bytes;
        std::vector<std::string> detected_by;
    } cases[] = {
        {"Quake sprite", read_bytes(data_path("spr/librequake_s_explod.spr")), {"*.spr"}},
        // The sprite reader hands a 32-bit sprite on to the 32-bit reader.
        {"32-bit sprite", {'I', 'D', 'S', 'P', 32, 0, 0, 0}, {"*.spr32", "*.spr"}},
        {"sprite of an unknown version", {'I', 'D', 'S', 'P', 3, 0, 0, 0}, {}},
        {"WAD2", read_bytes(data_path("wad/openquartzplus_newbase.wad")), {"*.wad"}},
        {"Quake map", read_bytes(data_path("bsp/ericw_q1_cube.bsp")), {"*.bsp"}},
        {"Half-Life map", read_bytes(data_path("bsp/trenchbroom_hl30.bsp")), {"*.bsp"}},
        {"Quake model", read_bytes(data_path("mdl/trenchbroom_armor.mdl")), {"*.mdl"}},
        {"WAD3", {'W', 'A', 'D', '3', 0, 0, 0, 0}, {"*.wad"}},
        {"PNG", read_bytes(data_path("images/pngsuite_basn3p08.png")), {}},
        {"three bytes", {'I', 'D', 'S'}, {}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> detected;
        for (const FormatDescriptor &format : FormatDescriptors)
            if (format.detect && format.detect(ByteReader(c.bytes)))
                detected.push_back(format.pattern);
        EXPECT_EQ(detected, c.detected_by) << c.name;
    }
}

TEST_F(DispatchTest, SavePaletteFilterIsExact)
{
    static const char literal[] = "Supported\0palette.lmp;*.pal;\0"
                                  "Quake Palette (palette.lmp)\0palette.lmp\0"
                                  "Dr. Halo / Jasc Palette (*.pal)\0*.pal\0"
                                  "All Files(*.*)\0*.*\0";
    // The literal's own terminator is the list's final NUL.
    const std::string expected(literal, sizeof literal);
    EXPECT_EQ(build_file_filter(FILE_OP_SAVE_PALETTE), expected);
}

TEST_F(DispatchTest, LoadImageFilterListsFortyTwoPatterns)
{
    const std::vector<std::string> parts = split_filter(build_file_filter(FILE_OP_LOAD_IMAGE));
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts[0], "Supported");
    const std::vector<std::string> patterns = split_patterns(parts[1]);
    ASSERT_EQ(patterns.size(), 42u);
    EXPECT_EQ(patterns[0], "*.spr32");
    EXPECT_EQ(patterns[2], "*.wad");
    EXPECT_EQ(patterns[3], "*.wad");
    EXPECT_EQ(patterns[5], "*.mip");
    EXPECT_EQ(patterns[6], "*.bsp");
    EXPECT_EQ(patterns[7], "*.mdl");
    EXPECT_EQ(patterns[8], "*.bmp");
    EXPECT_EQ(patterns[9], "*.cut");
    EXPECT_EQ(patterns[11], "*.cut");
    EXPECT_EQ(patterns[38], "*.xpm");
    EXPECT_EQ(patterns[41], "*.zip");
    // Supported, its list, 42 pairs, All Files and its pattern.
    EXPECT_EQ(parts.size(), 2u + 84u + 2u);
    EXPECT_EQ(parts[parts.size() - 2], "All Files(*.*)");
    EXPECT_EQ(parts.back(), "*.*");
}

TEST_F(DispatchTest, SaveImageAndLoadPaletteFilters)
{
    const std::vector<std::string> save = split_patterns(split_filter(build_file_filter(FILE_OP_SAVE_IMAGE))[1]);
    const std::vector<std::string> expected_save = {"*.spr32", "*.spr", "*.spr", "*.wad", "*.wad", "*.lmp",
                                                    "*.mip",   "*.bsp", "*.mdl", "*.bmp", "*.dds", "*.dib", "*.icb", "*.jpg", "*.jpe", "*.jpeg",
                                                    "*.pcx", "*.png", "*.pnm", "*.raw", "*.tga", "*.tif",
                                                    "*.vda", "*.vst"};
    EXPECT_EQ(save, expected_save);
    const std::vector<std::string> palettes =
        split_patterns(split_filter(build_file_filter(FILE_OP_LOAD_PALETTE))[1]);
    const std::vector<std::string> expected_palettes = {"palette.lmp", "*.bmp", "*.dib", "*.gif", "*.lbm",
                                                        "*.pcx", "*.png", "*.act", "*.col", "*.pal"};
    EXPECT_EQ(palettes, expected_palettes);
}

TEST_F(DispatchTest, PluginFormatsComeFirstAndOnlyForTheirOperations)
{
    static const PluginFormatTable load_only = {refusing_load, nullptr, nullptr, nullptr};
    add_plugin(&load_only, make_info("*.foo", "Foo Picture (*.foo)"));
    const std::vector<std::string> open = split_filter(build_file_filter(FILE_OP_LOAD_IMAGE));
    EXPECT_EQ(split_patterns(open[1])[0], "*.foo");
    EXPECT_EQ(open[2], "Foo Picture (*.foo)");
    EXPECT_EQ(open[3], "*.foo");
    const std::string save = build_file_filter(FILE_OP_SAVE_IMAGE);
    EXPECT_EQ(save.find("*.foo"), std::string::npos);
}

TEST_F(DispatchTest, PluginThatRefusesLetsTheRowsAndTheGenericLoaderTry)
{
    static const PluginFormatTable refusing = {refusing_load, nullptr, refusing_palette, nullptr};
    add_plugin(&refusing, make_info("*.foo", "Foo"));
    file_load(data_path("images/pngsuite_basn3p08.png").c_str(), &anim);
    EXPECT_EQ(load_calls, 1);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, NO_GROUP_NAME);
}

TEST_F(DispatchTest, FirstAcceptingPluginWins)
{
    static const PluginFormatTable accepting = {accepting_load, nullptr, nullptr, nullptr};
    static const PluginFormatTable refusing = {refusing_load, nullptr, nullptr, nullptr};
    add_plugin(&refusing, make_info("*.a", "A"));
    add_plugin(&accepting, make_info("*.b", "B"));
    add_plugin(&refusing, make_info("*.c", "C"));
    file_load(data_path("images/pngsuite_basn3p08.png").c_str(), &anim);
    EXPECT_EQ(load_calls, 2);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, "from plug-in");
}

TEST_F(DispatchTest, PaletteLoadOffersPluginsFirstAndReportsTotalFailure)
{
    static const PluginFormatTable refusing = {nullptr, nullptr, refusing_palette, nullptr};
    add_plugin(&refusing, make_info("*.foo", "Foo"));
    uint8_t palette[1024] = {};
    const std::string missing = dir + "/missing.pal";
    EXPECT_EQ(palette_file_load(missing.c_str(), palette), 0);
    EXPECT_EQ(load_calls, 1);
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages().back().icon, MessageIcon::Warning);
}

TEST_F(DispatchTest, SavingWithoutAnyDotAsksNothingAndWritesNothing)
{
    make_picture(&anim, 10);
    // A relative name, so that no dot in the test folder's path interferes.
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    const int saved = file_save("picture", &anim);
    fs::current_path(previous);
    const std::string path = dir + "/picture";
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(message_texts(), std::vector<std::string>{"no file format is known for the extension of picture"});
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DispatchTest, DotInAFolderOnlyReachesTheGenericSaverWhichFails)
{
    make_picture(&anim, 10);
    fs::create_directories(dir + "/some.folder");
    const std::string path = dir + "/some.folder/picture";
    EXPECT_EQ(file_save(path.c_str(), &anim), 0);
    EXPECT_EQ(message_texts(), std::vector<std::string>{"no file format is known for the extension of " + path});
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(dir + "/some.folder"));
}

TEST_F(DispatchTest, SuccessfulSaveReplacesTheFileAndLeavesNoTemporary)
{
    const std::string path = dir + "/out.png";
    write_bytes(path, {'o', 'l', 'd'});
    make_picture(&anim, 77);
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    EXPECT_TRUE(leftovers().empty());
    Animation loaded;
    anim_init(&loaded);
    file_load(path.c_str(), &loaded);
    ASSERT_EQ(loaded.group_count, 1);
    EXPECT_EQ(rgba_of(loaded.groups[0].frames[0].image), std::vector<uint8_t>(24, 77));
    anim_destroy(&loaded);
}

TEST_F(DispatchTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporary)
{
    // The library crashes writing MNG, so the saver refuses it outright.
    const std::string path = dir + "/anim.mng";
    write_bytes(path, {'k', 'e', 'e', 'p'});
    make_picture(&anim, 5);
    EXPECT_EQ(file_save(path.c_str(), &anim), 0);
    EXPECT_EQ(read_bytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Unable to save file in specified format"});
}

TEST_F(DispatchTest, SaveIntoAMissingFolderReportsTheSystemError)
{
    make_picture(&anim, 5);
    const std::string path = dir + "/no/such/folder/out.png";
    EXPECT_EQ(file_save(path.c_str(), &anim), 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("Encountered"), std::string::npos) << ui.messages()[0].text;
}

TEST_F(DispatchTest, ErrorReportPrefersTheLibraryThenTheSystem)
{
    host_clear_errors();
    errno = 0;
    EXPECT_EQ(report_file_error(), 0);
    EXPECT_TRUE(ui.messages().empty());

    errno = ENOENT;
    EXPECT_EQ(report_file_error(), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, format_text("Error %i Encountered: %s", ENOENT, std::strerror(ENOENT)));

    ilLoadImage("/nonexistent/file.png");
    EXPECT_EQ(report_file_error(), 1);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1].text.rfind("Error Encountered: ", 0), 0u);
}

TEST_F(DispatchTest, SavePaletteWithNoMatchingRowReportsIt)
{
    const uint8_t palette[8] = {1, 2, 3, 255, 4, 5, 6, 255};
    palette_file_save((dir + "/colors.act").c_str(), palette, 2);
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Unable to save file in specified format"});
    EXPECT_FALSE(fs::exists(dir + "/colors.act"));
}

TEST_F(DispatchTest, LoadFailuresNameTheFileAndTheirCause)
{
    const std::string missing = dir + "/missing.png";
    EXPECT_EQ(file_load_result(missing.c_str(), &anim).status, LoadStatus::Refused);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(message_texts(),
              std::vector<std::string>{format_text("Error %i Encountered: %s (%s)", ENOENT, std::strerror(ENOENT),
                                                   missing.c_str())});
    ui.clear();
    const std::string garbage = dir + "/garbage.spr";
    write_bytes(garbage, std::vector<uint8_t>(100, 0x5A));
    file_load(garbage.c_str(), &anim);
    EXPECT_EQ(anim.group_count, 0);
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(message_texts(), std::vector<std::string>{garbage + " is not a Quake sprite: its header is damaged"});
    EXPECT_EQ(ui.transcript().find("invalid extension"), std::string::npos) << ui.transcript();
}

TEST_F(DispatchTest, QuakeNamesOnOtherContentSayWhatTheFileIsInOneMessage)
{
    auto bytes = [](const char *magic, size_t size) {
        std::vector<uint8_t> b(size, 1);
        std::memcpy(b.data(), magic, std::strlen(magic));
        return b;
    };
    struct Case {
        const char *name;
        std::vector<uint8_t> content;
        const char *message; // after the path
    };
    const Case cases[] = {
        {"q2.spr", bytes("IDS2", 300), " is not a Quake sprite (it is a Quake 2 sprite (IDS2), which Vorn cannot read)"},
        {"hl.spr", bytes("WAD3", 300), " is not a Quake sprite (it is a Half-Life WAD3 archive)"},
        {"pak.wad", bytes("PACK", 300), " is not a Quake WAD2 archive (it is a Quake pak archive)"},
        {"palette.lmp", bytes("\xff\xff\xff\x7f", 768),
         " is not a Quake picture (it is a raw 768-byte palette: open it with the palette editor)"},
        {"short.lmp", bytes("\xff\xff\xff\x7f", 192),
         " is not a Quake picture (it is a raw palette of 64 colours: open it with the palette editor)"},
        {"model.mip", bytes("IDPO", 300), " is not a Quake texture (it is a Quake model)"},
    };
    for (const Case &c : cases) {
        const std::string path = dir + "/" + c.name;
        write_bytes(path, c.content);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        EXPECT_EQ(file_load_result(path.c_str(), &loaded).status, LoadStatus::Refused);
        EXPECT_EQ(loaded.group_count, 0) << c.name;
        EXPECT_EQ(message_texts(), std::vector<std::string>{path + c.message}) << c.name;
        anim_destroy(&loaded);
    }
}

TEST_F(DispatchTest, AShortPaletteLmpLoadsAsAPaletteOfItsColours)
{
    std::vector<uint8_t> rgb(64 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 5 + 1);
    write_bytes(dir + "/small.lmp", rgb);
    uint8_t palette[1024] = {};
    ASSERT_EQ(palette_file_load((dir + "/small.lmp").c_str(), palette), 64) << ui.transcript();
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(palette[i * 4], rgb[i * 3]) << i;
        EXPECT_EQ(palette[i * 4 + 2], rgb[i * 3 + 2]) << i;
        EXPECT_EQ(palette[i * 4 + 3], 255) << i;
    }
    // A picture of exactly that size is not a palette.
    std::vector<uint8_t> picture = {4, 0, 0, 0, 46, 0, 0, 0};
    picture.resize(8 + 4 * 46, 9);
    ASSERT_EQ(picture.size() % 3, 0u);
    write_bytes(dir + "/picture.lmp", picture);
    EXPECT_NE(palette_file_load((dir + "/picture.lmp").c_str(), palette), 64);
}

} // namespace
