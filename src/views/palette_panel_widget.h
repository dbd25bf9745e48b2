// The palette panel beside the preview: what the paint tools paint with.
// On an 8-bit frame it shows the frame's palette as 16 x 16 cells, the
// fullbright range (the last 32 entries of a Quake-palette frame) marked
// with a dot; a left click chooses the left button's index, a right click
// the right button's (with the keyboard: the arrows move the cursor, Enter
// chooses it for the left button, Shift+Enter for the right). On an RGBA
// frame it shows the two colours, each chosen with a colour dialog. Under
// them the brush: its size (1 to 16) and its shape.
//
// It reads and sets the values of the tools' session directly; the window
// calls refresh() when the frame or the values change elsewhere (the
// eyedropper).
#pragma once

#include <QWidget>

#include <functional>

#include "views/logic/paint_session.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class PalettePanelGrid;

class PalettePanelWidget : public QWidget {
    Q_OBJECT

public:
    PalettePanelWidget(PaintSession *session, QWidget *parent = nullptr);

    // The current frame's image (0 for none), asked at every refresh, and
    // whether the image library may be used now.
    void set_frame_source(std::function<uint32_t()> source) { frame_ = std::move(source); }
    void set_library_free(std::function<bool()> free) { library_free_ = std::move(free); }
    // Reads the frame's palette and the session's values again.
    void refresh();

    // What the panel shows, for tests: 1 (palette cells) or 4 (colours),
    // 0 without a frame that can be painted.
    int shown_bytes_per_pixel() const { return bytes_per_pixel_; }
    PalettePanelGrid *grid() const { return grid_; }

signals:
    // A value or the brush was changed here.
    void values_changed();

private:
    void choose_colour(int button);

    PaintSession *session_;
    std::function<uint32_t()> frame_;
    std::function<bool()> library_free_;
    int bytes_per_pixel_ = 0;
    PalettePanelGrid *grid_ = nullptr;
    QLabel *values_label_ = nullptr;
    QPushButton *colour_[2] = {nullptr, nullptr};
    QSpinBox *brush_size_ = nullptr;
    QCheckBox *round_ = nullptr;
    bool filling_ = false; // refresh() is setting the controls
};

// The 16 x 16 cells.
class PalettePanelGrid : public QWidget {
    Q_OBJECT

public:
    PalettePanelGrid(PaintSession *session, QWidget *parent = nullptr);
    // 256 RGBA entries, and how many of them the frame's palette has.
    void set_palette(const uint8_t *rgba, int entries, bool quake_palette);
    QSize sizeHint() const override;
    int cursor() const { return cursor_; }

signals:
    void chosen();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(int index, int button);
    QRect cell(int index) const;

    PaintSession *session_;
    uint8_t palette_[1024] = {};
    int entries_ = 0;
    bool quake_ = false;
    int cursor_ = 0;
};
