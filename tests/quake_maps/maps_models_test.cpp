// Textures inside maps and skins inside models: what real files load as,
// what a save writes back into them, and hostile ones refused.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace {

int32_t i32_at(const std::vector<uint8_t> &b, size_t at)
{
    int32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void put_i32(std::vector<uint8_t> &b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

struct Lump {
    size_t offset, length;
};
Lump lump_of(const std::vector<uint8_t> &map, int i)
{
    return {static_cast<size_t>(i32_at(map, 4 + 8 * i)), static_cast<size_t>(i32_at(map, 8 + 8 * i))};
}
std::vector<uint8_t> lump_bytes(const std::vector<uint8_t> &map, int i)
{
    const Lump l = lump_of(map, i);
    return {map.begin() + static_cast<long>(l.offset), map.begin() + static_cast<long>(l.offset + l.length)};
}

// A model of `w` x `h` skins: one single skin, one group of two pictures
// (intervals 0.25 and 0.5), then bytes standing for the rest of the model.
std::vector<uint8_t> made_model(int32_t w, int32_t h)
{
    std::vector<uint8_t> b(84, 0);
    std::memcpy(b.data(), "IDPO", 4);
    put_i32(b, 4, 6);
    put_i32(b, 48, 2);
    put_i32(b, 52, w);
    put_i32(b, 56, h);
    auto add = [&b](int32_t v) { b.resize(b.size() + 4); put_i32(b, b.size() - 4, v); };
    const size_t area = static_cast<size_t>(w) * static_cast<size_t>(h);
    add(0);
    b.insert(b.end(), area, 3);
    add(1);
    add(2);
    const float intervals[2] = {0.25f, 0.5f};
    b.insert(b.end(), reinterpret_cast<const uint8_t *>(intervals), reinterpret_cast<const uint8_t *>(intervals) + 8);
    b.insert(b.end(), area, 4);
    b.insert(b.end(), area, 5);
    for (int i = 0; i < 40; ++i)
        b.push_back(static_cast<uint8_t>(i));
    return b;
}

// A version-29 map whose only bytes are a texture lump of `entries` entries
// that all name one 64x64 texture.
std::vector<uint8_t> map_of_shared_texture(int32_t entries)
{
    std::vector<uint8_t> b(124, 0);
    put_i32(b, 0, 29);
    for (int i = 0; i < 15; ++i)
        put_i32(b, 4 + 8 * i, 124);
    std::vector<uint8_t> lump(4 + 4 * static_cast<size_t>(entries), 0);
    put_i32(lump, 0, entries);
    const int32_t at = static_cast<int32_t>(lump.size());
    for (int32_t i = 0; i < entries; ++i)
        put_i32(lump, 4 + 4 * static_cast<size_t>(i), at);
    std::vector<uint8_t> texture(40 + 64 * 64 + 32 * 32 + 16 * 16 + 8 * 8, 1);
    std::memcpy(texture.data(), "shared\0\0\0\0\0\0\0\0\0\0", 16);
    const int32_t header[6] = {64, 64, 40, 40 + 4096, 40 + 4096 + 1024, 40 + 4096 + 1024 + 256};
    std::memcpy(texture.data() + 16, header, sizeof header);
    lump.insert(lump.end(), texture.begin(), texture.end());
    put_i32(b, 4 + 8 * 2 + 4, static_cast<int32_t>(lump.size()));
    b.insert(b.end(), lump.begin(), lump.end());
    return b;
}

class MapsAndModels : public CoreTest {
protected:
    std::string dir = scratch_dir("quake_maps");

    // A writable copy of a fixture in the scratch folder.
    std::string copy_of(const std::string &fixture)
    {
        const std::string path = dir + "/" + fixture.substr(fixture.find('/') + 1);
        write_bytes(path, read_bytes(data_path(fixture)));
        return path;
    }
    int group_named(const char *name) const
    {
        for (int g = 0; g < anim.group_count; ++g)
            if (std::strcmp(anim.groups[g].name, name) == 0)
                return g;
        return -1;
    }
    void reload(const std::string &path)
    {
        anim_destroy(&anim);
        anim_init(&anim);
        file_load(path.c_str(), &anim);
    }
};

TEST_F(MapsAndModels, MapsShowOneMipGroupPerTextureAndNoteTheOnesWithoutPixels)
{
    const struct {
        const char *file;
        std::vector<std::string> names;
        std::vector<int> sides; // 0: an empty group with a note
    } cases[] = {
        {"bsp/ericw_q1_cube.bsp", {"skip", "orangestuff8"}, {64, 64}},
        {"bsp/trenchbroom_cube.bsp", {"(missing 0)"}, {0}},
        {"bsp/trenchbroom_hl30.bsp", {"skip", "embedded", "EXTERNAL"}, {32, 32, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        reload(data_path(c.file));
        ASSERT_EQ(anim.group_count, static_cast<int>(c.names.size())) << ui.transcript();
        for (int g = 0; g < anim.group_count; ++g) {
            const Group &group = anim.groups[g];
            EXPECT_EQ(group.name, c.names[static_cast<size_t>(g)]);
            if (c.sides[static_cast<size_t>(g)] == 0) {
                EXPECT_EQ(group.frame_count, 0);
                EXPECT_NE(props_get_string(&group.props, "Note"), nullptr);
                continue;
            }
            ASSERT_EQ(group.frame_count, 4);
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(image_width(group.frames[k].image), c.sides[static_cast<size_t>(g)] >> k);
        }
        const bool any_empty = std::find(c.sides.begin(), c.sides.end(), 0) != c.sides.end();
        EXPECT_EQ(ui.messages().size(), any_empty ? 1u : 0u) << ui.transcript();
        ui.clear();
    }
}

TEST_F(MapsAndModels, LargerMapVariantsKeepTheTextureLumpWhereVersion29HasIt)
{
    std::vector<uint8_t> map = read_bytes(data_path("bsp/ericw_q1_cube.bsp"));
    for (const char *magic : {"BSP2", "2PSB"}) {
        SCOPED_TRACE(magic);
        std::memcpy(map.data(), magic, 4);
        const std::string path = dir + "/variant.bsp";
        write_bytes(path, map);
        reload(path);
        ASSERT_EQ(anim.group_count, 2) << ui.transcript();
        EXPECT_STREQ(anim.groups[1].name, "orangestuff8");
        EXPECT_EQ(anim.groups[1].frame_count, 4);
    }
}

TEST_F(MapsAndModels, HalfLifeTexturesKeepTheirOwnPalette)
{
    const std::vector<uint8_t> map = read_bytes(data_path("bsp/trenchbroom_hl30.bsp"));
    reload(data_path("bsp/trenchbroom_hl30.bsp"));
    const int g = group_named("embedded");
    ASSERT_GE(g, 0);
    // Entry 1 of the lump; its palette follows the fourth level.
    const size_t texture = lump_of(map, 2).offset + static_cast<size_t>(i32_at(map, lump_of(map, 2).offset + 8));
    const size_t palette = texture + static_cast<size_t>(i32_at(map, texture + 36)) + 4 * 4 + 2;
    ASSERT_EQ(i32_at(map, palette - 2) & 0xffff, 256);
    host().bind_image(anim.groups[g].frames[0].image);
    host().convert_palette(IMAGE_RGBA);
    const uint8_t *own = host().get_palette();
    ASSERT_NE(own, nullptr);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(std::memcmp(own + 4 * i, map.data() + palette + 3 * i, 3), 0) << "entry " << i;
    EXPECT_NE(std::memcmp(own, default_palette, 1024), 0);
}

TEST_F(MapsAndModels, TexturesExtractedToAWadAndWrittenBackGiveTheSameMap)
{
    const std::string map = copy_of("bsp/ericw_q1_cube.bsp");
    ASSERT_EQ(run_vorn_cli("convert ericw_q1_cube.bsp textures.wad", dir).status, 0);
    const CliResult back = run_vorn_cli("convert textures.wad ericw_q1_cube.bsp", dir);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_NE(back.err.find("2 textures replaced"), std::string::npos) << back.err;
    EXPECT_EQ(read_bytes(map), read_bytes(data_path("bsp/ericw_q1_cube.bsp")));
}

TEST_F(MapsAndModels, ARepaintedTextureChangesOnlyTheTextureLump)
{
    const std::string path = copy_of("bsp/ericw_q1_cube.bsp");
    const std::vector<uint8_t> before = read_bytes(path);
    reload(path);
    const int g = group_named("orangestuff8");
    ASSERT_GE(g, 0);
    host().bind_image(anim.groups[g].frames[0].image);
    set_indexed_pixels(64, 64, std::vector<uint8_t>(64 * 64, 7),
                       std::vector<uint8_t>(default_palette, default_palette + 1024));
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    const std::vector<uint8_t> after = read_bytes(path);
    ASSERT_EQ(after.size(), before.size());
    const Lump textures = lump_of(before, 2);
    size_t changed_outside = 0, changed_inside = 0;
    for (size_t i = 0; i < before.size(); ++i)
        (i >= textures.offset && i < textures.offset + textures.length ? changed_inside : changed_outside) +=
            before[i] != after[i];
    EXPECT_EQ(changed_outside, 0u);
    EXPECT_GT(changed_inside, 0u);
}

TEST_F(MapsAndModels, AResizedTextureAsksFirstAndKeepsEveryOtherLump)
{
    const std::string path = copy_of("bsp/ericw_q1_cube.bsp");
    const std::vector<uint8_t> before = read_bytes(path);
    reload(path);
    const int g = group_named("orangestuff8");
    ASSERT_GE(g, 0);
    host().bind_image(anim.groups[g].frames[0].image);
    set_indexed_pixels(32, 16, std::vector<uint8_t>(32 * 16, 9),
                       std::vector<uint8_t>(default_palette, default_palette + 1024));

    ui.queue_answer(false);
    EXPECT_EQ(file_save(path.c_str(), &anim), 0);
    EXPECT_EQ(read_bytes(path), before);

    ui.queue_answer(true);
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    const std::vector<uint8_t> after = read_bytes(path);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(lump_of(after, i).offset % 4, 0u) << "lump " << i;
        if (i != 2) {
            EXPECT_EQ(lump_bytes(after, i), lump_bytes(before, i)) << "lump " << i;
        }
    }
    reload(path);
    ASSERT_EQ(anim.group_count, 2) << ui.transcript();
    EXPECT_EQ(image_width(anim.groups[g].frames[0].image), 32);
    EXPECT_EQ(image_height(anim.groups[g].frames[3].image), 2);
    EXPECT_EQ(image_width(anim.groups[1 - g].frames[0].image), 64);
}

TEST_F(MapsAndModels, AddingOrRemovingATextureIsRefused)
{
    const std::string path = copy_of("bsp/ericw_q1_cube.bsp");
    const std::vector<uint8_t> before = read_bytes(path);
    for (const bool add : {true, false}) {
        reload(path);
        if (add)
            group_reset_frames(anim_add_group(&anim, "extra"), 1);
        else
            anim_delete_group(&anim, 0);
        ui.clear();
        EXPECT_EQ(file_save(path.c_str(), &anim), 0);
        ASSERT_EQ(ui.messages().size(), 1u) << ui.transcript();
        EXPECT_NE(ui.messages()[0].text.find(add ? "cannot be added" : "cannot be removed"), std::string::npos)
            << ui.messages()[0].text;
        EXPECT_EQ(read_bytes(path), before);
    }
}

TEST_F(MapsAndModels, ModelSkinsLoadAtTheModelsSizeAndWriteBackUnchanged)
{
    write_bytes(dir + "/made.mdl", made_model(8, 4));
    for (const std::string &path : {copy_of("mdl/trenchbroom_armor.mdl"), dir + "/made.mdl"}) {
        SCOPED_TRACE(path);
        const std::vector<uint8_t> before = read_bytes(path);
        reload(path);
        ASSERT_EQ(anim.group_count, i32_at(before, 48)) << ui.transcript();
        for (int g = 0; g < anim.group_count; ++g)
            for (int f = 0; f < anim.groups[g].frame_count; ++f) {
                EXPECT_EQ(image_width(anim.groups[g].frames[f].image), i32_at(before, 52));
                EXPECT_EQ(image_height(anim.groups[g].frames[f].image), i32_at(before, 56));
            }
        ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
        EXPECT_EQ(read_bytes(path), before);
    }
    // The made model's skin group kept its intervals.
    ASSERT_EQ(anim.groups[1].frame_count, 2);
    EXPECT_EQ(props_get_float(&anim.groups[1].frames[1].props, "Duration"), 0.5f);
}

TEST_F(MapsAndModels, ASkinOfAnotherSizeIsRefusedNamingBothSizes)
{
    const std::string path = copy_of("mdl/trenchbroom_armor.mdl");
    const std::vector<uint8_t> before = read_bytes(path);
    reload(path);
    ASSERT_GT(anim.group_count, 1);
    host().bind_image(anim.groups[1].frames[0].image);
    set_indexed_pixels(64, 32, std::vector<uint8_t>(64 * 32, 1),
                       std::vector<uint8_t>(default_palette, default_palette + 1024));
    EXPECT_EQ(file_save(path.c_str(), &anim), 0);
    ASSERT_EQ(ui.messages().size(), 1u) << ui.transcript();
    EXPECT_NE(ui.messages()[0].text.find("64x32"), std::string::npos) << ui.messages()[0].text;
    EXPECT_NE(ui.messages()[0].text.find("128x128"), std::string::npos) << ui.messages()[0].text;
    EXPECT_EQ(read_bytes(path), before);
}

TEST_F(MapsAndModels, HostileMapsAndModelsAreRefusedWithTheirCause)
{
    const std::vector<uint8_t> cube = read_bytes(data_path("bsp/ericw_q1_cube.bsp"));
    const size_t textures = lump_of(cube, 2).offset;
    auto map_with = [&cube](size_t at, int32_t value) {
        std::vector<uint8_t> b = cube;
        put_i32(b, at, value);
        return b;
    };
    auto model_with = [](size_t at, int32_t value) {
        std::vector<uint8_t> b = made_model(8, 4);
        put_i32(b, at, value);
        return b;
    };
    std::vector<uint8_t> short_model = made_model(8, 4);
    short_model.resize(100);
    const struct {
        const char *name;
        std::vector<uint8_t> bytes;
        const char *cause;
    } cases[] = {
        {"lump_past_end.bsp", map_with(8 + 8 * 2, 1 << 20), "lies outside the file"},
        {"negative_lump.bsp", map_with(4 + 8 * 5, -100), "lies outside the file"},
        {"short.bsp", {cube.begin(), cube.begin() + 60}, "too short"},
        {"huge_count.bsp", map_with(textures, 0x7fffffff), "cannot hold"},
        {"negative_entry.bsp", map_with(textures + 4, -5), "outside its texture lump"},
        {"level_past_lump.bsp", map_with(textures + 12 + 24, 0x7ffffff0), "outside its texture lump"},
        {"shared.bsp", map_of_shared_texture(256), "share bytes"},
        {"huge_skin_count.mdl", model_with(48, 0x7fffffff), "do not fit"},
        {"negative_width.mdl", model_with(52, -8), "unusable size"},
        {"huge_skin_group.mdl", model_with(84 + 4 + 32 + 4, 0x40000000), "does not hold"},
        {"short.mdl", short_model, "do not fit"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        write_bytes(path, c.bytes);
        reload(path);
        EXPECT_EQ(anim.group_count, 0);
        ASSERT_EQ(ui.messages().size(), 1u) << ui.transcript();
        EXPECT_EQ(ui.messages()[0].text.rfind("Cannot read " + path + ": ", 0), 0u) << ui.messages()[0].text;
        EXPECT_NE(ui.messages()[0].text.find(c.cause), std::string::npos) << ui.messages()[0].text;
        ui.clear();
    }
}

} // namespace
