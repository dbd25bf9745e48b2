// Skins inside Quake models. Only the header and the skins are read: they
// come first in the file, and everything after them (texture coordinates,
// triangles, frames) is kept byte for byte when the skins are written back.
#include "quake/mdl.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "image/image_limits.h"
#include "image/quake_palette.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "platform/platform.h"
#include "quake/content_sniff.h"
#include "quake/palette_conform.h"
#include "quake/picture.h"
#include "quake/quake_layout.h"
#include "sniff/sniff.h"

using namespace mdl_layout;

namespace {

// The interval a skin group's frame gets when its "Duration" is none an
// engine takes (Quake refuses 0 or less).
constexpr float DEFAULT_INTERVAL = 0.1f;

struct Skin {
    size_t start = 0; // where its kind field lies in the file
    bool group = false;
    std::vector<float> intervals; // a group's, one a picture
    std::vector<size_t> pictures; // where each picture starts in the file
};

struct Model {
    int32_t width = 0;
    int32_t height = 0;
    size_t area = 0;
    std::vector<Skin> skins;
    size_t skins_end = 0;
};

// The header and the skins, every count and size checked against the file;
// false with `why` (without the file's name) otherwise.
bool parse_model(const uint8_t *data, size_t size, Model &model, std::string &why)
{
    if (size < HEADER_SIZE) {
        why = format_text("the file of %zu bytes is too short for a model's header", size);
        return false;
    }
    ByteReader in(data, size);
    if (in.u32() != MAGIC) {
        why = "it does not start with IDPO";
        return false;
    }
    const int32_t version = in.i32();
    if (version != VERSION) {
        why = format_text("its version %i is not that of a Quake model (%i)", version, VERSION);
        return false;
    }
    in.seek(SKIN_COUNT_FIELD);
    const int32_t count = in.i32();
    model.width = in.i32();
    model.height = in.i32();
    model.area = static_cast<size_t>(checked_area(model.width, model.height));
    if (model.area == 0) {
        why = format_text("its skins have an unusable size of %ix%i", model.width, model.height);
        return false;
    }
    const size_t left = size - HEADER_SIZE;
    if (count < 0 || static_cast<uint64_t>(count) > left / (4 + model.area)) {
        why = format_text("its %i skins of %ix%i do not fit in the file", count, model.width, model.height);
        return false;
    }
    in.seek(HEADER_SIZE);
    model.skins.resize(static_cast<size_t>(count));
    for (int32_t s = 0; s < count; ++s) {
        Skin &skin = model.skins[static_cast<size_t>(s)];
        skin.start = in.position();
        skin.group = in.i32() != SINGLE_SKIN;
        int32_t pictures = 1;
        if (skin.group) {
            pictures = in.i32();
            if (pictures < 1 || static_cast<uint64_t>(pictures) > in.remaining() / (4 + model.area)) {
                why = format_text("its skin group %i claims %i pictures, which the file does not hold", s, pictures);
                return false;
            }
            for (int32_t k = 0; k < pictures; ++k)
                skin.intervals.push_back(in.f32());
        }
        for (int32_t k = 0; k < pictures; ++k) {
            skin.pictures.push_back(in.position());
            if (!in.take(model.area)) {
                why = format_text("its skin %i ends past the end of the file", s);
                return false;
            }
        }
        if (in.short_read()) {
            why = format_text("its skin %i ends past the end of the file", s);
            return false;
        }
    }
    model.skins_end = in.position();
    return true;
}

bool refuse_save(const char *path, const std::string &why)
{
    show_warning(format_text("Cannot save %s: %s", path, why.c_str()));
    save_refused();
    return false;
}

// A group is written as a skin group when it was read as one or holds more
// than one frame.
bool single_skin(const Group &group)
{
    return group.frame_count == 1 && !props_get_int(&group.props, PROP_SKIN_GROUP);
}

} // namespace

bool mdl_skin_info(const uint8_t *data, size_t size, ModelSkinInfo &info, std::string &why)
{
    Model model;
    if (!parse_model(data, size, model, why))
        return false;
    info = {};
    info.skins = static_cast<int32_t>(model.skins.size());
    info.width = model.width;
    info.height = model.height;
    for (const Skin &skin : model.skins) {
        info.groups += skin.group ? 1 : 0;
        info.pictures += static_cast<int32_t>(skin.pictures.size());
    }
    return true;
}

