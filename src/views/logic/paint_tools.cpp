#include "views/logic/paint_tools.h"

#include <algorithm>
#include <cstring>

#include <IL/il.h>

#include "image/host_table.h"
#include "image/frame_pixels.h"
#include "image/quake_palette.h"

namespace {

// Coordinates come from the pointer and may lie far off the frame; held to
// this range, the line arithmetic below stays well inside 64 bits.
constexpr int64_t COORD_LIMIT = int64_t{1} << 24;

int64_t held(int v) { return std::clamp<int64_t>(v, -COORD_LIMIT, COORD_LIMIT); }

// The rectangle [x0, x1) x [y0, y1) cut to the frame.
PaintRect clipped(const PaintBuffer &buf, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    x0 = std::max<int64_t>(x0, 0), y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, buf.width), y1 = std::min<int64_t>(y1, buf.height);
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

PaintRect clipped(const PaintBuffer &buf, PaintRect r)
{
    return clipped(buf, r.x, r.y, int64_t{r.x} + r.w, int64_t{r.y} + r.h);
}

uint8_t *pixel(const PaintBuffer &buf, int x, int y)
{
    return buf.top + buf.stride * y + static_cast<ptrdiff_t>(x) * buf.bytes_per_pixel;
}

uint32_t read(const PaintBuffer &buf, int x, int y)
{
    const uint8_t *p = pixel(buf, x, y);
    if (buf.bytes_per_pixel == 1)
        return *p;
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Pixels x0 .. x1 - 1 of row y, inside the frame.
void span(const PaintBuffer &buf, int y, int x0, int x1, uint32_t value)
{
    uint8_t *p = pixel(buf, x0, y);
    if (buf.bytes_per_pixel == 1) {
        std::memset(p, static_cast<int>(value), static_cast<size_t>(x1 - x0));
        return;
    }
    for (int x = x0; x < x1; ++x, p += 4)
        std::memcpy(p, &value, 4);
}

void fill_rect(const PaintBuffer &buf, PaintRect r, uint32_t value)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        span(buf, y, r.x, r.x + r.w, value);
}

// Whether an operation may write `value` at all: a valid frame, and an
// index (never a colour) on an 8-bit one.
bool writable(const PaintBuffer &buf, uint32_t value)
{
    return buf.valid() && (buf.bytes_per_pixel == 4 || value <= 255);
}

void cover(StrokeRecord *record, const PaintBuffer &buf, PaintRect r)
{
    if (record)
        record->cover(buf, r);
}

// The brush's pixels, one run [left, right) a row, as offsets from the
// top-left corner of its square.
struct BrushMask {
    int size;
    int left[BRUSH_MAX], right[BRUSH_MAX];
};

BrushMask mask_of(const Brush &brush)
{
    BrushMask m{};
    m.size = std::clamp(brush.size, BRUSH_MIN, BRUSH_MAX);
    const int n = m.size;
    // Distances doubled, so that pixel centres are whole numbers. The limit
    // n * n - 2 drops the corners of size 3 and keeps size 2 square.
    const int limit = std::max(0, n * n - 2);
    for (int j = 0; j < n; ++j) {
        m.left[j] = 0, m.right[j] = n;
        if (brush.shape != BrushShape::Round)
            continue;
        const int dy = 2 * j + 1 - n;
        while ((2 * m.left[j] + 1 - n) * (2 * m.left[j] + 1 - n) + dy * dy > limit)
            ++m.left[j];
        m.right[j] = n - m.left[j];
    }
    return m;
}

// The square of a dab at (x, y) on the frame.
PaintRect dab_rect(const PaintBuffer &buf, const BrushMask &m, int64_t x, int64_t y)
{
    const int64_t left = x - m.size / 2, top = y - m.size / 2;
    return clipped(buf, left, top, left + m.size, top + m.size);
}

void dab(const PaintBuffer &buf, const BrushMask &m, int64_t x, int64_t y, uint32_t value)
{
    const int64_t left = x - m.size / 2, top = y - m.size / 2;
    for (int j = 0; j < m.size; ++j) {
        const int64_t row = top + j;
        if (row < 0 || row >= buf.height)
            continue;
        const int64_t x0 = std::max<int64_t>(left + m.left[j], 0);
        const int64_t x1 = std::min<int64_t>(left + m.right[j], buf.width);
        if (x0 < x1)
            span(buf, static_cast<int>(row), static_cast<int>(x0), static_cast<int>(x1), value);
    }
}

// Calls f(x, y) for the points of the line whose dabs can reach the frame,
// in order from (x0, y0). Point i along the longer axis has the other
// coordinate start + round(i * shorter / longer), a half rounded away from
// the start; only the steps whose longer coordinate is near the frame are
// visited, so a line reaching far off costs no more than one across it.
template <typename F> void for_each_point(const PaintBuffer &buf, const BrushMask &m, int x0, int y0, int x1, int y1, F f)
{
    int64_t a0 = held(x0), b0 = held(y0), a1 = held(x1), b1 = held(y1);
    const bool steep = std::llabs(b1 - b0) > std::llabs(a1 - a0);
    if (steep)
        std::swap(a0, b0), std::swap(a1, b1);
    const int64_t major = std::llabs(a1 - a0), minor = std::llabs(b1 - b0);
    const int64_t sa = a1 >= a0 ? 1 : -1, sb = b1 >= b0 ? 1 : -1;
    // The longer coordinates whose dabs reach the frame.
    const int64_t extent = steep ? buf.height : buf.width;
    const int64_t lo = -(m.size - 1 - m.size / 2), hi = extent - 1 + m.size / 2;
    int64_t first = sa > 0 ? lo - a0 : a0 - hi, last = sa > 0 ? hi - a0 : a0 - lo;
    first = std::max<int64_t>(first, 0), last = std::min(last, major);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t a = a0 + sa * i;
        const int64_t b = major == 0 ? b0 : b0 + sb * ((2 * minor * i + major) / (2 * major));
        if (steep)
            f(b, a);
        else
            f(a, b);
    }
}

