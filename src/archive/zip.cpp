// ZIP archives (.pk3, .zip) through libzip: stored and deflated entries,
// ZIP64. Reading streams an entry through a bounded buffer; writing builds
// a new archive into the safe save's file, taking every other entry from
// the old archive as it was compressed.
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "archive/archive_formats.h"
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

std::string zip_text(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

zip_t *open_zip(const std::string &archive, std::string &error)
{
    int code = 0;
    zip_t *za = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (!za)
        error = format_text("Cannot read %s: it is not a ZIP archive Vorn can read (%s)", archive.c_str(),
                            zip_text(code).c_str());
    return za;
}

// The safe save's new file as a libzip destination. libzip asks whether
// the archive exists (it does not: the new one starts empty), then writes
// it front to back, seeking back to mend headers.
struct Destination {
    AtomicFile *file;
    zip_error_t error;
};

zip_int64_t destination_io(void *state, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *d = static_cast<Destination *>(state);
    const int fd = d->file->fd();
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                              ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                              ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT:
        zip_error_set(&d->error, ZIP_ER_READ, ENOENT);
        return -1;
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&d->error, data, len);
    case ZIP_SOURCE_BEGIN_WRITE: return d->file->truncate() ? 0 : (zip_error_set(&d->error, ZIP_ER_WRITE, errno), -1);
    case ZIP_SOURCE_WRITE:
        if (!d->file->write_all(data, len)) {
            zip_error_set(&d->error, ZIP_ER_WRITE, errno);
            return -1;
        }
        return static_cast<zip_int64_t>(len);
    case ZIP_SOURCE_SEEK_WRITE: {
        auto *args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, len, &d->error);
        if (!args || lseek(fd, static_cast<off_t>(args->offset), args->whence) < 0) {
            zip_error_set(&d->error, ZIP_ER_SEEK, errno);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: {
        const off_t at = lseek(fd, 0, SEEK_CUR);
        if (at < 0)
            zip_error_set(&d->error, ZIP_ER_TELL, errno);
        return at;
    }
    // The safe save puts the file in place once libzip is done.
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE: return 0;
    default: zip_error_set(&d->error, ZIP_ER_OPNOTSUPP, 0); return -1;
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
    ZipCloser old;
    old.za = open_zip(archive, error);
    if (!old.za)
        return false;
    AtomicFile file;
    if (!file.create(a)) {
        error = save_error_text(a, errno ? errno : EIO);
        return false;
    }
    Destination destination{&file, {}};
    zip_error_init(&destination.error);
    zip_error_t open_error;
    zip_error_init(&open_error);
    zip_source_t *target = zip_source_function_create(destination_io, &destination, &open_error);
    ZipCloser made;
    made.za = target ? zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &open_error) : nullptr;
    if (!made.za) {
        if (target)
            zip_source_free(target);
        error = format_text("Cannot save into %s: %s", a, zip_error_strerror(&open_error));
        zip_error_fini(&open_error);
        zip_error_fini(&destination.error);
        return false;
    }
    zip_error_fini(&open_error);

    auto fail = [&](zip_t *za) {
        error = format_text("Cannot save into %s: %s", a, zip_strerror(za));
        zip_error_fini(&destination.error);
        return false;
    };
    // Added before any use, so that the new entry's bytes outlive the close.
    zip_source_t *fresh = zip_source_buffer(made.za, data.data(), data.size(), 0);
    if (!fresh)
        return fail(made.za);
    bool placed = false;
    const zip_int64_t n = zip_get_num_entries(old.za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const auto at = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        const char *raw = zip_get_name(old.za, at, ZIP_FL_ENC_RAW);
        if (!raw || zip_stat_index(old.za, at, 0, &st) != 0) {
            if (!placed)
                zip_source_free(fresh);
            return fail(old.za);
        }
        const bool mine = !placed && entry == st.name;
        // The old entry's compressed bytes, copied as they are: libzip does
        // not inflate and deflate again an entry whose method stays.
        zip_source_t *source = mine ? fresh : zip_source_zip(made.za, old.za, at, 0, 0, -1);
        const zip_int64_t added = source ? zip_file_add(made.za, raw, source, ZIP_FL_ENC_GUESS) : -1;
        if (added < 0) {
            // A source the archive did not take is still ours.
            if (source)
                zip_source_free(source);
            if (!mine && !placed)
                zip_source_free(fresh);
            return fail(made.za);
        }
        const auto to = static_cast<zip_uint64_t>(added);
        if (st.valid & ZIP_STAT_MTIME)
            zip_file_set_mtime(made.za, to, st.mtime, 0);
        if (!mine && (st.valid & ZIP_STAT_COMP_METHOD))
            zip_set_file_compression(made.za, to, st.comp_method, 0);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(old.za, at, 0, &system, &attributes) == 0)
            zip_file_set_external_attributes(made.za, to, 0, system, attributes);
        placed = placed || mine;
    }
    if (!placed) {
        const zip_int64_t added = zip_file_add(made.za, entry.c_str(), fresh, ZIP_FL_ENC_UTF_8);
        if (added < 0) {
            zip_source_free(fresh);
            return fail(made.za);
        }
        zip_file_set_mtime(made.za, static_cast<zip_uint64_t>(added), time(nullptr), 0);
    }
    if (zip_close(made.za) != 0)
        return fail(made.za);
    made.za = nullptr;
    zip_error_fini(&destination.error);
    if (file.error() || !file.commit()) {
        error = save_error_text(a, file.error() ? file.error() : (errno ? errno : EIO));
        return false;
    }
    return true;
}
