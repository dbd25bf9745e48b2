// The conditions of the document that enable commands. Which command
// follows which condition is a column of the command table
// (app/command_table.h); menu items and toolbar buttons with the same id
// follow the same rule.
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

bool condition_holds(CommandCondition condition, const DocConditions &conditions);
