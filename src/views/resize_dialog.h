// The Resize dialog (144): pixel or percent sizes, Maintain Aspect Ratio,
// Resize all Frames In Group and the scaling filter, over the toolkit-free
// arithmetic of views/logic/resize_logic.h. A size field is read when it
// loses the keyboard focus (and, for the field being typed in, on OK).
#pragma once

#include <QDialog>

#include "platform/platform.h"
#include "views/logic/resize_logic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ResizeDialog : public QDialog {
    Q_OBJECT

public:
    ResizeDialog(int width, int height, bool indexed, bool whole_group, QWidget *parent = nullptr);

    // The user's choice; meaningful after OK.
    ResizeChoice choice() const;
    ResizeSizes sizes() const { return sizes_; }

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // resize_sync_sizes for `trigger` with value v, then all four fields
    // rewritten.
    void sync(ResizeTrigger trigger, int v);
    void field_done(QLineEdit *field);
    void update_controls(bool percent);
    void write_fields();

    int width_, height_;
    ResizeSizes sizes_;
    bool whole_group_;
    bool updating_ = false;
    QRadioButton *pixel_mode_ = nullptr;
    QRadioButton *percent_mode_ = nullptr;
    QLabel *pixel_label_ = nullptr;
    QLabel *percent_label_ = nullptr;
    QLineEdit *pixel_width_ = nullptr;
    QLineEdit *pixel_height_ = nullptr;
    QLineEdit *percent_width_ = nullptr;
    QLineEdit *percent_height_ = nullptr;
    QCheckBox *keep_aspect_ = nullptr;
    QCheckBox *whole_group_box_ = nullptr;
    QComboBox *filter_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

// show_resize_dialog: runs the dialog modally over `owner`; true with the
// choice on OK. choice.whole_group comes in as the flag kept from the last
// opening and goes out as the user left it (also when cancelled).
bool show_resize_dialog(int width, int height, bool indexed, ResizeChoice &choice, QWidget *owner);
