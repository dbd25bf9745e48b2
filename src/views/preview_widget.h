// The frame preview: shows the current frame at the preview zoom, centred
// or scrolled, optionally its alpha channel as grey levels, and in origin
// mode a cross-hair through the frame's origin that a click moves.
//
// The frame is converted to a QImage once per refresh (the only place the
// image library is used); painting samples just the visible part of that
// picture, so a huge zoom costs no more than zoom 1 and a repaint during a
// file operation never touches the library.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include <functional>

#include "plugins/vorn_plugin.h"
#include "views/logic/preview_logic.h"

class PreviewWidget : public QAbstractScrollArea {
    Q_OBJECT

public:
    // What the preview shows: the document and its selection.
    struct Source {
        const Animation *animation = nullptr;
        int group = 0;
        int frame = 0;
    };

    explicit PreviewWidget(QWidget *parent = nullptr);

    void set_source(std::function<Source()> source) { source_ = std::move(source); }
    // Called with the picture pixel of an origin click.
    void set_origin_handler(std::function<void(int, int)> handler) { on_origin_ = std::move(handler); }
    // Whether the document and the image library may be read now (not while
    // a file worker is changing them). Clicks are ignored otherwise.
    void set_document_free(std::function<bool()> free) { document_free_ = std::move(free); }

    // Rebuilds the picture from the current frame, repaints and sets the
    // status text. With `library_free` false (a file operation holds the
    // document and the image library) neither is touched: the last picture
    // is repainted where the present size puts it, and the text stays.
    void refresh(bool library_free = true);
    void reset_scroll();
    // Switches origin mode (cursor and cross-hair) and refreshes.
    void set_origin_mode(bool on, bool library_free = true);

    const QImage &picture() const { return picture_; }
    // Where the picture lies now, for the viewport's present size.
    PreviewPlacement placement() const;
    // Renders what the viewport shows (tests and screenshots).
    QImage render_view() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void update_scroll_bars();
    void paint_into(QPainter &painter, const QRect &area) const;
    // Reads the current frame's origin into origin_x_/origin_y_ ((0, 0)
    // without a frame).
    void read_origin();

    std::function<Source()> source_;
    std::function<void(int, int)> on_origin_;
    std::function<bool()> document_free_;
    QImage picture_; // RGBA8888 copy of the frame as last refreshed
    int origin_x_ = 0, origin_y_ = 0; // the frame's origin as last read
    bool updating_bars_ = false;
};

// The display copy of an image-library image: RGBA, with the preview's
// filter hook applied and, in alpha view, the alpha plane as grey levels.
QImage preview_picture_of(uint32_t image, bool alpha);
