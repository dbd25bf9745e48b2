#include "platform/scripted_platform.h"

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
    if (answers_.empty()) {
        unexpected_.push_back("question: " + text);
        return false;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
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
    return Platform::open_files_dialog(filter, title);
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
    answers_.push_back(yes);
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
    files_.clear();
    multi_files_.clear();
    group_names_.clear();
    property_edits_.clear();
    group_name_prompts_.clear();
    property_editor_titles_.clear();
    adjust_values_.clear();
    resize_choices_.clear();
    adjust_titles_.clear();
    resize_sizes_.clear();
    image_information_.clear();
}

int ScriptedPlatform::show_adjust_dialog(const std::string &title, int, int, int, int initial)
{
    std::lock_guard<std::mutex> lock(mutex_);
    adjust_titles_.push_back(title);
    if (adjust_values_.empty()) {
        unexpected_.push_back("adjust dialog: " + title);
        return initial;
    }
    const int value = adjust_values_.front();
    adjust_values_.pop_front();
    return value;
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

void ScriptedPlatform::queue_adjust_value(int value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    adjust_values_.push_back(value);
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
