// What the main frame shows, without the windows: the menu tree of menu 128, the buttons of the
// toolbars and the accelerators, read from the program's resource tables; the features the
// program does not offer taken out; and the commands swapped by writing direction.
#pragma once

#include "ui/bar_tables.h"

#include <string>
#include <vector>

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
