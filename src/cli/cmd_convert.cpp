// vorn-cli convert: load one file and save it in the format of another name.
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "document/animation.h"
#include "fileio/format_table.h"

int cli_convert(const Args &arguments)
{
    Args args = arguments;
    cli_take_answer_flags(args);
    Args paths;
    if (const int status = cli_take_two_paths(args, "convert needs an input and an output file", paths))
        return status;

    Animation anim;
    anim_init(&anim);
    file_load(paths[0].c_str(), &anim);
    if (anim.group_count == 0) {
        anim_destroy(&anim);
        std::fprintf(stderr, "Vorn: %s gave no image; nothing written\n", paths[0].c_str());
        return 1;
    }
    const int saved = file_save(paths[1].c_str(), &anim);
    anim_destroy(&anim);
    return saved ? 0 : 1;
}
