// Quake pictures (.lmp), colormap.lmp as a picture, and the picture block
// codecs.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "io/byte_io.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> picture_file(int32_t w, int32_t h, const std::vector<uint8_t> &pixels)
{
    ByteWriter out;
    out.i32(w);
    out.i32(h);
    out.bytes(pixels.data(), pixels.size());
    return out.data();
}

std::vector<uint8_t> pattern(size_t n, int seed)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>((i * 7 + static_cast<size_t>(seed) * 13 + i / 5) & 0xFF);
    return out;
}

std::vector<uint8_t> default_palette_bytes() { return std::vector<uint8_t>(default_palette, default_palette + 1024); }

} // namespace

class LmpPictures : public CoreTest {};

TEST_F(LmpPictures, EveryFixtureRoundTripsByteForByte)
{
    const std::string out_dir = scratch_dir("lmp_round_trip");
    int files = 0;
    for (const auto &entry : fs::directory_iterator(data_path("lmp"))) {
        if (entry.path().extension() != ".lmp")
            continue;
        ++files;
        const std::vector<uint8_t> original = read_bytes(entry.path().string());
        Animation loaded;
        anim_init(&loaded);
        ASSERT_NE(lmp_load(entry.path().c_str(), &loaded), 0) << entry.path();
        ASSERT_EQ(loaded.group_count, 1);
        ASSERT_EQ(loaded.groups[0].frame_count, 1);
        EXPECT_STREQ(loaded.groups[0].name, "[no group]");
        const uint32_t image = loaded.groups[0].frames[0].image;
        int32_t w, h;
        std::memcpy(&w, original.data(), 4);
        std::memcpy(&h, original.data() + 4, 4);
        EXPECT_EQ(image_width(image), w);
        EXPECT_EQ(image_height(image), h);
        host().bind_image(image);
        EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
        ASSERT_EQ(host().palette_size(), 256);
        EXPECT_EQ(0, std::memcmp(host().get_palette(), default_palette, 1024));

        if (w % 4 != 0)
            ui.queue_answer(true);
        const std::string out = out_dir + "/" + entry.path().filename().string();
        ASSERT_NE(lmp_save(out.c_str(), &loaded), 0);
        EXPECT_EQ(read_bytes(out), original) << entry.path();
        anim_destroy(&loaded);
    }
    EXPECT_EQ(files, 12);
}

TEST_F(LmpPictures, PixelsAreReadTopRowFirst)
{
    const std::string path = scratch_dir("lmp_rows") + "/rows.lmp";
    write_bytes(path, picture_file(3, 2, {1, 2, 3, 4, 5, 6}));
    ASSERT_NE(lmp_load(path.c_str(), &anim), 0);
    const std::vector<uint8_t> expected = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), expected);
    // The first pixel shows the first palette entry's colour.
    const std::vector<uint8_t> rgba = rgba_of(anim.groups[0].frames[0].image);
    EXPECT_EQ(0, std::memcmp(rgba.data(), default_palette + 4, 3));
}

TEST_F(LmpPictures, SizesOutsideTheAcceptedRangeAreRefusedLeavingNothing)
{
    const std::string dir = scratch_dir("lmp_sizes");
    const std::vector<std::pair<int32_t, int32_t>> bad = {{0, 10}, {10, 0}, {-1, 5}, {16385, 1}, {1, 16385},
                                                           {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}};
    for (const auto &[w, h] : bad) {
        const std::string path = dir + "/bad.lmp";
        write_bytes(path, picture_file(w, h, {1, 2, 3, 4}));
        EXPECT_EQ(lmp_load(path.c_str(), &anim), 0) << w << "x" << h;
        EXPECT_EQ(anim.group_count, 0) << w << "x" << h;
    }
}

TEST_F(LmpPictures, LargestWidthLoads)
{
    const std::string path = scratch_dir("lmp_wide") + "/wide.lmp";
    write_bytes(path, picture_file(16384, 1, pattern(16384, 3)));
    ASSERT_NE(lmp_load(path.c_str(), &anim), 0);
    EXPECT_EQ(image_width(anim.groups[0].frames[0].image), 16384);
    EXPECT_EQ(image_height(anim.groups[0].frames[0].image), 1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), pattern(16384, 3));
}

TEST_F(LmpPictures, TruncatedPixelsReadAsZero)
{
    const std::string path = scratch_dir("lmp_short") + "/short.lmp";
    write_bytes(path, picture_file(4, 4, {9, 8, 7}));
    ASSERT_NE(lmp_load(path.c_str(), &anim), 0);
    std::vector<uint8_t> expected(16, 0);
    expected[0] = 9;
    expected[1] = 8;
    expected[2] = 7;
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), expected);

    // A file too short for even the size header is refused.
    write_bytes(path, {4, 0, 0});
    Animation other;
    anim_init(&other);
    EXPECT_EQ(lmp_load(path.c_str(), &other), 0);
    EXPECT_EQ(other.group_count, 0);
    anim_destroy(&other);
}

