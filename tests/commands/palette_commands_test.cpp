// The palette editor's work on the document, without its widgets: reading
// the frame's palette in its four layouts, editing entries through the
// scripted colour chooser and Adjust dialog, Load and Save, OK's
// application (keeping indexes or remapping, one frame or all, one undo
// step), the Generate Colormap flow and the Edit Palette command.
#include <IL/il.h>

#include <cstring>
#include <vector>

#include "app/commands/palette_commands.h"
#include "app/logic/settings.h"
#include "commands_fixture.h"
#include "document/animation.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/colormap.h"
#include "views/logic/palette_editor_logic.h"

namespace {

// 256 distinct opaque colours: entry k is (k, 255 - k, k / 2, 255).
std::vector<uint8_t> ramp_palette()
{
    std::vector<uint8_t> p(1024);
    for (int k = 0; k < 256; ++k) {
        p[k * 4 + 0] = static_cast<uint8_t>(k);
        p[k * 4 + 1] = static_cast<uint8_t>(255 - k);
        p[k * 4 + 2] = static_cast<uint8_t>(k / 2);
        p[k * 4 + 3] = 255;
    }
    return p;
}

class PaletteCommands : public CommandsTest {
protected:
    void TearDown() override
    {
        palette_change_alpha = false;
        CommandsTest::TearDown();
    }

    // Frame `f` of group `g` becomes an indexed 4 x 2 image with `indexes`
    // and `palette` (RGBA), its palette then converted to `layout`.
    static void make_indexed(int g, int f, const std::vector<uint8_t> &indexes, const std::vector<uint8_t> &palette,
                             PaletteTypeCode layout = IMAGE_RGBA)
    {
        anim_bind_frame(&doc().animation, g, f);
        set_indexed_pixels(4, 2, indexes, palette);
        host().convert_palette(layout);
    }
    static void bind(int g, int f) { anim_bind_frame(&doc().animation, g, f); }
    static std::vector<uint8_t> pixels_of(int g, int f)
    {
        bind(g, f);
        const uint8_t *data = host().get_data();
        return std::vector<uint8_t>(data, data + host().width() * host().height());
    }
    static std::vector<uint8_t> rgba_palette_of(int g, int f)
    {
        bind(g, f);
        const int n = host().palette_size();
        const ILint type = ilGetInteger(IL_PALETTE_TYPE);
        ilConvertPal(IL_PAL_RGBA32);
        std::vector<uint8_t> p(host().get_palette(), host().get_palette() + n * 4);
        host().bind_image(doc().animation.groups[g].frames[f].image);
        ilConvertPal(static_cast<ILenum>(type));
        return p;
    }
};

const std::vector<uint8_t> INDEXES = {0, 7, 7, 3, 255, 1, 7, 200};

TEST_F(PaletteCommands, OpeningReadsTheFramePaletteInEachLayout)
{
    struct Case {
        PaletteTypeCode layout;
        bool alpha_kept;
    } cases[] = {{IMAGE_RGB, false}, {IMAGE_BGR, false}, {IMAGE_RGBA, true}, {IMAGE_BGRA, true}};
    add_group("g", 1);
    std::vector<uint8_t> palette = ramp_palette();
    palette[5 * 4 + 3] = 77;
    for (const Case &c : cases) {
        make_indexed(0, 0, INDEXES, palette, c.layout);
        PaletteGridState grid;
        palette_editor_open(grid);
        ASSERT_EQ(256, grid.count) << c.layout;
        EXPECT_EQ(0, grid.selected);
        for (int k : {0, 5, 200, 255}) {
            EXPECT_EQ(palette[k * 4 + 0], grid.colors[k * 4 + 0]) << c.layout << " " << k;
            EXPECT_EQ(palette[k * 4 + 1], grid.colors[k * 4 + 1]) << c.layout << " " << k;
            EXPECT_EQ(palette[k * 4 + 2], grid.colors[k * 4 + 2]) << c.layout << " " << k;
            EXPECT_EQ(c.alpha_kept ? palette[k * 4 + 3] : 0, grid.colors[k * 4 + 3]) << c.layout << " " << k;
        }
        EXPECT_EQ("Palette Index: 0", palette_index_label(grid));
        EXPECT_EQ(c.alpha_kept ? "R: 0 G: 255 B: 0 A: 255" : "R: 0 G: 255 B: 0 A: 0", palette_color_label(grid));
    }
    EXPECT_TRUE(message_texts().empty());
}

TEST_F(PaletteCommands, OpeningWithoutAPaletteOrADocument)
{
    PaletteGridState none;
    palette_editor_open(none);
    EXPECT_EQ(0, none.count);
    EXPECT_EQ("Palette Index: X", palette_index_label(none));
    EXPECT_TRUE(message_texts().empty());

    add_group("g", 1); // an RGBA frame
    PaletteGridState grid;
    palette_editor_open(grid);
    EXPECT_EQ(0, grid.count);
    EXPECT_EQ(0, grid.selected);
    EXPECT_EQ((std::vector<std::string>{PALETTE_NOT_PALETTED_MESSAGE}), message_texts());
}

TEST_F(PaletteCommands, APaletteOfMoreThan256ColoursIsCutTo256WithAWarning)
{
    add_group("g", 1);
    make_indexed(0, 0, INDEXES, ramp_palette());
    std::vector<uint8_t> big(300 * 4, 0);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i / 4);
    ilRegisterPal(big.data(), static_cast<ILuint>(big.size()), IL_PAL_RGBA32);
    ASSERT_EQ(300, host().palette_size());
    PaletteGridState grid;
    palette_editor_open(grid);
    EXPECT_EQ(256, grid.count);
    EXPECT_EQ(255, grid.colors[255 * 4]);
    EXPECT_EQ((std::vector<std::string>{PALETTE_TOO_MANY_COLORS_MESSAGE}), message_texts());
}

