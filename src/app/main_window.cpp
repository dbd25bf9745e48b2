#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>


#include "app/command_table.h"
#include "app/commands/animation_commands.h"
#include "app/commands/document_access.h"
#include "app/commands/navigation_commands.h"
#include "app/commands/paint_commands.h"
#include "app/commands/view_commands.h"
#include "app/dialog_placement.h"
#include "app/document_controller.h"
#include "app/logic/command_ids.h"
#include "views/logic/layout.h"
#include "app/logic/recent_files.h"
#include "app/logic/settings.h"
#include "app/logic/title.h"
#include "document/document_state.h"
#include "platform/platform.h"
#include "app/qt_platform.h"
#include "views/logic/frame_origin.h"
#include "views/logic/frame_strip_logic.h"
#include "views/logic/preview_logic.h"
#include "views/frame_strip_widget.h"
#include "views/palette_panel_widget.h"
#include "views/group_browser_widget.h"
#include "views/preview_widget.h"

// Resources compiled into a static library must be registered by hand.
void init_editor_resources() { Q_INIT_RESOURCE(vorn); }

bool image_library_free() { return !file_worker_busy() || qt_serving_worker(); }

void finish_file_operation()
{
    if (file_worker_busy()) {
        // An event loop of its own, polled for the end of the worker, so
        // that the wait neither spins nor misses the worker's last event.
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
            if (!file_worker_busy())
                loop.quit();
        });
        poll.start(10);
        loop.exec();
    }
    file_worker_wait();
}

namespace {

QString command_name(int id) { return QString::number(id); }

} // namespace

