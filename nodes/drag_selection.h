// The mouse selection that both editors' views make from the rubber band's reports: where the
// drag started, where Shift+drag starts again, and both ends levelled to one container.
#pragma once

#include "platform/win_types.h"

class CCaret;
class CEditNode;

// What a view keeps between the tracker's reports and between drags.
struct DRAG_SELECTION {
    bool newDrag = false;         // set at each press: the first report takes the drag origin
    POINT origin{};               // document point where the current drag started
    bool shift = false;           // Shift was held at the press
    bool firstSelection = true;   // no report yet since the reset: the first takes the anchor point
    POINT anchorPoint{};          // where the last selection started; Shift+drag starts there again
    CEditNode* lastDragNode = nullptr;  // the caret node this drag last put at the anchor's level

    // A press starts a drag. The last drag node belongs to one drag: nodes of an earlier one may be gone.
    void Begin(bool shiftDown)
    {
        newDrag = true;
        shift = shiftDown;
        lastDragNode = nullptr;
    }
};

enum class DragSelectOutcome {
    NoHit,     // neither corner hit a node: nothing changed
    OneNode,   // both corners hit one node: anchor and caret on it
    Selected,  // the ends were levelled: anchor and caret set (or the selection cleared, the caret at the end)
    Cleared,   // one corner hit nothing: the selection was cleared
};

// One report of the rubber band with its corners in document units: the start corner becomes the
// drag origin (first report of a drag) or the anchor point (Shift held), both corners are hit-tested
// in `within`, and the caret's anchor and caret node are set with both ends levelled to the
// container that holds them both, never beyond a question part.
DragSelectOutcome DragSelect(DRAG_SELECTION& drag, CEditNode* within, POINT start, POINT end, CCaret* caret);
