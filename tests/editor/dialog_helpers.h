// Helpers for the tests that drive the editor's modal dialogs.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

// The control named `id` (its objectName) in `dialog`; a test failure when
// it is missing.
template <typename T> T *child(QWidget *dialog, const char *id)
{
    T *w = dialog->findChild<T *>(QString::fromLatin1(id));
    EXPECT_NE(nullptr, w) << id;
    return w;
}

// Runs `work` once the modal dialog is up and has become the active window
// (or after a few seconds, when the test then fails on it).
inline void when_modal(std::function<void(QWidget *)> work)
{
    auto *poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, work, tries = 0]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || (QApplication::activeWindow() != modal && ++tries < 600))
            return;
        poll->stop();
        poll->deleteLater();
        work(modal);
    });
    poll->start(5);
}
