// vorn-cli: the batch tool over Vorn's file formats.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "cli/cli.h"
#include "plugins/host_table.h"
#include "plugins/plugin_loader.h"
#include "platform/program_folder.h"
#include "quake/quake_palette.h"

ConsolePlatform *cli_console = nullptr;

namespace {

struct Command {
    const char *name;
    const char *usage;
    const char *summary;
    int (*run)(const Args &);
};

const Command commands[] = {
    {"info", "info FILE [--json]", "load FILE and describe the animation", cli_info},
    {"convert", "convert IN OUT [--yes|--no]", "load IN and save it as OUT (format from OUT's extension)",
     cli_convert},
    {"export", "export IN DIR [--format png|tga|bmp|pcx] [--force] [--json]",
     "write every frame of IN as an image in DIR, with the manifest DIR/vorn.json", cli_export},
    {"pack", "pack DIR OUT | pack --sheet CxR|--cell WxH SHEET OUT [options]",
     "build OUT from the images in DIR (its vorn.json, or natural name order) or from a sprite sheet", cli_pack},
    {"palette", "palette IN OUT", "read the palette of IN and write it as OUT (palette.lmp, .pal)", cli_palette},
    {"colormap", "colormap PALETTE OUT [--fullbrights F] [--range R]",
     "generate a Quake colormap.lmp from PALETTE (defaults: 32 fullbrights, range 2)", cli_colormap},
};

void print_help(FILE *out)
{
    std::fprintf(out, "Usage: vorn-cli COMMAND [ARGUMENTS]\n\n"
                      "Converts and inspects Quake art files (sprites, WAD2 archives, pictures,\n"
                      "textures, palettes) and common image formats.\n\nCommands:\n");
    for (const Command &c : commands)
        std::fprintf(out, "  %-40s %s\n", c.usage, c.summary);
    std::fprintf(out, "\nQuestions that the formats ask (for example before writing a file that\n"
                      "would crash an engine) are answered by --yes or --no; the default is No.\n"
                      "Exit status: 0 success, 1 failure, 2 bad usage.\n");
}

} // namespace

int cli_usage_error(const std::string &text)
{
    std::fprintf(stderr, "Vorn: %s\nTry 'vorn-cli --help'.\n", text.c_str());
    return 2;
}

int cli_take_two_paths(const Args &args, const std::string &missing, Args &paths)
{
    paths.clear();
    for (const std::string &a : args) {
        if (!a.empty() && a[0] == '-' && a.size() > 1)
            return cli_usage_error("unknown option '" + a + "'");
        paths.push_back(a);
    }
    return paths.size() == 2 ? 0 : cli_usage_error(missing);
}

bool cli_take_answer_flags(Args &args)
{
    Args rest;
    for (const std::string &a : args) {
        if (a == "--yes")
            cli_console->set_answer(ConsolePlatform::Answer::Yes);
        else if (a == "--no")
            cli_console->set_answer(ConsolePlatform::Answer::No);
        else
            rest.push_back(a);
    }
    args = rest;
    return true;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return cli_usage_error("no command given");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_help(stdout);
        return 0;
    }
    const Command *command = nullptr;
    for (const Command &c : commands)
        if (name == c.name)
            command = &c;
    if (!command)
        return cli_usage_error("unknown command '" + name + "'");

    Args args(argv + 2, argv + argc);
    for (const std::string &a : args) {
        if (a == "--help" || a == "-h") {
            std::printf("Usage: vorn-cli %s\n  %s\n", command->usage, command->summary);
            return 0;
        }
    }

    ConsolePlatform console(ConsolePlatform::Answer::No);
    console.set_show_progress(isatty(STDERR_FILENO));
    cli_console = &console;
    set_platform(&console);

    load_plugins();
    host().initialise();
    load_default_palette(program_folder().c_str());
    const int status = command->run(args);
    host().shut_down();
    unload_plugins();
    set_platform(nullptr);
    return status;
}
