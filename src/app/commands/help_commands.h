// Handlers of the Help menu.
#pragma once

#include "app/commands/command_host.h"

void help_about(CommandHost &host);
