#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <IL/il.h>

#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// The delays (in 1/100 s) of every image of a GIF, read straight from the
// file's graphic control extensions.
std::vector<int> gif_delays(const std::vector<uint8_t> &d)
{
    std::vector<int> delays;
    size_t p = 13;
    if (d[10] & 0x80)
        p += 3u * (2u << (d[10] & 7));
    int pending = 0;
    while (p < d.size()) {
        if (d[p] == 0x21) {
            const uint8_t label = d[p + 1];
            p += 2;
            if (label == 0xF9)
                pending = d[p + 2] | (d[p + 3] << 8);
            while (d[p])
                p += d[p] + 1u;
            ++p;
        } else if (d[p] == 0x2C) {
            const uint8_t flags = d[p + 9];
            p += 10;
            if (flags & 0x80)
                p += 3u * (2u << (flags & 7));
            ++p;
            while (d[p])
                p += d[p] + 1u;
            ++p;
            delays.push_back(pending);
            pending = 0;
        } else {
            break;
        }
    }
    return delays;
}

class GenericFormatsTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("generic");
    }
    Group *add_frame_group(Animation *target, const char *name, int w, int h, uint8_t shade)
    {
        Group *group = anim_add_group(target, name);
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        for (size_t p = 0; p < rgba.size(); ++p)
            rgba[p] = (p % 4 == 3) ? 255 : static_cast<uint8_t>(shade + p / 4);
        set_rgba_pixels(w, h, rgba);
        return group;
    }
    std::string dir;
};

TEST_F(GenericFormatsTest, SingleImageGetsHalfSizeOriginAndNoDuration)
{
    add_frame_group(&anim, NO_GROUP_NAME, 31, 20, 3);
    const std::string path = dir + "/small.png";
    ASSERT_EQ(generic_image_save(path.c_str(), &anim), 1);
    const std::vector<uint8_t> written = rgba_of(anim.groups[0].frames[0].image);

    Animation loaded;
    anim_init(&loaded);
    EXPECT_EQ(generic_image_load(path.c_str(), &loaded), 1);
    ASSERT_EQ(loaded.group_count, 1);
    EXPECT_STREQ(loaded.groups[0].name, "[no group]");
    ASSERT_EQ(loaded.groups[0].frame_count, 1);
    const PropertyList &props = loaded.groups[0].frames[0].props;
    EXPECT_EQ(props_get_int(&props, "Origin X"), 15);
    EXPECT_EQ(props_get_int(&props, "Origin Y"), 10);
    EXPECT_EQ(props_find(&props, "Duration"), 1);
    EXPECT_EQ(props_get_float(&props, "Duration"), 0.0f);
    EXPECT_EQ(rgba_of(loaded.groups[0].frames[0].image), written);
    anim_destroy(&loaded);
}

TEST_F(GenericFormatsTest, AnimatedGifGivesOneFramePerImageWithItsDuration)
{
    const std::string path = data_path("images/giflib_fire.gif");
    const std::vector<int> delays = gif_delays(read_bytes(path));
    ASSERT_GT(delays.size(), 1u);
    generic_image_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    ASSERT_EQ(anim.groups[0].frame_count, static_cast<int>(delays.size()));
    for (int i = 0; i < anim.groups[0].frame_count; ++i) {
        const Frame &frame = anim.groups[0].frames[i];
        EXPECT_FLOAT_EQ(props_get_float(&frame.props, "Duration"), delays[i] * 10 / 1000.0f) << i;
        EXPECT_EQ(props_get_int(&frame.props, "Origin X"), image_width(frame.image) / 2);
        EXPECT_EQ(props_get_int(&frame.props, "Origin Y"), image_height(frame.image) / 2);
    }
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

TEST_F(GenericFormatsTest, FirstFrameScopeLoadsTheFirstFrameAloneAsTheWholeLoadGivesIt)
{
    const std::string path = data_path("images/giflib_welcome2.gif");
    generic_image_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    ASSERT_GT(anim.groups[0].frame_count, 1);
    Animation first;
    anim_init(&first);
    {
        const FirstFrameScope scope;
        generic_image_load(path.c_str(), &first);
    }
    ASSERT_EQ(first.group_count, 1);
    ASSERT_EQ(first.groups[0].frame_count, 1);
    const Frame &whole = anim.groups[0].frames[0];
    const Frame &alone = first.groups[0].frames[0];
    EXPECT_EQ(rgba_of(alone.image), rgba_of(whole.image));
    EXPECT_EQ(props_get_float(&alone.props, "Duration"), props_get_float(&whole.props, "Duration"));
    anim_destroy(&first);
    // The scope has ended: every frame again.
    Animation again;
    anim_init(&again);
    generic_image_load(path.c_str(), &again);
    EXPECT_EQ(again.groups[0].frame_count, anim.groups[0].frame_count);
    anim_destroy(&again);
}

TEST_F(GenericFormatsTest, GifHackComposesTransparentPixelsOverThePreviousFrame)
{
    const std::string path = data_path("images/giflib_welcome2.gif");
    generic_set_gif_hack(false);
    Animation plain;
    anim_init(&plain);
    generic_image_load(path.c_str(), &plain);
    generic_set_gif_hack(true);
    generic_image_load(path.c_str(), &anim);
    ASSERT_GE(plain.group_count, 1);
    ASSERT_EQ(anim.group_count, 1);
    const int frames = anim.groups[0].frame_count;
    ASSERT_EQ(plain.groups[0].frame_count, frames);
    ASSERT_GT(frames, 1);

    // The first frame is never changed.
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), raw_of(plain.groups[0].frames[0].image));
    size_t replaced = 0;
    for (int i = 1; i < frames; ++i) {
        host().bind_image(plain.groups[0].frames[i].image);
        const uint8_t *palette = ilGetPalette();
        const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
        int transparent = -1;
        if (ilGetInteger(IL_PALETTE_BPP) == 4)
            for (int e = 0; e < entries && transparent < 0; ++e)
                if (palette[e * 4 + 3] == 0)
                    transparent = e;
        const std::vector<uint8_t> original = raw_of(plain.groups[0].frames[i].image);
        const std::vector<uint8_t> composed = raw_of(anim.groups[0].frames[i].image);
        const std::vector<uint8_t> below = raw_of(anim.groups[0].frames[i - 1].image);
        ASSERT_EQ(original.size(), composed.size());
        for (size_t p = 0; p < original.size(); ++p) {
            if (original[p] == transparent) {
                EXPECT_EQ(composed[p], below[p]);
                replaced += composed[p] != original[p];
            } else {
                EXPECT_EQ(composed[p], original[p]);
            }
        }
    }
    EXPECT_GT(replaced, 0u) << "the file should exercise the composition";
    anim_destroy(&plain);
}

