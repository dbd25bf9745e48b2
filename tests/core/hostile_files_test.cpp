// Files made to hurt: sizes far beyond what the file holds, negative and
// INT_MIN sizes, a truncated PNG, WAD2 directories whose entries all point at
// one lump, and a GIF that overflows the image library's heap. Each must be
// refused or loaded within its limits, with a message, quickly, and without
// the program or its decoder taking much memory.
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <malloc.h>
#include <IL/il.h>
#include <sys/resource.h>

#include "io/byte_io.h"
#include "decode/child_decode.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "sniff/sniff.h"
#include "image/image_limits.h"
#include "decode/decode_protocol.h"
#include "image/host_table.h"
#include "app/logic/settings.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes &b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes &b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put32be(Bytes &b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<uint8_t>(v >> s));
}
void pad_to(Bytes &b, size_t n, uint8_t value = 0x55)
{
    while (b.size() < n)
        b.push_back(value);
}

uint32_t crc32_of(const uint8_t *p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// --- Image-library formats -------------------------------------------------

Bytes gif_claiming(uint16_t w, uint16_t h)
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    put16(b, w);
    put16(b, h);
    b.insert(b.end(), {0x00, 0x00, 0x00, 0x2C});
    put16(b, 0);
    put16(b, 0);
    put16(b, w);
    put16(b, h);
    b.insert(b.end(), {0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B});
    return b;
}

Bytes tga_claiming(uint16_t w, uint16_t h, uint8_t type)
{
    Bytes b = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(b, w);
    put16(b, h);
    b.push_back(32);
    b.push_back(0x28);
    // Run-length packets that each repeat one pixel 128 times.
    while (b.size() + 5 <= 100)
        b.insert(b.end(), {0xFF, 1, 2, 3, 4});
    pad_to(b, 100);
    return b;
}

Bytes bmp_claiming(int32_t w, int32_t h)
{
    Bytes b = {'B', 'M'};
    put32(b, 100);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, 0);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    pad_to(b, 100);
    return b;
}

Bytes png_claiming(uint32_t w, uint32_t h)
{
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes chunk = {'I', 'H', 'D', 'R'};
    put32be(chunk, w);
    put32be(chunk, h);
    chunk.insert(chunk.end(), {8, 6, 0, 0, 0});
    put32be(b, 13);
    b.insert(b.end(), chunk.begin(), chunk.end());
    put32be(b, crc32_of(chunk.data(), chunk.size()));
    // An IDAT that holds a few bytes of a stream that never ends.
    Bytes idat = {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x62, 0x60};
    put32be(b, 4);
    b.insert(b.end(), idat.begin(), idat.end());
    put32be(b, crc32_of(idat.data(), idat.size()));
    return b;
}

