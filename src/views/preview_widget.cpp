#include "views/preview_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "document/animation.h"
#include "document/props.h"
#include "platform/platform.h"
#include "views/logic/game_lighting.h"
#include "views/logic/texture_drawing.h"
#include "views/qt_image.h"
#include "image/host_table.h"
#include "image/quake_palette.h"

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

// A paletted image whose palette has no opaque entry (the palette of a
// version 2 sprite, a 24-bit palette read as four bytes) says nothing about
// transparency: its picture is shown opaque.
bool palette_without_opaque_entry(uint32_t image)
{
    const HostTable &h = host();
    h.bind_image(image);
    if (h.image_type() != IMAGE_INDEXED)
        return false;
    const PaletteTypeCode type = h.palette_type();
    if (type != IMAGE_RGBA && type != IMAGE_BGRA)
        return false;
    const int entries = h.palette_size();
    const uint8_t *palette = h.get_palette();
    if (!palette || entries <= 0 || entries > 256)
        return false;
    for (int i = 0; i < entries; ++i)
        if (palette[i * 4 + 3] != 0)
            return false;
    return true;
}

// The frame's palette as 256 RGBA entries, as the display copy shows them:
// a palette without an opaque entry is shown opaque.
bool frame_palette_rgba(uint32_t image, uint8_t *out)
{
    host().bind_image(image);
    const int entries = bound_palette_rgba(out);
    if (entries <= 0)
        return false;
    bool opaque = false;
    for (int i = 0; i < entries; ++i)
        opaque = opaque || out[i * 4 + 3] != 0;
    if (!opaque)
        for (int i = 0; i < entries; ++i)
            out[i * 4 + 3] = 255;
    return true;
}

} // namespace

QImage preview_picture_of(uint32_t image, bool alpha, int texture_format)
{
    const HostTable &h = host();
    const bool opaque = !alpha && palette_without_opaque_entry(image);
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
        picture = qimage_from_bound_image(alpha ? -1 : texture_format);
    }
    h.delete_image(scratch);
    if (opaque && picture.format() == QImage::Format_RGBA8888)
        for (int y = 0; y < picture.height(); ++y) {
            uchar *row = picture.scanLine(y);
            for (int x = 0; x < picture.width(); ++x)
                row[x * 4 + 3] = 255;
        }
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
    texture_format_ = frame ? group_texture_format(s.animation, s.group) : -1;
    picture_ = frame ? preview_picture_of(frame->image, alpha_view != 0, texture_format_) : QImage();
    tiled_ = options().tiled && !picture_.isNull();
    lit_ = false;
    mark_.clear();
    fullbrights_ = 0;
    under_ = QImage();
    effect_ = false;
    if (frame && !picture_.isNull() && !alpha_view) {
        read_game_view(*frame);
        if (options().onion_skin)
            read_onion_skin(s, index, count);
        if (options().game_effects)
            read_game_effect(s, *frame);
    }
    read_origin();
    read_canvas();
    shown_selection_ = paint_.selection ? paint_.selection() : PaintRect{};
    update_scroll_bars();
    viewport()->update();
    if (frame) {
        std::string text = format_text("Frame %i of %i", index + 1, count) + frame_palette_note(s.animation, s.group);
        if (options().fullbright_pixels && !alpha_view)
            text += format_text(", %zu fullbright pixels", fullbrights_);
        platform().set_status_text(text);
    }
    else if (s.animation && s.animation->group_count > 0)
        platform().set_status_text("Current group contains no frames.");
    else
        platform().set_status_text("Ready.");
}

void PreviewWidget::read_game_view(const Frame &frame)
{
    PaintBuffer buf;
    uint8_t palette[1024];
    const bool indexed = paint_buffer_of_image(frame.image, &buf) && buf.bytes_per_pixel == 1 &&
                         buf.width == picture_.width() && buf.height == picture_.height() &&
                         frame_palette_rgba(frame.image, palette);
    if (indexed && game_lighting().on && !preview_filter_hook && texture_format_ < 0) {
        std::string error;
        const std::vector<uint8_t> &colormap = lighting_colormap(palette, game_lighting(), &error);
        if (colormap.empty()) {
            // Said once: the view goes back to plain colours.
            game_lighting().on = false;
            show_warning(error);
        } else {
            lit_palette(palette, colormap, game_lighting().level, lit_palette_);
            paint_to_rgba(buf, lit_palette_, {0, 0, buf.width, buf.height}, picture_.bits(), picture_.bytesPerLine());
            lit_ = true;
        }
    }
    if (options().fullbright_pixels) {
        host().bind_image(frame.image);
        fullbrights_ = bound_fullbright_pixels(&mark_);
        mark_first_ = fullbright_first_index();
        if (mark_.size() != static_cast<size_t>(picture_.width()) * static_cast<size_t>(picture_.height()))
            mark_.clear();
    }
}

