// The Adjust dialog (142): a slider, a text field, OK, Cancel and Preview,
// over the toolkit-free AdjustState (views/logic/adjust_logic.h). While
// the caller's preview filter is installed, each change of the value (the
// slider moved or a value typed) shows the filter on the main preview's
// display copy, and the dialog opens beside the preview; refreshes are
// coalesced so that a slider drag never queues up work.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QSlider;

class AdjustDialog : public QDialog {
    Q_OBJECT

public:
    // Shows adjust_state(), which the caller has opened; `refresh_preview`
    // redraws the window's preview (may be empty).
    explicit AdjustDialog(std::function<void()> refresh_preview, QWidget *parent = nullptr);

    QSlider *slider() const { return slider_; }
    QLineEdit *edit() const { return edit_; }
    // Refreshes of the preview run so far (for tests of the coalescing).
    int refresh_count() const { return refreshes_; }

    void accept() override; // reads the text first

protected:
    void showEvent(QShowEvent *event) override;

private:
    void slider_moved(int position);
    void text_typed(const QString &text);
    void preview_clicked();
    void show_text(const std::string &text);
    void schedule_refresh();

    QSlider *slider_ = nullptr;
    QLineEdit *edit_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QPushButton *preview_ = nullptr;
    std::function<void()> refresh_preview_;
    QTimer refresh_timer_;
    int refreshes_ = 0;
};

// show_adjust_dialog: opens adjust_state() on the arguments, runs the dialog
// modally over `owner` and ends it as OK or Cancel do (adjust_finish_ok,
// adjust_finish_cancel). `initial` is what the image has now (a filter's
// neutral value, an entry's alpha): OK on it ends as Cancel does, and OK
// without a preview filter only hands the value back. Returns the chosen
// value, `initial` when cancelled. `refresh_preview` redraws the window's
// preview after each change and at the end.
int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial, QWidget *owner,
                       const std::function<void()> &refresh_preview);
