#include "io/safe_save.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/uio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "io/byte_io.h"

namespace {

thread_local const char *guarded_path = nullptr;
thread_local AtomicFile *guarded_file = nullptr;
thread_local bool refused = false;
thread_local bool deferred_sync = false;

constexpr const char *HIDDEN_MARK = ".vorn-";
constexpr size_t RANDOM_CHARS = 6;

std::string folder_of(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at; the path itself when it is
// no link. A link to a file that does not exist yet names the file to make.
// False for a chain too long to end (a loop), as the system counts them.
bool follow_links(const std::string &path, std::string &resolved)
{
    std::string current = path;
    for (int depth = 0; depth <= 40; ++depth) {
        char target[PATH_MAX];
        const ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
        if (n < 0) {
            resolved = current;
            return true;
        }
        const std::string link(target, static_cast<size_t>(n));
        if (!link.empty() && link[0] == '/')
            current = link;
        else
            current = folder_of(current) + "/" + link;
    }
    return false;
}

// Why the last create() on this thread refused its target, for the message
// of the save; empty after any other outcome.
thread_local int refusal_code = 0;
thread_local std::string refusal_text;

bool refuse(int code, const std::string &text)
{
    refusal_code = code;
    refusal_text = text;
    errno = code;
    return false;
}

const char *kind_of_file(mode_t mode)
{
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// True when the mode bits let this process write to the file. Checked by
// hand because the save replaces the file rather than opening it, which
// the folder's permissions alone allow, and because the superuser passes
// every permission check: for it, a file that nobody may write is
// protected too.
bool writable_by_mode(const std::string &path, const struct stat &st)
{
    if (geteuid() == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    // A read-only file system is the rename's to report, with its own cause.
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno != EACCES;
}

// Splits a file name into the part before its last '.' and the rest, the
// first part shortened so that the hidden name made from them still fits
// in a folder entry.
void split_name(const std::string &name, std::string &stem, std::string &extension)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        stem = name;
        extension.clear();
    } else {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    const size_t overhead = 1 + std::strlen(HIDDEN_MARK) + RANDOM_CHARS + extension.size();
    const size_t room = overhead < NAME_MAX ? NAME_MAX - overhead : 0;
    if (stem.size() > room)
        stem.resize(room);
}

bool is_random_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// True for `.STEM.vorn-XXXXXX.EXT`, the hidden name of a new file of ours
// for the target `STEM.EXT`.
bool is_hidden_name_for(const std::string &entry, const std::string &stem, const std::string &extension)
{
    const std::string head = "." + stem + HIDDEN_MARK;
    if (entry.size() != head.size() + RANDOM_CHARS + extension.size())
        return false;
    if (entry.compare(0, head.size(), head) != 0)
        return false;
    if (entry.compare(head.size() + RANDOM_CHARS, extension.size(), extension) != 0)
        return false;
    for (size_t i = 0; i < RANDOM_CHARS; ++i)
        if (!is_random_char(entry[head.size() + i]))
            return false;
    return true;
}

// Removes the hidden files that an interrupted save of the target left.
void remove_stale_files(const std::string &folder, const std::string &name)
{
    std::string stem, extension;
    split_name(name, stem, extension);
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return;
    const int dir_fd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        if (!is_hidden_name_for(entry->d_name, stem, extension))
            continue;
        struct stat st;
        if (fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dir_fd, entry->d_name, 0);
    }
    closedir(dir);
}

std::string hidden_name(const std::string &folder, const std::string &name)
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(getpid())};
    std::string stem, extension;
    split_name(name, stem, extension);
    std::string hidden = folder + "/." + stem + HIDDEN_MARK;
    for (size_t i = 0; i < RANDOM_CHARS; ++i)
        hidden.push_back(chars[random() % (sizeof chars - 1)]);
    return hidden + extension;
}

