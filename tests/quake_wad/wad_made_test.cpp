// WAD2 archives made by the tests: palettes, lump kinds, names, questions,
// progress and the faults the reader refuses or skips.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/wad2.h"
#include "support/test_support.h"
#include "wad_builder.h"

namespace {

class WadMade : public CoreTest {
protected:
    std::string dir;
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir(std::string("wad_made_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string write(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        const std::string path = dir + "/" + name;
        write_bytes(path, bytes);
        return path;
    }
    void reset()
    {
        anim_destroy(&anim);
        anim_init(&anim);
    }
    // A group of one 8-bit frame of w x h counting pixels.
    Group *add_picture_group(const char *name, int w, int h, int entry_type, uint8_t seed = 0)
    {
        Group *g = anim_add_group(&anim, name);
        props_set_int(&g->props, "Entry Type", entry_type, PROPERTY_WAD_TYPE);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        std::vector<uint8_t> px(static_cast<size_t>(w * h));
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<uint8_t>(seed + i);
        set_indexed_pixels(w, h, px, std::vector<uint8_t>(default_palette, default_palette + 1024));
        return &anim.groups[anim.group_count - 1];
    }
};

std::vector<uint8_t> test_palette_rgb()
{
    std::vector<uint8_t> rgb(768);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 5 + 1);
    return rgb;
}

// --- Palettes -----------------------------------------------------------------

TEST_F(WadMade, PaletteLumpAfterThePicturesStillGivesThemItsColours)
{
    const std::vector<uint8_t> rgb = test_palette_rgb();
    const std::string path = write("pal.wad", build_wad({{'B', "first", picture_body(4, 2, 3)},
                                                          {'B', "second", picture_body(4, 1, 250)},
                                                          {64, "PALETTE", rgb}}));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 3);
    EXPECT_EQ(props_get_int(&anim.groups[2].props, "Lump Type"), 64);
    for (int g = 0; g < 2; ++g) {
        host().bind_image(anim.groups[g].frames[0].image);
        ASSERT_EQ(host().palette_size(), 256);
        host().convert_palette(IMAGE_RGBA);
        const uint8_t *pal = host().get_palette();
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(pal[i * 4], rgb[i * 3]) << i;
            ASSERT_EQ(pal[i * 4 + 2], rgb[i * 3 + 2]) << i;
            ASSERT_EQ(pal[i * 4 + 3], i == 255 ? 0 : 255) << i;
        }
    }
    // The palette lump is kept, and the pictures, in its colours, keep
    // their indexes: the archive comes back as it was.
    const std::string saved = dir + "/saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), read_bytes(path));
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

TEST_F(WadMade, WithoutPaletteLumpPicturesUseTheDefaultPalette)
{
    const std::string path = write("nopal.wad", build_wad({{'B', "pic", picture_body(4, 1, 254)}}));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    host().bind_image(anim.groups[0].frames[0].image);
    ASSERT_EQ(host().palette_size(), 256);
    host().convert_palette(IMAGE_RGBA);
    EXPECT_EQ(std::vector<uint8_t>(host().get_palette(), host().get_palette() + 1024),
              std::vector<uint8_t>(default_palette, default_palette + 1024));
}

// --- Lump kinds ---------------------------------------------------------------

TEST_F(WadMade, ConcharsIsRawOnlyWhenNamedExactlySo)
{
    std::vector<uint8_t> font(16384);
    for (size_t i = 0; i < font.size(); ++i)
        font[i] = static_cast<uint8_t>(i / 128);
    const std::string path = write("fonts.wad", build_wad({{'D', "CONCHARS", font}, {'D', "conchars", mip_body("conchars", 16, 16, 9)}}));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 2);
    EXPECT_EQ(props_get_int(&anim.groups[0].props, "Entry Type"), 3);
    ASSERT_EQ(anim.groups[0].frame_count, 1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), font);
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Entry Type"), 2);
    EXPECT_EQ(anim.groups[1].frame_count, 4);
    EXPECT_STREQ(anim.groups[1].name, "conchars");

    const std::string saved = dir + "/saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), build_wad({{'E', "CONCHARS", font}, {'D', "conchars", mip_body("conchars", 16, 16, 9)}}));
}

