#include "decode/child_decode.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <cstdio>
#include <new>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include "io/byte_io.h"
#include "decode/fd_passing.h"
#include "image/pixel_layout.h"
#include "sniff/sniff.h"
#include "platform/platform.h"

extern char **environ;

using namespace decode_protocol;

namespace {

constexpr uint64_t TIMEOUT_BASE_MS = 1500;
constexpr uint64_t TIMEOUT_PER_MIB_MS = 1000;
std::atomic<unsigned long> started{0};
std::atomic<long> largest_peak_kib{0};
std::atomic<bool> server_wanted{true};
std::mutex path_mutex;
std::string decoder_override;

constexpr unsigned MAX_TIMEOUT_MS = 600000;

int64_t now_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Reads exactly `size` bytes from the pipe before `deadline`.
enum class ReadStatus { Done, Ended, Late };

ReadStatus read_exact(int fd, void *out, uint64_t size, int64_t deadline)
{
    auto *p = static_cast<uint8_t *>(out);
    while (size > 0) {
        const int64_t left = deadline - now_ms();
        if (left <= 0)
            return ReadStatus::Late;
        pollfd pfd{fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left > INT_MAX ? INT_MAX : left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return ReadStatus::Ended;
        if (ready == 0)
            return ReadStatus::Late;
        const size_t chunk = size > (uint64_t(1) << 30) ? size_t(1) << 30 : static_cast<size_t>(size);
        const ssize_t n = read(fd, p, chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return ReadStatus::Ended;
        p += n;
        size -= static_cast<uint64_t>(n);
    }
    return ReadStatus::Done;
}



uint32_t palette_entry_size(uint32_t type)
{
    switch (type) {
    case IL_PAL_RGB24:
    case IL_PAL_BGR24: return 3;
    case IL_PAL_RGB32:
    case IL_PAL_RGBA32:
    case IL_PAL_BGR32:
    case IL_PAL_BGRA32: return 4;
    default: return 0;
    }
}

// Checks one frame record against the request; false when it cannot be built.
bool frame_is_sound(const FrameHeader &f, const DecodeRequest &request)
{
    const auto side_ok = [&](uint32_t side) { return side >= 1 && side <= static_cast<uint32_t>(request.max_side); };
    if (!side_ok(f.width) || !side_ok(f.height) || !side_ok(f.depth))
        return false;
    const uint32_t bpp = channels_of(f.format) * channel_size_of(f.type);
    if (bpp == 0 || bpp != f.bytes_per_pixel)
        return false;
    if (f.origin != IL_ORIGIN_UPPER_LEFT && f.origin != IL_ORIGIN_LOWER_LEFT)
        return false;
    if (f.format == IL_COLOUR_INDEX && f.type != IL_UNSIGNED_BYTE)
        return false;
    if (f.palette_bytes) {
        const uint32_t entry = palette_entry_size(f.palette_type);
        if (f.format != IL_COLOUR_INDEX || entry == 0 || f.palette_bytes % entry != 0
            || f.palette_bytes > MAX_PALETTE_BYTES)
            return false;
    }
    const uint64_t bytes = uint64_t(f.width) * f.height * f.depth * bpp;
    return request.palette_only ? f.data_bytes == 0 : f.data_bytes == bytes;
}

std::string folder_of_executable()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return ".";
    buffer[n] = '\0';
    char *slash = std::strrchr(buffer, '/');
    if (!slash)
        return ".";
    *slash = '\0';
    return buffer;
}

struct Child {
    pid_t pid = -1;
    int fd = -1;
    bool served = false; // started by the decode server, which reaps it
};

// Starts `args` with standard input on `input` (or /dev/null when -1),
// standard output on `output` and standard error nowhere; -1 on failure with
// the reason in `detail`.
pid_t spawn_program(const std::vector<std::string> &args, int input, int output, std::string &detail)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The program's own signal handlers and blocked signals stay here.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        detail = std::strerror(failed);
        return -1;
    }
    return pid;
}

