// The group browser: a panel beside the preview listing every group of the
// document with a thumbnail of its first frame and its name, under a filter
// box that narrows the list by name as the user types.
//
// The panel only shows and reports: choosing a row emits group_chosen, and
// the main window routes that through its group selector, so a choice made
// here follows the same rules as one made there. The window tells the panel
// the group list (set_groups), the current group (set_current_group) and
// when the document's pictures changed (document_changed).
//
// The keyboard belongs to the preview unless the user is typing a filter:
// Escape in the filter box (or the list) empties the filter and reports
// filter_left, on which the window gives the preview the keyboard. A new
// document empties the filter too (clear_filter), or the new list could
// start out empty.
//
// An animated texture sequence ("+0lava", "+1lava"...) is one row with its
// first texture, a play marker and its frame count; Right (or a double
// click) unfolds it to its members, Left folds it again. Choosing the row
// reports sequence_chosen beside group_chosen: the window plays it.
//
// Thumbnails are made when the list first paints a row, from the frame's
// image through the image library, and cached. While a file operation holds
// the library a row shows an empty box; refresh() tries again.
#pragma once

#include <QAbstractListModel>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "plugins/vorn_plugin.h"
#include "views/logic/group_browser_logic.h"

class QLineEdit;
class QListView;

class GroupBrowserModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit GroupBrowserModel(QObject *parent = nullptr);

    // Where pictures come from, and whether the library may be used now.
    void set_animation_source(std::function<const Animation *()> source) { animation_ = std::move(source); }
    void set_library_free(std::function<bool()> free) { library_free_ = std::move(free); }

    // A new group list: every thumbnail goes, the filter stays.
    void set_groups(const std::vector<std::string> &names);
    void set_filter(const std::string &filter);
    // Drops every cached thumbnail; rows repaint with new ones.
    void drop_thumbnails();
    // True when a row was painted with an empty box because the library
    // was busy; cleared by retry_thumbnails.
    bool thumbnails_pending() const { return pending_; }
    void retry_thumbnails();

    // Group indexes of the rows, in order (a sequence's row: its first
    // member).
    const std::vector<int> &rows() const { return rows_; }
    // What row `row` shows; nullptr past the end.
    const BrowserRow *entry(int row) const;
    const std::vector<BrowserSequence> &sequences() const { return sequences_; }
    // The row showing `group` (its sequence's row while that is folded).
    int row_of_group(int group) const;
    // Unfolds or folds the sequence of row `row`; false when it has none
    // or is already so.
    bool set_unfolded(int row, bool unfolded);
    bool unfolded(int sequence) const;
    // Thumbnails made since the last group list (for tests).
    int thumbnails_made() const { return made_; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QPixmap thumbnail(int group) const;
    void repaint_all_rows();
    // Rows from the names, sequences, folding and filter.
    void build_rows();

    std::function<const Animation *()> animation_;
    std::function<bool()> library_free_;
    std::vector<std::string> names_;
    std::string filter_;
    std::vector<int> rows_;
    std::vector<BrowserSequence> sequences_;
    std::vector<BrowserRow> entries_;
    std::set<std::string> unfolded_; // by sequence label, kept across refills
    mutable std::vector<QPixmap> thumbnails_; // by group; null: not made yet
    mutable bool pending_ = false;
    mutable int made_ = 0;
    QPixmap blank_;
};

class GroupBrowserWidget : public QWidget {
    Q_OBJECT

public:
    explicit GroupBrowserWidget(QWidget *parent = nullptr);

    void set_animation_source(std::function<const Animation *()> source);
    void set_library_free(std::function<bool()> free);

    // Refills the list from the group selector's entries and highlights
    // `current`.
    void set_groups(const std::vector<std::string> &names, int current);
    // Highlights the row of `group` (none when the filter hides it) without
    // reporting it as a choice.
    void set_current_group(int group);
    // The document's pictures may have changed: thumbnails are made again.
    void document_changed();
    // Repaints rows left without a thumbnail while the library was busy.
    void refresh();
    // Empties the filter box: every group is listed again.
    void clear_filter();

    QLineEdit *filter() const { return filter_; }
    QListView *list() const { return list_; }
    GroupBrowserModel *model() const { return model_; }
    // The group the panel believes current (-1 for none).
    int current_group() const { return current_group_; }

signals:
    // The user chose the row of `group` (mouse or keyboard).
    void group_chosen(int group);
    // The user chose a sequence's row (after group_chosen of its first
    // member): it should play.
    void sequence_chosen(int group);
    // The user is done with the panel (Escape): the keyboard should go
    // back to the preview.
    void filter_left();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void filter_edited(const QString &text);
    void row_changed(const QModelIndex &current);
    // Folds or unfolds the sequence of `row`, keeping the highlight.
    bool fold(int row, bool unfolded);
    // Puts the highlight on current_group_'s row.
    void show_current();

    QLineEdit *filter_ = nullptr;
    QListView *list_ = nullptr;
    GroupBrowserModel *model_ = nullptr;
    int current_group_ = -1;
    bool syncing_ = false;     // the highlight is being set, not chosen
    bool user_choice_ = false; // inside the report of a user's choice
};
