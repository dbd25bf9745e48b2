// vorn-decode: decodes one image file with the image library and writes the
// frames to standard output (decode/decode_protocol.h).
//
// The image library overflows its buffers, crashes and hangs on damaged
// files, so the program never lets it decode a file in its own process. This
// one is started for each file, gives itself limits on memory and CPU time
// before it touches the file, and writes nothing but the pipe. Whatever
// happens to it here (a crash, a corrupted heap, a limit hit) ends with it.
//
//   vorn-decode [--palette-only] [--first-frame] MAX_SIDE BUDGET_BYTES MAX_PIXELS CPU_SECONDS PATH
//   vorn-decode --serve      (requests on standard input, see serve())
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <new>
#include <string>

#include <csignal>

#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <IL/il.h>

#include "decode/decode_protocol.h"
#include "decode/fd_passing.h"
#include "io/huge_pages.h"
#include "sniff/sniff.h"
#include "image/pixel_layout.h"

using namespace decode_protocol;

#if defined(__SANITIZE_ADDRESS__)
#define VORN_DECODE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_DECODE_ASAN 1
#endif
#endif

namespace {

uint64_t memory_allowance(const char *path, uint64_t budget, uint64_t max_pixels)
{
    struct stat info{};
    const uint64_t size = stat(path, &info) == 0 && info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return decode_protocol::memory_allowance(size, budget, max_pixels);
}

// The address-space limit set for this decode (0: none).
uint64_t memory_limit = 0;
// The largest allocation the library asked for and did not get: past the
// limit, the library's own "out of memory" is the truth.
uint64_t refused_allocation = 0;
// What the library's image memory is filled with before it writes to it.
// The library leaves pixels it has no data for as it found them: filled,
// they can only be the fill, never an earlier heap's bytes.
int image_fill = 0;
// Set when the library asked the file for bytes and got none: it has read
// everything the file holds and wanted more.
bool read_past_end = false;

bool write_all(const void *data, uint64_t size)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (size > 0) {
        const size_t chunk = size > (uint64_t(1) << 30) ? size_t(1) << 30 : static_cast<size_t>(size);
        const ssize_t n = write(STDOUT_FILENO, p, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<uint64_t>(n);
    }
    return true;
}

// This process's peak resident memory in KiB, as the kernel counts it for
// the image now running (VmHWM).
uint64_t own_peak_kib()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %llu kB", &kib) == 1)
            break;
    std::fclose(status);
    return kib;
}

int finish(StreamHeader header)
{
    if (header.status != DECODED)
        header.peak_kib = own_peak_kib();
    header.magic = MAGIC;
    header.version = VERSION;
    return write_all(&header, sizeof header) ? 0 : 1;
}

void limit(int resource, rlim_t value)
{
    struct rlimit l;
    l.rlim_cur = value;
    l.rlim_max = value;
    setrlimit(resource, &l);
}



// Binds frame i of the loaded chain; false when the chain has no such frame.
bool select_frame(ILuint image, ILuint i)
{
    ilBindImage(image);
    return i == 0 || ilActiveImage(i);
}

} // namespace

