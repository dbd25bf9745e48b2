#include "app/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QEventLoop>
#include <QFile>
#include <QInputDialog>
#include <QProgressDialog>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QMetaObject>
#include <QProgressBar>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

#include "views/qt_image.h"

namespace {

// Splits the double-NUL list into its strings (the empty end string is
// not returned).
std::vector<std::string> split_nul_list(const std::string &list)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find('\0', start);
        const size_t stop = end == std::string::npos ? list.size() : end;
        if (stop == start)
            break; // the empty string ends the list
        parts.push_back(list.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

QString patterns_for_qt(const std::string &patterns)
{
    QStringList out;
    for (const QString &p : QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts)) {
        const QString trimmed = p.trimmed();
        if (trimmed.isEmpty())
            continue;
        out << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    out.removeDuplicates();
    return out.join(' ');
}

QString description_for_qt(const std::string &description)
{
    QString text = QString::fromStdString(description).trimmed();
    // "Quake Sprite (*.spr)": the real patterns follow in the next string.
    if (text.endsWith(')')) {
        const qsizetype open = text.lastIndexOf('(');
        if (open > 0)
            text = text.left(open).trimmed();
    }
    return text;
}

} // namespace

namespace {
std::atomic<int> serving_worker{0};
} // namespace

bool qt_serving_worker() { return serving_worker.load() > 0; }

QStringList qt_name_filters(const std::string &filter)
{
    const std::vector<std::string> parts = split_nul_list(filter);
    QStringList filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = patterns_for_qt(parts[i + 1]);
        if (patterns.isEmpty())
            continue;
        QString description = description_for_qt(parts[i]);
        if (description.isEmpty())
            description = patterns;
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters;
}

std::string qt_filter_description(const std::string &filter, const QString &shown)
{
    const std::vector<std::string> parts = split_nul_list(filter);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = patterns_for_qt(parts[i + 1]);
        QString description = description_for_qt(parts[i]);
        if (description.isEmpty())
            description = patterns;
        if (!patterns.isEmpty() && QStringLiteral("%1 (%2)").arg(description, patterns) == shown)
            return parts[i];
    }
    return {};
}

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform()
{
    if (&platform() == this)
        set_platform(nullptr);
}

void QtPlatform::attach(QWidget *owner, QLabel *status_text, QProgressBar *progress)
{
    owner_ = owner;
    status_ = status_text;
    progress_ = progress;
}

bool QtPlatform::on_ui_thread() const { return QThread::currentThread() == context_.thread(); }

void QtPlatform::run_on_ui_thread(const std::function<void()> &work)
{
    if (on_ui_thread()) {
        work();
        return;
    }
    // The worker waits here until the user-interface thread has run `work`.
    QMetaObject::invokeMethod(
        &context_,
        [&work] {
            ++serving_worker;
            work();
            --serving_worker;
        },
        Qt::BlockingQueuedConnection);
}

