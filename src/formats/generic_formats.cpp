#include "formats/generic_formats.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <IL/il.h>
#include <IL/ilu.h>

#include "document/animation.h"
#include "formats/bmp_reader.h"
#include "formats/bmp_writer.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "decode/child_decode.h"
#include "image/image_limits.h"
#include "io/safe_save.h"
#include "sniff/sniff.h"
#include "formats/tga_writer.h"
#include "platform/platform.h"
#include "image/host_table.h"

namespace {

std::atomic<bool> gif_hack{true};

// The image library crashes on any XPM file, whatever its name says. Such
// files are refused before the library sees them.
bool looks_like_xpm(const char *path)
{
    if (lower_extension(path) == ".xpm")
        return true;
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    char head[9] = {};
    const size_t n = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return n == sizeof head && std::memcmp(head, "/* XPM */", 9) == 0;
}

int image_bytes_per_pixel()
{
    return ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
}

} // namespace

void generic_set_gif_hack(bool on) { gif_hack = on; }

void compose_transparent_frame(uint32_t previous, uint32_t current, int64_t pixels)
{
    if (pixels <= 0)
        return;
    // The transparent index is the first palette entry with alpha 0.
    host().bind_image(current);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || image_bytes_per_pixel() != 1)
        return;
    const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    const int entry_size = ilGetInteger(IL_PALETTE_BPP);
    const uint8_t *palette = ilGetPalette();
    if (!palette || entry_size != 4)
        return;
    int transparent = -1;
    for (int i = 0; i < entries && i < 256; ++i) {
        if (palette[i * 4 + 3] == 0) {
            transparent = i;
            break;
        }
    }
    if (transparent < 0)
        return;

    // Never touch more pixels than either image really has.
    const int64_t current_pixels = static_cast<int64_t>(host().width()) * host().height();
    host().bind_image(previous);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || image_bytes_per_pixel() != 1)
        return;
    const int64_t previous_pixels = static_cast<int64_t>(host().width()) * host().height();
    int64_t n = pixels;
    if (n > current_pixels)
        n = current_pixels;
    if (n > previous_pixels)
        n = previous_pixels;
    if (n <= 0)
        return;
    std::vector<uint8_t> below(host().get_data(), host().get_data() + n);

    host().bind_image(current);
    std::vector<uint8_t> above(host().get_data(), host().get_data() + current_pixels);
    for (int64_t p = 0; p < n; ++p)
        if (above[p] == transparent)
            above[p] = below[p];
    host().set_data(above.data());
}

namespace {

// Makes the bound image the decoded frame (a single zero pixel carrying the
// palette when the frame came without pixels). False when the library
// refuses the description.
bool build_bound_image(const DecodedFrame &frame)
{
    const decode_protocol::FrameHeader &f = frame.head;
    bool built;
    if (frame.pixels.empty()) {
        uint8_t zero[32] = {}; // the widest pixel: four channels of 8 bytes
        built = ilTexImage(1, 1, 1, static_cast<ILubyte>(f.bytes_per_pixel), f.format, f.type, zero) != IL_FALSE;
    } else {
        built = ilTexImage(f.width, f.height, f.depth, static_cast<ILubyte>(f.bytes_per_pixel), f.format, f.type,
                           const_cast<uint8_t *>(frame.pixels.data()))
                != IL_FALSE;
    }
    if (!built)
        return false;
    // The decoder keeps the top row first, as the program does.
    ilRegisterOrigin(f.origin);
    if (!frame.palette.empty())
        ilRegisterPal(const_cast<uint8_t *>(frame.palette.data()), static_cast<ILuint>(frame.palette.size()),
                      f.palette_type);
    return true;
}

// The palette dispatch tries the image rows one after another on the same
// file; within one dispatch the file is decoded once and every row after
// the first takes the same answer.
struct PaletteCache {
    int scopes = 0;
    bool valid = false;
    std::string path;
    int32_t count = 0;
    uint8_t rgba[1024] = {};
};
thread_local PaletteCache palette_cache;

thread_local int first_frame_scopes = 0;

} // namespace

FirstFrameScope::FirstFrameScope(bool on) : on_(on) { first_frame_scopes += on_ ? 1 : 0; }
FirstFrameScope::~FirstFrameScope() { first_frame_scopes -= on_ ? 1 : 0; }

PaletteDecodeScope::PaletteDecodeScope() { ++palette_cache.scopes; }
PaletteDecodeScope::~PaletteDecodeScope()
{
    if (--palette_cache.scopes == 0)
        palette_cache.valid = false;
}