namespace {

// The library's own file reading, with a stdio buffer of 1 MiB instead of
// 4 KiB: the same reads in a few hundred times fewer system calls.
extern "C" {
void ILAPIENTRY iDefaultCloseR(ILHANDLE handle);
ILboolean ILAPIENTRY iDefaultEof(ILHANDLE handle);
ILint ILAPIENTRY iDefaultGetc(ILHANDLE handle);
ILint ILAPIENTRY iDefaultRead(void *buffer, ILuint size, ILuint count, ILHANDLE handle);
ILint ILAPIENTRY iDefaultRSeek(ILHANDLE handle, ILint offset, ILint mode);
ILint ILAPIENTRY iDefaultRTell(ILHANDLE handle);
}

// stdio takes the size of a buffer only with the buffer itself. A loader
// may have a few files open at once; one past these keeps stdio's buffer.
struct ReadBuffer {
    FILE *file;
    char *buffer;
};
ReadBuffer read_buffers[4] = {};
constexpr size_t READ_BUFFER_SIZE = size_t(1) << 20;

ILHANDLE ILAPIENTRY open_buffered(ILconst_string name)
{
    FILE *file = std::fopen(name, "rb");
    if (!file)
        return nullptr;
    for (ReadBuffer &slot : read_buffers) {
        if (slot.file)
            continue;
        slot.buffer = static_cast<char *>(std::malloc(READ_BUFFER_SIZE));
        if (slot.buffer && std::setvbuf(file, slot.buffer, _IOFBF, READ_BUFFER_SIZE) == 0) {
            slot.file = file;
        } else {
            std::free(slot.buffer);
            slot.buffer = nullptr;
        }
        break;
    }
    return file;
}

void ILAPIENTRY close_buffered(ILHANDLE handle)
{
    iDefaultCloseR(handle);
    for (ReadBuffer &slot : read_buffers) {
        if (slot.file && slot.file == handle) {
            std::free(slot.buffer);
            slot = ReadBuffer{};
        }
    }
}

// Every read of the library that comes back empty is noted.
ILint ILAPIENTRY counted_getc(ILHANDLE handle)
{
    const ILint c = iDefaultGetc(handle);
    if (c < 0)
        read_past_end = true;
    return c;
}

ILint ILAPIENTRY counted_read(void *buffer, ILuint size, ILuint count, ILHANDLE handle)
{
    const ILint n = iDefaultRead(buffer, size, count, handle);
    if (n <= 0 && size > 0 && count > 0)
        read_past_end = true;
    return n;
}

// Large images in memory advised for huge pages, for fewer page faults.
void *ILAPIENTRY image_alloc(const ILsizei size)
{
    const size_t bytes = size ? size : 1;
    void *data = std::malloc(bytes);
    if (!data) {
        if (bytes > refused_allocation)
            refused_allocation = bytes;
        return nullptr;
    }
    advise_huge_pages(data, bytes);
    std::memset(data, image_fill, bytes);
    return data;
}

void ILAPIENTRY image_free(const void *data) { std::free(const_cast<void *>(data)); }

void start_library()
{
    ilSetMemory(image_alloc, image_free);
    ilInit();
    ilSetRead(open_buffered, close_buffered, iDefaultEof, counted_getc, counted_read, iDefaultRSeek, iDefaultRTell);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ilDisable(IL_FORMAT_SET);
    ilDisable(IL_TYPE_SET);
}

// A regular file of `path` mapped for reading, whole; empty when it cannot
// be (missing, not a regular file, empty or past `largest` bytes).
class MappedFile {
public:
    MappedFile(const char *path, uint64_t largest)
    {
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat info{};
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0
            && static_cast<uint64_t>(info.st_size) <= largest) {
            void *mapped = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                data_ = static_cast<const uint8_t *>(mapped);
                size_ = static_cast<size_t>(info.st_size);
            }
        }
        close(fd);
    }
    ~MappedFile()
    {
        if (data_)
            munmap(const_cast<uint8_t *>(data_), size_);
    }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;
    const uint8_t *data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t *data_ = nullptr;
    size_t size_ = 0;
};

// The GIF `path` cut after its first image and closed with a trailer, in
// `prefix`; false when the file is no GIF with a complete first image, or
// holds nothing after it.
bool gif_first_image(const char *path, std::vector<uint8_t> &prefix)
{
    const MappedFile file(path, SIZE_MAX);
    if (!file.data())
        return false;
    const size_t length = gif_first_image_length(file.data(), file.size());
    const bool cut = length > 0 && length + 1 < file.size();
    if (cut) {
        prefix.assign(file.data(), file.data() + length);
        prefix.push_back(0x3B); // the trailer
    }
    return cut;
}