void PreviewWidget::read_game_effect(const Source &s, const Frame &frame)
{
    const GameEffect effect =
        preview_game_effect(s.animation->groups[s.group].name, picture_.width(), picture_.height());
    if (effect == GameEffect::None || picture_.format() != QImage::Format_RGBA8888)
        return;
    const int w = picture_.width(), h = picture_.height();
    std::vector<uint8_t> indexes;
    PaintBuffer buf;
    if (paint_buffer_of_image(frame.image, &buf) && buf.bytes_per_pixel == 1 && buf.width == w && buf.height == h) {
        indexes.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        for (int y = 0; y < h; ++y)
            std::memcpy(&indexes[static_cast<size_t>(y) * static_cast<size_t>(w)], buf.top + y * buf.stride,
                        static_cast<size_t>(w));
    }
    int out_w = 0, out_h = 0;
    const std::vector<uint32_t> shown = preview_apply_game_effect(
        effect, reinterpret_cast<const uint32_t *>(picture_.constBits()), w, h,
        static_cast<int>(picture_.bytesPerLine() / 4), indexes.empty() ? nullptr : indexes.data(), &out_w, &out_h);
    if (shown.empty())
        return;
    picture_ = QImage(reinterpret_cast<const uchar *>(shown.data()), out_w, out_h, out_w * 4,
                      QImage::Format_RGBA8888)
                   .copy();
    // The marks and the onion skin belong to the frame's own pixels.
    mark_.clear();
    under_ = QImage();
    effect_ = true;
}

void PreviewWidget::read_onion_skin(const Source &s, int index, int count)
{
    const Group &g = s.animation->groups[s.group];
    const bool align = options().align_frames;
    const int ox = props_get_int(&g.frames[index].props, "Origin X");
    const int oy = props_get_int(&g.frames[index].props, "Origin Y");
    QImage pictures[2];
    std::vector<PreviewOnionFrame> frames;
    for (const int n : {index - 1, index + 1}) {
        if (n < 0 || n >= count)
            continue; // no wrap: the first frame has no previous one
        QImage &other = pictures[frames.size()];
        other = preview_picture_of(g.frames[n].image, false);
        if (other.isNull() || other.format() != QImage::Format_RGBA8888)
            continue;
        // Aligned, the frames' origins lie on one point; else their corners.
        frames.push_back({reinterpret_cast<const uint32_t *>(other.constBits()), other.width(), other.height(),
                          static_cast<int>(other.bytesPerLine() / 4),
                          align ? props_get_int(&g.frames[n].props, "Origin X") - ox : 0,
                          align ? props_get_int(&g.frames[n].props, "Origin Y") - oy : 0});
    }
    const int w = picture_.width(), h = picture_.height();
    const std::vector<uint32_t> under =
        preview_onion_underlay(w, h, frames.data(), static_cast<int>(frames.size()),
                               static_cast<uint8_t>(WORKSPACE_COLOUR.red()), options().onion_opacity);
    if (!under.empty())
        under_ = QImage(reinterpret_cast<const uchar *>(under.data()), w, h, w * 4, QImage::Format_RGBA8888).copy();
}

void PreviewWidget::reset_scroll()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void PreviewWidget::set_origin_mode(bool on, bool library_free)
{
    origin_mode = on ? 1 : 0;
    update_cursor();
    refresh(library_free);
}

void PreviewWidget::update_cursor()
{
    viewport()->setCursor(origin_mode || painting_enabled() ? Qt::CrossCursor : Qt::ArrowCursor);
}

void PreviewWidget::set_paint_hooks(PaintHooks hooks)
{
    paint_ = std::move(hooks);
    update_cursor();
}

bool PreviewWidget::painting_enabled() const
{
    return !origin_mode && !effect_ && paint_.active && paint_.active();
}

