// vorn-cli convert: load one file and save it in the format of another name;
// several inputs make one group of the frames of each input's first group.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "image/own_palette.h"
#include "image/texture_format.h"
#include "quake/quake_layout.h"
#include "quake/wad2.h"

int cli_convert(const Args &arguments)
{
    std::vector<CliOption> known = {{"--yes", false}, {"--no", false}, {"--json", false}, {"--half-life-sprite", false},
                                     {"--texture-format", true},  {"--wad3", false}, {"--wad2", false}};
    known.insert(known.end(), CLI_PALETTE_OPTIONS.begin(), CLI_PALETTE_OPTIONS.end());
    CliOptions options;
    if (const int status = cli_parse_options(arguments, known, options))
        return status;
    CliPaletteOptions palette;
    if (const int status = cli_take_palette_options(options, palette))
        return status;
    int texture_format = -1;
    if (options.has("--texture-format")) {
        texture_format = texture_format_from_text(options.get("--texture-format"));
        if (texture_format < 0)
            return cli_usage_error("--texture-format takes normal, additive, index-alpha or alpha-test");
    }
    if (options.has("--wad3") && options.has("--wad2"))
        return cli_usage_error("--wad3 and --wad2 cannot be given together");
    const Args &paths = options.positionals;
    if (paths.size() < 2)
        return cli_usage_error("convert needs an input and an output file");
    const std::string out = paths.back();

    CliRun run("convert", options.has("--json"));
    if (const int status = cli_use_palette_file(run, palette))
        return run.finish(status);
    Animation anim;
    anim_init(&anim);
    int status = 0;
    // Each input's mask, for the first frame it gave, applied after the
    // palette options so that a match without fullbrights keeps the mask's.
    FrameMasks masks;
    if (paths.size() == 2) {
        // A file bound for a one-image format is read for its first frame
        // alone: a long animation is not decoded to keep one picture.
        const FirstFrameScope first_frame(save_writes_first_frame_only(out.c_str()));
        file_load(paths[0].c_str(), &anim);
        if (anim.group_count == 0)
            status = run.fail(paths[0] + " gave no image; nothing written");
        else
            run.read(paths[0]);
        const std::string mask = cli_mask_beside(paths[0]);
        if (!mask.empty() && anim.group_count > 0 && anim.groups[0].frame_count > 0)
            masks.emplace_back(0, mask);
    } else {
        // As when several files are dropped on the editor: one group, the
        // frames of each file's first group in the order given. A file that
        // gives nothing stops the command rather than being left out.
        anim_add_group(&anim, NO_GROUP_NAME);
        const int inputs = static_cast<int>(paths.size()) - 1;
        for (int i = 0; i < inputs && !status; ++i) {
            Animation scratch;
            anim_init(&scratch);
            file_load(paths[i].c_str(), &scratch);
            if (scratch.group_count == 0 || scratch.groups[0].frame_count == 0) {
                status = run.fail(paths[i] + " gave no image; nothing written");
            } else {
                const std::string mask = cli_mask_beside(paths[i]);
                if (!mask.empty())
                    masks.emplace_back(anim.groups[0].frame_count, mask);
                group_append_frames(&anim.groups[0], &scratch.groups[0]);
                run.read(paths[i]);
            }
            anim_destroy(&scratch);
            cli_progress(i + 1, inputs);
        }
    }
    if (!status) {
        // The version 2 layout that Half-Life and DarkPlaces load: a texture
        // format (the one asked for, else the document's, else normal) and
        // 256 colours.
        if (texture_format >= 0)
            props_set_int(&anim.props, "Texture Format", texture_format, PROPERTY_TEXTURE_FORMAT);
        else if (options.has("--half-life-sprite") && !props_find(&anim.props, "Texture Format"))
            props_set_int(&anim.props, "Texture Format", TEXTURE_NORMAL, PROPERTY_TEXTURE_FORMAT);
        // A .wad is written as a WAD3 when asked, or when read from one
        // and not asked otherwise.
        if (options.has("--wad3"))
            props_set_int(&anim.props, wad_layout::PROP_WAD_VERSION, wad_layout::WAD_VERSION_HALF_LIFE,
                          PROPERTY_INTEGER);
        if (options.has("--wad2") && props_find(&anim.props, wad_layout::PROP_WAD_VERSION))
            props_remove(&anim.props, props_find(&anim.props, wad_layout::PROP_WAD_VERSION) - 1);
        // A WAD3's textures get palettes of their own, which the dithering
        // applies to; matching to the Quake palette is for a fullbright limit.
        const bool own_palettes = wad_document_is_half_life(&anim) && extension_matches("*.wad", out.c_str());
        const OwnPaletteDithering dithering(own_palettes && palette.dither);
        if (!own_palettes || palette.limit)
            cli_match_frames(&anim, palette);
        // Within this block: the dithering choice holds while the file is written.
        status = cli_mask_and_save(run, &anim, masks, out);
    }
    anim_destroy(&anim);
    return run.finish(status);
}
