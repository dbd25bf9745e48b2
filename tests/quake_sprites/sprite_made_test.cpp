// Sprites made by the tests: grouping, header properties, version 2
// palettes, 32-bit sprites, the GLQuake question and the points where the
// reader refuses a file.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/sprite.h"
#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

class SpriteMade : public CoreTest {
protected:
    std::string dir;
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir(std::string("sprite_made_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string write(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        const std::string path = dir + "/" + name;
        write_bytes(path, bytes);
        return path;
    }
    // Appends a frame of w x h 8-bit pixels counting up from `seed`.
    void add_indexed_frame(Group *group, int w, int h, uint8_t seed)
    {
        const int k = group_append_frame(group);
        host().bind_image(group->frames[k].image);
        set_indexed_pixels(w, h, counting_pixels(w * h, seed),
                           std::vector<uint8_t>(default_palette, default_palette + 1024));
    }
    void reset()
    {
        anim_destroy(&anim);
        anim_init(&anim);
    }
};

// --- Grouping -------------------------------------------------------------

TEST_F(SpriteMade, AllSingleFramesLoadAsOneUngroupedGroupAndSaveBackAlike)
{
    SpriteBytes file;
    file.header(1, 2, 10.0f, 8, 4, 3).single(-4, 2, 8, 4, 10).single(-4, 2, 8, 4, 50).single(-1, 1, 4, 4, 90);
    const std::string path = write("plain.spr", file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, "[no group]");
    ASSERT_EQ(anim.groups[0].frame_count, 3);
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), counting_pixels(32, 50));
    const std::string saved = dir + "/saved.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), file.bytes());
}

TEST_F(SpriteMade, GroupsWithIntervalsLoadAsNamedGroupsAndSaveWithTheirDurations)
{
    // One group entry of two frames between two single frames.
    SpriteBytes file;
    file.header(1, 3, 5.0f, 8, 8, 3).single(0, 0, 4, 4, 1);
    file.group({0.25f, 0.5f}).frame(-2, 2, 4, 4, 20).frame(-3, 3, 8, 8, 40);
    file.single(-1, 1, 4, 4, 90);
    const std::string path = write("grouped.spr", file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 3);
    EXPECT_STREQ(anim.groups[0].name, "Group 0");
    EXPECT_STREQ(anim.groups[1].name, "Group 1");
    EXPECT_STREQ(anim.groups[2].name, "Group 2");
    ASSERT_EQ(anim.groups[1].frame_count, 2);
    EXPECT_FLOAT_EQ(props_get_float(&anim.groups[1].frames[0].props, "Duration"), 0.25f);
    EXPECT_FLOAT_EQ(props_get_float(&anim.groups[1].frames[1].props, "Duration"), 0.5f);
    EXPECT_EQ(props_find(&anim.groups[0].frames[0].props, "Duration"), 0);
    EXPECT_EQ(props_get_int(&anim.groups[1].frames[1].props, "Origin X"), 3);
    EXPECT_EQ(image_width(anim.groups[1].frames[1].image), 8);
    EXPECT_EQ(raw_of(anim.groups[2].frames[0].image), counting_pixels(16, 90));
    // One-frame groups come back as single-frame entries: the same bytes.
    const std::string saved = dir + "/saved.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), file.bytes());
}

TEST_F(SpriteMade, AnimationWithANoGroupGroupBesideAnotherIsSavedGrouped)
{
    add_indexed_frame(anim_add_group(&anim, "[no group]"), 4, 4, 0);
    Group *second = anim_add_group(&anim, "walk");
    add_indexed_frame(second, 4, 4, 16);
    add_indexed_frame(&anim.groups[1], 4, 4, 32);
    props_set_float(&anim.groups[1].frames[0].props, "Duration", 0.1f);
    const std::string saved = dir + "/two.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> bytes = read_bytes(saved);
    EXPECT_EQ(le_i32(bytes, 24), 2);       // two entries
    EXPECT_EQ(le_i32(bytes, 36), 0);       // a single frame
    EXPECT_EQ(le_i32(bytes, 36 + 4 + 16 + 16), 1); // then a group
    EXPECT_EQ(le_i32(bytes, 36 + 4 + 16 + 16 + 4), 2);
    EXPECT_FLOAT_EQ(le_f32(bytes, 36 + 36 + 8), 0.1f);
    EXPECT_FLOAT_EQ(le_f32(bytes, 36 + 36 + 12), 0.1f); // absent Duration
}

