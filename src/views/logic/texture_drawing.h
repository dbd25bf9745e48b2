// Which of the game's ways of drawing (image/texture_format.h) the views
// use for a group's frames: the group's own "Texture Format" (a decal of a
// decals.wad), else the document's (a Half-Life sprite), else none.
#pragma once

#include <string>

#include "plugins/vorn_plugin.h"

// The texture format, or -1 for the frames' plain colours.
int group_texture_format(const Animation *anim, int group);

// What the status bar adds after "Frame i of n" for a frame of `group`:
// " (own palette)" for a WAD3 texture, picture or font, whose palette is
// its own rather than the Quake palette; else nothing.
std::string frame_palette_note(const Animation *anim, int group);
