#include "views/logic/match_palette_logic.h"

#include <cstring>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "platform/platform.h"
#include "quake/fullbright.h"
#include "quake/palette_match.h"

MatchPaletteChoice &match_palette_last_choice()
{
    static MatchPaletteChoice last;
    return last;
}

bool match_palette_entries(const MatchPaletteChoice &choice, uint32_t frame, std::vector<uint8_t> &palette,
                           std::string &error)
{
    palette.assign(1024, 0);
    for (int i = 0; i < 256; ++i)
        palette[i * 4 + 3] = 255;
    switch (choice.source) {
    case MatchPaletteSource::Quake: std::memcpy(palette.data(), default_palette, 1024); return true;
    case MatchPaletteSource::Frame: {
        const uint32_t copy = host().gen_image();
        host().bind_image(copy);
        host().copy_image(frame);
        int count = host().image_type() == IMAGE_INDEXED ? host().palette_size() : 0;
        if (count > 0) {
            host().convert_palette(IMAGE_RGBA);
            if (const uint8_t *own = host().get_palette())
                std::memcpy(palette.data(), own, static_cast<size_t>(count > 256 ? 256 : count) * 4);
            else
                count = 0;
        }
        host().delete_image(copy);
        host().bind_image(frame);
        if (count <= 0)
            error = "The current frame has no palette of its own: it is not an 8-bit frame.";
        return count > 0;
    }
    case MatchPaletteSource::File: {
        uint8_t entries[1024] = {};
        const int count = choice.file.empty() ? 0 : palette_file_load(choice.file.c_str(), entries);
        if (count <= 0) {
            error = choice.file.empty() ? std::string("No palette file was chosen.")
                                        : choice.file + " gave no palette.";
            return false;
        }
        std::memcpy(palette.data(), entries, static_cast<size_t>(count > 256 ? 256 : count) * 4);
        return true;
    }
    }
    return false;
}

size_t match_palette_apply(const MatchPaletteChoice &choice, const std::vector<uint8_t> &palette)
{
    if (palette.size() < 1024)
        return 0;
    const int first = fullbright_first_index();
    PaletteMatchOptions options;
    options.opaque_entries = choice.fullbrights ? 256 : first;
    options.dither = choice.dither;
    options.dither_strength = choice.strength;
    match_bound_image(palette.data(), 256, options);
    const size_t pixels = static_cast<size_t>(host().width() > 0 ? host().width() : 0)
                          * static_cast<size_t>(host().height() > 0 ? host().height() : 0);
    return host().image_type() == IMAGE_INDEXED ? count_fullbright_pixels(host().get_data(), pixels, first, palette.data()) : 0;
}