// A group made of frames without timing (loose frames renamed into a group,
// or packed without durations): engines refuse intervals of 0 or less, so
// every version writes such frames with 0.1 s, keeps the timed ones, says so
// once, and DarkPlaces loads the result.
TEST_F(SpriteMade, FramesWithoutUsableDurationAreWrittenWithATenthOfASecond)
{
    const char *engine = "/usr/games/darkplaces-server";
    const bool have_engine = access(engine, X_OK) == 0;
    const std::string base = dir + "/engine";
    std::filesystem::create_directories(base + "/id1/progs");
    const struct {
        const char *name;
        int version;
    } cases[] = {{"v1.spr", 1}, {"hl.spr", 2}, {"t32.spr32", 32}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        Group *group = anim_add_group(&anim, "explode");
        for (int k = 0; k < 4; ++k)
            add_indexed_frame(group, 4, 4, static_cast<uint8_t>(k * 16));
        // The first keeps no "Duration" at all.
        props_set_float(&group->frames[1].props, "Duration", 0.0f);
        props_set_float(&group->frames[2].props, "Duration", std::nanf(""));
        props_set_float(&group->frames[3].props, "Duration", 0.25f);
        if (c.version == 2) // in the Half-Life layout, the one engines read
            props_set_int(&anim.props, "Texture Format", 1, PROPERTY_INTEGER);
        const std::string saved = base + "/id1/progs/" + c.name;
        const size_t before = ui.messages().size();
        ASSERT_EQ(c.version == 32 ? sprite32_save(saved.c_str(), &anim) : quake_sprite_save(saved.c_str(), &anim), 1)
            << ui.transcript();
        const auto messages = ui.messages();
        ASSERT_EQ(messages.size(), before + 1) << ui.transcript();
        EXPECT_EQ(messages.back().icon, MessageIcon::Information);
        EXPECT_NE(messages.back().text.find(saved), std::string::npos) << messages.back().text;
        EXPECT_NE(messages.back().text.find("3 frames in 1 group"), std::string::npos) << messages.back().text;

        reset();
        file_load(saved.c_str(), &anim);
        ASSERT_EQ(anim.group_count, 1) << ui.transcript();
        ASSERT_EQ(anim.groups[0].frame_count, 4);
        const float expected[] = {0.1f, 0.1f, 0.1f, 0.25f};
        for (int k = 0; k < 4; ++k)
            EXPECT_FLOAT_EQ(props_get_float(&anim.groups[0].frames[k].props, "Duration"), expected[k]) << k;
        if (!have_engine)
            continue;
        // The engine picks sprites by their ".spr" name.
        const std::string as_spr = std::string("progs/") + c.name + ".spr";
        std::filesystem::copy_file(saved, base + "/id1/" + as_spr);
        const std::string command = "cd '" + base + "' && timeout 60 " + engine + " -basedir '" + base +
                                    "' -nohome +modelprecache " + as_spr + " +quit >engine.txt 2>&1";
        const int status = std::system(command.c_str());
        const std::vector<uint8_t> said = read_bytes(base + "/engine.txt");
        const std::string text(said.begin(), said.end());
        EXPECT_EQ(status, 0) << text;
        EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    }
    if (!have_engine)
        GTEST_SKIP() << "the files read back right; " << engine
                     << " is not installed to load them (scripts/deps installs darkplaces-server)";
}

TEST_F(SpriteMade, GroupWithoutFramesIsLeftOutWhenSavingAndTheEntryCountSaysSo)
{
    add_indexed_frame(anim_add_group(&anim, "a"), 4, 4, 0);
    anim_add_group(&anim, "empty");
    add_indexed_frame(anim_add_group(&anim, "b"), 8, 4, 64);
    const std::string saved = dir + "/gap.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(le_i32(read_bytes(saved), 24), 2);
    reset();
    ASSERT_EQ(quake_sprite_load(saved.c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 1); // both entries single frames: ungrouped
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), counting_pixels(32, 64));
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

TEST_F(SpriteMade, NothingToSaveReturnsZeroAndWritesNothing)
{
    const std::string saved = dir + "/none.spr";
    EXPECT_EQ(quake_sprite_save(saved.c_str(), &anim), 0);
    anim_add_group(&anim, "empty");
    add_indexed_frame(anim_add_group(&anim, "later"), 4, 4, 0);
    EXPECT_EQ(quake_sprite_save(saved.c_str(), &anim), 0);
    EXPECT_EQ(sprite32_save(saved.c_str(), &anim), 0);
    EXPECT_TRUE(read_bytes(saved).empty());
}

