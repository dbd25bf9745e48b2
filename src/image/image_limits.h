// The sizes every image must keep, whatever its source, and the checks that
// the readers and writers make against them before they allocate or write.
//
// A file's header is a claim, not a size: a 35-byte file may declare an
// image of 65535 x 65535. Readers check each claim against these limits and
// against the bytes the file really holds before anything is allocated;
// writers check the document's frames before they convert or write any.
#pragma once

#include <cstdint>
#include <string>

#include "plugins/vorn_plugin.h"

// Both sides of a frame of a Quake format lie in 1..QUAKE_MAX_SIDE, those of
// the other formats in 1..GENERIC_MAX_SIDE.
inline constexpr int32_t QUAKE_MAX_SIDE = 16384;
inline constexpr int32_t GENERIC_MAX_SIDE = 32768;

// The pixel data one load may bring into the document, all frames together.
inline constexpr uint64_t DEFAULT_PIXEL_BUDGET = uint64_t(1) << 30;
uint64_t pixel_budget();
void set_pixel_budget(uint64_t bytes); // 0 restores the default

// The most pixels one image read from a file may have: a header is a claim,
// and a genuine image this large is opened on purpose (vorn.ini's MaxPixels,
// vorn-cli --max-pixels). 4096 x 4096 by default: the largest image whose
// conversion to any format (a .mip's colour matching and mip chain the
// heaviest) stays within a few seconds and 512 MiB.
inline constexpr uint64_t DEFAULT_MAX_IMAGE_PIXELS = uint64_t(4096) * 4096;
uint64_t max_image_pixels();
void set_max_image_pixels(uint64_t pixels); // 0 restores the default
// "…; to open larger images on purpose, raise MaxPixels in vorn.ini or give
// vorn-cli --max-pixels" with the current limit.
std::string max_pixels_advice();

// What a truncated Quake file may have filled with zeros, per file.
inline constexpr uint64_t MAX_ZERO_FILL = uint64_t(16) << 20;

// The image library computes sizes in 32 bits: it cannot write an image whose
// pixel data reaches 2 GiB.
inline constexpr uint64_t LIBRARY_MAX_IMAGE_BYTES = (uint64_t(1) << 31) - 1;

// "512 KiB", "3 MiB", "2 GiB": byte counts in the messages.
std::string size_text(uint64_t bytes);

// Bytes of pixel data of the bound image (width x height x depth x bytes per
// pixel, as the library describes it; 0 for a size it cannot have).
uint64_t bound_image_bytes();

// Bytes of pixel data of every frame of an animation.
uint64_t anim_pixel_bytes(const Animation *anim);

// True when `adding` (just read from `path`) fits beside `held` bytes within
// the pixel budget; else says so, naming the file, and returns false.
bool fits_pixel_budget(uint64_t held, const Animation *adding, const char *path);

// What a Quake reader may still allocate for one file: the bytes past the
// end of the file that it fills with zeros and the pixel data it keeps.
class ReadAllowance {
public:
    explicit ReadAllowance(uint64_t budget = pixel_budget()) : budget_(budget) {}
    // Takes `bytes` of pixel data of which `available` are in the file. False
    // (nothing taken) when the zero fill or the budget would be exceeded;
    // why() then says which.
    bool take(uint64_t bytes, uint64_t available);
    bool over_zero_fill() const { return over_zero_fill_; }
    uint64_t kept() const { return kept_; }
    uint64_t zero_filled() const { return zero_filled_; }
    uint64_t budget() const { return budget_; }
    // "claims 16384x16384 pixels, 256 MiB more than the file holds (at most
    // 16 MiB may be missing)" or the budget's equivalent.
    std::string why(int64_t width, int64_t height, uint64_t bytes, uint64_t available) const;

private:
    uint64_t budget_;
    uint64_t kept_ = 0;
    uint64_t zero_filled_ = 0;
    bool over_zero_fill_ = false;
};

// Checks, before a writer touches anything, that every frame it would write
// (group 0's first frame when `first_only`, else all) is an image the writer
// can handle: sides in 1..max_side, depth 1, pixel data present and as large
// as its description, a known format and channel type, and all frames
// together below `max_total` bytes. Shows "Unable to save: ..." and returns
// false otherwise. An animation without frames passes (the writers refuse it
// themselves). Writers may be handed a temporary name, so the message names
// the frame rather than the file.
bool frames_fit_for_saving(const Animation *anim, int32_t max_side, bool first_only, uint64_t max_total);
