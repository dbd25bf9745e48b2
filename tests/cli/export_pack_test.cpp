// The batch tool's frame pipeline: export, pack from a manifest, a folder or
// a sheet, several inputs for convert, and the round trip against convert.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "document/props.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The sanitizer build runs the tool several times slower, and `pack` of a
// folder decodes each of its images in a child process: the archives of
// more than a thousand frames took most of a five-minute budget there, so
// they are round-tripped in the normal build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr uintmax_t LARGEST_FIXTURE = 256 * 1024;
#else
constexpr uintmax_t LARGEST_FIXTURE = UINTMAX_MAX;
#endif

std::vector<uint8_t> quake_palette()
{
    return std::vector<uint8_t>(default_palette, default_palette + 1024);
}

// Palette indexes whose colour no lower entry shares, so that matching the
// colour gives the index back.
std::vector<int> unique_indexes()
{
    std::vector<int> out;
    for (int i = 1; i < 224; ++i) {
        const uint8_t *c = default_palette + i * 4;
        if (nearest_palette_index(default_palette, 256, c[0], c[1], c[2], 255) == i)
            out.push_back(i);
    }
    return out;
}

class PipelineTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("cli_pipeline");
    }

    CliResult cli(const std::string &arguments) { return run_vorn_cli(arguments, dir); }

    // Saves a one-frame image made by `make` (which fills the bound image).
    template <typename Make>
    void save_image(const std::string &path, Make make)
    {
        Animation a;
        anim_init(&a);
        Group *g = anim_add_group(&a, NO_GROUP_NAME);
        group_reset_frames(g, 1);
        anim_bind_frame(&a, 0, 0);
        make();
        ASSERT_TRUE(file_save(path.c_str(), &a)) << path;
        anim_destroy(&a);
    }

    void save_indexed(const std::string &path, int w, int h, const std::vector<uint8_t> &indexes)
    {
        save_image(path, [&] { set_indexed_pixels(w, h, indexes, quake_palette()); });
    }

    // A true-colour image whose pixels are the palette colours of `indexes`.
    void save_true_colour(const std::string &path, int w, int h, const std::vector<uint8_t> &indexes)
    {
        std::vector<uint8_t> rgba;
        for (uint8_t i : indexes) {
            rgba.insert(rgba.end(), default_palette + i * 4, default_palette + i * 4 + 3);
            rgba.push_back(255);
        }
        save_image(path, [&] { set_rgba_pixels(w, h, rgba); });
    }

    void load(const std::string &path, Animation *into)
    {
        anim_destroy(into);
        anim_init(into);
        file_load(path.c_str(), into);
    }

    std::string dir;
};

// ---------------------------------------------------------------------------
// Round trip

TEST_F(PipelineTest, ExportThenPackGivesTheBytesOfConvertForEveryFixture)
{
    int compared = 0;
    const std::pair<const char *, const char *> folders[] = {{"spr", ".spr"}, {"wad", ".wad"}, {"wad3", ".wad"}};
    for (const auto &[folder, extension] : folders) {
        std::vector<fs::path> files;
        for (const auto &entry : fs::directory_iterator(data_path(folder)))
            if (entry.path().extension() == extension && entry.file_size() <= LARGEST_FIXTURE)
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path &file : files) {
            const std::string name = file.filename().string();
            const std::string in = shell_quoted(file.string());
            const std::string converted = dir + "/c_" + name;
            if (cli("convert --yes " + in + " " + shell_quoted(converted)).status != 0) {
                // A file that converts to nothing (an archive without a
                // usable lump) exports nothing either.
                EXPECT_EQ(cli("export " + in + " " + shell_quoted(dir + "/none")).status, 1) << name;
                continue;
            }
            const std::string frames = dir + "/d_" + name;
            const CliResult exported = cli("export " + in + " " + shell_quoted(frames));
            ASSERT_EQ(exported.status, 0) << name << ": " << exported.err;
            const std::string packed = dir + "/p_" + name;
            const CliResult pack = cli("pack --yes " + shell_quoted(frames) + " " + shell_quoted(packed));
            ASSERT_EQ(pack.status, 0) << name << ": " << pack.err;
            EXPECT_EQ(read_bytes(packed), read_bytes(converted)) << name;
            ++compared;
        }
    }
    EXPECT_GE(compared, 20);
}

