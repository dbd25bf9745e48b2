#include "views/resize_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QLineEdit *digits_field(const char *id, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(id));
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaximumWidth(70);
    return field;
}

} // namespace

ResizeDialog::ResizeDialog(int width, int height, bool indexed, bool whole_group, QWidget *parent)
    : QDialog(parent), width_(width), height_(height), whole_group_(whole_group)
{
    setObjectName(QStringLiteral("144"));
    setWindowTitle(QStringLiteral("Resize"));

    pixel_mode_ = new QRadioButton(QStringLiteral("Pixel Size"), this);
    pixel_mode_->setObjectName(QStringLiteral("1063"));
    pixel_label_ = new QLabel(QStringLiteral("Width              Height"), this);
    pixel_label_->setObjectName(QStringLiteral("1066"));
    pixel_width_ = digits_field("1067", this);
    pixel_height_ = digits_field("1062", this);
    percent_mode_ = new QRadioButton(QStringLiteral("Percent of Original"), this);
    percent_mode_->setObjectName(QStringLiteral("1069"));
    percent_label_ = new QLabel(QStringLiteral("Width              Height"), this);
    percent_label_->setObjectName(QStringLiteral("1065"));
    percent_width_ = digits_field("1070", this);
    percent_height_ = digits_field("1068", this);
    keep_aspect_ = new QCheckBox(QStringLiteral("Maintain Aspect Ratio"), this);
    keep_aspect_->setObjectName(QStringLiteral("1064"));
    whole_group_box_ = new QCheckBox(QStringLiteral("Resize all Frames In Group"), this);
    whole_group_box_->setObjectName(QStringLiteral("1071"));
    auto *using_label = new QLabel(QStringLiteral("Resize using:"), this);
    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("1059"));
    using_label->setBuddy(filter_);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));

    auto *pixel_box = new QGroupBox(this);
    auto *pixel_grid = new QGridLayout(pixel_box);
    pixel_grid->addWidget(pixel_mode_, 0, 0, 1, 2);
    pixel_grid->addWidget(pixel_label_, 1, 0, 1, 2);
    pixel_grid->addWidget(pixel_width_, 2, 0);
    pixel_grid->addWidget(pixel_height_, 2, 1);
    auto *percent_box = new QGroupBox(this);
    auto *percent_grid = new QGridLayout(percent_box);
    percent_grid->addWidget(percent_mode_, 0, 0, 1, 2);
    percent_grid->addWidget(percent_label_, 1, 0, 1, 2);
    percent_grid->addWidget(percent_width_, 2, 0);
    percent_grid->addWidget(percent_height_, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pixel_box);
    layout->addWidget(percent_box);
    layout->addWidget(keep_aspect_);
    layout->addWidget(whole_group_box_);
    layout->addWidget(using_label);
    layout->addWidget(filter_);
    layout->addLayout(buttons);

    setTabOrder(pixel_mode_, pixel_width_);
    setTabOrder(pixel_width_, pixel_height_);
    setTabOrder(pixel_height_, percent_mode_);
    setTabOrder(percent_mode_, percent_width_);
    setTabOrder(percent_width_, percent_height_);
    setTabOrder(percent_height_, keep_aspect_);
    setTabOrder(keep_aspect_, whole_group_box_);
    setTabOrder(whole_group_box_, filter_);
    setTabOrder(filter_, ok_);
    setTabOrder(ok_, cancel_);

    // Opening: the frame's size at 100 percent, pixel mode, "Pixel Resize".
    sync(ResizeTrigger::Opening, 0);
    for (int i = 0; i < resize_filter_count(indexed); ++i)
        filter_->addItem(QString::fromLatin1(RESIZE_FILTERS[i].text), RESIZE_FILTERS[i].code);
    filter_->setCurrentIndex(0);
    update_controls(false);

    for (QLineEdit *field : {pixel_width_, pixel_height_, percent_width_, percent_height_})
        field->installEventFilter(this);
    connect(pixel_mode_, &QRadioButton::clicked, this, [this] { update_controls(false); });
    connect(percent_mode_, &QRadioButton::clicked, this, [this] { update_controls(true); });
    connect(whole_group_box_, &QCheckBox::clicked, this, [this] {
        whole_group_ = !whole_group_;
        update_controls(percent_mode_->isChecked());
    });
    connect(keep_aspect_, &QCheckBox::clicked, this, [this] {
        sync(ResizeTrigger::KeepAspect, sizes_.pixel_width);
        update_controls(percent_mode_->isChecked());
    });
    connect(ok_, &QPushButton::clicked, this, &ResizeDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void ResizeDialog::write_fields()
{
    pixel_width_->setText(QString::number(sizes_.pixel_width));
    pixel_height_->setText(QString::number(sizes_.pixel_height));
    percent_width_->setText(QString::number(sizes_.percent_width));
    percent_height_->setText(QString::number(sizes_.percent_height));
}

void ResizeDialog::sync(ResizeTrigger trigger, int v)
{
    if (updating_)
        return;
    updating_ = true;
    sizes_ = resize_sync_sizes(sizes_, trigger, v, keep_aspect_->isChecked(), width_, height_);
    write_fields();
    updating_ = false;
}

void ResizeDialog::field_done(QLineEdit *field)
{
    const std::string text = field->text().toStdString();
    if (field == pixel_width_)
        sync(ResizeTrigger::PixelWidth, resize_field_value(text, RESIZE_MAX_SIDE));
    else if (field == pixel_height_)
        sync(ResizeTrigger::PixelHeight, resize_field_value(text, RESIZE_MAX_SIDE));
    else if (field == percent_width_)
        sync(ResizeTrigger::PercentWidth, resize_field_value(text, RESIZE_MAX_PERCENT));
    else if (field == percent_height_)
        sync(ResizeTrigger::PercentHeight, resize_field_value(text, RESIZE_MAX_PERCENT));
}

bool ResizeDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut)
        if (auto *field = qobject_cast<QLineEdit *>(watched))
            field_done(field);
    return QDialog::eventFilter(watched, event);
}