TEST_F(PaletteCommands, MaintainIndexesKeepsEveryIndexAndTheThreeByteLayout)
{
    add_group("g", 1);
    make_indexed(0, 0, INDEXES, ramp_palette(), IMAGE_RGB);
    settle();
    PaletteGridState grid;
    palette_editor_open(grid);
    ASSERT_EQ(256, grid.count);
    // The working palette in reverse order: remapping would renumber every pixel.
    const std::vector<uint8_t> ramp = ramp_palette();
    for (int k = 0; k < 256; ++k)
        std::memcpy(grid.colors + k * 4, ramp.data() + (255 - k) * 4, 4);
    palette_editor_apply(grid, true, false);

    EXPECT_EQ(INDEXES, pixels_of(0, 0));
    bind(0, 0);
    EXPECT_EQ(IL_PAL_RGB24, ilGetInteger(IL_PALETTE_TYPE));
    EXPECT_EQ(256, host().palette_size());
    const std::vector<uint8_t> p = rgba_palette_of(0, 0);
    EXPECT_EQ(248, p[7 * 4 + 0]);
    EXPECT_EQ(7, p[7 * 4 + 1]);
    EXPECT_EQ(1, doc().modified);
    EXPECT_EQ(1, doc().undo_available);
}

TEST_F(PaletteCommands, RemappingMovesIndexSevenToTheFirstEntryOfItsColour)
{
    add_group("g", 1);
    std::vector<uint8_t> palette = ramp_palette();
    make_indexed(0, 0, INDEXES, palette);
    PaletteGridState grid;
    palette_editor_open(grid);
    // The working palette holds frame colour 7 first at entry 3 (and again at 7).
    std::memcpy(grid.colors + 3 * 4, palette.data() + 7 * 4, 4);
    std::memcpy(grid.colors + 0 * 4, palette.data() + 3 * 4, 4);
    palette_editor_apply(grid, false, false);

    const std::vector<uint8_t> pixels = pixels_of(0, 0);
    ASSERT_EQ(INDEXES.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int expected = INDEXES[i] == 7 ? 3 : INDEXES[i] == 3 ? 0 : INDEXES[i];
        // Colour 0 has no exact match left; its nearest is not the point here.
        if (INDEXES[i] != 0) {
            EXPECT_EQ(expected, pixels[i]) << i;
        }
    }
    const std::vector<uint8_t> p = rgba_palette_of(0, 0);
    ASSERT_EQ(1024u, p.size());
    EXPECT_EQ(0, std::memcmp(p.data(), grid.colors, 1024));
}