void QtPlatform::post_to_ui_thread(std::function<void()> work)
{
    if (on_ui_thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(&context_, std::move(work), Qt::QueuedConnection);
}

void QtPlatform::show_message(const std::string &text, MessageIcon icon)
{
    run_on_ui_thread([&] {
        QMessageBox box(icon == MessageIcon::Warning    ? QMessageBox::Warning
                        : icon == MessageIcon::Question ? QMessageBox::Question
                                                        : QMessageBox::Information,
                        QString::fromLatin1(APP_CAPTION), QString::fromStdString(text), QMessageBox::Ok,
                        owner_.data());
        box.setObjectName(QStringLiteral("message_box"));
        box.exec();
    });
}

bool QtPlatform::ask_yes_no(const std::string &text)
{
    bool yes = false;
    run_on_ui_thread([&] {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(APP_CAPTION), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No, owner_.data());
        box.setObjectName(QStringLiteral("question_box"));
        box.setDefaultButton(QMessageBox::Yes);
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}

int QtPlatform::ask_choice(const std::string &warning, const std::string &question,
                           const std::vector<std::string> &choices)
{
    int chosen = -1;
    run_on_ui_thread([&] {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(APP_CAPTION),
                        QString::fromStdString(warning + "\n\n" + question), QMessageBox::NoButton, owner_.data());
        box.setObjectName(QStringLiteral("choice_box"));
        std::vector<QPushButton *> buttons;
        for (const std::string &choice : choices)
            buttons.push_back(box.addButton(QString::fromStdString(choice), QMessageBox::AcceptRole));
        if (!buttons.empty()) {
            box.setDefaultButton(buttons.front());
            box.setEscapeButton(buttons.front());
        }
        box.exec();
        for (size_t i = 0; i < buttons.size(); ++i)
            if (box.clickedButton() == buttons[i])
                chosen = static_cast<int>(i);
    });
    // Closed without a button: the first, the default, as Escape gives.
    return chosen < 0 && !choices.empty() ? 0 : chosen;
}

QuestionAnswer QtPlatform::ask_yes_no_save(const std::string &text)
{
    QuestionAnswer answer = QuestionAnswer::No;
    run_on_ui_thread([&] {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(APP_CAPTION), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Save, owner_.data());
        box.setObjectName(QStringLiteral("question_box"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        const int chosen = box.exec();
        answer = chosen == QMessageBox::Yes ? QuestionAnswer::Yes
                 : chosen == QMessageBox::Save ? QuestionAnswer::Save
                                                : QuestionAnswer::No;
    });
    return answer;
}

namespace {

// The folder of the last chosen file: the next dialog starts there, as the
// shared file-name buffer makes the dialogs do.
QString &last_file_name()
{
    static QString name;
    return name;
}

} // namespace

std::string QtPlatform::open_file_dialog(const std::string &filter, const std::string &title)
{
    std::string chosen;
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        const QString name = QFileDialog::getOpenFileName(
            owner_.data(), title.empty() ? QStringLiteral("Open") : QString::fromStdString(title),
            last_file_name(), filters.join(QStringLiteral(";;")), &selected);
        if (!name.isEmpty()) {
            last_file_name() = name;
            chosen = QFile::encodeName(name).toStdString();
        }
    });
    return chosen;
}

std::vector<std::string> QtPlatform::open_files_dialog(const std::string &filter, const std::string &title)
{
    std::vector<std::string> chosen;
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        // The import starts with no name chosen, in the last file's folder.
        const QString folder = last_file_name().isEmpty() ? QString() : QFileInfo(last_file_name()).absolutePath();
        const QStringList names = QFileDialog::getOpenFileNames(
            owner_.data(), title.empty() ? QStringLiteral("Import") : QString::fromStdString(title), folder,
            filters.join(QStringLiteral(";;")), &selected);
        for (const QString &name : names)
            chosen.push_back(QFile::encodeName(name).toStdString());
        if (!names.isEmpty())
            last_file_name() = names.front();
    });
    return chosen;
}

std::string QtPlatform::save_file_dialog(const std::string &filter, const std::string &title)
{
    std::string chosen;
    run_on_ui_thread([&] {
        const QStringList filters = qt_name_filters(filter);
        QString selected = filters.isEmpty() ? QString() : filters.front();
        // The overwrite question is the dialog's own (on by default).
        const QString name = QFileDialog::getSaveFileName(
            owner_.data(), title.empty() ? QStringLiteral("Save As") : QString::fromStdString(title),
            last_file_name(), filters.join(QStringLiteral(";;")), &selected);
        if (!name.isEmpty()) {
            last_file_name() = name;
            chosen = QFile::encodeName(name).toStdString();
        }
    });
    return chosen;
}

void QtPlatform::set_status_text(const std::string &text)
{
    post_to_ui_thread([this, text = QString::fromStdString(text)] {
        if (status_)
            status_->setText(text);
    });
}

void QtPlatform::set_progress(int percent)
{
    post_to_ui_thread([this, percent] {
        if (!progress_)
            return;
        // The bar is there only while work runs.
        progress_->setVisible(percent >= 0);
        progress_->setValue(percent < 0 ? 0 : percent > 100 ? 100 : percent);
    });
}

