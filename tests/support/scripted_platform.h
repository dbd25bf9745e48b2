// The tests' back-end: records every message with its icon, answers
// questions and file dialogs from queues, and remembers anything it was not
// prepared for so that the test can fail on it.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "views/logic/editor_host.h"
#include "platform/platform.h"

// Both the platform layer and the editor's dialogs.
class ScriptedPlatform : public Platform, public EditorHost {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    void show_message(const std::string &text, MessageIcon icon) override;
    bool ask_yes_no(const std::string &text) override;
    // Answered from queue_choice (the warning and question are recorded as
    // one question); with nothing queued, like a back-end without a user:
    // the warning is shown and -1 returned.
    int ask_choice(const std::string &warning, const std::string &question,
                   const std::vector<std::string> &choices) override;
    // Answered from the same queue as ask_yes_no, where queue_save_answer
    // may also have put a Save.
    QuestionAnswer ask_yes_no_save(const std::string &text) override;
    std::string open_file_dialog(const std::string &filter, const std::string &title) override;
    std::string save_file_dialog(const std::string &filter, const std::string &title) override;
    // Answered from queue_files when something is queued there, otherwise
    // like the single-file dialog.
    std::vector<std::string> open_files_dialog(const std::string &filter, const std::string &title) override;
    void set_status_text(const std::string &text) override;
    void set_progress(int percent) override;
    // Answered from queue_file: the entry's name.
    std::string choose_archive_entry(const std::string &archive) override;
    bool ask_group_name(const std::string &initial, std::string &name) override;
    // Runs the next queued edit on the list.
    void show_property_editor(PropertyList *list, const std::string &title) override;
    // Answered from queue_resize_choice; the frame's size is recorded.
    bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice) override;
    // Records the text.
    void show_image_information(const std::string &text) override;
    // Answered from queue_match_palette (nothing queued: cancelled, unexpected).
    bool show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice) override;
    // The next Match to Palette dialog ends with OK and `choice`;
    // std::nullopt cancels it.
    void queue_match_palette(std::optional<MatchPaletteChoice> choice);

    // Answered from queue_adjust_value; the requests and titles are recorded.
    int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial) override;
    // Runs the next queued palette-editor session.
    void show_palette_editor() override;
    // Answered from queue_color; the initial colours are recorded.
    bool choose_color(uint32_t &color, int32_t *custom_colors) override;
    bool ask_colormap_parameters(int32_t &fullbrights, float &range) override;
    // The initial name is recorded, then answered like the plain dialogs.
    std::string open_file_dialog_named(const std::string &filter, const std::string &title,
                                       const std::string &initial) override;
    std::string save_file_dialog_named(const std::string &filter, const std::string &title,
                                       const std::string &initial) override;

    struct AdjustRequest {
        std::string title;
        int minimum, maximum, scale, initial;
    };

    // What the user does in a property editor: any change to the list.
    using PropertyEdit = std::function<void(PropertyList *)>;

    void queue_answer(bool yes);
    // The next question with choices of its own is answered with choice `index`.
    void queue_choice(int index);
    // The next question that offers Save is answered Save.
    void queue_save_answer();
    // The next Enter Group Name dialog returns `name`; std::nullopt cancels it.
    void queue_group_name(std::optional<std::string> name);
    void queue_property_edit(PropertyEdit edit);
    // The next Adjust dialog returns `value`.
    void queue_adjust_value(int value);
    // What the user does while the palette editor is open.
    void queue_palette_session(std::function<void()> session);
    // The next colour chooser picks `color` (0x00BBGGRR); std::nullopt
    // cancels it.
    void queue_color(std::optional<uint32_t> color);
    // The next Generate Colormap dialog confirms these parameters;
    // std::nullopt cancels it.
    void queue_colormap_parameters(std::optional<std::pair<int32_t, float>> parameters);
    // The next Resize dialog ends with OK and `choice`; std::nullopt cancels.
    void queue_resize_choice(std::optional<ResizeChoice> choice);
    void queue_file(const std::string &path); // "" means the user cancelled
    void queue_files(const std::vector<std::string> &paths); // empty: cancelled

    // Scans go to the real scanner library (tests configure SANE's test
    // back-end); with cancel_scans the user cancels each scan as soon as
    // the first rows arrive. Select Source takes the queued device name.
    bool acquire_scan(ScannedImage &image) override;
    bool select_scanner_source() override;
    void cancel_scans(bool on);
    void queue_scanner_choice(const std::string &device);

    // Records the pages it is asked to open; opens them while browser_works.
    bool open_in_browser(const std::string &path) override;
    void set_browser_works(bool works);
    std::vector<std::string> opened_pages() const;

    std::vector<Message> messages() const;
    std::vector<std::string> questions() const;
    std::vector<std::string> statuses() const;
    std::vector<int> progress() const;
    std::vector<std::string> dialog_filters() const;
    // The initial texts the group-name dialogs opened with, and the titles
    // of the property editors shown, in order.
    std::vector<std::string> group_name_prompts() const;
    std::vector<std::string> property_editor_titles() const;
    std::vector<AdjustRequest> adjust_requests() const;
    std::vector<uint32_t> color_requests() const;
    // The initial names the named file dialogs opened on, in order.
    std::vector<std::string> dialog_initial_names() const;
    int palette_editor_sessions() const;
    // The titles of the Adjust dialogs, the "w x h" sizes the Resize
    // dialogs opened on, and the Image Information texts shown, in order.
    std::vector<std::string> adjust_titles() const;
    std::vector<std::string> resize_sizes() const;
    std::vector<std::string> image_information() const;
    // Questions or dialogs that arrived with nothing queued for them.
    std::vector<std::string> unexpected() const;
    // Everything shown so far, one message per line (for failure output).
    std::string transcript() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<std::string> questions_;
    std::vector<std::string> statuses_;
    std::vector<int> progress_;
    std::vector<std::string> filters_;
    std::vector<std::string> unexpected_;
    std::deque<std::string> scanner_choices_;
    bool cancel_scans_ = false;
    bool browser_works_ = true;
    std::vector<std::string> opened_pages_;
    std::deque<QuestionAnswer> answers_;
    std::deque<int> choices_;
    std::deque<std::optional<MatchPaletteChoice>> match_choices_;
    std::deque<std::string> files_;
    std::deque<std::vector<std::string>> multi_files_;
    std::deque<std::optional<std::string>> group_names_;
    std::deque<PropertyEdit> property_edits_;
    std::vector<std::string> group_name_prompts_;
    std::vector<std::string> property_editor_titles_;
    std::deque<int> adjust_values_;
    std::vector<AdjustRequest> adjust_requests_;
    std::deque<std::function<void()>> palette_sessions_;
    int palette_editor_sessions_ = 0;
    std::deque<std::optional<uint32_t>> colors_;
    std::vector<uint32_t> color_requests_;
    std::deque<std::optional<std::pair<int32_t, float>>> colormap_parameters_;
    std::vector<std::string> initial_names_;
    std::deque<std::optional<ResizeChoice>> resize_choices_;
    std::vector<std::string> adjust_titles_;
    std::vector<std::string> resize_sizes_;
    std::vector<std::string> image_information_;
};
