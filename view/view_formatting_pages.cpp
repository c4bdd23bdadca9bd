// Page breaks and underline numbering: a page-break block put in front of the question part at
// the caret or taken away, and numbered underlines (①②③, (１)(２)(３) …) given to a selected run,
// set through the numbering dialog or taken off again.
#include "view/edit_view_controller.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "nodes/undo.h"
#include "nodes/underline_numbering.h"
#include "view/caret_context.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {

constexpr int kIdOk = 1;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Page breaks

void CEditViewController::OnInsertPageBreak()
{
    CEditPrint* root = Root();
    CEditNode* node = CaretNode();
    if (root == nullptr || node == nullptr)
        return;
    // The block stands among the root's children, in front of the question part that holds the
    // caret there.
    CQNXMLNode* part = node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1);
    while (part != nullptr && part->GetParent() != root)
        part = part->GetParent() != nullptr ? part->GetParent()->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1) : nullptr;
    if (part == nullptr)
        return;
    const int index = part->GetIndexInParent();
    auto block = std::make_unique<CEditKaiPage>();
    block->Fill();
    auto group = std::make_unique<CUndoGroup>();
    try {
        CUndoAction* action = group->RecordNodeEx(UndoCode::kInsertAt, block.get(), node, index, root, 0, 0);
        if (action == nullptr)
            throw std::bad_alloc();
        action->Keep(std::move(block));
        if (!action->PutBack())
            throw std::runtime_error("the page break could not be inserted");
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    const bool changed = group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!changed)
        return;
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnDeletePageBreak()
{
    CEditNode* node = CaretNode();
    CEditNode* block = node != nullptr ? CEditNode::FromNode(node->FindAncestorOfType(EditKind::Code(EditKind::kKaiPage), 1)) : nullptr;
    CEditNode* parent = block != nullptr ? block->GetEditParent() : nullptr;
    if (parent == nullptr)
        return;
    const int index = block->GetIndexInParent();
    CEditNode* neighbour = CEditNode::FromNode(block->GetNextSibling());
    if (neighbour == nullptr)
        neighbour = CEditNode::FromNode(block->GetPrevSibling());
    CEditNode* newCaret = neighbour != nullptr ? neighbour->GetFirstInner() : nullptr;
    // The caret needs a place to go: a paper of one page break keeps it.
    if (newCaret == nullptr)
        return;
    m_caret.ClearSelection();
    auto group = std::make_unique<CUndoGroup>();
    try {
        CUndoAction* action = group->RecordNodeEx(UndoCode::kRemoveAt, block, newCaret, index, parent, 0, 0);
        if (action == nullptr)
            throw std::bad_alloc();
        action->TakeOut();
    } catch (const std::exception&) {
        return;
    }
    FinishChange(std::move(group));
    m_caret.m_caretNode = newCaret;
    UpdateCaret(TRUE);
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
}

// ---------------------------------------------------------------------------------------------
// Underline numbering

INumberingDefaults& CEditViewController::NumberingDefaults()
{
    if (m_numberingDefaults != nullptr)
        return *m_numberingDefaults;
    if (!m_ownNumberingDefaults)
        m_ownNumberingDefaults = std::make_unique<CNumberingDefaults>();
    return *m_ownNumberingDefaults;
}

bool CEditViewController::UnderlineNumberingAllowed() const
{
    if (m_caret.m_anchorNode == nullptr || !CaretContextAllows(m_caret, CaretContext::UnderlineNumbering))
        return false;
    CCaret caret = m_caret;
    return CEditNode::GetSelectionRange(&caret, nullptr, nullptr) != FALSE;
}

bool CEditViewController::UnderlineNumberingTest(bool forRemoval) const
{
    if (!UnderlineNumberingAllowed())
        return false;
    const CEditNode* parent = m_caret.m_caretNode->GetEditParent();
    if (parent == nullptr)
        return false;
    CCaret caret = m_caret;
    int first = 0;
    int last = 0;
    CEditNode::GetSelectionRange(&caret, &first, &last);
    bool numbered = false;
    for (int i = first; i <= last; ++i) {
        const CEditNode* child = parent->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (IsLineBreak(child)) {
            // Only the paragraph's own line break may end the run.
            if (i == last && i > 0)
                continue;
            if (!forRemoval)
                return false;
        }
        if (child->Numbering().m_renbanType > RenbanType::kNone)
            numbered = true;
    }
    return forRemoval ? numbered : true;
}

