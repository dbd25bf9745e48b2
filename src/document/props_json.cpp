#include "document/props_json.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/byte_io.h"
#include "document/props.h"

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

// The property types by their code; a new type needs only its name here.
const char *const TYPE_NAMES[] = {"Integer",       "Float",         "String",
                                  "Boolean",       "Quake Sprite Type", "WAD Data Type",
                                  "Half-Life Texture Format"};
constexpr int TYPE_COUNT = static_cast<int>(sizeof TYPE_NAMES / sizeof TYPE_NAMES[0]);

std::string known_types()
{
    std::string text = "0 to " + std::to_string(TYPE_COUNT - 1) + ", or ";
    for (int k = 0; k < TYPE_COUNT; ++k)
        text += std::string(k ? ", " : "") + TYPE_NAMES[k];
    return text;
}

} // namespace

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

Json json_text(const char *text)
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

bool text_from_json(const Json &value, std::string &text, std::string &error)
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

Json json_properties(const PropertyList &list)
{
    Json out = Json::array();
    for (int i = 0; i < list.count; ++i) {
        const Property &p = list.records[i];
        Json record = Json::object();
        record["name"] = json_text(p.name);
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
        case PROPERTY_STRING: record["value"] = json_text(p.value.s); break;
        default: record["value"] = p.value.i; break;
        }
        out.push_back(record);
    }
    return out;
}

bool properties_from_json(const Json &value, PropertyList *list, std::string &error)
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
        if (!record.contains("name") || !text_from_json(record["name"], name, why))
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
            return refuse(i, label + " has an unknown type (" + known_types() + ")");
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
            if (!text_from_json(v, text, why))
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
