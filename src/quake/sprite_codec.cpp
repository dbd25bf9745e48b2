#include "quake/sprite_codec.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <IL/il.h>
#include <IL/ilu.h>

#include "document/animation.h"
#include "document/props.h"
#include "io/safe_save.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/palette_conform.h"
#include "image/image_limits.h"
#include "quake/quake_layout.h"
#include "image/quake_palette.h"
#include "image/own_palette.h"
#include "image/texture_format.h"

using namespace sprite_layout;

namespace {

// Origins are stored negated; INT32_MIN has no negative, so negate with
// wrap-around rather than overflow.
int32_t negated(int32_t value) { return static_cast<int32_t>(0u - static_cast<uint32_t>(value)); }

// Steps over one frame record the way read_frame consumes it: the pixels of
// a frame with an unusable size are not part of the record.
void skip_frame(ByteReader &in, int bytes_per_pixel)
{
    in.skip(8);
    const int32_t width = in.i32();
    const int32_t height = in.i32();
    const uint64_t bytes = checked_area(width, height, MAX_SIDE, bytes_per_pixel);
    if (bytes)
        in.skip(static_cast<size_t>(bytes));
}

// True when any of the entries is a group. Works on a copy of the reader so
// that the real reading starts again at the first entry.
bool has_group_entry(ByteReader in, int32_t entry_count, int bytes_per_pixel)
{
    for (int32_t e = 0; e < entry_count && !in.short_read(); ++e) {
        if (in.i32() != 0)
            return true;
        skip_frame(in, bytes_per_pixel);
    }
    return false;
}

// What the reading of one file has taken so far.
struct FrameReading {
    ReadAllowance allowance;
    int frame_number = 0; // frames read so far, for messages
    bool told_unusable = false;
};

// Reads one frame record. False (after giving up) when its pixels would take
// the file past the zero fill or the pixel budget.
bool read_frame(ByteReader &in, Frame *frame, const SpritePixels &pixels, FrameReading &reading, Animation *anim)
{
    ++reading.frame_number;
    const int32_t origin_x = in.i32();
    const int32_t origin_y = in.i32();
    const int32_t width = in.i32();
    const int32_t height = in.i32();
    const uint64_t bytes = checked_area(width, height, MAX_SIDE, pixels.bytes_per_pixel);
    if (bytes) {
        if (!reading.allowance.take(bytes, in.remaining())) {
            sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame %i %s", pixels.path ? pixels.path : "",
                                             reading.frame_number,
                                             reading.allowance.why(width, height, bytes, in.remaining()).c_str()));
            return false;
        }
        // Pixels that lie whole in the file go to the image from where they
        // are; bytes the file lacks stay zero (ByteReader fills them).
        std::vector<uint8_t> data;
        const uint8_t *whole = in.take(static_cast<size_t>(bytes));
        if (!whole) {
            data.resize(static_cast<size_t>(bytes));
            in.bytes(data.data(), data.size());
        }
        host().bind_image(frame->image);
        const bool indexed = pixels.bytes_per_pixel == 1;
        ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1,
                   static_cast<ILubyte>(pixels.bytes_per_pixel), indexed ? IL_COLOUR_INDEX : IL_RGBA,
                   IL_UNSIGNED_BYTE, const_cast<uint8_t *>(whole ? whole : data.data()));
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        if (indexed)
            host().set_palette(pixels.palette, pixels.palette_count);
    } else if (!reading.told_unusable) {
        // The frame keeps its one cleared pixel; say so once per file.
        reading.told_unusable = true;
        show_warning(format_text("Sprite %s: frame %i is %ix%i pixels, outside 1 to %i a side; it was left empty",
                                 pixels.path ? pixels.path : "", reading.frame_number, width, height, MAX_SIDE));
    }
    props_set_int(&frame->props, PROP_ORIGIN_X, negated(origin_x), PROPERTY_INTEGER);
    props_set_int(&frame->props, PROP_ORIGIN_Y, origin_y, PROPERTY_INTEGER);
    return true;
}