TEST_F(PaletteCommands, ApplyToAllFramesSkipsFramesWithoutAPaletteAndOneUndoRestoresAll)
{
    add_group("a", 2);
    add_group("b", 2);
    const std::vector<uint8_t> palette = ramp_palette();
    make_indexed(0, 0, INDEXES, palette, IMAGE_BGR);
    make_indexed(1, 1, INDEXES, palette);
    // Frames (0, 1) and (1, 0) stay RGBA.
    bind(0, 1);
    const std::vector<uint8_t> rgba_before = rgba_of(doc().animation.groups[0].frames[1].image);
    doc().current_group = 1;
    doc().current_frame = 0; // the current frame has no palette
    settle();

    PaletteGridState grid;
    palette_editor_open(grid);
    EXPECT_EQ(0, grid.count);
    ui.clear();
    std::memcpy(grid.colors, palette.data(), 1024);
    for (int k = 0; k < 256; ++k)
        grid.colors[k * 4] = 42;
    grid.count = 256;
    palette_editor_apply(grid, true, true);

    for (auto [g, f] : {std::pair{0, 0}, std::pair{1, 1}}) {
        EXPECT_EQ(INDEXES, pixels_of(g, f)) << g << f;
        EXPECT_EQ(42, rgba_palette_of(g, f)[7 * 4]) << g << f;
    }
    bind(0, 0);
    EXPECT_EQ(IL_PAL_BGR24, ilGetInteger(IL_PALETTE_TYPE));
    bind(0, 1);
    EXPECT_EQ(IL_RGBA, ilGetInteger(IL_IMAGE_FORMAT));
    EXPECT_EQ(rgba_before, rgba_of(doc().animation.groups[0].frames[1].image));

    doc_undo();
    for (auto [g, f] : {std::pair{0, 0}, std::pair{1, 1}}) {
        EXPECT_EQ(INDEXES, pixels_of(g, f)) << g << f;
        EXPECT_EQ(7, rgba_palette_of(g, f)[7 * 4]) << "undone " << g << f;
    }
}

TEST_F(PaletteCommands, AnEmptyWorkingPaletteIsGivenToNoFrame)
{
    add_group("g", 1);
    make_indexed(0, 0, INDEXES, ramp_palette());
    settle();
    PaletteGridState grid; // count 0
    palette_editor_apply(grid, true, true);
    palette_editor_apply(grid, false, false);
    bind(0, 0);
    EXPECT_EQ(256, host().palette_size());
    EXPECT_EQ(INDEXES, pixels_of(0, 0));
    EXPECT_EQ(0, doc().modified);
}

TEST_F(PaletteCommands, DoubleClickEditsTheColourOrTheAlphaOfTheWorkingPaletteOnly)
{
    add_group("g", 1);
    make_indexed(0, 0, INDEXES, ramp_palette());
    settle();
    PaletteGridState grid;
    palette_editor_open(grid);

    ui.queue_color(0x00332211u);
    ASSERT_TRUE(palette_editor_edit_entry(grid, 18, settings().custom_colors));
    EXPECT_EQ(18, grid.selected);
    EXPECT_EQ((std::vector<uint32_t>{18u | 237u << 8 | 9u << 16}), ui.color_requests());
    EXPECT_EQ(0x11, grid.colors[18 * 4 + 0]);
    EXPECT_EQ(0x22, grid.colors[18 * 4 + 1]);
    EXPECT_EQ(0x33, grid.colors[18 * 4 + 2]);
    EXPECT_EQ(255, grid.colors[18 * 4 + 3]);
    // The document waits for OK.
    EXPECT_EQ(0, doc().modified);
    EXPECT_EQ(0, doc().undo_available);

    ui.queue_color(std::nullopt); // cancelled: unchanged
    ASSERT_TRUE(palette_editor_edit_entry(grid, 18, settings().custom_colors));
    EXPECT_EQ(0x11, grid.colors[18 * 4 + 0]);

    palette_change_alpha = true;
    ui.queue_adjust_value(300); // the low byte is stored
    ASSERT_TRUE(palette_editor_edit_entry(grid, 4, settings().custom_colors));
    ASSERT_EQ(1u, ui.adjust_requests().size());
    const ScriptedPlatform::AdjustRequest r = ui.adjust_requests()[0];
    EXPECT_EQ("Alpha", r.title);
    EXPECT_EQ(0, r.minimum);
    EXPECT_EQ(255, r.maximum);
    EXPECT_EQ(1, r.scale);
    EXPECT_EQ(255, r.initial);
    EXPECT_EQ(300 & 0xFF, grid.colors[4 * 4 + 3]);
    EXPECT_EQ(4, grid.colors[4 * 4 + 0]);

    // The strip outside the cells edits nothing.
    EXPECT_FALSE(palette_editor_edit_entry(grid, 256, settings().custom_colors));
    EXPECT_EQ(1u, ui.adjust_requests().size());
    // Nothing reached the frame.
    EXPECT_EQ(18, rgba_palette_of(0, 0)[18 * 4]);
}

