// The paint tools on a 1024 x 1024 frame: what one pointer event of a
// pencil stroke with the largest brush costs (the segment since the last
// event, saved into the stroke's record first), and a fill of the whole
// frame.
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "views/logic/paint_tools.h"

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