QRect initial_window_geometry(const QRect &available)
{
    const LayoutRect place =
        initial_window_rect({available.x(), available.y(), available.width(), available.height()});
    return QRect(place.x, place.y, place.w, place.h);
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    init_editor_resources();
    setObjectName(QStringLiteral("101"));
    setWindowTitle(QString::fromLatin1(APP_CAPTION));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vorn.png")));
    setAcceptDrops(true);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(command_name(IDC_TOOLBAR));
    toolbar_->setIconSize(QSize(19, 18));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);

    preview_ = new PreviewWidget(client_);
    preview_->set_source([] {
        const DocumentState &doc = doc_state();
        return PreviewWidget::Source{&doc.animation, doc.current_group, doc.current_frame};
    });
    preview_->set_options([] { return preview_options(settings()); });
    // The preview also takes clicks while the window answers a worker's
    // question; the document is the worker's until it ends.
    preview_->set_origin_handler([](int x, int y) {
        if (!file_worker_busy())
            frame_set_origin(x, y);
    });
    preview_->set_document_free(image_library_free);
    preview_->set_paint_hooks(paint_pointer_hooks());
    preview_->set_zoom_handler([this] { update_title(); });

    slider_ = new QSlider(Qt::Horizontal, client_);
    slider_->setObjectName(command_name(IDC_FRAME_SLIDER));
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(1);
    slider_->setRange(0, 0);
    slider_->setPageStep(1);
    connect(slider_, &QSlider::valueChanged, this, &MainWindow::on_slider_moved);

    selector_ = new QComboBox(client_);
    selector_->setObjectName(command_name(IDC_GROUP_SELECTOR));
    selector_->setMaxVisibleItems(LAYOUT_SELECTOR_DROP_HEIGHT / 20);
    connect(selector_, &QComboBox::currentIndexChanged, this, &MainWindow::on_group_selected);

    // A row chosen in the browser is a choice made in the selector.
    browser_ = new GroupBrowserWidget(client_);
    browser_->set_animation_source([] { return &doc_state().animation; });
    // Thumbnails are made only while no file operation runs at all: the
    // list may paint while the worker waits for an answer in the middle of
    // a load, when the document is half built. After shut-down the image
    // library is gone.
    browser_->set_library_free([this] { return !shut_down_ && !file_worker_busy(); });
    connect(browser_, &GroupBrowserWidget::group_chosen, selector_, &QComboBox::setCurrentIndex);
    // A texture sequence's row plays the sequence.
    connect(browser_, &GroupBrowserWidget::sequence_chosen, this, [this] { sequence_play(*this); });
    // The keyboard belongs to the preview unless the user is typing a filter.
    connect(browser_, &GroupBrowserWidget::filter_left, preview_, [this] { preview_->setFocus(Qt::OtherFocusReason); });

    // The strip works like the browser: a cell clicked is a frame chosen
    // with the slider, and its thumbnails wait for the library as well.
    strip_ = new FrameStripWidget(client_);
    strip_->set_animation_source([] { return &doc_state().animation; });
    strip_->set_library_free([this] { return !shut_down_ && !file_worker_busy(); });
    strip_->hide();
    connect(strip_, &FrameStripWidget::frame_chosen, slider_, &QSlider::setValue);
    connect(strip_, &FrameStripWidget::frame_moved, this, [](int from, int slot) { frame_move(from, slot); });
    connect(strip_, &FrameStripWidget::duration_edited, this,
            [](int frame, const QString &text) { frame_set_duration(frame, text.toStdString()); });
    connect(strip_, &FrameStripWidget::left, preview_, [this] { preview_->setFocus(Qt::OtherFocusReason); });

    palette_panel_ = new PalettePanelWidget(&paint_session(), client_);
    palette_panel_->set_frame_source([] {
        const Frame *frame = doc_current_frame(doc_state());
        return frame ? frame->image : 0u;
    });
    palette_panel_->set_library_free([this] { return !shut_down_ && !file_worker_busy(); });
    set_paint_listener([this] {
        palette_panel_->refresh();
        preview_->update_cursor();
    });

    status_bar_ = new QStatusBar(client_);
    status_bar_->setObjectName(command_name(IDC_STATUS_BAR));
    status_bar_->setSizeGripEnabled(false);
    status_text_ = new QLabel(QStringLiteral("Ready."));
    status_text_->setObjectName(QStringLiteral("status_text"));
    status_bar_->addWidget(status_text_, 1);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setFixedSize(200, 10);
    status_bar_->addPermanentWidget(progress_);
    // Shown by the platform layer while a file operation reports progress.
    progress_->hide();

    build_menus();
    build_toolbar();
    fill_recent_files();
    set_recent_files_listener([this] { fill_recent_files(); });
    set_document_file_hook(recent_files_note);
    view_show_checks(*this);
    set_document_opened_hook([this] { view_fit_opened_document(*this); });
    install_dialog_placement(this, preview_);
    preview_->setFocus(Qt::OtherFocusReason);

    playback_timer_.setObjectName(QStringLiteral("playback_timer"));
    playback_timer_.setSingleShot(true);
    connect(&playback_timer_, &QTimer::timeout, this, &MainWindow::playback_step);

    load_watch_.setInterval(25);
    connect(&load_watch_, &QTimer::timeout, this, [this] {
        if (file_worker_busy())
            return;
        load_watch_.stop();
        // Queued behind the worker's last status text ("Ready."), which it
        // posted before it cleared the busy mark.
        refresh_pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                refresh_pending_ = false;
                preview_refresh();
            },
            Qt::QueuedConnection);
    });

    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect place = initial_window_geometry(screen->availableGeometry());
        resize(place.size());
        move(place.topLeft());
    } else {
        resize(LAYOUT_MIN_WINDOW_WIDTH, LAYOUT_MIN_WINDOW_HEIGHT);
    }
    preview_refresh();
    layout_main_window();
    update_commands(doc_conditions(doc_state()));
}

MainWindow::~MainWindow()
{
    playback_timer_.stop();
    set_recent_files_listener({});
    set_document_file_hook(nullptr);
    set_document_opened_hook({});
    if (&doc_view() == this)
        doc_set_view(nullptr);
}

QAction *MainWindow::menu_action(int id) const
{
    const auto it = menu_actions_.find(id);
    return it == menu_actions_.end() ? nullptr : it->second;
}

