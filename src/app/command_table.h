// The one table behind the menu bar, the toolbar and the keyboard: every
// command the editor offers, with its menu, its label (an ampersand marks
// the mnemonic), its key, its tool tip, the condition that enables it and
// the handler that carries it out. Menus, shortcuts, tool tips, enabling and
// dispatch (MainWindow::command) are all driven by COMMAND_TABLE; the
// toolbar's buttons name commands of it.
#pragma once

#include <cstddef>
#include <string>

#include "app/commands/command_host.h"
#include "app/logic/command_enabling.h"

struct CommandEntry {
    const char *menu;     // top-level menu text; nullptr for a toolbar-only command
    const char *submenu;  // nullptr, or the submenu the item sits in
    int command;          // 0: a separator
    const char *label;    // menu text without its key (nullptr for a toolbar-only command)
    const char *keys;     // QKeySequence portable text of its key, or nullptr
    const char *tool_tip; // text of its toolbar button, nullptr when it has none
    CommandCondition condition;
    bool checkable;         // menu item and toolbar button alike
    CommandHandler handler; // nullptr: no command attached
};

// The menu bar in order, then the toolbar-only commands. Commands that the
// editor does not offer yet are simply not listed, so no item is present
// that does nothing; the one exception is the toolbar's Bounding Box Mode
// button, listed without a handler and so never enabled.
extern const CommandEntry COMMAND_TABLE[];
extern const size_t COMMAND_TABLE_SIZE;

// The entry of `command`, nullptr when the editor has none.
const CommandEntry *command_entry(int command);

// The text of the menu item: its label, then a tab and the key when it has
// one ("&Redo\tCtrl+Y").
std::string menu_text(const CommandEntry &entry);
// The text of Undo or Redo naming the step it takes: "Undo Pencil\tCtrl+Z"
// for the label "Pencil", the plain item's text for an unnamed step.
std::string history_menu_text(int command, const std::string &label);

// Further keys of commands that have more than one; the window binds each
// to its command's menu item beside the key of COMMAND_TABLE.
struct ExtraShortcut {
    int command;
    const char *keys; // QKeySequence portable text
};
extern const ExtraShortcut EXTRA_SHORTCUTS[];
extern const size_t EXTRA_SHORTCUTS_SIZE;

struct ToolbarEntry {
    int command;      // 0: a separator
    const char *icon; // resource path of the 19 x 18 image
};

// The toolbar's slots, in order: the established 23, then the paint tools.
extern const ToolbarEntry TOOLBAR_TABLE[];
extern const size_t TOOLBAR_TABLE_SIZE;

// The condition of `command`; Always for a command not in the table.
CommandCondition command_condition(int command);
// Menu item `command` is enabled under `conditions`.
bool command_enabled(int command, const DocConditions &conditions);
// Whether the editor carries out `command` (so that a button may be
// enabled): its entry names a handler.
bool command_is_offered(int command);
// Toolbar button `command` is enabled under `conditions`: its command is
// offered and its condition holds.
bool toolbar_button_enabled(int command, const DocConditions &conditions);
