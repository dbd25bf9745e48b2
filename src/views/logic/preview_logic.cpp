#include "views/logic/preview_logic.h"

#include <algorithm>
#include <cstring>
#include <bit>
#include <cmath>
#include <vector>

float preview_zoom = 1.0f;
int origin_mode = 0;
int alpha_view = 0;
void (*preview_filter_hook)() = nullptr;

float preview_zoom_step_in(float zoom)
{
    const float next = zoom * 2.0f;
    return next > PREVIEW_ZOOM_MAX ? PREVIEW_ZOOM_MAX : next;
}

float preview_zoom_step_out(float zoom)
{
    const float next = zoom * 0.5f;
    return next < PREVIEW_ZOOM_MIN ? PREVIEW_ZOOM_MIN : next;
}

int preview_scaled_size(int side, float zoom)
{
    if (zoom == 1.0f)
        return side;
    const double scaled = static_cast<double>(side) * static_cast<double>(zoom);
    if (!(scaled > 0.0))
        return 0;
    return scaled >= 2147483647.0 ? 2147483647 : static_cast<int>(scaled);
}

namespace {

// One axis of the placement: returns the start and fills the bar's state.
int place_axis(int zoomed, int client, int position, bool *bar, int *max, int *pos)
{
    if (zoomed < client) {
        *bar = false;
        *max = 0;
        *pos = 0;
        return (client - zoomed) / 2;
    }
    *max = zoomed - client;
    *bar = *max > 0;
    *pos = std::clamp(position, 0, *max);
    return -*pos;
}

} // namespace

PreviewPlacement preview_place(int w, int h, float zoom, int cw, int ch, int h_pos, int v_pos)
{
    PreviewPlacement p;
    p.dw = preview_scaled_size(std::max(w, 0), zoom);
    p.dh = preview_scaled_size(std::max(h, 0), zoom);
    p.x0 = place_axis(p.dw, std::max(cw, 0), h_pos, &p.h_bar, &p.h_max, &p.h_pos);
    p.y0 = place_axis(p.dh, std::max(ch, 0), v_pos, &p.v_bar, &p.v_max, &p.v_pos);
    return p;
}

PreviewPoint preview_crosshair(const PreviewPlacement &place, float zoom, int ox, int oy)
{
    const double z = zoom;
    // Held inside the int range: an origin property can be any number.
    const auto to_int = [](double v) {
        return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
    };
    return {to_int(place.x0 + (ox + 0.5) * z), to_int(place.y0 + (oy + 0.5) * z)};
}

bool preview_click_to_origin(const PreviewPlacement &place, float zoom, int x, int y, int *ox, int *oy)
{
    // 64-bit sums: x0 + dw can pass the int range for huge zoomed pictures.
    if (x < place.x0 || static_cast<int64_t>(x) >= static_cast<int64_t>(place.x0) + place.dw)
        return false;
    if (y < place.y0 || static_cast<int64_t>(y) >= static_cast<int64_t>(place.y0) + place.dh)
        return false;
    if (!(zoom > 0.0f))
        return false;
    *ox = static_cast<int>(std::trunc(static_cast<double>(x - place.x0) / static_cast<double>(zoom)));
    *oy = static_cast<int>(std::trunc(static_cast<double>(y - place.y0) / static_cast<double>(zoom)));
    return true;
}

PreviewRect preview_visible_part(const PreviewPlacement &place, int cw, int ch)
{
    const int64_t left = std::max<int64_t>(place.x0, 0);
    const int64_t top = std::max<int64_t>(place.y0, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(place.x0) + place.dw, cw);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(place.y0) + place.dh, ch);
    PreviewRect r;
    if (right <= left || bottom <= top)
        return r;
    r.x = static_cast<int>(left);
    r.y = static_cast<int>(top);
    r.w = static_cast<int>(right - left);
    r.h = static_cast<int>(bottom - top);
    return r;
}

