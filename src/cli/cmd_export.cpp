// vorn-cli export: every frame of every group of a file as its own image,
// with a manifest (vorn.json) that `pack` reads to rebuild the document; or
// one group as a sprite sheet with its description, or as an animated GIF.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <IL/il.h>

#include "cli/cli.h"
#include "cli/frame_files.h"
#include "document/animation.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "formats/gif_writer.h"
#include "formats/sprite_sheet.h"
#include "io/safe_save.h"
#include "image/host_table.h"

namespace fs = std::filesystem;

namespace {

// The folder must exist (it is created) and hold nothing unless --force.
int prepare_folder(CliRun &run, const std::string &dir, bool force)
{
    std::error_code error;
    const fs::file_status status = fs::status(dir, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            return run.fail(dir + " is not a folder");
        const bool empty = fs::is_empty(dir, error);
        if (error)
            return run.fail(dir + ": " + error.message());
        if (!force && !empty)
            return run.fail(dir + " is not empty; nothing written (--force writes into it)");
        return 0;
    }
    if (!fs::create_directories(dir, error))
        return run.fail("Cannot create the folder " + dir + ": " + error.message());
    return 0;
}

// A scratch animation of one frame holding a copy of `frame`'s image, ready
// for the generic writers: an 8-bit image keeps its indexes and palette, but
// a palette whose alpha is 0 in every entry (that of a version-2 sprite)
// becomes opaque, or the image would show as wholly transparent elsewhere.
void single_frame(const Frame &frame, Animation *scratch)
{
    Group *group = anim_add_group(scratch, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(scratch->groups[0].frames[0].image);
    host().copy_image(frame.image);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX)
        return;
    host().convert_palette(IMAGE_RGBA);
    const int count = host().palette_size() > 256 ? 256 : host().palette_size();
    const uint8_t *palette = host().get_palette();
    if (!palette || count <= 0)
        return;
    for (int i = 0; i < count; ++i)
        if (palette[i * 4 + 3] != 0)
            return;
    std::vector<uint8_t> opaque(palette, palette + count * 4);
    for (int i = 0; i < count; ++i)
        opaque[i * 4 + 3] = 255;
    host().set_palette(opaque.data(), count);
}

bool ends_with_gif(const std::string &path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char &c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".gif";
}

// One group as a sheet (with its description) or as an animated GIF.
int export_group(const CliOptions &options, bool sheet)
{
    const std::string in = options.positionals[0];
    const std::string out = options.positionals[1];
    int group = 0, columns = 0, rows = 0;
    if (options.has("--group") && !cli_parse_int(options.get("--group"), 0, INT32_MAX, group))
        return cli_usage_error("--group takes the number of a group (0 for the first, as info lists them)");
    if (!options.get("--sheet").empty() && !cli_parse_pair(options.get("--sheet"), columns, rows))
        return cli_usage_error("--sheet takes COLUMNSxROWS, for example 4x2, or nothing");

    CliRun run("export", options.has("--json"));
    Animation anim;
    anim_init(&anim);
    file_load(in.c_str(), &anim);
    int status = 0;
    if (anim.group_count == 0) {
        status = run.fail(in + " gave no image; nothing written");
    } else if (group >= anim.group_count) {
        status = run.fail(format_text("%s has %d group%s; there is no group %d; nothing written", in.c_str(),
                                      anim.group_count, anim.group_count == 1 ? "" : "s", group));
    } else {
        run.read(in);
        std::string why;
        const bool written = sheet ? sheet_export(anim, group, columns, rows, out, why)
                                   : gif_write_group(anim, group, out, why);
        if (written) {
            run.wrote(out);
            if (sheet)
                run.wrote(sheet_description_path(out));
            run.extra()["frames"] = anim.groups[group].frame_count;
        } else {
            status = why.empty() ? run.save_failed(out) : run.fail(out + " not written: " + why);
        }
    }
    anim_destroy(&anim);
    return run.finish(status);
}

} // namespace

