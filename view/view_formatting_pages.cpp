// Page breaks and underline numbering: a page-break block put in front of the question part at
// the caret or taken away, and numbered underlines (①②③, (１)(２)(３) …) given to a selected run,
// set through the numbering dialog or taken off again.
#include "view/edit_view_controller.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "nodes/undo.h"
#include "view/caret_context.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {

constexpr int kIdOk = 1;

// Underline style and width of the dialog's underline states 0 … 7.
struct LINE_KIND {
    int style;
    int width;
};
constexpr LINE_KIND kDialogStates[] = {{1, 1}, {2, 1}, {1, 3}, {4, 1}, {3, 1}, {5, 1}, {6, 1}, {7, 1}};

int DialogStateOf(int style, int width)
{
    switch (style) {
    case 2: return 1;
    case 3: return 4;
    case 4: return 3;
    case 5: return 5;
    case 6: return 6;
    case 7: return 7;
    default: return width == 3 ? 2 : 0;
    }
}

LINE_KIND LineKindOf(int state)
{
    return state >= 1 && state <= 7 ? kDialogStates[state] : kDialogStates[0];
}

// Gives a node the underline of its kind: a kanbun cell its cell underline, a ruby the box
// underline and its base characters the character underline, a character the character
// underline, any other container or formula the box underline.
void SetRunUnderline(CEditNode* node, int style, int width, CUndoGroup* group)
{
    if (node->IsKind(EditKind::kKan)) {
        node->SetKanUnderlineStyle(style, group);
        node->SetKanUnderlineWidth(width, group);
    } else if (node->IsKind(EditKind::kRuby)) {
        node->SetBoxUnderlineStyle(style, group);
        node->SetBoxUnderlineWidth(width, group);
        if (CEditNode* base = node->GetEditChild(0)) {
            for (int i = 0; i < base->GetChildCount(); ++i) {
                CEditNode* c = base->GetEditChild(i);
                if (IsCharacter(c)) {
                    c->SetUnderlineStyle(style, group);
                    c->SetUnderlineWidth(width, group);
                }
            }
        }
    } else if (IsCharacter(node)) {
        node->SetUnderlineStyle(style, group);
        node->SetUnderlineWidth(width, group);
    } else if (node->HasKindFlags(EditKind::kContainer | EditKind::kFormula)) {
        node->SetBoxUnderlineStyle(style, group);
        node->SetBoxUnderlineWidth(width, group);
    }
}

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
        if (child->m_renbanType > RenbanType::kNone)
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
            child->SetBangoString(child->m_renbanType == RenbanType::kString ? values.m_renbanString : empty, group.get());
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
    if (node == nullptr || node->m_renbanType <= RenbanType::kNone)
        node = parent->GetEditChild(last);
    return node;
}

void CEditViewController::OnUnderlineNumberSettings()
{
    CEditNode* node = UnderlineNumberSettingsNode();
    CKasenRenbanProperties numbering;
    CCharacterProperties underline;
    int newFlag = 0;
    if (node != nullptr && node->m_renbanType > RenbanType::kNone) {
        const bool cell = node->IsKind(EditKind::kKan);
        underline.m_underlineStyle = cell ? node->m_beforeStyle : node->m_underlineStyle;
        underline.m_underlineWidth = cell ? node->m_beforeWidth : node->m_underlineWidth;
        numbering.m_renbanType = node->m_renbanType;
        numbering.m_renbanString = node->m_renbanString;
        numbering.m_renbanForce = node->m_renbanForce;
        std::memcpy(numbering.m_renbanFace, node->m_renbanFace, sizeof numbering.m_renbanFace);
        numbering.m_renbanSize = node->m_renbanSize;
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
    UNDERLINE_NUMBER_VALUES values;
    values.newFlag = newFlag;
    values.underlineState = DialogStateOf(underline->m_underlineStyle, underline->m_underlineWidth);
    values.kindIndex = numbering->m_renbanType - 1;
    if (numbering->m_renbanType == RenbanType::kString)
        values.labelText = std::u16string(numbering->m_renbanString.View());
    values.force = numbering->m_renbanForce > 0 ? numbering->m_renbanForce : 0;
    values.face = std::string(numbering->m_renbanFace, strnlen(numbering->m_renbanFace, LF_FACESIZE));
    values.size = numbering->m_renbanSize;
    const int result = m_underlineNumberDialog(&values);
    if (result != kIdOk)
        return result;
    const LINE_KIND kind = LineKindOf(values.underlineState);
    underline->m_underlineStyle = kind.style;
    underline->m_underlineWidth = kind.width;
    numbering->m_renbanType = values.kindIndex + 1;
    if (numbering->m_renbanType == RenbanType::kString)
        numbering->m_renbanString = CStringW(values.labelText);
    numbering->m_renbanForce = values.force > 0 ? values.force : -1;
    std::memset(numbering->m_renbanFace, 0, sizeof numbering->m_renbanFace);
    std::memcpy(numbering->m_renbanFace, values.face.data(), std::min<size_t>(values.face.size(), LF_FACESIZE - 1));
    numbering->m_renbanSize = values.size;
    return result;
}
