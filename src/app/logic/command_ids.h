// Every command of the main window: menu items, toolbar buttons and
// accelerators share these identifiers, and the editor's command table
// (app/command_table.h) is keyed by them.
#pragma once

// File menu
inline constexpr int IDM_NEW = 57600;
inline constexpr int IDM_OPEN = 57601;
inline constexpr int IDM_CLOSE = 57602;
inline constexpr int IDM_TWAIN_ACQUIRE = 40118;
inline constexpr int IDM_TWAIN_SELECT_SOURCE = 40119;
inline constexpr int IDM_SAVE = 57603;
inline constexpr int IDM_SAVE_AS = 40005;
inline constexpr int IDM_FILE_PROPERTIES = 40025;
// File > Export (41110..41119)
inline constexpr int IDM_EXPORT_SPRITE_SHEET = 41110;
inline constexpr int IDM_EXPORT_GIF = 41111;
inline constexpr int IDM_EXIT = 40007;

// Edit menu
inline constexpr int IDM_UNDO = 57643;
inline constexpr int IDM_CUT = 57635;
inline constexpr int IDM_COPY = 57634;
inline constexpr int IDM_PASTE = 57637;  // Paste To Current Frame
inline constexpr int IDM_PASTE_AS_NEW_FRAME = 40017;
inline constexpr int IDM_PASTE_INTO_ALPHA = 40077;
inline constexpr int IDM_COPY_ALPHA = 40080;

// View menu
inline constexpr int IDM_STATUS_BAR = 40044;
inline constexpr int IDM_TOOL_BAR = 59392;
inline constexpr int IDM_VIEW_ALPHA = 40042;
inline constexpr int IDM_ZOOM_IN = 40031;
inline constexpr int IDM_ZOOM_OUT = 40032;
inline constexpr int IDM_ZOOM_100 = 40071;
inline constexpr int IDM_IMAGE_INFORMATION = 40075;

// Image menu
inline constexpr int IDM_EDIT_PALETTE = 40047;
inline constexpr int IDM_DEPTH_8BIT_PALETTED = 40052;
inline constexpr int IDM_DEPTH_8BIT_GRAYSCALE = 40051;
inline constexpr int IDM_DEPTH_24BIT_RGB = 40049;
inline constexpr int IDM_DEPTH_32BIT_RGBA = 40050;
inline constexpr int IDM_IMPORT_ALPHA = 40078;
inline constexpr int IDM_EXPORT_ALPHA = 40079;
inline constexpr int IDM_FILTER_CONTRAST = 40093;
inline constexpr int IDM_FILTER_ALIENIFY = 40107;
inline constexpr int IDM_FILTER_BLUR_AVERAGE = 40094;
inline constexpr int IDM_FILTER_BLUR_GAUSSIAN = 40095;
inline constexpr int IDM_FILTER_EDGE_DETECT = 40096;
inline constexpr int IDM_FILTER_EMBOSS = 40097;
inline constexpr int IDM_FILTER_NEGATIVE = 40100;
inline constexpr int IDM_FILTER_NOISIFY = 40101;
inline constexpr int IDM_FILTER_PIXELIZE = 40102;
inline constexpr int IDM_FILTER_SHARPEN = 40105;
inline constexpr int IDM_GAMMA_CORRECTION = 40108;
inline constexpr int IDM_RESIZE = 40123;
inline constexpr int IDM_ROTATE = 40112;
inline constexpr int IDM_FLIP = 40098;
inline constexpr int IDM_MIRROR = 40099;
inline constexpr int IDM_MATCH_PALETTE = 41160;
inline constexpr int IDM_IMPORT_FULLBRIGHT_MASK = 41161;

// Groups menu
inline constexpr int IDM_GROUP_RENAME = 40055;
inline constexpr int IDM_GROUP_ADD = 40056;
inline constexpr int IDM_GROUP_DUPLICATE = 40121;
inline constexpr int IDM_GROUP_DELETE = 40057;
inline constexpr int IDM_GROUP_MOVE_UP = 40058;
inline constexpr int IDM_GROUP_MOVE_DOWN = 40059;
inline constexpr int IDM_GROUP_PROPERTIES = 40061;

