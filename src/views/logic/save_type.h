// What the type picked in the save dialog means beyond the extension: two
// formats share *.wad and two share *.spr, and the type says which one the
// document is to be written as.
#pragma once

#include <string>

#include "plugins/vorn_plugin.h"

// Marks `anim` for the format of `type` (a description of the save
// dialog's filter) when `path` is a file of that type: "Half-Life WAD3"
// and "Quake WAD2" set or clear the WAD3 mark; "Half-Life Sprite" asks the
// texture format (editor_host) and gives the document one. Any other type,
// or none, leaves the document as it is. False when the user cancelled.
bool apply_save_type(Animation *anim, const std::string &path, const std::string &type);