// Gives the anonymous file `fd` a hidden name in `folder`.
bool link_anonymous(int fd, const std::string &folder, const std::string &name, std::string &linked)
{
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = hidden_name(folder, name);
        int result = linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            // No /proc: the direct form needs a privilege, but try it.
            result = linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
        if (result == 0) {
            linked = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

bool anonymous_unsupported(int code)
{
    return code == EOPNOTSUPP || code == EISDIR || code == EINVAL || code == ENOSYS;
}

} // namespace

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::create(const char *target, Kind kind)
{
    discard();
    error_ = 0;
    if (!target || !*target) {
        errno = ENOENT;
        return false;
    }
    refusal_code = 0;
    refusal_text.clear();
    const std::string given = target;
    if (!follow_links(given, resolved_))
        return refuse(ELOOP, given + " is a loop of symbolic links that leads to no file: nothing written");
    folder_ = folder_of(resolved_);
    const std::string name = name_of(resolved_);
    if (name.empty()) {
        errno = EISDIR;
        return false;
    }
    // What the user named, and the file it leads to when that is another.
    const std::string shown = resolved_ == given ? given : given + " (which leads to " + resolved_ + ")";

    struct stat st;
    target_exists_ = stat(resolved_.c_str(), &st) == 0;
    if (!target_exists_ && errno != ENOENT)
        return false;
    if (target_exists_) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        // A save puts a new regular file in place of the old one: a device,
        // a pipe or a socket would be replaced, not written to.
        if (!S_ISREG(st.st_mode))
            return refuse(EPERM, shown + " is " + kind_of_file(st.st_mode)
                                     + ", not a regular file: a save does not replace it; nothing written");
        if (!writable_by_mode(resolved_, st))
            return refuse(EACCES, shown + " is write-protected: nothing written (allow writing to it, or save "
                                          "under another name)");
        target_mode_ = st.st_mode & 07777;
        target_uid_ = st.st_uid;
        target_gid_ = st.st_gid;
    }

    if (!deferred_sync)
        remove_stale_files(folder_, name);

    // An anonymous file costs the file system more to make than a named
    // one (several times more on ext4), which tells when thousands are
    // saved in a row; those take hidden names, and DeferredSync clears
    // what an interrupted run left.
    if (kind == Kind::Anonymous && !deferred_sync) {
        fd_ = open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return true;
        if (!anonymous_unsupported(errno))
            return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = hidden_name(folder_, name);
        fd_ = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool AtomicFile::truncate()
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) < 0) {
        note_error(errno);
        return false;
    }
    return true;
}

namespace {

// Writes of at least this many bytes start the file's writeback at once.
constexpr size_t WRITEBACK_STEP = size_t(1) << 20;

// Starts writing the file's dirty pages to disk without waiting for them,
// so that the disk works while the rest of the file is encoded and the
// closing fsync has less left to wait for.
void start_writeback(int fd) { sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }

} // namespace

bool AtomicFile::write_all(const void *data, size_t size)
{
    if (!write_whole(fd_, data, size)) {
        note_error(errno);
        return false;
    }
    if (size >= WRITEBACK_STEP)
        start_writeback(fd_);
    return true;
}

bool AtomicFile::write_at(const void *data, size_t size, uint64_t offset)
{
    const size_t total = size;
    const auto *p = static_cast<const uint8_t *>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            note_error(errno);
            return false;
        }
        p += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    if (total >= WRITEBACK_STEP)
        start_writeback(fd_);
    return true;
}