// --- Header properties ------------------------------------------------------

TEST_F(SpriteMade, EveryHeaderFieldSurvivesThroughItsProperty)
{
    SpriteBytes file;
    file.header(1, 3, 77.5f, 4, 4, 1, 12.25f, 1).single(-7, -9, 4, 4, 3);
    const std::string path = write("header.spr", file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    const PropertyList *p = &anim.props;
    ASSERT_EQ(p->count, 4);
    // Set in this order, with these types.
    EXPECT_STREQ(p->records[0].name, "Radius");
    EXPECT_EQ(p->records[0].type, PROPERTY_FLOAT);
    EXPECT_STREQ(p->records[1].name, "Synchronous");
    EXPECT_EQ(p->records[1].type, PROPERTY_BOOLEAN);
    EXPECT_STREQ(p->records[2].name, "Orientation");
    EXPECT_EQ(p->records[2].type, PROPERTY_SPRITE_TYPE);
    EXPECT_STREQ(p->records[3].name, "Beamlength");
    EXPECT_EQ(p->records[3].type, PROPERTY_FLOAT);
    EXPECT_FLOAT_EQ(props_get_float(p, "Radius"), 77.5f);
    EXPECT_EQ(props_get_int(p, "Synchronous"), 1);
    EXPECT_EQ(props_get_int(p, "Orientation"), 3);
    EXPECT_FLOAT_EQ(props_get_float(p, "Beamlength"), 12.25f);
    const Frame &f = anim.groups[0].frames[0];
    EXPECT_EQ(props_get_int(&f.props, "Origin X"), 7);
    EXPECT_EQ(props_get_int(&f.props, "Origin Y"), -9);
    EXPECT_EQ(f.props.records[0].type, PROPERTY_INTEGER);

    // Edited properties reach the header of the saved file.
    props_set_int(&anim.props, "Orientation", 4, PROPERTY_SPRITE_TYPE);
    props_set_float(&anim.props, "Beamlength", -3.5f);
    props_set_int(&anim.props, "Synchronous", 0, PROPERTY_BOOLEAN);
    props_set_float(&anim.props, "Radius", 0.0f); // present, so kept even at 0
    props_set_int(&anim.groups[0].frames[0].props, "Origin X", -2, PROPERTY_INTEGER);
    const std::string saved = dir + "/saved.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    EXPECT_EQ(le_i32(b, 4), 1);
    EXPECT_EQ(le_i32(b, 8), 4);
    EXPECT_FLOAT_EQ(le_f32(b, 12), 0.0f);
    EXPECT_FLOAT_EQ(le_f32(b, 28), -3.5f);
    EXPECT_EQ(le_i32(b, 32), 0);
    EXPECT_EQ(le_i32(b, 40), 2);  // origin x stored negated
    EXPECT_EQ(le_i32(b, 44), -9); // origin y as is
}

TEST_F(SpriteMade, RadiusIsComputedOnlyWhenThePropertyIsAbsent)
{
    add_indexed_frame(anim_add_group(&anim, "[no group]"), 64, 48, 0);
    add_indexed_frame(&anim.groups[0], 30, 100, 0);
    ui.queue_answer(true); // 30 is not a multiple of 4
    const std::string saved = dir + "/radius.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    EXPECT_NEAR(le_f32(b, 12), std::sqrt(32.0 * 32.0 + 50.0 * 50.0), 1e-4);
    EXPECT_NEAR(le_f32(b, 12), 59.36f, 0.01f);
    EXPECT_EQ(le_i32(b, 16), 64);
    EXPECT_EQ(le_i32(b, 20), 100);
    EXPECT_EQ(le_i32(b, 8), 0); // absent properties write 0
    EXPECT_FLOAT_EQ(le_f32(b, 28), 0.0f);
    EXPECT_EQ(le_i32(b, 32), 0);
}

TEST_F(SpriteMade, ExtremeOriginsAreStoredWithoutOverflow)
{
    add_indexed_frame(anim_add_group(&anim, "[no group]"), 4, 4, 0);
    props_set_int(&anim.groups[0].frames[0].props, "Origin X", INT32_MIN, PROPERTY_INTEGER);
    props_set_int(&anim.groups[0].frames[0].props, "Origin Y", INT32_MAX, PROPERTY_INTEGER);
    const std::string saved = dir + "/origin.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    reset();
    ASSERT_EQ(quake_sprite_load(saved.c_str(), &anim), 1);
    EXPECT_EQ(props_get_int(&anim.groups[0].frames[0].props, "Origin X"), INT32_MIN);
    EXPECT_EQ(props_get_int(&anim.groups[0].frames[0].props, "Origin Y"), INT32_MAX);
}

// --- The GLQuake question ---------------------------------------------------

TEST_F(SpriteMade, OddWidthAsksOncePerGroupAndNoWritesNothing)
{
    Group *g = anim_add_group(&anim, "a");
    add_indexed_frame(g, 13, 4, 0);
    add_indexed_frame(&anim.groups[0], 15, 4, 0);
    add_indexed_frame(anim_add_group(&anim, "b"), 6, 4, 0);
    const std::string saved = dir + "/odd.spr";
    ui.queue_answer(false);
    EXPECT_EQ(quake_sprite_save(saved.c_str(), &anim), 0);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_TRUE(read_bytes(saved).empty());

    ui.clear();
    ui.queue_answer(true);
    ui.queue_answer(true);
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    ASSERT_EQ(ui.questions().size(), 2u); // once for "a", once for "b"
    EXPECT_EQ(ui.questions()[0],
              "Do you really want to save a sprite that will crash GLQuake? (width must be a multiple of 4)");
    const std::vector<uint8_t> b = read_bytes(saved);
    EXPECT_EQ(le_i32(b, 16), 15);
    EXPECT_EQ(le_i32(b, 36 + 8 + 8 + 8), 13); // first frame of the group keeps width 13
}

// --- Conversion on save -----------------------------------------------------

TEST_F(SpriteMade, TrueColourFramesAreMatchedToTheQuakePaletteAndStayConverted)
{
    const int k = group_append_frame(anim_add_group(&anim, "[no group]"));
    host().bind_image(anim.groups[0].frames[k].image);
    // Exact colours of palette entries 15 and 254, and a transparent pixel.
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 4; ++i) {
        const int index = i == 3 ? 255 : (i % 2 ? 254 : 15);
        rgba.insert(rgba.end(), default_palette + index * 4, default_palette + index * 4 + 3);
        rgba.push_back(i == 3 ? 0 : 255);
    }
    set_rgba_pixels(4, 1, rgba);
    const std::string saved = dir + "/rgba.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    ASSERT_EQ(b.size(), 36u + 4 + 16 + 4);
    EXPECT_EQ(std::vector<uint8_t>(b.end() - 4, b.end()), (std::vector<uint8_t>{15, 254, 15, 255}));
    host().bind_image(anim.groups[0].frames[0].image);
    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
}

