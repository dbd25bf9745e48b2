// The Image menu and the alpha and information commands of Edit and View:
// colour depth over the whole animation, exact geometry, the Adjust
// dialog's OK, Cancel and preview, resize, and the alpha channel in and out;
// what sprite frames rely on: transparency, palette and origin.
#include <IL/il.h>
#include <IL/ilu.h>

#include <deque>
#include <optional>
#include <random>

#include "app/commands/edit_commands.h"
#include "app/commands/image_commands.h"
#include "app/commands/view_commands.h"
#include "commands_fixture.h"
#include "document/animation.h"
#include "document/props.h"
#include "image/host_table.h"
#include "image/image_ops.h"
#include "image/quake_palette.h"
#include "views/logic/adjust_logic.h"
#include "views/logic/preview_logic.h"
#include "views/logic/resize_logic.h"

namespace {

// The user at the Adjust dialog, through the same logic the dialog's
// widgets call, and a clipboard of one image.
class DialogUser : public ScriptedPlatform {
public:
    struct Step {
        enum Kind { Type, Slide, Preview, Ok, Cancel } kind;
        std::string text;
        int position;
        Step(Kind k, std::string t = {}, int p = 0) : kind(k), text(std::move(t)), position(p) {}
    };

    int show_adjust_dialog(const std::string &title, int minimum, int maximum, int scale, int initial) override
    {
        adjust_open(title, minimum, maximum, scale, initial);
        std::string text = adjust_value_text(adjust_state(), adjust_state().value);
        opening_texts.push_back(text);
        EXPECT_FALSE(scripts.empty()) << "no script for the Adjust dialog " << title;
        std::vector<Step> script = scripts.empty() ? std::vector<Step>{{Step::Cancel}} : scripts.front();
        if (!scripts.empty())
            scripts.pop_front();
        for (const Step &step : script) {
            switch (step.kind) {
            case Step::Type: text = step.text; break;
            case Step::Slide: text = adjust_sync_from_slider(step.position); show_preview(); break;
            case Step::Preview: text = adjust_sync_from_text(text); show_preview(); break;
            case Step::Ok:
                texts.push_back(adjust_sync_from_text(text));
                return adjust_finish_ok({});
            case Step::Cancel: return adjust_finish_cancel({});
            }
            texts.push_back(text);
        }
        return adjust_finish_cancel({});
    }

    // What the preview shows: the filter on a copy of the current frame.
    void show_preview()
    {
        const Frame *frame = doc_has_frame(doc_state())
                                 ? &doc_state().animation.groups[doc_state().current_group]
                                        .frames[doc_state().current_frame]
                                 : nullptr;
        if (!frame)
            return;
        const uint32_t copy = host().gen_image();
        host().bind_image(copy);
        host().copy_image(frame->image);
        if (preview_filter_hook)
            preview_filter_hook();
        previews.push_back(rgba_of(copy));
        host().delete_image(copy);
    }

    bool put_clipboard_image(uint32_t image) override
    {
        host().bind_image(clipboard());
        return host().copy_image(image) != 0;
    }
    bool get_clipboard_image(uint32_t image) override
    {
        if (!has_clipboard_)
            return false;
        host().bind_image(image);
        return host().copy_image(clipboard()) != 0;
    }
    uint32_t clipboard()
    {
        if (!clipboard_)
            clipboard_ = host().gen_image();
        has_clipboard_ = true;
        return clipboard_;
    }
    ~DialogUser() override
    {
        if (clipboard_)
            host().delete_image(clipboard_);
    }

    std::deque<std::vector<Step>> scripts;
    std::vector<std::string> opening_texts, texts;
    std::vector<std::vector<uint8_t>> previews;

private:
    uint32_t clipboard_ = 0;
    bool has_clipboard_ = false;
};

using Step = DialogUser::Step;

class ImageCommands : public CommandsTest {
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        set_backends(&user);
    }
    void TearDown() override
    {
        for (const std::string &u : user.unexpected())
            ADD_FAILURE() << "unexpected " << u;
        CommandsTest::TearDown();
    }

    // One group holding one frame with these RGBA pixels.
    Frame &rgba_frame(int w, int h, const std::vector<uint8_t> &rgba)
    {
        Group *group = add_group("g", 1);
        host().bind_image(group->frames[0].image);
        set_rgba_pixels(w, h, rgba);
        settle();
        return group->frames[0];
    }
    Frame &indexed_frame(int w, int h, const std::vector<uint8_t> &indexes, const std::vector<uint8_t> &palette)
    {
        Group *group = add_group("g", 1);
        host().bind_image(group->frames[0].image);
        set_indexed_pixels(w, h, indexes, palette);
        settle();
        return group->frames[0];
    }
    static Frame &current() { return doc().animation.groups[doc().current_group].frames[doc().current_frame]; }
    static int type_of(uint32_t image)
    {
        host().bind_image(image);
        return host().image_type();
    }

    DialogUser user;
};

