#include "platform/program_folder.h"

#include <climits>
#include <cstring>
#include <mutex>

#include <unistd.h>

namespace {
std::string folder;
std::once_flag found;

void find_folder()
{
    if (!folder.empty())
        return;
    char path[PATH_MAX + 1] = {};
    const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n > 0) {
        path[n] = '\0';
        strip_to_folder(path);
        folder = path;
    }
}
} // namespace

void strip_to_folder(char *path)
{
    char *slash = std::strrchr(path, '/');
    if (slash)
        *slash = '\0';
    else
        path[0] = '\0';
}

char *unquote_argument(char *text)
{
    while (*text == '"')
        ++text;
    if (char *quote = std::strchr(text, '"'))
        *quote = '\0';
    return text;
}

const std::string &program_folder()
{
    std::call_once(found, find_folder);
    return folder;
}

void set_program_folder(const std::string &new_folder)
{
    std::call_once(found, [] {});
    folder = new_folder;
}
