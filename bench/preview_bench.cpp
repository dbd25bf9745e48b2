// The preview's drawing: what one repaint costs at each zoom on a 2048 x 2048
// RGBA frame in a 1280 x 800 viewport (the visible part sampled, with the
// checkerboard and the pixel grid composited), against the plain sampling
// the preview used before, and the frame conversion through the image
// library that a zoom no longer pays.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <IL/il.h>

#include "document/animation.h"
#include "image/host_table.h"
#include "views/logic/preview_logic.h"

namespace {

constexpr int SIDE = 2048;
constexpr int VIEW_W = 1280;
constexpr int VIEW_H = 800;
constexpr float ZOOMS[] = {0.02f, 0.25f, 1.0f, 8.0f, 64.0f};

// A frame of many colours in which every seventh pixel is transparent.
const std::vector<uint32_t> &sample_frame()
{
    static std::vector<uint32_t> pixels;
    if (pixels.empty()) {
        pixels.resize(static_cast<size_t>(SIDE) * SIDE);
        for (size_t p = 0; p < pixels.size(); ++p) {
            const uint32_t colour = static_cast<uint32_t>((p * 2654435761u) >> 8) & 0x00FFFFFFu;
            const uint8_t alpha = p % 7 == 0 ? 0 : 255;
            uint8_t bytes[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                                static_cast<uint8_t>(colour >> 16), alpha};
            std::memcpy(&pixels[p], bytes, 4);
        }
    }
    return pixels;
}

// The placement of the frame at `zoom`, scrolled to the middle of its range.
PreviewPlacement middle_placement(float zoom)
{
    const PreviewPlacement p = preview_place(SIDE, SIDE, zoom, VIEW_W, VIEW_H, 0, 0);
    return preview_place(SIDE, SIDE, zoom, VIEW_W, VIEW_H, p.h_max / 2, p.v_max / 2);
}

void BM_PreviewComposeView(benchmark::State &state)
{
    const float zoom = ZOOMS[state.range(0)];
    const std::vector<uint32_t> &frame = sample_frame();
    const PreviewPlacement p = middle_placement(zoom);
    const PreviewRect part = preview_visible_part(p, VIEW_W, VIEW_H);
    PreviewPaint paint;
    paint.checkerboard = true;
    paint.grid = true;
    paint.zoom = zoom;
    paint.empty = preview_grey_word(171);
    std::vector<uint32_t> out(static_cast<size_t>(VIEW_W) * VIEW_H);
    const PreviewImage image{frame.data(), SIDE, SIDE, SIDE};
    for (auto _ : state) {
        preview_compose_part(image, 0, 0, SIDE, SIDE, p, part, paint, out.data(), VIEW_W);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel("zoom " + std::to_string(zoom).substr(0, 4));
}
BENCHMARK(BM_PreviewComposeView)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The same repaint with the game's views on a 1024 x 1024 frame (Arg 0:
// zoom index, Arg 1: 0 plain, 1 fullbright marks on a tenth of the pixels,
// 2 onion skin under the transparent ones) and the tiled view of a 512 x
// 512 frame (Arg 1: 3), to set against the plain repaint of the same frame.
// Game Lighting costs nothing here: it changes the picture's colours when
// the picture is made, not the repaint.
void BM_PreviewComposeGameViews(benchmark::State &state)
{
    const float zoom = ZOOMS[state.range(0)];
    const int mode = static_cast<int>(state.range(1));
    const int side = mode == 3 ? 512 : 1024;
    const std::vector<uint32_t> &frame = sample_frame(); // rows of SIDE words; the frame is its top-left corner
    std::vector<uint8_t> marks(static_cast<size_t>(side) * side);
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = i % 10 == 3;
    std::vector<uint32_t> under(static_cast<size_t>(SIDE) * side, 0xFF808080u);
    const int canvas = mode == 3 ? side * 3 : side;
    const PreviewPlacement first = preview_place(canvas, canvas, zoom, VIEW_W, VIEW_H, 0, 0);
    const PreviewPlacement p = preview_place(canvas, canvas, zoom, VIEW_W, VIEW_H, first.h_max / 2, first.v_max / 2);
    const PreviewRect part = preview_visible_part(p, VIEW_W, VIEW_H);
    PreviewPaint paint;
    paint.checkerboard = true;
    paint.grid = true;
    paint.zoom = zoom;
    paint.empty = preview_grey_word(171);
    paint.mark = mode == 1 ? marks.data() : nullptr;
    paint.under = mode == 2 ? under.data() : nullptr;
    paint.tiled = mode == 3;
    std::vector<uint32_t> out(static_cast<size_t>(VIEW_W) * VIEW_H);
    const PreviewImage image{frame.data(), side, side, SIDE};
    const int at = mode == 3 ? side : 0;
    for (auto _ : state) {
        preview_compose_part(image, at, at, canvas, canvas, p, part, paint, out.data(), VIEW_W);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    static const char *const names[] = {"plain 1024", "fullbright 1024", "onion 1024", "tiled 512"};
    state.SetLabel(std::string(names[mode]) + ", zoom " + std::to_string(zoom).substr(0, 4));
}
BENCHMARK(BM_PreviewComposeGameViews)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 4, 1), {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond);

void BM_PreviewPlainSample(benchmark::State &state)
{
    const float zoom = ZOOMS[state.range(0)];
    const std::vector<uint32_t> &frame = sample_frame();
    const PreviewPlacement p = middle_placement(zoom);
    const PreviewRect part = preview_visible_part(p, VIEW_W, VIEW_H);
    std::vector<uint32_t> out(static_cast<size_t>(VIEW_W) * VIEW_H);
    for (auto _ : state) {
        preview_sample_part(frame.data(), SIDE, SIDE, SIDE, p, part, out.data(), VIEW_W);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel("zoom " + std::to_string(zoom).substr(0, 4));
}
BENCHMARK(BM_PreviewPlainSample)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The frame copied and converted to RGBA through the image library, as a
// refresh does (and as every zoom step did before it kept the picture).
void BM_PreviewPictureConversion(benchmark::State &state)
{
    static bool started = false;
    if (!started) {
        host().initialise();
        started = true;
    }
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Animation anim;
    anim_init(&anim);
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    std::vector<uint8_t> indexes(static_cast<size_t>(w) * h);
    for (size_t p = 0; p < indexes.size(); ++p)
        indexes[p] = static_cast<uint8_t>(p * 31);
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               indexes.data());
    std::vector<uint8_t> palette(1024, 255);
    host().set_palette(palette.data(), 256);
    const HostTable &lib = host();
    for (auto _ : state) {
        const uint32_t scratch = lib.gen_image();
        lib.bind_image(scratch);
        lib.copy_image(group->frames[0].image);
        lib.convert_image(IMAGE_RGBA);
        std::vector<uint8_t> copy(lib.get_data(), lib.get_data() + static_cast<size_t>(w) * h * 4);
        benchmark::DoNotOptimize(copy.data());
        lib.delete_image(scratch);
    }
    anim_destroy(&anim);
}
BENCHMARK(BM_PreviewPictureConversion)->Args({320, 200})->Args({2048, 2048})->Unit(benchmark::kMillisecond);

} // namespace
