// The command handlers on the scripted back-end, without widgets: the
// document is built by the test, questions, group names and property edits
// are answered from the script, and the window is a recorder.
#pragma once

#include <string>
#include <vector>

#include "app/commands/command_host.h"
#include "document/document_state.h"
#include "support/test_support.h"

// Records what the handlers ask of the window.
class RecordingHost : public CommandHost {
public:
    void start_playback_timer(int interval_ms) override { timer_starts.push_back(interval_ms); }
    void stop_playback_timer() override { ++timer_stops; }
    void set_checked(int command, bool on) override { checks.push_back({command, on}); }

    struct Check {
        int command;
        bool on;
    };
    std::vector<int> timer_starts;
    int timer_stops = 0;
    std::vector<Check> checks;
};

class CommandsTest : public DocumentTest {
protected:
    // Appends a group of `frames` frames, frame j a (j+1) x 2 RGBA image.
    static Group *add_group(const char *name, int frames);
    static std::vector<std::string> group_names();
    // The document as a clean, freshly loaded one: no undo copy, unmodified.
    static void settle() { doc_begin_edit(0); }

    RecordingHost window;
};