// Animation menu
inline constexpr int IDM_FRAME_PROPERTIES = 40038;
inline constexpr int IDM_PROPAGATE_TO_GROUP = 40086;
inline constexpr int IDM_PROPAGATE_TO_ANIMATION = 40087;
inline constexpr int IDM_DELETE_FRAME = 40037;
inline constexpr int IDM_IMPORT_APPEND = 40036;
inline constexpr int IDM_IMPORT_REPLACE = 40074;
inline constexpr int IDM_EXPORT_FRAME = 40076;
inline constexpr int IDM_FIRST = 40035;
inline constexpr int IDM_PREVIOUS = 40029;
inline constexpr int IDM_PLAY = 40028;
inline constexpr int IDM_STOP = 40062;
inline constexpr int IDM_NEXT = 40033;
inline constexpr int IDM_END = 40034;

// Help menu
inline constexpr int IDM_HELP_CONTENTS = 40072;
inline constexpr int IDM_ABOUT = 40073;

// Toolbar only
inline constexpr int IDM_ORIGIN_MODE = 40027;
inline constexpr int IDM_BOUNDING_BOX_MODE = 40054;  // no command attached, never enabled

// Bound to Ctrl+O by the accelerator table; no handler serves it.
inline constexpr int IDM_ACCEL_CTRL_O = 40043;

// Controls of the main window and its timer.
inline constexpr int IDC_PREVIEW = 1019;
inline constexpr int IDC_FRAME_SLIDER = 1000;
inline constexpr int IDC_GROUP_SELECTOR = 1003;
inline constexpr int IDC_TOOLBAR = 131;
inline constexpr int IDC_STATUS_BAR = 1;
inline constexpr int PLAYBACK_TIMER = 1000;

// Undo history and recent files (41000..41019)
inline constexpr int IDM_REDO = 41000;
inline constexpr int IDM_RECENT_FILE_1 = 41001; // .. IDM_RECENT_FILE_1 + 9, the File > Recent Files entries
inline constexpr int IDM_RECENT_FILE_10 = 41010;

// The group browser panel and stepping between groups.
inline constexpr int IDM_GROUP_BROWSER = 41040;  // View menu toggle
inline constexpr int IDM_GROUP_PREVIOUS = 41041; // Groups menu, Ctrl+Page Up
inline constexpr int IDM_GROUP_NEXT = 41042;     // Groups menu, Ctrl+Page Down
inline constexpr int IDM_FRAME_STRIP = 41043;    // View menu toggle: the frame strip
inline constexpr int IDM_RENUMBER_SEQUENCE = 41044; // Groups menu: an animated texture sequence

// View options and zoom of the preview (41020..41039)
inline constexpr int IDM_ZOOM_FIT = 41020;
inline constexpr int IDM_CHECKERBOARD = 41021;
inline constexpr int IDM_PIXEL_GRID = 41022;
inline constexpr int IDM_ALIGN_FRAMES = 41023;
inline constexpr int IDM_ZOOM_FIT_ON_OPEN = 41024;

// The paint tools and the palette panel (41060..41079)
inline constexpr int IDM_TOOL_PENCIL = 41060;
inline constexpr int IDM_TOOL_ERASER = 41061;
inline constexpr int IDM_TOOL_FILL = 41062;
inline constexpr int IDM_TOOL_EYEDROPPER = 41063;
inline constexpr int IDM_TOOL_LINE = 41064;
inline constexpr int IDM_TOOL_RECTANGLE = 41065;
inline constexpr int IDM_TOOL_SELECT = 41066;
inline constexpr int IDM_BRUSH_LARGER = 41067;
inline constexpr int IDM_BRUSH_SMALLER = 41068;
inline constexpr int IDM_BRUSH_ROUND = 41069;
inline constexpr int IDM_SELECT_ALL = 41070;
inline constexpr int IDM_DESELECT = 41071;
inline constexpr int IDM_PALETTE_PANEL = 41072; // View menu toggle
inline constexpr int IDM_SWAP_VALUES = 41073;

// How the game shows the frame (41080..41089)
inline constexpr int IDM_FULLBRIGHT_PIXELS = 41080; // View menu toggle
inline constexpr int IDM_GAME_LIGHTING = 41081;
inline constexpr int IDM_TILED = 41082;             // View menu toggle, Ctrl+T
inline constexpr int IDM_ONION_SKIN = 41083;        // View menu toggle
inline constexpr int IDM_GAME_EFFECTS = 41084;      // View menu toggle: skies and liquids as in the game
