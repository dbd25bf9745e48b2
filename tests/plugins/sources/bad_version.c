/* Identifies itself with the previous interface version. */
#include <stddef.h>

#include "vorn_plugin.h"

VORN_PLUGIN_EXPORT const VORN_PLUGIN_INFO(1) vorn_info = {
    0, PLUGIN_VERSION - 1, 0, {{"*.old", "Old (*.old)"}, {NULL, NULL}}};

VORN_PLUGIN_EXPORT const PluginFormatTable vorn_api = {NULL, NULL, NULL, NULL};

/* Lets the test see whether the library is still loaded. */
VORN_PLUGIN_EXPORT int bad_version_marker = 6335;
