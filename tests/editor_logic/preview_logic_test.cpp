// The preview's arithmetic: zoom steps, placement, scroll ranges, the
// cross-hair, origin clicks, zooming about a point, Zoom to Fit, the canvas
// of aligned frames, and the sampling and compositing of the visible part.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
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

// The number the sampler draws at client point (px, py) of a numbered
// picture (0 outside it).
uint32_t drawn_at(const std::vector<uint32_t> &src, int w, int h, const PreviewPlacement &p, int px, int py)
{
    PreviewRect one{px, py, 1, 1};
    uint32_t word = 0;
    preview_sample_part(src.data(), w, h, w, p, one, &word, 1);
    return word;
}

TEST(PreviewZoomAbout, TheCentrePixelIsKeptThroughStepsInAndOutAndTheScrollComesBack)
{
    struct Case {
        int w, h, cw, ch, h_pos, v_pos;
    };
    const Case cases[] = {
        {320, 200, 300, 180, 0, 0},     // centred at zoom 1
        {2048, 2048, 1280, 800, 300, 1000},
        {64, 64, 301, 199, 0, 0},       // odd client sides
    };
    for (const Case &c : cases) {
        const std::vector<uint32_t> src = numbered(c.w, c.h);
        float zoom = 1.0f;
        PreviewPlacement p = preview_place(c.w, c.h, zoom, c.cw, c.ch, c.h_pos, c.v_pos);
        const int start_h = p.h_pos, start_v = p.v_pos;
        const int cx = c.cw / 2, cy = c.ch / 2;
        const uint32_t centre = drawn_at(src, c.w, c.h, p, cx, cy);
        const bool in[] = {true, true, true, false, false, false};
        for (bool step_in : in) {
            const PreviewAnchor a = preview_anchor_at(p, c.w, c.h, cx, cy);
            zoom = step_in ? preview_zoom_step_in(zoom) : preview_zoom_step_out(zoom);
            const PreviewScroll s = preview_scroll_keeping(a, c.w, c.h, zoom, c.cw, c.ch, cx, cy);
            p = preview_place(c.w, c.h, zoom, c.cw, c.ch, s.h_pos, s.v_pos);
            EXPECT_EQ(centre, drawn_at(src, c.w, c.h, p, cx, cy)) << c.w << " at zoom " << zoom;
        }
        EXPECT_EQ(start_h, p.h_pos) << c.w;
        EXPECT_EQ(start_v, p.v_pos) << c.w;
    }
}

TEST(PreviewZoomAbout, WheelZoomKeepsThePixelUnderThePointer)
{
    struct Case {
        float from, to;
        int h_pos, v_pos, px, py;
    };
    const Case cases[] = {
        {1, 2, 0, 0, 17, 5},     // picture at the top-left corner
        {2, 4, 100, 37, 299, 0}, // pointer at the right edge
        {4, 8, 333, 211, 150, 99},
        {8, 4, 2000, 1500, 3, 197},
        {64, 32, 64 * 900 + 63, 64 * 5, 1, 1},
    };
    const int w = 1024, h = 512, cw = 300, ch = 200;
    const std::vector<uint32_t> src = numbered(w, h);
    for (const Case &c : cases) {
        const PreviewPlacement before = preview_place(w, h, c.from, cw, ch, c.h_pos, c.v_pos);
        const uint32_t under = drawn_at(src, w, h, before, c.px, c.py);
        const PreviewAnchor a = preview_anchor_at(before, w, h, c.px, c.py);
        const PreviewScroll s = preview_scroll_keeping(a, w, h, c.to, cw, ch, c.px, c.py);
        const PreviewPlacement after = preview_place(w, h, c.to, cw, ch, s.h_pos, s.v_pos);
        EXPECT_EQ(s.h_pos, after.h_pos) << "inside the range";
        EXPECT_EQ(under, drawn_at(src, w, h, after, c.px, c.py)) << c.from << " -> " << c.to;
    }
}