QAction *MainWindow::toolbar_action(int id) const
{
    const auto it = toolbar_actions_.find(id);
    return it == toolbar_actions_.end() ? nullptr : it->second;
}

void MainWindow::build_menus()
{
    std::map<std::string, QMenu *> menus;
    std::map<std::string, QMenu *> submenus;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i) {
        const CommandEntry &entry = COMMAND_TABLE[i];
        if (!entry.menu)
            continue; // a toolbar-only command
        QMenu *&menu = menus[entry.menu];
        if (!menu) {
            menu = menuBar()->addMenu(QString::fromUtf8(entry.menu));
            menu->setObjectName(QString::fromUtf8(entry.menu).remove('&'));
        }
        QMenu *target = menu;
        if (entry.submenu) {
            QMenu *&sub = submenus[std::string(entry.menu) + "/" + entry.submenu];
            if (!sub) {
                sub = menu->addMenu(QString::fromUtf8(entry.submenu));
                sub->setObjectName(QString::fromUtf8(entry.submenu).remove('&'));
            }
            target = sub;
        }
        if (entry.command == 0) {
            target->addSeparator();
            continue;
        }
        auto *action = new QAction(QString::fromUtf8(menu_text(entry)), this);
        action->setObjectName(command_name(entry.command));
        action->setCheckable(entry.checkable);
        if (entry.keys) {
            // The key works wherever the focus is, and only while the
            // command is enabled.
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.keys), QKeySequence::PortableText));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        target->addAction(action);
        addAction(action);
        menu_actions_[id] = action;
    }
    for (size_t i = 0; i < EXTRA_SHORTCUTS_SIZE; ++i) {
        QAction *action = menu_action(EXTRA_SHORTCUTS[i].command);
        if (!action)
            continue;
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(QKeySequence(QString::fromLatin1(EXTRA_SHORTCUTS[i].keys), QKeySequence::PortableText));
        action->setShortcuts(keys);
    }
    recent_menu_ = menuBar()->findChild<QMenu *>(QStringLiteral("Recent Files"));
}

void MainWindow::fill_recent_files()
{
    const std::vector<std::string> &list = settings().recent_files;
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        QAction *action = menu_action(IDM_RECENT_FILE_1 + i);
        if (!action)
            continue;
        const std::string text = recent_file_menu_text(list, i);
        action->setText(QFile::decodeName(QByteArray::fromStdString(text)));
        action->setVisible(!text.empty());
    }
    if (recent_menu_)
        recent_menu_->menuAction()->setEnabled(!list.empty());
}