TEST_F(PipelineTest, RoundTripHoldsInEveryExportFormat)
{
    int n = 0;
    for (const char *fixture : {"spr/librequake_s_explod.spr", "spr/hexen2_glass.spr", "wad/librequake_gfx.wad"}) {
        ++n;
        const std::string in = shell_quoted(data_path(fixture));
        const std::string ext = fs::path(fixture).extension().string();
        ASSERT_EQ(cli("convert --yes " + in + " c" + ext).status, 0) << fixture;
        for (const char *format : {"png", "tga", "bmp", "pcx"}) {
            const std::string frames = "f" + std::to_string(n) + "_" + format;
            ASSERT_EQ(cli("export --format " + std::string(format) + " " + in + " " + frames).status, 0);
            ASSERT_EQ(cli("pack --yes " + frames + " p" + ext).status, 0) << fixture << " " << format;
            EXPECT_EQ(read_bytes(dir + "/p" + ext), read_bytes(dir + "/c" + ext)) << fixture << " " << format;
        }
    }
}

TEST_F(PipelineTest, MadeSpriteWithGroupsDurationsNegativeOriginsAndOwnPaletteRoundTrips)
{
    // A version-2 sprite with a palette of its own of 200 entries.
    std::mt19937 random(16);
    std::vector<uint8_t> palette(200 * 4);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(random());
    props_set_int(&anim.props, "Version", 2, PROPERTY_INTEGER);
    props_set_float(&anim.props, "Radius", 12.345f);
    props_set_int(&anim.props, "Orientation", 3, PROPERTY_SPRITE_TYPE);
    props_set_int(&anim.props, "Synchronous", 1, PROPERTY_BOOLEAN);
    const struct {
        const char *group;
        int frames;
        int w, h, origin_x, origin_y;
        float duration;
    } groups[] = {{"Group 0", 3, 8, 6, -5, -17, 1.0f / 3}, {"Group 1", 1, 12, 4, 40, -2, 0.1f},
                  {"Group 2", 2, 4, 9, 0, 3, 0.25f}};
    for (const auto &made : groups) {
        Group *g = anim_add_group(&anim, made.group);
        group_reset_frames(g, made.frames);
        for (int f = 0; f < made.frames; ++f) {
            Frame *frame = &g->frames[f];
            host().bind_image(frame->image);
            std::vector<uint8_t> indexes(static_cast<size_t>(made.w) * made.h);
            for (uint8_t &i : indexes)
                i = static_cast<uint8_t>(random() % 200);
            set_indexed_pixels(made.w, made.h, indexes, palette);
            props_set_int(&frame->props, "Origin X", made.origin_x - f, PROPERTY_INTEGER);
            props_set_int(&frame->props, "Origin Y", made.origin_y, PROPERTY_INTEGER);
            props_set_float(&frame->props, "Duration", made.duration * static_cast<float>(f + 1));
        }
    }
    const std::string made = dir + "/made.spr";
    ASSERT_TRUE(file_save(made.c_str(), &anim));

    ASSERT_EQ(cli("convert made.spr c.spr").status, 0);
    // PCX holds 256 palette entries whatever was written: the manifest's
    // count brings the palette of 200 back.
    for (const char *format : {"png", "tga", "bmp", "pcx"}) {
        const std::string frames = std::string("frames_") + format;
        const CliResult exported = cli("export --format " + std::string(format) + " made.spr " + frames);
        ASSERT_EQ(exported.status, 0) << exported.err;
        const CliResult packed = cli("pack " + frames + " p.spr");
        ASSERT_EQ(packed.status, 0) << packed.err;
        EXPECT_EQ(read_bytes(dir + "/p.spr"), read_bytes(dir + "/c.spr")) << format;
    }

    Animation back{};
    load(dir + "/p.spr", &back);
    ASSERT_EQ(back.group_count, 3);
    EXPECT_EQ(props_get_int(&back.props, "Version"), 2);
    EXPECT_EQ(props_get_float(&back.props, "Radius"), 12.345f);
    EXPECT_EQ(back.groups[0].frame_count, 3);
    EXPECT_EQ(props_get_float(&back.groups[0].frames[2].props, "Duration"), groups[0].duration * 3.0f);
    EXPECT_EQ(props_get_int(&back.groups[0].frames[1].props, "Origin X"), -6);
    EXPECT_EQ(props_get_int(&back.groups[0].frames[1].props, "Origin Y"), -17);
    anim_destroy(&back);
}