// A zlib stream of `n` zero bytes in fixed-Huffman deflate: one literal,
// then matches of 258 bytes at distance 1 (13 bits each), so that the
// stream is about 2500 times smaller than what it inflates to.
Bytes zlib_of_zeros(uint64_t n)
{
    Bytes out = {0x78, 0x01};
    uint64_t bits = 0;
    int used = 0;
    auto put = [&](uint32_t value, int count) { // LSB first
        bits |= static_cast<uint64_t>(value) << used;
        used += count;
        while (used >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            used -= 8;
        }
    };
    auto code = [&](uint32_t value, int count) { // Huffman codes go MSB first
        for (int i = count - 1; i >= 0; --i)
            put((value >> i) & 1, 1);
    };
    put(1, 1); // the last block
    put(1, 2); // fixed codes
    uint64_t left = n;
    code(0x30, 8); // literal 0
    --left;
    for (; left >= 258; left -= 258) {
        code(0xC5, 8); // length 258
        code(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        code(0x30, 8);
    code(0, 7); // end of block
    if (used > 0)
        put(0, 8 - used);
    put32be(out, static_cast<uint32_t>((n % 65521) << 16 | 1)); // Adler-32 of zeros
    return out;
}

void png_chunk(Bytes &png, const char *type, const Bytes &data)
{
    put32be(png, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put32be(png, crc32_of(typed.data(), typed.size()));
}

// A whole PNG: `chunks` (type, data) go between IHDR and IDAT.
Bytes png_of(uint32_t w, uint32_t h, uint8_t depth, uint8_t colour, const Bytes &idat,
             const std::vector<std::pair<const char *, Bytes>> &chunks = {})
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    put32be(header, w);
    put32be(header, h);
    header.insert(header.end(), {depth, colour, 0, 0, 0});
    png_chunk(png, "IHDR", header);
    for (const auto &[type, data] : chunks)
        png_chunk(png, type, data);
    png_chunk(png, "IDAT", idat);
    png_chunk(png, "IEND", {});
    return png;
}

// The zlib stream of `raw` in stored blocks.
Bytes zlib_stored(const Bytes &raw)
{
    Bytes out = {0x78, 0x01, 0x01};
    put16(out, static_cast<uint32_t>(raw.size()));
    put16(out, static_cast<uint32_t>(~raw.size() & 0xFFFF));
    out.insert(out.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32be(out, b << 16 | a);
    return out;
}

// A 1-bit grey PNG of `side` x `side` zero pixels: under 1 MiB for 30000.
Bytes png_bomb(uint32_t side) { return png_of(side, side, 1, 0, zlib_of_zeros(uint64_t(side) * (1 + (side + 7) / 8))); }

// An 8-bit bitmap, run-length coded, of `side` x `side`: a few runs, then
// the end of the bitmap.
Bytes rle_bmp_bomb(int32_t side)
{
    Bytes b = {'B', 'M'};
    const uint32_t offset = 14 + 40 + 4 * 256;
    put32(b, offset + 2002);
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(side));
    put32(b, static_cast<uint32_t>(side));
    put16(b, 1);
    put16(b, 8);
    put32(b, 1); // BI_RLE8
    put32(b, 2002);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 256);
    put32(b, 0);
    pad_to(b, offset, 0);
    for (int i = 0; i < 1000; ++i)
        b.insert(b.end(), {255, 1});
    b.insert(b.end(), {0, 1});
    return b;
}

// An icon whose one entry is the PNG `png`.
Bytes icon_holding(const Bytes &png)
{
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 1);
    b.insert(b.end(), {0, 0, 0, 0});
    put16(b, 1);
    put16(b, 32);
    put32(b, static_cast<uint32_t>(png.size()));
    put32(b, 22);
    b.insert(b.end(), png.begin(), png.end());
    return b;
}

// --- Quake formats ----------------------------------------------------------

Bytes sprite_claiming(int32_t version, int32_t w, int32_t h)
{
    Bytes b = {'I', 'D', 'S', 'P'};
    put32(b, static_cast<uint32_t>(version));
    put32(b, 2);
    put32(b, 0x41200000u); // radius 10.0
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put32(b, 1);
    put32(b, 0);
    put32(b, 0);
    if (version == 2) {
        put16(b, 1);
        b.insert(b.end(), {10, 20, 30});
    }
    put32(b, 0); // a single frame
    put32(b, 0);
    put32(b, 0);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    pad_to(b, 100);
    return b;
}

Bytes lmp_claiming(int32_t w, int32_t h)
{
    Bytes b;
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    pad_to(b, 100);
    return b;
}

Bytes mip_claiming(uint32_t w, uint32_t h)
{
    Bytes b(16, 0);
    std::memcpy(b.data(), "huge", 4);
    put32(b, w);
    put32(b, h);
    for (int k = 0; k < 4; ++k)
        put32(b, 40);
    pad_to(b, 100);
    return b;
}

