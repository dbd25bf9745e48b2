// The bitmap writer of our own gives, byte for byte, what the image
// library's writer gives for the same image.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <IL/il.h>

#include "fileio/bmp_writer.h"
#include "fileio/format_table.h"
#include "plugins/host_table.h"
#include "support/test_support.h"

namespace {

// The library's own bitmap of the bound image.
std::vector<uint8_t> library_bmp()
{
    const size_t pixels = static_cast<size_t>(ilGetInteger(IL_IMAGE_WIDTH)) * ilGetInteger(IL_IMAGE_HEIGHT);
    std::vector<uint8_t> out(pixels * 4 + 4096);
    const ILuint written = ilSaveL(IL_BMP, out.data(), static_cast<ILuint>(out.size()));
    out.resize(written);
    return out;
}

class BmpWriter : public CoreTest {};

TEST_F(BmpWriter, GivesTheLibrarysBytesForEveryRowPaddingAndChannelOrder)
{
    std::mt19937 random(15);
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    // Widths 1 to 5 need 3, 2, 1, 0 and 3 bytes of row padding.
    for (const ILenum format : {IL_RGB, IL_BGR})
        for (int w = 1; w <= 5; ++w)
            for (int h = 1; h <= 3; h += 2) {
                std::vector<uint8_t> pixels(static_cast<size_t>(w * h * 3));
                for (uint8_t &p : pixels)
                    p = static_cast<uint8_t>(random());
                ilTexImage(w, h, 1, 3, format, IL_UNSIGNED_BYTE, pixels.data());
                host().set_upper_left_origin();
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (format == IL_BGR ? " BGR" : " RGB"));
                ASSERT_TRUE(bmp_direct_applies());
                const std::vector<uint8_t> ours = bmp_encode_bound();
                ASSERT_EQ(ours.size(), 54u + static_cast<size_t>((w * 3 + 3) / 4 * 4 * h));
                EXPECT_EQ(ours, library_bmp());
            }
    // Layouts it leaves to the library.
    set_rgba_pixels(2, 2, std::vector<uint8_t>(16, 7));
    EXPECT_FALSE(bmp_direct_applies());
    EXPECT_TRUE(bmp_encode_bound().empty());
    set_indexed_pixels(2, 2, {0, 1, 1, 0}, std::vector<uint8_t>(1024, 9));
    EXPECT_FALSE(bmp_direct_applies());
    host().delete_image(image);
}

TEST_F(BmpWriter, SavingFixtureImagesAsBitmapsWritesTheLibrarysFile)
{
    const std::string dir = scratch_dir("bmp_writer");
    for (const char *name : {"images/librequake_SBAR.png", "images/hexen2_expload.bmp", "images/giflib_fire.gif"}) {
        SCOPED_TRACE(name);
        Animation loaded{};
        anim_init(&loaded);
        file_load(data_path(name).c_str(), &loaded);
        ASSERT_GT(loaded.group_count, 0);
        anim_bind_frame(&loaded, 0, 0);
        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
        ASSERT_TRUE(bmp_direct_applies());
        const std::vector<uint8_t> expected = library_bmp();
        const std::string out = dir + "/out.bmp";
        ASSERT_EQ(file_save(out.c_str(), &loaded), 1);
        EXPECT_EQ(read_bytes(out), expected);
        anim_destroy(&loaded);
    }
}

} // namespace