// The PNG chunks that ask a reader to change the stored colours (gamma,
// colour space, profile). The library's loader corrects for a gAMA chunk;
// Vorn keeps the values the file stores, as the paint programs and the
// engines do.
bool colour_chunk(const uint8_t *type)
{
    return std::memcmp(type, "gAMA", 4) == 0 || std::memcmp(type, "sRGB", 4) == 0
           || std::memcmp(type, "iCCP", 4) == 0 || std::memcmp(type, "cHRM", 4) == 0;
}

// Walks the whole chunks of a PNG of `size` bytes after its signature,
// calling `chunk(offset, bytes)` for each; returns where the walk stopped
// (the end, or a damaged chunk the library will report).
template <typename Visit> size_t walk_png_chunks(const uint8_t *data, size_t size, Visit chunk)
{
    size_t at = 8;
    while (at + 12 <= size) {
        const uint64_t length = (uint64_t(data[at]) << 24) | (uint64_t(data[at + 1]) << 16)
                                | (uint64_t(data[at + 2]) << 8) | uint64_t(data[at + 3]);
        const uint64_t whole = length + 12;
        if (whole > size - at)
            break;
        chunk(at, static_cast<size_t>(whole));
        at += static_cast<size_t>(whole);
    }
    return at;
}

// The PNG `path` without its colour chunks, in `kept`; false when the file
// is no PNG or has none of them (then it is loaded as it is).
bool png_without_colour_chunks(const char *path, std::vector<uint8_t> &kept)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const MappedFile file(path, INT32_MAX);
    const uint8_t *data = file.data();
    const size_t size = file.size();
    if (size <= 8 || std::memcmp(data, signature, 8) != 0)
        return false;
    bool dropped = false;
    walk_png_chunks(data, size, [&](size_t at, size_t) { dropped = dropped || colour_chunk(data + at + 4); });
    if (!dropped)
        return false;
    kept.assign(data, data + 8);
    const size_t end = walk_png_chunks(data, size, [&](size_t at, size_t bytes) {
        if (!colour_chunk(data + at + 4))
            kept.insert(kept.end(), data + at, data + at + bytes);
    });
    kept.insert(kept.end(), data + end, data + size);
    return true;
}

// Loads `path` into the bound image. For the first frame alone, a GIF is
// handed over without the frames after it, which are then never decoded.
bool load(const char *path, bool first_frame)
{
    std::vector<uint8_t> prefix;
    if (first_frame && ilTypeFromExt(path) == IL_GIF && gif_first_image(path, prefix)
        && prefix.size() <= UINT32_MAX)
        return ilLoadL(IL_GIF, prefix.data(), static_cast<ILuint>(prefix.size()));
    if (ilTypeFromExt(path) == IL_PNG && png_without_colour_chunks(path, prefix))
        return ilLoadL(IL_PNG, prefix.data(), static_cast<ILuint>(prefix.size()));
    return ilLoadImage(path);
}

// A fresh image in `image` (any earlier one deleted), bound, with `path`
// loaded into it with its image memory filled with `fill`.
bool load_fresh(ILuint &image, const char *path, bool first_frame, int fill)
{
    if (image)
        ilDeleteImages(1, &image);
    image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    image_fill = fill;
    refused_allocation = 0;
    read_past_end = false;
    const bool loaded = load(path, first_frame);
    // A load that succeeds with a read error pending has run out of file.
    if (loaded && ilGetError() == IL_FILE_READ_ERROR)
        read_past_end = true;
    return loaded;
}

// The bytes of frame i of the bound chain: width x height x depth x bytes
// per pixel, as checked before.
uint64_t frame_bytes()
{
    return static_cast<uint64_t>(ilGetInteger(IL_IMAGE_WIDTH)) * static_cast<uint64_t>(ilGetInteger(IL_IMAGE_HEIGHT))
           * static_cast<uint64_t>(ilGetInteger(IL_IMAGE_DEPTH))
           * (channels_of(ilGetInteger(IL_IMAGE_FORMAT)) * channel_size_of(ilGetInteger(IL_IMAGE_TYPE)));
}