TEST_F(PaletteCommands, LoadAndSaveGoThroughThePaletteDispatchAndRememberTheirNames)
{
    const std::string folder = scratch_dir("palette_files");
    const std::string lmp = data_path("palette/librequake_palette.lmp");
    PaletteGridState grid;
    grid.count = 3;
    grid.selected = 2;
    grid.labels_shown = true;

    ui.queue_file(lmp);
    ASSERT_TRUE(palette_editor_load(grid));
    EXPECT_EQ(256, grid.count);
    EXPECT_EQ(2, grid.selected);
    const std::vector<uint8_t> bytes = read_bytes(lmp);
    EXPECT_EQ(bytes[9], grid.colors[12]);

    // A file no palette reader takes leaves the palette as it was.
    const std::string junk = folder + "/junk.lmp";
    write_bytes(junk, {1, 2, 3});
    grid.colors[12] = 99;
    ui.queue_file(junk);
    EXPECT_FALSE(palette_editor_load(grid));
    EXPECT_EQ(256, grid.count);
    EXPECT_EQ(99, grid.colors[12]);
    EXPECT_FALSE(message_texts().empty());

    ui.queue_file("");
    EXPECT_FALSE(palette_editor_load(grid)); // cancelled

    const std::string saved = folder + "/saved.lmp";
    ui.queue_file(saved);
    palette_editor_save(grid);
    uint8_t back[1024] = {};
    EXPECT_EQ(256, palette_file_load(saved.c_str(), back));
    EXPECT_EQ(99, back[12]);
    ui.queue_file("");
    palette_editor_save(grid);

    const std::vector<std::string> names = ui.dialog_initial_names();
    ASSERT_EQ(5u, names.size());
    // Each dialog opens on its own last name, empty the first time.
    EXPECT_EQ((std::vector<std::string>{"", lmp, junk, "", saved}), names);
    const std::vector<std::string> filters = ui.dialog_filters();
    ASSERT_EQ(5u, filters.size());
    EXPECT_EQ(build_file_filter(FILE_OP_LOAD_PALETTE), filters[0]);
    EXPECT_EQ(build_file_filter(FILE_OP_SAVE_PALETTE), filters[3]);
}

TEST(ColormapDialog, TheFullbrightCountMustLieInZeroTo256)
{
    ScriptedPlatform ui;
    set_backends(&ui);
    struct Case {
        const char *fullbrights, *range;
        bool accepted;
        int32_t expected_fullbrights;
        float expected_range;
    } cases[] = {
        {"32", "2", true, 32, 2.0f},   {"256", "1.5", true, 256, 1.5f}, {"0", "x", true, 0, 0.0f},
        {"abc", "2", true, 0, 2.0f},   {"  12", "2", true, 12, 2.0f},  {"257", "2", false, 0, 0},
        {"-1", "2", false, 0, 0},
    };
    size_t warnings = 0;
    for (const Case &c : cases) {
        int32_t f = -5;
        float r = -5.0f;
        EXPECT_EQ(c.accepted, colormap_dialog_accept(c.fullbrights, c.range, f, r)) << c.fullbrights;
        if (c.accepted) {
            EXPECT_EQ(c.expected_fullbrights, f) << c.fullbrights;
            EXPECT_FLOAT_EQ(c.expected_range, r) << c.fullbrights;
        } else {
            ++warnings;
            ASSERT_EQ(warnings, ui.messages().size());
            EXPECT_EQ(COLORMAP_FULLBRIGHTS_MESSAGE, ui.messages().back().text);
            EXPECT_EQ(-5, f);
        }
    }
    EXPECT_EQ(2u, warnings);
    set_backends(nullptr);
}

