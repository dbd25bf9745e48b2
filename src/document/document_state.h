// The one open document: its animation, the selection, the modified mark,
// the file name and its undo history, with the routines that keep the
// window's group selector, frame slider and commands in step with them.
#pragma once

#include <cstdint>

#include "document/document_view.h"
#include "document/undo_history.h"
#include "plugins/vorn_plugin.h"

// Room for any path the system can open (PATH_MAX): a document opened from
// a deep folder must keep its whole name, or Save would write elsewhere.
inline constexpr int DOC_FILE_NAME_SIZE = 4096;

inline constexpr const char *DOC_MODIFIED_QUESTION =
    "Current animation has been modified without being saved, continue anyway?";

struct DocumentState {
    Animation animation;       // the open document; no groups after New/Close
    int32_t current_group;     // may point past the end; see the conditions
    int32_t current_frame;
    int32_t modified;          // unsaved changes
    // Kept in step with doc_history() by the routines below.
    int32_t undo_available;    // Undo has a step to restore
    int32_t redo_available;    // Redo has a step to restore
    char file_name[DOC_FILE_NAME_SIZE]; // empty for a never loaded or saved document
};

// The process-wide document. Used by the user-interface thread, and by a
// file worker only while the busy mark keeps every command away from it.
DocumentState &doc_state();
// The document's undo and redo steps; only the routines below change it.
UndoHistory &doc_history();
// Empties the document and its history and clears every field (start-up).
// Destroys whatever the record held before.
void doc_reset();

// The window that shows the document (not owned); nullptr for none.
void doc_set_view(DocumentView *view);
DocumentView &doc_view();

// Found at start-up: a scanner can be used (enables Acquire/Select Source).
void doc_set_scanner_available(bool available);

// Derived conditions. Every command tests them before indexing anything.
bool doc_has_group(const DocumentState &doc);
bool doc_has_more_groups(const DocumentState &doc);
bool doc_has_frame(const DocumentState &doc);
bool doc_has_more_frames(const DocumentState &doc);
DocConditions doc_conditions(const DocumentState &doc);

// snapshot 1: called by an editing command just before it changes the
// document: records an undo step (dropping the redo steps) and marks the
// document modified.
// snapshot 0: the document becomes clean with an empty history (New, Close,
// load), and the view drops what it kept for the old one (document_replaced).
void doc_begin_edit(int snapshot);
// The document has been written: it is clean and its current state is the
// saved one; the history is kept.
void doc_mark_saved();
// Walk the history back or forward one step. The selection is kept where
// it is and only clamped by the refills; the modified mark is cleared
// exactly when the step lands on the saved state.
void doc_undo();
void doc_redo();
// Asks before dropping unsaved changes; returns 1 when the document was
// closed, 0 when the user declined (nothing changed then).
int doc_close();
// Refills the group selector and selects `selection` (0 when out of range).
void doc_fill_group_list(int selection);
// Sets the slider's range from the current group and clamps current_frame.
void doc_sync_frame_slider();
// Enables the commands from the derived conditions.
void doc_update_commands();