// A WAD2 archive of one 256x256 mip texture and `entries` directory entries
// that all point at it: the file is small, what it decodes to is not.
Bytes wad_with_overlapping_entries(int entries)
{
    Bytes b = {'W', 'A', 'D', '2'};
    put32(b, static_cast<uint32_t>(entries));
    put32(b, 0); // directory offset, set below
    const uint32_t lump = static_cast<uint32_t>(b.size());
    Bytes name(16, 0);
    std::memcpy(name.data(), "same", 4);
    b.insert(b.end(), name.begin(), name.end());
    put32(b, 256);
    put32(b, 256);
    uint32_t at = 40;
    for (int k = 0; k < 4; ++k) {
        put32(b, at);
        at += (256u >> k) * (256u >> k);
    }
    pad_to(b, lump + at, 7);
    const uint32_t directory = static_cast<uint32_t>(b.size());
    for (int i = 0; i < entries; ++i) {
        put32(b, lump);
        put32(b, at);
        put32(b, at);
        b.insert(b.end(), {'D', 0, 0, 0});
        Bytes entry_name(16, 0);
        std::memcpy(entry_name.data(), "same", 4);
        b.insert(b.end(), entry_name.begin(), entry_name.end());
    }
    for (int s = 0; s < 4; ++s)
        b[8 + s] = static_cast<uint8_t>(directory >> (8 * s));
    return b;
}

struct Hostile {
    const char *name; // the file's name: its fault, and the extension that picks its reader
    Bytes bytes;
};

// The first 100 bytes of a real PNG: the library waits forever for the rest.
Bytes hanging_png()
{
    Bytes png = read_bytes(data_path("images/librequake_SBAR.png"));
    png.resize(100);
    return png;
}

std::vector<Hostile> hostile_set()
{
    Bytes truncated_png = read_bytes(data_path("images/pngsuite_basn3p08.png"));
    truncated_png.resize(truncated_png.size() / 2);
    return {
        {"png_truncated_hangs_the_library.png", hanging_png()},
        {"gif_claims_65535_square.gif", gif_claiming(65535, 65535)},
        {"tga_claims_65535_square.tga", tga_claiming(65535, 65535, 10)},
        {"tga_raw_claims_65535_square.tga", tga_claiming(65535, 65535, 2)},
        {"tga_claims_16384_square.tga", tga_claiming(16384, 16384, 10)},
        {"bmp_height_int_min.bmp", bmp_claiming(128, INT_MIN)},
        {"bmp_negative_width.bmp", bmp_claiming(-5, 4)},
        {"bmp_claims_65535_square.bmp", bmp_claiming(65535, 65535)},
        {"png_claims_65535_square.png", png_claiming(65535, 65535)},
        {"png_truncated.png", truncated_png},
        {"spr_claims_16384_square.spr", sprite_claiming(1, 16384, 16384)},
        {"spr2_claims_16384_square.spr", sprite_claiming(2, 16384, 16384)},
        {"spr32_claims_16384_square.spr32", sprite_claiming(32, 16384, 16384)},
        {"spr_int_min_sides.spr", sprite_claiming(1, INT_MIN, INT_MIN)},
        {"spr32_negative_sides.spr32", sprite_claiming(32, -4, -4)},
        {"lmp_claims_16384_square.lmp", lmp_claiming(16384, 16384)},
        {"lmp_int_min_sides.lmp", lmp_claiming(INT_MIN, 4)},
        {"mip_claims_16384_square.mip", mip_claiming(16384, 16384)},
        {"wad_entries_overlap_one_lump.wad", wad_with_overlapping_entries(13000)},
    };
}

long peak_kib(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

class HostileFiles : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("hostile");
    }
    std::string dir;
};

constexpr long MEMORY_LIMIT_KIB = 300 * 1024;

