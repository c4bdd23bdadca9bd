// The menus, toolbars and accelerator tables of the programs' resources, as text tables that
// both editors read: parsed into a model the frames build their windows from, and edited there
// (items taken out, ids swapped) before the windows are made.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct MENU_ITEM {
    enum Kind { Popup, Command, Separator };
    Kind kind = Command;
    unsigned id = 0;              // commands only
    std::u16string text;          // the label, with its "&" mnemonic
    std::u16string accelerator;   // the text shown after the label ("Ctrl+N")
    std::vector<MENU_ITEM> items; // popups only
};

struct TOOLBAR_BUTTON {
    enum Kind { Button, Separator, Box };
    Kind kind = Button;
    unsigned id = 0;
    std::u16string tooltip;
};

struct TOOLBAR_LAYOUT {
    unsigned barId = 0;           // the bar's control id
    std::u16string title;
    std::vector<TOOLBAR_BUTTON> buttons;
};

struct ACCELERATOR {
    std::string key;              // "Ctrl+A", "Shift+F1", "Del"
    unsigned id = 0;
};

// Parsers of the resource tables; lines starting with "#" are comments. A malformed line is
// an error (false), so a broken table is found when the program is built and tested.
bool ParseMenuTable(std::string_view text, std::vector<MENU_ITEM>* menuBar);
bool ParseToolbarTable(std::string_view text, TOOLBAR_LAYOUT* toolbar);
bool ParseAcceleratorTable(std::string_view text, std::vector<ACCELERATOR>* accelerators);

// The command item with the id anywhere in the tree, or null.
MENU_ITEM* FindMenuItem(std::vector<MENU_ITEM>& items, unsigned id);
// Removes the first command item with the id from the popup's own items; false when absent.
bool RemoveMenuItem(MENU_ITEM& popup, unsigned id);
// Gives the first item with oldId, in any popup, the new id and text; false when absent.
bool ReplaceMenuItem(std::vector<MENU_ITEM>& items, unsigned oldId, unsigned newId, const std::u16string& text);
// The popup at the position of the items, or null.
MENU_ITEM* FindPopup(std::vector<MENU_ITEM>& items, size_t position);
// Removes the first button with the id; false when absent.
bool RemoveButton(TOOLBAR_LAYOUT& toolbar, unsigned id);
// Gives the first button with oldId the new id, keeping its place; false when absent.
bool ReplaceButtonId(TOOLBAR_LAYOUT& toolbar, unsigned oldId, unsigned newId);
