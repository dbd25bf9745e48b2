// Decoding untrusted image files outside the program.
//
// The image library overflows its heap, crashes or hangs on damaged files,
// and a child that survives a load proves nothing (the heap it corrupted
// dies with it). So the program never lets the library decode a file in its
// own process: each file goes to a decoder process of its own, with limits
// on its address space and CPU time and a time-out that grows with the
// file's size. It sends the decoded frames back over a pipe, and the program
// builds its images from that data after checking every size again.
//
// The decoder is `vorn-decode`, a small program beside the executables. It
// is started once with posix_spawn as a server (`--serve`, single-threaded,
// never decoding anything itself) that forks a fresh decoder for each file;
// where the server cannot run, each file gets `vorn-decode` started for it
// alone. The program itself never forks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/decode_protocol.h"
#include "image/image_limits.h"

enum class DecodeOutcome {
    Decoded,      // frames holds what the file gave
    LibraryError, // the library refused the file (error_code)
    BadSide,      // a frame's side lies outside the limit (claim_*)
    OverBudget,   // the frames need more than the budget (claim_bytes)
    TooLargeForFile, // the claim exceeds the memory the file's size allows
    BadLayout,    // the decoder's answer describes frames that cannot be
                  // built, or ends early
    Crashed,      // the decoder died or hit a limit
    TimedOut,     // the decoder took longer than the time-out
    Unavailable,  // the decoder could not be started
    OutOfMemory,  // the program could not take the frames in
    TooManyPixels, // a frame has more pixels than allowed (claim_*)
    OverMemoryLimit, // the library needed more than the decoder's memory limit
    EmptyFile,    // the file holds no bytes, or no pixel data (claim_frame)
    Damaged,      // the library refused the file with a code that fits no
                  // case (error_code)
};

struct DecodedFrame {
    decode_protocol::FrameHeader head{};
    std::vector<uint8_t> palette;
    std::vector<uint8_t> pixels;
};

struct DecodeRequest {
    int32_t max_side = GENERIC_MAX_SIDE;
    uint64_t budget = pixel_budget();
    uint64_t max_pixels = max_image_pixels();
    bool palette_only = false; // frames carry their palettes but no pixels
    bool first_frame_only = false; // the file's first frame alone
};

struct DecodeResult {
    DecodeOutcome outcome = DecodeOutcome::Unavailable;
    uint32_t error_code = 0;
    uint32_t claim_frame = 0;
    int32_t claim_width = 0;
    int32_t claim_height = 0;
    uint64_t claim_bytes = 0;
    unsigned timeout_ms = 0;
    uint64_t budget = 0;    // the budget the decode ran under
    uint64_t max_pixels = 0; // the most pixels a frame could have
    uint64_t memory_limit = 0; // the decoder's memory limit
    uint64_t file_size = 0;
    std::vector<DecodedFrame> frames;
    // The decoder's peak resident memory in KiB (its own accounting).
    long peak_kib = 0;
    std::string detail; // why the decoder could not be started
};

// Where the pixels of each decoded frame go: by default into
// DecodedFrame::pixels; a sink can give room of its own (an image's buffer),
// so that the pixels go from the pipe to their place with no copy between.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Room for frame.head.data_bytes bytes of frame `index`, whose header
    // (checked) and palette have arrived; nullptr refuses the decode.
    // Whatever the room held is overwritten in full, or the decode fails.
    virtual uint8_t *pixels_for(uint32_t index, const DecodedFrame &frame) = 0;
};

// Decodes `path` in a child. Never throws.
DecodeResult decode_in_child(const char *path, const DecodeRequest &request = {}, FrameSink *sink = nullptr);

// The message that tells the user why `path` gave no images; empty for
// Decoded. Library errors read "Error Encountered: <library's text>".
std::string decode_failure_text(const char *path, const DecodeResult &result);

// The size a file's header claims, for the formats whose header says it
// plainly (GIF screen, PNG IHDR, BMP info header, TGA header, PNM text
// header, signed as written); false for other files. Read with bounds checks and no library: the program refuses
// a file whose claim is beyond the limits before any decoder sees it.
bool claimed_size(const char *path, int64_t &width, int64_t &height);

// The message for a claim with a side outside 1..`max_side` or more pixels
// than max_image_pixels() allows; empty when the claim is within.
std::string claim_refusal_text(const char *path, int64_t width, int64_t height, int32_t max_side);

// Where the decoder is looked for: beside the running executable.
std::string decoder_path();
void set_decoder_path(const std::string &path); // empty: back to the default

// The time-out: 1.5 s, and 1 s more for every MiB of the file.
unsigned decode_timeout_ms(uint64_t file_size);

// Whether decoders come from the server (the default) or each from a start
// of the program of its own (tests and benchmarks compare the two).
void use_decode_server(bool on);

// Decodes started since the program began (tests count them).
unsigned long decodes_started();
// The largest peak resident memory, in KiB, of any decoder since the last
// reset (each decoder's own accounting, taken when it ends).
long decoder_peak_kib();
void reset_decoder_peak();
