#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/console_platform.h"

namespace {

ConsolePlatform &fallback()
{
    static ConsolePlatform console(ConsolePlatform::Answer::No);
    return console;
}

std::atomic<Platform *> current{nullptr};

} // namespace

QuestionAnswer Platform::ask_yes_no_save(const std::string &text)
{
    return ask_yes_no(text) ? QuestionAnswer::Yes : QuestionAnswer::No;
}
std::string Platform::open_file_dialog(const std::string &, const std::string &) { return {}; }
std::string Platform::save_file_dialog(const std::string &, const std::string &) { return {}; }
std::vector<std::string> Platform::open_files_dialog(const std::string &filter, const std::string &title)
{
    std::string path = open_file_dialog(filter, title);
    if (path.empty())
        return {};
    return {path};
}
bool Platform::ask_group_name(const std::string &, std::string &) { return false; }
void Platform::show_property_editor(PropertyList *, const std::string &) {}
int Platform::show_adjust_dialog(const std::string &, int, int, int, int initial) { return initial; }
void Platform::show_palette_editor() {}
bool Platform::choose_color(uint32_t &, int32_t *) { return false; }
bool Platform::ask_colormap_parameters(int32_t &, float &) { return false; }
std::string Platform::open_file_dialog_named(const std::string &filter, const std::string &title, const std::string &)
{
    return open_file_dialog(filter, title);
}
std::string Platform::save_file_dialog_named(const std::string &filter, const std::string &title, const std::string &)
{
    return save_file_dialog(filter, title);
}
bool Platform::show_resize_dialog(int, int, bool, ResizeChoice &) { return false; }
void Platform::show_image_information(const std::string &) {}
bool Platform::put_clipboard_image(uint32_t) { return false; }
bool Platform::open_in_browser(const std::string &) { return false; }
bool Platform::get_clipboard_image(uint32_t) { return false; }
void Platform::set_status_text(const std::string &) {}
void Platform::set_progress(int) {}
void Platform::run_on_ui_thread(const std::function<void()> &work) { work(); }

bool Platform::scanner_available() { return scanner_library_available(); }
bool Platform::select_scanner_source() { return false; }

bool Platform::acquire_scan(ScannedImage &image)
{
    const std::atomic<bool> never{false};
    std::string error;
    const bool acquired =
        scanner_acquire(scanner_chosen_device(), image, error, [this](int percent) { set_progress(percent); }, never);
    set_progress(-1);
    if (!acquired && !error.empty())
        show_warning("Unable to scan: " + error);
    return acquired;
}

Platform &platform()
{
    Platform *p = current.load();
    return p ? *p : fallback();
}

void set_platform(Platform *backend) { current.store(backend); }

namespace {
thread_local unsigned long warnings_on_thread = 0;
}

void show_warning(const std::string &text)
{
    ++warnings_on_thread;
    platform().show_message(text, MessageIcon::Warning);
}
unsigned long warnings_shown() { return warnings_on_thread; }
bool ask_question(const std::string &text) { return platform().ask_yes_no(text); }

std::string vformat_text(const char *format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int n = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (n <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string format_text(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat_text(format, args);
    va_end(args);
    return text;
}
