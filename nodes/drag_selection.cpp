#include "nodes/drag_selection.h"

#include "nodes/caret.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"

namespace {

bool IsPlainParagraph(const CEditNode* node) { return node != nullptr && node->IsKind(EditKind::kSentence); }

CEditNode* NextEdit(CEditNode* node) { return CEditNode::FromNode(node->GetNextSibling()); }

// The ancestor of node (or node) directly below container, stopping at a plain paragraph that is
// not the container; null when the walk does not reach it.
CEditNode* ChildOnPathBelow(CEditNode* node, const CEditNode* container)
{
    for (CEditNode* n = node; n != nullptr; n = n->GetEditParent()) {
        CEditNode* parent = n->GetEditParent();
        if (parent == container)
            return n;
        if (parent == nullptr || IsPlainParagraph(parent))
            return nullptr;
    }
    return nullptr;
}

}  // namespace

DragSelectOutcome DragSelect(DRAG_SELECTION& drag, CEditNode* within, POINT start, POINT end, CCaret* caret)
{
    // The tracker normalises its rectangle: the origin keeps where the drag really started.
    if (drag.newDrag) {
        drag.origin = start;
        drag.newDrag = false;
    } else {
        start = drag.origin;
    }
    if (drag.firstSelection) {
        drag.firstSelection = false;
        drag.anchorPoint = start;
    } else if (drag.shift) {
        start = drag.anchorPoint;
    } else {
        drag.anchorPoint = start;
    }
    if (within == nullptr)
        return DragSelectOutcome::NoHit;

    int afterA = 0;
    int afterB = 0;
    CEditNode* a = within->HitTest(start.x, start.y, &afterA);
    CEditNode* b = within->HitTest(end.x, end.y, &afterB);
    if (a == nullptr && b == nullptr)
        return DragSelectOutcome::NoHit;
    if (a == b) {
        caret->m_anchorNode = a;
        caret->m_anchorAfter = afterA;
        caret->m_caretNode = b;
        caret->m_caretAfter = afterB;
        drag.lastDragNode = b;
        return DragSelectOutcome::OneNode;
    }
    if (a != nullptr && afterA == 1 && NextEdit(a) != nullptr)
        a = NextEdit(a);
    if (b != nullptr && afterB == 1 && NextEdit(b) != nullptr)
        b = NextEdit(b);
    if (a == nullptr || b == nullptr) {
        caret->ClearSelection();
        return DragSelectOutcome::Cleared;
    }
    if (a->GetParent() == b->GetParent()) {
        caret->m_anchorNode = a;
        caret->m_anchorAfter = afterA;
        drag.lastDragNode = b;
    } else {
        // The common container: the first ancestor of A that holds B, not beyond A's paragraph.
        CEditNode* anchor = a;
        for (CEditNode* n = a; n->GetEditParent() != nullptr; n = n->GetEditParent()) {
            CEditNode* parent = n->GetEditParent();
            if (parent->IsAncestorOf(b)) {
                anchor = n;
                if (CEditNode* below = ChildOnPathBelow(b, parent))
                    b = below;
                break;
            }
            if (IsPlainParagraph(parent))
                break;
        }
        if (anchor->GetParent() == b->GetParent()) {
            drag.lastDragNode = b;
            caret->m_anchorNode = anchor;
            caret->m_anchorAfter = afterA;
        } else if (drag.lastDragNode != nullptr && drag.lastDragNode->GetParent() == anchor->GetParent()) {
            b = drag.lastDragNode;
            caret->m_anchorNode = anchor;
            caret->m_anchorAfter = afterA;
        } else {
            caret->ClearSelection();
        }
    }
    caret->m_caretNode = b;
    caret->m_caretAfter = afterB;
    return DragSelectOutcome::Selected;
}
