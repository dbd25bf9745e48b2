#include "image/host_table.h"

#include <cstring>

#include <IL/il.h>
#include <IL/ilu.h>

#include "io/huge_pages.h"
#include "image/image_ops.h"

namespace {

void initialise()
{
    ilSetMemory(image_memory_alloc, image_memory_free);
    ilInit();
    iluInit();
    // Every image the program holds keeps its top row first, whatever the
    // file's own row order: Quake formats and the preview rely on it.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    // Saving replaces existing files; the callers decide when that is right.
    ilEnable(IL_FILE_OVERWRITE);
    // Loaded images keep their own format and type; conversions are explicit.
    ilDisable(IL_FORMAT_SET);
    ilDisable(IL_TYPE_SET);
}

void shut_down() { ilShutDown(); }

int32_t set_upper_left_origin()
{
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    return ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_UPPER_LEFT ? 1 : 0;
}

const char *error_text()
{
    ILenum error = ilGetError();
    if (error == IL_NO_ERROR)
        return nullptr;
    return iluErrorString(error);
}

int32_t width() { return ilGetInteger(IL_IMAGE_WIDTH); }
int32_t height() { return ilGetInteger(IL_IMAGE_HEIGHT); }

ImageTypeCode image_type()
{
    if (ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE) {
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
        return IMAGE_RGBA;
    }
    switch (ilGetInteger(IL_IMAGE_FORMAT)) {
    case IL_COLOUR_INDEX: return IMAGE_INDEXED;
    case IL_LUMINANCE: return IMAGE_LUMINANCE;
    case IL_RGB: return IMAGE_RGB;
    case IL_BGR: return IMAGE_BGR;
    case IL_BGRA: return IMAGE_BGRA;
    default: return IMAGE_RGBA;
    }
}

int32_t palette_size() { return ilGetInteger(IL_PALETTE_NUM_COLS); }

PaletteTypeCode palette_type()
{
    switch (ilGetInteger(IL_PALETTE_TYPE)) {
    case IL_PAL_RGB24: return IMAGE_RGB;
    case IL_PAL_BGR24: return IMAGE_BGR;
    case IL_PAL_BGR32:
    case IL_PAL_BGRA32: return IMAGE_BGRA;
    default: return IMAGE_RGBA;
    }
}

uint32_t colours_used() { return iluColoursUsed(); }
uint8_t *get_palette() { return ilGetPalette(); }
void clear_colour(float r, float g, float b, float a) { ilClearColour(r, g, b, a); }
// A fresh image is one pixel whose bytes the library leaves unset; it is
// cleared so that a placeholder frame that reaches a file writes zeros.
uint32_t gen_image()
{
    const uint32_t image = iluGenImage();
    uint8_t *data = ilGetData();
    const ILint size = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
    if (data && size > 0)
        std::memset(data, 0, static_cast<size_t>(size));
    return image;
}
int32_t copy_image(uint32_t source) { return ilCopyImage(source) ? 1 : 0; }
void delete_image(uint32_t image) { iluDeleteImage(image); }
void bind_image(uint32_t image) { ilBindImage(image); }

// Indexed pixels that have no palette entry make the library read past the
// palette when it converts the image; they take entry 0 instead. False when
// the image has no palette at all, so there is nothing to convert from.
bool repair_stray_indexes()
{
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX || ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 1)
        return true;
    const int entries = ilGetInteger(IL_PALETTE_NUM_COLS);
    if (entries <= 0 || !ilGetPalette())
        return false;
    if (entries >= 256)
        return true;
    uint8_t *data = ilGetData();
    const int64_t pixels = static_cast<int64_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT)
                           * ilGetInteger(IL_IMAGE_DEPTH);
    for (int64_t p = 0; data && p < pixels; ++p)
        if (data[p] >= entries)
            data[p] = 0;
    return true;
}

int32_t convert_image(ImageTypeCode type)
{
    if (type != IMAGE_INDEXED && !repair_stray_indexes())
        return 0;
    // The library's quantiser changes colours even when there are few
    // enough to keep them all.
    if (type == IMAGE_INDEXED)
        return image_to_indexed() ? 1 : 0;
    ILenum format;
    switch (type) {
    case IMAGE_INDEXED: format = IL_COLOUR_INDEX; break;
    case IMAGE_LUMINANCE: format = IL_LUMINANCE; break;
    case IMAGE_RGB: format = IL_RGB; break;
    case IMAGE_BGR: format = IL_BGR; break;
    case IMAGE_BGRA: format = IL_BGRA; break;
    default: format = IL_RGBA; break;
    }
    return ilConvertImage(format, IL_UNSIGNED_BYTE) ? 1 : 0;
}

