// The background load and save workers on a real thread, the busy mark,
// progress reports and the dialog-driven loads.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "file_ops/ui_queue_platform.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

struct CountingView : DocumentView {
    std::vector<std::string> groups;
    int titles = 0;
    int layouts = 0;
    DocConditions conditions;
    std::vector<std::thread::id> threads;

    void set_group_list(const std::vector<std::string> &names, int) override
    {
        groups = names;
        threads.push_back(std::this_thread::get_id());
    }
    void update_title() override
    {
        ++titles;
        threads.push_back(std::this_thread::get_id());
    }
    void layout() override
    {
        ++layouts;
        threads.push_back(std::this_thread::get_id());
    }
    void update_commands(const DocConditions &c) override
    {
        conditions = c;
        threads.push_back(std::this_thread::get_id());
    }
};

class FileOpsTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        set_backends(&queue);
        doc_reset();
        doc_set_view(&view);
        dir = scratch_dir("file_ops");
    }
    void TearDown() override
    {
        finish_worker();
        doc_set_view(nullptr);
        doc_reset();
        for (const std::string &u : queue.unexpected())
            ADD_FAILURE() << "unexpected " << u;
        CoreTest::TearDown();
    }

    // Runs the worker's UI-thread requests until it has ended; returns how
    // many there were.
    int finish_worker()
    {
        int jobs = 0;
        while (file_worker_busy())
            if (queue.pump_if_posted())
                ++jobs;
        file_worker_wait();
        return jobs;
    }

    // Writes a w x h RGBA picture filled with `shade` as a PNG.
    std::string write_picture(const std::string &name, int w, int h, uint8_t shade)
    {
        Animation a;
        anim_init(&a);
        Group *g = anim_add_group(&a, NO_GROUP_NAME);
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_rgba_pixels(w, h, std::vector<uint8_t>(static_cast<size_t>(w * h * 4), shade));
        const std::string path = dir + "/" + name;
        EXPECT_EQ(file_save(path.c_str(), &a), 1) << path;
        anim_destroy(&a);
        return path;
    }

    // A modified document of one group "mine" with one 3x3 frame.
    void make_modified_document()
    {
        Group *g = anim_add_group(&doc_state().animation, "mine");
        const int k = group_append_frame(g);
        host().bind_image(g->frames[k].image);
        set_rgba_pixels(3, 3, std::vector<uint8_t>(36, 7));
        doc_begin_edit(1);
        std::snprintf(doc_state().file_name, DOC_FILE_NAME_SIZE, "%s", "old-name.png");
    }

    UiQueuePlatform queue;
    CountingView view;
    std::string dir;
};

// ---- Progress ----------------------------------------------------------------

TEST_F(FileOpsTest, ProgressShowsPercentAndReady)
{
    report_progress(5, 20);
    report_progress(1, 3);
    report_progress(0, 0);
    EXPECT_EQ(queue.statuses(), (std::vector<std::string>{"File Operation: 25%", "File Operation: 33%", "Ready."}));
    EXPECT_EQ(queue.progress(), (std::vector<int>{25, 33, -1})) << "the bar goes away when the work ends";
}

TEST_F(FileOpsTest, ProgressOfLargeCountsDoesNotOverflow)
{
    report_progress(30000000, 40000000);
    EXPECT_EQ(queue.statuses().back(), "File Operation: 75%");
}

// ---- Load worker ------------------------------------------------------------------

TEST_F(FileOpsTest, LoadAskedNoKeepsTheDocument)
{
    const std::string path = write_picture("other.png", 5, 4, 50);
    make_modified_document();
    queue.queue_answer(false);
    ASSERT_EQ(start_load_worker(path), 1);
    EXPECT_EQ(finish_worker(), 1) << "only the close request reaches the UI thread";

    ASSERT_EQ(queue.questions().size(), 1u);
    EXPECT_EQ(queue.questions()[0], DOC_MODIFIED_QUESTION);
    EXPECT_EQ(queue.question_threads()[0], queue.ui_thread()) << "the question is asked on the UI thread";
    ASSERT_EQ(doc_state().animation.group_count, 1);
    EXPECT_STREQ(doc_state().animation.groups[0].name, "mine");
    EXPECT_STREQ(doc_state().file_name, "old-name.png");
    EXPECT_EQ(doc_state().modified, 1);
    EXPECT_EQ(doc_state().undo_available, 1);
    EXPECT_EQ(queue.statuses().back(), "Ready.");
    EXPECT_FALSE(file_worker_busy());
}

