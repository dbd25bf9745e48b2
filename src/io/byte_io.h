// Bounded little-endian reading and writing for the file codecs.
//
// ByteReader never reads outside its buffer: past the end every getter
// returns zeros and sets a sticky `short_read()` flag, so a codec reads a
// whole section and checks the flag once. Counts and sizes taken from a file
// must still be checked (fits(), checked_area()) before they size anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/huge_pages.h"

class ByteReader {
public:
    ByteReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<uint8_t> &bytes) : data_(bytes.data()), size_(bytes.size()) {}

    size_t size() const { return size_; }
    size_t position() const { return pos_; }
    size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool short_read() const { return short_; }
    // Moves to an absolute offset; an offset past the end marks a short read.
    void seek(size_t offset)
    {
        if (offset > size_) {
            short_ = true;
            pos_ = size_;
        } else {
            pos_ = offset;
        }
    }
    void skip(size_t n) { seek(n > remaining() ? size_ + 1 : pos_ + n); }
    // True when n more bytes are available from the current position.
    bool fits(uint64_t n) const { return n <= remaining(); }

    uint8_t u8()
    {
        uint8_t b = 0;
        bytes(&b, 1);
        return b;
    }
    uint16_t u16()
    {
        uint8_t b[2];
        bytes(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t u32()
    {
        uint8_t b[4];
        bytes(b, 4);
        return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16)
               | (static_cast<uint32_t>(b[3]) << 24);
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32()
    {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Copies n bytes; whatever lies past the end is filled with zeros.
    void bytes(void *out, size_t n)
    {
        const size_t available = remaining();
        const size_t take = n < available ? n : available;
        if (take)
            std::memcpy(out, data_ + pos_, take);
        if (take < n) {
            std::memset(static_cast<uint8_t *>(out) + take, 0, n - take);
            short_ = true;
        }
        pos_ += take;
    }
    // The next n bytes where they lie, and moves past them; null (and
    // nothing moved) when fewer than n remain.
    const uint8_t *take(size_t n)
    {
        if (!fits(n))
            return nullptr;
        const uint8_t *at = data_ + pos_;
        pos_ += n;
        return at;
    }
    // A fixed-size, NUL-padded text field (a name of `n` bytes).
    std::string fixed_string(size_t n)
    {
        std::vector<char> buffer(n + 1, 0);
        bytes(buffer.data(), n);
        return std::string(buffer.data());
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    bool short_ = false;
};

class ByteWriter {
public:
    // Room for `n` bytes in all, so that a writer that knows its size
    // does not grow the buffer piece by piece.
    void reserve(size_t n)
    {
        out_.reserve(n);
        advise_huge_pages(out_.data() + out_.size(), out_.capacity() - out_.size());
    }
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v)
    {
        out_.push_back(static_cast<uint8_t>(v));
        out_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void bytes(const void *data, size_t n)
    {
        if (n == 0)
            return;
        // Not insert(): GCC 12 warns of an overflow that cannot happen when
        // insert() is inlined into a writer whose first bytes it adds.
        const size_t at = out_.size();
        out_.resize(at + n);
        std::memcpy(out_.data() + at, data, n);
    }
    // Appends n bytes by reference: they are read where they lie when the
    // writer is written to a file (or its data() asked for), so they must
    // stay alive and unchanged until then. Saves copying large pixel blocks
    // that go to the file as they are.
    void borrow(const void *data, size_t n);
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    // A NUL-padded text field of exactly n bytes (truncated if longer).
    void fixed_string(const std::string &text, size_t n)
    {
        const size_t take = text.size() < n ? text.size() : n;
        bytes(text.data(), take);
        zeros(n - take);
    }
    // Overwrites 4 bytes at an earlier offset (for sizes known afterwards).
    void patch_u32(size_t offset, uint32_t v);
    size_t size() const { return out_.size() + borrowed_; }
    // All the bytes in one buffer (borrowed ones copied in first).
    const std::vector<uint8_t> &data() const
    {
        flatten();
        return out_;
    }
    std::vector<uint8_t> &data()
    {
        flatten();
        return out_;
    }
    // Calls emit(pointer, size) for the bytes in order, borrowed ones where
    // they lie, without copying them together.
    template <class Emit>
    void pieces(Emit emit) const
    {
        size_t own = 0;
        for (const Piece &piece : pieces_) {
            if (piece.own_at > own)
                emit(out_.data() + own, piece.own_at - own);
            emit(piece.data, piece.size);
            own = piece.own_at;
        }
        if (out_.size() > own)
            emit(out_.data() + own, out_.size() - own);
    }

private:
    // A borrowed block: it follows the first own_at bytes of out_, and
    // borrowed_through counts it and all the borrowed bytes before it.
    struct Piece {
        size_t own_at;
        size_t borrowed_through;
        const uint8_t *data;
        size_t size;
    };
    void flatten() const;

    mutable std::vector<uint8_t> out_;
    mutable std::vector<Piece> pieces_;
    mutable size_t borrowed_ = 0;
};

// Width x height (x bytes per pixel) when both sides lie in 1..max_side and
// the product fits; 0 otherwise. Use before allocating from file sizes.
uint64_t checked_area(int64_t width, int64_t height, int64_t max_side = 16384, int64_t bytes_per_pixel = 1);

// The extension of a path's file name (from its last '.'), lower-cased;
// empty when the name has none.
std::string lower_extension(const char *path);

// The value of a hexadecimal digit, -1 for any other character.
inline int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a whole file (at most max_bytes). False, with errno set, on failure.
bool read_file(const char *path, std::vector<uint8_t> &out, size_t max_bytes = size_t(1) << 30);
// Writes a whole file through OutputFile: the old file is replaced only
// when every byte is on disk. False, with errno set, on failure.
bool write_file(const char *path, const void *data, size_t size);
// Writes all of `size` bytes to `fd` at its offset; false with errno (EIO
// when the system takes none).
bool write_whole(int fd, const void *data, size_t size);
// Copies `size` bytes of `in` from `offset` to `out` at its current offset,
// in the kernel where the file systems allow; false with errno (EIO when
// `in` ends early).
bool copy_bytes(int in, uint64_t offset, int out, uint64_t size);
inline bool write_file(const char *path, const std::vector<uint8_t> &bytes)
{
    return write_file(path, bytes.data(), bytes.size());
}
