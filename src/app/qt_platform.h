// The editor's back-end of the platform layer and of the editor's dialogs:
// message boxes and questions captioned "Vorn", file dialogs, the status
// text and the progress bar of the main window. Every call may come from the file worker; anything that
// touches a widget is carried out on the user-interface thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <string>
#include <vector>

#include "views/logic/editor_host.h"
#include "platform/platform.h"

class QLabel;
class QProgressBar;
class QWidget;

// The Qt name filters of a double-NUL filter list as build_file_filter makes
// it: "Description\0*.a;*.b\0...\0\0" becomes "Description (*.a *.b)"; a
// trailing "(...)" of the description is replaced by the real patterns and
// "*.*" becomes "*" (Qt's "*.*" skips names without an extension).
QStringList qt_name_filters(const std::string &filter);
// The description of the entry of `filter` that qt_name_filters shows as
// `shown`; empty when none is.
std::string qt_filter_description(const std::string &filter, const QString &shown);

// True while the user-interface thread runs work that a worker thread
// handed over with run_on_ui_thread and waits for: the worker is stopped
// then, so the image library may be used.
bool qt_serving_worker();

class QtPlatform : public Platform, public EditorHost {
public:
    // Must be made on the user-interface thread.
    QtPlatform();
    ~QtPlatform() override;

    // The owner of message boxes and dialogs, and the status-bar parts
    // that status text and progress go to. Any of them may be null.
    void attach(QWidget *owner, QLabel *status_text, QProgressBar *progress);

    void show_message(const std::string &text, MessageIcon icon) override;
    bool ask_yes_no(const std::string &text) override;
    int ask_choice(const std::string &warning, const std::string &question,
                   const std::vector<std::string> &choices) override;
    void set_status_text(const std::string &text) override;
    void set_progress(int percent) override;
    void run_on_ui_thread(const std::function<void()> &work) override;

    // The editor's dialogs that need nothing but Qt; the editor's own
    // (app/editor_platform.h) add the rest.
    QuestionAnswer ask_yes_no_save(const std::string &text) override;
    std::string open_file_dialog(const std::string &filter, const std::string &title) override;
    std::string save_file_dialog(const std::string &filter, const std::string &title) override;
    std::vector<std::string> open_files_dialog(const std::string &filter, const std::string &title) override;
    // Both run the scanner on a thread of their own behind a modal progress
    // dialog with a Cancel button; call them on the user-interface thread.
    bool select_scanner_source() override;
    bool acquire_scan(ScannedImage &image) override;
    bool put_clipboard_image(uint32_t image) override;
    bool open_in_browser(const std::string &path) override;
    bool get_clipboard_image(uint32_t image) override;

    bool on_ui_thread() const;

protected:
    // The owner of this back-end's dialogs (may be null).
    QWidget *owner() const { return owner_.data(); }

private:
    // Runs `work` on the user-interface thread without waiting (or at once
    // when already there).
    void post_to_ui_thread(std::function<void()> work);

    QObject context_; // lives on the user-interface thread
    QPointer<QWidget> owner_;
    QPointer<QLabel> status_;
    QPointer<QProgressBar> progress_;
};
