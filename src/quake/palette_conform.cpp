#include "quake/palette_conform.h"

#include <IL/il.h>

#include "platform/platform.h"
#include "image/quake_palette.h"

namespace {

thread_local long remap_count = 0;
thread_local const uint8_t *implied_override = nullptr;

// The colour of entry `i` of the bound image's palette, whatever its layout.
bool entry_colour(const uint8_t *entries, ILint type, int i, uint8_t rgb[3])
{
    switch (type) {
    case IL_PAL_RGB24:
    case IL_PAL_RGB32:
    case IL_PAL_RGBA32: {
        const int size = type == IL_PAL_RGB24 ? 3 : 4;
        rgb[0] = entries[i * size];
        rgb[1] = entries[i * size + 1];
        rgb[2] = entries[i * size + 2];
        return true;
    }
    case IL_PAL_BGR24:
    case IL_PAL_BGR32:
    case IL_PAL_BGRA32: {
        const int size = type == IL_PAL_BGR24 ? 3 : 4;
        rgb[0] = entries[i * size + 2];
        rgb[1] = entries[i * size + 1];
        rgb[2] = entries[i * size];
        return true;
    }
    default: return false;
    }
}

bool bound_is_8bit()
{
    return ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
           && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1;
}

// True when the bound 8-bit image's palette has, in every entry it holds,
// the colour of the same entry of `palette`.
bool carries_palette(const uint8_t *palette, int count)
{
    const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    const uint8_t *own = ilGetPalette();
    const ILint type = ilGetInteger(IL_PALETTE_TYPE);
    if (!own || entries < 1)
        return true;
    if (entries > count)
        return false;
    for (int i = 0; i < entries; ++i) {
        uint8_t rgb[3];
        if (!entry_colour(own, type, i, rgb))
            return false;
        if (rgb[0] != palette[i * 4] || rgb[1] != palette[i * 4 + 1] || rgb[2] != palette[i * 4 + 2])
            return false;
    }
    return true;
}

} // namespace

bool conform_to_palette(const uint8_t *palette, int count)
{
    if (!palette || count < 1)
        return false;
    if (bound_is_8bit() && carries_palette(palette, count))
        return false;
    remap_to_palette(palette, count);
    ++remap_count;
    return true;
}

RemapReport::RemapReport(const char *palette_name) : palette_name_(palette_name), start_(remap_count) {}

int RemapReport::remapped() const { return static_cast<int>(remap_count - start_); }

void RemapReport::tell(const char *path) const
{
    const int n = remapped();
    if (n < 1)
        return;
    platform().show_message(with_message_aliases(format_text("%s: %i frame%s remapped by colour to %s",
                                                             path ? path : "", n, n == 1 ? " was" : "s were",
                                                             palette_name_)),
                            MessageIcon::Information);
}

const uint8_t *implied_palette() { return implied_override ? implied_override : default_palette; }

ImpliedPalette::ImpliedPalette(const uint8_t *palette) : previous_(implied_override) { implied_override = palette; }
ImpliedPalette::~ImpliedPalette() { implied_override = previous_; }
