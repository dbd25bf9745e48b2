// The preview's arithmetic: zoom steps, placement, scroll ranges, the
// cross-hair, origin clicks and the sampling of the visible part.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "views/logic/preview_logic.h"

namespace {

TEST(PreviewZoom, StepsInArePowersOfTwoUpToTheCap)
{
    float z = 1.0f;
    const float expected[] = {2, 4, 8, 16, 32, 64, 64};
    for (float e : expected) {
        z = preview_zoom_step_in(z);
        EXPECT_FLOAT_EQ(e, z);
    }
}

TEST(PreviewZoom, StepsOutStopAtTheFloorNotAtTheNextPowerOfTwo)
{
    float z = 1.0f;
    for (int i = 0; i < 5; ++i)
        z = preview_zoom_step_out(z);
    EXPECT_FLOAT_EQ(0.03125f, z);
    z = preview_zoom_step_out(z);
    EXPECT_FLOAT_EQ(0.02f, z); // not 0.015625
    EXPECT_FLOAT_EQ(0.02f, preview_zoom_step_out(z));
}

TEST(PreviewZoom, ZoomingInFromTheFloorLeavesThePowersOfTwo)
{
    float z = PREVIEW_ZOOM_MIN;
    z = preview_zoom_step_in(z);
    EXPECT_FLOAT_EQ(0.04f, z);
    while (z < 40.0f)
        z = preview_zoom_step_in(z);
    EXPECT_NEAR(40.96f, z, 1e-3);
    EXPECT_FLOAT_EQ(64.0f, preview_zoom_step_in(z));
}

TEST(PreviewPlacement, ZoomOneKeepsTheSizeAndOtherZoomsTruncate)
{
    EXPECT_EQ(37, preview_scaled_size(37, 1.0f));
    EXPECT_EQ(18, preview_scaled_size(37, 0.5f));
    EXPECT_EQ(0, preview_scaled_size(3, 0.02f));
    EXPECT_EQ(131072, preview_scaled_size(2048, 64.0f));
}

TEST(PreviewPlacement, NarrowPictureIsCentredWithTheOddPixelOnTheRight)
{
    const PreviewPlacement p = preview_place(95, 10, 1.0f, 100, 10, 0, 0);
    EXPECT_EQ(2, p.x0); // spare width 5: 2 left, 3 right
    EXPECT_FALSE(p.h_bar);
}

TEST(PreviewPlacement, PictureAsWideAsTheClientHasNoBar)
{
    const PreviewPlacement p = preview_place(100, 50, 1.0f, 100, 80, 0, 0);
    EXPECT_EQ(0, p.x0);
    EXPECT_FALSE(p.h_bar);
    EXPECT_EQ(0, p.h_max);
    EXPECT_EQ(15, p.y0);
}

TEST(PreviewPlacement, ZoomFourGivesTheScrollRangeAndScrollsByPosition)
{
    const PreviewPlacement p = preview_place(100, 100, 4.0f, 200, 200, 0, 0);
    EXPECT_EQ(400, p.dw);
    EXPECT_TRUE(p.h_bar);
    EXPECT_TRUE(p.v_bar);
    EXPECT_EQ(200, p.h_max);
    EXPECT_EQ(200, p.v_max);
    EXPECT_EQ(0, p.x0);

    const PreviewPlacement scrolled = preview_place(100, 100, 4.0f, 200, 200, 37, 500);
    EXPECT_EQ(-37, scrolled.x0);
    EXPECT_EQ(-200, scrolled.y0); // a position past the range is held at its end
    EXPECT_EQ(200, scrolled.v_pos);
}

TEST(PreviewPlacement, TinyZoomShowsNothing)
{
    const PreviewPlacement p = preview_place(3, 3, 0.02f, 50, 50, 0, 0);
    EXPECT_EQ(0, p.dw);
    EXPECT_TRUE(preview_visible_part(p, 50, 50).empty());
}

TEST(PreviewCrosshair, PassesThroughTheCentreOfTheOriginPixel)
{
    PreviewPlacement p = preview_place(10, 10, 4.0f, 60, 60, 0, 0);
    ASSERT_EQ(10, p.x0);
    const PreviewPoint c = preview_crosshair(p, 4.0f, 0, 0);
    EXPECT_EQ(12, c.x);
    EXPECT_EQ(12, c.y);
    const PreviewPoint d = preview_crosshair(p, 4.0f, 3, 9);
    EXPECT_EQ(10 + 14, d.x);
    EXPECT_EQ(10 + 38, d.y);
}

TEST(PreviewOriginClick, ZoomTwoMapsClicksToPicturePixels)
{
    const PreviewPlacement p = preview_place(50, 50, 2.0f, 100, 100, 0, 0);
    ASSERT_EQ(0, p.x0);
    ASSERT_EQ(0, p.y0);
    int ox = -1, oy = -1;
    ASSERT_TRUE(preview_click_to_origin(p, 2.0f, 5, 9, &ox, &oy));
    EXPECT_EQ(2, ox);
    EXPECT_EQ(4, oy);
    ASSERT_TRUE(preview_click_to_origin(p, 2.0f, 0, 0, &ox, &oy));
    EXPECT_EQ(0, ox);
    EXPECT_EQ(0, oy);
}

TEST(PreviewOriginClick, ClicksOutsideThePictureAreIgnored)
{
    const PreviewPlacement p = preview_place(20, 20, 2.0f, 100, 100, 0, 0);
    ASSERT_EQ(30, p.x0);
    int ox = 77, oy = 77;
    EXPECT_FALSE(preview_click_to_origin(p, 2.0f, p.x0 + p.dw, 50, &ox, &oy)); // one past the right edge
    EXPECT_FALSE(preview_click_to_origin(p, 2.0f, p.x0 - 1, 50, &ox, &oy));
    EXPECT_FALSE(preview_click_to_origin(p, 2.0f, 50, p.y0 + p.dh, &ox, &oy));
    EXPECT_EQ(77, ox);
    EXPECT_EQ(77, oy);
    EXPECT_TRUE(preview_click_to_origin(p, 2.0f, p.x0, p.y0, &ox, &oy)); // first column and row count
    EXPECT_EQ(0, ox);
}

TEST(PreviewVisiblePart, HugeZoomOnlyCoversTheClient)
{
    // A 2048 x 2048 frame at zoom 64 is 131072 pixels wide; only the
    // client's 300 x 200 may be drawn.
    const PreviewPlacement p = preview_place(2048, 2048, 64.0f, 300, 200, 65000, 1000);
    const PreviewRect part = preview_visible_part(p, 300, 200);
    EXPECT_EQ(0, part.x);
    EXPECT_EQ(0, part.y);
    EXPECT_EQ(300, part.w);
    EXPECT_EQ(200, part.h);
}

TEST(PreviewVisiblePart, CentredPictureIsDrawnWhereItLies)
{
    const PreviewPlacement p = preview_place(10, 6, 1.0f, 21, 10, 0, 0);
    const PreviewRect part = preview_visible_part(p, 21, 10);
    EXPECT_EQ(5, part.x);
    EXPECT_EQ(2, part.y);
    EXPECT_EQ(10, part.w);
    EXPECT_EQ(6, part.h);
}

std::vector<uint32_t> numbered(int w, int h)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = static_cast<uint32_t>(y * 10000 + x);
    return pixels;
}

