// The Enter Group Name dialog's rule: an empty name is refused with
// "Invalid name" and the dialog stays open.
#pragma once

#include <string>

inline constexpr const char *GROUP_NAME_INVALID_MESSAGE = "Invalid name";

// True when `text` may become the group's name; otherwise tells the user.
bool group_name_accept(const std::string &text);
