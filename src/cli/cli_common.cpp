// Helpers shared by the batch tool's commands: options, the record of what
// a command did (for --json), JSON values of the document and the palette
// matching options.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cli/cli.h"
#include "document/animation.h"
#include "document/props.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "quake/fullbright.h"
#include "quake/palette_conform.h"
#include "quake/palette_match.h"
#include "image/quake_palette.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Options

int cli_parse_options(const Args &args, const std::vector<CliOption> &known, CliOptions &out)
{
    out = CliOptions{};
    bool only_positionals = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (only_positionals || a.size() < 2 || a[0] != '-') {
            out.positionals.push_back(a);
            continue;
        }
        if (a == "--") {
            only_positionals = true;
            continue;
        }
        const size_t equals = a.find('=');
        const std::string name = a.substr(0, equals);
        const CliOption *option = nullptr;
        for (const CliOption &k : known)
            if (name == k.name)
                option = &k;
        if (!option)
            return cli_usage_error("unknown option '" + name + "'");
        std::string value;
        if (option->takes_value) {
            if (equals != std::string::npos)
                value = a.substr(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                return cli_usage_error("option '" + name + "' needs a value");
        } else if (equals != std::string::npos) {
            return cli_usage_error("option '" + name + "' takes no value");
        }
        out.values[name] = value;
    }
    if (out.has("--yes") && out.has("--no"))
        return cli_usage_error("--yes and --no exclude each other");
    if (out.has("--yes"))
        cli_console->set_answer(ConsolePlatform::Answer::Yes);
    if (out.has("--no"))
        cli_console->set_answer(ConsolePlatform::Answer::No);
    return 0;
}

bool cli_parse_int(const std::string &text, int low, int high, int &value)
{
    if (text.empty() || text.size() > 11)
        return false;
    char *end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || n < low || n > high)
        return false;
    value = static_cast<int>(n);
    return true;
}

bool cli_parse_pair(const std::string &text, int &a, int &b)
{
    const size_t x = text.find_first_of("xX");
    return x != std::string::npos && cli_parse_int(text.substr(0, x), 1, 65535, a)
           && cli_parse_int(text.substr(x + 1), 1, 65535, b);
}

bool cli_is_pair(const std::string &text)
{
    int a = 0, b = 0;
    return cli_parse_pair(text, a, b);
}

Args cli_optional_value(const Args &args, const std::string &option, bool (*is_value)(const std::string &))
{
    Args out;
    bool only_positionals = false;
    for (size_t i = 0; i < args.size(); ++i) {
        only_positionals = only_positionals || args[i] == "--";
        if (!only_positionals && args[i] == option && (i + 1 == args.size() || !is_value(args[i + 1])))
            out.push_back(option + "=");
        else
            out.push_back(args[i]);
    }
    return out;
}

// ---------------------------------------------------------------------------
// CliRun

CliRun::CliRun(const char *command, bool json) : command_(command), json_(json), previous_(&platform())
{
    set_platform(this);
}

CliRun::~CliRun() { set_platform(previous_ == this ? nullptr : previous_); }

void CliRun::show_message(const std::string &text, MessageIcon icon)
{
    messages_.push_back(text);
    previous_->show_message(text, icon);
}

bool CliRun::ask_yes_no(const std::string &text)
{
    const bool yes = previous_->ask_yes_no(text);
    questions_.push_back(Json{{"text", text}, {"answer", yes ? "yes" : "no"}});
    if (!yes)
        ++declined_;
    return yes;
}

void CliRun::set_progress(int percent) { previous_->set_progress(percent); }

int CliRun::fail(const std::string &text)
{
    previous_->set_progress(-1);
    std::fprintf(stderr, "%s: %s\n", APP_CAPTION, text.c_str());
    if (error_.empty())
        error_ = text;
    return 1;
}

int CliRun::save_failed(const std::string &path)
{
    if (declined_)
        return fail(path + " not written: a question was answered No (--yes answers Yes)");
    return fail(path + " could not be written");
}