// --- Version 2 ----------------------------------------------------------------

TEST_F(SpriteMade, Version2KeepsItsOwnPaletteWithAlphaZeroAndSavesAsVersion2)
{
    const std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220};
    SpriteBytes file;
    file.header(2, 2, 3.0f, 4, 2, 2).palette(rgb);
    file.out.i32(0);
    file.out.i32(-2);
    file.out.i32(1);
    file.out.i32(4);
    file.out.i32(2);
    for (uint8_t v : {0, 1, 2, 3, 3, 2, 1, 0})
        file.out.u8(v);
    file.single(0, 0, 4, 1, 0); // indexes 0..3, all inside the 4-colour palette
    const std::string path = write("v2.spr", file.bytes());
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    EXPECT_EQ(props_get_int(&anim.props, "Version"), 2);
    EXPECT_EQ(anim.props.records[props_find(&anim.props, "Version") - 1].type, PROPERTY_INTEGER);
    host().bind_image(anim.groups[0].frames[0].image);
    ASSERT_EQ(host().palette_size(), 4);
    host().convert_palette(IMAGE_RGBA);
    const uint8_t *pal = host().get_palette();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pal[i * 4], rgb[i * 3]);
        EXPECT_EQ(pal[i * 4 + 1], rgb[i * 3 + 1]);
        EXPECT_EQ(pal[i * 4 + 2], rgb[i * 3 + 2]);
        EXPECT_EQ(pal[i * 4 + 3], 0) << "entry " << i;
    }
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), (std::vector<uint8_t>{0, 1, 2, 3, 3, 2, 1, 0}));
    const std::string saved = dir + "/saved.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(saved), file.bytes());
}

