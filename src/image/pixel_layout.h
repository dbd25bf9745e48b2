// How many bytes a pixel of an image-library format and channel type takes,
// shared by the decoder child and the program that checks what it sends.
#pragma once

#include <cstdint>

#include <IL/il.h>

// Channels of an image-library format; 0 for one we do not take.
inline uint32_t channels_of(uint32_t format)
{
    switch (format) {
    case IL_COLOUR_INDEX:
    case IL_LUMINANCE:
    case IL_ALPHA: return 1;
    case IL_LUMINANCE_ALPHA: return 2;
    case IL_RGB:
    case IL_BGR: return 3;
    case IL_RGBA:
    case IL_BGRA: return 4;
    default: return 0;
    }
}

// Bytes of one channel of an image-library type; 0 for one we do not take.
inline uint32_t channel_size_of(uint32_t type)
{
    switch (type) {
    case IL_BYTE:
    case IL_UNSIGNED_BYTE: return 1;
    case IL_SHORT:
    case IL_UNSIGNED_SHORT:
    case IL_HALF: return 2;
    case IL_INT:
    case IL_UNSIGNED_INT:
    case IL_FLOAT: return 4;
    case IL_DOUBLE: return 8;
    default: return 0;
    }
}