void MainWindow::build_toolbar()
{
    for (size_t i = 0; i < TOOLBAR_TABLE_SIZE; ++i) {
        const ToolbarEntry &entry = TOOLBAR_TABLE[i];
        if (entry.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        const CommandEntry *what = command_entry(entry.command);
        const QString tip = QString::fromUtf8(what ? what->tool_tip : nullptr);
        auto *action = new QAction(QIcon(QString::fromLatin1(entry.icon)), tip, toolbar_);
        action->setObjectName(QStringLiteral("toolbar_%1").arg(entry.command));
        action->setToolTip(tip);
        action->setCheckable(what && what->checkable);
        // Buttons of commands that the editor does not carry out stay grey.
        action->setEnabled(command_is_offered(entry.command));
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        toolbar_->addAction(action);
        toolbar_actions_[id] = action;
    }
}

void MainWindow::set_checked(int id, bool on)
{
    if (QAction *a = menu_action(id))
        a->setChecked(on);
    if (QAction *a = toolbar_action(id))
        a->setChecked(on);
}

// --- DocumentView ---------------------------------------------------------

void MainWindow::set_group_list(const std::vector<std::string> &names, int selection)
{
    const QSignalBlocker block(selector_);
    selector_->clear();
    for (const std::string &name : names)
        selector_->addItem(QString::fromStdString(name));
    selector_->setCurrentIndex(names.empty() ? -1 : selection);
    shown_group_ = selector_->currentIndex();
    browser_->set_groups(names, shown_group_);
}

void MainWindow::set_frame_slider(int maximum, int position)
{
    const QSignalBlocker block(slider_);
    slider_->setRange(0, maximum < 0 ? 0 : maximum);
    slider_->setValue(position);
    shown_frame_ = slider_->value();
}

void MainWindow::update_commands(const DocConditions &conditions)
{
    for (const auto &[id, action] : menu_actions_)
        action->setEnabled(command_enabled(id, conditions));
    // Undo and Redo name the step they take ("Undo Pencil").
    if (QAction *undo = menu_action(IDM_UNDO))
        undo->setText(QString::fromStdString(history_menu_text(IDM_UNDO, doc_undo_label())));
    if (QAction *redo = menu_action(IDM_REDO))
        redo->setText(QString::fromStdString(history_menu_text(IDM_REDO, doc_redo_label())));
    for (const auto &[id, action] : toolbar_actions_)
        action->setEnabled(toolbar_button_enabled(id, conditions));
}

void MainWindow::update_title()
{
    const DocumentState &doc = doc_state();
    setWindowTitle(QString::fromStdString(title_text(doc.file_name, doc.modified != 0, preview_zoom)));
    // Every edit retitles the window, and so does a zoom step, which
    // changes no picture: only a call at the same zoom marks the browser's
    // thumbnails out of date.
    if (preview_zoom == browser_title_zoom_)
        browser_stale_ = true;
    browser_title_zoom_ = preview_zoom;
}

void MainWindow::preview_refresh()
{
    if (shut_down_)
        return;
    const bool free = image_library_free();
    preview_->refresh(free);
    if (!free)
        return; // the worker owns the document: the browser keeps what it shows
    palette_panel_->refresh();
    if (browser_stale_) {
        browser_stale_ = false;
        browser_->document_changed();
        strip_->document_changed();
    }
    browser_->set_current_group(doc_has_group(doc_state()) ? doc_state().current_group : -1);
    browser_->refresh();
    update_frame_strip();
}

void MainWindow::update_frame_strip()
{
    // While a worker waits for an answer the document is half built.
    if (file_worker_busy())
        return;
    const DocumentState &doc = doc_state();
    std::vector<std::string> durations;
    if (doc_has_group(doc)) {
        const Group &g = doc.animation.groups[doc.current_group];
        for (int i = 0; i < g.frame_count; ++i)
            durations.push_back(frame_strip_duration_text(g.frames[i].props));
    }
    strip_->set_frames(doc_has_group(doc) ? doc.current_group : -1, durations,
                       durations.empty() ? -1 : doc.current_frame);
    strip_->refresh();
    if (frame_strip_wanted() != !strip_->isHidden())
        layout_main_window();
}

bool MainWindow::frame_strip_wanted() const { return settings().frame_strip != 0 && strip_->frame_count() > 1; }

void MainWindow::reset_zoom()
{
    preview_zoom = 1.0f;
    preview_->reset_scroll();
}

void MainWindow::document_replaced() { browser_->clear_filter(); }

void MainWindow::layout() { layout_main_window(); }

void MainWindow::layout_main_window()
{
    const MainLayout l = layout_main_window_rects(client_->width(), client_->height(), settings().toolbar != 0,
                                                  settings().statusbar != 0, settings().group_browser != 0,
                                                  frame_strip_wanted(), settings().palette_panel != 0);
    strip_->setGeometry(l.strip.x, l.strip.y, l.strip.w, l.strip.h);
    palette_panel_->setGeometry(l.palette.x, l.palette.y, l.palette.w, l.palette.h);
    palette_panel_->setVisible(l.palette_visible);
    strip_->setVisible(l.strip_visible);
    browser_->setGeometry(l.browser.x, l.browser.y, l.browser.w, l.browser.h);
    browser_->setVisible(l.browser_visible);
    toolbar_->setGeometry(l.toolbar.x, l.toolbar.y, l.toolbar.w, l.toolbar.h);
    toolbar_->setVisible(l.toolbar_visible);
    preview_->setGeometry(l.preview.x, l.preview.y, l.preview.w, l.preview.h);
    slider_->setGeometry(l.slider.x, l.slider.y, l.slider.w, l.slider.h);
    // The drop-down list sizes itself; the closed box fills the row.
    selector_->setGeometry(l.selector.x, l.selector.y, l.selector.w, LAYOUT_ROW_HEIGHT);
    status_bar_->setGeometry(l.status.x, l.status.y, l.status.w, l.status.h);
    status_bar_->setVisible(l.status_visible);
    // The picture is unchanged; only its place and the scroll bars follow.
    if (!shut_down_)
        preview_->refresh(false);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client_ && event->type() == QEvent::Resize)
        layout_main_window();
    return QMainWindow::eventFilter(watched, event);
}

