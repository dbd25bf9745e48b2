#include "app/startup.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/settings.h"
#include "app/main_window.h"
#include "document/document_state.h"
#include "platform/program_folder.h"
#include "app/editor_platform.h"
#include "app/qt_platform.h"
#include "image/host_table.h"
#include "plugins/plugin_loader.h"
#include "formats/format_table.h"

std::string command_line_file(int argc, char **argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        if (!line.empty())
            line += ' ';
        line += argv[i];
    }
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    return unquote_argument(text.data());
}

namespace {

// Closes the window `delay` ms after the start-up load has ended.
void arm_autoclose(MainWindow &window, int delay)
{
    auto *poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [poll, &window, delay] {
        if (file_worker_busy())
            return;
        poll->stop();
        QTimer::singleShot(delay, &window, [&window] {
            std::printf("%s\n%s\n", window.windowTitle().toUtf8().constData(),
                        window.status_label()->text().toUtf8().constData());
            std::fflush(stdout);
            window.close();
        });
    });
    poll->start(20);
}

} // namespace

int run_editor(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        if (argv[1][2] == 'v')
            std::printf("vorn %s\n", VORN_VERSION);
        else
            std::printf("Usage: vorn [FILE]\n  Opens FILE (a sprite, WAD2 archive, picture, texture or image) in the Vorn editor.\n"
                        "  vorn --version prints the version.\n");
        return 0;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorn"));
    // The program ends through its shut-down only, never by itself.
    app.setQuitOnLastWindowClosed(false);

    EditorPlatform ui;
    set_platform(&ui);
    set_editor_host(&ui);

    load_plugins();
    host().initialise();
    load_settings();
    const std::string path = command_line_file(argc, argv);
    doc_reset();
    // Only whether the scanner library can be used: listing the devices
    // would probe the network and take seconds.
    doc_set_scanner_available(ui.scanner_available());
    load_default_palette(program_file_folder("palette.lmp").c_str());

    int status = 0;
    {
        MainWindow window;
        ui.attach(&window, window.status_label(), window.progress_bar());
        doc_set_view(&window);
        window.show();
        // Without a window manager (Xvfb) nothing else makes it active, and
        // an inactive window gets no keys.
        window.activateWindow();
        if (!path.empty())
            window.start_load(path);
        doc_update_commands();

        if (const char *autoclose = std::getenv("VORN_AUTOCLOSE_MS"))
            arm_autoclose(window, std::atoi(autoclose));

        status = app.exec();
        // The loop may have ended under a running worker that now waits for
        // this thread: serve it to its end before anything is released.
        finish_file_operation();
        if (!window.shut_down()) {
            // The loop ended without the shut-down (the session is ending):
            // settle the document and the settings now.
            if (!shutdown_program([](int) {}))
                status = 0;
        }
        doc_set_view(nullptr);
    }
    set_editor_host(nullptr);
    set_platform(nullptr);
    return status;
}
