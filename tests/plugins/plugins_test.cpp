// The plug-in loader with real shared libraries built from C against the
// plug-in header alone: discovery order, refusals and their messages, the
// dispatch and the dialog filters, memory that crosses the boundary, and
// the batch tool loading plug-ins from beside itself.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <sys/wait.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "platform/program_folder.h"
#include "image/host_table.h"
#include "plugins/plugin_loader.h"
#include "plugins/plugin_registry.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string case_folder(const std::string &name) { return std::string(VORN_TEST_PLUGIN_ROOT) + "/" + name; }
std::string plugin_path(const std::string &test_case, const std::string &file)
{
    return case_folder(test_case) + "/plugins/" + file;
}

// True while the library at `path` is mapped into the process.
bool library_loaded(const std::string &path)
{
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

// A made-up picture: "MKUP", width, height, shade.
void write_made_up(const std::string &path, uint8_t w, uint8_t h, uint8_t shade)
{
    write_bytes(path, {'M', 'K', 'U', 'P', w, h, shade});
}

class PluginTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        unload_plugins();
        dir = scratch_dir("plugins");
    }
    void TearDown() override
    {
        unload_plugins();
        CoreTest::TearDown();
    }

    std::vector<std::string> registered_names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < plugin_count(); ++i)
            names.emplace_back(plugin_record(i).file_name);
        return names;
    }

    std::string dir;
};

// ---- Discovery and refusals -----------------------------------------------------

