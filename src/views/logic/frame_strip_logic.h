// The arithmetic behind the frame strip below the preview, free of the
// toolkit: where each frame's cell sits in the scrolled row, which cell a
// point falls on, the gap a dragged frame is dropped into, the new order
// of the frames after such a drop, and the text a cell shows for the
// frame's "Duration".
#pragma once

#include <string>
#include <vector>

#include "plugins/vorn_plugin.h"
#include "views/logic/layout.h"

// A cell: the thumbnail square on top, one line of text (number and
// duration) under it. Cells are FRAME_STRIP_GAP apart and from the edges.
inline constexpr int FRAME_STRIP_BOX = 48;
inline constexpr int FRAME_STRIP_TEXT_HEIGHT = 16;
inline constexpr int FRAME_STRIP_CELL_WIDTH = 64;
inline constexpr int FRAME_STRIP_CELL_HEIGHT = FRAME_STRIP_BOX + 2 + FRAME_STRIP_TEXT_HEIGHT;
inline constexpr int FRAME_STRIP_GAP = 4;

// The cell of frame `index` in view coordinates, the row scrolled `scroll`
// pixels to the left.
LayoutRect frame_strip_cell(int index, int scroll);
// The width of the whole row of `count` cells with its edges.
int frame_strip_content_width(int count);
// The frame whose cell holds the view point (x, y); -1 for a gap, an edge
// or past the last cell.
int frame_strip_hit(int count, int scroll, int x, int y);
// The gap a frame dragged to view x lands in: 0 before the first cell,
// `count` after the last; the gap nearest the point, decided at cell
// centres.
int frame_strip_drop_slot(int count, int scroll, int x);
// The index frame `from` has after a drop into gap `slot`.
int frame_strip_dropped_index(int from, int slot);
// The frames' order after frame `from` is dropped into gap `slot`: entry i
// is the old index of the frame now at i. Empty when `from` or `slot` is
// out of range; the identity when the drop moves nothing.
std::vector<int> frame_strip_move_order(int count, int from, int slot);
// The scroll that shows the whole cell of `index` in a view `view_width`
// wide, moving as little as it can from `scroll`.
int frame_strip_scroll_to_show(int index, int scroll, int view_width);
// The frame's "Duration" as a cell shows it and its editor starts with
// ("0.1", "1.25"); empty when the frame has none.
std::string frame_strip_duration_text(const PropertyList &props);