void PreviewWidget::pixel_at(const QPoint &at, int *x, int *y) const
{
    const PreviewPlacement p = placement();
    const PreviewPoint offset = frame_offset();
    const double zoom = preview_zoom > 0.0f ? preview_zoom : 1.0;
    *x = static_cast<int>(std::floor((at.x() - p.x0) / zoom)) - offset.x;
    *y = static_cast<int>(std::floor((at.y() - p.y0) / zoom)) - offset.y;
}

QRect PreviewWidget::view_rect_of(const PaintRect &r) const
{
    const PreviewPlacement p = placement();
    const PreviewPoint offset = frame_offset();
    const double zoom = preview_zoom;
    const double left = p.x0 + (r.x + offset.x) * zoom, top = p.y0 + (r.y + offset.y) * zoom;
    const double right = p.x0 + (r.x + offset.x + r.w) * zoom, bottom = p.y0 + (r.y + offset.y + r.h) * zoom;
    // Held to the viewport: a huge zoom must not overflow the toolkit's ints.
    const double cw = viewport()->width(), ch = viewport()->height();
    const int x0 = static_cast<int>(std::clamp(std::floor(left) - 2, -2.0, cw + 2));
    const int y0 = static_cast<int>(std::clamp(std::floor(top) - 2, -2.0, ch + 2));
    const int x1 = static_cast<int>(std::clamp(std::ceil(right) + 2, -2.0, cw + 2));
    const int y1 = static_cast<int>(std::clamp(std::ceil(bottom) + 2, -2.0, ch + 2));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

void PreviewWidget::update_pixels(const PaintRect &changed)
{
    const PaintRect selection = paint_.selection ? paint_.selection() : PaintRect{};
    if (!(selection == shown_selection_)) {
        viewport()->update(view_rect_of(shown_selection_));
        viewport()->update(view_rect_of(selection));
        shown_selection_ = selection;
    }
    if (changed.empty())
        return;
    const Source s = source_ ? source_() : Source{};
    int index = 0, count = 0;
    const Frame *frame = frame_of(s, &index, &count);
    PaintBuffer buf;
    uint8_t palette[1024];
    // The alpha view and a plug-in's filter show something else than the
    // pixels: those are made again in full.
    if (!frame || alpha_view || preview_filter_hook || texture_format_ >= 0 ||
        picture_.format() != QImage::Format_RGBA8888 ||
        !paint_buffer_of_image(frame->image, &buf) || buf.width != picture_.width() ||
        buf.height != picture_.height() || (buf.bytes_per_pixel == 1 && !frame_palette_rgba(frame->image, palette))) {
        refresh();
        return;
    }
    paint_to_rgba(buf, buf.bytes_per_pixel == 1 ? (lit_ ? lit_palette_ : palette) : nullptr, changed,
                  picture_.bits(), picture_.bytesPerLine());
    if (!mark_.empty() && buf.bytes_per_pixel == 1) {
        // The stroke may have made or taken fullbright pixels.
        for (int y = std::max(changed.y, 0); y < std::min(changed.y + changed.h, buf.height); ++y)
            for (int x = std::max(changed.x, 0); x < std::min(changed.x + changed.w, buf.width); ++x)
                mark_[static_cast<size_t>(y) * static_cast<size_t>(buf.width) + static_cast<size_t>(x)] =
                    buf.top[y * buf.stride + x] >= mark_first_ ? 1 : 0;
    }
    // Tiled, every copy shows the change.
    if (tiled_)
        viewport()->update();
    else
        viewport()->update(view_rect_of(changed));
}

int PreviewWidget::shown_width() const
{
    return tiled_ ? picture_.width() * 3 : aligned_ ? canvas_w_ : picture_.width();
}

int PreviewWidget::shown_height() const
{
    return tiled_ ? picture_.height() * 3 : aligned_ ? canvas_h_ : picture_.height();
}

PreviewPoint PreviewWidget::frame_offset() const
{
    // Tiled, the frame itself is the middle copy.
    return tiled_ ? PreviewPoint{picture_.width(), picture_.height()} : aligned_ ? frame_at_ : PreviewPoint{};
}

PreviewPlacement PreviewWidget::placement_at(float zoom) const
{
    return preview_place(shown_width(), shown_height(), zoom, viewport()->width(), viewport()->height(),
                         horizontalScrollBar()->value(), verticalScrollBar()->value());
}

PreviewPlacement PreviewWidget::placement() const { return placement_at(preview_zoom); }

void PreviewWidget::read_canvas()
{
    aligned_ = false;
    canvas_w_ = canvas_h_ = 0;
    frame_at_ = canvas_origin_ = {};
    const Source s = source_ ? source_() : Source{};
    int index = 0, count = 0;
    if (!options().align_frames || tiled_ || picture_.isNull() || !frame_of(s, &index, &count))
        return;
    const Group &g = s.animation->groups[s.group];
    std::vector<PreviewFrameBox> boxes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        PreviewFrameBox &b = boxes[static_cast<size_t>(i)];
        if (i == index) {
            // The picture's own size: the one drawn.
            b.w = picture_.width();
            b.h = picture_.height();
        } else {
            host().bind_image(g.frames[i].image);
            b.w = host().width();
            b.h = host().height();
        }
        b.origin_x = props_get_int(&g.frames[i].props, "Origin X");
        b.origin_y = props_get_int(&g.frames[i].props, "Origin Y");
    }
    const PreviewCanvas canvas = preview_canvas_of(boxes.data(), count);
    aligned_ = true;
    canvas_w_ = canvas.w;
    canvas_h_ = canvas.h;
    frame_at_ = canvas.offsets[static_cast<size_t>(index)];
    canvas_origin_ = canvas.origin;
}

