// Toolkit-free parts of the main window: caption, layout and playback.
#include <gtest/gtest.h>

#include "app/logic/layout.h"
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
