// vorn-cli palette: read a palette from any palette source (a palette file
// or a paletted image) and write it in the format of another name.
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "archive/archive.h"
#include "cli/cli.h"
#include "document/animation.h"
#include "formats/format_table.h"
#include "io/byte_io.h"
#include "image/quake_palette.h"

namespace {

// Holds what the formats say during one step, so that the command can say
// in one line which file failed, whether reading or writing, and why.
class HeldMessages : public Platform {
public:
    HeldMessages() : previous_(&platform()) { set_platform(this); }
    ~HeldMessages() override { set_platform(previous_); }
    HeldMessages(const HeldMessages &) = delete;
    HeldMessages &operator=(const HeldMessages &) = delete;

    void show_message(const std::string &text, MessageIcon) override { texts_.push_back(text); }
    bool ask_yes_no(const std::string &text) override { return previous_->ask_yes_no(text); }
    void set_progress(int percent) override { previous_->set_progress(percent); }

    bool empty() const { return texts_.empty(); }
    // What was said, without the dispatch's closing line `vague` (which
    // names neither the file nor a cause), or `instead` when nothing else was.
    std::string cause(const char *vague, const char *instead) const
    {
        std::string all;
        for (const std::string &text : texts_)
            if (text != vague)
                all += (all.empty() ? "" : "; ") + text;
        return all.empty() ? instead : all;
    }

private:
    Platform *previous_;
    std::vector<std::string> texts_;
};

// Quake pictures, textures and WAD2 archives hold indexes into the game's
// palette, which they do not carry: a file of these that loads gives that
// palette (the palette.lmp beside the program).
bool uses_implied_palette(const std::string &path)
{
    const std::string ext = lower_extension(path.c_str());
    if (ext != ".mip" && ext != ".lmp" && ext != ".wad")
        return false;
    Animation anim;
    anim_init(&anim);
    file_load(path.c_str(), &anim);
    const bool loaded = anim.group_count > 0;
    anim_destroy(&anim);
    return loaded;
}

bool implied_palette_known()
{
    for (int i = 0; i < 1024; ++i)
        if (default_palette[i])
            return true;
    return false;
}

} // namespace

int cli_palette(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(args, {{"--json", false}}, options))
        return status;
    if (options.positionals.size() != 2)
        return cli_usage_error("palette needs an input and an output file");
    const std::string in = options.positionals[0];
    const std::string out = options.positionals[1];

    CliRun run("palette", options.has("--json"));
    std::string archive, entry;
    if (!split_archive_path(in, archive, entry)) {
        const int fd = open(in.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return run.finish(run.fail("Cannot read a palette from " + in + ": " + std::strerror(errno)));
        close(fd);
    }

    uint8_t palette[1024] = {};
    int count = 0;
    {
        HeldMessages held;
        // A palette of its own (a 768-byte .lmp is a palette.lmp) comes first.
        count = palette_file_load(in.c_str(), palette);
        if (count <= 0 && uses_implied_palette(in)) {
            if (!implied_palette_known())
                return run.finish(run.fail("Cannot read a palette from " + in
                                           + ": its pictures use the Quake palette, and the palette.lmp beside "
                                             "the program could not be read"));
            std::memcpy(palette, default_palette, sizeof palette);
            count = 256;
        }
        if (count <= 0) {
            return run.finish(
                run.fail("Cannot read a palette from " + in + ": "
                         + held.cause("Unable to load file",
                                      "it is not a palette file or a paletted image Vorn can read")));
        }
    }
    run.read(in);

    // The palette writers save like every other writer: a new file beside
    // the target replaces it only once it is whole on disk.
    HeldMessages held;
    palette_file_save(out.c_str(), palette, count);
    if (!held.empty())
        return run.finish(run.fail("Cannot write the palette to " + out + ": "
                                   + held.cause("Unable to save file in specified format",
                                                "its name is of no palette format Vorn writes (.lmp, .pal)")));
    run.wrote(out);
    return run.finish(0);
}