// A pipe for one decode's stream: the read end stays here.
bool make_stream_pipe(int fds[2], std::string &detail)
{
    if (pipe2(fds, O_CLOEXEC) != 0) {
        detail = std::strerror(errno);
        return false;
    }
    // A larger pipe means fewer switches between the two processes.
    fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);
    return true;
}

// Starts the decoder program for one file with its output on a pipe.
bool start_child(const std::vector<std::string> &args, Child &child, std::string &detail)
{
    int fds[2];
    if (!make_stream_pipe(fds, detail))
        return false;
    const pid_t pid = spawn_program(args, -1, fds[1], detail);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    child.pid = pid;
    child.fd = fds[0];
    return true;
}

// Waits up to `ms` for one packet of exactly `size` bytes on the socket.
bool receive_packet(int sock, void *out, size_t size, int ms)
{
    const int64_t deadline = now_ms() + ms;
    for (;;) {
        const int64_t left = deadline - now_ms();
        if (left <= 0)
            return false;
        pollfd pfd{sock, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = recv(sock, out, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n == static_cast<ssize_t>(size);
    }
}

// The decode server (vorn-decode --serve), started once and asked for a
// fresh decoder per file: a fork of a process that has the library loaded
// already costs far less than starting the program again. Where it cannot
// run (the sanitizer build) every decode starts the program itself.
struct DecodeServer {
    std::mutex mutex; // one conversation at a time
    pid_t pid = -1;
    int sock = -1;
    std::string program;
    bool refused = false; // the program does not serve: do not ask again
    bool asked = false;   // a decode has been asked for in this process

    void stop()
    {
        if (sock >= 0)
            close(sock);
        sock = -1;
        if (pid > 0) {
            kill(pid, SIGKILL);
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        pid = -1;
    }

    bool ready(const std::string &wanted)
    {
        if (wanted != program) {
            stop();
            program = wanted;
            refused = false;
        }
        if (sock >= 0)
            return true;
        if (refused)
            return false;
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
            return false;
        std::string detail;
        pid = spawn_program({program, "--serve"}, pair[1], -1, detail);
        close(pair[1]);
        sock = pair[0];
        ServeReply hello{};
        if (pid < 0 || !receive_packet(sock, &hello, sizeof hello, 5000) || hello.magic != MAGIC) {
            stop();
            refused = true;
            return false;
        }
        return true;
    }

    // Asks for a decoder of `path`; false when the server cannot give one
    // (the server is then stopped, and the caller starts the program).
    bool start(const DecodeRequest &request, unsigned cpu_seconds, const char *path, Child &child)
    {
        ServeRequest packet{};
        if (std::strlen(path) >= sizeof packet.path)
            return false;
        packet.magic = MAGIC;
        packet.flags = (request.palette_only ? PALETTE_ONLY : 0) | (request.first_frame_only ? FIRST_FRAME : 0);
        packet.max_side = request.max_side;
        packet.cpu_seconds = cpu_seconds;
        packet.budget = request.budget;
        packet.max_pixels = request.max_pixels;
        std::strcpy(packet.path, path);
        int fds[2];
        std::string detail;
        if (!make_stream_pipe(fds, detail))
            return false;
        const bool sent = send_with_fd(sock, &packet, sizeof packet, fds[1]);
        close(fds[1]);
        ServeReply reply{};
        if (!sent || !receive_packet(sock, &reply, sizeof reply, 5000) || reply.magic != MAGIC || reply.pid <= 0) {
            close(fds[0]);
            stop();
            return false;
        }
        child.pid = reply.pid;
        child.fd = fds[0];
        child.served = true;
        return true;
    }

    // The end of a served decoder: its wait status and the kernel's count of
    // its peak memory. False when the server does not say (it is stopped).
    bool ended(pid_t decoder, int &status, long &peak_kib)
    {
        ServeReply reply{};
        if (!receive_packet(sock, &reply, sizeof reply, 10000) || reply.magic != MAGIC || reply.pid != decoder) {
            stop();
            return false;
        }
        status = reply.status;
        peak_kib = static_cast<long>(reply.peak_kib);
        return true;
    }
};

DecodeServer &server()
{
    static DecodeServer instance;
    return instance;
}

// The peak resident memory of a running child, in KiB (VmHWM).
long running_peak_kib(pid_t pid)
{
    const std::string name = "/proc/" + std::to_string(pid) + "/status";
    FILE *status = std::fopen(name.c_str(), "r");
    if (!status)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    std::fclose(status);
    return kib;
}

// Ends the child (killing it when `kill_first`) and returns whether it exited
// normally with status 0. Its peak memory goes to `peak_kib`: what it
// reported itself (`reported_kib`), else what it had when it was killed, else
// the kernel's count, which also covers the parent's memory it shared until
// it started the decoder.
bool finish_child(Child &child, bool kill_first, long &peak_kib, long reported_kib = 0)
{
    if (child.fd >= 0)
        close(child.fd);
    child.fd = -1;
    if (child.pid < 0)
        return false;
    long measured = reported_kib;
    if (kill_first) {
        if (measured <= 0)
            measured = running_peak_kib(child.pid);
        kill(child.pid, SIGKILL);
    }
    int status = 0;
    long counted = 0;
    if (child.served) {
        const bool told = server().ended(child.pid, status, counted);
        child.pid = -1;
        if (!told)
            return false;
    } else {
        rusage usage{};
        pid_t waited;
        do {
            waited = wait4(child.pid, &status, 0, &usage);
        } while (waited < 0 && errno == EINTR);
        child.pid = -1;
        if (waited < 0)
            return false;
        counted = usage.ru_maxrss;
    }
    peak_kib = measured > 0 ? measured : counted;
    long seen = largest_peak_kib;
    while (peak_kib > seen && !largest_peak_kib.compare_exchange_weak(seen, peak_kib)) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void run(const char *path, const DecodeRequest &request, FrameSink *sink, DecodeResult &result)
{
    struct stat info{};
    const uint64_t file_size = stat(path, &info) == 0 && info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    result.timeout_ms = decode_timeout_ms(file_size);
    result.file_size = file_size;
    result.budget = request.budget;
    result.max_pixels = request.max_pixels;
    result.memory_limit = memory_allowance(file_size, request.budget, request.max_pixels);
    // An empty file is no image of any format; some of the library's
    // loaders make a one-pixel image of nothing.
    if (file_size == 0 && S_ISREG(info.st_mode)) {
        result.outcome = DecodeOutcome::EmptyFile;
        result.claim_frame = UINT32_MAX;
        return;
    }

    const std::vector<std::string> args = [&] {
        std::vector<std::string> a{decoder_path()};
        if (request.palette_only)
            a.emplace_back("--palette-only");
        if (request.first_frame_only)
            a.emplace_back("--first-frame");
        a.push_back(std::to_string(request.max_side));
        a.push_back(std::to_string(request.budget));
        a.push_back(std::to_string(request.max_pixels));
        a.push_back(std::to_string(result.timeout_ms / 1000 + 1)); // CPU seconds
        a.emplace_back(path);
        return a;
    }();
    const unsigned cpu_seconds = result.timeout_ms / 1000 + 1;
    Child child;
    DecodeServer &decoders = server();
    std::lock_guard<std::mutex> one_at_a_time(decoders.mutex);
    // The first decode starts the program itself: a process that decodes
    // one file (a conversion) would only add the server's start and its
    // messages. The server comes with the second.
    const bool first = !decoders.asked;
    decoders.asked = true;
    const bool served =
        server_wanted && !first && decoders.ready(args[0]) && decoders.start(request, cpu_seconds, path, child);
    if (!served && !start_child(args, child, result.detail)) {
        result.outcome = DecodeOutcome::Unavailable;
        return;
    }
    ++started;
    const int64_t deadline = now_ms() + result.timeout_ms;

    // The outcome when the stream stops: late means hanging, anything else
    // a child that died or lied.
    auto stopped = [&](ReadStatus status) {
        finish_child(child, true, result.peak_kib);
        result.frames.clear();
        result.outcome = status == ReadStatus::Late ? DecodeOutcome::TimedOut : DecodeOutcome::Crashed;
    };

    StreamHeader header{};
    ReadStatus status = read_exact(child.fd, &header, sizeof header, deadline);
    if (status != ReadStatus::Done)
        return stopped(status);
    if (header.magic != MAGIC || header.version != VERSION)
        return stopped(ReadStatus::Ended);
    result.error_code = header.error_code;
    result.claim_frame = header.claim_frame;
    result.claim_width = header.claim_width;
    result.claim_height = header.claim_height;
    result.claim_bytes = header.claim_bytes;
    if (header.memory_limit)
        result.memory_limit = header.memory_limit;
    switch (header.status) {
    case DECODED: break;
    case LIBRARY_ERROR: result.outcome = DecodeOutcome::LibraryError; break;
    case BAD_SIDE: result.outcome = DecodeOutcome::BadSide; break;
    case OVER_BUDGET: result.outcome = DecodeOutcome::OverBudget; break;
    case NO_PIXELS: result.outcome = DecodeOutcome::TooLargeForFile; break;
    case TOO_MANY_PIXELS: result.outcome = DecodeOutcome::TooManyPixels; break;
    case OUT_OF_MEMORY: result.outcome = DecodeOutcome::OverMemoryLimit; break;
    case EMPTY_IMAGE: result.outcome = DecodeOutcome::EmptyFile; break;
    case DAMAGED: result.outcome = DecodeOutcome::Damaged; break;
    default: result.outcome = DecodeOutcome::BadLayout; break;
    }
    if (header.status != DECODED) {
        finish_child(child, false, result.peak_kib, static_cast<long>(header.peak_kib));
        return;
    }
    if (header.frame_count < 1 || header.frame_count > MAX_FRAMES
        || (header.frame_count > 1 && (request.first_frame_only || request.palette_only))) {
        finish_child(child, true, result.peak_kib);
        result.outcome = DecodeOutcome::BadLayout;
        return;
    }

    uint64_t total = 0;
    for (uint32_t i = 0; i < header.frame_count; ++i) {
        DecodedFrame frame;
        status = read_exact(child.fd, &frame.head, sizeof frame.head, deadline);
        if (status != ReadStatus::Done)
            return stopped(status);
        const FrameHeader &f = frame.head;
        if (!frame_is_sound(f, request) || f.data_bytes > request.budget - total) {
            finish_child(child, true, result.peak_kib);
            result.frames.clear();
            result.outcome = DecodeOutcome::BadLayout;
            result.claim_frame = i;
            return;
        }
        total += f.data_bytes;
        frame.palette.resize(f.palette_bytes);
        if ((status = read_exact(child.fd, frame.palette.data(), frame.palette.size(), deadline)) != ReadStatus::Done)
            return stopped(status);
        uint8_t *pixels = nullptr;
        if (f.data_bytes == 0) {
        } else if (sink) {
            pixels = sink->pixels_for(i, frame);
            if (!pixels) {
                finish_child(child, true, result.peak_kib);
                result.frames.clear();
                result.outcome = DecodeOutcome::OutOfMemory;
                return;
            }
        } else {
            frame.pixels.resize(static_cast<size_t>(f.data_bytes));
            pixels = frame.pixels.data();
        }
        if ((status = read_exact(child.fd, pixels, f.data_bytes, deadline)) != ReadStatus::Done)
            return stopped(status);
        result.frames.push_back(std::move(frame));
    }
    uint64_t reported_peak = 0;
    if ((status = read_exact(child.fd, &reported_peak, sizeof reported_peak, deadline)) != ReadStatus::Done)
        return stopped(status);
    // Everything announced has arrived; a decoder that then fails to end
    // cleanly (a crash on its way out) still gave a complete, checked answer,
    // but one from a damaged run: it is not used.
    if (!finish_child(child, false, result.peak_kib, static_cast<long>(reported_peak))) {
        result.frames.clear();
        result.outcome = DecodeOutcome::Crashed;
        return;
    }
    result.outcome = DecodeOutcome::Decoded;
}

} // namespace

DecodeResult decode_in_child(const char *path, const DecodeRequest &request, FrameSink *sink)
{
    // A decode is no failing system call of the caller's: the errors of
    // its own calls (a pipe size refused, a child killed) must not be
    // reported later as the cause of something else.
    const int saved_errno = errno;
    DecodeResult result;
    try {
        run(path, request, sink, result);
    } catch (const std::bad_alloc &) {
        result.frames.clear();
        result.frames.shrink_to_fit();
        result.outcome = DecodeOutcome::OutOfMemory;
    } catch (const std::exception &) {
        result.frames.clear();
        result.outcome = DecodeOutcome::BadLayout;
    }
    errno = saved_errno;
    return result;
}

std::string decode_failure_text(const char *path, const DecodeResult &r)
{
    switch (r.outcome) {
    case DecodeOutcome::Decoded: return {};
    case DecodeOutcome::LibraryError: {
        // The library's texts for a file it does not recognise speak of
        // extensions and headers; say what it means.
        const ILenum code = static_cast<ILenum>(r.error_code);
        if (code == IL_INVALID_EXTENSION || code == IL_FORMAT_NOT_SUPPORTED || code == IL_INVALID_FILE_HEADER)
            return format_text("Error Encountered: %s is not an image of a format Vorn can read", path);
        const char *text = iluErrorString(code);
        return format_text("Error Encountered: %s (%s)", text && *text ? text : "the file cannot be read", path);
    }
    case DecodeOutcome::BadSide:
        return format_text("Cannot read %s: image %u claims %ix%i pixels; images may be 1 to %i pixels a side", path,
                           r.claim_frame + 1, r.claim_width, r.claim_height, GENERIC_MAX_SIDE);
    case DecodeOutcome::OverBudget:
        return format_text("Cannot read %s: its images claim %s of pixel data (up to image %u, %ix%i pixels); the "
                           "limit is %s",
                           path, size_text(r.claim_bytes).c_str(), r.claim_frame + 1, r.claim_width, r.claim_height,
                           size_text(r.budget).c_str());
    case DecodeOutcome::TooLargeForFile:
        return format_text("Cannot read %s: image %u claims %ix%i pixels (%s), far more than a file of %s can hold",
                           path, r.claim_frame + 1, r.claim_width, r.claim_height, size_text(r.claim_bytes).c_str(),
                           size_text(r.file_size).c_str());
    case DecodeOutcome::BadLayout:
        return format_text("Cannot read %s: image %u has a size or pixel layout that cannot be used", path,
                           r.claim_frame + 1);
    case DecodeOutcome::Crashed:
        // A decoder that dies close to its memory limit ran into it.
        if (r.memory_limit && r.peak_kib > 0 && static_cast<uint64_t>(r.peak_kib) * 1024 > r.memory_limit / 4 * 3)
            return format_text("Cannot read %s: decoding it needs more than the decoder's memory limit of %s; %s",
                               path, size_text(r.memory_limit).c_str(), max_pixels_advice().c_str());
        return format_text("Error Encountered: %s is damaged or not an image that can be read", path);
    case DecodeOutcome::TimedOut:
        return format_text("Cannot read %s: decoding it took longer than %.1f seconds; the file is damaged or "
                           "claims far more than it holds",
                           path, r.timeout_ms / 1000.0);
    case DecodeOutcome::Unavailable:
        return format_text("Cannot read %s: the image decoder %s could not be started (%s)", path,
                           decoder_path().c_str(), r.detail.c_str());
    case DecodeOutcome::OutOfMemory: return format_text("Cannot read %s: not enough memory for its images", path);
    case DecodeOutcome::TooManyPixels:
        return format_text("Cannot read %s: image %u has %ix%i pixels; %s", path, r.claim_frame + 1, r.claim_width,
                           r.claim_height, max_pixels_advice().c_str());
    case DecodeOutcome::OverMemoryLimit:
        if (r.claim_bytes)
            return format_text("Cannot read %s: decoding it asked for %s at once, past the decoder's memory limit "
                               "of %s; %s",
                               path, size_text(r.claim_bytes).c_str(), size_text(r.memory_limit).c_str(),
                               max_pixels_advice().c_str());
        return format_text("Cannot read %s: decoding it needs more than the decoder's memory limit of %s; %s", path,
                           size_text(r.memory_limit).c_str(), max_pixels_advice().c_str());
    case DecodeOutcome::EmptyFile:
        if (r.claim_frame == UINT32_MAX)
            return format_text("Cannot read %s: the file is empty", path);
        return format_text("Cannot read %s: the file ends before the pixel data of image %u (it is truncated or "
                           "holds a header alone)",
                           path, r.claim_frame + 1);
    case DecodeOutcome::Damaged:
        return format_text("Cannot read %s: it is damaged (its header is incomplete or claims what it cannot hold)",
                           path);
    }
    return {};
}

namespace {

// The image of an icon or cursor directory that says the least sensible
// size: a side below 1 first, else the most pixels. An icon of no entries
// claims 0x0.
void icon_claimed_size(FILE *file, unsigned count, int64_t &width, int64_t &height)
{
    width = 0;
    height = 0;
    bool found = false;
    for (unsigned i = 0; i < count && i < 256; ++i) {
        uint8_t entry[16] = {};
        if (std::fseek(file, static_cast<long>(6 + 16 * i), SEEK_SET) != 0
            || std::fread(entry, 1, sizeof entry, file) != sizeof entry)
            break;
        const uint32_t offset = sniff_icon_entry_offset(ByteReader(entry, sizeof entry));
        uint8_t h[24] = {};
        if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0 || std::fread(h, 1, sizeof h, file) != sizeof h)
            continue;
        int64_t w = 0, hh = 0;
        if (!sniff_icon_image_size(ByteReader(h, sizeof h), w, hh))
            continue;
        // An impossible entry stays the claim once found.
        const bool impossible = found && (width < 1 || height < 1);
        if (!impossible && (!found || w < 1 || hh < 1 || w * hh > width * height)) {
            width = w;
            height = hh;
        }
        found = true;
    }
}

} // namespace

bool claimed_size(const char *path, int64_t &width, int64_t &height)
{
    uint8_t head[512] = {};
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    const size_t n = std::fread(head, 1, sizeof head, file);
    const std::string extension = lower_extension(path);
    if (n >= 6 && (extension == ".ico" || extension == ".cur")) {
        unsigned count = 0;
        const bool icon = sniff_icon_directory(ByteReader(head, n), count);
        if (icon)
            icon_claimed_size(file, count, width, height);
        std::fclose(file);
        return icon;
    }
    std::fclose(file);
    return sniff_claimed_size(ByteReader(head, n), extension, width, height);
}

std::string claim_refusal_text(const char *path, int64_t width, int64_t height, int32_t max_side)
{
    if (width < 1 || height < 1 || width > max_side || height > max_side)
        return format_text("Cannot read %s: it claims an image of %lldx%lld pixels; images may be 1 to %i pixels a "
                           "side",
                           path, static_cast<long long>(width), static_cast<long long>(height), max_side);
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > max_image_pixels())
        return format_text("Cannot read %s: it claims an image of %lldx%lld pixels; %s", path,
                           static_cast<long long>(width), static_cast<long long>(height),
                           max_pixels_advice().c_str());
    return {};
}

std::string decoder_path()
{
    {
        std::lock_guard<std::mutex> lock(path_mutex);
        if (!decoder_override.empty())
            return decoder_override;
    }
    static const std::string beside = folder_of_executable() + "/vorn-decode";
    return beside;
}

void set_decoder_path(const std::string &path)
{
    std::lock_guard<std::mutex> lock(path_mutex);
    decoder_override = path;
}

unsigned decode_timeout_ms(uint64_t file_size)
{
    const uint64_t ms = TIMEOUT_BASE_MS + (file_size >> 20) * TIMEOUT_PER_MIB_MS
                        + ((file_size & ((1u << 20) - 1)) * TIMEOUT_PER_MIB_MS >> 20);
    return ms > MAX_TIMEOUT_MS ? MAX_TIMEOUT_MS : static_cast<unsigned>(ms);
}

unsigned long decodes_started() { return started; }

long decoder_peak_kib() { return largest_peak_kib; }
void reset_decoder_peak() { largest_peak_kib = 0; }

void use_decode_server(bool on) { server_wanted = on; }
