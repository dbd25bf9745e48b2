// The command table: every menu item names a handler, its enabling follows
// the document's conditions, and the Groups and Animation menus hold their
// commands in order with their submenus.
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_table.h"
#include "app/logic/command_ids.h"

namespace {

struct Item {
    const char *submenu;
    int command;
    std::string text;
};

std::vector<Item> items_of(const char *menu)
{
    std::vector<Item> items;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i) {
        const CommandEntry &e = COMMAND_TABLE[i];
        if (e.menu && std::strcmp(e.menu, menu) == 0 && e.command != 0)
            items.push_back({e.submenu, e.command, menu_text(e)});
    }
    return items;
}

TEST(CommandTable, EveryCommandIsListedOnceWithAHandler)
{
    std::set<int> seen;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i) {
        const CommandEntry &e = COMMAND_TABLE[i];
        if (e.command == 0)
            continue;
        EXPECT_TRUE(seen.insert(e.command).second) << "listed twice: " << e.command;
        EXPECT_EQ(&e, command_entry(e.command));
        // Bounding Box Mode is a button without a command.
        EXPECT_EQ(e.command != IDM_BOUNDING_BOX_MODE, command_is_offered(e.command)) << e.command;
    }
    EXPECT_EQ(nullptr, command_entry(IDM_ACCEL_CTRL_O));
    EXPECT_FALSE(command_is_offered(IDM_BOUNDING_BOX_MODE));
    EXPECT_TRUE(command_is_offered(IDM_EDIT_PALETTE));
    EXPECT_TRUE(command_is_offered(IDM_RESIZE));
}

// The mnemonic of a menu text: the letter after a single ampersand ("&&" is
// a literal one), upper case; 0 when it has none.
char mnemonic(const std::string &text)
{
    for (const char *c = text.c_str(); *c && *c != '\t'; ++c) {
        if (*c != '&')
            continue;
        if (c[1] == '&') {
            ++c;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c[1])));
    }
    return 0;
}

TEST(CommandTable, MnemonicsAreUniqueInEachMenuBeyondTheEstablishedPairs)
{
    // Established texts that already shared a letter before anything was
    // added; every other item must have its menu's letter to itself.
    // "&Tiled" and "&Onion Skin" were given their letters with the Tool Bar's
    // and Zoom Out's.
    const std::set<std::string> established = {"Zoom &In\tCtrl++", "&Image Information", "&Rename", "A&rrange",
                                               "&Tool Bar", "&Tiled\tCtrl+T", "Zoom &Out\tCtrl+-", "&Onion Skin"};
    // Menu (or "menu/submenu") -> letter -> the texts that use it. A
    // submenu's title is an item of the menu it sits in.
    std::map<std::string, std::map<char, std::set<std::string>>> letters;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i) {
        const CommandEntry &e = COMMAND_TABLE[i];
        if (!e.menu)
            continue;
        letters[""][mnemonic(e.menu)].insert(e.menu);
        if (e.submenu)
            letters[e.menu][mnemonic(e.submenu)].insert(e.submenu);
        if (e.command != 0) {
            const std::string text = menu_text(e);
            letters[e.submenu ? std::string(e.menu) + "/" + e.submenu : e.menu][mnemonic(text)].insert(text);
        }
    }
    EXPECT_EQ(1u, letters["&View"]['P'].size()) << "Zoom to Fit on Open has a letter of its own";
    for (const auto &[menu, by_letter] : letters)
        for (const auto &[letter, texts] : by_letter) {
            if (letter == 0 || texts.size() < 2)
                continue;
            for (const std::string &text : texts)
                EXPECT_TRUE(established.count(text)) << menu << ": \"" << text << "\" shares " << letter;
        }
}

TEST(CommandTable, TopLevelMenusComeInOrder)
{
    std::vector<std::string> menus;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i)
        if (COMMAND_TABLE[i].menu && (menus.empty() || menus.back() != COMMAND_TABLE[i].menu))
            menus.push_back(COMMAND_TABLE[i].menu);
    EXPECT_EQ((std::vector<std::string>{"&File", "&Edit", "&View", "&Image", "&Tools", "&Groups", "&Animation", "&Help"}),
              menus);
}

