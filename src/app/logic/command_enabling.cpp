#include "app/logic/command_enabling.h"

bool condition_holds(CommandCondition condition, const DocConditions &c)
{
    switch (condition) {
    case CommandCondition::Always: return true;
    case CommandCondition::HasGroup: return c.has_group;
    case CommandCondition::HasMoreGroups: return c.has_more_groups;
    case CommandCondition::HasFrame: return c.has_frame;
    case CommandCondition::HasMoreFrames: return c.has_more_frames;
    case CommandCondition::UndoAvailable: return c.undo_available;
    case CommandCondition::RedoAvailable: return c.redo_available;
    case CommandCondition::ScannerFound: return c.scanner_found;
    }
    return true;
}
