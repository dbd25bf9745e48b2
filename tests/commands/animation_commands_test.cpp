// The Animation menu's property commands and the frame import, replace and
// export commands, on the scripted back-end.
#include <cstdio>
#include <functional>

#include "app/commands/animation_commands.h"
#include "app/commands/edit_commands.h"
#include "app/commands/file_commands.h"
#include "app/commands/groups_commands.h"
#include "app/commands/image_commands.h"
#include "commands_fixture.h"
#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"

namespace {

using AnimationCommands = CommandsTest;
using Names = std::vector<std::string>;

Names names_of(const PropertyList &list)
{
    Names names;
    for (int i = 0; i < list.count; ++i)
        names.push_back(list.records[i].name);
    return names;
}

TEST_F(AnimationCommands, FramePropertiesIsTitledByGroupAndFramePositionAndIsOneUndoStep)
{
    add_group("torch", 3);
    doc().current_frame = 1;
    settle();
    ui.queue_property_edit([](PropertyList *list) { props_set_int(list, "Origin X", 12, PROPERTY_INTEGER); });
    frame_properties(window);
    EXPECT_EQ(Names{"\"torch\" Frame 2 Properties"}, ui.property_editor_titles());
    EXPECT_EQ(12, props_get_int(&doc().animation.groups[0].frames[1].props, "Origin X"));
    EXPECT_EQ(0, props_find(&doc().animation.groups[0].frames[0].props, "Origin X"));
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(0, props_find(&doc().animation.groups[0].frames[1].props, "Origin X"));
}

// Looking is not editing: a dialog left alone, or confirmed on what the
// document already holds, takes no undo step and leaves no modified mark.
TEST_F(AnimationCommands, DialogsThatChangeNothingLeaveNoMarkAndNoUndoStep)
{
    add_group("torch", 2);
    props_set_int(&doc().animation.groups[0].frames[0].props, "Origin X", 4, PROPERTY_INTEGER);
    settle();
    ResizeChoice same_size;
    same_size.percent_mode = true;
    same_size.whole_group = true;
    struct Case {
        const char *what;
        std::function<void()> user;
        void (*command)(CommandHost &);
    };
    const Case cases[] = {
        {"File Properties left alone", [&] { ui.queue_property_edit(nullptr); }, file_properties},
        {"Group Properties left alone", [&] { ui.queue_property_edit(nullptr); }, group_properties},
        {"Frame Properties left alone", [&] { ui.queue_property_edit(nullptr); }, frame_properties},
        {"Frame Properties, the same origin typed again",
         [&] {
             ui.queue_property_edit([](PropertyList *l) { props_set_int(l, "Origin X", 4, PROPERTY_INTEGER); });
         },
         frame_properties},
        {"Rename to the same name", [&] { ui.queue_group_name("torch"); }, group_rename},
        {"Resize to the same sizes", [&] { ui.queue_resize_choice(same_size); }, image_resize},
    };
    for (const Case &c : cases) {
        c.user();
        c.command(window);
        EXPECT_FALSE(doc().modified) << c.what;
        EXPECT_FALSE(doc().undo_available) << c.what;
    }
    // The dialogs did open: nothing was skipped before them.
    EXPECT_EQ(4u, ui.property_editor_titles().size());
    EXPECT_EQ(1u, ui.group_name_prompts().size());
    EXPECT_EQ(4, props_get_int(&doc().animation.groups[0].frames[0].props, "Origin X"));
    EXPECT_STREQ("torch", doc().animation.groups[0].name);
}

TEST_F(AnimationCommands, ToRestOfGroupLeavesEveryFrameWithExactlyTheCurrentFramesList)
{
    Group *g = add_group("torch", 4);
    for (int j = 0; j < 4; ++j)
        props_set_int(&g->frames[j].props, "Origin X", j, PROPERTY_INTEGER);
    props_set_float(&g->frames[3].props, "Only Here", 2.0f);
    props_set_string(&g->frames[0].props, "Note", "first");
    props_set_float(&g->frames[1].props, "Duration", 0.25f);
    add_group("other", 2);
    props_set_int(&doc().animation.groups[1].frames[0].props, "Origin X", 99, PROPERTY_INTEGER);
    doc().current_frame = 1;
    settle();
    frame_propagate_to_group(window);
    const Group &torch = doc().animation.groups[0];
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ((Names{"Origin X", "Duration"}), names_of(torch.frames[j].props)) << j;
        EXPECT_EQ(1, props_get_int(&torch.frames[j].props, "Origin X")) << j;
        EXPECT_FLOAT_EQ(0.25f, props_get_float(&torch.frames[j].props, "Duration")) << j;
    }
    EXPECT_EQ(99, props_get_int(&doc().animation.groups[1].frames[0].props, "Origin X"));
    edit_undo(window);
    EXPECT_EQ(2.0f, props_get_float(&doc().animation.groups[0].frames[3].props, "Only Here"));
}

