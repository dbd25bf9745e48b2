// Benchmarks of the core's hot paths. Build with -DVORN_BUILD_BENCH=ON and
// run build/bin/vorn_bench.
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include "document/animation.h"
#include "decode/child_decode.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "platform/console_platform.h"
#include "image/host_table.h"
#include "image/quake_palette.h"

namespace {

void start_library()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    host().initialise();
    for (int i = 0; i < 256; ++i) {
        default_palette[i * 4] = static_cast<uint8_t>(i);
        default_palette[i * 4 + 1] = static_cast<uint8_t>(255 - i);
        default_palette[i * 4 + 2] = static_cast<uint8_t>(i * 7);
        default_palette[i * 4 + 3] = 255;
    }
}

// An RGBA picture of n x n with many colours, saved once as PNG.
std::string sample_png(int n)
{
    const std::string path = "/tmp/vorn_bench_" + std::to_string(n) + ".png";
    Animation anim;
    anim_init(&anim);
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4);
    for (size_t p = 0; p < rgba.size(); ++p)
        rgba[p] = static_cast<uint8_t>((p * 2654435761u) >> 13);
    ilTexImage(n, n, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
    generic_image_save(path.c_str(), &anim);
    anim_destroy(&anim);
    return path;
}

void BM_NearestPaletteIndex(benchmark::State &state)
{
    start_library();
    int colour = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            nearest_palette_index(default_palette, 256, colour & 255, (colour >> 8) & 255, (colour >> 16) & 255, 1));
        colour += 7919;
    }
}
BENCHMARK(BM_NearestPaletteIndex);

void BM_RemapToPalette1024(benchmark::State &state)
{
    start_library();
    std::vector<uint8_t> rgba(1024 * 1024 * 4);
    for (size_t p = 0; p < rgba.size(); ++p)
        rgba[p] = static_cast<uint8_t>(p * 31);
    const ILuint image = iluGenImage();
    for (auto _ : state) {
        ilBindImage(image);
        ilTexImage(1024, 1024, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
        remap_to_palette(default_palette, 256);
    }
    iluDeleteImage(image);
}
BENCHMARK(BM_RemapToPalette1024)->Unit(benchmark::kMillisecond);

// A plain in-process load of the file, the way the library alone would read
// it: what the child decode is measured against.
void BM_InProcessLoadPng(benchmark::State &state)
{
    start_library();
    const std::string path = sample_png(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        benchmark::DoNotOptimize(ilLoadImage(path.c_str()));
        const ILuint copy = ilCloneCurImage();
        ilDeleteImages(1, &copy);
        ilDeleteImages(1, &image);
    }
}
BENCHMARK(BM_InProcessLoadPng)->Arg(64)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

// The generic loader: the file decoded by vorn-decode in a child, the frames
// brought back over the pipe and built into the document's images.
void BM_GenericLoadPng(benchmark::State &state)
{
    start_library();
    ConsolePlatform quiet(ConsolePlatform::Answer::No);
    set_platform(&quiet);
    const std::string path = sample_png(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Animation anim;
        anim_init(&anim);
        generic_image_load(path.c_str(), &anim);
        anim_destroy(&anim);
    }
    set_platform(nullptr);
}
BENCHMARK(BM_GenericLoadPng)->Arg(64)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

// The same with every decoder a start of vorn-decode of its own (no server):
// what the server saves.
void BM_GenericLoadPngWithoutServer(benchmark::State &state)
{
    use_decode_server(false);
    BM_GenericLoadPng(state);
    use_decode_server(true);
}
BENCHMARK(BM_GenericLoadPngWithoutServer)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond);

} // namespace
