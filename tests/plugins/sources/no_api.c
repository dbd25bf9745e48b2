/* Identifies itself correctly but exports no format table. */
#include <stddef.h>

#include "vorn_plugin.h"

VORN_PLUGIN_EXPORT const VORN_PLUGIN_INFO(1) vorn_info = {
    0, PLUGIN_VERSION, 0, {{"*.none", "None (*.none)"}, {NULL, NULL}}};