// The library read past the end of the file and kept what it made of it:
// some pixels of `count` frames may be none the file gave. The file is
// decoded again with its image memory filled with other bytes; a byte that
// differs between the two was never written, and keeps the first decode's
// fill (zero). Returns DECODED, EMPTY_IMAGE (a frame has not one byte from
// the file, claim_frame says which) or OUT_OF_MEMORY.
uint32_t keep_written_pixels(ILuint &image, const char *path, bool first_frame, uint32_t count, StreamHeader &header)
{
    std::vector<std::vector<uint8_t>> zero_filled;
    try {
        zero_filled.resize(count);
        for (ILuint i = 0; i < count; ++i) {
            select_frame(image, i);
            const uint8_t *data = ilGetData();
            zero_filled[i].assign(data, data + frame_bytes());
        }
    } catch (const std::bad_alloc &) {
        header.claim_bytes = 0;
        return OUT_OF_MEMORY;
    }
    if (!load_fresh(image, path, first_frame, 0xFF)) {
        // Refused the second time: what the first decode gave came from
        // the fill, not from the file.
        header.claim_bytes = refused_allocation;
        header.claim_frame = 0;
        return refused_allocation ? OUT_OF_MEMORY : EMPTY_IMAGE;
    }
    for (ILuint i = 0; i < count; ++i) {
        if (!select_frame(image, i) || frame_bytes() != zero_filled[i].size() || !ilGetData())
            return EMPTY_IMAGE; // the second decode does not repeat the first: nothing is trusted
        uint8_t *data = ilGetData();
        const std::vector<uint8_t> &first = zero_filled[i];
        bool written = false;
        for (size_t b = 0; b < first.size(); ++b) {
            if (first[b] == data[b])
                written = true;
            else
                data[b] = first[b];
        }
        if (!written) {
            header.claim_frame = i;
            header.claim_width = ilGetInteger(IL_IMAGE_WIDTH);
            header.claim_height = ilGetInteger(IL_IMAGE_HEIGHT);
            return EMPTY_IMAGE;
        }
    }
    return DECODED;
}

