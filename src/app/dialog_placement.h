// Every dialog of the editor opens centred on the main window, whoever its
// parent is (a colour chooser opened from the palette editor, a message box
// from a dialog): one event filter on the application places each dialog
// as it is shown, so message boxes, input, progress, colour and non-native
// file dialogs are covered without a call at each place that opens one.
// A dialog that asks for it (DIALOG_BESIDE_PREVIEW_PROPERTY) opens beside
// the preview instead.
//
// The same filter gives the keyboard back to the preview when the last
// dialog closes: whatever had it before (the group browser's filter box,
// say) would otherwise take the keys meant for the picture.
#pragma once

class QWidget;

// Makes `main_window` the window dialogs are centred on and `preview` the
// control dialogs stand beside and that gets the keyboard when they close
// (the latest call wins; a destroyed widget simply stops counting), and
// installs the filter on the application once. Call it on the
// user-interface thread.
void install_dialog_placement(QWidget *main_window, QWidget *preview = nullptr);

// Moves the window `dialog` so that its frame is centred on the main
// window's frame and lies inside the available area of the main window's
// screen. Does nothing without a visible main window or for the main
// window itself.
void centre_on_main_window(QWidget *dialog);

// Moves the window `dialog` beside the preview where it covers the least
// of it, inside the available area of the main window's screen; centred
// on the main window when there is no visible preview.
void place_beside_preview(QWidget *dialog);
