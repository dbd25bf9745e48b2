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
// JSON values

namespace {

bool is_utf8(const std::string &text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        int more;
        uint32_t code;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[k] & 0x3F);
        }
        static const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Json json_float(float value)
{
    if (!std::isfinite(value)) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", bits);
        return Json{{"bits", hex}};
    }
    // Nine significant digits read back as the same float; going through
    // the text keeps the printed number short.
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return std::strtod(text, nullptr);
}

const char *const TYPE_NAMES[] = {"Integer",           "Float",         "String",
                                  "Boolean",           "Quake Sprite Type", "WAD Data Type",
                                  "Half-Life Texture Format"};
constexpr int TYPE_COUNT = static_cast<int>(sizeof TYPE_NAMES / sizeof TYPE_NAMES[0]);

} // namespace

Json cli_json_text(const char *text)
{
    const std::string s = text ? text : "";
    if (is_utf8(s))
        return s;
    std::string hex;
    for (unsigned char c : s) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", c);
        hex += two;
    }
    return Json{{"hex", hex}};
}

bool cli_text_from_json(const Json &value, std::string &text, std::string &error)
{
    if (value.is_string()) {
        text = value.get<std::string>();
        if (text.find('\0') != std::string::npos) {
            error = "holds a NUL character";
            return false;
        }
        return true;
    }
    if (value.is_object() && value.size() == 1 && value.contains("hex") && value["hex"].is_string()) {
        const std::string hex = value["hex"].get<std::string>();
        text.clear();
        for (size_t i = 0; i < hex.size(); i += 2) {
            const int hi = hex_digit(hex[i]);
            const int lo = i + 1 < hex.size() ? hex_digit(hex[i + 1]) : -1;
            if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
                error = "has a \"hex\" value that is not whole non-zero bytes in hexadecimal";
                return false;
            }
            text.push_back(static_cast<char>(hi * 16 + lo));
        }
        return true;
    }
    error = "is not a string";
    return false;
}

Json cli_json_properties(const PropertyList &list)
{
    Json out = Json::array();
    for (int i = 0; i < list.count; ++i) {
        const Property &p = list.records[i];
        Json record = Json::object();
        record["name"] = cli_json_text(p.name);
        record["type"] = p.type;
        switch (p.type) {
        case PROPERTY_FLOAT: {
            const Json value = json_float(p.value.f);
            if (value.is_object()) {
                record["value"] = nullptr;
                record["bits"] = value["bits"];
            } else {
                record["value"] = value;
            }
            break;
        }
        case PROPERTY_STRING: record["value"] = cli_json_text(p.value.s); break;
        default: record["value"] = p.value.i; break;
        }
        out.push_back(record);
    }
    return out;
}

bool cli_properties_from_json(const Json &value, PropertyList *list, std::string &error)
{
    if (!value.is_array()) {
        error = "\"properties\" is not a list";
        return false;
    }
    PropertyList built{};
    auto refuse = [&](size_t i, const std::string &why) {
        props_clear(&built);
        error = "property " + std::to_string(i) + " " + why;
        return false;
    };
    for (size_t i = 0; i < value.size(); ++i) {
        const Json &record = value[i];
        if (!record.is_object())
            return refuse(i, "is not an object");
        std::string name, why;
        if (!record.contains("name") || !cli_text_from_json(record["name"], name, why))
            return refuse(i, record.contains("name") ? "has a name that " + why : "has no name");
        if (name.empty() || name.size() > 259)
            return refuse(i, "has a name that is empty or longer than 259 bytes");
        const std::string label = "(\"" + name + "\")";
        if (props_find(&built, name.c_str()))
            return refuse(i, label + " repeats a name");
        if (!record.contains("type"))
            return refuse(i, label + " has no type");
        int type = -1;
        const Json &t = record["type"];
        if (t.is_number_integer() && t.get<int64_t>() >= 0 && t.get<int64_t>() < TYPE_COUNT) {
            type = t.get<int>();
        } else if (t.is_string()) {
            for (int k = 0; k < TYPE_COUNT; ++k)
                if (t.get<std::string>() == TYPE_NAMES[k])
                    type = k;
        }
        if (type < 0)
            return refuse(i, label + " has an unknown type (0 to 6, or Integer, Float, String, Boolean, "
                                     "Quake Sprite Type, WAD Data Type, Half-Life Texture Format)");
        if (!record.contains("value"))
            return refuse(i, label + " has no value");
        const Json &v = record["value"];
        if (type == PROPERTY_FLOAT) {
            if (v.is_null() && record.contains("bits") && record["bits"].is_string()) {
                const std::string bits = record["bits"].get<std::string>();
                char *end = nullptr;
                const unsigned long n = std::strtoul(bits.c_str(), &end, 16);
                if (bits.empty() || bits.size() > 8 || *end)
                    return refuse(i, label + " has \"bits\" that are not 8 hexadecimal digits");
                const uint32_t raw = static_cast<uint32_t>(n);
                float f;
                std::memcpy(&f, &raw, sizeof f);
                props_set_float(&built, name.c_str(), f);
            } else if (v.is_number()) {
                if (!(std::fabs(v.get<double>()) <= FLT_MAX))
                    return refuse(i, label + " is a Float but its value is out of a float's range");
                props_set_float(&built, name.c_str(), static_cast<float>(v.get<double>()));
            } else {
                return refuse(i, label + " is a Float but its value is not a number");
            }
        } else if (type == PROPERTY_STRING) {
            std::string text;
            if (!cli_text_from_json(v, text, why))
                return refuse(i, label + " is a String but its value " + why);
            props_set_string(&built, name.c_str(), text.c_str());
        } else {
            if (!v.is_number_integer() || v.get<int64_t>() < INT32_MIN || v.get<int64_t>() > INT32_MAX)
                return refuse(i, label + " is a " + TYPE_NAMES[type] + " but its value is not a 32-bit integer");
            props_set_int(&built, name.c_str(), static_cast<int32_t>(v.get<int64_t>()), type);
        }
    }
    props_clear(list);
    *list = built;
    return true;
}

bool cli_write_file(const std::string &path, const std::string &bytes)
{
    return write_file(path.c_str(), bytes.data(), bytes.size());
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
