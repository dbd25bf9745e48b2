#include "app/commands/animation_commands.h"

#include <vector>

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "app/logic/command_ids.h"
#include "app/commands/navigation_commands.h"
#include "app/logic/playback.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "document/props.h"
#include "platform/platform.h"
#include "image/host_table.h"
#include "views/logic/frame_strip_logic.h"
#include "views/logic/property_editor_logic.h"

void frame_properties(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    const Group *group = doc_current_group(doc);
    const std::string title =
        format_text("\"%s\" Frame %i Properties", group->name ? group->name : "", doc.current_frame + 1);
    // An edited origin shows at once.
    if (property_editor_edit(&doc_current_frame(doc)->props, title))
        doc_view().preview_refresh();
}

namespace {

// Copies the current frame's list over the lists of the frames of groups
// `first` to `last`, the current frame itself left out.
void propagate(int first, int last)
{
    DocumentState &doc = doc_state();
    doc_begin_edit(1);
    const PropertyList *source = &doc_current_frame(doc)->props;
    for (int g = first; g <= last; ++g) {
        Group &group = doc.animation.groups[g];
        for (int f = 0; f < group.frame_count; ++f)
            if (!(g == doc.current_group && f == doc.current_frame))
                props_copy(source, &group.frames[f].props);
    }
    doc_view().preview_refresh();
}

} // namespace

void frame_propagate_to_group(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (doc_has_frame(doc))
        propagate(doc.current_group, doc.current_group);
}

void frame_propagate_to_animation(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (doc_has_frame(doc))
        propagate(0, doc.animation.group_count - 1);
}

void frame_delete(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc) || !ask_question("Remove this frame?"))
        return;
    doc_begin_edit(1);
    group_delete_frame(doc_current_group(doc), doc.current_frame);
    doc_sync_frame_slider();
    doc_view().preview_refresh();
    doc_update_commands();
}

void frame_import_append(CommandHost &)
{
    if (file_worker_busy())
        return;
    Animation imported;
    anim_init(&imported);
    if (!import_frames_via_dialog(&imported)) {
        anim_destroy(&imported);
        return;
    }
    DocumentState &doc = doc_state();
    doc_begin_edit(1);
    Group *group = doc_ensure_group(doc);
    if (imported.groups && imported.group_count > 0)
        group_append_frames(group, &imported.groups[0]);
    doc.current_frame = group->frame_count > 0 ? group->frame_count - 1 : 0;
    anim_destroy(&imported);
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}

void frame_import_replace(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    Animation loaded;
    anim_init(&loaded);
    const bool chosen = load_via_dialog(&loaded) != 0;
    if (!chosen || loaded.group_count < 1 || !loaded.groups || loaded.groups[0].frame_count < 1) {
        anim_destroy(&loaded);
        return;
    }
    doc_begin_edit(1);
    // Only the image is replaced: the frame keeps its own properties.
    host().bind_image(doc_current_frame(doc)->image);
    host().copy_image(loaded.groups[0].frames[0].image);
    anim_destroy(&loaded);
    doc_view().preview_refresh();
}

void frame_export(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    // A scratch animation of one frame with the image only: the frame's
    // properties stay behind.
    Animation exported;
    anim_init(&exported);
    Group *group = anim_add_group(&exported, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    host().copy_image(doc_current_frame(doc)->image);
    // Saving another animation leaves the document's name, modified mark
    // and undo history alone.
    save_document(nullptr, &exported, true);
    anim_destroy(&exported);
    doc_view().preview_refresh();
}

namespace {

enum class Step { First, Previous, Next, End };

void step_to(Step step)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_frame(doc))
        return;
    const int last = doc.animation.groups[doc.current_group].frame_count - 1;
    switch (step) {
    case Step::First: doc.current_frame = 0; break;
    case Step::Previous: doc.current_frame = doc.current_frame > 0 ? doc.current_frame - 1 : 0; break;
    case Step::Next: doc.current_frame = doc.current_frame < last ? doc.current_frame + 1 : last; break;
    case Step::End: doc.current_frame = last; break;
    }
    doc_view().preview_refresh();
    doc_sync_frame_slider();
}

} // namespace

void frame_first(CommandHost &) { step_to(Step::First); }
void frame_previous(CommandHost &) { step_to(Step::Previous); }
void frame_next(CommandHost &) { step_to(Step::Next); }
void frame_end(CommandHost &) { step_to(Step::End); }

void frame_play(CommandHost &host)
{
    if (file_worker_busy())
        return;
    // A texture of an animated sequence plays the sequence: its own frames
    // are only its mip levels.
    if (sequence_play(host))
        return;
    playback_ended();
    const DocumentState &doc = doc_state();
    const int interval = playback_start(&doc.animation, doc.current_group, doc.current_frame);
    if (interval > 0)
        host.start_playback_timer(interval);
}

void frame_stop(CommandHost &host)
{
    host.stop_playback_timer();
    playback_ended();
}


void view_frame_strip(CommandHost &host)
{
    settings().frame_strip = settings().frame_strip ? 0 : 1;
    host.set_checked(IDM_FRAME_STRIP, settings().frame_strip != 0);
    doc_view().layout();
}

void view_palette_panel(CommandHost &host)
{
    settings().palette_panel = settings().palette_panel ? 0 : 1;
    host.set_checked(IDM_PALETTE_PANEL, settings().palette_panel != 0);
    doc_view().layout();
}

void frame_move(int from, int slot)
{
    DocumentState &doc = doc_state();
    Group *group = file_worker_busy() ? nullptr : doc_current_group(doc);
    if (!group)
        return;
    const std::vector<int> order = frame_strip_move_order(group->frame_count, from, slot);
    const int to = frame_strip_dropped_index(from, slot);
    if (order.empty() || to == from)
        return;
    doc_begin_edit(1);
    // The frames trade places whole: each keeps its image and properties.
    const std::vector<Frame> old(group->frames, group->frames + group->frame_count);
    for (size_t i = 0; i < order.size(); ++i)
        group->frames[i] = old[static_cast<size_t>(order[i])];
    doc.current_frame = to;
    doc_sync_frame_slider();
    doc_view().preview_refresh();
}

void frame_set_duration(int frame, const std::string &text)
{
    if (file_worker_busy() || text.find_first_not_of(" \t") == std::string::npos)
        return;
    Group *group = doc_current_group(doc_state());
    if (!group || frame < 0 || frame >= group->frame_count)
        return;
    const float seconds = parse_float_text(text);
    if (property_list_edit(&group->frames[frame].props,
                           [seconds](PropertyList *list) { props_set_float(list, "Duration", seconds); }))
        doc_view().preview_refresh();
}
