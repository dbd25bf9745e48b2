#include "views/palette_panel_widget.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstring>

#include "image/host_table.h"
#include "image/quake_palette.h"

namespace {

constexpr int CELL = 11;

QColor colour_of(uint32_t value)
{
    uint8_t b[4];
    std::memcpy(b, &value, 4);
    return QColor(b[0], b[1], b[2], b[3]);
}

uint32_t value_of(const QColor &c)
{
    return paint_colour(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                        static_cast<uint8_t>(c.blue()), static_cast<uint8_t>(c.alpha()));
}

} // namespace

PalettePanelGrid::PalettePanelGrid(PaintSession *session, QWidget *parent) : QWidget(parent), session_(session)
{
    setObjectName(QStringLiteral("palette_panel_grid"));
    setAccessibleName(QStringLiteral("Palette"));
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
}

QSize PalettePanelGrid::sizeHint() const { return QSize(16 * CELL + 1, 16 * CELL + 1); }

void PalettePanelGrid::set_palette(const uint8_t *rgba, int entries, bool quake_palette)
{
    std::memcpy(palette_, rgba, sizeof palette_);
    entries_ = entries;
    quake_ = quake_palette;
    update();
}

QRect PalettePanelGrid::cell(int index) const { return QRect((index % 16) * CELL, (index / 16) * CELL, CELL, CELL); }

void PalettePanelGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < entries_; ++i) {
        const QRect r = cell(i);
        const uint8_t *p = palette_ + i * 4;
        painter.fillRect(r.adjusted(1, 1, 0, 0), QColor(p[0], p[1], p[2]));
        if (quake_ && i >= fullbright_first_index()) {
            // A dot in the corner in the colour's opposite, readable on any entry.
            painter.fillRect(QRect(r.x() + 2, r.y() + 2, 3, 3), QColor(255 - p[0], 255 - p[1], 255 - p[2]));
        }
    }
    const auto mark = [&](int index, const QColor &colour, int inset) {
        if (index < 0 || index >= entries_)
            return;
        painter.setPen(QPen(colour, 0));
        painter.drawRect(cell(index).adjusted(inset, inset, -inset, -inset));
    };
    mark(static_cast<int>(session_->values.index[1]), Qt::white, 1);
    mark(static_cast<int>(session_->values.index[0]), Qt::black, 0);
    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.drawRect(cell(cursor_).adjusted(2, 2, -2, -2));
    }
}

void PalettePanelGrid::choose(int index, int button)
{
    if (index < 0 || index >= entries_)
        return;
    cursor_ = index;
    session_->values.index[button == 1 ? 1 : 0] = static_cast<uint32_t>(index);
    update();
    emit chosen();
}

void PalettePanelGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (at.x() < 0 || at.y() < 0 || at.x() >= 16 * CELL || at.y() >= 16 * CELL)
        return;
    const int index = at.y() / CELL * 16 + at.x() / CELL;
    if (event->button() == Qt::LeftButton)
        choose(index, 0);
    else if (event->button() == Qt::RightButton)
        choose(index, 1);
}

void PalettePanelGrid::keyPressEvent(QKeyEvent *event)
{
    int to = cursor_;
    switch (event->key()) {
    case Qt::Key_Left: to -= 1; break;
    case Qt::Key_Right: to += 1; break;
    case Qt::Key_Up: to -= 16; break;
    case Qt::Key_Down: to += 16; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        choose(cursor_, (event->modifiers() & Qt::ShiftModifier) ? 1 : 0);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (to >= 0 && to < entries_) {
        cursor_ = to;
        update();
    }
}

PalettePanelWidget::PalettePanelWidget(PaintSession *session, QWidget *parent) : QWidget(parent), session_(session)
{
    setObjectName(QStringLiteral("palette_panel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    grid_ = new PalettePanelGrid(session, this);
    column->addWidget(grid_);
    values_label_ = new QLabel(this);
    values_label_->setObjectName(QStringLiteral("palette_panel_values"));
    column->addWidget(values_label_);
    for (int b = 0; b < 2; ++b) {
        colour_[b] = new QPushButton(b == 0 ? tr("&Left Color...") : tr("R&ight Color..."), this);
        column->addWidget(colour_[b]);
        connect(colour_[b], &QPushButton::clicked, this, [this, b] { choose_colour(b); });
    }
    auto *brush_row = new QHBoxLayout;
    auto *brush_label = new QLabel(tr("&Brush:"), this);
    brush_size_ = new QSpinBox(this);
    brush_size_->setRange(BRUSH_MIN, BRUSH_MAX);
    brush_size_->setObjectName(QStringLiteral("brush_size"));
    brush_label->setBuddy(brush_size_);
    round_ = new QCheckBox(tr("Rou&nd"), this);
    brush_row->addWidget(brush_label);
    brush_row->addWidget(brush_size_);
    brush_row->addWidget(round_);
    column->addLayout(brush_row);
    column->addStretch(1);
    connect(grid_, &PalettePanelGrid::chosen, this, [this] {
        refresh();
        emit values_changed();
    });
    connect(brush_size_, &QSpinBox::valueChanged, this, [this](int size) {
        if (filling_)
            return;
        session_->brush.size = size;
        emit values_changed();
    });
    connect(round_, &QCheckBox::toggled, this, [this](bool on) {
        if (filling_)
            return;
        session_->brush.shape = on ? BrushShape::Round : BrushShape::Square;
        emit values_changed();
    });
}

void PalettePanelWidget::choose_colour(int button)
{
    const QColor chosen = QColorDialog::getColor(colour_of(session_->values.colour[button]), this,
                                                 button == 0 ? tr("Left Color") : tr("Right Color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return;
    session_->values.colour[button] = value_of(chosen);
    refresh();
    emit values_changed();
}

void PalettePanelWidget::refresh()
{
    bytes_per_pixel_ = 0;
    uint8_t rgba[1024] = {};
    int entries = 0;
    const uint32_t image = frame_ ? frame_() : 0;
    if (image && (!library_free_ || library_free_())) {
        PaintBuffer buf;
        if (paint_buffer_of_image(image, &buf)) {
            bytes_per_pixel_ = buf.bytes_per_pixel;
            if (bytes_per_pixel_ == 1) {
                host().bind_image(image);
                entries = bound_palette_rgba(rgba, false);
            }
        }
    }
    grid_->set_palette(rgba, entries, is_quake_palette(rgba, entries));
    grid_->setVisible(bytes_per_pixel_ != 4);
    for (QPushButton *button : colour_)
        button->setVisible(bytes_per_pixel_ == 4);
    const PaintValues &v = session_->values;
    QString text;
    if (bytes_per_pixel_ == 4) {
        const QColor l = colour_of(v.colour[0]), r = colour_of(v.colour[1]);
        text = tr("Left: %1, alpha %2\nRight: %3, alpha %4")
                   .arg(l.name())
                   .arg(l.alpha())
                   .arg(r.name())
                   .arg(r.alpha());
        for (int b = 0; b < 2; ++b) {
            const QColor c = colour_of(v.colour[b]);
            colour_[b]->setStyleSheet(QStringLiteral("border-left: 14px solid %1;").arg(c.name()));
        }
    } else if (bytes_per_pixel_ == 1) {
        text = tr("Left: %1    Right: %2").arg(v.index[0]).arg(v.index[1]);
    } else {
        text = tr("Paint on 8-bit or RGBA frames.");
    }
    values_label_->setText(text);
    filling_ = true;
    brush_size_->setValue(session_->brush.size);
    round_->setChecked(session_->brush.shape == BrushShape::Round);
    filling_ = false;
}
