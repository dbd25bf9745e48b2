// The arithmetic behind the group browser panel, free of the toolkit: which
// groups a filter text leaves in the list, the mapping between list rows and
// group indexes, which row takes the keyboard when it enters the list, and
// where a thumbnail sits inside its square box.
#pragma once

#include <string>
#include <vector>

// Side of the square a thumbnail is drawn into, in pixels.
inline constexpr int GROUP_BROWSER_THUMBNAIL_BOX = 64;

// The groups whose name holds `filter` (ASCII letters compared without case),
// as group indexes in document order: the list's rows. An empty filter keeps
// every group.
std::vector<int> group_browser_rows(const std::vector<std::string> &names, const std::string &filter);

// The group shown in `row`; -1 for a row that does not exist.
int group_browser_group_of_row(const std::vector<int> &rows, int row);
// The row that shows `group`; -1 when the filter hides it (or it does not
// exist). The list then highlights nothing, and the document's current
// group stays what it is: filtering never changes the selection by itself.
int group_browser_row_of_group(const std::vector<int> &rows, int group);
// The row the keyboard lands on when it moves from the filter into the
// list: the current group's row, or the first row when the filter hides
// the current group; -1 for an empty list.
int group_browser_entry_row(const std::vector<int> &rows, int current_group);

// A picture of width x height scaled to fit a square of `box` pixels with
// its aspect kept, centred in it. Every side is at least 1 pixel for a
// non-empty picture; an empty or negative size gives an empty rectangle.
struct ThumbnailRect {
    int x = 0, y = 0, w = 0, h = 0;
};
ThumbnailRect group_browser_thumbnail_rect(int width, int height, int box);
