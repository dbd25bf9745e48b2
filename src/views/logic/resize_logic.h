// The Resize dialog without its widgets: the size arithmetic of its four
// fields, the filter list, the flag kept between openings and the target
// size of each frame when the dialog ends with OK.
#pragma once

#include <string>

// The largest side a frame may be given (the largest the Quake readers
// accept), and the percentage that reaches it from a side of 1.
inline constexpr int RESIZE_MAX_SIDE = 16384;
inline constexpr int RESIZE_MAX_PERCENT = RESIZE_MAX_SIDE * 100;

// "Resize all Frames In Group": off at start, kept from one opening to the
// next during the run.
extern bool resize_whole_group;

// What the user chose in the Resize dialog. The sizes are the dialog's four
// fields; `filter` is the scaling filter code of host-table slot 22, or -1
// when none was chosen.
struct ResizeChoice {
    bool percent_mode = false;
    int pixel_width = 0;
    int pixel_height = 0;
    int percent_width = 100;
    int percent_height = 100;
    bool whole_group = false;
    int filter = 0;
};

struct ResizeSizes {
    int pixel_width = 0;
    int pixel_height = 0;
    int percent_width = 100;
    int percent_height = 100;
};

enum class ResizeTrigger {
    Opening,
    PixelWidth,    // the pixel width field lost the focus holding v
    PixelHeight,
    PercentWidth,
    PercentHeight,
    KeepAspect,    // "Maintain Aspect Ratio" clicked (v: the pixel width)
};

// One size update for a frame of w x h. Divisions and the ratio are done in
// floating point and truncated toward zero; pixel sizes are bounded to
// 0 .. RESIZE_MAX_SIDE and percentages to 0 .. RESIZE_MAX_PERCENT, so no
// entry can overflow. A frame side of 0 leaves the percentages at 0.
ResizeSizes resize_sync_sizes(ResizeSizes sizes, ResizeTrigger trigger, int v, bool keep_aspect, int w, int h);

// A field's text as a decimal integer: its leading digits, 0 when it holds
// none, at most `limit`.
int resize_field_value(const std::string &text, int limit);

struct ResizeFilter {
    const char *text;
    int code; // for host-table slot 22
};
inline constexpr int RESIZE_FILTER_COUNT = 8;
extern const ResizeFilter RESIZE_FILTERS[RESIZE_FILTER_COUNT];
// How many of RESIZE_FILTERS a frame is offered: 3 for a colour-indexed
// frame, all 8 otherwise.
int resize_filter_count(bool indexed);

// The size a frame of w x h is scaled to under `choice`, each side bounded
// to 1 .. RESIZE_MAX_SIDE. One frame, or every frame of the group in pixel
// mode, takes the pixel size; in percent mode every frame of the group
// keeps its own proportions.
struct ResizeTarget {
    int width = 0;
    int height = 0;
};
ResizeTarget resize_target(const ResizeChoice &choice, int w, int h);