TEST_F(PluginTest, NoPluginsFolderLoadsNothingSilently)
{
    load_plugins_from(dir + "/does-not-exist");
    EXPECT_EQ(plugin_count(), 0);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PluginTest, RefusalsAreReportedInFileOrderAndOnlyTheGoodOneStays)
{
    const std::string folder = case_folder("mixed") + "/plugins";
    // A file with the right name that is no library at all is skipped too.
    write_bytes(dir + "/junk.so", {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    load_plugins_from(folder);
    load_plugins_from(dir);
    EXPECT_EQ(message_texts(), (std::vector<std::string>{
                                   "Plugin a_bad_version.so is not for this version of Vorn",
                                   "Plugin b_no_api.so does not have a valid api structure",
                               }));
    for (const auto &m : ui.messages())
        EXPECT_EQ(m.icon, MessageIcon::Warning);
    EXPECT_EQ(registered_names(), std::vector<std::string>{"d_made_up.so"});
    EXPECT_FALSE(library_loaded(folder + "/a_bad_version.so"));
    EXPECT_FALSE(library_loaded(folder + "/b_no_api.so"));
    EXPECT_FALSE(library_loaded(folder + "/c_no_info.so"));
    EXPECT_TRUE(library_loaded(folder + "/d_made_up.so"));
}

TEST_F(PluginTest, WrongVersionIsReportedAndUnloaded)
{
    set_program_folder(case_folder("version"));
    load_plugins();
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Plugin old_version.so is not for this version of Vorn"});
    EXPECT_EQ(plugin_count(), 0);
    EXPECT_FALSE(library_loaded(plugin_path("version", "old_version.so")));
}

TEST_F(PluginTest, MissingApiIsReported)
{
    load_plugins_from(case_folder("noapi") + "/plugins");
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Plugin no_api.so does not have a valid api structure"});
    EXPECT_EQ(plugin_count(), 0);
}

TEST_F(PluginTest, OrdinaryLibraryIsSkippedSilently)
{
    load_plugins_from(case_folder("noinfo") + "/plugins");
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(plugin_count(), 0);
    EXPECT_FALSE(library_loaded(plugin_path("noinfo", "ordinary.so")));
}

TEST_F(PluginTest, FullTableRefusesEachFurtherPlugin)
{
    PluginRecord fake{};
    for (int i = 0; i < MAX_PLUGINS; ++i)
        ASSERT_TRUE(plugin_register(fake));
    load_plugins_from(case_folder("winner") + "/plugins");
    EXPECT_EQ(message_texts(), (std::vector<std::string>{"Error Encountered: Too many plugins",
                                                         "Error Encountered: Too many plugins"}));
    EXPECT_EQ(plugin_count(), MAX_PLUGINS);
    EXPECT_FALSE(library_loaded(plugin_path("winner", "a_first.so")));
}

TEST_F(PluginTest, UnloadReleasesEveryLibrary)
{
    load_plugins_from(case_folder("winner") + "/plugins");
    ASSERT_EQ(registered_names(), (std::vector<std::string>{"a_first.so", "b_second.so"}));
    EXPECT_TRUE(library_loaded(plugin_path("winner", "b_second.so")));
    unload_plugins();
    EXPECT_EQ(plugin_count(), 0);
    EXPECT_FALSE(library_loaded(plugin_path("winner", "a_first.so")));
    EXPECT_FALSE(library_loaded(plugin_path("winner", "b_second.so")));
}

// ---- Dispatch and filters ------------------------------------------------------------

TEST_F(PluginTest, FirstPluginInOrderWinsOverTheBuiltInRows)
{
    load_plugins_from(case_folder("winner") + "/plugins");
    // The name says .lmp, which a built-in row reads; the plug-ins come first.
    const std::string path = dir + "/picture.lmp";
    write_made_up(path, 5, 3, 77);
    file_load(path.c_str(), &anim);
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, "first");
    ASSERT_EQ(anim.groups[0].frame_count, 1);
    const uint32_t image = anim.groups[0].frames[0].image;
    EXPECT_EQ(image_width(image), 5);
    EXPECT_EQ(image_height(image), 3);
    EXPECT_EQ(rgba_of(image)[0], 77);
}

TEST_F(PluginTest, FilesThePluginsRefuseGoToTheBuiltInFormats)
{
    load_plugins_from(case_folder("winner") + "/plugins");
    Animation picture;
    anim_init(&picture);
    Group *g = anim_add_group(&picture, NO_GROUP_NAME);
    const int k = group_append_frame(g);
    host().bind_image(g->frames[k].image);
    set_rgba_pixels(4, 2, std::vector<uint8_t>(32, 60));
    const std::string path = dir + "/plain.png";
    ASSERT_EQ(file_save(path.c_str(), &picture), 1);
    anim_destroy(&picture);
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STRNE(anim.groups[0].name, "first");
    EXPECT_EQ(image_width(anim.groups[0].frames[0].image), 4);
}

TEST_F(PluginTest, LoadOnlyPluginIsOfferedForOpeningOnly)
{
    load_plugins_from(case_folder("winner") + "/plugins");
    const std::string open = build_file_filter(FILE_OP_LOAD_IMAGE);
    const std::string save = build_file_filter(FILE_OP_SAVE_IMAGE);
    const size_t made_up = open.find("*.mkup");
    ASSERT_NE(made_up, std::string::npos);
    EXPECT_LT(made_up, open.find(FormatTable[0].pattern)) << "plug-in formats are listed first";
    EXPECT_NE(open.find(std::string("Made-up Picture (*.mkup)") + '\0' + "*.mkup"), std::string::npos);
    EXPECT_EQ(save.find("*.mkup"), std::string::npos);
    EXPECT_EQ(build_file_filter(FILE_OP_LOAD_PALETTE).find("*.mkup"), std::string::npos);
}

TEST_F(PluginTest, PluginWithTwoFormatsListsBoth)
{
    set_program_folder(case_folder("malloc"));
    load_plugins();
    const std::string save = build_file_filter(FILE_OP_SAVE_IMAGE);
    EXPECT_NE(save.find(std::string("Groups (*.grp)") + '\0' + "*.grp" + '\0'), std::string::npos);
    EXPECT_NE(save.find(std::string("More Groups (*.grp2)") + '\0' + "*.grp2"), std::string::npos);
}

// ---- Memory across the boundary ---------------------------------------------------------

TEST_F(PluginTest, HostFreesWhatThePluginAllocated)
{
    load_plugins_from(case_folder("malloc") + "/plugins");
    const std::string path = dir + "/two.grp";
    write_bytes(path, {'G', 'R', 'P'});
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 2);
    EXPECT_STREQ(props_get_string(&anim.props, "Comment"), "made by a plug-in");
    for (int g = 0; g < 2; ++g) {
        const Group &group = anim.groups[g];
        EXPECT_EQ(std::string(group.name), "group " + std::to_string(g));
        EXPECT_EQ(props_get_int(&group.props, "Index"), g);
        ASSERT_EQ(group.frame_count, 2);
        for (int f = 0; f < 2; ++f) {
            EXPECT_EQ(image_width(group.frames[f].image), 2 + f);
            EXPECT_EQ(image_height(group.frames[f].image), 2 + g);
            EXPECT_EQ(std::string(props_get_string(&group.frames[f].props, "Label")),
                      "frame " + std::to_string(g) + "." + std::to_string(f));
            EXPECT_EQ(props_get_int(&group.frames[f].props, "Number"), g * 10 + f);
        }
    }
    // A deep copy and the destruction of both go through the host's
    // allocator; the sanitizer build reports any leak or mismatch.
    Animation copy;
    anim_copy(&anim, &copy);
    anim_destroy(&copy);
    anim_destroy(&anim);
    EXPECT_EQ(anim.group_count, 0);
}