void ResizeDialog::update_controls(bool percent)
{
    for (QWidget *w : {static_cast<QWidget *>(percent_label_), static_cast<QWidget *>(percent_width_),
                       static_cast<QWidget *>(percent_height_)})
        w->setEnabled(percent);
    for (QWidget *w : {static_cast<QWidget *>(pixel_label_), static_cast<QWidget *>(pixel_width_),
                       static_cast<QWidget *>(pixel_height_)})
        w->setEnabled(!percent);
    pixel_mode_->setChecked(!percent);
    percent_mode_->setChecked(percent);
    whole_group_box_->setChecked(whole_group_);
}

void ResizeDialog::accept()
{
    // Enter in a size field takes what was typed there, as leaving it would.
    if (auto *field = qobject_cast<QLineEdit *>(focusWidget()))
        field_done(field);
    QDialog::accept();
}

ResizeChoice ResizeDialog::choice() const
{
    ResizeChoice c;
    c.percent_mode = percent_mode_->isChecked();
    c.pixel_width = sizes_.pixel_width;
    c.pixel_height = sizes_.pixel_height;
    c.percent_width = sizes_.percent_width;
    c.percent_height = sizes_.percent_height;
    c.whole_group = whole_group_;
    c.filter = filter_->currentIndex() >= 0 ? filter_->currentData().toInt() : -1;
    return c;
}

void ResizeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    activateWindow();
    raise();
    pixel_width_->setFocus(Qt::OtherFocusReason);
    pixel_width_->selectAll();
}

bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice, QWidget *owner)
{
    bool ok;
    {
        ResizeDialog dialog(width, height, indexed, choice.whole_group, owner);
        ok = dialog.exec() == QDialog::Accepted;
        const bool kept = dialog.choice().whole_group;
        if (ok)
            choice = dialog.choice();
        choice.whole_group = kept;
    }
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
    return ok;
}
