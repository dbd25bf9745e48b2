// The fast matcher against the plain rule it must equal, answer for answer.
#include <random>
#include <string>
#include <vector>

#include <IL/il.h>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/palette_matcher.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace {

// Palettes that stress the rule: few entries, repeated colours (ties),
// transparent entries, clusters, and black.
std::vector<std::vector<uint8_t>> test_palettes()
{
    std::mt19937 random(1234);
    std::vector<std::vector<uint8_t>> palettes;
    for (int count : {1, 2, 7, 16, 64, 200, 256, 256, 256}) {
        std::vector<uint8_t> p(static_cast<size_t>(count) * 4);
        for (int i = 0; i < count; ++i) {
            const bool clustered = palettes.size() % 3 == 1;
            for (int c = 0; c < 3; ++c)
                p[i * 4 + c] = static_cast<uint8_t>(clustered ? 100 + random() % 24 : random());
            p[i * 4 + 3] = random() % 8 == 0 ? 0 : 255;
            if (i > 0 && random() % 5 == 0) // a repeated colour
                std::copy_n(&p[(random() % i) * 4], 3, &p[i * 4]);
        }
        if (count > 3)
            p[4 * 3] = p[4 * 3 + 1] = p[4 * 3 + 2] = 0; // black at 3
        palettes.push_back(p);
    }
    palettes.push_back(std::vector<uint8_t>(default_palette, default_palette + 1024));
    return palettes;
}

TEST(PaletteMatcher, EqualsThePlainRuleForEveryKindOfColour)
{
    std::mt19937 random(99);
    for (const auto &palette : test_palettes()) {
        const int count = static_cast<int>(palette.size() / 4);
        PaletteMatcher matcher(palette.data(), count);
        if (count == 256)
            matcher.enable_colour_table();
        EXPECT_EQ(matcher.transparent(), nearest_palette_index(palette.data(), count, 0, 0, 0, 0));
        auto check = [&](int r, int g, int b) {
            // Twice: the second answer may come from the table.
            for (int pass = 0; pass < 2; ++pass)
                ASSERT_EQ(matcher.nearest(r, g, b), nearest_palette_index(palette.data(), count, r, g, b, 1))
                    << count << " entries, colour " << r << "," << g << "," << b;
        };
        // Cell corners and edges, where the candidate lists are tightest.
        for (int r : {0, 7, 8, 127, 128, 248, 255})
            for (int g : {0, 7, 8, 127, 128, 248, 255})
                for (int b : {0, 7, 8, 127, 128, 248, 255})
                    check(r, g, b);
        for (int i = 0; i < 20000; ++i)
            check(random() % 256, random() % 256, random() % 256);
        // Near the palette's own colours, and brightened values far outside 0..255.
        for (int i = 0; i < count; ++i)
            check(palette[i * 4] ^ 1, palette[i * 4 + 1], palette[i * 4 + 2]);
        for (int i = 0; i < 2000; ++i)
            check(static_cast<int>(random() % 1200) - 300, static_cast<int>(random() % 1200) - 300,
                  static_cast<int>(random() % 1200) - 300);
    }
}

class RemapTest : public CoreTest {};

TEST_F(RemapTest, TrueColourImagesMatchPixelByPixelAsThePlainRuleSays)
{
    // The fixtures as true colour, and a large noisy image that takes the
    // colour table.
    std::vector<std::vector<uint8_t>> images;
    std::vector<std::pair<int, int>> sizes;
    for (const char *name : {"images/librequake_SBAR.png", "images/giflib_fire.gif", "images/hexen2_expload.bmp",
                             "images/pngsuite_tbbn3p08.png", "images/fsfps_two_conchars.pcx"}) {
        Animation loaded;
        anim_init(&loaded);
        file_load(data_path(name).c_str(), &loaded);
        ASSERT_GE(loaded.group_count, 1) << name << ui.transcript();
        const uint32_t image = loaded.groups[0].frames[0].image;
        images.push_back(rgba_of(image));
        sizes.push_back({image_width(image), image_height(image)});
        anim_destroy(&loaded);
    }
    std::mt19937 random(5);
    std::vector<uint8_t> noise(300 * 300 * 4);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = i % 4 == 3 ? (random() % 16 ? 255 : 0) : static_cast<uint8_t>(random());
    images.push_back(noise);
    sizes.push_back({300, 300});

    for (size_t k = 0; k < images.size(); ++k) {
        const auto [w, h] = sizes[k];
        const uint32_t image = host().gen_image();
        host().bind_image(image);
        set_rgba_pixels(w, h, images[k]);
        remap_to_palette(default_palette, 256);
        const std::vector<uint8_t> indexes = raw_of(image);
        ASSERT_EQ(indexes.size(), static_cast<size_t>(w) * h);
        for (size_t p = 0; p < indexes.size(); ++p) {
            const uint8_t *c = &images[k][p * 4];
            ASSERT_EQ(indexes[p], nearest_palette_index(default_palette, 256, c[0], c[1], c[2], c[3]))
                << "image " << k << " pixel " << p;
        }
        host().delete_image(image);
    }
}

} // namespace