TEST_F(PipelineTest, TrueColourSpriteWithAlphaRoundTrips)
{
    std::mt19937 random(32);
    Group *g = anim_add_group(&anim, "Group 0");
    group_reset_frames(g, 2);
    for (int f = 0; f < 2; ++f) {
        host().bind_image(g->frames[f].image);
        std::vector<uint8_t> rgba(8 * 5 * 4);
        for (uint8_t &b : rgba)
            b = static_cast<uint8_t>(random()); // alpha included
        set_rgba_pixels(8, 5, rgba);
        props_set_int(&g->frames[f].props, "Origin X", -3 * f, PROPERTY_INTEGER);
        props_set_float(&g->frames[f].props, "Duration", 0.2f);
    }
    ASSERT_TRUE(file_save((dir + "/made.spr32").c_str(), &anim));
    ASSERT_EQ(cli("convert made.spr32 c.spr32").status, 0);
    ASSERT_EQ(cli("export made.spr32 frames").status, 0);
    ASSERT_EQ(cli("pack frames p.spr32").status, 0);
    EXPECT_EQ(read_bytes(dir + "/p.spr32"), read_bytes(dir + "/c.spr32"));
}

TEST_F(PipelineTest, ManifestListsPropertiesWithTypesAndSafeFileNames)
{
    const CliResult run = cli("export " + shell_quoted(data_path("wad/librequake_gfx.wad")) + " out");
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream in(dir + "/out/vorn.json");
    const json manifest = json::parse(in);
    file_load(data_path("wad/librequake_gfx.wad").c_str(), &anim);
    ASSERT_EQ(manifest["groups"].size(), static_cast<size_t>(anim.group_count));
    std::set<std::string> lower_names;
    size_t files = 0;
    for (int g = 0; g < anim.group_count; ++g) {
        const json &group = manifest["groups"][g];
        EXPECT_EQ(group["name"], anim.groups[g].name);
        ASSERT_EQ(group["properties"].size(), 1u);
        EXPECT_EQ(group["properties"][0]["name"], "Entry Type");
        EXPECT_EQ(group["properties"][0]["type"], PROPERTY_WAD_TYPE);
        EXPECT_EQ(group["properties"][0]["value"], props_get_int(&anim.groups[g].props, "Entry Type"));
        ASSERT_EQ(group["frames"].size(), static_cast<size_t>(anim.groups[g].frame_count));
        // The lump's name shows in its files' names, made safe.
        std::string safe;
        for (const char *p = anim.groups[g].name; *p; ++p)
            safe.push_back(std::isalnum(static_cast<unsigned char>(*p)) || *p == '-' ? *p : '_');
        for (const json &frame : group["frames"]) {
            const std::string name = frame["file"];
            EXPECT_TRUE(fs::is_regular_file(dir + "/out/" + name)) << name;
            EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-."),
                      std::string::npos)
                << name;
            std::string trimmed = safe;
            trimmed.erase(0, trimmed.find_first_not_of('_'));
            EXPECT_NE(name.find(trimmed.substr(0, trimmed.find_last_not_of('_') + 1)), std::string::npos) << name;
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            lower_names.insert(lower);
            ++files;
        }
    }
    // Distinct even on a file system that ignores case.
    EXPECT_EQ(lower_names.size(), files);
}

// ---------------------------------------------------------------------------
// Pack without a manifest

