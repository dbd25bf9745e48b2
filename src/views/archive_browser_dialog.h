// The archive browser: an archive's entries as a tree of folders with a
// filter box and thumbnails of the entries Vorn can show, made one at a
// time after the rows are on screen. Enter or a double click on an entry
// chooses it.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "archive/archive.h"

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;

class ArchiveBrowserDialog : public QDialog {
public:
    ArchiveBrowserDialog(const std::string &archive, const ArchiveListing &listing, QWidget *parent);
    // The chosen entry's name, empty when none.
    const std::string &chosen() const { return chosen_; }

private:
    void fill();
    void next_thumbnail();
    void choose(QTreeWidgetItem *item);

    std::string archive_;
    ArchiveListing listing_;
    std::string chosen_;
    QLineEdit *filter_;
    QTreeWidget *tree_;
    QTimer *thumbnails_;
    std::vector<QTreeWidgetItem *> waiting_; // entries whose thumbnail is still to make, last first
};

// Runs the browser modally over `owner`; the chosen entry, empty when
// cancelled or when the archive cannot be listed (said in a message).
std::string choose_archive_entry_dialog(const std::string &archive, QWidget *owner);
