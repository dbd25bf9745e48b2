// File > Export: the current group as a sprite sheet or an animated GIF, on
// the scripted back-end.
#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

#include "app/commands/file_commands.h"
#include "commands_fixture.h"
#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"

namespace {

using ExportCommands = CommandsTest;

TEST_F(ExportCommands, SheetAndGifHoldTheCurrentGroupAndLeaveTheDocumentAlone)
{
    add_group("torch", 2);
    Group *flame = add_group("flame", 3); // frames 1x2, 2x2, 3x2
    for (int f = 0; f < 3; ++f)
        props_set_float(&flame->frames[f].props, "Duration", 0.2f * static_cast<float>(f + 1));
    doc().current_group = 1;
    std::snprintf(doc().file_name, sizeof doc().file_name, "%s", "/somewhere/torch.spr");
    doc_begin_edit(1); // an unsaved change
    const std::string dir = scratch_dir("export_commands");

    ui.queue_file(dir + "/sheet"); // no extension: PNG
    file_export_sprite_sheet(window);
    EXPECT_EQ(std::vector<std::string>{"/somewhere/torch_1.png"}, ui.dialog_initial_names());
    const nlohmann::json description = nlohmann::json::parse(std::ifstream(dir + "/sheet.json"));
    EXPECT_EQ("flame", description["group"]["name"]);
    ASSERT_EQ(3u, description["frames"].size()) << ui.transcript();
    EXPECT_EQ(0.6f, description["frames"][2]["duration"].get<float>());
    Animation read;
    anim_init(&read);
    file_load((dir + "/sheet.png").c_str(), &read);
    ASSERT_EQ(1, read.group_count) << ui.transcript();
    EXPECT_EQ(6, image_width(read.groups[0].frames[0].image)); // 2 x 2 cells of 3 x 2
    EXPECT_EQ(4, image_height(read.groups[0].frames[0].image));

    ui.queue_file(dir + "/flame.gif");
    file_export_gif(window);
    anim_destroy(&read);
    file_load((dir + "/flame.gif").c_str(), &read);
    ASSERT_EQ(1, read.group_count) << ui.transcript();
    ASSERT_EQ(3, read.groups[0].frame_count);
    EXPECT_NEAR(0.4f, props_get_float(&read.groups[0].frames[1].props, "Duration"), 1e-4);
    anim_destroy(&read);

    EXPECT_STREQ("/somewhere/torch.spr", doc().file_name);
    EXPECT_TRUE(doc().modified);
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();

    // A file that cannot be written is told, named; a cancelled dialog
    // says nothing.
    ui.queue_file(dir + "/missing/sheet.png");
    file_export_sprite_sheet(window);
    ASSERT_EQ(1u, ui.messages().size()) << ui.transcript();
    EXPECT_NE(std::string::npos, ui.messages()[0].text.find(dir + "/missing/sheet.png")) << ui.transcript();
    ui.queue_file("");
    file_export_gif(window);
    EXPECT_EQ(1u, ui.messages().size()) << ui.transcript();
}

} // namespace
