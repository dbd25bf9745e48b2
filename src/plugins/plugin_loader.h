// Finds the format plug-ins (plugins/*.so beside the program), checks that
// each identifies itself correctly and registers it; releases them at exit.
#pragma once

#include <string>

// Loads every plug-in of `program_folder()`/plugins into the registry, in
// file-name order. Libraries without `vorn_info` are skipped silently; a
// wrong version, a missing `vorn_api` or a full table is reported.
void load_plugins();
// The same from a given plugins folder (tests, tools).
void load_plugins_from(const std::string &plugins_folder);
// Closes every loaded plug-in library once, in load order, and empties the
// registry. Call it after the image library has been shut down.
void unload_plugins();
