#include "views/preview_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

#include <cstdlib>

#include "document/animation.h"
#include "document/props.h"
#include "platform/platform.h"
#include "platform/qt/qt_image.h"
#include "plugins/host_table.h"

namespace {

// The workspace colour around the picture.
const QColor WORKSPACE_COLOUR(171, 171, 171);

const Frame *frame_of(const PreviewWidget::Source &s, int *frame_index, int *frame_count)
{
    const Animation *a = s.animation;
    if (!a || !a->groups || s.group < 0 || s.group >= a->group_count)
        return nullptr;
    const Group &g = a->groups[s.group];
    if (!g.frames || g.frame_count <= 0)
        return nullptr;
    // An index the refills have not repaired yet shows the first frame.
    const int index = s.frame >= 0 && s.frame < g.frame_count ? s.frame : 0;
    *frame_index = index;
    *frame_count = g.frame_count;
    return &g.frames[index];
}

} // namespace

QImage preview_picture_of(uint32_t image, bool alpha)
{
    const HostTable &h = host();
    const uint32_t scratch = h.gen_image();
    h.bind_image(scratch);
    QImage picture;
    if (h.copy_image(image)) {
        if (preview_filter_hook)
            preview_filter_hook();
        if (alpha) {
            uint8_t *plane = image_alpha_plane();
            h.convert_image(IMAGE_LUMINANCE);
            if (plane)
                h.set_data(plane);
            std::free(plane);
        }
        picture = qimage_from_bound_image();
    }
    h.delete_image(scratch);
    return picture;
}

PreviewWidget::PreviewWidget(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("1019"));
    setAccessibleName(QStringLiteral("Preview Image"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::ArrowCursor);
}

void PreviewWidget::refresh(bool library_free)
{
    if (!library_free) {
        update_scroll_bars();
        viewport()->update();
        return;
    }
    const Source s = source_ ? source_() : Source{};
    int index = 0, count = 0;
    const Frame *frame = frame_of(s, &index, &count);
    picture_ = frame ? preview_picture_of(frame->image, alpha_view != 0) : QImage();
    read_origin();
    update_scroll_bars();
    viewport()->update();
    if (frame)
        platform().set_status_text(format_text("Frame %i of %i", index + 1, count));
    else if (s.animation && s.animation->group_count > 0)
        platform().set_status_text("Current group contains no frames.");
    else
        platform().set_status_text("Ready.");
}

void PreviewWidget::reset_scroll()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void PreviewWidget::set_origin_mode(bool on, bool library_free)
{
    viewport()->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    origin_mode = on ? 1 : 0;
    refresh(library_free);
}

PreviewPlacement PreviewWidget::placement() const
{
    return preview_place(picture_.width(), picture_.height(), preview_zoom, viewport()->width(),
                         viewport()->height(), horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void PreviewWidget::update_scroll_bars()
{
    // Showing a bar shrinks the viewport, which comes back here through
    // resizeEvent; the guard keeps that from recursing.
    if (updating_bars_)
        return;
    updating_bars_ = true;
    // One bar narrows the viewport and may call for the other; a few
    // rounds settle it (and bound it, whatever the sizes).
    for (int round = 0; round < 3; ++round) {
        const PreviewPlacement p = placement();
        const bool h_was = horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
        const bool v_was = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
        if (p.h_bar == h_was && p.v_bar == v_was)
            break;
        setHorizontalScrollBarPolicy(p.h_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(p.v_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    }
    const PreviewPlacement q = placement(); // with the viewport the bars leave
    horizontalScrollBar()->setRange(0, q.h_max);
    horizontalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setPageStep(std::max(viewport()->width(), 1));
    verticalScrollBar()->setRange(0, q.v_max);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(std::max(viewport()->height(), 1));
    updating_bars_ = false;
}

void PreviewWidget::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_bars();
}

void PreviewWidget::scrollContentsBy(int, int) { viewport()->update(); }

void PreviewWidget::read_origin()
{
    origin_x_ = 0;
    origin_y_ = 0;
    const Source s = source_ ? source_() : Source{};
    int index = 0, count = 0;
    if (const Frame *frame = frame_of(s, &index, &count)) {
        origin_x_ = props_get_int(&frame->props, "Origin X");
        origin_y_ = props_get_int(&frame->props, "Origin Y");
    }
}

void PreviewWidget::paint_into(QPainter &painter, const QRect &area) const
{
    painter.fillRect(area, WORKSPACE_COLOUR);
    if (picture_.isNull())
        return;
    const int cw = viewport()->width();
    const int ch = viewport()->height();
    const PreviewPlacement p = placement();
    const PreviewRect part = preview_visible_part(p, cw, ch);
    if (!part.empty()) {
        // The frame is shown opaque: its colour channels, alpha ignored.
        QImage shown(part.w, part.h, QImage::Format_RGBX8888);
        preview_sample_part(reinterpret_cast<const uint32_t *>(picture_.constBits()), picture_.width(),
                            picture_.height(), static_cast<int>(picture_.bytesPerLine() / 4), p, part,
                            reinterpret_cast<uint32_t *>(shown.bits()), static_cast<int>(shown.bytesPerLine() / 4));
        painter.drawImage(part.x, part.y, shown);
    }
    if (origin_mode) {
        const PreviewPoint c = preview_crosshair(p, preview_zoom, origin_x_, origin_y_);
        painter.setPen(QPen(Qt::black, 0));
        painter.drawLine(c.x, 0, c.x, ch);
        painter.drawLine(0, c.y, cw, c.y);
    }
}

void PreviewWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    paint_into(painter, viewport()->rect());
}

QImage PreviewWidget::render_view() const
{
    QImage view(viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&view);
    paint_into(painter, view.rect());
    return view;
}

void PreviewWidget::mousePressEvent(QMouseEvent *event)
{
    if (!origin_mode || event->button() != Qt::LeftButton || picture_.isNull() ||
        (document_free_ && !document_free_())) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    int ox = 0, oy = 0;
    if (preview_click_to_origin(placement(), preview_zoom, at.x(), at.y(), &ox, &oy) && on_origin_) {
        on_origin_(ox, oy);
        read_origin();
    }
    viewport()->update();
}