TEST_F(WadMade, RawLumpsTakeTheirShapeFromTheSizeField)
{
    std::vector<uint8_t> large(64000);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<uint8_t>(i % 251);
    const std::string path = write("raw.wad", build_wad({{'E', "SCREEN", large}, {'E', "ODD", std::vector<uint8_t>(1000, 7)}}));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 2);
    EXPECT_EQ(image_width(anim.groups[0].frames[0].image), 320);
    EXPECT_EQ(image_height(anim.groups[0].frames[0].image), 200);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), large);
    // 1000 bytes is no known shape: the lump is kept as it is.
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Entry Type"), 4);
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Lump Type"), 'E');
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Lump Size"), 1000);
    ASSERT_EQ(anim.groups[1].frame_count, 1);
    EXPECT_EQ(raw_of(anim.groups[1].frames[0].image), std::vector<uint8_t>(1000, 7));
    const std::string saved = dir + "/raw_saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), read_bytes(path));
}

TEST_F(WadMade, EntryType1IsWrittenAsAnEmptyCLumpAndKeptOnReading)
{
    add_picture_group("before", 4, 2, 0, 1);
    add_picture_group("halflife", 4, 4, 1);
    add_picture_group("after", 8, 1, 0, 40);
    const std::string saved = dir + "/c.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    const std::vector<ParsedEntry> d = parse_directory(b);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[1].type, 'C');
    EXPECT_EQ(d[1].size, 0);
    EXPECT_EQ(d[1].disk_size, 0);
    EXPECT_EQ(d[1].offset, 12 + 8 + 8); // where the writer stood
    EXPECT_EQ(d[2].offset, d[1].offset);
    reset();
    ASSERT_EQ(wad2_load(saved.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 3);
    EXPECT_STREQ(anim.groups[0].name, "before");
    EXPECT_STREQ(anim.groups[1].name, "halflife");
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Entry Type"), 4);
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Lump Type"), 'C');
    EXPECT_STREQ(anim.groups[2].name, "after");
    EXPECT_TRUE(ui.messages().empty());
    const std::string again = dir + "/c2.wad";
    ASSERT_EQ(wad2_save(again.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(again), b);
}

TEST_F(WadMade, GroupWithoutFramesKeepsAnAllZeroEntry)
{
    add_picture_group("pic", 4, 1, 0);
    anim_add_group(&anim, "empty");
    const std::string saved = dir + "/z.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    ASSERT_EQ(wad_i32(b, 4), 2);
    const size_t second = static_cast<size_t>(wad_i32(b, 8)) + 32;
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + static_cast<long>(second), b.end()), std::vector<uint8_t>(32, 0));
    reset();
    ASSERT_EQ(wad2_load(saved.c_str(), &anim), 1);
    EXPECT_EQ(anim.group_count, 1);
}

TEST_F(WadMade, NamesOf16CharactersSurviveAndLongerOnesAreCut)
{
    add_picture_group("sixteen_chars_ab", 4, 1, 0);
    add_picture_group("a_name_longer_than_16", 4, 1, 0);
    const std::string saved = dir + "/names.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    const std::vector<ParsedEntry> d = parse_directory(read_bytes(saved));
    EXPECT_EQ(d[0].raw_name, std::vector<uint8_t>(d[0].raw_name.begin(), d[0].raw_name.end()));
    EXPECT_EQ(std::string(d[0].raw_name.begin(), d[0].raw_name.end()), "sixteen_chars_ab"); // no terminator
    EXPECT_EQ(d[1].name, "a_name_longer_th");
    reset();
    ASSERT_EQ(wad2_load(saved.c_str(), &anim), 1);
    EXPECT_STREQ(anim.groups[0].name, "sixteen_chars_ab");
    EXPECT_STREQ(anim.groups[1].name, "a_name_longer_th");
}

TEST_F(WadMade, MipTextureNameOf16CharactersSurvivesARoundTrip)
{
    const std::vector<uint8_t> file = build_wad({{'D', "sixteen_chars_ab", mip_body("sixteen_chars_ab", 16, 32, 5)}});
    const std::string path = write("mip16.wad", file);
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    EXPECT_STREQ(anim.groups[0].name, "sixteen_chars_ab");
    const std::string saved = dir + "/saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), file);
}

// --- Questions and progress -----------------------------------------------------

TEST_F(WadMade, GlquakeQuestionIsAskedOnceAndYesSavesEveryGroup)
{
    add_picture_group("thirty", 30, 2, 0);
    add_picture_group("thirtyone", 31, 2, 0);
    const std::string saved = dir + "/odd.wad";
    ui.queue_answer(false);
    EXPECT_EQ(wad2_save(saved.c_str(), &anim), 0);
    EXPECT_TRUE(read_bytes(saved).empty());
    ui.clear();
    ui.queue_answer(true);
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    ASSERT_EQ(ui.questions().size(), 1u);
    // One question names both pictures.
    EXPECT_NE(ui.questions()[0].find("\"thirty\": 30x2, GLQuake needs a width that is a multiple of 4\n"
                                     "  \"thirtyone\": 31x2"),
              std::string::npos)
        << ui.questions()[0];
    EXPECT_EQ(parse_directory(read_bytes(saved)).size(), 2u);
}

