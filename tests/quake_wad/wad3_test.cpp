// Half-Life WAD3 archives and sprites: the fixtures read and written back
// byte for byte, palettes made for true-colour textures, `{` textures, and
// the sprite's texture formats.
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "image/texture_format.h"
#include "quake/half_life_texture.h"
#include "quake/sprite.h"
#include "quake/wad2.h"
#include "support/test_support.h"
#include "views/logic/property_editor_logic.h"
#include "views/logic/save_type.h"
#include "views/logic/texture_drawing.h"
#include "wad_builder.h"

namespace {

std::vector<uint8_t> palette_of(uint32_t image)
{
    host().bind_image(image);
    host().convert_palette(IMAGE_RGBA);
    const uint8_t *p = host().get_palette();
    return p ? std::vector<uint8_t>(p, p + 4 * host().palette_size()) : std::vector<uint8_t>();
}

class Wad3 : public CoreTest {
protected:
    std::string dir;
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir(std::string("wad3_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // A group of one RGBA frame.
    void add_rgba_group(const char *name, int entry_type, int w, int h, const std::vector<uint8_t> &rgba)
    {
        Group *g = anim_add_group(&anim, name);
        props_set_int(&g->props, "Entry Type", entry_type, PROPERTY_WAD_TYPE);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_rgba_pixels(w, h, rgba);
    }
    // Saves as a WAD3 through the dispatch and reads the file back.
    std::string save_wad3(const std::string &name)
    {
        props_set_int(&anim.props, "WAD Version", 3, PROPERTY_INTEGER);
        const std::string path = dir + "/" + name;
        EXPECT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
        anim_destroy(&anim);
        anim_init(&anim);
        EXPECT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded) << ui.transcript();
        return path;
    }
};

TEST_F(Wad3, FixturesShowEveryTextureInItsOwnPaletteAndSaveBackByteForByte)
{
    for (const char *name : {"ericw_hl_currents.wad", "ericw_hlwad.wad", "nuclide_platform_gfx.wad",
                             "trenchbroom_embedded.wad", "trenchbroom_hl.wad"}) {
        SCOPED_TRACE(name);
        anim_destroy(&anim);
        anim_init(&anim);
        const std::string path = data_path(std::string("wad3/") + name);
        const std::vector<uint8_t> file = read_bytes(path);
        ASSERT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded) << ui.transcript();
        const std::vector<ParsedEntry> entries = parse_directory(file);
        ASSERT_EQ(anim.group_count, static_cast<int>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const ParsedEntry &e = entries[i];
            const Group &group = anim.groups[i];
            EXPECT_EQ(std::string(group.name), e.name);
            // Where each kind keeps its size and its palette.
            size_t at = static_cast<size_t>(e.offset);
            int width = 0, height = 0;
            if (e.type == 'C') {
                width = wad_i32(file, at + 16);
                height = wad_i32(file, at + 20);
                at += 40;
                for (int k = 0; k < 4; ++k)
                    at += static_cast<size_t>((width >> k) * (height >> k));
                EXPECT_EQ(group.frame_count, 4);
            } else if (e.type == 'B') {
                width = wad_i32(file, at);
                height = wad_i32(file, at + 4);
                at += 8 + static_cast<size_t>(width * height);
            } else {
                ASSERT_EQ(e.type, 'F');
                width = 256;
                height = wad_i32(file, at + 4);
                at += 16 + 1024 + static_cast<size_t>(width * height);
                EXPECT_EQ(props_get_string(&group.props, "Character Table"),
                          hex_text(file.data() + e.offset + 16, 1024));
            }
            EXPECT_EQ(image_width(group.frames[0].image), width) << e.name;
            EXPECT_EQ(image_height(group.frames[0].image), height) << e.name;
            EXPECT_EQ(file[at] | file[at + 1] << 8, 256) << e.name;
            const std::vector<uint8_t> palette = palette_of(group.frames[0].image);
            ASSERT_EQ(palette.size(), 1024u);
            EXPECT_EQ(std::vector<uint8_t>(palette.begin(), palette.begin() + 3),
                      std::vector<uint8_t>(file.begin() + static_cast<long>(at) + 2, file.begin() + static_cast<long>(at) + 5))
                << e.name;
        }
        const std::string saved = dir + "/saved.wad";
        ASSERT_EQ(file_save(saved.c_str(), &anim), 1) << ui.transcript();
        EXPECT_EQ(read_bytes(saved), file);
        EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
    }
}

TEST_F(Wad3, TrueColourTextureGetsAPaletteExactUpTo256ColoursAndCloseBeyond)
{
    struct Case {
        int colours;
        double mean_error_below;
    };
    for (const Case c : {Case{200, 0.0}, Case{300, 4.0}}) {
        SCOPED_TRACE(c.colours);
        anim_destroy(&anim);
        anim_init(&anim);
        // A gradient over a grid of colours, each pixel one of `colours`.
        const int w = 32, h = 16;
        std::vector<uint8_t> rgba;
        std::set<uint32_t> distinct;
        for (int i = 0; i < w * h; ++i) {
            const int k = i * c.colours / (w * h);
            const uint8_t px[4] = {static_cast<uint8_t>(k % 20 * 13), static_cast<uint8_t>(k / 20 * 12), 100, 255};
            rgba.insert(rgba.end(), px, px + 4);
            distinct.insert(static_cast<uint32_t>(px[0] << 8 | px[1]));
        }
        ASSERT_EQ(distinct.size(), static_cast<size_t>(c.colours));
        add_rgba_group("gradient", 2, w, h, rgba);
        save_wad3("gradient.wad");
        ASSERT_EQ(anim.group_count, 1);
        const std::vector<uint8_t> back = rgba_of(anim.groups[0].frames[0].image);
        ASSERT_EQ(back.size(), rgba.size());
        double error = 0;
        for (size_t i = 0; i < rgba.size(); ++i)
            if (i % 4 != 3)
                error += std::abs(back[i] - rgba[i]);
        const double mean = error / (w * h * 3);
        if (c.mean_error_below == 0.0)
            EXPECT_EQ(back, rgba);
        else
            EXPECT_LT(mean, c.mean_error_below);
    }
}

TEST_F(Wad3, TransparentTextureFromRgbaPutsClearPixelsAtABlue255)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 16 * 16; ++i) {
        const bool clear = (i / 16 + i % 16) % 3 == 0;
        const uint8_t px[4] = {static_cast<uint8_t>(i), 40, static_cast<uint8_t>(255 - i), clear ? uint8_t(0) : uint8_t(255)};
        rgba.insert(rgba.end(), px, px + 4);
    }
    add_rgba_group("{fence", 2, 16, 16, rgba);
    const std::vector<uint8_t> file = read_bytes(save_wad3("fence.wad"));
    const ParsedEntry e = parse_directory(file).at(0);
    EXPECT_EQ(e.type, 'C');
    const size_t pixels = static_cast<size_t>(e.offset) + 40;
    const size_t palette = pixels + 256 + 64 + 16 + 4 + 2;
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + static_cast<long>(palette) + 765, file.begin() + static_cast<long>(palette) + 768),
              (std::vector<uint8_t>{0, 0, 255}));
    const std::vector<uint8_t> back = rgba_of(anim.groups[0].frames[0].image);
    for (size_t i = 0; i < 256; ++i) {
        const bool clear = rgba[i * 4 + 3] == 0;
        EXPECT_EQ(file[pixels + i] == 255, clear) << i;
        EXPECT_EQ(back[i * 4 + 3], clear ? 0 : 255) << i;
        if (!clear) {
            EXPECT_EQ(std::vector<uint8_t>(back.begin() + i * 4, back.begin() + i * 4 + 3),
                      std::vector<uint8_t>(rgba.begin() + i * 4, rgba.begin() + i * 4 + 3));
        }
    }
}