void CEditViewController::InsertUnderlineNumbers(const CKasenRenbanProperties* numbering,
                                                 const CCharacterProperties* underline)
{
    if (!UnderlineNumberingAllowed())
        return;
    CEditNode* node = CaretNode();
    CEditNode* parent = node->GetEditParent();
    int first = 0;
    int last = 0;
    if (parent == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    m_caret.ClearSelection();
    CKasenRenbanProperties defaults;
    CCharacterProperties defaultUnderline;
    NumberingDefaults().GetNumberingDefaults(&defaults, &defaultUnderline);
    const CCharacterProperties& line = underline != nullptr ? *underline : defaultUnderline;
    const CKasenRenbanProperties& values = numbering != nullptr ? *numbering : defaults;
    const int force = numbering != nullptr ? numbering->m_renbanForce : -1;
    const CStringW empty;
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (int i = first; i <= last; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child == nullptr)
                continue;
            child->MarkDirty();
            if (IsLineBreak(child))
                continue;
            child->SetBangoType(values.m_renbanType, group.get());
            child->SetBangoFontSize(values.m_renbanSize, group.get());
            child->SetBangoFontFamily(values.m_renbanFace, group.get());
            child->SetBangoForce(force, group.get());
            child->SetBangoString(child->Numbering().m_renbanType == RenbanType::kString ? values.m_renbanString : empty, group.get());
            SetRunUnderline(child, line.m_underlineStyle, line.m_underlineWidth, group.get());
        }
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    node->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnRemoveUnderlineNumber()
{
    if (!UnderlineNumberingAllowed())
        return;
    CEditNode* node = CaretNode();
    CEditNode* parent = node->GetEditParent();
    int first = 0;
    int last = 0;
    if (parent == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    m_caret.ClearSelection();
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (int i = first; i <= last; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child == nullptr)
                continue;
            child->MarkDirty();
            if (IsLineBreak(child))
                continue;
            child->SetBangoType(0, group.get());
            SetRunUnderline(child, 0, 0, group.get());
        }
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    node->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

CEditNode* CEditViewController::UnderlineNumberSettingsNode() const
{
    if (!UnderlineNumberingAllowed())
        return nullptr;
    const CEditNode* parent = m_caret.m_caretNode->GetEditParent();
    if (parent == nullptr)
        return nullptr;
    CCaret caret = m_caret;
    int first = 0;
    int last = 0;
    CEditNode::GetSelectionRange(&caret, &first, &last);
    CEditNode* node = parent->GetEditChild(first);
    if (node == nullptr || node->Numbering().m_renbanType <= RenbanType::kNone)
        node = parent->GetEditChild(last);
    return node;
}

void CEditViewController::OnUnderlineNumberSettings()
{
    CEditNode* node = UnderlineNumberSettingsNode();
    CKasenRenbanProperties numbering;
    CCharacterProperties underline;
    int newFlag = 0;
    if (node != nullptr && node->Numbering().m_renbanType > RenbanType::kNone) {
        NumberingOfNode(*node, &numbering, &underline);
    } else {
        NumberingDefaults().GetNumberingDefaults(&numbering, &underline);
        newFlag = node == nullptr ? 1 : 0;
    }
    if (RunUnderlineNumberDialog(newFlag, &numbering, &underline) != kIdOk)
        return;
    // Refused by the numbering's own test when the selection cannot be numbered; the defaults
    // change all the same.
    InsertUnderlineNumbers(&numbering, &underline);
    if (numbering.m_renbanType != RenbanType::kString) {
        numbering.m_renbanForce = -1;
        numbering.m_renbanString.Empty();
        NumberingDefaults().SetNumberingDefaults(numbering, underline);
    }
}

int CEditViewController::RunUnderlineNumberDialog(int newFlag, CKasenRenbanProperties* numbering,
                                                  CCharacterProperties* underline)
{
    if (!m_underlineNumberDialog)
        return 0;
    UNDERLINE_NUMBER_VALUES values = NumberingToDialog(newFlag, *numbering, *underline);
    const int result = m_underlineNumberDialog(&values);
    if (result == kIdOk)
        NumberingFromDialog(values, numbering, underline);
    return result;
}