TEST_F(HostileFiles, EachIsRefusedOrKeptWithinItsLimitsWithAMessageQuicklyAndInLittleMemory)
{
    const long self_before = peak_kib(RUSAGE_SELF);
    reset_decoder_peak();
    for (const Hostile &h : hostile_set()) {
        SCOPED_TRACE(h.name);
        const std::string path = dir + "/" + h.name;
        write_bytes(path, h.bytes);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        const auto start = std::chrono::steady_clock::now();
        file_load(path.c_str(), &loaded);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // Refusals come within the decoder's time-out for a small file; the
        // bound is loose so that a busy machine passes.
        EXPECT_LT(seconds, 10.0);
        EXPECT_FALSE(ui.messages().empty());
        uint64_t kept = 0;
        for (int g = 0; g < loaded.group_count; ++g)
            for (int f = 0; f < loaded.groups[g].frame_count; ++f) {
                host().bind_image(loaded.groups[g].frames[f].image);
                const int w = host().width();
                const int hh = host().height();
                EXPECT_TRUE(w >= 1 && w <= GENERIC_MAX_SIDE && hh >= 1 && hh <= GENERIC_MAX_SIDE) << w << "x" << hh;
                kept += bound_image_bytes();
            }
        EXPECT_LE(kept, pixel_budget());
        anim_destroy(&loaded);
    }
    // Neither this process nor any decoder it started grew by much.
    EXPECT_LT(peak_kib(RUSAGE_SELF) - self_before, MEMORY_LIMIT_KIB);
    EXPECT_GT(decoder_peak_kib(), 0);
    EXPECT_LT(decoder_peak_kib(), MEMORY_LIMIT_KIB);
}

TEST_F(HostileFiles, RefusalsNameTheFileTheClaimAndTheLimit)
{
    struct Case {
        const char *name;
        Bytes bytes;
        const char *claim;
        const char *limit;
    };
    const std::vector<Case> cases = {
        {"big.spr32", sprite_claiming(32, 16384, 16384), "16384x16384", "16 MiB"},
        {"big.lmp", lmp_claiming(16384, 16384), "16384x16384", "16 MiB"},
        {"big.mip", mip_claiming(16384, 16384), "16384x16384", "16 MiB"},
        {"many.wad", wad_with_overlapping_entries(13000), "13000 entries", "4 times the file's"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        write_bytes(path, c.bytes);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        ASSERT_FALSE(ui.messages().empty());
        const std::string text = ui.messages()[0].text;
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find(c.claim), std::string::npos) << text;
        EXPECT_NE(text.find(c.limit), std::string::npos) << text;
        EXPECT_EQ(loaded.group_count, 0);
        anim_destroy(&loaded);
    }
}

TEST_F(HostileFiles, DecoderReportsSidesBeyondTheLimitAndTheBudget)
{
    // A real image asked for with limits it exceeds.
    const std::string good = data_path("images/pngsuite_basn3p08.png");
    DecodeRequest narrow;
    narrow.max_side = 16;
    const DecodeResult sides = decode_in_child(good.c_str(), narrow);
    EXPECT_EQ(sides.outcome, DecodeOutcome::BadSide);
    EXPECT_EQ(sides.claim_width, 32);
    EXPECT_NE(decode_failure_text("f.png", sides).find("32x32"), std::string::npos);
    DecodeRequest poor;
    poor.budget = 100;
    const DecodeResult budget = decode_in_child(good.c_str(), poor);
    EXPECT_EQ(budget.outcome, DecodeOutcome::OverBudget);
    EXPECT_EQ(budget.claim_bytes, 32u * 32u);
    DecodeRequest few;
    few.max_pixels = 32 * 32 - 1;
    const DecodeResult pixels = decode_in_child(good.c_str(), few);
    EXPECT_EQ(pixels.outcome, DecodeOutcome::TooManyPixels);
    EXPECT_NE(decode_failure_text("f.png", pixels).find("--max-pixels"), std::string::npos);

    // A file the library would decode into gigabytes fails inside the child's
    // own limits; the child's accounting shows it stayed small.
    const std::string path = dir + "/huge.gif";
    write_bytes(path, gif_claiming(65535, 65535));
    const DecodeResult huge = decode_in_child(path.c_str());
    EXPECT_NE(huge.outcome, DecodeOutcome::Decoded);
    EXPECT_GT(huge.peak_kib, 0);
    EXPECT_LT(huge.peak_kib, MEMORY_LIMIT_KIB);
}

