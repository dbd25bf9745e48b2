// What the command handlers need from the window that runs them, beyond the
// document refreshes of DocumentView: check marks, the playback timer, the
// preview's scroll position and origin mode, watching a started file
// operation, and ending the program. The main window implements it; command
// tests use the defaults, which do nothing, or record the calls.
#pragma once

class CommandHost {
public:
    virtual ~CommandHost() = default;

    // The check mark of menu item and toolbar button `command`.
    virtual void set_checked(int command, bool on) { (void)command, (void)on; }
    // (Re)starts the playback timer as a single shot of `interval_ms`.
    virtual void start_playback_timer(int interval_ms) { (void)interval_ms; }
    virtual void stop_playback_timer() {}
    // The preview's scroll position back to the top left.
    virtual void reset_preview_scroll() {}
    // Sets the preview zoom, keeping the picture point at the centre of the
    // view where it is.
    virtual void zoom_preview(float zoom) { (void)zoom; }
    // The zoom step at which the whole frame fits the preview.
    virtual float preview_zoom_to_fit() { return 1.0f; }
    // Switches the preview's origin-setting mode.
    virtual void set_origin_mode(bool on) { (void)on; }
    // A background load or save has been started: refresh when it ends.
    virtual void watch_file_operation() {}
    // File > Exit: like closing the window.
    virtual void exit_program() {}
    // Makes `group` current as choosing it in the window's group selector
    // does (refused there while a file operation runs).
    virtual void select_group(int group) { (void)group; }
};

// Every handler of the command table has this form.
using CommandHandler = void (*)(CommandHost &host);
