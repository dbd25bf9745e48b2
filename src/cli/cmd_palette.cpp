// vorn-cli palette: read a palette from any palette source (a palette file
// or a paletted image) and write it in the format of another name.
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "fileio/format_table.h"

namespace {

// Passes everything on to the console and counts the messages, so that the
// command can tell whether the palette dispatch reported a failure.
class CountingPlatform : public Platform {
public:
    explicit CountingPlatform(Platform &inner) : inner_(inner) {}
    void show_message(const std::string &text, MessageIcon icon) override
    {
        ++messages_;
        inner_.show_message(text, icon);
    }
    bool ask_yes_no(const std::string &text) override { return inner_.ask_yes_no(text); }
    int messages() const { return messages_; }

private:
    Platform &inner_;
    int messages_ = 0;
};

} // namespace

int cli_palette(const Args &args)
{
    Args paths;
    if (const int status = cli_take_two_paths(args, "palette needs an input and an output file", paths))
        return status;

    uint8_t palette[1024] = {};
    const int count = palette_file_load(paths[0].c_str(), palette);
    if (count <= 0)
        return 1;

    CountingPlatform counting(platform());
    set_platform(&counting);
    palette_file_save(paths[1].c_str(), palette, count);
    set_platform(cli_console);
    return counting.messages() == 0 ? 0 : 1;
}