TEST_F(Wad3, TexturesOfADecalsWadDrawAsDecalsAndSaveBackUnchanged)
{
    const std::vector<uint8_t> file = read_bytes(data_path("wad3/trenchbroom_embedded.wad"));
    for (const char *name : {"decals.wad", "other.wad"}) {
        SCOPED_TRACE(name);
        anim_destroy(&anim);
        anim_init(&anim);
        const std::string path = dir + "/" + name;
        write_bytes(path, file);
        ASSERT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded);
        const bool decals = std::string(name) == "decals.wad";
        EXPECT_EQ(group_texture_format(&anim, 0), decals ? TEXTURE_INDEX_ALPHA : -1);
        EXPECT_EQ(frame_palette_note(&anim, 0), " (own palette)");
        const std::string saved = dir + "/saved.wad";
        ASSERT_EQ(file_save(saved.c_str(), &anim), 1);
        EXPECT_EQ(read_bytes(saved), file);
    }
}

TEST_F(Wad3, HalfLifeSpriteKeepsEachTextureFormatAndDrawsItTheGamesWay)
{
    // Indexes 0, 1, 128 and 255 of a palette whose entry k is (k, 255 - k, 7).
    std::vector<uint8_t> palette(1024);
    for (int k = 0; k < 256; ++k) {
        const uint8_t entry[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k), 7, 255};
        std::memcpy(&palette[k * 4], entry, 4);
    }
    const std::vector<uint8_t> indexes = {0, 1, 128, 255};
    struct Case {
        int format;
        const char *name;
        std::vector<uint8_t> drawn; // RGBA of the four pixels
    };
    const Case cases[] = {
        {0, "Normal", {0, 255, 7, 255, 1, 254, 7, 255, 128, 127, 7, 255, 255, 0, 7, 255}},
        {1, "Additive", {0, 255, 7, 255, 1, 254, 7, 255, 128, 127, 7, 255, 255, 0, 7, 255}},
        {2, "Index Alpha", {255, 0, 7, 0, 255, 0, 7, 1, 255, 0, 7, 128, 255, 0, 7, 255}},
        {3, "Alpha Test", {0, 255, 7, 255, 1, 254, 7, 255, 128, 127, 7, 255, 255, 0, 7, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        anim_destroy(&anim);
        anim_init(&anim);
        props_set_int(&anim.props, "Texture Format", c.format, PROPERTY_TEXTURE_FORMAT);
        Group *g = anim_add_group(&anim, NO_GROUP_NAME);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_indexed_pixels(2, 2, indexes, palette);
        const std::string path = dir + "/" + std::to_string(c.format) + ".spr";
        ui.queue_answer(true); // GLQuake's width rule does not bind Half-Life
        ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
        EXPECT_EQ(wad_i32(read_bytes(path), 12), c.format);
        anim_destroy(&anim);
        anim_init(&anim);
        ASSERT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded);
        const int at = props_find(&anim.props, "Texture Format");
        ASSERT_GT(at, 0);
        const Property &record = anim.props.records[at - 1];
        EXPECT_EQ(record.value.i, c.format);
        EXPECT_EQ(property_pick_list(record.type).at(static_cast<size_t>(c.format)), c.name);
        EXPECT_EQ(texture_format_text(c.format), std::string(c.name) + " (" + std::to_string(c.format) + ")");
        std::vector<uint8_t> drawn(16);
        compose_texture_format(c.format, raw_of(anim.groups[0].frames[0].image).data(), 4,
                               palette_of(anim.groups[0].frames[0].image).data(), drawn.data());
        EXPECT_EQ(drawn, c.drawn);
    }
}

