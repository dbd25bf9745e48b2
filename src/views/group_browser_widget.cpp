#include "views/group_browser_widget.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

#include "image/host_table.h"
#include "views/frame_thumbnail.h"
#include "views/logic/group_browser_logic.h"
#include "views/logic/texture_drawing.h"

namespace {

constexpr int BOX = GROUP_BROWSER_THUMBNAIL_BOX;

QPixmap blank_box() { return blank_thumbnail(BOX); }

// The first frame of `group` scaled into the thumbnail box; the blank box
// for a group without frames. Uses the image library.
QPixmap make_thumbnail(const Animation *a, int group)
{
    if (!a || !a->groups || group < 0 || group >= a->group_count)
        return blank_box();
    const Group &g = a->groups[group];
    return frame_thumbnail(g.frames && g.frame_count > 0 ? &g.frames[0] : nullptr, BOX, group_texture_format(a, group));
}

// True when the first frames of `members` are not all of one size. Uses the
// image library.
bool sizes_differ(const Animation *a, const std::vector<int> &members)
{
    int width = -1, height = -1;
    for (const int g : members) {
        if (!a || !a->groups || g < 0 || g >= a->group_count || a->groups[g].frame_count <= 0)
            continue;
        host().bind_image(a->groups[g].frames[0].image);
        if (width >= 0 && (host().width() != width || host().height() != height))
            return true;
        width = host().width();
        height = host().height();
    }
    return false;
}

} // namespace

// --- Model ------------------------------------------------------------------

GroupBrowserModel::GroupBrowserModel(QObject *parent) : QAbstractListModel(parent), blank_(blank_box()) {}

void GroupBrowserModel::set_groups(const std::vector<std::string> &names)
{
    beginResetModel();
    names_ = names;
    sequences_ = group_browser_sequences(names_);
    build_rows();
    thumbnails_.assign(names_.size(), QPixmap());
    pending_ = false;
    made_ = 0;
    endResetModel();
}

void GroupBrowserModel::set_filter(const std::string &filter)
{
    if (filter == filter_)
        return;
    beginResetModel();
    filter_ = filter;
    build_rows();
    endResetModel();
}

void GroupBrowserModel::build_rows()
{
    std::vector<bool> unfolded(sequences_.size());
    for (size_t s = 0; s < sequences_.size(); ++s)
        unfolded[s] = unfolded_.count(sequences_[s].label) != 0;
    entries_ = group_browser_entries(names_, sequences_, unfolded, filter_);
    rows_.clear();
    rows_.reserve(entries_.size());
    for (const BrowserRow &row : entries_)
        rows_.push_back(row.group);
}

const BrowserRow *GroupBrowserModel::entry(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < entries_.size() ? &entries_[static_cast<size_t>(row)] : nullptr;
}

int GroupBrowserModel::row_of_group(int group) const
{
    return group_browser_entry_of_group(entries_, sequences_, group);
}

bool GroupBrowserModel::unfolded(int sequence) const
{
    return sequence >= 0 && static_cast<size_t>(sequence) < sequences_.size()
           && unfolded_.count(sequences_[static_cast<size_t>(sequence)].label) != 0;
}

bool GroupBrowserModel::set_unfolded(int row, bool unfold)
{
    const BrowserRow *e = entry(row);
    if (!e || e->sequence < 0 || unfolded(e->sequence) == unfold)
        return false;
    const std::string &label = sequences_[static_cast<size_t>(e->sequence)].label;
    beginResetModel();
    if (unfold)
        unfolded_.insert(label);
    else
        unfolded_.erase(label);
    build_rows();
    endResetModel();
    return true;
}

void GroupBrowserModel::drop_thumbnails()
{
    for (QPixmap &p : thumbnails_)
        p = QPixmap();
    repaint_all_rows();
}

void GroupBrowserModel::retry_thumbnails()
{
    if (!pending_)
        return;
    pending_ = false;
    repaint_all_rows();
}

void GroupBrowserModel::repaint_all_rows()
{
    if (!rows_.empty())
        emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1), {Qt::DecorationRole});
}

int GroupBrowserModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant GroupBrowserModel::data(const QModelIndex &index, int role) const
{
    const BrowserRow *row = entry(index.row());
    const int group = row ? row->group : -1;
    if (group < 0 || static_cast<size_t>(group) >= names_.size())
        return QVariant();
    const std::string &name = names_[static_cast<size_t>(group)];
    switch (role) {
    case Qt::DisplayRole:
        if (row->kind == BrowserRowKind::Sequence) {
            // The sizes are read only while the library is free (the
            // document may be half built otherwise).
            const BrowserSequence &seq = sequences_[static_cast<size_t>(row->sequence)];
            const bool differ = library_free_ && library_free_() && animation_
                                && sizes_differ(animation_(), seq.members);
            return QString::fromStdString(group_browser_sequence_text(seq, unfolded(row->sequence), differ));
        }
        // Members sit under their sequence's row.
        return QString::fromStdString(row->kind == BrowserRowKind::Member ? "    " + name : name);
    case Qt::ToolTipRole:
        return QString::fromStdString(name);
    case Qt::DecorationRole:
        return thumbnail(group);
    case Qt::SizeHintRole:
        // Every row is one box high, so the list never asks for a picture
        // just to measure a row.
        return QSize(-1, BOX + 4);
    default:
        return QVariant();
    }
}

