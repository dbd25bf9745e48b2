// Every dialog of the editor opens centred on the main window, whoever its
// parent is (a colour chooser opened from the palette editor, a message box
// from a dialog): one event filter on the application places each dialog
// as it is shown, so message boxes, input, progress, colour and non-native
// file dialogs are covered without a call at each place that opens one.
#pragma once

class QWidget;

// Makes `main_window` the window dialogs are centred on (the latest call
// wins; a destroyed window simply stops centring) and installs the filter
// on the application once. Call it on the user-interface thread.
void install_dialog_placement(QWidget *main_window);

// Moves the window `dialog` so that its frame is centred on the main
// window's frame and lies inside the available area of the main window's
// screen. Does nothing without a visible main window or for the main
// window itself.
void centre_on_main_window(QWidget *dialog);
