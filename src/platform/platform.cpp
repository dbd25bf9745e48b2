#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/console_platform.h"

namespace {

ConsolePlatform &fallback()
{
    static ConsolePlatform console(ConsolePlatform::Answer::No);
    return console;
}

std::atomic<Platform *> current{nullptr};

struct Alias {
    std::string real;
    std::string shown;
};
thread_local std::vector<Alias> aliases;

} // namespace

int Platform::ask_choice(const std::string &, const std::string &, const std::vector<std::string> &) { return -1; }

void Platform::set_status_text(const std::string &) {}
void Platform::set_progress(int) {}
void Platform::run_on_ui_thread(const std::function<void()> &work) { work(); }

Platform &platform()
{
    Platform *p = current.load();
    return p ? *p : fallback();
}

void set_platform(Platform *backend) { current.store(backend); }

MessageAlias::MessageAlias(std::string real, std::string shown)
{
    aliases.push_back({std::move(real), std::move(shown)});
}

MessageAlias::~MessageAlias() { aliases.pop_back(); }

std::string with_message_aliases(std::string text)
{
    for (auto a = aliases.rbegin(); a != aliases.rend(); ++a) {
        if (a->real.empty())
            continue;
        for (size_t at = text.find(a->real); at != std::string::npos;
             at = text.find(a->real, at + a->shown.size())) {
            text.replace(at, a->real.size(), a->shown);
        }
    }
    return text;
}

void show_warning(const std::string &text)
{
    platform().show_message(with_message_aliases(text), MessageIcon::Warning);
}
bool ask_question(const std::string &text) { return platform().ask_yes_no(with_message_aliases(text)); }

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
