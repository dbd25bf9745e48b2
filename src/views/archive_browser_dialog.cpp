#include "views/archive_browser_dialog.h"

#include <algorithm>
#include <map>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "document/animation.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "platform/platform.h"
#include "views/logic/archive_browser_logic.h"
#include "views/qt_image.h"

namespace {

constexpr int THUMBNAIL = 48;
// Larger entries get no thumbnail: the browser is for finding, and one
// big entry would hold the window while it is read.
constexpr uint64_t THUMBNAIL_MAX_BYTES = uint64_t(8) << 20;
constexpr int ENTRY_ROLE = Qt::UserRole;

// What a thumbnail's load says stays unsaid: an entry that shows nothing
// simply has no picture.
class Silent : public Platform {
public:
    Silent() : previous_(&platform()) { set_platform(this); }
    ~Silent() override { set_platform(previous_); }
    Silent(const Silent &) = delete;
    Silent &operator=(const Silent &) = delete;
    void show_message(const std::string &, MessageIcon) override {}
    bool ask_yes_no(const std::string &) override { return false; }

private:
    Platform *previous_;
};

QIcon thumbnail_of(const std::string &path)
{
    Animation anim;
    anim_init(&anim);
    QIcon icon;
    {
        const Silent silent;
        const FirstFrameScope first_frame;
        file_load_result(path.c_str(), &anim);
    }
    if (anim.group_count > 0 && anim.groups[0].frame_count > 0) {
        const QImage picture = qimage_from_image(anim.groups[0].frames[0].image);
        if (!picture.isNull())
            icon = QIcon(QPixmap::fromImage(
                picture.scaled(THUMBNAIL, THUMBNAIL, Qt::KeepAspectRatio, Qt::FastTransformation)));
    }
    anim_destroy(&anim);
    return icon;
}

} // namespace

ArchiveBrowserDialog::ArchiveBrowserDialog(const std::string &archive, const ArchiveListing &listing,
                                           QWidget *parent)
    : QDialog(parent), archive_(archive), listing_(listing)
{
    setObjectName(QStringLiteral("archive_browser"));
    setWindowTitle(QString::fromStdString(archive));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("archive_filter"));
    filter_->setPlaceholderText(QStringLiteral("Filter"));
    filter_->setClearButtonEnabled(true);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("archive_tree"));
    tree_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
    tree_->setIconSize(QSize(THUMBNAIL, THUMBNAIL));
    tree_->setUniformRowHeights(true);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->setMinimumSize(420, 360);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(tree_);
    layout->addWidget(buttons);

    thumbnails_ = new QTimer(this);
    thumbnails_->setInterval(0);
    connect(thumbnails_, &QTimer::timeout, this, [this] { next_thumbnail(); });
    connect(filter_, &QLineEdit::textChanged, this, [this] { fill(); });
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { choose(item); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(tree_->currentItem()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fill();
}

void ArchiveBrowserDialog::fill()
{
    thumbnails_->stop();
    waiting_.clear();
    tree_->clear();
    const bool filtered = !filter_->text().isEmpty();
    std::map<std::string, QTreeWidgetItem *> folders;
    for (const ArchiveRow &row : archive_rows(listing_, filter_->text().toStdString())) {
        const size_t cut = row.entry.rfind('/', row.folder ? row.entry.size() - 2 : std::string::npos);
        const std::string parent = cut == std::string::npos ? std::string() : row.entry.substr(0, cut + 1);
        const auto found = folders.find(parent);
        auto *item = found == folders.end() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(found->second);
        item->setText(0, QString::fromUtf8(row.label.data(), static_cast<qsizetype>(row.label.size())));
        // The name's own bytes: an archive's names need not be UTF-8.
        item->setData(0, ENTRY_ROLE, QByteArray(row.entry.data(), static_cast<qsizetype>(row.entry.size())));
        if (row.folder) {
            folders[row.entry] = item;
            item->setExpanded(filtered || row.depth == 0);
            continue;
        }
        item->setText(1, QString::number(static_cast<qulonglong>(row.size)));
        if (row.size <= THUMBNAIL_MAX_BYTES && archive_entry_opens(row.entry))
            waiting_.push_back(item);
    }
    std::reverse(waiting_.begin(), waiting_.end());
    if (!waiting_.empty())
        thumbnails_->start();
}

void ArchiveBrowserDialog::next_thumbnail()
{
    if (waiting_.empty()) {
        thumbnails_->stop();
        return;
    }
    QTreeWidgetItem *item = waiting_.back();
    waiting_.pop_back();
    const std::string entry = item->data(0, ENTRY_ROLE).toByteArray().toStdString();
    item->setIcon(0, thumbnail_of(archive_ + "/" + entry));
}

void ArchiveBrowserDialog::choose(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const std::string entry = item->data(0, ENTRY_ROLE).toByteArray().toStdString();
    if (entry.empty() || entry.back() == '/') {
        item->setExpanded(!item->isExpanded());
        return;
    }
    chosen_ = entry;
    accept();
}

std::string choose_archive_entry_dialog(const std::string &archive, QWidget *owner)
{
    ArchiveListing listing;
    std::string error;
    if (!list_archive(archive, listing, error)) {
        show_warning(error);
        return {};
    }
    for (const std::string &skipped : listing.skipped)
        show_warning(skipped);
    ArchiveBrowserDialog dialog(archive, listing, owner);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : std::string();
}
