// The editor's main window: menu bar, toolbar, frame preview, frame strip,
// frame slider, group selector, group browser and status bar with the progress bar of file operations.
// Every menu item, toolbar button and key ends in command(id); the window
// is also the view the document state refreshes (DocumentView).
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QTimer>

#include <map>
#include <string>
#include <vector>

#include "app/commands/command_host.h"
#include "app/document_view.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSlider;
class QStatusBar;
class QToolBar;
class PreviewWidget;
class GroupBrowserWidget;
class FrameStripWidget;
class PalettePanelWidget;

class MainWindow : public QMainWindow, public DocumentView, public CommandHost {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Carries out one command of the command table through its handler;
    // unknown ids are ignored.
    void command(int id);

    // Positions preview, slider, selector, toolbar and status bar from the
    // client size and the Toolbar/Statusbar settings.
    void layout_main_window();

    // Dropped files: one replaces the document (through the load worker),
    // several are appended as frames of the current group in one undoable
    // step. Ignored while a file operation runs.
    void drop_files(const std::vector<std::string> &paths);

    // Asks to end the program: refused with "File Operation in progress."
    // while a file operation runs, else shut-down (which may be declined).
    // True when the program is ending.
    bool request_exit();

    // DocumentView
    void set_group_list(const std::vector<std::string> &names, int selection) override;
    void set_frame_slider(int maximum, int position) override;
    void update_commands(const DocConditions &conditions) override;
    void update_title() override;
    void preview_refresh() override;
    void reset_zoom() override;
    void document_replaced() override;
    void layout() override;

    // CommandHost
    void set_checked(int command, bool on) override;
    void start_playback_timer(int interval_ms) override;
    void stop_playback_timer() override;
    void reset_preview_scroll() override;
    void zoom_preview(float zoom) override;
    float preview_zoom_to_fit() override;
    void set_origin_mode(bool on) override;
    void watch_file_operation() override;
    void exit_program() override;
    void select_group(int group) override;

    // The parts, for start-up and tests.
    PreviewWidget *preview() const { return preview_; }
    QSlider *frame_slider() const { return slider_; }
    QComboBox *group_selector() const { return selector_; }
    GroupBrowserWidget *group_browser() const { return browser_; }
    FrameStripWidget *frame_strip() const { return strip_; }
    PalettePanelWidget *palette_panel() const { return palette_panel_; }
    QToolBar *tool_bar() const { return toolbar_; }
    QStatusBar *status_bar() const { return status_bar_; }
    QLabel *status_label() const { return status_text_; }
    QProgressBar *progress_bar() const { return progress_; }
    QWidget *client() const { return client_; }
    QAction *menu_action(int id) const;
    QAction *toolbar_action(int id) const;
    QTimer &playback_timer() { return playback_timer_; }
    bool shut_down() const { return shut_down_; }

    // One tick of the playback timer: the next frame, and the timer re-armed
    // with that frame's duration (or stopped).
    void playback_step();
    // A load or a background save has been started and its end not yet seen.
    bool watching_load() const { return load_watch_.isActive() || refresh_pending_; }

    // Starts the load worker on `path` and refreshes the window from the
    // user-interface thread once the load has ended.
    void start_load(const std::string &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build_menus();
    void build_toolbar();
    // The Recent Files items show settings().recent_files; unused ones are
    // hidden and the submenu is grey while the list is empty.
    void fill_recent_files();

    void on_group_selected(int index);
    void on_slider_moved(int position);
    // Tells the strip the current group's frames; lays the window out again
    // when that shows or hides the strip. Only while no file operation runs.
    void update_frame_strip();
    // The strip is wanted: its setting is on and the group has frames to
    // choose between.
    bool frame_strip_wanted() const;

    // Polls for the end of a running load or save, then refreshes the
    // preview (the picture is converted here, on this thread) and its
    // status, so that view changes made meanwhile show.
    void watch_load();

    QWidget *client_ = nullptr;
    QToolBar *toolbar_ = nullptr;
    PreviewWidget *preview_ = nullptr;
    QSlider *slider_ = nullptr;
    QComboBox *selector_ = nullptr;
    GroupBrowserWidget *browser_ = nullptr;
    FrameStripWidget *strip_ = nullptr;
    PalettePanelWidget *palette_panel_ = nullptr;
    // Set by every edit (each retitles the window): the browser's and the
    // strip's thumbnails are made again at the next preview refresh.
    bool browser_stale_ = false;
    float browser_title_zoom_ = 1.0f; // the zoom of the last retitling
    QStatusBar *status_bar_ = nullptr;
    QLabel *status_text_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QTimer playback_timer_;
    QTimer load_watch_;
    bool refresh_pending_ = false;
    // What the selector and the slider were last told to show; a choice
    // refused while a file operation runs puts them back there.
    int shown_group_ = -1;
    int shown_frame_ = 0;
    std::map<int, QAction *> menu_actions_;
    std::map<int, QAction *> toolbar_actions_;
    QMenu *recent_menu_ = nullptr;
    bool shut_down_ = false;
};

// Where the window opens: about two thirds of the `available` screen area,
// centred, at least 640 x 440 unless the screen is smaller.
QRect initial_window_geometry(const QRect &available);

// The image library may be used right now: no file operation runs, or the
// file worker is waiting while the user-interface thread serves it.
bool image_library_free();

// Handles events until no file operation runs, then releases the worker.
// Call it on the user-interface thread instead of file_worker_wait: a
// running worker may be waiting for this thread to ask its question.
void finish_file_operation();