TEST_F(PipelineTest, FolderOfImagesPacksInNaturalOrderWithTheChosenOrigin)
{
    const std::vector<int> unique = unique_indexes();
    ASSERT_GE(unique.size(), 60u);
    fs::create_directories(dir + "/in");
    struct Image {
        const char *name;
        int w, h;
        bool true_colour;
        std::vector<uint8_t> indexes;
    } images[] = {{"frame10.png", 16, 6, false, {}}, {"frame2.png", 12, 8, true, {}}, {"frame1.png", 8, 4, false, {}}};
    size_t next = 0;
    for (Image &image : images) {
        for (int p = 0; p < image.w * image.h; ++p)
            image.indexes.push_back(static_cast<uint8_t>(unique[next++ % unique.size()]));
        const std::string path = dir + "/in/" + image.name;
        if (image.true_colour)
            save_true_colour(path, image.w, image.h, image.indexes);
        else
            save_indexed(path, image.w, image.h, image.indexes);
    }
    const Image *order[] = {&images[2], &images[1], &images[0]}; // frame1, frame2, frame10

    const struct {
        const char *option;
        int (*x)(int w);
        int (*y)(int h);
    } origins[] = {{"", [](int w) { return w / 2; }, [](int h) { return h / 2; }},
                   {"--origin center", [](int w) { return w / 2; }, [](int h) { return h / 2; }},
                   {"--origin bottom-center", [](int w) { return w / 2; }, [](int h) { return h; }},
                   {"--origin top-left", [](int) { return 0; }, [](int) { return 0; }}};
    for (const auto &origin : origins) {
        const CliResult run = cli("pack in out.spr " + std::string(origin.option));
        ASSERT_EQ(run.status, 0) << origin.option << ": " << run.err;
        load(dir + "/out.spr", &anim);
        ASSERT_EQ(anim.group_count, 1);
        ASSERT_EQ(anim.groups[0].frame_count, 3);
        for (int f = 0; f < 3; ++f) {
            const Frame &frame = anim.groups[0].frames[f];
            EXPECT_EQ(image_width(frame.image), order[f]->w) << f;
            EXPECT_EQ(props_get_int(&frame.props, "Origin X"), origin.x(order[f]->w)) << origin.option;
            EXPECT_EQ(props_get_int(&frame.props, "Origin Y"), origin.y(order[f]->h)) << origin.option;
        }
    }

    // Exported again, the frames hold the expected indexes.
    ASSERT_EQ(cli("export out.spr again").status, 0);
    Animation frame{};
    int f = 0;
    const json again = json::parse(std::ifstream(dir + "/again/vorn.json"));
    for (const auto &entry : again["groups"][0]["frames"]) {
        load(dir + "/again/" + entry["file"].get<std::string>(), &frame);
        ASSERT_EQ(frame.group_count, 1);
        EXPECT_EQ(raw_of(frame.groups[0].frames[0].image), order[f]->indexes) << f;
        ++f;
    }
    EXPECT_EQ(f, 3);
    anim_destroy(&frame);

    // A duration makes one timed group.
    ASSERT_EQ(cli("pack in timed.spr --duration 0.125").status, 0);
    load(dir + "/timed.spr", &anim);
    ASSERT_EQ(anim.group_count, 1);
    EXPECT_STREQ(anim.groups[0].name, "Group 0");
    ASSERT_EQ(anim.groups[0].frame_count, 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(props_get_float(&anim.groups[0].frames[k].props, "Duration"), 0.125f);
}

TEST_F(PipelineTest, SheetOfFourByTwoWithOneEmptyCellPacksIntoSevenFrames)
{
    const std::vector<int> unique = unique_indexes();
    const int cell_w = 16, cell_h = 8, columns = 4, rows = 2;
    const int w = cell_w * columns, h = cell_h * rows;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 0);
    std::vector<int> expected; // the index of each cell that is not empty, row by row
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (r == 1 && c == 2)
                continue; // wholly transparent
            const int index = unique[static_cast<size_t>(r * columns + c) * 7 % unique.size()];
            expected.push_back(index);
            for (int y = 0; y < cell_h; ++y)
                for (int x = 0; x < cell_w; ++x) {
                    // One transparent pixel per cell does not make it empty.
                    if (x == 0 && y == 0)
                        continue;
                    uint8_t *p = &rgba[((static_cast<size_t>(r) * cell_h + y) * w + c * cell_w + x) * 4];
                    std::copy(default_palette + index * 4, default_palette + index * 4 + 3, p);
                    p[3] = 255;
                }
        }
    save_image(dir + "/sheet.png", [&] { set_rgba_pixels(w, h, rgba); });

    const CliResult run = cli("pack --json --sheet 4x2 sheet.png sheet.spr");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["skipped_cells"], 1);
    load(dir + "/sheet.spr", &anim);
    ASSERT_EQ(anim.group_count, 1);
    ASSERT_EQ(anim.groups[0].frame_count, 7);
    for (int f = 0; f < 7; ++f) {
        const std::vector<uint8_t> pixels = raw_of(anim.groups[0].frames[f].image);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(cell_w * cell_h));
        EXPECT_EQ(pixels[0], 255) << f; // the transparent pixel
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), expected[f]), cell_w * cell_h - 1) << f;
    }
    // Cells given by size cut the same frames.
    ASSERT_EQ(cli("pack --cell 16x8 sheet.png cells.spr").status, 0);
    EXPECT_EQ(read_bytes(dir + "/cells.spr"), read_bytes(dir + "/sheet.spr"));
}

