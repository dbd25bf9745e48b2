// The editor's start-up and message loop.
#pragma once

#include <string>

// The file to open at start: the arguments after the program name, joined
// by blanks (an unquoted path with blanks arrives split by the shell), with
// surrounding double quotes removed. Empty when there is none.
std::string command_line_file(int argc, char **argv);

// Starts the editor and runs until it is closed: plug-ins, image library,
// settings, empty document, default palette, main window, then the file of
// the command line. Returns the process exit status.
//
// With VORN_AUTOCLOSE_MS set to a number, the window closes itself that
// many milliseconds after the start-up load has finished, printing its
// caption and status text first (smoke tests and screenshots).
int run_editor(int argc, char **argv);
