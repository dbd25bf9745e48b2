// vorn-cli info: load a file and describe the animation it gives.
#include <cmath>
#include <cstdio>
#include <string>

#include <IL/il.h>

#include "cli/cli.h"
#include "io/sha256.h"
#include "document/animation.h"
#include "formats/format_table.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "image/texture_format.h"
#include "quake/size_questions.h"
#include "quake/texture_sequences.h"

namespace {

std::string text_float(float value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

struct FrameFacts {
    int width, height, type, palette_entries, palette_type;
    std::string sha256;
    bool quake_palette;  // the fullbright range applies
    size_t fullbrights; // pixels in it
};

// Hashing the pixels is most of the time `info` takes: only done when the
// hash is printed.
FrameFacts describe_frame(const Frame &frame, bool hash)
{
    FrameFacts facts{};
    host().bind_image(frame.image);
    // Asking for the type first converts images that are not 8 bits per
    // channel, so the hash below matches the type reported.
    facts.type = host().image_type();
    facts.width = host().width();
    facts.height = host().height();
    facts.palette_entries = facts.type == IMAGE_INDEXED ? host().palette_size() : 0;
    facts.palette_type = facts.palette_entries > 0 ? host().palette_type() : 0;
    if (facts.palette_entries > 0) {
        uint8_t palette[1024];
        facts.quake_palette = is_quake_palette(palette, bound_palette_rgba(palette, false));
        facts.fullbrights = facts.quake_palette ? bound_fullbright_pixels() : 0;
    }
    if (hash) {
        const uint8_t *data = host().get_data();
        const int size = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
        facts.sha256 = sha256_hex(data, data && size > 0 ? static_cast<size_t>(size) : 0);
    }
    return facts;
}

// The animated texture sequences and what the engine would refuse of them;
// none for a document without "+" textures.
struct SequenceFacts {
    std::vector<TextureSequence> sequences;
    std::vector<TextureRuleBreak> faults;
    std::vector<TextureFacts> textures;
};

SequenceFacts describe_sequences(Animation &anim)
{
    SequenceFacts facts;
    facts.textures = animation_texture_facts(&anim);
    std::vector<std::string> names;
    for (const TextureFacts &t : facts.textures)
        names.push_back(t.kind == TextureKind::Texture ? t.name : std::string());
    facts.sequences = find_texture_sequences(names);
    facts.faults = sequence_rule_breaks(facts.textures);
    return facts;
}

std::string sequence_label(const TextureSequence &seq) { return sequence_member_name(seq.base, seq.alternate, 0); }

void print_json(Animation &anim)
{
    Json groups = Json::array();
    for (int g = 0; g < anim.group_count; ++g) {
        const Group &group = anim.groups[g];
        Json frames = Json::array();
        for (int f = 0; f < group.frame_count; ++f) {
            const FrameFacts facts = describe_frame(group.frames[f], true);
            Json frame = Json{{"width", facts.width},
                              {"height", facts.height},
                              {"image_type", facts.type},
                              {"palette_entries", facts.palette_entries},
                              {"palette_type", facts.palette_type}};
            if (facts.quake_palette)
                frame["fullbright_pixels"] = facts.fullbrights;
            frame["pixels_sha256"] = facts.sha256;
            frame["properties"] = cli_json_properties(group.frames[f].props);
            frames.push_back(std::move(frame));
        }
        groups.push_back(Json{{"name", cli_json_text(group.name)},
                              {"properties", cli_json_properties(group.props)},
                              {"frames", frames}});
    }
    Json out = {{"properties", cli_json_properties(anim.props)}, {"groups", groups}};
    const SequenceFacts seq = describe_sequences(anim);
    if (!seq.sequences.empty()) {
        Json sequences = Json::array();
        for (const TextureSequence &s : seq.sequences)
            sequences.push_back(Json{{"name", sequence_label(s)}, {"alternate", s.alternate}, {"groups", s.frames}});
        Json faults = Json::array();
        for (const TextureRuleBreak &f : seq.faults)
            faults.push_back(Json{{"group", f.group}, {"cause", f.cause}});
        out["sequences"] = sequences;
        out["sequence_faults"] = faults;
    }
    std::printf("%s\n", out.dump().c_str());
}

std::string text_value(const Property &p)
{
    switch (p.type) {
    case PROPERTY_FLOAT: return text_float(p.value.f);
    case PROPERTY_STRING: return p.value.s ? p.value.s : "";
    case PROPERTY_BOOLEAN: return p.value.i ? "Yes" : "No";
    case PROPERTY_TEXTURE_FORMAT: return texture_format_text(p.value.i);
    default: return std::to_string(p.value.i);
    }
}

void print_text_properties(const PropertyList &list, const char *indent)
{
    for (int i = 0; i < list.count; ++i)
        std::printf("%s%s = %s\n", indent, list.records[i].name, text_value(list.records[i]).c_str());
}

void print_text(const char *path, Animation &anim, bool hash)
{
    std::printf("%s: %d group%s\n", path, anim.group_count, anim.group_count == 1 ? "" : "s");
    print_text_properties(anim.props, "  ");
    for (int g = 0; g < anim.group_count; ++g) {
        const Group &group = anim.groups[g];
        std::printf("  group %d \"%s\": %d frame%s\n", g, group.name, group.frame_count,
                    group.frame_count == 1 ? "" : "s");
        print_text_properties(group.props, "    ");
        for (int f = 0; f < group.frame_count; ++f) {
            const FrameFacts facts = describe_frame(group.frames[f], hash);
            std::printf("    frame %d: %dx%d, type %d", f, facts.width, facts.height, facts.type);
            if (facts.palette_entries)
                std::printf(", palette %d entries", facts.palette_entries);
            if (facts.quake_palette)
                std::printf(", %zu fullbright pixels", facts.fullbrights);
            if (hash)
                std::printf(", pixels sha256 %s", facts.sha256.c_str());
            std::printf("\n");
            print_text_properties(group.frames[f].props, "      ");
        }
    }
    const SequenceFacts seq = describe_sequences(anim);
    for (const TextureSequence &s : seq.sequences) {
        std::string frames;
        for (const int g : s.frames)
            frames += (frames.empty() ? "" : ", ") + (g < 0 ? std::string("missing") : std::to_string(g));
        std::printf("  %ssequence \"%s\": %d frame%s (groups %s)\n", s.alternate ? "alternate " : "",
                    sequence_label(s).c_str(), static_cast<int>(s.frames.size()), s.frames.size() == 1 ? "" : "s",
                    frames.c_str());
    }
    for (const TextureRuleBreak &f : seq.faults)
        std::printf("  sequence fault at group %d \"%s\": %s\n", f.group,
                    seq.textures[static_cast<size_t>(f.group)].name.c_str(), f.cause.c_str());
}

} // namespace

int cli_info(const Args &args)
{
    CliOptions options;
    if (const int status = cli_parse_options(args, {{"--json", false}, {"--hash", false}}, options))
        return status;
    if (options.positionals.empty())
        return cli_usage_error("info needs a file");
    if (options.positionals.size() > 1)
        return cli_usage_error("info takes one file");
    const std::string path = options.positionals[0];
    const bool json = options.has("--json");

    CliRun run("info", json);
    Animation anim;
    anim_init(&anim);
    file_load(path.c_str(), &anim);
    if (anim.group_count == 0) {
        anim_destroy(&anim);
        return run.finish(run.fail(path + " gave no image"));
    }
    // On success the object is the description itself.
    if (json)
        print_json(anim);
    else
        print_text(path.c_str(), anim, options.has("--hash"));
    anim_destroy(&anim);
    return 0;
}