// ---------------------------------------------------------------------------
// Several inputs

TEST_F(PipelineTest, ConvertOfSeveralInputsAppendsTheirFramesToOneGroup)
{
    const std::vector<int> unique = unique_indexes();
    const int widths[] = {4, 8, 12};
    for (int i = 0; i < 3; ++i)
        save_indexed(dir + "/" + std::to_string(i) + ".png", widths[i], 2,
                     std::vector<uint8_t>(static_cast<size_t>(widths[i]) * 2, static_cast<uint8_t>(unique[i])));
    // The first input has two frames: both come along.
    ASSERT_EQ(cli("convert 0.png 1.png two.spr").status, 0);
    const CliResult run = cli("convert two.spr 2.png 0.png all.spr");
    ASSERT_EQ(run.status, 0) << run.err;
    load(dir + "/all.spr", &anim);
    ASSERT_EQ(anim.group_count, 1);
    ASSERT_EQ(anim.groups[0].frame_count, 4);
    const int expected[] = {4, 8, 12, 4};
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(image_width(anim.groups[0].frames[f].image), expected[f]) << f;

    const CliResult missing = cli("convert 0.png gone.png 1.png none.spr");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("gone.png"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(dir + "/none.spr"));
}

// ---------------------------------------------------------------------------
// Bad input

TEST_F(PipelineTest, BadInputIsRefusedWithTheFileNamedAndTheOutputUntouched)
{
    save_indexed(dir + "/frame.png", 4, 4, std::vector<uint8_t>(16, 7));
    ASSERT_EQ(cli("convert frame.png frame.spr").status, 0);
    const std::string pristine = dir + "/pristine";
    ASSERT_EQ(cli("export frame.spr pristine").status, 0);
    const json good = json::parse(std::ifstream(pristine + "/vorn.json"));

    const struct {
        const char *name;
        void (*spoil)(json &manifest, const std::string &folder);
        const char *message;
    } cases[] = {
        {"missing file", [](json &m, const std::string &) { m["groups"][0]["frames"][0]["file"] = "nothere.png"; },
         "nothere.png"},
        {"file outside the folder", [](json &m, const std::string &) { m["groups"][0]["frames"][0]["file"] = "../frame.png"; },
         "../frame.png"},
        {"unknown type", [](json &m, const std::string &) { m["properties"][0]["type"] = "Colour"; }, "unknown type"},
        {"value of the wrong type",
         [](json &m, const std::string &) { m["groups"][0]["frames"][0]["properties"][0]["value"] = "fast"; },
         "not a 32-bit integer"},
        {"float out of range",
         [](json &m, const std::string &) { m["properties"][0] = {{"name", "Radius"}, {"type", 1}, {"value", 1e300}}; },
         "out of a float's range"},
        {"palette count", [](json &m, const std::string &) { m["groups"][0]["frames"][0]["palette_entries"] = 0; },
         "palette_entries"},
        {"group without frames", [](json &m, const std::string &) { m["groups"][0]["frames"] = json::array(); },
         "has no frames"},
        {"no groups", [](json &m, const std::string &) { m.erase("groups"); }, "\"groups\""},
        {"not JSON", [](json &m, const std::string &) { m = nullptr; }, "not valid JSON"},
        {"not an image", [](json &m, const std::string &folder) {
             write_bytes(folder + "/" + m["groups"][0]["frames"][0]["file"].get<std::string>(), {'t', 'e', 'x', 't'});
         }, ".png"},
    };
    const std::vector<uint8_t> sentinel = {'k', 'e', 'e', 'p'};
    for (const auto &c : cases) {
        const std::string folder = dir + "/bad";
        fs::remove_all(folder);
        fs::copy(pristine, folder);
        json manifest = good;
        c.spoil(manifest, folder);
        std::ofstream(folder + "/vorn.json") << (manifest.is_null() ? std::string("{\"groups\": [") : manifest.dump());
        write_bytes(dir + "/out.spr", sentinel);
        const CliResult run = cli("pack bad out.spr");
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(read_bytes(dir + "/out.spr"), sentinel) << c.name;
    }

    // A folder without a manifest that holds something that is not an image.
    fs::create_directories(dir + "/mixed");
    fs::copy_file(dir + "/frame.png", dir + "/mixed/a.png");
    write_bytes(dir + "/mixed/notes.txt", {'h', 'i'});
    write_bytes(dir + "/out.spr", sentinel);
    CliResult run = cli("pack mixed out.spr");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("notes.txt"), std::string::npos) << run.err;
    EXPECT_EQ(read_bytes(dir + "/out.spr"), sentinel);

    // An output that cannot be written.
    run = cli("pack pristine nowhere/out.spr");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("nowhere/out.spr"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir + "/nowhere"));

    // Export refuses a folder that holds files unless forced.
    run = cli("export frame.spr mixed");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not empty"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir + "/mixed/vorn.json"));
    EXPECT_EQ(cli("export --force frame.spr mixed").status, 0);
    EXPECT_TRUE(fs::exists(dir + "/mixed/vorn.json"));
}

