// The File > Recent Files list: the paths last opened or saved, most recent
// first, at most RECENT_FILE_COUNT, kept in settings().recent_files.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline constexpr const char *RECENT_FILE_MISSING_QUESTION =
    "The file %s no longer exists. Remove it from the list of recent files?";

// `path` made absolute and, where the file system can tell, canonical.
std::string recent_file_key(const std::string &path);
// Puts `path` (as recent_file_key gives it) first, removes other entries
// naming the same file and keeps the first RECENT_FILE_COUNT.
void recent_files_add(std::vector<std::string> &list, const std::string &path);
// Removes every entry naming the same file as `path`.
void recent_files_remove(std::vector<std::string> &list, const std::string &path);
// Menu text of entry `index`: "&1 path" .. "1&0 path", the path's own
// ampersands doubled; empty when there is no such entry.
std::string recent_file_menu_text(const std::vector<std::string> &list, int index);

// The same on settings().recent_files, each followed by the listener.
void recent_files_note(const std::string &path);
void recent_files_forget(const std::string &path);
// Called after every change of the settings' list (the window refills its
// menu); an empty function for none.
void set_recent_files_listener(std::function<void()> listener);