PaintRect line(PaintBuffer &buf, int x0, int y0, int x1, int y1, const BrushMask &m, uint32_t value,
               StrokeRecord *record)
{
    PaintRect changed;
    for_each_point(buf, m, x0, y0, x1, y1,
                   [&](int64_t x, int64_t y) { changed = paint_union(changed, dab_rect(buf, m, x, y)); });
    if (changed.empty())
        return {};
    cover(record, buf, changed);
    for_each_point(buf, m, x0, y0, x1, y1, [&](int64_t x, int64_t y) { dab(buf, m, x, y, value); });
    return changed;
}

PaintClip copy_of(const PaintBuffer &buf, PaintRect r)
{
    PaintClip clip;
    clip.width = r.w, clip.height = r.h;
    clip.bytes_per_pixel = buf.bytes_per_pixel;
    clip.transparent = buf.bytes_per_pixel == 1 ? buf.transparent : -1;
    const size_t row = static_cast<size_t>(r.w) * static_cast<size_t>(buf.bytes_per_pixel);
    clip.pixels.resize(row * static_cast<size_t>(r.h));
    for (int y = 0; y < r.h; ++y)
        std::memcpy(&clip.pixels[row * static_cast<size_t>(y)], pixel(buf, r.x, r.y + y), row);
    return clip;
}

} // namespace

PaintRect paint_union(PaintRect a, PaintRect b)
{
    if (a.empty())
        return b.empty() ? PaintRect{} : b;
    if (b.empty())
        return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

PaintRect paint_rect_from_corners(int x0, int y0, int x1, int y1)
{
    // Held so that width and height fit in an int.
    const int64_t l = std::min(held(x0), held(x1)), r = std::max(held(x0), held(x1));
    const int64_t t = std::min(held(y0), held(y1)), b = std::max(held(y0), held(y1));
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l + 1), static_cast<int>(b - t + 1)};
}

bool PaintBuffer::valid() const
{
    return top && width > 0 && height > 0 && (bytes_per_pixel == 1 || bytes_per_pixel == 4)
        && (stride >= static_cast<ptrdiff_t>(width) * bytes_per_pixel
            || -stride >= static_cast<ptrdiff_t>(width) * bytes_per_pixel);
}

uint32_t paint_colour(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    const uint8_t bytes[4] = {r, g, b, a};
    uint32_t v;
    std::memcpy(&v, bytes, 4);
    return v;
}