TEST_F(HostileFiles, TruncatedPngThatHangsTheLibraryIsRefusedWithinTheTimeOutOfASmallFile)
{
    const std::string path = dir + "/cut.png";
    write_bytes(path, hanging_png());
    const DecodeResult cut = decode_in_child(path.c_str());
    EXPECT_TRUE(cut.outcome == DecodeOutcome::TimedOut || cut.outcome == DecodeOutcome::Crashed);
    EXPECT_LE(cut.timeout_ms, 2000u);
    EXPECT_FALSE(decode_failure_text(path.c_str(), cut).empty());
    // The decoder that hung was ended; the next file decodes.
    EXPECT_EQ(decode_in_child(data_path("images/pngsuite_basn3p08.png").c_str()).outcome, DecodeOutcome::Decoded);
}

TEST_F(HostileFiles, ServedAndStartedDecodersGiveTheSameFrames)
{
    for (const char *name : {"images/giflib_fire.gif", "images/pngsuite_basn3p08.png", "images/hexen2_expload.bmp"}) {
        SCOPED_TRACE(name);
        use_decode_server(false);
        const DecodeResult started = decode_in_child(data_path(name).c_str());
        use_decode_server(true);
        const DecodeResult served = decode_in_child(data_path(name).c_str());
        ASSERT_EQ(started.outcome, DecodeOutcome::Decoded);
        ASSERT_EQ(served.outcome, DecodeOutcome::Decoded);
        ASSERT_EQ(started.frames.size(), served.frames.size());
        for (size_t i = 0; i < started.frames.size(); ++i) {
            EXPECT_EQ(std::memcmp(&started.frames[i].head, &served.frames[i].head, sizeof started.frames[i].head), 0);
            EXPECT_EQ(started.frames[i].palette, served.frames[i].palette);
            EXPECT_EQ(started.frames[i].pixels, served.frames[i].pixels);
        }
        EXPECT_GT(served.peak_kib, 0);
    }
}

TEST_F(HostileFiles, FirstFrameDecodeGivesExactlyTheWholeDecodesFirstFrame)
{
    for (const char *name : {"images/giflib_fire.gif", "images/giflib_welcome2.gif",
                             "images/giflib_treescap-interlaced.gif", "images/giflib_x-trans.gif",
                             "images/pngsuite_basn3p08.png"}) {
        SCOPED_TRACE(name);
        const DecodeResult whole = decode_in_child(data_path(name).c_str());
        DecodeRequest request;
        request.first_frame_only = true;
        const DecodeResult first = decode_in_child(data_path(name).c_str(), request);
        ASSERT_EQ(whole.outcome, DecodeOutcome::Decoded);
        ASSERT_EQ(first.outcome, DecodeOutcome::Decoded);
        ASSERT_EQ(first.frames.size(), 1u);
        EXPECT_EQ(std::memcmp(&first.frames[0].head, &whole.frames[0].head, sizeof first.frames[0].head), 0);
        EXPECT_EQ(first.frames[0].palette, whole.frames[0].palette);
        EXPECT_EQ(first.frames[0].pixels, whole.frames[0].pixels);
    }
}