TEST_F(LmpPictures, MissingFileIsRefused)
{
    EXPECT_EQ(lmp_load((scratch_dir("lmp_missing") + "/none.lmp").c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
}

TEST_F(LmpPictures, ColormapPathReadsARawTable)
{
    const std::vector<uint8_t> table = read_bytes(data_path("colormap/openquartzplus_colormap.lmp"));
    ASSERT_EQ(table.size(), 16385u);
    const std::string dir = scratch_dir("lmp_colormap");
    // Any path containing the name, with a prefix or as a folder, takes
    // this path.
    for (const std::string &name : {std::string("colormap.lmp"), std::string("mycolormap.lmp"),
                                    std::string("colormap.lmp.d/picture.lmp")}) {
        const std::string path = dir + "/" + name;
        fs::create_directories(fs::path(path).parent_path());
        write_bytes(path, table);
        Animation loaded;
        anim_init(&loaded);
        ASSERT_NE(lmp_load(path.c_str(), &loaded), 0) << name;
        const uint32_t image = loaded.groups[0].frames[0].image;
        EXPECT_EQ(image_width(image), 256);
        EXPECT_EQ(image_height(image), 64);
        EXPECT_EQ(raw_of(image), std::vector<uint8_t>(table.begin(), table.begin() + 16384)) << name;
        anim_destroy(&loaded);
    }
    // The name is matched with its letter case.
    const std::string upper = dir + "/COLORMAP.lmp";
    write_bytes(upper, table);
    EXPECT_EQ(lmp_load(upper.c_str(), &anim), 0);
}

TEST_F(LmpPictures, ShortColormapLoadsWithTheRestZero)
{
    const std::vector<uint8_t> table = read_bytes(data_path("colormap/librequake_colormap.lmp"));
    ASSERT_EQ(table.size(), 16384u);
    const std::string path = scratch_dir("lmp_short_colormap") + "/colormap.lmp";
    write_bytes(path, std::vector<uint8_t>(table.begin(), table.begin() + 1000));
    ASSERT_NE(lmp_load(path.c_str(), &anim), 0);
    std::vector<uint8_t> expected(16384, 0);
    std::copy(table.begin(), table.begin() + 1000, expected.begin());
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), expected);
}

TEST_F(LmpPictures, ColormapSavedBackGetsASizeHeader)
{
    const std::vector<uint8_t> table = read_bytes(data_path("colormap/openquartzplus_colormap.lmp"));
    const std::string dir = scratch_dir("lmp_colormap_save");
    write_bytes(dir + "/colormap.lmp", table);
    ASSERT_NE(lmp_load((dir + "/colormap.lmp").c_str(), &anim), 0);
    ASSERT_NE(lmp_save((dir + "/out.lmp").c_str(), &anim), 0);
    const std::vector<uint8_t> saved = read_bytes(dir + "/out.lmp");
    EXPECT_EQ(saved, picture_file(256, 64, std::vector<uint8_t>(table.begin(), table.begin() + 16384)));
}

TEST_F(LmpPictures, SavingAnOddWidthAsksAndNoWritesNothing)
{
    Group *group = anim_add_group(&anim, "[no group]");
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    set_indexed_pixels(5, 2, pattern(10, 1), default_palette_bytes());
    const std::string path = scratch_dir("lmp_question") + "/odd.lmp";

    ui.queue_answer(false);
    EXPECT_EQ(lmp_save(path.c_str(), &anim), 0);
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0], "Do you really want to save a lmp that will crash GLQuake? (width must be a multiple "
                                 "of 4)?");

    ui.queue_answer(true);
    EXPECT_NE(lmp_save(path.c_str(), &anim), 0);
    EXPECT_EQ(read_bytes(path), picture_file(5, 2, pattern(10, 1)));
}

TEST_F(LmpPictures, SavingWithoutFramesFails)
{
    const std::string path = scratch_dir("lmp_empty") + "/empty.lmp";
    EXPECT_EQ(lmp_save(path.c_str(), &anim), 0);
    anim_add_group(&anim, "[no group]");
    EXPECT_EQ(lmp_save(path.c_str(), &anim), 0);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(LmpPictures, OnlyTheFirstFrameIsWrittenInTheColoursOfTheQuakePalette)
{
    // A frame with the Quake palette keeps its indexes byte for byte; one
    // with a palette of its own is remapped by colour.
    Group *group = anim_add_group(&anim, "first");
    group_reset_frames(group, 2);
    host().bind_image(group->frames[0].image);
    set_indexed_pixels(4, 1, {250, 3, 0, 77}, default_palette_bytes());
    host().bind_image(group->frames[1].image);
    set_indexed_pixels(8, 1, pattern(8, 2), default_palette_bytes());
    const std::string dir = scratch_dir("lmp_first");
    ASSERT_NE(lmp_save((dir + "/first.lmp").c_str(), &anim), 0);
    EXPECT_EQ(read_bytes(dir + "/first.lmp"), picture_file(4, 1, {250, 3, 0, 77}));
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();

    // Entry k of this palette is Quake entry 255 - k (255 itself, the
    // transparent one, is left out).
    std::vector<uint8_t> reversed(1024, 255);
    for (int k = 0; k < 255; ++k)
        std::copy_n(default_palette + (254 - k) * 4, 3, &reversed[k * 4]);
    host().bind_image(group->frames[0].image);
    set_indexed_pixels(4, 1, {250, 3, 0, 77}, reversed);
    ASSERT_NE(lmp_save((dir + "/second.lmp").c_str(), &anim), 0);
    auto quake_index = [&](int k) {
        return static_cast<uint8_t>(nearest_palette_index(default_palette, 256, reversed[k * 4], reversed[k * 4 + 1],
                                                          reversed[k * 4 + 2], 255));
    };
    EXPECT_EQ(read_bytes(dir + "/second.lmp"),
              picture_file(4, 1, {quake_index(250), quake_index(3), quake_index(0), quake_index(77)}));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("1 frame was remapped by colour to the Quake palette"), std::string::npos);
}

