// The group browser panel beside the preview, on a real texture archive:
// lazy thumbnails, the filter, selection kept in step with the group
// selector both ways, Ctrl+Page Up/Down from the panel; and dialogs opening
// centred on the main window, also when opened from another dialog.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>

#include "dialog_helpers.h"

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/command_ids.h"
#include "app/logic/settings.h"
#include "document/document_state.h"
#include "editor_fixture.h"
#include "views/adjust_dialog.h"
#include "views/frame_strip_widget.h"
#include "views/group_browser_widget.h"
#include "views/logic/preview_logic.h"
#include "views/preview_widget.h"

namespace {

// 51 textures; the ones named here are at these indexes. The first four,
// +0gr_but1 to +3gr_but1, are an animated sequence listed as one row, so the
// list starts with ROWS rows.
std::string greek() { return data_path("wad/librequake_lq_greek_2020_dirfirst.wad"); }
constexpr int CSL_FLR4_5 = 13, CSL_FLR4_8 = 14, EVILBRICK22 = 15, LAST = 50, ROWS = 48;

QImage argb(const QPixmap &p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }

QImage empty_box()
{
    QImage box(64, 64, QImage::Format_ARGB32);
    box.fill(Qt::transparent);
    return box;
}

class GroupBrowserTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        open_window_on(greek());
    }
    GroupBrowserWidget *browser() { return window->group_browser(); }
    // The group of the highlighted row; -1 for none.
    int highlighted()
    {
        const QModelIndexList rows = browser()->list()->selectionModel()->selectedRows();
        return rows.size() == 1 ? browser()->model()->rows()[static_cast<size_t>(rows[0].row())] : -1;
    }
    int selector() { return window->group_selector()->currentIndex(); }
};

TEST_F(GroupBrowserTest, ShowsBesideThePreviewAndMakesThumbnailsOnlyForPaintedRows)
{
    ASSERT_EQ(51, doc_state().animation.group_count);
    EXPECT_FALSE(browser()->isVisible());
    window->command(IDM_GROUP_BROWSER);
    pump();
    EXPECT_EQ(1, settings().group_browser);
    EXPECT_TRUE(window->menu_action(IDM_GROUP_BROWSER)->isChecked());
    ASSERT_TRUE(browser()->isVisible());
    EXPECT_EQ(browser()->geometry().right() + 1, window->preview()->x());
    // The panel spans the preview and the frame strip under it (each
    // texture's mip levels are frames).
    const QWidget *lowest = window->frame_strip()->isVisible() ? static_cast<QWidget *>(window->frame_strip())
                                                                : window->preview();
    EXPECT_EQ(browser()->geometry().bottom(), lowest->geometry().bottom());
    EXPECT_EQ(QStringLiteral("Filter"), browser()->filter()->placeholderText());
    EXPECT_EQ(ROWS, browser()->model()->rowCount());
    EXPECT_EQ(0, highlighted());

    browser()->list()->viewport()->grab(); // paints the visible rows
    const int made = browser()->model()->thumbnails_made();
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 10);
    const QModelIndex first = browser()->model()->index(0);
    const QPixmap thumb = first.data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(QSize(64, 64), thumb.size());
    EXPECT_NE(empty_box(), argb(thumb));
    EXPECT_EQ(made, browser()->model()->thumbnails_made()); // cached

    // While a file operation holds the image library no thumbnail is made:
    // rows show an empty box and ask again once the operation is over.
    window->start_load(greek());
    ASSERT_TRUE(file_worker_busy());
    browser()->document_changed();
    const QPixmap busy = first.data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(made, browser()->model()->thumbnails_made());
    EXPECT_TRUE(browser()->model()->thumbnails_pending());
    EXPECT_EQ(empty_box(), argb(busy));
    // A row chosen meanwhile is refused like a choice in the selector.
    browser()->list()->setCurrentIndex(browser()->model()->index(3));
    EXPECT_EQ(0, selector());
    EXPECT_EQ(0, doc_state().current_group);
    EXPECT_EQ(0, browser()->current_group());
    wait_for_file_operation();
    EXPECT_EQ(0, highlighted());
    EXPECT_EQ(argb(thumb), argb(first.data(Qt::DecorationRole).value<QPixmap>()));

    // A zoom step makes no thumbnail anew; an edit of the picture does.
    const int remade = browser()->model()->thumbnails_made();
    window->command(IDM_ZOOM_IN);
    browser()->list()->viewport()->grab();
    EXPECT_EQ(remade, browser()->model()->thumbnails_made());
    window->command(IDM_FILTER_NEGATIVE);
    EXPECT_NE(argb(thumb), argb(first.data(Qt::DecorationRole).value<QPixmap>()));
    EXPECT_EQ(remade + 1, browser()->model()->thumbnails_made());
}

