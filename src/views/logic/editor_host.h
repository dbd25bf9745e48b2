// The editor's dialogs, which the command handlers and the dialogs' logic
// ask for: file dialogs, the unsaved-changes question with Save, Enter Group
// Name, the property editor, Adjust, Resize, the palette editor with its
// colour chooser and Generate Colormap dialog, Image Information, the
// clipboard, the browser and the scanner. The codecs never need them; what
// they tell or ask the user goes through platform/platform.h.
//
// The editor installs its Qt back-end, the tests a scripted one. Every
// method has a default for a back-end without that dialog: it cancels or
// shows nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/scanner.h"
#include "views/logic/game_lighting.h"
#include "views/logic/match_palette_logic.h"
#include "views/logic/resize_logic.h"

struct PropertyList;

// The answer to a Yes/No question that also offers Save.
enum class QuestionAnswer { Yes, No, Save };

class EditorHost {
public:
    virtual ~EditorHost() = default;

    // The Yes/No question of the platform layer with a third button, Save;
    // No is the default button, so that Enter keeps what the question is
    // about. The default offers Yes and No alone.
    virtual QuestionAnswer ask_yes_no_save(const std::string &text);

    // File dialogs. `filter` is the double-NUL list of build_file_filter,
    // passed with its full length. An empty result means cancelled.
    virtual std::string open_file_dialog(const std::string &filter, const std::string &title);
    virtual std::string save_file_dialog(const std::string &filter, const std::string &title);
    // An open dialog that lets the user pick several files; full paths in
    // the order the dialog lists them, empty when cancelled. The default
    // offers the single-file dialog.
    virtual std::vector<std::string> open_files_dialog(const std::string &filter, const std::string &title);
    // File dialogs that open on `initial` (a name, maybe with a folder)
    // instead of the last file of the run; the defaults ignore it.
    virtual std::string open_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &initial);
    virtual std::string save_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &initial);
    // The save dialog that also tells the type the user picked: the
    // description of its filter entry ("Half-Life WAD3 (*.wad)"), empty when
    // the back-end cannot tell. `initial` as above, or empty. The default
    // is the plain dialog and tells no type.
    virtual std::string save_file_dialog_typed(const std::string &filter, const std::string &title,
                                               const std::string &initial, std::string &type);
    // How a Half-Life sprite being saved is to be drawn (image/
    // texture_format.h), opened on `format`. False when cancelled. The
    // default keeps `format`.
    virtual bool ask_texture_format(int &format);

    // The archive browser on `archive` (a .pak, .pk3 or .zip file): the
    // entry the user chose to open, empty when cancelled (the default).
    virtual std::string choose_archive_entry(const std::string &archive);

    // The Enter Group Name dialog, opened on `initial`. True with the name
    // the user confirmed (never empty), false when cancelled.
    virtual bool ask_group_name(const std::string &initial, std::string &name);
    // The property editor on `list`, which it changes in place, captioned
    // `title`. Returns when the user has closed it.
    virtual void show_property_editor(PropertyList *list, const std::string &title);
    // The Adjust dialog: a modal slider with a text field and Preview; returns the chosen value, or `initial` when cancelled. The caller sets preview_filter_hook first.
    virtual int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial);
    // The palette editor on the current frame's palette; returns when the
    // user has closed it.
    virtual void show_palette_editor();
    // The colour chooser opened on `color` (0x00BBGGRR) with the 16 custom
    // colours `custom_colors` (0x00BBGGRR each), which it updates in place.
    // True with the chosen colour in `color`; false, `color` untouched, when
    // cancelled.
    virtual bool choose_color(uint32_t &color, int32_t *custom_colors);
    // The Generate Colormap dialog: true with the fullbright count (0 to
    // 256) and the range the user confirmed, false when cancelled.
    virtual bool ask_colormap_parameters(int32_t &fullbrights, float &range);
    // The Resize dialog for a frame of `width` x `height` (`indexed`: a
    // colour-indexed frame, offered fewer filters). `choice` comes in with
    // the "Resize all Frames In Group" flag kept from the last opening and
    // goes out with the user's choice. True for OK.
    virtual bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice);
    // The Match to Palette dialog for image `frame` (the current frame),
    // which it previews matched on a copy. `choice` comes in with the last
    // choice and goes out with the user's. True for OK.
    virtual bool show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice);
    // The Image Information dialog showing `text` (lines end in "\r\n").
    virtual void show_image_information(const std::string &text);
    // The Game Lighting dialog on `lighting`: true with the user's choice.
    virtual bool ask_game_lighting(GameLighting &lighting);

    // The clipboard: a copy of image-library image `image` put on it, or
    // `image` replaced by the clipboard's image. False when nothing was
    // transferred (no clipboard, no image on it). The default has none.
    virtual bool put_clipboard_image(uint32_t image);
    virtual bool get_clipboard_image(uint32_t image);
    // Opens the local file `path` (a help page) with the desktop's browser.
    // False when that could not be started; the default has no desktop.
    virtual bool open_in_browser(const std::string &path);

    // Scanners (see platform/scanner.h). Whether scanning can be offered,
    // asked once at start without listing devices.
    virtual bool scanner_available();
    // Lets the user choose the device for the rest of the run; false when
    // nothing was chosen. The default, having no one to ask, keeps the first.
    virtual bool select_scanner_source();
    // Scans one image from the chosen device, showing progress. False when
    // nothing was acquired; a failure has been reported to the user then,
    // a cancelled scan says nothing.
    virtual bool acquire_scan(ScannedImage &image);
};

EditorHost &editor_host();
// Installs a back-end (not owned); nullptr restores the default one.
void set_editor_host(EditorHost *backend);
