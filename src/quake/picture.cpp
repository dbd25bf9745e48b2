// Quake pictures (.lmp), mip textures (.mip) and palette.lmp.
//
// Pictures and textures hold 8-bit indexes against the implied Quake
// palette. Reading builds 8-bit images from bounded buffers: every size is
// checked before it sizes anything, and bytes missing at the end of a file
// read as zeros. Writing converts frames that are not 8-bit to the default
// palette; those frames stay converted in the document.
#include "quake/picture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <IL/il.h>

#include "document/animation.h"
#include "io/byte_io.h"
#include "io/safe_save.h"
#include "image/image_limits.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "quake/content_sniff.h"
#include "quake/size_questions.h"
#include "quake/fullbright.h"
#include "quake/palette_conform.h"
#include "image/quake_palette.h"

namespace {

constexpr int MIP_LEVELS = 4;
constexpr size_t MIP_NAME_SIZE = 16;
constexpr size_t QUAKE_PALETTE_SIZE = 768;
constexpr int COLORMAP_WIDTH = 256;
constexpr int COLORMAP_HEIGHT = 64;

// The largest file the picture readers take into memory: a texture of the
// largest accepted size with all its levels, and some room to spare.
constexpr size_t MAX_PICTURE_FILE = size_t(512) << 20;

// Makes the bound image an 8-bit image of w x h holding `indexes`, top row
// first. Its palette is left to the caller.
void set_bound_indexed(int w, int h, const uint8_t *indexes)
{
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               const_cast<uint8_t *>(indexes));
    host().set_upper_left_origin();
}

void give_default_palette(uint32_t image)
{
    host().bind_image(image);
    host().set_palette(default_palette, 256);
}

bool bound_is_8bit()
{
    return ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE
           && ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == 1;
}

// Binds `image` and makes its colours those of the default palette, the
// one every picture and texture implies (an image that already has them
// keeps its indexes).
void prepare_for_writing(uint32_t image)
{
    host().bind_image(image);
    conform_to_palette(implied_palette(), 256);
}

// Appends exactly out_w x out_h indexes of the bound 8-bit image, top row
// first. Pixels the image does not have are written as 0, so the output
// always has the size the header announces.
void write_bound_pixels(ByteWriter &out, int out_w, int out_h)
{
    if (out_w <= 0 || out_h <= 0)
        return;
    const bool flip = host().origin_is_lower_left() != 0;
    if (flip)
        host().flip();
    const int w = host().width();
    const int h = host().height();
    const uint8_t *data = bound_is_8bit() ? host().get_data() : nullptr;
    const int rows = data && w > 0 && h > 0 ? (out_h < h ? out_h : h) : 0;
    const int columns = out_w < w ? out_w : w;
    if (rows > 0 && columns == out_w && columns == w) {
        // The usual case: the image's rows are the output's, in one piece,
        // which goes to the file from the image itself unless the image is
        // turned back over below.
        const size_t size = static_cast<size_t>(rows) * static_cast<size_t>(out_w);
        if (flip)
            out.bytes(data, size);
        else
            out.borrow(data, size);
    } else {
        for (int y = 0; y < rows; ++y) {
            out.bytes(data + static_cast<size_t>(y) * static_cast<size_t>(w), static_cast<size_t>(columns));
            out.zeros(static_cast<size_t>(out_w - columns));
        }
    }
    out.zeros(static_cast<size_t>(out_h - rows) * static_cast<size_t>(out_w));
    if (flip)
        host().flip();
}

// Reads a whole file for one of the picture readers. False when it cannot
// be opened or read.
bool load_file(const char *path, std::vector<uint8_t> &bytes)
{
    return path && read_file(path, bytes, MAX_PICTURE_FILE);
}

// Empty when a file whose pixels start at `in` and need `bytes` holds
// enough of them that the rest may be zero-filled; else why not, naming the
// file.
std::string beyond_zero_fill(const char *path, const ByteReader &in, int64_t width, int64_t height, uint64_t bytes,
                             const char *what)
{
    ReadAllowance allowance;
    if (allowance.take(bytes, in.remaining()))
        return {};
    return format_text("Cannot read %s: %s %s", path, what, allowance.why(width, height, bytes, in.remaining()).c_str());
}

// A .lmp that is no picture: a raw palette of 3 x N bytes, some other
// file, or a damaged picture; the refusal says which.
LoadResult refuse_non_picture(const char *path, const std::vector<uint8_t> &bytes)
{
    const size_t size = bytes.size();
    if (size != 768 && size % 3 == 0 && size >= 3 * 16 && size < 768)
        return load_refusal(format_text("%s is not a Quake picture (it is a raw palette of %zu colours: open it with "
                                        "the palette editor)",
                                        path, size / 3));
    return refuse_foreign_file(path, bytes.data(), size, "Quake picture", true);
}

