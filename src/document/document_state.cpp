#include "document/document_state.h"

#include <cstring>

#include "document/animation.h"

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

DocChangeListener change_listener = nullptr;

void tell(DocChange change)
{
    if (change_listener)
        change_listener(change);
}

// The flags the conditions read, the modified mark and the selection, after
// the history has moved.
void history_moved()
{
    DocumentState &doc = the_document();
    const UndoHistory &history = the_history();
    doc.undo_available = history.can_undo() ? 1 : 0;
    doc.redo_available = history.can_redo() ? 1 : 0;
    doc.modified = history.at_saved() ? 0 : 1;
    doc_select_group(doc.current_group);
    doc_clamp_frame();
    tell(DocChange::HistoryMoved);
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

void doc_set_change_listener(DocChangeListener listener) { change_listener = listener; }

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
    const int frames = doc_current_group_frames(doc);
    return frames > 0 && doc.current_frame >= 0 && doc.current_frame < frames;
}

bool doc_has_more_frames(const DocumentState &doc)
{
    return doc_has_frame(doc) && doc.animation.groups[doc.current_group].frame_count > 1;
}

int doc_current_group_frames(const DocumentState &doc)
{
    if (!doc_has_group(doc))
        return -1;
    const Group &group = doc.animation.groups[doc.current_group];
    return group.frames ? group.frame_count : 0;
}

void doc_select_group(int selection)
{
    DocumentState &doc = the_document();
    const int count = doc.animation.groups ? doc.animation.group_count : 0;
    doc.current_group = selection < 0 || selection >= count ? 0 : selection;
}

int doc_clamp_frame()
{
    DocumentState &doc = the_document();
    const int frames = doc_current_group_frames(doc);
    const int last = frames > 0 ? frames - 1 : 0;
    if (doc.current_frame < 0 || doc.current_frame > last)
        doc.current_frame = 0;
    return last;
}

void doc_begin_edit(int snapshot, const char *label)
{
    DocumentState &doc = the_document();
    UndoHistory &history = the_history();
    if (snapshot)
        history.record(doc.animation, label ? label : "");
    else
        history.clear();
    doc.undo_available = history.can_undo() ? 1 : 0;
    doc.redo_available = 0;
    doc.modified = snapshot ? 1 : 0;
    tell(snapshot ? DocChange::Edited : DocChange::Replaced);
}

void doc_cancel_edit()
{
    the_history().forget_newest();
    history_moved();
}

const char *doc_undo_label() { return the_history().undo_label().c_str(); }

const char *doc_redo_label() { return the_history().redo_label().c_str(); }

void doc_mark_saved()
{
    DocumentState &doc = the_document();
    the_history().mark_saved();
    doc.modified = 0;
    tell(DocChange::Saved);
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
