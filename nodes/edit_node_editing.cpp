// Caret movement and editing at the caret. The operations act on the caret, whichever node they
// are called on: the caret stands before its caret node, and the selection runs from the anchor
// to the caret node among the children of the caret node's parent. Every structural change is
// recorded in the command's undo group when one is given.
//
// Each editing operation is a transaction: it either completes or leaves the tree and the caret
// as they were. An operation that finds the tree not as it needs it abandons with CEditError and
// returns false; any other exception (a failed allocation) takes the changes back on its way to
// the caller.
#include "nodes/edit_node.h"

#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_error.h"
#include "nodes/edit_families.h"
#include "nodes/edit_print.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <algorithm>
#include <memory>

namespace {

bool IsKind(const CEditNode* node, uint32_t kind)
{
    return node != nullptr && node->IsKind(kind);
}

CEditNode* Edit(CQNXMLNode* node)
{
    return CEditNode::FromNode(node);
}

CEditNode* CaretParent(const CCaret* caret)
{
    return caret != nullptr && caret->m_caretNode != nullptr ? caret->m_caretNode->GetEditParent() : nullptr;
}

// Parents whose line breaks close slots or boxes that must stay: a formula's and a reading-mark box's.
bool KeepsItsLineBreaks(const CEditNode* parent)
{
    return IsFormulaNode(parent) || IsKind(parent, EditKind::kKunten);
}

// Whether a line break may be removed from its parent by the delete keys.
bool MayDeleteLineBreak(CEditNode* parent)
{
    if (parent == nullptr)
        return false;
    if (parent->HasKindFlags(EditKind::kInTextAnswer) || KeepsItsLineBreaks(parent))
        return false;
    if (parent->IsKind(EditKind::kOkurigana) && parent->CountLineBreaks() <= 1)
        return false;
    return true;
}

// One editing operation: every change it makes is recorded in a group (the caller's, or one of
// its own when the caller gives none), so that an operation that fails part-way can take back
// what it did; the caret is restored with it. Unless committed, the destructor takes the changes
// back. The operation's own group, dropped at the end, deletes the nodes the operation removed.
class EditTransaction {
public:
    EditTransaction(CCaret* caret, CUndoGroup* group)
        : m_caret(caret), m_savedCaret(*caret), m_group(group != nullptr ? group : &m_own),
          m_start(m_group->GetCount())
    {
    }
    ~EditTransaction()
    {
        if (m_committed)
            return;
        RollBackUndoGroup(*m_group, m_start);
        *m_caret = m_savedCaret;
    }
    EditTransaction(const EditTransaction&) = delete;
    EditTransaction& operator=(const EditTransaction&) = delete;

