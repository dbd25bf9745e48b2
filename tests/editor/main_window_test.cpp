// The main window: start-up state, settings, caption, menus, toolbar and
// keys, loading from the command line, stepping, playback, layout, dropped
// files and the busy rule.
#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include <fstream>
#include <set>

#include "app/command_table.h"
#include "app/document_controller.h"
#include "app/logic/command_ids.h"
#include "app/logic/recent_files.h"
#include "app/logic/settings.h"
#include "app/startup.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "editor_fixture.h"
#include "views/logic/frame_origin.h"
#include "views/logic/preview_logic.h"
#include "views/preview_widget.h"

namespace {

std::string explosion() { return data_path("spr/librequake_s_explod.spr"); }

class MainWindowTest : public EditorTest {
protected:
    // Loads `path` as the program does with a command-line file.
    void load(const std::string &path)
    {
        window->start_load(path);
        wait_for_file_operation();
    }
    DocumentState &doc() { return doc_state(); }
};

// --- Start-up and settings ---------------------------------------------------

TEST_F(MainWindowTest, StartsEmptyWithTheBareCaptionAndReady)
{
    open_window();
    EXPECT_EQ("Vorn", title());
    EXPECT_EQ("Ready.", status_text());
    EXPECT_EQ(0, window->group_selector()->count());
    EXPECT_EQ(0, window->frame_slider()->maximum());
    EXPECT_TRUE(window->preview()->picture().isNull());
    EXPECT_EQ(0, window->progress_bar()->value());
    EXPECT_EQ(100, window->progress_bar()->maximum());
    EXPECT_TRUE(window->progress_bar()->isHidden()) << "no work runs";
    // Nothing to save, step or undo in an empty document.
    EXPECT_FALSE(window->menu_action(IDM_SAVE)->isEnabled());
    EXPECT_FALSE(window->menu_action(IDM_NEXT)->isEnabled());
    EXPECT_FALSE(window->menu_action(IDM_UNDO)->isEnabled());
    for (int id : {IDM_FLIP, IDM_ROTATE, IDM_DEPTH_24BIT_RGB, IDM_COPY_ALPHA, IDM_IMAGE_INFORMATION})
        EXPECT_FALSE(window->menu_action(id)->isEnabled()) << id;
    EXPECT_TRUE(window->menu_action(IDM_OPEN)->isEnabled());
    EXPECT_TRUE(window->toolbar_action(IDM_OPEN)->isEnabled());
    EXPECT_FALSE(window->toolbar_action(IDM_BOUNDING_BOX_MODE)->isEnabled());
}

TEST_F(MainWindowTest, WithoutSettingsFileBothBarsAreShownAndChecked)
{
    load_settings_from(scratch_dir("editor_no_ini") + "/vorn.ini");
    open_window();
    EXPECT_TRUE(window->tool_bar()->isVisible());
    EXPECT_TRUE(window->status_bar()->isVisible());
    EXPECT_TRUE(window->menu_action(IDM_TOOL_BAR)->isChecked());
    EXPECT_TRUE(window->menu_action(IDM_STATUS_BAR)->isChecked());
    EXPECT_EQ(30, window->preview()->y());
}

TEST_F(MainWindowTest, HiddenToolbarFromSettingsIsAppliedAndTheToggleIsSaved)
{
    const std::string dir = scratch_dir("editor_ini");
    {
        std::ofstream ini(dir + "/vorn.ini");
        ini << "[VORN]\nToolbar=0\nStatusbar=1\n";
    }
    load_settings_from(dir + "/vorn.ini");
    open_window();
    EXPECT_FALSE(window->tool_bar()->isVisible());
    EXPECT_FALSE(window->menu_action(IDM_TOOL_BAR)->isChecked());
    EXPECT_EQ(0, window->preview()->y());

    window->command(IDM_STATUS_BAR);
    EXPECT_FALSE(window->status_bar()->isVisible());
    EXPECT_FALSE(window->menu_action(IDM_STATUS_BAR)->isChecked());
    save_settings_to(dir + "/vorn.ini");
    Settings saved;
    settings() = saved;
    load_settings_from(dir + "/vorn.ini");
    EXPECT_EQ(0, settings().toolbar);
    EXPECT_EQ(0, settings().statusbar);
}

TEST_F(MainWindowTest, CommandLineIsOnePathWithQuotesRemoved)
{
    char prog[] = "vorn", quoted[] = "\"/tmp/my sprite.spr\"", a[] = "/tmp/my", b[] = "sprite.spr";
    char *with_quotes[] = {prog, quoted, nullptr};
    char *split[] = {prog, a, b, nullptr};
    char *none[] = {prog, nullptr};
    EXPECT_EQ("/tmp/my sprite.spr", command_line_file(2, with_quotes));
    EXPECT_EQ("/tmp/my sprite.spr", command_line_file(3, split));
    EXPECT_EQ("", command_line_file(1, none));
}

// --- Caption ---------------------------------------------------------------------

TEST_F(MainWindowTest, CaptionOfAModifiedUnnamedDocumentAtHalfZoom)
{
    open_window();
    preview_zoom = 0.5f;
    doc_begin_edit(1);
    EXPECT_EQ("Vorn - * [50%]", title());
}

TEST_F(MainWindowTest, CaptionFollowsZoomWithoutMarkingModified)
{
    open_window();
    load(explosion());
    EXPECT_EQ("Vorn - " + explosion() + " [100%]", title());
    window->command(IDM_ZOOM_IN);
    EXPECT_EQ("Vorn - " + explosion() + " [200%]", title());
    window->command(IDM_ZOOM_OUT);
    window->command(IDM_ZOOM_OUT);
    EXPECT_EQ("Vorn - " + explosion() + " [50%]", title());
    window->command(IDM_ZOOM_100);
    EXPECT_EQ("Vorn - " + explosion() + " [100%]", title());
    EXPECT_FALSE(doc().modified);
}

// --- Menus, toolbar, keys ------------------------------------------------------------

TEST_F(MainWindowTest, MenuBarHasTheMenusInOrderWithMnemonics)
{
    open_window();
    QStringList titles;
    for (QAction *a : window->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(QStringList({"&File", "&Edit", "&View", "&Image", "&Tools", "&Groups", "&Animation", "&Help"}), titles);
    EXPECT_EQ("Edit &Palette...", window->menu_action(IDM_EDIT_PALETTE)->text());
    EXPECT_EQ("&Open...\tCtrl+O", window->menu_action(IDM_OPEN)->text());
    EXPECT_EQ("Zoom &In\tCtrl++", window->menu_action(IDM_ZOOM_IN)->text());
    EXPECT_EQ("Import && &Append Frame(s)", window->menu_action(IDM_IMPORT_APPEND)->text());
    EXPECT_EQ("File &Properties", window->menu_action(IDM_FILE_PROPERTIES)->text());
}

TEST_F(MainWindowTest, CommandsWithoutAHandlerHaveNoMenuItemAndAGreyButton)
{
    open_window();
    load(explosion());
    // The Image menu's commands follow has a frame.
    ASSERT_NE(nullptr, window->menu_action(IDM_IMAGE_INFORMATION));
    EXPECT_TRUE(window->menu_action(IDM_IMAGE_INFORMATION)->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_FLIP)->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_RESIZE)->isEnabled());
    EXPECT_EQ(nullptr, window->findChild<QAction *>(QString::number(IDM_ACCEL_CTRL_O)));
    EXPECT_TRUE(window->toolbar_action(IDM_FILE_PROPERTIES)->isEnabled());
    EXPECT_TRUE(window->toolbar_action(IDM_FRAME_PROPERTIES)->isEnabled());
    EXPECT_FALSE(window->toolbar_action(IDM_BOUNDING_BOX_MODE)->isEnabled());
    EXPECT_TRUE(window->toolbar_action(IDM_DELETE_FRAME)->isEnabled());
    EXPECT_TRUE(window->toolbar_action(IDM_ORIGIN_MODE)->isEnabled());
}

