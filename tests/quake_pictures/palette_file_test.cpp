// palette.lmp and the palette files (.pal, .act, .col).
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/byte_io.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> text_bytes(const std::string &text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A palette of `count` distinct colours.
std::vector<uint8_t> sample_rgba(int count)
{
    std::vector<uint8_t> out(static_cast<size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        out[i * 4] = static_cast<uint8_t>(i);
        out[i * 4 + 1] = static_cast<uint8_t>(255 - i);
        out[i * 4 + 2] = static_cast<uint8_t>(i * 7);
        out[i * 4 + 3] = 255;
    }
    return out;
}

std::string jasc_text(int count, const char *eol)
{
    const std::vector<uint8_t> rgba = sample_rgba(count);
    std::string text = std::string("JASC-PAL") + eol + "0100" + eol + std::to_string(count) + eol;
    for (int i = 0; i < count; ++i)
        text += std::to_string(rgba[i * 4]) + " " + std::to_string(rgba[i * 4 + 1]) + " "
                + std::to_string(rgba[i * 4 + 2]) + eol;
    return text;
}

std::vector<uint8_t> rgb_triples(int count)
{
    const std::vector<uint8_t> rgba = sample_rgba(count);
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), rgba.begin() + i * 4, rgba.begin() + i * 4 + 3);
    return out;
}

// A Dr. Halo palette: 40-byte header, 16-bit triples in 512-byte blocks.
std::vector<uint8_t> halo_file(int count, uint16_t maximum, const std::vector<uint16_t> &values)
{
    ByteWriter out;
    out.bytes("AH", 2);
    out.u16(0xE3);
    out.u16(0);
    out.u8(0x0A);
    out.u8(0);
    out.u32(0);
    out.u16(static_cast<uint16_t>(count - 1));
    out.u16(maximum);
    out.u16(maximum);
    out.u16(maximum);
    out.fixed_string("Dr. Halo", 20);
    for (size_t i = 0; i + 2 < values.size(); i += 3) {
        const size_t block_end = (out.size() / 512 + 1) * 512;
        if (out.size() + 6 > block_end)
            out.zeros(block_end - out.size());
        out.u16(values[i]);
        out.u16(values[i + 1]);
        out.u16(values[i + 2]);
    }
    return out.data();
}

class PaletteFiles : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    int32_t load(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        path = dir + "/" + name;
        write_bytes(path, bytes);
        std::memset(buffer, 0xCC, sizeof buffer);
        return generic_palette_load(path.c_str(), buffer);
    }
    std::string dir;
    std::string path;
    uint8_t buffer[1024];
};

} // namespace

TEST_F(PaletteFiles, QuakePaletteLoadsWithEntry255Transparent)
{
    const std::vector<uint8_t> lmp = read_bytes(data_path("palette/librequake_palette.lmp"));
    ASSERT_EQ(palette_lmp_load(data_path("palette/librequake_palette.lmp").c_str(), buffer), 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(0, std::memcmp(buffer + i * 4, lmp.data() + i * 3, 3)) << i;
        EXPECT_EQ(buffer[i * 4 + 3], i == 255 ? 0 : 255) << i;
    }
}

TEST_F(PaletteFiles, QuakePaletteRoundTrips)
{
    for (const char *name : {"palette/librequake_palette.lmp", "palette/openquartzplus_palette.lmp"}) {
        ASSERT_EQ(palette_lmp_load(data_path(name).c_str(), buffer), 256);
        const std::string out = dir + "/palette.lmp";
        ASSERT_EQ(palette_lmp_save(out.c_str(), buffer, 256), 1);
        EXPECT_EQ(read_bytes(out), read_bytes(data_path(name))) << name;
    }
}

TEST_F(PaletteFiles, QuakePaletteRowTakesOnlyExactly768Bytes)
{
    std::vector<uint8_t> bytes = rgb_triples(256);
    bytes.push_back(0);
    path = dir + "/long.lmp";
    write_bytes(path, bytes);
    EXPECT_EQ(palette_lmp_load(path.c_str(), buffer), 0);
    bytes.resize(767);
    write_bytes(path, bytes);
    EXPECT_EQ(palette_lmp_load(path.c_str(), buffer), 0);
    EXPECT_EQ(palette_lmp_load((dir + "/missing.lmp").c_str(), buffer), 0);
}

TEST_F(PaletteFiles, ShortPaletteIsSavedAs768BytesWithBlackAfterIt)
{
    const std::vector<uint8_t> rgba = sample_rgba(16);
    const std::string out = dir + "/palette.lmp";
    ASSERT_EQ(palette_lmp_save(out.c_str(), rgba.data(), 16), 1);
    std::vector<uint8_t> expected = rgb_triples(16);
    expected.resize(768, 0);
    EXPECT_EQ(read_bytes(out), expected);
}

