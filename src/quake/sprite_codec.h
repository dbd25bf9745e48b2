// The sprite layout shared by Quake sprites (versions 1 and 2) and 32-bit
// sprites: header, frame entries and frame records. The two formats differ
// only in how a frame's pixels are stored, which `SpritePixels` describes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/byte_io.h"
#include "plugins/vorn_plugin.h"

struct SpriteHeader {
    uint32_t magic;
    int32_t version;
    int32_t type;
    float radius;
    int32_t width;
    int32_t height;
    int32_t entry_count;
    float beam_length;
    int32_t sync_type;
    // The Half-Life layout of version 2 has a texture format after the
    // type, so everything after it sits 4 bytes later.
    bool half_life = false;
    int32_t texture_format = 0;
};

// How the frame records of one file hold their pixels.
struct SpritePixels {
    int bytes_per_pixel;    // 1: palette indexes, 4: red, green, blue, alpha
    const uint8_t *palette; // RGBA entries given to 8-bit frames
    int palette_count;      // 1..256
    // A group whose frame count is 0 takes its count from the bytes left
    // (Quake sprites); otherwise such a group is refused.
    bool derive_empty_group_count;
    const char *path; // the file, for messages
    // Receives why the reading gave up (sprite_give_up).
    std::vector<std::string> *refusal;
};

SpriteHeader sprite_read_header(ByteReader &in);
// The same in the Half-Life layout (a texture format at offset 12).
SpriteHeader sprite_read_half_life_header(ByteReader &in);
// True when, from `in`'s position, `entry_count` frame entries of 8-bit
// frames end exactly at the end of the bytes.
bool sprite_entries_end_at_file_end(ByteReader in, int32_t entry_count);

// Sets "Radius", "Synchronous", "Orientation" and "Beamlength", in that order.
void sprite_set_header_properties(Animation *anim, const SpriteHeader &header);

// Reads the frame entries that start at the reader's position into the
// animation. Returns 1; or shows why, leaves the animation empty and
// returns 0. Bytes missing at the end of the file read as zeros (with a
// warning) while they stay under MAX_ZERO_FILL; counts that the file cannot
// hold, and frames that would take the file past either that or the pixel
// budget, are refused.
int32_t sprite_read_entries(ByteReader &in, const SpriteHeader &header, const SpritePixels &pixels, Animation *anim);

// Gives up on a file: adds why to the reading's refusal and empties the
// animation.
void sprite_give_up(const SpritePixels &pixels, Animation *anim, const std::string &message);

// True when every frame is one the sprite writer can write (sides in
// 1..16384, a sound layout, the whole file below 2 GiB) and the frames, at
// `bytes_per_pixel`, stay within the pixel budget; else says why.
bool sprite_frames_fit(const Animation *anim, int bytes_per_pixel);

// Writes `anim` as a sprite of the given version (1, 2 or 32) to `path`.
// Frames are converted in place to the version's pixel layout. Returns 1,
// or 0 when there is nothing to write or the file cannot be written.
int32_t sprite_write(const char *path, Animation *anim, int32_t version);
