// Opening and saving the document on a worker thread, the busy mark that
// keeps every other command away from the document meanwhile, the progress
// report, and the synchronous dialog-driven loads and saves of the frame and
// alpha-channel commands.
//
// The dialogs are the editor's (views/logic/editor_host.h); everything the workers
// show, ask or refresh goes through the platform layer: questions and view
// refreshes through run_on_ui_thread, so the window is only touched from
// its own thread.
#pragma once

#include <functional>
#include <string>

#include "plugins/vorn_plugin.h"

// A background file operation is running. While it is, no command may read
// or change the document or start another file operation.
bool file_worker_busy();

// Called on the user-interface thread with the path of a file the document
// has just been loaded from or saved to (the recent-files list); nullptr
// for none.
using DocumentFileHook = void (*)(const std::string &path);
void set_document_file_hook(DocumentFileHook hook);
// Called on the user-interface thread once a load has replaced the
// document (not when the file was refused); empty for none.
void set_document_opened_hook(std::function<void()> hook);
// Waits until the last worker thread has ended and releases it. Never call
// it on the user-interface thread while a worker may still need that thread
// (run_on_ui_thread would wait for it forever); tests and the shut-down,
// which is refused while a worker runs, use it.
void file_worker_wait();

// The question about unsaved changes, when the document has any, with Save
// offered beside Yes and No. True when the caller may drop the document:
// nothing was unsaved, the user answered Yes, or Save wrote the file (to
// its name, or to one chosen in the save dialog when it has none). No, a
// cancelled dialog or a failed save give false, and nothing has changed.
// On the user-interface thread, by the thread that owns the document.
bool settle_unsaved_changes();
// New and Close: settle_unsaved_changes, then the document closed. 1 when
// it was closed, 0 when the user went back.
int close_document();

// File > Open: the open dialog (in the document's folder when it has a
// file), then the load worker. 0 when the dialog was
// cancelled or a worker is already running, 1 when the load has started.
int open_document();
// Starts load_worker on `path` (a dropped file, the command line, Open);
// for an archive, on the entry the user chooses in its browser.
// 0 when a worker is already running or no thread could be started.
int start_load_worker(const std::string &path);
// The body of the load thread: settles unsaved changes on the user-interface
// thread, reads `path` into an animation of its own and, unless the file was
// refused (no group, and a warning said why), makes it the document and
// refreshes the window; a refused file leaves the document untouched. Reports "Ready." and
// clears the busy mark as its last action.
void load_worker(const std::string &path);

// Saves `anim` to `path`, or to a name chosen in the save dialog when path
// is null or empty (opened on the document's file for the document, in its
// folder for anything else). Synchronous: on the calling thread; otherwise on the
// save worker. Returns 1 when a save was made or started, 0 when the dialog
// was cancelled (or a worker is already running).
//
// When `anim` is the document, a save that succeeds makes `path` the
// document's file name and marks its current state as the saved one
// (doc_mark_saved, the undo history is kept); a save that fails leaves
// name, modified mark and history as they were. Saving any other animation
// (an exported frame or alpha channel) leaves the document alone. Callers
// therefore do not mark the document saved themselves.
int save_document(const char *path, Animation *anim, bool synchronous);
// The body of the save thread.
void save_worker(const std::string &path, Animation *anim);

// Open dialog, then the chosen file loaded into the empty `anim` on the
// calling thread, for a caller that uses its first frame: a file of the
// image library's formats gives that frame alone. 1 when a file was chosen.
int load_via_dialog(Animation *anim);
// Multi-file open dialog; every chosen file's first group's frames are
// appended, in the listed order, to group 0 ("[no group]") of `anim`, which
// must own nothing on entry. 1 when files were chosen; on cancel `anim`
// keeps its one empty group.
int import_frames_via_dialog(Animation *anim);

// Status text and progress bar of a file operation: total 0 shows "Ready."
// and hides the bar, otherwise "File Operation: N%" with N = done * 100 / total. Any thread.
void report_progress(int done, int total);
