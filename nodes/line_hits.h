// Hit tests and caret moves that the containers share, over the lines of their layout boxes: a
// point beside a line's ends reaches that line's first or last child, and the caret steps to the
// line above or below.
#pragma once

#include "nodes/edit_box.h"
#include "nodes/edit_node.h"

#include <climits>

class CCaret;
class CEditContainer;

// Beside the ends of a line, for a point within the line's height: the first child when
// from <= x <= its left edge (after 0), else the last child when its right edge <= x <= to
// (after 1). Null when neither applies, when y is outside the line or for a null child; `after`
// is written only on a hit.
CEditNode* HitBesideLineEnds(const EDIT_LINE& line, CEditNode* first, CEditNode* last, int x, int y, int* after,
                             int from = INT_MIN, int to = INT_MAX);

// The hit test beside the lines of a box: a point up to 1000 before a line's start (and not past
// the box's right edge) gives the line's first child, a point after its last child that child.
// Searches the first layout box only when firstBoxOnly is set. Null when nothing qualifies.
CEditNode* HitBesideBoxLines(CEditContainer* box, int x, int y, int* after, bool firstBoxOnly);
// The node `step` lines away from the node's line in the first layout box: the child under the
// node's left edge while the caret moves vertically, else that line's last child; the node itself
// when there is no such line; null when the box has no layout box.
CEditNode* NodeOnNeighbourLine(CEditContainer* box, CEditNode* node, CCaret* caret, int step);
