// The paint tools on the open document: a stroke is one undo step named
// after its tool, Undo and Redo walk strokes one by one, and Escape in the
// middle of a stroke leaves the frame and the history as they were.
#include <vector>

#include "app/commands/edit_commands.h"
#include "app/commands/paint_commands.h"
#include "commands_fixture.h"
#include "document/animation.h"
#include "image/host_table.h"

namespace {

class PaintCommands : public CommandsTest {
protected:
    // One 8 x 4 frame of index 7 with a grey palette (no transparent entry).
    void SetUp() override
    {
        CommandsTest::SetUp();
        Group *group = anim_add_group(&doc().animation, "pic");
        group_reset_frames(group, 1);
        std::vector<uint8_t> palette(1024);
        for (int i = 0; i < 256; ++i)
            palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = static_cast<uint8_t>(i), palette[i * 4 + 3] = 255;
        host().bind_image(group->frames[0].image);
        set_indexed_pixels(8, 4, std::vector<uint8_t>(32, 7), palette);
        settle();
        paint_session().set_tool(PaintTool::Pencil);
        paint_session().brush = Brush{};
    }
    void TearDown() override
    {
        paint_reset();
        CommandsTest::TearDown();
    }
    static std::vector<uint8_t> pixels() { return raw_of(doc().animation.groups[0].frames[0].image); }
    static void stroke(int x0, int y0, int x1, int y1, uint32_t index)
    {
        paint_session().values.index[0] = index;
        paint_pointer(PaintPointer::Press, x0, y0, 0, {});
        paint_pointer(PaintPointer::Move, x1, y1, 0, {});
        paint_pointer(PaintPointer::Release, x1, y1, 0, {});
    }
};

TEST_F(PaintCommands, TenStrokesUndoAndRedoOneByOne)
{
    std::vector<std::vector<uint8_t>> states{pixels()};
    for (int i = 0; i < 10; ++i) {
        stroke(i % 8, i / 8, i % 8, i / 8 + 1, static_cast<uint32_t>(100 + i));
        states.push_back(pixels());
        ASSERT_NE(states[i], states[i + 1]) << "stroke " << i << " changed nothing";
    }
    EXPECT_STREQ("Pencil", doc_undo_label());
    EXPECT_TRUE(doc().modified);
    for (int i = 9; i >= 0; --i) {
        edit_undo(window);
        EXPECT_EQ(states[i], pixels()) << "undo " << i;
    }
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
    for (int i = 1; i <= 10; ++i) {
        edit_redo(window);
        EXPECT_EQ(states[i], pixels()) << "redo " << i;
    }
}

TEST_F(PaintCommands, EachToolNamesItsStep)
{
    struct Case {
        PaintTool tool;
        const char *label;
    } cases[] = {{PaintTool::Fill, "Fill"}, {PaintTool::Line, "Line"}, {PaintTool::Rectangle, "Rectangle"}};
    for (const Case &c : cases) {
        paint_session().set_tool(c.tool);
        stroke(1, 1, 3, 2, 200 + static_cast<uint32_t>(c.tool));
        EXPECT_STREQ(c.label, doc_undo_label());
    }
}

TEST_F(PaintCommands, EscapeMidStrokeLeavesFrameAndHistoryAsTheyWere)
{
    stroke(0, 0, 0, 0, 50); // one step before, to be kept
    const std::vector<uint8_t> before = pixels();
    paint_session().set_tool(PaintTool::Line);
    paint_session().values.index[0] = 90;
    paint_pointer(PaintPointer::Press, 1, 1, 0, {});
    paint_pointer(PaintPointer::Move, 7, 3, 0, {});
    ASSERT_NE(before, pixels());
    EXPECT_TRUE(paint_cancel());
    EXPECT_EQ(before, pixels());
    // The release that follows the key changes nothing.
    paint_pointer(PaintPointer::Release, 7, 3, 0, {});
    EXPECT_EQ(before, pixels());
    EXPECT_STREQ("Pencil", doc_undo_label());
    EXPECT_FALSE(doc().redo_available);
    edit_undo(window);
    EXPECT_FALSE(doc().modified) << "the cancelled stroke left a step behind";
    EXPECT_FALSE(paint_cancel()) << "nothing left to cancel";
}

TEST_F(PaintCommands, SelectionMoveIsOneStepAndCommandsEndAFloatingPaste)
{
    paint_session().values.index[1] = 3; // what a move leaves behind without a transparent entry
    // Paint a mark, select it, move it two to the right.
    paint_session().set_tool(PaintTool::Pencil);
    stroke(0, 0, 0, 0, 60);
    paint_session().set_tool(PaintTool::Select);
    paint_pointer(PaintPointer::Press, 0, 0, 0, {});
    paint_pointer(PaintPointer::Release, 0, 0, 0, {});
    paint_pointer(PaintPointer::Press, 0, 0, 0, {});
    paint_pointer(PaintPointer::Move, 1, 0, 0, {});
    paint_pointer(PaintPointer::Release, 2, 0, 0, {});
    std::vector<uint8_t> p = pixels();
    EXPECT_EQ(3, p[0]);
    EXPECT_EQ(60, p[2]);
    EXPECT_STREQ("Move Selection", doc_undo_label());
    // Copy and paste float the mark over (2, 0) again; Undo first drops it.
    EXPECT_TRUE(paint_selection_copy());
    EXPECT_TRUE(paint_selection_delete());
    EXPECT_EQ(3, pixels()[2]);
    EXPECT_TRUE(paint_selection_paste());
    EXPECT_EQ(60, pixels()[2]);
    EXPECT_TRUE(paint_session().floating());
    paint_commit();
    EXPECT_STREQ("Paste", doc_undo_label());
    edit_undo(window);
    EXPECT_EQ(3, pixels()[2]);
}

} // namespace