TEST_F(FileOpsTest, LoadAskedYesReplacesTheDocument)
{
    const std::string path = write_picture("other.png", 5, 4, 50);
    make_modified_document();
    queue.queue_answer(true);
    ASSERT_EQ(start_load_worker(path), 1);
    EXPECT_EQ(finish_worker(), 2);

    const DocumentState &doc = doc_state();
    ASSERT_EQ(doc.animation.group_count, 1);
    ASSERT_EQ(doc.animation.groups[0].frame_count, 1);
    EXPECT_EQ(image_width(doc.animation.groups[0].frames[0].image), 5);
    EXPECT_EQ(image_height(doc.animation.groups[0].frames[0].image), 4);
    EXPECT_EQ(std::string(doc.file_name), path);
    EXPECT_EQ(doc.modified, 0);
    EXPECT_EQ(doc.undo_available, 0);
    EXPECT_EQ(doc.current_group, 0);
    EXPECT_EQ(doc.current_frame, 0);
    EXPECT_EQ(view.groups.size(), 1u);
    EXPECT_TRUE(view.conditions.has_frame);
    for (std::thread::id id : view.threads)
        EXPECT_EQ(id, queue.ui_thread()) << "views are refreshed on the UI thread only";
    EXPECT_EQ(queue.statuses().back(), "Ready.");
}

TEST_F(FileOpsTest, LoadOfCleanDocumentAsksNothing)
{
    const std::string path = write_picture("clean.png", 2, 2, 1);
    ASSERT_EQ(start_load_worker(path), 1);
    finish_worker();
    EXPECT_TRUE(queue.questions().empty());
    EXPECT_EQ(doc_state().animation.group_count, 1);
}

TEST_F(FileOpsTest, BusyMarkRefusesASecondOperation)
{
    const std::string path = write_picture("first.png", 2, 2, 1);
    make_modified_document();
    queue.queue_answer(true);
    ASSERT_EQ(start_load_worker(path), 1);
    // The worker now waits for the UI thread to close the document.
    queue.wait_for_job();
    EXPECT_TRUE(file_worker_busy());
    EXPECT_EQ(start_load_worker(path), 0);
    EXPECT_EQ(open_document(), 0) << "no dialog while a worker runs";
    EXPECT_EQ(save_document(path.c_str(), &doc_state().animation, false), 0);
    EXPECT_EQ(save_document(path.c_str(), &doc_state().animation, true), 0);
    EXPECT_TRUE(queue.dialog_filters().empty());
    finish_worker();
    EXPECT_FALSE(file_worker_busy());
    // Free again: the next operation starts.
    ASSERT_EQ(start_load_worker(path), 1);
    finish_worker();
}

TEST_F(FileOpsTest, ShutdownIsRefusedWhileAWorkerRuns)
{
    const std::string path = write_picture("slow.png", 2, 2, 1);
    ASSERT_EQ(start_load_worker(path), 1);
    queue.wait_for_job();
    int exits = 0;
    EXPECT_EQ(shutdown_program([&exits](int) { ++exits; }), 0);
    EXPECT_EQ(exits, 0);
    ASSERT_EQ(queue.messages().size(), 1u);
    EXPECT_EQ(queue.messages()[0].text, "File Operation in progress.");
    EXPECT_EQ(queue.messages()[0].icon, MessageIcon::Warning);
    finish_worker();
    EXPECT_EQ(doc_state().animation.group_count, 1) << "the load went on";
}

TEST_F(FileOpsTest, WorkerThatEndsAtOnceClearsItsMark)
{
    // Many short loads in a row: each must find its own mark set and clear it.
    const std::string path = dir + "/missing.png";
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(start_load_worker(path), 1) << i;
        finish_worker();
        ASSERT_FALSE(file_worker_busy()) << i;
    }
    EXPECT_EQ(queue.messages().size(), 20u) << "each failed load is reported once";
}

TEST_F(FileOpsTest, OpenDocumentUsesTheDialog)
{
    const std::string path = write_picture("chosen.png", 3, 2, 9);
    queue.queue_file("");
    EXPECT_EQ(open_document(), 0);
    EXPECT_FALSE(file_worker_busy());
    queue.queue_file(path);
    EXPECT_EQ(open_document(), 1);
    finish_worker();
    EXPECT_EQ(std::string(doc_state().file_name), path);
    ASSERT_EQ(queue.dialog_filters().size(), 2u);
    EXPECT_EQ(queue.dialog_filters()[0], build_file_filter(FILE_OP_LOAD_IMAGE));
}

