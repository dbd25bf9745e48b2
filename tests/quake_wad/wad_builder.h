// Builds and parses WAD2 files byte by byte for the tests, independently of
// the codec under test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "io/byte_io.h"

struct WadLump {
    uint8_t type;
    std::string name; // at most 16 bytes are stored
    std::vector<uint8_t> body;
    int32_t size_field = -1; // -1: the body's length
};

// Header, lumps in order, directory at the end (or right after the header
// when `directory_first`).
inline std::vector<uint8_t> build_wad(const std::vector<WadLump> &lumps, bool directory_first = false)
{
    ByteWriter out;
    out.bytes("WAD2", 4);
    out.i32(static_cast<int32_t>(lumps.size()));
    out.i32(0);
    const size_t directory_size = lumps.size() * 32;
    if (directory_first)
        out.zeros(directory_size);
    std::vector<uint32_t> offsets;
    for (const WadLump &l : lumps) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        out.bytes(l.body.data(), l.body.size());
    }
    const size_t directory = directory_first ? 12 : out.size();
    out.patch_u32(8, static_cast<uint32_t>(directory));
    ByteWriter dir;
    for (size_t i = 0; i < lumps.size(); ++i) {
        const WadLump &l = lumps[i];
        dir.u32(offsets[i]);
        dir.u32(static_cast<uint32_t>(l.body.size()));
        dir.i32(l.size_field >= 0 ? l.size_field : static_cast<int32_t>(l.body.size()));
        dir.u8(l.type);
        dir.zeros(3);
        dir.fixed_string(l.name, 16);
    }
    if (directory_first)
        std::memcpy(out.data().data() + 12, dir.data().data(), directory_size);
    else
        out.bytes(dir.data().data(), dir.size());
    return out.data();
}

inline std::vector<uint8_t> picture_body(int32_t w, int32_t h, uint8_t seed)
{
    ByteWriter out;
    out.i32(w);
    out.i32(h);
    for (int i = 0; i < w * h; ++i)
        out.u8(static_cast<uint8_t>(seed + i));
    return out.data();
}

inline std::vector<uint8_t> mip_body(const std::string &name, uint32_t w, uint32_t h, uint8_t seed)
{
    ByteWriter out;
    out.fixed_string(name, 16);
    out.u32(w);
    out.u32(h);
    uint32_t at = 40;
    for (int k = 0; k < 4; ++k) {
        out.u32(at);
        at += (w >> k) * (h >> k);
    }
    for (int k = 0; k < 4; ++k)
        for (uint32_t i = 0; i < (w >> k) * (h >> k); ++i)
            out.u8(static_cast<uint8_t>(seed + k + i));
    return out.data();
}

struct ParsedEntry {
    int32_t offset, disk_size, size;
    uint8_t type;
    std::string name;
    std::vector<uint8_t> raw_name; // all 16 bytes
};

inline int32_t wad_i32(const std::vector<uint8_t> &b, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(b.at(at + i)) << (8 * i);
    return static_cast<int32_t>(v);
}

inline std::vector<ParsedEntry> parse_directory(const std::vector<uint8_t> &b)
{
    std::vector<ParsedEntry> entries;
    const int32_t n = wad_i32(b, 4);
    const size_t dir = static_cast<size_t>(wad_i32(b, 8));
    for (int32_t i = 0; i < n; ++i) {
        const size_t e = dir + static_cast<size_t>(i) * 32;
        ParsedEntry p;
        p.offset = wad_i32(b, e);
        p.disk_size = wad_i32(b, e + 4);
        p.size = wad_i32(b, e + 8);
        p.type = b.at(e + 12);
        p.raw_name.assign(b.begin() + static_cast<long>(e + 16), b.begin() + static_cast<long>(e + 32));
        p.name = std::string(reinterpret_cast<const char *>(p.raw_name.data()), strnlen(reinterpret_cast<const char *>(p.raw_name.data()), 16));
        entries.push_back(p);
    }
    return entries;
}

inline std::vector<uint8_t> lump_bytes(const std::vector<uint8_t> &b, const ParsedEntry &e, size_t n)
{
    return std::vector<uint8_t>(b.begin() + e.offset, b.begin() + e.offset + static_cast<long>(n));
}
