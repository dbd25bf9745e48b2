#include "formats/tga_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <IL/il.h>

#include "io/byte_io.h"
#include "formats/pixel_rows.h"
#include "io/safe_save.h"

namespace {

constexpr size_t HEADER_SIZE = 18;
// Extension area offset, developer area offset, and the signature, which
// the library writes without its closing NUL.
constexpr size_t FOOTER_SIZE = 25;
constexpr char SIGNATURE[] = "TRUEVISION-XFILE.";

// The library's file of a one-pixel 24-bit image in its current settings:
// the header and what follows the pixels are the same for every such image
// but for the sizes and the extension area's offset. Empty when the file is
// not an uncompressed 24-bit one with an extension area and no image ID.
std::vector<uint8_t> one_pixel_file()
{
    const ILint bound = ilGetInteger(IL_CUR_IMAGE);
    ILuint scratch = 0;
    ilGenImages(1, &scratch);
    ilBindImage(scratch);
    uint8_t pixel[3] = {1, 2, 3};
    // Written through a stream, as files are: the library's writer into
    // memory crashes on Targa files.
    std::vector<uint8_t> file;
    char *written = nullptr;
    size_t size = 0;
    if (FILE *stream = open_memstream(&written, &size)) {
        bool saved = false;
        if (ilTexImage(1, 1, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixel)) {
            ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
            saved = ilSaveF(IL_TGA, stream) != 0;
        }
        std::fclose(stream);
        if (saved && written)
            file.assign(written, written + size);
        std::free(written);
    }
    ilDeleteImages(1, &scratch);
    ilBindImage(static_cast<ILuint>(bound));
    ilGetError(); // whatever the scratch image left
    const size_t pixels_end = HEADER_SIZE + 3;
    if (file.size() < pixels_end + FOOTER_SIZE || file[0] != 0 || file[1] != 0 || file[2] != 2 || file[16] != 24)
        return {};
    const uint8_t *footer = file.data() + file.size() - FOOTER_SIZE;
    ByteReader offsets(footer, 8);
    if (offsets.u32() != pixels_end || offsets.u32() != 0 || std::memcmp(footer + 8, SIGNATURE, sizeof SIGNATURE - 1) != 0)
        return {};
    return file;
}

// The library's one-pixel file when this writer takes the bound image;
// empty otherwise (the library's writer is then the one to use).
std::vector<uint8_t> model_for_bound()
{
    return tga_direct_applies() ? one_pixel_file() : std::vector<uint8_t>();
}

// Hands the file for the bound image to `emit` piece by piece, shaped on
// `model` (from model_for_bound, not empty); false when the image's sizes
// do not fit the format or `emit` fails.
template <class Emit>
bool encode(const std::vector<uint8_t> &model, Emit emit)
{
    const uint64_t width = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_WIDTH));
    const uint64_t height = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_HEIGHT));
    const uint8_t *data = ilGetData();
    const uint64_t row = width * 3;
    const uint64_t held = static_cast<uint64_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
    const size_t tail = model.size() - HEADER_SIZE - 3;
    const uint64_t pixels_end = HEADER_SIZE + row * height;
    if (!data || width > 0xFFFF || height > 0xFFFF || held < row * height || pixels_end > UINT32_MAX - tail)
        return false;

    // The model's header (no image ID, no colour map, true colour; bits per
    // pixel and descriptor) with this image's sides and the origin 0, 0.
    uint8_t head[HEADER_SIZE];
    std::memcpy(head, model.data(), HEADER_SIZE);
    std::memset(head + 8, 0, 4);
    head[12] = static_cast<uint8_t>(width);
    head[13] = static_cast<uint8_t>(width >> 8);
    head[14] = static_cast<uint8_t>(height);
    head[15] = static_cast<uint8_t>(height >> 8);
    if (!emit(head, HEADER_SIZE))
        return false;
    if (!emit_rows_bottom_first(data, width, height, row, ilGetInteger(IL_IMAGE_FORMAT) == IL_BGR, emit))
        return false;
    // The extension area and the footer, which points at it.
    ByteWriter end;
    end.bytes(model.data() + HEADER_SIZE + 3, tail);
    end.patch_u32(tail - FOOTER_SIZE, static_cast<uint32_t>(pixels_end));
    return emit(end.data().data(), end.size());
}

} // namespace

bool tga_direct_applies()
{
    return bound_image_is_plain_rgb24() && !ilGetInteger(IL_TGA_RLE) && !ilGetInteger(IL_TGA_CREATE_STAMP);
}

bool tga_encode_bound(ByteWriter &out)
{
    const std::vector<uint8_t> model = model_for_bound();
    if (model.empty())
        return false;
    ByteWriter file;
    const bool encoded = encode(model, [&file](const uint8_t *p, size_t n) {
        file.bytes(p, n);
        return true;
    });
    if (encoded)
        out.bytes(file.data().data(), file.size());
    return encoded;
}

int tga_save_bound(const char *path)
{
    // The model file is made first: when it is not as expected, nothing
    // has been written and the library's writer takes over.
    const std::vector<uint8_t> model = model_for_bound();
    if (model.empty())
        return -1;
    OutputFile file;
    if (!file.open(path))
        return 0;
    const bool encoded = encode(model, [&file](const uint8_t *p, size_t n) { return file.write(p, n); });
    return encoded && file.finish() ? 1 : 0;
}
