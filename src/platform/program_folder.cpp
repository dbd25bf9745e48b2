#include "platform/program_folder.h"

#include <climits>
#include <cstring>
#include <mutex>

#include <sys/stat.h>
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

namespace {

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

} // namespace

std::string program_file_folder(const char *name)
{
    const std::string &beside = program_folder();
    if (exists(beside + "/" + name))
        return beside;
    const std::string installed = beside + "/../share/vorn";
    if (exists(installed + "/" + name))
        return installed;
    return beside;
}

std::string program_plugin_folder()
{
    const std::string beside = program_folder() + "/plugins";
    if (exists(beside))
        return beside;
    const std::string installed = program_folder() + "/../lib/vorn/plugins";
    if (exists(installed))
        return installed;
    return beside;
}