namespace {

// Makes a frame image for each decoded frame as its header arrives and
// hands its buffer to the decode: the pixels go from the pipe into the
// image.
class FrameImages : public FrameSink {
public:
    explicit FrameImages(Group *group) : group_(group) {}

    uint8_t *pixels_for(uint32_t, const DecodedFrame &frame) override
    {
        const decode_protocol::FrameHeader &f = frame.head;
        const int index = group_append_frame(group_);
        if (index < 0 || index >= group_->frame_count)
            return nullptr;
        host().bind_image(group_->frames[index].image);
        if (!ilTexImage(f.width, f.height, f.depth, static_cast<ILubyte>(f.bytes_per_pixel), f.format, f.type,
                        nullptr))
            return nullptr;
        uint8_t *data = ilGetData();
        const ILint size = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
        if (!data || size < 0 || static_cast<uint64_t>(size) < f.data_bytes)
            return nullptr;
        // The decoder keeps the top row first, as the program does.
        ilRegisterOrigin(f.origin);
        if (!frame.palette.empty())
            ilRegisterPal(const_cast<uint8_t *>(frame.palette.data()), static_cast<ILuint>(frame.palette.size()),
                          f.palette_type);
        return data;
    }

private:
    Group *group_;
};

} // namespace

namespace {

// Reads a bitmap the library refused with our own reader.
LoadResult load_own_bitmap(const char *path, Animation *anim)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes, size_t(1) << 31) || !sniff_bmp(ByteReader(bytes)))
        return load_not_mine();
    BmpImage bmp;
    std::string error;
    if (!bmp_read(bytes.data(), bytes.size(), bmp, error, GENERIC_MAX_SIDE, max_image_pixels()))
        return load_refusal(format_text("Cannot read %s: %s", path, error.c_str()));
    if (bmp.pixels.size() > pixel_budget())
        return load_refusal(format_text("Cannot read %s: its %ix%i pixels take more than the limit of %s", path,
                                        bmp.width, bmp.height, size_text(pixel_budget()).c_str()));
    Group *group = anim_add_group(anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    Frame *frame = &group->frames[0];
    host().bind_image(frame->image);
    const ILenum format = bmp.channels == 1 ? IL_COLOUR_INDEX : bmp.channels == 3 ? IL_RGB : IL_RGBA;
    ilTexImage(static_cast<ILuint>(bmp.width), static_cast<ILuint>(bmp.height), 1, static_cast<ILubyte>(bmp.channels),
               format, IL_UNSIGNED_BYTE, bmp.pixels.data());
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    if (bmp.channels == 1 && !bmp.palette_rgba.empty())
        ilRegisterPal(bmp.palette_rgba.data(), static_cast<ILuint>(bmp.palette_rgba.size()), IL_PAL_RGBA32);
    props_set_float(&frame->props, "Duration", 0.0f);
    props_set_int(&frame->props, "Origin X", bmp.width >> 1, PROPERTY_INTEGER);
    props_set_int(&frame->props, "Origin Y", bmp.height >> 1, PROPERTY_INTEGER);
    return load_ok();
}

// Indexes beyond a short palette keep their value: the palette of the bound
// image grows with opaque black entries up to the highest index, which the
// user sees and can change, instead of the pixels silently taking entry 0
// when the image is converted or saved.
void cover_indexes_with_palette()
{
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || image_bytes_per_pixel() != 1)
        return;
    const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    const int entry_size = ilGetInteger(IL_PALETTE_BPP);
    const uint8_t *palette = ilGetPalette();
    const uint8_t *data = ilGetData();
    if (!palette || !data || entries < 1 || entries >= 256 || (entry_size != 3 && entry_size != 4))
        return;
    const int64_t pixels = static_cast<int64_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT)
                           * ilGetInteger(IL_IMAGE_DEPTH);
    int highest = 0;
    for (int64_t p = 0; p < pixels && highest < 255; ++p)
        highest = data[p] > highest ? data[p] : highest;
    if (highest < entries)
        return;
    std::vector<uint8_t> grown(static_cast<size_t>(highest + 1) * static_cast<size_t>(entry_size), 0);
    std::memcpy(grown.data(), palette, static_cast<size_t>(entries) * static_cast<size_t>(entry_size));
    if (entry_size == 4)
        for (int i = entries; i <= highest; ++i)
            grown[static_cast<size_t>(i) * 4 + 3] = 255;
    ilRegisterPal(grown.data(), static_cast<ILuint>(grown.size()), static_cast<ILenum>(ilGetInteger(IL_PALETTE_TYPE)));
}

} // namespace

