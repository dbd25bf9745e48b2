// Handlers of the Groups menu: naming, adding, duplicating, deleting and
// reordering groups, the group's property editor, stepping to the previous
// or next group, and the group browser panel's toggle (View menu).
#pragma once

#include "app/commands/command_host.h"

void group_rename(CommandHost &host);
void group_add(CommandHost &host);
void group_duplicate(CommandHost &host);
void group_delete(CommandHost &host);
void group_move_up(CommandHost &host);
void group_move_down(CommandHost &host);
void group_properties(CommandHost &host);
// Renames the animated texture sequence the current group is in "+0name",
// "+1name"... (or "+aname"... for an alternate one) in its frame order, so
// that its numbering has no gaps: one undo step.
void group_renumber_sequence(CommandHost &host);
// Stop at the first and the last group; the selection does not wrap.
void group_previous(CommandHost &host);
void group_next(CommandHost &host);
void view_group_browser(CommandHost &host);
