#include "archive/archive.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive_formats.h"
#include "image/image_limits.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "platform/platform.h"

namespace {

bool ends_with_ci(const std::string &text, const char *suffix)
{
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i])
            return false;
    return true;
}

// The kind by content: a PACK header, a ZIP's first local header or its
// end record (an empty ZIP); else by the extension.
enum class Kind { Pak, Zip };

Kind kind_of(const std::string &archive)
{
    char head[4] = {};
    const int fd = open(archive.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t n = read(fd, head, sizeof head);
        close(fd);
        if (n == 4 && std::memcmp(head, "PACK", 4) == 0)
            return Kind::Pak;
        if (n == 4 && head[0] == 'P' && head[1] == 'K')
            return Kind::Zip;
    }
    return ends_with_ci(archive, ".pak") ? Kind::Pak : Kind::Zip;
}

std::string base_name(const std::string &entry)
{
    const size_t slash = entry.rfind('/');
    return slash == std::string::npos ? entry : entry.substr(slash + 1);
}

// A folder only this user can enter, for the names of one entry.
bool make_private_folder(std::string &folder, std::string &error, const std::string &shown)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorn-entry-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        error = format_text("Cannot open %s: no private folder for the entry (%s)", shown.c_str(), std::strerror(errno));
        return false;
    }
    folder = pattern;
    return true;
}

} // namespace

bool has_archive_extension(const std::string &name)
{
    return ends_with_ci(name, ".pak") || ends_with_ci(name, ".pk3") || ends_with_ci(name, ".zip");
}

