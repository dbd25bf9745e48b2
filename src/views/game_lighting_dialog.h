// The Game Lighting dialog: whether the preview shows the frame in the
// game's light, at which of the colormap's 64 levels, and through which
// colormap (the one made from the frame's palette, or a colormap.lmp).
#pragma once

#include "views/logic/game_lighting.h"

class QWidget;

// Runs the dialog modally over `owner`; true with the choice in `lighting`.
bool ask_game_lighting(GameLighting &lighting, QWidget *owner);
