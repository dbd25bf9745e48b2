// The "Property Editor" dialog: a thin view over property_editor_logic. Every
// user action copies the controls into the editor's fields, runs the logic
// and shows the fields again.
#pragma once

#include <QDialog>

#include <string>

#include "views/logic/property_editor_logic.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class PropertyEditorDialog : public QDialog {
    Q_OBJECT

public:
    // Edits `list` in place; the caption is `title`.
    PropertyEditorDialog(PropertyList *list, const std::string &title, QWidget *parent = nullptr);

    const PropertyEditor &editor() const { return editor_; }

    void accept() override; // OK: the value shown is stored first

protected:
    void showEvent(QShowEvent *event) override;

private:
    void read_fields();
    void show_fields();
    void set_advanced_enabled(bool on);

    PropertyEditor editor_;
    QListWidget *list_ = nullptr;
    QComboBox *value_ = nullptr;
    QCheckBox *advanced_ = nullptr;
    QGroupBox *advanced_box_ = nullptr;
    QLineEdit *name_ = nullptr;
    QComboBox *type_ = nullptr;
    QPushButton *add_ = nullptr;
    QPushButton *remove_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

// Runs the dialog modally over `owner` until OK, Cancel, Escape or the
// close box, and gives the keyboard back to the owner afterwards. Anything
// but OK leaves `list` as it was.
void show_property_editor(PropertyList *list, const std::string &title, QWidget *owner);