void warn_if_truncated(const char *path, const ByteReader &in)
{
    if (in.short_read())
        show_warning(format_text("Picture file %s is truncated; the missing bytes were read as zeros", path));
}

// Removes the last group of the animation (a reader gave up on it), so that
// the next loader is handed an empty animation.
void drop_last_group(Animation *anim)
{
    if (anim->group_count > 0)
        anim_delete_group(anim, anim->group_count - 1);
}

// Rebuilds the group's chain from frame 0 matched to the implied palette:
// the smaller levels come from its indexes (fullbright_safe_level), so that
// they hold a fullbright or a transparent index only where level 0 does.
void build_fullbright_safe_mips(Group *group)
{
    while (group->frame_count > 1)
        group_delete_frame(group, 1);
    const uint8_t *palette = implied_palette();
    prepare_for_writing(group->frames[0].image);
    const int w = host().width(), h = host().height();
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    const uint8_t *data = bound_is_8bit() ? host().get_data() : nullptr;
    const std::vector<uint8_t> level0 =
        data && w > 0 && h > 0 ? std::vector<uint8_t>(data, data + static_cast<size_t>(w) * static_cast<size_t>(h))
                               : std::vector<uint8_t>(1, 0);
    const int lw0 = data && w > 0 ? w : 1, lh0 = data && h > 0 ? h : 1;
    for (int k = 1; k < MIP_LEVELS; ++k) {
        const std::vector<uint8_t> level =
            fullbright_safe_level(level0.data(), lw0, lh0, k, palette, fullbright_first_index());
        const int added = group_append_frame(group); // may move the frames
        host().bind_image(group->frames[added].image);
        ilTexImage(static_cast<ILuint>(std::max(lw0 >> k, 1)), static_cast<ILuint>(std::max(lh0 >> k, 1)), 1, 1,
                   IL_COLOUR_INDEX, IL_UNSIGNED_BYTE, const_cast<uint8_t *>(level.data()));
        ilRegisterOrigin(origin == IL_ORIGIN_LOWER_LEFT ? IL_ORIGIN_LOWER_LEFT : IL_ORIGIN_UPPER_LEFT);
        host().set_palette(palette, 256);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Block codecs

void indexed_pixels_read(ByteReader &in, Frame *frame, int width, int height)
{
    host().bind_image(frame->image);
    const uint64_t area = checked_area(width, height);
    if (area == 0) {
        // Nothing sensible to read: a single pixel of index 0 stands in.
        const uint8_t zero = 0;
        set_bound_indexed(1, 1, &zero);
        return;
    }
    // Pixels that lie whole in the buffer go to the image from where they
    // are; a short read is completed with zeros in a copy.
    if (const uint8_t *whole = in.take(static_cast<size_t>(area))) {
        set_bound_indexed(width, height, whole);
        return;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(area));
    in.bytes(pixels.data(), pixels.size());
    set_bound_indexed(width, height, pixels.data());
}

int picture_read(ByteReader &in, Frame *frame)
{
    const int32_t width = in.i32();
    const int32_t height = in.i32();
    if (checked_area(width, height) == 0)
        return 0;
    indexed_pixels_read(in, frame, width, height);
    return 1;
}

int mip_texture_read(ByteReader &in, Group *group)
{
    const std::string name = in.fixed_string(MIP_NAME_SIZE);
    const uint32_t width = in.u32();
    const uint32_t height = in.u32();
    // The level offsets are not used: the levels follow the header in order.
    in.skip(4 * MIP_LEVELS);
    if (checked_area(width, height) == 0)
        return 0;
    if (group->name && std::strcmp(group->name, NO_GROUP_NAME) == 0) {
        char *renamed = static_cast<char *>(std::malloc(name.size() + 1));
        if (renamed) {
            std::memcpy(renamed, name.c_str(), name.size() + 1);
            std::free(group->name);
            group->name = renamed;
        }
    }
    group_reset_frames(group, MIP_LEVELS);
    for (int k = 0; k < MIP_LEVELS; ++k) {
        const int w = static_cast<int>(width >> k);
        const int h = static_cast<int>(height >> k);
        if (w == 0 || h == 0) {
            // A level that shrank to nothing has no bytes in the file; it is
            // held as a zero-filled image of at least one pixel a side, the
            // size a rebuilt chain gives it.
            const int lw = w > 0 ? w : 1;
            const int lh = h > 0 ? h : 1;
            const std::vector<uint8_t> zeros(static_cast<size_t>(lw) * static_cast<size_t>(lh), 0);
            host().bind_image(group->frames[k].image);
            set_bound_indexed(lw, lh, zeros.data());
            continue;
        }
        indexed_pixels_read(in, &group->frames[k], w, h);
    }
    return 1;
}

void quake_palette_read(ByteReader &in, uint8_t *rgba1024)
{
    for (int i = 0; i < 256; ++i) {
        uint8_t rgb[3];
        in.bytes(rgb, 3);
        rgba1024[i * 4] = rgb[0];
        rgba1024[i * 4 + 1] = rgb[1];
        rgba1024[i * 4 + 2] = rgb[2];
        rgba1024[i * 4 + 3] = 255;
    }
    rgba1024[255 * 4 + 3] = 0;
}

int indexed_pixels_write(ByteWriter &out, uint32_t image)
{
    prepare_for_writing(image);
    const int w = host().width();
    const int h = host().height();
    if (w <= 0 || h <= 0)
        return 0;
    write_bound_pixels(out, w, h);
    return w * h;
}

int picture_write(ByteWriter &out, uint32_t image)
{
    prepare_for_writing(image);
    const int w = host().width();
    const int h = host().height();
    out.i32(w);
    out.i32(h);
    write_bound_pixels(out, w, h);
    return (w > 0 && h > 0 ? w * h : 0) + 8;
}

int mip_texture_write(ByteWriter &out, Group *group)
{
    if (!group || group->frame_count < 1)
        return 0;
    const size_t start = out.size();
    host().bind_image(group->frames[0].image);
    const int width = host().width();
    const int height = host().height();

    out.fixed_string(group->name ? group->name : "", MIP_NAME_SIZE);
    out.u32(static_cast<uint32_t>(width));
    out.u32(static_cast<uint32_t>(height));
    const size_t offsets_at = out.size();
    out.zeros(4 * MIP_LEVELS);

    // The frames serve as levels only when they already form the chain. A
    // level that shrinks to nothing is held as one pixel a side (by the
    // reader and by group_build_mips alike), so that size counts as right.
    bool chain = group->frame_count == MIP_LEVELS;
    for (int k = 0; chain && k < MIP_LEVELS; ++k) {
        host().bind_image(group->frames[k].image);
        const int level_w = (width >> k) > 0 ? (width >> k) : 1;
        const int level_h = (height >> k) > 0 ? (height >> k) : 1;
        chain = host().width() == level_w && host().height() == level_h;
    }
    if (!chain && mips_fullbright_safe())
        build_fullbright_safe_mips(group);
    else if (!chain)
        group_build_mips(group, MIP_LEVELS - 1);

    for (int k = 0; k < MIP_LEVELS && k < group->frame_count; ++k) {
        out.patch_u32(offsets_at + 4 * static_cast<size_t>(k), static_cast<uint32_t>(out.size() - start));
        FullbrightCheck::matching_reduced_levels(!chain && k > 0);
        prepare_for_writing(group->frames[k].image);
        // Exactly the level size the header implies, so that a reader that
        // walks the levels in order finds each one where it expects it.
        write_bound_pixels(out, width >> k, height >> k);
    }
    FullbrightCheck::matching_reduced_levels(false);
    return static_cast<int>(out.size() - start);
}

// ---------------------------------------------------------------------------
// Format-table rows

LoadResult lmp_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!load_file(path, bytes))
        return load_not_mine();
    ByteReader in(bytes);
    Group *group = anim_add_group(anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    Frame *frame = &group->frames[0];
    if (std::strstr(path, "colormap.lmp")) {
        // A lighting table: 64 rows of 256 indexes and no size header. A
        // shorter file leaves the rest of the table at 0.
        indexed_pixels_read(in, frame, COLORMAP_WIDTH, COLORMAP_HEIGHT);
    } else {
        ByteReader head = in;
        const int32_t width = head.i32();
        const int32_t height = head.i32();
        const uint64_t area = checked_area(width, height);
        const std::string beyond = area ? beyond_zero_fill(path, head, width, height, area, "the picture") : "";
        if (!beyond.empty() || !picture_read(in, frame)) {
            drop_last_group(anim);
            // The file's size is the first reason; what its content is follows.
            LoadResult refusal = refuse_non_picture(path, bytes);
            if (!beyond.empty()) {
                refusal.status = LoadStatus::Refused;
                refusal.reasons.insert(refusal.reasons.begin(), beyond);
            }
            return refusal;
        }
        warn_if_truncated(path, in);
    }
    give_default_palette(frame->image);
    return load_ok();
}

int32_t lmp_load(const char *path, Animation *anim) { return load_result_shown(lmp_read(path, anim)); }

int32_t lmp_save(const char *path, Animation *anim)
{
    if (!anim || anim->group_count < 1 || anim->groups[0].frame_count < 1)
        return 0;
    if (!frames_fit_for_saving(anim, QUAKE_MAX_SIDE, true, LIBRARY_MAX_IMAGE_BYTES))
        return 0;
    anim_bind_frame(anim, 0, 0);
    if (!size_question_allows(LMP_SIZE_QUESTION, host().width(), host().height()))
        return 0;
    // The file is made before anything is converted or encoded, so a file
    // that cannot be made leaves the document as it was.
    OutputFile file;
    if (!path || !file.open(path))
        return 0;
    ByteWriter out;
    const RemapReport remaps("the Quake palette");
    const FullbrightCheck fullbrights(path, implied_palette());
    picture_write(out, anim->groups[0].frames[0].image);
    if (!file.write(out) || !file.finish())
        return 0;
    remaps.tell(path);
    return 1;
}

LoadResult mip_read(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!load_file(path, bytes))
        return load_not_mine();
    ByteReader in(bytes);
    ByteReader head = in;
    head.skip(MIP_NAME_SIZE);
    const uint32_t width = head.u32();
    const uint32_t height = head.u32();
    head.skip(4 * MIP_LEVELS);
    if (checked_area(width, height)) {
        uint64_t levels = 0;
        for (int k = 0; k < MIP_LEVELS; ++k)
            levels += static_cast<uint64_t>(width >> k) * (height >> k);
        const std::string beyond = beyond_zero_fill(path, head, width, height, levels, "the texture");
        if (!beyond.empty())
            return load_refusal(beyond);
    }
    Group *group = anim_add_group(anim, NO_GROUP_NAME);
    if (!mip_texture_read(in, group)) {
        drop_last_group(anim);
        return refuse_foreign_file(path, bytes.data(), bytes.size(), "Quake texture", true);
    }
    warn_if_truncated(path, in);
    for (int g = 0; g < anim->group_count; ++g)
        for (int f = 0; f < anim->groups[g].frame_count; ++f)
            give_default_palette(anim->groups[g].frames[f].image);
    return load_ok();
}

