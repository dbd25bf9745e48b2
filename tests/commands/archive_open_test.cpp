// Opening inside archives from the editor: an archive opens on the entry
// chosen in its browser, and a recent entry inside an archive is opened or,
// once gone from it, offered for removal.
#include <filesystem>
#include <string>
#include <vector>

#include "app/commands/recent_commands.h"
#include "app/document_controller.h"
#include "app/logic/recent_files.h"
#include "app/logic/settings.h"
#include "commands_fixture.h"
#include "formats/format_table.h"
#include "views/logic/archive_browser_logic.h"

namespace {

class ArchiveOpen : public CommandsTest {
protected:
    void TearDown() override
    {
        file_worker_wait();
        settings().recent_files = saved_list;
        CommandsTest::TearDown();
    }
    std::vector<std::string> saved_list = settings().recent_files;
};

TEST_F(ArchiveOpen, AnArchiveOpensOnTheChosenEntryAndRecentEntriesAreFound)
{
    const std::string dir = scratch_dir("archive_open");
    const std::string pk3 = dir + "/game.pk3";
    std::filesystem::copy_file(data_path("archives/trenchbroom_zip.pk3"), pk3);
    std::filesystem::permissions(pk3, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    Animation sprite;
    anim_init(&sprite);
    file_load(data_path("spr/hexen2_puff.spr").c_str(), &sprite);
    ASSERT_EQ(file_save((pk3 + "/progs/puff.spr").c_str(), &sprite), 1) << ui.transcript();
    anim_destroy(&sprite);

    ui.queue_file(""); // the browser cancelled: nothing happens
    EXPECT_EQ(start_load_worker(pk3), 0);
    ui.queue_file("progs/puff.spr");
    ASSERT_EQ(start_load_worker(pk3), 1);
    file_worker_wait();
    EXPECT_EQ(std::string(doc().file_name), pk3 + "/progs/puff.spr");
    EXPECT_GE(doc().animation.group_count, 1);

    const std::string gone = pk3 + "/progs/gone.spr";
    settings().recent_files = {gone, pk3 + "/pics/tag1.pcx"};
    ui.queue_answer(false);
    file_recent<0>(window);
    file_worker_wait();
    ASSERT_FALSE(ui.questions().empty());
    EXPECT_NE(ui.questions().back().find(gone + " no longer exists"), std::string::npos);
    const size_t asked = ui.questions().size();
    file_recent<1>(window);
    file_worker_wait();
    EXPECT_EQ(ui.questions().size(), asked) << "the entry exists: opened, nothing asked";
    EXPECT_EQ(std::string(doc().file_name), pk3 + "/pics/tag1.pcx");
    EXPECT_TRUE(ui.unexpected().empty());
}

TEST(ArchiveRows, FoldersComeBeforeTheirEntriesAndTheFilterKeepsTheWayToWhatMatches)
{
    ArchiveListing listing;
    for (const char *name : {"b.lmp", "a/", "a/x.spr", "a/sub/y.wad", "../evil.lmp", "c/z.mip", "a/w.mip"}) {
        ArchiveEntry e;
        e.name = name;
        e.folder = e.name.back() == '/';
        e.safe = archive_name_is_safe(name);
        listing.entries.push_back(e);
    }
    const auto shown = [&](const std::string &filter) {
        std::vector<std::string> rows;
        for (const ArchiveRow &r : archive_rows(listing, filter))
            rows.push_back(std::string(r.depth * 2, ' ') + r.label + (r.folder ? "/" : ""));
        return rows;
    };
    EXPECT_EQ(shown(""), (std::vector<std::string>{"b.lmp", "a/", "  x.spr", "  sub/", "    y.wad", "  w.mip", "c/",
                                                    "  z.mip"}));
    EXPECT_EQ(shown("Y.W"), (std::vector<std::string>{"a/", "  sub/", "    y.wad"}));
}

} // namespace
