// Colour matching of a 1024 x 1024 true-colour image with about 0.7 million
// distinct colours against the Quake palette: the plain rule with a hash
// map of answers (how remapping worked before the matcher) against
// remap_to_palette.
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>
#include <IL/il.h>

#include "image/host_table.h"
#include "image/quake_palette.h"

namespace {

const std::vector<uint8_t> &noisy_image()
{
    static const std::vector<uint8_t> rgba = [] {
        std::vector<uint8_t> pixels(1024 * 1024 * 4);
        std::mt19937 random(42);
        // Smooth gradients with noise: many colours, as in photographs.
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x) {
                uint8_t *p = &pixels[(static_cast<size_t>(y) * 1024 + x) * 4];
                p[0] = static_cast<uint8_t>(x / 4 + random() % 48);
                p[1] = static_cast<uint8_t>(y / 4 + random() % 48);
                p[2] = static_cast<uint8_t>((x + y) / 8 + random() % 48);
                p[3] = 255;
            }
        return pixels;
    }();
    return rgba;
}

void quake_like_palette()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    host().initialise();
    std::mt19937 random(7);
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c)
            default_palette[i * 4 + c] = static_cast<uint8_t>(random());
        default_palette[i * 4 + 3] = 255;
    }
}

void BM_PlainRuleWithHashMap(benchmark::State &state)
{
    quake_like_palette();
    const std::vector<uint8_t> &rgba = noisy_image();
    std::vector<uint8_t> indexes(rgba.size() / 4);
    for (auto _ : state) {
        std::unordered_map<uint32_t, uint8_t> matched;
        for (size_t p = 0; p < indexes.size(); ++p) {
            const uint8_t *c = &rgba[p * 4];
            const uint32_t key = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16;
            const auto found = matched.find(key);
            if (found != matched.end()) {
                indexes[p] = found->second;
                continue;
            }
            indexes[p] = static_cast<uint8_t>(nearest_palette_index(default_palette, 256, c[0], c[1], c[2], 1));
            matched.emplace(key, indexes[p]);
        }
        benchmark::DoNotOptimize(indexes.data());
    }
}
BENCHMARK(BM_PlainRuleWithHashMap)->Unit(benchmark::kMillisecond);

void BM_RemapToPalette(benchmark::State &state)
{
    quake_like_palette();
    const std::vector<uint8_t> &rgba = noisy_image();
    const ILuint image = host().gen_image();
    for (auto _ : state) {
        state.PauseTiming();
        host().bind_image(image);
        ilTexImage(1024, 1024, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, const_cast<uint8_t *>(rgba.data()));
        state.ResumeTiming();
        remap_to_palette(default_palette, 256);
    }
    host().delete_image(image);
}
BENCHMARK(BM_RemapToPalette)->Unit(benchmark::kMillisecond);

} // namespace
