// Files inside PAK and PK3 archives: round trips that keep every other
// entry, archives that lie about themselves, and engines that read what
// Vorn wrote.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>
#include <zip.h>

#include "archive/archive.h"
#include "formats/format_table.h"
#include "image/image_limits.h"
#include "image/quake_palette.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> entry_bytes(const std::string &archive, const std::string &entry, std::string *error = nullptr)
{
    const int fd = memfd_create("test-entry", MFD_CLOEXEC);
    std::string why;
    const bool ok = read_archive_entry(archive, entry, fd, why);
    if (error)
        *error = why;
    std::vector<uint8_t> bytes(static_cast<size_t>(lseek(fd, 0, SEEK_END)));
    if (pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        bytes.clear();
    close(fd);
    return ok ? bytes : std::vector<uint8_t>{};
}

ArchiveListing listing_of(const std::string &archive)
{
    ArchiveListing listing;
    std::string error;
    EXPECT_TRUE(list_archive(archive, listing, error)) << error;
    return listing;
}

void put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct PakEntry {
    std::string name; // up to 56 bytes, copied without a terminator when 56 long
    int32_t offset;
    int32_t size;
};

// A PACK file of `data` after the header and then the directory; the
// header's fields are given so that they can lie.
std::vector<uint8_t> pak_bytes(const std::vector<PakEntry> &entries, size_t data_size, int64_t dir_length = -1,
                               int64_t dir_offset = -1)
{
    std::vector<uint8_t> b(12 + data_size + entries.size() * 64);
    for (size_t i = 0; i < data_size; ++i)
        b[12 + i] = static_cast<uint8_t>(i * 7);
    std::memcpy(b.data(), "PACK", 4);
    const size_t dir = 12 + data_size;
    put32(b, 4, static_cast<uint32_t>(dir_offset >= 0 ? dir_offset : int64_t(dir)));
    put32(b, 8, static_cast<uint32_t>(dir_length >= 0 ? dir_length : int64_t(entries.size() * 64)));
    for (size_t i = 0; i < entries.size(); ++i) {
        std::memcpy(b.data() + dir + i * 64, entries[i].name.data(), std::min<size_t>(56, entries[i].name.size()));
        put32(b, dir + i * 64 + 56, static_cast<uint32_t>(entries[i].offset));
        put32(b, dir + i * 64 + 60, static_cast<uint32_t>(entries[i].size));
    }
    return b;
}

class Archives : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("archives");
    }
    void TearDown() override
    {
        set_pixel_budget(0);
        CoreTest::TearDown();
    }

    // A one-frame picture of `side` x `side` Quake palette indexes.
    void make_picture(Animation *a, int side, int seed)
    {
        std::vector<uint8_t> indexes(static_cast<size_t>(side * side));
        for (size_t i = 0; i < indexes.size(); ++i)
            indexes[i] = static_cast<uint8_t>(i * 3 + static_cast<size_t>(seed));
        anim_init(a);
        group_reset_frames(anim_add_group(a, NO_GROUP_NAME), 1);
        anim_bind_frame(a, 0, 0);
        set_indexed_pixels(side, side, indexes, std::vector<uint8_t>(default_palette, default_palette + 1024));
    }

    std::string copy(const std::string &fixture)
    {
        const std::string to = dir + "/" + fixture;
        fs::copy_file(data_path("archives/" + fixture), to);
        fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
        return to;
    }

    std::string dir;
};