// Seeded pixels: w x h RGBA with `colours` distinct opaque colours.
std::vector<uint8_t> seeded_rgba(int w, int h, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t p = 0; p < rgba.size() / 4; ++p) {
        const unsigned c = static_cast<unsigned>(random() % static_cast<unsigned>(colours));
        rgba[p * 4 + 0] = static_cast<uint8_t>(c * 7);
        rgba[p * 4 + 1] = static_cast<uint8_t>(c * 13 + 5);
        rgba[p * 4 + 2] = static_cast<uint8_t>(255 - c);
        rgba[p * 4 + 3] = static_cast<uint8_t>(c % 3 == 0 ? 128 : 255);
    }
    return rgba;
}

// Pixel (x, y) of a w-wide RGBA buffer.
std::vector<uint8_t> at(const std::vector<uint8_t> &rgba, int w, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * w + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

// The picture turned counter-clockwise by `quarters` quarter turns, as an
// independent computation by where each pixel must land.
std::vector<uint8_t> turned(const std::vector<uint8_t> &rgba, int w, int h, int quarters, int *nw, int *nh)
{
    *nw = quarters % 2 ? h : w;
    *nh = quarters % 2 ? w : h;
    std::vector<uint8_t> out(rgba.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int tx = x, ty = y;
            for (int q = 0; q < quarters; ++q) {
                // One counter-clockwise turn of a picture currently cw wide.
                const int cw = q % 2 ? h : w;
                const int nx = ty, ny = cw - 1 - tx;
                tx = nx, ty = ny;
            }
            std::copy_n(&rgba[(static_cast<size_t>(y) * w + x) * 4], 4, &out[(static_cast<size_t>(ty) * *nw + tx) * 4]);
        }
    return out;
}

TEST_F(ImageCommands, RotationByQuarterTurnsIsExactForRgbaAndIndexedFrames)
{
    const int w = 5, h = 3;
    const std::vector<uint8_t> rgba = seeded_rgba(w, h, 15, 1);
    std::vector<uint8_t> indexes(w * h), palette(256 * 4);
    for (int p = 0; p < w * h; ++p)
        indexes[p] = static_cast<uint8_t>(p * 3);
    for (int i = 0; i < 256; ++i)
        palette[i * 4] = static_cast<uint8_t>(i), palette[i * 4 + 1] = static_cast<uint8_t>(255 - i),
                  palette[i * 4 + 3] = 255;
    for (const float degrees : {90.0f, 180.0f, 270.0f, -90.0f, 450.0f}) {
        const int quarters = ((static_cast<int>(degrees) / 90) % 4 + 4) % 4;
        int nw = 0, nh = 0;
        const std::vector<uint8_t> expected = turned(rgba, w, h, quarters, &nw, &nh);

        const uint32_t image = host().gen_image();
        host().bind_image(image);
        set_rgba_pixels(w, h, rgba);
        ASSERT_TRUE(host().rotate(degrees));
        EXPECT_EQ(nw, image_width(image)) << degrees;
        EXPECT_EQ(nh, image_height(image)) << degrees;
        EXPECT_EQ(expected, rgba_of(image)) << degrees;

        // Indexed: the indexes move, the palette stays.
        host().bind_image(image);
        set_indexed_pixels(w, h, indexes, palette);
        ASSERT_TRUE(host().rotate(degrees));
        EXPECT_EQ(IMAGE_INDEXED, type_of(image));
        EXPECT_EQ(256, host().palette_size());
        std::vector<uint8_t> index_rgba;
        for (uint8_t i : indexes)
            index_rgba.insert(index_rgba.end(), {i, 0, 0, 0});
        const std::vector<uint8_t> expected_indexes = turned(index_rgba, w, h, quarters, &nw, &nh);
        const std::vector<uint8_t> raw = raw_of(image);
        ASSERT_EQ(static_cast<size_t>(w * h), raw.size());
        for (int p = 0; p < w * h; ++p)
            EXPECT_EQ(expected_indexes[p * 4], raw[p]) << degrees << " pixel " << p;
        host().delete_image(image);
    }
}

TEST_F(ImageCommands, OtherAnglesTurnCounterClockwiseAsShown)
{
    // A dark bar from the centre to the top edge of a light 21 x 21 picture.
    const int n = 21;
    std::vector<uint8_t> rgba(n * n * 4, 255);
    for (int y = 0; y < 8; ++y)
        std::fill_n(&rgba[(static_cast<size_t>(y) * n + 10) * 4], 3, 0);
    const uint32_t image = host().gen_image();
    host().bind_image(image);
    set_rgba_pixels(n, n, rgba);
    ASSERT_TRUE(host().rotate(45.0f));
    const int w = image_width(image), h = image_height(image);
    const std::vector<uint8_t> out = rgba_of(image);
    // Dark pixels of the upper half: turned to the left, they lie left of
    // the centre.
    long left = 0, right = 0;
    for (int y = 0; y < h / 2 - 1; ++y)
        for (int x = 0; x < w; ++x)
            if (at(out, w, x, y)[0] < 64 && at(out, w, x, y)[3] > 0)
                (x < w / 2 ? left : right) += 1;
    EXPECT_GT(left, 3);
    EXPECT_EQ(0, right);
    host().delete_image(image);
}

TEST_F(ImageCommands, SmallPicturesTurnByAnyAngleWithoutOverrunningTheLibrary)
{
    const std::vector<uint8_t> palette = {10, 20, 30, 255, 200, 100, 50, 255};
    // The library crashes on small indexed pictures and overruns its
    // buffers on any picture one pixel wide or high: those stay as they are.
    for (const auto &[w, h] : {std::pair{1, 1}, std::pair{1, 10}, std::pair{10, 1}, std::pair{2, 2}, std::pair{2, 3}}) {
        const uint32_t image = host().gen_image();
        host().bind_image(image);
        set_indexed_pixels(w, h, std::vector<uint8_t>(static_cast<size_t>(w * h), 1), palette);
        const bool thin = w < 2 || h < 2;
        EXPECT_EQ(!thin, host().rotate(thin ? 0.1f : 10.0f) != 0) << w << "x" << h;
        EXPECT_EQ(IMAGE_INDEXED, type_of(image));
        if (thin) {
            EXPECT_EQ(w, image_width(image));
            EXPECT_EQ(h, image_height(image));
        }
        // Quarter turns are ours and work at any size.
        EXPECT_TRUE(host().rotate(90.0f));
        host().bind_image(image);
        host().convert_image(IMAGE_RGBA);
        if (thin) {
            EXPECT_FALSE(host().rotate(359.9f));
        }
        host().delete_image(image);
    }
}

TEST_F(ImageCommands, EightBitPalettedIsExactUpTo256Colours)
{
    const std::vector<uint8_t> rgba = seeded_rgba(64, 64, 256, 7);
    rgba_frame(64, 64, rgba);
    image_depth_paletted(window);
    EXPECT_EQ(IMAGE_INDEXED, type_of(current().image));
    EXPECT_LE(host().palette_size(), 256);
    EXPECT_EQ(rgba, rgba_of(current().image));
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(ImageCommands, EightBitPalettedBeyond256ColoursIsQuantised)
{
    rgba_frame(64, 64, seeded_rgba(64, 64, 4096, 3));
    image_depth_paletted(window);
    EXPECT_EQ(IMAGE_INDEXED, type_of(current().image));
    EXPECT_LE(host().palette_size(), 256);
}

TEST_F(ImageCommands, ColourDepthConvertsEveryFrameAsOneUndoStep)
{
    add_group("a", 3);
    add_group("b", 3);
    settle();
    image_depth_rgb(window);
    for (int g = 0; g < 2; ++g)
        for (int f = 0; f < 3; ++f)
            EXPECT_EQ(IMAGE_RGB, type_of(doc().animation.groups[g].frames[f].image)) << g << f;
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    for (int g = 0; g < 2; ++g)
        for (int f = 0; f < 3; ++f)
            EXPECT_EQ(IMAGE_RGBA, type_of(doc().animation.groups[g].frames[f].image)) << g << f;

    image_depth_grayscale(window);
    EXPECT_EQ(IMAGE_LUMINANCE, type_of(doc().animation.groups[1].frames[2].image));
    image_depth_rgba(window);
    EXPECT_EQ(IMAGE_RGBA, type_of(doc().animation.groups[0].frames[0].image));
}

TEST_F(ImageCommands, FlipMirrorAndNegativeGiveThePixelsExpected)
{
    const int w = 3, h = 2;
    const std::vector<uint8_t> rgba = seeded_rgba(w, h, 6, 11);
    rgba_frame(w, h, rgba);
    image_flip(window);
    std::vector<uint8_t> out = rgba_of(current().image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(at(rgba, w, x, h - 1 - y), at(out, w, x, y));
    EXPECT_TRUE(doc().undo_available);
    edit_undo(window);
    image_mirror(window);
    out = rgba_of(current().image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(at(rgba, w, w - 1 - x, y), at(out, w, x, y));
    edit_undo(window);
    image_negative(window);
    out = rgba_of(current().image);
    for (size_t i = 0; i < rgba.size(); ++i)
        if (i % 4 != 3) {
            EXPECT_EQ(255 - rgba[i], out[i]) << i;
        }
}

TEST_F(ImageCommands, FlipKeepsTheIndexesOfAPalettedFrame)
{
    const std::vector<uint8_t> palette = {0, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255};
    indexed_frame(2, 2, {0, 1, 2, 2}, palette);
    image_flip(window);
    EXPECT_EQ(IMAGE_INDEXED, type_of(current().image));
    EXPECT_EQ((std::vector<uint8_t>{2, 2, 0, 1}), raw_of(current().image));
}

TEST_F(ImageCommands, GammaOpensAtOneClampsTypedThreeAndAppliesOnceOnOk)
{
    const std::vector<uint8_t> rgba = seeded_rgba(4, 4, 16, 5);
    rgba_frame(4, 4, rgba);
    user.scripts.push_back({{Step::Type, "3"}, {Step::Preview}, {Step::Ok}});
    image_gamma(window);
    EXPECT_EQ(std::vector<std::string>{"1.00"}, user.opening_texts);
    ASSERT_GE(user.texts.size(), 2u);
    EXPECT_EQ("2.00", user.texts[1]);
    EXPECT_EQ(2000, adjust_state().value);
    EXPECT_EQ(nullptr, preview_filter_hook);
    // The preview showed what OK then did to the frame, once.
    ASSERT_EQ(1u, user.previews.size());
    EXPECT_EQ(user.previews[0], rgba_of(current().image));
    EXPECT_NE(rgba, rgba_of(current().image));
    EXPECT_TRUE(doc().modified);
    edit_undo(window);
    EXPECT_EQ(rgba, rgba_of(current().image));
}

TEST_F(ImageCommands, PixelizeOkWithoutTouchingAppliesABlockOfOne)
{
    const std::vector<uint8_t> rgba = seeded_rgba(6, 6, 30, 9);
    rgba_frame(6, 6, rgba);
    user.scripts.push_back({{Step::Ok}});
    image_pixelize(window);
    EXPECT_EQ(std::vector<std::string>{"0"}, user.opening_texts);
    EXPECT_EQ(1, adjust_state().value);
    EXPECT_EQ(rgba, rgba_of(current().image));
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(ImageCommands, RotateTextWithTwoDecimalsTurnsByTenths)
{
    rgba_frame(8, 4, seeded_rgba(8, 4, 8, 2));
    user.scripts.push_back({{Step::Type, "45.55"}, {Step::Ok}});
    image_rotate(window);
    EXPECT_EQ(455, adjust_state().value);
    // A turn that is not a quarter resamples into a picture of the
    // library's own size: no longer the 8 x 4 it was.
    EXPECT_GT(image_height(current().image), 4);
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(ImageCommands, RotateNinetyThroughTheDialogIsExact)
{
    const std::vector<uint8_t> rgba = seeded_rgba(5, 2, 10, 4);
    rgba_frame(5, 2, rgba);
    user.scripts.push_back({{Step::Slide, "", 900}, {Step::Ok}});
    image_rotate(window);
    int nw = 0, nh = 0;
    EXPECT_EQ(turned(rgba, 5, 2, 1, &nw, &nh), rgba_of(current().image));
    EXPECT_EQ(2, image_width(current().image));
}

TEST_F(ImageCommands, CancelAfterPreviewsLeavesTheFrameAndTheUndoStateAlone)
{
    const std::vector<uint8_t> rgba = seeded_rgba(8, 8, 40, 6);
    rgba_frame(8, 8, rgba);
    user.scripts.push_back({{Step::Slide, "", 300}, {Step::Slide, "", 700}, {Step::Type, "0.9"}, {Step::Preview},
                            {Step::Cancel}});
    image_noisify(window);
    EXPECT_EQ(3u, user.previews.size());
    EXPECT_EQ(rgba, rgba_of(current().image));
    EXPECT_FALSE(doc().modified);
    EXPECT_FALSE(doc().undo_available);
    EXPECT_EQ(0, adjust_state().value);
    EXPECT_EQ(nullptr, preview_filter_hook);
}

TEST_F(ImageCommands, EveryAdjustFilterOpensWithItsRange)
{
    rgba_frame(4, 4, seeded_rgba(4, 4, 4, 8));
    const struct {
        void (*handler)(CommandHost &);
        const char *title;
        int minimum, maximum, scale, initial;
    } rows[] = {
        {image_contrast, "Adjust Contrast", 0, 1000, 1000, 1000},
        {image_blur_average, "Blur (Average)", 0, 5, 1, 0},
        {image_blur_gaussian, "Blur (Gaussian)", 0, 5, 1, 0},
        {image_noisify, "Noisify", 0, 1000, 1000, 0},
        {image_pixelize, "Pixelize", 1, 100, 1, 0},
        {image_sharpen, "Sharpen", 0, 1500, 1000, 0},
        {image_gamma, "Gamma Correction", 0, 2000, 1000, 1000},
        {image_rotate, "Rotate", 0, 3600, 10, 0},
    };
    for (const auto &row : rows) {
        user.scripts.push_back({{Step::Cancel}});
        row.handler(window);
        const AdjustState &s = adjust_state();
        EXPECT_EQ(row.title, s.title);
        EXPECT_EQ(row.minimum, s.minimum) << row.title;
        EXPECT_EQ(row.maximum, s.maximum) << row.title;
        EXPECT_EQ(row.scale, s.scale) << row.title;
        EXPECT_EQ(row.initial, s.initial) << row.title;
    }
    EXPECT_FALSE(doc().undo_available);
}

TEST_F(ImageCommands, CommandsWithoutAFrameDoNothing)
{
    add_group("empty", 0);
    settle();
    for (auto handler : {image_flip, image_depth_rgb, image_gamma, image_resize, image_export_alpha,
                         edit_copy_alpha, view_image_information})
        handler(window);
    EXPECT_FALSE(doc().modified);
    EXPECT_TRUE(user.adjust_titles().empty());
}

TEST_F(ImageCommands, CopyAlphaOfAnRgbFrameIsAllWhite)
{
    rgba_frame(3, 2, seeded_rgba(3, 2, 6, 1));
    host().bind_image(current().image);
    host().convert_image(IMAGE_RGB);
    settle();
    edit_copy_alpha(window);
    const uint32_t clip = user.clipboard();
    EXPECT_EQ(IMAGE_LUMINANCE, type_of(clip));
    EXPECT_EQ(3, image_width(clip));
    EXPECT_EQ(2, image_height(clip));
    EXPECT_EQ(std::vector<uint8_t>(6, 255), raw_of(clip));
    EXPECT_FALSE(doc().modified);
}

TEST_F(ImageCommands, PasteIntoAlphaOfAPalettedFrameAsksThenTakesTheGreyLevels)
{
    indexed_frame(4, 2, {0, 1, 0, 1, 1, 0, 1, 0}, {0, 0, 0, 255, 255, 255, 255, 255});
    // The clipboard: a 2 x 1 grey image, stretched to 4 x 2 (nearest).
    host().bind_image(user.clipboard());
    set_rgba_pixels(2, 1, {40, 40, 40, 255, 220, 220, 220, 255});
    host().set_scaling_filter(0);
    user.queue_answer(false);
    edit_paste_into_alpha(window);
    EXPECT_EQ(std::vector<std::string>{CONVERT_TO_RGBA_QUESTION}, user.questions());
    EXPECT_EQ(IMAGE_INDEXED, type_of(current().image));
    EXPECT_FALSE(doc().modified);

    user.queue_answer(true);
    edit_paste_into_alpha(window);
    EXPECT_EQ(IMAGE_RGBA, type_of(current().image));
    const std::vector<uint8_t> out = rgba_of(current().image);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x < 2 ? 40 : 220, at(out, 4, x, y)[3]) << x << "," << y;
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(ImageCommands, ExportAlphaOfAPalettedFrameWithoutAlphaWritesWhite)
{
    indexed_frame(5, 3, std::vector<uint8_t>(15, 1), {9, 9, 9, 255, 90, 90, 90, 255});
    const std::string path = scratch_dir("export_alpha") + "/alpha.png";
    user.queue_file(path);
    image_export_alpha(window);
    const uint32_t loaded = host().gen_image();
    host().bind_image(loaded);
    ASSERT_TRUE(ilLoadImage(path.c_str()));
    EXPECT_EQ(5, image_width(loaded));
    EXPECT_EQ(3, image_height(loaded));
    const std::vector<uint8_t> out = rgba_of(loaded);
    for (size_t p = 0; p < out.size(); ++p)
        EXPECT_EQ(255, out[p]) << p;
    host().delete_image(loaded);
    EXPECT_FALSE(doc().modified);
    EXPECT_STREQ("", doc().file_name);
}

TEST_F(ImageCommands, ImportAlphaOnAnRgbaFrameAsksNothing)
{
    rgba_frame(2, 2, seeded_rgba(2, 2, 4, 3));
    const std::string path = scratch_dir("import_alpha") + "/grey.png";
    const uint32_t grey = host().gen_image();
    host().bind_image(grey);
    set_rgba_pixels(2, 2, {10, 10, 10, 255, 20, 20, 20, 255, 30, 30, 30, 255, 40, 40, 40, 255});
    ASSERT_TRUE(ilSaveImage(path.c_str()));
    host().delete_image(grey);
    user.queue_file(path);
    image_import_alpha(window);
    EXPECT_TRUE(user.questions().empty());
    const std::vector<uint8_t> out = rgba_of(current().image);
    EXPECT_EQ((std::vector<uint8_t>{10, 20, 30, 40}), (std::vector<uint8_t>{out[3], out[7], out[11], out[15]}));
    EXPECT_TRUE(doc().undo_available);
}

TEST_F(ImageCommands, ImageInformationOfRgbAndGreyFrames)
{
    rgba_frame(3, 2, {1, 2, 3, 255, 1, 2, 3, 255, 4, 5, 6, 255, 4, 5, 6, 255, 7, 8, 9, 255, 7, 8, 9, 255});
    host().bind_image(current().image);
    host().convert_image(IMAGE_RGB);
    view_image_information(window);
    host().bind_image(current().image);
    host().convert_image(IMAGE_LUMINANCE);
    view_image_information(window);
    const std::vector<std::string> shown = user.image_information();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Dimensions: 3 x 2\r\nColor Depth: 24 Bpp\r\nPalette Color Count: 0\r\nColors Used: 3\r\n", shown[0]);
    EXPECT_NE(std::string::npos, shown[1].find("Color Depth: 8 Bpp\r\n"));
}

TEST_F(ImageCommands, ResizeTheWholeGroupInPercentAndInPixels)
{
    Group *group = add_group("g", 2);
    host().bind_image(group->frames[0].image);
    set_rgba_pixels(64, 64, seeded_rgba(64, 64, 5, 1));
    host().bind_image(group->frames[1].image);
    set_rgba_pixels(30, 10, seeded_rgba(30, 10, 5, 2));
    settle();
    ResizeChoice percent;
    percent.whole_group = true;
    percent.percent_mode = true;
    percent.percent_width = percent.percent_height = 50;
    user.queue_resize_choice(percent);
    image_resize(window);
    EXPECT_EQ(std::vector<std::string>{"64 x 64"}, user.resize_sizes());
    EXPECT_EQ(32, image_width(group->frames[0].image));
    EXPECT_EQ(15, image_width(group->frames[1].image));
    EXPECT_EQ(5, image_height(group->frames[1].image));
    EXPECT_TRUE(resize_whole_group);

    ResizeChoice pixels = percent;
    pixels.percent_mode = false;
    pixels.pixel_width = pixels.pixel_height = 16;
    pixels.filter = 8;
    user.queue_resize_choice(pixels);
    image_resize(window);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(16, image_width(group->frames[f].image));
        EXPECT_EQ(16, image_height(group->frames[f].image));
    }
    EXPECT_EQ(ILU_SCALE_MITCHELL, iluGetInteger(ILU_FILTER));
    // The kept flag comes back with the next opening; Cancel changes nothing.
    settle();
    user.queue_resize_choice(std::nullopt);
    image_resize(window);
    EXPECT_FALSE(doc().modified);
    resize_whole_group = false;
    host().set_scaling_filter(0);
}

TEST_F(ImageCommands, ResizeOneFrameBoundsTheSizeAndUndoes)
{
    rgba_frame(10, 10, seeded_rgba(10, 10, 3, 3));
    ResizeChoice one;
    one.pixel_width = 4;
    one.pixel_height = 0; // bounded to one pixel
    user.queue_resize_choice(one);
    image_resize(window);
    EXPECT_EQ(4, image_width(current().image));
    EXPECT_EQ(1, image_height(current().image));
    edit_undo(window);
    EXPECT_EQ(10, image_width(current().image));

}

// --- Sprite frames: 8-bit, index 255 transparent, an origin.

// Black (0) and white (1) opaque, far reds, and a transparent mid grey at
// 255: the colour a blur of black and white comes nearest to, which no
// opaque pixel may take.
std::vector<uint8_t> sprite_palette()
{
    std::vector<uint8_t> palette(256 * 4);
    for (int i = 0; i < 256; ++i)
        palette[i * 4] = static_cast<uint8_t>(i), palette[i * 4 + 3] = 255;
    const uint8_t fixed[][4] = {{0, 0, 0, 255}, {255, 255, 255, 255}};
    std::copy_n(&fixed[0][0], 8, palette.begin());
    const uint8_t clear[4] = {128, 128, 128, 0};
    std::copy_n(clear, 4, palette.begin() + 255 * 4);
    return palette;
}

// 16 x 16: a black and white checkered 8 x 12 block at (4, 2) with a 2 x 2
// hole at (6, 6), on index 255. Every edge of the mask lies on even
// coordinates, so halving or doubling it has one right answer.
constexpr int SPRITE_SIDE = 16;
bool sprite_clear(int x, int y)
{
    const bool block = x >= 4 && x < 12 && y >= 2 && y < 14;
    const bool hole = x >= 6 && x < 8 && y >= 6 && y < 8;
    return !block || hole;
}
std::vector<uint8_t> sprite_indexes()
{
    std::vector<uint8_t> indexes(SPRITE_SIDE * SPRITE_SIDE);
    for (int y = 0; y < SPRITE_SIDE; ++y)
        for (int x = 0; x < SPRITE_SIDE; ++x)
            indexes[y * SPRITE_SIDE + x] = sprite_clear(x, y) ? 255 : static_cast<uint8_t>((x + y) % 2);
    return indexes;
}

struct SpriteEdit {
    const char *name;
    void (*run)(CommandHost &window, DialogUser &user);
    int side;                        // the frame's side afterwards
    bool (*was_clear)(int x, int y); // transparency of the new frame's pixel, from the old mask
};

ResizeChoice resize_to(int side, int filter)
{
    ResizeChoice choice;
    choice.pixel_width = choice.pixel_height = side;
    choice.filter = filter;
    return choice;
}

const SpriteEdit SPRITE_EDITS[] = {
    {"Blur (Gaussian) 3",
     [](CommandHost &w, DialogUser &u) {
         u.scripts.push_back({{Step::Slide, "", 3}, {Step::Ok}});
         image_blur_gaussian(w);
     },
     16, [](int x, int y) { return sprite_clear(x, y); }},
    {"Sharpen 1.5",
     [](CommandHost &w, DialogUser &u) {
         u.scripts.push_back({{Step::Slide, "", 1500}, {Step::Ok}});
         image_sharpen(w);
     },
     16, [](int x, int y) { return sprite_clear(x, y); }},
    {"Pixel Resize to half",
     [](CommandHost &w, DialogUser &u) {
         u.queue_resize_choice(resize_to(8, 0));
         image_resize(w);
     },
     8, [](int x, int y) { return sprite_clear(2 * x, 2 * y); }},
    {"Bilinear Resize to half",
     [](CommandHost &w, DialogUser &u) {
         u.queue_resize_choice(resize_to(8, 2));
         image_resize(w);
     },
     8, [](int x, int y) { return sprite_clear(2 * x, 2 * y); }},
    {"Bilinear Resize to double",
     [](CommandHost &w, DialogUser &u) {
         u.queue_resize_choice(resize_to(32, 2));
         image_resize(w);
     },
     32, [](int x, int y) { return sprite_clear(x / 2, y / 2); }},
    {"Rotate 90",
     [](CommandHost &w, DialogUser &u) {
         u.scripts.push_back({{Step::Slide, "", 900}, {Step::Ok}});
         image_rotate(w);
     },
     // A left turn brings the right column to the top row.
     16, [](int x, int y) { return sprite_clear(SPRITE_SIDE - 1 - y, x); }},
};

TEST_F(ImageCommands, EditsOfASpriteFrameKeepItsTransparencyAndPalette)
{
    for (const SpriteEdit &edit : SPRITE_EDITS) {
        SCOPED_TRACE(edit.name);
        indexed_frame(SPRITE_SIDE, SPRITE_SIDE, sprite_indexes(), sprite_palette());
        user.previews.clear();
        edit.run(window, user);
        const uint32_t image = current().image;
        ASSERT_EQ(IMAGE_INDEXED, type_of(image));
        EXPECT_EQ(sprite_palette(), std::vector<uint8_t>(host().get_palette(), host().get_palette() + 1024));
        ASSERT_EQ(edit.side, image_width(image));
        ASSERT_EQ(edit.side, image_height(image));
        const std::vector<uint8_t> out = raw_of(image);
        int wrong = 0;
        for (int y = 0; y < edit.side; ++y)
            for (int x = 0; x < edit.side; ++x)
                wrong += edit.was_clear(x, y) != (out[y * edit.side + x] == 255);
        EXPECT_EQ(0, wrong) << "pixels whose transparency changed";
        // The preview showed what OK did.
        if (!user.previews.empty()) {
            EXPECT_EQ(user.previews.back(), rgba_of(image));
        }
        edit_undo(window);
        EXPECT_EQ(sprite_indexes(), raw_of(current().image));
        doc_reset();
    }
}

// Origins are pixel edges from the top-left corner: a point, not a pixel.
struct OriginEdit {
    const char *name;
    void (*run)(CommandHost &window, DialogUser &user);
    bool whole_group;
    // Where the point (x, y) of a 64 x 64 frame lands, by the geometry of
    // the edit around the frame's centre (32, 32).
    std::pair<long, long> (*moved)(long x, long y);
};

const OriginEdit ORIGIN_EDITS[] = {
    {"Resize 64 to 32",
     [](CommandHost &w, DialogUser &u) {
         u.queue_resize_choice(resize_to(32, 0));
         image_resize(w);
     },
     false, [](long x, long y) { return std::pair{x / 2, y / 2}; }},
    {"Resize the group to 50%",
     [](CommandHost &w, DialogUser &u) {
         ResizeChoice half;
         half.whole_group = half.percent_mode = true;
         half.percent_width = half.percent_height = 50;
         u.queue_resize_choice(half);
         image_resize(w);
         resize_whole_group = false;
     },
     true, [](long x, long y) { return std::pair{x / 2, y / 2}; }},
    {"Rotate 90",
     [](CommandHost &w, DialogUser &u) {
         u.scripts.push_back({{Step::Slide, "", 900}, {Step::Ok}});
         image_rotate(w);
     },
     // Turned left on screen (y down), the offset (dx, dy) becomes (dy, -dx).
     false, [](long x, long y) { return std::pair{32 + (y - 32), 32 - (x - 32)}; }},
    {"Rotate 270",
     [](CommandHost &w, DialogUser &u) {
         u.scripts.push_back({{Step::Slide, "", 2700}, {Step::Ok}});
         image_rotate(w);
     },
     false, [](long x, long y) { return std::pair{32 - (y - 32), 32 + (x - 32)}; }},
    {"Mirror", [](CommandHost &w, DialogUser &) { image_mirror(w); }, false,
     [](long x, long y) { return std::pair{32 - (x - 32), y}; }},
    {"Flip", [](CommandHost &w, DialogUser &) { image_flip(w); }, false,
     [](long x, long y) { return std::pair{x, 32 - (y - 32)}; }},
};

TEST_F(ImageCommands, OriginsFollowResizeRotateFlipAndMirrorAndUndoBack)
{
    const long origins[][2] = {{32, 32}, {10, 50}};
    for (const OriginEdit &edit : ORIGIN_EDITS) {
        SCOPED_TRACE(edit.name);
        Group *group = add_group("g", 2);
        for (int f = 0; f < 2; ++f) {
            host().bind_image(group->frames[f].image);
            set_rgba_pixels(64, 64, seeded_rgba(64, 64, 7, static_cast<unsigned>(f)));
            props_set_int(&group->frames[f].props, "Origin X", static_cast<int>(origins[f][0]), PROPERTY_INTEGER);
            props_set_int(&group->frames[f].props, "Origin Y", static_cast<int>(origins[f][1]), PROPERTY_INTEGER);
        }
        settle();
        const std::vector<uint8_t> pixels = rgba_of(group->frames[0].image);
        edit.run(window, user);
        for (int f = 0; f < 2; ++f) {
            const Frame &frame = doc().animation.groups[0].frames[f];
            const bool moved = f == 0 || edit.whole_group;
            const auto expected = moved ? edit.moved(origins[f][0], origins[f][1])
                                        : std::pair{origins[f][0], origins[f][1]};
            EXPECT_EQ(expected.first, props_get_int(&frame.props, "Origin X")) << "frame " << f;
            EXPECT_EQ(expected.second, props_get_int(&frame.props, "Origin Y")) << "frame " << f;
        }
        EXPECT_NE(pixels, rgba_of(doc().animation.groups[0].frames[0].image));
        edit_undo(window);
        for (int f = 0; f < 2; ++f) {
            const Frame &frame = doc().animation.groups[0].frames[f];
            EXPECT_EQ(origins[f][0], props_get_int(&frame.props, "Origin X")) << "undone, frame " << f;
            EXPECT_EQ(origins[f][1], props_get_int(&frame.props, "Origin Y")) << "undone, frame " << f;
        }
        EXPECT_EQ(pixels, rgba_of(doc().animation.groups[0].frames[0].image));
        doc_reset();
    }
}


TEST_F(ImageCommands, OtherAnglesMoveTheOriginWithThePixelsAroundIt)
{
    // The four pixels around the origin (15, 10) are black on grey; after
    // the turn the origin lies among them, give or take the library's
    // nearest-pixel sampling.
    const int w = 21, h = 13, ox = 15, oy = 10;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 200);
    for (int y = oy - 1; y <= oy; ++y)
        for (int x = ox - 1; x <= ox; ++x)
            std::fill_n(&rgba[(static_cast<size_t>(y) * w + x) * 4], 3, 0);
    for (const int tenths : {300, 1200, 2000}) {
        Frame &frame = rgba_frame(w, h, rgba);
        props_set_int(&frame.props, "Origin X", ox, PROPERTY_INTEGER);
        props_set_int(&frame.props, "Origin Y", oy, PROPERTY_INTEGER);
        user.scripts.push_back({{Step::Slide, "", tenths}, {Step::Ok}});
        image_rotate(window);
        const int nw = image_width(current().image), nh = image_height(current().image);
        const std::vector<uint8_t> out = rgba_of(current().image);
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                if (at(out, nw, x, y)[3] > 0 && at(out, nw, x, y)[0] == 0)
                    sx += x + 0.5, sy += y + 0.5, ++n;
        ASSERT_GT(n, 0) << tenths;
        EXPECT_NEAR(sx / n, props_get_int(&current().props, "Origin X"), 1.0) << tenths;
        EXPECT_NEAR(sy / n, props_get_int(&current().props, "Origin Y"), 1.0) << tenths;
        doc_reset();
    }
}

TEST_F(ImageCommands, MatchToPaletteWithoutFullbrightsIsOneUndoStepAndCancelChangesNothing)
{
    std::vector<uint8_t> rgba; // the colours of the fullbright entries
    for (int i = 0; i < 32; ++i) {
        const uint8_t *e = default_palette + (224 + (i < 31 ? i : 30)) * 4;
        rgba.insert(rgba.end(), {e[0], e[1], e[2], 255});
    }
    rgba_frame(8, 4, rgba);
    user.queue_match_palette(std::nullopt);
    image_match_palette(window);
    EXPECT_EQ(IMAGE_RGBA, type_of(current().image));
    EXPECT_FALSE(doc().modified);

    MatchPaletteChoice without;
    without.fullbrights = false;
    without.dither = true;
    user.queue_match_palette(without);
    image_match_palette(window);
    ASSERT_EQ(IMAGE_INDEXED, type_of(current().image));
    for (uint8_t i : raw_of(current().image))
        EXPECT_LT(i, 224);
    edit_undo(window);
    EXPECT_EQ(rgba_of(current().image), rgba);

    // A true-colour frame has no palette of its own to match to.
    MatchPaletteChoice own;
    own.source = MatchPaletteSource::Frame;
    user.queue_match_palette(own);
    image_match_palette(window);
    EXPECT_EQ(IMAGE_RGBA, type_of(current().image));
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_NE(user.messages()[0].text.find("no palette of its own"), std::string::npos);
}

TEST_F(ImageCommands, FullbrightMaskMarksExactlyItsPixelsInOneUndoStep)
{
    const std::vector<uint8_t> rgba = seeded_rgba(4, 2, 8, 5);
    rgba_frame(4, 2, rgba);
    const std::string path = scratch_dir("fullbright_mask") + "/glow.png";
    const uint32_t mask = host().gen_image();
    host().bind_image(mask);
    std::vector<uint8_t> marks;
    for (int p = 0; p < 8; ++p) {
        const uint8_t v = p == 1 || p == 6 ? 255 : 0;
        marks.insert(marks.end(), {v, v, v, 255});
    }
    set_rgba_pixels(4, 2, marks);
    ASSERT_TRUE(ilSaveImage(path.c_str()));
    host().delete_image(mask);
    user.queue_file(path);
    image_import_fullbright_mask(window);
    ASSERT_EQ(IMAGE_INDEXED, type_of(current().image));
    const std::vector<uint8_t> indexes = raw_of(current().image);
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(indexes[p] >= 224, p == 1 || p == 6) << p;
    edit_undo(window);
    EXPECT_EQ(rgba_of(current().image), rgba);
}

} // namespace