TEST_F(SpriteMade, Version2WithATrueColourFirstFrameWritesThePaletteItsIndexesUse)
{
    props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER);
    const int k = group_append_frame(anim_add_group(&anim, "[no group]"));
    host().bind_image(anim.groups[0].frames[k].image);
    set_rgba_pixels(4, 1, std::vector<uint8_t>(16, 255));
    const std::string saved = dir + "/v2rgba.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    EXPECT_EQ(le_i32(b, 4), 2);
    ASSERT_EQ(b[36] | (b[37] << 8), 256);
    EXPECT_EQ(b[38 + 3 * 15], default_palette[15 * 4]);
    reset();
    ASSERT_EQ(quake_sprite_load(saved.c_str(), &anim), 1);
    EXPECT_EQ(props_get_int(&anim.props, "Version"), 2);
}

TEST_F(SpriteMade, Version2PaletteCountBelowOneIsRefused)
{
    for (int count : {0, -3}) {
        SCOPED_TRACE(count);
        reset();
        ui.clear();
        SpriteBytes file;
        file.header(2, 2, 3.0f, 4, 1, 1);
        file.out.u16(static_cast<uint16_t>(count));
        file.single(0, 0, 4, 1, 1);
        const std::string path = write("nopal.spr", file.bytes());
        EXPECT_EQ(quake_sprite_load(path.c_str(), &anim), 0);
        EXPECT_EQ(anim.group_count, 0);
        EXPECT_EQ(anim.props.count, 0);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text,
                  "Cannot read " + path + ": its sprite palette holds " + std::to_string(count)
                      + " colours; at least 1 is needed");
        EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Warning);
    }
}

// --- Counts the reader refuses or derives -----------------------------------

TEST_F(SpriteMade, NoFrameEntriesEmptiesTheAnimation)
{
    for (int entries : {0, -1}) {
        reset();
        ui.clear();
        SpriteBytes file;
        file.header(1, 2, 3.0f, 4, 1, entries).single(0, 0, 4, 1, 1);
        EXPECT_EQ(quake_sprite_load(write("none.spr", file.bytes()).c_str(), &anim), 0);
        EXPECT_EQ(anim.group_count, 0);
        EXPECT_EQ(anim.props.count, 0);
        EXPECT_EQ(message_texts(), std::vector<std::string>{"Sprite contains no frames"});
    }
}

TEST_F(SpriteMade, EntryCountLargerThanTheFileCanHoldIsRefused)
{
    SpriteBytes file;
    file.header(1, 2, 3.0f, 4, 1, 1000000).single(0, 0, 4, 1, 1);
    const std::string path = write("many.spr", file.bytes());
    EXPECT_EQ(quake_sprite_load(path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Cannot read " + path
                                                        + ": the sprite claims 1000000 frame entries, more than the "
                                                          "file can hold"});
}

TEST_F(SpriteMade, GroupCountZeroIsTakenFromTheBytesLeft)
{
    // Header 4 x 4: each frame counts as 4 * 4 + 12 bytes; two frames of
    // 4 + 16 + 16 bytes remain after the count, 72 / 28 = 2.
    SpriteBytes file;
    file.header(1, 2, 3.0f, 4, 4, 1);
    file.out.i32(1);
    file.out.i32(0);
    file.out.f32(0.5f);
    file.out.f32(0.75f);
    file.frame(0, 0, 4, 4, 0).frame(0, 0, 4, 4, 100);
    ASSERT_EQ(quake_sprite_load(write("derived.spr", file.bytes()).c_str(), &anim), 1);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, "Group 0");
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_FLOAT_EQ(props_get_float(&anim.groups[0].frames[1].props, "Duration"), 0.75f);
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), counting_pixels(16, 100));
}

