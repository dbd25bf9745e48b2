#include "app/commands/groups_commands.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands/document_access.h"
#include "app/document_controller.h"
#include "app/document_view.h"
#include "views/logic/editor_host.h"
#include "app/logic/command_ids.h"
#include "app/logic/settings.h"
#include "document/animation.h"
#include "platform/platform.h"
#include "quake/texture_sequences.h"
#include "views/logic/property_editor_logic.h"

namespace {

char *duplicate_name(const std::string &name)
{
    char *copy = static_cast<char *>(std::malloc(name.size() + 1));
    if (copy)
        std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

// Move Up (-1) and Move Down (+1).
void move_group(int step, const char *refusal)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_more_groups(doc))
        return;
    const int target = doc.current_group + step;
    if (target < 0 || target >= doc.animation.group_count) {
        // Nothing changes, so no undo step is taken.
        show_warning(refusal);
        return;
    }
    doc_begin_edit(1);
    doc.current_group = anim_swap_groups(&doc.animation, doc.current_group, target);
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
}

} // namespace

void group_rename(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    Group *group = doc_current_group(doc);
    if (!group)
        return;
    std::string name;
    const std::string old_name = group->name ? group->name : "";
    // The same name again is no change: no undo step, no modified mark.
    if (editor_host().ask_group_name(old_name, name) && !name.empty() && name != old_name) {
        doc_begin_edit(1);
        group = doc_current_group(doc);
        char *copy = duplicate_name(name);
        if (copy) {
            std::free(group->name);
            group->name = copy;
        }
    }
    doc_fill_group_list(doc.current_group);
}

void group_add(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    std::string name;
    if (editor_host().ask_group_name(format_text("Group %i", doc.animation.group_count), name) && !name.empty()) {
        doc_begin_edit(1);
        anim_add_group(&doc.animation, name.c_str());
    }
    // The selection stays; in a document that had no group the new one is
    // group 0 and so becomes current.
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}

void group_duplicate(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_group(doc))
        return;
    doc_begin_edit(1);
    anim_append_group_copy(&doc.animation, doc.current_group, &doc.animation);
    doc_fill_group_list(doc.current_group);
    doc_update_commands();
}

void group_delete(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    Group *group = doc_current_group(doc);
    if (!group || !ask_question(format_text("Delete the group \"%s\"?", group->name ? group->name : "")))
        return;
    doc_begin_edit(1);
    anim_delete_group(&doc.animation, doc.current_group, &doc.current_group, &doc.current_frame);
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}

void group_move_up(CommandHost &) { move_group(-1, "Selected group is already at the top"); }
void group_move_down(CommandHost &) { move_group(+1, "Selected group is already at the bottom"); }

void group_properties(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    if (!doc_has_group(doc))
        return;
    Group *group = doc_current_group(doc);
    if (property_editor_edit(&group->props, format_text("\"%s\" Properties", group->name ? group->name : "")))
        doc_view().preview_refresh();
}

void group_renumber_sequence(CommandHost &)
{
    if (file_worker_busy())
        return;
    DocumentState &doc = doc_state();
    Group *group = doc_current_group(doc);
    if (!group)
        return;
    const std::string name = group->name ? group->name : "";
    const SequenceName current = parse_sequence_name(name);
    if (!current.valid) {
        show_warning(format_text("\"%s\" is no frame of an animated texture: its name must start with + and a frame "
                                 "number, 0 to 9 (or a to j in the alternate sequence)",
                                 name.c_str()));
        return;
    }
    std::vector<std::string> names(static_cast<size_t>(doc.animation.group_count));
    for (int g = 0; g < doc.animation.group_count; ++g)
        names[static_cast<size_t>(g)] = doc.animation.groups[g].name ? doc.animation.groups[g].name : "";
    // The members keep their order; textures that repeat a number follow.
    std::vector<int> order;
    for (const TextureSequence &seq : find_texture_sequences(names))
        if (seq.base == current.base && seq.alternate == current.alternate) {
            order = seq.members();
            order.insert(order.end(), seq.repeated.begin(), seq.repeated.end());
        }
    const std::string first = sequence_member_name(current.base, current.alternate, 0);
    if (order.size() > static_cast<size_t>(TEXTURE_SEQUENCE_MAX_FRAMES)) {
        show_warning(format_text("Sequence \"%s\" has %i textures, and the engine numbers at most %i", first.c_str(),
                                 static_cast<int>(order.size()), TEXTURE_SEQUENCE_MAX_FRAMES));
        return;
    }
    bool changes = false;
    for (size_t i = 0; i < order.size(); ++i)
        changes = changes || names[static_cast<size_t>(order[i])]
                                 != sequence_member_name(current.base, current.alternate, static_cast<int>(i));
    // Already numbered from 0 without gaps: no undo step.
    if (!changes)
        return;
    doc_begin_edit(1);
    for (size_t i = 0; i < order.size(); ++i) {
        char *copy = duplicate_name(sequence_member_name(current.base, current.alternate, static_cast<int>(i)));
        Group &member = doc.animation.groups[order[i]];
        if (copy) {
            std::free(member.name);
            member.name = copy;
        }
    }
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
}

namespace {

void step_group(CommandHost &host, int step)
{
    if (file_worker_busy())
        return;
    const DocumentState &doc = doc_state();
    if (!doc_has_more_groups(doc))
        return;
    const int target = doc.current_group + step;
    if (target < 0 || target >= doc.animation.group_count)
        return;
    host.select_group(target);
}

} // namespace

void group_previous(CommandHost &host) { step_group(host, -1); }
void group_next(CommandHost &host) { step_group(host, +1); }

void view_group_browser(CommandHost &host)
{
    settings().group_browser = settings().group_browser ? 0 : 1;
    host.set_checked(IDM_GROUP_BROWSER, settings().group_browser != 0);
    doc_view().layout();
}