TEST_F(PaletteCommands, GenerateColormapWritesWhatTheGeneratorMakes)
{
    const std::string folder = scratch_dir("colormap_flow");
    const std::vector<uint8_t> palette = ramp_palette();
    struct Case {
        int32_t fullbrights;
        float range;
    } cases[] = {{32, 2.0f}, {0, 1.0f}, {256, 2.0f}};
    int n = 0;
    for (const Case &c : cases) {
        const std::string path = folder + "/colormap" + std::to_string(n++) + ".lmp";
        ui.queue_colormap_parameters(std::pair{c.fullbrights, c.range});
        ui.queue_file(path);
        ASSERT_TRUE(palette_editor_generate_colormap(palette.data()));
        EXPECT_EQ(generate_colormap(palette.data(), c.fullbrights, c.range), read_bytes(path)) << path;
    }
    const std::vector<std::string> filters = ui.dialog_filters();
    ASSERT_FALSE(filters.empty());
    EXPECT_EQ(0, filters[0].compare(0, 13, std::string("colormap.lmp\0", 13)));
    // The second dialog opens on the name chosen in the first.
    EXPECT_EQ(folder + "/colormap0.lmp", ui.dialog_initial_names()[1]);

    // Cancelled parameters: no save dialog, no file.
    ui.queue_colormap_parameters(std::nullopt);
    EXPECT_FALSE(palette_editor_generate_colormap(palette.data()));
    EXPECT_EQ(3u, ui.dialog_filters().size());
    // Cancelled save dialog.
    ui.queue_colormap_parameters(std::pair{32, 2.0f});
    ui.queue_file("");
    EXPECT_FALSE(palette_editor_generate_colormap(palette.data()));
    EXPECT_TRUE(message_texts().empty());

    // A file that cannot be created: reported with its name, nothing else.
    const std::string bad = folder + "/no/such/folder/colormap.lmp";
    ui.queue_colormap_parameters(std::pair{32, 2.0f});
    ui.queue_file(bad);
    EXPECT_FALSE(palette_editor_generate_colormap(palette.data()));
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_NE(std::string::npos, ui.messages()[0].text.find(bad)) << ui.messages()[0].text;
    EXPECT_NE(std::string::npos, ui.messages()[0].text.find("No such file")) << ui.messages()[0].text;
    EXPECT_EQ(MessageIcon::Warning, ui.messages()[0].icon);
}

TEST_F(PaletteCommands, EditPaletteRunsTheEditorWithoutADocument)
{
    bool ran = false;
    ui.queue_palette_session([&ran] { ran = true; });
    image_edit_palette(window);
    EXPECT_TRUE(ran);
    EXPECT_EQ(1, ui.palette_editor_sessions());
    EXPECT_EQ(0, doc().modified);
}

TEST_F(PaletteCommands, EditPaletteEndsBySayingWhichColormapItWrote)
{
    const std::string path = scratch_dir("colormap_status") + "/colormap.lmp";
    const std::vector<uint8_t> palette = ramp_palette();
    ui.queue_palette_session([&] {
        ui.queue_colormap_parameters(std::pair{32, 2.0f});
        ui.queue_file(path);
        palette_editor_generate_colormap(palette.data());
    });
    image_edit_palette(window);
    ASSERT_FALSE(ui.statuses().empty());
    EXPECT_EQ("Colormap written to " + path, ui.statuses().back());

    // The next session writes nothing, and says nothing of it.
    ui.queue_palette_session([] {});
    image_edit_palette(window);
    size_t mentions = 0;
    for (const std::string &status : ui.statuses())
        mentions += status.find("Colormap written") != std::string::npos;
    EXPECT_EQ(2u, mentions) << "once when written, once when the editor closed";
}

} // namespace
