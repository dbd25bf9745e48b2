#include "formats/sprite_sheet.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include <IL/il.h>

#include "document/animation.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "image/frame_pixels.h"
#include "image/host_table.h"
#include "image/image_limits.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "quake/quake_layout.h"

namespace {

using namespace sprite_layout;

// More frames than any engine plays in one group, far fewer than a
// description of a few megabytes could list.
constexpr size_t MAX_SHEET_FRAMES = 65536;

bool same_palette(const FramePixels &a, const FramePixels &b)
{
    return a.palette == b.palette && a.transparent == b.transparent;
}

// The pixel `index` of an 8-bit frame as RGBA: its palette's colour, and
// transparent exactly where the frame's transparent index is.
void index_to_rgba(const FramePixels &frame, uint8_t index, uint8_t *rgba)
{
    const size_t at = static_cast<size_t>(index) * 4;
    if (at + 3 < frame.palette.size())
        std::memcpy(rgba, frame.palette.data() + at, 3);
    else
        std::memset(rgba, 0, 3);
    rgba[3] = index == frame.transparent ? 0 : 255;
}

// A new frame of `group` holding `pixels` (top row first).
void append_picture(Group *group, int w, int h, bool indexed, const uint8_t *pixels,
                    const std::vector<uint8_t> &palette)
{
    const int index = group_append_frame(group);
    host().bind_image(group->frames[index].image);
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, static_cast<ILubyte>(indexed ? 1 : 4),
               indexed ? IL_COLOUR_INDEX : IL_RGBA, IL_UNSIGNED_BYTE, const_cast<uint8_t *>(pixels));
    host().set_upper_left_origin();
    if (indexed && !palette.empty())
        host().set_palette(palette.data(), static_cast<int>(palette.size() / 4));
}

bool has_type(const PropertyList &props, const char *name, int type)
{
    const int at = props_find(&props, name);
    return at > 0 && props.records[at - 1].type == type;
}

bool whole_number(const Json &value, int64_t low, int64_t high, int &out)
{
    // An unsigned number past the signed range would read as negative.
    if (!value.is_number_integer() || (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX))
        || value.get<int64_t>() < low || value.get<int64_t>() > high)
        return false;
    out = value.get<int>();
    return true;
}

} // namespace

std::string sheet_description_path(const std::string &image_path)
{
    return std::filesystem::path(image_path).replace_extension(".json").string();
}

