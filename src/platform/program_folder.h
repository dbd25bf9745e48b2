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