LoadResult generic_image_read(const char *path, Animation *anim)
{
    if (looks_like_xpm(path))
        return load_refusal("Error Encountered: X Pixmap files cannot be read");
    int64_t claimed_width = 0;
    int64_t claimed_height = 0;
    if (claimed_size(path, claimed_width, claimed_height)) {
        const std::string refusal = claim_refusal_text(path, claimed_width, claimed_height, GENERIC_MAX_SIDE);
        if (!refusal.empty())
            return load_refusal(refusal);
    }
    // The library decodes the file in a child; only the frames it hands
    // back, checked again, become images here.
    const int index = anim->group_count;
    Group *group = anim_add_group(anim, NO_GROUP_NAME);
    FrameImages images(group);
    DecodeRequest request;
    request.max_side = GENERIC_MAX_SIDE;
    request.budget = pixel_budget();
    request.first_frame_only = first_frame_scopes > 0;
    const DecodeResult decoded = decode_in_child(path, request, &images);
    group = &anim->groups[index];
    if (decoded.outcome != DecodeOutcome::Decoded || group->frame_count != static_cast<int>(decoded.frames.size())) {
        anim_delete_group(anim, index);
        // The library takes only bitmaps with the oldest header; our own
        // reader takes those that paint programs write today.
        if (decoded.outcome == DecodeOutcome::LibraryError) {
            LoadResult own = load_own_bitmap(path, anim);
            if (own.status != LoadStatus::NotMine)
                return own;
        }
        return load_refusal(decoded.outcome != DecodeOutcome::Decoded
                                ? decode_failure_text(path, decoded)
                                : format_text("Cannot read %s: not enough memory for its images", path));
    }
    const decode_protocol::FrameHeader &base = decoded.frames[0].head;
    const bool compose = (base.palette_type == IL_PAL_RGBA32 || base.palette_type == IL_PAL_BGRA32)
                         && base.format == IL_COLOUR_INDEX && gif_hack;
    const int64_t base_pixels = static_cast<int64_t>(base.width) * base.height;
    for (int i = 0; i < group->frame_count; ++i) {
        const decode_protocol::FrameHeader &head = decoded.frames[static_cast<size_t>(i)].head;
        Frame *frame = &group->frames[i];
        host().bind_image(frame->image);
        cover_indexes_with_palette();
        props_set_float(&frame->props, "Duration", static_cast<float>(head.duration / 1000.0));
        props_set_int(&frame->props, "Origin X", static_cast<int32_t>(head.width >> 1), PROPERTY_INTEGER);
        props_set_int(&frame->props, "Origin Y", static_cast<int32_t>(head.height >> 1), PROPERTY_INTEGER);
        if (compose && i >= 1)
            compose_transparent_frame(group->frames[i - 1].image, frame->image, base_pixels);
    }
    return load_ok();
}

int32_t generic_image_load(const char *path, Animation *anim)
{
    // The last candidate of every load: it ends the load, read or not.
    load_result_shown(generic_image_read(path, anim));
    return 1;
}

// True when some pixel of the bound indexed image has no palette entry: the
// library's writers read past the palette for such pixels and crash.
bool indexes_outside_palette()
{
    const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    const uint8_t *data = ilGetData();
    const int64_t pixels = static_cast<int64_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT)
                           * ilGetInteger(IL_IMAGE_DEPTH);
    if (!data || image_bytes_per_pixel() != 1)
        return false;
    for (int64_t p = 0; p < pixels; ++p)
        if (data[p] >= entries)
            return true;
    return false;
}

// Exported by the image library but missing from its headers.
extern "C" ILuint ilSavePcxF(ILHANDLE file);
extern "C" void ilSetError(ILenum error);

