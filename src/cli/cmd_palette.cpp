// vorn-cli palette: read a palette from any palette source (a palette file
// or a paletted image) and write it in the format of another name.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "fileio/format_table.h"

int cli_palette(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(args, {{"--json", false}}, options))
        return status;
    if (options.positionals.size() != 2)
        return cli_usage_error("palette needs an input and an output file");
    const Args &paths = options.positionals;

    CliRun run("palette", options.has("--json"));
    uint8_t palette[1024] = {};
    const int count = palette_file_load(paths[0].c_str(), palette);
    if (count <= 0)
        return run.finish(1);
    run.read(paths[0]);

    // The palette writers take a name: they write a temporary file beside
    // the target, which replaces the target only when nothing was reported.
    const std::string temporary = cli_temporary_beside(paths[1]);
    const std::string target = temporary.empty() ? paths[1] : temporary;
    const size_t before = run.message_count();
    palette_file_save(target.c_str(), palette, count);
    if (run.message_count() != before) {
        if (!temporary.empty())
            std::remove(temporary.c_str());
        return run.finish(1);
    }
    if (!temporary.empty() && !cli_put_in_place(temporary, paths[1]))
        return run.finish(run.fail("Unable to create " + paths[1] + ": " + std::strerror(errno)));
    run.wrote(paths[1]);
    return run.finish(0);
}
