#include "app/commands/image_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "document/animation.h"
#include "document/props.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "image/image_ops.h"
#include "image/quake_palette.h"
#include "quake/fullbright.h"
#include "views/logic/adjust_logic.h"
#include "views/logic/preview_logic.h"
#include "views/logic/resize_logic.h"

namespace {

// The current frame, bound; null (and nothing bound) when there is none or
// a file operation runs.
Frame *bound_current_frame()
{
    if (file_worker_busy())
        return nullptr;
    Frame *frame = doc_current_frame(doc_state());
    if (frame)
        host().bind_image(frame->image);
    return frame;
}

void change_depth(ImageTypeCode type)
{
    if (!bound_current_frame())
        return;
    doc_begin_edit(1);
    Animation &anim = doc_state().animation;
    for (int g = 0; g < anim.group_count; ++g) {
        for (int f = 0; f < anim.groups[g].frame_count; ++f) {
            host().bind_image(anim.groups[g].frames[f].image);
            host().convert_image(type);
        }
    }
    doc_view().preview_refresh();
}

// --- The frame's origin ("Origin X", "Origin Y") moves with its pixels.
// It is the hot spot measured from the frame's top-left corner in pixel
// edges, as the engines place a sprite: the picture spans -x .. w - x
// around it. A centred origin (32 of 64) thus stays centred through a
// mirror (64 - 32), where counting pixel centres (63 - 32) would move it.

struct Origin {
    long x, y;
};

bool has_origin(const Frame &frame)
{
    return props_find(&frame.props, "Origin X") > 0 || props_find(&frame.props, "Origin Y") > 0;
}

// Sets the origin moved by `move` from (x, y); a frame without an origin
// gets none.
template <typename Move> void move_origin(Frame &frame, Move move)
{
    if (!has_origin(frame))
        return;
    const Origin to =
        move(Origin{props_get_int(&frame.props, "Origin X"), props_get_int(&frame.props, "Origin Y")});
    auto bounded = [](long v) { return static_cast<int>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
    props_set_int(&frame.props, "Origin X", bounded(to.x), PROPERTY_INTEGER);
    props_set_int(&frame.props, "Origin Y", bounded(to.y), PROPERTY_INTEGER);
}

// A frame of w x h scaled to nw x nh: each coordinate in proportion, rounded.
void scale_origin(Frame &frame, int w, int h, int nw, int nh)
{
    move_origin(frame, [&](Origin o) {
        return Origin{std::lround(static_cast<double>(o.x) * nw / w), std::lround(static_cast<double>(o.y) * nh / h)};
    });
}

// A frame of w x h turned by `degrees` counter-clockwise as shown into one
// nh high. Quarter turns are ours and exact. Other angles take the
// library's turn, which samples the nearest pixel: it turns the rows as
// held (bottom first, image_rotate mirrors them around it) about their
// corner and shifts the result by the least corner coordinates, each
// truncated toward zero, into a picture whose size it gets its own way.
void turn_origin(Frame &frame, float degrees, int w, int h, int nh)
{
    const float quarters = degrees / 90.0f;
    if (quarters == std::trunc(quarters)) {
        const int q = ((static_cast<int>(std::fmod(quarters, 4.0f)) % 4) + 4) % 4;
        move_origin(frame, [&](Origin o) {
            switch (q) {
            case 1: return Origin{o.y, w - o.x};     // left: the right edge comes to the top
            case 2: return Origin{w - o.x, h - o.y}; // half
            case 3: return Origin{h - o.y, o.x};     // right: the bottom edge comes to the left
            default: return o;
            }
        });
        return;
    }
    float angle = static_cast<float>(std::fmod(static_cast<double>(degrees), 360.0));
    if (angle < 0)
        angle += 360.0f;
    const double radians = 3.1415926535897932384626 * static_cast<double>(angle) / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const double corners_x[] = {0, -h * s, w * c - h * s, w * c};
    const double corners_y[] = {0, h * c, h * c + w * s, w * s};
    const double least_x = std::trunc(*std::min_element(std::begin(corners_x), std::end(corners_x)));
    const double least_y = std::trunc(*std::min_element(std::begin(corners_y), std::end(corners_y)));
    move_origin(frame, [&](Origin o) {
        const double x = static_cast<double>(o.x), y = static_cast<double>(h - o.y); // rows bottom first
        const double turned_x = x * c - y * s - least_x, turned_y = x * s + y * c - least_y;
        return Origin{std::lround(turned_x), std::lround(nh - turned_y)};
    });
}

// --- Filters. A colour-indexed frame is filtered in true colour and keeps
// its palette and its transparent pixels (image_edit_in_true_colour).

template <typename Filter> void in_place(Filter filter)
{
    image_edit_in_true_colour(PixelMotion::InPlace, [&] { return filter() != 0; });
}

void apply_filter(int32_t (*filter)())
{
    if (!bound_current_frame())
        return;
    doc_begin_edit(1);
    host().bind_image(doc_current_frame(doc_state())->image);
    in_place(filter);
    doc_view().preview_refresh();
}

// Flip and mirror move every pixel as it is (indexes included).
void flip_frame(bool rows)
{
    if (!bound_current_frame())
        return;
    doc_begin_edit(1);
    Frame &frame = *doc_current_frame(doc_state());
    host().bind_image(frame.image);
    const int w = host().width(), h = host().height();
    if (rows ? host().flip() : host().mirror())
        move_origin(frame, [&](Origin o) { return rows ? Origin{o.x, h - o.y} : Origin{w - o.x, o.y}; });
    doc_view().preview_refresh();
}

// --- The filters of the Adjust dialog: each works on the bound image with
// the dialog's current value, for the preview's copy as for OK.

uint32_t iterations() { return adjust_state().value > 0 ? static_cast<uint32_t>(adjust_state().value) : 0; }

void apply_contrast() { in_place([] { return host().contrast(adjust_number(adjust_state())); }); }
void apply_blur_average() { in_place([] { return host().blur_average(iterations()); }); }
void apply_blur_gaussian() { in_place([] { return host().blur_gaussian(iterations()); }); }
void apply_noisify() { in_place([] { return host().noisify(adjust_number(adjust_state())); }); }
// A block of less than one pixel is no block: the library would divide by it.
void apply_pixelize() { in_place([] { return host().pixelize(iterations() > 0 ? iterations() : 1); }); }
void apply_sharpen() { in_place([] { return host().sharpen(adjust_number(adjust_state()) + 1.0f); }); }
void apply_gamma() { in_place([] { return host().gamma_correct(adjust_number(adjust_state())); }); }
// Whether the latest turn succeeded: OK's turn of the frame comes after
// every preview's.
bool turn_done = false;
void apply_rotate() { turn_done = host().rotate(adjust_number(adjust_state())) != 0; }

struct AdjustFilter {
    const char *title;
    int minimum, maximum, scale, initial;
    void (*apply)();
};

void run_adjust(const AdjustFilter &f)
{
    if (!bound_current_frame())
        return;
    preview_filter_hook = f.apply;
    adjust_open(f.title, f.minimum, f.maximum, f.scale, f.initial);
    editor_host().show_adjust_dialog(f.title, f.minimum, f.maximum, f.scale, f.initial);
    // The dialog removes the filter when it ends; so does every back-end
    // that has no dialog to end.
    preview_filter_hook = nullptr;
}

// Asks before a frame that is not RGBA is converted for a new alpha
// channel; true to go on. The frame's image is bound.
bool may_convert_to_rgba() { return host().image_type() == IMAGE_RGBA || ask_question(CONVERT_TO_RGBA_QUESTION); }

} // namespace

void image_depth_paletted(CommandHost &) { change_depth(IMAGE_INDEXED); }
void image_depth_grayscale(CommandHost &) { change_depth(IMAGE_LUMINANCE); }
void image_depth_rgb(CommandHost &) { change_depth(IMAGE_RGB); }
void image_depth_rgba(CommandHost &) { change_depth(IMAGE_RGBA); }

void image_import_alpha(CommandHost &)
{
    if (!bound_current_frame() || !may_convert_to_rgba())
        return;
    Animation loaded;
    anim_init(&loaded);
    const bool chosen = load_via_dialog(&loaded) != 0;
    if (chosen && loaded.group_count > 0 && loaded.groups[0].frame_count > 0) {
        doc_begin_edit(1);
        frame_set_alpha_from(doc_current_frame(doc_state())->image, loaded.groups[0].frames[0].image);
    }
    anim_destroy(&loaded);
    doc_view().preview_refresh();
}

void image_export_alpha(CommandHost &)
{
    Frame *frame = bound_current_frame();
    if (!frame)
        return;
    Animation exported;
    anim_init(&exported);
    Group *group = anim_add_group(&exported, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    host().copy_image(frame->image);
    uint8_t *plane = image_alpha_plane();
    host().convert_image(IMAGE_LUMINANCE);
    if (plane)
        host().set_data(plane);
    std::free(plane);
    // Saving another animation leaves the document's name, modified mark
    // and undo history alone.
    save_document(nullptr, &exported, true);
    anim_destroy(&exported);
    doc_view().preview_refresh();
}

void image_match_palette(CommandHost &)
{
    Frame *frame = bound_current_frame();
    if (!frame)
        return;
    MatchPaletteChoice choice = match_palette_last_choice();
    const bool ok = editor_host().show_match_palette_dialog(frame->image, choice);
    match_palette_last_choice() = choice;
    if (!ok)
        return;
    std::vector<uint8_t> palette;
    std::string error;
    if (!match_palette_entries(choice, frame->image, palette, error)) {
        show_warning(error);
        return;
    }
    doc_begin_edit(1);
    host().bind_image(frame->image);
    match_palette_apply(choice, palette);
    doc_view().preview_refresh();
}

void image_import_fullbright_mask(CommandHost &)
{
    if (!bound_current_frame())
        return;
    Animation loaded;
    anim_init(&loaded);
    const bool chosen = load_via_dialog(&loaded) != 0;
    if (chosen && loaded.group_count > 0 && loaded.groups[0].frame_count > 0) {
        doc_begin_edit(1);
        Frame *frame = doc_current_frame(doc_state());
        if (!apply_fullbright_mask(frame->image, loaded.groups[0].frames[0].image, default_palette))
            show_warning("The mask or the current frame has no pixels: nothing was matched.");
    }
    anim_destroy(&loaded);
    doc_view().preview_refresh();
}

void image_alienify(CommandHost &) { apply_filter(host().alienify); }
void image_edge_detect(CommandHost &) { apply_filter(host().edge_detect); }
void image_emboss(CommandHost &) { apply_filter(host().emboss); }
void image_negative(CommandHost &) { apply_filter(host().negative); }
void image_flip(CommandHost &) { flip_frame(true); }
void image_mirror(CommandHost &) { flip_frame(false); }

void image_contrast(CommandHost &) { run_adjust({"Adjust Contrast", 0, 1000, 1000, 1000, apply_contrast}); }
void image_blur_average(CommandHost &) { run_adjust({"Blur (Average)", 0, 5, 1, 0, apply_blur_average}); }
void image_blur_gaussian(CommandHost &) { run_adjust({"Blur (Gaussian)", 0, 5, 1, 0, apply_blur_gaussian}); }
void image_noisify(CommandHost &) { run_adjust({"Noisify", 0, 1000, 1000, 0, apply_noisify}); }
void image_pixelize(CommandHost &) { run_adjust({"Pixelize", 1, 100, 1, 0, apply_pixelize}); }
void image_sharpen(CommandHost &) { run_adjust({"Sharpen", 0, 1500, 1000, 0, apply_sharpen}); }
void image_gamma(CommandHost &) { run_adjust({"Gamma Correction", 0, 2000, 1000, 1000, apply_gamma}); }
void image_rotate(CommandHost &)
{
    if (!bound_current_frame())
        return;
    const int w = host().width(), h = host().height();
    turn_done = false;
    run_adjust({"Rotate", 0, 3600, 10, 0, apply_rotate});
    // Cancel brings the value back to 0, as does OK on no turn at all.
    Frame *frame = doc_current_frame(doc_state());
    if (adjust_state().value == 0 || !turn_done || !frame)
        return;
    host().bind_image(frame->image);
    turn_origin(*frame, adjust_number(adjust_state()), w, h, host().height());
}

namespace {

// Whether the resize gives the current frame, or with the whole group any
// of its frames, a new size. Leaves one of the frames' images bound.
bool resize_changes_a_size(const ResizeChoice &choice)
{
    DocumentState &doc = doc_state();
    const Group *group = doc_current_group(doc);
    const int first = choice.whole_group ? 0 : doc.current_frame;
    const int last = choice.whole_group ? group->frame_count - 1 : doc.current_frame;
    for (int f = first; f <= last; ++f) {
        host().bind_image(group->frames[f].image);
        const int fw = host().width(), fh = host().height();
        if (fw <= 0 || fh <= 0)
            continue;
        const ResizeTarget target = resize_target(choice, fw, fh);
        if (target.width != fw || target.height != fh)
            return true;
    }
    return false;
}

} // namespace

void image_resize(CommandHost &)
{
    if (!bound_current_frame())
        return;
    const int w = host().width();
    const int h = host().height();
    if (w <= 0 || h <= 0) {
        show_warning(format_text("The current frame is %i x %i pixels: there is nothing to resize.", w, h));
        return;
    }
    ResizeChoice choice;
    choice.whole_group = resize_whole_group;
    const bool ok = editor_host().show_resize_dialog(w, h, host().image_type() == IMAGE_INDEXED, choice);
    resize_whole_group = choice.whole_group;
    // OK on the sizes the frames have is no change: no undo step, no mark.
    if (!ok || !resize_changes_a_size(choice))
        return;
    doc_begin_edit(1);
    DocumentState &doc = doc_state();
    if (choice.filter >= 0)
        host().set_scaling_filter(choice.filter);
    auto scale_frame = [&](Frame &frame) {
        host().bind_image(frame.image);
        const int fw = host().width(), fh = host().height();
        // A frame without pixels has no proportions to keep.
        if (fw <= 0 || fh <= 0)
            return;
        const ResizeTarget target = resize_target(choice, fw, fh);
        if (image_edit_in_true_colour(PixelMotion::Scaled,
                                      [&] { return host().scale(target.width, target.height) != 0; }))
            scale_origin(frame, fw, fh, target.width, target.height);
    };
    if (!choice.whole_group) {
        scale_frame(*doc_current_frame(doc));
    } else {
        Group *group = doc_current_group(doc);
        for (int f = 0; f < group->frame_count; ++f)
            scale_frame(group->frames[f]);
    }
    doc_view().preview_refresh();
}
