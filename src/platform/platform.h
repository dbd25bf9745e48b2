// Everything the core tells or asks the user goes through this interface:
// message boxes, questions, file dialogs, status text and progress. The
// editor installs a Qt back-end, the batch tool a console back-end and the
// tests a scripted one.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/scanner.h"

inline constexpr const char *APP_CAPTION = "Vorn";

struct PropertyList;

// What the user chose in the Resize dialog. The sizes are the dialog's four
// fields; `filter` is the scaling filter code of host-table slot 22, or -1
// when none was chosen.
struct ResizeChoice {
    bool percent_mode = false;
    int pixel_width = 0;
    int pixel_height = 0;
    int percent_width = 100;
    int percent_height = 100;
    bool whole_group = false;
    int filter = 0;
};

enum class MessageIcon { Warning, Question, Information };

// The answer to a Yes/No question that also offers Save.
enum class QuestionAnswer { Yes, No, Save };

// The kinds of file operation; they pick a row column and a dialog filter.
enum FileOpKind : int {
    FILE_OP_LOAD_IMAGE = 0,
    FILE_OP_SAVE_IMAGE = 1,
    FILE_OP_LOAD_PALETTE = 2,
    FILE_OP_SAVE_PALETTE = 3,
};

class Platform {
public:
    virtual ~Platform() = default;

    // A message box captioned "Vorn" with an OK button.
    virtual void show_message(const std::string &text, MessageIcon icon) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool ask_yes_no(const std::string &text) = 0;
    // The same question with a third button, Save; No is the default
    // button, so that Enter keeps what the question is about. The default
    // offers Yes and No alone.
    virtual QuestionAnswer ask_yes_no_save(const std::string &text);

    // File dialogs. `filter` is the double-NUL list of build_file_filter,
    // passed with its full length. An empty result means cancelled.
    virtual std::string open_file_dialog(const std::string &filter, const std::string &title);
    virtual std::string save_file_dialog(const std::string &filter, const std::string &title);
    // An open dialog that lets the user pick several files; full paths in
    // the order the dialog lists them, empty when cancelled. The default
    // offers the single-file dialog.
    virtual std::vector<std::string> open_files_dialog(const std::string &filter, const std::string &title);

    virtual void set_status_text(const std::string &text);
    // Progress of a long operation in percent; a negative value hides it.
    virtual void set_progress(int percent);

    // The Enter Group Name dialog, opened on `initial`. True with the name
    // the user confirmed (never empty), false when cancelled. The default
    // cancels.
    virtual bool ask_group_name(const std::string &initial, std::string &name);
    // The property editor on `list`, which it changes in place, captioned
    // `title`. Returns when the user has closed it. The default shows
    // nothing.
    virtual void show_property_editor(PropertyList *list, const std::string &title);

    // The Adjust dialog: a modal slider with a text field and Preview; returns the chosen value, or `initial` when cancelled. The caller sets preview_filter_hook first.
    virtual int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial);

    // The palette editor on the current frame's palette; returns when the
    // user has closed it. The default shows nothing.
    virtual void show_palette_editor();
    // The colour chooser opened on `color` (0x00BBGGRR) with the 16 custom
    // colours `custom_colors` (0x00BBGGRR each), which it updates in place.
    // True with the chosen colour in `color`; false, `color` untouched, when
    // cancelled. The default cancels.
    virtual bool choose_color(uint32_t &color, int32_t *custom_colors);
    // The Generate Colormap dialog: true with the fullbright count (0 to
    // 256) and the range the user confirmed, false when cancelled. The
    // default cancels.
    virtual bool ask_colormap_parameters(int32_t &fullbrights, float &range);
    // File dialogs that open on `initial` (a name, maybe with a folder)
    // instead of the last file of the run; the defaults ignore it.
    virtual std::string open_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &initial);
    virtual std::string save_file_dialog_named(const std::string &filter, const std::string &title,
                                               const std::string &initial);
    // The Resize dialog for a frame of `width` x `height` (`indexed`: a
    // colour-indexed frame, offered fewer filters). `choice` comes in with
    // the "Resize all Frames In Group" flag kept from the last opening and
    // goes out with the user's choice. True for OK. The default cancels.
    virtual bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice);
    // The Image Information dialog showing `text` (lines end in "\r\n").
    // The default shows nothing.
    virtual void show_image_information(const std::string &text);

    // The clipboard: a copy of image-library image `image` put on it, or
    // `image` replaced by the clipboard's image. False when nothing was
    // transferred (no clipboard, no image on it). The default has none.
    virtual bool put_clipboard_image(uint32_t image);
    // Opens the local file `path` (a help page) with the desktop's browser.
    // False when that could not be started; the default has no desktop.
    virtual bool open_in_browser(const std::string &path);
    virtual bool get_clipboard_image(uint32_t image);

    // Runs `work` on the user-interface thread and waits for it. Back-ends
    // without a separate UI thread run it at once.
    virtual void run_on_ui_thread(const std::function<void()> &work);

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

Platform &platform();
// Installs a back-end (not owned); nullptr restores the console back-end.
void set_platform(Platform *backend);

// Shorthands for the two kinds of box the core uses.
void show_warning(const std::string &text);
bool ask_question(const std::string &text);
// Warnings shown on the calling thread since it started: a caller compares
// two readings to learn whether something it called has told the user why
// it failed.
unsigned long warnings_shown();

// printf-style formatting into a fresh string: safe on any thread.
std::string format_text(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string vformat_text(const char *format, va_list args);
