#include "io/byte_io.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/huge_pages.h"
#include "io/safe_save.h"

uint64_t checked_area(int64_t width, int64_t height, int64_t max_side, int64_t bytes_per_pixel)
{
    if (width < 1 || height < 1 || width > max_side || height > max_side || bytes_per_pixel < 1)
        return 0;
    const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (area > UINT64_MAX / static_cast<uint64_t>(bytes_per_pixel))
        return 0;
    return area * static_cast<uint64_t>(bytes_per_pixel);
}

namespace {

// Blocks smaller than this are copied: a reference to them costs more than
// the copy saves.
constexpr size_t MIN_BORROWED = 16384;

} // namespace

void ByteWriter::borrow(const void *data, size_t n)
{
    if (n < MIN_BORROWED) {
        bytes(data, n);
        return;
    }
    borrowed_ += n;
    pieces_.push_back({out_.size(), borrowed_, static_cast<const uint8_t *>(data), n});
}

void ByteWriter::patch_u32(size_t offset, uint32_t v)
{
    // The own bytes before `offset` are those of the stream less the
    // borrowed blocks that end at or before it. Patches land near the end
    // (a size just learnt), so the blocks are looked at from the last.
    size_t own = offset;
    for (size_t i = pieces_.size(); i-- > 0;) {
        const Piece &piece = pieces_[i];
        const size_t starts = piece.own_at + piece.borrowed_through - piece.size;
        if (offset >= starts + piece.size) {
            own = offset - piece.borrowed_through;
            break;
        }
        if (offset + 4 > starts) {
            // Into a borrowed block: those bytes are not ours to change.
            flatten();
            own = offset;
            break;
        }
    }
    for (int i = 0; i < 4; ++i)
        out_[own + i] = static_cast<uint8_t>(v >> (8 * i));
}

void ByteWriter::flatten() const
{
    if (pieces_.empty())
        return;
    std::vector<uint8_t> all;
    all.reserve(size());
    pieces([&all](const uint8_t *p, size_t n) { all.insert(all.end(), p, p + n); });
    out_.swap(all);
    pieces_.clear();
    borrowed_ = 0;
}

bool read_file(const char *path, std::vector<uint8_t> &out, size_t max_bytes)
{
    out.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    auto fail = [&](int code) {
        close(fd);
        out.clear();
        errno = code;
        return false;
    };
    struct stat st;
    if (fstat(fd, &st) != 0)
        return fail(errno);
    if (S_ISDIR(st.st_mode))
        return fail(EISDIR);
    // A regular file is read in one presized pass; anything else (a pipe,
    // a file that grows) in chunks up to the limit.
    size_t expected = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    if (expected > max_bytes)
        return fail(EFBIG);
    // One byte more than the file, to see that it has ended; a large file
    // is read into memory advised for huge pages before it is touched.
    out.reserve(expected ? expected + 1 : 65536);
    advise_huge_pages(out.data(), out.capacity());
    out.resize(expected ? expected + 1 : 65536);
    size_t filled = 0;
    for (;;) {
        if (filled == out.size()) {
            if (out.size() > max_bytes)
                return fail(EFBIG);
            out.resize(out.size() * 2 > max_bytes + 1 ? max_bytes + 1 : out.size() * 2);
        }
        const ssize_t n = ::read(fd, out.data() + filled, out.size() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            break;
        filled += static_cast<size_t>(n);
    }
    close(fd);
    if (filled > max_bytes) {
        out.clear();
        errno = EFBIG;
        return false;
    }
    out.resize(filled);
    return true;
}

bool write_file(const char *path, const void *data, size_t size)
{
    OutputFile file;
    return file.open(path) && file.write(data, size) && file.finish();
}

std::string lower_extension(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    const char *dot = std::strrchr(name, '.');
    std::string ext = dot ? dot : "";
    for (char &c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool write_whole(int fd, const void *data, size_t size)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool copy_bytes(int in, uint64_t offset, int out, uint64_t size)
{
    auto from = static_cast<loff_t>(offset);
    while (size > 0) {
        const ssize_t n = copy_file_range(in, &from, out, nullptr, static_cast<size_t>(size), 0);
        if (n > 0) {
            size -= static_cast<uint64_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            break; // not between these files: by hand
        return false;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(size < (uint64_t(1) << 20) ? size : uint64_t(1) << 20));
    while (size > 0) {
        const size_t step = static_cast<size_t>(size < buffer.size() ? size : buffer.size());
        const ssize_t n = pread(in, buffer.data(), step, from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        if (!write_whole(out, buffer.data(), static_cast<size_t>(n)))
            return false;
        from += n;
        size -= static_cast<uint64_t>(n);
    }
    return true;
}
