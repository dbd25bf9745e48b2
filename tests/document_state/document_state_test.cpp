// The undo cycle, the derived conditions, the refresh routines and the
// command enabling, against a fake window.
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/document_view.h"
#include "app/logic/command_ids.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

struct FakeView : DocumentView {
    std::vector<std::string> groups;
    int group_selection = -1;
    int slider_max = -1;
    int slider_pos = -1;
    DocConditions conditions;
    int title_updates = 0;
    int preview_refreshes = 0;
    int zoom_resets = 0;
    int layouts = 0;
    int command_updates = 0;

    void set_group_list(const std::vector<std::string> &names, int selection) override
    {
        groups = names;
        group_selection = selection;
    }
    void set_frame_slider(int maximum, int position) override
    {
        slider_max = maximum;
        slider_pos = position;
    }
    void update_commands(const DocConditions &c) override
    {
        conditions = c;
        ++command_updates;
    }
    void update_title() override { ++title_updates; }
    void preview_refresh() override { ++preview_refreshes; }
    void reset_zoom() override { ++zoom_resets; }
    void layout() override { ++layouts; }
};

class DocumentStateTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        doc_reset();
        doc_set_view(&view);
        doc_set_scanner_available(false);
    }
    void TearDown() override
    {
        doc_set_view(nullptr);
        doc_reset();
        CoreTest::TearDown();
    }

    // Appends a group with `frames` frames of 2x2 pixels whose first byte is
    // `shade` + frame index, so that frames can be told apart afterwards.
    Group *add_group(const char *name, int frames, int shade = 10)
    {
        Group *group = anim_add_group(&doc().animation, name);
        for (int i = 0; i < frames; ++i) {
            const int k = group_append_frame(group);
            host().bind_image(group->frames[k].image);
            const uint8_t v = static_cast<uint8_t>(shade + i);
            set_rgba_pixels(2, 2, std::vector<uint8_t>(16, v));
        }
        return group;
    }

    static DocumentState &doc() { return doc_state(); }

    FakeView view;
};

uint8_t first_byte(uint32_t image) { return rgba_of(image)[0]; }

// ---- Derived conditions ------------------------------------------------

TEST_F(DocumentStateTest, EmptyDocumentHasNoGroupAndNoFrame)
{
    const DocConditions c = doc_conditions(doc());
    EXPECT_FALSE(c.has_group);
    EXPECT_FALSE(c.has_more_groups);
    EXPECT_FALSE(c.has_frame);
    EXPECT_FALSE(c.has_more_frames);
    EXPECT_FALSE(c.undo_available);
}

TEST_F(DocumentStateTest, ConditionsFollowIndexesAndCounts)
{
    add_group("a", 0);
    EXPECT_TRUE(doc_has_group(doc()));
    EXPECT_FALSE(doc_has_frame(doc())) << "a group without frames has no frame";
    EXPECT_FALSE(doc_has_more_groups(doc()));

    add_group("b", 2);
    doc().current_group = 1;
    EXPECT_TRUE(doc_has_more_groups(doc()));
    EXPECT_TRUE(doc_has_frame(doc()));
    EXPECT_TRUE(doc_has_more_frames(doc()));

    doc().current_frame = 2; // past the end
    EXPECT_FALSE(doc_has_frame(doc()));
    EXPECT_FALSE(doc_has_more_frames(doc()));
    doc().current_frame = -1;
    EXPECT_FALSE(doc_has_frame(doc()));

    doc().current_group = 2; // past the end
    doc().current_frame = 0;
    EXPECT_FALSE(doc_has_group(doc()));
    EXPECT_FALSE(doc_has_more_groups(doc()));
    EXPECT_FALSE(doc_has_frame(doc()));
    doc().current_group = -1;
    EXPECT_FALSE(doc_has_group(doc()));
}

TEST_F(DocumentStateTest, OneFrameIsAFrameButNotMoreFrames)
{
    add_group("a", 1);
    EXPECT_TRUE(doc_has_frame(doc()));
    EXPECT_FALSE(doc_has_more_frames(doc()));
}

// ---- Undo cycle ------------------------------------------------------------

