#include "views/logic/game_lighting.h"

#include <algorithm>
#include <cstring>

#include "io/byte_io.h"
#include "image/quake_palette.h"
#include "platform/platform.h"
#include "quake/colormap.h"

GameLighting &game_lighting()
{
    static GameLighting lighting;
    return lighting;
}

const std::vector<uint8_t> &lighting_colormap(const uint8_t *palette, const GameLighting &lighting, std::string *error)
{
    static std::vector<uint8_t> table;
    static std::vector<uint8_t> made_for; // the palette, fullbright count and file the table is for
    std::vector<uint8_t> key(palette, palette + 1024);
    key.push_back(static_cast<uint8_t>(fullbright_count() & 0xFF));
    key.push_back(static_cast<uint8_t>(fullbright_count() >> 8));
    key.insert(key.end(), lighting.colormap_file.begin(), lighting.colormap_file.end());
    if (key == made_for && !table.empty())
        return table;
    table.clear();
    made_for.clear();
    constexpr size_t TABLE = static_cast<size_t>(COLORMAP_LEVELS) * 256;
    if (lighting.colormap_file.empty()) {
        table = generate_colormap(palette, fullbright_count(), COLORMAP_DEFAULT_RANGE);
    } else {
        std::vector<uint8_t> bytes;
        // A colormap is 16385 bytes; anything far larger is not one.
        if (!read_file(lighting.colormap_file.c_str(), bytes, TABLE * 4) || bytes.size() < TABLE) {
            if (error)
                *error = format_text("%s is not a colormap: it must hold 64 rows of 256 indexes (16384 bytes).",
                                     lighting.colormap_file.c_str());
            return table;
        }
        table = std::move(bytes);
    }
    table.resize(TABLE);
    made_for = std::move(key);
    return table;
}

void lit_palette(const uint8_t *palette, const std::vector<uint8_t> &colormap, int level, uint8_t *out)
{
    const int row = std::clamp(level, 0, COLORMAP_LEVELS - 1) * 256;
    for (int i = 0; i < 256; ++i) {
        const int to = colormap.size() >= static_cast<size_t>(COLORMAP_LEVELS) * 256 ? colormap[row + i] : i;
        std::memcpy(out + i * 4, palette + to * 4, 3);
        out[i * 4 + 3] = palette[i * 4 + 3];
    }
}
