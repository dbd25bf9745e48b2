// The bitmap and Targa writers of our own give, byte for byte, what the
// image library's writers give for the same image.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <IL/il.h>

#include "formats/bmp_writer.h"
#include "io/byte_io.h"
#include "formats/format_table.h"
#include "formats/tga_writer.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

// The library's own file of the bound image; a Targa file with the origin
// fields (bytes 8 to 11) 0, as the program saves every one.
std::vector<uint8_t> library_file(ILenum type)
{
    char *written = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&written, &size);
    EXPECT_NE(ilSaveF(type, stream), 0u);
    std::fclose(stream);
    std::vector<uint8_t> out(written, written + size);
    std::free(written);
    if (type == IL_TGA && out.size() > 12)
        std::memset(out.data() + 8, 0, 4);
    return out;
}

std::vector<uint8_t> our_tga()
{
    ByteWriter out;
    return tga_encode_bound(out) ? out.data() : std::vector<uint8_t>();
}

class BmpWriter : public CoreTest {};

TEST_F(BmpWriter, GivesTheLibrarysBytesForEveryRowPaddingAndChannelOrder)
{
    std::mt19937 random(15);
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    // Widths 1 to 5 need 3, 2, 1, 0 and 3 bytes of row padding; 701 x 600
    // is written in more than one piece.
    std::vector<std::pair<int, int>> sizes = {{701, 600}};
    for (int w = 1; w <= 5; ++w)
        for (int h = 1; h <= 3; h += 2)
            sizes.emplace_back(w, h);
    for (const ILenum format : {IL_RGB, IL_BGR})
        for (const auto &[w, h] : sizes) {
            std::vector<uint8_t> pixels(static_cast<size_t>(w * h * 3));
            for (uint8_t &p : pixels)
                p = static_cast<uint8_t>(random());
            ilTexImage(w, h, 1, 3, format, IL_UNSIGNED_BYTE, pixels.data());
            host().set_upper_left_origin();
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (format == IL_BGR ? " BGR" : " RGB"));
            ASSERT_TRUE(bmp_direct_applies());
            const std::vector<uint8_t> ours = bmp_encode_bound();
            ASSERT_EQ(ours.size(), 54u + static_cast<size_t>((w * 3 + 3) / 4 * 4 * h));
            EXPECT_EQ(ours, library_file(IL_BMP));
            ASSERT_TRUE(tga_direct_applies());
            const std::vector<uint8_t> tga = our_tga();
            ASSERT_GT(tga.size(), 18u + static_cast<size_t>(w * h * 3));
            EXPECT_EQ(tga, library_file(IL_TGA));
        }
    // Layouts it leaves to the library.
    set_rgba_pixels(2, 2, std::vector<uint8_t>(16, 7));
    EXPECT_FALSE(bmp_direct_applies());
    EXPECT_TRUE(bmp_encode_bound().empty());
    EXPECT_TRUE(our_tga().empty());
    set_indexed_pixels(2, 2, {0, 1, 1, 0}, std::vector<uint8_t>(1024, 9));
    EXPECT_FALSE(bmp_direct_applies());
    EXPECT_FALSE(tga_direct_applies());
    host().delete_image(image);
}

TEST_F(BmpWriter, SavingFixtureImagesAsBitmapsAndTargaFilesWritesTheLibrarysFiles)
{
    const std::string dir = scratch_dir("bmp_writer");
    for (const char *name : {"images/librequake_SBAR.png", "images/hexen2_expload.bmp", "images/giflib_fire.gif"})
        for (const ILenum type : {IL_BMP, IL_TGA}) {
            SCOPED_TRACE(std::string(name) + (type == IL_TGA ? " to TGA" : " to BMP"));
            Animation loaded{};
            anim_init(&loaded);
            file_load(data_path(name).c_str(), &loaded);
            ASSERT_GT(loaded.group_count, 0);
            anim_bind_frame(&loaded, 0, 0);
            ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
            ASSERT_TRUE(bmp_direct_applies() && tga_direct_applies());
            const std::vector<uint8_t> expected = library_file(type);
            EXPECT_EQ(type == IL_TGA ? our_tga() : bmp_encode_bound(), expected);
            const std::string out = dir + (type == IL_TGA ? "/out.tga" : "/out.bmp");
            ASSERT_EQ(file_save(out.c_str(), &loaded), 1);
            EXPECT_EQ(read_bytes(out), expected);
            anim_destroy(&loaded);
        }
}

} // namespace
