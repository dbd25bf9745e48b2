// vorn-cli: the batch tool over Vorn's file formats.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "cli/cli.h"
#include "image/image_limits.h"
#include "image/host_table.h"
#include "plugins/plugin_loader.h"
#include "platform/program_folder.h"
#include "formats/format_table.h"

ConsolePlatform *cli_console = nullptr;

namespace {

struct Command {
    const char *name;
    const char *usage;
    const char *summary;
    const char *help; // options and an example, printed by COMMAND --help
    int (*run)(const Args &);
};

#define PALETTE_HELP                                                                                     \
    "Colour matching (when true-colour frames are matched to the palette):\n"                            \
    "  --palette FILE        match against the palette of FILE (palette.lmp, .pal, a paletted\n"         \
    "                        image...) instead of the palette.lmp beside the program\n"                  \
    "  --no-fullbrights      opaque colours take only entries below the fullbright range (224)\n"       \
    "  --fullbrights N       the last N entries are fullbrights (32 unless given); implies\n"           \
    "                        --no-fullbrights\n"                                                         \
    "  --dither MODE         none (the default: the program's own nearest-colour rule, byte for\n"      \
    "                        byte) or floyd-steinberg (error diffusion)\n"                               \
    "  --mips MODE           how the smaller levels of a texture are rebuilt: box (the default,\n"   \
    "                        a box filter in true colour) or fullbright-safe (no fullbright or\n"     \
    "                        transparent pixel where the full-size level has none)\n"                \
    "With --no-fullbrights or --dither every frame is matched before saving, 8-bit frames\n"            \
    "included. A match that makes fullbright pixels the colours did not ask for is reported\n"         \
    "with their count on standard error.\n"                                                             \
    "A file beside an input named after it with _luma, _glow or .fullbright (wall_glow.png for\n"     \
    "wall.png) is its fullbright mask: its opaque, non-black pixels become fullbright, all\n"         \
    "others not.\n"

#define SAVE_HELP                                                                                        \
    "  --yes, --no           answer the formats' questions (default No)\n"                               \
    "  --json                print one JSON object: what was read, written and reported\n"

const Command commands[] = {
    {"info", "info FILE [--json] [--hash]", "load FILE and describe the animation",
     "  --json                print the description as one JSON object (with pixel hashes)\n"
     "  --hash                also print the SHA-256 of each frame's pixels\n\n"
     "Example:\n  vorn-cli info --json s_explod.spr\n",
     cli_info},
    {"convert", "convert IN... OUT [options]", "load IN and save it as OUT (format from OUT's extension)",
     "With several inputs, the frames of the first group of each input make one group, in\n"
     "the order given (as when several files are dropped on the editor).\n\n"
     "  --half-life-sprite    write a .spr in the Half-Life layout of version 2 (a texture\n"
     "                        format and 256 colours), which Half-Life and DarkPlaces load\n"
     "  --texture-format F    the Half-Life sprite's way of drawing: normal, additive,\n"
     "                        index-alpha or alpha-test (implies --half-life-sprite)\n"
     "  --wad3                write a .wad as a Half-Life WAD3 (each texture with a palette\n"
     "                        of its own); a document read from a WAD3 is one already\n"
     "  --wad2                write a .wad as a Quake WAD2 even when read from a WAD3\n\n" SAVE_HELP
     "\n" PALETTE_HELP
     "\nExamples:\n  vorn-cli convert s_explod.spr s_explod.gif\n"
     "  vorn-cli convert --no-fullbrights --dither floyd-steinberg photo.png wall.mip\n"
     "  vorn-cli convert f1.png f2.png f3.png anim.spr\n"
     "  vorn-cli convert --wad3 --dither floyd-steinberg photo.png textures.wad\n",
     cli_convert},
    {"export", "export IN DIR|SHEET|ANIM.gif [options]",
     "write every frame of IN as an image in DIR (with DIR/vorn.json), or a group as a sheet or a GIF",
     "DIR is created if missing and refused if it holds anything, unless --force. Files are\n"
     "named GROUP_NAME_FRAME.EXT (a WAD texture after its lump); 8-bit frames are written\n"
     "as paletted images with their own palette, so that their indexes survive. vorn.json\n"
     "lists the animation's, each group's and each frame's properties and each frame's file,\n"
     "in document order; `pack DIR OUT` reads it back.\n\n"
     "With --sheet, one group's frames are packed row by row into the image SHEET (its\n"
     "format from the extension), each at the top left of a cell as large as the largest\n"
     "frame, and SHEET's name with .json beside it gives each frame's rectangle, origin,\n"
     "duration and properties; `pack --sheet SHEET OUT` reads both back. An output ending\n"
     "in .gif is an animated GIF of one group: the frames meet at their origins, each\n"
     "shows for its duration (0.1 s without one), transparent pixels stay transparent.\n\n"
     "  --format FORMAT       png (default), tga, bmp or pcx\n"
     "  --force               write into a folder that is not empty\n"
     "  --sheet [COLSxROWS]   write a sprite sheet of this many columns and rows (without\n"
     "                        them, about square)\n"
     "  --group N             the group of a sheet or a GIF, numbered from 0 as info lists\n"
     "                        them (default 0)\n"
     "  --json                print one JSON object: what was read and written\n\n"
     "Examples:\n  vorn-cli export gfx.wad textures/ && vorn-cli pack textures/ gfx.wad\n"
     "  vorn-cli export s_explod.spr sheet.png --sheet && vorn-cli pack --sheet sheet.png s_explod.spr\n"
     "  vorn-cli export --group 1 torch.spr torch.gif\n",
     cli_export},
    {"pack", "pack DIR OUT | pack --sheet [CxR]|--cell WxH SHEET OUT [options]",
     "build OUT from the images in DIR (its vorn.json, or natural name order) or from a sprite sheet",
     "With DIR/vorn.json (written by export) the manifest decides groups, order and\n"
     "properties. Without one, every file in DIR (hidden files aside) must be an image; they\n"
     "are taken in natural name order (frame2 before frame10) as the frames of one group.\n"
     "With --sheet COLSxROWS or --cell, SHEET is cut into cells row by row; wholly\n"
     "transparent cells are skipped. With --sheet alone, the description that export\n"
     "--sheet wrote beside SHEET (its name with .json) decides the frames' rectangles and\n"
     "every property.\n\n"
     "  --origin WHERE        center (default), bottom-center or top-left: each frame's origin\n"
     "  --duration SECONDS    every frame's duration; the frames then make one timed group\n"
     "  --group NAME          the group's name (default \"[no group]\", or \"Group 0\" with\n"
     "                        --duration; a sprite writes \"[no group]\" as separate frames)\n"
     "  --sheet [COLSxROWS]   cut SHEET into this many columns and rows; without them, as\n"
     "                        its description says\n"
     "  --cell WIDTHxHEIGHT   cut SHEET into cells of this size\n" SAVE_HELP "\n" PALETTE_HELP
     "\nExamples:\n  vorn-cli pack frames/ torch.spr --origin bottom-center --duration 0.1\n"
     "  vorn-cli pack --sheet 4x2 sheet.png explosion.spr\n",
     cli_pack},
    {"palette", "palette IN OUT [--json]", "read the palette of IN and write it as OUT (palette.lmp, .pal)",
     "  --json                print one JSON object: what was read and written\n\n"
     "Example:\n  vorn-cli palette gfx.wad palette.lmp\n",
     cli_palette},
    {"colormap", "colormap PALETTE OUT [--fullbrights F] [--range R] [--json]",
     "generate a Quake colormap.lmp from PALETTE (defaults: 32 fullbrights, range 2)",
     "  --fullbrights F       the last F entries are fullbrights (0 to 256, default 32)\n"
     "  --range R             the lighting range (default 2)\n"
     "  --json                print one JSON object: what was read and written\n\n"
     "Example:\n  vorn-cli colormap palette.lmp colormap.lmp\n",
     cli_colormap},
    {"list", "list ARCHIVE [--json]", "list the entries of a .pak, .pk3 or .zip archive with their sizes",
     "Maps and models inside are listed with their textures and skins. Any file name that\n"
     "Vorn accepts may name an entry inside an archive as ARCHIVE/ENTRY, for every command:\n"
     "reading never unpacks the archive, and writing rewrites it with that one entry\n"
     "replaced or added, every other entry left as it was.\n\n"
     "  --json                print one JSON object: the entries, their sizes and contents\n\n"
     "Examples:\n  vorn-cli list id1/pak0.pak\n"
     "  vorn-cli convert id1/pak0.pak/progs/s_explod.spr s_explod.gif\n"
     "  vorn-cli convert s_explod.gif mymod/pak0.pak/progs/s_explod.spr\n",
     cli_list},
};

void print_help(FILE *out)
{
    std::fprintf(out, "Usage: vorn-cli [--max-pixels N] COMMAND [ARGUMENTS]\n\n"
                      "Converts and inspects Quake art files (sprites, WAD2 archives, pictures,\n"
                      "textures, palettes) and common image formats. A file inside a .pak, .pk3\n"
                      "or .zip archive is named ARCHIVE/ENTRY (id1/pak0.pak/progs/s_explod.spr).\n\n"
                      "Commands:\n");
    for (const Command &c : commands)
        std::fprintf(out, "  %s\n      %s\n", c.usage, c.summary);
    std::fprintf(out, "\nOptions for every command, given before it:\n"
                      "  --max-pixels N        open images of up to N pixels (default 16777216, 4096x4096);\n"
                      "                        larger claims are refused before they are decoded\n");
    std::fprintf(out, "\nQuestions that the formats ask (for example before writing a file that\n"
                      "would crash an engine) are answered by --yes or --no; the default is No.\n"
                      "'vorn-cli COMMAND --help' describes a command's options, with examples.\n"
                      "Exit status: 0 success, 1 failure, 2 bad usage.\n");
}

} // namespace

