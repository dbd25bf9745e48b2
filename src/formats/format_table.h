// The file formats, one descriptor each, and the four dispatches that
// choose who reads or writes a file: plug-ins first, then the matching
// formats, then the image library's generic support. A new format is one
// more descriptor in format_table.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "io/byte_io.h"
#include "document/load_result.h"
#include "platform/platform.h"
#include "plugins/vorn_plugin.h"

using LoadImageFn = int32_t (*)(const char *path, Animation *anim);
using SaveImageFn = int32_t (*)(const char *path, Animation *anim);
using LoadPaletteFn = int32_t (*)(const char *path, uint8_t *rgba1024);
using SavePaletteFn = int32_t (*)(const char *path, const uint8_t *rgba, int32_t count);

using ReadImageFn = LoadResult (*)(const char *path, Animation *anim);
using DetectFn = bool (*)(ByteReader head);

// One format: what the dialogs call it, the pattern whose extension selects
// it, how its content is recognised, and what it reads and writes.
struct FormatDescriptor {
    const char *description;
    const char *pattern;
    // True when the bytes are this format by their content; null where only
    // the image library judges the content. The dispatch chooses by the
    // extension: the reader itself refuses a file that is not its format.
    DetectFn detect;
    ReadImageFn load_image; // never shows the reason of a refusal
    SaveImageFn save_image;
    LoadPaletteFn load_palette;
    SavePaletteFn save_palette;
    // Saving writes nothing but the first frame of the first group.
    bool saves_first_frame_only;
};

inline constexpr int FORMAT_ROW_COUNT = 47;
// In the order in which they are tried and the dialogs list them.
extern const FormatDescriptor FormatDescriptors[FORMAT_ROW_COUNT];

// The descriptors seen as table rows, whose load operation shows the reason
// of a refusal itself.
struct FormatRow {
    LoadImageFn load_image;
    SaveImageFn save_image;
    LoadPaletteFn load_palette;
    SavePaletteFn save_palette;
    const char *description;
    const char *pattern;
};

// 47 rows followed by an end row whose fields are all empty.
extern const std::array<FormatRow, FORMAT_ROW_COUNT + 1> FormatTable;

// Loads `path` into the empty `anim` and shows, once, why it could not:
// Loaded, or Refused (the animation then empty) with the reasons that were
// shown. A reader that tells why it refused ends the load there.
LoadResult file_load_result(const char *path, Animation *anim);
// The same; 1 whatever happened, the file counting as handled.
int file_load(const char *path, Animation *anim);
int file_save(const char *path, Animation *anim);
int palette_file_load(const char *path, uint8_t *rgba1024);
void palette_file_save(const char *path, const uint8_t *rgba, int count);
// Reads `folder`/palette.lmp into default_palette through the palette
// dispatch (failures are reported there); returns the number of entries.
// Whoever starts the program calls it once.
int load_default_palette(const char *folder);

// True when saving to `path` writes nothing but the first frame of the
// first group (the common image formats, .lmp pictures, .mip textures), so
// that a file loaded only to be saved there needs no other frame. False
// whenever a plug-in could take the save.
bool save_writes_first_frame_only(const char *path);

int extension_matches(const char *pattern, const char *path);
// The double-NUL filter list for one kind; the string holds every NUL.
std::string build_file_filter(int kind);
int report_file_error();
