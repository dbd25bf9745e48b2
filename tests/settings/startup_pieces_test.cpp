// The small start-up helpers: the program folder and the command-line file.
#include <cstring>
#include <string>

#include <unistd.h>

#include "platform/program_folder.h"
#include "support/test_support.h"

namespace {

std::string stripped(const char *path)
{
    char buffer[260];
    std::snprintf(buffer, sizeof buffer, "%s", path);
    strip_to_folder(buffer);
    return buffer;
}

std::string unquoted(const char *text)
{
    char buffer[260];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    return unquote_argument(buffer);
}

TEST(StripToFolder, CutsAtTheLastSlash)
{
    EXPECT_EQ(stripped("/usr/local/bin/vorn"), "/usr/local/bin");
    EXPECT_EQ(stripped("/opt/my vorn/vorn"), "/opt/my vorn");
    EXPECT_EQ(stripped("relative/dir/"), "relative/dir");
}

TEST(StripToFolder, PathWithoutSlashBecomesEmpty)
{
    EXPECT_EQ(stripped("vorn"), "");
    EXPECT_EQ(stripped(""), "");
}

TEST(UnquoteArgument, QuotedPathLosesItsQuotes)
{
    EXPECT_EQ(unquoted("\"/home/me/my sprites/s_explod.spr\""), "/home/me/my sprites/s_explod.spr");
    EXPECT_EQ(unquoted("\"\"\"twice.spr\" ignored"), "twice.spr");
}

TEST(UnquoteArgument, UnquotedTextIsTakenWholeWithBlanks)
{
    EXPECT_EQ(unquoted("/tmp/a b c.wad"), "/tmp/a b c.wad");
    EXPECT_EQ(unquoted(""), "");
    EXPECT_EQ(unquoted("\""), "");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningTest)
{
    // Unless a test moved it, it is where the executable lies: the build's bin/.
    const std::string folder = program_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(access((folder + "/test_settings").c_str(), F_OK), 0) << folder;
}

} // namespace