void PreviewWidget::place_keeping(const PreviewAnchor &anchor, int px, int py)
{
    update_scroll_bars(); // the new zoom may show or hide bars
    const int cw = viewport()->width(), ch = viewport()->height();
    if (px < 0) {
        px = cw / 2;
        py = ch / 2;
    }
    const PreviewScroll to =
        preview_scroll_keeping(anchor, shown_width(), shown_height(), preview_zoom, cw, ch, px, py);
    horizontalScrollBar()->setValue(to.h_pos);
    verticalScrollBar()->setValue(to.v_pos);
    viewport()->update();
}

void PreviewWidget::zoom_about(float zoom, int px, int py)
{
    const PreviewAnchor anchor = preview_anchor_at(placement(), shown_width(), shown_height(), px, py);
    preview_zoom = zoom;
    place_keeping(anchor, px, py);
}

void PreviewWidget::zoom_keeping_centre(float zoom)
{
    const PreviewAnchor anchor = preview_anchor_at(placement(), shown_width(), shown_height(),
                                                   viewport()->width() / 2, viewport()->height() / 2);
    preview_zoom = zoom;
    place_keeping(anchor, -1, -1);
}

float PreviewWidget::fit_zoom() const
{
    // The whole control: a picture that fits needs no bars.
    return preview_fit_zoom(shown_width(), shown_height(), contentsRect().width(), contentsRect().height());
}

void PreviewWidget::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    if (picture_.isNull())
        return;
    // One step per notch (120); fine-grained wheels add up to notches.
    wheel_steps_ += event->angleDelta().y();
    const QPoint at = event->position().toPoint(); // viewport coordinates, as for clicks
    bool zoomed = false;
    for (; wheel_steps_ >= 120; wheel_steps_ -= 120, zoomed = true)
        zoom_about(preview_zoom_step_in(preview_zoom), at.x(), at.y());
    for (; wheel_steps_ <= -120; wheel_steps_ += 120, zoomed = true)
        zoom_about(preview_zoom_step_out(preview_zoom), at.x(), at.y());
    if (zoomed && on_zoomed_)
        on_zoomed_();
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
    PreviewRect part = preview_visible_part(p, cw, ch);
    {
        // Only what the paint event asks for is composed again.
        const QRect wanted = QRect(part.x, part.y, part.w, part.h).intersected(area);
        part = wanted.isEmpty() ? PreviewRect{} : PreviewRect{wanted.x(), wanted.y(), wanted.width(), wanted.height()};
    }
    const PreviewPoint at = frame_offset();
    if (!part.empty()) {
        // The frame is shown opaque: its colour channels, and where alpha
        // is 0 the checkerboard when it is on (never in alpha view, whose
        // grey levels are the alpha itself).
        PreviewPaint paint;
        const Options shown = options();
        paint.checkerboard = shown.checkerboard && !alpha_view;
        paint.grid = shown.grid;
        paint.zoom = preview_zoom;
        paint.empty = WORKSPACE_COLOUR.rgb();
        paint.tiled = tiled_;
        if (!mark_.empty())
            paint.mark = mark_.data();
        if (!under_.isNull() && under_.size() == picture_.size() && under_.bytesPerLine() == picture_.bytesPerLine())
            paint.under = reinterpret_cast<const uint32_t *>(under_.constBits());
        const PreviewImage frame{reinterpret_cast<const uint32_t *>(picture_.constBits()), picture_.width(),
                                 picture_.height(), static_cast<int>(picture_.bytesPerLine() / 4)};
        if (shown_.size() != QSize(part.w, part.h))
            shown_ = QImage(part.w, part.h, QImage::Format_RGB32);
        preview_compose_part(frame, at.x, at.y, shown_width(), shown_height(), p, part, paint,
                             reinterpret_cast<uint32_t *>(shown_.bits()), static_cast<int>(shown_.bytesPerLine() / 4));
        painter.drawImage(part.x, part.y, shown_);
    }
    if (!shown_selection_.empty()) {
        // Marching ants without the march: black dashes over white.
        const QRect r = view_rect_of(shown_selection_).adjusted(2, 2, -3, -3);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(r);
        QPen dashes(Qt::black, 0, Qt::DashLine);
        painter.setPen(dashes);
        painter.drawRect(r);
    }
    if (origin_mode) {
        // Aligned, every origin lies on the canvas's common point.
        const PreviewPoint at_frame = frame_offset();
        const PreviewPoint c =
            aligned_ ? preview_crosshair(p, preview_zoom, canvas_origin_.x, canvas_origin_.y)
                     : preview_crosshair(p, preview_zoom, origin_x_ + at_frame.x, origin_y_ + at_frame.y);
        painter.setPen(QPen(Qt::black, 0));
        painter.drawLine(c.x, 0, c.x, ch);
        painter.drawLine(0, c.y, cw, c.y);
    }
}

void PreviewWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    paint_into(painter, event->rect());
}

QImage PreviewWidget::render_view() const
{
    QImage view(viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&view);
    paint_into(painter, view.rect());
    return view;
}

void PreviewWidget::send_paint(PaintPointer kind, QMouseEvent *event)
{
    int x = 0, y = 0;
    pixel_at(event->position().toPoint(), &x, &y);
    PaintModifiers mods;
    mods.shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    mods.alt = (event->modifiers() & Qt::AltModifier) != 0;
    update_pixels(paint_.handler(kind, x, y, paint_button_, mods));
}

void PreviewWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (paint_button_ < 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    send_paint(PaintPointer::Move, event);
}

void PreviewWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const int button = event->button() == Qt::LeftButton ? 0 : event->button() == Qt::RightButton ? 1 : -1;
    if (paint_button_ < 0 || button != paint_button_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    send_paint(PaintPointer::Release, event);
    paint_button_ = -1;
}

bool PreviewWidget::event(QEvent *event)
{
    // Del belongs to Delete Frame everywhere but here, over a selection.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier && paint_.delete_selection &&
            paint_.selection && !paint_.selection().empty()) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void PreviewWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && paint_.delete_selection &&
        paint_.selection && !paint_.selection().empty()) {
        paint_.delete_selection();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && paint_.escape && paint_.escape()) {
        paint_button_ = -1;
        update_pixels({});
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && paint_.enter) {
        paint_.enter();
        update_pixels({});
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PreviewWidget::mousePressEvent(QMouseEvent *event)
{
    const int button = event->button() == Qt::LeftButton ? 0 : event->button() == Qt::RightButton ? 1 : -1;
    if (painting_enabled() && paint_.handler && button >= 0 && !picture_.isNull() &&
        (!document_free_ || document_free_())) {
        if (paint_button_ >= 0)
            return; // the other button during a stroke does nothing
        setFocus(Qt::MouseFocusReason);
        paint_button_ = button;
        send_paint(PaintPointer::Press, event);
        return;
    }
    if (!origin_mode || effect_ || event->button() != Qt::LeftButton || picture_.isNull() ||
        (document_free_ && !document_free_())) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    int ox = 0, oy = 0;
    const PreviewPoint offset = frame_offset();
    // In aligned mode the click lands on the canvas; only the frame's own
    // pixels count.
    if (preview_click_to_origin(placement(), preview_zoom, at.x(), at.y(), &ox, &oy) && ox >= offset.x &&
        oy >= offset.y && ox - offset.x < picture_.width() && oy - offset.y < picture_.height() && on_origin_) {
        ox -= offset.x;
        oy -= offset.y;
        on_origin_(ox, oy);
        read_origin();
        // A new origin moves the frame within the canvas.
        if (aligned_) {
            read_canvas();
            update_scroll_bars();
        }
    }
    viewport()->update();
}
