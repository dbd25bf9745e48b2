// The preview control on the offscreen platform: centring, scroll bars,
// alpha view, origin mode with its cross-hair and clicks, huge zooms.
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/document_view.h"
#include "app/commands/paint_commands.h"
#include "app/logic/command_ids.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "document/document_state.h"
#include "document/props.h"
#include "formats/format_table.h"
#include "editor_fixture.h"
#include "image/host_table.h"
#include "image/quake_palette.h"
#include "quake/colormap.h"
#include "views/logic/game_lighting.h"
#include "views/logic/preview_logic.h"
#include "views/preview_widget.h"

namespace {

class PreviewTest : public EditorTest {
protected:
    // A document of one group with one w x h RGBA frame of colour `rgba`.
    Frame &make_frame(int w, int h, std::array<uint8_t, 4> rgba = {200, 100, 50, 255})
    {
        DocumentState &doc = doc_state();
        Group *g = anim_add_group(&doc.animation, "g");
        group_reset_frames(g, 1);
        host().bind_image(g->frames[0].image);
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < pixels.size(); i += 4)
            std::copy(rgba.begin(), rgba.end(), pixels.begin() + static_cast<long>(i));
        set_rgba_pixels(w, h, pixels);
        doc_fill_group_list(0);
        doc_update_commands();
        window->preview_refresh();
        pump();
        return g->frames[0];
    }
    // A one-group document of RGBA frames of the given sizes, colours and
    // origins; frame i has colour colours[i].
    struct FrameSpec {
        int w, h;
        std::array<uint8_t, 4> rgba;
        int origin_x, origin_y;
    };
    void make_frames(const std::vector<FrameSpec> &specs)
    {
        DocumentState &doc = doc_state();
        Group *g = anim_add_group(&doc.animation, "g");
        group_reset_frames(g, static_cast<int>(specs.size()));
        for (size_t i = 0; i < specs.size(); ++i) {
            const FrameSpec &f = specs[i];
            host().bind_image(g->frames[i].image);
            std::vector<uint8_t> pixels(static_cast<size_t>(f.w) * f.h * 4);
            for (size_t p = 0; p < pixels.size(); p += 4)
                std::copy(f.rgba.begin(), f.rgba.end(), pixels.begin() + static_cast<long>(p));
            set_rgba_pixels(f.w, f.h, pixels);
            props_set_int(&g->frames[i].props, "Origin X", f.origin_x, PROPERTY_INTEGER);
            props_set_int(&g->frames[i].props, "Origin Y", f.origin_y, PROPERTY_INTEGER);
        }
        doc_fill_group_list(0);
        doc_update_commands();
        window->preview_refresh();
        pump();
    }
    // A w x h RGBA frame whose pixel (x, y) has colour (x, y, 77).
    void make_gradient(int w, int h)
    {
        make_frame(w, h);
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t *p = pixels.data() + (static_cast<size_t>(y) * w + x) * 4;
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = 77;
                p[3] = 255;
            }
        host().bind_image(doc_state().animation.groups[0].frames[0].image);
        set_rgba_pixels(w, h, pixels);
        window->preview_refresh();
        pump();
    }
    QRgb centre_colour()
    {
        return preview().render_view().pixel(preview().viewport()->width() / 2, preview().viewport()->height() / 2);
    }
    void ctrl_wheel(int x, int y, int delta)
    {
        QWheelEvent wheel(QPointF(x, y), preview().viewport()->mapToGlobal(QPointF(x, y)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(preview().viewport(), &wheel);
    }
    PreviewWidget &preview() { return *window->preview(); }
    // Sizes the preview's viewport to w x h (the bars may take some of it).
    void size_viewport(int w, int h)
    {
        window->preview()->resize(w, h);
        pump();
    }
    void mouse(QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(type, QPointF(x, y), preview().viewport()->mapToGlobal(QPointF(x, y)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
        QCoreApplication::sendEvent(preview().viewport(), &event);
    }
    void click(int x, int y)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), preview().viewport()->mapToGlobal(QPointF(x, y)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(preview().viewport(), &press);
    }
};

TEST_F(PreviewTest, SmallFrameIsCentredWithTheOddPixelRight)
{
    open_window();
    make_frame(10, 6);
    size_viewport(25, 20);
    const PreviewPlacement p = preview().placement();
    EXPECT_EQ(7, p.x0); // spare 15: 7 left, 8 right
    EXPECT_EQ(7, p.y0);
    EXPECT_FALSE(preview().horizontalScrollBar()->isVisible());
    const QImage view = preview().render_view();
    EXPECT_EQ(qRgb(200, 100, 50), view.pixel(7, 7));
    EXPECT_EQ(qRgb(200, 100, 50), view.pixel(16, 12));
    EXPECT_NE(qRgb(200, 100, 50), view.pixel(6, 7));
    EXPECT_NE(qRgb(200, 100, 50), view.pixel(17, 7));
}

TEST_F(PreviewTest, ZoomFourGivesScrollBarsWithPixelLinesAndClientPages)
{
    open_window();
    make_frame(100, 100);
    size_viewport(200, 200);
    window->command(IDM_ZOOM_IN);
    window->command(IDM_ZOOM_IN);
    ASSERT_FLOAT_EQ(4.0f, preview_zoom);
    pump();
    QScrollBar *h = preview().horizontalScrollBar();
    ASSERT_TRUE(h->isVisible());
    const int cw = preview().viewport()->width();
    EXPECT_EQ(0, h->minimum());
    EXPECT_EQ(400 - cw, h->maximum());
    EXPECT_EQ(1, h->singleStep());
    EXPECT_EQ(cw, h->pageStep());
    h->setValue(37);
    EXPECT_EQ(-37, preview().placement().x0);
    window->command(IDM_ZOOM_100); // the picture fits again: no scrolling
    EXPECT_EQ(0, h->value());
    pump();
    EXPECT_FALSE(h->isVisible());
}

TEST_F(PreviewTest, VerticalBarThatNarrowsThePictureOutCallsForTheHorizontalOne)
{
    open_window();
    size_viewport(200, 200);
    const int bar = preview().verticalScrollBar()->sizeHint().width();
    ASSERT_GT(bar, 2);
    make_frame(200 - bar / 2, 300); // fits the width only without the vertical bar
    QScrollBar *h = preview().horizontalScrollBar();
    QScrollBar *v = preview().verticalScrollBar();
    EXPECT_TRUE(v->isVisible());
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(200 - bar / 2 - preview().viewport()->width(), h->maximum());
    EXPECT_EQ(300 - preview().viewport()->height(), v->maximum());
}

TEST_F(PreviewTest, HugeZoomOnlyRendersTheVisiblePart)
{
    open_window();
    make_frame(2048, 2048, {10, 20, 30, 255});
    size_viewport(300, 200);
    for (int i = 0; i < 6; ++i)
        window->command(IDM_ZOOM_IN);
    ASSERT_FLOAT_EQ(64.0f, preview_zoom);
    pump();
    EXPECT_EQ(131072 - preview().viewport()->width(), preview().horizontalScrollBar()->maximum());
    preview().horizontalScrollBar()->setValue(preview().horizontalScrollBar()->maximum());
    const QImage view = preview().render_view();
    EXPECT_EQ(preview().viewport()->size(), view.size());
    EXPECT_EQ(qRgb(10, 20, 30), view.pixel(view.width() - 1, 0));
}

TEST_F(PreviewTest, AlphaViewShowsTheAlphaChannelAsGrey)
{
    open_window();
    make_frame(4, 4, {255, 0, 0, 64});
    EXPECT_EQ(qRgb(255, 0, 0), preview().render_view().pixel(preview().placement().x0, preview().placement().y0));
    window->command(IDM_VIEW_ALPHA);
    EXPECT_TRUE(window->menu_action(IDM_VIEW_ALPHA)->isChecked());
    EXPECT_TRUE(window->toolbar_action(IDM_VIEW_ALPHA)->isChecked());
    const QImage view = preview().render_view();
    EXPECT_EQ(qRgb(64, 64, 64), view.pixel(preview().placement().x0, preview().placement().y0));
    // The frame itself is untouched.
    EXPECT_EQ(32, (host().bind_image(doc_state().animation.groups[0].frames[0].image), host().image_type()));
}

TEST_F(PreviewTest, RgbFrameShowsWhiteInAlphaView)
{
    open_window();
    Frame &f = make_frame(3, 3, {1, 2, 3, 255});
    host().bind_image(f.image);
    host().convert_image(IMAGE_RGB);
    window->command(IDM_VIEW_ALPHA);
    EXPECT_EQ(qRgb(255, 255, 255), preview().render_view().pixel(preview().placement().x0, preview().placement().y0));
}

TEST_F(PreviewTest, OriginModeDrawsTheCrossHairThroughTheOriginPixel)
{
    open_window();
    Frame &f = make_frame(10, 10, {255, 255, 255, 255});
    props_set_int(&f.props, "Origin X", 3, PROPERTY_INTEGER);
    props_set_int(&f.props, "Origin Y", 6, PROPERTY_INTEGER);
    size_viewport(60, 60);
    window->command(IDM_ZOOM_IN);
    window->command(IDM_ZOOM_IN);
    window->command(IDM_ORIGIN_MODE);
    EXPECT_TRUE(window->toolbar_action(IDM_ORIGIN_MODE)->isChecked());
    EXPECT_EQ(Qt::CrossCursor, preview().viewport()->cursor().shape());
    const PreviewPlacement p = preview().placement();
    const QImage view = preview().render_view();
    const int x = p.x0 + 14, y = p.y0 + 26; // (3 + 0.5) * 4 and (6 + 0.5) * 4
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(x, 0));              // spans the whole control
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(x, view.height() - 1));
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(0, y));
    EXPECT_EQ(qRgb(255, 255, 255), view.pixel(x + 1, p.y0 + 1));
    window->command(IDM_ORIGIN_MODE);
    EXPECT_EQ(Qt::ArrowCursor, preview().viewport()->cursor().shape());
    EXPECT_EQ(qRgb(255, 255, 255), preview().render_view().pixel(x, p.y0 + 1));
}