void convert_palette(PaletteTypeCode type)
{
    switch (type) {
    case IMAGE_RGB: ilConvertPal(IL_PAL_RGB24); break;
    case IMAGE_BGR: ilConvertPal(IL_PAL_BGR24); break;
    case IMAGE_RGBA: ilConvertPal(IL_PAL_RGBA32); break;
    case IMAGE_BGRA: ilConvertPal(IL_PAL_BGRA32); break;
    default: break;
    }
}

int32_t set_palette(const uint8_t *rgba, int32_t count)
{
    if (count <= 0 || count > 256)
        return 0;
    // The library copies the palette; it does not keep the pointer.
    ilRegisterPal(const_cast<uint8_t *>(rgba), static_cast<ILuint>(count) * 4, IL_PAL_RGBA32);
    return ilGetInteger(IL_PALETTE_NUM_COLS) == count ? 1 : 0;
}

uint8_t *get_data() { return ilGetData(); }
int32_t set_data(const void *data) { return ilSetData(const_cast<void *>(data)) ? 1 : 0; }

int32_t enlarge_canvas(int32_t w, int32_t h)
{
    if (w <= 0 || h <= 0)
        return 0;
    return iluEnlargeCanvas(static_cast<ILuint>(w), static_cast<ILuint>(h), 1) ? 1 : 0;
}

void set_scaling_filter(int32_t n)
{
    if (n < 0 || n > 8)
        return;
    iluImageParameter(ILU_FILTER, static_cast<ILenum>(ILU_NEAREST + n));
}

int32_t scale(int32_t w, int32_t h)
{
    if (w <= 0 || h <= 0)
        return 0;
    return iluScale(static_cast<ILuint>(w), static_cast<ILuint>(h), 1) ? 1 : 0;
}

int32_t get_save_option(int32_t selector)
{
    switch (selector) {
    case SAVE_OPTION_BMP_RLE: return ilGetInteger(IL_BMP_RLE);
    case SAVE_OPTION_JPEG_QUALITY: return ilGetInteger(IL_JPG_QUALITY);
    default: return 0;
    }
}

void set_save_option(int32_t selector, int32_t value)
{
    switch (selector) {
    case SAVE_OPTION_BMP_RLE: ilSetInteger(IL_BMP_RLE, value); break;
    case SAVE_OPTION_JPEG_QUALITY: ilSetInteger(IL_JPG_QUALITY, value); break;
    default: break;
    }
}

// The library crashes turning a non-square image by a quarter turn and
// flips instead of turning by a half; image_rotate turns those itself.
int32_t rotate(float degrees) { return image_rotate(degrees) ? 1 : 0; }
int32_t contrast(float amount) { return iluContrast(amount) ? 1 : 0; }
int32_t blur_average(uint32_t iterations) { return iluBlurAvg(iterations) ? 1 : 0; }
int32_t blur_gaussian(uint32_t iterations) { return iluBlurGaussian(iterations) ? 1 : 0; }
int32_t noisify(float tolerance) { return iluNoisify(tolerance) ? 1 : 0; }
int32_t pixelize(uint32_t block) { return iluPixelize(block) ? 1 : 0; }
int32_t sharpen(float factor) { return iluSharpen(factor, 1) ? 1 : 0; }
int32_t gamma_correct(float gamma) { return iluGammaCorrect(gamma) ? 1 : 0; }
int32_t flip() { return iluFlipImage() ? 1 : 0; }
int32_t mirror() { return iluMirror() ? 1 : 0; }
int32_t alienify() { return iluAlienify() ? 1 : 0; }
int32_t edge_detect() { return iluEdgeDetectS() ? 1 : 0; }
int32_t emboss() { return iluEmboss() ? 1 : 0; }
int32_t negative() { return iluNegative() ? 1 : 0; }
int32_t origin_is_lower_left() { return ilGetInteger(IL_ORIGIN_MODE) == IL_ORIGIN_LOWER_LEFT ? 1 : 0; }

} // namespace

extern "C" __attribute__((visibility("default"))) const HostTable vorn_api = {
    initialise, shut_down, set_upper_left_origin, error_text, width, height,
    image_type, palette_size, palette_type, colours_used, get_palette,
    clear_colour, gen_image, copy_image, delete_image, bind_image,
    convert_image, convert_palette, set_palette, get_data, set_data,
    enlarge_canvas, set_scaling_filter, scale, get_save_option,
    set_save_option, rotate, contrast, blur_average, blur_gaussian, noisify,
    pixelize, sharpen, gamma_correct, flip, mirror, alienify, edge_detect,
    emboss, negative, origin_is_lower_left, nullptr,
};

void host_clear_errors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}