bool AtomicFile::copy_from(int in, uint64_t offset, uint64_t size)
{
    // In steps, each sent on to the disk, so that the closing fsync finds
    // little left to write.
    constexpr uint64_t STEP = uint64_t(8) << 20;
    while (size > 0) {
        const uint64_t step = std::min(size, STEP);
        if (!copy_bytes(in, offset, fd_, step)) {
            note_error(errno);
            return false;
        }
        start_writeback(fd_);
        offset += step;
        size -= step;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (error_) {
        errno = error_;
        return false;
    }
    if (!deferred_sync && fsync(fd_) != 0) {
        note_error(errno);
        return false;
    }
    if (target_exists_) {
        // Keep what the old file had; an owner the process may not give
        // is left as it is.
        if (fchown(fd_, target_uid_, target_gid_) != 0) {
            const int ignored = fchown(fd_, static_cast<uid_t>(-1), target_gid_);
            (void)ignored;
        }
        fchmod(fd_, target_mode_);
    }

    if (temporary_.empty() && !link_anonymous(fd_, folder_, name_of(resolved_), temporary_)) {
        note_error(errno);
        return false;
    }
    if (std::rename(temporary_.c_str(), resolved_.c_str()) != 0) {
        const int code = errno;
        note_error(code);
        unlink(temporary_.c_str());
        temporary_.clear();
        errno = code;
        return false;
    }
    temporary_.clear();
    const int closed = close(fd_);
    fd_ = -1;
    (void)closed; // the data were flushed above; the file is in place
    const int dir = deferred_sync ? -1 : open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    errno = 0;
    return true;
}

void AtomicFile::discard()
{
    const int saved = errno;
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        unlink(temporary_.c_str());
    temporary_.clear();
    errno = saved;
}

SaveGuard::SaveGuard(const char *path, AtomicFile &file)
    : previous_path_(guarded_path), previous_file_(guarded_file)
{
    guarded_path = path;
    guarded_file = &file;
}

SaveGuard::~SaveGuard()
{
    guarded_path = previous_path_;
    guarded_file = previous_file_;
}

namespace {

// The stream handed to libraries writes straight into the new file and
// keeps the first error, which stdio alone would reduce to a flag.
ssize_t stream_write(void *cookie, const char *data, size_t size)
{
    auto *file = static_cast<AtomicFile *>(cookie);
    if (!file->write_all(data, size))
        return -1;
    return static_cast<ssize_t>(size);
}

int stream_seek(void *cookie, off64_t *offset, int whence)
{
    auto *file = static_cast<AtomicFile *>(cookie);
    const off64_t at = lseek64(file->fd(), *offset, whence);
    if (at < 0) {
        file->note_error(errno);
        return -1;
    }
    *offset = at;
    return 0;
}

} // namespace

OutputFile::~OutputFile()
{
    if (stream_)
        std::fclose(stream_);
}

bool OutputFile::fail(int code)
{
    failed_ = true;
    if (file_)
        file_->note_error(code);
    errno = code;
    return false;
}

bool OutputFile::open(const char *path)
{
    if (path && guarded_path && guarded_file && std::strcmp(path, guarded_path) == 0) {
        file_ = guarded_file;
        owned_ = false;
        if (!file_->truncate())
            return fail(file_->error() ? file_->error() : errno);
        return true;
    }
    owned_ = true;
    if (!own_.create(path)) {
        const int code = errno;
        failed_ = true;
        errno = code;
        return false;
    }
    file_ = &own_;
    return true;
}

bool OutputFile::write(const void *data, size_t size)
{
    if (!file_)
        return fail(EBADF);
    if (size == 0)
        return true;
    if (!file_->write_all(data, size)) {
        failed_ = true;
        errno = file_->error();
        return false;
    }
    return true;
}

bool OutputFile::write(const ByteWriter &out)
{
    if (!file_)
        return fail(EBADF);
    // The writer's pieces go out in gathering writes of up to IOV_MAX
    // pieces each, large pixel blocks straight from the images.
    std::vector<iovec> pieces;
    out.pieces([&pieces](const uint8_t *data, size_t size) {
        if (size)
            pieces.push_back({const_cast<uint8_t *>(data), size});
    });
    size_t next = 0;
    while (next < pieces.size()) {
        const int count = static_cast<int>(pieces.size() - next < IOV_MAX ? pieces.size() - next : IOV_MAX);
        const ssize_t n = ::writev(file_->fd(), pieces.data() + next, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        if (static_cast<size_t>(n) >= WRITEBACK_STEP)
            start_writeback(file_->fd());
        // Past the pieces written whole; a piece written in part goes on
        // from where the write stopped.
        size_t done = static_cast<size_t>(n);
        while (next < pieces.size() && done >= pieces[next].iov_len) {
            done -= pieces[next].iov_len;
            ++next;
        }
        if (done) {
            pieces[next].iov_base = static_cast<uint8_t *>(pieces[next].iov_base) + done;
            pieces[next].iov_len -= done;
        }
    }
    return true;
}

FILE *OutputFile::stream()
{
    if (stream_)
        return stream_;
    if (!file_) {
        fail(EBADF);
        return nullptr;
    }
    cookie_io_functions_t functions{};
    functions.write = stream_write;
    functions.seek = stream_seek;
    stream_ = fopencookie(file_, "wb", functions);
    if (!stream_)
        fail(errno ? errno : ENOMEM);
    return stream_;
}

namespace {

// Writes (or reads) `size` bytes at `offset` of `fd` whole, across short
// transfers and interruptions; 0, or the error that stopped it.
int positioned_io(int fd, void *data, size_t size, uint64_t offset, bool writing)
{
    auto *p = static_cast<uint8_t *>(data);
    while (size > 0) {
        const ssize_t n = writing ? pwrite(fd, p, size, static_cast<off_t>(offset))
                                  : pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        p += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return 0;
}

} // namespace

bool OutputFile::patch(uint64_t offset, const void *data, size_t size)
{
    if (!file_)
        return fail(EBADF);
    if (stream_ && std::fflush(stream_) != 0)
        return fail(file_->error() ? file_->error() : EIO);
    const int code = positioned_io(file_->fd(), const_cast<void *>(data), size, offset, true);
    return code == 0 || fail(code);
}

bool OutputFile::finish()
{
    if (!file_)
        return fail(EBADF);
    if (stream_) {
        const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
        std::fclose(stream_);
        stream_ = nullptr;
        if (!flushed)
            return fail(file_->error() ? file_->error() : EIO);
    }
    if (file_->error() || failed_)
        return fail(file_->error() ? file_->error() : EIO);
    if (owned_ && !own_.commit())
        return fail(own_.error() ? own_.error() : errno);
    return true;
}

bool OutputFile::read_back(uint64_t offset, void *data, size_t size)
{
    if (!file_)
        return fail(EBADF);
    if (stream_ && std::fflush(stream_) != 0)
        return fail(file_->error() ? file_->error() : EIO);
    const int code = positioned_io(file_->fd(), data, size, offset, false);
    return code == 0 || fail(code);
}

std::string save_error_text(const char *path, int code)
{
    if (code != 0 && code == refusal_code && !refusal_text.empty()) {
        // Told once: a later failure with the same code has a cause of its own.
        refusal_code = 0;
        return std::move(refusal_text);
    }
    return "Error " + std::to_string(code) + " Encountered: " + std::strerror(code) + " (" + (path ? path : "")
           + ")";
}

DeferredSync::DeferredSync(const std::string &folder) : folder_(folder), previous_(deferred_sync)
{
    deferred_sync = true;
    // The saves below skip the search for what an interrupted save left
    // beside their targets, which would read the whole folder each time:
    // the folder is searched once here instead.
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return;
    const int dir_fd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        const std::string entry_name = entry->d_name;
        const size_t mark = entry_name.find(HIDDEN_MARK, 1);
        if (entry_name[0] != '.' || mark == std::string::npos)
            continue;
        const size_t dot = entry_name.find('.', mark + std::strlen(HIDDEN_MARK));
        const std::string extension = dot == std::string::npos ? std::string() : entry_name.substr(dot);
        if (!is_hidden_name_for(entry_name, entry_name.substr(1, mark - 1), extension))
            continue;
        struct stat st;
        if (fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dir_fd, entry->d_name, 0);
    }
    closedir(dir);
}

DeferredSync::~DeferredSync() { deferred_sync = previous_; }

bool DeferredSync::finish()
{
    deferred_sync = previous_;
    const int dir = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    // One flush of the file system that holds the folder puts every file
    // written meanwhile, and the folder's entries for them, on disk.
    const bool synced = syncfs(dir) == 0;
    const int code = errno;
    close(dir);
    errno = synced ? 0 : code;
    return synced;
}

void save_refused() { refused = true; }
bool save_was_refused() { return refused; }
void reset_save_refusal() { refused = false; }
