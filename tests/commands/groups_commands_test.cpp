// The Groups menu: Rename, Add, Duplicate, Delete, Move Up/Down and Group
// Properties, each one undo step, refusals without a snapshot.
#include "app/commands/edit_commands.h"
#include "app/commands/groups_commands.h"
#include "commands_fixture.h"
#include "document/props.h"

namespace {

using GroupsCommands = CommandsTest;
using Names = std::vector<std::string>;

TEST_F(GroupsCommands, AddOnAnEmptyDocumentProposesGroupZeroAndMakesItCurrent)
{
    ui.queue_group_name("Group 0");
    group_add(window);
    EXPECT_EQ(Names{"Group 0"}, ui.group_name_prompts());
    EXPECT_EQ(Names{"Group 0"}, group_names());
    EXPECT_TRUE(doc_has_group(doc()));
    EXPECT_EQ(0, doc().current_group);
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(0, doc().animation.group_count);
}

TEST_F(GroupsCommands, AddOnThreeGroupsAppendsLastAndKeepsTheSelection)
{
    add_group("a", 1);
    add_group("b", 1);
    add_group("c", 1);
    doc().current_group = 1;
    settle();
    ui.queue_group_name("walk");
    group_add(window);
    EXPECT_EQ(Names{"Group 3"}, ui.group_name_prompts());
    EXPECT_EQ((Names{"a", "b", "c", "walk"}), group_names());
    EXPECT_EQ(1, doc().current_group);
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(GroupsCommands, CancelledDialogsTakeNoSnapshot)
{
    add_group("torch", 2);
    settle();
    ui.queue_group_name(std::nullopt);
    group_add(window);
    ui.queue_group_name(std::nullopt);
    group_rename(window);
    EXPECT_EQ(Names{"torch"}, group_names());
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
    // Rename opens on the group's own name.
    EXPECT_EQ((Names{"Group 1", "torch"}), ui.group_name_prompts());
}

TEST_F(GroupsCommands, RenameIsOneUndoStep)
{
    add_group("torch", 1);
    settle();
    ui.queue_group_name("flame");
    group_rename(window);
    EXPECT_EQ(Names{"flame"}, group_names());
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(Names{"torch"}, group_names());
}

TEST_F(GroupsCommands, DuplicateCopiesNameFramesAndPropertiesAndKeepsTheSelection)
{
    Group *g = add_group("torch", 3);
    props_set_float(&g->props, "Synch", 0.5f);
    props_set_int(&g->frames[2].props, "Origin X", 7, PROPERTY_INTEGER);
    add_group("smoke", 1);
    settle();
    group_duplicate(window);
    EXPECT_EQ((Names{"torch", "smoke", "torch"}), group_names());
    const Group &copy = doc().animation.groups[2];
    ASSERT_EQ(3, copy.frame_count);
    EXPECT_EQ(3, image_width(copy.frames[2].image));
    EXPECT_EQ(7, props_get_int(&copy.frames[2].props, "Origin X"));
    EXPECT_FLOAT_EQ(0.5f, props_get_float(&copy.props, "Synch"));
    // A deep copy: the images are not shared.
    EXPECT_NE(doc().animation.groups[0].frames[2].image, copy.frames[2].image);
    EXPECT_EQ(0, doc().current_group);
}

TEST_F(GroupsCommands, DeleteAsksByNameAndTheCurrentLastGroupGivesWayToGroupZero)
{
    add_group("a", 1);
    add_group("b", 2);
    add_group("c", 3);
    doc().current_group = 2;
    doc().current_frame = 2;
    settle();
    ui.queue_answer(false);
    group_delete(window);
    EXPECT_EQ(3, doc().animation.group_count);
    EXPECT_FALSE(doc().undo_available);

    ui.queue_answer(true);
    group_delete(window);
    EXPECT_EQ((Names{"Delete the group \"c\"?", "Delete the group \"c\"?"}), ui.questions());
    EXPECT_EQ((Names{"a", "b"}), group_names());
    EXPECT_EQ(0, doc().current_group);
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_TRUE(doc_has_frame(doc()));
}

TEST_F(GroupsCommands, MoveDownKeepsTheMovedGroupSelectedAndUndoRestoresTheOrder)
{
    add_group("a", 1);
    add_group("b", 1);
    add_group("c", 1);
    doc().current_group = 1;
    settle();
    group_move_down(window);
    EXPECT_EQ((Names{"a", "c", "b"}), group_names());
    EXPECT_EQ(2, doc().current_group);
    group_move_up(window);
    group_move_up(window);
    EXPECT_EQ((Names{"b", "a", "c"}), group_names());
    EXPECT_EQ(0, doc().current_group);
    edit_undo(window);
    EXPECT_EQ((Names{"a", "b", "c"}), group_names());
}

TEST_F(GroupsCommands, MovingPastEitherEndIsRefusedWithoutASnapshot)
{
    struct Case {
        int current;
        void (*command)(CommandHost &);
        const char *message;
    };
    const Case cases[] = {
        {0, group_move_up, "Selected group is already at the top"},
        {1, group_move_down, "Selected group is already at the bottom"},
    };
    add_group("a", 1);
    add_group("b", 1);
    for (const Case &c : cases) {
        ui.clear();
        doc().current_group = c.current;
        settle();
        c.command(window);
        ASSERT_EQ(1u, ui.messages().size()) << c.message;
        EXPECT_EQ(c.message, ui.messages()[0].text);
        EXPECT_EQ(MessageIcon::Warning, ui.messages()[0].icon);
        EXPECT_EQ((Names{"a", "b"}), group_names());
        EXPECT_FALSE(doc().modified) << c.message;
        EXPECT_FALSE(doc().undo_available) << c.message;
    }
}

TEST_F(GroupsCommands, GroupPropertiesEditsTheGroupsListUnderItsName)
{
    add_group("torch", 1);
    settle();
    ui.queue_property_edit([](PropertyList *list) { props_set_int(list, "Synchronous", 1, PROPERTY_BOOLEAN); });
    group_properties(window);
    EXPECT_EQ(Names{"\"torch\" Properties"}, ui.property_editor_titles());
    EXPECT_EQ(1, props_get_int(&doc().animation.groups[0].props, "Synchronous"));
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(0, props_find(&doc().animation.groups[0].props, "Synchronous"));
}

TEST_F(GroupsCommands, CommandsNeedingAGroupDoNothingWithoutOne)
{
    for (auto command : {group_rename, group_duplicate, group_delete, group_move_up, group_move_down,
                         group_properties})
        command(window);
    EXPECT_EQ(0, doc().animation.group_count);
    EXPECT_FALSE(doc().modified);
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_TRUE(ui.messages().empty());
}

} // namespace

namespace {

TEST_F(GroupsCommands, RenumberSequenceClosesItsGapsInOneUndoStep)
{
    for (const char *name : {"+1lava", "wall", "+4lava", "+alava", "+Alava", "+3lava"})
        add_group(name, 1);
    doc().current_group = 3; // "+alava": the alternate sequence only
    settle();
    group_renumber_sequence(window);
    EXPECT_EQ((Names{"+1lava", "wall", "+4lava", "+alava", "+blava", "+3lava"}), group_names());
    doc().current_group = 5;
    group_renumber_sequence(window);
    EXPECT_EQ((Names{"+0lava", "wall", "+2lava", "+alava", "+blava", "+1lava"}), group_names());
    edit_undo(window);
    EXPECT_EQ((Names{"+1lava", "wall", "+4lava", "+alava", "+blava", "+3lava"}), group_names());

    // A group that is no frame of a sequence is refused, saying why.
    doc().current_group = 1;
    group_renumber_sequence(window);
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_NE(std::string::npos, ui.messages()[0].text.find("\"wall\" is no frame of an animated texture"));
}

} // namespace
