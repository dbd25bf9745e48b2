// The origin click's edit and the append of several dropped files, against
// the document state with a counting view.
#include <gtest/gtest.h>

#include "app/document_view.h"
#include "app/logic/dropped_files.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "image/image_limits.h"
#include "support/test_support.h"
#include "views/logic/frame_origin.h"

namespace {

struct CountingView : DocumentView {
    std::vector<std::string> groups;
    int selection = -1;
    int slider_max = -1, slider_pos = -1;
    int refreshes = 0;
    void set_group_list(const std::vector<std::string> &names, int s) override
    {
        groups = names;
        selection = s;
    }
    void set_frame_slider(int maximum, int position) override
    {
        slider_max = maximum;
        slider_pos = position;
    }
    void preview_refresh() override { ++refreshes; }
};

class EditingLogic : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        doc_reset();
        doc_set_view(&view);
    }
    void TearDown() override
    {
        doc_set_view(nullptr);
        doc_reset();
        CoreTest::TearDown();
    }
    Frame &frame(int g, int f) { return doc_state().animation.groups[g].frames[f]; }

    CountingView view;
};

TEST_F(EditingLogic, OriginClickSetsBothPropertiesAndTakesAnUndoStep)
{
    DocumentState &doc = doc_state();
    group_reset_frames(anim_add_group(&doc.animation, "g"), 2);
    doc.current_frame = 1;
    ASSERT_TRUE(frame_set_origin(7, -3));
    EXPECT_EQ(7, props_get_int(&frame(0, 1).props, "Origin X"));
    EXPECT_EQ(-3, props_get_int(&frame(0, 1).props, "Origin Y"));
    EXPECT_EQ(PROPERTY_INTEGER, frame(0, 1).props.records[props_find(&frame(0, 1).props, "Origin X") - 1].type);
    EXPECT_EQ(0, props_find(&frame(0, 0).props, "Origin X"));
    EXPECT_TRUE(doc.modified);
    ASSERT_TRUE(doc.undo_available);
    doc_undo();
    EXPECT_EQ(0, props_find(&frame(0, 1).props, "Origin X"));
}

TEST_F(EditingLogic, OriginClickReplacesTypeAndCountsEvenWithoutAChange)
{
    DocumentState &doc = doc_state();
    group_reset_frames(anim_add_group(&doc.animation, "g"), 1);
    props_set_float(&frame(0, 0).props, "Origin X", 2.5f);
    props_set_int(&frame(0, 0).props, "Origin Y", 4, PROPERTY_INTEGER);
    ASSERT_TRUE(frame_set_origin(2, 4));
    const PropertyList &props = frame(0, 0).props;
    EXPECT_EQ(2, props.count);
    EXPECT_EQ(PROPERTY_INTEGER, props.records[props_find(&props, "Origin X") - 1].type);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(doc.undo_available);
}

TEST_F(EditingLogic, OriginClickWithoutAFrameDoesNothing)
{
    DocumentState &doc = doc_state();
    EXPECT_FALSE(frame_set_origin(1, 1));
    anim_add_group(&doc.animation, "empty");
    EXPECT_FALSE(frame_set_origin(1, 1));
    doc.current_group = 5;
    EXPECT_FALSE(frame_set_origin(1, 1));
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(doc.undo_available);
}

TEST_F(EditingLogic, ThreeDroppedFilesAppendInOrderAsOneUndoStep)
{
    DocumentState &doc = doc_state();
    group_reset_frames(anim_add_group(&doc.animation, "existing"), 1);
    drop_append_frames({data_path("spr/librequake_s_bubble.spr"), data_path("spr/librequake_s_light.spr"),
                        data_path("spr/librequake_s_explod.spr")});
    ASSERT_EQ(1, doc.animation.group_count);
    const Group &g = doc.animation.groups[0];
    ASSERT_EQ(1 + 2 + 1 + 6, g.frame_count);
    EXPECT_EQ(16, image_width(g.frames[1].image)); // bubble
    EXPECT_EQ(32, image_width(g.frames[3].image)); // light
    EXPECT_EQ(64, image_width(g.frames[4].image)); // explosion
    EXPECT_EQ(9, doc.current_frame);               // the last appended frame
    EXPECT_EQ(9, view.slider_pos);
    EXPECT_EQ(9, view.slider_max);
    EXPECT_EQ(std::vector<std::string>{"existing"}, view.groups);
    EXPECT_GE(view.refreshes, 1);
    EXPECT_TRUE(doc.modified);

    doc_undo();
    EXPECT_EQ(1, doc.animation.groups[0].frame_count);
}

TEST_F(EditingLogic, DropOnAnEmptyDocumentMakesTheNoGroupGroupFirst)
{
    DocumentState &doc = doc_state();
    drop_append_frames({data_path("spr/librequake_s_bubble.spr"), data_path("spr/librequake_s_light.spr")});
    ASSERT_EQ(1, doc.animation.group_count);
    EXPECT_STREQ(NO_GROUP_NAME, doc.animation.groups[0].name);
    EXPECT_EQ(3, doc.animation.groups[0].frame_count);
    EXPECT_EQ(2, doc.current_frame);
    doc_undo();
    EXPECT_EQ(0, doc.animation.group_count);
}

TEST_F(EditingLogic, UnreadableDroppedFileIsReportedAndSkipped)
{
    DocumentState &doc = doc_state();
    const std::string dir = scratch_dir("drop_unreadable");
    const std::string broken = dir + "/broken.spr";
    write_bytes(broken, {'I', 'D', 'S', 'P', 1, 0});
    drop_append_frames({data_path("spr/librequake_s_bubble.spr"), broken});
    ASSERT_EQ(1, doc.animation.group_count);
    EXPECT_EQ(2, doc.animation.groups[0].frame_count);
    EXPECT_FALSE(ui.messages().empty());
}

TEST_F(EditingLogic, DroppedFilesBeyondThePixelBudgetAreRefusedWithAMessage)
{
    DocumentState &doc = doc_state();
    // The bubble sprite holds two 16x16 frames (512 bytes of indexes): a
    // budget of 1000 bytes takes one copy of it, not two.
    set_pixel_budget(1000);
    drop_append_frames({data_path("spr/librequake_s_bubble.spr"), data_path("spr/librequake_s_bubble.spr")});
    set_pixel_budget(0);
    ASSERT_EQ(1, doc.animation.group_count);
    EXPECT_EQ(2, doc.animation.groups[0].frame_count);
    ASSERT_EQ(1u, ui.messages().size());
    EXPECT_NE(ui.messages()[0].text.find("the limit is 1000 bytes"), std::string::npos) << ui.messages()[0].text;
}

TEST_F(EditingLogic, DropIntoTheSelectedSecondGroup)
{
    DocumentState &doc = doc_state();
    anim_add_group(&doc.animation, "a");
    anim_add_group(&doc.animation, "b");
    doc.current_group = 1;
    drop_append_frames({data_path("spr/librequake_s_bubble.spr"), data_path("spr/librequake_s_bubble.spr")});
    EXPECT_EQ(0, doc.animation.groups[0].frame_count);
    EXPECT_EQ(4, doc.animation.groups[1].frame_count);
    EXPECT_EQ(1, view.selection);
}

} // namespace
