// The palette grid: 16 x 16 colour cells painted from a PaletteGridState
// (palette_grid_logic), selected by a click or the arrow keys and edited by
// a double-click or Enter. The widget only paints and reports; the dialog
// that owns the state does the editing.
#pragma once

#include <QWidget>

#include "views/logic/palette_grid_logic.h"

class PaletteGridWidget : public QWidget {
    Q_OBJECT

public:
    PaletteGridWidget(PaletteGridState *state, QWidget *parent = nullptr);

    QSize sizeHint() const override;

signals:
    // The selection moved (the labels need refreshing).
    void selection_changed();
    // The user asked to edit entry `index` (double-click, Enter or Space).
    void edit_requested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int hit(const QPoint &point) const;

    PaletteGridState *state_;
};