// Decodes `path` and writes the stream to standard output. The library is
// started and the limits are set.
int decode(uint32_t flags, long long max_side, uint64_t budget, uint64_t max_pixels, const char *path)
{
    const bool palette_only = (flags & PALETTE_ONLY) != 0;
    const bool first_frame = (flags & FIRST_FRAME) != 0;
    StreamHeader header{};
    header.memory_limit = memory_limit;
    ILuint image = 0;
    if (!load_fresh(image, path, first_frame, 0)) {
        const ILenum error = ilGetError();
        header.error_code = static_cast<uint32_t>(error);
        if (refused_allocation) {
            header.status = OUT_OF_MEMORY;
            header.claim_bytes = refused_allocation;
        } else if (error == IL_OUT_OF_MEMORY || error == IL_NO_ERROR) {
            header.status = DAMAGED;
        } else {
            header.status = LIBRARY_ERROR;
        }
        return finish(header);
    }

    // Check every frame before anything is sent: a refusal must reach the
    // program before any pixels do.
    const ILint following = ilGetInteger(IL_NUM_IMAGES);
    uint32_t count = 0;
    uint64_t total = 0;
    for (ILuint i = 0; i < MAX_FRAMES; ++i) {
        if ((flags & (PALETTE_ONLY | FIRST_FRAME)) && i > 0)
            break;
        if (i > 0 && static_cast<ILint>(i) > following)
            break;
        if (!select_frame(image, i))
            break;
        const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
        const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
        const ILint d = ilGetInteger(IL_IMAGE_DEPTH);
        header.claim_frame = i;
        header.claim_width = w;
        header.claim_height = h;
        if (w < 1 || h < 1 || w > max_side || h > max_side || d < 1 || d > max_side) {
            header.status = BAD_SIDE;
            return finish(header);
        }
        if (static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * static_cast<uint64_t>(d) > max_pixels) {
            header.status = TOO_MANY_PIXELS;
            return finish(header);
        }
        const uint32_t bpp = channels_of(ilGetInteger(IL_IMAGE_FORMAT)) * channel_size_of(ilGetInteger(IL_IMAGE_TYPE));
        const uint64_t bytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * static_cast<uint64_t>(d) * bpp;
        const ILint held = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
        if (!ilGetData() || held < 0 || (bpp != 0 && static_cast<uint64_t>(held) < bytes)) {
            header.status = refused_allocation ? OUT_OF_MEMORY : NO_PIXELS;
            header.claim_bytes = refused_allocation ? refused_allocation
                                 : bytes                ? bytes
                                                        : static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
            return finish(header);
        }
        if (bpp == 0 || static_cast<ILint>(bpp) != ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL)) {
            header.status = BAD_LAYOUT;
            return finish(header);
        }
        total += bytes;
        if (!palette_only && total > budget) {
            header.status = OVER_BUDGET;
            header.claim_bytes = total;
            return finish(header);
        }
        ++count;
    }
    if (read_past_end && !palette_only) {
        header.status = keep_written_pixels(image, path, first_frame, count, header);
        if (header.status != DECODED)
            return finish(header);
    }

    header.status = DECODED;
    header.frame_count = count;
    header.claim_frame = 0;
    header.claim_width = 0;
    header.claim_height = 0;
    if (finish(header) != 0)
        return 1;
    for (ILuint i = 0; i < count; ++i) {
        select_frame(image, i);
        FrameHeader frame{};
        frame.width = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_WIDTH));
        frame.height = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT));
        frame.depth = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_DEPTH));
        frame.format = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
        frame.type = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_TYPE));
        frame.bytes_per_pixel = channels_of(static_cast<ILint>(frame.format))
                                * channel_size_of(static_cast<ILint>(frame.type));
        frame.origin = static_cast<uint32_t>(ilGetInteger(IL_IMAGE_ORIGIN));
        frame.duration = ilGetInteger(IL_IMAGE_DURATION);
        const uint8_t *palette = nullptr;
        if (frame.format == IL_COLOUR_INDEX) {
            const ILint entry = ilGetInteger(IL_PALETTE_BPP);
            const ILint entries = ilGetInteger(IL_PALETTE_NUM_COLS);
            palette = ilGetPalette();
            if (palette && (entry == 3 || entry == 4) && entries > 0) {
                const ILint kept = entries < 256 ? entries : 256;
                frame.palette_type = static_cast<uint32_t>(ilGetInteger(IL_PALETTE_TYPE));
                frame.palette_bytes = static_cast<uint32_t>(kept * entry);
            }
        }
        frame.data_bytes = palette_only ? 0
                                        : uint64_t(frame.width) * frame.height * frame.depth * frame.bytes_per_pixel;
        if (!write_all(&frame, sizeof frame) || (frame.palette_bytes && !write_all(palette, frame.palette_bytes))
            || (frame.data_bytes && !write_all(ilGetData(), frame.data_bytes)))
            return 1;
    }
    const uint64_t peak = own_peak_kib();
    return write_all(&peak, sizeof peak) ? 0 : 1;
}

// Sets the limits of a process about to decode `path`.
void set_limits(const char *path, uint64_t budget, uint64_t max_pixels, long long cpu_seconds)
{
    memory_limit = memory_allowance(path, budget, max_pixels);
#ifndef VORN_DECODE_ASAN
    limit(RLIMIT_AS, static_cast<rlim_t>(memory_limit));
#endif
    limit(RLIMIT_CPU, static_cast<rlim_t>(cpu_seconds));
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_FSIZE, 0);
}