int cli_usage_error(const std::string &text)
{
    std::fprintf(stderr, "Vorn: %s\nTry 'vorn-cli --help'.\n", text.c_str());
    return 2;
}

int main(int argc, char **argv)
{
    // The same zone as when TZ is unset, named once: unset, the C library
    // looks at /etc/localtime again for every time it converts, once for
    // each entry when an archive of thousands is listed.
    setenv("TZ", ":/etc/localtime", 0);
    // Options for every command come before it.
    int first = 1;
    while (first < argc && std::strncmp(argv[first], "--max-pixels", 12) == 0) {
        std::string value;
        if (argv[first][12] == '=') {
            value = argv[first] + 13;
        } else if (argv[first][12] == '\0' && first + 1 < argc) {
            value = argv[++first];
        } else {
            return cli_usage_error(std::string("unknown option '") + argv[first] + "'");
        }
        char *end = nullptr;
        const unsigned long long pixels = std::strtoull(value.c_str(), &end, 10);
        if (value.empty() || !std::isdigit(static_cast<unsigned char>(value[0])) || *end || pixels < 1)
            return cli_usage_error("--max-pixels takes a number of pixels of at least 1, not '" + value + "'");
        set_max_image_pixels(pixels);
        ++first;
    }
    argc -= first - 1;
    argv += first - 1;
    if (argc < 2)
        return cli_usage_error("no command given");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_help(stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("vorn-cli %s\n", VORN_VERSION);
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
            std::printf("Usage: vorn-cli %s\n%c%s.\n\n%s", command->usage, std::toupper(command->summary[0]),
                        command->summary + 1, command->help);
            return 0;
        }
    }

    ConsolePlatform console(ConsolePlatform::Answer::No);
    console.set_show_progress(isatty(STDERR_FILENO));
    cli_console = &console;
    set_platform(&console);

    load_plugins();
    host().initialise();
    load_default_palette(program_file_folder("palette.lmp").c_str());
    const int status = command->run(args);
    host().shut_down();
    unload_plugins();
    set_platform(nullptr);
    return status;
}
