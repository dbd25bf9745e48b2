#include "plugins/plugin_loader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>

#include "platform/platform.h"
#include "platform/program_folder.h"
#include "plugins/plugin_registry.h"

namespace {

const char *base_name(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// Checks one library and registers it; releases it when it is not usable.
void load_one(const char *path)
{
    // RTLD_LOCAL keeps the plug-in's own `vorn_api` out of the global scope,
    // so that every plug-in's dlsym(RTLD_DEFAULT, "vorn_api") finds the host.
    void *module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return;
    const char *name = base_name(path);

    const auto *info = static_cast<const PluginInfo *>(dlsym(module, "vorn_info"));
    if (!info) {
        // An ordinary library, not a plug-in.
        dlclose(module);
        return;
    }
    if (info->version != PLUGIN_VERSION) {
        show_warning(format_text("Plugin %s is not for this version of Vorn", name));
        dlclose(module);
        return;
    }
    const auto *formats = static_cast<const PluginFormatTable *>(dlsym(module, "vorn_api"));
    if (!formats) {
        show_warning(format_text("Plugin %s does not have a valid api structure", name));
        dlclose(module);
        return;
    }
    PluginRecord record{};
    std::strncpy(record.file_name, name, sizeof record.file_name - 1);
    record.module = module;
    record.formats = formats;
    record.info = info;
    if (!plugin_register(record)) {
        show_warning("Error Encountered: Too many plugins");
        dlclose(module);
    }
}

} // namespace

void load_plugins() { load_plugins_from(program_plugin_folder()); }

void load_plugins_from(const std::string &plugins_folder)
{
    DIR *dir = opendir(plugins_folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent *entry = readdir(dir)) {
        const size_t n = std::strlen(entry->d_name);
        if (n > 3 && std::strcmp(entry->d_name + n - 3, ".so") == 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    // Sorted, so that the order in which the plug-ins are tried does not
    // depend on the file system.
    std::sort(names.begin(), names.end());
    for (const std::string &name : names)
        load_one((plugins_folder + "/" + name).c_str());
}

void unload_plugins()
{
    for (int i = 0; i < plugin_count(); ++i) {
        void *module = plugin_record(i).module;
        if (module)
            dlclose(module);
    }
    plugin_registry_clear();
}
