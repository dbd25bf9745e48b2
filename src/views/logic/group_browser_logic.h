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

// --- Animated texture sequences ----------------------------------------------
// A sequence of two textures or more ("+0lava", "+1lava"...) is listed as one
// row, at the place of its first member in document order, that unfolds to
// its members in frame order; the members have no rows of their own
// elsewhere. A main sequence and its alternate ("+alava"...) are two rows.

struct BrowserSequence {
    std::string label;        // the first frame's name, "+0lava" or "+alava"
    std::vector<int> members; // groups in frame order
    int missing = -1;         // the first missing frame number, -1 for none
};

// The sequences among `names` that get a row: those of two members or more.
std::vector<BrowserSequence> group_browser_sequences(const std::vector<std::string> &names);

enum class BrowserRowKind { Group, Sequence, Member };
struct BrowserRow {
    BrowserRowKind kind = BrowserRowKind::Group;
    int group = -1;    // the group shown; a sequence row shows its first member
    int sequence = -1; // index in the sequences for Sequence and Member rows
};

// The rows of the list: groups whose name holds `filter`, a sequence when
// one of its members' names does, and its members (all of them) after it
// when `unfolded[sequence]` is set.
std::vector<BrowserRow> group_browser_entries(const std::vector<std::string> &names,
                                              const std::vector<BrowserSequence> &sequences,
                                              const std::vector<bool> &unfolded, const std::string &filter);

// The row that shows `group`: its own row, or its sequence's row while that
// is folded; -1 when the filter hides it.
int group_browser_entry_of_group(const std::vector<BrowserRow> &rows, const std::vector<BrowserSequence> &sequences,
                                 int group);

// What a sequence row says: fold marker, first frame's name, play marker,
// the number of frames, the first gap the engine would refuse, and whether
// the members' sizes differ (which GL engines draw stretched).
std::string group_browser_sequence_text(const BrowserSequence &sequence, bool unfolded, bool sizes_differ = false);
