// Sprite sheets: the frames of one group packed row by row into one image,
// with a description beside it (JSON, the style of document/props_json.h)
// that gives each frame's rectangle, origin and duration and every property
// of the animation, the group and the frames, so that the group comes back
// from the two files as it was.
#pragma once

#include <string>

#include "document/props_json.h"
#include "plugins/vorn_plugin.h"

// The description's "format" member, so that later versions can tell.
inline constexpr const char *SHEET_FORMAT = "vorn-sheet";
inline constexpr int SHEET_VERSION = 1;

// The description of the sheet `image_path`: the same name with ".json".
std::string sheet_description_path(const std::string &image_path);

// Builds the sheet of group `group` of `anim` into `sheet` (emptied first;
// it receives one group of one frame) and its description. The grid has
// `columns` x `rows` cells (0 x 0: about square), each as large as the
// group's largest frame; a frame sits at the top left of its cell. When
// every frame is 8-bit with the same palette the sheet is 8-bit with that
// palette (its transparent index made transparent), else RGBA with the rest
// of each cell transparent. False with `error` set when the group has no
// frames, the grid is too small or the sheet would be larger than an image
// may be.
bool sheet_build(const Animation &anim, int group, int columns, int rows, Animation *sheet, Json &description,
                 std::string &error);

// Builds the sheet and writes it to `image_path` (its format from the
// extension) and the description beside it, each whole or not at all.
// False otherwise, with `error` set, or empty when the image's writer has
// already told the user why.
bool sheet_export(const Animation &anim, int group, int columns, int rows, const std::string &image_path,
                  std::string &error);

// Rebuilds `out` (emptied first) from the sheet's image and its
// description: the animation's properties and one group with the frames cut
// from the rectangles the description gives. Nothing in the description is
// trusted: a rectangle outside the image or a property of the wrong type is
// refused with `error` naming it.
bool sheet_unpack(uint32_t sheet_image, const Json &description, Animation *out, std::string &error);
