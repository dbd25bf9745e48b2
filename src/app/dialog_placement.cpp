#include "app/dialog_placement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "app/logic/dialog_placement.h"

namespace {

QPointer<QWidget> &main_window()
{
    static QPointer<QWidget> window;
    return window;
}

LayoutRect rect_of(const QRect &r) { return {r.x(), r.y(), r.width(), r.height()}; }

class DialogPlacementFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || event->spontaneous())
            return false;
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (!dialog || !dialog->isWindow() || dialog == main_window().data())
            return false;
        if (std::find(placing_.begin(), placing_.end(), dialog) != placing_.end())
            return false; // the delivery below, on its way to the dialog
        // The dialog's own show handling comes first: a message box only
        // settles its size there, and QDialog centres on its parent there.
        // Both happen before the window reaches the screen, and so does the
        // move that follows.
        placing_.push_back(dialog);
        QCoreApplication::sendEvent(dialog, event);
        placing_.erase(std::find(placing_.begin(), placing_.end(), dialog));
        centre_on_main_window(dialog);
        return true;
    }

private:
    std::vector<QObject *> placing_;
};

} // namespace

void install_dialog_placement(QWidget *window)
{
    main_window() = window;
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
    QScreen *screen = anchor->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    // Before its first showing a window has no frame yet; its frame size
    // is then its own size.
    const QSize size = dialog->frameGeometry().size();
    // No screen known: nothing to clamp into.
    const LayoutRect unbounded{-(1 << 28), -(1 << 28), 1 << 29, 1 << 29};
    const LayoutRect area = available.isValid() ? rect_of(available) : unbounded;
    const LayoutRect place = centred_rect(rect_of(anchor->frameGeometry()), size.width(), size.height(), area);
    dialog->move(place.x, place.y);
}