LoadResult mdl_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes))
        return load_not_mine();
    if (!sniff_mdl(ByteReader(bytes)))
        return refuse_foreign_file(path, bytes.data(), bytes.size(), "Quake model", true);
    Model model;
    std::string why;
    if (!parse_model(bytes.data(), bytes.size(), model, why))
        return load_refusal(format_text("Cannot read %s: %s", path, why.c_str()));
    if (model.skins.empty())
        return load_refusal(format_text("Cannot read %s: the model has no skins", path));
    uint64_t pixels = 0;
    for (const Skin &skin : model.skins)
        pixels += skin.pictures.size() * static_cast<uint64_t>(model.area);
    if (pixels > pixel_budget())
        return load_refusal(format_text("Cannot read %s: its skins decode to %s of pixels, more than the limit of %s",
                                        path, size_text(pixels).c_str(), size_text(pixel_budget()).c_str()));
    props_set_int(&anim->props, PROP_MODEL_VERSION, VERSION, PROPERTY_INTEGER);
    for (size_t s = 0; s < model.skins.size(); ++s) {
        const Skin &skin = model.skins[s];
        Group *group = anim_add_group(anim, format_text("Skin %zu", s).c_str());
        group_reset_frames(group, static_cast<int>(skin.pictures.size()));
        if (skin.group)
            props_set_int(&group->props, PROP_SKIN_GROUP, 1, PROPERTY_BOOLEAN);
        for (size_t k = 0; k < skin.pictures.size(); ++k) {
            Frame *frame = &group->frames[k];
            ByteReader in(bytes.data() + skin.pictures[k], model.area);
            indexed_pixels_read(in, frame, model.width, model.height);
            host().bind_image(frame->image);
            host().set_palette(default_palette, 256);
            if (skin.group)
                props_set_float(&frame->props, sprite_layout::PROP_DURATION, skin.intervals[k]);
        }
    }
    return load_ok();
}

int32_t mdl_load(const char *path, Animation *anim) { return load_result_shown(mdl_read(path, anim)); }

int32_t mdl_save(const char *path, Animation *anim)
{
    std::vector<uint8_t> file;
    if (!read_file(path, file))
        return refuse_save(path, format_text("skins are written into the model already there, which cannot be read "
                                             "(%s)",
                                             std::strerror(errno ? errno : EIO)));
    Model model;
    std::string why;
    if (!parse_model(file.data(), file.size(), model, why))
        return refuse_save(path, why);
    if (anim->group_count < 1)
        return refuse_save(path, "a model needs at least one skin");
    for (int g = 0; g < anim->group_count; ++g) {
        const Group &group = anim->groups[g];
        const char *name = group.name ? group.name : "";
        if (group.frame_count < 1)
            return refuse_save(path, format_text("skin \"%s\" has no picture", name));
        for (int f = 0; f < group.frame_count; ++f) {
            host().bind_image(group.frames[f].image);
            if (host().width() != model.width || host().height() != model.height)
                return refuse_save(path, format_text("skin \"%s\" is %ix%i but the model's skins are %ix%i", name,
                                                     host().width(), host().height(), model.width, model.height));
        }
    }
    if (!frames_fit_for_saving(anim, QUAKE_MAX_SIDE, false, LIBRARY_MAX_IMAGE_BYTES))
        return 0;

    // A document read from a model holds all its skins; any other (a
    // picture) replaces the skins from the first on and leaves the rest.
    const bool from_model = props_find(&anim->props, PROP_MODEL_VERSION) != 0;
    const size_t kept_from = from_model ? model.skins.size() : static_cast<size_t>(anim->group_count);
    const size_t skins = kept_from < model.skins.size() ? model.skins.size() : static_cast<size_t>(anim->group_count);
    const RemapReport remaps("the Quake palette");
    const FullbrightCheck fullbrights(path, implied_palette());
    ByteWriter out;
    out.bytes(file.data(), HEADER_SIZE);
    out.patch_u32(SKIN_COUNT_FIELD, static_cast<uint32_t>(skins));
    for (int g = 0; g < anim->group_count; ++g) {
        Group &group = anim->groups[g];
        if (single_skin(group)) {
            out.i32(SINGLE_SKIN);
        } else {
            out.i32(SKIN_GROUP);
            out.i32(group.frame_count);
            for (int f = 0; f < group.frame_count; ++f) {
                const float interval = props_get_float(&group.frames[f].props, sprite_layout::PROP_DURATION);
                out.f32(std::isfinite(interval) && interval > 0 ? interval : DEFAULT_INTERVAL);
            }
        }
        for (int f = 0; f < group.frame_count; ++f)
            indexed_pixels_write(out, group.frames[f].image);
    }
    if (kept_from < model.skins.size()) {
        const size_t start = model.skins[kept_from].start;
        out.bytes(file.data() + start, model.skins_end - start);
    }
    out.bytes(file.data() + model.skins_end, file.size() - model.skins_end);

    OutputFile output;
    if (!output.open(path) || !output.write(out) || !output.finish())
        return 0;
    remaps.tell(path);
    if (!from_model)
        platform().show_message(format_text("%s: %i of its %zu skins replaced, from the first on", path,
                                            anim->group_count, skins),
                                MessageIcon::Information);
    return 1;
}
