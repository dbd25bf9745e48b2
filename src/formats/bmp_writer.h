// A writer of our own for the commonest bitmap the program saves: a 24-bit
// image (RGB or BGR, one byte a channel, top row first). It writes the bytes
// the image library's writer gives for such an image (a 40-byte header,
// rows bottom first, each padded with zeros to a multiple of 4 bytes)
// without the library's conversion copies and piecemeal writes.
#pragma once

#include <cstdint>
#include <vector>

// True when the bound image is one that bmp_encode_bound takes.
bool bmp_direct_applies();

// The whole file for the bound image; empty when bmp_direct_applies() is
// false or the file would exceed 4 GiB.
std::vector<uint8_t> bmp_encode_bound();

// Writes the bound image to `path` through the safe save. False with errno
// set when the file could not be written.
bool bmp_save_bound(const char *path);