TEST_F(MainWindowTest, ToolbarHasItsTwentyThreeSlotsInOrderWithToolTipsThenThePaintTools)
{
    open_window();
    const QList<QAction *> actions = window->tool_bar()->actions();
    ASSERT_EQ(31, actions.size());
    const int expected[] = {IDM_OPEN, IDM_SAVE, IDM_FILE_PROPERTIES, 0, IDM_UNDO, 0, IDM_ZOOM_IN, IDM_ZOOM_OUT, 0,
                            IDM_ORIGIN_MODE, IDM_BOUNDING_BOX_MODE, IDM_VIEW_ALPHA, 0, IDM_FIRST, IDM_PREVIOUS,
                            IDM_PLAY, IDM_STOP, IDM_NEXT, IDM_END, 0, IDM_IMPORT_APPEND, IDM_DELETE_FRAME,
                            IDM_FRAME_PROPERTIES, 0, IDM_TOOL_PENCIL, IDM_TOOL_ERASER, IDM_TOOL_FILL,
                            IDM_TOOL_EYEDROPPER, IDM_TOOL_LINE, IDM_TOOL_RECTANGLE, IDM_TOOL_SELECT};
    const char *tips[] = {"Open File", "Save File", "File Properties", nullptr, "Undo", nullptr, "Zoom In",
                          "Zoom Out", nullptr, "Origin Mode", "Bounding Box Mode", "View Alpha Channel", nullptr,
                          "First", "Previous", "Play", "Stop", "Next Frame", "End", nullptr,
                          "Import & append Frames", "Delete Frame", "Frame Properties", nullptr, "Pencil", "Eraser",
                          "Fill (Shift: every pixel of that colour)", "Eyedropper (or Alt with any tool)", "Line",
                          "Rectangle (Shift: filled)", "Rectangle Selection"};
    for (int i = 0; i < 31; ++i) {
        if (expected[i] == 0) {
            EXPECT_TRUE(actions[i]->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(window->toolbar_action(expected[i]), actions[i]) << i;
        EXPECT_EQ(tips[i], actions[i]->toolTip().toStdString());
        EXPECT_FALSE(actions[i]->icon().isNull()) << i;
        EXPECT_EQ(expected[i] == IDM_ORIGIN_MODE || expected[i] == IDM_BOUNDING_BOX_MODE ||
                      expected[i] == IDM_VIEW_ALPHA || i > 23,
                  actions[i]->isCheckable())
            << i;
    }
}

TEST_F(MainWindowTest, KeysAreBoundToTheirCommandsAndCtrlOOpens)
{
    open_window();
    EXPECT_TRUE(window->menu_action(IDM_OPEN)->shortcuts().contains(QKeySequence("Ctrl+O")));
    EXPECT_TRUE(window->menu_action(IDM_NEW)->shortcuts().contains(QKeySequence("Ctrl+N")));
    EXPECT_TRUE(window->menu_action(IDM_NEXT)->shortcuts().contains(QKeySequence(Qt::Key_Right)));
    EXPECT_TRUE(window->menu_action(IDM_PREVIOUS)->shortcuts().contains(QKeySequence(Qt::Key_Left)));
    EXPECT_TRUE(window->menu_action(IDM_FIRST)->shortcuts().contains(QKeySequence(Qt::Key_Home)));
    EXPECT_TRUE(window->menu_action(IDM_END)->shortcuts().contains(QKeySequence(Qt::Key_End)));
    EXPECT_TRUE(window->menu_action(IDM_DELETE_FRAME)->shortcuts().contains(QKeySequence(Qt::Key_Delete)));
    EXPECT_TRUE(window->menu_action(IDM_ZOOM_IN)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Plus)));
    // No key is bound twice.
    std::set<QString> seen;
    for (QAction *a : window->actions())
        for (const QKeySequence &k : a->shortcuts())
            EXPECT_TRUE(seen.insert(k.toString()).second) << k.toString().toStdString();
}

