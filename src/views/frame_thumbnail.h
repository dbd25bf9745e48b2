// A frame's picture scaled into a square box for the panels that list
// frames or groups (the group browser, the frame strip). Uses the image
// library: call it only while no file operation holds it.
#pragma once

#include <QPixmap>

#include "plugins/vorn_plugin.h"

// An empty (transparent) box of `box` pixels.
QPixmap blank_thumbnail(int box);
// The frame's picture fitted into the box with its aspect kept, centred;
// the blank box for a null frame or one without a picture. A texture format
// of 0 or more draws it the game's way (qimage_from_image).
QPixmap frame_thumbnail(const Frame *frame, int box, int texture_format = -1);
