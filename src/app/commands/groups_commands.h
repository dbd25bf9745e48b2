// Handlers of the Groups menu: naming, adding, duplicating, deleting and
// reordering groups, and the group's property editor.
#pragma once

#include "app/commands/command_host.h"

void group_rename(CommandHost &host);
void group_add(CommandHost &host);
void group_duplicate(CommandHost &host);
void group_delete(CommandHost &host);
void group_move_up(CommandHost &host);
void group_move_down(CommandHost &host);
void group_properties(CommandHost &host);
