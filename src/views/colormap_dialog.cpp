#include "views/colormap_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/platform.h"
#include "quake/colormap.h"
#include "views/logic/palette_editor_logic.h"

ColormapDialog::ColormapDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("138"));
    setWindowTitle(QStringLiteral("Generate Colormap"));

    auto *fullbrights_label = new QLabel(QStringLiteral("Number of Fullbrights\nDefault is 32"), this);
    fullbrights_edit_ = new QLineEdit(QString::fromStdString(format_text("%i", COLORMAP_DEFAULT_FULLBRIGHTS)), this);
    fullbrights_edit_->setObjectName(QStringLiteral("1046"));
    fullbrights_edit_->setMaxLength(259);
    fullbrights_label->setBuddy(fullbrights_edit_);
    auto *range_label = new QLabel(QStringLiteral("Range, 2 Highly recommended."), this);
    range_edit_ = new QLineEdit(
        QString::fromStdString(format_text("%g", static_cast<double>(COLORMAP_DEFAULT_RANGE))), this);
    range_edit_->setObjectName(QStringLiteral("1031"));
    range_edit_->setMaxLength(259);
    range_label->setBuddy(range_edit_);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(fullbrights_label, 0, 0);
    layout->addWidget(fullbrights_edit_, 0, 1);
    layout->addWidget(range_label, 1, 0);
    layout->addWidget(range_edit_, 1, 1);
    layout->addWidget(ok, 2, 0, Qt::AlignLeft);
    layout->addWidget(cancel, 2, 1, Qt::AlignRight);

    setTabOrder(fullbrights_edit_, range_edit_);
    setTabOrder(range_edit_, ok);
    setTabOrder(ok, cancel);
}

void ColormapDialog::accept()
{
    int32_t fullbrights = -1;
    float range = 0.0f;
    if (!colormap_dialog_accept(fullbrights_edit_->text().toStdString(), range_edit_->text().toStdString(),
                                fullbrights, range)) {
        // The warning has taken the keyboard: give it back to the count.
        activateWindow();
        fullbrights_edit_->setFocus(Qt::OtherFocusReason);
        fullbrights_edit_->selectAll();
        return;
    }
    fullbrights_ = fullbrights;
    range_ = range;
    QDialog::accept();
}

void ColormapDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    activateWindow();
    raise();
    fullbrights_edit_->setFocus(Qt::OtherFocusReason);
    fullbrights_edit_->selectAll();
}

bool ask_colormap_parameters(int32_t &fullbrights, float &range, QWidget *owner)
{
    ColormapDialog dialog(owner);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
    if (!accepted) {
        fullbrights = -1;
        return false;
    }
    fullbrights = dialog.fullbrights();
    range = dialog.range();
    return true;
}
