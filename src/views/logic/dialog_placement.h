// Where a dialog opens: centred on the main window's frame, then moved
// (never resized) so that it lies inside the screen's available area, its
// top-left corner winning when the dialog is larger than that area, so that
// the title bar and the first controls stay reachable.
//
// A dialog that drives the preview live (Adjust) opens beside the preview
// instead, so that what it changes stays in sight.
#pragma once

#include "views/logic/layout.h"

// The dynamic property (a bool) by which a dialog asks to open beside the
// preview rather than centred on the main window.
inline constexpr const char *DIALOG_BESIDE_PREVIEW_PROPERTY = "vorn_beside_preview";

// The space kept between the preview and a dialog placed beside it.
inline constexpr int DIALOG_PREVIEW_GAP = 8;

// The frame rectangle of a dialog whose frame is width x height, centred on
// `anchor` (the main window's frame) and clamped into `screen`. Negative
// sizes count as 0.
LayoutRect centred_rect(const LayoutRect &anchor, int width, int height, const LayoutRect &screen);

// The frame rectangle of a dialog of width x height beside `preview`: to
// its right, left, below or above (top or left edges aligned, a gap
// between), each clamped into `screen` like centred_rect; the one that
// covers the least of the preview wins, then the one whose centre lies
// farthest from the preview's (the picture is drawn in the middle), then
// the first in that order. Without a preview (an empty rectangle) the
// dialog is centred on `main_window`. Negative sizes count as 0.
LayoutRect beside_rect(const LayoutRect &main_window, const LayoutRect &preview, int width, int height,
                       const LayoutRect &screen);
