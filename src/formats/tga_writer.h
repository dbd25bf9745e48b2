// A writer of our own for the commonest Targa file the program saves: a
// 24-bit image (RGB or BGR, one byte a channel, top row first). It writes
// the bytes the image library's writer gives for such an image, its header
// and the extension area and footer it appends (taken from the library's
// own file of a one-pixel image), with the header's origin fields 0 as
// every Targa file of ours has them, without the library's conversion
// copies.
#pragma once

#include <cstdint>
#include <vector>

class ByteWriter;

// True when the bound image is one that tga_encode_bound may take.
bool tga_direct_applies();

// Appends the whole file for the bound image to `out`; false, with `out`
// untouched, when tga_direct_applies() is false or the library's file of
// one pixel is not of the expected form (the library's writer is then
// the one to use).
bool tga_encode_bound(ByteWriter &out);

// Writes the bound image to `path` through the safe save: 1 when written,
// 0 (errno set) when the file could not be written, -1 when this writer
// does not take the image and nothing was written.
int tga_save_bound(const char *path);
