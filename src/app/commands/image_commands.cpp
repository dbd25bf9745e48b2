#include "app/commands/image_commands.h"

#include <cstdlib>

#include "app/commands/document_access.h"
#include "document/animation.h"
#include "fileio/file_ops.h"
#include "platform/platform.h"
#include "plugins/host_table.h"
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

void apply_filter(int32_t (*filter)())
{
    if (!bound_current_frame())
        return;
    doc_begin_edit(1);
    host().bind_image(doc_current_frame(doc_state())->image);
    filter();
    doc_view().preview_refresh();
}

// --- The filters of the Adjust dialog: each works on the bound image with
// the dialog's current value.

uint32_t iterations() { return adjust_state().value > 0 ? static_cast<uint32_t>(adjust_state().value) : 0; }

void apply_contrast() { host().contrast(adjust_number(adjust_state())); }
void apply_blur_average() { host().blur_average(iterations()); }
void apply_blur_gaussian() { host().blur_gaussian(iterations()); }
void apply_noisify() { host().noisify(adjust_number(adjust_state())); }
// A block of less than one pixel is no block: the library would divide by it.
void apply_pixelize() { host().pixelize(iterations() > 0 ? iterations() : 1); }
void apply_sharpen() { host().sharpen(adjust_number(adjust_state()) + 1.0f); }
void apply_gamma() { host().gamma_correct(adjust_number(adjust_state())); }
void apply_rotate() { host().rotate(adjust_number(adjust_state())); }

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
    platform().show_adjust_dialog(f.title, f.minimum, f.maximum, f.scale, f.initial);
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

void image_alienify(CommandHost &) { apply_filter(host().alienify); }
void image_edge_detect(CommandHost &) { apply_filter(host().edge_detect); }
void image_emboss(CommandHost &) { apply_filter(host().emboss); }
void image_negative(CommandHost &) { apply_filter(host().negative); }
void image_flip(CommandHost &) { apply_filter(host().flip); }
void image_mirror(CommandHost &) { apply_filter(host().mirror); }

void image_contrast(CommandHost &) { run_adjust({"Adjust Contrast", 0, 1000, 1000, 1000, apply_contrast}); }
void image_blur_average(CommandHost &) { run_adjust({"Blur (Average)", 0, 5, 1, 0, apply_blur_average}); }
void image_blur_gaussian(CommandHost &) { run_adjust({"Blur (Gaussian)", 0, 5, 1, 0, apply_blur_gaussian}); }
void image_noisify(CommandHost &) { run_adjust({"Noisify", 0, 1000, 1000, 0, apply_noisify}); }
void image_pixelize(CommandHost &) { run_adjust({"Pixelize", 1, 100, 1, 0, apply_pixelize}); }
void image_sharpen(CommandHost &) { run_adjust({"Sharpen", 0, 1500, 1000, 0, apply_sharpen}); }
void image_gamma(CommandHost &) { run_adjust({"Gamma Correction", 0, 2000, 1000, 1000, apply_gamma}); }
void image_rotate(CommandHost &) { run_adjust({"Rotate", 0, 3600, 10, 0, apply_rotate}); }

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
    const bool ok = platform().show_resize_dialog(w, h, host().image_type() == IMAGE_INDEXED, choice);
    resize_whole_group = choice.whole_group;
    // OK on the sizes the frames have is no change: no undo step, no mark.
    if (!ok || !resize_changes_a_size(choice))
        return;
    doc_begin_edit(1);
    DocumentState &doc = doc_state();
    if (choice.filter >= 0)
        host().set_scaling_filter(choice.filter);
    auto scale_frame = [&](const Frame &frame) {
        host().bind_image(frame.image);
        const int fw = host().width(), fh = host().height();
        // A frame without pixels has no proportions to keep.
        if (fw <= 0 || fh <= 0)
            return;
        const ResizeTarget target = resize_target(choice, fw, fh);
        host().scale(target.width, target.height);
    };
    if (!choice.whole_group) {
        scale_frame(*doc_current_frame(doc));
    } else {
        const Group *group = doc_current_group(doc);
        for (int f = 0; f < group->frame_count; ++f)
            scale_frame(group->frames[f]);
    }
    doc_view().preview_refresh();
}
