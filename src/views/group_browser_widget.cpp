#include "views/group_browser_widget.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

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

} // namespace

// --- Model ------------------------------------------------------------------

GroupBrowserModel::GroupBrowserModel(QObject *parent) : QAbstractListModel(parent), blank_(blank_box()) {}

void GroupBrowserModel::set_groups(const std::vector<std::string> &names)
{
    beginResetModel();
    names_ = names;
    rows_ = group_browser_rows(names_, filter_);
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
    rows_ = group_browser_rows(names_, filter_);
    endResetModel();
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
    const int group = group_browser_group_of_row(rows_, index.row());
    if (group < 0 || static_cast<size_t>(group) >= names_.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromStdString(names_[static_cast<size_t>(group)]);
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
    const int row = group_browser_row_of_group(model_->rows(), current_group_);
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
    const int group = group_browser_group_of_row(model_->rows(), current.row());
    if (group < 0 || group == current_group_)
        return;
    const QScopedValueRollback<bool> guard(user_choice_, true);
    emit group_chosen(group);
}

bool GroupBrowserWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    // Ctrl+Page Up/Down belong to the window (previous/next group); should
    // they arrive here the command was disabled, and the list must not
    // page instead.
    if (mods == Qt::ControlModifier && (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown))
        return true;
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
