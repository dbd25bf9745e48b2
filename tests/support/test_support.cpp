#include "support/test_support.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include <IL/il.h>
#include <IL/ilu.h>

#include "document/document_state.h"
#include "formats/generic_formats.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/fullbright.h"

namespace fs = std::filesystem;

std::string data_path(const std::string &relative) { return std::string(VORN_TEST_DATA) + "/" + relative; }

std::string scratch_dir(const std::string &name)
{
    // One folder per test: ctest runs test cases in parallel processes.
    fs::path dir = fs::path(VORN_BINARY_DIR) / "test-scratch" / name;
    if (const auto *info = ::testing::UnitTest::GetInstance()->current_test_info())
        dir /= std::string(info->test_suite_name()) + "-" + info->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

std::vector<uint8_t> read_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void set_rgba_pixels(int w, int h, const std::vector<uint8_t> &rgba)
{
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE,
               const_cast<uint8_t *>(rgba.data()));
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
}

void set_indexed_pixels(int w, int h, const std::vector<uint8_t> &indexes, const std::vector<uint8_t> &palette_rgba)
{
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, 1, IL_COLOUR_INDEX, IL_UNSIGNED_BYTE,
               const_cast<uint8_t *>(indexes.data()));
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilRegisterPal(const_cast<uint8_t *>(palette_rgba.data()), static_cast<ILuint>(palette_rgba.size()),
                  IL_PAL_RGBA32);
}

std::vector<uint8_t> rgba_of(uint32_t image)
{
    ilBindImage(image);
    const ILuint copy = ilCloneCurImage();
    ilBindImage(copy);
    ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    const size_t n = static_cast<size_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT) * 4;
    const uint8_t *data = ilGetData();
    std::vector<uint8_t> out(data, data + n);
    iluDeleteImage(copy);
    return out;
}

std::vector<uint8_t> raw_of(uint32_t image)
{
    ilBindImage(image);
    const size_t n = static_cast<size_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA));
    const uint8_t *data = ilGetData();
    return data ? std::vector<uint8_t>(data, data + n) : std::vector<uint8_t>();
}

int image_width(uint32_t image)
{
    ilBindImage(image);
    return ilGetInteger(IL_IMAGE_WIDTH);
}

int image_height(uint32_t image)
{
    ilBindImage(image);
    return ilGetInteger(IL_IMAGE_HEIGHT);
}

void CoreTest::SetUp()
{
    static std::once_flag once;
    std::call_once(once, [] {
        host().initialise();
        // The standard Quake palette, as the program loads it at start-up.
        std::vector<uint8_t> lmp = read_bytes(std::string(VORN_SOURCE_DIR) + "/resources/palette.lmp");
        std::memset(default_palette, 0, sizeof default_palette);
        for (size_t i = 0; i < 256 && i * 3 + 2 < lmp.size(); ++i) {
            default_palette[i * 4] = lmp[i * 3];
            default_palette[i * 4 + 1] = lmp[i * 3 + 1];
            default_palette[i * 4 + 2] = lmp[i * 3 + 2];
            default_palette[i * 4 + 3] = i == 255 ? 0 : 255;
        }
    });
    set_backends(&ui);
    generic_set_gif_hack(true);
    // What the user chose about fullbrights lasts a run; each test starts afresh.
    set_fullbright_choice(FullbrightChoice::Ask);
    set_mips_fullbright_safe(false);
    host_clear_errors();
    anim_init(&anim);
}

void CoreTest::TearDown()
{
    anim_destroy(&anim);
    set_backends(nullptr);
    for (const std::string &u : ui.unexpected())
        ADD_FAILURE() << "unexpected " << u;
}

void DocumentTest::SetUp()
{
    CoreTest::SetUp();
    doc_reset();
}

void DocumentTest::TearDown()
{
    doc_reset();
    CoreTest::TearDown();
}

DocumentState &DocumentTest::doc() { return doc_state(); }

std::vector<std::string> CoreTest::message_texts() const
{
    std::vector<std::string> texts;
    for (const auto &m : ui.messages())
        texts.push_back(m.text);
    return texts;
}