PaintRect paint_dab(PaintBuffer &buf, int x, int y, const Brush &brush, uint32_t value, StrokeRecord *record)
{
    return paint_line(buf, x, y, x, y, brush, value, record);
}

PaintRect paint_line(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush, uint32_t value,
                     StrokeRecord *record)
{
    if (!writable(buf, value))
        return {};
    return line(buf, x0, y0, x1, y1, mask_of(brush), value, record);
}

PaintRect paint_rectangle(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush, uint32_t value,
                          bool filled, StrokeRecord *record)
{
    if (!writable(buf, value))
        return {};
    if (filled) {
        const PaintRect r = clipped(buf, paint_rect_from_corners(x0, y0, x1, y1));
        if (r.empty())
            return {};
        cover(record, buf, r);
        fill_rect(buf, r, value);
        return r;
    }
    const BrushMask m = mask_of(brush);
    PaintRect changed = line(buf, x0, y0, x1, y0, m, value, record);
    changed = paint_union(changed, line(buf, x0, y1, x1, y1, m, value, record));
    changed = paint_union(changed, line(buf, x0, y0, x0, y1, m, value, record));
    return paint_union(changed, line(buf, x1, y0, x1, y1, m, value, record));
}

PaintRect paint_fill(PaintBuffer &buf, int x, int y, uint32_t value, FillMode mode, StrokeRecord *record)
{
    if (!writable(buf, value) || x < 0 || y < 0 || x >= buf.width || y >= buf.height)
        return {};
    const uint32_t target = read(buf, x, y);
    if (target == value)
        return {};
    const int w = buf.width, h = buf.height;
    if (mode == FillMode::Global) {
        // One pass finds the rectangle to save, the next paints.
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col)
                if (read(buf, col, row) == target)
                    x0 = std::min(x0, col), x1 = std::max(x1, col), y0 = std::min(y0, row), y1 = row;
        const PaintRect changed{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
        cover(record, buf, changed);
        for (int row = y0; row <= y1; ++row)
            for (int col = x0; col <= x1; ++col)
                if (read(buf, col, row) == target)
                    span(buf, row, col, col + 1, value);
        return changed;
    }
    // Scan-line flood: the runs of the region are found first (marked in
    // `seen`, the frame itself untouched) so that the record can save the
    // rectangle they span before any of them is painted.
    struct Run {
        int y, x0, x1;
    };
    std::vector<uint8_t> seen(static_cast<size_t>(w) * static_cast<size_t>(h));
    auto open = [&](int cx, int cy) {
        return !seen[static_cast<size_t>(cy) * static_cast<size_t>(w) + static_cast<size_t>(cx)]
            && read(buf, cx, cy) == target;
    };
    std::vector<Run> runs;
    std::vector<std::pair<int, int>> seeds{{x, y}};
    PaintRect changed;
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!open(sx, sy))
            continue;
        int l = sx, r = sx + 1;
        while (l > 0 && open(l - 1, sy))
            --l;
        while (r < w && open(r, sy))
            ++r;
        std::memset(&seen[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(l)], 1,
                    static_cast<size_t>(r - l));
        runs.push_back({sy, l, r});
        changed = paint_union(changed, PaintRect{l, sy, r - l, 1});
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            for (int cx = l; cx < r; ++cx)
                if (open(cx, ny) && (cx == l || !open(cx - 1, ny)))
                    seeds.push_back({cx, ny});
        }
    }
    cover(record, buf, changed);
    for (const Run &run : runs)
        span(buf, run.y, run.x0, run.x1, value);
    return changed;
}

bool paint_erase_value(const PaintBuffer &buf, uint32_t *value)
{
    if (buf.bytes_per_pixel == 4) {
        *value = paint_colour(0, 0, 0, 0);
        return true;
    }
    if (buf.transparent < 0 || buf.transparent > 255)
        return false;
    *value = static_cast<uint32_t>(buf.transparent);
    return true;
}

EraseResult paint_erase_line(PaintBuffer &buf, int x0, int y0, int x1, int y1, const Brush &brush,
                             StrokeRecord *record)
{
    uint32_t value;
    if (!paint_erase_value(buf, &value))
        return {{}, true};
    return {paint_line(buf, x0, y0, x1, y1, brush, value, record), false};
}

