// ZIP archives (.pk3, .zip) through libzip: stored and deflated entries,
// ZIP64. Reading streams an entry through a bounded buffer; writing has
// libzip rewrite the archive into the safe save's file with one entry
// replaced or added, copying every other entry as it lies.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "archive/archive_formats.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "platform/platform.h"

namespace {

struct ZipCloser {
    zip_t *za = nullptr;
    ~ZipCloser()
    {
        if (za)
            zip_discard(za);
    }
};

// The archive read through one descriptor whose size is taken once, and
// through a read-ahead window: the library's own file source asks the
// system for the file's size again for every entry of the central
// directory, and the library reads a directory larger than its first
// buffer one record at a time, two reads a record. Both made opening an
// archive of a few thousand entries several times slower than reading its
// directory.
struct Origin {
    int fd = -1;
    uint64_t size = 0;
    uint64_t at = 0;
    std::vector<uint8_t> window;
    uint64_t window_at = 0;
    zip_error_t error;

    Origin() { zip_error_init(&error); }
    Origin(const Origin &) = delete;
    Origin &operator=(const Origin &) = delete;
    ~Origin()
    {
        if (fd >= 0)
            close(fd);
        zip_error_fini(&error);
    }
};

// The commands of a source that reads.
zip_int64_t reading_commands()
{
    return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                          ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                          ZIP_SOURCE_SUPPORTS, -1);
}

constexpr size_t WINDOW = 256 << 10;

// Copies up to `want` bytes at o->at into `data`; -1 with errno on failure.
ssize_t origin_read(Origin *o, void *data, size_t want)
{
    // Large reads (an entry's data) go straight to the file.
    if (want >= WINDOW) {
        ssize_t n;
        do
            n = pread(o->fd, data, want, static_cast<off_t>(o->at));
        while (n < 0 && errno == EINTR);
        return n;
    }
    if (o->at < o->window_at || o->at + want > o->window_at + o->window.size()) {
        o->window.resize(WINDOW);
        ssize_t n;
        do
            n = pread(o->fd, o->window.data(), WINDOW, static_cast<off_t>(o->at));
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            o->window.clear();
            return -1;
        }
        o->window.resize(static_cast<size_t>(n));
        o->window_at = o->at;
    }
    const size_t offset = static_cast<size_t>(o->at - o->window_at);
    const size_t n = std::min(want, o->window.size() - offset);
    std::memcpy(data, o->window.data() + offset, n);
    return static_cast<ssize_t>(n);
}

zip_int64_t origin_io(void *state, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *o = static_cast<Origin *>(state);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS: return reading_commands();
    case ZIP_SOURCE_OPEN: o->at = 0; return 0;
    case ZIP_SOURCE_READ: {
        const uint64_t left = o->at < o->size ? o->size - o->at : 0;
        const ssize_t n = origin_read(o, data, static_cast<size_t>(len < left ? len : left));
        if (n < 0) {
            zip_error_set(&o->error, ZIP_ER_READ, errno);
            return -1;
        }
        o->at += static_cast<uint64_t>(n);
        return n;
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t to = zip_source_seek_compute_offset(o->at, o->size, data, len, &o->error);
        if (to < 0)
            return -1;
        o->at = static_cast<uint64_t>(to);
        return 0;
    }
    case ZIP_SOURCE_TELL: return static_cast<zip_int64_t>(o->at);
    case ZIP_SOURCE_STAT: {
        auto *st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &o->error);
        if (!st)
            return -1;
        zip_stat_init(st);
        st->size = o->size;
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&o->error, data, len);
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_FREE: delete o; return 0;
    default: zip_error_set(&o->error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
}

