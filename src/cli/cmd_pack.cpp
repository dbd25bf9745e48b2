// vorn-cli pack: build a document from images and save it. Four sources:
// a folder written by `export` (its manifest decides groups, order and
// properties), any folder of images (taken in natural name order as the
// frames of one group), a sprite sheet cut into cells, or a sheet written
// by `export --sheet` with its description.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <IL/il.h>

#include "cli/cli.h"
#include "cli/frame_files.h"
#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "formats/sprite_sheet.h"
#include "image/host_table.h"

namespace fs = std::filesystem;

namespace {

enum class Origin { Center, BottomCenter, TopLeft };

struct PackSettings {
    Origin origin = Origin::Center;
    bool has_duration = false;
    float duration = 0;
    std::string group_name;
};

// Loads `path` and appends the frames of its first group (only the first
// frame when `first_only`) to `group`. Returns the number appended, 0 when
// the file gave no image (the loader has said why; the command says which
// file).
int append_frames_of(CliRun &run, const std::string &path, Group *group, bool first_only)
{
    Animation scratch;
    anim_init(&scratch);
    {
        const FirstFrameScope first_frame(first_only);
        file_load(path.c_str(), &scratch);
    }
    int appended = 0;
    if (scratch.group_count > 0 && scratch.groups[0].frame_count > 0) {
        // A view of the first group, shortened when only its first frame is
        // wanted; the scratch animation still owns every frame.
        Group view = scratch.groups[0];
        if (first_only)
            view.frame_count = 1;
        group_append_frames(group, &view);
        appended = view.frame_count;
        run.read(path);
    }
    anim_destroy(&scratch);
    return appended;
}

void set_origin(Frame *frame, Origin origin)
{
    host().bind_image(frame->image);
    const int w = host().width();
    const int h = host().height();
    int x = w >> 1, y = h >> 1;
    if (origin == Origin::BottomCenter)
        y = h;
    else if (origin == Origin::TopLeft)
        x = y = 0;
    props_set_int(&frame->props, "Origin X", x, PROPERTY_INTEGER);
    props_set_int(&frame->props, "Origin Y", y, PROPERTY_INTEGER);
}

void apply_settings(Group *group, int from, const PackSettings &settings)
{
    for (int f = from; f < group->frame_count; ++f) {
        Frame *frame = &group->frames[f];
        if (settings.has_duration || !props_find(&frame->props, "Duration"))
            props_set_float(&frame->props, "Duration", settings.has_duration ? settings.duration : 0.0f);
        set_origin(frame, settings.origin);
    }
}

// Shortens the palette of an 8-bit image that came back with more entries
// than it had when exported (PCX holds 256 whatever was written).
void keep_palette_entries(uint32_t image, int count)
{
    host().bind_image(image);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || host().palette_size() <= count)
        return;
    host().convert_palette(IMAGE_RGBA);
    const uint8_t *palette = host().get_palette();
    if (!palette)
        return;
    const std::vector<uint8_t> kept(palette, palette + count * 4);
    host().set_palette(kept.data(), count);
}

std::string at_group(size_t g) { return "group " + std::to_string(g); }

// ---------------------------------------------------------------------------
// From a manifest

// Reads the JSON file `path` (a manifest or a sheet's description) into
// `out`. Returns 0 or 1 (reported).
int read_json(CliRun &run, const std::string &path, Json &out)
{
    // They are small; anything far larger is not one.
    constexpr uintmax_t MAX_JSON = uintmax_t(64) << 20;
    std::error_code size_error;
    const uintmax_t size = fs::file_size(path, size_error);
    if (!size_error && size > MAX_JSON)
        return run.fail(path + " is larger than a description can be (64 MiB); nothing written");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return run.fail(path + " cannot be read");
    std::stringstream text;
    text << file.rdbuf();
    out = Json::parse(text.str(), nullptr, false);
    if (out.is_discarded())
        return run.fail(path + " is not valid JSON");
    run.read(path);
    return 0;
}

