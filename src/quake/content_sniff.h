// The refusal of a file that is not the Quake format its name says: what the
// sniffer recognises in it, so that the refusal can say what the file is
// instead of only that it is not ours.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/load_result.h"

// Refuses `path` as no `format` ("Quake sprite"), saying what it is when
// its content is recognised, or that its header is damaged when
// `damaged_otherwise`. Not mine, with nothing to say, when the file may
// still be an image under another name.
LoadResult refuse_foreign_file(const char *path, const uint8_t *data, size_t size, const char *format,
                               bool damaged_otherwise);