TEST_F(DocumentStateTest, UndoRestoresEverythingAndOffersRedo)
{
    Group *group = add_group("walk", 2, 40);
    props_set_string(&doc().animation.props, "Comment", "before");
    props_set_float(&group->props, "Interval", 0.25f);
    props_set_int(&group->frames[1].props, "Origin X", -7, PROPERTY_INTEGER);

    doc_begin_edit(1);
    EXPECT_EQ(doc().modified, 1);
    EXPECT_EQ(doc().undo_available, 1);

    // The edit: rename, retune, drop a frame, add a group.
    Group &g = doc().animation.groups[0];
    free(g.name);
    g.name = strdup("run");
    props_set_string(&doc().animation.props, "Comment", "after");
    group_delete_frame(&g, 0);
    add_group("extra", 1);

    doc_undo();
    const Animation &a = doc().animation;
    ASSERT_EQ(a.group_count, 1);
    EXPECT_STREQ(a.groups[0].name, "walk");
    EXPECT_STREQ(props_get_string(&a.props, "Comment"), "before");
    EXPECT_FLOAT_EQ(props_get_float(&a.groups[0].props, "Interval"), 0.25f);
    ASSERT_EQ(a.groups[0].frame_count, 2);
    EXPECT_EQ(first_byte(a.groups[0].frames[0].image), 40);
    EXPECT_EQ(first_byte(a.groups[0].frames[1].image), 41);
    EXPECT_EQ(props_get_int(&a.groups[0].frames[1].props, "Origin X"), -7);
    EXPECT_EQ(doc().modified, 0) << "undone back to the state it had when it was last clean";
    EXPECT_EQ(doc().undo_available, 0);
    EXPECT_FALSE(view.conditions.undo_available);
    EXPECT_TRUE(view.conditions.redo_available);
    EXPECT_EQ(view.groups, std::vector<std::string>{"walk"});
}

TEST_F(DocumentStateTest, SecondUndoDoesNothing)
{
    add_group("a", 1);
    doc_begin_edit(1);
    add_group("b", 1);
    doc_undo();
    ASSERT_EQ(doc().animation.group_count, 1);
    add_group("c", 1); // a change made without an undo snapshot
    const int titles = view.title_updates;
    doc_undo();
    EXPECT_EQ(doc().animation.group_count, 2) << "the second undo must not restore the copy again";
    EXPECT_EQ(view.title_updates, titles);
}

TEST_F(DocumentStateTest, EditAfterUndoReplacesTheCopy)
{
    add_group("one", 1);
    doc_begin_edit(1); // copy: [one]
    add_group("two", 1);
    doc_undo(); // back to [one]
    doc_begin_edit(1); // copy: [one] again, not [one, two]
    add_group("three", 1);
    doc_undo();
    ASSERT_EQ(doc().animation.group_count, 1);
    EXPECT_STREQ(doc().animation.groups[0].name, "one");
}

TEST_F(DocumentStateTest, UndoIsIndependentOfLaterImageChanges)
{
    Group *group = add_group("a", 1, 5);
    doc_begin_edit(1);
    host().bind_image(group->frames[0].image);
    set_rgba_pixels(2, 2, std::vector<uint8_t>(16, 99));
    doc_undo();
    EXPECT_EQ(first_byte(doc().animation.groups[0].frames[0].image), 5) << "the undo copy must be a deep copy";
}

TEST_F(DocumentStateTest, CleanEditDropsTheCopy)
{
    add_group("a", 1);
    doc_begin_edit(1);
    doc_begin_edit(0);
    EXPECT_EQ(doc().modified, 0);
    EXPECT_EQ(doc().undo_available, 0);
    EXPECT_EQ(doc_history().undo_steps(), 0);
    add_group("b", 1);
    doc_undo();
    EXPECT_EQ(doc().animation.group_count, 2);
}

TEST_F(DocumentStateTest, UndoAfterAddingACurrentGroupClampsSelection)
{
    add_group("a", 1);
    doc_begin_edit(1);
    add_group("b", 3);
    doc().current_group = 1;
    doc().current_frame = 2;
    doc_undo();
    EXPECT_EQ(doc().current_group, 0);
    EXPECT_EQ(doc().current_frame, 0);
    EXPECT_EQ(view.group_selection, 0);
    EXPECT_EQ(view.slider_max, 0);
}

// ---- Refresh routines ---------------------------------------------------------