int CliRun::finish(int status)
{
    previous_->set_progress(-1);
    if (!json_)
        return status;
    Json out = Json::object();
    out["command"] = command_;
    out["ok"] = status == 0;
    out["status"] = status;
    out["read"] = read_;
    out["written"] = written_;
    Json messages = Json::array();
    for (const std::string &m : messages_)
        messages.push_back(cli_json_text(m.c_str()));
    out["messages"] = messages;
    out["questions"] = questions_;
    if (!error_.empty())
        out["error"] = cli_json_text(error_.c_str());
    for (auto &item : extra_.items())
        out[item.key()] = item.value();
    std::printf("%s\n", out.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
    return status;
}

void cli_progress(int done, int total)
{
    if (total > 0)
        platform().set_progress(static_cast<int>(static_cast<int64_t>(done) * 100 / total));
}

// ---------------------------------------------------------------------------
// Palette options

const std::vector<CliOption> CLI_PALETTE_OPTIONS = {
    {"--palette", true}, {"--no-fullbrights", false}, {"--fullbrights", true}, {"--dither", true}, {"--mips", true}};

int cli_take_palette_options(const CliOptions &options, CliPaletteOptions &out)
{
    out = CliPaletteOptions{};
    out.palette_file = options.get("--palette");
    if (options.has("--palette") && out.palette_file.empty())
        return cli_usage_error("--palette needs a file");
    out.limit = options.has("--no-fullbrights") || options.has("--fullbrights");
    if (options.has("--fullbrights") && !cli_parse_int(options.get("--fullbrights"), 0, 255, out.fullbrights))
        return cli_usage_error("--fullbrights takes a count from 0 to 255");
    if (options.has("--dither")) {
        const std::string mode = options.get("--dither");
        if (mode == "floyd-steinberg")
            out.dither = true;
        else if (mode != "none")
            return cli_usage_error("--dither takes none or floyd-steinberg");
    }
    if (options.has("--mips")) {
        const std::string mode = options.get("--mips");
        if (mode == "fullbright-safe")
            out.safe_mips = true;
        else if (mode != "box")
            return cli_usage_error("--mips takes box or fullbright-safe");
    }
    set_fullbright_count(out.fullbrights);
    set_mips_fullbright_safe(out.safe_mips);
    return 0;
}

int cli_use_palette_file(CliRun &run, const CliPaletteOptions &options)
{
    if (options.palette_file.empty())
        return 0;
    uint8_t palette[1024] = {};
    const int count = palette_file_load(options.palette_file.c_str(), palette);
    if (count <= 0)
        return run.fail(options.palette_file + " gave no palette");
    run.read(options.palette_file);
    // Entries the file does not have stay black and opaque, so that nothing
    // matches them by accident as a transparent entry.
    for (int i = count; i < 256; ++i)
        palette[i * 4 + 3] = 255;
    std::memcpy(default_palette, palette, sizeof palette);
    return 0;
}

void cli_match_frames(Animation *anim, const CliPaletteOptions &options)
{
    if (!options.limit && !options.dither)
        return;
    PaletteMatchOptions match;
    match.opaque_entries = options.limit ? 256 - options.fullbrights : 256;
    match.dither = options.dither;
    const int first = fullbright_first_index();
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            anim_bind_frame(anim, g, f);
            // With fullbrights allowed, what the match made of them is told
            // as the savers tell it.
            const std::vector<uint8_t> source = options.limit ? std::vector<uint8_t>() : bound_rgba_pixels();
            match_bound_image(default_palette, 256, match);
            const size_t made = count_unasked_fullbrights(source.data(), host().get_data(), source.size() / 4,
                                                          default_palette, first);
            if (made > 0)
                show_warning(format_text("group %i, frame %i: matching to the palette made %zu pixel%s fullbright "
                                         "that %s not fullbright colours (--no-fullbrights avoids them)",
                                         g, f, made, made == 1 ? "" : "s", made == 1 ? "was" : "were"));
        }
}

// ---------------------------------------------------------------------------
// Fullbright masks

namespace {

// The file name of `path` and the part before its extension.
std::string stem_of(const std::string &name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

std::string cli_mask_beside(const std::string &path)
{
    const fs::path source(path);
    const fs::path folder = source.has_parent_path() ? source.parent_path() : fs::path(".");
    const std::string stem = stem_of(source.filename().string());
    std::error_code error;
    std::vector<std::string> found;
    for (const char *suffix : MASK_SUFFIXES) {
        const std::string prefix = stem + suffix + ".";
        for (const fs::directory_entry &entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 && entry.is_regular_file())
                found.push_back(name);
        }
        if (!found.empty()) {
            std::sort(found.begin(), found.end());
            return (source.has_parent_path() ? (folder / found.front()) : fs::path(found.front())).string();
        }
    }
    return {};
}

bool cli_is_mask_of_another(const std::string &name, const std::vector<std::string> &names)
{
    const std::string stem = stem_of(name);
    for (const char *suffix : MASK_SUFFIXES) {
        const size_t n = std::strlen(suffix);
        if (stem.size() <= n || stem.compare(stem.size() - n, n, suffix) != 0)
            continue;
        const std::string base = stem.substr(0, stem.size() - n);
        for (const std::string &other : names)
            if (other != name && stem_of(other) == base)
                return true;
    }
    return false;
}

int cli_mask_and_save(CliRun &run, Animation *anim, const FrameMasks &masks, const std::string &out)
{
    for (const auto &[frame, mask] : masks)
        if (const int status = cli_apply_mask(run, anim, 0, frame, mask))
            return status;
    if (!file_save(out.c_str(), anim))
        return run.save_failed(out);
    run.wrote(out);
    return 0;
}

int cli_apply_mask(CliRun &run, Animation *anim, int group, int frame, const std::string &mask)
{
    Animation loaded;
    anim_init(&loaded);
    file_load(mask.c_str(), &loaded);
    const bool usable = loaded.group_count > 0 && loaded.groups[0].frame_count > 0
                        && apply_fullbright_mask(anim->groups[group].frames[frame].image,
                                                 loaded.groups[0].frames[0].image, default_palette);
    anim_destroy(&loaded);
    if (!usable)
        return run.fail(mask + " gave no fullbright mask; nothing written");
    run.read(mask);
    return 0;
}
