// Which commands each condition of the document enables. Commands not in
// the table are always enabled. Menu items and toolbar buttons with the same
// id follow the same rule; the toolbar's Bounding Box Mode button is the one
// exception, never enabled (toolbar_button_enabled). This is the whole
// rule set, commands the editor does not offer yet included; each entry of
// the command table (app/command_table.h) names the same condition for its
// command, which the command table's tests check.
#pragma once

#include "app/document_view.h"

enum class CommandCondition {
    Always,
    HasGroup,
    HasMoreGroups,
    HasFrame,
    HasMoreFrames,
    UndoAvailable,
    RedoAvailable,
    ScannerFound,
};

struct CommandRule {
    int command;
    CommandCondition condition;
};

// Every command that can be greyed, with its condition.
extern const CommandRule COMMAND_ENABLING[];
extern const int COMMAND_ENABLING_COUNT;

bool condition_holds(CommandCondition condition, const DocConditions &conditions);
// Always for a command not in the table.
CommandCondition command_condition(int command);
// Menu item `command` is enabled under `conditions`.
bool command_enabled(int command, const DocConditions &conditions);
// Toolbar button `command` is enabled under `conditions`.
bool toolbar_button_enabled(int command, const DocConditions &conditions);