TEST_F(GroupBrowserTest, FilterAndSelectorStayInStepBothWays)
{
    window->command(IDM_GROUP_BROWSER);
    pump();
    QLineEdit *filter = browser()->filter();
    filter->setFocus();
    QTest::keyClicks(filter, "CSL_flr");
    EXPECT_EQ((std::vector<int>{CSL_FLR4_5, CSL_FLR4_8}), browser()->model()->rows());
    // Group 0 is filtered out: nothing is highlighted and nothing changes.
    EXPECT_EQ(-1, highlighted());
    EXPECT_EQ(0, selector());

    // Down moves into the list, onto its first row: a choice.
    QTest::keyClick(filter, Qt::Key_Down);
    EXPECT_EQ(browser()->list(), QApplication::focusWidget());
    EXPECT_EQ(CSL_FLR4_5, selector());
    EXPECT_EQ(CSL_FLR4_5, doc_state().current_group);
    QTest::keyClick(browser()->list(), Qt::Key_Down);
    EXPECT_EQ(CSL_FLR4_8, selector());
    EXPECT_EQ(CSL_FLR4_8, doc_state().current_group);

    // The selector leads, the list follows.
    window->group_selector()->setCurrentIndex(CSL_FLR4_5);
    pump();
    EXPECT_EQ(CSL_FLR4_5, highlighted());
    window->group_selector()->setCurrentIndex(EVILBRICK22); // filtered out
    pump();
    EXPECT_EQ(-1, highlighted());

    // Escape clears the filter and shows the current group's row.
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_EQ(ROWS, browser()->model()->rowCount());
    EXPECT_EQ(EVILBRICK22, highlighted());

    // Ctrl+Page Down/Up step through the groups from the list and from the
    // filter, and stop at the ends.
    QTest::keyClick(browser()->list(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(EVILBRICK22 + 1, selector());
    pump();
    EXPECT_EQ(EVILBRICK22 + 1, highlighted());
    QTest::keyClick(filter, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(filter, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(EVILBRICK22 - 1, selector());
    window->group_selector()->setCurrentIndex(LAST);
    QTest::keyClick(browser()->list(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(LAST, selector());
    window->group_selector()->setCurrentIndex(0);
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(0, selector());
    pump();
    EXPECT_EQ(0, highlighted());

    // Deleting a group refills the list; the highlight follows.
    window->group_selector()->setCurrentIndex(CSL_FLR4_8);
    ui.queue_answer(true);
    window->command(IDM_GROUP_DELETE);
    pump();
    EXPECT_EQ(ROWS - 1, browser()->model()->rowCount());
    EXPECT_EQ(selector(), highlighted());
}

// A texture sequence: one row that unfolds to its members and, chosen,
// steps the current group through them at the engine's rate until Stop.
TEST_F(GroupBrowserTest, SequenceRowUnfoldsAndPlaysItsTexturesUntilStop)
{
    window->command(IDM_GROUP_BROWSER);
    pump();
    QListView *list = browser()->list();
    const QModelIndex first = browser()->model()->index(0);
    EXPECT_EQ(QStringLiteral("\u25B8 +0gr_but1  \u25B6 4 frames"), first.data(Qt::DisplayRole).toString());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Right);
    ASSERT_EQ(ROWS + 4, browser()->model()->rowCount());
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2, 3, 4}),
              std::vector<int>(browser()->model()->rows().begin(), browser()->model()->rows().begin() + 6));

    // Choosing a member is choosing a texture; choosing the sequence's row
    // plays it.
    list->setCurrentIndex(browser()->model()->index(3));
    EXPECT_EQ(2, selector());
    EXPECT_FALSE(window->playback_timer().isActive());
    list->setCurrentIndex(browser()->model()->index(0));
    EXPECT_EQ(0, selector());
    ASSERT_TRUE(window->playback_timer().isActive());
    EXPECT_EQ(200, window->playback_timer().interval());
    std::vector<int> shown;
    for (int step = 0; step < 5; ++step) {
        window->playback_step();
        shown.push_back(doc_state().current_group);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 0, 1}), shown);
    EXPECT_EQ(1, selector());
    window->command(IDM_STOP);
    EXPECT_FALSE(window->playback_timer().isActive());

    // Left folds it again; the row of the current member is the sequence's.
    QTest::keyClick(list, Qt::Key_Left);
    EXPECT_EQ(ROWS, browser()->model()->rowCount());
    EXPECT_EQ(1, doc_state().current_group);
    EXPECT_EQ(0, list->currentIndex().row());
    // A click on that row plays the sequence again from its first texture.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(browser()->model()->index(0)).center());
    EXPECT_EQ(0, doc_state().current_group);
    EXPECT_TRUE(window->playback_timer().isActive());
}