TEST_F(GenericFormatsTest, BottomUpBitmapIsHeldTopRowFirst)
{
    const std::string path = data_path("images/hexen2_expload.bmp");
    const std::vector<uint8_t> file = read_bytes(path);
    // 8-bit, 128x64, positive height: the file's first row is the bottom one.
    int32_t width, height;
    uint32_t offset;
    std::memcpy(&offset, &file[10], 4);
    std::memcpy(&width, &file[18], 4);
    std::memcpy(&height, &file[22], 4);
    ASSERT_GT(height, 0);
    generic_image_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1);
    const uint32_t image = anim.groups[0].frames[0].image;
    ASSERT_EQ(image_width(image), width);
    ASSERT_EQ(image_height(image), height);
    const std::vector<uint8_t> held = raw_of(image);
    ASSERT_EQ(held.size(), static_cast<size_t>(width) * height);
    const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
    for (int row = 0; row < height; ++row) {
        const uint8_t *on_disk = &file[offset + static_cast<size_t>(height - 1 - row) * stride];
        ASSERT_EQ(0, std::memcmp(&held[static_cast<size_t>(row) * width], on_disk, width)) << "row " << row;
    }
}

TEST_F(GenericFormatsTest, IndexedPcxWithRgbaPaletteRoundTripsAtOddWidth)
{
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    std::vector<uint8_t> indexes(31 * 7);
    for (size_t p = 0; p < indexes.size(); ++p)
        indexes[p] = static_cast<uint8_t>(p % 4);
    const std::vector<uint8_t> palette = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 0, 9, 9, 9, 255};
    set_indexed_pixels(31, 7, indexes, palette);
    const std::string path = dir + "/odd.pcx";
    ASSERT_EQ(generic_image_save(path.c_str(), &anim), 1);
    EXPECT_LT(fs::file_size(path), 64u * 1024u);
    // The document's own palette keeps its alpha.
    host().bind_image(group->frames[0].image);
    EXPECT_EQ(ilGetInteger(IL_PALETTE_BPP), 4);

    Animation loaded;
    anim_init(&loaded);
    generic_image_load(path.c_str(), &loaded);
    ASSERT_EQ(loaded.group_count, 1);
    const uint32_t image = loaded.groups[0].frames[0].image;
    EXPECT_EQ(image_width(image), 31);
    EXPECT_EQ(image_height(image), 7);
    const std::vector<uint8_t> back = rgba_of(image);
    for (size_t p = 0; p < indexes.size(); ++p)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(back[p * 4 + c], palette[indexes[p] * 4 + c]) << p;
    anim_destroy(&loaded);
}