namespace {

// The library writer for an extension, 0 when it has none. Several
// extensions are other names of a format the library writes, which it does
// not know by those names.
ILenum savable_type(const std::string &ext)
{
    static const struct {
        const char *ext;
        ILenum type;
    } types[] = {
        {".bmp", IL_BMP}, {".dib", IL_BMP}, {".dds", IL_DDS}, {".tga", IL_TGA}, {".icb", IL_TGA},
        {".vda", IL_TGA}, {".vst", IL_TGA}, {".jpg", IL_JPG}, {".jpe", IL_JPG}, {".jpeg", IL_JPG},
        {".pcx", IL_PCX}, {".png", IL_PNG}, {".pnm", IL_PNM}, {".ppm", IL_PNM}, {".pgm", IL_PNM},
        {".raw", IL_RAW}, {".tif", IL_TIF}, {".tiff", IL_TIF}, {".psd", IL_PSD}, {".sgi", IL_SGI},
    };
    for (const auto &entry : types)
        if (ext == entry.ext)
            return entry.type;
    return 0;
}

// True when some row of the table or the library knows the extension, for
// reading if not for writing.
bool extension_known(const char *path, const std::string &ext)
{
    if (ext.empty())
        return false;
    for (int i = 0; FormatTable[i].description; ++i)
        if (extension_matches(FormatTable[i].pattern, path))
            return true;
    return ilTypeFromExt(path) != IL_TYPE_UNKNOWN;
}

// The library's TIFF writer stamps the time of the save into the file's
// DateTime tag, so two saves of one image differ; it offers no way to leave
// it out. The stamp is overwritten with a fixed time of the same length
// (the tag's text is always "YYYY:MM:DD HH:MM:SS"). `start` and `end`
// bound the file the library wrote; anything unexpected is left alone.
bool fix_tiff_time_stamp(OutputFile &file, uint64_t start, uint64_t end)
{
    static const char FIXED[20] = "1970:01:01 00:00:00";
    constexpr uint16_t DATE_TIME = 306, ASCII = 2;
    uint8_t header[8];
    if (end < start + sizeof header || !file.read_back(start, header, sizeof header))
        return false;
    const bool little = header[0] == 'I' && header[1] == 'I';
    if (!little && !(header[0] == 'M' && header[1] == 'M'))
        return true;
    const auto u16 = [little](const uint8_t *p) {
        return static_cast<uint16_t>(little ? p[0] | p[1] << 8 : p[0] << 8 | p[1]);
    };
    const auto u32 = [little](const uint8_t *p) {
        return little ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24
                      : uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
    };
    const uint64_t directory = start + u32(header + 4);
    uint8_t count_bytes[2];
    if (directory + 2 > end || !file.read_back(directory, count_bytes, 2))
        return false;
    const uint64_t count = u16(count_bytes);
    if (directory + 2 + count * 12 > end)
        return true;
    std::vector<uint8_t> entries(count * 12);
    if (!file.read_back(directory + 2, entries.data(), entries.size()))
        return false;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t *entry = entries.data() + i * 12;
        if (u16(entry) != DATE_TIME || u16(entry + 2) != ASCII || u32(entry + 4) != sizeof FIXED)
            continue;
        const uint64_t at = start + u32(entry + 8);
        if (at + sizeof FIXED > end)
            return true;
        return file.patch(at, FIXED, sizeof FIXED);
    }
    return true;
}

// Writes the bound image through a stream of ours: the library ignores its
// own write errors, the stream keeps them.
bool save_bound_image(const char *path, ILenum type)
{
    OutputFile file;
    if (!file.open(path))
        return false;
    FILE *stream = file.stream();
    if (!stream)
        return false;
    ilResetWrite();
    const long start = std::ftell(stream);
    // ilSaveF has no case for PCX; its own writer does the same as a save
    // by name.
    const ILuint result = type == IL_PCX ? ilSavePcxF(stream) : ilSaveF(type, stream);
    bool encoded = result != 0;
    if (!encoded) {
        // The DDS and SGI writers report 0 after writing the whole image:
        // a failure is one that left an error or wrote nothing.
        const ILenum error = ilGetError();
        if (error != IL_NO_ERROR)
            ilSetError(error);
        else
            encoded = std::ftell(stream) > start;
    }
    // The library's TGA writer does not always set the header's origin
    // fields (bytes 8 to 11): they are 0 for every image we write, so the
    // same image always gives the same file.
    if (encoded && type == IL_TGA) {
        const uint8_t origin[4] = {0, 0, 0, 0};
        encoded = file.patch(static_cast<uint64_t>(start) + 8, origin, sizeof origin);
    }
    if (encoded && type == IL_TIF) {
        // The library may have left the stream anywhere (it goes back to
        // the header last): the file ends where the stream can go.
        const long end = std::fseek(stream, 0, SEEK_END) == 0 ? std::ftell(stream) : -1;
        encoded = end > start && fix_tiff_time_stamp(file, static_cast<uint64_t>(start), static_cast<uint64_t>(end));
    }
    const bool written = file.finish();
    return encoded && written;
}

} // namespace

