// The group browser over a WAD of 2,000 mip textures, a tenth of them in
// animated sequences: what the list does before it shows its first rows
// (finding the sequences, building the folded rows, the texts of the first
// rows), and, for scale, loading the archive itself.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "document/animation.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "platform/console_platform.h"
#include "quake/wad2.h"
#include "views/logic/group_browser_logic.h"

namespace {

constexpr int TEXTURES = 2000;
constexpr int SIDE = 64;
constexpr int FIRST_ROWS = 20;

// Every twentieth texture starts a sequence of ten: "+0seqN".."+4seqN" and
// the alternates "+aseqN".."+eseqN".
std::string texture_name(int i)
{
    const int block = i / 20, at = i % 20;
    if (at < 10) {
        const char c = static_cast<char>(at < 5 ? '0' + at : 'a' + at - 5);
        return std::string("+") + c + "seq" + std::to_string(block);
    }
    return "tex" + std::to_string(i);
}

std::vector<std::string> texture_names()
{
    std::vector<std::string> names;
    for (int i = 0; i < TEXTURES; ++i)
        names.push_back(texture_name(i));
    return names;
}

void put_u32(std::string &out, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

void put_name(std::string &out, const std::string &name)
{
    std::string field = name.substr(0, 16);
    field.resize(16, '\0');
    out += field;
}

// The archive, written byte by byte once.
const std::string &sample_wad()
{
    static std::string path;
    if (!path.empty())
        return path;
    path = "/tmp/vorn_bench_textures.wad";
    std::string out = "WAD2";
    put_u32(out, TEXTURES);
    put_u32(out, 0); // the directory's offset, below
    std::vector<uint32_t> offsets;
    for (int i = 0; i < TEXTURES; ++i) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        put_name(out, texture_name(i));
        put_u32(out, SIDE);
        put_u32(out, SIDE);
        uint32_t at = 40;
        for (int k = 0; k < 4; ++k) {
            put_u32(out, at);
            at += (SIDE >> k) * (SIDE >> k);
        }
        for (uint32_t p = 40; p < at; ++p)
            out.push_back(static_cast<char>((p * 31 + static_cast<uint32_t>(i)) % 255));
    }
    const uint32_t directory = static_cast<uint32_t>(out.size());
    for (int k = 0; k < 4; ++k)
        out[8 + static_cast<size_t>(k)] = static_cast<char>((directory >> (8 * k)) & 0xFF);
    for (int i = 0; i < TEXTURES; ++i) {
        const uint32_t start = offsets[static_cast<size_t>(i)];
        const uint32_t end = i + 1 < TEXTURES ? offsets[static_cast<size_t>(i) + 1] : directory;
        put_u32(out, start);
        put_u32(out, end - start);
        put_u32(out, end - start);
        out += std::string("D\0\0\0", 4);
        put_name(out, texture_name(i));
    }
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
    }
    return path;
}

// What the list model does when it is handed the group names, up to the
// texts of the rows a panel first shows.
std::vector<std::string> first_rows(const std::vector<std::string> &names)
{
    const std::vector<BrowserSequence> sequences = group_browser_sequences(names);
    const std::vector<BrowserRow> rows =
        group_browser_entries(names, sequences, std::vector<bool>(sequences.size(), false), "");
    std::vector<std::string> texts;
    for (size_t r = 0; r < rows.size() && r < FIRST_ROWS; ++r)
        texts.push_back(rows[r].kind == BrowserRowKind::Sequence
                            ? group_browser_sequence_text(sequences[static_cast<size_t>(rows[r].sequence)], false)
                            : names[static_cast<size_t>(rows[r].group)]);
    return texts;
}

void BM_GroupBrowserFirstRows(benchmark::State &state)
{
    const std::vector<std::string> names = texture_names();
    for (auto _ : state)
        benchmark::DoNotOptimize(first_rows(names));
}
BENCHMARK(BM_GroupBrowserFirstRows)->Unit(benchmark::kMillisecond);

// The filter typed into the panel: every keystroke builds the rows again.
void BM_GroupBrowserFilter(benchmark::State &state)
{
    const std::vector<std::string> names = texture_names();
    const std::vector<BrowserSequence> sequences = group_browser_sequences(names);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            group_browser_entries(names, sequences, std::vector<bool>(sequences.size(), true), "seq1"));
}
BENCHMARK(BM_GroupBrowserFilter)->Unit(benchmark::kMillisecond);

// Opening the archive and listing it: the load, then the names the window
// hands the panel and its first rows.
void BM_GroupBrowserOpenWad(benchmark::State &state)
{
    static const bool started = (host().initialise(), true);
    (void)started;
    ConsolePlatform quiet(ConsolePlatform::Answer::No);
    set_platform(&quiet);
    const std::string &path = sample_wad();
    for (auto _ : state) {
        Animation anim;
        anim_init(&anim);
        wad2_load(path.c_str(), &anim);
        std::vector<std::string> names;
        for (int g = 0; g < anim.group_count; ++g)
            names.emplace_back(anim.groups[g].name ? anim.groups[g].name : "");
        benchmark::DoNotOptimize(first_rows(names));
        state.PauseTiming();
        anim_destroy(&anim);
        state.ResumeTiming();
    }
    set_platform(nullptr);
}
BENCHMARK(BM_GroupBrowserOpenWad)->Unit(benchmark::kMillisecond);

} // namespace