// Opens `archive` for reading into `o`; false with `error` naming it.
bool open_origin(const std::string &archive, Origin &o, std::string &error)
{
    const char *a = archive.c_str();
    o.fd = open(a, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (o.fd < 0 || fstat(o.fd, &st) != 0) {
        error = format_text("Error %i Encountered: %s (%s)", errno, std::strerror(errno), a);
        if (o.fd >= 0)
            close(o.fd);
        o.fd = -1;
        return false;
    }
    o.size = static_cast<uint64_t>(st.st_size);
    return true;
}

zip_t *open_zip(const std::string &archive, std::string &error)
{
    auto *origin = new Origin;
    if (!open_origin(archive, *origin, error)) {
        delete origin;
        return nullptr;
    }
    zip_error_t e;
    zip_error_init(&e);
    zip_source_t *source = zip_source_function_create(origin_io, origin, &e);
    zip_t *za = nullptr;
    if (!source)
        delete origin;
    else if (!(za = zip_open_from_source(source, ZIP_RDONLY, &e)))
        zip_source_free(source); // frees the origin
    if (!za)
        error = format_text("Cannot read %s: it is not a ZIP archive Vorn can read (%s)", archive.c_str(),
                            zip_error_strerror(&e));
    zip_error_fini(&e);
    return za;
}

// The safe save's new file as where libzip writes. libzip writes the archive
// front to back in pieces of a few kilobytes, seeking back after each
// entry to mend its header: the pieces are gathered into large writes, and
// a mend of what is still gathered is made in memory.
struct Destination {
    AtomicFile *file = nullptr;
    zip_error_t error;
    std::vector<uint8_t> pending; // the bytes from `base` on, not yet written
    uint64_t base = 0;
    uint64_t at = 0;  // where the next byte goes
    uint64_t end = 0; // the file's length with what is pending

    Destination() { zip_error_init(&error); }
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;
    ~Destination() { zip_error_fini(&error); }

    bool flush()
    {
        if (!file->write_at(pending.data(), pending.size(), base)) {
            zip_error_set(&error, ZIP_ER_WRITE, errno);
            return false;
        }
        base += pending.size();
        pending.clear();
        return true;
    }
};

constexpr size_t GATHER = 1 << 20;

// The writing commands of the source below.
zip_int64_t destination_io(Destination *d, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    switch (cmd) {
    case ZIP_SOURCE_BEGIN_WRITE:
        d->pending.clear();
        d->base = d->at = d->end = 0;
        if (!d->file->truncate()) {
            zip_error_set(&d->error, ZIP_ER_WRITE, errno);
            return -1;
        }
        return 0;
    case ZIP_SOURCE_WRITE: {
        if (d->at < d->base || d->at > d->base + d->pending.size()) {
            if (!d->flush())
                return -1;
            d->base = d->at;
        }
        const size_t offset = static_cast<size_t>(d->at - d->base);
        if (offset + len > d->pending.size())
            d->pending.resize(offset + len);
        std::memcpy(d->pending.data() + offset, data, len);
        d->at += len;
        d->end = std::max(d->end, d->at);
        if (d->pending.size() >= GATHER && !d->flush())
            return -1;
        return static_cast<zip_int64_t>(len);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t to = zip_source_seek_compute_offset(d->at, d->end, data, len, &d->error);
        if (to < 0)
            return -1;
        d->at = static_cast<uint64_t>(to);
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: return static_cast<zip_int64_t>(d->at);
    case ZIP_SOURCE_COMMIT_WRITE: return d->flush() ? 0 : -1;
    // The safe save puts the file in place once libzip is done, or throws
    // it away.
    case ZIP_SOURCE_ROLLBACK_WRITE: return 0;
    default: zip_error_set(&d->error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
}

// The archive as libzip modifies it: read from the old file (or, for an
// archive not yet made, from nothing) and written into the safe save's new
// one. libzip copies every entry it was not asked to change as it lies in
// the old file, compressed bytes, local header fields and all, and writes
// only the changed entry's data itself.
struct Rewrite {
    Origin origin;
    Destination destination;
};

zip_int64_t rewrite_io(void *state, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *r = static_cast<Rewrite *>(state);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return reading_commands()
               | zip_source_make_command_bitmap(ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                                ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT:
        if (r->origin.fd < 0) { // no archive yet: libzip starts an empty one
            zip_error_set(&r->origin.error, ZIP_ER_READ, ENOENT);
            return -1;
        }
        return origin_io(&r->origin, data, len, cmd);
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_CLOSE: return origin_io(&r->origin, data, len, cmd);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(zip_error_code_zip(&r->destination.error) ? &r->destination.error : &r->origin.error,
                                 data, len);
    case ZIP_SOURCE_FREE: return 0; // both halves belong to zip_write
    default: return destination_io(&r->destination, data, len, cmd);
    }
}

} // namespace

bool zip_list(const std::string &archive, ArchiveListing &out, std::string &error)
{
    ZipCloser old;
    old.za = open_zip(archive, error);
    if (!old.za)
        return false;
    const zip_int64_t n = zip_get_num_entries(old.za, 0);
    out.entries.reserve(static_cast<size_t>(n > 0 ? n : 0));
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(old.za, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            out.skipped.push_back(format_text("%s: entry %lld cannot be read; it is skipped", archive.c_str(),
                                              static_cast<long long>(i + 1)));
            continue;
        }
        ArchiveEntry e;
        e.name = st.name;
        e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        e.stored = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        e.folder = !e.name.empty() && e.name.back() == '/';
        e.safe = archive_name_is_safe(e.name);
        out.entries.push_back(std::move(e));
    }
    return true;
}

bool zip_read(const std::string &archive, const std::string &entry, int fd, std::string &error)
{
    ZipCloser old;
    old.za = open_zip(archive, error);
    if (!old.za)
        return false;
    const zip_int64_t index = zip_name_locate(old.za, entry.c_str(), 0);
    zip_stat_t st;
    if (index < 0 || zip_stat_index(old.za, static_cast<zip_uint64_t>(index), 0, &st) != 0) {
        error = format_text("Cannot read %s/%s: the archive holds no such entry", archive.c_str(), entry.c_str());
        return false;
    }
    const uint64_t claimed = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    if (claimed > entry_bound()) {
        error = entry_too_large(archive, entry, claimed);
        return false;
    }
    zip_file_t *file = zip_fopen_index(old.za, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        error = format_text("Cannot read %s/%s: %s", archive.c_str(), entry.c_str(), zip_strerror(old.za));
        return false;
    }
    // The entry may inflate to more than its header says: the count stops
    // at the bound whatever the header claims.
    std::vector<char> buffer(1 << 16);
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0) {
            error = format_text("Cannot read %s/%s: %s", archive.c_str(), entry.c_str(), zip_file_strerror(file));
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += static_cast<uint64_t>(n);
        if (total > entry_bound() || total > claimed) {
            error = total > entry_bound()
                        ? entry_too_large(archive, entry, total)
                        : format_text("Cannot read %s/%s: the entry inflates to more than the %llu bytes it claims",
                                      archive.c_str(), entry.c_str(), static_cast<unsigned long long>(claimed));
            ok = false;
            break;
        }
        if (!write_whole(fd, buffer.data(), static_cast<size_t>(n))) {
            error = format_text("Cannot read %s/%s: %s", archive.c_str(), entry.c_str(), std::strerror(errno));
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    return ok;
}

bool zip_write(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
               std::string &error)
{
    const char *a = archive.c_str();
    Rewrite rewrite;
    struct stat st {};
    const bool exists = stat(a, &st) == 0;
    if (exists && !open_origin(archive, rewrite.origin, error))
        return false;
    AtomicFile file;
    if (!file.create(a)) {
        error = save_error_text(a, errno ? errno : EIO);
        return false;
    }
    rewrite.destination.file = &file;
    zip_error_t open_error;
    zip_error_init(&open_error);
    zip_source_t *source = zip_source_function_create(rewrite_io, &rewrite, &open_error);
    ZipCloser zip;
    zip.za = source ? zip_open_from_source(source, ZIP_CREATE, &open_error) : nullptr;
    if (!zip.za) {
        if (source)
            zip_source_free(source);
        error = exists ? format_text("Cannot read %s: it is not a ZIP archive Vorn can read (%s)", a,
                                     zip_error_strerror(&open_error))
                       : format_text("Cannot save into %s: %s", a, zip_error_strerror(&open_error));
        zip_error_fini(&open_error);
        return false;
    }
    zip_error_fini(&open_error);
    auto fail = [&]() {
        error = format_text("Cannot save into %s: %s", a, zip_strerror(zip.za));
        return false;
    };

    // The first entry of that name is replaced, as the readers read the
    // first; a name stored twice keeps its second copy as it was.
    zip_int64_t index = -1;
    const zip_int64_t n = zip_get_num_entries(zip.za, 0);
    for (zip_int64_t i = 0; i < n && index < 0; ++i) {
        const char *name = zip_get_name(zip.za, static_cast<zip_uint64_t>(i), 0);
        if (name && entry == name)
            index = i;
    }
    zip_source_t *fresh = zip_source_buffer(zip.za, data.data(), data.size(), 0);
    if (!fresh)
        return fail();
    if (index >= 0) {
        // The entry keeps its time, its method and what else it carries.
        const auto at = static_cast<zip_uint64_t>(index);
        zip_stat_t old;
        const bool timed = zip_stat_index(zip.za, at, 0, &old) == 0 && (old.valid & ZIP_STAT_MTIME);
        if (zip_file_replace(zip.za, at, fresh, 0) != 0) {
            zip_source_free(fresh);
            return fail();
        }
        if (timed)
            zip_file_set_mtime(zip.za, at, old.mtime, 0);
    } else if (zip_file_add(zip.za, entry.c_str(), fresh, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(fresh);
        return fail();
    }
    if (zip_close(zip.za) != 0)
        return fail();
    zip.za = nullptr;
    if (file.error() || !file.commit()) {
        error = save_error_text(a, file.error() ? file.error() : (errno ? errno : EIO));
        return false;
    }
    return true;
}