TEST_F(DocumentStateTest, FillGroupListListsNamesAndKeepsValidSelection)
{
    add_group("stand", 1);
    add_group("walk", 4);
    add_group("die", 2);
    doc().current_frame = 3;
    doc_fill_group_list(1);
    EXPECT_EQ(view.groups, (std::vector<std::string>{"stand", "walk", "die"}));
    EXPECT_EQ(view.group_selection, 1);
    EXPECT_EQ(doc().current_group, 1);
    EXPECT_EQ(view.slider_max, 3);
    EXPECT_EQ(view.slider_pos, 3);
}

TEST_F(DocumentStateTest, FillGroupListWithSelectionEqualToCountSelectsFirst)
{
    add_group("a", 2);
    add_group("b", 3);
    doc_fill_group_list(2);
    EXPECT_EQ(view.group_selection, 0);
    EXPECT_EQ(doc().current_group, 0);
    doc_fill_group_list(-1);
    EXPECT_EQ(doc().current_group, 0);
}

TEST_F(DocumentStateTest, FillGroupListOfEmptyDocument)
{
    doc().current_group = 3;
    doc_fill_group_list(3);
    EXPECT_TRUE(view.groups.empty());
    EXPECT_EQ(doc().current_group, 0);
    EXPECT_EQ(view.slider_max, 0);
    EXPECT_EQ(view.slider_pos, 0);
}

TEST_F(DocumentStateTest, SliderOfGroupWithoutFramesIsZeroToZero)
{
    add_group("empty", 0);
    doc().current_frame = 5;
    doc_sync_frame_slider();
    EXPECT_EQ(view.slider_max, 0);
    EXPECT_EQ(doc().current_frame, 0);
}

TEST_F(DocumentStateTest, DeletingLastFrameMovesCurrentFrameToZero)
{
    Group *group = add_group("a", 3);
    doc().current_frame = 2;
    group_delete_frame(group, 2);
    doc_sync_frame_slider();
    EXPECT_EQ(doc().current_frame, 0) << "not the new last frame";
    EXPECT_EQ(view.slider_max, 1);
    EXPECT_EQ(view.slider_pos, 0);
}

TEST_F(DocumentStateTest, SliderKeepsAValidFrame)
{
    add_group("a", 5);
    doc().current_frame = 4;
    doc_sync_frame_slider();
    EXPECT_EQ(view.slider_max, 4);
    EXPECT_EQ(view.slider_pos, 4);
    doc().current_frame = -2;
    doc_sync_frame_slider();
    EXPECT_EQ(view.slider_pos, 0);
}

// ---- Close --------------------------------------------------------------------

TEST_F(DocumentStateTest, DecliningCloseChangesNothing)
{
    add_group("keep", 2);
    doc_begin_edit(1);
    add_group("new", 1);
    std::snprintf(doc().file_name, sizeof doc().file_name, "%s", "/tmp/keep.spr");
    doc().current_group = 1;
    const FakeView before = view;

    ui.queue_answer(false);
    EXPECT_EQ(doc_close(), 0);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0], DOC_MODIFIED_QUESTION);
    EXPECT_EQ(doc().animation.group_count, 2);
    EXPECT_STREQ(doc().file_name, "/tmp/keep.spr");
    EXPECT_EQ(doc().modified, 1);
    EXPECT_EQ(doc().undo_available, 1);
    EXPECT_EQ(doc_history().undo_steps(), 1);
    EXPECT_EQ(doc().current_group, 1);
    EXPECT_EQ(view.title_updates, before.title_updates);
    EXPECT_EQ(view.zoom_resets, before.zoom_resets);
}

TEST_F(DocumentStateTest, AcceptedCloseEmptiesEverything)
{
    add_group("a", 2);
    add_group("b", 2);
    doc_begin_edit(1);
    std::snprintf(doc().file_name, sizeof doc().file_name, "%s", "/tmp/x.spr");
    doc().current_group = 1;
    doc().current_frame = 1;

    ui.queue_answer(true);
    EXPECT_EQ(doc_close(), 1);
    EXPECT_EQ(doc().animation.group_count, 0);
    EXPECT_EQ(doc().animation.groups, nullptr);
    EXPECT_STREQ(doc().file_name, "");
    EXPECT_EQ(doc().modified, 0);
    EXPECT_EQ(doc().undo_available, 0);
    EXPECT_EQ(doc().current_group, 0);
    EXPECT_EQ(doc().current_frame, 0);
    EXPECT_EQ(view.zoom_resets, 1);
    EXPECT_GE(view.layouts, 1);
    EXPECT_TRUE(view.groups.empty());
    EXPECT_FALSE(view.conditions.has_frame);
}