// --- Controls and timer ------------------------------------------------------

void MainWindow::on_group_selected(int index)
{
    paint_commit();
    if (file_worker_busy()) {
        // Refused: the selector goes back to the group that is current.
        const QSignalBlocker block(selector_);
        selector_->setCurrentIndex(shown_group_);
        browser_->set_current_group(shown_group_);
        return;
    }
    shown_group_ = index;
    group_chosen(index);
}

void MainWindow::on_slider_moved(int position)
{
    paint_commit();
    if (file_worker_busy()) {
        // Refused: the slider goes back to the frame that is shown.
        const QSignalBlocker block(slider_);
        slider_->setValue(shown_frame_);
        return;
    }
    shown_frame_ = position;
    frame_chosen(position);
}

void MainWindow::playback_step()
{
    const int interval = playback_advance(*this);
    if (interval > 0)
        playback_timer_.start(interval);
    else
        playback_timer_.stop();
}

// --- Window events ------------------------------------------------------------

bool MainWindow::request_exit()
{
    if (shut_down_)
        return true;
    if (file_worker_busy()) {
        show_warning("File Operation in progress.");
        return false;
    }
    const int ended = shutdown_program([this](int) {
        // The image library is gone from here on: nothing may refresh.
        shut_down_ = true;
        playback_timer_.stop();
        load_watch_.stop();
        // A normal end is a success for the shell (status 0).
        QCoreApplication::exit(0);
    });
    // 0: the user kept the unsaved changes and the program goes on.
    return ended != 0;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (request_exit())
        event->accept();
    else
        event->ignore();
}

namespace {

std::vector<std::string> local_files(const QMimeData *data)
{
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!local_files(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    drop_files(local_files(event->mimeData()));
    event->acceptProposedAction();
}

void MainWindow::drop_files(const std::vector<std::string> &paths)
{
    files_dropped(paths, [this](const std::string &path) { start_load(path); });
}

// --- Commands -------------------------------------------------------------

void MainWindow::command(int id)
{
    // A stroke or a floating paste ends before any command runs on the
    // document it changed.
    paint_commit();
    const CommandEntry *entry = command_entry(id);
    if (entry && entry->handler)
        entry->handler(*this);
}

// --- CommandHost ----------------------------------------------------------

void MainWindow::start_playback_timer(int interval_ms) { playback_timer_.start(interval_ms); }

void MainWindow::stop_playback_timer() { playback_timer_.stop(); }

void MainWindow::reset_preview_scroll() { preview_->reset_scroll(); }

void MainWindow::zoom_preview(float zoom) { preview_->zoom_keeping_centre(zoom); }

float MainWindow::preview_zoom_to_fit() { return preview_->fit_zoom(); }

void MainWindow::set_origin_mode(bool on) { preview_->set_origin_mode(on, image_library_free()); }

void MainWindow::watch_file_operation() { watch_load(); }

void MainWindow::select_group(int group) { selector_->setCurrentIndex(group); }

void MainWindow::exit_program()
{
    if (request_exit())
        close();
}

void MainWindow::start_load(const std::string &path)
{
    if (start_load_worker(path))
        watch_load();
}

void MainWindow::watch_load() { load_watch_.start(); }