int cli_export(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(
            cli_optional_value(args, "--sheet"),
            {{"--format", true}, {"--force", false}, {"--json", false}, {"--sheet", true}, {"--group", true}},
            options))
        return status;
    if (options.positionals.size() != 2)
        return cli_usage_error("export needs an input file and a folder, a sheet image or a .gif");
    const bool sheet = options.has("--sheet");
    if (sheet || ends_with_gif(options.positionals[1])) {
        if (options.has("--format") || options.has("--force"))
            return cli_usage_error("--format and --force apply to a folder of frames");
        return export_group(options, sheet);
    }
    if (options.has("--group"))
        return cli_usage_error("--group applies to a sheet or a .gif; a folder gets every group");
    const std::string format = options.get("--format", "png");
    if (format != "png" && format != "tga" && format != "bmp" && format != "pcx")
        return cli_usage_error("--format takes png, tga, bmp or pcx");
    const std::string in = options.positionals[0];
    std::string dir = options.positionals[1];
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();

    CliRun run("export", options.has("--json"));
    Animation anim;
    anim_init(&anim);
    file_load(in.c_str(), &anim);
    if (anim.group_count == 0) {
        anim_destroy(&anim);
        return run.finish(run.fail(in + " gave no image; nothing written"));
    }
    run.read(in);
    if (const int status = prepare_folder(run, dir, options.has("--force"))) {
        anim_destroy(&anim);
        return run.finish(status);
    }

    int total = 0;
    for (int g = 0; g < anim.group_count; ++g) {
        total += anim.groups[g].frame_count;
        if (anim.groups[g].frame_count == 0)
            show_warning(format_text("Group %d (\"%s\") of %s has no frames: pack refuses a group without frames",
                                     g, anim.groups[g].name, in.c_str()));
    }
    Json groups = Json::array();
    int done = 0;
    int status = 0;
    // Each frame is saved whole or not at all, but none is flushed to disk
    // on its own: that took two waits for the disk per frame. The folder is
    // flushed once when every frame is in it, and only then is the manifest
    // that lists them written (and flushed).
    DeferredSync deferred(dir);
    for (int g = 0; g < anim.group_count && !status; ++g) {
        const Group &group = anim.groups[g];
        Json frames = Json::array();
        for (int f = 0; f < group.frame_count && !status; ++f) {
            const std::string name =
                frame_file_name(g, anim.group_count, group.name, f, group.frame_count, format);
            const std::string path = dir + "/" + name;
            Animation scratch;
            anim_init(&scratch);
            single_frame(group.frames[f], &scratch);
            if (file_save(path.c_str(), &scratch))
                run.wrote(path);
            else
                status = run.fail(path + " could not be written; export stopped");
            anim_destroy(&scratch);
            Json entry = {{"file", name}, {"properties", cli_json_properties(group.frames[f].props)}};
            // Some formats (PCX) always hold 256 entries; a version-2 sprite
            // writes the count of its first frame's palette.
            host().bind_image(group.frames[f].image);
            if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && host().palette_size() > 0)
                entry["palette_entries"] = host().palette_size() > 256 ? 256 : host().palette_size();
            frames.push_back(entry);
            cli_progress(++done, total);
        }
        groups.push_back(Json{{"name", cli_json_text(group.name)},
                              {"properties", cli_json_properties(group.props)},
                              {"frames", frames}});
    }
    if (!deferred.finish() && !status)
        status = run.fail("The frames written to " + dir + " could not be flushed to disk: " + std::strerror(errno)
                          + "; no manifest written");
    if (!status) {
        Json manifest = Json::object();
        manifest["format"] = MANIFEST_FORMAT;
        manifest["version"] = MANIFEST_VERSION;
        manifest["source"] = cli_json_text(in.c_str());
        manifest["properties"] = cli_json_properties(anim.props);
        manifest["groups"] = groups;
        const std::string path = dir + "/" + MANIFEST_NAME;
        const std::string text = manifest.dump(2) + "\n";
        if (write_file(path.c_str(), text.data(), text.size()))
            run.wrote(path);
        else
            status = run.fail(save_error_text(path.c_str(), errno ? errno : EIO));
    }
    run.extra()["groups"] = anim.group_count;
    run.extra()["frames"] = total;
    anim_destroy(&anim);
    return run.finish(status);
}
