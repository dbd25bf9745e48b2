// The paint tools on a 1024 x 1024 frame: what one pointer event of a
// pencil stroke with the largest brush costs (the segment since the last
// event, saved into the stroke's record first), the same event from the
// pointer to the repainted view (the display copy's changed pixels made
// again and the changed part of a 1280 x 800 view composed, at every zoom),
// and a fill of the whole frame.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "views/logic/paint_tools.h"
#include "views/logic/preview_logic.h"

namespace {

constexpr int SIDE = 1024;

struct Frame {
    explicit Frame(int bytes_per_pixel)
        : pixels(static_cast<size_t>(SIDE) * SIDE * static_cast<size_t>(bytes_per_pixel))
    {
        buf = {pixels.data(), static_cast<ptrdiff_t>(SIDE) * bytes_per_pixel, SIDE, SIDE, bytes_per_pixel, 255};
    }
    std::vector<uint8_t> pixels;
    PaintBuffer buf;
};

// Strokes round a circle of radius 400 in 64 pointer events (segments of
// about 40 pixels), each stroke with a record of its own, as the editor
// keeps one.
void BM_PencilEventBrush16(benchmark::State &state)
{
    Frame frame(1);
    const Brush brush{16, state.range(0) ? BrushShape::Round : BrushShape::Square};
    StrokeRecord record;
    int event = 0;
    auto point = [](int k, int *x, int *y) {
        const double a = k * 6.283185307179586 / 64;
        *x = SIDE / 2 + static_cast<int>(400 * std::cos(a));
        *y = SIDE / 2 + static_cast<int>(400 * std::sin(a));
    };
    for (auto _ : state) {
        int x0, y0, x1, y1;
        point(event, &x0, &y0);
        point(event + 1, &x1, &y1);
        benchmark::DoNotOptimize(paint_line(frame.buf, x0, y0, x1, y1, brush, static_cast<uint32_t>(event & 0xFF), &record));
        if (++event == 64) {
            event = 0;
            record.clear();
        }
    }
}
BENCHMARK(BM_PencilEventBrush16)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One pencil event from the pointer to the pixels the view shows: the
// segment painted, the display copy's changed rectangle converted through
// the palette, and the part of the view that shows it composed (with the
// checkerboard and, from zoom 8, the grid), as the preview does for the
// repaint it asks for. Arg: the zoom. The view is scrolled so that the
// stroke is in it.
void BM_PencilEventToView(benchmark::State &state)
{
    const float zoom = static_cast<float>(state.range(0));
    constexpr int VIEW_W = 1280, VIEW_H = 800;
    Frame frame(1);
    std::vector<uint8_t> palette(1024);
    for (int i = 0; i < 1024; ++i)
        palette[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7);
    std::vector<uint32_t> picture(static_cast<size_t>(SIDE) * SIDE);
    std::vector<uint32_t> view(static_cast<size_t>(VIEW_W) * VIEW_H);
    const Brush brush{16, BrushShape::Round};
    const int dw = preview_scaled_size(SIDE, zoom);
    // Scrolled to the picture's middle, where the strokes go.
    const int scroll = std::max(0, dw / 2 - VIEW_W / 2);
    const PreviewPlacement place = preview_place(SIDE, SIDE, zoom, VIEW_W, VIEW_H, scroll, std::max(0, dw / 2 - VIEW_H / 2));
    const PreviewRect visible = preview_visible_part(place, VIEW_W, VIEW_H);
    PreviewPaint paint;
    paint.checkerboard = true;
    paint.grid = true;
    paint.zoom = zoom;
    const PreviewImage image{picture.data(), SIDE, SIDE, SIDE};
    StrokeRecord record;
    int event = 0;
    // Segments of about 40 picture pixels round the middle, shrunk so that
    // they stay in view at high zooms.
    const double radius = std::min(400.0, (VIEW_H / 2) / zoom * 0.8);
    auto point = [&](int k, int *x, int *y) {
        const double a = k * 6.283185307179586 / 64;
        *x = SIDE / 2 + static_cast<int>(radius * std::cos(a));
        *y = SIDE / 2 + static_cast<int>(radius * std::sin(a));
    };
    for (auto _ : state) {
        int x0, y0, x1, y1;
        point(event, &x0, &y0);
        point(event + 1, &x1, &y1);
        const PaintRect changed = paint_line(frame.buf, x0, y0, x1, y1, brush, static_cast<uint32_t>(event & 0xFF), &record);
        paint_to_rgba(frame.buf, palette.data(), changed, reinterpret_cast<uint8_t *>(picture.data()), SIDE * 4);
        // The view rectangle of the changed pixels, held to the visible part.
        const int64_t left = std::max<int64_t>(visible.x, place.x0 + static_cast<int64_t>(changed.x * zoom) - 1);
        const int64_t top = std::max<int64_t>(visible.y, place.y0 + static_cast<int64_t>(changed.y * zoom) - 1);
        const int64_t right = std::min<int64_t>(visible.x + visible.w, place.x0 + static_cast<int64_t>((changed.x + changed.w) * zoom) + 1);
        const int64_t bottom = std::min<int64_t>(visible.y + visible.h, place.y0 + static_cast<int64_t>((changed.y + changed.h) * zoom) + 1);
        if (right > left && bottom > top) {
            const PreviewRect part{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left), static_cast<int>(bottom - top)};
            preview_compose_part(image, 0, 0, SIDE, SIDE, place, part, paint, view.data(), part.w);
        }
        benchmark::DoNotOptimize(view.data());
        if (++event == 64) {
            event = 0;
            record.clear();
        }
    }
}
BENCHMARK(BM_PencilEventToView)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

// The worst single event: one segment across the whole frame's diagonal.
void BM_PencilDiagonalBrush16(benchmark::State &state)
{
    Frame frame(1);
    uint32_t value = 0;
    for (auto _ : state) {
        StrokeRecord record;
        benchmark::DoNotOptimize(
            paint_line(frame.buf, 0, 0, SIDE - 1, SIDE - 1, {16, BrushShape::Round}, ++value & 0xFF, &record));
    }
}
BENCHMARK(BM_PencilDiagonalBrush16)->Unit(benchmark::kMicrosecond);

// A whole frame of one value filled with another, its record taken. Args:
// bytes per pixel, and 1 for the global fill.
void BM_FillWholeFrame(benchmark::State &state)
{
    Frame frame(static_cast<int>(state.range(0)));
    const FillMode mode = state.range(1) ? FillMode::Global : FillMode::Contiguous;
    uint32_t value = 0;
    for (auto _ : state) {
        StrokeRecord record;
        value = value == 1 ? 2 : 1;
        benchmark::DoNotOptimize(paint_fill(frame.buf, SIDE / 2, SIDE / 2, value, mode, &record));
    }
}
BENCHMARK(BM_FillWholeFrame)->Args({1, 0})->Args({1, 1})->Args({4, 0})->Unit(benchmark::kMillisecond);

} // namespace
