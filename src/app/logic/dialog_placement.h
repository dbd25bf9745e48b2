// Where a dialog opens: centred on the main window's frame, then moved
// (never resized) so that it lies inside the screen's available area, its
// top-left corner winning when the dialog is larger than that area, so that
// the title bar and the first controls stay reachable.
#pragma once

#include "app/logic/layout.h"

// The frame rectangle of a dialog whose frame is width x height, centred on
// `anchor` (the main window's frame) and clamped into `screen`. Negative
// sizes count as 0.
LayoutRect centred_rect(const LayoutRect &anchor, int width, int height, const LayoutRect &screen);
