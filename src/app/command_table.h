// The one table behind the menu bar, the toolbar and the keyboard: every
// command the editor offers, with its menu, its text (an ampersand marks the
// mnemonic, a tab the key text), its key and whether it is a check item.
// Menus, toolbar buttons and shortcuts are all built from these tables and
// all end in MainWindow::command(id).
#pragma once

#include <cstddef>

struct MenuEntry {
    const char *menu;    // top-level menu text
    const char *submenu; // nullptr, or the submenu the item sits in
    int command;         // 0: a separator
    const char *text;
    bool checkable;
};

// The menu bar, in order. Commands that the editor does not offer yet are
// simply not listed, so no item is present that does nothing.
extern const MenuEntry MENU_TABLE[];
extern const size_t MENU_TABLE_SIZE;

struct ToolbarEntry {
    int command;      // 0: a separator
    const char *icon; // resource path of the 19 x 18 image
    bool checkable;
};

// The toolbar's 23 slots, in order.
extern const ToolbarEntry TOOLBAR_TABLE[];
extern const size_t TOOLBAR_TABLE_SIZE;

// Tool tip of a toolbar command, nullptr when it has none.
const char *tooltip_text(int command);

struct AcceleratorEntry {
    const char *keys; // QKeySequence portable text
    int command;
};

// The keyboard shortcuts. They work wherever the focus is, like the
// menu's own keys, and only while their command is enabled.
extern const AcceleratorEntry ACCELERATOR_TABLE[];
extern const size_t ACCELERATOR_TABLE_SIZE;

// Whether the editor carries out `command` (so that a button may be
// enabled): it has a handler in MainWindow::command.
bool command_is_offered(int command);