TEST_F(AnimationCommands, ToEntireAnimationReachesEveryFrameOfEveryGroup)
{
    add_group("a", 2);
    add_group("b", 3);
    add_group("empty", 0);
    doc().current_group = 1;
    doc().current_frame = 2;
    props_set_string(&doc().animation.groups[1].frames[2].props, "Note", "x");
    props_set_int(&doc().animation.groups[0].frames[0].props, "Origin Y", 4, PROPERTY_INTEGER);
    settle();
    frame_propagate_to_animation(window);
    for (int g = 0; g < 2; ++g)
        for (int f = 0; f < doc().animation.groups[g].frame_count; ++f) {
            const PropertyList &props = doc().animation.groups[g].frames[f].props;
            EXPECT_EQ(Names{"Note"}, names_of(props)) << g << "/" << f;
            EXPECT_STREQ("x", props_get_string(&props, "Note"));
        }
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(AnimationCommands, ImportAndReplaceTakesTheImageAndKeepsTheFramesProperties)
{
    Group *g = add_group("torch", 2);
    props_set_int(&g->frames[1].props, "Origin X", 12, PROPERTY_INTEGER);
    doc().current_frame = 1;
    settle();
    ui.queue_file(data_path("spr/librequake_s_light.spr")); // 32 pixels wide
    frame_import_replace(window);
    const Frame &frame = doc().animation.groups[0].frames[1];
    EXPECT_EQ(32, image_width(frame.image));
    EXPECT_EQ(Names{"Origin X"}, names_of(frame.props));
    EXPECT_EQ(12, props_get_int(&frame.props, "Origin X"));
    EXPECT_EQ(2, doc().animation.groups[0].frame_count);
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(2, image_width(doc().animation.groups[0].frames[1].image));
}

TEST_F(AnimationCommands, ImportAndReplaceCancelledOrUnreadableTakesNoSnapshot)
{
    add_group("torch", 1);
    settle();
    const std::string junk = scratch_dir("replace_junk") + "/junk.spr";
    write_bytes(junk, {'I', 'D', 'S', 'P', 1, 2});
    ui.queue_file("");
    frame_import_replace(window);
    ui.queue_file(junk);
    frame_import_replace(window);
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
    EXPECT_EQ(1, image_width(doc().animation.groups[0].frames[0].image));
}

TEST_F(AnimationCommands, ExportFrameWritesTheImageOnlyAndLeavesTheDocumentAlone)
{
    Group *g = add_group("torch", 4); // frame 3 is 4 pixels wide, as sprites want
    props_set_int(&g->frames[3].props, "Origin X", 12, PROPERTY_INTEGER);
    props_set_int(&g->frames[3].props, "Origin Y", 5, PROPERTY_INTEGER);
    doc().current_frame = 3;
    std::snprintf(doc().file_name, sizeof doc().file_name, "%s", "/somewhere/torch.spr");
    doc_begin_edit(1); // an unsaved change
    const std::string target = scratch_dir("export_frame") + "/frame.spr";
    ui.queue_file(target);
    frame_export(window);

    Animation saved;
    anim_init(&saved);
    file_load(target.c_str(), &saved);
    ASSERT_EQ(1, saved.group_count) << ui.transcript();
    ASSERT_EQ(1, saved.groups[0].frame_count);
    EXPECT_EQ(4, image_width(saved.groups[0].frames[0].image));
    // The saved origin is the default one, not the frame's 12, 5.
    EXPECT_EQ(0, props_get_int(&saved.groups[0].frames[0].props, "Origin X"));
    EXPECT_EQ(0, props_get_int(&saved.groups[0].frames[0].props, "Origin Y"));
    anim_destroy(&saved);

    EXPECT_STREQ("/somewhere/torch.spr", doc().file_name);
    EXPECT_TRUE(doc().modified);
    EXPECT_TRUE(doc().undo_available);
    EXPECT_EQ(12, props_get_int(&doc().animation.groups[0].frames[3].props, "Origin X"));
}

TEST_F(AnimationCommands, PlayStartsTheTimerWithTheCurrentFramesDuration)
{
    Group *g = add_group("torch", 2);
    props_set_float(&g->frames[0].props, "Duration", 0.25f);
    frame_play(window);
    frame_stop(window);
    EXPECT_EQ(std::vector<int>{250}, window.timer_starts);
    EXPECT_EQ(1, window.timer_stops);
}

TEST_F(AnimationCommands, StepsStopAtBothEnds)
{
    add_group("torch", 3);
    struct Case {
        void (*command)(CommandHost &);
        int expected;
    };
    const Case cases[] = {{frame_previous, 0}, {frame_next, 1}, {frame_end, 2},
                          {frame_next, 2},     {frame_first, 0}, {frame_previous, 0}};
    for (const Case &c : cases) {
        c.command(window);
        EXPECT_EQ(c.expected, doc().current_frame);
    }
}

} // namespace
