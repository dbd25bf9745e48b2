// The multi-file import dialog starts without a chosen name, in the folder
// of the last file, where the other file dialogs start on the last file.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <memory>

#include "formats/format_table.h"
#include "app/qt_platform.h"
#include "support/test_support.h"

namespace {

class ImportDialog : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        qt = std::make_unique<QtPlatform>();
    }
    void TearDown() override
    {
        qt.reset();
        CoreTest::TearDown();
    }
    // Answers the next file dialog: records its folder and the text of its
    // name field, then picks `file` (empty: cancels).
    void answer_next_dialog(const QString &file)
    {
        answer_ = [this, file] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(5, answer_);
                return;
            }
            folder = dialog->directory().absolutePath().toStdString();
            const auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name_field = name ? name->text().toStdString() : "<no name field>";
            if (file.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(file);
            static_cast<QDialog *>(dialog)->accept();
        };
        QTimer::singleShot(0, answer_);
    }

    std::unique_ptr<QtPlatform> qt;
    std::function<void()> answer_;
    std::string folder, name_field;
};

TEST_F(ImportDialog, StartsInTheLastFilesFolderWithNoNameChosen)
{
    const std::string first = data_path("spr/librequake_s_bubble.spr");
    answer_next_dialog(QString::fromStdString(first));
    ASSERT_EQ(first, qt->open_file_dialog(build_file_filter(FILE_OP_LOAD_IMAGE), "Open"));

    // The next open dialog offers the same file again ...
    answer_next_dialog(QString());
    EXPECT_EQ("", qt->open_file_dialog(build_file_filter(FILE_OP_LOAD_IMAGE), "Open"));
    const std::string first_folder = QFileInfo(QString::fromStdString(first)).absolutePath().toStdString();
    EXPECT_EQ(first_folder, folder);
    EXPECT_EQ("librequake_s_bubble.spr", name_field);

    // ... the import starts there with an empty name.
    answer_next_dialog(QString());
    EXPECT_TRUE(qt->open_files_dialog(build_file_filter(FILE_OP_LOAD_IMAGE), "Import Frames").empty());
    EXPECT_EQ(first_folder, folder);
    EXPECT_EQ("", name_field);
}

} // namespace