TEST_F(MainWindowTest, OpenAsksForAFileAndLoadsItInTheBackground)
{
    open_window();
    ui.queue_file(explosion());
    window->menu_action(IDM_OPEN)->trigger();
    wait_for_file_operation();
    EXPECT_STREQ(explosion().c_str(), doc().file_name);
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
    ASSERT_EQ(1u, ui.dialog_filters().size());
}

// --- Loading, stepping, playback --------------------------------------------------

TEST_F(MainWindowTest, CommandLineSpriteFillsSelectorSliderPreviewAndStatus)
{
    open_window();
    load(explosion());
    ASSERT_EQ(1, doc().animation.group_count);
    EXPECT_EQ(1, window->group_selector()->count());
    EXPECT_EQ("[no group]", window->group_selector()->itemText(0).toStdString());
    EXPECT_EQ(0, window->group_selector()->currentIndex());
    EXPECT_EQ(5, window->frame_slider()->maximum());
    EXPECT_EQ(0, window->frame_slider()->value());
    EXPECT_EQ(QSize(64, 64), window->preview()->picture().size());
    EXPECT_EQ("Frame 1 of 6", status_text());
    EXPECT_TRUE(window->menu_action(IDM_NEXT)->isEnabled());
    EXPECT_TRUE(window->menu_action(IDM_SAVE)->isEnabled());
    EXPECT_FALSE(doc().modified);
}

