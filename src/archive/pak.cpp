// The PACK archive of Quake, Hexen II and Quake 2: a 12-byte header ("PACK",
// the directory's offset and length) and a directory of 64-byte entries (a
// 56-byte name ending in NUL, the data's offset and size). Every number
// is checked against the file before anything is read or allocated.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive_formats.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "platform/platform.h"

namespace {

constexpr size_t HEADER = 12;
constexpr size_t NAME = 56;
constexpr size_t ENTRY = 64;
// Daikatana's entries add a compressed size and a compression flag.
constexpr size_t DK_ENTRY = 72;
constexpr uint64_t PAK_LIMIT = 0x7fffffff;

int32_t le32(const uint8_t *p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct PakItem {
    uint8_t raw_name[NAME];
    uint64_t offset;
    uint64_t size;
    size_t index;
    bool usable;
};

struct PakFile {
    int fd = -1;
    uint64_t size = 0;
    std::vector<PakItem> items; // in directory order, the skipped ones marked
    ~PakFile()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool read_at(int fd, void *data, size_t size, uint64_t offset)
{
    char *p = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

// Whether the directory reads as Daikatana's: every name terminated, every
// flag 0 or 1, every stored extent inside the data before the directory.
bool daikatana_directory(const std::vector<uint8_t> &dir, uint64_t dir_offset)
{
    if (dir.empty() || dir.size() % DK_ENTRY != 0)
        return false;
    for (size_t at = 0; at < dir.size(); at += DK_ENTRY) {
        const uint8_t *e = dir.data() + at;
        const int32_t offset = le32(e + NAME), size = le32(e + NAME + 4), stored = le32(e + NAME + 8),
                      flag = le32(e + NAME + 12);
        if (!std::memchr(e, 0, NAME) || e[0] == 0 || (flag != 0 && flag != 1) || offset < int32_t(HEADER) || size < 0
            || stored < 0 || uint64_t(offset) + uint64_t(stored) > dir_offset || (flag == 0 && size != stored))
            return false;
    }
    return true;
}

bool plausible_quake_directory(const std::vector<uint8_t> &dir, uint64_t file_size)
{
    for (size_t at = 0; at + ENTRY <= dir.size(); at += ENTRY) {
        const uint8_t *e = dir.data() + at;
        const int32_t offset = le32(e + NAME), size = le32(e + NAME + 4);
        if (!std::memchr(e, 0, NAME) || offset < 0 || size < 0 || uint64_t(offset) + uint64_t(size) > file_size)
            return false;
    }
    return true;
}

std::string item_name(const PakItem &item)
{
    return std::string(reinterpret_cast<const char *>(item.raw_name), strnlen(reinterpret_cast<const char *>(item.raw_name), NAME));
}

bool open_pak(const std::string &archive, PakFile &pak, std::vector<std::string> &skipped, std::string &error)
{
    const char *a = archive.c_str();
    pak.fd = open(a, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (pak.fd < 0 || fstat(pak.fd, &st) != 0) {
        error = format_text("Error %i Encountered: %s (%s)", errno, std::strerror(errno), a);
        return false;
    }
    pak.size = static_cast<uint64_t>(st.st_size);
    uint8_t header[HEADER];
    if (pak.size < HEADER || !read_at(pak.fd, header, HEADER, 0) || std::memcmp(header, "PACK", 4) != 0) {
        error = format_text("Cannot read %s: it is not a PACK archive (no \"PACK\" header)", a);
        return false;
    }
    const int32_t dir_offset = le32(header + 4), dir_length = le32(header + 8);
    if (dir_offset < int32_t(HEADER) || dir_length < 0
        || uint64_t(dir_offset) + uint64_t(dir_length) > pak.size) {
        error = format_text("Cannot read %s: its directory (%d bytes at offset %d) lies outside the file of %llu bytes",
                            a, dir_length, dir_offset, static_cast<unsigned long long>(pak.size));
        return false;
    }
    // The directory is within the file: reading it allocates no more than
    // the file holds.
    std::vector<uint8_t> dir(static_cast<size_t>(dir_length));
    if (!read_at(pak.fd, dir.data(), dir.size(), uint64_t(dir_offset))) {
        error = format_text("Cannot read %s: its directory cannot be read", a);
        return false;
    }
    const bool quake_layout = dir.size() % ENTRY == 0;
    if (daikatana_directory(dir, uint64_t(dir_offset)) && (!quake_layout || !plausible_quake_directory(dir, pak.size))) {
        error = format_text("Cannot read %s: it is a Daikatana pack (72-byte directory entries with compressed data), "
                            "which Vorn does not read",
                            a);
        return false;
    }
    if (!quake_layout) {
        error = format_text("Cannot read %s: its directory of %d bytes is not a whole number of 64-byte entries", a,
                            dir_length);
        return false;
    }
    pak.items.resize(dir.size() / ENTRY);
    for (size_t i = 0; i < pak.items.size(); ++i) {
        PakItem &item = pak.items[i];
        const uint8_t *e = dir.data() + i * ENTRY;
        std::memcpy(item.raw_name, e, NAME);
        item.index = i;
        item.usable = false;
        const int32_t offset = le32(e + NAME), size = le32(e + NAME + 4);
        if (!std::memchr(e, 0, NAME)) {
            skipped.push_back(format_text("%s: entry %zu (\"%.56s\") has a name without its terminator; it is skipped",
                                          a, i + 1, reinterpret_cast<const char *>(e)));
            continue;
        }
        const std::string name = item_name(item);
        const uint64_t end = uint64_t(int64_t(offset)) + uint64_t(int64_t(size));
        if (offset < 0 || size < 0 || end > pak.size || (size > 0 && uint64_t(offset) < HEADER)
            || (size > 0 && uint64_t(offset) < uint64_t(dir_offset) + uint64_t(dir_length)
                && end > uint64_t(dir_offset))) {
            skipped.push_back(format_text("%s: entry %s (%d bytes at offset %d) lies outside the archive's data; it "
                                          "is skipped",
                                          a, name.c_str(), size, offset));
            continue;
        }
        item.offset = uint64_t(offset);
        item.size = uint64_t(size);
        item.usable = true;
    }
    // Two entries sharing bytes: the later one in the file is skipped.
    std::vector<PakItem *> by_offset;
    for (PakItem &item : pak.items)
        if (item.usable && item.size > 0)
            by_offset.push_back(&item);
    std::sort(by_offset.begin(), by_offset.end(), [](const PakItem *x, const PakItem *y) {
        return x->offset != y->offset ? x->offset < y->offset : x->index < y->index;
    });
    const PakItem *last = nullptr;
    for (PakItem *item : by_offset) {
        if (last && item->offset < last->offset + last->size) {
            item->usable = false;
            skipped.push_back(format_text("%s: entry %s overlaps entry %s; it is skipped", a, item_name(*item).c_str(),
                                          item_name(*last).c_str()));
            continue;
        }
        last = item;
    }
    return true;
}

const PakItem *find_item(const PakFile &pak, const std::string &entry)
{
    for (const PakItem &item : pak.items)
        if (item.usable && item_name(item) == entry)
            return &item;
    return nullptr;
}

} // namespace

bool pak_list(const std::string &archive, ArchiveListing &out, std::string &error)
{
    PakFile pak;
    if (!open_pak(archive, pak, out.skipped, error))
        return false;
    for (const PakItem &item : pak.items) {
        if (!item.usable)
            continue;
        ArchiveEntry e;
        e.name = item_name(item);
        e.size = e.stored = item.size;
        e.safe = archive_name_is_safe(e.name);
        out.entries.push_back(std::move(e));
    }
    return true;
}

bool pak_read(const std::string &archive, const std::string &entry, int fd, std::string &error)
{
    PakFile pak;
    std::vector<std::string> skipped;
    if (!open_pak(archive, pak, skipped, error))
        return false;
    const PakItem *item = find_item(pak, entry);
    if (!item) {
        error = format_text("Cannot read %s/%s: the archive holds no such entry", archive.c_str(), entry.c_str());
        return false;
    }
    if (item->size > entry_bound()) {
        error = entry_too_large(archive, entry, item->size);
        return false;
    }
    if (!copy_bytes(pak.fd, item->offset, fd, item->size)) {
        error = format_text("Cannot read %s/%s: %s", archive.c_str(), entry.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool pak_write(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
               std::string &error)
{
    const char *a = archive.c_str();
    PakFile pak;
    std::vector<std::string> skipped;
    // An archive not made yet starts with no entries.
    struct stat st {};
    if ((stat(a, &st) == 0 || errno != ENOENT) && !open_pak(archive, pak, skipped, error))
        return false;
    if (!skipped.empty()) {
        error = format_text("Cannot save into %s: %zu of its entries are damaged and would be lost by rewriting it", a,
                            skipped.size());
        return false;
    }
    if (entry.size() >= NAME) {
        error = format_text("Cannot save %s/%s: a PACK entry's name has at most %zu characters", a, entry.c_str(),
                            NAME - 1);
        return false;
    }
    // The new layout: the data in directory order, the directory last.
    struct Placed {
        const PakItem *item; // null for the new entry's data
        uint8_t raw_name[NAME];
        uint64_t size;
        uint64_t offset;
    };
    std::vector<Placed> placed;
    bool replaced = false;
    for (const PakItem &item : pak.items) {
        Placed p{&item, {}, item.size, 0};
        std::memcpy(p.raw_name, item.raw_name, NAME);
        if (!replaced && item_name(item) == entry) {
            p.item = nullptr;
            p.size = data.size();
            replaced = true;
        }
        placed.push_back(p);
    }
    if (!replaced) {
        Placed p{nullptr, {}, data.size(), 0};
        std::memcpy(p.raw_name, entry.data(), entry.size());
        placed.push_back(p);
    }
    uint64_t at = HEADER;
    for (Placed &p : placed) {
        p.offset = at;
        at += p.size;
    }
    const uint64_t dir_bytes = placed.size() * ENTRY;
    if (at + dir_bytes > PAK_LIMIT) {
        error = format_text("Cannot save into %s: a PACK archive holds at most 2 GiB", a);
        return false;
    }
    AtomicFile file;
    if (!file.create(a)) {
        error = save_error_text(a, errno ? errno : EIO);
        return false;
    }
    uint8_t header[HEADER];
    std::memcpy(header, "PACK", 4);
    put32(header + 4, static_cast<uint32_t>(at));
    put32(header + 8, static_cast<uint32_t>(dir_bytes));
    bool ok = file.write_all(header, HEADER);
    // Entries that lie one after the other in the old file are copied as
    // one range.
    for (size_t i = 0; ok && i < placed.size();) {
        if (!placed[i].item) {
            ok = file.write_all(data.data(), data.size());
            ++i;
            continue;
        }
        const uint64_t from = placed[i].item->offset;
        uint64_t size = placed[i].size;
        for (++i; i < placed.size() && placed[i].item && placed[i].item->offset == from + size; ++i)
            size += placed[i].size;
        ok = file.copy_from(pak.fd, from, size);
    }
    std::vector<uint8_t> dir(dir_bytes);
    for (size_t i = 0; i < placed.size(); ++i) {
        std::memcpy(dir.data() + i * ENTRY, placed[i].raw_name, NAME);
        put32(dir.data() + i * ENTRY + NAME, static_cast<uint32_t>(placed[i].offset));
        put32(dir.data() + i * ENTRY + NAME + 4, static_cast<uint32_t>(placed[i].size));
    }
    ok = ok && file.write_all(dir.data(), dir.size()) && file.commit();
    if (!ok) {
        error = save_error_text(a, file.error() ? file.error() : (errno ? errno : EIO));
        return false;
    }
    return true;
}
