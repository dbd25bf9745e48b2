// The "Generate Colormap" dialog: the fullbright count and the range, opened
// on 32 and 2 every time. OK with an invalid count warns and stays open.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QPushButton;

class ColormapDialog : public QDialog {
    Q_OBJECT

public:
    explicit ColormapDialog(QWidget *parent = nullptr);

    int32_t fullbrights() const { return fullbrights_; }
    float range() const { return range_; }

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *fullbrights_edit_ = nullptr;
    QLineEdit *range_edit_ = nullptr;
    int32_t fullbrights_ = -1;
    float range_ = 0.0f;
};

// Runs the dialog modally over `owner`: true with the parameters confirmed,
// false when cancelled.
bool ask_colormap_parameters(int32_t &fullbrights, float &range, QWidget *owner);