void preview_sample_part(const uint32_t *source, int w, int h, int source_stride, const PreviewPlacement &place,
                         const PreviewRect &part, uint32_t *out, int out_stride)
{
    if (!source || !out || part.empty() || w <= 0 || h <= 0 || place.dw <= 0 || place.dh <= 0)
        return;
    // Destination pixel X shows source column (X - x0) * w / dw, as a
    // nearest-neighbour stretch of the whole picture would.
    std::vector<int> columns(static_cast<size_t>(part.w));
    for (int i = 0; i < part.w; ++i) {
        const int64_t dx = static_cast<int64_t>(part.x) + i - place.x0;
        columns[static_cast<size_t>(i)] = static_cast<int>(std::clamp<int64_t>(dx * w / place.dw, 0, w - 1));
    }
    for (int j = 0; j < part.h; ++j) {
        const int64_t dy = static_cast<int64_t>(part.y) + j - place.y0;
        const int sy = static_cast<int>(std::clamp<int64_t>(dy * h / place.dh, 0, h - 1));
        const uint32_t *row = source + static_cast<int64_t>(sy) * source_stride;
        uint32_t *target = out + static_cast<int64_t>(j) * out_stride;
        for (int i = 0; i < part.w; ++i)
            target[i] = row[columns[static_cast<size_t>(i)]];
    }
}

float preview_fit_zoom(int w, int h, int cw, int ch)
{
    if (w <= 0 || h <= 0)
        return 1.0f;
    for (float zoom = PREVIEW_ZOOM_MAX; zoom >= PREVIEW_ZOOM_MIN; zoom *= 0.5f)
        if (preview_scaled_size(w, zoom) <= cw && preview_scaled_size(h, zoom) <= ch)
            return zoom;
    return PREVIEW_ZOOM_MIN;
}

namespace {

double anchor_axis(int start, int zoomed, int side, int point)
{
    if (zoomed <= 0 || side <= 0)
        return side / 2.0;
    return (static_cast<double>(point) - start) * side / zoomed;
}

int scroll_axis(double anchor, int zoomed, int side, int max, int point)
{
    if (max <= 0 || side <= 0)
        return 0;
    // The client column that shows the anchor's pixel first, as the
    // sampling maps columns (column X shows X * side / zoomed); the small
    // slack absorbs rounding of exact products such as 2.5 * 4.
    const double at = std::floor(anchor * zoomed / side + 1e-7) - point;
    return static_cast<int>(std::clamp(at, 0.0, static_cast<double>(max)));
}

} // namespace

PreviewAnchor preview_anchor_at(const PreviewPlacement &place, int w, int h, int px, int py)
{
    return {anchor_axis(place.x0, place.dw, w, px), anchor_axis(place.y0, place.dh, h, py)};
}

PreviewScroll preview_scroll_keeping(const PreviewAnchor &anchor, int w, int h, float zoom, int cw, int ch, int px,
                                     int py)
{
    const PreviewPlacement p = preview_place(w, h, zoom, cw, ch, 0, 0);
    return {scroll_axis(anchor.x, p.dw, w, p.h_max, px), scroll_axis(anchor.y, p.dh, h, p.v_max, py)};
}

PreviewCanvas preview_canvas_of(const PreviewFrameBox *frames, int count)
{
    PreviewCanvas canvas;
    if (!frames || count <= 0)
        return canvas;
    // Each frame covers [-origin, size - origin) around the common point.
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    std::vector<int64_t> ox(static_cast<size_t>(count)), oy(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PreviewFrameBox &f = frames[i];
        const int64_t w = std::max(f.w, 0), h = std::max(f.h, 0);
        ox[static_cast<size_t>(i)] = std::clamp<int64_t>(f.origin_x, -PREVIEW_ORIGIN_LIMIT, w + PREVIEW_ORIGIN_LIMIT);
        oy[static_cast<size_t>(i)] = std::clamp<int64_t>(f.origin_y, -PREVIEW_ORIGIN_LIMIT, h + PREVIEW_ORIGIN_LIMIT);
        const int64_t l = -ox[static_cast<size_t>(i)], t = -oy[static_cast<size_t>(i)];
        if (i == 0 || l < left)
            left = l;
        if (i == 0 || t < top)
            top = t;
        if (i == 0 || l + w > right)
            right = l + w;
        if (i == 0 || t + h > bottom)
            bottom = t + h;
    }
    canvas.w = static_cast<int>(right - left);
    canvas.h = static_cast<int>(bottom - top);
    canvas.origin = {static_cast<int>(-left), static_cast<int>(-top)};
    canvas.offsets.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < canvas.offsets.size(); ++i)
        canvas.offsets[i] = {static_cast<int>(-ox[i] - left), static_cast<int>(-oy[i] - top)};
    return canvas;
}

