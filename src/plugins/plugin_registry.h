// The loaded plug-ins, in load order. The loader fills it at start-up; the
// file dispatch and the dialog filters read it.
#pragma once

#include "plugins/vorn_plugin.h"

inline constexpr int MAX_PLUGINS = 256;

struct PluginRecord {
    char file_name[260];               // library file name without its folder
    void *module;                      // dlopen handle (nullptr for built-in test plug-ins)
    const PluginFormatTable *formats;  // the plug-in's `vorn_api`
    const PluginInfo *info;            // the plug-in's `vorn_info`
};

int plugin_count();
const PluginRecord &plugin_record(int index);
// Appends a record; false when MAX_PLUGINS are already registered.
bool plugin_register(const PluginRecord &record);
// Forgets every record (does not close modules).
void plugin_registry_clear();