TEST_F(Wad3, HalfLifeSpriteFromTrueColourFramesSharesAPaletteOfItsOwn)
{
    // Two frames of different colours; the second has clear pixels.
    props_set_int(&anim.props, "Texture Format", TEXTURE_ALPHA_TEST, PROPERTY_TEXTURE_FORMAT);
    Group *g = anim_add_group(&anim, NO_GROUP_NAME);
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < 2; ++f) {
        std::vector<uint8_t> rgba;
        for (int i = 0; i < 16; ++i) {
            const uint8_t px[4] = {static_cast<uint8_t>(f * 100 + i), 60, 90, f == 1 && i % 3 == 0 ? uint8_t(0) : uint8_t(255)};
            rgba.insert(rgba.end(), px, px + 4);
        }
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_rgba_pixels(4, 4, rgba);
        frames.push_back(rgba);
    }
    const std::string path = dir + "/made.spr";
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    anim_destroy(&anim);
    anim_init(&anim);
    ASSERT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded);
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    for (int f = 0; f < 2; ++f) {
        const std::vector<uint8_t> indexes = raw_of(anim.groups[0].frames[f].image);
        const std::vector<uint8_t> palette = palette_of(anim.groups[0].frames[f].image);
        ASSERT_EQ(palette.size(), 1024u);
        for (size_t i = 0; i < 16; ++i) {
            const uint8_t *source = &frames[f][i * 4];
            if (source[3] == 0) {
                EXPECT_EQ(indexes[i], 255) << f << " " << i;
            } else {
                ASSERT_NE(indexes[i], 255) << f << " " << i;
                EXPECT_EQ(std::memcmp(&palette[indexes[i] * 4], source, 3), 0) << f << " " << i;
            }
        }
    }

    // Index Alpha: each index the pixel's opacity, its brightness by its alpha.
    anim_destroy(&anim);
    anim_init(&anim);
    props_set_int(&anim.props, "Texture Format", TEXTURE_INDEX_ALPHA, PROPERTY_TEXTURE_FORMAT);
    g = anim_add_group(&anim, NO_GROUP_NAME);
    const int k = group_append_frame(g);
    host().bind_image(g->frames[k].image);
    set_rgba_pixels(4, 1, {255, 255, 255, 255, 255, 255, 255, 0, 100, 100, 100, 255, 200, 200, 200, 128});
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    anim_destroy(&anim);
    anim_init(&anim);
    ASSERT_EQ(file_load_result(path.c_str(), &anim).status, LoadStatus::Loaded);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), (std::vector<uint8_t>{255, 0, 100, 100}));
}

