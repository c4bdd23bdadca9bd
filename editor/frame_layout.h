// What the main frame shows, without the windows: the menu tree of menu 128, the buttons of the
// toolbars and the accelerators, read from the program's resource tables; the features the
// program does not offer taken out; and the commands swapped by writing direction.
#pragma once

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
    unsigned barId = 0;           // the control id: 0xE800, 130, 303 or 131
    std::u16string title;
    std::vector<TOOLBAR_BUTTON> buttons;
};

struct ACCELERATOR {
    std::string key;              // "Ctrl+A", "Shift+F1", "Del"
    unsigned id = 0;
};

// Control ids of the frame's bars.
namespace BarId {
constexpr unsigned kStandard = 0xE800;
constexpr unsigned kStatus = 0xE801;
constexpr unsigned kFormat = 130;
constexpr unsigned kQuestion = 303;
constexpr unsigned kFormula = 131;
constexpr unsigned kPalette = 132;
constexpr unsigned kHorzRuler = 133;
constexpr unsigned kVertRuler = 441;
}  // namespace BarId

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
// Removes the first button with the id; false when absent.
bool RemoveButton(TOOLBAR_LAYOUT& toolbar, unsigned id);
// Gives the first button with oldId the new id, keeping its place; false when absent.
bool ReplaceButtonId(TOOLBAR_LAYOUT& toolbar, unsigned oldId, unsigned newId);

// The Edit menu's place for the selected object's verbs.
constexpr unsigned kObjectVerbsPlaceholder = 57872;

// Takes out the ruler item, question registration, repeat, the reading-mark menu, justify,
// bullets and tabs, and their toolbar buttons; and the object verbs' placeholder.
void PruneFeatures(std::vector<MENU_ITEM>& menuBar, TOOLBAR_LAYOUT& standard, TOOLBAR_LAYOUT& format);
// Vertical writing: alignment 377/378 become 379 "上寄せ"/380 "下寄せ" and the palette 32774
// becomes 433 "外字パレット"; horizontal writing the other way round.
void ApplyWritingDirection(bool vertical, std::vector<MENU_ITEM>& menuBar, TOOLBAR_LAYOUT& standard,
                           TOOLBAR_LAYOUT& format);

// The frame's menu and bars as the program's resources give them, pruned.
struct FRAME_LAYOUT {
    std::vector<MENU_ITEM> menuBar;
    TOOLBAR_LAYOUT standard;
    TOOLBAR_LAYOUT format;
    TOOLBAR_LAYOUT question;
    TOOLBAR_LAYOUT formula;
    std::vector<ACCELERATOR> accelerators;
};
// False when a resource table is missing or malformed.
bool LoadFrameLayout(FRAME_LAYOUT* layout);
