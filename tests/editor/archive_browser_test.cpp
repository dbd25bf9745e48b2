// The archive browser: the archive's folders as a tree, thumbnails made
// after the rows are shown, the filter, and an entry chosen by activation.
#include <filesystem>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include "archive/archive.h"
#include "editor_fixture.h"
#include "formats/format_table.h"
#include "views/archive_browser_dialog.h"

namespace {

class ArchiveBrowserTest : public EditorTest {};

QTreeWidgetItem *find_item(QTreeWidget *tree, const QString &label)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

TEST_F(ArchiveBrowserTest, RowsComeFirstThumbnailsFollowAndActivatingAnEntryChoosesIt)
{
    const std::string pk3 = scratch_dir("archive_browser") + "/game.pk3";
    std::filesystem::copy_file(data_path("archives/trenchbroom_zip.pk3"), pk3);
    std::filesystem::permissions(pk3, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    Animation sprite;
    anim_init(&sprite);
    file_load(data_path("spr/hexen2_puff.spr").c_str(), &sprite);
    ASSERT_EQ(file_save((pk3 + "/progs/puff.spr").c_str(), &sprite), 1) << ui.transcript();
    anim_destroy(&sprite);
    ArchiveListing listing;
    std::string error;
    ASSERT_TRUE(list_archive(pk3, listing, error)) << error;

    ArchiveBrowserDialog dialog(pk3, listing, nullptr);
    auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("archive_tree"));
    auto *filter = dialog.findChild<QLineEdit *>(QStringLiteral("archive_filter"));
    ASSERT_TRUE(tree && filter);
    // amnet.cfg, bear.cfg, pics/, textures/, progs/
    EXPECT_EQ(tree->topLevelItemCount(), 5);
    QTreeWidgetItem *puff = find_item(tree, QStringLiteral("puff.spr"));
    ASSERT_NE(puff, nullptr);
    EXPECT_TRUE(puff->icon(0).isNull()) << "no entry is read before the rows are up";
    for (int i = 0; i < 100 && puff->icon(0).isNull(); ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(puff->icon(0).isNull());
    EXPECT_TRUE(find_item(tree, QStringLiteral("bear.cfg"))->icon(0).isNull());

    filter->setText(QStringLiteral("PUFF"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("progs"));
    emit tree->itemActivated(tree->topLevelItem(0)->child(0), 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosen(), "progs/puff.spr");
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

} // namespace
