// vorn-cli colormap: build a Quake lighting table (colormap.lmp) from a
// palette.
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "archive/archive.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/colormap.h"

int cli_colormap(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(args, {{"--fullbrights", true}, {"--range", true}, {"--json", false}},
                                             options))
        return status;
    if (options.positionals.size() != 2)
        return cli_usage_error("colormap needs a palette and an output file");
    const Args &paths = options.positionals;

    // The same rules as the Generate Colormap dialog: the count is read as
    // a decimal integer and must lie in 0..256; the range is not checked.
    const int32_t fullbrights =
        colormap_parse_fullbrights(options.get("--fullbrights", std::to_string(COLORMAP_DEFAULT_FULLBRIGHTS)));
    if (!colormap_fullbrights_valid(fullbrights)) {
        show_warning(COLORMAP_FULLBRIGHTS_MESSAGE);
        return 2;
    }
    const float range = colormap_parse_range(options.get("--range", "2"));

    CliRun run("colormap", options.has("--json"));
    uint8_t palette[1024] = {};
    if (palette_file_load(paths[0].c_str(), palette) <= 0)
        return run.finish(1);
    run.read(paths[0]);

    const std::vector<uint8_t> table = generate_colormap(palette, fullbrights, range);
    std::string error;
    if (!write_file_or_entry(paths[1], table, error))
        return run.finish(run.fail("Cannot write the colormap to " + paths[1] + ": " + error));
    run.wrote(paths[1]);
    return run.finish(0);
}