TEST_F(Archives, ReplacingAndAddingAnEntryKeepsEveryOtherEntryAsItWas)
{
    const std::string pak = copy("trenchbroom_idpak.pak");
    const std::string pk3 = copy("trenchbroom_zip.pk3");
    // The two fixtures hold the same files: each archive's reader checks
    // the other's.
    const ArchiveListing pak_before = listing_of(pak);
    ASSERT_EQ(pak_before.entries.size(), 11u);
    for (const ArchiveEntry &e : pak_before.entries) {
        const std::vector<uint8_t> bytes = entry_bytes(pak, e.name);
        EXPECT_EQ(bytes.size(), e.size) << e.name;
        EXPECT_EQ(bytes, entry_bytes(pk3, e.name)) << e.name;
    }

    // An entry with a comment and an extra field of its own, which a
    // rewrite keeps.
    zip_t *marked = zip_open(pk3.c_str(), 0, nullptr);
    ASSERT_NE(marked, nullptr);
    const zip_int64_t bear = zip_name_locate(marked, "bear.cfg", 0);
    ASSERT_GE(bear, 0);
    zip_file_extra_field_set(marked, bear, 0x7676, ZIP_EXTRA_FIELD_NEW, reinterpret_cast<const zip_uint8_t *>("vorn"), 4,
                             ZIP_FL_CENTRAL);
    zip_file_set_comment(marked, bear, "kept", 4, 0);
    ASSERT_EQ(zip_close(marked), 0);

    for (const std::string &archive : {pak, pk3}) {
        SCOPED_TRACE(archive);
        const ArchiveListing before = listing_of(archive);
        zip_t *old_zip = before.zip ? zip_open(archive.c_str(), ZIP_RDONLY, nullptr) : nullptr;
        std::vector<zip_stat_t> old_stats(before.entries.size());
        for (size_t i = 0; old_zip && i < old_stats.size(); ++i)
            zip_stat_index(old_zip, i, 0, &old_stats[i]);
        if (old_zip)
            zip_discard(old_zip);
        std::vector<std::vector<uint8_t>> old_bytes;
        for (const ArchiveEntry &e : before.entries)
            old_bytes.push_back(entry_bytes(archive, e.name));

        Animation replaced, added;
        make_picture(&replaced, 16, 1);
        make_picture(&added, 8, 2);
        ASSERT_EQ(file_save((archive + "/pics/tag1.pcx").c_str(), &replaced), 1) << ui.transcript();
        ASSERT_EQ(file_save((archive + "/progs/new.spr").c_str(), &added), 1) << ui.transcript();

        const ArchiveListing after = listing_of(archive);
        ASSERT_EQ(after.entries.size(), before.entries.size() + 1);
        EXPECT_EQ(after.entries.back().name, "progs/new.spr");
        zip_t *new_zip = after.zip ? zip_open(archive.c_str(), ZIP_RDONLY, nullptr) : nullptr;
        for (size_t i = 0; i < before.entries.size(); ++i) {
            const std::string &name = before.entries[i].name;
            EXPECT_EQ(after.entries[i].name, name);
            if (name == "pics/tag1.pcx")
                continue;
            EXPECT_EQ(entry_bytes(archive, name), old_bytes[i]) << name;
            if (new_zip) { // taken over compressed, not inflated and deflated again
                zip_stat_t st;
                zip_stat_index(new_zip, i, 0, &st);
                EXPECT_EQ(st.comp_size, old_stats[i].comp_size) << name;
                EXPECT_EQ(st.comp_method, old_stats[i].comp_method) << name;
                EXPECT_EQ(st.crc, old_stats[i].crc) << name;
                zip_uint16_t id = 0, size = 0;
                const zip_uint8_t *extra = zip_file_extra_field_get(new_zip, i, 0, &id, &size, ZIP_FL_CENTRAL);
                zip_uint32_t length = 0;
                const char *comment = zip_file_get_comment(new_zip, i, &length, ZIP_FL_ENC_RAW);
                if (name == "bear.cfg") {
                    ASSERT_TRUE(extra && comment);
                    EXPECT_EQ(std::string(reinterpret_cast<const char *>(extra), size), "vorn");
                    EXPECT_EQ(id, 0x7676);
                    EXPECT_EQ(std::string(comment, length), "kept");
                }
            }
        }
        if (new_zip)
            zip_discard(new_zip);

        for (const auto &[name, saved] : {std::pair{"/pics/tag1.pcx", &replaced}, std::pair{"/progs/new.spr", &added}}) {
            Animation back;
            anim_init(&back);
            file_load((archive + name).c_str(), &back);
            ASSERT_EQ(back.group_count, 1) << name << ui.transcript();
            EXPECT_EQ(raw_of(back.groups[0].frames[0].image), raw_of(saved->groups[0].frames[0].image)) << name;
            anim_destroy(&back);
        }
        anim_destroy(&replaced);
        anim_destroy(&added);
        if (after.zip && std::system("command -v unzip >/dev/null") == 0) {
            EXPECT_EQ(std::system(("unzip -tqq " + shell_quoted(archive) + " >/dev/null").c_str()), 0);
        }
    }
    EXPECT_TRUE(ui.messages().empty()) << ui.transcript();
}

