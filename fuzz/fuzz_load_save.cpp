// libFuzzer harness for a whole load and save. The input is written to a
// file with the extension FUZZ_EXTENSION and opened through the load
// dispatch (for the image-library formats that means the generic loader and
// the child decoder); whatever it gave is then saved through the save
// dispatch into every Quake format and PNG, so that the writers see every
// shape of document a file can produce.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "document/animation.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "image/quake_palette.h"

namespace {

// Answers every question with Yes so that the writers run to the end.
class QuietPlatform : public Platform {
public:
    void show_message(const std::string &, MessageIcon) override {}
    bool ask_yes_no(const std::string &) override { return true; }
};

const char *const OUTPUTS[] = {".spr", ".spr32", ".wad", ".lmp", ".mip", ".png"};

std::string input_path, output_stem;

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
    const std::string stem = "/dev/shm/vorn-fuzz-save-" + std::to_string(getpid());
    input_path = stem + "-in" FUZZ_EXTENSION;
    output_stem = stem + "-out";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!write_file(input_path.c_str(), data, size))
        return 0;
    Animation anim;
    anim_init(&anim);
    file_load(input_path.c_str(), &anim);
    if (anim.group_count > 0) {
        for (const char *ext : OUTPUTS) {
            const std::string out = output_stem + ext;
            file_save(out.c_str(), &anim);
            std::remove(out.c_str());
        }
    }
    anim_destroy(&anim);
    return 0;
}