TEST_F(SpriteMade, GroupCountZeroWithNothingLeftIsRefused)
{
    SpriteBytes file;
    file.header(1, 2, 3.0f, 64, 64, 1);
    file.out.i32(1);
    file.out.i32(0);
    file.out.zeros(20); // far less than one 64 x 64 frame
    const std::string path = write("zero.spr", file.bytes());
    EXPECT_EQ(quake_sprite_load(path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(message_texts(),
              std::vector<std::string>{"Cannot read " + path + ": sprite frame entry 0 is a group without frames"});
}

TEST_F(SpriteMade, NegativeOrExcessiveGroupCountsAreRefused)
{
    SpriteBytes negative;
    negative.header(1, 2, 3.0f, 4, 4, 1);
    negative.out.i32(1);
    negative.out.i32(-5);
    negative.out.zeros(40);
    const std::string negative_path = write("neg.spr", negative.bytes());
    EXPECT_EQ(quake_sprite_load(negative_path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    SpriteBytes huge;
    huge.header(1, 2, 3.0f, 4, 4, 2).single(0, 0, 4, 4, 0);
    huge.out.i32(1);
    huge.out.i32(0x7fffffff);
    huge.out.zeros(40);
    const std::string huge_path = write("huge.spr", huge.bytes());
    EXPECT_EQ(quake_sprite_load(huge_path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_EQ(message_texts(),
              (std::vector<std::string>{"Cannot read " + negative_path
                                            + ": sprite frame entry 0 has a negative frame count (-5)",
                                        "Cannot read " + huge_path
                                            + ": sprite frame entry 1 claims 2147483647 frames, more than the file "
                                              "can hold"}));
}

TEST_F(SpriteMade, FrameOfUnusableSizeKeepsAnEmptyImageAndTheNextFrameStillReads)
{
    SpriteBytes file;
    file.header(1, 2, 3.0f, 4, 4, 2);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(16385); // too wide: no pixels follow in the record
    file.out.i32(1);
    file.single(-1, 1, 4, 4, 7);
    ASSERT_EQ(quake_sprite_load(write("wide.spr", file.bytes()).c_str(), &anim), 1);
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_NE(image_width(anim.groups[0].frames[0].image), 16385);
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), counting_pixels(16, 7));
    EXPECT_EQ(props_get_int(&anim.groups[0].frames[1].props, "Origin X"), 1);
}

TEST_F(SpriteMade, TruncatedFrameReadsZerosForTheMissingBytesAndSaysSo)
{
    SpriteBytes file;
    file.header(1, 2, 3.0f, 4, 4, 1).single(0, 0, 4, 4, 1);
    std::vector<uint8_t> cut = file.bytes();
    cut.resize(cut.size() - 6);
    const std::string path = write("cut.spr", cut);
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    std::vector<uint8_t> want = counting_pixels(16, 1);
    std::fill(want.end() - 6, want.end(), 0);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), want);
    EXPECT_EQ(message_texts(), std::vector<std::string>{"Sprite file " + path
                                                        + " is truncated; the missing bytes were read as zeros"});
}

TEST_F(SpriteMade, UnknownVersionIsRefusedWithItsNumber)
{
    SpriteBytes file;
    file.header(3, 2, 3.0f, 4, 4, 1).single(0, 0, 4, 4, 1);
    const std::string path = write("v3.spr", file.bytes());
    EXPECT_EQ(quake_sprite_load(path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_EQ(message_texts(), std::vector<std::string>{path + " is not a Quake sprite (it is a sprite of version 3, "
                                                               "which Vorn cannot read)"});
    ui.clear();
    EXPECT_EQ(quake_sprite_load((dir + "/missing.spr").c_str(), &anim), 0);
}

// --- 32-bit sprites -----------------------------------------------------------

std::vector<uint8_t> alpha_ramp(int w, int h)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < w * h; ++i) {
        rgba.push_back(static_cast<uint8_t>(i * 7));
        rgba.push_back(static_cast<uint8_t>(255 - i));
        rgba.push_back(static_cast<uint8_t>(i * 3));
        rgba.push_back(static_cast<uint8_t>(i * 17)); // every alpha differs
    }
    return rgba;
}

TEST_F(SpriteMade, Sprite32KeepsAlphaAndOpensAlikeAsSpr32AndAsSpr)
{
    Group *g = anim_add_group(&anim, "spin");
    int k = group_append_frame(g);
    host().bind_image(g->frames[k].image);
    set_rgba_pixels(5, 3, alpha_ramp(5, 3)); // odd width: no question
    props_set_float(&g->frames[k].props, "Duration", 0.2f);
    k = group_append_frame(&anim.groups[0]);
    host().bind_image(anim.groups[0].frames[k].image);
    set_rgba_pixels(2, 2, alpha_ramp(2, 2));
    props_set_float(&anim.groups[0].frames[k].props, "Duration", 0.4f);
    props_set_int(&anim.groups[0].frames[k].props, "Origin X", 1, PROPERTY_INTEGER);
    props_set_int(&anim.props, "Orientation", 5, PROPERTY_SPRITE_TYPE);
    props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER); // not read for 32-bit sprites

    const std::string spr32 = dir + "/anim.spr32";
    ASSERT_EQ(file_save(spr32.c_str(), &anim), 1);
    EXPECT_TRUE(ui.questions().empty());
    const std::vector<uint8_t> b = read_bytes(spr32);
    EXPECT_EQ(le_i32(b, 4), 32);
    EXPECT_EQ(le_i32(b, 8), 5);
    EXPECT_EQ(le_i32(b, 24), 1);
    EXPECT_EQ(b.size(), 36u + 4 + 4 + 8 + 2 * 16 + 5 * 3 * 4 + 2 * 2 * 4);
    const std::string spr = dir + "/anim.spr";
    write_bytes(spr, b);

    for (const std::string &path : {spr32, spr}) {
        SCOPED_TRACE(path);
        reset();
        file_load(path.c_str(), &anim);
        ASSERT_EQ(anim.group_count, 1);
        EXPECT_STREQ(anim.groups[0].name, "Group 0");
        ASSERT_EQ(anim.groups[0].frame_count, 2);
        EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), alpha_ramp(5, 3));
        EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), alpha_ramp(2, 2));
        EXPECT_FLOAT_EQ(props_get_float(&anim.groups[0].frames[1].props, "Duration"), 0.4f);
        EXPECT_EQ(props_get_int(&anim.groups[0].frames[1].props, "Origin X"), 1);
        EXPECT_EQ(props_get_int(&anim.props, "Orientation"), 5);
        EXPECT_EQ(props_find(&anim.props, "Version"), 0);
    }
    // Saved again it is the same file.
    const std::string again = dir + "/again.spr32";
    ASSERT_EQ(sprite32_save(again.c_str(), &anim), 1);
    EXPECT_EQ(read_bytes(again), b);
}

