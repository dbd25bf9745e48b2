// The window while a file operation runs and after it has ended: controls
// that were refused come back to the document's state, views switched
// meanwhile show once the operation is over; keys reach their commands
// whatever control has the focus.
#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QTest>

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/command_ids.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "editor_fixture.h"
#include "views/logic/preview_logic.h"
#include "views/preview_widget.h"

namespace {

std::string explosion() { return data_path("spr/librequake_s_explod.spr"); }

class DuringFileOperation : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window();
        window->start_load(explosion());
        wait_for_file_operation();
    }
    DocumentState &doc() { return doc_state(); }

    // Starts Save As to a scratch file. The worker writes the file and then
    // waits for this thread to settle the document: until events are
    // handled, the operation runs.
    void start_save_as(const std::string &name)
    {
        ui.queue_file(scratch_dir("editor_review") + "/" + name);
        window->command(IDM_SAVE_AS);
        ASSERT_TRUE(file_worker_busy());
    }
};

TEST_F(DuringFileOperation, AlphaViewSwitchedDuringASaveShowsOnceItHasEnded)
{
    const QImage colours = window->preview()->picture();
    ASSERT_FALSE(colours.isNull());
    start_save_as("alpha.spr");
    window->command(IDM_VIEW_ALPHA);
    EXPECT_EQ(colours, window->preview()->picture()) << "no image work while the worker runs";
    wait_for_file_operation();
    ASSERT_EQ(1, alpha_view);
    const QImage shown = window->preview()->picture();
    ASSERT_FALSE(shown.isNull());
    const Frame &frame = doc().animation.groups[0].frames[0];
    EXPECT_EQ(preview_picture_of(frame.image, true), shown) << "the alpha channel as grey levels";
    EXPECT_NE(colours, shown);
    EXPECT_EQ("Frame 1 of 6", status_text());
}

TEST_F(DuringFileOperation, RefusedSliderMoveLeavesTheSliderOnTheCurrentFrame)
{
    start_save_as("slider.spr");
    window->frame_slider()->setValue(3);
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_EQ(0, window->frame_slider()->value()) << "the slider shows the current frame";
    wait_for_file_operation();
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_EQ(0, window->frame_slider()->value());
}

TEST_F(DuringFileOperation, RefusedGroupChoiceLeavesTheSelectorOnTheCurrentGroup)
{
    // A second group to choose.
    ASSERT_NE(nullptr, anim_add_group(&doc().animation, "second"));
    doc_fill_group_list(0);
    ASSERT_EQ(2, window->group_selector()->count());
    start_save_as("selector.spr");
    window->group_selector()->setCurrentIndex(1);
    EXPECT_EQ(0, doc().current_group);
    EXPECT_EQ(0, window->group_selector()->currentIndex()) << "the selector shows the current group";
    wait_for_file_operation();
    EXPECT_EQ(0, doc().current_group);
    EXPECT_EQ(0, window->group_selector()->currentIndex());
}

class KeysWithFocus : public DuringFileOperation {
protected:
    void SetUp() override
    {
        DuringFileOperation::SetUp();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        pump();
    }
};

TEST_F(KeysWithFocus, ArrowsStepOneFrameWhileTheSliderHasTheFocus)
{
    window->frame_slider()->setFocus();
    pump();
    QTest::keyClick(window->frame_slider(), Qt::Key_Right);
    EXPECT_EQ(1, doc().current_frame);
    EXPECT_EQ(1, window->frame_slider()->value());
    QTest::keyClick(window->frame_slider(), Qt::Key_End);
    EXPECT_EQ(5, doc().current_frame);
    QTest::keyClick(window->frame_slider(), Qt::Key_Left);
    EXPECT_EQ(4, doc().current_frame);
    EXPECT_EQ(4, window->frame_slider()->value());
}

} // namespace

namespace {

class EndOfLoop : public EditorTest {};

TEST_F(EndOfLoop, FinishingServesAWorkerThatWaitsForItsQuestion)
{
    open_window();
    window->start_load(explosion());
    wait_for_file_operation();
    doc_begin_edit(1);
    ui.queue_answer(true);
    // The worker hands its unsaved-changes question to this thread and
    // waits; no event loop runs here now, as after the program's loop ends.
    window->start_load(data_path("spr/librequake_s_bubble.spr"));
    ASSERT_TRUE(file_worker_busy());
    finish_file_operation();
    EXPECT_FALSE(file_worker_busy());
    ASSERT_EQ(1u, ui.questions().size());
    EXPECT_EQ(DOC_MODIFIED_QUESTION, ui.questions()[0]);
    EXPECT_STREQ(data_path("spr/librequake_s_bubble.spr").c_str(), doc_state().file_name);
    EXPECT_EQ(0, doc_state().modified);
}

} // namespace
