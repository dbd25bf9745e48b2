// The "Enter Group Name" dialog: one edit field with OK and Cancel.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

class GroupNameDialog : public QDialog {
    Q_OBJECT

public:
    GroupNameDialog(const std::string &initial, QWidget *parent = nullptr);

    std::string name() const;
    void accept() override; // refuses an empty name and stays open

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *edit_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

// Runs the dialog modally over `owner`: true with the confirmed name, false
// when cancelled. The keyboard goes back to the owner afterwards.
bool ask_group_name(const std::string &initial, std::string &name, QWidget *owner);
