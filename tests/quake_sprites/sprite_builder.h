// Builds sprite files byte by byte for the tests, independently of the
// writer under test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "io/byte_io.h"

struct SpriteBytes {
    ByteWriter out;

    SpriteBytes &header(int32_t version, int32_t type, float radius, int32_t width, int32_t height, int32_t entries,
                        float beam = 0.0f, int32_t sync = 0)
    {
        out.bytes("IDSP", 4);
        out.i32(version);
        out.i32(type);
        out.f32(radius);
        out.i32(width);
        out.i32(height);
        out.i32(entries);
        out.f32(beam);
        out.i32(sync);
        return *this;
    }
    SpriteBytes &palette(const std::vector<uint8_t> &rgb)
    {
        out.u16(static_cast<uint16_t>(rgb.size() / 3));
        out.bytes(rgb.data(), rgb.size());
        return *this;
    }
    // A frame record whose pixels are `seed`, `seed + 1`, ... (bpp bytes each).
    SpriteBytes &frame(int32_t ox, int32_t oy, int32_t w, int32_t h, uint8_t seed, int bpp = 1)
    {
        out.i32(ox);
        out.i32(oy);
        out.i32(w);
        out.i32(h);
        for (int i = 0; i < w * h * bpp; ++i)
            out.u8(static_cast<uint8_t>(seed + i));
        return *this;
    }
    SpriteBytes &single(int32_t ox, int32_t oy, int32_t w, int32_t h, uint8_t seed, int bpp = 1)
    {
        out.i32(0);
        return frame(ox, oy, w, h, seed, bpp);
    }
    SpriteBytes &group(const std::vector<float> &intervals)
    {
        out.i32(1);
        out.i32(static_cast<int32_t>(intervals.size()));
        for (float f : intervals)
            out.f32(f);
        return *this;
    }
    const std::vector<uint8_t> &bytes() const { return out.data(); }
};

inline std::vector<uint8_t> counting_pixels(int n, uint8_t seed, int bpp = 1)
{
    std::vector<uint8_t> p(static_cast<size_t>(n) * bpp);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<uint8_t>(seed + i);
    return p;
}

inline int32_t le_i32(const std::vector<uint8_t> &b, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(b.at(at + i)) << (8 * i);
    return static_cast<int32_t>(v);
}

inline float le_f32(const std::vector<uint8_t> &b, size_t at)
{
    const int32_t bits = le_i32(b, at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
