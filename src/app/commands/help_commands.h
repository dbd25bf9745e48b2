// Handlers of the Help menu.
#pragma once

#include <string>

#include "app/commands/command_host.h"

void help_contents(CommandHost &host); // also F1
void help_about(CommandHost &host);

// The start page of the help, help/aboutvorn.htm beside the program (or in
// the installed layout).
std::string help_start_page();
