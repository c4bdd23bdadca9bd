// The document's page-layout commands: page setup, character and line spacing, and the reset of
// the answer fields' sizes. The values travel between the root and the page-setup sheet in whole
// millimetres; a vertical paper is shown turned a quarter, as the screen shows it.
#pragma once

#include "dialogs/page_setup_sheet.h"
#include "dialogs/spacing_dialogs.h"

#include <functional>

class CEditPrint;

// What page setup shows of the paper, in the sheet's terms: millimetres as the paper stands on
// the screen, the column count less one, the line spacing doubled.
struct PAGE_SETUP_VALUES {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int columns = 0;
    int lineSpacing = 0;
    int charSpacing = 0;
    int layoutIndex = 0;
    int vertical = 0;
};

// The root's values for the sheet. A vertical paper stores its width and height exchanged and its
// margins turned; the screen shows its stored bottom margin at the left, its left at the top, its
// top at the right and its right at the bottom, and so does the sheet.
PAGE_SETUP_VALUES ReadPageSetup(const CEditPrint& root);
// The geometry back into the root (columns, spacings and layout are the caller's): millimetres
// × 100, the turn undone.
void WritePageGeometry(CEditPrint& root, const PAGE_SETUP_VALUES& values);

// How the commands run their dialogs. Tests answer in their place; an empty runner restores the
// modal run. Each setter returns the former runner.
using PageSetupRunner = std::function<int(CPageSetupSheet& sheet)>;
PageSetupRunner SetPageSetupRunner(PageSetupRunner runner);
using SpacingRunner = std::function<int(CSpacingDlg& dialog)>;
SpacingRunner SetSpacingRunner(SpacingRunner runner);
