#include "app/command_table.h"

#include <iterator>
#include <string>

#include "app/commands/animation_commands.h"
#include "app/commands/edit_commands.h"
#include "app/commands/file_commands.h"
#include "app/commands/groups_commands.h"
#include "app/commands/help_commands.h"
#include "app/commands/paint_commands.h"
#include "app/commands/palette_commands.h"
#include "app/commands/recent_commands.h"
#include "app/commands/image_commands.h"
#include "app/commands/view_commands.h"
#include "app/logic/command_ids.h"

namespace {
using C = CommandCondition;
} // namespace

const CommandEntry COMMAND_TABLE[] = {
    // menu, submenu, id, label, key, tool tip, enabled, check item, handler
    {"&File", nullptr, IDM_NEW, "&New", "Ctrl+N", nullptr, C::Always, false, file_new},
    {"&File", nullptr, IDM_OPEN, "&Open...", "Ctrl+O", "Open File", C::Always, false, file_open},
    {"&File", nullptr, IDM_CLOSE, "&Close", nullptr, nullptr, C::Always, false, file_new},
    {"&File", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", "&TWAIN", IDM_TWAIN_ACQUIRE, "&Acquire", nullptr, nullptr, C::ScannerFound, false, file_acquire},
    {"&File", "&TWAIN", IDM_TWAIN_SELECT_SOURCE, "&Select Source...", nullptr, nullptr, C::ScannerFound, false,
     file_select_source},
    {"&File", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_SAVE, "&Save", "Ctrl+S", "Save File", C::HasFrame, false, file_save},
    {"&File", nullptr, IDM_SAVE_AS, "Save &As...", nullptr, nullptr, C::HasFrame, false, file_save_as},
    {"&File", "&Export", IDM_EXPORT_SPRITE_SHEET, "Sprite &Sheet...", nullptr, nullptr, C::HasFrame, false,
     file_export_sprite_sheet},
    {"&File", "&Export", IDM_EXPORT_GIF, "Animated &GIF...", nullptr, nullptr, C::HasFrame, false, file_export_gif},
    {"&File", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_FILE_PROPERTIES, "File &Properties", nullptr, "File Properties", C::Always, false,
     file_properties},
    {"&File", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    // The window shows the recent paths as these items' texts.
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 0, "&1", nullptr, nullptr, C::Always, false, file_recent<0>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 1, "&2", nullptr, nullptr, C::Always, false, file_recent<1>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 2, "&3", nullptr, nullptr, C::Always, false, file_recent<2>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 3, "&4", nullptr, nullptr, C::Always, false, file_recent<3>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 4, "&5", nullptr, nullptr, C::Always, false, file_recent<4>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 5, "&6", nullptr, nullptr, C::Always, false, file_recent<5>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 6, "&7", nullptr, nullptr, C::Always, false, file_recent<6>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 7, "&8", nullptr, nullptr, C::Always, false, file_recent<7>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 8, "&9", nullptr, nullptr, C::Always, false, file_recent<8>},
    {"&File", "Recent &Files", IDM_RECENT_FILE_1 + 9, "1&0", nullptr, nullptr, C::Always, false, file_recent<9>},
    {"&File", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&File", nullptr, IDM_EXIT, "E&xit", nullptr, nullptr, C::Always, false, file_exit},

    {"&Edit", nullptr, IDM_UNDO, "Undo", "Ctrl+Z", "Undo", C::UndoAvailable, false, edit_undo},
    {"&Edit", nullptr, IDM_REDO, "&Redo", "Ctrl+Y", nullptr, C::RedoAvailable, false, edit_redo},
    {"&Edit", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Edit", nullptr, IDM_CUT, "Cu&t", "Ctrl+X", nullptr, C::HasFrame, false, edit_cut},
    {"&Edit", nullptr, IDM_COPY, "&Copy", "Ctrl+C", nullptr, C::HasFrame, false, edit_copy},
    {"&Edit", nullptr, IDM_PASTE, "&Paste To Current Frame", "Ctrl+V", nullptr, C::HasFrame, false, edit_paste},
    {"&Edit", nullptr, IDM_PASTE_AS_NEW_FRAME, "Paste As &New Frame", "Ctrl+Shift+V", nullptr, C::Always, false,
     edit_paste_as_new_frame},
    {"&Edit", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Edit", nullptr, IDM_PASTE_INTO_ALPHA, "Paste Into &Alpha Channel", nullptr, nullptr, C::HasFrame, false,
     edit_paste_into_alpha},
    {"&Edit", nullptr, IDM_COPY_ALPHA, "Copy Alpha Channel", nullptr, nullptr, C::HasFrame, false, edit_copy_alpha},

    // The mnemonics of the items added to the established View menu keep
    // clear of its letters (B, T, A, I, O, Z).
    {"&View", nullptr, IDM_STATUS_BAR, "Status &Bar", nullptr, nullptr, C::Always, true, view_status_bar},
    {"&View", nullptr, IDM_TOOL_BAR, "&Tool Bar", nullptr, nullptr, C::Always, true, view_tool_bar},
    {"&View", nullptr, IDM_GROUP_BROWSER, "Group B&rowser", nullptr, nullptr, C::Always, true, view_group_browser},
    {"&View", nullptr, IDM_FRAME_STRIP, "Frame &Strip", nullptr, nullptr, C::Always, true, view_frame_strip},
    {"&View", nullptr, IDM_PALETTE_PANEL, "Palett&e Panel", nullptr, nullptr, C::Always, true, view_palette_panel},
    {"&View", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_VIEW_ALPHA, "&Alpha Channel", nullptr, "View Alpha Channel", C::Always, true,
     view_alpha_channel},
    {"&View", nullptr, IDM_CHECKERBOARD, "Transparency &Checkerboard", nullptr, nullptr, C::Always, true,
     view_checkerboard},
    {"&View", nullptr, IDM_PIXEL_GRID, "Pi&xel Grid", nullptr, nullptr, C::Always, true, view_pixel_grid},
    {"&View", nullptr, IDM_ALIGN_FRAMES, "A&lign Frames by Origin", nullptr, nullptr, C::Always, true,
     view_align_frames},
    {"&View", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_TILED, "&Tiled", "Ctrl+T", nullptr, C::Always, true, view_tiled},
    {"&View", nullptr, IDM_ONION_SKIN, "&Onion Skin", nullptr, nullptr, C::Always, true, view_onion_skin},
    {"&View", nullptr, IDM_FULLBRIGHT_PIXELS, "&Fullbright Pixels", nullptr, nullptr, C::Always, true,
     view_fullbright_pixels},
    {"&View", nullptr, IDM_GAME_LIGHTING, "&Game Lighting...", nullptr, nullptr, C::Always, true, view_game_lighting},
    {"&View", nullptr, IDM_GAME_EFFECTS, "Sky and &Water as in the Game", nullptr, nullptr, C::Always, true,
     view_game_effects},
    {"&View", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_ZOOM_IN, "Zoom &In", "Ctrl++", "Zoom In", C::HasFrame, false, view_zoom_in},
    {"&View", nullptr, IDM_ZOOM_OUT, "Zoom &Out", "Ctrl+-", "Zoom Out", C::HasFrame, false, view_zoom_out},
    {"&View", nullptr, IDM_ZOOM_100, "&Zoom 100%", nullptr, nullptr, C::HasFrame, false, view_zoom_100},
    {"&View", nullptr, IDM_ZOOM_FIT, "Zoo&m to Fit", "Ctrl+0", nullptr, C::HasFrame, false, view_zoom_fit},
    {"&View", nullptr, IDM_ZOOM_FIT_ON_OPEN, "Zoom to Fit on O&pen", nullptr, nullptr, C::Always, true,
     view_zoom_fit_on_open},
    {"&View", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&View", nullptr, IDM_IMAGE_INFORMATION, "&Image Information", nullptr, nullptr, C::HasFrame, false,
     view_image_information},

    {"&Image", nullptr, IDM_EDIT_PALETTE, "Edit &Palette...", nullptr, nullptr, C::Always, false, image_edit_palette},
    {"&Image", "Change Color &Depth", IDM_DEPTH_8BIT_PALETTED, "8 bit paletted", nullptr, nullptr, C::HasFrame, false,
     image_depth_paletted},
    {"&Image", "Change Color &Depth", IDM_DEPTH_8BIT_GRAYSCALE, "8 bit grayscale", nullptr, nullptr, C::HasFrame, false,
     image_depth_grayscale},
    {"&Image", "Change Color &Depth", IDM_DEPTH_24BIT_RGB, "24 bit RGB", nullptr, nullptr, C::HasFrame, false,
     image_depth_rgb},
    {"&Image", "Change Color &Depth", IDM_DEPTH_32BIT_RGBA, "32 bit RGBA", nullptr, nullptr, C::HasFrame, false,
     image_depth_rgba},
    {"&Image", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", nullptr, IDM_IMPORT_ALPHA, "&Import Alpha Channel", nullptr, nullptr, C::HasFrame, false,
     image_import_alpha},
    {"&Image", nullptr, IDM_EXPORT_ALPHA, "&Export Alpha Channel", nullptr, nullptr, C::HasFrame, false,
     image_export_alpha},
    {"&Image", nullptr, IDM_MATCH_PALETTE, "Ma&tch to Palette...", nullptr, nullptr, C::HasFrame, false,
     image_match_palette},
    {"&Image", nullptr, IDM_IMPORT_FULLBRIGHT_MASK, "Import F&ullbright Mask...", nullptr, nullptr, C::HasFrame,
     false, image_import_fullbright_mask},
    {"&Image", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", "&Filters", IDM_FILTER_CONTRAST, "Adjust &Contrast", nullptr, nullptr, C::HasFrame, false,
     image_contrast},
    {"&Image", "&Filters", IDM_FILTER_ALIENIFY, "Alienify", nullptr, nullptr, C::HasFrame, false, image_alienify},
    {"&Image", "&Filters", IDM_FILTER_BLUR_AVERAGE, "Blur (Average)", nullptr, nullptr, C::HasFrame, false,
     image_blur_average},
    {"&Image", "&Filters", IDM_FILTER_BLUR_GAUSSIAN, "Blur (Gaussian)", nullptr, nullptr, C::HasFrame, false,
     image_blur_gaussian},
    {"&Image", "&Filters", IDM_FILTER_EDGE_DETECT, "Edge Detect", nullptr, nullptr, C::HasFrame, false,
     image_edge_detect},
    {"&Image", "&Filters", IDM_FILTER_EMBOSS, "Emboss", nullptr, nullptr, C::HasFrame, false, image_emboss},
    {"&Image", "&Filters", IDM_FILTER_NEGATIVE, "Negative Image", nullptr, nullptr, C::HasFrame, false, image_negative},
    {"&Image", "&Filters", IDM_FILTER_NOISIFY, "Noisify", nullptr, nullptr, C::HasFrame, false, image_noisify},
    {"&Image", "&Filters", IDM_FILTER_PIXELIZE, "Pixelize", nullptr, nullptr, C::HasFrame, false, image_pixelize},
    {"&Image", "&Filters", IDM_FILTER_SHARPEN, "Sharpen", nullptr, nullptr, C::HasFrame, false, image_sharpen},
    {"&Image", nullptr, IDM_GAMMA_CORRECTION, "Gamma &Correction", nullptr, nullptr, C::HasFrame, false, image_gamma},
    {"&Image", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Image", nullptr, IDM_RESIZE, "Resize...", nullptr, nullptr, C::HasFrame, false, image_resize},
    {"&Image", nullptr, IDM_ROTATE, "&Rotate..", nullptr, nullptr, C::HasFrame, false, image_rotate},
    {"&Image", nullptr, IDM_FLIP, "F&lip", nullptr, nullptr, C::HasFrame, false, image_flip},
    {"&Image", nullptr, IDM_MIRROR, "&Mirror", nullptr, nullptr, C::HasFrame, false, image_mirror},

    // The paint tools carry the keys artists know from Aseprite.
    {"&Tools", nullptr, IDM_TOOL_PENCIL, "&Pencil", "B", "Pencil", C::Always, true, tool_pencil},
    {"&Tools", nullptr, IDM_TOOL_ERASER, "&Eraser", "E", "Eraser", C::Always, true, tool_eraser},
    {"&Tools", nullptr, IDM_TOOL_FILL, "&Fill", "G", "Fill (Shift: every pixel of that colour)", C::Always, true,
     tool_fill},
    {"&Tools", nullptr, IDM_TOOL_EYEDROPPER, "E&yedropper", "I", "Eyedropper (or Alt with any tool)", C::Always, true,
     tool_eyedropper},
    {"&Tools", nullptr, IDM_TOOL_LINE, "&Line", "L", "Line", C::Always, true, tool_line},
    {"&Tools", nullptr, IDM_TOOL_RECTANGLE, "&Rectangle", "U", "Rectangle (Shift: filled)", C::Always, true,
     tool_rectangle},
    {"&Tools", nullptr, IDM_TOOL_SELECT, "Rectangle &Selection", "M", "Rectangle Selection", C::Always, true,
     tool_select},
    {"&Tools", nullptr, IDM_ORIGIN_MODE, "&Origin Mode", nullptr, "Origin Mode", C::HasFrame, true, tool_origin},
    {"&Tools", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Tools", nullptr, IDM_BRUSH_LARGER, "Brush Si&ze Up", "]", nullptr, C::Always, false, brush_larger},
    {"&Tools", nullptr, IDM_BRUSH_SMALLER, "Brush Size &Down", "[", nullptr, C::Always, false, brush_smaller},
    {"&Tools", nullptr, IDM_BRUSH_ROUND, "Rou&nd Brush", nullptr, nullptr, C::Always, true, brush_round},
    {"&Tools", nullptr, IDM_SWAP_VALUES, "S&wap Colors", "X", nullptr, C::Always, false, swap_values},
    {"&Tools", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Tools", nullptr, IDM_SELECT_ALL, "Select &All", "Ctrl+A", nullptr, C::HasFrame, false, select_all},
    {"&Tools", nullptr, IDM_DESELECT, "Deselec&t", "Ctrl+D", nullptr, C::Always, false, deselect},

    {"&Groups", nullptr, IDM_GROUP_RENAME, "&Rename", nullptr, nullptr, C::HasGroup, false, group_rename},
    {"&Groups", nullptr, IDM_GROUP_ADD, "&Add", nullptr, nullptr, C::Always, false, group_add},
    {"&Groups", nullptr, IDM_GROUP_DUPLICATE, "D&uplicate", nullptr, nullptr, C::HasGroup, false, group_duplicate},
    {"&Groups", nullptr, IDM_GROUP_DELETE, "&Delete", nullptr, nullptr, C::HasGroup, false, group_delete},
    {"&Groups", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", "A&rrange", IDM_GROUP_MOVE_UP, "Move &Up", nullptr, nullptr, C::HasMoreGroups, false, group_move_up},
    {"&Groups", "A&rrange", IDM_GROUP_MOVE_DOWN, "Move &Down", nullptr, nullptr, C::HasMoreGroups, false,
     group_move_down},
    {"&Groups", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", nullptr, IDM_GROUP_PROPERTIES, "Group &Properties", nullptr, nullptr, C::HasGroup, false,
     group_properties},
    {"&Groups", nullptr, IDM_RENUMBER_SEQUENCE, "Renumber Se&quence", nullptr, nullptr, C::HasGroup, false,
     group_renumber_sequence},
    {"&Groups", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Groups", nullptr, IDM_GROUP_PREVIOUS, "Pre&vious Group", "Ctrl+PgUp", nullptr, C::HasMoreGroups, false,
     group_previous},
    {"&Groups", nullptr, IDM_GROUP_NEXT, "Ne&xt Group", "Ctrl+PgDown", nullptr, C::HasMoreGroups, false, group_next},

    {"&Animation", nullptr, IDM_FRAME_PROPERTIES, "Frame &Properties", nullptr, "Frame Properties", C::HasFrame, false,
     frame_properties},
    {"&Animation", "Propa&gate Frame Properties", IDM_PROPAGATE_TO_GROUP, "To Rest of &Group", nullptr, nullptr,
     C::HasMoreFrames, false, frame_propagate_to_group},
    {"&Animation", "Propa&gate Frame Properties", IDM_PROPAGATE_TO_ANIMATION, "To Entire &Animation", nullptr, nullptr,
     C::HasMoreFrames, false, frame_propagate_to_animation},
    {"&Animation", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Animation", nullptr, IDM_DELETE_FRAME, "&Delete Frame", "Del", "Delete Frame", C::HasFrame, false, frame_delete},
    {"&Animation", nullptr, IDM_IMPORT_APPEND, "Import && &Append Frame(s)", nullptr, "Import & append Frames",
     C::Always, false, frame_import_append},
    {"&Animation", nullptr, IDM_IMPORT_REPLACE, "Import && &Replace Frame", nullptr, nullptr, C::HasFrame, false,
     frame_import_replace},
    {"&Animation", nullptr, IDM_EXPORT_FRAME, "E&xport Frame", nullptr, nullptr, C::HasFrame, false, frame_export},
    {"&Animation", nullptr, 0, nullptr, nullptr, nullptr, C::Always, false, nullptr},
    {"&Animation", nullptr, IDM_FIRST, "&First", "Home", "First", C::HasMoreFrames, false, frame_first},
    {"&Animation", nullptr, IDM_PREVIOUS, "Pre&vious", "Left", "Previous", C::HasMoreFrames, false, frame_previous},
    {"&Animation", nullptr, IDM_PLAY, "P&lay", nullptr, "Play", C::HasMoreFrames, false, frame_play},
    {"&Animation", nullptr, IDM_STOP, "&Stop", nullptr, "Stop", C::HasMoreFrames, false, frame_stop},
    {"&Animation", nullptr, IDM_NEXT, "&Next", "Right", "Next Frame", C::HasMoreFrames, false, frame_next},
    {"&Animation", nullptr, IDM_END, "&End", "End", "End", C::HasMoreFrames, false, frame_end},

    {"&Help", nullptr, IDM_HELP_CONTENTS, "&Contents", "F1", nullptr, C::Always, false, help_contents},
    {"&Help", nullptr, IDM_ABOUT, "&About", nullptr, nullptr, C::Always, false, help_about},

    // Toolbar only.
    // A button with no command attached: it carries its tool tip and stays
    // grey.
    {nullptr, nullptr, IDM_BOUNDING_BOX_MODE, nullptr, nullptr, "Bounding Box Mode", C::Always, true, nullptr},
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
    {IDM_OPEN, ":/icons/open.png"},
    {IDM_SAVE, ":/icons/save.png"},
    {IDM_FILE_PROPERTIES, ":/icons/file_properties.png"},
    {0, nullptr},
    {IDM_UNDO, ":/icons/undo.png"},
    {0, nullptr},
    {IDM_ZOOM_IN, ":/icons/zoom_in.png"},
    {IDM_ZOOM_OUT, ":/icons/zoom_out.png"},
    {0, nullptr},
    {IDM_ORIGIN_MODE, ":/icons/origin_mode.png"},
    {IDM_BOUNDING_BOX_MODE, ":/icons/bounding_box.png"},
    {IDM_VIEW_ALPHA, ":/icons/view_alpha.png"},
    {0, nullptr},
    {IDM_FIRST, ":/icons/first.png"},
    {IDM_PREVIOUS, ":/icons/previous.png"},
    {IDM_PLAY, ":/icons/play.png"},
    {IDM_STOP, ":/icons/stop.png"},
    {IDM_NEXT, ":/icons/next.png"},
    {IDM_END, ":/icons/end.png"},
    {0, nullptr},
    {IDM_IMPORT_APPEND, ":/icons/import_append.png"},
    {IDM_DELETE_FRAME, ":/icons/delete_frame.png"},
    {IDM_FRAME_PROPERTIES, ":/icons/frame_properties.png"},
    {0, nullptr},
    {IDM_TOOL_PENCIL, ":/icons/pencil.png"},
    {IDM_TOOL_ERASER, ":/icons/eraser.png"},
    {IDM_TOOL_FILL, ":/icons/fill.png"},
    {IDM_TOOL_EYEDROPPER, ":/icons/eyedropper.png"},
    {IDM_TOOL_LINE, ":/icons/line.png"},
    {IDM_TOOL_RECTANGLE, ":/icons/rectangle.png"},
    {IDM_TOOL_SELECT, ":/icons/select.png"},
};
const size_t TOOLBAR_TABLE_SIZE = std::size(TOOLBAR_TABLE);

std::string menu_text(const CommandEntry &entry)
{
    std::string text = entry.label ? entry.label : "";
    if (!entry.keys)
        return text;
    // The menu shows the key as written in the table, but names the arrow
    // keys in full.
    const std::string keys = entry.keys;
    text += '\t';
    text += keys;
    if (keys == "Left" || keys == "Right")
        text += " Arrow";
    return text;
}

std::string history_menu_text(int command, const std::string &label)
{
    const CommandEntry *entry = command_entry(command);
    if (!entry)
        return {};
    std::string text = menu_text(*entry);
    if (!label.empty())
        text.insert(std::string(entry->label).size(), " " + label);
    return text;
}

CommandCondition command_condition(int command)
{
    const CommandEntry *entry = command_entry(command);
    return entry ? entry->condition : CommandCondition::Always;
}

bool command_enabled(int command, const DocConditions &conditions)
{
    return condition_holds(command_condition(command), conditions);
}

bool command_is_offered(int command)
{
    const CommandEntry *entry = command_entry(command);
    return entry && entry->handler;
}

bool toolbar_button_enabled(int command, const DocConditions &conditions)
{
    // A button without a command (Bounding Box Mode) stays grey.
    return command_is_offered(command) && command_enabled(command, conditions);
}
