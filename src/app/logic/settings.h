// The program's settings (section VORN of vorn.ini), read once at start-up
// and written once at shut-down, and the shut-down itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "views/logic/preview_logic.h"

inline constexpr const char *SETTINGS_SECTION = "VORN";
inline constexpr int CUSTOM_COLOR_COUNT = 16;
// Seven flags and options, sixteen custom colours and the clear colour.
inline constexpr int SETTINGS_KEY_COUNT = 24;

struct Settings {
    int32_t toolbar = 1;                // toolbar shown, View > Tool Bar checked
    int32_t statusbar = 1;              // status bar shown, View > Status Bar checked
    int32_t gif_hack = 1;               // later paletted frames fill transparency from the previous one
    int32_t jpeg_quality = 99;          // image library's JPEG quality
    int32_t rle_compress = 0;           // image library's BMP run-length switch
    int32_t palette_global = 1;         // palette editor: apply to all frames
    int32_t palette_maintain_index = 0; // palette editor: maintain indexes
    int32_t custom_colors[CUSTOM_COLOR_COUNT] = {
        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
    };                                  // colour chooser's custom colours (0x00BBGGRR)
    int32_t clear_color = 0xFF00FF;     // image library's clear colour (0x00BBGGRR)

    // The editor's view options, kept as further keys of the same section
    // ("Checkerboard", "PixelGrid", "AlignFrames", "GroupBrowser",
    // "FrameStrip", "PalettePanel", "ZoomFitOnOpen", "FullbrightPixels",
    // "Tiled", "OnionSkin", "OnionOpacity", "LightLevel", "GameEffects").
    int32_t checkerboard = 1;  // transparent pixels drawn over a checkerboard
    int32_t pixel_grid = 0;    // a grid between pixels at high zoom
    int32_t align_frames = 0;  // frames drawn with their origins on one point
    int32_t group_browser = 0; // the group browser panel shown
    int32_t frame_strip = 1;   // the frame strip shown (for groups of several frames)
    int32_t palette_panel = 1; // the palette panel of the paint tools shown
    int32_t fullbright_pixels = 0; // fullbright pixels marked over the frame
    int32_t tiled = 0;             // the frame drawn 3 x 3 times to show its seams
    int32_t onion_skin = 0;        // the previous and next frames drawn faintly under it
    int32_t onion_opacity = 30;    // their opacity, percent
    int32_t light_level = 32;      // Game Lighting's level: 0 brightest, 63 dark; 32 a normally lit wall
    int32_t game_effects = 0;      // skies layered and liquids warped as the game shows them
    // "MaxPixels": the most pixels an image read from a file may have (0:
    // the default); read at start-up, never written.
    uint64_t max_pixels = 0;
    int32_t zoom_fit_on_open = 1; // an opened file is shown with Zoom to Fit
    // "MipsFullbrightSafe": rebuilt mip levels gain no fullbright or
    // transparent pixel (quake/fullbright.h); read at start-up, never
    // written, like MaxPixels.
    int32_t mips_fullbright_safe = 0;
    // Most recent first, at most RECENT_FILE_COUNT paths; kept in their own
    // section as File1..File10.
    std::vector<std::string> recent_files;
};

inline constexpr const char *RECENT_FILES_SECTION = "Recent Files";
inline constexpr int RECENT_FILE_COUNT = 10;

// The process-wide settings.
Settings &settings();
// What the preview shows beside the frame, as the settings say.
PreviewOptions preview_options(const Settings &s);

// Where vorn.ini lives: beside the program when that folder already holds
// one or can be written; otherwise $XDG_CONFIG_HOME/vorn/vorn.ini, with
// ~/.config when XDG_CONFIG_HOME is unset or not absolute.
std::string settings_file_path();
// The same rule with every input given (tests).
std::string settings_file_path_for(const std::string &program_folder, bool ini_exists, bool folder_writable,
                                   const char *xdg_config_home, const char *home);

// Reads the 24 keys, the view options and the recent files (a missing file or key gives the default, a negative
// value 0) and hands the clear colour, JPEG quality, BMP run-length switch
// and GIF handling to the image layer.
void load_settings();
void load_settings_from(const std::string &path);
// Reads the JPEG quality and run-length switch back from the image library
// and writes the 24 keys as decimal text, keeping everything else in the
// file. Creates the folder of a settings file under the config home.
void save_settings();
void save_settings_to(const std::string &path);

// The end of the program: asks about unsaved changes (declined: returns 0
// and nothing happens), writes the settings, shuts the image library down,
// releases the plug-ins, then calls `exit_process` with 1 (std::exit when
// empty). Returns 1 when `exit_process` returns. While a file operation
// runs it only shows "File Operation in progress." and returns 0.
int shutdown_program(const std::function<void(int)> &exit_process = {});