int32_t mip_load(const char *path, Animation *anim) { return load_result_shown(mip_read(path, anim)); }

int32_t mip_save(const char *path, Animation *anim)
{
    if (!anim || anim->group_count < 1 || anim->groups[0].frame_count < 1)
        return 0;
    if (!frames_fit_for_saving(anim, QUAKE_MAX_SIDE, true, LIBRARY_MAX_IMAGE_BYTES))
        return 0;
    anim_bind_frame(anim, 0, 0);
    if (!size_question_allows(MIP_SIZE_QUESTION, host().width(), host().height()))
        return 0;
    // The file is made before anything is converted or encoded, so a file
    // that cannot be made leaves the document as it was.
    OutputFile file;
    if (!path || !file.open(path))
        return 0;
    ByteWriter out;
    const RemapReport remaps("the Quake palette");
    const FullbrightCheck fullbrights(path, implied_palette());
    mip_texture_write(out, &anim->groups[0]);
    if (!file.write(out) || !file.finish())
        return 0;
    remaps.tell(path);
    return 1;
}

int32_t palette_lmp_load(const char *path, uint8_t *rgba1024)
{
    if (!path || !rgba1024)
        return 0;
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return 0;
    // One byte more than a palette: a longer file is not this format.
    uint8_t bytes[QUAKE_PALETTE_SIZE + 1];
    const size_t n = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (n == QUAKE_PALETTE_SIZE) {
        ByteReader in(bytes, n);
        quake_palette_read(in, rgba1024);
        return 256;
    }
    // Some games ship shorter palettes as .lmp files of 3 x N bytes (64
    // colours, say). One whose first eight bytes describe a picture of
    // exactly its size is a picture instead.
    if (lower_extension(path) != ".lmp" || n % 3 != 0 || n < 3 * 16 || n > QUAKE_PALETTE_SIZE)
        return 0;
    ByteReader head(bytes, n);
    const int64_t width = head.i32();
    const int64_t height = head.i32();
    if (width > 0 && height > 0 && width * height + 8 == static_cast<int64_t>(n))
        return 0;
    const int count = static_cast<int>(n / 3);
    for (int i = 0; i < count; ++i) {
        std::memcpy(rgba1024 + i * 4, bytes + i * 3, 3);
        rgba1024[i * 4 + 3] = 255;
    }
    return count;
}

int32_t palette_lmp_save(const char *path, const uint8_t *rgba, int32_t count)
{
    if (!path || !rgba)
        return 0;
    // The file is made before anything is converted or encoded, so a file
    // that cannot be made leaves the document as it was.
    OutputFile file;
    if (!path || !file.open(path))
        return 0;
    // Always 256 colours; entries the given palette does not have are black.
    ByteWriter out;
    for (int i = 0; i < 256; ++i) {
        if (i < count) {
            out.bytes(rgba + i * 4, 3);
        } else {
            out.zeros(3);
        }
    }
    return file.write(out) && file.finish() ? 1 : 0;
}
