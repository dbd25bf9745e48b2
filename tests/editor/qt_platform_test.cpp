// The Qt back-end of the platform layer: dialog filters, message boxes and
// questions (also from a worker), status text and progress, pictures and
// the clipboard.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include "document/document_state.h"
#include "formats/format_table.h"
#include "views/qt_image.h"
#include "app/qt_platform.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

TEST(QtNameFilters, WinFilterBecomesQtFilters)
{
    std::string filter("Supported");
    filter += '\0';
    filter += "*.spr;*.wad;";
    filter += '\0';
    filter += "Quake Sprite (*.spr)";
    filter += '\0';
    filter += "*.spr";
    filter += '\0';
    filter += "All Files(*.*)";
    filter += '\0';
    filter += "*.*";
    filter += '\0';
    filter += '\0';
    EXPECT_EQ(QStringList({"Supported (*.spr *.wad)", "Quake Sprite (*.spr)", "All Files (*)"}),
              qt_name_filters(filter));
}

TEST(QtNameFilters, RowPatternWinsOverTheDescriptionsOwn)
{
    // The description names .dcx but the row matches .cut.
    std::string filter("Multipage PCX Bitmap (*.dcx)");
    filter += '\0';
    filter += "*.cut";
    filter += '\0';
    filter += '\0';
    EXPECT_EQ(QStringList({"Multipage PCX Bitmap (*.cut)"}), qt_name_filters(filter));
}

TEST(QtNameFilters, TruncatedListStopsCleanly)
{
    std::string filter("Lonely description");
    filter += '\0';
    EXPECT_TRUE(qt_name_filters(filter).isEmpty());
    EXPECT_TRUE(qt_name_filters(std::string()).isEmpty());
}

class QtPlatformTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        qt = std::make_unique<QtPlatform>();
        qt->attach(nullptr, &status, &progress);
        progress.setRange(0, 100);
    }
    void TearDown() override
    {
        qt.reset();
        CoreTest::TearDown();
    }
    // Answers the next modal box with `button`, recording what it showed.
    void answer_next_box(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, [this, button] { answer(button); });
    }
    void answer(QMessageBox::StandardButton button)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(5, [this, button] { answer(button); });
            return;
        }
        caption = box->windowTitle().toStdString();
        text = box->text().toStdString();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(button)->click();
    }

    std::unique_ptr<QtPlatform> qt;
    QLabel status;
    QProgressBar progress;
    std::string caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

TEST_F(QtPlatformTest, OpenDialogOffersTheConvertedFiltersAndReturnsTheChoice)
{
    const std::string filter = build_file_filter(FILE_OP_LOAD_IMAGE);
    const std::string chosen = data_path("spr/librequake_s_bubble.spr");
    QStringList offered;
    QString selected;
    std::function<void()> answer_dialog = [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(5, answer_dialog);
            return;
        }
        offered = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        dialog->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept, through the public slot
    };
    QTimer::singleShot(0, answer_dialog);
    EXPECT_EQ(chosen, qt->open_file_dialog(filter, "Open"));
    EXPECT_EQ(qt_name_filters(filter), offered);
    EXPECT_TRUE(selected.startsWith("Supported ("));
    EXPECT_TRUE(offered.contains("Quake Sprite (*.spr)"));
    EXPECT_EQ("All Files (*)", offered.back().toStdString());
}

TEST_F(QtPlatformTest, CancelledSaveDialogGivesAnEmptyName)
{
    std::function<void()> cancel = [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(5, cancel);
            return;
        }
        dialog->reject();
    };
    QTimer::singleShot(0, cancel);
    EXPECT_EQ("", qt->save_file_dialog(build_file_filter(FILE_OP_SAVE_IMAGE), "Save As"));
}