namespace {

// The alpha byte (the fourth in memory) within a picture word.
constexpr bool LITTLE_ENDIAN_WORDS = std::endian::native == std::endian::little;
constexpr uint32_t ALPHA_MASK = LITTLE_ENDIAN_WORDS ? 0xFF000000u : 0x000000FFu;

// A picture word (bytes red, green, blue, alpha) as an opaque 0xFFRRGGBB.
inline uint32_t opaque_word(uint32_t word)
{
    if constexpr (LITTLE_ENDIAN_WORDS)
        return 0xFF000000u | ((word & 0xFFu) << 16) | (word & 0xFF00u) | ((word >> 16) & 0xFFu);
    else
        return 0xFF000000u | (word >> 8);
}

// A grid pixel: a light pixel mixed halfway with black, a dark one with white.
uint32_t grid_word(uint32_t word)
{
    const uint32_t r = (word >> 16) & 0xFF, g = (word >> 8) & 0xFF, b = word & 0xFF;
    const uint32_t luma = (r * 2 + g * 5 + b) / 8;
    const auto mix = [luma](uint32_t c) { return luma >= 128 ? c / 2 : (c + 255) / 2; };
    return 0xFF000000u | (mix(r) << 16) | (mix(g) << 8) | mix(b);
}

// The fullbright mark: magenta, which no Quake palette colour is close to.
constexpr uint32_t MARK_COLOUR = 0xFFFF00FFu;
// A marked pixel too small to hatch: halfway to magenta.
inline uint32_t mark_word(uint32_t word)
{
    const uint32_t r = (word >> 16) & 0xFF, g = (word >> 8) & 0xFF, b = word & 0xFF;
    return 0xFF000000u | (((r + 255) / 2) << 16) | ((g / 2) << 8) | ((b + 255) / 2);
}

// One axis of the composition: for each client position, the frame pixel
// it shows (-1 outside the frame), its checkerboard parity and whether a
// grid line runs there.
struct AxisMap {
    std::vector<int> source;
    std::vector<uint8_t> parity;
    std::vector<uint8_t> line;
};

AxisMap map_axis(int first, int count, int start, int zoomed, int canvas_side, int frame_at, int frame_side,
                 bool grid, bool tiled)
{
    AxisMap m;
    m.source.resize(static_cast<size_t>(count));
    m.parity.resize(static_cast<size_t>(count));
    m.line.resize(static_cast<size_t>(count), 0);
    const auto canvas_pixel = [&](int64_t d) {
        return std::clamp<int64_t>(d * canvas_side / zoomed, 0, canvas_side - 1) - frame_at;
    };
    // Tiled, every canvas pixel shows the frame pixel it falls on when the
    // frame repeats from its place.
    const auto wrap = [&](int64_t fx) {
        if (!tiled || frame_side <= 0)
            return fx;
        const int64_t r = fx % frame_side;
        return r < 0 ? r + frame_side : r;
    };
    for (int i = 0; i < count; ++i) {
        const int64_t d = static_cast<int64_t>(first) + i - start; // >= 0 inside the drawn canvas
        const int64_t unwrapped = canvas_pixel(d);
        const int64_t fx = wrap(unwrapped);
        const bool inside = fx >= 0 && fx < frame_side;
        m.source[static_cast<size_t>(i)] = inside ? static_cast<int>(fx) : -1;
        m.parity[static_cast<size_t>(i)] = static_cast<uint8_t>((d / PREVIEW_CHECKER_SIZE) & 1);
        if (grid && inside && (tiled ? unwrapped + frame_at > 0 : fx > 0) && d > 0)
            m.line[static_cast<size_t>(i)] = canvas_pixel(d - 1) != unwrapped ? 1 : 0;
    }
    return m;
}

} // namespace