bool sheet_build(const Animation &anim, int group_index, int columns, int rows, Animation *sheet, Json &description,
                 std::string &error)
{
    anim_destroy(sheet);
    anim_init(sheet);
    if (group_index < 0 || group_index >= anim.group_count) {
        error = "there is no group " + std::to_string(group_index);
        return false;
    }
    const Group &group = anim.groups[group_index];
    const int count = group.frame_count;
    if (count <= 0) {
        error = "group " + std::to_string(group_index) + " has no frames";
        return false;
    }
    std::vector<FramePixels> frames(static_cast<size_t>(count));
    int cell_w = 1, cell_h = 1;
    bool indexed = true;
    for (int f = 0; f < count; ++f) {
        if (!frame_pixels(group.frames[f].image, frames[f])) {
            error = "frame " + std::to_string(f) + " has no pixels";
            return false;
        }
        cell_w = std::max(cell_w, frames[f].width);
        cell_h = std::max(cell_h, frames[f].height);
        indexed = indexed && frames[f].indexed && same_palette(frames[f], frames[0]);
    }
    if (columns <= 0 || rows <= 0) {
        columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
        rows = (count + columns - 1) / columns;
    }
    if (static_cast<int64_t>(columns) * rows < count) {
        error = std::to_string(columns) + "x" + std::to_string(rows) + " cells cannot hold " + std::to_string(count)
                + " frames";
        return false;
    }
    const int64_t sheet_w = static_cast<int64_t>(columns) * cell_w;
    const int64_t sheet_h = static_cast<int64_t>(rows) * cell_h;
    if (sheet_w > GENERIC_MAX_SIDE || sheet_h > GENERIC_MAX_SIDE
        || static_cast<uint64_t>(sheet_w * sheet_h) > max_image_pixels()) {
        error = "the sheet would be " + std::to_string(sheet_w) + "x" + std::to_string(sheet_h)
                + " pixels, more than an image may have" + max_pixels_advice();
        return false;
    }

    const int bpp = indexed ? 1 : 4;
    const int transparent = indexed ? frames[0].transparent : -1;
    std::vector<uint8_t> pixels(static_cast<size_t>(sheet_w * sheet_h) * bpp,
                                transparent >= 0 ? static_cast<uint8_t>(transparent) : 0);
    std::vector<uint8_t> palette;
    if (indexed) {
        // The sheet shows holes where the engines do; a palette without
        // alpha (all 0, as a version-2 sprite's) is made opaque first.
        palette = frames[0].palette;
        bool any_opaque = false;
        for (size_t i = 3; i < palette.size(); i += 4)
            any_opaque = any_opaque || palette[i] != 0;
        for (size_t i = 3; i < palette.size() && !any_opaque; i += 4)
            palette[i] = 255;
        if (transparent >= 0 && static_cast<size_t>(transparent) * 4 + 3 < palette.size())
            palette[static_cast<size_t>(transparent) * 4 + 3] = 0;
    }

    Json list = Json::array();
    for (int f = 0; f < count; ++f) {
        const FramePixels &frame = frames[f];
        const int x = (f % columns) * cell_w;
        const int y = (f / columns) * cell_h;
        for (int row = 0; row < frame.height; ++row) {
            uint8_t *to = pixels.data() + ((static_cast<size_t>(y) + row) * sheet_w + x) * bpp;
            const uint8_t *from = frame.pixels.data() + static_cast<size_t>(row) * frame.width * (frame.indexed ? 1 : 4);
            if (indexed || !frame.indexed)
                std::memcpy(to, from, static_cast<size_t>(frame.width) * bpp);
            else
                for (int k = 0; k < frame.width; ++k)
                    index_to_rgba(frame, from[k], to + static_cast<size_t>(k) * 4);
        }
        const PropertyList &props = group.frames[f].props;
        Json entry = Json::object();
        entry["rect"] = {{"x", x}, {"y", y}, {"w", frame.width}, {"h", frame.height}};
        // The plain members only where reading them back sets the same
        // record; the property list carries anything else.
        if (has_type(props, PROP_ORIGIN_X, PROPERTY_INTEGER) && has_type(props, PROP_ORIGIN_Y, PROPERTY_INTEGER))
            entry["origin"] = {{"x", props_get_int(&props, PROP_ORIGIN_X)},
                               {"y", props_get_int(&props, PROP_ORIGIN_Y)}};
        const float duration = props_get_float(&props, PROP_DURATION);
        if (has_type(props, PROP_DURATION, PROPERTY_FLOAT) && std::isfinite(duration))
            entry["duration"] = json_float(duration);
        entry["properties"] = json_properties(props);
        list.push_back(entry);
    }

    Group *holder = anim_add_group(sheet, NO_GROUP_NAME);
    append_picture(holder, static_cast<int>(sheet_w), static_cast<int>(sheet_h), indexed, pixels.data(), palette);

    description = Json::object();
    description["format"] = SHEET_FORMAT;
    description["version"] = SHEET_VERSION;
    description["size"] = {{"w", sheet_w}, {"h", sheet_h}};
    description["grid"] = {{"columns", columns}, {"rows", rows}, {"cell_w", cell_w}, {"cell_h", cell_h}};
    // Formats such as PCX hold 256 entries whatever was written.
    if (indexed && !palette.empty())
        description["palette_entries"] = palette.size() / 4;
    description["properties"] = json_properties(anim.props);
    description["group"] = {{"name", json_text(group.name)}, {"properties", json_properties(group.props)}};
    description["frames"] = list;
    return true;
}

bool sheet_export(const Animation &anim, int group, int columns, int rows, const std::string &image_path,
                  std::string &error)
{
    Animation sheet;
    anim_init(&sheet);
    Json description;
    bool ok = sheet_build(anim, group, columns, rows, &sheet, description, error);
    if (ok && !file_save(image_path.c_str(), &sheet)) {
        error.clear(); // the writer has told why
        ok = false;
    }
    anim_destroy(&sheet);
    if (!ok)
        return false;
    // The image's name beside the format, where a reader looks first.
    Json named = Json::object();
    for (auto &item : description.items()) {
        named[item.key()] = item.value();
        if (item.key() == "version")
            named["image"] = json_text(std::filesystem::path(image_path).filename().string().c_str());
    }
    const std::string path = sheet_description_path(image_path);
    const std::string text = named.dump(2) + "\n";
    if (!write_file(path.c_str(), text.data(), text.size())) {
        error = save_error_text(path.c_str(), errno ? errno : EIO);
        return false;
    }
    return true;
}