// Server mode. Standard input is a sequenced-packet socket to the program.
// For each request (decode_protocol::ServeRequest, with the write end of the
// stream's pipe attached), a fresh fork of this clean, single-threaded
// process sets its limits, decodes the one file into the pipe and ends; the
// server itself never decodes anything, so no file can damage it. Starting
// a decoder then costs a fork instead of loading the library again.
[[maybe_unused]] int serve()
{
    signal(SIGPIPE, SIG_IGN);
    start_library();
    const ServeReply hello{MAGIC, 0, 0, 0};
    if (send(STDIN_FILENO, &hello, sizeof hello, MSG_NOSIGNAL) != sizeof hello)
        return 1;
    for (;;) {
        ServeRequest request{};
        int stream = -1;
        const ssize_t n = receive_with_fd(STDIN_FILENO, &request, sizeof request, stream);
        if (n == 0) {
            if (stream >= 0)
                close(stream);
            return 0; // the program has gone
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 1;
        request.path[sizeof request.path - 1] = '\0';
        if (stream < 0 || n != static_cast<ssize_t>(sizeof request) || request.magic != MAGIC || request.max_side < 1
            || request.cpu_seconds < 1 || request.max_pixels < 1) {
            if (stream >= 0)
                close(stream);
            const ServeReply refused{MAGIC, -1, 0, 0};
            send(STDIN_FILENO, &refused, sizeof refused, MSG_NOSIGNAL);
            continue;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGPIPE, SIG_DFL);
            dup2(stream, STDOUT_FILENO);
            close(stream);
            close(STDIN_FILENO);
            set_limits(request.path, request.budget, request.max_pixels, request.cpu_seconds);
            _exit(decode(request.flags, request.max_side, request.budget, request.max_pixels, request.path));
        }
        close(stream);
        const ServeReply started{MAGIC, pid, 0, 0};
        send(STDIN_FILENO, &started, sizeof started, MSG_NOSIGNAL);
        if (pid < 0)
            continue;
        int status = 0;
        rusage usage{};
        while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        const ServeReply ended{MAGIC, pid, status, static_cast<int64_t>(usage.ru_maxrss)};
        send(STDIN_FILENO, &ended, sizeof ended, MSG_NOSIGNAL);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--serve") == 0) {
#ifdef VORN_DECODE_ASAN
        // Under the sanitizer each decode needs allocator options of its
        // own, which only a fresh start gives: no server.
        return 3;
#else
        return serve();
#endif
    }
    uint32_t flags = 0;
    int arg = 1;
    for (; arg < argc; ++arg) {
        if (std::strcmp(argv[arg], "--palette-only") == 0)
            flags |= PALETTE_ONLY;
        else if (std::strcmp(argv[arg], "--first-frame") == 0)
            flags |= FIRST_FRAME;
        else
            break;
    }
    if (argc - arg != 5)
        return 2;
    const long long max_side = std::atoll(argv[arg]);
    const unsigned long long budget = std::strtoull(argv[arg + 1], nullptr, 10);
    const unsigned long long max_pixels = std::strtoull(argv[arg + 2], nullptr, 10);
    const long long cpu_seconds = std::atoll(argv[arg + 3]);
    const char *path = argv[arg + 4];
    if (max_side < 1 || cpu_seconds < 1 || max_pixels < 1)
        return 2;

    // Limits first, before the library or the file is touched.
#ifdef VORN_DECODE_ASAN
    // The sanitizer reserves terabytes of address space, so an address-space
    // limit cannot apply; its allocator is told to refuse large requests
    // instead, which takes a fresh start with the option set.
    if (!std::getenv("VORN_DECODE_LIMITED")) {
        const uint64_t memory = memory_allowance(path, budget, max_pixels);
        const char *given = std::getenv("ASAN_OPTIONS");
        std::string options = given ? std::string(given) + ":" : std::string();
        options += "allocator_may_return_null=1:detect_leaks=0:max_allocation_size_mb="
                   + std::to_string((memory - BASE_MEMORY) / 3 * 2 / (uint64_t(1) << 20) + 16);
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        setenv("VORN_DECODE_LIMITED", "1", 1);
        execv("/proc/self/exe", argv);
        return 2;
    }
#endif
    set_limits(path, budget, max_pixels, cpu_seconds);
    start_library();
    return decode(flags, max_side, budget, max_pixels, path);
}
