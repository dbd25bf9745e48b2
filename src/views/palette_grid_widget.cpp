#include "views/palette_grid_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFocusRect>

PaletteGridWidget::PaletteGridWidget(PaletteGridState *state, QWidget *parent) : QWidget(parent), state_(state)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(PALETTE_GRID_COLUMNS * 12, PALETTE_GRID_ROWS * 12);
    setAccessibleName(QStringLiteral("Palette"));
}

QSize PaletteGridWidget::sizeHint() const { return {PALETTE_GRID_COLUMNS * 20, PALETTE_GRID_ROWS * 20}; }

int PaletteGridWidget::hit(const QPoint &point) const
{
    return palette_grid_hit(width(), height(), point.x(), point.y());
}

void PaletteGridWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Unused cells show the dialog's face colour.
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const int count = state_->count < PALETTE_MAX_ENTRIES ? state_->count : PALETTE_MAX_ENTRIES;
    for (int k = 0; k < count; ++k) {
        const uint8_t *e = state_->colors + k * 4;
        const GridRect s = palette_grid_swatch(width(), height(), k);
        painter.fillRect(QRect(s.left, s.top, s.right - s.left, s.bottom - s.top), QColor(e[0], e[1], e[2]));
        if (palette_grid_framed(*state_, k)) {
            const GridRect c = palette_grid_cell(width(), height(), k);
            painter.setPen(palette().color(QPalette::Highlight));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRect(c.left, c.top, c.right - c.left - 1, c.bottom - c.top - 1));
        }
    }
    if (hasFocus()) {
        // Where the keyboard is, also on an unused or no cell.
        QStyleOptionFocusRect option;
        option.initFrom(this);
        const int k = state_->selected;
        if (k >= 0 && k < PALETTE_MAX_ENTRIES) {
            const GridRect c = palette_grid_cell(width(), height(), k);
            option.rect = QRect(c.left + 1, c.top + 1, c.right - c.left - 2, c.bottom - c.top - 2);
        } else {
            option.rect = rect();
        }
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void PaletteGridWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (palette_grid_select(*state_, hit(event->position().toPoint()))) {
        update();
        emit selection_changed();
    }
}

void PaletteGridWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const int index = hit(event->position().toPoint());
    if (index >= 0)
        emit edit_requested(index);
}

void PaletteGridWidget::keyPressEvent(QKeyEvent *event)
{
    GridMove move;
    switch (event->key()) {
    case Qt::Key_Left: move = GridMove::Left; break;
    case Qt::Key_Right: move = GridMove::Right; break;
    case Qt::Key_Up: move = GridMove::Up; break;
    case Qt::Key_Down: move = GridMove::Down; break;
    case Qt::Key_Home: move = GridMove::First; break;
    case Qt::Key_End: move = GridMove::Last; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() & ~Qt::KeypadModifier) {
            QWidget::keyPressEvent(event);
            return;
        }
        if (state_->selected >= 0 && state_->selected < PALETTE_MAX_ENTRIES)
            emit edit_requested(state_->selected);
        else if (palette_grid_select(*state_, 0)) // nothing selected yet: take the first cell
            emit selection_changed();
        event->accept();
        update();
        return;
    default: QWidget::keyPressEvent(event); return;
    }
    palette_grid_select(*state_, palette_grid_step(*state_, move));
    update();
    emit selection_changed();
    event->accept();
}