TEST(CommandTable, GroupsAndAnimationMenusHoldTheirCommandsWithSubmenus)
{
    struct Case {
        const char *menu;
        std::vector<Item> expected;
    };
    const Case cases[] = {
        {"&Groups",
         {{nullptr, IDM_GROUP_RENAME, "&Rename"},
          {nullptr, IDM_GROUP_ADD, "&Add"},
          {nullptr, IDM_GROUP_DUPLICATE, "D&uplicate"},
          {nullptr, IDM_GROUP_DELETE, "&Delete"},
          {"A&rrange", IDM_GROUP_MOVE_UP, "Move &Up"},
          {"A&rrange", IDM_GROUP_MOVE_DOWN, "Move &Down"},
          {nullptr, IDM_GROUP_PROPERTIES, "Group &Properties"},
          {nullptr, IDM_RENUMBER_SEQUENCE, "Renumber Se&quence"},
          {nullptr, IDM_GROUP_PREVIOUS, "Pre&vious Group\tCtrl+PgUp"},
          {nullptr, IDM_GROUP_NEXT, "Ne&xt Group\tCtrl+PgDown"}}},
        {"&Animation",
         {{nullptr, IDM_FRAME_PROPERTIES, "Frame &Properties"},
          {"Propa&gate Frame Properties", IDM_PROPAGATE_TO_GROUP, "To Rest of &Group"},
          {"Propa&gate Frame Properties", IDM_PROPAGATE_TO_ANIMATION, "To Entire &Animation"},
          {nullptr, IDM_DELETE_FRAME, "&Delete Frame\tDel"},
          {nullptr, IDM_IMPORT_APPEND, "Import && &Append Frame(s)"},
          {nullptr, IDM_IMPORT_REPLACE, "Import && &Replace Frame"},
          {nullptr, IDM_EXPORT_FRAME, "E&xport Frame"},
          {nullptr, IDM_FIRST, "&First\tHome"},
          {nullptr, IDM_PREVIOUS, "Pre&vious\tLeft Arrow"},
          {nullptr, IDM_PLAY, "P&lay"},
          {nullptr, IDM_STOP, "&Stop"},
          {nullptr, IDM_NEXT, "&Next\tRight Arrow"},
          {nullptr, IDM_END, "&End\tEnd"}}},
        // Edit Palette joins with the palette editor.
        {"&Image",
         {{nullptr, IDM_EDIT_PALETTE, "Edit &Palette..."},
          {"Change Color &Depth", IDM_DEPTH_8BIT_PALETTED, "8 bit paletted"},
          {"Change Color &Depth", IDM_DEPTH_8BIT_GRAYSCALE, "8 bit grayscale"},
          {"Change Color &Depth", IDM_DEPTH_24BIT_RGB, "24 bit RGB"},
          {"Change Color &Depth", IDM_DEPTH_32BIT_RGBA, "32 bit RGBA"},
          {nullptr, IDM_IMPORT_ALPHA, "&Import Alpha Channel"},
          {nullptr, IDM_EXPORT_ALPHA, "&Export Alpha Channel"},
          {nullptr, IDM_MATCH_PALETTE, "Ma&tch to Palette..."},
          {nullptr, IDM_IMPORT_FULLBRIGHT_MASK, "Import F&ullbright Mask..."},
          {"&Filters", IDM_FILTER_CONTRAST, "Adjust &Contrast"},
          {"&Filters", IDM_FILTER_ALIENIFY, "Alienify"},
          {"&Filters", IDM_FILTER_BLUR_AVERAGE, "Blur (Average)"},
          {"&Filters", IDM_FILTER_BLUR_GAUSSIAN, "Blur (Gaussian)"},
          {"&Filters", IDM_FILTER_EDGE_DETECT, "Edge Detect"},
          {"&Filters", IDM_FILTER_EMBOSS, "Emboss"},
          {"&Filters", IDM_FILTER_NEGATIVE, "Negative Image"},
          {"&Filters", IDM_FILTER_NOISIFY, "Noisify"},
          {"&Filters", IDM_FILTER_PIXELIZE, "Pixelize"},
          {"&Filters", IDM_FILTER_SHARPEN, "Sharpen"},
          {nullptr, IDM_GAMMA_CORRECTION, "Gamma &Correction"},
          {nullptr, IDM_RESIZE, "Resize..."},
          {nullptr, IDM_ROTATE, "&Rotate.."},
          {nullptr, IDM_FLIP, "F&lip"},
          {nullptr, IDM_MIRROR, "&Mirror"}}},
    };
    for (const Case &c : cases) {
        const std::vector<Item> items = items_of(c.menu);
        ASSERT_EQ(c.expected.size(), items.size()) << c.menu;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(c.expected[i].command, items[i].command) << c.menu << " " << i;
            EXPECT_EQ(c.expected[i].text, items[i].text) << c.menu << " " << i;
            EXPECT_STREQ(c.expected[i].submenu ? c.expected[i].submenu : "",
                         items[i].submenu ? items[i].submenu : "")
                << c.menu << " " << i;
        }
    }
    bool file_properties = false;
    for (const Item &item : items_of("&File"))
        file_properties |= item.command == IDM_FILE_PROPERTIES && item.text == "File &Properties";
    EXPECT_TRUE(file_properties);
    // The alpha clipboard commands close the Edit menu, Image Information
    // the View menu.
    const std::vector<Item> edit = items_of("&Edit");
    ASSERT_GE(edit.size(), 2u);
    EXPECT_EQ(IDM_PASTE_INTO_ALPHA, edit[edit.size() - 2].command);
    EXPECT_EQ("Paste Into &Alpha Channel", edit[edit.size() - 2].text);
    EXPECT_EQ(IDM_COPY_ALPHA, edit.back().command);
    EXPECT_EQ("Copy Alpha Channel", edit.back().text);
    EXPECT_EQ(IDM_IMAGE_INFORMATION, items_of("&View").back().command);
    EXPECT_EQ("&Image Information", items_of("&View").back().text);
}

