// The Match to Palette dialog: which palette, fullbrights allowed or not,
// dithering with its strength, and the current frame matched that way on a
// copy, with its fullbright count, before OK (views/logic/match_palette_logic.h).
#pragma once

#include <QDialog>

#include <cstdint>

#include "views/logic/match_palette_logic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class MatchPaletteDialog : public QDialog {
    Q_OBJECT

public:
    MatchPaletteDialog(uint32_t frame, const MatchPaletteChoice &choice, QWidget *parent = nullptr);

    MatchPaletteChoice choice() const;

private:
    // Matches a copy of the frame as the controls say and shows it.
    void update_preview();

    uint32_t frame_;
    QComboBox *source_ = nullptr;
    QLineEdit *file_ = nullptr;
    QCheckBox *fullbrights_ = nullptr;
    QComboBox *dither_ = nullptr;
    QSpinBox *strength_ = nullptr;
    QLabel *preview_ = nullptr;
    QLabel *count_ = nullptr;
};

// Runs the dialog modally over `owner`; true with the choice on OK.
bool show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice, QWidget *owner);