TEST(PreviewSampling, ZoomOneCopiesPixelForPixel)
{
    const std::vector<uint32_t> src = numbered(7, 5);
    const PreviewPlacement p = preview_place(7, 5, 1.0f, 7, 5, 0, 0);
    const PreviewRect part = preview_visible_part(p, 7, 5);
    std::vector<uint32_t> out(35, 0xDEADBEEF);
    preview_sample_part(src.data(), 7, 5, 7, p, part, out.data(), 7);
    EXPECT_EQ(src, out);
}

TEST(PreviewSampling, ScrolledZoomShowsTheRightSourcePixels)
{
    const std::vector<uint32_t> src = numbered(2048, 2048);
    // At zoom 64 each source pixel is a 64 x 64 block; scrolled by
    // (64 * 100 + 10, 64 * 7), the view's top-left shows pixel (100, 7).
    const PreviewPlacement p = preview_place(2048, 2048, 64.0f, 128, 70, 64 * 100 + 10, 64 * 7);
    const PreviewRect part = preview_visible_part(p, 128, 70);
    ASSERT_EQ(128, part.w);
    std::vector<uint32_t> out(static_cast<size_t>(part.w) * part.h);
    preview_sample_part(src.data(), 2048, 2048, 2048, p, part, out.data(), part.w);
    EXPECT_EQ(7u * 10000 + 100, out[0]);
    EXPECT_EQ(7u * 10000 + 100, out[53]);   // still inside the first block
    EXPECT_EQ(7u * 10000 + 101, out[54]);   // 64 - 10 columns later
    EXPECT_EQ(8u * 10000 + 100, out[64 * static_cast<size_t>(part.w)]);
}

TEST(PreviewSampling, ShrinkingPicksEveryNthPixel)
{
    const std::vector<uint32_t> src = numbered(8, 8);
    const PreviewPlacement p = preview_place(8, 8, 0.5f, 4, 4, 0, 0);
    const PreviewRect part = preview_visible_part(p, 4, 4);
    ASSERT_EQ(4, part.w);
    std::vector<uint32_t> out(16);
    preview_sample_part(src.data(), 8, 8, 8, p, part, out.data(), 4);
    EXPECT_EQ(0u, out[0]);
    EXPECT_EQ(2u, out[1]);
    EXPECT_EQ(6u, out[3]);
    EXPECT_EQ(2u * 10000 + 4, out[4 + 2]);
}

} // namespace