// The frame count of group entry `entry`, checked against what the file can
// still hold; -1 (after giving up) when the entry cannot be read.
int32_t group_frame_count(ByteReader &in, int32_t entry, const SpriteHeader &header, const SpritePixels &pixels,
                          Animation *anim)
{
    const int32_t stored = in.i32();
    const uint64_t capacity = in.remaining() / MIN_GROUP_FRAME_SIZE;
    if (stored < 0) {
        sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame entry %i has a negative frame count (%i)", pixels.path ? pixels.path : "", entry, stored));
        return -1;
    }
    if (stored > 0) {
        if (static_cast<uint64_t>(stored) > capacity) {
            sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame entry %i claims %i frames, more than the file can hold",
                                             pixels.path ? pixels.path : "", entry, stored));
            return -1;
        }
        return stored;
    }
    if (!pixels.derive_empty_group_count) {
        sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame entry %i is a group without frames", pixels.path ? pixels.path : "", entry));
        return -1;
    }
    // Some writers leave the count 0: estimate it from the bytes left, with
    // the header's size as the size of every frame. Sides are taken
    // unsigned, as such writers store them; 64 bits keep the divisor from
    // wrapping to 0.
    const uint64_t frame_size = static_cast<uint64_t>(static_cast<uint32_t>(header.width))
                                    * static_cast<uint32_t>(header.height)
                                + 12;
    uint64_t derived = in.remaining() / frame_size;
    if (derived == 0) {
        sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame entry %i is a group without frames", pixels.path ? pixels.path : "", entry));
        return -1;
    }
    // The estimate is only a guess; never make more frames than could fit.
    if (derived > capacity)
        derived = capacity;
    if (derived == 0) {
        sprite_give_up(pixels, anim, format_text("Cannot read %s: sprite frame entry %i claims more frames than the file can hold", pixels.path ? pixels.path : "",
                                             entry));
        return -1;
    }
    return static_cast<int32_t>(derived);
}

bool read_ungrouped(ByteReader &in, const SpriteHeader &header, const SpritePixels &pixels, Animation *anim)
{
    FrameReading reading;
    const int index = anim->group_count;
    group_reset_frames(anim_add_group(anim, NO_GROUP_NAME), header.entry_count);
    for (int32_t e = 0; e < header.entry_count; ++e) {
        in.i32(); // entry type, 0 for every entry here
        if (!read_frame(in, &anim->groups[index].frames[e], pixels, reading, anim))
            return false;
    }
    return true;
}

bool read_grouped(ByteReader &in, const SpriteHeader &header, const SpritePixels &pixels, Animation *anim)
{
    FrameReading reading;
    for (int32_t e = 0; e < header.entry_count; ++e) {
        const int32_t entry_type = in.i32();
        int32_t count = 1;
        if (entry_type != 0) {
            count = group_frame_count(in, e, header, pixels, anim);
            if (count < 0)
                return false;
        }
        const int index = anim->group_count;
        group_reset_frames(anim_add_group(anim, format_text("Group %i", e).c_str()), count);
        Group &group = anim->groups[index];
        if (entry_type != 0)
            for (int32_t k = 0; k < count; ++k)
                props_set_float(&group.frames[k].props, PROP_DURATION, in.f32());
        for (int32_t k = 0; k < count; ++k)
            if (!read_frame(in, &group.frames[k], pixels, reading, anim))
                return false;
    }
    return true;
}

bool is_indexed_image()
{
    return ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
           && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1;
}

// A Half-Life sprite carries a palette of its own: when its first frame is
// true colour (a sprite made from images), the true-colour frames share one
// made from all of them. Alpha Test keeps index 255 for transparent pixels;
// Index Alpha takes each pixel's opacity for its index.
void give_true_colour_frames_own_palette(Animation *anim, int texture_format)
{
    host().bind_image(anim->groups[0].frames[0].image);
    if (is_indexed_image())
        return;
    std::vector<uint32_t> images;
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            host().bind_image(anim->groups[g].frames[f].image);
            if (!is_indexed_image())
                images.push_back(anim->groups[g].frames[f].image);
        }
    if (texture_format == TEXTURE_INDEX_ALPHA)
        give_images_opacity_palette(images);
    else
        give_images_own_palette(images, texture_format == TEXTURE_ALPHA_TEST, own_palette_dithering());
}

bool is_rgba_image()
{
    return ilGetInteger(IL_IMAGE_FORMAT) == IL_RGBA && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE;
}

// Writes the bound image's pixels, top row first, as width x height x
// bytes_per_pixel bytes.
void write_pixels(ByteWriter &out, int width, int height, int bytes_per_pixel)
{
    const bool flip = ilGetInteger(IL_ORIGIN_MODE) == IL_ORIGIN_LOWER_LEFT;
    if (flip)
        iluFlipImage();
    const size_t wanted = static_cast<size_t>(width) * static_cast<size_t>(height) * bytes_per_pixel;
    const size_t held = static_cast<size_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
    const uint8_t *data = ilGetData();
    const size_t take = data ? (held < wanted ? held : wanted) : 0;
    // Large frames go to the file from the image itself, unless the image
    // is turned back over below.
    if (flip)
        out.bytes(data, take);
    else
        out.borrow(data, take);
    out.zeros(wanted - take);
    if (flip)
        iluFlipImage();
}