bool is_archive_file(const std::string &path)
{
    struct stat st {};
    return has_archive_extension(path) && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool split_archive_path(const std::string &path, std::string &archive, std::string &entry)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string head = path.substr(0, slash);
        if (!has_archive_extension(head))
            continue;
        struct stat st {};
        if (stat(head.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const size_t start = path.find_first_not_of('/', slash);
        if (start == std::string::npos)
            return false;
        archive = head;
        entry = path.substr(start);
        return true;
    }
    return false;
}

bool split_archive_save_path(const std::string &path, std::string &archive, std::string &entry)
{
    if (split_archive_path(path, archive, entry))
        return true;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string head = path.substr(0, slash);
        struct stat st {};
        if (!has_archive_extension(head))
            continue;
        if (lstat(head.c_str(), &st) == 0 || errno != ENOENT)
            return false; // something of that name that is no archive
        const size_t folder_end = head.rfind('/');
        const std::string folder = folder_end == std::string::npos ? "." : head.substr(0, folder_end + 1);
        const size_t start = path.find_first_not_of('/', slash);
        if (start == std::string::npos || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
        archive = head;
        entry = path.substr(start);
        return true;
    }
    return false;
}

bool file_or_entry_exists(const std::string &path)
{
    std::string archive, entry;
    if (!split_archive_path(path, archive, entry))
        return access(path.c_str(), F_OK) == 0;
    ArchiveListing listing;
    std::string error;
    if (!list_archive(archive, listing, error))
        return false;
    for (const ArchiveEntry &e : listing.entries)
        if (e.name == entry)
            return true;
    return false;
}

std::string folder_for_dialog(const std::string &path)
{
    std::string archive, entry;
    const std::string &file = split_archive_path(path, archive, entry) ? archive : path;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool archive_name_is_safe(const std::string &name)
{
    if (name.empty() || name[0] == '/' || name.find('\\') != std::string::npos || name.find('\0') != std::string::npos)
        return false;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':')
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

uint64_t entry_bound() { return pixel_budget(); }

std::string entry_too_large(const std::string &archive, const std::string &entry, uint64_t claimed)
{
    return format_text("Cannot read %s/%s: the entry holds more than %s (%s or more); it is not read", archive.c_str(),
                       entry.c_str(), size_text(entry_bound()).c_str(), size_text(claimed).c_str());
}

bool write_file_or_entry(const std::string &path, const std::vector<uint8_t> &data, std::string &error)
{
    std::string archive, entry;
    if (split_archive_save_path(path, archive, entry))
        return write_archive_entry(archive, entry, data, error);
    errno = 0;
    if (write_file(path.c_str(), data))
        return true;
    error = save_error_text(path.c_str(), errno ? errno : EIO);
    return false;
}

bool list_archive(const std::string &archive, ArchiveListing &out, std::string &error)
{
    out = {};
    if (kind_of(archive) == Kind::Pak)
        return pak_list(archive, out, error);
    out.zip = true;
    return zip_list(archive, out, error);
}

bool read_archive_entry(const std::string &archive, const std::string &entry, int fd, std::string &error)
{
    if (!archive_name_is_safe(entry)) {
        error = format_text("Cannot read %s/%s: the entry's name reaches outside the archive", archive.c_str(),
                            entry.c_str());
        return false;
    }
    return kind_of(archive) == Kind::Pak ? pak_read(archive, entry, fd, error) : zip_read(archive, entry, fd, error);
}

bool write_archive_entry(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
                         std::string &error)
{
    if (!archive_name_is_safe(entry) || entry.back() == '/') {
        error = format_text("Cannot save %s/%s: an entry may not be named so (a folder, \"..\", an absolute path or "
                            "a drive letter)",
                            archive.c_str(), entry.c_str());
        return false;
    }
    return kind_of(archive) == Kind::Pak ? pak_write(archive, entry, data, error)
                                         : zip_write(archive, entry, data, error);
}

// --- An entry in memory -----------------------------------------------------

ArchiveEntryFile::~ArchiveEntryFile()
{
    if (!path_.empty())
        unlink(path_.c_str());
    if (!folder_.empty())
        rmdir(folder_.c_str());
    if (fd_ >= 0)
        close(fd_);
}

bool ArchiveEntryFile::open(const std::string &archive, const std::string &entry, std::string &error)
{
    const std::string shown = archive + "/" + entry;
    if (entry.empty() || entry.back() == '/') {
        error = format_text("Cannot open %s: it is a folder of the archive", shown.c_str());
        return false;
    }
    fd_ = memfd_create("vorn-entry", MFD_CLOEXEC);
    if (fd_ < 0) {
        error = format_text("Cannot open %s: %s", shown.c_str(), std::strerror(errno));
        return false;
    }
    if (!read_archive_entry(archive, entry, fd_, error))
        return false;
    if (!make_private_folder(folder_, error, shown))
        return false;
    // Through the process's own number, so that the decoder process, which
    // opens the name itself, reaches the same memory file.
    const std::string target = format_text("/proc/%ld/fd/%d", static_cast<long>(getpid()), fd_);
    const std::string name = folder_ + "/" + base_name(entry);
    if (symlink(target.c_str(), name.c_str()) != 0) {
        error = format_text("Cannot open %s: %s", shown.c_str(), std::strerror(errno));
        return false;
    }
    path_ = name;
    return true;
}

// --- A save into an archive -------------------------------------------------

ArchiveEntrySave::~ArchiveEntrySave()
{
    if (folder_.empty())
        return;
    // The entry's file, and whatever an interrupted writer left beside it.
    if (DIR *dir = opendir(folder_.c_str())) {
        while (const dirent *e = readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                unlinkat(dirfd(dir), e->d_name, 0);
        closedir(dir);
    }
    rmdir(folder_.c_str());
}

bool ArchiveEntrySave::create(const std::string &archive, const std::string &entry, std::string &error)
{
    archive_ = archive;
    entry_ = entry;
    if (!archive_name_is_safe(entry) || entry.back() == '/') {
        error = format_text("Cannot save %s/%s: an entry may not be named so (a folder, \"..\", an absolute path or "
                            "a drive letter)",
                            archive.c_str(), entry.c_str());
        return false;
    }
    ArchiveListing listing;
    struct stat st {};
    const bool exists = stat(archive.c_str(), &st) == 0 || errno != ENOENT;
    if (exists && !list_archive(archive, listing, error))
        return false;
    if (!listing.skipped.empty()) {
        error = format_text("Cannot save into %s: %zu of its entries are damaged and would be lost by rewriting it",
                            archive.c_str(), listing.skipped.size());
        return false;
    }
    if (!make_private_folder(folder_, error, archive + "/" + entry))
        return false;
    path_ = folder_ + "/" + base_name(entry);
    return true;
}

bool ArchiveEntrySave::commit(std::string &error)
{
    std::vector<uint8_t> data;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        error = format_text("Cannot save %s/%s: %s", archive_.c_str(), entry_.c_str(), std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return false;
    }
    data.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = read(fd, data.data() + got, data.size() - got);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != data.size()) {
        error = format_text("Cannot save %s/%s: the written entry could not be read back", archive_.c_str(),
                            entry_.c_str());
        return false;
    }
    return write_archive_entry(archive_, entry_, data, error);
}
