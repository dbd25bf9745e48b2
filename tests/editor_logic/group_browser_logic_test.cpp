// The group browser's toolkit-free part: filtering names into rows, rows
// and groups mapped both ways, where the keyboard enters the list, and the
// thumbnail's place in its box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/logic/group_browser_logic.h"

namespace {

TEST(GroupBrowserLogic, FilterMapsRowsAndGroupsBothWays)
{
    const std::vector<std::string> names = {"+0gr_but1", "black", "CSL_FLR4_5", "csl_brk15", "gr_flr1", "", "Sky_W1"};
    struct Case {
        const char *filter;
        std::vector<int> rows;
        int current;   // the document's current group
        int row;       // the row highlighted for it (-1: hidden)
        int entry;     // where Down from the filter lands
    };
    const Case cases[] = {
        {"", {0, 1, 2, 3, 4, 5, 6}, 4, 4, 4},
        {"flr", {2, 4}, 4, 1, 1},      // case folded both ways
        {"FLR", {2, 4}, 2, 0, 0},
        {"csl_", {2, 3}, 6, -1, 0},    // current hidden: first row
        {"sky_w1", {6}, 6, 0, 0},      // whole name
        {"+0", {0}, 0, 0, 0},          // punctuation matches itself
        {"sky_w12", {}, 6, -1, -1},    // longer than every name
        {"k", {1, 3, 6}, -1, -1, 0},   // no current group
    };
    for (const Case &c : cases) {
        const std::vector<int> rows = group_browser_rows(names, c.filter);
        EXPECT_EQ(c.rows, rows) << c.filter;
        EXPECT_EQ(c.row, group_browser_row_of_group(rows, c.current)) << c.filter;
        EXPECT_EQ(c.entry, group_browser_entry_row(rows, c.current)) << c.filter;
        for (size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r], group_browser_group_of_row(rows, static_cast<int>(r))) << c.filter;
            EXPECT_EQ(static_cast<int>(r), group_browser_row_of_group(rows, rows[r])) << c.filter;
        }
        EXPECT_EQ(-1, group_browser_group_of_row(rows, -1)) << c.filter;
        EXPECT_EQ(-1, group_browser_group_of_row(rows, static_cast<int>(rows.size()))) << c.filter;
        EXPECT_EQ(-1, group_browser_row_of_group(rows, 7)) << c.filter; // past the last group
    }
}

TEST(GroupBrowserLogic, ThumbnailFitsItsBoxWithTheAspectKept)
{
    struct Case {
        int w, h, box;
        ThumbnailRect expected;
    };
    const Case cases[] = {
        {64, 64, 64, {0, 0, 64, 64}},
        {128, 64, 64, {0, 16, 64, 32}},    // shrunk, centred vertically
        {16, 32, 64, {16, 0, 32, 64}},     // grown, centred horizontally
        {320, 200, 64, {0, 12, 64, 40}},
        {4096, 1, 64, {0, 31, 64, 1}},     // never thinner than a pixel
        {3, 100000, 64, {31, 0, 1, 64}},
        {1, 1, 64, {0, 0, 64, 64}},
        {0, 10, 64, {0, 0, 0, 0}},          // empty picture
        {10, -5, 64, {0, 0, 0, 0}},
        {65535, 65535, 64, {0, 0, 64, 64}}, // no overflow
    };
    for (const Case &c : cases) {
        const ThumbnailRect r = group_browser_thumbnail_rect(c.w, c.h, c.box);
        EXPECT_EQ(c.expected.x, r.x) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.y, r.y) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.w, r.w) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.h, r.h) << c.w << "x" << c.h;
    }
}

TEST(GroupBrowserLogic, SequencesFoldIntoOneRowWhereTheirFirstMemberStands)
{
    // "+1lava" comes before "+0lava"; a lone "+0one" is no sequence row.
    const std::vector<std::string> names = {"wall", "+1lava", "+0lava", "sky", "+alava", "+blava", "+0one"};
    const std::vector<BrowserSequence> sequences = group_browser_sequences(names);
    ASSERT_EQ(2u, sequences.size());
    struct Case {
        std::vector<bool> unfolded;
        const char *filter;
        std::vector<std::string> rows; // kind and group: G group, S sequence, M member
        int row_of_group_1;
    };
    const Case cases[] = {
        {{false, false}, "", {"G0", "S2", "G3", "S4", "G6"}, 1},
        {{true, false}, "", {"G0", "S2", "M2", "M1", "G3", "S4", "G6"}, 3},
        {{false, true}, "1lav", {"S2"}, 0}, // a member's name keeps the row
        {{false, false}, "wall", {"G0"}, -1},
    };
    for (const Case &c : cases) {
        const std::vector<BrowserRow> rows = group_browser_entries(names, sequences, c.unfolded, c.filter);
        std::vector<std::string> got;
        for (const BrowserRow &r : rows)
            got.push_back(std::string(r.kind == BrowserRowKind::Group      ? "G"
                                      : r.kind == BrowserRowKind::Sequence ? "S"
                                                                           : "M") +
                          std::to_string(r.group));
        EXPECT_EQ(c.rows, got) << c.filter;
        EXPECT_EQ(c.row_of_group_1, group_browser_entry_of_group(rows, sequences, 1)) << c.filter;
    }
    const BrowserSequence gap = group_browser_sequences({"+0a", "+2a"}).at(0);
    EXPECT_EQ("\u25BE +0a  \u25B6 2 frames, frame 1 missing, sizes differ",
              group_browser_sequence_text(gap, true, true));
}

} // namespace
