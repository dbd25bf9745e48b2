#include "support/scripted_platform.h"

#include <atomic>

void ScriptedPlatform::show_message(const std::string &text, MessageIcon icon)
{
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({text, icon});
}

bool ScriptedPlatform::ask_yes_no(const std::string &text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    questions_.push_back(text);
    if (answers_.empty() || answers_.front() == QuestionAnswer::Save) {
        unexpected_.push_back("question: " + text);
        return false;
    }
    const bool yes = answers_.front() == QuestionAnswer::Yes;
    answers_.pop_front();
    return yes;
}

int ScriptedPlatform::ask_choice(const std::string &warning, const std::string &question,
                                 const std::vector<std::string> &choices)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!choices_.empty()) {
            questions_.push_back(warning + "\n\n" + question);
            const int index = choices_.front();
            choices_.pop_front();
            return index;
        }
    }
    return Platform::ask_choice(warning, question, choices);
}

QuestionAnswer ScriptedPlatform::ask_yes_no_save(const std::string &text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    questions_.push_back(text);
    if (answers_.empty()) {
        unexpected_.push_back("question: " + text);
        return QuestionAnswer::No;
    }
    const QuestionAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::string ScriptedPlatform::open_file_dialog(const std::string &filter, const std::string &title)
{
    std::lock_guard<std::mutex> lock(mutex_);
    filters_.push_back(filter);
    if (files_.empty()) {
        unexpected_.push_back("open dialog: " + title);
        return {};
    }
    std::string path = files_.front();
    files_.pop_front();
    return path;
}

std::string ScriptedPlatform::save_file_dialog(const std::string &filter, const std::string &title)
{
    std::lock_guard<std::mutex> lock(mutex_);
    filters_.push_back(filter);
    if (files_.empty()) {
        unexpected_.push_back("save dialog: " + title);
        return {};
    }
    std::string path = files_.front();
    files_.pop_front();
    return path;
}

std::string ScriptedPlatform::choose_archive_entry(const std::string &archive)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (files_.empty()) {
        unexpected_.push_back("archive browser: " + archive);
        return {};
    }
    std::string entry = files_.front();
    files_.pop_front();
    return entry;
}

std::vector<std::string> ScriptedPlatform::open_files_dialog(const std::string &filter, const std::string &title)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!multi_files_.empty()) {
            filters_.push_back(filter);
            std::vector<std::string> paths = multi_files_.front();
            multi_files_.pop_front();
            return paths;
        }
    }
    return EditorHost::open_files_dialog(filter, title);
}

bool ScriptedPlatform::ask_group_name(const std::string &initial, std::string &name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    group_name_prompts_.push_back(initial);
    if (group_names_.empty()) {
        unexpected_.push_back("group name dialog: " + initial);
        return false;
    }
    std::optional<std::string> answer = group_names_.front();
    group_names_.pop_front();
    if (!answer)
        return false;
    name = *answer;
    return true;
}

void ScriptedPlatform::show_property_editor(PropertyList *list, const std::string &title)
{
    PropertyEdit edit;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        property_editor_titles_.push_back(title);
        if (property_edits_.empty()) {
            unexpected_.push_back("property editor: " + title);
            return;
        }
        edit = std::move(property_edits_.front());
        property_edits_.pop_front();
    }
    if (edit)
        edit(list);
}

int ScriptedPlatform::show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial)
{
    std::lock_guard<std::mutex> lock(mutex_);
    adjust_requests_.push_back({title, minimum, maximum, scale, initial});
    adjust_titles_.push_back(title);
    if (adjust_values_.empty()) {
        unexpected_.push_back("adjust dialog: " + title);
        return initial;
    }
    const int value = adjust_values_.front();
    adjust_values_.pop_front();
    return value;
}

void ScriptedPlatform::show_palette_editor()
{
    std::function<void()> session;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++palette_editor_sessions_;
        if (palette_sessions_.empty()) {
            unexpected_.push_back("palette editor");
            return;
        }
        session = std::move(palette_sessions_.front());
        palette_sessions_.pop_front();
    }
    if (session)
        session();
}