TEST_F(MainWindowTest, GroupsOfAGroupedSpriteAreInTheSelector)
{
    open_window();
    load(data_path("spr/firedguns_animfx.spr"));
    ASSERT_EQ(2, window->group_selector()->count());
    EXPECT_EQ("Group 0", window->group_selector()->itemText(0).toStdString());
    EXPECT_EQ("Group 1", window->group_selector()->itemText(1).toStdString());
    EXPECT_EQ(2, window->frame_slider()->maximum());
    window->group_selector()->setCurrentIndex(1);
    EXPECT_EQ(1, doc().current_group);
    EXPECT_EQ(0, window->frame_slider()->maximum());
    EXPECT_EQ("Frame 1 of 1", status_text());
    EXPECT_FALSE(window->menu_action(IDM_NEXT)->isEnabled()); // one frame: no stepping
}

TEST_F(MainWindowTest, NextPreviousFirstEndStepWithoutWrapping)
{
    open_window();
    load(explosion());
    const QImage first = window->preview()->picture();
    window->command(IDM_PREVIOUS);
    EXPECT_EQ(0, doc().current_frame);
    window->menu_action(IDM_NEXT)->trigger();
    EXPECT_EQ(1, doc().current_frame);
    EXPECT_EQ(1, window->frame_slider()->value());
    EXPECT_EQ("Frame 2 of 6", status_text());
    EXPECT_NE(first, window->preview()->picture());
    window->command(IDM_END);
    EXPECT_EQ(5, doc().current_frame);
    window->command(IDM_NEXT);
    EXPECT_EQ(5, doc().current_frame);
    EXPECT_EQ("Frame 6 of 6", status_text());
    window->command(IDM_FIRST);
    EXPECT_EQ(0, doc().current_frame);
    EXPECT_EQ(first, window->preview()->picture());
}

TEST_F(MainWindowTest, SliderSelectsTheFrame)
{
    open_window();
    load(explosion());
    window->frame_slider()->setValue(3);
    EXPECT_EQ(3, doc().current_frame);
    EXPECT_EQ("Frame 4 of 6", status_text());
}