int pack_manifest(CliRun &run, const std::string &dir, Animation *anim)
{
    const std::string path = dir + "/" + MANIFEST_NAME;
    Json manifest;
    if (const int status = read_json(run, path, manifest))
        return status;
    auto bad = [&](const std::string &why) { return run.fail(path + ": " + why + "; nothing written"); };
    if (!manifest.is_object())
        return bad("the manifest is not an object");
    if (manifest.contains("format") && manifest["format"] != MANIFEST_FORMAT)
        return bad("\"format\" is not \"" + std::string(MANIFEST_FORMAT) + "\"");
    if (manifest.contains("version")
        && (!manifest["version"].is_number_integer() || manifest["version"].get<int64_t>() > MANIFEST_VERSION))
        return bad("\"version\" is not a version this program reads (" + std::to_string(MANIFEST_VERSION)
                   + ")");
    std::string why;
    if (manifest.contains("properties") && !cli_properties_from_json(manifest["properties"], &anim->props, why))
        return bad(why);
    if (!manifest.contains("groups") || !manifest["groups"].is_array() || manifest["groups"].empty())
        return bad("\"groups\" is missing, not a list or empty");
    const Json &groups = manifest["groups"];
    size_t total = 0;
    for (const Json &g : groups)
        if (g.is_object() && g.contains("frames") && g["frames"].is_array())
            total += g["frames"].size();
    size_t done = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        const Json &entry = groups[g];
        if (!entry.is_object())
            return bad(at_group(g) + " is not an object");
        std::string name = NO_GROUP_NAME;
        if (entry.contains("name") && !cli_text_from_json(entry["name"], name, why))
            return bad(at_group(g) + ": the name " + why);
        if (!entry.contains("frames") || !entry["frames"].is_array() || entry["frames"].empty())
            return bad(at_group(g) + " (\"" + name + "\") has no frames");
        Group *group = anim_add_group(anim, name.c_str());
        if (entry.contains("properties") && !cli_properties_from_json(entry["properties"], &group->props, why))
            return bad(at_group(g) + ": " + why);
        const Json &frames = entry["frames"];
        for (size_t f = 0; f < frames.size(); ++f) {
            const std::string where = at_group(g) + " frame " + std::to_string(f);
            const Json &frame = frames[f];
            if (!frame.is_object() || !frame.contains("file") || !frame["file"].is_string())
                return bad(where + " names no file");
            const std::string file_name = frame["file"].get<std::string>();
            // Only files inside the folder: a manifest does not reach out.
            if (file_name.empty() || file_name.find('/') != std::string::npos || file_name == "."
                || file_name == ".." || file_name.find('\0') != std::string::npos)
                return bad(where + ": \"" + file_name + "\" is not the name of a file in the folder");
            const std::string image = dir + "/" + file_name;
            group = &anim->groups[anim->group_count - 1];
            if (!fs::is_regular_file(image))
                return bad(where + ": " + image + " does not exist");
            if (!append_frames_of(run, image, group, true))
                return bad(where + ": " + image + " gave no image");
            group = &anim->groups[anim->group_count - 1];
            Frame *made = &group->frames[group->frame_count - 1];
            if (frame.contains("properties") && !cli_properties_from_json(frame["properties"], &made->props, why))
                return bad(where + ": " + why);
            if (frame.contains("palette_entries")) {
                const Json &entries = frame["palette_entries"];
                if (!entries.is_number_integer() || entries.get<int64_t>() < 1 || entries.get<int64_t>() > 256)
                    return bad(where + ": \"palette_entries\" is not a count from 1 to 256");
                keep_palette_entries(made->image, entries.get<int>());
            }
            cli_progress(static_cast<int>(++done), static_cast<int>(total));
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// From a folder of images

// The frames whose inputs have a fullbright mask beside them, with the mask.

int pack_folder(CliRun &run, const std::string &dir, const PackSettings &settings, Animation *anim,
                FrameMasks &masks)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        // Hidden files (a desktop's thumbnails, an editor's backups) are not
        // frames; folders are not looked into.
        if (name.empty() || name[0] == '.' || !entry.is_regular_file())
            continue;
        names.push_back(name);
    }
    if (error)
        return run.fail(dir + ": " + error.message());
    if (names.empty())
        return run.fail(dir + " holds no images; nothing written");
    std::sort(names.begin(), names.end(), natural_less);
    // A frame's mask beside it is no frame of its own.
    std::vector<std::string> frames;
    for (const std::string &name : names)
        if (!cli_is_mask_of_another(name, names))
            frames.push_back(name);
    names = frames;
    Group *group = anim_add_group(anim, settings.group_name.c_str());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = dir + "/" + names[i];
        const int from = anim->groups[0].frame_count;
        if (!append_frames_of(run, path, &anim->groups[0], false))
            return run.fail(path + " gave no image; nothing written");
        const std::string mask = cli_mask_beside(path);
        if (!mask.empty())
            masks.emplace_back(from, mask);
        group = &anim->groups[0];
        apply_settings(group, from, settings);
        cli_progress(static_cast<int>(i + 1), static_cast<int>(names.size()));
    }
    return 0;
}

// ---------------------------------------------------------------------------
// From a sprite sheet