uint32_t preview_grey_word(uint8_t level) { return 0xFF000000u | level * 0x010101u; }

void preview_compose_part(const PreviewImage &frame, int frame_x, int frame_y, int canvas_w, int canvas_h,
                          const PreviewPlacement &place, const PreviewRect &part, const PreviewPaint &paint,
                          uint32_t *out, int out_stride)
{
    if (!out || part.empty() || canvas_w <= 0 || canvas_h <= 0 || place.dw <= 0 || place.dh <= 0)
        return;
    const bool has_frame = frame.pixels && frame.w > 0 && frame.h > 0 && frame.stride >= frame.w;
    const bool grid = paint.grid && paint.zoom >= PREVIEW_GRID_MIN_ZOOM;
    const AxisMap columns =
        map_axis(part.x, part.w, place.x0, place.dw, canvas_w, frame_x, has_frame ? frame.w : 0, grid, paint.tiled);
    const AxisMap rows =
        map_axis(part.y, part.h, place.y0, place.dh, canvas_h, frame_y, has_frame ? frame.h : 0, grid, paint.tiled);
    const bool hatch = paint.zoom >= PREVIEW_HATCH_MIN_ZOOM;
    const uint32_t checker[2] = {preview_grey_word(PREVIEW_CHECKER_LIGHT), preview_grey_word(PREVIEW_CHECKER_DARK)};
    const uint32_t empty = paint.empty | 0xFF000000u;
    for (int j = 0; j < part.h; ++j) {
        uint32_t *target = out + static_cast<int64_t>(j) * out_stride;
        const int sy = rows.source[static_cast<size_t>(j)];
        const uint8_t row_parity = rows.parity[static_cast<size_t>(j)];
        if (sy < 0) {
            // A row of the canvas above or below the frame.
            for (int i = 0; i < part.w; ++i)
                target[i] = paint.checkerboard ? checker[row_parity ^ columns.parity[static_cast<size_t>(i)]] : empty;
            continue;
        }
        const uint32_t *row = frame.pixels + static_cast<int64_t>(sy) * frame.stride;
        const uint32_t *under = paint.under ? paint.under + static_cast<int64_t>(sy) * frame.stride : nullptr;
        for (int i = 0; i < part.w; ++i) {
            const int sx = columns.source[static_cast<size_t>(i)];
            uint32_t word = sx >= 0 ? row[sx] : 0;
            if (under && sx >= 0 && (word & ALPHA_MASK) == 0 && (under[sx] & ALPHA_MASK) != 0)
                word = under[sx];
            if (sx < 0 && !paint.checkerboard)
                word = empty;
            else if (paint.checkerboard && (word & ALPHA_MASK) == 0)
                word = checker[row_parity ^ columns.parity[static_cast<size_t>(i)]];
            else
                word = opaque_word(word);
            target[i] = word;
        }
        if (paint.mark) {
            const uint8_t *marks = paint.mark + static_cast<int64_t>(sy) * frame.w;
            const int64_t y = static_cast<int64_t>(part.y) + j;
            for (int i = 0; i < part.w; ++i) {
                const int sx = columns.source[static_cast<size_t>(i)];
                if (sx < 0 || !marks[sx])
                    continue;
                // A diagonal hatch fixed to the view: every fourth line.
                if (!hatch)
                    target[i] = mark_word(target[i]);
                else if (((static_cast<int64_t>(part.x) + i + y) & 3) == 0)
                    target[i] = MARK_COLOUR;
            }
        }
        if (grid) {
            if (rows.line[static_cast<size_t>(j)]) {
                for (int i = 0; i < part.w; ++i)
                    if (columns.source[static_cast<size_t>(i)] >= 0)
                        target[i] = grid_word(target[i]);
            } else {
                for (int i = 0; i < part.w; ++i)
                    if (columns.line[static_cast<size_t>(i)])
                        target[i] = grid_word(target[i]);
            }
        }
    }
}

