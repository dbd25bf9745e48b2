// A walk over the blocks of a GIF file, without the image library: where
// its first image ends, so that a file wanted only for its first frame can
// be decoded without its later frames.
#pragma once

#include <cstddef>
#include <cstdint>

// The length of the prefix of `data` that holds the header, the global
// colour table and every block up to and including the first image's data.
// 0 when the bytes are no GIF, or end or go wrong before that image is
// complete: the caller then decodes the whole file as it is.
size_t gif_first_image_length(const uint8_t *data, size_t size);
