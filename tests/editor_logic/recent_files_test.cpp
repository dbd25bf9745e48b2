// The recent-files list: one name per file, most recent first, ten at most,
// and the menu texts of its entries.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/logic/recent_files.h"
#include "app/logic/settings.h" // RECENT_FILE_COUNT
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(RecentFiles, AddRemoveAndTrimKeepOneCanonicalNameEach)
{
    const std::string dir = fs::canonical(scratch_dir("recent")).string();
    fs::create_directories(dir + "/sub");
    write_bytes(dir + "/a.spr", {1});
    write_bytes(dir + "/sub/b.wad", {1});
    const std::string a = dir + "/a.spr", b = dir + "/sub/b.wad", gone = dir + "/gone.lmp";

    enum Op { Add, Remove };
    struct Step {
        Op op;
        std::string path;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {Add, a, {a}},
        {Add, dir + "/sub/../sub/b.wad", {b, a}},
        {Add, dir + "/./a.spr", {a, b}},                // same file: moved to the front, not listed twice
        {Add, gone, {gone, a, b}},                      // a missing file keeps its absolute name
        {Remove, dir + "/sub/./b.wad", {gone, a}},
        {Remove, dir + "/none.spr", {gone, a}},
        {Add, "", {gone, a}},
    };
    std::vector<std::string> list;
    for (const Step &step : steps) {
        if (step.op == Add)
            recent_files_add(list, step.path);
        else
            recent_files_remove(list, step.path);
        EXPECT_EQ(step.expected, list) << step.path;
    }

    // A relative name is made absolute against the working folder.
    recent_files_add(list, "relative.spr");
    EXPECT_EQ((fs::current_path() / "relative.spr").lexically_normal().string(), list.front());

    // Twelve more: the newest ten stay, most recent first.
    for (int i = 0; i < 12; ++i)
        recent_files_add(list, dir + "/f" + std::to_string(i) + ".spr");
    ASSERT_EQ(static_cast<size_t>(RECENT_FILE_COUNT), list.size());
    EXPECT_EQ(dir + "/f11.spr", list.front());
    EXPECT_EQ(dir + "/f2.spr", list.back());
}

TEST(RecentFiles, MenuTextsNumberTheEntriesAndDoubleAmpersands)
{
    std::vector<std::string> list;
    for (int i = 0; i < RECENT_FILE_COUNT; ++i)
        list.push_back("/p" + std::to_string(i));
    list[2] = "/art/R&D/a&b.spr";
    struct Case {
        int index;
        const char *text;
    };
    const Case cases[] = {
        {0, "&1 /p0"}, {2, "&3 /art/R&&D/a&&b.spr"}, {8, "&9 /p8"}, {9, "1&0 /p9"}, {10, ""}, {-1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.text, recent_file_menu_text(list, c.index)) << c.index;
}

} // namespace