    CUndoGroup* Group() { return m_group; }
    void Commit() { m_committed = true; }

private:
    CUndoGroup m_own;  // declared first: m_group and m_start are made from it
    CCaret* m_caret;
    CCaret m_savedCaret;
    CUndoGroup* m_group;
    int m_start;
    bool m_committed = false;
};

// A typed character takes the caret's whole typing format: its font, and the width mode, the
// colours, the frame and the script position that the formatting commands set without a selection.
void GiveTypingFormat(CEditNode* node, const CCaret* caret)
{
    node->m_lf = caret->m_logFont;
    node->EditFontRecord()->m_fontWidth = caret->m_font.m_fontWidth;
    node->m_color = caret->m_color.m_color;
    node->EditBorderRecord()->m_backgroundColor = caret->m_border.m_backgroundColor;
    node->EditBorderRecord()->m_borderStyle = caret->m_border.m_borderStyle;
    node->EditBorderRecord()->m_borderWidth = caret->m_border.m_borderWidth;
    node->m_scriptPosition = caret->m_alignment.m_scriptPosition;
}

// Takes a node out of the tree into the keeping of its undo record. The record is made first, so
// that a failed allocation leaves the node where it was.
void RemoveNode(CEditNode* node, int code, CEditNode* neighbour, CUndoGroup* group)
{
    group->RecordNode(code, node, neighbour, 0, 0)->TakeOut();
}

// Inserts a new node before the caret node. Its undo record is made first and keeps the node
// until the tree takes it.
void InsertBeforeCaret(CCaret* caret, std::unique_ptr<CEditNode> node, CUndoGroup* group)
{
    CEditNode* before = caret->m_caretNode;
    // A page-break block keeps its one marked line: nothing is typed into it.
    if (before->GetEditParent()->IsKind(EditKind::kKaiPage))
        throw CEditError("a page-break block takes no typing");
    if (before->GetEditParent()->IndexOfChild(before) < 0)
        throw CEditError("the caret node is not among its parent's children");
    CUndoAction* action = group->RecordNode(UndoCode::kInsertBefore, node.get(), before, 0, 0);
    action->Keep(std::move(node));
    if (!action->PutBack())
        throw CEditError("the new node could not be inserted");
}

// A character node of the family its parent takes: a formula character, a kanbun character
// or a plain one. Null when the family's maker is not there.
std::unique_ptr<CEditChar> MakeCharacter(const CEditNode* parent, const CStringW& text)
{
    const EDIT_FAMILY_MAKERS& makers = EditFamilyMakers();
    if (IsFormulaNode(parent))
        return std::unique_ptr<CEditChar>(makers.mathChar != nullptr ? makers.mathChar(text) : nullptr);
    if (IsKind(parent, EditKind::kKunten))
        return std::unique_ptr<CEditChar>(makers.kanChar != nullptr ? makers.kanChar(text) : nullptr);
    return std::make_unique<CEditChar>(text);
}

// The line break of the caret node's family.
std::unique_ptr<CEditChar> MakeLineBreak(const CEditNode* caretNode)
{
    const EDIT_FAMILY_MAKERS& makers = EditFamilyMakers();
    if (IsKind(caretNode, EditKind::kMathChar) || IsKind(caretNode, EditKind::kMathCR))
        return std::unique_ptr<CEditChar>(makers.mathLineBreak != nullptr ? makers.mathLineBreak() : nullptr);
    if (IsKind(caretNode, EditKind::kKanChar) || IsKind(caretNode, EditKind::kKanCR))
        return std::unique_ptr<CEditChar>(makers.kanLineBreak != nullptr ? makers.kanLineBreak() : nullptr);
    return std::make_unique<CEditCR>();
}

int MaxCharsOf(const CEditNode* box)
{
    const auto* kunten = dynamic_cast<const IKuntenBox*>(box);
    return kunten != nullptr ? kunten->GetMaxChars() : 1;
}

// A move's start: without extending, the selection goes; extending, it starts at the caret.
void BeginMove(CCaret* caret, int extend)
{
    if (!extend)
        caret->ClearSelection();
    else if (caret->m_anchorNode == nullptr)
        caret->m_anchorNode = caret->m_caretNode;
}

CEditNode* EndMove(CCaret* caret, CEditNode* node)
{
    if (node != nullptr)
        caret->m_caretNode = node;
    return node;
}

// Extending across parents moves the anchor along, so that the selection stays among siblings.
void FollowAnchor(CCaret* caret, CEditNode* node, int extend)
{
    if (extend && node != nullptr && caret->m_anchorNode != nullptr &&
        caret->m_anchorNode->GetParent() != node->GetParent())
        caret->m_anchorNode = node;
}

// The stop a move to the left finds in a sibling: the sibling's last inner stop (once more for
// a table cell), else the sibling itself when it is a stop.
CEditNode* StopEnteringFromRight(CEditNode* sibling)
{
    if (CEditNode* inner = sibling->LastCaretStop()) {
        if (inner->IsKind(EditKind::kCell)) {
            if (CEditNode* cellStop = inner->LastCaretStop())
                return cellStop;
        }
        return inner;
    }
    return sibling->IsCaretStop() ? sibling : nullptr;
}

// The stop a move to the right finds in a sibling: the sibling when it is a stop, else its first
// inner stop.
CEditNode* StopEnteringFromLeft(CEditNode* sibling)
{
    if (sibling->IsCaretStop())
        return sibling;
    return sibling->FirstCaretStop();
}

// The stop a move finds entering the node's siblings one by one: after the node going right
// (forward), before it going left.
CEditNode* StopInSiblings(CEditNode* node, bool forward)
{
    for (CQNXMLNode* s = forward ? node->GetNextSibling() : node->GetPrevSibling(); s != nullptr;
         s = forward ? s->GetNextSibling() : s->GetPrevSibling()) {
        if (CEditNode* sibling = Edit(s)) {
            if (CEditNode* stop = forward ? StopEnteringFromLeft(sibling) : StopEnteringFromRight(sibling))
                return stop;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Moves inside a kanbun cell: from one sub-box to another by the cell's own table.

enum class KanbunMove { Up, Down, Prev, Next };

// The sub-box index a move goes to; -1 for the ordinary move.
int KanbunTarget(KanbunMove move, int mode, int box)
{
    if (mode == 0) {
        switch (move) {
        case KanbunMove::Up:
            return box == 2 ? -1 : box == 3 ? 1 : box == 5 ? 4 : 2;
        case KanbunMove::Down:
            return box == 2 ? 1 : box == 3 ? -1 : box == 4 ? 5 : 3;
        case KanbunMove::Prev:
            return box == 4 || box == 5 ? 1 : box == 6 ? 4 : box >= 1 && box <= 3 ? 0 : -1;
        case KanbunMove::Next:
            return box == 0 ? 1 : box == 3 ? 5 : box == 4 || box == 5 ? 6 : box == 1 || box == 2 ? 4 : -1;
        }
    } else {
        switch (move) {
        case KanbunMove::Up:
            return box == 2 ? -1 : box == 3 ? 1 : 2;
        case KanbunMove::Down:
            return box == 2 ? 1 : box == 3 ? -1 : 3;
        case KanbunMove::Prev:
            return box == 4 ? 1 : box >= 1 && box <= 3 ? 0 : -1;
        case KanbunMove::Next:
            return box == 0 ? 1 : box >= 1 && box <= 3 ? 4 : -1;
        }
    }
    return -1;
}

// The move inside a kanbun cell, or null when the caret is not in one of its sub-boxes, the move
// is not the table's, or the target box has no stop: the ordinary move applies then.
CEditNode* KanbunCellMove(CCaret* caret, KanbunMove move)
{
    CEditNode* node = caret->m_caretNode;
    CEditNode* box = node->GetEditParent();
    if (box == nullptr || !(box->IsKind(EditKind::kKunten) || box->IsKind(EditKind::kOkurigana)))
        return nullptr;
    CEditNode* cell = box->GetEditParent();
    const auto* kanbun = dynamic_cast<IKanbunCell*>(cell);
    if (cell == nullptr || !cell->IsKind(EditKind::kKan) || kanbun == nullptr)
        return nullptr;
    const int mode = kanbun->GetHyphenMode();
    const int index = cell->IndexOfChild(box);
    const int lastIndex = mode == 0 ? 6 : 4;
    if (index < 0 || index > lastIndex)
        return nullptr;
    if (move == KanbunMove::Prev && (node != box->GetFirstChild() || index < 1))
        return nullptr;
    if (move == KanbunMove::Next && (node != box->GetLastChild() || index >= lastIndex))
        return nullptr;
    const int target = KanbunTarget(move, mode, index);
    CEditNode* targetBox = target >= 0 ? cell->GetEditChild(target) : nullptr;
    return targetBox != nullptr ? targetBox->FirstCaretStop() : nullptr;
}

// The enclosing plain question part's nearest visible sibling part before (after) it.
CEditNode* NeighbourPart(CEditNode* node, bool before)
{
    CEditNode* part = Edit(node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
    if (part == nullptr)
        return nullptr;
    for (CQNXMLNode* sibling = before ? part->GetPrevSibling() : part->GetNextSibling(); sibling != nullptr;
         sibling = before ? sibling->GetPrevSibling() : sibling->GetNextSibling()) {
        CEditNode* candidate = Edit(sibling);
        if (candidate != nullptr && candidate->IsKind(EditKind::kSentence) && candidate->IsVisible())
            return candidate;
    }
    return nullptr;
}

// Up and down: the node above or below, or the neighbouring part's nearest end when there is
// no stop there.
CEditNode* VerticalMove(CCaret* caret, int extend, bool up)
{
    CEditNode* node = caret->m_caretNode;
    CEditNode* result = nullptr;
    if (!extend)
        result = KanbunCellMove(caret, up ? KanbunMove::Up : KanbunMove::Down);
    if (result == nullptr) {
        result = up ? node->NodeAbove(caret) : node->NodeBelow(caret);
        if (result == nullptr || (result != node && !result->IsCaretStop())) {
            result = nullptr;
            if (CEditNode* part = NeighbourPart(node, up)) {
                if (up) {
                    result = part->LastCaretStop();
                    if (result == nullptr || !result->IsCaretStop())
                        result = Edit(part->GetLastChild());
                } else {
                    result = part->FirstCaretStop();
                    if (result != nullptr && !result->IsCaretStop())
                        result = result->GetFirstInner();
                }
            }
        }
    }
    FollowAnchor(caret, result, extend);
    return result;
}

// The nearest sibling after (before) the node that is a caret stop, or null.
CEditNode* NearestStopSibling(CEditNode* node, bool forward)
{
    for (CQNXMLNode* s = forward ? node->GetNextSibling() : node->GetPrevSibling(); s != nullptr;
         s = forward ? s->GetNextSibling() : s->GetPrevSibling()) {
        CEditNode* sibling = Edit(s);
        if (sibling != nullptr && sibling->IsCaretStop())
            return sibling;
    }
    return nullptr;
}

// Home and End: the start (end) of the caret node's line; the caret node itself when it is
// already there, null when that node is no stop.
CEditNode* LineEndMove(CCaret* caret, int extend, bool end)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    BeginMove(caret, extend);
    CEditNode* node = caret->m_caretNode;
    CEditNode* result = end ? node->LineEnd() : node->LineStart();
    if (result == nullptr || result == node)
        return node;
    if (!result->IsCaretStop())
        return nullptr;
    FollowAnchor(caret, result, extend);
    return EndMove(caret, result);
}

bool SameLine(const CEditNode* a, const CEditNode* b)
{
    return a->GetParent() == b->GetParent() && a->m_boxIndex == b->m_boxIndex && a->m_lineIndex == b->m_lineIndex;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Selection

BOOL CEditNode::GetSelectionRange(CCaret* caret, int* first, int* last)
{
    if (caret == nullptr || caret->m_anchorNode == nullptr || caret->m_caretNode == nullptr)
        return FALSE;
    int a = caret->m_anchorNode->GetIndexInParent();
    int b = caret->m_caretNode->GetIndexInParent();
    if (a != b) {
        if (a > b)
            std::swap(a, b);
        if (b > 0)
            --b;  // the caret stands before the later node: it is not selected
    }
    if (first != nullptr)
        *first = a;
    if (last != nullptr)
        *last = b;
    return TRUE;
}

BOOL CEditNode::DeleteSelection(CCaret* caret, CUndoGroup* group)
{
    int first = 0;
    int last = 0;
    if (!GetSelectionRange(caret, &first, &last))
        return FALSE;
    CEditNode* parent = CaretParent(caret);
    if (parent == nullptr || first < 0) {
        caret->ClearSelection();
        return FALSE;
    }
    EditTransaction transaction(caret, group);
    caret->ClearSelection();
    try {
        // The parent's last child (its closing line break) always stays.
        last = std::min(last, parent->GetChildCount() - 2);
        CEditNode* following = parent->GetEditChild(last + 1);
        if (following == nullptr)
            following = parent;
        for (int n = last - first + 1; n > 0; --n) {
            CEditNode* child = parent->GetEditChild(first);
            if (child == nullptr || (IsLineBreak(child) && KeepsItsLineBreaks(parent)))
                break;
            CEditNode* next = Edit(child->GetNextSibling());
            RemoveNode(child, UndoCode::kRemoveBackward, next != nullptr ? next : following, transaction.Group());
        }
        caret->m_caretNode = following;
    } catch (const CEditError&) {
        return FALSE;
    }
    transaction.Commit();
    return TRUE;
}

void CEditNode::DrawSelection(CDC* dc, CDisplayMap* map, CCaret* caret)
{
    int first = 0;
    int last = 0;
    CEditNode* parent = CaretParent(caret);
    if (dc == nullptr || map == nullptr || parent == nullptr || !GetSelectionRange(caret, &first, &last))
        return;
    const int previousRop = dc->SetROP2(R2_NOT);
    const HGDIOBJ previousBrush = dc->SelectStockObject(BLACK_BRUSH);
    for (int i = first; i <= last; ++i) {
        const CEditNode* child = parent->GetEditChild(i);
        if (child == nullptr)
            continue;
        RECT rect = child->m_rcHit;
        map->DocToDeviceRect(&rect);
        dc->Rectangle(&rect);
    }
    dc->SelectObject(previousBrush);
    dc->SetROP2(previousRop);
}

// ---------------------------------------------------------------------------------------------
// Insertion

BOOL CEditNode::InsertAnsiText(CCaret* caret, const char* text, CUndoGroup* group)
{
    if (text == nullptr)
        return FALSE;
    CStringW wide(text);
    return InsertString(caret, &wide, group);
}

BOOL CEditNode::InsertString(CCaret* caret, CStringW* text, CUndoGroup* group)
{
    CEditNode* parent = CaretParent(caret);
    if (parent == nullptr || text == nullptr)
        return FALSE;
    caret->m_verticalMove = 0;
    // A full reading-mark box takes nothing more.
    if (parent->IsKind(EditKind::kKunten) && parent->GetChildCount() >= MaxCharsOf(parent) + 1)
        return FALSE;
    EditTransaction transaction(caret, group);
    try {
        std::unique_ptr<CEditChar> node = MakeCharacter(parent, *text);
        if (node == nullptr)
            return FALSE;
        GiveTypingFormat(node.get(), caret);
        InsertBeforeCaret(caret, std::move(node), transaction.Group());
    } catch (const CEditError&) {
        return FALSE;
    }
    transaction.Commit();
    return TRUE;
}

BOOL CEditNode::InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group)
{
    CEditNode* parent = CaretParent(caret);
    if (parent == nullptr || text == nullptr)
        return FALSE;
    caret->m_verticalMove = 0;
    EditTransaction transaction(caret, group);
    bool inserted = false;
    try {
        for (int i = 0; i < text->GetLength(); ++i) {
            // A reading-mark box takes one typed character besides its line break.
            if (parent->IsKind(EditKind::kKunten) && parent->GetChildCount() > 1)
                continue;
            std::unique_ptr<CEditChar> node = MakeCharacter(parent, CStringW(text->GetAt(i)));
            if (node == nullptr)
                break;
            GiveTypingFormat(node.get(), caret);
            InsertBeforeCaret(caret, std::move(node), transaction.Group());
            inserted = true;
        }
    } catch (const CEditError&) {
        return FALSE;
    }
    transaction.Commit();
    return inserted ? TRUE : FALSE;
}

BOOL CEditNode::InsertLineBreak(CCaret* caret, CUndoGroup* group)
{
    CEditNode* parent = CaretParent(caret);
    if (parent == nullptr)
        return FALSE;
    CEditNode* node = caret->m_caretNode;
    if (IsFormulaNode(parent) || node->FindAncestorOfType(EditKind::Code(EditKind::kMath), 0) != nullptr ||
        node->FindAncestorOfType(EditKind::Code(EditKind::kCyukai), 0) != nullptr ||
        parent->IsKind(EditKind::kRubyText) || parent->IsKind(EditKind::kRubyBase) ||
        parent->IsKind(EditKind::kKunten) || (parent->IsKind(EditKind::kOkurigana) && parent->CountLineBreaks() > 2))
        return FALSE;
    // The new line break takes the text, format and paragraph settings of the one that ends the
    // line being split.
    CEditNode* templ = node->NextLineBreak();
    if (templ == nullptr && IsLineBreak(node))
        templ = node;
    const auto* templateChar = dynamic_cast<CEditChar*>(templ);
    if (templateChar == nullptr)
        return FALSE;
    EditTransaction transaction(caret, group);
    try {
        std::unique_ptr<CEditChar> lineBreak = MakeLineBreak(node);
        if (lineBreak == nullptr)
            return FALSE;
        lineBreak->CopyFrom(templateChar);
        auto* lineRecord = dynamic_cast<CBlockLineRelatedProperties*>(lineBreak.get());
        const auto* templateRecord = dynamic_cast<const CBlockLineRelatedProperties*>(templateChar);
        if (lineRecord != nullptr && templateRecord != nullptr)
            lineRecord->Copy(*templateRecord);
        InsertBeforeCaret(caret, std::move(lineBreak), transaction.Group());
    } catch (const CEditError&) {
        return FALSE;
    }
    transaction.Commit();
    caret->m_verticalMove = 0;
    caret->ClearSelection();
    caret->m_ownerValue = 0;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Deletion

namespace {

// After a deletion: the paper's last empty floating frame goes. When the caret stands in it, at
// any depth, the caret moves to the frame's preferred neighbour (the other when that one is
// missing); a frame with no neighbour at all stays, and so does a frame with nothing after it,
// which undo could not put back in its place.
void RemoveEmptyFrame(CCaret* caret, CUndoGroup* group, bool preferPrevious)
{
    CEditNode* node = caret->m_caretNode;
    auto* root = dynamic_cast<CEditPrint*>(node != nullptr ? node->GetRoot() : nullptr);
    if (root == nullptr)
        return;
    CEditNode* frame = root->FindEmptyFloat();
    if (frame == nullptr)
        return;
    CEditNode* previous = Edit(frame->GetPrevSibling());
    CEditNode* next = Edit(frame->GetNextSibling());
    if (next == nullptr)
        return;
    if (frame->IsAncestorOf(node))
        caret->m_caretNode = preferPrevious && previous != nullptr ? previous : next;
    // Undo puts the frame back where it stood: before its next sibling.
    RemoveNode(frame, UndoCode::kRemoveForward, next, group);
}

enum class DeleteDirection { Backward, Forward };

// Backspace removes the node before the caret, Delete the caret node itself (the caret moving on
// to the next one); with a selection both remove the selection.
BOOL DeleteAtCaret(CCaret* caret, CUndoGroup* group, DeleteDirection direction)
{
    CEditNode* parent = CaretParent(caret);
    if (parent == nullptr)
        return FALSE;
    if (caret->m_anchorNode != nullptr) {
        const BOOL done = CEditNode::DeleteSelection(caret, group);
        caret->ClearSelection();
        return done;
    }
    const bool backward = direction == DeleteDirection::Backward;
    CEditNode* node = caret->m_caretNode;
    CEditNode* removed = backward ? Edit(node->GetPrevSibling()) : node;
    CEditNode* next = Edit(node->GetNextSibling());
    if (removed == nullptr || (!backward && next == nullptr) ||
        (IsLineBreak(removed) && !MayDeleteLineBreak(parent)))
        return FALSE;
    EditTransaction transaction(caret, group);
    try {
        if (backward) {
            RemoveNode(removed, UndoCode::kRemoveBackward, node, transaction.Group());
            node->MarkDirty();
        } else {
            caret->m_caretNode = next;
            RemoveNode(removed, UndoCode::kRemoveForward, next, transaction.Group());
        }
        RemoveEmptyFrame(caret, transaction.Group(), backward);
    } catch (const CEditError&) {
        return FALSE;
    }
    transaction.Commit();
    if (backward)
        caret->m_verticalMove = 0;
    return TRUE;
}

}  // namespace

BOOL CEditNode::DeleteBackward(CCaret* caret, CUndoGroup* group)
{
    return DeleteAtCaret(caret, group, DeleteDirection::Backward);
}

BOOL CEditNode::DeleteForward(CCaret* caret, CUndoGroup* group)
{
    return DeleteAtCaret(caret, group, DeleteDirection::Forward);
}

// ---------------------------------------------------------------------------------------------
// Moves

CEditNode* CEditNode::MovePrev(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    BeginMove(caret, extend);
    CEditNode* node = caret->m_caretNode;
    CEditNode* result = nullptr;
    if (extend)
        return EndMove(caret, NearestStopSibling(node, false));
    result = KanbunCellMove(caret, KanbunMove::Prev);
    if (result == nullptr)
        result = StopInSiblings(node, false);
    // Up the tree: the stops before each enclosing node, or the first enclosing stop itself.
    for (CEditNode* ancestor = node->GetEditParent(); result == nullptr && ancestor != nullptr;
         ancestor = ancestor->GetEditParent()) {
        if (ancestor->IsKind(EditKind::kPrint))
            break;
        if (ancestor->IsCaretStop()) {
            result = ancestor;
            break;
        }
        result = StopInSiblings(ancestor, false);
    }
    return EndMove(caret, result);
}

CEditNode* CEditNode::MoveNext(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    BeginMove(caret, extend);
    CEditNode* node = caret->m_caretNode;
    CEditNode* result = nullptr;
    if (extend)
        return EndMove(caret, NearestStopSibling(node, true));
    result = KanbunCellMove(caret, KanbunMove::Next);
    if (result == nullptr)
        result = node->FirstCaretStop();
    if (result == nullptr)
        result = StopInSiblings(node, true);
    for (CEditNode* ancestor = node->GetEditParent(); result == nullptr && ancestor != nullptr;
         ancestor = ancestor->GetEditParent()) {
        if (ancestor->IsKind(EditKind::kPrint))
            break;
        result = StopInSiblings(ancestor, true);
    }
    return EndMove(caret, result);
}

CEditNode* CEditNode::MoveUp(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    BeginMove(caret, extend);
    return EndMove(caret, VerticalMove(caret, extend, true));
}

CEditNode* CEditNode::MoveDown(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    BeginMove(caret, extend);
    return EndMove(caret, VerticalMove(caret, extend, false));
}

CEditNode* CEditNode::MoveHome(CCaret* caret, int extend)
{
    return LineEndMove(caret, extend, false);
}

CEditNode* CEditNode::MoveEnd(CCaret* caret, int extend)
{
    return LineEndMove(caret, extend, true);
}

// ---------------------------------------------------------------------------------------------
// Positions and lines

CEditNode* CEditNode::FirstCaretStop()
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            return nullptr;
        if (child->IsCaretStop())
            return child;
        if (CEditNode* inner = child->FirstCaretStop())
            return inner;
    }
    return nullptr;
}

CEditNode* CEditNode::LastCaretStop()
{
    for (int i = GetChildCount() - 1; i >= 0; --i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            return nullptr;
        if (child->IsCaretStop())
            return child;
        if (CEditNode* inner = child->LastCaretStop())
            return inner;
    }
    return nullptr;
}

CEditNode* CEditNode::GetFirstInner()
{
    for (CEditNode* node = GetEditChild(0); node != nullptr; node = node->GetEditChild(0)) {
        if (node->IsCaretStop())
            return node;
    }
    return nullptr;
}

CEditNode* CEditNode::GetLastInner()
{
    for (CEditNode* node = Edit(GetLastChild()); node != nullptr; node = Edit(node->GetLastChild())) {
        if (node->IsCaretStop())
            return node;
    }
    return nullptr;
}

CEditNode* CEditNode::PrevPosition(int* after)
{
    if (after != nullptr && *after == 1 && IsLineBreak(this)) {
        *after = 0;
        return nullptr;
    }
    if (after != nullptr)
        *after = 0;
    return Edit(GetPrevAtSameDepth());
}

CEditNode* CEditNode::NextPosition(int* after)
{
    if (after != nullptr)
        *after = 0;
    return Edit(GetNextAtSameDepth());
}

CEditNode* CEditNode::LineStart()
{
    if (m_indexInLine == 0)
        return this;
    for (CQNXMLNode* s = GetPrevSibling(); s != nullptr; s = s->GetPrevSibling()) {
        CEditNode* sibling = Edit(s);
        if (sibling != nullptr && (sibling->m_indexInLine == 0 || IsLineBreak(sibling)))
            return sibling;
    }
    return nullptr;
}

CEditNode* CEditNode::LineEnd()
{
    if (IsLineBreak(this))
        return this;
    CEditNode* last = this;
    for (CQNXMLNode* s = GetNextSibling(); s != nullptr; s = s->GetNextSibling()) {
        CEditNode* sibling = Edit(s);
        if (sibling == nullptr)
            continue;
        if (IsLineBreak(sibling))
            return sibling;
        if (sibling->m_lineIndex != m_lineIndex)
            break;
        last = sibling;
    }
    return last;
}

CEditNode* CEditNode::NodeAbove(CCaret* caret)
{
    if (caret == nullptr)
        return this;
    CEditNode* node = caret->m_caretNode != nullptr ? caret->m_caretNode : this;
    if (caret->m_rememberedX < 0)
        caret->m_rememberedX = node->m_rcLayout.left;
    const int x = caret->m_rememberedX;
    CEditNode* start = node->LineStart();
    if (start == nullptr)
        start = node;
    CEditNode* lastStop = nullptr;
    for (CEditNode* n = Edit(start->GetPrevAtSameDepth()); n != nullptr; n = Edit(n->GetPrevAtSameDepth())) {
        if (!n->IsCaretStop())
            continue;
        if (n->m_rcLayout.left <= x || n->m_indexInLine == 0)
            return n;
        lastStop = n;
    }
    return lastStop != nullptr ? lastStop : node;
}

CEditNode* CEditNode::NodeBelow(CCaret* caret)
{
    if (caret == nullptr)
        return this;
    CEditNode* node = caret->m_caretNode != nullptr ? caret->m_caretNode : this;
    if (caret->m_rememberedX < 0)
        caret->m_rememberedX = node->m_rcLayout.left;
    const int x = caret->m_rememberedX;
    CEditNode* end = node->LineEnd();
    if (end == nullptr)
        end = node;
    // Crossing into the line below is the first boundary; the end of that line the second.
    CEditNode* lastStop = end;
    int boundaries = 0;
    for (CEditNode* n = Edit(end->GetNextAtSameDepth()); n != nullptr; n = Edit(n->GetNextAtSameDepth())) {
        if (!n->IsCaretStop())
            continue;
        if (!SameLine(n, lastStop) && ++boundaries >= 2)
            return lastStop;
        if (n->m_rcLayout.left >= x)
            return n;
        lastStop = n;
    }
    // The paper ends: the end of the line below, when there is one.
    return boundaries > 0 ? lastStop : node;
}
