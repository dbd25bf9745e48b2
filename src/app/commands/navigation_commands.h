// What the window's own controls choose: a group in the selector, a frame
// with the slider, the next frame of playback, files dropped on it. The
// window refuses a choice while a file operation runs and puts its control
// back; these take the choices it lets through.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/commands/command_host.h"

// Group `index` of the selector (negative: none) becomes current; the frame
// slider, the preview and the commands follow.
void group_chosen(int index);

// Frame `position` of the current group becomes current (0 when there is no
// such frame) and the preview follows.
void frame_chosen(int position);

// One step of playback: the next frame is shown, or, while a texture
// sequence plays, the next texture of the sequence becomes the current group
// (through the host, as choosing it in the selector). Returns the interval
// to the step after it in milliseconds, or 0 when playback ends.
int playback_advance(CommandHost &host);

// Plays the animated texture sequence the current group is in, at the
// engine's rate; false (nothing started) when it is in none.
bool sequence_play(CommandHost &host);
// Playback ended (Stop): the next Play starts afresh.
void playback_ended();

// Dropped files: one is opened (through `open`), several are appended as
// frames of the current group. Nothing while a file operation runs.
void files_dropped(const std::vector<std::string> &paths, const std::function<void(const std::string &)> &open);
