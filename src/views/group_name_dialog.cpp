#include "views/group_name_dialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/logic/group_name_logic.h"

GroupNameDialog::GroupNameDialog(const std::string &initial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("137"));
    setWindowTitle(QStringLiteral("Enter Group Name"));

    edit_ = new QLineEdit(QString::fromUtf8(initial.data(), static_cast<qsizetype>(initial.size())), this);
    edit_->setObjectName(QStringLiteral("1030"));
    edit_->setMinimumWidth(200);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addLayout(buttons);

    setTabOrder(edit_, ok_);
    setTabOrder(ok_, cancel_);
    connect(ok_, &QPushButton::clicked, this, &GroupNameDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

std::string GroupNameDialog::name() const { return edit_->text().toUtf8().toStdString(); }

void GroupNameDialog::accept()
{
    if (group_name_accept(name())) {
        QDialog::accept();
        return;
    }
    // The message box has taken the keyboard; without a window manager it
    // does not come back by itself.
    activateWindow();
    edit_->setFocus(Qt::OtherFocusReason);
}

void GroupNameDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager nothing else gives the dialog the keyboard.
    activateWindow();
    raise();
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}

bool ask_group_name(const std::string &initial, std::string &name, QWidget *owner)
{
    GroupNameDialog dialog(initial, owner);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (ok)
        name = dialog.name();
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
    return ok;
}
