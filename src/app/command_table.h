// The one table behind the menu bar, the toolbar and the keyboard: every
// command the editor offers, with its menu, its text (an ampersand marks the
// mnemonic, a tab the key text), its key, the condition that enables it and
// the handler that carries it out. Menus, shortcuts, enabling and dispatch
// (MainWindow::command) are all driven by COMMAND_TABLE; the toolbar's
// buttons name commands of it.
#pragma once

#include <cstddef>

#include "app/commands/command_host.h"
#include "app/logic/command_enabling.h"

struct CommandEntry {
    const char *menu;    // top-level menu text; nullptr for a toolbar-only command
    const char *submenu; // nullptr, or the submenu the item sits in
    int command;         // 0: a separator
    const char *text;    // menu text (nullptr for a toolbar-only command)
    const char *keys;    // QKeySequence portable text of its key, or nullptr
    CommandCondition condition;
    bool checkable;
    CommandHandler handler; // nullptr: no command attached
};

// The menu bar in order, then the toolbar-only commands. Commands that the
// editor does not offer yet are simply not listed, so no item is present
// that does nothing.
extern const CommandEntry COMMAND_TABLE[];
extern const size_t COMMAND_TABLE_SIZE;

// The entry of `command`, nullptr when the editor has none.
const CommandEntry *command_entry(int command);

struct ToolbarEntry {
    int command;      // 0: a separator
    const char *icon; // resource path of the 19 x 18 image
    bool checkable;
};

// The toolbar's 23 slots, in order.
extern const ToolbarEntry TOOLBAR_TABLE[];
extern const size_t TOOLBAR_TABLE_SIZE;

// Further keys of commands whose table entry already names one.
struct ExtraShortcut {
    int command;
    const char *keys; // QKeySequence portable text
};
extern const ExtraShortcut EXTRA_SHORTCUTS[];
extern const size_t EXTRA_SHORTCUTS_SIZE;

// Tool tip of a toolbar command, nullptr when it has none.
const char *tooltip_text(int command);

// Whether the editor carries out `command` (so that a button may be
// enabled): its entry names a handler.
bool command_is_offered(int command);
