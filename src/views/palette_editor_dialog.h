// The "Palette Editor" dialog: the palette grid with its two labels, the
// buttons OK, Cancel, Load and Save and the menus File, Tools, Options and
// Advanced. A thin view over palette_grid_logic and palette_editor_logic:
// nothing reaches the document until OK.
#pragma once

#include <QDialog>

#include "views/logic/palette_editor_logic.h"
#include "views/logic/palette_grid_logic.h"

class QAction;
class QLabel;
class QPushButton;
class PaletteGridWidget;

class PaletteEditorDialog : public QDialog {
    Q_OBJECT

public:
    // Reads the current frame's palette (the warnings of a frame without a
    // palette or with too many colours are shown here). The options are
    // read and changed where `options` points.
    explicit PaletteEditorDialog(const PaletteEditorOptions &options, QWidget *parent = nullptr);

    PaletteGridState &grid() { return grid_; }
    PaletteGridWidget *grid_widget() const { return grid_widget_; }
    QAction *menu_action(int id) const;

    // OK: the working palette is applied, then the dialog ends.
    void accept() override;
    // Carries out one of the dialog's commands (buttons and menu items).
    void command(int id);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    // Brings the keyboard back after one of the logic's message boxes or
    // dialogs.
    void take_keyboard();

    PaletteEditorOptions options_;
    PaletteGridState grid_;
    PaletteGridState opened_; // the working palette as the dialog opened
    PaletteGridWidget *grid_widget_ = nullptr;
    QLabel *index_label_ = nullptr;
    QLabel *color_label_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QPushButton *load_ = nullptr;
    QPushButton *save_ = nullptr;
    QList<QAction *> actions_;
};

// Runs the editor modally over `owner` and gives the keyboard back to the
// owner afterwards.
void show_palette_editor(QWidget *owner, const PaletteEditorOptions &options);
