#include "image/texture_format.h"

#include <cctype>
#include <cstring>

namespace {

const char *const NAMES[TEXTURE_FORMAT_COUNT] = {"Normal", "Additive", "Index Alpha", "Alpha Test"};
const char *const SPELLINGS[TEXTURE_FORMAT_COUNT] = {"normal", "additive", "index-alpha", "alpha-test"};

std::string lower(const std::string &text)
{
    std::string out = text;
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

const char *texture_format_name(int format)
{
    return format >= 0 && format < TEXTURE_FORMAT_COUNT ? NAMES[format] : nullptr;
}

std::string texture_format_text(int format)
{
    const char *name = texture_format_name(format);
    return name ? std::string(name) + " (" + std::to_string(format) + ")" : std::to_string(format);
}

int texture_format_from_text(const std::string &text)
{
    const std::string wanted = lower(text);
    for (int k = 0; k < TEXTURE_FORMAT_COUNT; ++k)
        if (wanted == SPELLINGS[k] || wanted == lower(NAMES[k]))
            return k;
    return -1;
}

void compose_texture_format(int format, const uint8_t *indexes, size_t count, const uint8_t *palette, uint8_t *rgba)
{
    const uint8_t *last = palette + 255 * 4;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t index = indexes[i];
        uint8_t *out = rgba + i * 4;
        if (format == TEXTURE_INDEX_ALPHA) {
            std::memcpy(out, last, 3);
            out[3] = index;
            continue;
        }
        std::memcpy(out, palette + index * 4, 3);
        out[3] = format == TEXTURE_ALPHA_TEST && index == 255 ? 0 : 255;
    }
}
