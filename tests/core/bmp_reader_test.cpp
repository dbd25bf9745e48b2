// Bitmaps with the newer headers that ImageMagick and GIMP write, made here.
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/bmp_reader.h"
#include "formats/format_table.h"
#include "support/test_support.h"

namespace {

struct BmpLayout {
    uint32_t header_size; // 40, 108 or 124
    int bpp;              // 8, 24 or 32
    bool top_down;
    bool alpha; // 32 bits with BI_BITFIELDS and an alpha mask
};

void put(std::vector<uint8_t> &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The test image: pixel (x, y) has red x*40, green y*60, blue 200, alpha
// x*y*20; 8-bit images index a palette of those colours (entry x + 4*y).
uint8_t red_of(int x) { return static_cast<uint8_t>(x * 40); }
uint8_t green_of(int y) { return static_cast<uint8_t>(y * 60); }
uint8_t alpha_of(int x, int y) { return static_cast<uint8_t>(x * y * 20); }
constexpr int W = 4, H = 3;

std::vector<uint8_t> make_bmp(const BmpLayout &layout)
{
    const uint32_t stride = (W * layout.bpp + 31) / 32 * 4;
    const uint32_t palette = layout.bpp == 8 ? 256 * 4 : 0;
    const uint32_t offset = 14 + layout.header_size + palette;
    std::vector<uint8_t> out = {'B', 'M'};
    put(out, offset + stride * H, 4);
    put(out, 0, 4);
    put(out, offset, 4);
    put(out, layout.header_size, 4);
    put(out, W, 4);
    put(out, static_cast<uint32_t>(layout.top_down ? -H : H), 4);
    put(out, 1, 2);
    put(out, static_cast<uint32_t>(layout.bpp), 2);
    put(out, layout.alpha ? 3 : 0, 4); // BI_BITFIELDS or BI_RGB
    put(out, stride * H, 4);
    put(out, 2835, 4);
    put(out, 2835, 4);
    put(out, layout.bpp == 8 ? 256 : 0, 4);
    put(out, 0, 4);
    if (layout.header_size > 40) {
        put(out, 0x00FF0000, 4);
        put(out, 0x0000FF00, 4);
        put(out, 0x000000FF, 4);
        put(out, layout.alpha ? 0xFF000000 : 0, 4);
        put(out, 0x73524742, 4); // 'sRGB'
        out.resize(14 + layout.header_size, 0);
    }
    for (uint32_t i = 0; i < palette / 4; ++i) {
        const int x = static_cast<int>(i % 4), y = static_cast<int>(i / 4);
        out.insert(out.end(), {200, green_of(y), red_of(x), 0});
    }
    for (int row = 0; row < H; ++row) {
        const int y = layout.top_down ? row : H - 1 - row;
        const size_t start = out.size();
        for (int x = 0; x < W; ++x) {
            if (layout.bpp == 8)
                out.push_back(static_cast<uint8_t>(x + 4 * y));
            else
                out.insert(out.end(), {200, green_of(y), red_of(x)});
            if (layout.bpp == 32)
                out.push_back(layout.alpha ? alpha_of(x, y) : 0);
        }
        out.resize(start + stride, 0);
    }
    return out;
}

TEST(BmpReader, NewerHeadersGiveThePixelsOfEveryLayout)
{
    const BmpLayout layouts[] = {
        {108, 24, false, false}, {124, 24, true, false}, {124, 32, false, true},
        {108, 32, true, true},   {124, 8, false, false}, {108, 8, true, false},
        {40, 32, false, false},
    };
    for (const BmpLayout &layout : layouts) {
        const std::string name = std::to_string(layout.header_size) + "/" + std::to_string(layout.bpp)
                                 + (layout.top_down ? " top-down" : "") + (layout.alpha ? " alpha" : "");
        const std::vector<uint8_t> file = make_bmp(layout);
        BmpImage image;
        std::string error;
        ASSERT_TRUE(bmp_read(file.data(), file.size(), image, error)) << name << ": " << error;
        ASSERT_EQ(image.width, W) << name;
        ASSERT_EQ(image.height, H) << name;
        ASSERT_EQ(image.channels, layout.bpp == 8 ? 1 : layout.alpha ? 4 : 3) << name;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const size_t at = static_cast<size_t>(y * W + x);
                const uint8_t *rgb = image.channels == 1 ? &image.palette_rgba[image.pixels[at] * 4]
                                                         : &image.pixels[at * image.channels];
                EXPECT_EQ(rgb[0], red_of(x)) << name << " at " << x << "," << y;
                EXPECT_EQ(rgb[1], green_of(y)) << name << " at " << x << "," << y;
                EXPECT_EQ(rgb[2], 200) << name;
                if (image.channels == 4) {
                    EXPECT_EQ(rgb[3], alpha_of(x, y)) << name << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(BmpReader, DamagedFilesAreRefusedWithTheirFault)
{
    const std::vector<uint8_t> good = make_bmp({124, 24, false, false});
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
        const char *fault;
    };
    std::vector<Case> cases;
    cases.push_back({"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 5), "truncated"});
    cases.push_back({"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 60), "too short"});
    auto with = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(&bytes[offset], &value, 4);
        return bytes;
    };
    cases.push_back({"INT_MIN height", with(22, 0x80000000u), "size"});
    cases.push_back({"huge width", with(18, 65536), "size"});
    cases.push_back({"pixel offset past the end", with(10, 0xFFFFFFF0u), "truncated"});
    cases.push_back({"RLE", with(30, 1), "compressed"});
    for (const Case &c : cases) {
        BmpImage image;
        std::string error;
        EXPECT_FALSE(bmp_read(c.bytes.data(), c.bytes.size(), image, error)) << c.name;
        EXPECT_NE(error.find(c.fault), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
    }
}

TEST(BmpReader, BoundsItsPixelsFirstAndKeepsIndexesBeyondAShortPalette)
{
    std::vector<uint8_t> bytes = make_bmp({124, 8, false, false});
    BmpImage image;
    std::string error;
    EXPECT_FALSE(bmp_read(bytes.data(), bytes.size(), image, error, 32768, W * H - 1));
    EXPECT_NE(error.find("allowed"), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
    // A palette of 2 colours; the pixels index up to 11.
    std::memcpy(&bytes[14 + 32], "\x02\0\0\0", 4);
    ASSERT_TRUE(bmp_read(bytes.data(), bytes.size(), image, error)) << error;
    std::vector<uint8_t> expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            expected.push_back(static_cast<uint8_t>(x + 4 * y));
    EXPECT_EQ(image.pixels, expected);
    ASSERT_EQ(image.palette_rgba.size(), size_t(W * H * 4));
    EXPECT_EQ(image.palette_rgba[4 * 11 + 3], 255); // a visible entry
}

using ModernBitmaps = CoreTest;

TEST_F(ModernBitmaps, OpenThroughTheDispatchWithTheirPixels)
{
    const std::string dir = scratch_dir("bmp");
    for (const BmpLayout &layout : {BmpLayout{124, 32, false, true}, BmpLayout{108, 8, true, false}}) {
        const std::string path = dir + "/modern" + std::to_string(layout.bpp) + ".bmp";
        write_bytes(path, make_bmp(layout));
        Animation loaded;
        anim_init(&loaded);
        file_load(path.c_str(), &loaded);
        ASSERT_EQ(loaded.group_count, 1) << path << ": " << ui.transcript();
        const std::vector<uint8_t> rgba = rgba_of(loaded.groups[0].frames[0].image);
        ASSERT_EQ(rgba.size(), static_cast<size_t>(W * H * 4));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint8_t *p = &rgba[(y * W + x) * 4];
                EXPECT_EQ(p[0], red_of(x)) << path;
                EXPECT_EQ(p[1], green_of(y)) << path;
                EXPECT_EQ(p[3], layout.alpha ? alpha_of(x, y) : 255) << path;
            }
        anim_destroy(&loaded);
    }
}

} // namespace