TEST_F(WadMade, MiptexQuestionComesFirstForTexturesOfBadSize)
{
    Group *g = add_picture_group("tex", 24, 16, 2);
    (void)g;
    const std::string saved = dir + "/tex.wad";
    ui.queue_answer(false);
    EXPECT_EQ(wad2_save(saved.c_str(), &anim), 0);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_NE(ui.questions()[0].find("\"tex\": 24x16, a texture's sides must be multiples of 16"), std::string::npos)
        << ui.questions()[0];
    ui.clear();
    ui.queue_answer(true);
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(ui.questions().size(), 1u);
    // The single frame was rebuilt into a chain of four levels.
    EXPECT_EQ(anim.groups[0].frame_count, 4);
    const std::vector<ParsedEntry> d = parse_directory(read_bytes(saved));
    EXPECT_EQ(d[0].type, 'D');
    EXPECT_EQ(d[0].size, 40 + 24 * 16 + 12 * 8 + 6 * 4 + 3 * 2);
}

TEST_F(WadMade, TexturesBreakingEngineRulesAreListedInOneQuestion)
{
    add_picture_group("+0lava", 64, 64, 2);
    add_picture_group("sky4", 128, 128, 2); // a sky is 256x128
    add_picture_group("+2lava", 64, 64, 2); // frame 1 is missing
    add_picture_group("brick", 24, 16, 2);  // sides are multiples of 16
    add_picture_group("fine", 32, 16, 2);
    const std::string saved = dir + "/rules.wad";
    ui.queue_answer(false);
    EXPECT_EQ(wad2_save(saved.c_str(), &anim), 0);
    EXPECT_TRUE(read_bytes(saved).empty());
    ASSERT_EQ(ui.questions().size(), 1u) << ui.transcript();
    EXPECT_EQ(ui.questions()[0],
              saved + " has textures that break rules the Quake engine holds them to (it may refuse them, crash or "
                      "draw them wrong):\n"
                      "  \"sky4\": 128x128, a sky must be 256x128\n"
                      "  \"brick\": 24x16, a texture's sides must be multiples of 16\n"
                      "  \"+0lava\": sequence \"+0lava\" lacks frame \"+1lava\" (its frames must be numbered "
                      "without gaps)\n"
                      "Save it anyway?");
    ui.clear();
    ui.queue_answer(true);
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(parse_directory(read_bytes(saved)).size(), 5u);
}

TEST_F(WadMade, ProgressIsReportedPerEntryAndHiddenAtTheEnd)
{
    for (int i = 0; i < 4; ++i)
        add_picture_group(("p" + std::to_string(i)).c_str(), 4, 1, 0);
    const std::string saved = dir + "/progress.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(ui.progress(), (std::vector<int>{0, 25, 50, 75, -1}));
    ui.clear();
    reset();
    ASSERT_EQ(wad2_load(saved.c_str(), &anim), 1);
    EXPECT_EQ(ui.progress(), (std::vector<int>{0, 25, 50, 75, -1}));
}

// --- Faults ---------------------------------------------------------------------

