#include "app/logic/recent_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/logic/settings.h"

namespace {

std::function<void()> &listener()
{
    static std::function<void()> function;
    return function;
}

void changed()
{
    if (listener())
        listener()();
}

} // namespace

std::string recent_file_key(const std::string &path)
{
    namespace fs = std::filesystem;
    if (path.empty())
        return path;
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        return path;
    // A missing file keeps its absolute, lexically tidied name.
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : canonical).string();
}

void recent_files_remove(std::vector<std::string> &list, const std::string &path)
{
    const std::string key = recent_file_key(path);
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&key](const std::string &entry) { return recent_file_key(entry) == key; }),
               list.end());
}

void recent_files_add(std::vector<std::string> &list, const std::string &path)
{
    if (path.empty())
        return;
    recent_files_remove(list, path);
    list.insert(list.begin(), recent_file_key(path));
    if (list.size() > static_cast<size_t>(RECENT_FILE_COUNT))
        list.resize(RECENT_FILE_COUNT);
}

std::string recent_file_menu_text(const std::vector<std::string> &list, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return {};
    // The mnemonic is the number's last digit: "&1" .. "&9", then "1&0".
    const int number = index + 1;
    std::string text;
    if (number >= 10)
        text += std::to_string(number / 10);
    text += '&';
    text += std::to_string(number % 10);
    text += ' ';
    for (const char c : list[static_cast<size_t>(index)]) {
        if (c == '&')
            text += '&';
        text += c;
    }
    return text;
}

void recent_files_note(const std::string &path)
{
    recent_files_add(settings().recent_files, path);
    changed();
}

void recent_files_forget(const std::string &path)
{
    recent_files_remove(settings().recent_files, path);
    changed();
}

void set_recent_files_listener(std::function<void()> listener_function)
{
    listener() = std::move(listener_function);
}