TEST(CommandTable, RedoFollowsUndoWithTwoKeysAndRecentFilesSitAboveExit)
{
    const std::vector<Item> edit = items_of("&Edit");
    ASSERT_GE(edit.size(), 2u);
    EXPECT_EQ(IDM_UNDO, edit[0].command);
    EXPECT_EQ(IDM_REDO, edit[1].command);
    EXPECT_EQ("&Redo\tCtrl+Y", edit[1].text);
    const CommandEntry *redo = command_entry(IDM_REDO);
    ASSERT_NE(nullptr, redo);
    EXPECT_STREQ("Ctrl+Y", redo->keys);
    DocConditions c;
    c.undo_available = true;
    EXPECT_FALSE(command_enabled(IDM_REDO, c)) << "redo needs its own condition";
    c.redo_available = true;
    EXPECT_TRUE(command_enabled(IDM_REDO, c));

    std::vector<std::string> redo_keys;
    for (size_t i = 0; i < EXTRA_SHORTCUTS_SIZE; ++i) {
        const CommandEntry *entry = command_entry(EXTRA_SHORTCUTS[i].command);
        ASSERT_NE(nullptr, entry) << EXTRA_SHORTCUTS[i].command;
        EXPECT_STRNE(entry->keys ? entry->keys : "", EXTRA_SHORTCUTS[i].keys);
        if (EXTRA_SHORTCUTS[i].command == IDM_REDO)
            redo_keys.push_back(EXTRA_SHORTCUTS[i].keys);
    }
    EXPECT_EQ(std::vector<std::string>{"Ctrl+Shift+Z"}, redo_keys);

    // File: ... File Properties, separator, the ten entries of Recent Files,
    // separator, Exit.
    std::vector<const CommandEntry *> file;
    for (size_t i = 0; i < COMMAND_TABLE_SIZE; ++i)
        if (COMMAND_TABLE[i].menu && std::strcmp(COMMAND_TABLE[i].menu, "&File") == 0)
            file.push_back(&COMMAND_TABLE[i]);
    size_t at = 0;
    while (at < file.size() && file[at]->command != IDM_FILE_PROPERTIES)
        ++at;
    ASSERT_EQ(file.size(), at + 14) << "File Properties, two separators, ten entries, Exit";
    EXPECT_EQ(0, file[at + 1]->command);
    std::set<CommandHandler> handlers;
    for (int i = 0; i < 10; ++i) {
        const CommandEntry &e = *file[at + 2 + static_cast<size_t>(i)];
        EXPECT_EQ(IDM_RECENT_FILE_1 + i, e.command);
        EXPECT_STREQ("Recent &Files", e.submenu ? e.submenu : "");
        EXPECT_EQ(CommandCondition::Always, e.condition);
        handlers.insert(e.handler);
    }
    EXPECT_EQ(10u, handlers.size()) << "each entry opens its own path";
    EXPECT_EQ(IDM_RECENT_FILE_10, file[at + 11]->command);
    EXPECT_EQ(0, file[at + 12]->command);
    EXPECT_EQ(nullptr, file[at + 12]->submenu);
    EXPECT_EQ(IDM_EXIT, file[at + 13]->command);
}

} // namespace

TEST(CommandTable, UndoAndRedoNameTheStepTheyTake)
{
    EXPECT_EQ("Undo Pencil\tCtrl+Z", history_menu_text(IDM_UNDO, "Pencil"));
    EXPECT_EQ("&Redo Move Selection\tCtrl+Y", history_menu_text(IDM_REDO, "Move Selection"));
    EXPECT_EQ(menu_text(*command_entry(IDM_UNDO)), history_menu_text(IDM_UNDO, ""));
}
