// What the document state needs from the window that shows it: the group
// selector, the frame slider, command enabling, the title, the preview and
// the layout. The editor's main window implements it; tests fake it. Every
// method has an empty default so that a back-end overrides only what it has.
//
// The document routines call these on the thread they run on; the file
// workers route their calls through platform().run_on_ui_thread, so an
// implementation is only ever called on the user-interface thread.
#pragma once

#include <string>
#include <vector>

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