int pack_sheet(CliRun &run, const std::string &sheet, int columns, int rows, int cell_w, int cell_h,
               const PackSettings &settings, Animation *anim)
{
    Animation scratch;
    anim_init(&scratch);
    Group *holder = anim_add_group(&scratch, NO_GROUP_NAME);
    if (!append_frames_of(run, sheet, holder, true)) {
        anim_destroy(&scratch);
        return run.fail(sheet + " gave no image; nothing written");
    }
    host().bind_image(scratch.groups[0].frames[0].image);
    const int w = host().width();
    const int h = host().height();
    if (columns) {
        cell_w = w / columns;
        cell_h = h / rows;
    } else {
        columns = w / cell_w;
        rows = h / cell_h;
    }
    if (cell_w < 1 || cell_h < 1 || columns < 1 || rows < 1) {
        anim_destroy(&scratch);
        return run.fail(format_text("%s (%dx%d) is too small for cells of that size; nothing written",
                                    sheet.c_str(), w, h));
    }
    if (columns * cell_w != w || rows * cell_h != h)
        show_warning(format_text("%s is %dx%d; %d columns of %dx%d cells leave %d pixels at the right and %d at "
                                 "the bottom out of every cell",
                                 sheet.c_str(), w, h, columns, cell_w, cell_h, w - columns * cell_w,
                                 h - rows * cell_h));

    // 8-bit sheets keep their indexes and palette; anything else is cut as
    // RGBA.
    const bool indexed = ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_BPP) == 1;
    std::vector<uint8_t> palette;
    if (indexed) {
        host().convert_palette(IMAGE_RGBA);
        const int count = host().palette_size() > 256 ? 256 : host().palette_size();
        if (count > 0 && host().get_palette())
            palette.assign(host().get_palette(), host().get_palette() + count * 4);
    } else {
        host().convert_image(IMAGE_RGBA);
    }
    const int bpp = indexed ? 1 : 4;
    const uint8_t *data = host().get_data();
    std::vector<uint8_t> pixels;
    if (data)
        pixels.assign(data, data + static_cast<size_t>(w) * h * bpp);
    anim_destroy(&scratch);
    if (pixels.empty())
        return run.fail(sheet + " gave no pixels; nothing written");

    auto transparent = [&](const uint8_t *p) {
        if (!indexed)
            return p[3] == 0;
        return static_cast<size_t>(*p) * 4 + 3 < palette.size() && palette[*p * 4 + 3] == 0;
    };
    Group *group = anim_add_group(anim, settings.group_name.c_str());
    std::vector<uint8_t> cell(static_cast<size_t>(cell_w) * cell_h * bpp);
    int skipped = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            bool empty = true;
            for (int y = 0; y < cell_h; ++y) {
                const uint8_t *src = pixels.data() + ((static_cast<size_t>(r) * cell_h + y) * w
                                                      + static_cast<size_t>(c) * cell_w) * bpp;
                std::memcpy(cell.data() + static_cast<size_t>(y) * cell_w * bpp, src,
                            static_cast<size_t>(cell_w) * bpp);
                for (int x = 0; x < cell_w && empty; ++x)
                    empty = transparent(src + static_cast<size_t>(x) * bpp);
            }
            if (empty) {
                ++skipped;
                continue;
            }
            group = &anim->groups[0];
            const int index = group_append_frame(group);
            host().bind_image(group->frames[index].image);
            ilTexImage(static_cast<ILuint>(cell_w), static_cast<ILuint>(cell_h), 1, static_cast<ILubyte>(bpp),
                       indexed ? IL_COLOUR_INDEX : IL_RGBA, IL_UNSIGNED_BYTE, cell.data());
            host().set_upper_left_origin();
            if (indexed && !palette.empty())
                host().set_palette(palette.data(), static_cast<int>(palette.size() / 4));
            cli_progress(r * columns + c + 1, rows * columns);
        }
    if (anim->groups[0].frame_count == 0)
        return run.fail(sheet + ": every cell is wholly transparent; nothing written");
    apply_settings(&anim->groups[0], 0, settings);
    run.extra()["cells"] = rows * columns;
    run.extra()["skipped_cells"] = skipped;
    return 0;
}

// ---------------------------------------------------------------------------
// From a sheet and its description

int pack_described_sheet(CliRun &run, const std::string &sheet, Animation *anim)
{
    const std::string path = sheet_description_path(sheet);
    if (!fs::is_regular_file(path))
        return run.fail(sheet + " has no description " + path + " beside it (--sheet COLSxROWS cuts a sheet "
                        "without one); nothing written");
    Json description;
    if (const int status = read_json(run, path, description))
        return status;
    Animation scratch;
    anim_init(&scratch);
    Group *holder = anim_add_group(&scratch, NO_GROUP_NAME);
    int status = 0;
    std::string why;
    if (!append_frames_of(run, sheet, holder, true))
        status = run.fail(sheet + " gave no image; nothing written");
    else if (!sheet_unpack(scratch.groups[0].frames[0].image, description, anim, why))
        status = run.fail(path + ": " + why + "; nothing written");
    anim_destroy(&scratch);
    return status;
}

} // namespace

