#include "quake/palette_conform.h"

#include <cstring>
#include <vector>

#include <IL/il.h>

#include "platform/platform.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/fullbright.h"
#include "quake/palette_match.h"

namespace {

thread_local long remap_count = 0;
thread_local const uint8_t *implied_override = nullptr;
thread_local FullbrightCheck *active_check = nullptr;
thread_local bool reduced_levels = false;

const char *const FULLBRIGHT_CHOICES[] = {"Keep Them", "Match Without Fullbrights"};

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
    ++remap_count;
    FullbrightCheck *check = active_check;
    const int first = fullbright_first_index();
    if (!check || count != 256 || first >= 256 || std::memcmp(palette, check->palette_, 1024) != 0) {
        remap_to_palette(palette, count);
        return true;
    }
    PaletteMatchOptions without;
    without.opaque_entries = first;
    if (fullbright_choice() == FullbrightChoice::Avoid) {
        match_bound_image(palette, 256, without);
        return true;
    }
    const int w = host().width(), h = host().height();
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    std::vector<uint8_t> source = bound_rgba_pixels();
    remap_to_palette(palette, 256);
    const size_t pixels = source.size() / 4;
    const size_t made = host().width() == w && host().height() == h
                            ? count_unasked_fullbrights(source.data(), host().get_data(), pixels, palette, first)
                            : 0;
    if (made == 0)
        return true;
    if (fullbright_choice() == FullbrightChoice::Keep)
        return true;
    const std::string warning = format_text(
        "%s: matching a frame of %i x %i to the palette made %zu pixel%s fullbright that %s not fullbright "
        "colours: in the game %s lighting and glow in the dark.%s",
        check->path_ ? check->path_ : "", w, h, made, made == 1 ? "" : "s", made == 1 ? "was" : "were",
        made == 1 ? "it ignores" : "they ignore",
        reduced_levels && !mips_fullbright_safe()
            ? " They are in the smaller mip levels: fullbright-safe levels (MipsFullbrightSafe=1 in vorn.ini, "
              "vorn-cli --mips fullbright-safe) gain no fullbrights."
            : "");
    const int answer = platform().ask_choice(
        warning, "Keep them, or match the frame again without fullbrights? Vorn keeps the choice until it closes.",
        {FULLBRIGHT_CHOICES[0], FULLBRIGHT_CHOICES[1]});
    if (answer < 0)
        check->untold_.push_back(warning);
    if (answer == 0)
        set_fullbright_choice(FullbrightChoice::Keep);
    if (answer != 1)
        return true;
    set_fullbright_choice(FullbrightChoice::Avoid);
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, source.data());
    ilRegisterOrigin(origin == IL_ORIGIN_LOWER_LEFT ? IL_ORIGIN_LOWER_LEFT : IL_ORIGIN_UPPER_LEFT);
    match_bound_image(palette, 256, without);
    return true;
}

std::vector<uint8_t> bound_rgba_pixels()
{
    const int w = host().width(), h = host().height();
    const ILuint bound = static_cast<ILuint>(ilGetInteger(IL_CUR_IMAGE));
    std::vector<uint8_t> rgba;
    if (w <= 0 || h <= 0)
        return rgba;
    const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
    if (ilGetInteger(IL_IMAGE_FORMAT) == IL_RGBA && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
        && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 4 && host().get_data()) {
        rgba.assign(host().get_data(), host().get_data() + size);
        return rgba;
    }
    const uint32_t copy = host().gen_image();
    host().bind_image(copy);
    if (host().copy_image(bound) && host().convert_image(IMAGE_RGBA) && host().width() == w && host().height() == h
        && host().get_data())
        rgba.assign(host().get_data(), host().get_data() + size);
    host().bind_image(bound);
    host().delete_image(copy);
    return rgba;
}

FullbrightCheck::FullbrightCheck(const char *path, const uint8_t *palette)
    : path_(path), palette_(palette), previous_(active_check)
{
    active_check = palette ? this : nullptr;
}

FullbrightCheck::~FullbrightCheck() { active_check = previous_; }

void FullbrightCheck::matching_reduced_levels(bool on) { reduced_levels = on; }

RemapReport::RemapReport(const char *palette_name) : palette_name_(palette_name), start_(remap_count) {}

int RemapReport::remapped() const { return static_cast<int>(remap_count - start_); }

void RemapReport::tell(const char *path) const
{
    if (active_check) {
        for (const std::string &warning : active_check->untold_)
            show_warning(warning);
        active_check->untold_.clear();
    }
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
