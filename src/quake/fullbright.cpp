#include "quake/fullbright.h"

#include <algorithm>
#include <atomic>

#include <IL/il.h>

#include "image/host_table.h"
#include "image/palette_matcher.h"
#include "image/quake_palette.h"

namespace {

std::atomic<int> choice{static_cast<int>(FullbrightChoice::Ask)};
std::atomic<bool> safe_mips{false};

int clamp_first(int first) { return first < 0 ? 0 : first > 256 ? 256 : first; }

} // namespace


size_t count_fullbright_pixels(const uint8_t *indexes, size_t pixels, int first, const uint8_t *palette)
{
    size_t n = 0;
    for (size_t p = 0; indexes && p < pixels; ++p)
        n += indexes[p] >= first && (!palette || palette[indexes[p] * 4 + 3] != 0);
    return n;
}

size_t count_unasked_fullbrights(const uint8_t *rgba, const uint8_t *indexes, size_t pixels,
                                 const uint8_t *palette, int first)
{
    first = clamp_first(first);
    if (!rgba || !indexes || !palette || first >= 256)
        return 0;
    auto colour = [](const uint8_t *c) { return uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]; };
    std::vector<uint32_t> bright;
    for (int i = first; i < 256; ++i)
        bright.push_back(colour(palette + i * 4));
    std::sort(bright.begin(), bright.end());
    size_t n = 0;
    for (size_t p = 0; p < pixels; ++p) {
        const uint8_t *c = rgba + p * 4;
        if (indexes[p] < first || c[3] == 0)
            continue;
        // Mostly an exact colour matched its own entry; otherwise look.
        const uint32_t want = colour(c);
        n += want != colour(palette + indexes[p] * 4) && !std::binary_search(bright.begin(), bright.end(), want);
    }
    return n;
}

FullbrightChoice fullbright_choice() { return static_cast<FullbrightChoice>(choice.load()); }
void set_fullbright_choice(FullbrightChoice c) { choice.store(static_cast<int>(c)); }

bool mips_fullbright_safe() { return safe_mips.load(); }
void set_mips_fullbright_safe(bool on) { safe_mips.store(on); }

std::vector<uint8_t> fullbright_safe_level(const uint8_t *level0, int w, int h, int k, const uint8_t *palette,
                                           int first)
{
    first = clamp_first(first);
    const int s = 1 << k;
    const int lw = std::max(w >> k, 1), lh = std::max(h >> k, 1);
    std::vector<uint8_t> level(static_cast<size_t>(lw) * static_cast<size_t>(lh), 0);
    if (!level0 || !palette || w <= 0 || h <= 0)
        return level;
    auto lit = [&](uint8_t i) { return i < first && palette[i * 4 + 3] != 0; };
    for (int y = 0; y < lh; ++y)
        for (int x = 0; x < lw; ++x) {
            // The pixel a nearest-position reduction samples: the one whose
            // corner is the block's centre.
            const int nx = std::min(x * s + s / 2, w - 1), ny = std::min(y * s + s / 2, h - 1);
            const uint8_t centre = level0[static_cast<size_t>(ny) * w + nx];
            uint8_t &out = level[static_cast<size_t>(y) * lw + x];
            if (!lit(centre)) {
                out = centre;
                continue;
            }
            int64_t sum[3] = {0, 0, 0};
            int64_t n = 0;
            for (int by = y * s; by < std::min(y * s + s, h); ++by)
                for (int bx = x * s; bx < std::min(x * s + s, w); ++bx) {
                    const uint8_t i = level0[static_cast<size_t>(by) * w + bx];
                    if (!lit(i))
                        continue;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += palette[i * 4 + c];
                    ++n;
                }
            out = static_cast<uint8_t>(nearest_palette_index(palette, first, static_cast<int>((sum[0] + n / 2) / n),
                                                             static_cast<int>((sum[1] + n / 2) / n),
                                                             static_cast<int>((sum[2] + n / 2) / n), 1));
        }
    return level;
}

std::vector<uint8_t> match_with_fullbright_mask(const uint8_t *rgba, const uint8_t *mask, size_t pixels,
                                                const uint8_t *palette, int first)
{
    first = clamp_first(first);
    std::vector<uint8_t> indexes(pixels, 0);
    if (!rgba || !mask || !palette)
        return indexes;
    // The opaque fullbright entries, for the marked pixels.
    std::vector<uint8_t> glow;
    std::vector<int> glow_index;
    for (int i = first; i < 256; ++i)
        if (palette[i * 4 + 3] != 0) {
            glow.insert(glow.end(), palette + i * 4, palette + i * 4 + 4);
            glow_index.push_back(i);
        }
    PaletteMatcher lit(palette, first);
    PaletteMatcher bright(glow.data(), static_cast<int>(glow_index.size()));
    const uint8_t transparent = static_cast<uint8_t>(nearest_palette_index(palette, 256, 0, 0, 0, 0));
    for (size_t p = 0; p < pixels; ++p) {
        const uint8_t *c = rgba + p * 4;
        if (c[3] == 0)
            indexes[p] = transparent;
        else if (mask[p] && !glow_index.empty())
            indexes[p] = static_cast<uint8_t>(glow_index[static_cast<size_t>(bright.nearest(c[0], c[1], c[2]))]);
        else
            indexes[p] = static_cast<uint8_t>(lit.nearest(c[0], c[1], c[2]));
    }
    return indexes;
}

namespace {

// The RGBA pixels of `image` at w x h, top row first (scaled on a copy
// when its size differs); empty when it has none.
std::vector<uint8_t> rgba_pixels(uint32_t image, int w, int h)
{
    const uint32_t copy = host().gen_image();
    host().bind_image(copy);
    std::vector<uint8_t> rgba;
    if (host().copy_image(image) && host().width() > 0 && host().height() > 0
        && (host().width() == w && host().height() == h ? true : host().scale(w, h) != 0)
        && host().convert_image(IMAGE_RGBA) && host().width() == w && host().height() == h && host().get_data()
        && (!host().origin_is_lower_left() || host().flip()))
        rgba.assign(host().get_data(), host().get_data() + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    host().delete_image(copy);
    return rgba;
}

} // namespace

bool apply_fullbright_mask(uint32_t frame, uint32_t mask, const uint8_t *palette)
{
    host().bind_image(frame);
    const int w = host().width(), h = host().height();
    if (!palette || w <= 0 || h <= 0)
        return false;
    const std::vector<uint8_t> source = rgba_pixels(frame, w, h);
    const std::vector<uint8_t> marks = rgba_pixels(mask, w, h);
    host().bind_image(frame);
    if (source.empty() || marks.empty())
        return false;
    const size_t pixels = source.size() / 4;
    std::vector<uint8_t> marked(pixels);
    for (size_t p = 0; p < pixels; ++p)
        marked[p] = mask_marks_glow(marks.data() + p * 4);
    std::vector<uint8_t> indexes =
        match_with_fullbright_mask(source.data(), marked.data(), pixels, palette, fullbright_first_index());
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               indexes.data());
    host().set_upper_left_origin();
    host().set_palette(palette, 256);
    return true;
}
