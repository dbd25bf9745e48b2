// Keys typed into the window reach their commands through the shortcuts,
// whichever control has the focus.
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QSlider>
#include <QTest>

#include "app/logic/command_ids.h"
#include "document/document_state.h"
#include "editor_fixture.h"
#include "views/group_browser_widget.h"
#include "views/preview_widget.h"
#include "views/logic/frame_origin.h"

namespace {

class Keyboard : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window_on(data_path("spr/librequake_s_explod.spr"));
    }
    DocumentState &doc() { return doc_state(); }
};

TEST_F(Keyboard, ArrowsHomeAndEndStepThroughTheFrames)
{
    QTest::keyClick(window.get(), Qt::Key_Right);
    EXPECT_EQ(1, doc().current_frame);
    QTest::keyClick(window.get(), Qt::Key_End);
    EXPECT_EQ(5, doc().current_frame);
    QTest::keyClick(window.get(), Qt::Key_Left);
    EXPECT_EQ(4, doc().current_frame);
    QTest::keyClick(window.get(), Qt::Key_Home);
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_EQ("Frame 1 of 6", status_text());
}

TEST_F(Keyboard, KeysWorkWhileTheGroupSelectorHasTheFocus)
{
    window->group_selector()->setFocus();
    pump();
    QTest::keyClick(window->group_selector(), Qt::Key_Right);
    EXPECT_EQ(1, doc().current_frame);
    EXPECT_EQ(1, window->frame_slider()->value());
}

TEST_F(Keyboard, KeysWorkWhileTheGroupBrowserListHasTheFocus)
{
    window->command(IDM_GROUP_BROWSER);
    pump();
    QListView *list = window->group_browser()->list();
    list->setFocus();
    pump();
    ASSERT_EQ(list, QApplication::focusWidget());
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(1, doc().current_frame);
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(5, doc().current_frame);
    QTest::keyClick(list, Qt::Key_Left);
    EXPECT_EQ(4, doc().current_frame);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(0, doc().current_frame);
    // Escape hands the keyboard back to the preview.
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(window->preview(), QApplication::focusWidget());
}

TEST_F(Keyboard, CtrlOOpensTheOpenDialog)
{
    ui.queue_file(""); // cancel it
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(1u, ui.dialog_filters().size());
}

TEST_F(Keyboard, CtrlZUndoesCtrlYAndCtrlShiftZRedoAndCtrlPlusZooms)
{
    const std::string name = "Vorn - " + data_path("spr/librequake_s_explod.spr");
    ASSERT_TRUE(frame_set_origin(3, 4));
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(doc().undo_available);
    EXPECT_EQ(name + " [100%]", title()) << "back on the loaded state";
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(doc().undo_available);
    EXPECT_EQ(name + "* [100%]", title());
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(doc().redo_available);
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(name + "* [200%]", title());
    QTest::keyClick(window.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(name + "* [100%]", title());
}

TEST_F(Keyboard, DeleteAsksBeforeRemovingTheFrame)
{
    ui.queue_answer(true);
    QTest::keyClick(window.get(), Qt::Key_Delete);
    EXPECT_EQ(5, doc().animation.groups[0].frame_count);
    ASSERT_EQ(1u, ui.questions().size());
}

} // namespace