TEST(PreviewZoomFit, PicksTheLargestStepThatFits)
{
    struct Case {
        int w, h, cw, ch;
        float expected;
    };
    const Case cases[] = {
        {32, 32, 1280, 800, 16.0f},        // 512 fits, 1024 does not
        {4096, 4096, 1280, 800, 0.125f},   // 512 fits, 1024 does not
        {320, 200, 1280, 800, 4.0f},       // 1280 x 800 exactly
        {1, 1, 1280, 800, 64.0f},          // the top step
        {32768, 32768, 1280, 800, 0.02f},  // 1/32 is too big: the floor
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(c.expected, preview_fit_zoom(c.w, c.h, c.cw, c.ch)) << c.w << " x " << c.h;
}

TEST(PreviewCanvas, FramesOfDifferentSizesShareTheirOriginPoint)
{
    const PreviewFrameBox frames[] = {{64, 48, 10, 40}, {30, 100, 15, 90}, {8, 8, 0, 0}};
    const PreviewCanvas c = preview_canvas_of(frames, 3);
    // Around the common point: [-10, 54) x [-40, 8), [-15, 15) x [-90, 10)
    // and [0, 8) x [0, 8).
    EXPECT_EQ(69, c.w);
    EXPECT_EQ(100, c.h);
    ASSERT_EQ(3u, c.offsets.size());
    EXPECT_EQ(5, c.offsets[0].x);
    EXPECT_EQ(50, c.offsets[0].y);
    EXPECT_EQ(0, c.offsets[1].x);
    EXPECT_EQ(0, c.offsets[1].y);
    EXPECT_EQ(15, c.origin.x);
    EXPECT_EQ(90, c.origin.y);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(15, c.offsets[i].x + frames[i].origin_x) << i;
        EXPECT_EQ(90, c.offsets[i].y + frames[i].origin_y) << i;
    }
    // A hostile origin cannot overflow the canvas.
    const PreviewFrameBox hostile[] = {{64, 48, INT_MAX, INT_MIN}, {30, 100, INT_MIN, 0}};
    const PreviewCanvas h = preview_canvas_of(hostile, 2);
    EXPECT_GT(h.w, 0);
    EXPECT_LE(h.w, 64 + 30 + 2 * PREVIEW_ORIGIN_LIMIT);
    EXPECT_LE(h.h, 148 + 2 * PREVIEW_ORIGIN_LIMIT);
    EXPECT_EQ(0, preview_canvas_of(nullptr, 0).w);
}

// A picture word: bytes red, green, blue, alpha in memory.
uint32_t rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    const uint8_t c[4] = {r, g, b, a};
    uint32_t word;
    std::memcpy(&word, c, 4);
    return word;
}
// A composed word.
constexpr uint32_t argb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }

TEST(PreviewCompose, CheckerboardUnderAlphaZeroGridFromZoomEightAndEmptyCanvas)
{
    // A 4 x 4 frame: red, opaque, but for transparent (0, 0) and (2, 1),
    // whose colour is green.
    std::vector<uint32_t> frame(16, rgba(255, 0, 0, 255));
    frame[0] = rgba(0, 255, 0, 0);
    frame[1 * 4 + 2] = rgba(0, 255, 0, 0);
    const PreviewImage image{frame.data(), 4, 4, 4};
    const uint32_t light = argb(PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT);
    const uint32_t dark = argb(PREVIEW_CHECKER_DARK, PREVIEW_CHECKER_DARK, PREVIEW_CHECKER_DARK);
    const uint32_t red = argb(255, 0, 0), green = argb(0, 255, 0), empty = argb(171, 171, 171);
    const uint32_t lined_red = argb(255, 127, 127); // a dark colour mixed halfway with white
    struct Probe {
        int x, y;
        uint32_t expected;
    };
    struct Case {
        float zoom;
        bool checkerboard, grid;
        int frame_x, frame_y, canvas_w, canvas_h;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        // Zoom 4: pixel (0, 0) covers the light square at (0..3, 0..3),
        // pixel (2, 1) the dark one at (8..11, 4..7).
        {4, true, false, 0, 0, 4, 4, {{0, 0, light}, {3, 3, light}, {4, 0, red}, {9, 5, dark}, {12, 5, red}}},
        {4, false, true, 0, 0, 4, 4, {{0, 0, green}, {9, 5, green}, {4, 0, red}}}, // no grid below zoom 8
        // Zoom 8: the grid marks the first column and row of every pixel but
        // the frame's first.
        {8, false, true, 0, 0, 4, 4,
         {{8, 3, lined_red}, {9, 9, red}, {3, 8, lined_red}, {0, 0, green}, {15, 15, red}, {15, 16, lined_red}}},
        // In a 6 x 5 canvas, the frame at (2, 1): the rest is checkerboard,
        // or workspace without it.
        {2, true, false, 2, 1, 6, 5, {{0, 0, light}, {1, 9, dark}, {4, 2, light}, {6, 2, red}}},
        {2, false, false, 2, 1, 6, 5, {{0, 0, empty}, {1, 9, empty}, {4, 2, green}}},
    };
    for (const Case &c : cases) {
        // A client as large as the zoomed canvas: no bars, no margin.
        const int cw = preview_scaled_size(c.canvas_w, c.zoom), ch = preview_scaled_size(c.canvas_h, c.zoom);
        const PreviewPlacement p = preview_place(c.canvas_w, c.canvas_h, c.zoom, cw, ch, 0, 0);
        ASSERT_EQ(0, p.x0);
        const PreviewRect part = preview_visible_part(p, cw, ch);
        PreviewPaint paint;
        paint.checkerboard = c.checkerboard;
        paint.grid = c.grid;
        paint.zoom = c.zoom;
        paint.empty = empty;
        std::vector<uint32_t> out(static_cast<size_t>(part.w) * part.h, 0xDEADBEEF);
        preview_compose_part(image, c.frame_x, c.frame_y, c.canvas_w, c.canvas_h, p, part, paint, out.data(), part.w);
        for (const Probe &probe : c.probes)
            EXPECT_EQ(probe.expected, out[static_cast<size_t>(probe.y) * part.w + probe.x])
                << "zoom " << c.zoom << " at " << probe.x << ", " << probe.y;
    }
}

// A sky is its front half over its back half, the front's index 0 letting
// the back through; only "sky" names of the 2:1 shape and '*' names change.
TEST(PreviewGameEffect, SkyLaysItsFrontHalfOverItsBack)
{
    EXPECT_EQ(GameEffect::Sky, preview_game_effect("sky4", 256, 128));
    EXPECT_EQ(GameEffect::None, preview_game_effect("sky4", 128, 128));
    EXPECT_EQ(GameEffect::None, preview_game_effect("SKY4", 256, 128)); // the engine's test is lower case
    EXPECT_EQ(GameEffect::Liquid, preview_game_effect("*lava1", 64, 64));
    EXPECT_EQ(GameEffect::None, preview_game_effect("+0lava", 64, 64));
    // 4 x 2: front (left) indexes 0 3 / 5 0, back (right) words 10 11 / 12 13.
    const uint32_t picture[] = {100, 103, 10, 11, 105, 100, 12, 13};
    const uint8_t indexes[] = {0, 3, 9, 9, 5, 0, 9, 9};
    int w = 0, h = 0;
    const std::vector<uint32_t> sky =
        preview_apply_game_effect(GameEffect::Sky, picture, 4, 2, 4, indexes, &w, &h);
    ASSERT_EQ(2, w);
    ASSERT_EQ(2, h);
    EXPECT_EQ((std::vector<uint32_t>{10, 103, 105, 13}), sky);
}

} // namespace