TEST_F(GenericFormatsTest, SaverWritesOnlyTheFirstFrameOfTheFirstGroupAndOverwrites)
{
    add_frame_group(&anim, "one", 4, 4, 10);
    add_frame_group(&anim, "two", 8, 8, 90);
    add_frame_group(&anim, "three", 2, 2, 150);
    group_append_frame(&anim.groups[0]);
    const std::string path = dir + "/first.png";
    write_bytes(path, {'x'});
    ASSERT_EQ(generic_image_save(path.c_str(), &anim), 1);
    Animation loaded;
    anim_init(&loaded);
    generic_image_load(path.c_str(), &loaded);
    ASSERT_EQ(loaded.group_count, 1);
    EXPECT_EQ(loaded.groups[0].frame_count, 1);
    EXPECT_EQ(rgba_of(loaded.groups[0].frames[0].image), rgba_of(anim.groups[0].frames[0].image));
    anim_destroy(&loaded);
}

TEST_F(GenericFormatsTest, SaverFailsWhenTheFirstGroupHasNoFrame)
{
    anim_add_group(&anim, "empty");
    add_frame_group(&anim, "full", 4, 4, 10);
    const std::string path = dir + "/nothing.png";
    EXPECT_EQ(generic_image_save(path.c_str(), &anim), 0);
    EXPECT_FALSE(fs::exists(path));
    Animation none;
    anim_init(&none);
    EXPECT_EQ(generic_image_save(path.c_str(), &none), 0);
}

TEST_F(GenericFormatsTest, UnreadableFileIsReportedAndStillHandled)
{
    const std::string path = dir + "/broken.png";
    write_bytes(path, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    EXPECT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Refused);
    EXPECT_EQ(anim.group_count, 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text.rfind("Error Encountered: ", 0), 0u);
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Warning);
}

TEST_F(GenericFormatsTest, PixmapFilesAreRefusedBeforeTheLibrarySeesThem)
{
    // The library crashes on XPM data, whatever the file is called.
    const std::string disguised = dir + "/pixmap.png";
    const std::string xpm = "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n";
    write_bytes(disguised, std::vector<uint8_t>(xpm.begin(), xpm.end()));
    EXPECT_EQ(file_load_result(disguised.c_str(), &anim).status, LoadStatus::Refused);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(ui.messages().size(), 1u);
    uint8_t palette[1024];
    EXPECT_EQ(image_palette_load(disguised.c_str(), palette), 0);
}

TEST_F(GenericFormatsTest, PaletteFromAnImageFile)
{
    uint8_t palette[1024] = {};
    const std::string path = data_path("images/pngsuite_tbbn3p08.png");
    const int n = image_palette_load(path.c_str(), palette);
    ASSERT_GT(n, 0);
    ASSERT_LE(n, 256);
    // Compare with the palette the loader gives the same file.
    generic_image_load(path.c_str(), &anim);
    host().bind_image(anim.groups[0].frames[0].image);
    host().convert_palette(IMAGE_RGBA);
    ASSERT_EQ(host().palette_size(), n);
    EXPECT_EQ(0, std::memcmp(palette, host().get_palette(), static_cast<size_t>(n) * 4));

    // A true-colour picture gives no palette.
    Animation rgb;
    anim_init(&rgb);
    add_frame_group(&rgb, "rgb", 3, 3, 1);
    const std::string truecolour = dir + "/rgb.png";
    ASSERT_EQ(generic_image_save(truecolour.c_str(), &rgb), 1);
    EXPECT_EQ(image_palette_load(truecolour.c_str(), palette), 0);
    anim_destroy(&rgb);
}

} // namespace

namespace {

TEST_F(GenericFormatsTest, IndexesBeyondThePaletteAreSavedAsEntryZeroNotCrashed)
{
    // A 4-colour palette with pixels that point past it, as a damaged
    // sprite or a plug-in can leave them. The library's writers read past
    // the palette for such pixels.
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    const std::vector<uint8_t> indexes = {0, 1, 2, 3, 200, 255, 3, 0};
    const std::vector<uint8_t> palette = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 100, 110, 120, 255};
    set_indexed_pixels(4, 2, indexes, palette);
    for (const char *ext : {"png", "bmp", "tga", "pcx"}) {
        const std::string path = dir + "/stray." + ext;
        ASSERT_EQ(generic_image_save(path.c_str(), &anim), 1) << ext;
        Animation loaded;
        anim_init(&loaded);
        generic_image_load(path.c_str(), &loaded);
        ASSERT_EQ(loaded.group_count, 1) << ext;
        const std::vector<uint8_t> back = rgba_of(loaded.groups[0].frames[0].image);
        ASSERT_EQ(back.size(), 32u);
        for (size_t p = 0; p < indexes.size(); ++p) {
            const int entry = indexes[p] < 4 ? indexes[p] : 0;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(back[p * 4 + c], palette[entry * 4 + c]) << ext << " pixel " << p;
        }
        anim_destroy(&loaded);
    }
    // The document's own pixels are left alone.
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), indexes);
}

} // namespace
