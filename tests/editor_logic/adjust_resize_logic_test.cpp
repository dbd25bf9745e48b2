// The Adjust dialog's value arithmetic and the Resize dialog's size
// arithmetic, without widgets.
#include <gtest/gtest.h>

#include <string>

#include "views/logic/adjust_logic.h"
#include "views/logic/resize_logic.h"

namespace {

struct TextCase {
    const char *title;
    int minimum, maximum, scale, initial;
    const char *typed;
    int value;           // after reading the text
    const char *written; // the text written back
};

class AdjustText : public ::testing::TestWithParam<TextCase> {};

TEST_P(AdjustText, ReadsClampsAndWritesBack)
{
    const TextCase &c = GetParam();
    adjust_open(c.title, c.minimum, c.maximum, c.scale, c.initial);
    EXPECT_EQ(c.written, adjust_sync_from_text(c.typed));
    EXPECT_EQ(c.value, adjust_state().value);
    EXPECT_EQ(c.initial, adjust_state().initial);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AdjustText,
    ::testing::Values(TextCase{"Gamma Correction", 0, 2000, 1000, 1000, "3", 2000, "2.00"},
                      TextCase{"Gamma Correction", 0, 2000, 1000, 1000, "0.5", 500, "0.50"},
                      TextCase{"Rotate", 0, 3600, 10, 0, "45.55", 455, "45.50"},
                      TextCase{"Rotate", 0, 3600, 10, 0, "-3", 0, "0.00"},
                      TextCase{"Pixelize", 1, 100, 1, 0, "0", 1, "1"},
                      TextCase{"Pixelize", 1, 100, 1, 0, "250", 100, "100"},
                      TextCase{"Blur (Average)", 0, 5, 1, 0, "3.9", 3, "3"},
                      TextCase{"Noisify", 0, 1000, 1000, 0, "lots", 0, "0.00"},
                      TextCase{"Sharpen", 0, 1500, 1000, 0, "1e30", 1500, "1.50"},
                      TextCase{"Alpha", 0, 255, 1, 7, "99999999999999999999", 255, "255"}));

TEST(AdjustLogic, OpeningTextsAndNumbers)
{
    adjust_open("Gamma Correction", 0, 2000, 1000, 1000);
    EXPECT_EQ("1.00", adjust_value_text(adjust_state(), adjust_state().value));
    EXPECT_FLOAT_EQ(1.0f, adjust_number(adjust_state()));
    adjust_open("Pixelize", 1, 100, 1, 0);
    EXPECT_EQ("0", adjust_value_text(adjust_state(), adjust_state().value));
    EXPECT_FLOAT_EQ(0.0f, adjust_number(adjust_state()));
    // The slider's position is taken as it is (within the range).
    EXPECT_EQ("42", adjust_sync_from_slider(42));
    EXPECT_EQ(42, adjust_state().value);
    adjust_open("Rotate", 0, 3600, 10, 0);
    EXPECT_EQ("90.00", adjust_sync_from_slider(900));
    EXPECT_FLOAT_EQ(90.0f, adjust_number(adjust_state()));
}

// --- Resize -----------------------------------------------------------------

ResizeSizes opened(int w, int h) { return resize_sync_sizes({}, ResizeTrigger::Opening, 0, false, w, h); }

void expect_sizes(const ResizeSizes &s, int pw, int ph, int cw, int ch)
{
    EXPECT_EQ(pw, s.pixel_width);
    EXPECT_EQ(ph, s.pixel_height);
    EXPECT_EQ(cw, s.percent_width);
    EXPECT_EQ(ch, s.percent_height);
}

TEST(ResizeLogic, OpeningShowsTheFrameAtHundredPercent) { expect_sizes(opened(64, 32), 64, 32, 100, 100); }

TEST(ResizeLogic, PercentWidthWithAspectOn64x32)
{
    expect_sizes(resize_sync_sizes(opened(64, 32), ResizeTrigger::PercentWidth, 50, true, 64, 32), 32, 16, 50, 50);
}

TEST(ResizeLogic, ThreeBySevenTruncatesThroughTheRatio)
{
    // 3 x 50 / 100 = 1.5 -> 1, then 7 / 3 x 1 = 2.33 -> 2, not 3.
    expect_sizes(resize_sync_sizes(opened(3, 7), ResizeTrigger::PercentWidth, 50, true, 3, 7), 1, 2, 50, 50);
}

struct HundredCase {
    ResizeTrigger trigger;
    int v;
    int pixel_width, percent_width;
};

TEST(ResizeLogic, HundredByHundredWidths)
{
    const HundredCase cases[] = {
        {ResizeTrigger::PixelWidth, 33, 33, 33},
        {ResizeTrigger::PixelWidth, 1, 1, 1},
        {ResizeTrigger::PercentWidth, 1, 1, 1},
        {ResizeTrigger::PercentWidth, 0, 0, 0},
    };
    for (const HundredCase &c : cases) {
        const ResizeSizes s = resize_sync_sizes(opened(100, 100), c.trigger, c.v, false, 100, 100);
        EXPECT_EQ(c.pixel_width, s.pixel_width) << c.v;
        EXPECT_EQ(c.percent_width, s.percent_width) << c.v;
        // Without Maintain Aspect Ratio both heights stay.
        EXPECT_EQ(100, s.pixel_height);
        EXPECT_EQ(100, s.percent_height);
    }
}

TEST(ResizeLogic, HeightsDriveTheWidthWithAspectOn)
{
    expect_sizes(resize_sync_sizes(opened(64, 32), ResizeTrigger::PixelHeight, 8, true, 64, 32), 16, 8, 25, 25);
    expect_sizes(resize_sync_sizes(opened(64, 32), ResizeTrigger::PercentHeight, 200, true, 64, 32), 128, 64, 200,
                 200);
}

TEST(ResizeLogic, CheckingAspectRecomputesTheHeightFromThePixelWidth)
{
    ResizeSizes s = resize_sync_sizes(opened(64, 32), ResizeTrigger::PixelWidth, 48, false, 64, 32);
    expect_sizes(s, 48, 32, 75, 100);
    s = resize_sync_sizes(s, ResizeTrigger::KeepAspect, s.pixel_width, true, 64, 32);
    expect_sizes(s, 48, 24, 75, 75);
}

TEST(ResizeLogic, SizesAreBoundedAndNeverOverflow)
{
    // 100000 % of 64 would be 64000 pixels: bounded to the largest frame.
    ResizeSizes s = resize_sync_sizes(opened(64, 32), ResizeTrigger::PercentWidth, 100000, true, 64, 32);
    EXPECT_EQ(RESIZE_MAX_SIDE, s.pixel_width);
    EXPECT_EQ(RESIZE_MAX_SIDE / 2, s.pixel_height);
    // An entry that a 32-bit product W x v would wrap.
    s = resize_sync_sizes(opened(16384, 16384), ResizeTrigger::PercentWidth,
                          resize_field_value("99999999999", RESIZE_MAX_PERCENT), false, 16384, 16384);
    EXPECT_EQ(RESIZE_MAX_PERCENT, s.percent_width);
    EXPECT_EQ(RESIZE_MAX_SIDE, s.pixel_width);
    // A frame side of 0 gives no percentage rather than a division by it.
    s = resize_sync_sizes(opened(0, 5), ResizeTrigger::PixelWidth, 10, true, 0, 5);
    EXPECT_EQ(10, s.pixel_width);
    EXPECT_EQ(0, s.percent_width);
    EXPECT_EQ(0, s.pixel_height);
}

TEST(ResizeLogic, FieldTextReadsItsLeadingDigits)
{
    EXPECT_EQ(0, resize_field_value("", 100));
    EXPECT_EQ(0, resize_field_value("abc", 100));
    EXPECT_EQ(42, resize_field_value("42px", 100));
    EXPECT_EQ(100, resize_field_value("12345678901234567890", 100));
}

TEST(ResizeLogic, IndexedFramesAreOfferedThreeFilters)
{
    EXPECT_EQ(3, resize_filter_count(true));
    EXPECT_EQ(8, resize_filter_count(false));
    EXPECT_STREQ("Pixel Resize", RESIZE_FILTERS[0].text);
    EXPECT_STREQ("Linear Filtering", RESIZE_FILTERS[1].text);
    EXPECT_STREQ("Bilinear Filtering", RESIZE_FILTERS[2].text);
    // Scale Triangle (4) is not offered: the codes skip it.
    EXPECT_EQ(3, RESIZE_FILTERS[3].code);
    EXPECT_EQ(5, RESIZE_FILTERS[4].code);
    EXPECT_STREQ("Scale Mitchell", RESIZE_FILTERS[7].text);
    EXPECT_EQ(8, RESIZE_FILTERS[7].code);
}

TEST(ResizeLogic, TargetsOfTheWholeGroup)
{
    ResizeChoice percent;
    percent.whole_group = true;
    percent.percent_mode = true;
    percent.percent_width = percent.percent_height = 50;
    EXPECT_EQ(32, resize_target(percent, 64, 64).width);
    EXPECT_EQ(15, resize_target(percent, 30, 10).width);
    EXPECT_EQ(5, resize_target(percent, 30, 10).height);
    // 1 percent of a 3-pixel side still leaves one pixel.
    percent.percent_width = 1;
    EXPECT_EQ(1, resize_target(percent, 3, 10).width);

    ResizeChoice pixels;
    pixels.whole_group = true;
    pixels.pixel_width = pixels.pixel_height = 16;
    pixels.percent_width = 50;
    EXPECT_EQ(16, resize_target(pixels, 30, 10).width);
    EXPECT_EQ(16, resize_target(pixels, 30, 10).height);
    // A target of 0 becomes 1 pixel, one past the largest side the largest.
    pixels.pixel_width = 0;
    pixels.pixel_height = RESIZE_MAX_SIDE + 1;
    EXPECT_EQ(1, resize_target(pixels, 30, 10).width);
    EXPECT_EQ(RESIZE_MAX_SIDE, resize_target(pixels, 30, 10).height);
}

} // namespace
