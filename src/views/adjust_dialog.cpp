#include "views/adjust_dialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <utility>

#include "views/logic/dialog_placement.h"
#include "document/document_state.h"
#include "views/logic/adjust_logic.h"
#include "views/logic/preview_logic.h"

AdjustDialog::AdjustDialog(std::function<void()> refresh_preview, QWidget *parent)
    : QDialog(parent), refresh_preview_(std::move(refresh_preview))
{
    const AdjustState &state = adjust_state();
    setObjectName(QStringLiteral("142"));
    setWindowTitle(QString::fromStdString(state.title));
    // A live preview must stay in sight: the dialog opens beside it.
    setProperty(DIALOG_BESIDE_PREVIEW_PROPERTY, preview_filter_hook != nullptr);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("1049"));
    slider_->setTickPosition(QSlider::NoTicks);
    slider_->setRange(state.minimum, state.maximum);
    slider_->setValue(state.value);
    slider_->setMinimumWidth(220);
    // Page Up/Down move by a tenth of the range.
    slider_->setPageStep(std::max(1, (state.maximum - state.minimum) / 10));
    edit_ = new QLineEdit(QString::fromStdString(adjust_value_text(state, state.value)), this);
    edit_->setObjectName(QStringLiteral("1052"));
    edit_->setMaxLength(260);
    edit_->setMaximumWidth(80);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));
    preview_ = new QPushButton(QStringLiteral("Preview"), this);
    preview_->setObjectName(QStringLiteral("3"));
    preview_->setAutoDefault(false);
    preview_->setEnabled(preview_filter_hook != nullptr);

    auto *top = new QHBoxLayout;
    top->addWidget(slider_, 1);
    top->addWidget(edit_);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    buttons->addWidget(preview_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setTabOrder(slider_, edit_);
    setTabOrder(edit_, ok_);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, preview_);

    refresh_timer_.setSingleShot(true);
    refresh_timer_.setInterval(0);
    connect(&refresh_timer_, &QTimer::timeout, this, [this] {
        ++refreshes_;
        if (refresh_preview_)
            refresh_preview_();
    });
    connect(slider_, &QSlider::valueChanged, this, &AdjustDialog::slider_moved);
    connect(edit_, &QLineEdit::textEdited, this, &AdjustDialog::text_typed);
    connect(preview_, &QPushButton::clicked, this, &AdjustDialog::preview_clicked);
    connect(ok_, &QPushButton::clicked, this, &AdjustDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void AdjustDialog::show_text(const std::string &text)
{
    edit_->setText(QString::fromStdString(text));
}

// A refresh already due takes the newest value when it runs, so a burst of
// slider moves costs one refresh, not one each.
void AdjustDialog::schedule_refresh()
{
    if (preview_filter_hook && !refresh_timer_.isActive())
        refresh_timer_.start();
}

void AdjustDialog::slider_moved(int position)
{
    show_text(adjust_sync_from_slider(position));
    schedule_refresh();
}

// A typed value moves the slider and the preview at once; the text itself
// is left as typed (rewriting "0." as "0.00" would fight the typing) until
// Preview or OK.
void AdjustDialog::text_typed(const QString &text)
{
    adjust_sync_from_text(text.toStdString());
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(adjust_state().value);
    }
    schedule_refresh();
}

void AdjustDialog::preview_clicked()
{
    const std::string text = adjust_sync_from_text(edit_->text().toStdString());
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(adjust_state().value);
    }
    show_text(text);
    schedule_refresh();
}

void AdjustDialog::accept()
{
    refresh_timer_.stop();
    show_text(adjust_sync_from_text(edit_->text().toStdString()));
    QDialog::accept();
}

void AdjustDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager nothing else gives the dialog the keyboard.
    activateWindow();
    raise();
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}

int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial, QWidget *owner,
                       const std::function<void()> &refresh_preview)
{
    adjust_open(title, minimum, maximum, scale, initial);
    int value;
    {
        AdjustDialog dialog(refresh_preview, owner);
        // OK on the value the dialog opened with changes nothing, so it
        // takes no undo step and leaves the modified mark alone. Without a
        // filter the value is only handed back (an entry's alpha, for the
        // palette editor's working copy): the caller decides what changes.
        const bool ok = dialog.exec() == QDialog::Accepted;
        const AdjustState &state = adjust_state();
        if (!ok || state.value == state.initial)
            value = adjust_finish_cancel(refresh_preview);
        else if (!preview_filter_hook)
            value = state.value;
        else
            value = adjust_finish_ok(refresh_preview);
    }
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
    return value;
}