bool paint_pick(const PaintBuffer &buf, int x, int y, uint32_t *value)
{
    if (!buf.valid() || x < 0 || y < 0 || x >= buf.width || y >= buf.height)
        return false;
    *value = read(buf, x, y);
    return true;
}

PaintClip paint_copy(const PaintBuffer &buf, PaintRect area)
{
    const PaintRect r = buf.valid() ? clipped(buf, area) : PaintRect{};
    if (r.empty())
        return {};
    return copy_of(buf, r);
}

PaintRect paint_clear(PaintBuffer &buf, PaintRect area, uint32_t leave, StrokeRecord *record)
{
    if (!writable(buf, leave))
        return {};
    const PaintRect r = clipped(buf, area);
    if (r.empty())
        return {};
    cover(record, buf, r);
    fill_rect(buf, r, leave);
    return r;
}

PaintRect paint_cut(PaintBuffer &buf, PaintRect area, uint32_t leave, PaintClip *clip, StrokeRecord *record)
{
    if (!writable(buf, leave))
        return {};
    *clip = paint_copy(buf, area);
    return paint_clear(buf, area, leave, record);
}

PaintRect paint_paste(PaintBuffer &buf, const PaintClip &clip, int x, int y, StrokeRecord *record)
{
    const size_t row = static_cast<size_t>(clip.width) * static_cast<size_t>(clip.bytes_per_pixel);
    if (!buf.valid() || clip.empty() || clip.bytes_per_pixel != buf.bytes_per_pixel
        || clip.pixels.size() < row * static_cast<size_t>(clip.height))
        return {};
    const PaintRect r = clipped(buf, x, y, int64_t{x} + clip.width, int64_t{y} + clip.height);
    if (r.empty())
        return {};
    cover(record, buf, r);
    const int bpp = buf.bytes_per_pixel;
    for (int j = 0; j < r.h; ++j) {
        const uint8_t *from = &clip.pixels[row * static_cast<size_t>(r.y + j - y)
                                           + static_cast<size_t>(r.x - x) * static_cast<size_t>(bpp)];
        uint8_t *to = pixel(buf, r.x, r.y + j);
        for (int i = 0; i < r.w; ++i, from += bpp, to += bpp) {
            const bool see_through = bpp == 1 ? clip.transparent >= 0 && *from == clip.transparent : from[3] == 0;
            if (!see_through)
                std::memcpy(to, from, static_cast<size_t>(bpp));
        }
    }
    return r;
}

PaintRect paint_move(PaintBuffer &buf, PaintRect area, int dx, int dy, uint32_t leave, PaintClip *moved,
                     StrokeRecord *record)
{
    const PaintRect from = buf.valid() ? clipped(buf, area) : PaintRect{};
    if (from.empty() || !writable(buf, leave))
        return {};
    PaintClip clip;
    PaintRect changed = paint_cut(buf, from, leave, &clip, record);
    const int64_t to_x = held(from.x) + held(dx), to_y = held(from.y) + held(dy);
    changed = paint_union(changed, paint_paste(buf, clip, static_cast<int>(to_x), static_cast<int>(to_y), record));
    if (moved)
        *moved = std::move(clip);
    return changed;
}

// --- The stroke record.

void StrokeRecord::cover(const PaintBuffer &buf, PaintRect area)
{
    const PaintRect r = buf.valid() ? clipped(buf, area) : PaintRect{};
    if (r.empty())
        return;
    const int bpp = buf.bytes_per_pixel;
    if (!before_.empty() && bpp != bytes_per_pixel_)
        clear();
    touched_ = paint_union(touched_, r);
    const PaintRect grown = paint_union(saved_, r);
    if (!before_.empty() && grown == saved_)
        return;
    // Room to grow by half again on each side, so that a long stroke does
    // not copy its whole record at every pointer event.
    const int mx = std::max(16, grown.w / 2), my = std::max(16, grown.h / 2);
    const PaintRect next =
        clipped(buf, int64_t{grown.x} - mx, int64_t{grown.y} - my, int64_t{grown.x} + grown.w + mx,
                int64_t{grown.y} + grown.h + my);
    const size_t row = static_cast<size_t>(next.w) * static_cast<size_t>(bpp);
    std::vector<uint8_t> pixels(row * static_cast<size_t>(next.h));
    // Outside what was saved the frame is still as it was.
    for (int y = 0; y < next.h; ++y)
        std::memcpy(&pixels[row * static_cast<size_t>(y)], pixel(buf, next.x, next.y + y), row);
    const size_t old_row = static_cast<size_t>(saved_.w) * static_cast<size_t>(bpp);
    for (int y = 0; !before_.empty() && y < saved_.h; ++y)
        std::memcpy(&pixels[row * static_cast<size_t>(saved_.y - next.y + y)
                            + static_cast<size_t>(saved_.x - next.x) * static_cast<size_t>(bpp)],
                    &before_[old_row * static_cast<size_t>(y)], old_row);
    before_ = std::move(pixels);
    saved_ = next;
    bytes_per_pixel_ = bpp;
}

