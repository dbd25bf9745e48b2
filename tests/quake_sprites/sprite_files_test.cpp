// Real Quake sprites: what they load as, and what a save gives back.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/quake_palette.h"
#include "quake/sprite.h"
#include "sprite_builder.h"
#include "support/test_support.h"

namespace {

// A frame record as the file stores it (origin x not negated).
struct FrameRecord {
    int w, h, ox, oy;
};

struct Entry {
    std::vector<FrameRecord> frames; // one for a single frame
    std::vector<float> intervals;    // empty for a single frame
};

struct SpriteCase {
    const char *file;
    int type, sync;
    float radius;
    std::vector<Entry> entries;
};

std::vector<Entry> singles(int n, FrameRecord f) { return std::vector<Entry>(static_cast<size_t>(n), Entry{{f}, {}}); }

std::vector<Entry> join(std::vector<Entry> a, const std::vector<Entry> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Frame records as listed in the fixtures' manifest.
const std::vector<SpriteCase> &cases()
{
    static const std::vector<SpriteCase> all = {
        {"librequake_s_bubble.spr", 2, 0, 11.313708f, singles(2, {16, 16, -8, 8})},
        {"librequake_s_explod.spr", 2, 0, 45.254833f, singles(6, {64, 64, -32, 32})},
        {"librequake_s_light.spr", 2, 0, 22.627417f, singles(1, {32, 32, -16, 16})},
        {"librequake_s_light_2019.spr", 2, 1, 45.254833f, singles(1, {64, 64, -32, 32})},
        {"librequake_s_invis.spr", 2, 0, 0.5f, singles(1, {1, 1, 0, 0})},
        {"openquartzplus_s_bubble.spr", 2, 1, 11.3137f, join(singles(1, {8, 8, -4, 4}), singles(1, {6, 6, -3, 3}))},
        {"openquartzplus_s_explod.spr", 2, 1, 45.254799f, singles(6, {64, 64, -32, 32})},
        {"firedguns_animfx.spr", 4, 0, 22.627417f,
         join({Entry{{{16, 16, -8, 8}, {16, 16, -8, 8}, {16, 16, -8, 8}}, {0.03f, 0.03f, 0.03f}}},
              singles(1, {16, 16, -8, 8}))},
        {"firedguns_fx.spr", 4, 0, 22.627417f, join(singles(2, {32, 32, -16, 16}), singles(8, {16, 16, -8, 8}))},
        {"hexen2_gen_expl.spr", 2, 0, 45.254833f, singles(14, {64, 64, -32, 32})},
        {"hexen2_mm_expld.spr", 2, 1, 42.520584f,
         join(join(join(singles(1, {64, 64, -32, 29}), singles(1, {64, 64, -31, 29})), singles(5, {64, 64, -31, 31})),
              singles(10, {32, 32, -15, 15}))},
        {"hexen2_xplsh_1.spr", 2, 0, 188.679993f, join(singles(1, {32, 32, -16, 15}), singles(6, {64, 64, -32, 31}))},
        {"hexen2_glass.spr", 2, 1, 11.313708f, singles(1, {16, 16, -8, 8})},
        {"hexen2_puff.spr", 2, 1, 11.313708f, singles(2, {16, 16, -8, 8})},
        {"hexen2_star_mdl.spr", 4, 0, 45.254833f,
         join({Entry{{{32, 32, -16, 16}, {32, 32, -16, 16}, {64, 64, -16, 16}}, {2.0f, 2.0f, 2.0f}}},
              singles(1, {32, 32, -16, 16}))},
        {"hexen2_arrowhit_mdl.spr", 4, 0, 22.627417f, singles(1, {32, 32, -16, 16})},
    };
    return all;
}

bool is_grouped(const SpriteCase &c)
{
    for (const Entry &e : c.entries)
        if (!e.intervals.empty())
            return true;
    return false;
}

class SpriteFiles : public CoreTest {};

void check_frame(const Frame &frame, const FrameRecord &want, const std::string &where)
{
    EXPECT_EQ(image_width(frame.image), want.w) << where;
    EXPECT_EQ(image_height(frame.image), want.h) << where;
    EXPECT_EQ(props_get_int(&frame.props, "Origin X"), -want.ox) << where;
    EXPECT_EQ(props_get_int(&frame.props, "Origin Y"), want.oy) << where;
}

TEST_F(SpriteFiles, EveryFixtureLoadsWithTheFrameRecordsOfItsFile)
{
    for (const SpriteCase &c : cases()) {
        SCOPED_TRACE(c.file);
        anim_destroy(&anim);
        anim_init(&anim);
        ASSERT_EQ(quake_sprite_load(data_path(std::string("spr/") + c.file).c_str(), &anim), 1);
        EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
        EXPECT_FLOAT_EQ(props_get_float(&anim.props, "Radius"), c.radius);
        EXPECT_EQ(props_get_int(&anim.props, "Orientation"), c.type);
        EXPECT_EQ(props_get_int(&anim.props, "Synchronous"), c.sync);
        EXPECT_FLOAT_EQ(props_get_float(&anim.props, "Beamlength"), 0.0f);
        EXPECT_EQ(props_find(&anim.props, "Version"), 0);
        if (!is_grouped(c)) {
            ASSERT_EQ(anim.group_count, 1);
            EXPECT_STREQ(anim.groups[0].name, "[no group]");
            ASSERT_EQ(anim.groups[0].frame_count, static_cast<int>(c.entries.size()));
            for (size_t e = 0; e < c.entries.size(); ++e) {
                check_frame(anim.groups[0].frames[e], c.entries[e].frames[0], "frame " + std::to_string(e));
                EXPECT_EQ(props_find(&anim.groups[0].frames[e].props, "Duration"), 0);
            }
            continue;
        }
        ASSERT_EQ(anim.group_count, static_cast<int>(c.entries.size()));
        for (size_t e = 0; e < c.entries.size(); ++e) {
            const Group &g = anim.groups[e];
            EXPECT_EQ(std::string(g.name), "Group " + std::to_string(e));
            ASSERT_EQ(g.frame_count, static_cast<int>(c.entries[e].frames.size()));
            for (int k = 0; k < g.frame_count; ++k) {
                check_frame(g.frames[k], c.entries[e].frames[k], "entry " + std::to_string(e));
                if (c.entries[e].intervals.empty())
                    EXPECT_EQ(props_find(&g.frames[k].props, "Duration"), 0);
                else
                    EXPECT_FLOAT_EQ(props_get_float(&g.frames[k].props, "Duration"), c.entries[e].intervals[k]);
            }
        }
    }
}

TEST_F(SpriteFiles, PixelsAreTheFileBytesInThePaletteOfQuake)
{
    const std::string path = data_path("spr/librequake_s_bubble.spr");
    const std::vector<uint8_t> file = read_bytes(path);
    ASSERT_EQ(quake_sprite_load(path.c_str(), &anim), 1);
    // First frame: header, entry type, frame head, then 16 x 16 indexes.
    const size_t first = 36 + 4 + 16;
    const size_t second = first + 256 + 4 + 16;
    EXPECT_EQ(raw_of(anim.groups[0].frames[0].image), std::vector<uint8_t>(file.begin() + first, file.begin() + first + 256));
    EXPECT_EQ(raw_of(anim.groups[0].frames[1].image),
              std::vector<uint8_t>(file.begin() + second, file.begin() + second + 256));
    // The colours are those of the implied palette (index -> RGBA).
    const std::vector<uint8_t> rgba = rgba_of(anim.groups[0].frames[0].image);
    const uint8_t index = file[first];
    EXPECT_EQ(rgba[0], default_palette[index * 4]);
    EXPECT_EQ(rgba[1], default_palette[index * 4 + 1]);
    EXPECT_EQ(rgba[2], default_palette[index * 4 + 2]);
}

// Loading and saving gives the file back, except where the file is not in
// the writer's form: the header's size is recomputed from the largest frame.
TEST_F(SpriteFiles, LoadThenSaveGivesTheFileBack)
{
    const std::string dir = scratch_dir("sprite_files_round_trip");
    for (const SpriteCase &c : cases()) {
        SCOPED_TRACE(c.file);
        anim_destroy(&anim);
        anim_init(&anim);
        const std::string source = data_path(std::string("spr/") + c.file);
        ASSERT_EQ(quake_sprite_load(source.c_str(), &anim), 1);
        // One GLQuake question per group holding a frame of odd width.
        int max_w = 0, max_h = 0;
        int questions = 0;
        for (int g = 0; g < anim.group_count; ++g) {
            bool asked = false;
            for (int k = 0; k < anim.groups[g].frame_count; ++k) {
                const int w = image_width(anim.groups[g].frames[k].image);
                max_w = std::max(max_w, w);
                max_h = std::max(max_h, image_height(anim.groups[g].frames[k].image));
                if (w % 4 && !asked) {
                    asked = true;
                    ++questions;
                }
            }
        }
        ui.clear();
        for (int q = 0; q < questions; ++q)
            ui.queue_answer(true);
        const std::string saved = dir + "/" + c.file;
        ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
        EXPECT_EQ(static_cast<int>(ui.questions().size()), questions);
        std::vector<uint8_t> want = read_bytes(source);
        const std::vector<uint8_t> got = read_bytes(saved);
        ASSERT_EQ(got.size(), want.size());
        EXPECT_EQ(le_i32(got, 16), max_w);
        EXPECT_EQ(le_i32(got, 20), max_h);
        // Only the header's width and height may differ.
        for (size_t i = 16; i < 24; ++i)
            want[i] = got[i];
        EXPECT_TRUE(got == want);
    }
}

TEST_F(SpriteFiles, HeaderSizeIsRecomputedFromTheLargestFrame)
{
    // s_invis claims 16 x 16 in its header but its only frame is 1 x 1.
    const std::string source = data_path("spr/librequake_s_invis.spr");
    const std::vector<uint8_t> original = read_bytes(source);
    ASSERT_EQ(le_i32(original, 16), 16);
    ASSERT_EQ(quake_sprite_load(source.c_str(), &anim), 1);
    ui.queue_answer(true); // width 1 is not a multiple of 4
    const std::string saved = scratch_dir("sprite_invis") + "/s_invis.spr";
    ASSERT_EQ(quake_sprite_save(saved.c_str(), &anim), 1);
    const std::vector<uint8_t> got = read_bytes(saved);
    EXPECT_EQ(le_i32(got, 16), 1);
    EXPECT_EQ(le_i32(got, 20), 1);
    EXPECT_FLOAT_EQ(le_f32(got, 12), 0.5f); // kept from "Radius", not recomputed
    EXPECT_TRUE(std::equal(got.begin() + 24, got.end(), original.begin() + 24));
}

TEST_F(SpriteFiles, DispatchReachesTheSpriteRowAndAForeignFileIsNotASprite)
{
    file_load(data_path("spr/firedguns_animfx.spr").c_str(), &anim);
    ASSERT_EQ(anim.group_count, 2);
    EXPECT_STREQ(anim.groups[0].name, "Group 0");
    anim_destroy(&anim);
    anim_init(&anim);
    // A model file named .spr: wrong magic, refused with what it is, nothing added.
    const std::string dir = scratch_dir("sprite_foreign");
    std::vector<uint8_t> model = {'I', 'D', 'P', 'O', 6, 0, 0, 0};
    model.resize(200, 0);
    write_bytes(dir + "/model.spr", model);
    EXPECT_EQ(quake_sprite_load((dir + "/model.spr").c_str(), &anim), 0);
    EXPECT_EQ(anim.group_count, 0);
    EXPECT_EQ(anim.props.count, 0);
    EXPECT_EQ(message_texts(), std::vector<std::string>{dir + "/model.spr is not a Quake sprite (it is a Quake model)"});
}

} // namespace
