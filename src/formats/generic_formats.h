// The common image and palette formats, read and written by the image
// library, and our own readers for palette files.
#pragma once

#include <cstdint>

#include "document/load_result.h"
#include "plugins/vorn_plugin.h"

// Whether later paletted frames of a multi-image file are composed over the
// frame before them ("GifHack" setting; on unless changed).
void generic_set_gif_hack(bool on);

// Always 1: a file it cannot read is reported and counts as handled.
int32_t generic_image_load(const char *path, Animation *anim);
// The same without the message: never NotMine.
LoadResult generic_image_read(const char *path, Animation *anim);
// While one of these lives on the calling thread, generic_image_load takes
// only the first frame of each file: for a caller that uses no other (a
// conversion to a one-image format, a frame replaced from a file). The
// decoder sends no other frame, and leaves a GIF's later frames undecoded.
// One made with `on` false changes nothing.
class FirstFrameScope {
public:
    explicit FirstFrameScope(bool on = true);
    ~FirstFrameScope();
    FirstFrameScope(const FirstFrameScope &) = delete;
    FirstFrameScope &operator=(const FirstFrameScope &) = delete;

private:
    bool on_;
};
int32_t generic_image_save(const char *path, Animation *anim);
int32_t image_palette_load(const char *path, uint8_t *rgba1024);
// While one of these lives on the calling thread, image_palette_load decodes
// each file once and answers again from that decode (the palette dispatch
// offers the same file to several image rows).
class PaletteDecodeScope {
public:
    PaletteDecodeScope();
    ~PaletteDecodeScope();
    PaletteDecodeScope(const PaletteDecodeScope &) = delete;
    PaletteDecodeScope &operator=(const PaletteDecodeScope &) = delete;
};
int32_t generic_palette_load(const char *path, uint8_t *rgba1024);
int32_t generic_palette_save(const char *path, const uint8_t *rgba, int32_t count);

// Replaces every byte of the current frame's first n indexes that equals
// the bound image's transparent index by the previous frame's byte there.
void compose_transparent_frame(uint32_t previous, uint32_t current, int64_t pixels);
