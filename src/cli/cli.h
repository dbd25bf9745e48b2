// The batch tool's commands. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 failure, 2 bad usage.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "document/props_json.h"
#include "platform/console_platform.h"
#include "plugins/vorn_plugin.h"

using Args = std::vector<std::string>;

extern ConsolePlatform *cli_console;

int cli_info(const Args &args);
int cli_convert(const Args &args);
int cli_export(const Args &args);
int cli_pack(const Args &args);
int cli_palette(const Args &args);
int cli_colormap(const Args &args);
int cli_list(const Args &args);

// Reports bad usage on standard error and returns 2.
int cli_usage_error(const std::string &text);
// ---------------------------------------------------------------------------
// Options

struct CliOption {
    const char *name; // "--format"
    bool takes_value;
};

struct CliOptions {
    std::map<std::string, std::string> values; // present options; flags map to ""
    Args positionals;
    bool has(const std::string &name) const { return values.count(name) != 0; }
    std::string get(const std::string &name, const std::string &otherwise = "") const
    {
        const auto found = values.find(name);
        return found == values.end() ? otherwise : found->second;
    }
};

// Splits args into the given options ("--name value" or "--name=value") and
// positional arguments ("-" alone and everything after "--" are positional).
// Returns 0, or the bad-usage status after reporting an unknown option or a
// missing value. --yes and --no, when listed, set the answer policy.
int cli_parse_options(const Args &args, const std::vector<CliOption> &known, CliOptions &out);

// Whether `text` is "AxB" as cli_parse_pair takes it.
bool cli_is_pair(const std::string &text);
// `args` with `option` given its value only when a value follows it: an
// `option` followed by another option, by nothing, or by an argument that
// `is_value` refuses becomes "option=" (the empty value).
Args cli_optional_value(const Args &args, const std::string &option,
                        bool (*is_value)(const std::string &) = cli_is_pair);

// A whole number in [low, high]; false when `text` is not one.
bool cli_parse_int(const std::string &text, int low, int high, int &value);
// "AxB" with both numbers in [1, 65535].
bool cli_parse_pair(const std::string &text, int &a, int &b);

// ---------------------------------------------------------------------------
// What a command did: every message the formats show goes to standard error
// as before and is also kept, so that --json can print one object with what
// was read, written and warned.

class CliRun : public Platform {
public:
    CliRun(const char *command, bool json);
    ~CliRun() override;

    void show_message(const std::string &text, MessageIcon icon) override;
    bool ask_yes_no(const std::string &text) override;
    void set_progress(int percent) override;

    void read(const std::string &path) { read_.push_back(path); }
    void wrote(const std::string &path) { written_.push_back(path); }
    // Reports a failure of the command itself ("Vorn: TEXT" on standard
    // error) and returns 1.
    int fail(const std::string &text);
    // Questions answered No so far.
    int declined() const { return declined_; }
    // Reports that `path` was not saved: because a question was answered
    // No, or (when the formats have not said why) in general. Returns 1.
    int save_failed(const std::string &path);
    // Extra members of the JSON object.
    Json &extra() { return extra_; }
    // Prints the JSON object when asked for and returns status.
    int finish(int status);

private:
    std::string command_;
    bool json_;
    Platform *previous_;
    Args read_, written_, messages_;
    Json questions_ = Json::array();
    std::string error_;
    int declined_ = 0;
    Json extra_ = Json::object();
};

// Progress of a long loop on standard error (terminals only).
void cli_progress(int done, int total);

// ---------------------------------------------------------------------------
// JSON values of the document

// The document's JSON style (document/props_json.h), under the names the
// commands use.
inline Json cli_json_properties(const PropertyList &list) { return json_properties(list); }
inline Json cli_json_text(const char *text) { return json_text(text); }
inline bool cli_text_from_json(const Json &value, std::string &text, std::string &error)
{
    return text_from_json(value, text, error);
}
inline bool cli_properties_from_json(const Json &value, PropertyList *list, std::string &error)
{
    return properties_from_json(value, list, error);
}

// ---------------------------------------------------------------------------
// Palette matching options of the commands that save: --palette FILE,
// --no-fullbrights, --fullbrights N, --dither none|floyd-steinberg, and
// --mips box|fullbright-safe for the levels of textures that are rebuilt.

struct CliPaletteOptions {
    std::string palette_file;
    bool limit = false;
    int fullbrights = 32;
    bool dither = false;
    bool safe_mips = false;
};

extern const std::vector<CliOption> CLI_PALETTE_OPTIONS;
// Reads the options, and puts the fullbright count and the mip mode in
// force for the run; 0 or the bad-usage status.
int cli_take_palette_options(const CliOptions &options, CliPaletteOptions &out);
// Loads --palette into the default palette. Returns 0 or 1 (reported).
int cli_use_palette_file(CliRun &run, const CliPaletteOptions &options);
// Matches every frame of anim against the default palette when the options
// ask for more than the savers' own matching; otherwise does nothing, so
// that the savers give exactly what they give without options.
void cli_match_frames(Animation *anim, const CliPaletteOptions &options);

// ---------------------------------------------------------------------------
// Fullbright masks: a file beside an input, named after it with one of the
// suffixes "_luma", "_glow" or ".fullbright" and any extension
// (wall_glow.png for wall.png), whose marked pixels are where the frame
// glows (quake/fullbright.h).

inline constexpr const char *MASK_SUFFIXES[] = {"_luma", "_glow", ".fullbright"};
// The mask beside `path`, or "" when there is none.
std::string cli_mask_beside(const std::string &path);
// Whether `name` is the mask of another of `names` (same folder).
bool cli_is_mask_of_another(const std::string &name, const std::vector<std::string> &names);
// Matches frame `frame` of group `group` to the default palette with the
// mask's pixels fullbright and all others not. 0, or 1 reported.
int cli_apply_mask(CliRun &run, Animation *anim, int group, int frame, const std::string &mask);
// Frames of the first group (by index) and the masks found beside their files.
using FrameMasks = std::vector<std::pair<int, std::string>>;
// The end of convert and pack: each mask applied, then `anim` saved to
// `out`. 0, or 1 reported.
int cli_mask_and_save(CliRun &run, Animation *anim, const FrameMasks &masks, const std::string &out);