bool ScriptedPlatform::choose_color(uint32_t &color, int32_t *)
{
    std::lock_guard<std::mutex> lock(mutex_);
    color_requests_.push_back(color);
    if (colors_.empty()) {
        unexpected_.push_back("colour chooser");
        return false;
    }
    const std::optional<uint32_t> answer = colors_.front();
    colors_.pop_front();
    if (!answer)
        return false;
    color = *answer;
    return true;
}

bool ScriptedPlatform::ask_colormap_parameters(int32_t &fullbrights, float &range)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (colormap_parameters_.empty()) {
        unexpected_.push_back("generate colormap dialog");
        return false;
    }
    const auto answer = colormap_parameters_.front();
    colormap_parameters_.pop_front();
    if (!answer)
        return false;
    fullbrights = answer->first;
    range = answer->second;
    return true;
}

std::string ScriptedPlatform::open_file_dialog_named(const std::string &filter, const std::string &title,
                                                     const std::string &initial)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        initial_names_.push_back(initial);
    }
    return open_file_dialog(filter, title);
}

std::string ScriptedPlatform::save_file_dialog_named(const std::string &filter, const std::string &title,
                                                     const std::string &initial)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        initial_names_.push_back(initial);
    }
    return save_file_dialog(filter, title);
}

void ScriptedPlatform::queue_adjust_value(int value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    adjust_values_.push_back(value);
}

void ScriptedPlatform::queue_palette_session(std::function<void()> session)
{
    std::lock_guard<std::mutex> lock(mutex_);
    palette_sessions_.push_back(std::move(session));
}

void ScriptedPlatform::queue_color(std::optional<uint32_t> color)
{
    std::lock_guard<std::mutex> lock(mutex_);
    colors_.push_back(color);
}

void ScriptedPlatform::queue_colormap_parameters(std::optional<std::pair<int32_t, float>> parameters)
{
    std::lock_guard<std::mutex> lock(mutex_);
    colormap_parameters_.push_back(parameters);
}

std::vector<ScriptedPlatform::AdjustRequest> ScriptedPlatform::adjust_requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return adjust_requests_;
}

std::vector<uint32_t> ScriptedPlatform::color_requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return color_requests_;
}

std::vector<std::string> ScriptedPlatform::dialog_initial_names() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return initial_names_;
}

int ScriptedPlatform::palette_editor_sessions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return palette_editor_sessions_;
}

void ScriptedPlatform::set_status_text(const std::string &text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    statuses_.push_back(text);
}

void ScriptedPlatform::set_progress(int percent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.push_back(percent);
}

void ScriptedPlatform::queue_answer(bool yes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(yes ? QuestionAnswer::Yes : QuestionAnswer::No);
}

bool ScriptedPlatform::show_match_palette_dialog(uint32_t, MatchPaletteChoice &choice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (match_choices_.empty()) {
        unexpected_.push_back("Match to Palette dialog");
        return false;
    }
    const std::optional<MatchPaletteChoice> next = match_choices_.front();
    match_choices_.pop_front();
    if (next)
        choice = *next;
    return next.has_value();
}

void ScriptedPlatform::queue_match_palette(std::optional<MatchPaletteChoice> choice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    match_choices_.push_back(std::move(choice));
}

void ScriptedPlatform::queue_choice(int index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    choices_.push_back(index);
}

void ScriptedPlatform::queue_save_answer()
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(QuestionAnswer::Save);
}

void ScriptedPlatform::queue_file(const std::string &path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_.push_back(path);
}

void ScriptedPlatform::queue_files(const std::vector<std::string> &paths)
{
    std::lock_guard<std::mutex> lock(mutex_);
    multi_files_.push_back(paths);
}

void ScriptedPlatform::queue_group_name(std::optional<std::string> name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    group_names_.push_back(std::move(name));
}

void ScriptedPlatform::queue_property_edit(PropertyEdit edit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    property_edits_.push_back(std::move(edit));
}