TEST_F(MainWindowTest, PlaybackStepsWithEachFramesDuration)
{
    open_window();
    load(data_path("spr/firedguns_animfx.spr")); // group 0: three frames of 0.03 s
    window->command(IDM_PLAY);
    ASSERT_TRUE(window->playback_timer().isActive());
    EXPECT_EQ(30, window->playback_timer().interval());
    props_set_float(&doc().animation.groups[0].frames[1].props, "Duration", 0.5f);
    props_remove(&doc().animation.groups[0].frames[2].props,
                 props_find(&doc().animation.groups[0].frames[2].props, "Duration") - 1);
    window->playback_step();
    EXPECT_EQ(1, doc().current_frame);
    EXPECT_EQ(500, window->playback_timer().interval());
    EXPECT_EQ(1, window->frame_slider()->value());
    EXPECT_EQ("Frame 2 of 3", status_text());
    window->playback_step();
    EXPECT_EQ(2, doc().current_frame);
    EXPECT_EQ(100, window->playback_timer().interval()); // no Duration
    window->playback_step();
    EXPECT_EQ(0, doc().current_frame); // wrapped
    EXPECT_TRUE(window->playback_timer().isActive());
    window->command(IDM_STOP);
    EXPECT_FALSE(window->playback_timer().isActive());
}

TEST_F(MainWindowTest, PlayOnASingleFrameGroupDoesNothing)
{
    open_window();
    load(data_path("spr/firedguns_animfx.spr"));
    window->group_selector()->setCurrentIndex(1);
    window->command(IDM_PLAY);
    EXPECT_FALSE(window->playback_timer().isActive());
}

TEST_F(MainWindowTest, NewAsksAboutUnsavedChangesAndEmptiesTheWindow)
{
    open_window();
    load(explosion());
    window->command(IDM_NEXT);
    ASSERT_TRUE(frame_set_origin(1, 1));
    ui.queue_answer(false);
    window->command(IDM_NEW);
    EXPECT_EQ(1, doc().animation.group_count);
    ui.queue_answer(true);
    window->command(IDM_NEW);
    EXPECT_EQ(0, doc().animation.group_count);
    EXPECT_EQ(0, window->group_selector()->count());
    EXPECT_EQ("Ready.", status_text());
    EXPECT_EQ("Vorn -  [100%]", title());
    EXPECT_EQ(2u, ui.questions().size());
}

TEST_F(MainWindowTest, FirstStartOpensAtTwoThirdsOfTheScreenCentred)
{
    struct Case {
        QRect screen;
        QRect window;
    };
    const Case cases[] = {
        {QRect(0, 0, 1920, 1080), QRect(320, 180, 1280, 720)},
        {QRect(0, 0, 800, 600), QRect(80, 80, 640, 440)},          // never below the smallest layout
        {QRect(100, 20, 600, 400), QRect(100, 20, 600, 400)},      // nor beyond a tiny screen
        {QRect(1920, 0, 2560, 1440), QRect(2347, 240, 1706, 960)}, // a second screen
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.window, initial_window_geometry(c.screen)) << c.screen.width() << "x" << c.screen.height();
}

TEST_F(MainWindowTest, ZoomToFitOnOpenFitsTheOpenedFrameAndCanBeTurnedOff)
{
    settings().zoom_fit_on_open = 1;
    open_window();
    EXPECT_TRUE(window->menu_action(IDM_ZOOM_FIT_ON_OPEN)->isChecked());
    load(explosion()); // 64 x 64
    EXPECT_GT(preview_zoom, 1.0f);
    EXPECT_EQ(window->preview()->fit_zoom(), preview_zoom);
    EXPECT_EQ("Vorn - " + explosion() + " [" + std::to_string(static_cast<int>(preview_zoom * 100)) + "%]", title());

    window->menu_action(IDM_ZOOM_FIT_ON_OPEN)->trigger();
    EXPECT_EQ(0, settings().zoom_fit_on_open);
    EXPECT_FALSE(window->menu_action(IDM_ZOOM_FIT_ON_OPEN)->isChecked());
    load(data_path("spr/librequake_s_bubble.spr"));
    EXPECT_EQ(1.0f, preview_zoom);
}