TEST(GifScan, FirstImageEndsWhereTheNextBlockBeginsAndCutsAreRefused)
{
    const Bytes animated = read_bytes(data_path("images/giflib_fire.gif"));
    const size_t length = gif_first_image_length(animated.data(), animated.size());
    ASSERT_GT(length, 13u);
    ASSERT_LT(length, animated.size());
    EXPECT_TRUE(animated[length] == 0x21 || animated[length] == 0x2C) << int(animated[length]);
    // Every cut before the first image is complete gives 0, read in bounds
    // (the sanitizer build watches the reads).
    for (size_t n = 0; n < length; ++n) {
        const Bytes cut(animated.begin(), animated.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_EQ(gif_first_image_length(cut.data(), cut.size()), 0u) << n;
    }
    const Bytes single = read_bytes(data_path("images/giflib_treescap-interlaced.gif"));
    const size_t single_length = gif_first_image_length(single.data(), single.size());
    ASSERT_GT(single_length, 0u);
    EXPECT_EQ(single[single_length], 0x3B); // the trailer follows
    // A block of no known kind after the colour table, and a file that is
    // not a GIF.
    const auto after_table = static_cast<std::ptrdiff_t>(13 + 3 * (size_t(2) << (single[10] & 7)));
    Bytes damaged(single.begin(), single.begin() + after_table);
    damaged.push_back(0x99);
    damaged.insert(damaged.end(), single.begin() + after_table, single.end());
    EXPECT_EQ(gif_first_image_length(damaged.data(), damaged.size()), 0u);
    Bytes renamed = single;
    renamed[3] = '9';
    renamed[4] = '0';
    EXPECT_EQ(gif_first_image_length(renamed.data(), renamed.size()), 0u);
}

TEST_F(HostileFiles, PaletteDispatchDecodesTheFileOnce)
{
    const std::string path = dir + "/cut.png";
    write_bytes(path, hanging_png());
    const unsigned long before = decodes_started();
    uint8_t palette[1024];
    EXPECT_EQ(palette_file_load(path.c_str(), palette), 0);
    EXPECT_EQ(decodes_started() - before, 1u);
    // The decode's own failing calls are not reported as the cause.
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Unable to load file");

    // A good paletted image: one decode, and its palette.
    const unsigned long again = decodes_started();
    EXPECT_GT(palette_file_load(data_path("images/pngsuite_basn3p08.png").c_str(), palette), 0);
    EXPECT_EQ(decodes_started() - again, 1u);
}

TEST_F(HostileFiles, HeapCorruptingGifLeavesTheProgramAbleToLoadAGoodFile)
{
    const std::string bad = data_path("hostile/gif_frame_outside_screen_overflows_heap.gif");
    for (int round = 0; round < 3; ++round) {
        Animation loaded;
        anim_init(&loaded);
        file_load(bad.c_str(), &loaded);
        uint8_t palette[1024];
        palette_file_load(bad.c_str(), palette);
        anim_destroy(&loaded);
    }
    ui.clear();
    Animation good;
    anim_init(&good);
    file_load(data_path("images/giflib_fire.gif").c_str(), &good);
    ASSERT_EQ(good.group_count, 1);
    EXPECT_GT(good.groups[0].frame_count, 0);
    EXPECT_TRUE(ui.messages().empty());
    host().bind_image(good.groups[0].frames[0].image);
    EXPECT_GT(host().width(), 0);
    anim_destroy(&good);
}

TEST_F(HostileFiles, MissingDecoderRefusesTheFileWithoutLoadingItHere)
{
    set_decoder_path(dir + "/no-such-decoder");
    Animation loaded;
    anim_init(&loaded);
    EXPECT_EQ(file_load_result(data_path("images/pngsuite_basn3p08.png").c_str(), &loaded).status,
              LoadStatus::Refused);
    set_decoder_path("");
    EXPECT_EQ(loaded.group_count, 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("could not be started"), std::string::npos) << ui.messages()[0].text;
    anim_destroy(&loaded);
    // With the decoder back the same file loads.
    Animation again;
    anim_init(&again);
    file_load(data_path("images/pngsuite_basn3p08.png").c_str(), &again);
    EXPECT_EQ(again.group_count, 1);
    anim_destroy(&again);
}

TEST_F(HostileFiles, PlaceholderImagesAreClearedBeforeAnyWriterSeesThem)
{
    // Fresh allocations are filled with a non-zero byte, so that a
    // placeholder left as the library made it shows.
    mallopt(M_PERTURB, 0x5A);
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 3);
    mallopt(M_PERTURB, 0);
    for (int f = 0; f < 3; ++f) {
        const std::vector<uint8_t> pixels = raw_of(group->frames[f].image);
        ASSERT_FALSE(pixels.empty());
        EXPECT_EQ(pixels, std::vector<uint8_t>(pixels.size(), 0)) << f;
    }
}

