// Documents in deep folders: the whole path is the document's name, so that
// Save writes the file that was opened, not one named by a cut-off path.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/document_controller.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "file_ops/ui_queue_platform.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

class LongPathTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        set_backends(&queue);
        doc_reset();
        // Folders of 60 characters, nested until the path passes 300.
        folder = scratch_dir("file_ops_long_path");
        while (folder.size() < 300) {
            folder += "/" + std::string(60, 'd');
            mkdir(folder.c_str(), 0755);
        }
    }
    void TearDown() override
    {
        while (file_worker_busy())
            queue.pump_if_posted();
        file_worker_wait();
        doc_reset();
        for (const std::string &u : queue.unexpected())
            ADD_FAILURE() << "unexpected " << u;
        CoreTest::TearDown();
    }
    void finish_worker()
    {
        while (file_worker_busy())
            queue.pump_if_posted();
        file_worker_wait();
    }
    // A 4 x 3 picture of one grey level, written as a PNG at `path`.
    static void write_picture(const std::string &path, uint8_t shade)
    {
        Animation a;
        anim_init(&a);
        Group *g = anim_add_group(&a, NO_GROUP_NAME);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_rgba_pixels(4, 3, std::vector<uint8_t>(4 * 3 * 4, shade));
        ASSERT_EQ(1, file_save(path.c_str(), &a)) << path;
        anim_destroy(&a);
    }

    UiQueuePlatform queue;
    std::string folder;
};

TEST_F(LongPathTest, OpenedDocumentKeepsItsWholePathAndSavesBackToIt)
{
    const std::string path = folder + "/picture.png";
    ASSERT_GT(path.size(), 300u);
    write_picture(path, 40);
    ASSERT_EQ(1, start_load_worker(path));
    finish_worker();
    EXPECT_EQ(path, std::string(doc_state().file_name));

    // Save under the document's own name: the same file is rewritten.
    host().bind_image(doc_state().animation.groups[0].frames[0].image);
    set_rgba_pixels(4, 3, std::vector<uint8_t>(4 * 3 * 4, 200));
    doc_begin_edit(1);
    ASSERT_EQ(1, save_document(doc_state().file_name, &doc_state().animation, false));
    finish_worker();
    EXPECT_TRUE(queue.messages().empty()) << queue.messages().front().text;
    EXPECT_EQ(0, doc_state().modified);
    Animation back;
    anim_init(&back);
    file_load(path.c_str(), &back);
    ASSERT_EQ(1, back.group_count);
    host().bind_image(back.groups[0].frames[0].image);
    EXPECT_EQ(200, host().get_data()[0]) << "the saved pixels are in the opened file";
    anim_destroy(&back);
}

TEST_F(LongPathTest, SaveAsIntoADeepFolderNamesTheDocumentByTheWholePath)
{
    Group *g = anim_add_group(&doc_state().animation, NO_GROUP_NAME);
    const int k = group_append_frame(g);
    host().bind_image(g->frames[k].image);
    set_rgba_pixels(2, 2, std::vector<uint8_t>(16, 9));
    doc_begin_edit(1);
    const std::string path = folder + "/saved.png";
    queue.queue_file(path);
    ASSERT_EQ(1, save_document(nullptr, &doc_state().animation, false));
    finish_worker();
    EXPECT_EQ(path, std::string(doc_state().file_name));
    EXPECT_FALSE(read_bytes(path).empty());
}

} // namespace
