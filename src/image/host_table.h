// The program's layer over the image library. The same table is exported to
// plug-ins as `vorn_api`; the program calls the slots through `host()`.
#pragma once

#include "plugins/vorn_plugin.h"

extern "C" const HostTable vorn_api;

inline const HostTable &host() { return vorn_api; }

// Image type codes (ImageTypeCode) and palette type codes (PaletteTypeCode).
enum : int32_t {
    IMAGE_INDEXED = 8,
    IMAGE_LUMINANCE = 9,
    IMAGE_RGB = 24,
    IMAGE_BGR = 25,
    IMAGE_RGBA = 32,
    IMAGE_BGRA = 33,
};

// Save option selectors of slots 24 and 25.
enum : int32_t {
    SAVE_OPTION_BMP_RLE = 0,
    SAVE_OPTION_JPEG_QUALITY = 1,
};

// Drains the image library's error stack so that the next report is fresh.
void host_clear_errors();
