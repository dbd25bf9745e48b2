// The editor's platform back-end: the Qt one, with the editor's own dialogs
// (Enter Group Name, the property editor, the palette editor with its colour
// chooser and Generate Colormap dialog, Adjust, Resize, Image Information)
// that the command handlers ask for.
#pragma once

#include "app/qt_platform.h"
#include "views/logic/palette_editor_logic.h"

class EditorPlatform : public QtPlatform {
public:
    std::string choose_archive_entry(const std::string &archive) override;
    bool ask_group_name(const std::string &initial, std::string &name) override;
    void show_property_editor(PropertyList *list, const std::string &title) override;
    void show_palette_editor() override;
    // Qt's own colour dialog (the desktop's has no custom colours).
    bool choose_color(uint32_t &color, int32_t *custom_colors) override;
    bool ask_colormap_parameters(int32_t &fullbrights, float &range) override;
    std::string open_file_dialog_named(const std::string &filter, const std::string &title,
                                       const std::string &initial) override;
    std::string save_file_dialog_named(const std::string &filter, const std::string &title,
                                       const std::string &initial) override;
    std::string save_file_dialog_typed(const std::string &filter, const std::string &title, const std::string &initial,
                                       std::string &type) override;
    bool ask_texture_format(int &format) override;
    int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial) override;
    bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice) override;
    bool show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice) override;
    void show_image_information(const std::string &text) override;
    bool ask_game_lighting(GameLighting &lighting) override;
};

// The palette editor's options where the settings keep them.
PaletteEditorOptions palette_editor_settings();

// The colour chooser over `owner`: Qt's colour dialog, not the desktop's,
// opened on `color` with the 16 custom colours (0x00BBGGRR each), which are
// read back whatever the outcome.
bool choose_color_dialog(uint32_t &color, int32_t *custom_colors, QWidget *owner);
