// The Adjust and Resize dialogs as the user meets them: ids, the keyboard
// alone (focus on opening, Enter, Escape, Tab), the live preview's
// coalesced refreshes, and the fields read when they lose the focus.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>

#include "dialog_helpers.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "views/adjust_dialog.h"
#include "views/logic/adjust_logic.h"
#include "views/logic/preview_logic.h"
#include "views/match_palette_dialog.h"
#include "views/resize_dialog.h"
#include "support/test_support.h"

namespace {

int filter_runs = 0;
void counting_filter()
{
    ++filter_runs;
    host().negative();
}

class ImageDialogs : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        doc_reset();
        preview_filter_hook = nullptr;
        filter_runs = 0;
    }
    void TearDown() override
    {
        preview_filter_hook = nullptr;
        doc_reset();
        CoreTest::TearDown();
    }
    static void open(QDialog &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QCoreApplication::processEvents();
    }
    // The document: one frame of w x h RGBA pixels, clean.
    static uint32_t one_frame(int w, int h)
    {
        Group *group = anim_add_group(&doc_state().animation, "g");
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = static_cast<uint8_t>(i * 29);
        set_rgba_pixels(w, h, rgba);
        doc_state().current_group = 0;
        doc_state().current_frame = 0;
        doc_begin_edit(0);
        return group->frames[0].image;
    }
};

TEST_F(ImageDialogs, AdjustOpensOnTheValueWithTheKeyboardInTheText)
{
    adjust_open("Gamma Correction", 0, 2000, 1000, 1000);
    AdjustDialog dialog({});
    open(dialog);
    EXPECT_EQ("Gamma Correction", dialog.windowTitle());
    auto *slider = child<QSlider>(&dialog, "1049");
    EXPECT_EQ(0, slider->minimum());
    EXPECT_EQ(2000, slider->maximum());
    EXPECT_EQ(1000, slider->value()); // the middle
    EXPECT_EQ("1.00", child<QLineEdit>(&dialog, "1052")->text());
    EXPECT_EQ(child<QLineEdit>(&dialog, "1052"), QApplication::focusWidget());
    EXPECT_TRUE(child<QPushButton>(&dialog, "1")->isDefault());
    // No filter to preview: Preview is grey.
    EXPECT_FALSE(child<QPushButton>(&dialog, "3")->isEnabled());
}

TEST_F(ImageDialogs, AdjustTypedValueMovesTheSliderAndPreviewsAndEnterAccepts)
{
    preview_filter_hook = counting_filter;
    adjust_open("Gamma Correction", 0, 2000, 1000, 1000);
    AdjustDialog dialog({});
    open(dialog);
    QWidget *text = QApplication::focusWidget();
    QTest::keyClicks(text, "3");
    child<QPushButton>(&dialog, "3")->click();
    EXPECT_EQ("2.00", child<QLineEdit>(&dialog, "1052")->text());
    EXPECT_EQ(2000, child<QSlider>(&dialog, "1049")->value());
    // A typed value moves the slider and previews without Preview.
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QCoreApplication::processEvents(); // the refresh the Preview click asked for
    const int refreshes = dialog.refresh_count();
    QTest::keyClicks(text, "0.25");
    EXPECT_EQ(250, child<QSlider>(&dialog, "1049")->value());
    EXPECT_EQ("0.25", child<QLineEdit>(&dialog, "1052")->text());
    QCoreApplication::processEvents();
    EXPECT_GT(dialog.refresh_count(), refreshes);
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(250, adjust_state().value);
}

