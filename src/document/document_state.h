// The one open document: its animation, the selection, the modified mark,
// the file name and its undo history. Whoever shows the document learns of
// each change through the change listener; the editor's window refresh
// (app/document_view.h) is the only one.
#pragma once

#include <cstdint>

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

// What has just happened to the document, told to the change listener on
// the thread that made the change.
enum class DocChange {
    Edited,       // an editing command is about to change it (snapshot 1)
    Replaced,     // it became clean with an empty history (snapshot 0)
    Saved,        // its current state is the saved one
    HistoryMoved, // Undo or Redo restored a step; the selection is clamped
};
using DocChangeListener = void (*)(DocChange change);
// Installs the listener (nullptr for none).
void doc_set_change_listener(DocChangeListener listener);

// Derived conditions. Every command tests them before indexing anything.
bool doc_has_group(const DocumentState &doc);
bool doc_has_more_groups(const DocumentState &doc);
bool doc_has_frame(const DocumentState &doc);
bool doc_has_more_frames(const DocumentState &doc);
// The frame count of the current group, or -1 when there is no such group.
int doc_current_group_frames(const DocumentState &doc);
// Selects group `selection`, or group 0 when there is no such group.
void doc_select_group(int selection);
// Keeps the current frame when the current group has it, else selects
// frame 0. Returns the highest frame index of the group (0 for none).
int doc_clamp_frame();

// snapshot 1: called by an editing command just before it changes the
// document: records an undo step (dropping the redo steps) and marks the
// document modified.
// snapshot 0: the document becomes clean with an empty history (New, Close,
// load), and the view drops what it kept for the old one (document_replaced).
// `label` names the edit for the Undo and Redo items ("Pencil").
void doc_begin_edit(int snapshot, const char *label = nullptr);
// Abandons the edit announced by the last doc_begin_edit(1), whose changes
// the caller has already taken back (Escape in the middle of a stroke):
// its step leaves the history without a Redo, and the modified mark is
// what it was before.
void doc_cancel_edit();
// The names of the steps Undo and Redo would take (empty when unnamed).
const char *doc_undo_label();
const char *doc_redo_label();
// The document has been written: it is clean and its current state is the
// saved one; the history is kept.
void doc_mark_saved();
// Walk the history back or forward one step. The selection is kept where
// it is and only clamped to what the restored step has; the modified mark is cleared
// exactly when the step lands on the saved state.
void doc_undo();
void doc_redo();
