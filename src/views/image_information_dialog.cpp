#include "views/image_information_dialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

void show_image_information(const std::string &text, QWidget *owner)
{
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("139"));
    dialog.setWindowTitle(QStringLiteral("Image Information"));
    auto *picture = new QLabel(&dialog);
    picture->setObjectName(QStringLiteral("141"));
    picture->setPixmap(QIcon(QStringLiteral(":/icons/vorn.png")).pixmap(32, 32));
    auto *facts = new QPlainTextEdit(&dialog);
    facts->setObjectName(QStringLiteral("1047"));
    facts->setReadOnly(true);
    facts->setPlainText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed());
    facts->setMinimumSize(240, 90);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(facts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // The text is for reading: Tab leaves it, Enter is OK.
    facts->setTabChangesFocus(true);
    dialog.setTabOrder(facts, ok);
    dialog.show();
    dialog.activateWindow();
    dialog.raise();
    ok->setFocus(Qt::OtherFocusReason);
    dialog.exec();
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
}