// The keyboard belongs to the preview unless the user types a filter: a
// dialog closing gives it back to the preview, and so does Escape, which
// empties the filter. The Adjust dialog opens beside the preview it drives.
TEST_F(GroupBrowserTest, DialogsAndEscapeGiveTheKeyboardBackToThePreview)
{
    window->command(IDM_GROUP_BROWSER);
    window->move(0, 0);
    pump();
    QLineEdit *filter = browser()->filter();
    filter->setFocus();
    QTest::keyClicks(filter, "CSL");
    ASSERT_EQ(filter, QApplication::focusWidget());

    preview_filter_hook = [] {}; // a live preview, so the dialog stands aside
    QRect dialog_frame;
    when_modal([&](QWidget *modal) {
        dialog_frame = modal->frameGeometry();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    show_adjust_dialog("Blur (Gaussian)", 0, 5, 1, 0, window.get(), [] { doc_view().preview_refresh(); });
    pump();
    EXPECT_EQ(window->preview(), QApplication::focusWidget());
    const QRect preview(window->preview()->mapToGlobal(QPoint(0, 0)), window->preview()->size());
    ASSERT_FALSE(dialog_frame.isEmpty());
    EXPECT_FALSE(dialog_frame.intersects(preview));

    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_EQ(window->preview(), QApplication::focusWidget());
}

TEST_F(GroupBrowserTest, OpeningAnotherFileOrANewOneEmptiesTheFilter)
{
    window->command(IDM_GROUP_BROWSER);
    pump();
    QTest::keyClicks(browser()->filter(), "CSL_flr");
    ASSERT_EQ(2, browser()->model()->rowCount());
    window->start_load(data_path("wad/librequake_lq_utility.wad"));
    wait_for_file_operation();
    pump();
    EXPECT_TRUE(browser()->filter()->text().isEmpty());
    ASSERT_GT(doc_state().animation.group_count, 0);
    EXPECT_EQ(doc_state().animation.group_count, browser()->model()->rowCount());

    QTest::keyClicks(browser()->filter(), "zz");
    window->command(IDM_NEW);
    EXPECT_TRUE(browser()->filter()->text().isEmpty());
}

TEST_F(GroupBrowserTest, DialogOpenedFromADialogIsCentredOnTheMainWindow)
{
    window->move(120, 100);
    pump();
    const QPoint centre = window->frameGeometry().center();
    QDialog outer(window.get());
    outer.resize(300, 200);
    outer.show();
    pump();
    EXPECT_LE((outer.frameGeometry().center() - centre).manhattanLength(), 1);
    // Away from the main window, the dialog's own children still open in
    // the middle of the main window, not of their parent.
    outer.move(0, 0);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vorn"),
                    QStringLiteral("A message long enough to make the box settle its size as it is shown."),
                    QMessageBox::Ok, &outer);
    box.show();
    pump();
    EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 1)
        << box.frameGeometry().x() << "," << box.frameGeometry().y();
    box.close();
    outer.close();
}

} // namespace