TEST_F(SpriteMade, IndexedFrameSavedAs32BitIsWrittenAsRgbaAndStaysRgba)
{
    add_indexed_frame(anim_add_group(&anim, "[no group]"), 2, 1, 15);
    const std::string saved = dir + "/indexed.spr32";
    ASSERT_EQ(sprite32_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> b = read_bytes(saved);
    ASSERT_EQ(b.size(), 36u + 4 + 16 + 8);
    EXPECT_EQ(b[56], default_palette[15 * 4]);
    EXPECT_EQ(b[60], default_palette[16 * 4]);
    host().bind_image(anim.groups[0].frames[0].image);
    EXPECT_EQ(host().image_type(), IMAGE_RGBA);
}

TEST_F(SpriteMade, Sprite32ReaderRefusesOtherVersionsAndBadCounts)
{
    SpriteBytes v1;
    v1.header(1, 2, 3.0f, 4, 4, 1).single(0, 0, 4, 4, 1);
    EXPECT_EQ(sprite32_load(write("v1.spr32", v1.bytes()).c_str(), &anim), 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_TRUE(ui.messages().empty());

    SpriteBytes empty_group;
    empty_group.header(32, 2, 3.0f, 1, 1, 1);
    empty_group.out.i32(1);
    empty_group.out.i32(0);
    empty_group.frame(0, 0, 1, 1, 0, 4);
    const std::string group_path = write("g0.spr32", empty_group.bytes());
    EXPECT_EQ(sprite32_load(group_path.c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_EQ(message_texts(),
              std::vector<std::string>{"Cannot read " + group_path + ": sprite frame entry 0 is a group without frames"});
}

TEST_F(SpriteMade, Sprite32FrameSidesAreBoundedLikeVersion1)
{
    SpriteBytes file;
    file.header(32, 2, 3.0f, 4, 4, 2);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(0);
    file.out.i32(0x40000000); // width x height x 4 would overflow 32 bits
    file.out.i32(4);
    file.single(0, 0, 1, 1, 9, 4);
    ASSERT_EQ(sprite32_load(write("big.spr32", file.bytes()).c_str(), &anim), 1);
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_NE(image_width(anim.groups[0].frames[0].image), 0x40000000);
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image), (std::vector<uint8_t>{9, 10, 11, 12}));
}

} // namespace
