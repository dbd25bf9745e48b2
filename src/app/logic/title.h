// The main window's caption.
#pragma once

#include <string>

// "Vorn - NAME [ZOOM%]", with a '*' after the name of a modified document;
// ZOOM is zoom x 100 truncated. Before the first refresh the caption is the
// bare "Vorn".
std::string title_text(const char *file_name, bool modified, float zoom);