TEST_F(FileOpsTest, SaveFromTheQuestionSavesThenLoadsAndAFailedSaveGoesBack)
{
    const std::string other = write_picture("other.png", 5, 4, 50);
    struct Case {
        const char *what;
        std::string name; // the document's file name; "" for none
        bool written;
    };
    const Case cases[] = {
        {"saved under its name", dir + "/mine.png", true},
        {"a name that cannot be written", dir + "/no-such-folder/mine.png", false},
        {"no name, the save dialog cancelled", "", false},
    };
    for (const Case &c : cases) {
        doc_reset();
        queue.clear();
        make_modified_document();
        std::snprintf(doc_state().file_name, DOC_FILE_NAME_SIZE, "%s", c.name.c_str());
        queue.queue_save_answer();
        if (c.name.empty())
            queue.queue_file("");
        ASSERT_EQ(start_load_worker(other), 1) << c.what;
        finish_worker();
        const DocumentState &doc = doc_state();
        if (c.written) {
            EXPECT_EQ(image_width(doc.animation.groups[0].frames[0].image), 5) << c.what << ": then loaded";
            EXPECT_EQ(std::string(doc.file_name), other) << c.what;
            Animation back;
            anim_init(&back);
            file_load(c.name.c_str(), &back);
            ASSERT_EQ(back.group_count, 1) << c.what;
            EXPECT_EQ(image_width(back.groups[0].frames[0].image), 3) << c.what << ": the changes were saved";
            anim_destroy(&back);
        } else {
            ASSERT_EQ(doc.animation.group_count, 1) << c.what;
            EXPECT_STREQ(doc.animation.groups[0].name, "mine") << c.what;
            EXPECT_EQ(std::string(doc.file_name), c.name) << c.what;
            EXPECT_EQ(doc.modified, 1) << c.what;
            EXPECT_EQ(doc.undo_available, 1) << c.what;
        }
        EXPECT_EQ(queue.messages().empty(), c.written || c.name.empty()) << c.what << queue.transcript();
    }
}

TEST_F(FileOpsTest, RefusedFileLeavesTheDocumentAsItWas)
{
    const std::string bad = dir + "/bad.spr";
    write_bytes(bad, {'I', 'D', 'S', 'P', 2, 0, 0, 0, 9});
    make_modified_document();
    view.groups = {"mine"};
    queue.queue_answer(true);
    ASSERT_EQ(start_load_worker(bad), 1);
    finish_worker();
    EXPECT_FALSE(queue.messages().empty()) << "the refusal is reported";
    const DocumentState &doc = doc_state();
    ASSERT_EQ(doc.animation.group_count, 1);
    EXPECT_STREQ(doc.animation.groups[0].name, "mine");
    EXPECT_EQ(image_width(doc.animation.groups[0].frames[0].image), 3);
    EXPECT_STREQ(doc.file_name, "old-name.png");
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(doc.undo_available, 1);
    EXPECT_EQ(view.groups, std::vector<std::string>{"mine"});
    EXPECT_EQ(queue.statuses().back(), "Ready.");

    // An archive without entries is not refused: it opens, empty.
    const std::string empty = data_path("wad/librequake_lq_eye_2022_empty.wad");
    const size_t messages = queue.messages().size();
    queue.queue_answer(true);
    ASSERT_EQ(start_load_worker(empty), 1);
    finish_worker();
    EXPECT_EQ(queue.messages().size(), messages);
    EXPECT_EQ(doc.animation.group_count, 0);
    EXPECT_EQ(std::string(doc.file_name), empty);
    EXPECT_EQ(doc.modified, 0);
}

TEST_F(FileOpsTest, OpenAndSaveDialogsStartAtTheDocumentsFile)
{
    make_modified_document();
    const std::string name = dir + "/mine.png";
    std::snprintf(doc_state().file_name, DOC_FILE_NAME_SIZE, "%s", name.c_str());
    Animation frame;
    anim_init(&frame);
    for (int i = 0; i < 3; ++i)
        queue.queue_file("");
    EXPECT_EQ(open_document(), 0);
    EXPECT_EQ(save_document(nullptr, &doc_state().animation, true), 0);
    EXPECT_EQ(save_document(nullptr, &frame, true), 0);
    // An exported frame starts in the folder, never on the document's name.
    EXPECT_EQ(queue.dialog_initial_names(), (std::vector<std::string>{dir + "/", name, dir + "/"}));
}

// ---- Save --------------------------------------------------------------------------

TEST_F(FileOpsTest, FailedSaveLeavesDocumentModifiedAndOldFileIntact)
{
    make_modified_document();
    const std::string target = dir + "/keep.xyz";
    const std::vector<uint8_t> old_bytes = {'o', 'l', 'd', '!'};
    write_bytes(target, old_bytes);

    ASSERT_EQ(save_document(target.c_str(), &doc_state().animation, false), 1);
    finish_worker();
    EXPECT_FALSE(queue.messages().empty()) << "the failure is reported";
    EXPECT_EQ(read_bytes(target), old_bytes);
    EXPECT_EQ(doc_state().modified, 1);
    EXPECT_EQ(doc_state().undo_available, 1);
    EXPECT_STREQ(doc_state().file_name, "old-name.png");
    EXPECT_EQ(queue.statuses().back(), "Ready.");
}

