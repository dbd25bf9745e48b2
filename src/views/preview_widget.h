// The frame preview: shows the current frame at the preview zoom, centred
// or scrolled, optionally its alpha channel as grey levels, and in origin
// mode a cross-hair through the frame's origin that a click moves. Alpha-0
// pixels may show a checkerboard, high zooms a pixel grid, and with Align
// Frames by Origin the frame lies in a canvas holding every frame of its
// group with all origins on one point.
//
// The frame is converted to a QImage once per refresh (the only place the
// image library is used); painting samples just the visible part of that
// picture, so a huge zoom costs no more than zoom 1 and a repaint during a
// file operation never touches the library. Zooming re-places the picture
// it has; it never converts the frame again.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include <functional>
#include <vector>

#include "plugins/vorn_plugin.h"
#include "views/logic/paint_session.h"
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
    // The window's view options, asked at every refresh and paint (all off
    // until set).
    using Options = PreviewOptions;
    void set_options(std::function<Options()> options) { options_ = std::move(options); }
    // Called with the picture pixel of an origin click.
    void set_origin_handler(std::function<void(int, int)> handler) { on_origin_ = std::move(handler); }
    // The paint tools (views/logic/paint_session.h).
    using PaintHooks = PaintPointerHooks;
    void set_paint_hooks(PaintHooks hooks);
    // The cross cursor while a tool or origin mode takes clicks.
    void update_cursor();
    // Makes the picture's pixels of `changed` again from the frame and
    // repaints just them (a stroke's progress).
    void update_pixels(const PaintRect &changed);
    // Whether the document and the image library may be read now (not while
    // a file worker is changing them). Clicks are ignored otherwise.
    void set_document_free(std::function<bool()> free) { document_free_ = std::move(free); }

    // Rebuilds the picture from the current frame, repaints and sets the
    // status text. With `library_free` false (a file operation holds the
    // document and the image library) neither is touched: the last picture
    // is repainted where the present size puts it, and the text stays.
    void refresh(bool library_free = true);
    void reset_scroll();
    // Sets preview_zoom to `zoom`, keeping the picture point under client
    // point (px, py) there, or the one at the viewport's centre.
    void zoom_about(float zoom, int px, int py);
    void zoom_keeping_centre(float zoom);
    // The zoom step at which the whole picture (or canvas) fits the control.
    float fit_zoom() const;
    // Called after Ctrl + wheel has changed preview_zoom.
    void set_zoom_handler(std::function<void()> handler) { on_zoomed_ = std::move(handler); }
    // Switches origin mode (cursor and cross-hair) and refreshes.
    void set_origin_mode(bool on, bool library_free = true);

    const QImage &picture() const { return picture_; }
    // Where the picture lies now, for the viewport's present size.
    PreviewPlacement placement() const;
    // What the placement places: the picture, or in aligned mode the canvas
    // of the group, and where the picture's top-left pixel lies in it.
    int shown_width() const;
    int shown_height() const;
    PreviewPoint frame_offset() const;
    // Renders what the viewport shows (tests and screenshots).
    QImage render_view() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void update_scroll_bars();
    PreviewPlacement placement_at(float zoom) const;
    // Re-places for the present preview_zoom with the client point (px, py)
    // showing `anchor`; a negative px means the viewport's centre.
    void place_keeping(const PreviewAnchor &anchor, int px, int py);
    // The canvas of the current group, when frames are aligned.
    void read_canvas();
    void paint_into(QPainter &painter, const QRect &area) const;
    // Reads the current frame's origin into origin_x_/origin_y_ ((0, 0)
    // without a frame).
    void read_origin();
    // What the game shows beside the colours, made with the picture: the
    // frame through Game Lighting's colormap, the fullbright mask, the onion
    // skin. A status text for the mask.
    void read_game_view(const Frame &frame);
    void read_onion_skin(const Source &s, int index, int count);
    // Lays a sky's halves or warps a liquid (by the group's name).
    void read_game_effect(const Source &s, const Frame &frame);
    bool tiled() const { return tiled_; }
    Options options() const { return options_ ? options_() : Options{}; }
    bool painting_enabled() const;
    // The frame pixel under viewport point `at` (outside the frame too).
    void pixel_at(const QPoint &at, int *x, int *y) const;
    // The viewport rectangle that shows frame pixels `r` (a pixel more
    // around it, for the grid and the selection's outline).
    QRect view_rect_of(const PaintRect &r) const;
    void send_paint(PaintPointer kind, QMouseEvent *event);

    std::function<Source()> source_;
    std::function<Options()> options_;
    std::function<void(int, int)> on_origin_;
    std::function<bool()> document_free_;
    std::function<void()> on_zoomed_;
    PaintHooks paint_;
    bool tiled_ = false;               // the picture is shown 3 x 3 times
    bool effect_ = false;              // the picture is a sky's or liquid's game view: no painting
    int texture_format_ = -1;          // how the game draws the group (image/texture_format.h)
    bool lit_ = false;                 // picture_ shows the frame through lit_palette_
    uint8_t lit_palette_[1024] = {};
    std::vector<uint8_t> mark_;        // one byte per picture pixel: fullbright
    int mark_first_ = 256;             // the first fullbright index of the marked frame
    size_t fullbrights_ = 0;
    QImage under_;                     // the onion skin, or null
    int paint_button_ = -1;   // the button of the stroke in progress, -1 for none
    PaintRect shown_selection_; // the selection as last outlined
    QImage picture_; // RGBA8888 copy of the frame as last refreshed
    int origin_x_ = 0, origin_y_ = 0; // the frame's origin as last read
    bool updating_bars_ = false;
    bool aligned_ = false;        // the canvas below is in use
    int canvas_w_ = 0, canvas_h_ = 0;
    PreviewPoint frame_at_;       // the picture's place in the canvas
    PreviewPoint canvas_origin_;  // where every frame's origin lies in it
    mutable QImage shown_;        // the composed visible part, kept between paints
    int wheel_steps_ = 0;         // wheel angle not yet turned into zoom steps
};

// The display copy of an image-library image: RGBA, with the preview's
// filter hook applied and, in alpha view, the alpha plane as grey levels;
// else drawn as the game draws `texture_format` (image/texture_format.h)
// when it is one.
QImage preview_picture_of(uint32_t image, bool alpha, int texture_format = -1);