TEST_F(MainWindowTest, RefusedOpenKeepsTheDocumentAndItsCaption)
{
    const std::string refused = scratch_dir("refused_open") + "/broken.spr";
    write_bytes(refused, {'I', 'D', 'S', 'P', 2, 0, 0, 0, 9});
    open_window();
    load(explosion());
    window->command(IDM_NEXT);
    ASSERT_TRUE(frame_set_origin(1, 1));
    window->command(IDM_ZOOM_IN);
    const std::string caption = title();
    ui.queue_answer(true); // drop the changes for the file that will be refused
    load(refused);
    ASSERT_FALSE(message_texts().empty());
    EXPECT_NE(std::string::npos, message_texts().back().find("broken.spr")) << message_texts().back();
    EXPECT_EQ(caption, title());
    EXPECT_STREQ(explosion().c_str(), doc().file_name);
    ASSERT_EQ(1, doc().animation.group_count);
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
    EXPECT_EQ(1, doc().current_frame);
    EXPECT_EQ(1, doc().modified);
    EXPECT_TRUE(window->menu_action(IDM_UNDO)->isEnabled());
    EXPECT_EQ(QSize(64, 64), window->preview()->picture().size());
}

TEST_F(MainWindowTest, SaveFromTheUnsavedQuestionSavesThenCloses)
{
    const std::string copy = scratch_dir("save_from_question") + "/explod.spr";
    write_bytes(copy, read_bytes(explosion()));
    open_window();
    load(copy);
    ASSERT_TRUE(frame_set_origin(1, 1));
    ui.queue_save_answer();
    window->command(IDM_NEW);
    EXPECT_NE(read_bytes(explosion()), read_bytes(copy)) << "the changed origin was written";
    EXPECT_EQ(0, doc().animation.group_count);
    EXPECT_EQ(0, doc().modified);
    EXPECT_EQ((std::vector<std::string>{DOC_MODIFIED_QUESTION}), ui.questions());
}

// --- Layout ------------------------------------------------------------------------

TEST_F(MainWindowTest, HidingTheBarsMovesThePreviewAndTheRow)
{
    open_window();
    const QRect preview = window->preview()->geometry();
    const int row = window->frame_slider()->y();
    window->command(IDM_STATUS_BAR);
    EXPECT_EQ(row + 20, window->frame_slider()->y());
    EXPECT_EQ(row + 20, window->group_selector()->y());
    window->command(IDM_TOOL_BAR);
    EXPECT_EQ(0, window->preview()->y());
    EXPECT_EQ(preview.height() + 20 + 30, window->preview()->height());
    EXPECT_FALSE(window->menu_action(IDM_TOOL_BAR)->isChecked());
    EXPECT_EQ(0, settings().toolbar);
    EXPECT_EQ(window->client()->width() - 198, window->group_selector()->x());
}

// --- Dropped files -------------------------------------------------------------------

TEST_F(MainWindowTest, OneDroppedFileReplacesTheDocument)
{
    open_window();
    load(data_path("spr/librequake_s_bubble.spr"));
    doc_begin_edit(1);
    ui.queue_answer(true); // drop the unsaved changes
    window->drop_files({explosion()});
    wait_for_file_operation();
    EXPECT_STREQ(explosion().c_str(), doc().file_name);
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
    EXPECT_EQ(1u, ui.questions().size());
}

TEST_F(MainWindowTest, RecentFilesMenuShowsTheListAndFollowsItsChanges)
{
    settings().recent_files = {"/art/R&D/a.spr", "/art/b.wad"};
    open_window();
    QMenu *recent = window->menuBar()->findChild<QMenu *>(QStringLiteral("Recent Files"));
    ASSERT_NE(nullptr, recent);
    const auto shown = [this] {
        std::vector<std::string> texts;
        for (int i = 0; i < RECENT_FILE_COUNT; ++i)
            if (QAction *a = window->menu_action(IDM_RECENT_FILE_1 + i); a && a->isVisible())
                texts.push_back(a->text().toStdString());
        return texts;
    };
    EXPECT_TRUE(recent->menuAction()->isEnabled());
    EXPECT_EQ((std::vector<std::string>{"&1 /art/R&&D/a.spr", "&2 /art/b.wad"}), shown());

    load(explosion()); // an open puts the file first
    const std::string opened = recent_file_key(explosion());
    EXPECT_EQ((std::vector<std::string>{"&1 " + opened, "&2 /art/R&&D/a.spr", "&3 /art/b.wad"}), shown());

    // Choosing a file that is gone, and agreeing to forget it.
    ui.queue_answer(true);
    QAction *second = window->menu_action(IDM_RECENT_FILE_1 + 1);
    second->trigger();
    EXPECT_EQ((std::vector<std::string>{"&1 " + opened, "&2 /art/b.wad"}), shown());

    settings().recent_files = {"/art/b.wad"};
    ui.queue_answer(true);
    window->menu_action(IDM_RECENT_FILE_1)->trigger();
    EXPECT_TRUE(shown().empty());
    EXPECT_FALSE(recent->menuAction()->isEnabled()) << "an empty list greys the submenu";
}

