// How Half-Life draws an 8-bit sprite, by the "Texture Format" of its
// header: the names the editor and the batch tool show, and the colours
// each way of drawing gives a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum TextureFormat {
    TEXTURE_NORMAL = 0,      // the palette's colours, opaque
    TEXTURE_ADDITIVE = 1,    // added to what lies behind (shown over black)
    TEXTURE_INDEX_ALPHA = 2, // the last palette colour, each index its opacity
    TEXTURE_ALPHA_TEST = 3,  // the palette's colours, index 255 left out
};
inline constexpr int TEXTURE_FORMAT_COUNT = 4;

// "Normal", "Additive", "Index Alpha", "Alpha Test"; null for other values.
const char *texture_format_name(int format);
// The name with the stored number, "Normal (0)"; the number alone for a
// value without a name.
std::string texture_format_text(int format);
// A format from its name or the batch tool's spelling of it ("normal",
// "additive", "index-alpha", "alpha-test"), case ignored; -1 for none.
int texture_format_from_text(const std::string &text);

// The colours `count` indexes give when drawn in `format` (any value
// without a name draws as Normal), as RGBA to be laid over the view's
// background: Additive is its colours over black, so opaque. `palette` is
// 256 RGBA entries; `rgba` receives 4 bytes a pixel.
void compose_texture_format(int format, const uint8_t *indexes, size_t count, const uint8_t *palette,
                            uint8_t *rgba);