TEST_F(DocumentStateTest, CleanCloseDoesNotAsk)
{
    add_group("a", 1);
    EXPECT_EQ(doc_close(), 1);
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_EQ(doc().animation.group_count, 0);
}

// ---- Command enabling ------------------------------------------------------------

TEST_F(DocumentStateTest, UpdateCommandsReportsTheConditions)
{
    add_group("a", 2);
    add_group("b", 1);
    doc_set_scanner_available(true);
    doc_begin_edit(1);
    EXPECT_TRUE(view.conditions.has_group);
    EXPECT_TRUE(view.conditions.has_more_groups);
    EXPECT_TRUE(view.conditions.has_frame);
    EXPECT_TRUE(view.conditions.has_more_frames);
    EXPECT_TRUE(view.conditions.undo_available);
    EXPECT_TRUE(view.conditions.scanner_found);
}

TEST(CommandEnabling, EmptyDocumentGreysFrameGroupAndUndoCommands)
{
    const DocConditions none;
    for (int id : {IDM_SAVE, IDM_SAVE_AS, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_ZOOM_IN, IDM_RESIZE, IDM_FILTER_ALIENIFY,
                   IDM_EXPORT_FRAME, IDM_GROUP_RENAME, IDM_GROUP_MOVE_UP, IDM_PLAY, IDM_UNDO, IDM_TWAIN_ACQUIRE,
                   IDM_PROPAGATE_TO_ANIMATION, IDM_ORIGIN_MODE})
        EXPECT_FALSE(command_enabled(id, none)) << id;
    for (int id : {IDM_NEW, IDM_OPEN, IDM_CLOSE, IDM_EXIT, IDM_FILE_PROPERTIES, IDM_PASTE_AS_NEW_FRAME,
                   IDM_GROUP_ADD, IDM_IMPORT_APPEND, IDM_EDIT_PALETTE, IDM_VIEW_ALPHA, IDM_ABOUT, IDM_TOOL_BAR})
        EXPECT_TRUE(command_enabled(id, none)) << id;
}

TEST(CommandEnabling, EachConditionEnablesItsOwnCommands)
{
    DocConditions frame;
    frame.has_group = frame.has_frame = true;
    EXPECT_TRUE(command_enabled(IDM_SAVE, frame));
    EXPECT_TRUE(command_enabled(IDM_GROUP_DELETE, frame));
    EXPECT_FALSE(command_enabled(IDM_GROUP_MOVE_DOWN, frame));
    EXPECT_FALSE(command_enabled(IDM_NEXT, frame));

    DocConditions group_only;
    group_only.has_group = true;
    EXPECT_TRUE(command_enabled(IDM_GROUP_PROPERTIES, group_only));
    EXPECT_FALSE(command_enabled(IDM_FRAME_PROPERTIES, group_only));

    DocConditions undo;
    undo.undo_available = true;
    EXPECT_TRUE(command_enabled(IDM_UNDO, undo));
    EXPECT_FALSE(command_enabled(IDM_SAVE, undo));
}

TEST(CommandEnabling, TableCoversEveryGreyableCommandOnce)
{
    // 38 frame items, Zoom to Fit, Origin Mode and Select All, 5 group
    // (Renumber Sequence among them), 4 more-groups (Move Up/Down,
    // Previous/Next Group), 8 more-frames, Undo, Redo, the two scanner items
    // and the two of File > Export.
    size_t greyable = 0;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i)
        greyable += COMMAND_TABLE[i].command != 0 && COMMAND_TABLE[i].condition != CommandCondition::Always;
    EXPECT_EQ(38u + 1 + 1 + 1 + 5 + 4 + 8 + 1 + 1 + 2 + 2, greyable);
}

TEST(CommandEnabling, BoundingBoxButtonIsNeverEnabled)
{
    DocConditions all{true, true, true, true, true, true};
    EXPECT_FALSE(toolbar_button_enabled(IDM_BOUNDING_BOX_MODE, all));
    EXPECT_TRUE(toolbar_button_enabled(IDM_ORIGIN_MODE, all));
    EXPECT_FALSE(toolbar_button_enabled(IDM_ORIGIN_MODE, DocConditions{}));
    EXPECT_TRUE(toolbar_button_enabled(IDM_OPEN, DocConditions{}));
}

} // namespace