TEST_F(LmpPictures, TrueColourFrameIsConvertedToTheDefaultPaletteAndStaysConverted)
{
    // Three colours taken from the default palette and a transparent one.
    const int picks[3] = {15, 111, 250};
    std::vector<uint8_t> rgba;
    for (int p : picks) {
        rgba.insert(rgba.end(), default_palette + p * 4, default_palette + p * 4 + 3);
        rgba.push_back(255);
    }
    rgba.insert(rgba.end(), {40, 50, 61, 0});
    Group *group = anim_add_group(&anim, "[no group]");
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    set_rgba_pixels(4, 1, rgba);

    const std::string path = scratch_dir("lmp_convert") + "/convert.lmp";
    ASSERT_NE(lmp_save(path.c_str(), &anim), 0);
    const std::vector<uint8_t> saved = read_bytes(path);
    ASSERT_EQ(saved.size(), 12u);
    // Each palette colour is written as an index holding exactly that colour.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0, std::memcmp(default_palette + saved[8 + i] * 4, default_palette + picks[i] * 4, 3)) << i;
    EXPECT_EQ(saved[11], 255);

    host().bind_image(group->frames[0].image);
    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
    EXPECT_EQ(host().palette_size(), 256);
    EXPECT_EQ(raw_of(group->frames[0].image), std::vector<uint8_t>(saved.begin() + 8, saved.end()));
}

TEST_F(LmpPictures, DispatchChoosesThePictureRow)
{
    const std::string path = scratch_dir("lmp_dispatch") + "/pic.lmp";
    write_bytes(path, picture_file(2, 2, {1, 2, 3, 4}));
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), std::vector<uint8_t>({1, 2, 3, 4}));
}

class PictureBlocks : public CoreTest {};

TEST_F(PictureBlocks, RefusedPictureConsumesOnlyItsHeader)
{
    ByteWriter file;
    file.i32(0);
    file.i32(7);
    file.u32(0xDEADBEEF);
    ByteReader in(file.data());
    Group *group = anim_add_group(&anim, "g");
    group_reset_frames(group, 1);
    EXPECT_EQ(picture_read(in, &group->frames[0]), 0);
    EXPECT_EQ(in.position(), 8u);
    EXPECT_EQ(in.u32(), 0xDEADBEEFu);
}

TEST_F(PictureBlocks, ReadersStopExactlyAfterTheirBytes)
{
    ByteWriter file;
    file.i32(2);
    file.i32(3);
    file.bytes(pattern(6, 4).data(), 6);
    file.bytes(pattern(12, 5).data(), 12);
    file.u8(0xAB);
    ByteReader in(file.data());
    Group *group = anim_add_group(&anim, "g");
    group_reset_frames(group, 2);
    ASSERT_EQ(picture_read(in, &group->frames[0]), 1);
    EXPECT_EQ(in.position(), 14u);
    indexed_pixels_read(in, &group->frames[1], 4, 3);
    EXPECT_EQ(in.position(), 26u);
    EXPECT_FALSE(in.short_read());
    EXPECT_EQ(raw_of(group->frames[0].image), pattern(6, 4));
    EXPECT_EQ(raw_of(group->frames[1].image), pattern(12, 5));
    EXPECT_EQ(image_width(group->frames[1].image), 4);
}

TEST_F(PictureBlocks, WritersReturnTheirSizes)
{
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_indexed_pixels(3, 5, pattern(15, 6), default_palette_bytes());
    ByteWriter out;
    EXPECT_EQ(picture_write(out, image), 23);
    EXPECT_EQ(indexed_pixels_write(out, image), 15);
    ASSERT_EQ(out.size(), 38u);
    std::vector<uint8_t> expected = picture_file(3, 5, pattern(15, 6));
    const std::vector<uint8_t> raw = pattern(15, 6);
    expected.insert(expected.end(), raw.begin(), raw.end());
    EXPECT_EQ(out.data(), expected);
    host().delete_image(image);
}
