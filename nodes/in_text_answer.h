// In-text answers: an answer written into the question text at the place where it belongs,
// shown in red. A global switch hides all of them at once; hidden answers keep their size and
// place and only their drawing is left out. An answer is laid out as one line centred on the axis
// of the row it stands in.
#pragma once

#include "nodes/edit_container.h"

class CEditCyukai : public CEditContainer {
    DECLARE_SERIAL(CEditCyukai)
public:
    CEditCyukai();

    // Ends a new, empty answer: a line break, and the answer's own font the default text font of
    // the current writing direction at the default height.
    void AddLineBreak();

    CEditNode* HitTest(int x, int y, int* after) override;
    // Measured as a container without line spacing; the answer takes the size of its first line.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The first line's children only, with the answer's axis on the row's axis.
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // Nothing while answers are hidden; else the children of the first line.
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // From the answer's first position onto the visible node before the answer (the last child of
    // a container before it).
    CEditNode* MovePrev(CCaret* caret, int extend) override;

    // Not stored; kept empty.
    CStringW m_reserved1;
    CStringW m_reserved2;
};

// What an in-text answer or a floating frame does when the caret leaves it backwards: the nearest
// visible sibling before the node (its last child when it is a container) becomes the caret node,
// the selection anchor following it across parents. Null when there is none.
CEditNode* LeaveBackwardsToSibling(CEditNode* answer, CCaret* caret, int extend);
