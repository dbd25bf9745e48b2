// Version 2 sprites in the Half-Life layout: a texture format after the
// type, and a palette of 256 entries.
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/sprite.h"
#include "support/test_support.h"

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void putf(std::vector<uint8_t> &out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    put32(out, v);
}

// Two single frames of 8 x 4 and 4 x 2 pixels, texture format 3.
std::vector<uint8_t> half_life_sprite()
{
    std::vector<uint8_t> out = {'I', 'D', 'S', 'P'};
    put32(out, 2);  // version
    put32(out, 2);  // type: oriented
    put32(out, 3);  // texture format: index alpha
    putf(out, 5.5f); // radius
    put32(out, 8);
    put32(out, 4);
    put32(out, 2);   // frames
    putf(out, 0.0f); // beam length
    put32(out, 1);   // sync type
    out.push_back(0);
    out.push_back(1); // 256 colours
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
    const int sizes[2][2] = {{8, 4}, {4, 2}};
    for (int f = 0; f < 2; ++f) {
        put32(out, 0); // single frame
        put32(out, static_cast<uint32_t>(-(sizes[f][0] / 2)));
        put32(out, static_cast<uint32_t>(sizes[f][1] / 2));
        put32(out, static_cast<uint32_t>(sizes[f][0]));
        put32(out, static_cast<uint32_t>(sizes[f][1]));
        for (int p = 0; p < sizes[f][0] * sizes[f][1]; ++p)
            out.push_back(static_cast<uint8_t>(p * 13 + f * 100));
    }
    return out;
}

using HalfLifeSprite = CoreTest;

TEST_F(HalfLifeSprite, LoadsWithItsTextureFormatAndSavesBackByteForByte)
{
    const std::string dir = scratch_dir("half_life");
    const std::string path = dir + "/hl.spr";
    const std::vector<uint8_t> file = half_life_sprite();
    write_bytes(path, file);
    file_load(path.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1) << ui.transcript();
    EXPECT_EQ(props_get_int(&anim.props, "Texture Format"), 3);
    EXPECT_EQ(props_get_int(&anim.props, "Version"), 2);
    EXPECT_FLOAT_EQ(props_get_float(&anim.props, "Radius"), 5.5f);
    ASSERT_EQ(anim.groups[0].frame_count, 2);
    EXPECT_EQ(image_width(anim.groups[0].frames[0].image), 8);
    EXPECT_EQ(image_height(anim.groups[0].frames[1].image), 2);
    EXPECT_EQ(props_get_int(&anim.groups[0].frames[0].props, "Origin X"), 4);
    host().bind_image(anim.groups[0].frames[0].image);
    EXPECT_EQ(host().palette_size(), 256);
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();

    const std::string saved = dir + "/saved.spr";
    ASSERT_EQ(file_save(saved.c_str(), &anim), 1) << ui.transcript();
    EXPECT_EQ(read_bytes(saved), file);
}

TEST_F(HalfLifeSprite, ATextureFormatWritesTheLayoutWithAFullPalette)
{
    // A version 1 document given a texture format is written in the
    // Half-Life layout: 40-byte header, 256 palette entries.
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    set_indexed_pixels(4, 2, {0, 1, 2, 3, 4, 5, 6, 7},
                       std::vector<uint8_t>(default_palette, default_palette + 1024));
    props_set_int(&anim.props, "Texture Format", 1, PROPERTY_INTEGER);
    const std::string path = scratch_dir("half_life_made") + "/made.spr";
    ASSERT_EQ(file_save(path.c_str(), &anim), 1) << ui.transcript();
    const std::vector<uint8_t> bytes = read_bytes(path);
    ASSERT_GE(bytes.size(), 42u + 768u);
    EXPECT_EQ(bytes[4], 2);   // version 2
    EXPECT_EQ(bytes[12], 1);  // texture format
    EXPECT_EQ(bytes[40], 0);  // 256 colours, little-endian
    EXPECT_EQ(bytes[41], 1);
    EXPECT_EQ(bytes.size(), 42u + 768u + 4 + 16 + 8);

    Animation loaded;
    anim_init(&loaded);
    file_load(path.c_str(), &loaded);
    ASSERT_EQ(loaded.group_count, 1) << ui.transcript();
    EXPECT_EQ(props_get_int(&loaded.props, "Texture Format"), 1);
    EXPECT_EQ(raw_of(loaded.groups[0].frames[0].image), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    anim_destroy(&loaded);
}

TEST_F(HalfLifeSprite, TheBatchToolWritesTheLayoutOnRequest)
{
    const std::string dir = scratch_dir("half_life_cli");
    const std::string out = dir + "/hl.spr";
    const std::string command = std::string(VORN_CLI_PATH) + " convert '" + VORN_SOURCE_DIR + "/resources/sample.spr' '" +
                                out + "' --half-life-sprite 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> bytes = read_bytes(out);
    ASSERT_GE(bytes.size(), 42u);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[40] | bytes[41] << 8, 256);
    file_load(out.c_str(), &anim);
    ASSERT_EQ(anim.group_count, 1) << ui.transcript();
    EXPECT_EQ(anim.groups[0].frame_count, 6);
    EXPECT_NE(props_find(&anim.props, "Texture Format"), 0);
}

TEST_F(HalfLifeSprite, DarkPlacesLoadsWhatWeWrite)
{
    const char *engine = "/usr/games/darkplaces-server";
    if (access(engine, X_OK) != 0)
        GTEST_SKIP() << engine << " is not installed (scripts/deps installs darkplaces-server)";
    const std::string base = scratch_dir("darkplaces");
    std::filesystem::create_directories(base + "/id1/progs");
    const std::string sample = std::string(VORN_SOURCE_DIR) + "/resources/sample.spr";
    // Version 1, the Half-Life layout of version 2, and version 32.
    const std::vector<std::pair<std::string, std::string>> writes = {
        {"v1.spr", ""}, {"hl.spr", "--half-life-sprite"}, {"t32.spr32", ""}};
    for (const auto &[name, option] : writes) {
        const std::string command = std::string(VORN_CLI_PATH) + " convert '" + sample + "' '" + base + "/id1/progs/" +
                                    name + "' " + option + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << name;
    }
    std::filesystem::copy_file(base + "/id1/progs/t32.spr32", base + "/id1/progs/t32.spr");
    for (const char *name : {"v1.spr", "hl.spr", "t32.spr"}) {
        const std::string command = std::string("cd '") + base + "' && timeout 60 " + engine + " -basedir '" + base +
                                    "' -nohome +modelprecache progs/" + name + " +quit >engine.txt 2>&1";
        const int status = std::system(command.c_str());
        const std::vector<uint8_t> said = read_bytes(base + "/engine.txt");
        const std::string text(said.begin(), said.end());
        EXPECT_EQ(status, 0) << name << ": " << text;
        EXPECT_EQ(text.find("Error"), std::string::npos) << name << ": " << text;
    }
}

} // namespace