TEST_F(PaletteFiles, AnyFileOf768BytesIsARawQuakePaletteInTheDispatch)
{
    path = dir + "/colours.pal";
    write_bytes(path, rgb_triples(256));
    ASSERT_EQ(palette_file_load(path.c_str(), buffer), 256);
    EXPECT_EQ(buffer[255 * 4 + 3], 0);
    EXPECT_TRUE(message_texts().empty());
}

TEST_F(PaletteFiles, JascWithLfOrCrlfLineEnds)
{
    const std::vector<uint8_t> expected = sample_rgba(16);
    for (const char *eol : {"\n", "\r\n"}) {
        ASSERT_EQ(load("lines.pal", text_bytes(jasc_text(16, eol))), 16) << (eol[1] ? "CRLF" : "LF");
        EXPECT_EQ(0, std::memcmp(buffer, expected.data(), expected.size()));
        // Entries past the count are left alone.
        EXPECT_EQ(buffer[16 * 4], 0xCC);
    }
}

TEST_F(PaletteFiles, JascToleratesTrailingBlanksAndAMissingLastLineEnd)
{
    std::string text = jasc_text(3, "\r\n");
    text.insert(text.find("0100") + 4, "  ");
    text += "\r\n   \r\n\t\n";
    EXPECT_EQ(load("blanks.pal", text_bytes(text)), 3);
    std::string unterminated = jasc_text(2, "\n");
    unterminated.pop_back();
    EXPECT_EQ(load("end.pal", text_bytes(unterminated)), 2);
    EXPECT_EQ(load("case.PAL", text_bytes(jasc_text(4, "\n"))), 4);
}

TEST_F(PaletteFiles, JascOfMoreThan256ColoursGivesTheFirst256)
{
    std::string text = jasc_text(256, "\r\n");
    text.replace(text.find("\r\n256\r\n"), 7, "\r\n300\r\n");
    for (int i = 0; i < 44; ++i)
        text += "1 2 3\r\n";
    EXPECT_EQ(load("big.pal", text_bytes(text)), 256);
    const std::vector<uint8_t> expected = sample_rgba(256);
    EXPECT_EQ(0, std::memcmp(buffer, expected.data(), 1024));
}

TEST_F(PaletteFiles, MalformedJascIsRefused)
{
    const std::string good = jasc_text(4, "\r\n");
    std::vector<std::string> bad;
    bad.push_back(good.substr(0, good.size() - 9));                          // a colour missing
    bad.push_back(std::string(good).replace(good.find("0100"), 4, "0200")); // wrong version
    bad.push_back(std::string(good).replace(good.find("\r\n4\r\n"), 5, "\r\n0\r\n"));
    bad.push_back(std::string(good).replace(good.find("\r\n4\r\n"), 5, "\r\nx\r\n"));
    bad.push_back(good + "7 7 7\r\n");                                       // more than declared
    std::string big_value = good;
    big_value.replace(big_value.rfind("\r\n", big_value.size() - 3) + 2, 1, "256 ");
    bad.push_back(big_value);
    bad.push_back("JASC-PAL\r\n0100\r\n");
    bad.push_back("JASC-PAL");
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(load("bad.pal", text_bytes(bad[i])), 0) << i;
}

TEST_F(PaletteFiles, DrHaloPaletteSkipsTheEndOfEachBlock)
{
    std::vector<uint16_t> values;
    const std::vector<uint8_t> rgba = sample_rgba(256);
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            values.push_back(rgba[i * 4 + c]);
    ASSERT_EQ(load("halo.pal", halo_file(256, 255, values)), 256);
    EXPECT_EQ(0, std::memcmp(buffer, rgba.data(), 1024));
}

TEST_F(PaletteFiles, DrHaloComponentsAreScaledFromTheirMaximum)
{
    ASSERT_EQ(load("vga.pal", halo_file(2, 63, {63, 0, 32, 1, 2, 3})), 2);
    const uint8_t expected[8] = {255, 0, 130, 255, 4, 8, 12, 255};
    EXPECT_EQ(0, std::memcmp(buffer, expected, 8));
}

TEST_F(PaletteFiles, TruncatedOrForeignHaloIsRefused)
{
    std::vector<uint16_t> values(30, 9);
    std::vector<uint8_t> file = halo_file(10, 255, values);
    EXPECT_EQ(load("ok.pal", file), 10);
    file.resize(file.size() - 1);
    EXPECT_EQ(load("short.pal", file), 0);
    EXPECT_EQ(load("tiny.pal", {'A', 'H', 0xE3}), 0);
    EXPECT_EQ(load("other.pal", std::vector<uint8_t>(100, 0x41)), 0);
    EXPECT_EQ(load("empty.pal", {}), 0);
}