// `palette` (count entries) is the palette the file implies for 8-bit
// frames: the Quake palette, or the version-2 sprite's own.
void write_frame(ByteWriter &out, Frame *frame, int bytes_per_pixel, const uint8_t *palette, int count)
{
    host().bind_image(frame->image);
    const int width = host().width();
    const int height = host().height();
    out.i32(negated(props_get_int(&frame->props, PROP_ORIGIN_X)));
    out.i32(props_get_int(&frame->props, PROP_ORIGIN_Y));
    out.i32(width);
    out.i32(height);
    if (bytes_per_pixel == 1) {
        conform_to_palette(palette, count);
    } else if (!is_rgba_image()) {
        host().convert_image(IMAGE_RGBA);
    }
    write_pixels(out, width, height, bytes_per_pixel);
}

// Version 2 carries the palette of the first frame. A first frame that is
// not 8-bit is matched against the default palette here rather than later,
// so that the palette written is the one its indexes refer to.
void write_palette_block(ByteWriter &out, Frame *first, std::vector<uint8_t> &written, bool full)
{
    host().bind_image(first->image);
    if (!is_indexed_image())
        remap_to_palette(default_palette, 256);
    int count = host().palette_size();
    if (count > 256)
        count = 256;
    const uint8_t *palette = nullptr;
    if (count > 0) {
        host().convert_palette(IMAGE_RGBA);
        palette = host().get_palette();
    }
    if (!palette || count < 1) {
        // An indexed image without a palette: its indexes can only mean the
        // default palette, and a count of 0 would not read back.
        palette = default_palette;
        count = 256;
    }
    // The Half-Life layout always carries 256 entries (engines refuse
    // others); the ones the frame's palette lacks are black.
    const int stored = full ? 256 : count;
    out.u16(static_cast<uint16_t>(stored));
    for (int i = 0; i < count; ++i)
        out.bytes(palette + i * 4, PALETTE_ENTRY_SIZE);
    out.zeros(static_cast<size_t>(stored - count) * PALETTE_ENTRY_SIZE);
    written.assign(palette, palette + static_cast<size_t>(count) * 4);
}

// Quake refuses a group interval of 0 or less, DarkPlaces one below a
// hundredth of a second.
constexpr float MIN_INTERVAL = 0.01f;
// What engines show a frame of a sprite without timing for, and what the
// preview plays a frame without a duration for.
constexpr float UNTIMED_FRAME = 0.1f;

// The intervals written for a group: its frames' "Duration", except that
// one an engine would refuse (not a number, infinite or too short) is
// written as 0.1 s. Adds the frames so changed to `changed`.
std::vector<float> group_intervals(const Group &group, int &changed)
{
    std::vector<float> intervals;
    intervals.reserve(static_cast<size_t>(group.frame_count));
    for (int j = 0; j < group.frame_count; ++j) {
        float interval = props_get_float(&group.frames[j].props, PROP_DURATION);
        if (!std::isfinite(interval) || interval < MIN_INTERVAL) {
            interval = UNTIMED_FRAME;
            ++changed;
        }
        intervals.push_back(interval);
    }
    return intervals;
}

} // namespace

SpriteHeader sprite_read_header(ByteReader &in)
{
    SpriteHeader header{};
    header.magic = in.u32();
    header.version = in.i32();
    header.type = in.i32();
    header.radius = in.f32();
    header.width = in.i32();
    header.height = in.i32();
    header.entry_count = in.i32();
    header.beam_length = in.f32();
    header.sync_type = in.i32();
    return header;
}

SpriteHeader sprite_read_half_life_header(ByteReader &in)
{
    SpriteHeader header{};
    header.magic = in.u32();
    header.version = in.i32();
    header.type = in.i32();
    header.texture_format = in.i32();
    header.radius = in.f32();
    header.width = in.i32();
    header.height = in.i32();
    header.entry_count = in.i32();
    header.beam_length = in.f32();
    header.sync_type = in.i32();
    header.half_life = true;
    return header;
}