QPixmap GroupBrowserModel::thumbnail(int group) const
{
    QPixmap &cached = thumbnails_[static_cast<size_t>(group)];
    if (!cached.isNull())
        return cached;
    if (!library_free_ || !library_free_()) {
        // The library belongs to a file worker now: an empty box until the
        // next refresh.
        pending_ = true;
        return blank_;
    }
    cached = make_thumbnail(animation_ ? animation_() : nullptr, group);
    ++made_;
    return cached;
}

// --- Widget -----------------------------------------------------------------

GroupBrowserWidget::GroupBrowserWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("group_browser"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("group_browser_filter"));
    filter_->setPlaceholderText(QStringLiteral("Filter"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);

    model_ = new GroupBrowserModel(this);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("group_browser_list"));
    list_->setModel(model_);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setIconSize(QSize(BOX, BOX));
    // Uniform rows: the list measures one row instead of all of them, so
    // only the rows it paints ask for a thumbnail.
    list_->setUniformItemSizes(true);
    list_->setTextElideMode(Qt::ElideRight);
    list_->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(filter_);
    layout->addWidget(list_, 1);

    connect(filter_, &QLineEdit::textChanged, this, &GroupBrowserWidget::filter_edited);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { row_changed(current); });
    // A click on a sequence's row plays it also when the row is current
    // already (its highlight stays while the sequence plays and after).
    connect(list_, &QListView::clicked, this, [this](const QModelIndex &index) {
        const BrowserRow *row = model_->entry(index.row());
        if (!row || row->kind != BrowserRowKind::Sequence)
            return;
        const QScopedValueRollback<bool> guard(user_choice_, true);
        if (row->group != current_group_)
            emit group_chosen(row->group);
        emit sequence_chosen(row->group);
    });
    connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        if (!fold(index.row(), true))
            fold(index.row(), false);
    });
}

void GroupBrowserWidget::set_animation_source(std::function<const Animation *()> source)
{
    model_->set_animation_source(std::move(source));
}

void GroupBrowserWidget::set_library_free(std::function<bool()> free) { model_->set_library_free(std::move(free)); }

void GroupBrowserWidget::set_groups(const std::vector<std::string> &names, int current)
{
    {
        const QScopedValueRollback<bool> guard(syncing_, true);
        model_->set_groups(names);
    }
    set_current_group(current);
}

void GroupBrowserWidget::set_current_group(int group)
{
    current_group_ = group;
    if (user_choice_) {
        // Called back while the list is still handling the click or key
        // that made the choice: the list finishes first, then the highlight
        // goes where the window says (a refused choice goes back).
        QTimer::singleShot(0, this, [this] { show_current(); });
        return;
    }
    show_current();
}

void GroupBrowserWidget::show_current()
{
    const QScopedValueRollback<bool> guard(syncing_, true);
    const int row = model_->row_of_group(current_group_);
    QItemSelectionModel *selection = list_->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = model_->index(row);
    if (selection->currentIndex() != index || !selection->isSelected(index))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list_->scrollTo(index);
}

void GroupBrowserWidget::document_changed() { model_->drop_thumbnails(); }

void GroupBrowserWidget::refresh() { model_->retry_thumbnails(); }

void GroupBrowserWidget::clear_filter() { filter_->clear(); }

void GroupBrowserWidget::filter_edited(const QString &text)
{
    {
        const QScopedValueRollback<bool> guard(syncing_, true);
        model_->set_filter(text.toStdString());
    }
    show_current();
}

void GroupBrowserWidget::row_changed(const QModelIndex &current)
{
    if (syncing_ || !current.isValid())
        return;
    const BrowserRow *row = model_->entry(current.row());
    if (!row || row->group < 0)
        return;
    const bool sequence = row->kind == BrowserRowKind::Sequence;
    if (row->group == current_group_ && !sequence)
        return;
    const QScopedValueRollback<bool> guard(user_choice_, true);
    const int group = row->group;
    if (group != current_group_)
        emit group_chosen(group);
    if (sequence)
        emit sequence_chosen(group);
}

bool GroupBrowserWidget::fold(int row, bool unfolded)
{
    const BrowserRow *entry = model_->entry(row);
    if (!entry || entry->sequence < 0)
        return false;
    // Folding from a member's row folds the sequence it is in.
    {
        const QScopedValueRollback<bool> guard(syncing_, true);
        if (!model_->set_unfolded(row, unfolded))
            return false;
    }
    show_current();
    return true;
}

bool GroupBrowserWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched == list_) {
        // Left and Right are the window's previous and next frame, except
        // on a sequence's rows, where they fold and unfold it.
        const auto *key = static_cast<QKeyEvent *>(event);
        const BrowserRow *row = model_->entry(list_->currentIndex().row());
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
            && (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left) && row && row->sequence >= 0) {
            event->accept();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    // Ctrl+Page Up/Down belong to the window (previous/next group); should
    // they arrive here the command was disabled, and the list must not
    // page instead.
    if (mods == Qt::ControlModifier && (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown))
        return true;
    if (watched == list_ && mods == Qt::NoModifier
        && (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left)) {
        const BrowserRow *row = model_->entry(list_->currentIndex().row());
        if (row && row->sequence >= 0) {
            fold(list_->currentIndex().row(), key->key() == Qt::Key_Right);
            return true;
        }
    }
    if (watched == filter_ && mods == Qt::NoModifier) {
        if (key->key() == Qt::Key_Down) {
            const int row = group_browser_entry_row(model_->rows(), current_group_);
            list_->setFocus(Qt::TabFocusReason);
            if (row >= 0)
                list_->selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    if ((watched == filter_ || watched == list_) && mods == Qt::NoModifier && key->key() == Qt::Key_Escape) {
        filter_->clear();
        emit filter_left();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
