// vorn-cli info: load a file and describe the animation it gives.
#include <cmath>
#include <cstdio>
#include <string>

#include <IL/il.h>

#include "cli/cli.h"
#include "fileio/sha256.h"
#include "document/animation.h"
#include "fileio/format_table.h"
#include "plugins/host_table.h"

namespace {

std::string json_string(const char *text)
{
    std::string out = "\"";
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text ? text : ""); *p; ++p) {
        switch (*p) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (*p < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", *p);
                out += buffer;
            } else {
                out.push_back(static_cast<char>(*p));
            }
        }
    }
    return out + "\"";
}

std::string json_float(float value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

std::string property_value(const Property &p)
{
    switch (p.type) {
    case PROPERTY_FLOAT: return json_float(p.value.f);
    case PROPERTY_STRING: return json_string(p.value.s);
    default: return std::to_string(p.value.i);
    }
}

std::string json_properties(const PropertyList &list)
{
    std::string out = "[";
    for (int i = 0; i < list.count; ++i) {
        const Property &p = list.records[i];
        if (i)
            out += ",";
        out += "{\"name\":" + json_string(p.name) + ",\"type\":" + std::to_string(p.type)
               + ",\"value\":" + property_value(p) + "}";
    }
    return out + "]";
}

struct FrameFacts {
    int width, height, type, palette_entries, palette_type;
    std::string sha256;
};

FrameFacts describe_frame(const Frame &frame)
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
    const uint8_t *data = host().get_data();
    const int size = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
    facts.sha256 = sha256_hex(data, data && size > 0 ? static_cast<size_t>(size) : 0);
    return facts;
}

void print_json(const Animation &anim)
{
    std::string out = "{\"properties\":" + json_properties(anim.props) + ",\"groups\":[";
    for (int g = 0; g < anim.group_count; ++g) {
        const Group &group = anim.groups[g];
        if (g)
            out += ",";
        out += "{\"name\":" + json_string(group.name) + ",\"properties\":" + json_properties(group.props)
               + ",\"frames\":[";
        for (int f = 0; f < group.frame_count; ++f) {
            const FrameFacts facts = describe_frame(group.frames[f]);
            if (f)
                out += ",";
            out += "{\"width\":" + std::to_string(facts.width) + ",\"height\":" + std::to_string(facts.height)
                   + ",\"image_type\":" + std::to_string(facts.type)
                   + ",\"palette_entries\":" + std::to_string(facts.palette_entries)
                   + ",\"palette_type\":" + std::to_string(facts.palette_type) + ",\"pixels_sha256\":\""
                   + facts.sha256 + "\",\"properties\":" + json_properties(group.frames[f].props) + "}";
        }
        out += "]}";
    }
    out += "]}";
    std::printf("%s\n", out.c_str());
}

std::string text_value(const Property &p)
{
    switch (p.type) {
    case PROPERTY_FLOAT: return json_float(p.value.f);
    case PROPERTY_STRING: return p.value.s ? p.value.s : "";
    case PROPERTY_BOOLEAN: return p.value.i ? "Yes" : "No";
    default: return std::to_string(p.value.i);
    }
}

void print_text_properties(const PropertyList &list, const char *indent)
{
    for (int i = 0; i < list.count; ++i)
        std::printf("%s%s = %s\n", indent, list.records[i].name, text_value(list.records[i]).c_str());
}

void print_text(const char *path, const Animation &anim)
{
    std::printf("%s: %d group%s\n", path, anim.group_count, anim.group_count == 1 ? "" : "s");
    print_text_properties(anim.props, "  ");
    for (int g = 0; g < anim.group_count; ++g) {
        const Group &group = anim.groups[g];
        std::printf("  group %d \"%s\": %d frame%s\n", g, group.name, group.frame_count,
                    group.frame_count == 1 ? "" : "s");
        print_text_properties(group.props, "    ");
        for (int f = 0; f < group.frame_count; ++f) {
            const FrameFacts facts = describe_frame(group.frames[f]);
            std::printf("    frame %d: %dx%d, type %d", f, facts.width, facts.height, facts.type);
            if (facts.palette_entries)
                std::printf(", palette %d entries", facts.palette_entries);
            std::printf("\n");
            print_text_properties(group.frames[f].props, "      ");
        }
    }
}

} // namespace

int cli_info(const Args &args)
{
    bool json = false;
    std::string path;
    for (const std::string &a : args) {
        if (a == "--json")
            json = true;
        else if (!a.empty() && a[0] == '-' && a.size() > 1)
            return cli_usage_error("unknown option '" + a + "'");
        else if (path.empty())
            path = a;
        else
            return cli_usage_error("info takes one file");
    }
    if (path.empty())
        return cli_usage_error("info needs a file");

    Animation anim;
    anim_init(&anim);
    file_load(path.c_str(), &anim);
    if (anim.group_count == 0) {
        anim_destroy(&anim);
        std::fprintf(stderr, "Vorn: %s gave no image\n", path.c_str());
        return 1;
    }
    if (json)
        print_json(anim);
    else
        print_text(path.c_str(), anim);
    anim_destroy(&anim);
    return 0;
}
