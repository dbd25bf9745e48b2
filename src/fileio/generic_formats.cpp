#include "fileio/generic_formats.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <IL/il.h>
#include <IL/ilu.h>

#include "document/animation.h"
#include "fileio/byte_io.h"
#include "fileio/format_table.h"
#include "fileio/library_probe.h"
#include "fileio/safe_save.h"
#include "platform/platform.h"
#include "plugins/host_table.h"

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
bool generic_gif_hack() { return gif_hack; }

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

int32_t generic_image_load(const char *path, Animation *anim)
{
    if (looks_like_xpm(path)) {
        show_warning("Error Encountered: X Pixmap files cannot be read");
        return 1;
    }
    if (probe_library_load(path) == ProbeResult::Dangerous) {
        show_warning(format_text("Error Encountered: %s is damaged or not an image that can be read", path));
        return 1;
    }
    ILuint loaded = 0;
    ilGenImages(1, &loaded);
    ilBindImage(loaded);
    if (!ilLoadImage(path)) {
        report_file_error();
        ilDeleteImages(1, &loaded);
        return 1;
    }
    ILinfo info;
    std::memset(&info, 0, sizeof info);
    iluGetImageInfo(&info);
    const int count = static_cast<int>(info.NumNext) + 1;
    const bool compose = (info.PalType == IL_PAL_RGBA32 || info.PalType == IL_PAL_BGRA32)
                         && info.Format == IL_COLOUR_INDEX && gif_hack;
    const int64_t base_pixels = static_cast<int64_t>(info.Width) * info.Height;

    Group *group = anim_add_group(anim, NO_GROUP_NAME);
    group_reset_frames(group, count);
    int filled = 0;
    for (int i = 0; i < count; ++i) {
        ilBindImage(loaded);
        if (!ilActiveImage(static_cast<ILuint>(i)))
            break;
        filled = i + 1;
        Frame *frame = &anim->groups[0].frames[i];
        const int duration = ilGetInteger(IL_IMAGE_DURATION);
        props_set_float(&frame->props, "Duration", static_cast<float>(duration / 1000.0));
        props_set_int(&frame->props, "Origin X", ilGetInteger(IL_IMAGE_WIDTH) >> 1, PROPERTY_INTEGER);
        props_set_int(&frame->props, "Origin Y", ilGetInteger(IL_IMAGE_HEIGHT) >> 1, PROPERTY_INTEGER);
        host().delete_image(frame->image);
        frame->image = ilCloneCurImage();
        if (compose && i >= 1)
            compose_transparent_frame(anim->groups[0].frames[i - 1].image, frame->image, base_pixels);
    }
    // Images the chain announced but could not give leave no empty frames.
    while (anim->groups[0].frame_count > filled)
        group_delete_frame(&anim->groups[0], anim->groups[0].frame_count - 1);
    ilDeleteImages(1, &loaded);
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
    anim_bind_frame(anim, 0, 0);
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX)
        return save_bound_image(path, type) ? 1 : 0;

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
    if (looks_like_xpm(path) || probe_library_load(path) == ProbeResult::Dangerous)
        return 0;
    const uint32_t scratch = host().gen_image();
    host().bind_image(scratch);
    ilLoadImage(path);
    int n = 0;
    if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX) {
        ilConvertPal(IL_PAL_RGBA32);
        n = ilGetInteger(IL_PALETTE_NUM_COLS);
        if (n > 256)
            n = 256;
        if (n < 0)
            n = 0;
        const uint8_t *palette = ilGetPalette();
        if (palette && n > 0 && ilGetInteger(IL_PALETTE_BPP) == 4)
            std::memcpy(rgba1024, palette, static_cast<size_t>(n) * 4);
        else
            n = 0;
    }
    host().delete_image(scratch);
    return n;
}
