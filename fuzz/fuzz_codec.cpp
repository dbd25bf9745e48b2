// libFuzzer harness for one file codec. FUZZ_EXTENSION picks the codec: the
// input is written to a file with that extension, read by the codec's row
// operation, and whatever it read is written back by the matching writer.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "document/animation.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/picture.h"
#include "image/quake_palette.h"
#include "quake/sprite.h"
#include "quake/wad2.h"

namespace {

// Answers every question with Yes so that the writers run to the end.
class QuietPlatform : public Platform {
public:
    void show_message(const std::string &, MessageIcon) override {}
    bool ask_yes_no(const std::string &) override { return true; }
};

struct Codec {
    int32_t (*load)(const char *, Animation *);
    int32_t (*save)(const char *, Animation *);
    int32_t (*load_palette)(const char *, uint8_t *);
    int32_t (*save_palette)(const char *, const uint8_t *, int32_t);
};

int32_t wad3_load(const char *path, Animation *anim) { return load_result_shown(wad3_read(path, anim)); }

Codec codec_for(const std::string &extension)
{
    if (extension == ".spr")
        return {quake_sprite_load, quake_sprite_save, nullptr, nullptr};
    if (extension == ".spr32")
        return {sprite32_load, sprite32_save, nullptr, nullptr};
    if (extension == ".wad")
        return {wad2_load, wad2_save, nullptr, nullptr};
    if (extension == ".wad3")
        return {wad3_load, wad3_save, nullptr, nullptr};
    if (extension == ".lmp")
        return {lmp_load, lmp_save, palette_lmp_load, palette_lmp_save};
    if (extension == ".mip")
        return {mip_load, mip_save, nullptr, nullptr};
    return {nullptr, nullptr, generic_palette_load, generic_palette_save};
}

std::string input_path, output_path;
Codec codec;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static QuietPlatform quiet;
    set_platform(&quiet);
    host().initialise();
    for (int i = 0; i < 256; ++i) {
        default_palette[i * 4] = static_cast<uint8_t>(i);
        default_palette[i * 4 + 1] = static_cast<uint8_t>(i * 3);
        default_palette[i * 4 + 2] = static_cast<uint8_t>(i * 7);
        default_palette[i * 4 + 3] = i == 255 ? 0 : 255;
    }
    const std::string stem = "/dev/shm/vorn-fuzz-" + std::to_string(getpid());
    input_path = stem + "-in" FUZZ_EXTENSION;
    output_path = stem + "-out" FUZZ_EXTENSION;
    codec = codec_for(FUZZ_EXTENSION);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!write_file(input_path.c_str(), data, size))
        return 0;
    if (codec.load) {
        Animation anim;
        anim_init(&anim);
        if (codec.load(input_path.c_str(), &anim) && codec.save)
            codec.save(output_path.c_str(), &anim);
        anim_destroy(&anim);
    }
    if (codec.load_palette) {
        uint8_t palette[1024];
        const int n = codec.load_palette(input_path.c_str(), palette);
        if (n > 0 && n <= 256 && codec.save_palette)
            codec.save_palette(output_path.c_str(), palette, n);
    }
    std::remove(output_path.c_str());
    return 0;
}
