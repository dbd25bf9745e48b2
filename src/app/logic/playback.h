// Playback timing: each frame of the current group is shown for its own
// "Duration" (seconds, a float property), 100 ms when it has none.
#pragma once

#include "plugins/vorn_plugin.h"

inline constexpr int PLAYBACK_DEFAULT_INTERVAL = 100;

// How long a frame stays on screen, in milliseconds: "Duration" x 1000
// truncated, or 100 when that is not positive (or the frame is missing).
int playback_interval(const Frame *frame);

// Play: the interval after which the first tick comes (the current frame's
// own duration), or 0 when the group cannot play (no such frame, or fewer
// than two frames).
int playback_start(const Animation *anim, int group, int frame);

// One timer tick. With `busy` set (a file operation runs), without a valid
// group, or with fewer than two frames it returns 0: stop the timer.
// Otherwise it moves `*frame` one on, wrapping to the first, and returns
// the new frame's interval for re-arming the timer.
int playback_tick(const Animation *anim, int group, int *frame, bool busy);

// Animated texture sequences ("+0name", "+1name"...) play group by group at
// the engine's rate rather than frame by frame: each texture is a group of
// its own. The group that follows `group` in the sequence its name puts it
// in, wrapping to the first; -1 when `group` is in no sequence of two
// textures or more.
int playback_sequence_next(const Animation *anim, int group);