int32_t generic_image_save(const char *path, Animation *anim)
{
    if (!anim || anim->group_count < 1 || anim->groups[0].frame_count < 1)
        return 0;
    const std::string ext = lower_extension(path);
    // The library crashes when it writes MNG files, and writes none of the
    // other formats it only reads.
    const ILenum type = savable_type(ext);
    if (!type) {
        if (!extension_known(path, ext)) {
            show_warning(format_text("no file format is known for the extension of %s", path));
            save_refused();
        }
        return 0;
    }
    // The library's writers crash on sizes and layouts they cannot handle
    // (its size arithmetic is 32-bit): such a frame is refused first.
    if (!frames_fit_for_saving(anim, GENERIC_MAX_SIDE, true, LIBRARY_MAX_IMAGE_BYTES))
        return 0;
    anim_bind_frame(anim, 0, 0);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX) {
        // The commonest bitmap and Targa files are written by writers of
        // our own that give the library's bytes faster.
        if (type == IL_BMP && bmp_direct_applies())
            return bmp_save_bound(path) ? 1 : 0;
        if (type == IL_TGA) {
            const int saved = tga_save_bound(path);
            if (saved >= 0)
                return saved;
        }
        return save_bound_image(path, type) ? 1 : 0;
    }

    // Indexed images that the library would mishandle are saved from a
    // copy; the document's frame stays as it is.
    //  - A PCX of an image whose palette has 4-byte entries comes out at
    //    about 4 GiB: the copy gets a 3-byte RGB palette.
    //  - Pixels without a palette entry crash the writers: in the copy they
    //    take entry 0.
    const bool pcx_palette = type == IL_PCX && ilGetInteger(IL_PALETTE_BPP) == 4;
    const bool stray_indexes = indexes_outside_palette();
    if (!pcx_palette && !stray_indexes)
        return save_bound_image(path, type) ? 1 : 0;
    const ILuint scratch = ilCloneCurImage();
    if (!scratch)
        return 0;
    ilBindImage(scratch);
    if (stray_indexes) {
        const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
        uint8_t *data = ilGetData();
        const int64_t pixels = static_cast<int64_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT)
                               * ilGetInteger(IL_IMAGE_DEPTH);
        for (int64_t p = 0; p < pixels; ++p)
            if (data[p] >= entries)
                data[p] = 0;
    }
    if (pcx_palette)
        ilConvertPal(IL_PAL_RGB24);
    const bool saved = ilGetInteger(IL_PALETTE_NUM_COLS) > 0 && save_bound_image(path, type);
    iluDeleteImage(scratch);
    return saved ? 1 : 0;
}

int32_t image_palette_load(const char *path, uint8_t *rgba1024)
{
    if (palette_cache.valid && palette_cache.path == path) {
        if (palette_cache.count > 0)
            std::memcpy(rgba1024, palette_cache.rgba, static_cast<size_t>(palette_cache.count) * 4);
        return palette_cache.count;
    }
    int n = 0;
    uint8_t rgba[1024] = {};
    int64_t claimed_width = 0;
    int64_t claimed_height = 0;
    const bool beyond = claimed_size(path, claimed_width, claimed_height)
                        && !claim_refusal_text(path, claimed_width, claimed_height, GENERIC_MAX_SIDE).empty();
    if (!looks_like_xpm(path) && !beyond) {
        DecodeRequest request;
        request.palette_only = true;
        const DecodeResult decoded = decode_in_child(path, request);
        if (decoded.outcome == DecodeOutcome::Decoded && decoded.frames[0].head.format == IL_COLOUR_INDEX
            && !decoded.frames[0].palette.empty()) {
            // The library converts the palette, whatever its kind, on a
            // one-pixel image that carries it.
            const uint32_t scratch = host().gen_image();
            host().bind_image(scratch);
            if (build_bound_image(decoded.frames[0])) {
                ilConvertPal(IL_PAL_RGBA32);
                n = ilGetInteger(IL_PALETTE_NUM_COLS);
                if (n > 256)
                    n = 256;
                if (n < 0)
                    n = 0;
                const uint8_t *palette = ilGetPalette();
                if (palette && n > 0 && ilGetInteger(IL_PALETTE_BPP) == 4)
                    std::memcpy(rgba, palette, static_cast<size_t>(n) * 4);
                else
                    n = 0;
            }
            host().delete_image(scratch);
        }
    }
    if (n > 0)
        std::memcpy(rgba1024, rgba, static_cast<size_t>(n) * 4);
    if (palette_cache.scopes > 0) {
        palette_cache.valid = true;
        palette_cache.path = path;
        palette_cache.count = n;
        std::memcpy(palette_cache.rgba, rgba, sizeof rgba);
    }
    return n;
}