void StrokeRecord::restore(PaintBuffer &buf) const
{
    if (before_.empty() || !buf.valid() || buf.bytes_per_pixel != bytes_per_pixel_ || clipped(buf, saved_) != saved_)
        return;
    const size_t row = static_cast<size_t>(saved_.w) * static_cast<size_t>(bytes_per_pixel_);
    for (int y = 0; y < saved_.h; ++y)
        std::memcpy(pixel(buf, saved_.x, saved_.y + y), &before_[row * static_cast<size_t>(y)], row);
}

void StrokeRecord::finish()
{
    if (before_.empty() || touched_ == saved_)
        return;
    const size_t bpp = static_cast<size_t>(bytes_per_pixel_);
    const size_t row = static_cast<size_t>(touched_.w) * bpp, old_row = static_cast<size_t>(saved_.w) * bpp;
    std::vector<uint8_t> pixels(row * static_cast<size_t>(touched_.h));
    for (int y = 0; y < touched_.h; ++y)
        std::memcpy(&pixels[row * static_cast<size_t>(y)],
                    &before_[old_row * static_cast<size_t>(touched_.y - saved_.y + y)
                             + static_cast<size_t>(touched_.x - saved_.x) * bpp],
                    row);
    before_ = std::move(pixels);
    saved_ = touched_;
}

void StrokeRecord::clear()
{
    saved_ = touched_ = {};
    bytes_per_pixel_ = 0;
    before_.clear();
    before_.shrink_to_fit();
}

// --- A frame's image as a buffer.

bool paint_buffer_of_image(uint32_t image, PaintBuffer *buf)
{
    host().bind_image(image);
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const int bpp = format == IL_COLOUR_INDEX ? 1 : format == IL_RGBA ? 4 : 0;
    uint8_t *data = host().get_data();
    const int w = host().width(), h = host().height();
    if (!bpp || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE || ilGetInteger(IL_IMAGE_BPP) != bpp
        || ilGetInteger(IL_IMAGE_DEPTH) != 1 || !data || w <= 0 || h <= 0)
        return false;
    PaintBuffer b;
    b.width = w, b.height = h, b.bytes_per_pixel = bpp;
    b.stride = static_cast<ptrdiff_t>(w) * bpp;
    b.top = data;
    if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT) {
        b.top = data + b.stride * (h - 1);
        b.stride = -b.stride;
    }
    if (bpp == 1) {
        uint8_t palette[1024];
        b.transparent = palette_transparent_index(palette, bound_palette_rgba(palette));
    }
    *buf = b;
    return true;
}

void paint_to_rgba(const PaintBuffer &buf, const uint8_t *palette, PaintRect area, uint8_t *picture, ptrdiff_t stride)
{
    if (!buf.valid() || !picture)
        return;
    const PaintRect r = clipped(buf, area);
    for (int y = r.y; y < r.y + r.h; ++y) {
        const uint8_t *from = buf.top + y * buf.stride + static_cast<ptrdiff_t>(r.x) * buf.bytes_per_pixel;
        uint8_t *to = picture + y * stride + static_cast<ptrdiff_t>(r.x) * 4;
        if (buf.bytes_per_pixel == 4) {
            std::memcpy(to, from, static_cast<size_t>(r.w) * 4);
            continue;
        }
        if (!palette)
            return;
        for (int x = 0; x < r.w; ++x)
            std::memcpy(to + x * 4, palette + from[x] * 4, 4);
    }
}
