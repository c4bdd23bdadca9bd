// The mouse: a press stretches a rubber band whose every change selects from where the drag
// started to the point under the mouse, both ends levelled to one container; a click places the
// caret, a double click selects one character, a right click opens the clipboard menu.
#include "formula/vumat_view.h"

#include "formula/math_sentence.h"
#include "nodes/drag_selection.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/rect_tracker.h"

namespace {

CEditNode* NextEdit(CEditNode* node) { return CEditNode::FromNode(node->GetNextSibling()); }
CEditNode* PrevEdit(CEditNode* node) { return CEditNode::FromNode(node->GetPrevSibling()); }

}  // namespace

void CVumatView::OnLButtonDown(POINT point, bool shift) { TrackSelection(point, shift); }

void CVumatView::TrackSelection(POINT point, bool shift)
{
    if (Root() == nullptr)
        return;
    m_selectionTracker = std::make_unique<CSelectionTracker>([this](const RECT& rect) { OnDragSelect(rect); });
    m_selectionTracker->m_rect = RECT{point.x, point.y, point.x, point.y};
    m_selectionTracker->m_nStyle |= CRectTracker::dottedLine;
    m_drag.Begin(shift);
    m_selectionTracker->BeginRubberBand(point, shift, true);
}

void CVumatView::OnMouseMove(POINT point, bool shift)
{
    if (m_selectionTracker != nullptr)
        m_selectionTracker->TrackMove(point, shift);
}

void CVumatView::OnLButtonUp(POINT point, bool shift)
{
    if (m_selectionTracker == nullptr)
        return;
    const bool moved = m_selectionTracker->EndTrack(point, shift);
    m_selectionTracker.reset();
    if (!moved) {
        // A click: no selection, and a click on a character's right half puts the caret after it.
        m_caret.ClearSelection();
        CEditNode* node = CaretNode();
        if (node != nullptr && m_caret.m_caretAfter == 1 && IsCharacter(node) && !IsLineBreak(node) &&
            !node->GetText().IsEmpty()) {
            if (CEditNode* next = NextEdit(node)) {
                m_caret.m_caretNode = next;
                m_caret.m_caretAfter = 0;
            }
        }
        UpdateCaret(TRUE);
    }
    InvalidateAll();
}

void CVumatView::OnDragSelect(const RECT& rect)
{
    CEditMathSentence* root = Root();
    if (root == nullptr)
        return;
    POINT start{rect.left, rect.top};
    POINT end{rect.right, rect.bottom};
    DeviceToLogicalPoint(&start);
    DeviceToLogicalPoint(&end);
    switch (DragSelect(m_drag, root, start, end, &m_caret)) {
    case DragSelectOutcome::OneNode: UpdateCaret(TRUE); break;
    case DragSelectOutcome::Selected:
        UpdateCaret(TRUE);
        InvalidateAll();
        break;
    case DragSelectOutcome::NoHit:
    case DragSelectOutcome::Cleared:
        m_caret.ClearSelection();
        InvalidateAll();
        break;
    }
    ScrollToPoint(end);
}

void CVumatView::OnLButtonDblClk()
{
    CEditNode* node = CaretNode();
    // Plain text characters only: formula characters are left alone.
    if (node == nullptr || static_cast<uint32_t>(node->GetKind()) != EditKind::kChar)
        return;
    if (CEditNode* anchor = m_caret.m_caretAfter == 1 ? PrevEdit(node) : NextEdit(node)) {
        m_caret.m_anchorNode = anchor;
        m_caret.m_anchorAfter = 0;
        RedrawSelection();
    }
}

void CVumatView::OnRButtonDown(POINT point)
{
    CEditMathSentence* root = Root();
    if (root == nullptr || IsTracking())
        return;
    POINT doc = point;
    DeviceToLogicalPoint(&doc);
    int after = 0;
    CEditNode* hit = root->HitTest(doc.x, doc.y, &after);
    if (hit == nullptr)
        return;
    // A click on the selection keeps it for the menu's Cut and Copy.
    bool keep = false;
    int first = 0;
    int last = 0;
    CEditNode* node = CaretNode();
    if (m_caret.m_anchorNode != nullptr && node != nullptr && CEditNode::GetSelectionRange(&m_caret, &first, &last)) {
        CEditNode* parent = node->GetEditParent();
        for (int i = first; parent != nullptr && i <= last && !keep; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            keep = child != nullptr && (child == hit || child->IsAncestorOf(hit));
        }
    }
    if (!keep) {
        m_caret.ClearSelection();
        m_caret.m_caretNode = hit;
        m_caret.m_caretAfter = 0;
        UpdateCaret(TRUE);
        OnUpdate(VumatHint::kAll);
    }
    m_host.PopupMenu(kContextMenu, m_host.ClientToScreen(point));
}

void CVumatView::OnEditSelectAll()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    CEditNode* root = CEditNode::FromNode(node->FindAncestorOfType(EditKind::Code(EditKind::kMathSentence), 1));
    CEditNode* first = root != nullptr ? root->GetFirstInner() : nullptr;
    CEditNode* last = root != nullptr ? root->GetLastInner() : nullptr;
    if (first == nullptr || last == nullptr)
        return;
    m_caret.m_anchorNode = first;
    m_caret.m_anchorAfter = 0;
    m_caret.m_caretNode = last;
    InvalidateAll();
}