bool sheet_unpack(uint32_t sheet_image, const Json &description, Animation *out, std::string &error)
{
    anim_destroy(out);
    anim_init(out);
    auto bad = [&](const std::string &why) {
        anim_destroy(out);
        anim_init(out);
        error = why;
        return false;
    };
    if (!description.is_object())
        return bad("the description is not an object");
    if (description.contains("format") && description["format"] != SHEET_FORMAT)
        return bad("\"format\" is not \"" + std::string(SHEET_FORMAT) + "\"");
    if (description.contains("version")
        && (!description["version"].is_number_integer() || description["version"].get<int64_t>() > SHEET_VERSION))
        return bad("\"version\" is not a version this program reads (" + std::to_string(SHEET_VERSION) + ")");
    if (!description.contains("frames") || !description["frames"].is_array() || description["frames"].empty())
        return bad("\"frames\" is missing, not a list or empty");
    FramePixels sheet;
    if (!frame_pixels(sheet_image, sheet))
        return bad("the sheet has no pixels");
    if (sheet.indexed && description.contains("palette_entries")) {
        int entries = 0;
        if (!whole_number(description["palette_entries"], 1, 256, entries))
            return bad("\"palette_entries\" is not a count from 1 to 256");
        if (sheet.palette.size() > static_cast<size_t>(entries) * 4)
            sheet.palette.resize(static_cast<size_t>(entries) * 4);
    }

    std::string why;
    if (description.contains("properties") && !properties_from_json(description["properties"], &out->props, why))
        return bad(why);
    std::string name = NO_GROUP_NAME;
    const Json none = Json::object();
    const Json &group_entry = description.contains("group") ? description["group"] : none;
    if (!group_entry.is_object())
        return bad("\"group\" is not an object");
    if (group_entry.contains("name") && !text_from_json(group_entry["name"], name, why))
        return bad("the group's name " + why);
    Group *group = anim_add_group(out, name.c_str());
    if (group_entry.contains("properties") && !properties_from_json(group_entry["properties"], &group->props, why))
        return bad("the group: " + why);

    const int bpp = sheet.indexed ? 1 : 4;
    const Json &frames = description["frames"];
    if (frames.size() > MAX_SHEET_FRAMES)
        return bad("it lists " + std::to_string(frames.size()) + " frames, more than "
                   + std::to_string(MAX_SHEET_FRAMES));
    uint64_t held = 0;
    std::vector<uint8_t> cut;
    for (size_t f = 0; f < frames.size(); ++f) {
        const std::string where = "frame " + std::to_string(f);
        const Json &entry = frames[f];
        if (!entry.is_object() || !entry.contains("rect") || !entry["rect"].is_object())
            return bad(where + " has no \"rect\"");
        const Json &rect = entry["rect"];
        int x = 0, y = 0, w = 0, h = 0;
        if (!rect.contains("x") || !rect.contains("y") || !rect.contains("w") || !rect.contains("h")
            || !whole_number(rect["x"], 0, sheet.width - 1, x) || !whole_number(rect["y"], 0, sheet.height - 1, y)
            || !whole_number(rect["w"], 1, sheet.width - x, w) || !whole_number(rect["h"], 1, sheet.height - y, h))
            return bad(where + ": \"rect\" is not a rectangle inside the " + std::to_string(sheet.width) + "x"
                       + std::to_string(sheet.height) + " sheet");
        // Rectangles may overlap: what they cut together is bounded, not
        // the sheet.
        held += static_cast<uint64_t>(w) * h * bpp;
        if (held > pixel_budget())
            return bad(where + ": the frames cut so far hold more than " + size_text(pixel_budget())
                       + " of pixels");
        cut.resize(static_cast<size_t>(w) * h * bpp);
        for (int row = 0; row < h; ++row)
            std::memcpy(cut.data() + static_cast<size_t>(row) * w * bpp,
                        sheet.pixels.data() + ((static_cast<size_t>(y) + row) * sheet.width + x) * bpp,
                        static_cast<size_t>(w) * bpp);
        append_picture(group, w, h, sheet.indexed, cut.data(), sheet.palette);
        group = &out->groups[0];
        PropertyList *props = &group->frames[group->frame_count - 1].props;
        if (entry.contains("properties") && !properties_from_json(entry["properties"], props, why))
            return bad(where + ": " + why);
        // The plain members win over the property list: they are what a
        // person or another tool edits.
        if (entry.contains("origin")) {
            const Json &origin = entry["origin"];
            int ox = 0, oy = 0;
            if (!origin.is_object() || !origin.contains("x") || !origin.contains("y")
                || !whole_number(origin["x"], INT32_MIN, INT32_MAX, ox)
                || !whole_number(origin["y"], INT32_MIN, INT32_MAX, oy))
                return bad(where + ": \"origin\" is not {\"x\", \"y\"} of whole numbers");
            props_set_int(props, PROP_ORIGIN_X, ox, PROPERTY_INTEGER);
            props_set_int(props, PROP_ORIGIN_Y, oy, PROPERTY_INTEGER);
        }
        if (entry.contains("duration")) {
            const Json &duration = entry["duration"];
            if (!duration.is_number() || !(std::fabs(duration.get<double>()) <= FLT_MAX))
                return bad(where + ": \"duration\" is not a number of seconds");
            props_set_float(props, PROP_DURATION, static_cast<float>(duration.get<double>()));
        }
    }
    return true;
}