bool sprite_entries_end_at_file_end(ByteReader in, int32_t entry_count)
{
    if (entry_count <= 0)
        return false;
    auto skip_frame = [&in] {
        in.skip(8); // origin
        const int64_t width = in.i32();
        const int64_t height = in.i32();
        if (width < 0 || height < 0 || in.short_read())
            return false;
        const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        if (bytes > in.remaining())
            return false;
        in.skip(static_cast<size_t>(bytes));
        return true;
    };
    for (int32_t i = 0; i < entry_count; ++i) {
        const int32_t kind = in.i32();
        if (in.short_read())
            return false;
        if (kind == 0) {
            if (!skip_frame())
                return false;
            continue;
        }
        const int32_t frames = in.i32();
        if (frames <= 0 || static_cast<uint64_t>(frames) > in.remaining() / 4)
            return false;
        in.skip(static_cast<size_t>(frames) * 4); // intervals
        for (int32_t j = 0; j < frames; ++j)
            if (!skip_frame())
                return false;
    }
    return !in.short_read() && in.remaining() == 0;
}

void sprite_set_header_properties(Animation *anim, const SpriteHeader &header)
{
    props_set_float(&anim->props, PROP_RADIUS, header.radius);
    props_set_int(&anim->props, PROP_SYNC, header.sync_type, PROPERTY_BOOLEAN);
    props_set_int(&anim->props, PROP_ORIENTATION, header.type, PROPERTY_SPRITE_TYPE);
    props_set_float(&anim->props, PROP_BEAM_LENGTH, header.beam_length);
    if (header.half_life)
        props_set_int(&anim->props, PROP_TEXTURE_FORMAT, header.texture_format, PROPERTY_TEXTURE_FORMAT);
}

void sprite_give_up(const SpritePixels &pixels, Animation *anim, const std::string &message)
{
    pixels.refusal->push_back(message);
    anim_destroy(anim);
    anim_init(anim);
}

int32_t sprite_read_entries(ByteReader &in, const SpriteHeader &header, const SpritePixels &pixels, Animation *anim)
{
    if (header.entry_count <= 0) {
        sprite_give_up(pixels, anim, "Sprite contains no frames");
        return 0;
    }
    if (static_cast<uint64_t>(header.entry_count) > in.remaining() / MIN_ENTRY_SIZE) {
        sprite_give_up(pixels, anim, format_text("Cannot read %s: the sprite claims %i frame entries, more than the file can hold",
                                         pixels.path ? pixels.path : "", header.entry_count));
        return 0;
    }
    const bool grouped = has_group_entry(in, header.entry_count, pixels.bytes_per_pixel);
    const bool read = grouped ? read_grouped(in, header, pixels, anim) : read_ungrouped(in, header, pixels, anim);
    if (!read)
        return 0;
    if (in.short_read())
        show_warning(format_text("Sprite file %s is truncated; the missing bytes were read as zeros", pixels.path ? pixels.path : ""));
    return 1;
}

bool sprite_frames_fit(const Animation *anim, int bytes_per_pixel)
{
    if (!frames_fit_for_saving(anim, MAX_SIDE, false, LIBRARY_MAX_IMAGE_BYTES))
        return false;
    // Frames are converted in place to the layout written, so 8-bit frames
    // saved as 32-bit ones grow fourfold: counted as they will be, a save
    // that would take the document past the pixel budget is refused before
    // any frame is converted.
    uint64_t total = 0;
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f) {
            host().bind_image(anim->groups[g].frames[f].image);
            total += static_cast<uint64_t>(host().width()) * static_cast<uint64_t>(host().height())
                     * static_cast<uint64_t>(bytes_per_pixel);
        }
    const uint64_t limit = pixel_budget() < LIBRARY_MAX_IMAGE_BYTES ? pixel_budget() : LIBRARY_MAX_IMAGE_BYTES;
    if (total <= limit)
        return true;
    show_warning(format_text("Unable to save: as %i-bit frames the images would take %s of pixel data; the limit "
                             "is %s",
                             bytes_per_pixel * 8, size_text(total).c_str(), size_text(limit).c_str()));
    save_refused();
    return false;
}