// ---------------------------------------------------------------------------
// Manners

TEST_F(PipelineTest, EveryCommandPrintsOneJsonObjectAndHasHelpWithAnExample)
{
    save_indexed(dir + "/frame.png", 4, 4, std::vector<uint8_t>(16, 9));
    const std::string palette = shell_quoted(data_path("palette/librequake_palette.lmp"));
    const struct {
        const char *arguments;
        const char *written;
    } runs[] = {
        {"convert --json frame.png a.spr", "a.spr"},
        {"export --json a.spr frames", "frames/vorn.json"},
        {"pack --json frames b.spr", "b.spr"},
        {"palette --json frame.png p.lmp", "p.lmp"},
    };
    for (const auto &r : runs) {
        const CliResult run = cli(r.arguments);
        ASSERT_EQ(run.status, 0) << r.arguments << ": " << run.err;
        const json out = json::parse(run.out);
        EXPECT_TRUE(out["ok"].get<bool>()) << r.arguments;
        const auto &written = out["written"];
        EXPECT_NE(std::find(written.begin(), written.end(), r.written), written.end()) << run.out;
    }
    const CliResult colormap = cli("colormap --json " + palette + " colormap.lmp");
    ASSERT_EQ(colormap.status, 0) << colormap.err;
    EXPECT_EQ(json::parse(colormap.out)["written"][0], "colormap.lmp");
    EXPECT_EQ(read_bytes(dir + "/colormap.lmp").size(), 256u * 64 + 1);

    // A failure is an object too, with the reason.
    const CliResult failed = cli("convert --json gone.png c.spr");
    EXPECT_EQ(failed.status, 1);
    const json out = json::parse(failed.out);
    EXPECT_FALSE(out["ok"].get<bool>());
    EXPECT_NE(out["error"].get<std::string>().find("gone.png"), std::string::npos);

    for (const char *command : {"info", "convert", "export", "pack", "palette", "colormap"}) {
        const CliResult help = cli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("Example"), std::string::npos) << command;
    }
    // Bad usage exits with 2.
    for (const char *bad : {"export onlyone", "pack --sheet 4 sheet.png out.spr", "pack --origin middle a b",
                            "convert --dither ordered a b", "convert --fullbrights 300 a b", "pack --cell 4x4 --sheet 2x2 a b"})
        EXPECT_EQ(cli(bad).status, 2) << bad;
}

} // namespace
