// The window that shows the document, and the routines that keep its group
// selector, frame slider and commands in step with the document: the group
// selector, the frame slider, command enabling, the title, the preview and
// the layout. The editor's main window implements DocumentView; tests fake
// it. Every method has an empty default so that a back-end overrides only
// what it has.
//
// The document routines call these on the thread they run on; the file
// workers route their calls through platform().run_on_ui_thread, so an
// implementation is only ever called on the user-interface thread.
#pragma once

#include <string>
#include <vector>

struct DocumentState;

// The derived conditions of the document, with the scanner flag, as the
// command enabling reads them.
struct DocConditions {
    bool has_group = false;
    bool has_more_groups = false;
    bool has_frame = false;
    bool has_more_frames = false;
    bool undo_available = false;
    bool scanner_found = false;
    bool redo_available = false;
};

class DocumentView {
public:
    virtual ~DocumentView() = default;

    // Group selector: replace the entries by `names` (document order) and
    // select entry `selection` (always a valid index when names is not empty).
    virtual void set_group_list(const std::vector<std::string> &names, int selection) { (void)names, (void)selection; }
    // Frame slider: range 0..maximum, thumb at `position`.
    virtual void set_frame_slider(int maximum, int position) { (void)maximum, (void)position; }
    // Menu items and toolbar buttons: enable each command by the conditions
    // (see command_enabled in app/command_table.h).
    virtual void update_commands(const DocConditions &conditions) { (void)conditions; }
    // Caption: "Vorn - name [zoom%]" with '*' after the name when modified.
    virtual void update_title() {}
    // Redraw the frame preview and its "Frame %i of %i" status.
    virtual void preview_refresh() {}
    // The preview's zoom factor back to 1.0 (a closed document).
    virtual void reset_zoom() {}
    // Another document takes the window (New, Open, Close): what the view
    // kept for the old one, such as a filter over its group names, goes.
    virtual void document_replaced() {}
    // Position the preview, slider, selector and bars again.
    virtual void layout() {}
};

// The window that shows the document (not owned); nullptr for none. The
// first call also makes the document's changes (document/document_state.h)
// refresh the view.
void doc_set_view(DocumentView *view);
DocumentView &doc_view();

// Found at start-up: a scanner can be used (enables Acquire/Select Source).
void doc_set_scanner_available(bool available);
// The derived conditions of the document with the scanner flag.
DocConditions doc_conditions(const DocumentState &doc);

// Asks before dropping unsaved changes; returns 1 when the document was
// closed, 0 when the user declined (nothing changed then).
int doc_close();
// Refills the group selector and selects `selection` (0 when out of range).
void doc_fill_group_list(int selection);
// Sets the slider's range from the current group and clamps current_frame.
void doc_sync_frame_slider();
// Enables the commands from the derived conditions.
void doc_update_commands();