int32_t sprite_write(const char *path, Animation *anim, int32_t version)
{
    if (anim->group_count <= 0 || anim->groups[0].frame_count <= 0)
        return 0;
    const bool grouped = !(anim->group_count == 1 && std::strcmp(anim->groups[0].name, NO_GROUP_NAME) == 0);
    const int bytes_per_pixel = version == VERSION_TRUECOLOUR ? 4 : 1;

    int width = 0;
    int height = 0;
    int32_t entry_count = 0;
    uint64_t expected = 1024 + 4 * 256;
    for (int i = 0; i < anim->group_count; ++i) {
        const Group &group = anim->groups[i];
        for (int j = 0; j < group.frame_count; ++j) {
            host().bind_image(group.frames[j].image);
            expected += static_cast<uint64_t>(host().width()) * static_cast<uint64_t>(host().height())
                            * static_cast<uint64_t>(bytes_per_pixel)
                        + 32;
            if (host().width() > width)
                width = host().width();
            if (host().height() > height)
                height = host().height();
        }
        // The layout has no record for a group without frames: such groups
        // are left out, and the entry count says so.
        if (grouped && group.frame_count > 0)
            ++entry_count;
    }
    if (!grouped)
        entry_count = anim->groups[0].frame_count;

    // The file is created before any frame is converted, so that a save
    // that cannot write leaves the document as it was.
    OutputFile file;
    if (!file.open(path))
        return 0;

    const PropertyList *props = &anim->props;
    float radius;
    if (props_find(props, PROP_RADIUS)) {
        radius = props_get_float(props, PROP_RADIUS);
    } else {
        const int64_t half_width = width / 2;
        const int64_t half_height = height / 2;
        radius = static_cast<float>(std::sqrt(static_cast<double>(half_width * half_width + half_height * half_height)));
    }

    ByteWriter out;
    out.reserve(static_cast<size_t>(expected < (uint64_t(1) << 31) ? expected : 0));
    out.u32(MAGIC);
    out.i32(version);
    out.i32(props_get_int(props, PROP_ORIENTATION));
    // The Half-Life layout, which engines other than Quake's load, when the
    // document carries its texture format.
    const bool half_life = version == VERSION_PALETTED && props_find(props, PROP_TEXTURE_FORMAT);
    if (half_life)
        out.i32(props_get_int(props, PROP_TEXTURE_FORMAT));
    out.f32(radius);
    out.i32(width);
    out.i32(height);
    out.i32(entry_count);
    out.f32(props_get_float(props, PROP_BEAM_LENGTH));
    out.i32(props_get_int(props, PROP_SYNC));

    // The palette 8-bit frames must be in: the Quake palette, or for
    // version 2 the one written after the header.
    std::vector<uint8_t> implied(default_palette, default_palette + 1024);
    const RemapReport remaps(version == VERSION_PALETTED ? "the sprite's palette" : "the Quake palette");
    if (half_life)
        give_true_colour_frames_own_palette(anim, props_get_int(props, PROP_TEXTURE_FORMAT));
    if (version == VERSION_PALETTED)
        write_palette_block(out, &anim->groups[0].frames[0], implied, half_life);
    // A sprite's own palette has no fullbright entries; the Quake palette has.
    const FullbrightCheck fullbrights(path, version == VERSION_PALETTED ? nullptr : implied.data());
    const int implied_count = static_cast<int>(implied.size() / 4);

    // Frames whose interval an engine would refuse, and their groups.
    int retimed_frames = 0;
    int retimed_groups = 0;
    if (!grouped) {
        Group &group = anim->groups[0];
        for (int j = 0; j < group.frame_count; ++j) {
            out.i32(0);
            write_frame(out, &group.frames[j], bytes_per_pixel, implied.data(), implied_count);
        }
    } else {
        for (int i = 0; i < anim->group_count; ++i) {
            Group &group = anim->groups[i];
            if (group.frame_count <= 0)
                continue;
            if (group.frame_count == 1) {
                out.i32(0);
                write_frame(out, &group.frames[0], bytes_per_pixel, implied.data(), implied_count);
                continue;
            }
            out.i32(1);
            out.i32(group.frame_count);
            const int before = retimed_frames;
            for (float interval : group_intervals(group, retimed_frames))
                out.f32(interval);
            if (retimed_frames > before)
                ++retimed_groups;
            for (int j = 0; j < group.frame_count; ++j)
                write_frame(out, &group.frames[j], bytes_per_pixel, implied.data(), implied_count);
        }
    }
    if (!file.write(out) || !file.finish())
        return 0;
    remaps.tell(path);
    if (retimed_frames > 0)
        platform().show_message(with_message_aliases(
            format_text("%s: %i frame%s in %i group%s had no duration of %.2f s or more; written with %.1f s "
                        "each",
                        path, retimed_frames, retimed_frames == 1 ? "" : "s", retimed_groups,
                        retimed_groups == 1 ? "" : "s", static_cast<double>(MIN_INTERVAL),
                        static_cast<double>(UNTIMED_FRAME))),
            MessageIcon::Information);
    return 1;
}
