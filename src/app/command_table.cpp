#include "app/command_table.h"

#include <iterator>

#include "app/commands/animation_commands.h"
#include "app/commands/edit_commands.h"
#include "app/commands/file_commands.h"
#include "app/commands/groups_commands.h"
#include "app/commands/help_commands.h"
#include "app/commands/palette_commands.h"
#include "app/commands/recent_commands.h"
#include "app/commands/image_commands.h"
#include "app/commands/view_commands.h"
#include "app/logic/command_ids.h"

namespace {
using C = CommandCondition;
} // namespace

const CommandEntry COMMAND_TABLE[] = {
    // menu, submenu, id, text, key, enabled, check item, handler
    {"&File", nullptr, IDM_NEW, "&New\tCtrl+N", "Ctrl+N", C::Always, false, file_new},
    {"&File", nullptr, IDM_OPEN, "&Open...\tCtrl+O", "Ctrl+O", C::Always, false, file_open},
    {"&File", nullptr, IDM_CLOSE, "&Close", nullptr, C::Always, false, file_new},
    {"&File", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", "&TWAIN", IDM_TWAIN_ACQUIRE, "&Acquire", nullptr, C::ScannerFound, false, file_acquire},
    {"&File", "&TWAIN", IDM_TWAIN_SELECT_SOURCE, "&Select Source...", nullptr, C::ScannerFound, false,
     file_select_source},
    {"&File", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_SAVE, "&Save\tCtrl+S", "Ctrl+S", C::HasFrame, false, file_save},
    {"&File", nullptr, IDM_SAVE_AS, "Save &As...", nullptr, C::HasFrame, false, file_save_as},
    {"&File", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_FILE_PROPERTIES, "File &Properties", nullptr, C::Always, false, file_properties},
    {"&File", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    // The window shows the recent paths as these items' texts.
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 0, "&1", nullptr, C::Always, false, file_recent<0>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 1, "&2", nullptr, C::Always, false, file_recent<1>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 2, "&3", nullptr, C::Always, false, file_recent<2>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 3, "&4", nullptr, C::Always, false, file_recent<3>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 4, "&5", nullptr, C::Always, false, file_recent<4>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 5, "&6", nullptr, C::Always, false, file_recent<5>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 6, "&7", nullptr, C::Always, false, file_recent<6>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 7, "&8", nullptr, C::Always, false, file_recent<7>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 8, "&9", nullptr, C::Always, false, file_recent<8>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 9, "1&0", nullptr, C::Always, false, file_recent<9>},
    {"&File", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_EXIT, "E&xit", nullptr, C::Always, false, file_exit},

    {"&Edit", nullptr, IDM_UNDO, "Undo\tCtrl+Z", "Ctrl+Z", C::UndoAvailable, false, edit_undo},
    {"&Edit", nullptr, IDM_REDO, "&Redo\tCtrl+Y", "Ctrl+Y", C::RedoAvailable, false, edit_redo},
    {"&Edit", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Edit", nullptr, IDM_CUT, "Cu&t\tCtrl+X", "Ctrl+X", C::HasFrame, false, edit_cut},
    {"&Edit", nullptr, IDM_COPY, "&Copy\tCtrl+C", "Ctrl+C", C::HasFrame, false, edit_copy},
    {"&Edit", nullptr, IDM_PASTE, "&Paste To Current Frame\tCtrl+V", "Ctrl+V", C::HasFrame, false, edit_paste},
    {"&Edit", nullptr, IDM_PASTE_AS_NEW_FRAME, "Paste As &New Frame\tCtrl+Shift+V", "Ctrl+Shift+V", C::Always, false,
     edit_paste_as_new_frame},
    {"&Edit", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Edit", nullptr, IDM_PASTE_INTO_ALPHA, "Paste Into &Alpha Channel", nullptr, C::HasFrame, false,
     edit_paste_into_alpha},
    {"&Edit", nullptr, IDM_COPY_ALPHA, "Copy Alpha Channel", nullptr, C::HasFrame, false, edit_copy_alpha},

    // The mnemonics of the items added to the established View menu keep
    // clear of its letters (B, T, A, I, O, Z).
    {"&View", nullptr, IDM_STATUS_BAR, "Status &Bar", nullptr, C::Always, true, view_status_bar},
    {"&View", nullptr, IDM_TOOL_BAR, "&Tool Bar", nullptr, C::Always, true, view_tool_bar},
    {"&View", nullptr, IDM_GROUP_BROWSER, "Group B&rowser", nullptr, C::Always, true, view_group_browser},
    {"&View", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_VIEW_ALPHA, "&Alpha Channel", nullptr, C::Always, true, view_alpha_channel},
    {"&View", nullptr, IDM_CHECKERBOARD, "Transparency &Checkerboard", nullptr, C::Always, true, view_checkerboard},
    {"&View", nullptr, IDM_PIXEL_GRID, "Pixel &Grid", nullptr, C::Always, true, view_pixel_grid},
    {"&View", nullptr, IDM_ALIGN_FRAMES, "A&lign Frames by Origin", nullptr, C::Always, true, view_align_frames},
    {"&View", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_ZOOM_IN, "Zoom &In\tCtrl++", "Ctrl++", C::HasFrame, false, view_zoom_in},
    {"&View", nullptr, IDM_ZOOM_OUT, "Zoom &Out\tCtrl+-", "Ctrl+-", C::HasFrame, false, view_zoom_out},
    {"&View", nullptr, IDM_ZOOM_100, "&Zoom 100%", nullptr, C::HasFrame, false, view_zoom_100},
    {"&View", nullptr, IDM_ZOOM_FIT, "Zoom to &Fit\tCtrl+0", "Ctrl+0", C::HasFrame, false, view_zoom_fit},
    {"&View", nullptr, IDM_ZOOM_FIT_ON_OPEN, "Zoom to Fit on O&pen", nullptr, C::Always, true, view_zoom_fit_on_open},
    {"&View", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_IMAGE_INFORMATION, "&Image Information", nullptr, C::HasFrame, false,
     view_image_information},

    {"&Image", nullptr, IDM_EDIT_PALETTE, "Edit &Palette...", nullptr, C::Always, false, image_edit_palette},
    {"&Image", "Change Color &Depth", IDM_DEPTH_8BIT_PALETTED, "8 bit paletted", nullptr, C::HasFrame, false,
     image_depth_paletted},
    {"&Image", "Change Color &Depth", IDM_DEPTH_8BIT_GRAYSCALE, "8 bit grayscale", nullptr, C::HasFrame, false,
     image_depth_grayscale},
    {"&Image", "Change Color &Depth", IDM_DEPTH_24BIT_RGB, "24 bit RGB", nullptr, C::HasFrame, false, image_depth_rgb},
    {"&Image", "Change Color &Depth", IDM_DEPTH_32BIT_RGBA, "32 bit RGBA", nullptr, C::HasFrame, false,
     image_depth_rgba},
    {"&Image", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", nullptr, IDM_IMPORT_ALPHA, "&Import Alpha Channel", nullptr, C::HasFrame, false, image_import_alpha},
    {"&Image", nullptr, IDM_EXPORT_ALPHA, "&Export Alpha Channel", nullptr, C::HasFrame, false, image_export_alpha},
    {"&Image", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", "&Filters", IDM_FILTER_CONTRAST, "Adjust &Contrast", nullptr, C::HasFrame, false, image_contrast},
    {"&Image", "&Filters", IDM_FILTER_ALIENIFY, "Alienify", nullptr, C::HasFrame, false, image_alienify},
    {"&Image", "&Filters", IDM_FILTER_BLUR_AVERAGE, "Blur (Average)", nullptr, C::HasFrame, false,
     image_blur_average},
    {"&Image", "&Filters", IDM_FILTER_BLUR_GAUSSIAN, "Blur (Gaussian)", nullptr, C::HasFrame, false,
     image_blur_gaussian},
    {"&Image", "&Filters", IDM_FILTER_EDGE_DETECT, "Edge Detect", nullptr, C::HasFrame, false, image_edge_detect},
    {"&Image", "&Filters", IDM_FILTER_EMBOSS, "Emboss", nullptr, C::HasFrame, false, image_emboss},
    {"&Image", "&Filters", IDM_FILTER_NEGATIVE, "Negative Image", nullptr, C::HasFrame, false, image_negative},
    {"&Image", "&Filters", IDM_FILTER_NOISIFY, "Noisify", nullptr, C::HasFrame, false, image_noisify},
    {"&Image", "&Filters", IDM_FILTER_PIXELIZE, "Pixelize", nullptr, C::HasFrame, false, image_pixelize},
    {"&Image", "&Filters", IDM_FILTER_SHARPEN, "Sharpen", nullptr, C::HasFrame, false, image_sharpen},
    {"&Image", nullptr, IDM_GAMMA_CORRECTION, "Gamma &Correction", nullptr, C::HasFrame, false, image_gamma},
    {"&Image", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", nullptr, IDM_RESIZE, "Resize...", nullptr, C::HasFrame, false, image_resize},
    {"&Image", nullptr, IDM_ROTATE, "&Rotate..", nullptr, C::HasFrame, false, image_rotate},
    {"&Image", nullptr, IDM_FLIP, "F&lip", nullptr, C::HasFrame, false, image_flip},
    {"&Image", nullptr, IDM_MIRROR, "&Mirror", nullptr, C::HasFrame, false, image_mirror},

    {"&Groups", nullptr, IDM_GROUP_RENAME, "&Rename", nullptr, C::HasGroup, false, group_rename},
    {"&Groups", nullptr, IDM_GROUP_ADD, "&Add", nullptr, C::Always, false, group_add},
    {"&Groups", nullptr, IDM_GROUP_DUPLICATE, "D&uplicate", nullptr, C::HasGroup, false, group_duplicate},
    {"&Groups", nullptr, IDM_GROUP_DELETE, "&Delete", nullptr, C::HasGroup, false, group_delete},
    {"&Groups", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", "A&rrange", IDM_GROUP_MOVE_UP, "Move &Up", nullptr, C::HasMoreGroups, false, group_move_up},
    {"&Groups", "A&rrange", IDM_GROUP_MOVE_DOWN, "Move &Down", nullptr, C::HasMoreGroups, false, group_move_down},
    {"&Groups", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", nullptr, IDM_GROUP_PROPERTIES, "Group &Properties", nullptr, C::HasGroup, false, group_properties},
    {"&Groups", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", nullptr, IDM_GROUP_PREVIOUS, "Pre&vious Group\tCtrl+PgUp", "Ctrl+PgUp", C::HasMoreGroups, false,
     group_previous},
    {"&Groups", nullptr, IDM_GROUP_NEXT, "Ne&xt Group\tCtrl+PgDown", "Ctrl+PgDown", C::HasMoreGroups, false,
     group_next},

    {"&Animation", nullptr, IDM_FRAME_PROPERTIES, "Frame &Properties", nullptr, C::HasFrame, false, frame_properties},
    {"&Animation", "Propa&gate Frame Properties", IDM_PROPAGATE_TO_GROUP, "To Rest of &Group", nullptr,
     C::HasMoreFrames, false, frame_propagate_to_group},
    {"&Animation", "Propa&gate Frame Properties", IDM_PROPAGATE_TO_ANIMATION, "To Entire &Animation", nullptr,
     C::HasMoreFrames, false, frame_propagate_to_animation},
    {"&Animation", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Animation", nullptr, IDM_DELETE_FRAME, "&Delete Frame\tDel", "Del", C::HasFrame, false, frame_delete},
    {"&Animation", nullptr, IDM_IMPORT_APPEND, "Import && &Append Frame(s)", nullptr, C::Always, false,
     frame_import_append},
    {"&Animation", nullptr, IDM_IMPORT_REPLACE, "Import && &Replace Frame", nullptr, C::HasFrame, false,
     frame_import_replace},
    {"&Animation", nullptr, IDM_EXPORT_FRAME, "E&xport Frame", nullptr, C::HasFrame, false, frame_export},
    {"&Animation", nullptr, 0, nullptr, nullptr, C::Always, false, nullptr},
    {"&Animation", nullptr, IDM_FIRST, "&First\tHome", "Home", C::HasMoreFrames, false, frame_first},
    {"&Animation", nullptr, IDM_PREVIOUS, "Pre&vious\tLeft Arrow", "Left", C::HasMoreFrames, false, frame_previous},
    {"&Animation", nullptr, IDM_PLAY, "P&lay", nullptr, C::HasMoreFrames, false, frame_play},
    {"&Animation", nullptr, IDM_STOP, "&Stop", nullptr, C::HasMoreFrames, false, frame_stop},
    {"&Animation", nullptr, IDM_NEXT, "&Next\tRight Arrow", "Right", C::HasMoreFrames, false, frame_next},
    {"&Animation", nullptr, IDM_END, "&End\tEnd", "End", C::HasMoreFrames, false, frame_end},

    {"&Help", nullptr, IDM_HELP_CONTENTS, "&Contents\tF1", "F1", C::Always, false, help_contents},
    {"&Help", nullptr, IDM_ABOUT, "&About", nullptr, C::Always, false, help_about},

    // Toolbar only.
    {nullptr, nullptr, IDM_ORIGIN_MODE, nullptr, nullptr, C::HasFrame, true, view_origin_mode},
};
const size_t COMMAND_TABLE_SIZE = std::size(COMMAND_TABLE);

const CommandEntry *command_entry(int command)
{
    if (command == 0)
        return nullptr;
    for (const CommandEntry &entry : COMMAND_TABLE)
        if (entry.command == command)
            return &entry;
    return nullptr;
}

const ExtraShortcut EXTRA_SHORTCUTS[] = {
    {IDM_REDO, "Ctrl+Shift+Z"},
    {IDM_ZOOM_IN, "Ctrl+="}, // keyboards without a keypad
};
const size_t EXTRA_SHORTCUTS_SIZE = std::size(EXTRA_SHORTCUTS);

const ToolbarEntry TOOLBAR_TABLE[] = {
    {IDM_OPEN, ":/icons/open.png", false},
    {IDM_SAVE, ":/icons/save.png", false},
    {IDM_FILE_PROPERTIES, ":/icons/file_properties.png", false},
    {0, nullptr, false},
    {IDM_UNDO, ":/icons/undo.png", false},
    {0, nullptr, false},
    {IDM_ZOOM_IN, ":/icons/zoom_in.png", false},
    {IDM_ZOOM_OUT, ":/icons/zoom_out.png", false},
    {0, nullptr, false},
    {IDM_ORIGIN_MODE, ":/icons/origin_mode.png", true},
    {IDM_BOUNDING_BOX_MODE, ":/icons/bounding_box.png", true},
    {IDM_VIEW_ALPHA, ":/icons/view_alpha.png", true},
    {0, nullptr, false},
    {IDM_FIRST, ":/icons/first.png", false},
    {IDM_PREVIOUS, ":/icons/previous.png", false},
    {IDM_PLAY, ":/icons/play.png", false},
    {IDM_STOP, ":/icons/stop.png", false},
    {IDM_NEXT, ":/icons/next.png", false},
    {IDM_END, ":/icons/end.png", false},
    {0, nullptr, false},
    {IDM_IMPORT_APPEND, ":/icons/import_append.png", false},
    {IDM_DELETE_FRAME, ":/icons/delete_frame.png", false},
    {IDM_FRAME_PROPERTIES, ":/icons/frame_properties.png", false},
};
const size_t TOOLBAR_TABLE_SIZE = std::size(TOOLBAR_TABLE);

const char *tooltip_text(int command)
{
    switch (command) {
    case IDM_OPEN: return "Open File";
    case IDM_SAVE: return "Save File";
    case IDM_FILE_PROPERTIES: return "File Properties";
    case IDM_UNDO: return "Undo";
    case IDM_ZOOM_IN: return "Zoom In";
    case IDM_ZOOM_OUT: return "Zoom Out";
    case IDM_ORIGIN_MODE: return "Origin Mode";
    case IDM_BOUNDING_BOX_MODE: return "Bounding Box Mode";
    case IDM_VIEW_ALPHA: return "View Alpha Channel";
    case IDM_FIRST: return "First";
    case IDM_PREVIOUS: return "Previous";
    case IDM_PLAY: return "Play";
    case IDM_STOP: return "Stop";
    case IDM_NEXT: return "Next Frame";
    case IDM_END: return "End";
    case IDM_IMPORT_APPEND: return "Import & append Frames";
    case IDM_DELETE_FRAME: return "Delete Frame";
    case IDM_FRAME_PROPERTIES: return "Frame Properties";
    default: return nullptr;
    }
}

bool command_is_offered(int command)
{
    const CommandEntry *entry = command_entry(command);
    return entry && entry->handler;
}
