#include "app/dialog_placement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "views/logic/dialog_placement.h"

namespace {

QPointer<QWidget> &main_window()
{
    static QPointer<QWidget> window;
    return window;
}

QPointer<QWidget> &preview()
{
    static QPointer<QWidget> widget;
    return widget;
}

LayoutRect rect_of(const QRect &r) { return {r.x(), r.y(), r.width(), r.height()}; }

// The available area of the main window's screen; without a screen,
// nothing to clamp into.
LayoutRect screen_area(QWidget *anchor)
{
    QScreen *screen = anchor->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const LayoutRect unbounded{-(1 << 28), -(1 << 28), 1 << 29, 1 << 29};
    return available.isValid() ? rect_of(available) : unbounded;
}

// Once the closing dialog is gone and no other modal dialog is left, the
// keyboard goes back to the preview. Queued: the toolkit hands the focus
// back to the window's previous focus widget after the hide.
void return_keyboard_to_preview()
{
    QTimer::singleShot(0, qApp, [] {
        QWidget *home = preview().data();
        if (!home || !home->isVisible() || QApplication::activeModalWidget())
            return;
        home->setFocus(Qt::OtherFocusReason);
    });
}

class DialogPlacementFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous())
            return false;
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (!dialog || !dialog->isWindow() || dialog == main_window().data())
            return false;
        if (type == QEvent::Hide) {
            return_keyboard_to_preview();
            return false;
        }
        if (std::find(placing_.begin(), placing_.end(), dialog) != placing_.end())
            return false; // the delivery below, on its way to the dialog
        // The dialog's own show handling comes first: a message box only
        // settles its size there, and QDialog centres on its parent there.
        // Both happen before the window reaches the screen, and so does the
        // move that follows.
        placing_.push_back(dialog);
        QCoreApplication::sendEvent(dialog, event);
        placing_.erase(std::find(placing_.begin(), placing_.end(), dialog));
        if (dialog->property(DIALOG_BESIDE_PREVIEW_PROPERTY).toBool())
            place_beside_preview(dialog);
        else
            centre_on_main_window(dialog);
        return true;
    }

private:
    std::vector<QObject *> placing_;
};

} // namespace

void install_dialog_placement(QWidget *window, QWidget *preview_widget)
{
    main_window() = window;
    preview() = preview_widget;
    // Owned by the application: a new application gets a filter of its own.
    static QPointer<DialogPlacementFilter> filter;
    if (!filter && qApp) {
        filter = new DialogPlacementFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

void centre_on_main_window(QWidget *dialog)
{
    QWidget *anchor = main_window().data();
    if (!dialog || !anchor || dialog == anchor || !anchor->isVisible())
        return;
    // Before its first showing a window has no frame yet; its frame size
    // is then its own size.
    const QSize size = dialog->frameGeometry().size();
    const LayoutRect place =
        centred_rect(rect_of(anchor->frameGeometry()), size.width(), size.height(), screen_area(anchor));
    dialog->move(place.x, place.y);
}

void place_beside_preview(QWidget *dialog)
{
    QWidget *anchor = main_window().data();
    QWidget *beside = preview().data();
    if (!dialog || !anchor || dialog == anchor || !anchor->isVisible())
        return;
    LayoutRect area{};
    if (beside && beside->isVisible() && beside->window() == anchor)
        area = rect_of(QRect(beside->mapToGlobal(QPoint(0, 0)), beside->size()));
    const QSize size = dialog->frameGeometry().size();
    const LayoutRect place =
        beside_rect(rect_of(anchor->frameGeometry()), area, size.width(), size.height(), screen_area(anchor));
    dialog->move(place.x, place.y);
}