TEST_F(Archives, PacksThatLieAreRefusedOrTheirBadEntriesSkipped)
{
    const std::string long_name(56, 'x');
    const struct {
        const char *what;
        std::vector<uint8_t> bytes;
        const char *said; // in the refusal, or in the one skipped entry's message
        bool lists;       // true: the archive lists, the good entry reads
    } cases[] = {
        {"directory past the end", pak_bytes({{"a.lmp", 12, 4}}, 16, 64 * 100), "outside the file", false},
        {"a length of 2^31", pak_bytes({{"a.lmp", 12, 4}}, 16, int64_t(1) << 31), "outside the file", false},
        {"2^25 entries", pak_bytes({{"a.lmp", 12, 4}}, 16, 0x7fffffc0), "outside the file", false},
        {"directory not of whole entries", pak_bytes({{"a.lmp", 12, 4}}, 16, 60), "64-byte", false},
        {"directory over the header", pak_bytes({{"a.lmp", 12, 4}}, 16, 64, 4), "outside the file", false},
        {"overlapping entries", pak_bytes({{"good.lmp", 12, 8}, {"bad.lmp", 16, 8}}, 24), "bad.lmp overlaps", true},
        {"entry past the end", pak_bytes({{"good.lmp", 12, 8}, {"bad.lmp", 12, 1 << 30}}, 24), "bad.lmp", true},
        {"negative offset", pak_bytes({{"good.lmp", 12, 8}, {"bad.lmp", -8, 8}}, 24), "bad.lmp", true},
        {"name without terminator", pak_bytes({{"good.lmp", 12, 8}, {long_name, 20, 4}}, 24), "terminator", true},
        {"Daikatana", read_bytes(data_path("archives/trenchbroom_dkpak_daikatana.pak")), "Daikatana", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir + "/hostile.pak";
        fs::remove(path);
        write_bytes(path, c.bytes);
        ArchiveListing listing;
        std::string error;
        ASSERT_EQ(list_archive(path, listing, error), c.lists) << error;
        if (!c.lists) {
            EXPECT_NE(error.find(c.said), std::string::npos) << error;
            EXPECT_NE(error.find(path), std::string::npos) << error;
            continue;
        }
        ASSERT_EQ(listing.skipped.size(), 1u);
        EXPECT_NE(listing.skipped[0].find(c.said), std::string::npos) << listing.skipped[0];
        ASSERT_EQ(listing.entries.size(), 1u);
        EXPECT_EQ(entry_bytes(path, "good.lmp"), std::vector<uint8_t>(c.bytes.begin() + 12, c.bytes.begin() + 20));
        // Rewriting would lose the skipped entry: refused, the file as it was.
        Animation a;
        make_picture(&a, 4, 0);
        EXPECT_EQ(file_save((path + "/new.lmp").c_str(), &a), 0);
        EXPECT_EQ(read_bytes(path), c.bytes);
        anim_destroy(&a);
        ASSERT_FALSE(ui.messages().empty());
        EXPECT_NE(ui.messages().back().text.find("damaged"), std::string::npos) << ui.transcript();
    }
}

TEST_F(Archives, NamesReachingOutsideAreListedButNeverReadNorWritten)
{
    const std::vector<uint8_t> bytes =
        pak_bytes({{"../evil.lmp", 12, 4}, {"/abs.lmp", 16, 4}, {"C:/drive.lmp", 20, 4}, {"ok.lmp", 24, 4}}, 16);
    const std::string pak = dir + "/names.pak";
    write_bytes(pak, bytes);
    const std::string pk3 = copy("trenchbroom_zip.pk3");
    const std::vector<uint8_t> pk3_bytes = read_bytes(pk3);
    const ArchiveListing listing = listing_of(pak);
    ASSERT_EQ(listing.entries.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(listing.entries[i].safe, i == 3) << listing.entries[i].name;
        std::string error;
        EXPECT_EQ(entry_bytes(pak, listing.entries[i].name, &error).empty(), i != 3) << error;
    }
    fs::create_directories(dir + "/inner");
    Animation a;
    make_picture(&a, 4, 0);
    for (const std::string &archive : {pak, pk3}) {
        for (const char *name : {"/../escape.lmp", "/../inner/../escape.lmp", "/C:/escape.lmp", "/folder/"}) {
            EXPECT_EQ(file_save((archive + name).c_str(), &a), 0) << name;
        }
    }
    anim_destroy(&a);
    EXPECT_FALSE(fs::exists(dir + "/escape.lmp"));
    EXPECT_EQ(read_bytes(pak), bytes);
    EXPECT_EQ(read_bytes(pk3), pk3_bytes);
}

// ZIP64 records (every size and offset in them, as Python's zipfile writes
// when told to) and a name stored twice: both read, and rewritten with the
// other entries as they were.
TEST_F(Archives, Zip64AndANameStoredTwiceAreReadAndRewritten)
{
    struct Case {
        const char *fixture;
        const char *replaced;
        std::vector<std::string> names; // in the archive's order
    };
    for (const Case &c : {Case{"zip64.pk3", "gfx/stored.dat", {"readme.txt", "gfx/stored.dat", "gfx/deflated.dat"}},
                          Case{"names_twice.pk3", "a.txt", {"a.txt", "b.txt", "a.txt"}}}) {
        SCOPED_TRACE(c.fixture);
        const std::string archive = copy(c.fixture);
        std::vector<std::vector<uint8_t>> before;
        zip_t *za = zip_open(archive.c_str(), ZIP_RDONLY, nullptr);
        ASSERT_NE(za, nullptr);
        for (size_t i = 0; i < c.names.size(); ++i) {
            zip_stat_t st;
            ASSERT_EQ(zip_stat_index(za, i, 0, &st), 0);
            EXPECT_EQ(c.names[i], st.name);
            std::vector<uint8_t> bytes(st.size);
            zip_file_t *f = zip_fopen_index(za, i, 0);
            ASSERT_EQ(zip_fread(f, bytes.data(), bytes.size()), static_cast<zip_int64_t>(bytes.size()));
            zip_fclose(f);
            before.push_back(bytes);
        }
        zip_discard(za);
        // The first of a name is the one read.
        EXPECT_EQ(entry_bytes(archive, c.names[0]), before[0]);
        ASSERT_FALSE(before[0].empty());

        const std::vector<uint8_t> fresh(300, 0x5a);
        std::string error;
        ASSERT_TRUE(write_archive_entry(archive, c.replaced, fresh, error)) << error;
        const ArchiveListing after = listing_of(archive);
        ASSERT_EQ(after.entries.size(), c.names.size());
        za = zip_open(archive.c_str(), ZIP_RDONLY, nullptr);
        ASSERT_NE(za, nullptr);
        bool seen = false;
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(after.entries[i].name, c.names[i]);
            const bool mine = !seen && c.names[i] == c.replaced;
            seen = seen || mine;
            zip_stat_t st;
            ASSERT_EQ(zip_stat_index(za, i, 0, &st), 0);
            std::vector<uint8_t> bytes(st.size);
            zip_file_t *f = zip_fopen_index(za, i, 0);
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(zip_fread(f, bytes.data(), bytes.size()), static_cast<zip_int64_t>(bytes.size()));
            zip_fclose(f);
            EXPECT_EQ(bytes, mine ? fresh : before[i]) << c.names[i] << " at " << i;
        }
        zip_discard(za);
        if (std::system("command -v unzip >/dev/null") == 0) {
            EXPECT_EQ(std::system(("unzip -tqq " + shell_quoted(archive) + " >/dev/null").c_str()), 0);
        }
    }
}

