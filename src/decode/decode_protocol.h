// What the image decoder program (vorn-decode) sends back over its pipe.
//
// The program decodes one file with the image library in a process of its
// own and writes, in the machine's byte order:
//   StreamHeader
//   then, when status is DECODED, frame_count times:
//     FrameHeader, palette_bytes of palette, data_bytes of pixels
//   and a uint64_t: the decoder's peak resident memory in KiB
// A refusal carries that peak in its StreamHeader instead. The decoder
// measures it itself (VmHWM of its own image): the kernel's accounting of a
// spawned child starts from the parent's memory it shared until exec.
// Both ends are built from this header in the same build, so the records are
// written as they lie in memory. The reader trusts none of it: every field is
// checked again before it sizes anything.
#pragma once

#include <cstdint>

namespace decode_protocol {

inline constexpr uint32_t MAGIC = 0x43454456u; // "VDEC"
inline constexpr uint32_t VERSION = 2;

enum Status : uint32_t {
    DECODED = 0,       // frames follow
    LIBRARY_ERROR = 1, // the library refused the file; error_code holds its code
    BAD_SIDE = 2,      // a frame's side lies outside 1..max side (claim_* say which)
    OVER_BUDGET = 3,   // the frames need more bytes than the budget allows
    BAD_LAYOUT = 4,    // the library described a frame in a layout it does not have
    NO_PIXELS = 5,     // the library kept a frame without its pixels (its
                       // allocation was refused: the claim exceeds what the
                       // file's size allows the decoder)
    TOO_MANY_PIXELS = 6, // a frame has more pixels than the request allows
    OUT_OF_MEMORY = 7,   // the library asked for more memory than the decoder's
                         // limit (claim_bytes: the request refused)
    EMPTY_IMAGE = 8,     // the file holds no pixel data: nothing the library
                         // gave for a frame came from the file
    DAMAGED = 9,         // the library refused the file and gave a code that
                         // does not fit (out of memory with memory to spare,
                         // or no error at all)
};

struct StreamHeader {
    uint32_t magic;
    uint32_t version;
    uint32_t status;
    uint32_t error_code;  // LIBRARY_ERROR: the library's error code
    uint32_t frame_count; // DECODED: frames that follow
    uint32_t claim_frame; // BAD_SIDE, OVER_BUDGET, BAD_LAYOUT: the frame concerned
    int32_t claim_width;  // its sides as the library reports them
    int32_t claim_height;
    uint64_t claim_bytes; // OVER_BUDGET: bytes of all frames up to claim_frame
    uint64_t peak_kib;    // refusals: the decoder's peak resident memory
    uint64_t memory_limit; // OUT_OF_MEMORY: the decoder's limit
};

struct FrameHeader {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    uint32_t format;          // library format (IL_RGBA, IL_COLOUR_INDEX, ...)
    uint32_t type;            // library channel type (IL_UNSIGNED_BYTE, ...)
    uint32_t bytes_per_pixel; // channels x channel size
    uint32_t origin;          // IL_ORIGIN_UPPER_LEFT or IL_ORIGIN_LOWER_LEFT
    int32_t duration;         // milliseconds
    uint32_t palette_type;    // IL_PAL_NONE, IL_PAL_RGBA32, ...
    uint32_t palette_bytes;
    uint64_t data_bytes; // width x height x depth x bytes_per_pixel, or 0 (palette only)
};

static_assert(sizeof(StreamHeader) == 56);
static_assert(sizeof(FrameHeader) == 48);

// Server mode (vorn-decode --serve): one request per decode over a
// sequenced-packet socket, the write end of the stream's pipe attached.
struct ServeRequest {
    uint32_t magic;
    uint32_t flags; // PALETTE_ONLY, FIRST_FRAME
    int32_t max_side;
    uint32_t cpu_seconds;
    uint64_t budget;
    uint64_t max_pixels; // the most pixels one frame may have
    char path[4096];
};

// What a decode is asked to send: each frame's palette and no pixels, and
// only the file's first frame (a GIF's later frames are not even decoded).
inline constexpr uint32_t PALETTE_ONLY = 1;
inline constexpr uint32_t FIRST_FRAME = 2;

// The server's replies: one when it has started the decoder (pid, or -1 when
// it could not), one when the decoder has ended (its wait status and the
// peak memory the kernel counted for it).
struct ServeReply {
    uint32_t magic;
    int32_t pid;
    int32_t status;
    int64_t peak_kib;
};

// The memory a decoder of a file of `file_size` bytes may take (its address
// space): the library's code, tables and working buffers, and room for the
// frames and half as much again for working copies. No format the library reads expands
// its data by more than about 2700 to 1 (LZW strings of 4096 codes), so a
// file is allowed 4096 times its size in pixels, never more than the
// budget, nor than FRAMES_MEMORY (an animation's frames) or the largest
// frame allowed in 8-bit RGBA, whichever is more: a 100-byte file that
// claims gigabytes gets its allocation refused instead of filled, and with
// the default limits no decoder passes 512 MiB.
inline constexpr uint64_t MAX_EXPANSION = 4096;
inline constexpr uint64_t BASE_MEMORY = uint64_t(128) << 20;
inline constexpr uint64_t FRAMES_MEMORY = uint64_t(256) << 20;
inline constexpr uint64_t memory_allowance(uint64_t file_size, uint64_t budget, uint64_t max_pixels)
{
    uint64_t pixels = file_size > budget / MAX_EXPANSION ? budget : file_size * MAX_EXPANSION;
    uint64_t largest = max_pixels > (uint64_t(1) << 60) ? uint64_t(1) << 62 : max_pixels * 4;
    if (largest < FRAMES_MEMORY)
        largest = FRAMES_MEMORY;
    if (pixels > largest)
        pixels = largest;
    return BASE_MEMORY + pixels + pixels / 2;
}

// Frames beyond this many are not taken from a file.
inline constexpr uint32_t MAX_FRAMES = 100000;
// The largest palette the library hands out: 256 entries of 4 bytes.
inline constexpr uint32_t MAX_PALETTE_BYTES = 256 * 4;

} // namespace decode_protocol