TEST_F(PreviewTest, OriginClickAtZoomTwoSetsTheOriginUndoably)
{
    open_window();
    make_frame(30, 30);
    size_viewport(60, 60); // exactly the zoomed size: no bars, x0 = y0 = 0
    window->command(IDM_ZOOM_IN);
    window->command(IDM_ORIGIN_MODE);
    pump();
    ASSERT_EQ(0, preview().placement().x0);
    ASSERT_EQ(0, preview().placement().y0);
    click(5, 9);
    const PropertyList *props = &doc_state().animation.groups[0].frames[0].props;
    EXPECT_EQ(2, props_get_int(props, "Origin X"));
    EXPECT_EQ(4, props_get_int(props, "Origin Y"));
    EXPECT_TRUE(doc_state().modified);
    EXPECT_TRUE(window->menu_action(IDM_UNDO)->isEnabled());
    window->command(IDM_UNDO);
    props = &doc_state().animation.groups[0].frames[0].props;
    EXPECT_EQ(0, props_find(props, "Origin X"));
}

TEST_F(PreviewTest, ClicksOutsideThePictureOrOutsideOriginModeAreIgnored)
{
    open_window();
    make_frame(10, 10);
    size_viewport(60, 60);
    window->command(IDM_ZOOM_IN); // 20 x 20 at (20, 20)
    pump();
    click(25, 25); // origin mode is off
    window->command(IDM_ORIGIN_MODE);
    click(40, 25); // one past the right edge
    click(19, 25);
    EXPECT_FALSE(doc_state().modified);
    EXPECT_EQ(0, props_find(&doc_state().animation.groups[0].frames[0].props, "Origin X"));
    click(20, 39); // first column, last row
    EXPECT_EQ(0, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin X"));
    EXPECT_EQ(9, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin Y"));
}

TEST_F(PreviewTest, GroupWithoutFramesShowsItsStatus)
{
    open_window();
    anim_add_group(&doc_state().animation, "empty");
    doc_fill_group_list(0);
    window->preview_refresh();
    pump();
    EXPECT_EQ("Current group contains no frames.", status_text());
    EXPECT_TRUE(preview().picture().isNull());
}

TEST_F(PreviewTest, ZoomKeepsTheCentreCtrlWheelThePointerPixelAndFitShowsTheWholeFrame)
{
    open_window();
    make_gradient(200, 150);
    size_viewport(300, 200);
    const QRgb centre = centre_colour();
    for (int id : {IDM_ZOOM_IN, IDM_ZOOM_IN, IDM_ZOOM_IN, IDM_ZOOM_OUT}) {
        window->command(id);
        pump();
        EXPECT_EQ(centre, centre_colour()) << "zoom " << preview_zoom;
    }
    ASSERT_FLOAT_EQ(4.0f, preview_zoom);
    ASSERT_TRUE(preview().horizontalScrollBar()->isVisible());

    const QRgb under = preview().render_view().pixel(40, 30);
    ctrl_wheel(40, 30, 120);
    EXPECT_FLOAT_EQ(8.0f, preview_zoom);
    EXPECT_EQ(under, preview().render_view().pixel(40, 30));
    EXPECT_NE(std::string::npos, title().find("[800%]"));
    ctrl_wheel(40, 30, -120);
    EXPECT_FLOAT_EQ(4.0f, preview_zoom);
    EXPECT_EQ(under, preview().render_view().pixel(40, 30));

    // Ctrl+= is a second key of Zoom In.
    EXPECT_TRUE(window->menu_action(IDM_ZOOM_IN)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+="))));

    size_viewport(900, 700);
    window->command(IDM_ZOOM_FIT);
    pump();
    EXPECT_FLOAT_EQ(4.0f, preview_zoom); // 800 x 600; 8 would be 1600 wide
    EXPECT_FALSE(preview().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(preview().verticalScrollBar()->isVisible());
    EXPECT_NE(std::string::npos, title().find("[400%]"));
}

TEST_F(PreviewTest, QuakePaletteTransparentIndexShowsTheCheckerboardUnlessOffOrInAlphaView)
{
    open_window();
    EXPECT_TRUE(window->menu_action(IDM_CHECKERBOARD)->isChecked());
    EXPECT_FALSE(window->menu_action(IDM_PIXEL_GRID)->isChecked());
    EXPECT_FALSE(window->menu_action(IDM_ALIGN_FRAMES)->isChecked());
    std::vector<uint8_t> palette(1024);
    ASSERT_EQ(256, palette_file_load(data_path("palette/librequake_palette.lmp").c_str(), palette.data()));
    ASSERT_EQ(0, palette[255 * 4 + 3]);
    // The top half is index 255, the bottom half index 5.
    std::vector<uint8_t> indexes(16 * 16, 5);
    std::fill(indexes.begin(), indexes.begin() + 16 * 8, 255);
    Frame &f = make_frame(16, 16);
    host().bind_image(f.image);
    set_indexed_pixels(16, 16, indexes, palette);
    window->preview_refresh();
    const int x0 = preview().placement().x0, y0 = preview().placement().y0;
    const QRgb opaque = qRgb(palette[5 * 4], palette[5 * 4 + 1], palette[5 * 4 + 2]);
    const QRgb transparent = qRgb(palette[255 * 4], palette[255 * 4 + 1], palette[255 * 4 + 2]);
    const QRgb light = qRgb(PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT);
    const QRgb dark = qRgb(PREVIEW_CHECKER_DARK, PREVIEW_CHECKER_DARK, PREVIEW_CHECKER_DARK);
    QImage view = preview().render_view();
    EXPECT_EQ(light, view.pixel(x0 + 1, y0 + 1));
    EXPECT_EQ(dark, view.pixel(x0 + 9, y0 + 7)); // the next square
    EXPECT_EQ(opaque, view.pixel(x0 + 1, y0 + 9));

    window->command(IDM_CHECKERBOARD);
    EXPECT_FALSE(window->menu_action(IDM_CHECKERBOARD)->isChecked());
    EXPECT_EQ(0, settings().checkerboard);
    EXPECT_EQ(transparent, preview().render_view().pixel(x0 + 1, y0 + 1));
    window->command(IDM_CHECKERBOARD);
    EXPECT_EQ(light, preview().render_view().pixel(x0 + 1, y0 + 1));

    // Alpha view shows the alpha as grey, without a checkerboard.
    window->command(IDM_VIEW_ALPHA);
    view = preview().render_view();
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(x0 + 1, y0 + 1));
    EXPECT_EQ(qRgb(255, 255, 255), view.pixel(x0 + 1, y0 + 9));
    window->command(IDM_VIEW_ALPHA);

    // A palette without one opaque entry (as version 2 sprites carry) says
    // nothing about transparency: its colours are shown.
    for (int i = 0; i < 256; ++i)
        palette[i * 4 + 3] = 0;
    host().bind_image(f.image);
    set_indexed_pixels(16, 16, indexes, palette);
    window->preview_refresh();
    EXPECT_EQ(transparent, preview().render_view().pixel(x0 + 1, y0 + 1));
}

TEST_F(PreviewTest, AlignedFramesShareTheOriginPointAndClicksReachTheCurrentFrame)
{
    open_window();
    size_viewport(200, 200);
    const std::array<uint8_t, 4> a = {250, 0, 0, 255}, b = {0, 0, 250, 255};
    make_frames({{64, 48, a, 10, 40}, {30, 100, b, 15, 90}});
    EXPECT_EQ(64, preview().placement().dw);
    window->command(IDM_ALIGN_FRAMES);
    EXPECT_TRUE(window->menu_action(IDM_ALIGN_FRAMES)->isChecked());
    EXPECT_EQ(1, settings().align_frames);
    // The canvas: 69 x 100; frame 0 at (5, 50), frame 1 at (0, 0), both
    // origins at (15, 90).
    const PreviewPlacement p = preview().placement();
    EXPECT_EQ(69, p.dw);
    EXPECT_EQ(100, p.dh);
    QImage view = preview().render_view();
    EXPECT_EQ(qRgb(250, 0, 0), view.pixel(p.x0 + 15, p.y0 + 90));
    EXPECT_EQ(qRgb(250, 0, 0), view.pixel(p.x0 + 5, p.y0 + 50));
    const QRgb light = qRgb(PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT, PREVIEW_CHECKER_LIGHT);
    EXPECT_EQ(light, view.pixel(p.x0 + 4, p.y0 + 49)); // canvas beside frame 0

    doc_state().current_frame = 1;
    window->preview_refresh();
    window->command(IDM_ORIGIN_MODE);
    const PreviewPlacement q = preview().placement();
    EXPECT_EQ(p.x0, q.x0);
    EXPECT_EQ(p.y0, q.y0);
    view = preview().render_view();
    EXPECT_EQ(qRgb(0, 0, 250), view.pixel(q.x0 + 16, q.y0 + 91));
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(q.x0 + 15, 0)); // the cross-hair through the common point
    EXPECT_EQ(qRgb(0, 0, 0), view.pixel(0, q.y0 + 90));

    // On frame 0 a click maps to its own pixel; canvas outside it is ignored.
    doc_state().current_frame = 0;
    window->preview_refresh();
    click(p.x0 + 1, p.y0 + 1);
    EXPECT_EQ(10, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin X"));
    click(p.x0 + 5 + 3, p.y0 + 50 + 4);
    EXPECT_EQ(3, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin X"));
    EXPECT_EQ(4, props_get_int(&doc_state().animation.groups[0].frames[0].props, "Origin Y"));

    window->command(IDM_ALIGN_FRAMES);
    EXPECT_EQ(64, preview().placement().dw);
}

} // namespace

namespace {

// A stroke repaints only the pixels it changed, from the frame itself: at
// every step the display copy is what a full conversion of the frame gives,
// and Escape takes the frame and the picture back.
TEST_F(PreviewTest, PencilStrokeUpdatesThePictureAsAFullRefreshWouldAndEscapeTakesItBack)
{
    open_window();
    std::vector<uint8_t> palette(1024);
    ASSERT_EQ(256, palette_file_load(data_path("palette/librequake_palette.lmp").c_str(), palette.data()));
    std::vector<uint8_t> indexes(16 * 16);
    for (size_t i = 0; i < indexes.size(); ++i)
        indexes[i] = static_cast<uint8_t>(i * 37);
    Frame &f = make_frame(16, 16);
    host().bind_image(f.image);
    set_indexed_pixels(16, 16, indexes, palette);
    size_viewport(64, 64);
    window->command(IDM_ZOOM_IN);
    window->command(IDM_ZOOM_IN); // 4: the picture fills the view
    window->preview_refresh();
    pump();
    const QImage before = preview().picture();
    window->command(IDM_TOOL_PENCIL);
    paint_session().values.index[0] = 250;
    paint_session().brush = Brush{3, BrushShape::Round};
    const auto full = [&] { return preview_picture_of(doc_state().animation.groups[0].frames[0].image, false); };
    mouse(QEvent::MouseButtonPress, 10, 10);
    EXPECT_EQ(full(), preview().picture());
    mouse(QEvent::MouseMove, 50, 30);
    EXPECT_EQ(full(), preview().picture());
    EXPECT_NE(before, preview().picture());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&preview(), &escape);
    mouse(QEvent::MouseButtonRelease, 50, 30);
    pump();
    EXPECT_EQ(before, preview().picture());
    EXPECT_FALSE(doc_state().modified);
}

} // namespace

namespace {

class GameViewTest : public PreviewTest {
protected:
    // A w x h frame of `indexes` in the Quake palette.
    void make_quake_frame(int w, int h, const std::vector<uint8_t> &indexes)
    {
        palette.resize(1024);
        ASSERT_EQ(256, palette_file_load(data_path("palette/librequake_palette.lmp").c_str(), palette.data()));
        std::memcpy(default_palette, palette.data(), 1024);
        Frame &f = make_frame(w, h);
        host().bind_image(f.image);
        set_indexed_pixels(w, h, indexes, palette);
        window->preview_refresh();
        pump();
    }
    uint32_t picture_rgb(int x, int y) { return preview().picture().pixel(x, y) & 0xFFFFFFu; }
    std::vector<uint8_t> palette;
};

// 223 is the last lit entry, 224 and 254 glow: only those two are marked,
// tinted at zoom 1, and counted in the status bar.
TEST_F(GameViewTest, FullbrightPixelsAreMarkedAndCounted)
{
    open_window();
    make_quake_frame(3, 1, {223, 224, 254});
    size_viewport(60, 60);
    const QImage plain = preview().render_view();
    window->command(IDM_FULLBRIGHT_PIXELS);
    pump();
    const QImage marked = preview().render_view();
    const int x0 = preview().placement().x0, y0 = preview().placement().y0;
    EXPECT_EQ(plain.pixel(x0, y0), marked.pixel(x0, y0));
    EXPECT_NE(plain.pixel(x0 + 1, y0), marked.pixel(x0 + 1, y0));
    EXPECT_NE(plain.pixel(x0 + 2, y0), marked.pixel(x0 + 2, y0));
    EXPECT_NE(window->status_label()->text().indexOf("2 fullbright pixels"), -1)
        << window->status_label()->text().toStdString();
}

// The frame through the colormap Generate Colormap makes of its palette,
// at the brightest level, a normally lit wall's and the darkest.
TEST_F(GameViewTest, GameLightingLooksEachPixelUpInTheGeneratedColormap)
{
    open_window();
    std::vector<uint8_t> indexes(256);
    for (int i = 0; i < 256; ++i)
        indexes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    make_quake_frame(16, 16, indexes);
    const std::vector<uint8_t> colormap = generate_colormap(palette.data(), 32, 2.0f);
    for (const int level : {0, LIGHT_LEVEL_DEFAULT, 63}) {
        game_lighting() = GameLighting{true, level, {}};
        window->preview_refresh();
        for (int i = 0; i < 256; i += 5) {
            const uint8_t *c = palette.data() + colormap[static_cast<size_t>(level * 256 + i)] * 4;
            EXPECT_EQ(static_cast<uint32_t>(c[0] << 16 | c[1] << 8 | c[2]), picture_rgb(i % 16, i / 16))
                << "level " << level << ", index " << i;
        }
    }
    game_lighting() = GameLighting{};
    window->preview_refresh();
    EXPECT_EQ(static_cast<uint32_t>(palette[37 * 4] << 16 | palette[37 * 4 + 1] << 8 | palette[37 * 4 + 2]),
              picture_rgb(37 % 16, 37 / 16));
}

// Tiled, the frame is drawn 3 x 3 times and an origin click counts only in
// the middle copy, where the frame itself lies.
TEST_F(GameViewTest, TiledViewDrawsNineCopiesAndTakesOriginClicksInTheMiddleOne)
{
    open_window();
    make_gradient(10, 10);
    size_viewport(60, 60);
    window->command(IDM_TILED);
    window->command(IDM_ORIGIN_MODE);
    pump();
    ASSERT_EQ(30, preview().shown_width());
    const int x0 = preview().placement().x0, y0 = preview().placement().y0;
    const QImage view = preview().render_view();
    EXPECT_EQ(view.pixel(x0 + 3, y0 + 4), view.pixel(x0 + 23, y0 + 14)); // corner copy and middle copy
    click(x0 + 3, y0 + 4);
    EXPECT_FALSE(doc_state().modified);
    click(x0 + 12, y0 + 13);
    const PropertyList *props = &doc_state().animation.groups[0].frames[0].props;
    EXPECT_EQ(2, props_get_int(props, "Origin X"));
    EXPECT_EQ(3, props_get_int(props, "Origin Y"));
}

} // namespace

namespace {

// Where the frame is transparent the next frame shows, faint: its colour
// mixed into the workspace grey at the onion skin's opacity.
TEST_F(PreviewTest, OnionSkinShowsTheNextFrameFaintlyWhereTheFrameIsTransparent)
{
    open_window();
    make_frames({{4, 4, {0, 0, 0, 0}, 0, 0}, {4, 4, {200, 0, 0, 255}, 0, 0}});
    size_viewport(40, 40);
    const int x0 = preview().placement().x0, y0 = preview().placement().y0;
    const QRgb plain = preview().render_view().pixel(x0 + 1, y0 + 1);
    window->command(IDM_ONION_SKIN);
    pump();
    const QRgb faint = preview().render_view().pixel(x0 + 1, y0 + 1);
    EXPECT_NE(plain, faint);
    EXPECT_EQ((171 * 70 + 200 * 30) / 100, qRed(faint));
    EXPECT_EQ(171 * 70 / 100, qGreen(faint));
}

} // namespace