TEST_F(PluginTest, SaveGoesThroughThePluginAndReplacesTheFile)
{
    load_plugins_from(case_folder("malloc") + "/plugins");
    const std::string source = dir + "/in.grp";
    write_bytes(source, {'G', 'R', 'P'});
    file_load(source.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 2);
    const std::string target = dir + "/out.grp";
    write_bytes(target, {'o', 'l', 'd'});
    ASSERT_EQ(file_save(target.c_str(), &anim), 1);
    const std::vector<uint8_t> bytes = read_bytes(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "GRP 2 groups\n");
    // No temporary file is left behind.
    int files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

// ---- The batch tool -----------------------------------------------------------------------

TEST_F(PluginTest, BatchToolLoadsPluginsFromBesideItself)
{
    // A program folder of its own: the tool, its palette and one plug-in.
    const fs::path program(dir + "/program");
    fs::create_directories(program / "plugins");
    fs::copy_file(VORN_CLI_PATH, program / "vorn-cli");
    fs::copy_file(fs::path(VORN_CLI_PATH).parent_path() / "palette.lmp", program / "palette.lmp");
    fs::copy_file(plugin_path("cli", "made_up.so"), program / "plugins" / "made_up.so");
    const std::string picture = dir + "/shot.mkup";
    write_made_up(picture, 6, 2, 1);

    const std::string command = (program / "vorn-cli").string() + " info " + picture + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("\"from-plugin\""), std::string::npos) << output;
    EXPECT_NE(output.find("6x2"), std::string::npos) << output;
}

// Runs a shell command; its status and what it printed on both streams.
std::pair<int, std::string> run_command(const std::string &command)
{
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {-1, ""};
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST_F(PluginTest, InstalledProgramsFindTheirFilesInTheInstalledLayout)
{
    const fs::path prefix(dir + "/prefix");
    const auto [installed, install_log] = run_command(std::string(VORN_CMAKE_COMMAND) + " --install "
                                                      + VORN_BINARY_DIR + " --prefix " + prefix.string());
    ASSERT_EQ(installed, 0) << install_log;
    for (const char *file : {"bin/vorn-cli", "share/vorn/palette.lmp", "share/applications/vorn.desktop",
                             "share/mime/packages/vorn.xml", "share/icons/hicolor/16x16/apps/vorn.png",
                             "share/icons/hicolor/256x256/apps/vorn.png"})
        EXPECT_TRUE(fs::exists(prefix / file)) << file;
    const fs::path tool = prefix / "bin/vorn-cli";

    // A plug-in in the installed plug-in folder is loaded.
    fs::copy_file(plugin_path("cli", "made_up.so"), prefix / "lib/vorn/plugins/made_up.so");
    const std::string picture = dir + "/shot.mkup";
    write_made_up(picture, 6, 2, 1);
    const auto [info_status, info] = run_command(tool.string() + " info " + picture);
    EXPECT_EQ(info_status, 0) << info;
    EXPECT_NE(info.find("\"from-plugin\""), std::string::npos) << info;

    // The Quake palette is found in share/vorn: matching true colours to it
    // gives what the build's own tool gives.
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    std::vector<uint8_t> rgba(8 * 4 * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>(i * 37 + 11);
    set_rgba_pixels(8, 4, rgba);
    const std::string source = dir + "/colours.png";
    ASSERT_EQ(file_save(source.c_str(), &anim), 1);
    const auto [ours, ours_log] = run_command(tool.string() + " convert " + source + " " + dir + "/installed.lmp");
    ASSERT_EQ(ours, 0) << ours_log;
    const auto [theirs, theirs_log] =
        run_command(std::string(VORN_CLI_PATH) + " convert " + source + " " + dir + "/built.lmp");
    ASSERT_EQ(theirs, 0) << theirs_log;
    EXPECT_EQ(read_bytes(dir + "/installed.lmp"), read_bytes(dir + "/built.lmp"));

    const auto [version_status, version] = run_command(tool.string() + " --version");
    EXPECT_EQ(version_status, 0);
    EXPECT_EQ(version, std::string("vorn-cli ") + VORN_VERSION + "\n");

    // The desktop entry and the file types are valid for the desktop's tools.
    if (run_command("command -v desktop-file-validate").first != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/deps installs desktop-file-utils)";
    const auto [valid, validation] =
        run_command("desktop-file-validate " + (prefix / "share/applications/vorn.desktop").string());
    EXPECT_EQ(valid, 0) << validation;
    const auto [mime, mime_log] = run_command("update-mime-database " + (prefix / "share/mime").string());
    EXPECT_EQ(mime, 0) << mime_log;
    EXPECT_TRUE(fs::exists(prefix / "share/mime/image/x-quake-sprite.xml")) << mime_log;
}

} // namespace