TEST_F(WadMade, ForeignFilesAreRefusedSayingWhatTheyAre)
{
    std::vector<uint8_t> pwad = build_wad({{'B', "pic", picture_body(4, 1, 0)}});
    std::memcpy(pwad.data(), "PWAD", 4);
    const std::string doom = write("doom.wad", pwad);
    EXPECT_EQ(wad2_load(doom.c_str(), &anim), 0);
    EXPECT_EQ(wad2_load((dir + "/missing.wad").c_str(), &anim), 0);
    const std::string tiny = write("tiny.wad", {'W', 'A'});
    EXPECT_EQ(wad2_load(tiny.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(message_texts(), (std::vector<std::string>{doom + " is not a Quake WAD2 archive (it is a Doom WAD archive)",
                                                         tiny + " is not a Quake WAD2 archive: its header is damaged"}));
}

TEST_F(WadMade, BrokenHeadersAndDirectoriesAreRefusedWithAMessage)
{
    const std::vector<uint8_t> good = build_wad({{'B', "pic", picture_body(4, 1, 0)}});
    struct Fault {
        const char *what;
        std::vector<uint8_t> bytes;
        const char *message;
    };
    std::vector<uint8_t> negative = good;
    negative[4] = 0xff, negative[5] = 0xff, negative[6] = 0xff, negative[7] = 0xff;
    std::vector<uint8_t> outside = good;
    outside[8] = 0x00, outside[9] = 0x10, outside[10] = 0, outside[11] = 0;
    std::vector<uint8_t> too_many = good;
    too_many[4] = 2;
    std::vector<uint8_t> negative_offset = good;
    negative_offset[11] = 0x80;
    const std::vector<Fault> faults = {
        {"short header", {'W', 'A', 'D', '2', 1, 0}, "the WAD2 file is too short for its header"},
        {"negative count", negative, "its WAD2 directory has a negative entry count (-1)"},
        {"directory outside", outside, "its WAD2 directory offset 4096 lies outside the file"},
        {"negative directory offset", negative_offset, nullptr},
        {"count larger than the file holds", too_many, "its WAD2 directory of 2 entries does not fit in the file"},
    };
    for (const Fault &f : faults) {
        SCOPED_TRACE(f.what);
        reset();
        ui.clear();
        const std::string path = write("bad.wad", f.bytes);
        EXPECT_EQ(wad2_load(path.c_str(), &anim), 0);
        EXPECT_EQ(anim.group_count, 0);
        ASSERT_EQ(ui.messages().size(), 1u);
        if (f.message) {
            EXPECT_EQ(ui.messages()[0].text, "Cannot read " + path + ": " + f.message);
        }
        EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Warning);
    }
}

TEST_F(WadMade, LumpsOutsideTheFileOrCutShortAreSkippedWithOneMessage)
{
    std::vector<uint8_t> file = build_wad({{'B', "good", picture_body(4, 1, 0)},
                                           {'B', "outside", picture_body(4, 1, 0)},
                                           {'B', "cut", picture_body(4, 1, 0)},
                                           {'D', "hugetex", mip_body("hugetex", 16, 16, 0)},
                                           {'D', "zerotex", mip_body("zerotex", 16, 16, 0)},
                                           {'B', "last", picture_body(4, 1, 9)}});
    const size_t dir_at = static_cast<size_t>(wad_i32(file, 8));
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(dir_at + 32, 0x7fffff00);             // "outside": offset past the end
    const size_t cut_at = static_cast<size_t>(wad_i32(file, dir_at + 64));
    put(cut_at, 16000);                       // "cut": claims 16000 x 1 pixels
    const size_t huge_at = static_cast<size_t>(wad_i32(file, dir_at + 96));
    put(huge_at + 16, 16384);                 // "hugetex": 16384 x 16 levels
    const size_t zero_at = static_cast<size_t>(wad_i32(file, dir_at + 128));
    put(zero_at + 20, 0);                     // "zerotex": height 0
    ASSERT_EQ(wad2_load(write("lumps.wad", file).c_str(), &anim), 1);
    // The texture of height 0 is kept as it is; the others have no bytes to keep.
    ASSERT_EQ(anim.group_count, 3);
    EXPECT_STREQ(anim.groups[0].name, "good");
    EXPECT_STREQ(anim.groups[1].name, "zerotex");
    EXPECT_EQ(props_get_int(&anim.groups[1].props, "Entry Type"), 4);
    EXPECT_STREQ(anim.groups[2].name, "last");
    EXPECT_EQ(raw_of(anim.groups[2].frames[0].image), (std::vector<uint8_t>{9, 10, 11, 12}));
    EXPECT_EQ(message_texts(),
              std::vector<std::string>{"3 lumps of the WAD2 archive lie outside the file, are cut short or have an "
                                       "unusable size, and were skipped: \"outside\", \"cut\", \"hugetex\""});
}

TEST_F(WadMade, PictureOfUnusableSizeIsKeptAsItIs)
{
    std::vector<uint8_t> body = picture_body(4, 1, 0);
    body[0] = 0; // width 0
    const std::string path = write("zero.wad", build_wad({{'B', "zero", body}, {'B', "next", picture_body(4, 1, 3)}}));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 2);
    EXPECT_EQ(props_get_int(&anim.groups[0].props, "Entry Type"), 4);
    EXPECT_EQ(props_get_int(&anim.groups[0].props, "Lump Type"), 'B');
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), body);
    EXPECT_EQ(raw_of(anim.groups[1].frames[0].image), (std::vector<uint8_t>{3, 4, 5, 6}));
    const std::string saved = dir + "/zero_saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), read_bytes(path));
}

TEST_F(WadMade, DirectoryBeforeTheLumpsIsReadAndWrittenLast)
{
    const std::vector<WadLump> lumps = {{'B', "one", picture_body(4, 2, 0)}, {'D', "two", mip_body("two", 16, 16, 1)}};
    const std::string path = write("first.wad", build_wad(lumps, true));
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 2);
    const std::string saved = dir + "/saved.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), build_wad(lumps));
}

} // namespace
