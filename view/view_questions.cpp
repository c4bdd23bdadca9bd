// Question structure: new, deleted and moved questions, text boxes between them, the answer-field
// sizing mode and the side of floating frames. The root does the work on the question parts; the
// commands pick the question from the caret, keep the undo group and put the caret back.
#include "view/edit_view_controller.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/floating_frame.h"
#include "nodes/page_furniture.h"
#include "nodes/question_parts.h"
#include "nodes/undo.h"
#include "platform/shell.h"

#include <algorithm>
#include <memory>

namespace {

constexpr char16_t kDeleteCaption[] = u"削除確認";
constexpr char16_t kConfirmDeleteQuestion[] = u"選択された問題を削除すると、この問題の小問も全て削除されます。\n\nよろしいですか？";
constexpr char16_t kConfirmDeleteSubQuestion[] = u"選択された小問を削除します。\n\nよろしいですか？";

bool ConfirmDelete(const char16_t* text)
{
    return ShellMessageBox(text, kDeleteCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

CEditNode* Around(CEditNode* node, uint32_t kind)
{
    return node != nullptr ? CEditNode::FromNode(node->FindAncestorOfType(EditKind::Code(kind), 1)) : nullptr;
}

// The first question part of the paper in document order, or null.
CEditSentence* FirstQuestionPart(CEditPrint* root)
{
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditSentence* part = AsQuestionPart(root->GetChildAt(i));
        if (part != nullptr && part->m_partKind != PART_NONE)
            return part;
    }
    return nullptr;
}

}  // namespace

bool CEditViewController::UpdateQuestionCommand(int id, CMD_UI_STATE* state) const
{
    CEditNode* node = CaretNode();
    const CEditSentence* part = CaretPart();
    switch (id) {
    case ViewCommand::kNewLargeQuestion:
    case ViewCommand::kNewSmallQuestion:
    case ViewCommand::kQuestionNumberFormat:
    case ViewCommand::kSetPoints:
        state->enabled = true;
        break;
    case ViewCommand::kDeleteLargeQuestion:
        state->enabled = part != nullptr && part->m_subQuestionNumber == 0;
        break;
    case ViewCommand::kDeleteSmallQuestion:
        state->enabled = part != nullptr && part->m_subQuestionNumber > 0;
        break;
    case ViewCommand::kQuestionUp:
    case ViewCommand::kQuestionDown:
    case ViewCommand::kInsertTextBox:
        state->enabled = part != nullptr;
        break;
    case ViewCommand::kFieldDelete:
        state->enabled = Around(node, EditKind::kGai) != nullptr;
        break;
    case ViewCommand::kFieldSize: {
        const CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
        state->enabled = parent != nullptr && parent->IsKind(EditKind::kSentence);
        state->check = m_nViewMode == ViewMode::kFieldSize ? 1 : 0;
        break;
    }
    case ViewCommand::kFieldLeft:
    case ViewCommand::kFieldRight:
        state->enabled = Around(node, EditKind::kFloat) != nullptr;
        state->hasText = true;
        if (id == ViewCommand::kFieldLeft)
            state->text = m_displayMap.IsVertical() ? u"上に" : u"左に";
        else
            state->text = m_displayMap.IsVertical() ? u"下に" : u"右に";
        break;
    case ViewCommand::kInsertLargeNumber:
        state->enabled = part != nullptr && part->m_subQuestionNumber == 0;
        break;
    case ViewCommand::kInsertSmallNumber:
        state->enabled = part != nullptr && part->m_subQuestionNumber != 0;
        break;
    default:
        return false;
    }
    return true;
}

bool CEditViewController::RunQuestionCommand(int id)
{
    switch (id) {
    case ViewCommand::kNewLargeQuestion: OnNewLargeQuestion(); return true;
    case ViewCommand::kNewSmallQuestion: OnNewSmallQuestion(); return true;
    case ViewCommand::kDeleteLargeQuestion: OnDeleteLargeQuestion(); return true;
    case ViewCommand::kDeleteSmallQuestion: OnDeleteSmallQuestion(); return true;
    case ViewCommand::kQuestionUp: OnQuestionUp(); return true;
    case ViewCommand::kQuestionDown: OnQuestionDown(); return true;
    case ViewCommand::kInsertTextBox: OnInsertTextBox(); return true;
    case ViewCommand::kFieldDelete: OnFieldDelete(); return true;
    case ViewCommand::kFieldSize: OnFieldSize(); return true;
    case ViewCommand::kFieldLeft: OnFieldSide(1); return true;
    case ViewCommand::kFieldRight: OnFieldSide(2); return true;
    case ViewCommand::kInsertLargeNumber: OnInsertLargeNumber(); return true;
    case ViewCommand::kInsertSmallNumber: OnInsertSmallNumber(); return true;
    case ViewCommand::kQuestionNumberFormat: OnQuestionNumberFormat(); return true;
    case ViewCommand::kSetPoints: OnSetPoints(); return true;
    default: return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Shared steps

CEditSentence* CEditViewController::CaretPart() const
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return nullptr;
    return dynamic_cast<CEditSentence*>(node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
}

void CEditViewController::FinishStructureChange(std::unique_ptr<CUndoGroup> group)
{
    const bool changed = group && group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!changed)
        return;
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(FALSE);
}

void CEditViewController::PlaceCaretInPart(CEditNode* part)
{
    m_caret.ClearSelection();
    m_caret.m_caretNode = part != nullptr ? part->GetFirstInner() : nullptr;
    // A field being sized that went with the deleted question leaves the sizing mode.
    if (m_pCurrentField != nullptr && m_pCurrentField->GetRoot() != Root()) {
        m_pCurrentField = nullptr;
        m_selectedFields.clear();
        if (m_nViewMode == ViewMode::kFieldSize)
            m_nViewMode = ViewMode::kText;
    }
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(TRUE);
}

// ---------------------------------------------------------------------------------------------
// New and deleted questions

void CEditViewController::OnNewLargeQuestion()
{
    CEditPrint* root = Root();
    if (root == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    root->InsertQuestion(&m_caret, group.get());
    FinishStructureChange(std::move(group));
}

void CEditViewController::OnNewSmallQuestion()
{
    CEditPrint* root = Root();
    const CEditSentence* part = CaretPart();
    if (root == nullptr || part == nullptr)
        return;
    // A sub-question belongs to a major question that has its question text; a part without one
    // (or a paragraph outside the questions) would get parts of a question that does not exist.
    const int m = part->m_questionNumber;
    if (root->FindPart(m, PART_QUESTION) == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    root->InsertSubQuestion(m, &m_caret, group.get());
    FinishStructureChange(std::move(group));
}

void CEditViewController::OnDeleteLargeQuestion()
{
    CEditPrint* root = Root();
    const CEditSentence* part = CaretPart();
    if (root == nullptr || part == nullptr)
        return;
    const int m = part->m_questionNumber;
    const int kind = part->m_partKind;
    if (root->CountQuestions() <= 1)
        return;
    if (!ConfirmDelete(kConfirmDeleteQuestion))
        return;
    // The new numbers go into the deletion's own group, so one Undo brings every number back.
    auto group = std::make_unique<CUndoGroup>();
    if (root->DeleteQuestion(m, &m_caret, group.get()) == 0)
        return;
    root->RenumberQuestions(group.get());
    // The question now numbered m comes first: the same kind of part of the following question,
    // else of an earlier one; then any part of them.
    CEditSentence* target = nullptr;
    for (int n = m; n >= 1 && target == nullptr; --n)
        target = root->FindPart(n, kind);
    for (int n = m; n >= 1 && target == nullptr; --n)
        target = root->FindPart(n, 0);
    if (target == nullptr)
        target = FirstQuestionPart(root);
    PlaceCaretInPart(target);
    FinishChange(std::move(group));
}

void CEditViewController::OnDeleteSmallQuestion()
{
    CEditPrint* root = Root();
    const CEditSentence* part = CaretPart();
    if (root == nullptr || part == nullptr)
        return;
    const int m = part->m_questionNumber;
    const int s = part->m_subQuestionNumber;
    const int kind = part->m_partKind;
    if (!ConfirmDelete(kConfirmDeleteSubQuestion))
        return;
    auto group = std::make_unique<CUndoGroup>();
    if (root->DeleteSubQuestion(m, s, &m_caret, group.get()) == 0)
        return;
    root->RenumberSubQuestions(m, group.get());
    CEditSentence* target = nullptr;
    if (root->CountSubQuestions(m) > 0) {
        for (int n = s; n >= 1 && target == nullptr; --n)
            target = root->FindSubPart(m, n, kind);
        for (int n = s; n >= 1 && target == nullptr; --n)
            target = root->FindSubPart(m, n, 0);
    } else {
        target = root->FindPart(m, kind);
    }
    if (target == nullptr)
        target = FirstQuestionPart(root);
    PlaceCaretInPart(target);
    FinishChange(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Moves: the two questions exchange places and the root numbers them anew. The exchange is
// recorded in a group of its own, so that undo takes it back and no older group replays onto
// the moved parts.

void CEditViewController::OnQuestionUp() { MoveCaretQuestion(-1); }

void CEditViewController::OnQuestionDown() { MoveCaretQuestion(1); }

void CEditViewController::MoveCaretQuestion(int step)
{
    CEditPrint* root = Root();
    const CEditSentence* part = CaretPart();
    if (root == nullptr || part == nullptr)
        return;
    const int m = part->m_questionNumber;
    const int s = part->m_subQuestionNumber;
    auto group = std::make_unique<CUndoGroup>();
    if (s <= 0) {
        const int other = m + step;
        if (other >= 1 && root->FindPart(other, 0) != nullptr)
            root->MoveQuestion(std::min(m, other), std::max(m, other), group.get());
    } else {
        const int other = s + step;
        if (other >= 1 && root->FindSubPart(m, other, 0) != nullptr)
            root->MoveSubQuestion(m, std::min(s, other), std::max(s, other), group.get());
    }
    FinishStructureChange(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Text boxes

void CEditViewController::OnInsertTextBox()
{
    CEditPrint* root = Root();
    const CEditSentence* part = CaretPart();
    if (root == nullptr || part == nullptr)
        return;
    // The box goes just before the question text of the caret's question, wherever the caret is.
    CEditSentence* text = root->FindPart(part->m_questionNumber, PART_QUESTION);
    const int index = text != nullptr ? root->IndexOfChild(text) : -1;
    if (index < 0)
        return;
    auto box = std::make_unique<CEditGai>();
    box->AddLineBreak();
    CEditGai* inserted = box.get();
    auto group = std::make_unique<CUndoGroup>();
    CUndoAction* action = group->RecordNodeEx(UndoCode::kInsertAt, inserted, CaretNode(), index, root, 0, 0);
    if (action == nullptr)
        return;
    action->Keep(std::move(box));
    if (!action->PutBack())
        return;  // the group, and with it the box, is dropped
    m_caret.ClearSelection();
    m_caret.m_caretNode = inserted->GetFirstInner();
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(TRUE);
}

void CEditViewController::OnFieldDelete()
{
    CEditPrint* root = Root();
    CEditNode* box = Around(CaretNode(), EditKind::kGai);
    if (root == nullptr || box == nullptr)
        return;
    const int index = root->IndexOfChild(box);
    if (index < 0)
        return;
    // The caret goes into the block after the box, or the one before when the box is last.
    CEditNode* neighbour = root->GetEditChild(index + 1 < root->GetChildCount() ? index + 1 : index - 1);
    CEditNode* caretNode = neighbour != nullptr ? neighbour->GetFirstInner() : nullptr;
    if (caretNode == nullptr)
        return;
    m_caret.ClearSelection();
    auto group = std::make_unique<CUndoGroup>();
    CUndoAction* action = group->RecordNodeEx(UndoCode::kRemoveAt, box, caretNode, index, root, 0, 0);
    if (action == nullptr)
        return;
    action->TakeOut();
    m_caret.m_caretNode = caretNode;
    FinishChange(std::move(group));
    UpdateCaret(TRUE);
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(FALSE);
}

// ---------------------------------------------------------------------------------------------
// Answer-field sizing and floating frames

void CEditViewController::OnFieldSize()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    if (m_nViewMode != ViewMode::kFieldSize) {
        m_nViewMode = ViewMode::kFieldSize;
        m_pCurrentField = node->GetEditParent();
        m_selectedFields.clear();
        if (m_pCurrentField != nullptr)
            m_selectedFields.push_back(m_pCurrentField);
    } else {
        m_nViewMode = ViewMode::kText;
        m_pCurrentField = nullptr;
        m_selectedFields.clear();
    }
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnFieldSide(int side)
{
    auto* frame = dynamic_cast<CEditFloat*>(Around(CaretNode(), EditKind::kFloat));
    if (frame == nullptr || frame->GetFloatSide() == side)
        return;
    frame->SetFloatSide(side);
    frame->MarkDirty();
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
}