TEST_F(QtPlatformTest, WarningBoxIsCaptionedVornWithTheWarningIcon)
{
    answer_next_box(QMessageBox::Ok);
    qt->show_message("File Operation in progress.", MessageIcon::Warning);
    EXPECT_EQ("Vorn", caption);
    EXPECT_EQ("File Operation in progress.", text);
    EXPECT_EQ(QMessageBox::Warning, icon);
    EXPECT_EQ(QMessageBox::StandardButtons(QMessageBox::Ok), buttons);
}

TEST_F(QtPlatformTest, QuestionHasYesAndNoAndTheQuestionIcon)
{
    answer_next_box(QMessageBox::No);
    EXPECT_FALSE(qt->ask_yes_no("Remove this frame?"));
    EXPECT_EQ(QMessageBox::Question, icon);
    EXPECT_EQ(QMessageBox::Yes | QMessageBox::No, buttons);
    EXPECT_EQ("Vorn", caption);
    answer_next_box(QMessageBox::Yes);
    EXPECT_TRUE(qt->ask_yes_no("Remove this frame?"));
}

TEST_F(QtPlatformTest, UnsavedChangesQuestionOffersSaveAndEnterAnswersNo)
{
    QMessageBox::StandardButtons offered;
    std::string asked;
    std::function<void()> press_enter = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(5, press_enter);
            return;
        }
        offered = box->standardButtons();
        asked = box->text().toStdString();
        QTest::keyClick(box, Qt::Key_Return);
    };
    QTimer::singleShot(0, press_enter);
    EXPECT_EQ(QuestionAnswer::No, qt->ask_yes_no_save(DOC_MODIFIED_QUESTION));
    EXPECT_EQ(QMessageBox::Yes | QMessageBox::No | QMessageBox::Save, offered);
    EXPECT_EQ(DOC_MODIFIED_QUESTION, asked);

    answer_next_box(QMessageBox::Save);
    EXPECT_EQ(QuestionAnswer::Save, qt->ask_yes_no_save(DOC_MODIFIED_QUESTION));
    answer_next_box(QMessageBox::Yes);
    EXPECT_EQ(QuestionAnswer::Yes, qt->ask_yes_no_save(DOC_MODIFIED_QUESTION));
}

TEST_F(QtPlatformTest, ChoiceQuestionOffersItsOwnButtonsAndEnterTakesTheFirst)
{
    QStringList offered;
    std::string asked;
    int press = -1; // the button to click; -1 presses Enter
    std::function<void()> answer_choice = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(5, answer_choice);
            return;
        }
        offered.clear();
        for (QAbstractButton *b : box->buttons())
            offered << b->text();
        asked = box->text().toStdString();
        if (press < 0)
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->buttons().at(press)->click();
    };
    QTimer::singleShot(0, answer_choice);
    EXPECT_EQ(0, qt->ask_choice("Twelve glow.", "Keep them?", {"Keep Them", "Match Without Fullbrights"}));
    EXPECT_EQ(QStringList({"Keep Them", "Match Without Fullbrights"}), offered);
    EXPECT_EQ("Twelve glow.\n\nKeep them?", asked);
    press = static_cast<int>(offered.indexOf("Match Without Fullbrights"));
    QTimer::singleShot(0, answer_choice);
    EXPECT_EQ(1, qt->ask_choice("Twelve glow.", "Keep them?", {"Keep Them", "Match Without Fullbrights"}));
}