std::vector<std::string> ScriptedPlatform::group_name_prompts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return group_name_prompts_;
}

std::vector<std::string> ScriptedPlatform::property_editor_titles() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return property_editor_titles_;
}

std::vector<ScriptedPlatform::Message> ScriptedPlatform::messages() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

std::vector<std::string> ScriptedPlatform::questions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return questions_;
}

std::vector<std::string> ScriptedPlatform::statuses() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return statuses_;
}

std::vector<int> ScriptedPlatform::progress() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

std::vector<std::string> ScriptedPlatform::dialog_filters() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return filters_;
}

std::vector<std::string> ScriptedPlatform::unexpected() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unexpected_;
}

std::string ScriptedPlatform::transcript() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const auto &m : messages_)
        text += m.text + "\n";
    return text;
}

void ScriptedPlatform::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.clear();
    questions_.clear();
    statuses_.clear();
    progress_.clear();
    filters_.clear();
    unexpected_.clear();
    answers_.clear();
    choices_.clear();
    match_choices_.clear();
    files_.clear();
    multi_files_.clear();
    group_names_.clear();
    property_edits_.clear();
    group_name_prompts_.clear();
    property_editor_titles_.clear();
    adjust_values_.clear();
    adjust_requests_.clear();
    palette_sessions_.clear();
    palette_editor_sessions_ = 0;
    colors_.clear();
    color_requests_.clear();
    colormap_parameters_.clear();
    initial_names_.clear();
    resize_choices_.clear();
    adjust_titles_.clear();
    resize_sizes_.clear();
    image_information_.clear();
}


bool ScriptedPlatform::show_resize_dialog(int width, int height, bool, ResizeChoice &choice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    resize_sizes_.push_back(format_text("%i x %i", width, height));
    if (resize_choices_.empty()) {
        unexpected_.push_back(format_text("resize dialog: %i x %i", width, height));
        return false;
    }
    const std::optional<ResizeChoice> answer = resize_choices_.front();
    resize_choices_.pop_front();
    if (!answer)
        return false;
    choice = *answer;
    return true;
}

void ScriptedPlatform::show_image_information(const std::string &text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    image_information_.push_back(text);
}


void ScriptedPlatform::queue_resize_choice(std::optional<ResizeChoice> choice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    resize_choices_.push_back(choice);
}

std::vector<std::string> ScriptedPlatform::adjust_titles() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return adjust_titles_;
}

std::vector<std::string> ScriptedPlatform::resize_sizes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return resize_sizes_;
}

std::vector<std::string> ScriptedPlatform::image_information() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return image_information_;
}

bool ScriptedPlatform::acquire_scan(ScannedImage &image)
{
    std::atomic<bool> cancel{false};
    std::string error;
    const bool cancelling = cancel_scans_;
    const bool acquired = scanner_acquire(
        scanner_chosen_device(), image, error,
        [this, &cancel, cancelling](int percent) {
            set_progress(percent);
            if (cancelling)
                cancel = true;
        },
        cancel);
    if (!acquired && !error.empty())
        show_message("Unable to scan: " + error, MessageIcon::Warning);
    return acquired;
}

bool ScriptedPlatform::select_scanner_source()
{
    std::string device;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (scanner_choices_.empty()) {
            unexpected_.push_back("select source");
            return false;
        }
        device = scanner_choices_.front();
        scanner_choices_.pop_front();
    }
    if (device.empty())
        return false;
    scanner_choose_device(device);
    return true;
}

void ScriptedPlatform::cancel_scans(bool on) { cancel_scans_ = on; }

void ScriptedPlatform::queue_scanner_choice(const std::string &device)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scanner_choices_.push_back(device);
}

bool ScriptedPlatform::open_in_browser(const std::string &path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    opened_pages_.push_back(path);
    return browser_works_;
}

void ScriptedPlatform::set_browser_works(bool works) { browser_works_ = works; }

std::vector<std::string> ScriptedPlatform::opened_pages() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return opened_pages_;
}
