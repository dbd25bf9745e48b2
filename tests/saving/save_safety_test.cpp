// A save that fails keeps the old file, leaves nothing behind and says why;
// a save that succeeds replaces the file the user meant.
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "formats/format_table.h"
#include "image/host_table.h"
#include "support/test_support.h"

extern char **environ;

namespace fs = std::filesystem;

namespace {

// A small tmpfs on a folder of the test's own; mounting needs root.
class Tmpfs {
public:
    Tmpfs(const std::string &dir, const std::string &options) : dir_(dir)
    {
        mounted_ = geteuid() == 0 && mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Tmpfs()
    {
        if (mounted_)
            umount2(dir_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_ = false;
};

#define REQUIRE_TMPFS(fs_)                                                                                           \
    if (!(fs_).mounted())                                                                                            \
    GTEST_SKIP() << "needs root to mount a small tmpfs (running as uid " << geteuid() << ")"

// Writes a filler file until the file system is full.
void fill_disk(const std::string &path)
{
    std::ofstream out(path, std::ios::binary);
    const std::vector<char> block(4096, 'x');
    while (out.write(block.data(), block.size()))
        out.flush();
}

// Creates empty files until no inode is left.
void use_all_inodes(const std::string &dir)
{
    for (int i = 0; i < 100000; ++i) {
        std::ofstream out(dir + "/inode" + std::to_string(i));
        if (!out)
            return;
    }
}

std::vector<std::string> names_in(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SaveSafetyTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("saving");
        disk = dir + "/disk";
        fs::create_directories(disk);
    }

    // One group with one noisy frame of w x h, true colour.
    void make_document(int w = 64, int h = 64)
    {
        Group *group = anim_add_group(&anim, NO_GROUP_NAME);
        group_reset_frames(group, 1);
        host().bind_image(group->frames[0].image);
        std::mt19937 random(7);
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(random());
        set_rgba_pixels(w, h, rgba);
    }

    std::string last_message() const { return ui.messages().empty() ? "" : ui.messages().back().text; }

    std::string dir;
    std::string disk;
};

const std::vector<uint8_t> OLD_BYTES = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

// Every writer family; palette files go through the palette dispatch.
const char *const IMAGE_TARGETS[] = {"out.spr", "out.spr32", "out.wad", "out.lmp", "out.mip", "out.png",
                                     "out.bmp", "out.tga", "out.pcx", "out.jpg", "out.tif"};
const char *const PALETTE_TARGETS[] = {"palette.lmp", "colors.pal"};

TEST_F(SaveSafetyTest, OnAFullDiskEveryWriterFailsWithTheCauseAndKeepsTheOldFile)
{
    Tmpfs tmpfs(disk, "size=256k");
    REQUIRE_TMPFS(tmpfs);
    make_document();
    uint8_t palette[1024];
    for (int i = 0; i < 1024; ++i)
        palette[i] = static_cast<uint8_t>(i);

    std::vector<std::string> targets(std::begin(IMAGE_TARGETS), std::end(IMAGE_TARGETS));
    targets.insert(targets.end(), std::begin(PALETTE_TARGETS), std::end(PALETTE_TARGETS));
    for (const std::string &target : targets)
        write_bytes(disk + "/" + target, OLD_BYTES);
    fill_disk(disk + "/filler");
    const std::vector<std::string> before = names_in(disk);

    for (const std::string &target : targets) {
        const std::string path = disk + "/" + target;
        const size_t shown = ui.messages().size();
        bool saved = false;
        if (target == "palette.lmp" || target == "colors.pal") {
            palette_file_save(path.c_str(), palette, 256);
        } else {
            saved = file_save(path.c_str(), &anim) != 0;
        }
        EXPECT_FALSE(saved) << target;
        ASSERT_EQ(ui.messages().size(), shown + 1) << target << ": " << ui.transcript();
        EXPECT_NE(last_message().find(std::strerror(ENOSPC)), std::string::npos) << target << ": " << last_message();
        EXPECT_NE(last_message().find(path), std::string::npos) << target << ": " << last_message();
        EXPECT_EQ(last_message().find(".vorn-"), std::string::npos) << target << ": " << last_message();
        EXPECT_EQ(read_bytes(path), OLD_BYTES) << target;
        EXPECT_EQ(names_in(disk), before) << target;
    }
}

TEST_F(SaveSafetyTest, WithNoFreeInodeTheTargetIsUntouchedAndTheCauseShown)
{
    Tmpfs tmpfs(disk, "size=4m,nr_inodes=16");
    REQUIRE_TMPFS(tmpfs);
    make_document();
    for (const char *target : {"out.spr", "out.png"})
        write_bytes(disk + "/" + target, OLD_BYTES);
    use_all_inodes(disk);
    for (const char *target : {"out.spr", "out.png"}) {
        const std::string path = disk + "/" + target;
        EXPECT_EQ(file_save(path.c_str(), &anim), 0) << target;
        EXPECT_NE(last_message().find(std::strerror(ENOSPC)), std::string::npos) << last_message();
        EXPECT_EQ(read_bytes(path), OLD_BYTES) << target;
    }
}

TEST_F(SaveSafetyTest, ThroughASymbolicLinkTheLinkStaysAndItsFileKeepsItsMode)
{
    make_document();
    fs::create_directories(dir + "/real");
    for (const char *name : {"a.lmp", "b.png"}) {
        const std::string real = dir + "/real/" + name;
        const std::string link = dir + "/" + name;
        write_bytes(real, OLD_BYTES);
        ASSERT_EQ(chmod(real.c_str(), 0640), 0);
        fs::create_symlink(std::string("real/") + name, link); // relative, as users make them
        ASSERT_EQ(file_save(link.c_str(), &anim), 1) << name << ": " << ui.transcript();
        EXPECT_TRUE(fs::is_symlink(link)) << name;
        EXPECT_NE(read_bytes(real), OLD_BYTES) << name;
        struct stat st;
        ASSERT_EQ(stat(real.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
    }
    EXPECT_EQ(names_in(dir + "/real"), (std::vector<std::string>{"a.lmp", "b.png"}));
}

// A unix socket bound at `name` in `dir`: a socket's path is short, so it
// is bound from inside the folder.
bool make_socket(const std::string &dir, const char *name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name, sizeof address.sun_path - 1);
    const fs::path back = fs::current_path();
    fs::current_path(dir);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    fs::current_path(back);
    if (fd >= 0)
        close(fd);
    return bound;
}

TEST_F(SaveSafetyTest, WhatIsNotAWritableRegularFileIsRefusedByNameAndLeftAsItWas)
{
    make_document(4, 4);
    // The same device as /dev/null, in our own folder; making it needs root.
    const bool have_device = mknod((dir + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    ASSERT_TRUE(make_socket(dir, "socket"));
    write_bytes(dir + "/locked", OLD_BYTES);
    ASSERT_EQ(chmod((dir + "/locked").c_str(), 0444), 0);
    fs::create_symlink("loop_b.png", dir + "/loop_a.png");
    fs::create_symlink("loop_a.png", dir + "/loop_b.png");
    struct Case {
        const char *target; // saved to, through a link to `file` when that is set
        const char *file;
        const char *cause;
    };
    const Case cases[] = {
        {"device.png", "null", "character device"}, {"pipe.png", "pipe", "FIFO"},
        {"socket.png", "socket", "socket"},         {"locked.png", "locked", "write-protected"},
        {"loop_a.png", nullptr, "loop of symbolic links"},
    };
    for (const Case &c : cases) {
        const std::string target = dir + "/" + c.target;
        if (c.file && std::strcmp(c.file, "null") == 0 && !have_device) {
            std::printf("[  SKIPPED ] %s: making a device node needs root (uid %d)\n", c.target, geteuid());
            continue;
        }
        if (c.file)
            fs::create_symlink(c.file, target);
        const std::string file = c.file ? dir + "/" + c.file : target;
        struct stat before, after;
        ASSERT_EQ(lstat(file.c_str(), &before), 0) << c.target;
        const size_t shown = ui.messages().size();
        EXPECT_EQ(file_save(target.c_str(), &anim), 0) << c.target;
        ASSERT_EQ(ui.messages().size(), shown + 1) << c.target << ": " << ui.transcript();
        EXPECT_NE(last_message().find(target), std::string::npos) << last_message();
        EXPECT_NE(last_message().find(c.cause), std::string::npos) << last_message();
        EXPECT_EQ(last_message().find(".vorn-"), std::string::npos) << last_message();
        ASSERT_EQ(lstat(file.c_str(), &after), 0) << c.target;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.target;
        EXPECT_EQ(after.st_ino, before.st_ino) << c.target;
        EXPECT_TRUE(fs::is_symlink(target) || !c.file) << c.target;
    }
    EXPECT_EQ(read_bytes(dir + "/locked"), OLD_BYTES);
    for (const std::string &name : names_in(dir))
        EXPECT_EQ(name.find(".vorn-"), std::string::npos) << name;
}

TEST_F(SaveSafetyTest, AnOrdinaryUsersWriteProtectedFileIsRefusedAndLeftAsItWas)
{
    // The superuser passes every permission check, so its refusal rests on
    // the mode bits alone; an ordinary user's rests on what the system
    // allows it. Run as root, the save runs in a child that has become an
    // ordinary user, in a folder of /tmp that user owns.
    const uid_t user = geteuid() == 0 ? 65534 : geteuid();
    const gid_t group = geteuid() == 0 ? 65534 : getegid();
    char folder_name[] = "/tmp/vorn-protected-XXXXXX";
    ASSERT_NE(mkdtemp(folder_name), nullptr);
    const std::string folder = folder_name;
    const std::string target = folder + "/mine.png";
    write_bytes(target, OLD_BYTES);
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(chown(folder.c_str(), user, group), 0);
    ASSERT_EQ(chown(target.c_str(), user, group), 0);
    make_document(4, 4);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(group) != 0 || setuid(user) != 0)
            _exit(3);
        const bool refused = file_save(target.c_str(), &anim) == 0;
        const bool said = last_message().find(target + " is write-protected") != std::string::npos;
        _exit(refused && said ? 0 : refused ? 2 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "the write-protected file was replaced";
    EXPECT_NE(WEXITSTATUS(status), 2) << "refused without saying the file is write-protected";
    EXPECT_NE(WEXITSTATUS(status), 3) << "could not become uid " << user;
    EXPECT_EQ(read_bytes(target), OLD_BYTES);
    EXPECT_EQ(names_in(folder), std::vector<std::string>{"mine.png"});
    fs::remove_all(folder);
}

TEST_F(SaveSafetyTest, ANameOfTheLongestLengthIsSaved)
{
    make_document();
    const std::string name = std::string(NAME_MAX - 4, 'n') + ".png";
    ASSERT_EQ(file_save((disk + "/" + name).c_str(), &anim), 1) << ui.transcript();
    EXPECT_EQ(names_in(disk), std::vector<std::string>{name});
}

TEST_F(SaveSafetyTest, StaleHiddenFilesOfTheTargetGoWhenItIsSavedAgain)
{
    make_document();
    const std::vector<std::string> stale = {".out.vorn-Ab12Cd.png", ".out.vorn-000000.png"};
    const std::vector<std::string> kept = {".out.vorn-short.png", ".other.vorn-Ab12Cd.png", ".out.vorn-Ab12Cd.tga"};
    for (const auto &name : stale)
        write_bytes(disk + "/" + name, OLD_BYTES);
    for (const auto &name : kept)
        write_bytes(disk + "/" + name, OLD_BYTES);
    ASSERT_EQ(file_save((disk + "/out.png").c_str(), &anim), 1) << ui.transcript();
    std::vector<std::string> expected = kept;
    expected.push_back("out.png");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names_in(disk), expected);
}

// The fds of a process that point into `folder`.
bool has_file_open_in(pid_t pid, const std::string &folder)
{
    std::error_code error;
    for (const auto &entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error && target.string().rfind(folder + "/", 0) == 0)
            return true;
    }
    return false;
}

TEST_F(SaveSafetyTest, AKilledSaveLeavesTheOldFileAndNothingElse)
{
    // A large image whose PNG encoding takes a while.
    make_document(2048, 2048);
    const std::string source = dir + "/big.tga";
    ASSERT_EQ(file_save(source.c_str(), &anim), 1) << ui.transcript();
    const std::string target = disk + "/out.png";
    write_bytes(target, OLD_BYTES);

    const std::string cli = VORN_CLI_PATH;
    std::vector<std::string> arguments = {cli, "convert", source, target};
    std::vector<char *> argv;
    for (auto &a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    // Kill it once it holds its new file open, wherever it is in writing.
    bool caught = false;
    for (int i = 0; i < 60000 && !caught; ++i) {
        caught = has_file_open_in(pid, disk);
        if (!caught)
            usleep(500);
        int status = 0;
        if (!caught && waitpid(pid, &status, WNOHANG) == pid) {
            pid = 0;
            break;
        }
    }
    if (pid) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(caught) << "the conversion ended before its new file was seen";
    EXPECT_EQ(read_bytes(target), OLD_BYTES);
    EXPECT_EQ(names_in(disk), std::vector<std::string>{"out.png"});
}

struct CliResult {
    int status;
    std::string err;
};

CliResult run_cli(const std::vector<std::string> &arguments, const std::string &dir)
{
    std::string command = "cd '" + dir + "' && " + std::string(VORN_CLI_PATH);
    for (const auto &a : arguments)
        command += " '" + a + "'";
    command += " 2>stderr.txt";
    const int raw = std::system(command.c_str());
    const std::vector<uint8_t> err = read_bytes(dir + "/stderr.txt");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(err.begin(), err.end())};
}

TEST_F(SaveSafetyTest, TheBatchToolNamesEachCause)
{
    make_document(20, 8);
    const std::string source = dir + "/source.png";
    ASSERT_EQ(file_save(source.c_str(), &anim), 1);
    struct Case {
        std::string output;
        std::vector<std::string> extra;
        std::string cause;
    };
    std::vector<Case> cases = {
        {dir + "/no/such/folder/out.png", {}, std::strerror(ENOENT)},
        {"noext", {}, "no file format is known for the extension of noext"},
        {"out.unknownext", {}, "no file format is known for the extension of out.unknownext"},
        // 20 pixels wide is a multiple of 4 but not of 16: the mip question.
        {"out.mip", {"--no"}, "[answered No]"},
    };
    Tmpfs readonly(disk, "size=64k,ro");
    if (readonly.mounted())
        cases.push_back({disk + "/out.png", {}, std::strerror(EROFS)});
    else if (geteuid() != 0 && chmod(disk.c_str(), 0555) == 0)
        cases.push_back({disk + "/out.png", {}, std::strerror(EACCES)});

    for (const Case &c : cases) {
        std::vector<std::string> arguments = {"convert", source, c.output};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const CliResult run = run_cli(arguments, dir);
        EXPECT_EQ(run.status, 1) << c.output << ": " << run.err;
        EXPECT_NE(run.err.find(c.cause), std::string::npos) << c.output << ": " << run.err;
        EXPECT_EQ(run.err.find("invalid extension"), std::string::npos) << c.output << ": " << run.err;
        EXPECT_EQ(run.err.find("I'm stupid"), std::string::npos) << c.output << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(dir + "/out.mip"));
    chmod(disk.c_str(), 0755);
}

TEST_F(SaveSafetyTest, OnAFullDiskTheBatchToolNamesTheTargetNotItsNewFile)
{
    Tmpfs tmpfs(disk, "size=64k");
    REQUIRE_TMPFS(tmpfs);
    const std::string palette = std::string(VORN_BINARY_DIR) + "/bin/palette.lmp";
    for (const char *target : {"colors.pal", "colormap.lmp"})
        write_bytes(disk + "/" + target, OLD_BYTES);
    fill_disk(disk + "/filler");
    for (const std::string command : {"palette", "colormap"}) {
        const std::string target = disk + (command == "palette" ? "/colors.pal" : "/colormap.lmp");
        const CliResult run = run_cli({command, palette, target}, dir);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find(target), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(std::strerror(ENOSPC)), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(".vorn-"), std::string::npos) << run.err;
        EXPECT_EQ(read_bytes(target), OLD_BYTES) << command;
    }
}

TEST_F(SaveSafetyTest, ExtensionsThatNameAWrittenFormatAreWritten)
{
    // Other names of formats the library writes, which it does not know by
    // these names itself.
    make_document(8, 4);
    const std::vector<uint8_t> original = rgba_of(anim.groups[0].frames[0].image);
    for (const char *name : {"a.dib", "a.icb", "a.vda", "a.vst", "a.jpe", "a.pnm", "a.dds", "a.sgi"}) {
        const std::string path = dir + "/" + name;
        ASSERT_EQ(file_save(path.c_str(), &anim), 1) << name << ": " << ui.transcript();
        EXPECT_GT(fs::file_size(path), 0u) << name;
    }
    // Lossless ones read back as they were written, under the name the
    // library reads them by.
    for (const auto &[written, readable] : {std::pair{"a.dib", "check.bmp"}, std::pair{"a.vst", "check.tga"}}) {
        fs::copy_file(dir + "/" + written, dir + "/" + readable);
        Animation loaded;
        anim_init(&loaded);
        file_load((dir + "/" + readable).c_str(), &loaded);
        ASSERT_EQ(loaded.group_count, 1) << written << ": " << ui.transcript();
        EXPECT_EQ(rgba_of(loaded.groups[0].frames[0].image), original) << written;
        anim_destroy(&loaded);
    }
}

TEST_F(SaveSafetyTest, EveryWriterGivesTheSameBytesForTheSameDocument)
{
    // A true-colour source with alpha and a paletted one, each written by
    // separate processes, whose memory starts out differently, and written
    // again after the clock has moved on by a second at least (writers that
    // stamp the time would differ).
    make_document(20, 8);
    const std::string rgba = dir + "/rgba.spr32";
    ASSERT_EQ(file_save(rgba.c_str(), &anim), 1) << ui.transcript();
    const std::vector<std::string> sources = {rgba, std::string(VORN_SOURCE_DIR) + "/resources/sample.spr"};
    const char *const extensions[] = {".spr", ".spr32", ".wad", ".lmp", ".mip", ".png", ".bmp", ".tga", ".pcx",
                                      ".jpg", ".tif",   ".dds", ".sgi", ".pnm", ".ppm", ".pgm", ".raw", ".psd"};
    auto output = [this](int run, size_t source, const char *ext) {
        return dir + "/run" + std::to_string(run) + "_" + std::to_string(source) + ext;
    };
    for (int run = 0; run < 2; ++run) {
        if (run == 1)
            usleep(1100 * 1000);
        for (size_t s = 0; s < sources.size(); ++s)
            for (const char *ext : extensions) {
                const CliResult result = run_cli({"convert", sources[s], output(run, s, ext), "--yes"}, dir);
                ASSERT_EQ(result.status, 0) << sources[s] << " to " << ext << ": " << result.err;
            }
    }
    for (size_t s = 0; s < sources.size(); ++s)
        for (const char *ext : extensions)
            EXPECT_EQ(read_bytes(output(1, s, ext)), read_bytes(output(0, s, ext))) << sources[s] << " to " << ext;
}

} // namespace
