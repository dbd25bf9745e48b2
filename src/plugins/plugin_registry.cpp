#include "plugins/plugin_registry.h"

namespace {
PluginRecord records[MAX_PLUGINS];
int count = 0;
} // namespace

int plugin_count() { return count; }
const PluginRecord &plugin_record(int index) { return records[index]; }

bool plugin_register(const PluginRecord &record)
{
    if (count >= MAX_PLUGINS)
        return false;
    records[count++] = record;
    return true;
}

void plugin_registry_clear() { count = 0; }