TEST_F(QtPlatformTest, WorkersQuestionIsAnsweredOnTheUserInterfaceThread)
{
    std::atomic<int> result{-1};
    std::atomic<bool> box_on_ui_thread{false};
    QTimer::singleShot(0, [&] {
        box_on_ui_thread = QThread::currentThread() == QApplication::instance()->thread();
        answer(QMessageBox::Yes);
    });
    std::thread worker([&] { result = qt->ask_yes_no("Continue?") ? 1 : 0; });
    while (result.load() < 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_EQ(1, result.load());
    EXPECT_TRUE(box_on_ui_thread.load());
    EXPECT_EQ("Continue?", text);
}

TEST_F(QtPlatformTest, RunOnUiThreadWaitsAndMarksTheWorkerAsServed)
{
    std::atomic<bool> done{false};
    bool ran_on_ui = false, served = false;
    EXPECT_FALSE(qt_serving_worker());
    std::thread worker([&] {
        qt->run_on_ui_thread([&] {
            ran_on_ui = QThread::currentThread() == QApplication::instance()->thread();
            served = qt_serving_worker();
        });
        done = true;
    });
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_TRUE(ran_on_ui);
    EXPECT_TRUE(served);
    EXPECT_FALSE(qt_serving_worker());
}

TEST_F(QtPlatformTest, StatusAndProgressFromAWorkerArriveOnTheUserInterfaceThread)
{
    std::thread worker([&] {
        qt->set_status_text("File Operation: 25%");
        qt->set_progress(25);
    });
    worker.join();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ("File Operation: 25%", status.text().toStdString());
    EXPECT_EQ(25, progress.value());
    EXPECT_FALSE(progress.isHidden());
    qt->set_progress(-1);
    qt->set_status_text("Ready.");
    EXPECT_EQ(0, progress.value());
    EXPECT_TRUE(progress.isHidden()) << "the bar is there only while work runs";
    EXPECT_EQ("Ready.", status.text().toStdString());
}

TEST_F(QtPlatformTest, PictureConversionKeepsRowsTopFirstAndAlpha)
{
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    // 2 x 2: red, green / blue, transparent white.
    set_rgba_pixels(2, 2, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 0});
    const QImage picture = qimage_from_image(image);
    ASSERT_EQ(QSize(2, 2), picture.size());
    EXPECT_EQ(qRgba(255, 0, 0, 255), picture.pixel(0, 0));
    EXPECT_EQ(qRgba(0, 255, 0, 255), picture.pixel(1, 0));
    EXPECT_EQ(qRgba(0, 0, 255, 255), picture.pixel(0, 1));
    EXPECT_EQ(0, qAlpha(picture.pixel(1, 1)));

    const uint32_t back = host().gen_image();
    ASSERT_TRUE(image_from_qimage(back, picture));
    EXPECT_EQ(rgba_of(image), rgba_of(back));
    host().delete_image(image);
    host().delete_image(back);
}

TEST_F(QtPlatformTest, PalettedImageConvertsThroughItsPalette)
{
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    std::vector<uint8_t> palette(256 * 4, 0);
    palette[4 * 1] = 10;
    palette[4 * 1 + 1] = 20;
    palette[4 * 1 + 2] = 30;
    palette[4 * 1 + 3] = 255;
    set_indexed_pixels(1, 2, {1, 0}, palette);
    const QImage picture = qimage_from_image(image);
    ASSERT_EQ(QSize(1, 2), picture.size());
    EXPECT_EQ(qRgb(10, 20, 30), picture.pixel(0, 0) | 0xFF000000u);
    host().bind_image(image);
    EXPECT_EQ(IMAGE_INDEXED, host().image_type()); // the frame keeps its layout
    host().delete_image(image);
}

TEST_F(QtPlatformTest, ClipboardRoundTripAndEmptyClipboard)
{
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_rgba_pixels(3, 1, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 128});
    ASSERT_TRUE(clipboard_put_image(image));
    const QImage on_clipboard = QGuiApplication::clipboard()->image();
    ASSERT_EQ(QSize(3, 1), on_clipboard.size());
    EXPECT_EQ(qRgb(4, 5, 6), on_clipboard.pixel(1, 0) | 0xFF000000u);

    const uint32_t pasted = host().gen_image();
    ASSERT_TRUE(clipboard_get_image(pasted));
    EXPECT_EQ(rgba_of(image), rgba_of(pasted));

    QGuiApplication::clipboard()->clear();
    const std::vector<uint8_t> before = rgba_of(pasted);
    EXPECT_FALSE(clipboard_get_image(pasted));
    EXPECT_EQ(before, rgba_of(pasted));
    host().delete_image(image);
    host().delete_image(pasted);
}

} // namespace