TEST_F(PaletteFiles, PhotoshopColourTable)
{
    EXPECT_EQ(load("plain.act", rgb_triples(256)), 256);
    const std::vector<uint8_t> rgba = sample_rgba(256);
    EXPECT_EQ(0, std::memcmp(buffer, rgba.data(), 1024));

    std::vector<uint8_t> counted = rgb_triples(256);
    counted.insert(counted.end(), {0, 20, 0, 5});
    ASSERT_EQ(load("counted.act", counted), 20);
    EXPECT_EQ(0, std::memcmp(buffer, rgba.data(), 5 * 4 + 3));
    EXPECT_EQ(buffer[5 * 4 + 3], 0);
    EXPECT_EQ(buffer[4 * 4 + 3], 255);
    EXPECT_EQ(buffer[20 * 4], 0xCC);

    counted[770] = 0xFF;
    counted[771] = 0xFF;
    ASSERT_EQ(load("nokey.act", counted), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(buffer[i * 4 + 3], 255);

    EXPECT_EQ(load("short.act", rgb_triples(100)), 0);
    EXPECT_EQ(load("long.act", std::vector<uint8_t>(800, 1)), 0);
}

TEST_F(PaletteFiles, AutodeskColourPalette)
{
    EXPECT_EQ(load("raw.col", rgb_triples(256)), 256);
    ByteWriter file;
    const std::vector<uint8_t> triples = rgb_triples(40);
    file.u32(static_cast<uint32_t>(8 + triples.size()));
    file.u16(0xB123);
    file.u16(0);
    file.bytes(triples.data(), triples.size());
    ASSERT_EQ(load("headed.col", file.data()), 40);
    const std::vector<uint8_t> rgba = sample_rgba(40);
    EXPECT_EQ(0, std::memcmp(buffer, rgba.data(), rgba.size()));

    std::vector<uint8_t> bad = file.data();
    bad[4] = 0;
    EXPECT_EQ(load("magic.col", bad), 0);
    bad = file.data();
    bad.pop_back();
    EXPECT_EQ(load("ragged.col", bad), 0);
    EXPECT_EQ(load("tiny.col", {1, 2, 3}), 0);
}

TEST_F(PaletteFiles, OtherExtensionsAreNotMine)
{
    EXPECT_EQ(load("palette.txt", text_bytes(jasc_text(4, "\n"))), 0);
    EXPECT_EQ(load("noext", rgb_triples(256)), 0);
    EXPECT_EQ(generic_palette_load((dir + "/missing.pal").c_str(), buffer), 0);
}

TEST_F(PaletteFiles, JascWriterRoundTripsEveryCount)
{
    for (int count : {1, 16, 256}) {
        const std::vector<uint8_t> rgba = sample_rgba(count);
        const std::string out = dir + "/out.pal";
        ASSERT_EQ(generic_palette_save(out.c_str(), rgba.data(), count), 1);
        EXPECT_EQ(read_bytes(out), text_bytes(jasc_text(count, "\r\n")));
        std::memset(buffer, 0, sizeof buffer);
        ASSERT_EQ(generic_palette_load(out.c_str(), buffer), count);
        EXPECT_EQ(0, std::memcmp(buffer, rgba.data(), rgba.size()));
    }
    EXPECT_EQ(generic_palette_save((dir + "/zero.pal").c_str(), sample_rgba(1).data(), 0), 0);
    EXPECT_EQ(generic_palette_save((dir + "/no/such/folder.pal").c_str(), sample_rgba(1).data(), 1), 0);
}

TEST_F(PaletteFiles, SaveDispatchPicksTheRowByExtension)
{
    const std::vector<uint8_t> rgba = sample_rgba(16);
    palette_file_save((dir + "/colors.lmp").c_str(), rgba.data(), 16);
    EXPECT_EQ(fs::file_size(dir + "/colors.lmp"), 768u);
    palette_file_save((dir + "/colors.pal").c_str(), rgba.data(), 16);
    EXPECT_EQ(read_bytes(dir + "/colors.pal"), text_bytes(jasc_text(16, "\r\n")));
    EXPECT_TRUE(message_texts().empty());
    palette_file_save((dir + "/colors.act").c_str(), rgba.data(), 16);
    EXPECT_FALSE(fs::exists(dir + "/colors.act"));
    EXPECT_EQ(message_texts().size(), 1u);
}

TEST_F(PaletteFiles, DefaultPaletteLoadsFromTheFolderOrStaysZero)
{
    // The test process shares default_palette; keep it as it was.
    uint8_t saved[1025];
    std::memcpy(saved, default_palette, sizeof saved);

    write_bytes(dir + "/palette.lmp", read_bytes(data_path("palette/openquartzplus_palette.lmp")));
    EXPECT_EQ(load_default_palette(dir.c_str()), 256);
    EXPECT_EQ(default_palette[255 * 4 + 3], 0);
    EXPECT_EQ(default_palette[254 * 4 + 3], 255);
    EXPECT_TRUE(message_texts().empty());

    const std::string empty = scratch_dir("default_palette_missing");
    EXPECT_EQ(load_default_palette(empty.c_str()), 0);
    EXPECT_EQ(message_texts().size(), 1u);
    for (size_t i = 0; i < 1024; ++i)
        ASSERT_EQ(default_palette[i], 0) << i;

    std::memcpy(default_palette, saved, sizeof saved);
}
