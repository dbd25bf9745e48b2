#include "document/document_state.h"

#include <cstring>
#include <string>
#include <vector>

#include "document/animation.h"
#include "platform/platform.h"

namespace {

DocumentState &the_document()
{
    // Zero-initialised: empty animations, clean, no name.
    static DocumentState state{};
    return state;
}

// Made once and never destroyed: its snapshots hold images of the image
// library, which may already be shut down when static objects go.
UndoHistory &the_history()
{
    static UndoHistory &history = *new UndoHistory;
    return history;
}

// The flags the conditions read, the modified mark and the window, after
// the history has moved.
void history_moved()
{
    DocumentState &doc = the_document();
    const UndoHistory &history = the_history();
    doc.undo_available = history.can_undo() ? 1 : 0;
    doc.redo_available = history.can_redo() ? 1 : 0;
    doc.modified = history.at_saved() ? 0 : 1;
    doc_view().update_title();
    doc_fill_group_list(doc.current_group);
    doc_view().preview_refresh();
    doc_update_commands();
}

DocumentView no_view;
DocumentView *current_view = nullptr;
bool scanner_available = false;

// The frame count of the current group, or -1 when there is no such group.
int current_group_frames(const DocumentState &doc)
{
    if (!doc_has_group(doc))
        return -1;
    const Group &group = doc.animation.groups[doc.current_group];
    return group.frames ? group.frame_count : 0;
}

} // namespace

DocumentState &doc_state() { return the_document(); }
UndoHistory &doc_history() { return the_history(); }

void doc_reset()
{
    DocumentState &doc = the_document();
    anim_destroy(&doc.animation);
    the_history().clear();
    doc.current_group = 0;
    doc.current_frame = 0;
    doc.modified = 0;
    doc.undo_available = 0;
    doc.redo_available = 0;
    std::memset(doc.file_name, 0, sizeof doc.file_name);
}

void doc_set_view(DocumentView *view) { current_view = view; }
DocumentView &doc_view() { return current_view ? *current_view : no_view; }

void doc_set_scanner_available(bool available) { scanner_available = available; }

bool doc_has_group(const DocumentState &doc)
{
    return doc.animation.groups && doc.current_group >= 0 && doc.current_group < doc.animation.group_count;
}

bool doc_has_more_groups(const DocumentState &doc)
{
    return doc_has_group(doc) && doc.animation.group_count > 1;
}

bool doc_has_frame(const DocumentState &doc)
{
    const int frames = current_group_frames(doc);
    return frames > 0 && doc.current_frame >= 0 && doc.current_frame < frames;
}

bool doc_has_more_frames(const DocumentState &doc)
{
    return doc_has_frame(doc) && doc.animation.groups[doc.current_group].frame_count > 1;
}

DocConditions doc_conditions(const DocumentState &doc)
{
    DocConditions c;
    c.has_group = doc_has_group(doc);
    c.has_more_groups = doc_has_more_groups(doc);
    c.has_frame = doc_has_frame(doc);
    c.has_more_frames = doc_has_more_frames(doc);
    c.undo_available = doc.undo_available != 0;
    c.redo_available = doc.redo_available != 0;
    c.scanner_found = scanner_available;
    return c;
}

void doc_begin_edit(int snapshot)
{
    DocumentState &doc = the_document();
    UndoHistory &history = the_history();
    if (snapshot)
        history.record(doc.animation);
    else
        history.clear();
    doc.undo_available = history.can_undo() ? 1 : 0;
    doc.redo_available = 0;
    doc.modified = snapshot ? 1 : 0;
    if (!snapshot)
        doc_view().document_replaced();
    doc_view().update_title();
    doc_update_commands();
}

void doc_mark_saved()
{
    DocumentState &doc = the_document();
    the_history().mark_saved();
    doc.modified = 0;
    doc_view().update_title();
    doc_update_commands();
}

void doc_undo()
{
    if (the_history().undo(the_document().animation))
        history_moved();
}

void doc_redo()
{
    if (the_history().redo(the_document().animation))
        history_moved();
}

int doc_close()
{
    DocumentState &doc = the_document();
    if (doc.modified && !ask_question(DOC_MODIFIED_QUESTION))
        return 0;
    doc_begin_edit(0);
    doc_view().reset_zoom();
    anim_destroy(&doc.animation);
    doc.current_group = 0;
    doc.current_frame = 0;
    doc_view().preview_refresh();
    std::memset(doc.file_name, 0, sizeof doc.file_name);
    doc_view().update_title();
    doc_view().layout();
    doc_fill_group_list(0);
    // The commands must not stay enabled for frames that no longer exist.
    doc_update_commands();
    return 1;
}

void doc_fill_group_list(int selection)
{
    DocumentState &doc = the_document();
    std::vector<std::string> names;
    const int count = doc.animation.groups ? doc.animation.group_count : 0;
    names.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const char *name = doc.animation.groups[i].name;
        names.emplace_back(name ? name : "");
    }
    if (selection < 0 || selection >= count)
        selection = 0;
    doc.current_group = selection;
    doc_view().set_group_list(names, selection);
    doc_sync_frame_slider();
}

void doc_sync_frame_slider()
{
    DocumentState &doc = the_document();
    const int frames = current_group_frames(doc);
    const int maximum = frames > 0 ? frames - 1 : 0;
    if (doc.current_frame < 0 || doc.current_frame > maximum)
        doc.current_frame = 0;
    doc_view().set_frame_slider(maximum, doc.current_frame);
}

void doc_update_commands() { doc_view().update_commands(doc_conditions(the_document())); }