namespace {

// One scanner call running on a thread of its own. The thread owns a share
// of the job, so a wait the user gave up does not leave it writing freed
// memory.
struct ScannerJob {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::atomic<int> percent{-1};
    ScannedImage image;
    std::vector<ScannerDevice> devices;
    std::string error;
    bool ok = false;
};

// Shows a modal progress dialog until the job is done. With `finish_after_cancel`
// a Cancel asks the job to stop and still waits for it; otherwise it stops
// waiting at once. True when the job finished.
bool wait_for_job(QWidget *owner, const QString &text, const std::shared_ptr<ScannerJob> &job,
                  bool finish_after_cancel)
{
    QProgressDialog dialog(text, QStringLiteral("Cancel"), 0, 0, owner);
    dialog.setWindowTitle(QString::fromUtf8(APP_CAPTION));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QEventLoop loop;
    bool gave_up = false;
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        job->cancel = true;
        if (finish_after_cancel) {
            dialog.setLabelText(QStringLiteral("Cancelling..."));
        } else {
            gave_up = true;
            loop.quit();
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job->done) {
            loop.quit();
            return;
        }
        const int percent = job->percent;
        if (percent >= 0) {
            dialog.setMaximum(100);
            dialog.setValue(percent);
        }
    });
    poll.start(30);
    dialog.show();
    if (!job->done)
        loop.exec();
    dialog.hide();
    if (owner)
        owner->activateWindow();
    return !gave_up && job->done;
}

} // namespace

bool QtPlatform::select_scanner_source()
{
    auto job = std::make_shared<ScannerJob>();
    std::thread([job] {
        job->ok = scanner_list_devices(job->devices, job->error);
        job->done = true;
    }).detach();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool finished = wait_for_job(owner_, QStringLiteral("Looking for scanners..."), job, false);
    QApplication::restoreOverrideCursor();
    if (!finished)
        return false;
    if (!job->ok) {
        show_message("Unable to list the scanners: " + job->error, MessageIcon::Warning);
        return false;
    }
    if (job->devices.empty()) {
        show_message("No scanner was found.", MessageIcon::Warning);
        return false;
    }
    QStringList labels;
    int current = 0;
    for (size_t i = 0; i < job->devices.size(); ++i) {
        labels << QString::fromStdString(job->devices[i].label);
        if (job->devices[i].name == scanner_chosen_device())
            current = static_cast<int>(i);
    }
    bool chosen = false;
    const QString label = QInputDialog::getItem(owner_, QString::fromUtf8(APP_CAPTION), QStringLiteral("Scan from:"),
                                                labels, current, false, &chosen);
    if (owner_)
        owner_->activateWindow();
    if (!chosen)
        return false;
    scanner_choose_device(job->devices[static_cast<size_t>(labels.indexOf(label))].name);
    return true;
}

bool QtPlatform::acquire_scan(ScannedImage &image)
{
    auto job = std::make_shared<ScannerJob>();
    const std::string device = scanner_chosen_device();
    std::thread worker([job, device] {
        job->ok = scanner_acquire(device, job->image, job->error, [job](int p) { job->percent = p; }, job->cancel);
        job->done = true;
    });
    wait_for_job(owner_, QStringLiteral("Scanning..."), job, true);
    worker.join();
    if (!job->ok) {
        if (!job->error.empty())
            show_message("Unable to scan: " + job->error, MessageIcon::Warning);
        return false;
    }
    image = std::move(job->image);
    return true;
}

bool QtPlatform::put_clipboard_image(uint32_t image)
{
    bool done = false;
    run_on_ui_thread([&] { done = clipboard_put_image(image); });
    return done;
}

bool QtPlatform::get_clipboard_image(uint32_t image)
{
    bool done = false;
    run_on_ui_thread([&] { done = clipboard_get_image(image); });
    return done;
}

bool QtPlatform::open_in_browser(const std::string &path)
{
    bool opened = false;
    run_on_ui_thread([&] { opened = QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))); });
    return opened;
}
