#include "views/frame_strip_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "views/frame_thumbnail.h"
#include "views/logic/frame_strip_logic.h"
#include "views/logic/texture_drawing.h"

namespace {

QRect qrect(const LayoutRect &r) { return QRect(r.x, r.y, r.w, r.h); }

// The text line under the thumbnail.
QRect text_rect(const QRect &cell)
{
    return QRect(cell.x(), cell.bottom() + 1 - FRAME_STRIP_TEXT_HEIGHT, cell.width(), FRAME_STRIP_TEXT_HEIGHT);
}

} // namespace

FrameStripWidget::FrameStripWidget(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("frame_strip"));
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(FRAME_STRIP_CELL_WIDTH / 2);
    editor_ = new QLineEdit(viewport());
    editor_->setObjectName(QStringLiteral("frame_strip_duration"));
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::editingFinished, this, [this] { close_editor(true); });
}

int FrameStripWidget::scroll() const { return horizontalScrollBar()->value(); }

void FrameStripWidget::update_scroll_range()
{
    QScrollBar *bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, frame_strip_content_width(frame_count()) - viewport()->width()));
    bar->setPageStep(viewport()->width());
}

void FrameStripWidget::set_frames(int group, const std::vector<std::string> &durations, int current)
{
    if (group != group_ || durations.size() != durations_.size()) {
        close_editor(false);
        group_ = group;
        thumbnails_.assign(durations.size(), QPixmap());
        pending_ = false;
        made_ = 0;
    }
    const bool moved = current != current_;
    if (durations != durations_ || moved) {
        durations_ = durations;
        current_ = current;
        update_scroll_range();
        viewport()->update();
    }
    if (moved)
        show_current();
}

void FrameStripWidget::show_current()
{
    if (current_ >= 0)
        horizontalScrollBar()->setValue(frame_strip_scroll_to_show(current_, scroll(), viewport()->width()));
}

void FrameStripWidget::document_changed()
{
    std::fill(thumbnails_.begin(), thumbnails_.end(), QPixmap());
    viewport()->update();
}

void FrameStripWidget::refresh()
{
    if (!pending_)
        return;
    pending_ = false;
    viewport()->update();
}

QString FrameStripWidget::cell_text(int frame) const
{
    if (frame < 0 || frame >= frame_count())
        return QString();
    return QStringLiteral("%1  %2").arg(frame + 1).arg(QString::fromStdString(durations_[static_cast<size_t>(frame)]));
}

QPixmap FrameStripWidget::thumbnail(int frame)
{
    QPixmap &cached = thumbnails_[static_cast<size_t>(frame)];
    if (!cached.isNull())
        return cached;
    if (!library_free_ || !library_free_()) {
        pending_ = true;
        return blank_thumbnail(FRAME_STRIP_BOX);
    }
    const Animation *a = animation_ ? animation_() : nullptr;
    const Frame *f = nullptr;
    if (a && group_ >= 0 && group_ < a->group_count && frame < a->groups[group_].frame_count)
        f = &a->groups[group_].frames[frame];
    cached = frame_thumbnail(f, FRAME_STRIP_BOX, group_texture_format(a, group_));
    ++made_;
    return cached;
}

void FrameStripWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    // From the cell at the left edge; cells wholly off to either side are
    // neither painted nor given a thumbnail.
    const int first = std::max(0, scroll() / (FRAME_STRIP_CELL_WIDTH + FRAME_STRIP_GAP) - 1);
    for (int i = first; i < frame_count(); ++i) {
        const QRect cell = qrect(frame_strip_cell(i, scroll()));
        if (cell.left() > viewport()->width())
            break;
        if (cell.right() < 0)
            continue;
        if (i == current_)
            painter.fillRect(cell, pal.color(hasFocus() ? QPalette::Highlight : QPalette::Mid));
        painter.drawPixmap(cell.x() + (cell.width() - FRAME_STRIP_BOX) / 2, cell.y() + 1, thumbnail(i));
        painter.setPen(pal.color(i == current_ && hasFocus() ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(text_rect(cell).adjusted(2, 0, -2, 0), Qt::AlignCenter, cell_text(i));
    }
    if (drop_slot_ >= 0) {
        // The gap the dragged frame goes into.
        const int x = frame_strip_cell(drop_slot_, scroll()).x - FRAME_STRIP_GAP / 2 - 1;
        painter.fillRect(x, 0, 3, viewport()->height(), pal.color(QPalette::Highlight));
    }
}

void FrameStripWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    press_frame_ = frame_strip_hit(frame_count(), scroll(), at.x(), at.y());
    press_at_ = at;
    drop_slot_ = -1;
    if (press_frame_ >= 0 && press_frame_ != current_)
        emit frame_chosen(press_frame_);
}

void FrameStripWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (press_frame_ < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (drop_slot_ < 0 && (at - press_at_).manhattanLength() < QApplication::startDragDistance())
        return;
    const int slot = frame_strip_drop_slot(frame_count(), scroll(), at.x());
    if (slot != drop_slot_) {
        drop_slot_ = slot;
        viewport()->update();
    }
}

void FrameStripWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    const int from = press_frame_, slot = drop_slot_;
    press_frame_ = drop_slot_ = -1;
    if (slot >= 0) {
        viewport()->update();
        emit frame_moved(from, slot);
    }
}

void FrameStripWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const int frame = frame_strip_hit(frame_count(), scroll(), at.x(), at.y());
    if (frame >= 0 && frame == current_)
        open_editor(frame);
}

void FrameStripWidget::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && event->key() == Qt::Key_F2) {
        edit_duration();
        return;
    }
    if (mods == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        emit left();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void FrameStripWidget::edit_duration() { open_editor(current_); }

void FrameStripWidget::open_editor(int frame)
{
    if (frame < 0 || frame >= frame_count())
        return;
    editing_ = frame;
    editor_->setText(QString::fromStdString(durations_[static_cast<size_t>(frame)]));
    editor_->setGeometry(text_rect(qrect(frame_strip_cell(frame, scroll()))));
    editor_->selectAll();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
}

void FrameStripWidget::close_editor(bool commit)
{
    const int frame = editing_;
    if (frame < 0)
        return;
    // Cleared first: hiding the field takes its focus away, which reports
    // the end of the edit once more.
    editing_ = -1;
    const QString text = editor_->text();
    const bool had_focus = editor_->hasFocus();
    editor_->hide();
    if (had_focus)
        setFocus(Qt::OtherFocusReason);
    if (commit && frame < frame_count() && text.toStdString() != durations_[static_cast<size_t>(frame)])
        emit duration_edited(frame, text);
}

bool FrameStripWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close_editor(false);
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void FrameStripWidget::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_range();
    show_current();
}

void FrameStripWidget::scrollContentsBy(int, int)
{
    if (editing_ >= 0)
        editor_->move(text_rect(qrect(frame_strip_cell(editing_, scroll()))).topLeft());
    viewport()->update();
}
