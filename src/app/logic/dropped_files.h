// Files dropped on the main window.
#pragma once

#include <string>
#include <vector>

// Several dropped files: one undo step, then the frames of each file's
// first group appended to the current group in drop order (a "[no group]"
// group is made when there is no current group; a file that cannot be read
// is reported by the load dispatch and skipped). The last frame of the
// group becomes current and the window is refreshed. Does nothing while a
// file operation runs or for an empty list.
void drop_append_frames(const std::vector<std::string> &paths);
