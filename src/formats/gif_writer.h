// Animated GIFs out: one group of the document as a GIF that plays it.
#pragma once

#include <string>

#include "plugins/vorn_plugin.h"

// Writes group `group` of `anim` to `path` (whole or not at all) as a
// looping GIF: each frame one image with its own colour table, placed so
// that the frames' origins meet (frames without one at the top left), the
// canvas cleared between frames, its "Duration" as the delay in hundredths
// of a second (0.1 s for a frame without one). An 8-bit frame keeps its
// palette and its transparent index; an RGBA frame gets its own colours
// exactly when they are few enough, else median-cut ones, and its pixels of
// alpha 0 are transparent. False with `error` set otherwise.
bool gif_write_group(const Animation &anim, int group, const std::string &path, std::string &error);