TEST_F(MainWindowTest, ThreeDroppedFilesAreAppendedAsOneUndoableStep)
{
    open_window();
    load(explosion());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(data_path("spr/librequake_s_bubble.spr"))),
                  QUrl::fromLocalFile(QString::fromStdString(data_path("spr/librequake_s_light.spr"))),
                  QUrl::fromLocalFile(QString::fromStdString(data_path("spr/hexen2_glass.spr")))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    EXPECT_FALSE(file_worker_busy()); // several files load at once, not on a worker
    const Group &g = doc().animation.groups[0];
    ASSERT_EQ(6 + 2 + 1 + 1, g.frame_count);
    EXPECT_EQ(16, image_width(g.frames[6].image));
    EXPECT_EQ(32, image_width(g.frames[8].image));
    EXPECT_EQ(9, doc().current_frame);
    EXPECT_EQ(9, window->frame_slider()->value());
    EXPECT_EQ("Frame 10 of 10", status_text());
    EXPECT_NE(std::string::npos, title().find("* [100%]"));
    window->command(IDM_UNDO);
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
    window->command(IDM_UNDO); // the drop was one step
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
}

// --- The busy rule ---------------------------------------------------------------------

TEST_F(MainWindowTest, CloseIsRefusedWhileAFileOperationRuns)
{
    open_window();
    load(explosion());
    // The load worker first hands its close question to this thread, and
    // waits for it: until the events are handled the operation runs.
    window->start_load(data_path("spr/librequake_s_bubble.spr"));
    ASSERT_TRUE(file_worker_busy());
    const int frame_before = doc().current_frame;
    // The preview keeps painting its last picture and reads nothing while
    // the worker may be changing the document and the image library.
    const QImage shown = window->preview()->picture();
    window->command(IDM_VIEW_ALPHA);
    window->preview_refresh();
    EXPECT_EQ(shown, window->preview()->picture());
    EXPECT_EQ("Frame 1 of 6", status_text());
    window->command(IDM_VIEW_ALPHA);
    window->command(IDM_NEXT);  // refused
    window->drop_files({explosion(), explosion()}); // ignored
    EXPECT_EQ(frame_before, doc().current_frame);
    EXPECT_EQ(6, doc().animation.groups[0].frame_count);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    window->command(IDM_EXIT);
    EXPECT_TRUE(window->isVisible());
    const std::vector<std::string> texts = message_texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("File Operation in progress.", texts[0]);
    EXPECT_EQ(MessageIcon::Warning, ui.messages()[0].icon);
    wait_for_file_operation();
    EXPECT_STREQ(data_path("spr/librequake_s_bubble.spr").c_str(), doc().file_name);
}

TEST_F(MainWindowTest, DecliningTheUnsavedChangesQuestionKeepsTheProgramRunning)
{
    open_window();
    load(explosion());
    doc_begin_edit(1);
    ui.queue_answer(false);
    EXPECT_FALSE(window->request_exit());
    EXPECT_FALSE(window->shut_down());
    EXPECT_EQ(1, doc().animation.group_count);
    ASSERT_EQ(1u, ui.questions().size());
    EXPECT_EQ(DOC_MODIFIED_QUESTION, ui.questions()[0]);
}

} // namespace
