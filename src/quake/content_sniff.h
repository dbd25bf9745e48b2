// What a file holds when it is not the Quake format its name says: the
// magic numbers of the files found beside Quake art in the wild, so that a
// refusal can say what the file is instead of only that it is not ours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A description such as "a Quake model" or "a Half-Life WAD3 archive" for a
// file that is no image the program reads under another name; empty when
// the bytes are not recognised or are an image format the library reads.
std::string foreign_content(const uint8_t *data, size_t size);

// True when the bytes start with the signature of an image format the
// library reads (PNG, GIF, BMP, JPEG, PCX, TIFF ...).
bool looks_like_common_image(const uint8_t *data, size_t size);

// Tells the user that `path` is not a `format` ("Quake sprite") and what it
// is, when its content is recognised, or that its header is damaged when
// `damaged_otherwise`; the load stops there (load_refused). False, saying
// nothing, when the file may still be an image under another name.
bool refuse_foreign_file(const char *path, const uint8_t *data, size_t size, const char *format,
                         bool damaged_otherwise);
