// The folder of the running program, beside which its files live
// (settings, palette.lmp, plugins/, help/).
#pragma once

#include <string>

// Cuts `path` at its last '/'; a path without one becomes empty.
void strip_to_folder(char *path);
// Skips leading double quotes and ends the text at the next double quote.
char *unquote_argument(char *text);

// The folder of the running executable, without a trailing '/'.
const std::string &program_folder();
// Overrides the folder (tests and tools that run from elsewhere).
void set_program_folder(const std::string &folder);

// The folder that holds the program's file or folder `name` (palette.lmp,
// help): beside the program first, as in the build folder, then the
// installed layout, PREFIX/share/vorn for PREFIX/bin/vorn. When neither has
// it, the program's own folder, so that messages name the usual place.
std::string program_file_folder(const char *name);
// The plug-in folder: plugins/ beside the program, else PREFIX/lib/vorn/plugins.
std::string program_plugin_folder();
