// Real WAD2 archives: what they load as, and what a save gives back.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/quake_palette.h"
#include "quake/wad2.h"
#include "support/test_support.h"
#include "wad_builder.h"

namespace {

struct WadCase {
    const char *file;
    int groups;           // from the fixtures' manifest
    bool canonical;       // already in the writer's form: saved back unchanged
    const char *skipped;  // a lump the reader passes over with a warning, or ""
};

const std::vector<WadCase> &cases()
{
    static const std::vector<WadCase> all = {
        {"ericw_fence.wad", 1, true, ""},
        {"librequake_lq_dev.wad", 453, true, ""},
        {"librequake_lq_utility.wad", 11, true, ""},
        {"openquartzplus_newbase.wad", 8, true, ""},
        // CONCHARS is a 'D' lump holding raw pixels; it is written back as 'E'.
        {"librequake_gfx.wad", 149, false, ""},
        {"librequake_gfx_2019_bigicons.wad", 147, false, ""},
        {"openquartzplus_gfx.wad", 143, false, ""},
        // TINYFONT is a 'D' lump whose bytes are no mip texture: kept as it is.
        {"hexen2_haktoria_gfx.wad", 16, false, ""},
        // A lump of type 0 (a PNG named PALETTE) is kept as it is.
        {"librequake_lq_ammo_2021_pnglump.wad", 8, false, ""},
        // The directory comes first; the writer puts it last.
        {"librequake_lq_greek_2020_dirfirst.wad", 51, false, ""},
    };
    return all;
}

// True for a lump the editor shows: a picture, or a texture (or CONCHARS)
// whose sizes are usable.
bool shown(const std::vector<uint8_t> &file, const ParsedEntry &e)
{
    if (e.type == 'B')
        return true;
    if (e.type != 'D')
        return false;
    if (e.name == "CONCHARS")
        return true;
    const int w = wad_i32(file, static_cast<size_t>(e.offset) + 16);
    const int h = wad_i32(file, static_cast<size_t>(e.offset) + 20);
    return w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

// Every lump, with the kind the writer gives it back: all come back, the
// ones the editor cannot show byte for byte.
std::vector<WadLump> kept_lumps(const std::vector<uint8_t> &file, const std::string &skipped)
{
    std::vector<WadLump> kept;
    for (const ParsedEntry &e : parse_directory(file)) {
        if (e.name == skipped)
            continue;
        const bool conchars = e.type == 'D' && e.name == "CONCHARS";
        const size_t size = static_cast<size_t>(shown(file, e) ? e.size : e.disk_size);
        kept.push_back({conchars ? uint8_t('E') : e.type, e.name, lump_bytes(file, e, size)});
    }
    return kept;
}

class WadFiles : public CoreTest {};

TEST_F(WadFiles, EveryFixtureGivesOneGroupPerPictureTextureOrRawLump)
{
    for (const WadCase &c : cases()) {
        SCOPED_TRACE(c.file);
        anim_destroy(&anim);
        anim_init(&anim);
        ui.clear();
        const std::string path = data_path(std::string("wad/") + c.file);
        const std::vector<uint8_t> file = read_bytes(path);
        ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
        int pictures_and_textures = 0;
        for (const ParsedEntry &e : parse_directory(file))
            pictures_and_textures += shown(file, e) ? 1 : 0;
        EXPECT_EQ(pictures_and_textures, c.groups);
        ASSERT_EQ(anim.group_count, static_cast<int>(parse_directory(file).size()) - (*c.skipped ? 1 : 0));
        if (*c.skipped) {
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_NE(ui.messages()[0].text.find(std::string("\"") + c.skipped + "\""), std::string::npos);
        } else {
            EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
        }
        int g = 0;
        for (const ParsedEntry &e : parse_directory(file)) {
            if (e.name == c.skipped)
                continue;
            ASSERT_LT(g, anim.group_count);
            const Group &group = anim.groups[g++];
            EXPECT_EQ(std::string(group.name), e.name);
            const int type = props_get_int(&group.props, "Entry Type");
            EXPECT_EQ(group.props.records[0].type, PROPERTY_WAD_TYPE);
            if (!shown(file, e)) {
                EXPECT_EQ(type, 4) << e.name;
                EXPECT_EQ(props_get_int(&group.props, "Lump Type"), e.type) << e.name;
                EXPECT_EQ(props_get_int(&group.props, "Lump Size"), e.disk_size) << e.name;
                const std::vector<uint8_t> held = raw_of(group.frames[0].image);
                ASSERT_GE(held.size(), static_cast<size_t>(e.disk_size));
                EXPECT_TRUE(std::equal(held.begin(), held.begin() + e.disk_size, file.begin() + e.offset)) << e.name;
            } else if (e.type == 'B') {
                EXPECT_EQ(type, 0) << e.name;
                ASSERT_EQ(group.frame_count, 1);
                EXPECT_EQ(image_width(group.frames[0].image), wad_i32(file, static_cast<size_t>(e.offset)));
                EXPECT_EQ(image_height(group.frames[0].image), wad_i32(file, static_cast<size_t>(e.offset) + 4));
            } else if (e.name == "CONCHARS") {
                EXPECT_EQ(type, 3);
                ASSERT_EQ(group.frame_count, 1);
                EXPECT_EQ(image_width(group.frames[0].image), 128);
                EXPECT_EQ(raw_of(group.frames[0].image), lump_bytes(file, e, 16384));
            } else {
                EXPECT_EQ(type, 2) << e.name;
                ASSERT_EQ(group.frame_count, 4);
                const int w = wad_i32(file, static_cast<size_t>(e.offset) + 16);
                EXPECT_EQ(image_width(group.frames[0].image), w);
                EXPECT_EQ(image_width(group.frames[3].image), w >> 3);
            }
        }
        EXPECT_EQ(g, anim.group_count);
    }
}

TEST_F(WadFiles, PicturesWithoutAPaletteLumpShowTheDefaultPalette)
{
    const std::string path = data_path("wad/openquartzplus_gfx.wad");
    ASSERT_EQ(wad2_load(path.c_str(), &anim), 1);
    const std::vector<uint8_t> rgba = rgba_of(anim.groups[0].frames[0].image);
    const std::vector<uint8_t> raw = raw_of(anim.groups[0].frames[0].image);
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(rgba[0], default_palette[raw[0] * 4]);
    EXPECT_EQ(rgba[1], default_palette[raw[0] * 4 + 1]);
    EXPECT_EQ(rgba[2], default_palette[raw[0] * 4 + 2]);
}

TEST_F(WadFiles, LoadThenSaveGivesTheBytesOfTheWriterLayout)
{
    const std::string dir = scratch_dir("wad_files_round_trip");
    for (const WadCase &c : cases()) {
        SCOPED_TRACE(c.file);
        anim_destroy(&anim);
        anim_init(&anim);
        const std::string source = data_path(std::string("wad/") + c.file);
        ASSERT_EQ(wad2_load(source.c_str(), &anim), 1);
        ui.clear();
        ui.queue_answer(true); // at most one question: Yes ends the checking
        const std::string saved = dir + "/" + c.file;
        ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
        EXPECT_LE(ui.questions().size(), 1u);
        const std::vector<uint8_t> original = read_bytes(source);
        const std::vector<uint8_t> got = read_bytes(saved);
        if (c.canonical) {
            EXPECT_TRUE(got == original);
        }
        EXPECT_TRUE(got == build_wad(kept_lumps(original, c.skipped)));
    }
}

TEST_F(WadFiles, ConcharsComesBackAsARawLumpOf16384Bytes)
{
    const std::string source = data_path("wad/librequake_gfx.wad");
    ASSERT_EQ(wad2_load(source.c_str(), &anim), 1);
    ui.queue_answer(true);
    const std::string saved = scratch_dir("wad_conchars") + "/gfx.wad";
    ASSERT_EQ(wad2_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> original = read_bytes(source);
    std::vector<uint8_t> got = read_bytes(saved);
    ASSERT_EQ(got.size(), original.size());
    size_t differences = 0;
    for (size_t i = 0; i < got.size(); ++i)
        differences += got[i] != original[i];
    EXPECT_EQ(differences, 1u);
    for (const ParsedEntry &e : parse_directory(got))
        if (e.name == "CONCHARS") {
            EXPECT_EQ(e.type, 'E');
            EXPECT_EQ(e.size, 16384);
            EXPECT_EQ(e.disk_size, 16384);
        }
}

TEST_F(WadFiles, EmptyArchiveLoadsWithoutGroupsAndCannotBeSaved)
{
    const std::string source = data_path("wad/librequake_lq_eye_2022_empty.wad");
    ASSERT_EQ(wad2_load(source.c_str(), &anim), 1);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_TRUE(ui.messages().empty());
    const std::string saved = scratch_dir("wad_empty") + "/empty.wad";
    EXPECT_EQ(wad2_save(saved.c_str(), &anim), 0);
    EXPECT_TRUE(read_bytes(saved).empty());
}

TEST_F(WadFiles, DispatchReachesTheWadRow)
{
    file_load(data_path("wad/openquartzplus_newbase.wad").c_str(), &anim);
    EXPECT_EQ(anim.group_count, 8);
    EXPECT_EQ(props_get_int(&anim.groups[0].props, "Entry Type"), 2);
}

} // namespace
