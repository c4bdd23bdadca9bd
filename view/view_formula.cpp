// Formula input and templates, furigana and tables: the routing of the family's commands, formula
// mode and the frame that every formula template runs around its own building.
#include "view/edit_view_controller.h"

#include "math/formula.h"
#include "math/formula_templates.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/undo.h"
#include "view/caret_context.h"


#include <new>

namespace {

bool InFormula(const CEditNode* node)
{
    const CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    return parent != nullptr && parent->HasKindFlags(EditKind::kFormula);
}

// The formula around the caret that stands in no formula itself.
CEditNode* OutermostFormula(CEditNode* node)
{
    CEditNode* current = node->GetEditParent();
    while (current != nullptr && current->GetEditParent() != nullptr &&
           current->GetEditParent()->HasKindFlags(EditKind::kFormula))
        current = current->GetEditParent();
    return current;
}

bool IsEmptyFormula(const CEditNode* formula)
{
    return formula->GetChildCount() == 1 && formula->GetEditChild(0)->HasKindFlags(EditKind::kLineBreak);
}

}  // namespace

bool CEditViewController::UpdateFormulaCommand(int id, CMD_UI_STATE* state) const
{
    CEditNode* node = m_caret.m_caretNode;
    switch (id) {
    case ViewCommand::kMathMode: {
        state->enabled = node != nullptr;
        if (node == nullptr)
            break;
        state->check = InFormula(node) ? 1 : 0;
        // Run at every idle update while the formula toolbar shows, this keeps the input method's
        // open state with the one remembered for where the caret stands.
        const bool formulaCaret = EditKind::Has(static_cast<EDIT_NODE_KIND>(m_caret.m_caretKind), EditKind::kFormula);
        const_cast<CEditViewController*>(this)->SetImeOpen(formulaCaret ? m_bImeOpenMath : m_bImeOpenText);
        break;
    }
    case ViewCommand::kFurigana:
        state->enabled = m_caret.m_anchorNode != nullptr;
        break;
    case ViewCommand::kRemoveFurigana:
        state->enabled = node != nullptr && (m_caret.m_anchorNode != nullptr || IsInsideKind(node, EditKind::kRuby));
        break;
    case ViewCommand::kInsertTable:
        state->enabled = true;
        break;
    case ViewCommand::kTableFormat:
        state->enabled = node != nullptr && IsInsideKind(node, EditKind::kCell) && IsInsideKind(node, EditKind::kTable);
        break;
    default:
        if (!IsFormulaTemplateCommand(id))
            return false;
        // The templates have no update handler of their own: they stay enabled.
        state->enabled = true;
        break;
    }
    return true;
}

bool CEditViewController::RunFormulaCommand(int id)
{
    switch (id) {
    case ViewCommand::kMathMode: OnMathMode(); return true;
    case ViewCommand::kFurigana: OnFurigana(); return true;
    case ViewCommand::kRemoveFurigana: OnRemoveFurigana(); return true;
    case ViewCommand::kInsertTable: OnInsertTable(); return true;
    case ViewCommand::kTableFormat: OnTableFormat(); return true;
    default:
        if (!IsFormulaTemplateCommand(id))
            return false;
        OnInsertTemplate(id);
        return true;
    }
}

bool CEditViewController::CaretInPageBreak() const
{
    return IsInsideKind(m_caret.m_caretNode, EditKind::kKaiPage);
}

// ---------------------------------------------------------------------------------------------
// Formula mode

void CEditViewController::OnMathMode()
{
    CEditNode* node = CaretNode();
    if (node == nullptr || CaretInPageBreak())
        return;

    if (!InFormula(node)) {
        m_lfDefault = m_caret.m_logFont;
        m_bImeOpenText = IsImeOpen();
        auto formula = std::make_unique<CEditMath>();
        formula->CreateDefaultSlots(1);
        CEditNode* slotEnd = formula->GetFirstSlotEnd();
        if (slotEnd == nullptr)
            return;
        auto group = std::make_unique<CUndoGroup>();
        try {
            InsertBeforeNode(node, std::move(formula), group.get());
        } catch (const CEditError&) {
            return;
        } catch (const std::bad_alloc&) {
            return;
        }
        m_document.PushUndo(std::move(group));
        // The selection belonged to the text the caret leaves.
        m_caret.ClearSelection();
        m_caret.m_logFont = m_lfMath;
        m_caret.m_caretNode = slotEnd;
        m_caret.m_caretKind = EditKind::kMathChar;
        PlaceImeWindow();
        SetImeOpen(m_bImeOpenMath);
        UpdateCaret(TRUE);
        OnUpdate(UpdateHint::kAll);
        return;
    }

    CEditNode* parent = node->GetEditParent();
    if (parent->IsKind(EditKind::kMath) && parent->GetChildCount() == 0)
        return;
    if (parent->IsKind(EditKind::kMath) && IsEmptyFormula(parent)) {
        CEditNode* next = CEditNode::FromNode(parent->GetNextSibling());
        if (next == nullptr)
            return;
        m_caret.ClearSelection();
        m_caret.m_caretNode = next;
        UpdateCaret(TRUE);
        auto group = std::make_unique<CUndoGroup>();
        if (CUndoAction* action = group->RecordNode(UndoCode::kRemoveBackward, parent, next, 0, 0))
            action->TakeOut();
        FinishChange(std::move(group));
    }
    if (InFormula(CaretNode())) {
        CEditNode* outer = OutermostFormula(CaretNode());
        if (CEditNode* after = outer != nullptr ? CEditNode::FromNode(outer->GetNextSibling()) : nullptr) {
            m_caret.ClearSelection();
            m_caret.m_caretNode = after;
            UpdateCaret(TRUE);
        }
    }
    m_lfMath = m_caret.m_logFont;
    m_bImeOpenMath = IsImeOpen();
    m_caret.m_caretKind = EditKind::kChar;
    CEditNode* caretNode = CaretNode();
    CEditNode* before = CEditNode::FromNode(caretNode->GetPrevSibling());
    const bool afterCharacter = before != nullptr && before->HasKindFlags(EditKind::kCharacter) &&
                                !caretNode->HasKindFlags(EditKind::kCharacter);
    if (!afterCharacter) {
        m_caret.m_logFont = m_lfDefault;
        PlaceImeWindow();
    }
    SetImeOpen(m_bImeOpenText);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

// ---------------------------------------------------------------------------------------------
// The template frame

void CEditViewController::FinishFormulaCommand(std::unique_ptr<CUndoGroup> group)
{
    FinishChange(std::move(group));
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnInsertTemplate(int id)
{
    if (CaretNode() == nullptr || CaretInPageBreak())
        return;
    auto group = std::make_unique<CUndoGroup>();
    // A command abandoned part-way keeps what it changed as one undoable group.
    try {
        DeleteSelectionInto(group.get());
        FORMULA_TEMPLATE_SETTINGS settings;
        settings.askSize = m_matrixDialog;
        if (InsertFormulaTemplate(id, &m_caret, group.get(), settings)) {
            CaretNode()->MarkPartModified(TRUE);
            m_document.SetModifiedFlag(true);
        }
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishFormulaCommand(std::move(group));
}
