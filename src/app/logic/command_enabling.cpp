#include "app/logic/command_enabling.h"

#include "app/logic/command_ids.h"

namespace {
using C = CommandCondition;
} // namespace

const CommandRule COMMAND_ENABLING[] = {
    // has a frame
    {IDM_SAVE, C::HasFrame},
    {IDM_SAVE_AS, C::HasFrame},
    {IDM_CUT, C::HasFrame},
    {IDM_COPY, C::HasFrame},
    {IDM_PASTE, C::HasFrame},
    {IDM_PASTE_INTO_ALPHA, C::HasFrame},
    {IDM_COPY_ALPHA, C::HasFrame},
    {IDM_ZOOM_IN, C::HasFrame},
    {IDM_ZOOM_OUT, C::HasFrame},
    {IDM_ZOOM_100, C::HasFrame},
    {IDM_ZOOM_FIT, C::HasFrame},
    {IDM_IMAGE_INFORMATION, C::HasFrame},
    {IDM_DEPTH_8BIT_PALETTED, C::HasFrame},
    {IDM_DEPTH_8BIT_GRAYSCALE, C::HasFrame},
    {IDM_DEPTH_24BIT_RGB, C::HasFrame},
    {IDM_DEPTH_32BIT_RGBA, C::HasFrame},
    {IDM_IMPORT_ALPHA, C::HasFrame},
    {IDM_EXPORT_ALPHA, C::HasFrame},
    {IDM_FRAME_PROPERTIES, C::HasFrame},
    {IDM_DELETE_FRAME, C::HasFrame},
    {IDM_IMPORT_REPLACE, C::HasFrame},
    {IDM_EXPORT_FRAME, C::HasFrame},
    {IDM_FILTER_CONTRAST, C::HasFrame},
    {IDM_FILTER_BLUR_AVERAGE, C::HasFrame},
    {IDM_FILTER_BLUR_GAUSSIAN, C::HasFrame},
    {IDM_FILTER_EDGE_DETECT, C::HasFrame},
    {IDM_FILTER_EMBOSS, C::HasFrame},
    {IDM_FILTER_NEGATIVE, C::HasFrame},
    {IDM_FILTER_NOISIFY, C::HasFrame},
    {IDM_FILTER_PIXELIZE, C::HasFrame},
    {IDM_FILTER_SHARPEN, C::HasFrame},
    {IDM_FILTER_ALIENIFY, C::HasFrame},
    {IDM_GAMMA_CORRECTION, C::HasFrame},
    {IDM_RESIZE, C::HasFrame},
    {IDM_ROTATE, C::HasFrame},
    {IDM_FLIP, C::HasFrame},
    {IDM_MIRROR, C::HasFrame},
    {IDM_ORIGIN_MODE, C::HasFrame},
    // has a group
    {IDM_GROUP_RENAME, C::HasGroup},
    {IDM_GROUP_DUPLICATE, C::HasGroup},
    {IDM_GROUP_DELETE, C::HasGroup},
    {IDM_GROUP_PROPERTIES, C::HasGroup},
    // has more groups
    {IDM_GROUP_MOVE_UP, C::HasMoreGroups},
    {IDM_GROUP_MOVE_DOWN, C::HasMoreGroups},
    {IDM_GROUP_PREVIOUS, C::HasMoreGroups},
    {IDM_GROUP_NEXT, C::HasMoreGroups},
    // has more frames
    {IDM_FIRST, C::HasMoreFrames},
    {IDM_PREVIOUS, C::HasMoreFrames},
    {IDM_PLAY, C::HasMoreFrames},
    {IDM_STOP, C::HasMoreFrames},
    {IDM_NEXT, C::HasMoreFrames},
    {IDM_END, C::HasMoreFrames},
    {IDM_PROPAGATE_TO_GROUP, C::HasMoreFrames},
    {IDM_PROPAGATE_TO_ANIMATION, C::HasMoreFrames},
    // undo
    {IDM_UNDO, C::UndoAvailable},
    {IDM_REDO, C::RedoAvailable},
    // scanner
    {IDM_TWAIN_ACQUIRE, C::ScannerFound},
    {IDM_TWAIN_SELECT_SOURCE, C::ScannerFound},
};

const int COMMAND_ENABLING_COUNT = static_cast<int>(sizeof COMMAND_ENABLING / sizeof COMMAND_ENABLING[0]);

bool condition_holds(CommandCondition condition, const DocConditions &c)
{
    switch (condition) {
    case C::Always: return true;
    case C::HasGroup: return c.has_group;
    case C::HasMoreGroups: return c.has_more_groups;
    case C::HasFrame: return c.has_frame;
    case C::HasMoreFrames: return c.has_more_frames;
    case C::UndoAvailable: return c.undo_available;
    case C::RedoAvailable: return c.redo_available;
    case C::ScannerFound: return c.scanner_found;
    }
    return true;
}

CommandCondition command_condition(int command)
{
    for (int i = 0; i < COMMAND_ENABLING_COUNT; ++i)
        if (COMMAND_ENABLING[i].command == command)
            return COMMAND_ENABLING[i].condition;
    return C::Always;
}

bool command_enabled(int command, const DocConditions &conditions)
{
    return condition_holds(command_condition(command), conditions);
}

bool toolbar_button_enabled(int command, const DocConditions &conditions)
{
    // The button exists but no command is attached to it.
    if (command == IDM_BOUNDING_BOX_MODE)
        return false;
    return command_enabled(command, conditions);
}