TEST_F(HostileFiles, BombsAreRefusedWithTheLimitAndHowToRaiseItInLittleMemory)
{
    const Bytes png = png_bomb(30000);
    ASSERT_LT(png.size(), size_t(1) << 20);
    const std::vector<Hostile> bombs = {
        {"rle8_16000_square.bmp", rle_bmp_bomb(16000)},
        {"zlib_30000_square.png", png},
        {"rle_16000_square.tga", tga_claiming(16000, 16000, 10)},
        {"png_30000_square_in.ico", icon_holding(png)},
    };
    const long self_before = peak_kib(RUSAGE_SELF);
    reset_decoder_peak();
    for (const Hostile &bomb : bombs) {
        SCOPED_TRACE(bomb.name);
        const std::string path = dir + "/" + bomb.name;
        write_bytes(path, bomb.bytes);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(file_load_result(path.c_str(), &loaded).status, LoadStatus::Refused);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
        EXPECT_EQ(loaded.group_count, 0);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_NE(ui.messages()[0].text.find(path), std::string::npos) << ui.messages()[0].text;
        // Those whose header says their size are refused before any decoder
        // sees them, saying how to open them on purpose.
        if (lower_extension(path.c_str()) != ".ico") {
            EXPECT_NE(ui.messages()[0].text.find("--max-pixels"), std::string::npos) << ui.messages()[0].text;
        }
        anim_destroy(&loaded);
    }
    EXPECT_LT(peak_kib(RUSAGE_SELF) - self_before, MEMORY_LIMIT_KIB);
    EXPECT_LT(decoder_peak_kib(), 512 * 1024);
}

TEST_F(HostileFiles, ClaimsBeyondTheMostPixelsSayHowToAllowThemAndOpenWhenAllowed)
{
    const std::string path = dir + "/big.png";
    write_bytes(path, png_bomb(40));
    for (const uint64_t most : {uint64_t(1599), uint64_t(1600)}) {
        set_max_image_pixels(most);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        set_max_image_pixels(0);
        if (most == 1600) {
            EXPECT_EQ(loaded.group_count, 1) << ui.transcript();
        } else {
            EXPECT_EQ(loaded.group_count, 0);
            ASSERT_EQ(ui.messages().size(), 1u);
            for (const char *part : {"40x40", "MaxPixels", "--max-pixels"})
                EXPECT_NE(ui.messages()[0].text.find(part), std::string::npos) << ui.messages()[0].text;
        }
        anim_destroy(&loaded);
    }
}

