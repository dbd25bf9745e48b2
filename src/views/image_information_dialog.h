// The Image Information dialog (139): the program's picture, the current
// frame's facts in a read-only text and OK.
#pragma once

#include <string>

class QWidget;

// Runs the dialog modally over `owner` showing `text` (lines end in CR LF).
void show_image_information(const std::string &text, QWidget *owner);
