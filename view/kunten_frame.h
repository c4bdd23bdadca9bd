// What the reading-mark dialog's run takes from the editing view and gives back. The dialog and
// its loop are window code; the view hands them the cell at its caret and is told of every cell
// that the dialog writes back into the paper.
#pragma once

#include "nodes/display_map.h"

#include <functional>
#include <memory>

class CEditKan;
class CUndoGroup;

struct KUNTEN_FRAME_RUN {
    // The paper's cell the dialog opens on; at the end, the cell it worked on last.
    CEditKan* cell = nullptr;
    // The height of the cell's base character (1/100 mm).
    int baseHeight = 0;
    // The view's display map, which the dialog's editing window copies.
    CDisplayMap displayMap;
    // Whether the gaiji palette is shown; the dialog gives back its last state.
    int paletteShown = 0;
    // A cell written back: one finished group for the paper's history.
    std::function<void(std::unique_ptr<CUndoGroup>)> pushUndo;
    // After each step of the dialog: the current cell, and whether the paper must be repainted.
    std::function<void(CEditKan* current, bool repaint)> afterStep;
};

using KuntenFrameFunction = std::function<void(KUNTEN_FRAME_RUN& run)>;