// A save may name an archive that is not there yet: it is made, of the kind
// its name says, in a folder that exists; nothing is made elsewhere.
TEST_F(Archives, SavingIntoAnArchiveNotYetMadeMakesIt)
{
    Animation a;
    make_picture(&a, 8, 3);
    for (const char *name : {"new.pak", "new.pk3", "new.zip"}) {
        SCOPED_TRACE(name);
        const std::string archive = dir + "/" + name;
        ASSERT_EQ(file_save((archive + "/gfx/made.lmp").c_str(), &a), 1) << ui.transcript();
        const ArchiveListing listing = listing_of(archive);
        ASSERT_EQ(listing.entries.size(), 1u);
        EXPECT_EQ(listing.entries[0].name, "gfx/made.lmp");
        EXPECT_EQ(listing.zip, std::string(name) != "new.pak");
        Animation back;
        anim_init(&back);
        file_load((archive + "/gfx/made.lmp").c_str(), &back);
        ASSERT_EQ(back.group_count, 1) << ui.transcript();
        EXPECT_EQ(raw_of(back.groups[0].frames[0].image), raw_of(a.groups[0].frames[0].image));
        anim_destroy(&back);
    }
    EXPECT_EQ(file_save((dir + "/missing/new.pk3/gfx/made.lmp").c_str(), &a), 0);
    EXPECT_FALSE(fs::exists(dir + "/missing"));
    anim_destroy(&a);

    // Files that are no image go the same way: a colormap into a new PACK.
    const std::string palette = shell_quoted(data_path("palette/librequake_palette.lmp"));
    ASSERT_EQ(run_vorn_cli("colormap " + palette + " colormap.lmp", dir).status, 0);
    const CliResult run = run_vorn_cli("colormap " + palette + " maps.pak/gfx/colormap.lmp", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(entry_bytes(dir + "/maps.pak", "gfx/colormap.lmp"), read_bytes(dir + "/colormap.lmp"));
}

// Writes a ZIP of one entry of `size` zero bytes, deflated.
void write_zeros_zip(const std::string &path, size_t size)
{
    static std::vector<uint8_t> zeros;
    zeros.assign(size, 0);
    zip_t *za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    ASSERT_NE(za, nullptr);
    zip_source_t *source = zip_source_buffer(za, zeros.data(), zeros.size(), 0);
    ASSERT_GE(zip_file_add(za, "bomb.lmp", source, 0), 0);
    ASSERT_EQ(zip_close(za), 0);
}

TEST_F(Archives, AZipBombIsBoundedByThePixelBudget)
{
    const std::string bomb = dir + "/bomb.pk3";
    write_zeros_zip(bomb, 8 << 20);
    ASSERT_LT(read_bytes(bomb).size(), size_t(64) << 10);
    set_pixel_budget(1 << 20);
    std::string error;
    EXPECT_TRUE(entry_bytes(bomb, "bomb.lmp", &error).empty());
    EXPECT_NE(error.find("bomb.pk3/bomb.lmp"), std::string::npos) << error;

    // One that claims 4 KiB and inflates to 8 MiB stops at its claim.
    set_pixel_budget(0);
    std::vector<uint8_t> lying = read_bytes(bomb);
    for (const uint8_t *magic : {reinterpret_cast<const uint8_t *>("PK\3\4"), reinterpret_cast<const uint8_t *>("PK\1\2")}) {
        const auto at = std::search(lying.begin(), lying.end(), magic, magic + 4);
        ASSERT_NE(at, lying.end());
        put32(lying, static_cast<size_t>(at - lying.begin()) + (magic[2] == 3 ? 22 : 24), 4096);
    }
    write_bytes(bomb, lying);
    const int fd = memfd_create("bomb", MFD_CLOEXEC);
    EXPECT_FALSE(read_archive_entry(bomb, "bomb.lmp", fd, error));
    EXPECT_LE(lseek(fd, 0, SEEK_END), 4096);
    close(fd);
}

TEST_F(Archives, MessagesNameTheEntryAsTheUserNamedIt)
{
    const std::string pk3 = copy("trenchbroom_zip.pk3");
    Animation a;
    anim_init(&a);
    EXPECT_EQ(file_load_result((pk3 + "/bear.cfg").c_str(), &a).status, LoadStatus::Refused);
    file_load_result((pk3 + "/none.spr").c_str(), &a);
    anim_destroy(&a);
    ASSERT_EQ(ui.messages().size(), 2u) << ui.transcript();
    EXPECT_NE(ui.messages()[0].text.find(pk3 + "/bear.cfg"), std::string::npos) << ui.transcript();
    EXPECT_NE(ui.messages()[1].text.find(pk3 + "/none.spr"), std::string::npos) << ui.transcript();
    EXPECT_EQ(ui.transcript().find("vorn-entry"), std::string::npos) << ui.transcript();
}

// The batch tool writes a sprite into a PAK and into a PK3 of a game folder;
// DarkPlaces finds it in each and loads it.
TEST_F(Archives, DarkPlacesLoadsASpriteVornWroteIntoAPakAndAPk3)
{
    const char *engine = "/usr/games/darkplaces-server";
    if (access(engine, X_OK) != 0)
        GTEST_SKIP() << engine << " is not installed (scripts/deps installs darkplaces-server)";
    const std::string sprite = data_path("spr/librequake_s_explod.spr");
    for (const char *archive : {"pak0.pak", "vorn.pk3"}) {
        SCOPED_TRACE(archive);
        const std::string base = dir + "/" + archive + ".game";
        fs::create_directories(base + "/id1");
        fs::copy_file(data_path(std::string("archives/") + (archive[0] == 'p' ? "trenchbroom_idpak.pak"
                                                                               : "trenchbroom_zip.pk3")),
                      base + "/id1/" + archive);
        fs::permissions(base + "/id1/" + archive, fs::perms::owner_write, fs::perm_options::add);
        const CliResult run =
            run_vorn_cli("convert " + shell_quoted(sprite) + " id1/" + archive + "/progs/vorn_x.spr", base);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string command = "cd " + shell_quoted(base) + " && timeout 60 " + engine + " -basedir " +
                                    shell_quoted(base) +
                                    " -nohome +which progs/vorn_x.spr +modelprecache progs/vorn_x.spr +modellist "
                                    "+quit >engine.txt 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        const std::vector<uint8_t> said = read_bytes(base + "/engine.txt");
        const std::string text(said.begin(), said.end());
        EXPECT_NE(text.find(std::string("progs/vorn_x.spr is in package ") + archive), std::string::npos) << text;
        EXPECT_NE(text.find("K progs/vorn_x.spr"), std::string::npos) << text; // in the loaded models
        EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    }
}

} // namespace
