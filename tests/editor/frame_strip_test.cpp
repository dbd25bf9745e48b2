// The frame strip under the preview on a sprite of six frames: shown for a
// group of several frames, a click chooses like the slider, a drag
// reorders in one undo step, a duration is typed into its cell, Delete asks.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include "app/logic/command_ids.h"
#include "document/document_state.h"
#include "document/props.h"
#include "editor_fixture.h"
#include "views/qt_image.h"
#include "views/frame_strip_widget.h"
#include "views/logic/frame_strip_logic.h"
#include "views/preview_widget.h"

namespace {

class FrameStripTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window_on(data_path("spr/librequake_s_explod.spr"));
    }
    FrameStripWidget *strip() { return window->frame_strip(); }
    Group &group() { return doc_state().animation.groups[0]; }
    QImage picture(int frame) { return qimage_from_image(group().frames[frame].image); }
    QPoint centre(int frame)
    {
        const LayoutRect r = frame_strip_cell(frame, strip()->horizontalScrollBar()->value());
        return QPoint(r.x + r.w / 2, r.y + r.h / 2);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, strip()->viewport()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(strip()->viewport(), &event);
    }
};

TEST_F(FrameStripTest, ClickChoosesDragReordersInOneStepAndTheToggleHidesIt)
{
    ASSERT_TRUE(strip()->isVisible());
    EXPECT_EQ(6, strip()->frame_count());
    EXPECT_EQ(window->preview()->geometry().bottom() + 1, strip()->y());
    EXPECT_TRUE(window->menu_action(IDM_FRAME_STRIP)->isChecked());

    QTest::mouseClick(strip()->viewport(), Qt::LeftButton, {}, centre(3));
    EXPECT_EQ(3, doc_state().current_frame);
    EXPECT_EQ(3, window->frame_slider()->value());
    EXPECT_EQ(3, strip()->current_frame());
    EXPECT_GT(strip()->thumbnails_made(), 0);

    const QImage before[3] = {picture(0), picture(1), picture(2)};
    mouse(QEvent::MouseButtonPress, centre(0), Qt::LeftButton);
    mouse(QEvent::MouseMove, centre(1), Qt::LeftButton);
    mouse(QEvent::MouseMove, centre(2) + QPoint(FRAME_STRIP_CELL_WIDTH / 2 + 1, 0), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, centre(2) + QPoint(FRAME_STRIP_CELL_WIDTH / 2 + 1, 0), Qt::NoButton);
    EXPECT_EQ(before[1], picture(0));
    EXPECT_EQ(before[2], picture(1));
    EXPECT_EQ(before[0], picture(2));
    EXPECT_EQ(2, doc_state().current_frame) << "the moved frame stays chosen";
    EXPECT_TRUE(doc_state().modified);
    window->command(IDM_UNDO);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(before[i], picture(i)) << i;
    EXPECT_FALSE(doc_state().undo_available) << "the drag was one step";
    EXPECT_FALSE(doc_state().modified);

    const int preview_height = window->preview()->height();
    window->command(IDM_FRAME_STRIP);
    EXPECT_FALSE(strip()->isVisible());
    EXPECT_EQ(preview_height + LAYOUT_STRIP_HEIGHT, window->preview()->height());
}

TEST_F(FrameStripTest, DurationIsEditedInPlaceAndKeysWorkFromTheStrip)
{
    strip()->setFocus();
    QTest::keyClick(strip(), Qt::Key_Right); // the window's Next
    EXPECT_EQ(1, strip()->current_frame());
    QTest::keyClick(strip(), Qt::Key_F2);
    QLineEdit *editor = strip()->duration_editor();
    ASSERT_EQ(editor, QApplication::focusWidget());
    QTest::keyClicks(editor, "0.25");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(0.25f, props_get_float(&group().frames[1].props, "Duration"));
    EXPECT_EQ(QStringLiteral("2  0.25"), strip()->cell_text(1));
    EXPECT_TRUE(doc_state().undo_available);
    EXPECT_EQ(strip(), QApplication::focusWidget());

    // Escape drops what was typed; Enter on an unchanged value takes no step.
    QTest::keyClick(strip(), Qt::Key_F2);
    QTest::keyClicks(editor, "9");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(0.25f, props_get_float(&group().frames[1].props, "Duration"));
    QTest::keyClick(strip(), Qt::Key_F2);
    QTest::keyClick(editor, Qt::Key_Return);
    window->command(IDM_UNDO);
    EXPECT_FALSE(doc_state().undo_available);
    EXPECT_EQ(QStringLiteral("2  "), strip()->cell_text(1));

    ui.queue_answer(true);
    QTest::keyClick(strip(), Qt::Key_Delete);
    EXPECT_EQ(1u, ui.questions().size());
    EXPECT_EQ(5, strip()->frame_count());
    QTest::keyClick(strip(), Qt::Key_Escape);
    EXPECT_EQ(window->preview(), QApplication::focusWidget());
}

} // namespace