TEST_F(Wad3, SaveTypeChoosesTheKindOfWadAndConvertingKeepsOrMatchesTheTextures)
{
    // WAD3 to WAD2: every texture matched to the Quake palette, and said so.
    const std::string hl = data_path("wad3/ericw_hlwad.wad");
    ASSERT_EQ(file_load_result(hl.c_str(), &anim).status, LoadStatus::Loaded);
    const std::string as_wad2 = dir + "/as_wad2.wad";
    ASSERT_TRUE(apply_save_type(&anim, as_wad2, WAD2_DESCRIPTION));
    ASSERT_EQ(file_save(as_wad2.c_str(), &anim), 1) << ui.transcript();
    const std::vector<uint8_t> wad2 = read_bytes(as_wad2);
    EXPECT_EQ(std::string(wad2.begin(), wad2.begin() + 4), "WAD2");
    for (const ParsedEntry &e : parse_directory(wad2))
        EXPECT_EQ(e.type, 'D') << e.name;
    ASSERT_EQ(message_texts().size(), 1u);
    EXPECT_NE(message_texts()[0].find("8 frames were remapped by colour to the Quake palette"), std::string::npos)
        << message_texts()[0];

    // WAD2 to WAD3: the indexes kept, the Quake palette written into each.
    anim_destroy(&anim);
    anim_init(&anim);
    const std::string quake = data_path("wad/openquartzplus_newbase.wad");
    ASSERT_EQ(file_load_result(quake.c_str(), &anim).status, LoadStatus::Loaded);
    const std::vector<uint8_t> indexes = raw_of(anim.groups[0].frames[0].image);
    const std::string as_wad3 = dir + "/as_wad3.wad";
    ASSERT_TRUE(apply_save_type(&anim, as_wad3, WAD3_DESCRIPTION));
    ASSERT_EQ(file_save(as_wad3.c_str(), &anim), 1) << ui.transcript();
    anim_destroy(&anim);
    anim_init(&anim);
    ASSERT_EQ(file_load_result(as_wad3.c_str(), &anim).status, LoadStatus::Loaded);
    EXPECT_EQ(props_get_int(&anim.props, "WAD Version"), 3);
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), indexes);
    const std::vector<uint8_t> palette = palette_of(anim.groups[0].frames[0].image);
    ASSERT_EQ(palette.size(), 1024u);
    for (int k = 0; k < 255; ++k)
        ASSERT_EQ(std::memcmp(&palette[k * 4], &default_palette[k * 4], 3), 0) << k;

    // Picking the Half-Life sprite type gives the document a texture format.
    EXPECT_TRUE(apply_save_type(&anim, dir + "/s.spr", HALF_LIFE_SPRITE_DESCRIPTION));
    const int at = props_find(&anim.props, "Texture Format");
    ASSERT_GT(at, 0);
    EXPECT_EQ(anim.props.records[at - 1].type, PROPERTY_TEXTURE_FORMAT);
}

} // namespace
