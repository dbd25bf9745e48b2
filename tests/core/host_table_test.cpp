#include <cstring>
#include <dlfcn.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include "image/host_table.h"
#include "support/test_support.h"

namespace {

class HostTableTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        image = host().gen_image();
        host().bind_image(image);
    }
    void TearDown() override
    {
        host().delete_image(image);
        CoreTest::TearDown();
    }
    uint32_t image = 0;
};

TEST_F(HostTableTest, TableHasFortyOneEntriesThenNull)
{
    const void *const *slots = reinterpret_cast<const void *const *>(&vorn_api);
    for (int i = 0; i < 41; ++i)
        EXPECT_NE(slots[i], nullptr) << "slot " << i;
    EXPECT_EQ(slots[41], nullptr);
}

TEST_F(HostTableTest, ExecutableExportsTheTable)
{
    // Plug-ins find the host's table this way.
    void *found = dlsym(RTLD_DEFAULT, "vorn_api");
    EXPECT_EQ(found, static_cast<const void *>(&vorn_api));
}

TEST_F(HostTableTest, ImagesKeepTheirTopRowFirst)
{
    EXPECT_EQ(host().origin_is_lower_left(), 0);
}

TEST_F(HostTableTest, ImageTypeConvertsWideChannelsToRgba)
{
    std::vector<uint16_t> wide(2 * 2 * 3, 0x8000);
    ilTexImage(2, 2, 1, 3, IL_RGB, IL_UNSIGNED_SHORT, wide.data());
    EXPECT_EQ(host().image_type(), IMAGE_RGBA);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_TYPE), IL_UNSIGNED_BYTE);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGBA);
}

TEST_F(HostTableTest, ConvertToIndexedThenTypeIsEight)
{
    std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    ilTexImage(2, 2, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, rgb.data());
    EXPECT_EQ(host().image_type(), IMAGE_RGB);
    EXPECT_EQ(host().convert_image(IMAGE_INDEXED), 1);
    EXPECT_EQ(host().image_type(), IMAGE_INDEXED);
    EXPECT_GE(host().palette_size(), 4);
}

TEST_F(HostTableTest, ScalingFilterOutOfRangeIsIgnored)
{
    host().set_scaling_filter(3);
    EXPECT_EQ(iluGetInteger(ILU_FILTER), ILU_SCALE_BOX);
    host().set_scaling_filter(9);
    EXPECT_EQ(iluGetInteger(ILU_FILTER), ILU_SCALE_BOX);
    host().set_scaling_filter(-1);
    EXPECT_EQ(iluGetInteger(ILU_FILTER), ILU_SCALE_BOX);
    host().set_scaling_filter(0);
    EXPECT_EQ(iluGetInteger(ILU_FILTER), ILU_NEAREST);
}

TEST_F(HostTableTest, ErrorTextIsNullWithoutAPendingError)
{
    host_clear_errors();
    EXPECT_EQ(host().error_text(), nullptr);
    ilLoadImage("/nonexistent/file.png");
    const char *text = host().error_text();
    ASSERT_NE(text, nullptr);
    EXPECT_GT(std::string(text).size(), 0u);
}

TEST_F(HostTableTest, SaveOptionsRoundTripAndUnknownSelectorsDoNothing)
{
    const int quality = host().get_save_option(SAVE_OPTION_JPEG_QUALITY);
    host().set_save_option(SAVE_OPTION_JPEG_QUALITY, 55);
    EXPECT_EQ(host().get_save_option(SAVE_OPTION_JPEG_QUALITY), 55);
    host().set_save_option(7, 1);
    EXPECT_EQ(host().get_save_option(7), 0);
    host().set_save_option(SAVE_OPTION_JPEG_QUALITY, quality);
}

TEST_F(HostTableTest, PaletteTypesMapToCodes)
{
    set_indexed_pixels(1, 1, {0}, {1, 2, 3, 4});
    EXPECT_EQ(host().palette_type(), IMAGE_RGBA);
    host().convert_palette(IMAGE_BGR);
    EXPECT_EQ(host().palette_type(), IMAGE_BGR);
    host().convert_palette(IMAGE_RGB);
    EXPECT_EQ(host().palette_type(), IMAGE_RGB);
    host().convert_palette(99); // unknown code: unchanged
    EXPECT_EQ(host().palette_type(), IMAGE_RGB);
}

TEST_F(HostTableTest, ScaleAndCanvasRefuseEmptySizes)
{
    set_rgba_pixels(2, 2, std::vector<uint8_t>(16, 9));
    EXPECT_EQ(host().scale(0, 4), 0);
    EXPECT_EQ(host().enlarge_canvas(-1, 4), 0);
    EXPECT_EQ(host().scale(4, 6), 1);
    EXPECT_EQ(host().width(), 4);
    EXPECT_EQ(host().height(), 6);
}

} // namespace

namespace {

TEST_F(HostTableTest, ConvertingIndexesWithoutPaletteEntriesGivesEntryZero)
{
    set_indexed_pixels(3, 1, {1, 9, 0}, {10, 20, 30, 255, 40, 50, 60, 255});
    ASSERT_EQ(host().convert_image(IMAGE_RGBA), 1);
    const uint8_t *data = host().get_data();
    const uint8_t expected[12] = {40, 50, 60, 255, 10, 20, 30, 255, 10, 20, 30, 255};
    EXPECT_EQ(0, std::memcmp(data, expected, 12));
}

} // namespace