int cli_pack(const Args &args)
{
    std::vector<CliOption> known = {{"--origin", true}, {"--duration", true}, {"--group", true}, {"--sheet", true},
                                    {"--cell", true},   {"--yes", false},     {"--no", false},   {"--json", false}};
    known.insert(known.end(), CLI_PALETTE_OPTIONS.begin(), CLI_PALETTE_OPTIONS.end());
    CliOptions options;
    if (const int status = cli_parse_options(cli_optional_value(args, "--sheet"), known, options))
        return status;
    CliPaletteOptions palette;
    if (const int status = cli_take_palette_options(options, palette))
        return status;
    const bool sheet = options.has("--sheet") || options.has("--cell");
    if (options.positionals.size() != 2)
        return cli_usage_error(sheet ? "pack --sheet needs a sheet image and an output file"
                                     : "pack needs a folder and an output file");
    PackSettings settings;
    const std::string origin = options.get("--origin", "center");
    if (origin == "bottom-center")
        settings.origin = Origin::BottomCenter;
    else if (origin == "top-left")
        settings.origin = Origin::TopLeft;
    else if (origin != "center")
        return cli_usage_error("--origin takes center, bottom-center or top-left");
    if (options.has("--duration")) {
        char *end = nullptr;
        const std::string text = options.get("--duration");
        const double seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || !(seconds >= 0) || seconds > 1e6)
            return cli_usage_error("--duration takes a number of seconds, 0 or more");
        settings.has_duration = true;
        settings.duration = static_cast<float>(seconds);
    }
    // A sprite writes a single group called "[no group]" as separate frames
    // without timing; with a duration the frames make one timed group.
    settings.group_name = options.get("--group", settings.has_duration ? "Group 0" : NO_GROUP_NAME);
    if (settings.group_name.empty())
        return cli_usage_error("--group needs a name");
    int columns = 0, rows = 0, cell_w = 0, cell_h = 0;
    if (options.has("--sheet") && options.has("--cell"))
        return cli_usage_error("--sheet and --cell exclude each other");
    // --sheet without a grid: the description beside the sheet cuts it.
    const bool described = options.has("--sheet") && options.get("--sheet").empty();
    if (options.has("--sheet") && !described && !cli_parse_pair(options.get("--sheet"), columns, rows))
        return cli_usage_error("--sheet takes COLUMNSxROWS, for example 4x2, or nothing");
    if (options.has("--cell") && !cli_parse_pair(options.get("--cell"), cell_w, cell_h))
        return cli_usage_error("--cell takes WIDTHxHEIGHT, for example 64x64");

    std::string source = options.positionals[0];
    while (!sheet && source.size() > 1 && source.back() == '/')
        source.pop_back();
    const std::string out = options.positionals[1];
    const bool manifest = !sheet && fs::exists(source + "/" + MANIFEST_NAME);
    if (manifest && (options.has("--origin") || options.has("--duration") || options.has("--group")))
        return cli_usage_error("--origin, --duration and --group apply to folders without a manifest; the "
                               "manifest in " + source + " decides the properties");
    if (described && (options.has("--origin") || options.has("--duration") || options.has("--group")))
        return cli_usage_error("--origin, --duration and --group apply to a sheet cut into a grid; the "
                               "description beside " + source + " decides the properties");

    CliRun run("pack", options.has("--json"));
    if (const int status = cli_use_palette_file(run, palette))
        return run.finish(status);
    if (!sheet && !fs::is_directory(source))
        return run.finish(run.fail(source + " is not a folder; nothing written"));

    Animation anim;
    anim_init(&anim);
    FrameMasks masks;
    int status = described  ? pack_described_sheet(run, source, &anim)
                 : sheet    ? pack_sheet(run, source, columns, rows, cell_w, cell_h, settings, &anim)
                 : manifest ? pack_manifest(run, source, &anim)
                            : pack_folder(run, source, settings, &anim, masks);
    if (!status) {
        int frames = 0;
        for (int g = 0; g < anim.group_count; ++g)
            frames += anim.groups[g].frame_count;
        run.extra()["groups"] = anim.group_count;
        run.extra()["frames"] = frames;
        cli_match_frames(&anim, palette);
        status = cli_mask_and_save(run, &anim, masks, out);
    }
    anim_destroy(&anim);
    return run.finish(status);
}