TEST_F(FileOpsTest, SuccessfulSaveAsMarksCleanAndRenames)
{
    make_modified_document();
    const std::string target = dir + "/saved.png";
    queue.queue_file(target);
    ASSERT_EQ(save_document(nullptr, &doc_state().animation, false), 1);
    finish_worker();
    EXPECT_TRUE(queue.messages().empty()) << queue.transcript();
    EXPECT_EQ(std::string(doc_state().file_name), target);
    EXPECT_EQ(doc_state().modified, 0);
    EXPECT_EQ(doc_state().undo_available, 1) << "saving keeps the history";
    EXPECT_GE(view.titles, 1);
    Animation back;
    anim_init(&back);
    file_load(target.c_str(), &back);
    ASSERT_EQ(back.group_count, 1);
    EXPECT_EQ(image_width(back.groups[0].frames[0].image), 3);
    anim_destroy(&back);
}

TEST_F(FileOpsTest, CancelledSaveDialogReturnsZero)
{
    make_modified_document();
    queue.queue_file("");
    EXPECT_EQ(save_document("", &doc_state().animation, false), 0);
    EXPECT_FALSE(file_worker_busy());
    EXPECT_EQ(doc_state().modified, 1);
}

TEST_F(FileOpsTest, ExportDoesNotRenameTheDocument)
{
    make_modified_document();
    Animation scratch;
    anim_init(&scratch);
    Group *g = anim_add_group(&scratch, NO_GROUP_NAME);
    const int k = group_append_frame(g);
    host().bind_image(g->frames[k].image);
    set_rgba_pixels(4, 4, std::vector<uint8_t>(64, 200));
    const std::string target = dir + "/frame.png";
    queue.queue_file(target);
    EXPECT_EQ(save_document(nullptr, &scratch, true), 1);
    anim_destroy(&scratch);
    EXPECT_FALSE(read_bytes(target).empty());
    EXPECT_STREQ(doc_state().file_name, "old-name.png");
    EXPECT_EQ(doc_state().modified, 1);
    EXPECT_EQ(doc_state().undo_available, 1);
    EXPECT_EQ(queue.statuses().back(), "Ready.");
}

// ---- Dialog-driven loads ------------------------------------------------------

TEST_F(FileOpsTest, ImportAppendsFramesInListedOrder)
{
    const std::string a = write_picture("a.png", 1, 1, 10);
    const std::string b = write_picture("b.png", 2, 1, 20);
    const std::string c = write_picture("c.png", 3, 1, 30);
    queue.queue_files({c, a, dir + "/missing.png", b});
    Animation imported;
    ASSERT_EQ(import_frames_via_dialog(&imported), 1);
    ASSERT_EQ(imported.group_count, 1);
    EXPECT_STREQ(imported.groups[0].name, NO_GROUP_NAME);
    ASSERT_EQ(imported.groups[0].frame_count, 3) << "the unreadable file adds nothing";
    EXPECT_EQ(image_width(imported.groups[0].frames[0].image), 3);
    EXPECT_EQ(image_width(imported.groups[0].frames[1].image), 1);
    EXPECT_EQ(image_width(imported.groups[0].frames[2].image), 2);
    EXPECT_EQ(queue.messages().size(), 1u) << "the missing file is reported";
    anim_destroy(&imported);
}

TEST_F(FileOpsTest, CancelledImportKeepsOneEmptyGroup)
{
    queue.queue_files({});
    Animation imported;
    EXPECT_EQ(import_frames_via_dialog(&imported), 0);
    ASSERT_EQ(imported.group_count, 1);
    EXPECT_EQ(imported.groups[0].frame_count, 0);
    anim_destroy(&imported);
}

TEST_F(FileOpsTest, LoadViaDialogLoadsOnTheCallingThread)
{
    const std::string path = write_picture("one.png", 6, 2, 3);
    queue.queue_file(path);
    Animation loaded;
    anim_init(&loaded);
    EXPECT_EQ(load_via_dialog(&loaded), 1);
    ASSERT_EQ(loaded.group_count, 1);
    EXPECT_EQ(image_width(loaded.groups[0].frames[0].image), 6);
    anim_destroy(&loaded);
    queue.queue_file("");
    Animation none;
    anim_init(&none);
    EXPECT_EQ(load_via_dialog(&none), 0);
    EXPECT_EQ(none.group_count, 0);
}

} // namespace
