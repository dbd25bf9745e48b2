// The table of file formats and the four dispatches that choose who reads or
// writes a file: plug-ins first, then the matching rows, then the image
// library's generic support.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "plugins/vorn_plugin.h"

using LoadImageFn = int32_t (*)(const char *path, Animation *anim);
using SaveImageFn = int32_t (*)(const char *path, Animation *anim);
using LoadPaletteFn = int32_t (*)(const char *path, uint8_t *rgba1024);
using SavePaletteFn = int32_t (*)(const char *path, const uint8_t *rgba, int32_t count);

struct FormatRow {
    LoadImageFn load_image;
    SaveImageFn save_image;
    LoadPaletteFn load_palette;
    SavePaletteFn save_palette;
    const char *description;
    const char *pattern;
};

inline constexpr int FORMAT_ROW_COUNT = 40;
// 40 rows followed by an end row whose fields are all empty.
extern const FormatRow FormatTable[FORMAT_ROW_COUNT + 1];

int file_load(const char *path, Animation *anim);
int file_save(const char *path, Animation *anim);
int palette_file_load(const char *path, uint8_t *rgba1024);
void palette_file_save(const char *path, const uint8_t *rgba, int count);

// True when saving to `path` writes nothing but the first frame of the
// first group (the common image formats, .lmp pictures, .mip textures), so
// that a file loaded only to be saved there needs no other frame. False
// whenever a plug-in could take the save.
bool save_writes_first_frame_only(const char *path);

int extension_matches(const char *pattern, const char *path);
// The double-NUL filter list for one kind; the string holds every NUL.
std::string build_file_filter(int kind);
int report_file_error();

// A loader that has told the user why the file is not what its name says
// (and that no other reader should try it) calls this before returning 0:
// file_load then stops with the animation empty and no message of its own.
void load_refused();