GameEffect preview_game_effect(const char *name, int width, int height)
{
    if (!name || width <= 0 || height <= 0)
        return GameEffect::None;
    if (std::strncmp(name, "sky", 3) == 0 && width == height * 2)
        return GameEffect::Sky;
    if (name[0] == '*')
        return GameEffect::Liquid;
    return GameEffect::None;
}

std::vector<uint32_t> preview_apply_game_effect(GameEffect effect, const uint32_t *picture, int w, int h, int stride,
                                                const uint8_t *indexes, int *out_w, int *out_h)
{
    std::vector<uint32_t> out;
    *out_w = *out_h = 0;
    if (!picture || w <= 0 || h <= 0 || stride < w)
        return out;
    if (effect == GameEffect::Sky) {
        const int side = w / 2;
        out.resize(static_cast<size_t>(side) * static_cast<size_t>(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < side; ++x) {
                const uint32_t front = picture[static_cast<int64_t>(y) * stride + x];
                const bool clear = indexes ? indexes[static_cast<int64_t>(y) * w + x] == 0
                                           : (front & ~ALPHA_MASK) == 0;
                out[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)] =
                    clear ? picture[static_cast<int64_t>(y) * stride + side + x] : front;
            }
        *out_w = side;
        *out_h = h;
        return out;
    }
    if (effect == GameEffect::Liquid) {
        // The engine's turbulence: 8 texels of amplitude over a period of
        // 16 pi texels in each direction.
        out.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        std::vector<int> shift_x(static_cast<size_t>(h)), shift_y(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y)
            shift_x[static_cast<size_t>(y)] = static_cast<int>(std::lround(8.0 * std::sin(y / 8.0)));
        for (int x = 0; x < w; ++x)
            shift_y[static_cast<size_t>(x)] = static_cast<int>(std::lround(8.0 * std::sin(x / 8.0)));
        const auto wrap = [](int v, int n) { return ((v % n) + n) % n; };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int sx = wrap(x + shift_x[static_cast<size_t>(y)], w);
                const int sy = wrap(y + shift_y[static_cast<size_t>(x)], h);
                out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                    picture[static_cast<int64_t>(sy) * stride + sx];
            }
        *out_w = w;
        *out_h = h;
    }
    return out;
}

std::vector<uint32_t> preview_onion_underlay(int w, int h, const PreviewOnionFrame *frames, int count, uint8_t grey,
                                             int opacity)
{
    if (w <= 0 || h <= 0 || !frames || count <= 0)
        return {};
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint32_t> sum(pixels * 4, 0);
    bool any = false;
    for (int f = 0; f < count; ++f) {
        const PreviewOnionFrame &o = frames[f];
        if (!o.pixels || o.w <= 0 || o.h <= 0 || o.stride < o.w)
            continue;
        for (int y = 0; y < h; ++y) {
            const int64_t sy = static_cast<int64_t>(y) + o.dy;
            if (sy < 0 || sy >= o.h)
                continue;
            const auto *row = reinterpret_cast<const uint8_t *>(o.pixels + sy * o.stride);
            for (int x = 0; x < w; ++x) {
                const int64_t sx = static_cast<int64_t>(x) + o.dx;
                if (sx < 0 || sx >= o.w || row[sx * 4 + 3] == 0)
                    continue;
                uint32_t *acc = &sum[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
                for (int c = 0; c < 3; ++c)
                    acc[c] += row[sx * 4 + c];
                acc[3] += 1;
                any = true;
            }
        }
    }
    if (!any)
        return {};
    const uint32_t a = static_cast<uint32_t>(std::clamp(opacity, 0, 100));
    std::vector<uint32_t> under(pixels, 0);
    for (size_t p = 0; p < pixels; ++p) {
        const uint32_t *acc = &sum[p * 4];
        if (!acc[3])
            continue;
        uint8_t bytes[4];
        for (int c = 0; c < 3; ++c)
            bytes[c] = static_cast<uint8_t>((grey * (100 - a) + acc[c] / acc[3] * a) / 100);
        bytes[3] = 255;
        std::memcpy(&under[p], bytes, 4);
    }
    return under;
}