TEST_F(ImageDialogs, AdjustEscapeCancels)
{
    adjust_open("Rotate", 0, 3600, 10, 0);
    AdjustDialog dialog({});
    open(dialog);
    QTest::keyClicks(QApplication::focusWidget(), "90");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ImageDialogs, AdjustTabWalksSliderTextButtons)
{
    adjust_open("Blur (Average)", 0, 5, 1, 0);
    preview_filter_hook = counting_filter;
    AdjustDialog dialog({});
    open(dialog);
    const char *order[] = {"1", "2", "3", "1049", "1052"};
    for (const char *id : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(child<QWidget>(&dialog, id), QApplication::focusWidget()) << id;
    }
    // Arrow keys on the slider move the value and its text.
    QTest::keyClick(&dialog, Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ("1", child<QLineEdit>(&dialog, "1052")->text());
}

TEST_F(ImageDialogs, ASliderDragOfManyStepsCostsOneRefresh)
{
    one_frame(1024, 1024);
    preview_filter_hook = counting_filter;
    adjust_open("Noisify", 0, 1000, 1000, 0);
    AdjustDialog dialog({});
    open(dialog);
    auto *slider = child<QSlider>(&dialog, "1049");
    // A drag delivers its moves faster than a refresh of this size runs.
    for (int v = 1; v <= 200; ++v)
        slider->setValue(v);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(1, dialog.refresh_count());
    EXPECT_EQ("0.20", child<QLineEdit>(&dialog, "1052")->text());
    EXPECT_EQ(200, adjust_state().value);
}

TEST_F(ImageDialogs, AdjustOkAppliesOnceAndCancelLeavesTheFrame)
{
    const uint32_t image = one_frame(4, 4);
    const std::vector<uint8_t> before = rgba_of(image);

    preview_filter_hook = counting_filter;
    when_modal([](QWidget *modal) {
        QTest::keyClicks(QApplication::focusWidget(), "3");
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(2, show_adjust_dialog("Pixelize", 1, 100, 1, 2, nullptr, {}));
    EXPECT_EQ(before, rgba_of(image));
    EXPECT_FALSE(doc_state().undo_available);
    EXPECT_EQ(nullptr, preview_filter_hook);

    // OK on the value it opened with: nothing to apply, no undo step.
    preview_filter_hook = counting_filter;
    filter_runs = 0;
    when_modal([](QWidget *) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
    EXPECT_EQ(2, show_adjust_dialog("Pixelize", 1, 100, 1, 2, nullptr, {}));
    EXPECT_EQ(before, rgba_of(image));
    EXPECT_FALSE(doc_state().undo_available);
    EXPECT_FALSE(doc_state().modified);
    EXPECT_EQ(nullptr, preview_filter_hook);

    preview_filter_hook = counting_filter;
    when_modal([](QWidget *) {
        QTest::keyClicks(QApplication::focusWidget(), "3");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    filter_runs = 0;
    EXPECT_EQ(3, show_adjust_dialog("Pixelize", 1, 100, 1, 2, nullptr, {}));
    EXPECT_EQ(1, filter_runs);
    EXPECT_NE(before, rgba_of(image));
    EXPECT_TRUE(doc_state().undo_available);
    EXPECT_EQ(nullptr, preview_filter_hook);
    doc_undo();
    EXPECT_EQ(before, rgba_of(doc_state().animation.groups[0].frames[0].image));
}

TEST_F(ImageDialogs, ResizeFieldsAreReadWhenTheyLoseTheFocus)
{
    ResizeDialog dialog(64, 32, false, false);
    open(dialog);
    EXPECT_EQ("Resize", dialog.windowTitle());
    auto *pixel_width = child<QLineEdit>(&dialog, "1067");
    EXPECT_EQ(pixel_width, QApplication::focusWidget());
    EXPECT_EQ("64", pixel_width->text());
    EXPECT_EQ("32", child<QLineEdit>(&dialog, "1062")->text());
    EXPECT_EQ("100", child<QLineEdit>(&dialog, "1070")->text());
    EXPECT_FALSE(child<QLineEdit>(&dialog, "1070")->isEnabled());
    EXPECT_EQ(8, child<QComboBox>(&dialog, "1059")->count());
    EXPECT_EQ("Pixel Resize", child<QComboBox>(&dialog, "1059")->currentText());

    child<QRadioButton>(&dialog, "1069")->click();
    EXPECT_TRUE(child<QLineEdit>(&dialog, "1070")->isEnabled());
    EXPECT_FALSE(pixel_width->isEnabled());
    child<QCheckBox>(&dialog, "1064")->click();
    auto *percent_width = child<QLineEdit>(&dialog, "1070");
    percent_width->setFocus();
    QTest::keyClick(percent_width, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(percent_width, "50");
    // Typing alone changes nothing.
    EXPECT_EQ("64", pixel_width->text());
    QTest::keyClick(percent_width, Qt::Key_Tab);
    EXPECT_EQ("32", pixel_width->text());
    EXPECT_EQ("16", child<QLineEdit>(&dialog, "1062")->text());
    EXPECT_EQ("50", child<QLineEdit>(&dialog, "1068")->text());
    const ResizeChoice choice = dialog.choice();
    EXPECT_TRUE(choice.percent_mode);
    EXPECT_EQ(32, choice.pixel_width);
    EXPECT_EQ(0, choice.filter);
}

TEST_F(ImageDialogs, ResizeEnterTakesTheFieldBeingTypedAndIndexedFramesGetThreeFilters)
{
    ResizeDialog dialog(100, 100, true, true);
    open(dialog);
    EXPECT_EQ(3, child<QComboBox>(&dialog, "1059")->count());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "1071")->isChecked());
    QWidget *field = QApplication::focusWidget();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, "33x");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    const ResizeChoice choice = dialog.choice();
    EXPECT_EQ(33, choice.pixel_width);
    EXPECT_EQ(33, choice.percent_width);
    EXPECT_EQ(100, choice.pixel_height);
    EXPECT_TRUE(choice.whole_group);
}

TEST_F(ImageDialogs, ResizeKeepsTheWholeGroupFlagEvenWhenCancelled)
{
    ResizeChoice choice;
    choice.whole_group = false;
    when_modal([](QWidget *modal) {
        child<QCheckBox>(modal, "1071")->click();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_FALSE(show_resize_dialog(10, 10, false, choice, nullptr));
    EXPECT_TRUE(choice.whole_group);
}

TEST_F(ImageDialogs, MatchToPaletteShowsTheFrameMatchedAndItsFullbrightCountBeforeOk)
{
    // The colours of eight fullbright entries: all fullbright when allowed.
    const uint32_t frame = one_frame(4, 2);
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 8; ++i)
        rgba.insert(rgba.end(), {default_palette[(230 + i) * 4], default_palette[(230 + i) * 4 + 1],
                                 default_palette[(230 + i) * 4 + 2], 255});
    host().bind_image(frame);
    set_rgba_pixels(4, 2, rgba);
    MatchPaletteDialog dialog(frame, MatchPaletteChoice{});
    open(dialog);
    auto *count = child<QLabel>(&dialog, "fullbright_count");
    EXPECT_EQ("8 fullbright pixels", count->text());
    EXPECT_FALSE(child<QLabel>(&dialog, "preview")->pixmap().isNull());
    child<QCheckBox>(&dialog, "allow_fullbrights")->click();
    EXPECT_EQ("0 fullbright pixels", count->text());
    EXPECT_FALSE(dialog.choice().fullbrights);
    // Only a preview: the frame is as it was.
    EXPECT_EQ(rgba_of(frame), rgba);
}

} // namespace
