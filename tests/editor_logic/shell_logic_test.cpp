// Toolkit-free parts of the main window: caption, layout and playback.
#include <gtest/gtest.h>

#include <vector>

#include "views/logic/dialog_placement.h"
#include "views/logic/layout.h"
#include "app/logic/playback.h"
#include "app/logic/title.h"
#include "document/animation.h"
#include "support/test_support.h"

namespace {

TEST(Title, ShowsNameAndZoom)
{
    EXPECT_EQ("Vorn - /tmp/s.spr [100%]", title_text("/tmp/s.spr", false, 1.0f));
    EXPECT_EQ("Vorn - /tmp/s.spr* [400%]", title_text("/tmp/s.spr", true, 4.0f));
}

TEST(Title, ModifiedUnnamedDocumentAtHalfZoom)
{
    EXPECT_EQ("Vorn - * [50%]", title_text("", true, 0.5f));
}

TEST(Title, SmallestZoomShowsTwoPercent)
{
    // 0.02 is not exact in binary; the percentage must still read 2.
    EXPECT_EQ("Vorn - a [2%]", title_text("a", false, 0.02f));
    EXPECT_EQ("Vorn - a [6400%]", title_text("a", false, 64.0f));
}

TEST(Layout, BothBarsShown)
{
    const MainLayout l = layout_main_window_rects(600, 400, true, true);
    EXPECT_EQ(30, l.preview.y);
    EXPECT_EQ(400 - 30 - 30 - 20, l.preview.h);
    EXPECT_EQ(400 - 28 - 20, l.slider.y);
    EXPECT_EQ(600 - 198, l.slider.w);
    EXPECT_EQ(600 - 198, l.selector.x);
    EXPECT_EQ(l.slider.y, l.selector.y);
    EXPECT_EQ(198, l.selector.w);
    EXPECT_EQ(380, l.status.y);
    EXPECT_EQ(600, l.status.w);
    EXPECT_TRUE(l.toolbar_visible);
    EXPECT_TRUE(l.status_visible);
}

TEST(Layout, HidingTheStatusBarMovesTheRowTwentyPixelsDown)
{
    const MainLayout shown = layout_main_window_rects(600, 400, true, true);
    const MainLayout hidden = layout_main_window_rects(600, 400, true, false);
    EXPECT_EQ(shown.slider.y + 20, hidden.slider.y);
    EXPECT_EQ(shown.selector.y + 20, hidden.selector.y);
    EXPECT_EQ(shown.preview.h + 20, hidden.preview.h);
    EXPECT_FALSE(hidden.status_visible);
}

TEST(Layout, HidingTheToolbarMovesThePreviewUpAndMakesItTaller)
{
    const MainLayout shown = layout_main_window_rects(600, 400, true, true);
    const MainLayout hidden = layout_main_window_rects(600, 400, false, true);
    EXPECT_EQ(0, hidden.preview.y);
    EXPECT_EQ(shown.preview.h + 30, hidden.preview.h);
    EXPECT_EQ(shown.slider.y, hidden.slider.y);
    EXPECT_FALSE(hidden.toolbar_visible);
}

TEST(Layout, TinyWindowGivesNoNegativeSizes)
{
    const MainLayout l = layout_main_window_rects(50, 40, true, true);
    EXPECT_EQ(0, l.preview.h);
    EXPECT_EQ(0, l.slider.w);
    EXPECT_GE(l.selector.x, 0);
}

TEST(Layout, GroupBrowserTakesAColumnLeftOfThePreview)
{
    struct Case {
        int w, h;
        bool toolbar, statusbar;
        LayoutRect browser, preview;
    };
    const Case cases[] = {
        {600, 400, true, true, {0, 30, 220, 320}, {220, 30, 380, 320}},
        {600, 400, false, false, {0, 0, 220, 370}, {220, 0, 380, 370}},
        {220, 400, true, true, {0, 30, 220, 320}, {220, 30, 0, 320}}, // exactly the panel
        {100, 40, true, true, {0, 30, 100, 0}, {100, 30, 0, 0}},      // narrower than the panel
        {-5, -5, false, true, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        const MainLayout with = layout_main_window_rects(c.w, c.h, c.toolbar, c.statusbar, true);
        const MainLayout without = layout_main_window_rects(c.w, c.h, c.toolbar, c.statusbar, false);
        const LayoutRect *rects[] = {&with.browser, &with.preview};
        const LayoutRect *expected[] = {&c.browser, &c.preview};
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(expected[i]->x, rects[i]->x) << c.w << "x" << c.h << " part " << i;
            EXPECT_EQ(expected[i]->y, rects[i]->y) << c.w << "x" << c.h << " part " << i;
            EXPECT_EQ(expected[i]->w, rects[i]->w) << c.w << "x" << c.h << " part " << i;
            EXPECT_EQ(expected[i]->h, rects[i]->h) << c.w << "x" << c.h << " part " << i;
        }
        EXPECT_TRUE(with.browser_visible);
        EXPECT_FALSE(without.browser_visible);
        // The rest of the window does not move.
        EXPECT_EQ(without.slider.w, with.slider.w);
        EXPECT_EQ(without.selector.x, with.selector.x);
        EXPECT_EQ(without.status.y, with.status.y);
        EXPECT_EQ(without.preview.w, with.browser.w + with.preview.w);
    }
}

TEST(Layout, FrameStripTakesARowUnderThePreviewBesideTheBrowser)
{
    struct Case {
        int h;
        bool browser;
        LayoutRect strip;
        int preview_h;
    };
    const Case cases[] = {
        {400, false, {0, 254, 600, 96}, 224},
        {400, true, {220, 254, 380, 96}, 224},
        {120, false, {0, 30, 600, 40}, 0}, // too low: the strip takes what there is
    };
    for (const Case &c : cases) {
        const MainLayout l = layout_main_window_rects(600, c.h, true, true, c.browser, true);
        const MainLayout without = layout_main_window_rects(600, c.h, true, true, c.browser, false);
        EXPECT_TRUE(l.strip_visible);
        EXPECT_EQ((std::vector<int>{c.strip.x, c.strip.y, c.strip.w, c.strip.h}),
                  (std::vector<int>{l.strip.x, l.strip.y, l.strip.w, l.strip.h}))
            << c.h;
        EXPECT_EQ(c.preview_h, l.preview.h);
        EXPECT_EQ(without.preview.h, l.preview.h + l.strip.h);
        EXPECT_EQ(without.slider.y, l.slider.y);
        EXPECT_EQ(without.browser.h, l.browser.h);
    }
}

TEST(DialogPlacement, CentredOnTheMainWindowAndKeptOnTheScreen)
{
    const LayoutRect screen{0, 0, 1280, 800};
    struct Case {
        LayoutRect anchor;
        int w, h;
        LayoutRect screen;
        int x, y;
    };
    const Case cases[] = {
        {{100, 100, 640, 440}, 300, 200, screen, 270, 220},
        {{100, 100, 640, 441}, 300, 200, screen, 270, 220},    // odd room rounds down
        {{-500, -300, 640, 440}, 300, 200, screen, 0, 0},      // main window partly off screen
        {{1000, 600, 640, 440}, 300, 200, screen, 980, 600},   // off the bottom right
        {{100, 100, 640, 440}, 2000, 1000, screen, 0, 0},      // larger than the screen: top left wins
        {{100, 100, 200, 100}, 400, 300, screen, 0, 0},        // larger than the main window
        {{1300, 100, 640, 440}, 300, 200, {1280, 0, 1920, 1080}, 1470, 220}, // second screen
        {{100, 100, 640, 440}, -3, -3, screen, 420, 320},      // no size
    };
    for (const Case &c : cases) {
        const LayoutRect r = centred_rect(c.anchor, c.w, c.h, c.screen);
        EXPECT_EQ(c.x, r.x) << c.anchor.x << "," << c.anchor.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(c.y, r.y) << c.anchor.x << "," << c.anchor.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(c.w < 0 ? 0 : c.w, r.w);
        EXPECT_EQ(c.h < 0 ? 0 : c.h, r.h);
    }
}

TEST(DialogPlacement, BesideThePreviewWhereItCoversLeastOfIt)
{
    const LayoutRect screen{0, 0, 1280, 800};
    const LayoutRect window{100, 100, 640, 440};
    const LayoutRect preview{110, 160, 620, 330}; // right 730, bottom 490
    struct Case {
        LayoutRect main, preview;
        int w, h;
        LayoutRect screen;
        int x, y;
    };
    const Case cases[] = {
        {window, preview, 300, 100, screen, 738, 160},                 // room at the right
        {{600, 100, 640, 440}, {610, 160, 620, 330}, 300, 100, screen, 302, 160}, // only at the left
        // Maximised, the browser at the left narrower than the dialog:
        // below covers the least.
        {screen, {100, 30, 1180, 700}, 300, 100, screen, 100, 700},
        // Maximised with room at the left, over the browser.
        {screen, {220, 30, 1060, 700}, 200, 100, screen, 12, 30},
        // Covered whichever way: the top right corner, away from the middle.
        {screen, screen, 300, 100, screen, 980, 0},
        {window, {110, 160, 0, 0}, 300, 100, screen, 270, 270},        // no preview: centred
        {{1400, 100, 640, 440}, {1410, 160, 620, 330}, 300, 100, {1280, 0, 1920, 1080}, 2038, 160}, // second screen
        {window, preview, 2000, 1000, screen, 0, 0},                   // larger than the screen
    };
    for (const Case &c : cases) {
        const LayoutRect r = beside_rect(c.main, c.preview, c.w, c.h, c.screen);
        EXPECT_EQ(c.x, r.x) << c.preview.x << "," << c.preview.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(c.y, r.y) << c.preview.x << "," << c.preview.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(c.w, r.w);
        EXPECT_EQ(c.h, r.h);
    }
}

class Playback : public CoreTest {
protected:
    // One group of `durations.size()` frames; a negative duration leaves
    // the property out.
    void make_group(const std::vector<float> &durations)
    {
        Group *g = anim_add_group(&anim, "g");
        group_reset_frames(g, static_cast<int>(durations.size()));
        for (size_t i = 0; i < durations.size(); ++i)
            if (durations[i] >= 0)
                props_set_float(&g->frames[i].props, "Duration", durations[i]);
    }
};

TEST_F(Playback, EachFrameIsShownForItsOwnDurationThenItWraps)
{
    make_group({0.1f, 0.5f, -1.0f});
    int frame = 0;
    EXPECT_EQ(100, playback_start(&anim, 0, frame)); // the current frame's own duration first
    EXPECT_EQ(500, playback_tick(&anim, 0, &frame, false));
    EXPECT_EQ(1, frame);
    EXPECT_EQ(100, playback_tick(&anim, 0, &frame, false)); // no Duration: 100 ms
    EXPECT_EQ(2, frame);
    EXPECT_EQ(100, playback_tick(&anim, 0, &frame, false));
    EXPECT_EQ(0, frame);
}

TEST_F(Playback, QuarterSecondDuration)
{
    make_group({0.25f, 0.0f});
    EXPECT_EQ(250, playback_start(&anim, 0, 0));
    int frame = 0;
    EXPECT_EQ(100, playback_tick(&anim, 0, &frame, false)); // zero duration: 100 ms
}

TEST_F(Playback, OddDurationsFallBackOrAreHeld)
{
    make_group({-0.5f, 1e30f, 0.0004f});
    props_set_float(&anim.groups[0].frames[0].props, "Duration", -0.5f);
    EXPECT_EQ(100, playback_interval(&anim.groups[0].frames[0]));
    EXPECT_EQ(2147483647, playback_interval(&anim.groups[0].frames[1]));
    EXPECT_EQ(100, playback_interval(&anim.groups[0].frames[2])); // truncates to 0 ms
}

TEST_F(Playback, SingleFrameGroupDoesNotPlay)
{
    make_group({0.2f});
    int frame = 0;
    EXPECT_EQ(0, playback_start(&anim, 0, 0));
    EXPECT_EQ(0, playback_tick(&anim, 0, &frame, false));
    EXPECT_EQ(0, frame);
}

TEST_F(Playback, TickStopsWhileAFileOperationRunsOrWithoutAGroup)
{
    make_group({0.2f, 0.2f});
    int frame = 0;
    EXPECT_EQ(0, playback_tick(&anim, 0, &frame, true));
    EXPECT_EQ(0, frame);
    EXPECT_EQ(0, playback_tick(&anim, 1, &frame, false));
    EXPECT_EQ(0, playback_tick(&anim, -1, &frame, false));
    EXPECT_EQ(0, playback_start(&anim, 0, 5)); // no such frame
}

TEST_F(Playback, DeletingFramesDownToOneStopsAtTheNextTick)
{
    make_group({0.2f, 0.2f, 0.2f});
    int frame = 1;
    EXPECT_GT(playback_tick(&anim, 0, &frame, false), 0);
    group_delete_frame(&anim.groups[0], 2);
    group_delete_frame(&anim.groups[0], 1);
    EXPECT_EQ(0, playback_tick(&anim, 0, &frame, false));
}

TEST_F(Playback, OutOfRangeCurrentFrameWrapsToTheFirst)
{
    make_group({0.3f, 0.4f});
    int frame = 7;
    EXPECT_EQ(300, playback_tick(&anim, 0, &frame, false));
    EXPECT_EQ(0, frame);
}

} // namespace
