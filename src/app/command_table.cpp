#include "app/command_table.h"

#include <iterator>

#include "app/logic/command_ids.h"

const MenuEntry MENU_TABLE[] = {
    {"&File", nullptr, IDM_NEW, "&New\tCtrl+N", false},
    {"&File", nullptr, IDM_OPEN, "&Open...\tCtrl+O", false},
    {"&File", nullptr, IDM_CLOSE, "&Close", false},
    {"&File", nullptr, 0, nullptr, false},
    {"&File", nullptr, IDM_SAVE, "&Save\tCtrl+S", false},
    {"&File", nullptr, IDM_SAVE_AS, "Save &As...", false},
    {"&File", nullptr, 0, nullptr, false},
    {"&File", nullptr, IDM_EXIT, "E&xit", false},

    {"&Edit", nullptr, IDM_UNDO, "Undo\tCtrl+Z", false},
    {"&Edit", nullptr, 0, nullptr, false},
    {"&Edit", nullptr, IDM_CUT, "Cu&t\tCtrl+X", false},
    {"&Edit", nullptr, IDM_COPY, "&Copy\tCtrl+C", false},
    {"&Edit", nullptr, IDM_PASTE, "&Paste To Current Frame\tCtrl+V", false},
    {"&Edit", nullptr, IDM_PASTE_AS_NEW_FRAME, "Paste As &New Frame\tCtrl+Shift+V", false},

    {"&View", nullptr, IDM_STATUS_BAR, "Status &Bar", true},
    {"&View", nullptr, IDM_TOOL_BAR, "&Tool Bar", true},
    {"&View", nullptr, 0, nullptr, false},
    {"&View", nullptr, IDM_VIEW_ALPHA, "&Alpha Channel", true},
    {"&View", nullptr, 0, nullptr, false},
    {"&View", nullptr, IDM_ZOOM_IN, "Zoom &In\tCtrl++", false},
    {"&View", nullptr, IDM_ZOOM_OUT, "Zoom &Out\tCtrl+-", false},
    {"&View", nullptr, IDM_ZOOM_100, "&Zoom 100%", false},

    {"&Animation", nullptr, IDM_DELETE_FRAME, "&Delete Frame\tDel", false},
    {"&Animation", nullptr, IDM_IMPORT_APPEND, "Import && &Append Frame(s)", false},
    {"&Animation", nullptr, 0, nullptr, false},
    {"&Animation", nullptr, IDM_FIRST, "&First\tHome", false},
    {"&Animation", nullptr, IDM_PREVIOUS, "Pre&vious\tLeft Arrow", false},
    {"&Animation", nullptr, IDM_PLAY, "P&lay", false},
    {"&Animation", nullptr, IDM_STOP, "&Stop", false},
    {"&Animation", nullptr, IDM_NEXT, "&Next\tRight Arrow", false},
    {"&Animation", nullptr, IDM_END, "&End\tEnd", false},

    {"&Help", nullptr, IDM_ABOUT, "&About", false},
};
const size_t MENU_TABLE_SIZE = std::size(MENU_TABLE);

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

// Ctrl+O opens a file, as the File menu says.
const AcceleratorEntry ACCELERATOR_TABLE[] = {
    {"Ctrl+N", IDM_NEW},
    {"Ctrl+O", IDM_OPEN},
    {"Ctrl+S", IDM_SAVE},
    {"Ctrl+C", IDM_COPY},
    {"Ctrl+X", IDM_CUT},
    {"Ctrl+V", IDM_PASTE},
    {"Ctrl+Shift+V", IDM_PASTE_AS_NEW_FRAME},
    {"Ctrl+Z", IDM_UNDO},
    {"Ctrl++", IDM_ZOOM_IN},
    {"Ctrl+-", IDM_ZOOM_OUT},
    {"Del", IDM_DELETE_FRAME},
    {"Home", IDM_FIRST},
    {"End", IDM_END},
    {"Left", IDM_PREVIOUS},
    {"Right", IDM_NEXT},
};
const size_t ACCELERATOR_TABLE_SIZE = std::size(ACCELERATOR_TABLE);

bool command_is_offered(int command)
{
    if (command == IDM_ORIGIN_MODE)
        return true;
    for (const MenuEntry &entry : MENU_TABLE)
        if (entry.command == command)
            return true;
    return false;
}
