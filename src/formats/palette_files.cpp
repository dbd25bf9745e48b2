// Palette files: Jasc and Dr. Halo .pal, Photoshop .act and Autodesk .col.
//
// These are read with our own bounded parsers rather than the image
// library's, which hangs on Jasc files with CRLF line ends and crashes on
// binary palettes. The format is chosen from the extension (any letter
// case); a .pal file is Jasc text when it starts with "JASC-PAL" and a
// Dr. Halo palette otherwise. Anything that does not parse cleanly gives 0
// so that the palette dispatch can try the next reader.
#include "formats/generic_formats.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "io/byte_io.h"

namespace {

// Palette files are small; anything larger is not one of these formats.
constexpr size_t MAX_PALETTE_FILE = size_t(4) << 20;

void set_entry(uint8_t *rgba1024, int index, int red, int green, int blue, int alpha = 255)
{
    rgba1024[index * 4] = static_cast<uint8_t>(red);
    rgba1024[index * 4 + 1] = static_cast<uint8_t>(green);
    rgba1024[index * 4 + 2] = static_cast<uint8_t>(blue);
    rgba1024[index * 4 + 3] = static_cast<uint8_t>(alpha);
}

// ---------------------------------------------------------------------------
// Jasc text palettes

// Splits text into lines at LF, dropping a CR before it; the last line need
// not end with a line break.
std::vector<std::string> split_lines(const std::vector<uint8_t> &bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The blank-separated words of a line (spaces, tabs, stray CRs).
std::vector<std::string> words_of(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// A whole word of decimal digits within 0..limit.
bool parse_number(const std::string &word, long limit, long &value)
{
    if (word.empty() || word.size() > 9)
        return false;
    value = 0;
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= limit;
}

// A line that holds exactly one word equal to `expected`, letter case aside.
bool line_is(const std::string &line, const char *expected)
{
    const std::vector<std::string> words = words_of(line);
    if (words.size() != 1 || words[0].size() != std::strlen(expected))
        return false;
    for (size_t i = 0; i < words[0].size(); ++i)
        if (std::toupper(static_cast<unsigned char>(words[0][i])) != expected[i])
            return false;
    return true;
}

int32_t read_jasc(const std::vector<uint8_t> &bytes, uint8_t *rgba1024)
{
    const std::vector<std::string> lines = split_lines(bytes);
    if (lines.size() < 3 || !line_is(lines[0], "JASC-PAL") || !line_is(lines[1], "0100"))
        return 0;
    const std::vector<std::string> count_words = words_of(lines[2]);
    long declared = 0;
    if (count_words.size() != 1 || !parse_number(count_words[0], 65536, declared) || declared < 1)
        return 0;
    // A file of more than 256 colours gives its first 256.
    const int count = declared > 256 ? 256 : static_cast<int>(declared);
    if (lines.size() < 3 + static_cast<size_t>(count))
        return 0;
    std::vector<uint8_t> entries(static_cast<size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        const std::vector<std::string> words = words_of(lines[3 + i]);
        long rgb[3];
        if (words.size() < 3)
            return 0;
        for (int c = 0; c < 3; ++c)
            if (!parse_number(words[c], 255, rgb[c]))
                return 0;
        entries[i * 4] = static_cast<uint8_t>(rgb[0]);
        entries[i * 4 + 1] = static_cast<uint8_t>(rgb[1]);
        entries[i * 4 + 2] = static_cast<uint8_t>(rgb[2]);
        entries[i * 4 + 3] = 255;
    }
    // Whatever follows the declared colours must be blank (colours past the
    // 256th of a larger file are simply not read).
    if (declared <= 256)
        for (size_t i = 3 + static_cast<size_t>(count); i < lines.size(); ++i)
            if (!words_of(lines[i]).empty())
                return 0;
    std::memcpy(rgba1024, entries.data(), entries.size());
    return count;
}

// ---------------------------------------------------------------------------
// Dr. Halo palettes: a 40-byte header ("AH", ..., the highest index at offset
// 12 and the highest value of each component after it), then 16-bit
// red, green, blue triples in 512-byte blocks; a triple never crosses a block
// boundary, the bytes left at the end of a block are skipped.

constexpr size_t HALO_HEADER_SIZE = 40;
constexpr size_t HALO_BLOCK_SIZE = 512;

// A component scaled from 0..maximum to 0..255. Files whose maximum is 0 or
// 255 hold byte values already.
int halo_component(uint16_t value, uint16_t maximum)
{
    long v = value;
    if (maximum != 0 && maximum != 255)
        v = (v * 255 + maximum / 2) / maximum;
    return v > 255 ? 255 : static_cast<int>(v);
}

int32_t read_halo(const std::vector<uint8_t> &bytes, uint8_t *rgba1024)
{
    if (bytes.size() < HALO_HEADER_SIZE || bytes[0] != 'A' || bytes[1] != 'H')
        return 0;
    ByteReader in(bytes);
    in.seek(12);
    const uint16_t max_index = in.u16();
    const uint16_t max_red = in.u16();
    const uint16_t max_green = in.u16();
    const uint16_t max_blue = in.u16();
    const int count = max_index >= 255 ? 256 : max_index + 1;
    std::vector<uint8_t> entries(static_cast<size_t>(count) * 4);
    size_t position = HALO_HEADER_SIZE;
    for (int i = 0; i < count; ++i) {
        const size_t block_end = (position / HALO_BLOCK_SIZE + 1) * HALO_BLOCK_SIZE;
        if (position + 6 > block_end)
            position = block_end;
        if (position + 6 > bytes.size())
            return 0;
        in.seek(position);
        const uint16_t red = in.u16();
        const uint16_t green = in.u16();
        const uint16_t blue = in.u16();
        position += 6;
        entries[i * 4] = static_cast<uint8_t>(halo_component(red, max_red));
        entries[i * 4 + 1] = static_cast<uint8_t>(halo_component(green, max_green));
        entries[i * 4 + 2] = static_cast<uint8_t>(halo_component(blue, max_blue));
        entries[i * 4 + 3] = 255;
    }
    std::memcpy(rgba1024, entries.data(), entries.size());
    return count;
}

// ---------------------------------------------------------------------------
// Photoshop colour tables: 256 RGB triples, optionally followed by the number
// of colours used and the transparent index (16-bit big-endian each; 0xFFFF
// means no transparent colour).

int32_t read_act(const std::vector<uint8_t> &bytes, uint8_t *rgba1024)
{
    if (bytes.size() != 768 && bytes.size() != 772)
        return 0;
    int count = 256;
    int transparent = -1;
    if (bytes.size() == 772) {
        const int used = (bytes[768] << 8) | bytes[769];
        const int key = (bytes[770] << 8) | bytes[771];
        if (used >= 1 && used <= 256)
            count = used;
        if (key < count)
            transparent = key;
    }
    for (int i = 0; i < count; ++i)
        set_entry(rgba1024, i, bytes[i * 3], bytes[i * 3 + 1], bytes[i * 3 + 2], i == transparent ? 0 : 255);
    return count;
}

// ---------------------------------------------------------------------------
// Autodesk colour palettes: either 256 bare RGB triples (768 bytes) or an
// 8-byte header (file size, 0xB123, version 0) followed by RGB triples.

int32_t read_col(const std::vector<uint8_t> &bytes, uint8_t *rgba1024)
{
    if (bytes.size() == 768) {
        for (int i = 0; i < 256; ++i)
            set_entry(rgba1024, i, bytes[i * 3], bytes[i * 3 + 1], bytes[i * 3 + 2]);
        return 256;
    }
    if (bytes.size() < 8 + 3)
        return 0;
    ByteReader in(bytes);
    in.u32();
    const uint16_t magic = in.u16();
    const uint16_t version = in.u16();
    if (magic != 0xB123 || version != 0 || (bytes.size() - 8) % 3 != 0)
        return 0;
    const size_t available = (bytes.size() - 8) / 3;
    const int count = available > 256 ? 256 : static_cast<int>(available);
    for (int i = 0; i < count; ++i) {
        const size_t at = 8 + static_cast<size_t>(i) * 3;
        set_entry(rgba1024, i, bytes[at], bytes[at + 1], bytes[at + 2]);
    }
    return count;
}

} // namespace

int32_t generic_palette_load(const char *path, uint8_t *rgba1024)
{
    if (!path || !rgba1024)
        return 0;
    const std::string ext = lower_extension(path);
    if (ext != ".pal" && ext != ".act" && ext != ".col")
        return 0;
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes, MAX_PALETTE_FILE))
        return 0;
    if (ext == ".act")
        return read_act(bytes, rgba1024);
    if (ext == ".col")
        return read_col(bytes, rgba1024);
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), "JASC-PAL", 8) == 0)
        return read_jasc(bytes, rgba1024);
    return read_halo(bytes, rgba1024);
}

int32_t generic_palette_save(const char *path, const uint8_t *rgba, int32_t count)
{
    if (!path || !rgba || count < 1 || lower_extension(path) != ".pal")
        return 0;
    if (count > 256)
        count = 256;
    // Jasc text with CRLF line ends, the form paint programs write.
    std::string text = "JASC-PAL\r\n0100\r\n" + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(rgba[i * 4]) + " " + std::to_string(rgba[i * 4 + 1]) + " "
                + std::to_string(rgba[i * 4 + 2]) + "\r\n";
    return write_file(path, text.data(), text.size()) ? 1 : 0;
}
