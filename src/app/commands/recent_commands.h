// File > Recent Files: entry `index` (0 = most recent) of the settings'
// list opened the way File > Open opens a file; a file that no longer
// exists is offered to be removed from the list instead.
#pragma once

#include "app/commands/command_host.h"

void file_open_recent(CommandHost &host, int index);

// The handler of entry N (0..9) for the command table.
template <int N> void file_recent(CommandHost &host) { file_open_recent(host, N); }
