// vorn-cli colormap: build a Quake lighting table (colormap.lmp) from a
// palette.
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "fileio/byte_io.h"
#include "fileio/format_table.h"
#include "plugins/host_table.h"
#include "quake/colormap.h"

int cli_colormap(const Args &args)
{
    Args paths;
    std::string fullbrights_text = std::to_string(COLORMAP_DEFAULT_FULLBRIGHTS);
    std::string range_text = "2";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--fullbrights" || a == "--range") {
            if (i + 1 >= args.size())
                return cli_usage_error(a + " needs a value");
            (a == "--fullbrights" ? fullbrights_text : range_text) = args[++i];
        } else if (!a.empty() && a[0] == '-' && a.size() > 1) {
            return cli_usage_error("unknown option '" + a + "'");
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2)
        return cli_usage_error("colormap needs a palette and an output file");

    // The same rules as the Generate Colormap dialog: the count is read as
    // a decimal integer and must lie in 0..256; the range is not checked.
    const int32_t fullbrights = colormap_parse_fullbrights(fullbrights_text);
    if (!colormap_fullbrights_valid(fullbrights)) {
        show_warning(COLORMAP_FULLBRIGHTS_MESSAGE);
        return 2;
    }
    const float range = colormap_parse_range(range_text);

    uint8_t palette[1024] = {};
    if (palette_file_load(paths[0].c_str(), palette) <= 0)
        return 1;

    const std::vector<uint8_t> table = generate_colormap(palette, fullbrights, range);
    if (!write_file(paths[1].c_str(), table)) {
        host_clear_errors();
        if (!report_file_error())
            show_warning("Unable to create " + paths[1]);
        return 1;
    }
    return 0;
}