TEST_F(HostileFiles, TheMostPixelsComeFromVornIniAndTheBatchToolsOption)
{
    const std::string ini = dir + "/vorn.ini";
    write_bytes(ini, {'[', 'V', 'O', 'R', 'N', ']', '\n', 'M', 'a', 'x', 'P', 'i', 'x', 'e', 'l', 's', '=', '9', '9', '\n'});
    load_settings_from(ini);
    EXPECT_EQ(max_image_pixels(), 99u);
    write_bytes(ini, {});
    load_settings_from(ini);
    EXPECT_EQ(max_image_pixels(), DEFAULT_MAX_IMAGE_PIXELS);

    write_bytes(dir + "/big.png", png_bomb(40));
    const CliResult refused = run_vorn_cli("--max-pixels 1599 info big.png", dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--max-pixels"), std::string::npos) << refused.err;
    EXPECT_EQ(run_vorn_cli("--max-pixels 1600 info big.png", dir).status, 0);
    EXPECT_EQ(run_vorn_cli("--max-pixels x info big.png", dir).status, 2);
}

TEST_F(HostileFiles, TheDecodersMemoryLimitHoldsWhateverTheImagesAllowed)
{
    // Pixels are allowed without bound; the budget sets the decoder's limit.
    DecodeRequest request;
    request.max_pixels = uint64_t(1) << 40;
    request.budget = uint64_t(256) << 20;
    const std::string path = dir + "/zlib_30000_square.png";
    const Bytes png = png_bomb(30000);
    write_bytes(path, png);
    const uint64_t limit = decode_protocol::memory_allowance(png.size(), request.budget, request.max_pixels);
    const DecodeResult bomb = decode_in_child(path.c_str(), request);
    EXPECT_EQ(bomb.outcome, DecodeOutcome::OverMemoryLimit);
    const std::string text = decode_failure_text(path.c_str(), bomb);
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(size_text(limit)), std::string::npos) << text;
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer reserves terabytes of address space: its decoder is held
    // by the allocator's largest request instead, and its shadow memory
    // makes its resident size no measure of the limit.
    GTEST_SKIP() << "the decoder's resident memory is not measured under the address sanitizer";
#else
    EXPECT_GT(bomb.peak_kib, 0);
    EXPECT_LT(static_cast<uint64_t>(bomb.peak_kib) * 1024, limit);
#endif
}

TEST_F(HostileFiles, AReaderThatGaveItsReasonIsNotContradicted)
{
    Bytes sprite = sprite_claiming(1, 8, 8);
    sprite[24] = 0; // 65536 frame entries
    sprite[25] = 0;
    sprite[26] = 1;
    const std::string path = dir + "/many.spr";
    write_bytes(path, sprite);
    Animation loaded;
    anim_init(&loaded);
    file_load(path.c_str(), &loaded);
    EXPECT_EQ(loaded.group_count, 0);
    ASSERT_EQ(ui.messages().size(), 1u) << ui.messages().back().text;
    EXPECT_NE(ui.messages()[0].text.find("65536 frame entries"), std::string::npos) << ui.messages()[0].text;
    anim_destroy(&loaded);
}

TEST_F(HostileFiles, PngsKeepTheirStoredColoursAndIndexes)
{
    const Bytes gamma_one = {0, 1, 0x86, 0xA0}; // 100000: gamma 1.0
    struct Case {
        const char *name;
        Bytes png;
        Bytes pixels; // as stored
        int palette_at_least;
    };
    const std::vector<Case> cases = {
        {"rgb_gamma_1.png", png_of(2, 1, 8, 2, zlib_stored({0, 12, 0, 0, 200, 100, 50}), {{"gAMA", gamma_one}}),
         {12, 0, 0, 200, 100, 50}, 0},
        {"rgb_gamma_045.png",
         png_of(2, 1, 8, 2, zlib_stored({0, 12, 0, 0, 200, 100, 50}), {{"gAMA", {0, 0, 0xB1, 0x8F}}}),
         {12, 0, 0, 200, 100, 50}, 0},
        // One palette entry, indexes up to 255: every index is kept.
        {"one_entry_palette.png", png_of(3, 1, 8, 3, zlib_stored({0, 255, 0, 7}), {{"PLTE", {10, 20, 30}}}),
         {255, 0, 7}, 256},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        write_bytes(path, c.png);
        ui.clear();
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        EXPECT_TRUE(ui.messages().empty());
        ASSERT_EQ(loaded.group_count, 1);
        EXPECT_EQ(raw_of(loaded.groups[0].frames[0].image), c.pixels);
        if (c.palette_at_least) {
            host().bind_image(loaded.groups[0].frames[0].image);
            EXPECT_GE(host().palette_size(), c.palette_at_least);
            EXPECT_EQ(std::vector<uint8_t>(ilGetPalette(), ilGetPalette() + 3), (std::vector<uint8_t>{10, 20, 30}));
        }
        anim_destroy(&loaded);
    }
}

} // namespace
