// File > Recent Files: a missing file is offered for removal, an existing
// one is opened through the load path and moves to the front of the list.
#include <string>
#include <vector>

#include "app/commands/recent_commands.h"
#include "app/document_controller.h"
#include "app/logic/recent_files.h"
#include "app/logic/settings.h"
#include "commands_fixture.h"

namespace {

class RecentCommands : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        saved_list = settings().recent_files;
        set_document_file_hook(recent_files_note);
    }
    void TearDown() override
    {
        file_worker_wait();
        set_document_file_hook(nullptr);
        settings().recent_files = saved_list;
        CommandsTest::TearDown();
    }
    std::vector<std::string> saved_list;
};

TEST_F(RecentCommands, MissingEntryIsOfferedForRemovalExistingOneIsOpened)
{
    const std::string gone = scratch_dir("recent") + "/gone.spr";
    const std::string sprite = recent_file_key(data_path("spr/hexen2_puff.spr"));
    const std::string other = recent_file_key(data_path("lmp/librequake_qplaque.lmp"));
    settings().recent_files = {gone, other, sprite};

    struct Missing {
        bool remove;
        std::vector<std::string> expected;
    };
    const Missing missing[] = {{false, {gone, other, sprite}}, {true, {other, sprite}}};
    for (const Missing &m : missing) {
        ui.queue_answer(m.remove);
        file_recent<0>(window);
        file_worker_wait();
        ASSERT_FALSE(ui.questions().empty());
        EXPECT_EQ("The file " + gone + " no longer exists. Remove it from the list of recent files?",
                  ui.questions().back());
        EXPECT_EQ(m.expected, settings().recent_files) << m.remove;
        EXPECT_EQ(0, doc().animation.group_count) << "nothing is loaded";
    }

    // An existing entry goes through Open's path: the unsaved-changes
    // question first, then the load, which puts it first in the list.
    add_group("mine", 1);
    doc_begin_edit(1);
    struct Existing {
        bool discard;
        const char *file_name;
        std::vector<std::string> expected;
    };
    const Existing existing[] = {{false, "", {other, sprite}}, {true, sprite.c_str(), {sprite, other}}};
    for (const Existing &e : existing) {
        const size_t asked = ui.questions().size();
        ui.queue_answer(e.discard);
        file_recent<1>(window);
        file_worker_wait();
        ASSERT_EQ(asked + 1, ui.questions().size());
        EXPECT_EQ(DOC_MODIFIED_QUESTION, ui.questions().back());
        EXPECT_STREQ(e.file_name, doc().file_name);
        EXPECT_EQ(e.expected, settings().recent_files) << e.discard;
    }
    ASSERT_GE(doc().animation.group_count, 1);
    EXPECT_EQ(0, doc().modified);
    EXPECT_TRUE(ui.unexpected().empty());
}

} // namespace
