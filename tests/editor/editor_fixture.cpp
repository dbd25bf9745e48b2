#include "editor_fixture.h"

#include <QLabel>

#include "app/commands/paint_commands.h"
#include "views/logic/game_lighting.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/settings.h"
#include "document/document_state.h"
#include "views/logic/preview_logic.h"

void EditorTest::SetUp()
{
    CoreTest::SetUp();
    doc_reset();
    doc_set_scanner_available(false);
    settings() = Settings{};
    // The tests look at opened pictures pixel for pixel; those about the
    // zoom on opening turn it back on.
    settings().zoom_fit_on_open = 0;
    preview_zoom = 1.0f;
    origin_mode = 0;
    alpha_view = 0;
    paint_reset();
    game_lighting() = GameLighting{};
    qt = std::make_unique<QtPlatform>();
    bridge = std::make_unique<BridgePlatform>(ui, *qt);
    set_backends(bridge.get());
}

void EditorTest::open_window()
{
    window = std::make_unique<MainWindow>();
    qt->attach(window.get(), window->status_label(), window->progress_bar());
    doc_set_view(window.get());
    window->show();
    pump();
}

void EditorTest::open_window_on(const std::string &path)
{
    open_window();
    window->start_load(path);
    wait_for_file_operation();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    pump();
}

void EditorTest::TearDown()
{
    wait_for_file_operation();
    doc_set_view(nullptr);
    window.reset();
    doc_reset();
    set_backends(&ui);
    bridge.reset();
    qt.reset();
    preview_zoom = 1.0f;
    origin_mode = 0;
    alpha_view = 0;
    paint_reset();
    game_lighting() = GameLighting{};
    CoreTest::TearDown();
}

void EditorTest::wait_for_file_operation()
{
    while (file_worker_busy() || (window && window->watching_load()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    file_worker_wait();
    pump();
}

void EditorTest::pump()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

std::string EditorTest::status_text() const { return window->status_label()->text().toStdString(); }

std::string EditorTest::title() const { return window->windowTitle().toStdString(); }
