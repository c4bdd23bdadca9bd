// In-text answers: showing and hiding all of them, starting an answer at the caret or stepping
// out of the one the caret is in, wrapping the selection into "(" answer ")", and dissolving the
// answer around the caret into ordinary text.
#include "view/edit_view_controller.h"

#include "math/formula.h"
#include "math/formula_family.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_switches.h"
#include "nodes/in_text_answer.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "view/caret_context.h"

#include <exception>
#include <vector>

namespace {

// Records the insertion of a new node at an index of a parent, and puts it there.
CEditNode* InsertAt(CEditNode* parent, int index, std::unique_ptr<CEditNode> node, CEditNode* neighbour,
                    CUndoGroup* group)
{
    CEditNode* inserted = node.get();
    CUndoAction* action = group->RecordNodeEx(UndoCode::kInsertAt, inserted, neighbour, index, parent, 0, 0);
    if (action == nullptr)
        throw std::bad_alloc();
    action->Keep(std::move(node));
    if (!action->PutBack())
        throw std::runtime_error("the node could not be inserted");
    return inserted;
}

// Records the insertion of a new node in front of a neighbour, and puts it there.
void InsertInFront(CEditNode* before, std::unique_ptr<CEditNode> node, CEditNode* recorded, CUndoGroup* group)
{
    CUndoAction* action = group->RecordNode(UndoCode::kInsertBefore, node.get(), recorded, 0, 0);
    if (action == nullptr)
        throw std::bad_alloc();
    CEditNode* raw = node.get();
    before->InsertBefore(node.release());
    if (raw->GetParent() == nullptr) {
        action->Keep(std::unique_ptr<CEditNode>(raw));
        throw std::runtime_error("the node could not be inserted");
    }
}

// Records a removal and takes the node out into the keeping of its record.
void TakeOut(int code, CEditNode* node, CEditNode* neighbour, int index, CEditNode* parent, CUndoGroup* group)
{
    CUndoAction* action = index >= 0 ? group->RecordNodeEx(code, node, neighbour, index, parent, 0, 0)
                                     : group->RecordNode(code, node, neighbour, 0, 0);
    if (action == nullptr)
        throw std::bad_alloc();
    action->TakeOut();
}

// Copies of nodes through the node archive, as the clipboard makes them.
std::vector<std::unique_ptr<CEditNode>> CopyNodes(const std::vector<CEditNode*>& nodes)
{
    const std::vector<BYTE> bytes = NodeListToBytes(nodes);
    return NodeListFromBytes(bytes, &ProblemEditorNodeClasses());
}

}  // namespace

void CEditViewController::OnViewInTextAnswers()
{
    InTextAnswersVisible = InTextAnswersVisible ? 0 : 1;
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnInsertInTextAnswer()
{
    if (!CaretContextAllows(m_caret, CaretContext::InTextAnswer))
        return;
    if (CEditNode* answer = CEditNode::FromNode(CaretNode()->FindAncestorWithFlags(EditKind::kInTextAnswer, 1))) {
        // A second press steps out behind the answer; the paper stays as it is.
        CEditNode* next = CEditNode::FromNode(answer->GetNextSibling());
        if (next == nullptr)
            return;
        m_caret.ClearSelection();
        m_caret.m_caretNode = next;
        UpdateCaret(TRUE);
        InvalidateAll();
        return;
    }
    auto group = std::make_unique<CUndoGroup>();
    CEditNode* lineBreak = nullptr;
    try {
        DeleteSelectionInto(group.get());
        CEditNode* node = CaretNode();
        std::unique_ptr<CEditNode> answer;
        if (IsInsideFlags(node, EditKind::kFormula)) {
            auto formulaAnswer = std::make_unique<CEditMathCyukai>();
            formulaAnswer->AddLineBreak();
            answer = std::move(formulaAnswer);
        } else {
            auto textAnswer = std::make_unique<CEditCyukai>();
            textAnswer->AddLineBreak();
            answer = std::move(textAnswer);
        }
        lineBreak = answer->GetEditChild(answer->GetChildCount() - 1);
        InsertBeforeNode(node, std::move(answer), group.get());
    } catch (const std::exception&) {
        lineBreak = nullptr;
    }
    const bool changed = group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!changed)
        return;
    // Typing goes into the new answer.
    if (lineBreak != nullptr && lineBreak->GetParent() != nullptr)
        m_caret.m_caretNode = lineBreak;
    m_document.SetModifiedFlag(true);
    CaretNode()->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
    // The caret's place in the new layout; the typing format stays as it was.
    UpdateCaret(FALSE);
}

void CEditViewController::OnParenConvert()
{
    if (m_caret.m_anchorNode == nullptr || !CaretContextAllows(m_caret, CaretContext::WrapInTextAnswer))
        return;
    int first = 0;
    int last = 0;
    CEditNode* parent = CaretNode()->GetEditParent();
    if (parent == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    m_caret.ClearSelection();
    CEditNode* following = parent->GetEditChild(last + 1);
    if (following == nullptr)
        following = parent;
    auto group = std::make_unique<CUndoGroup>();
    CEditNode* answerNode = nullptr;
    try {
        InsertAt(parent, first, std::make_unique<CEditChar>(u'('), following, group.get());
        ++first;
        ++last;
        std::vector<CEditNode*> selected;
        for (int i = first; i <= last; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child == nullptr || IsLineBreak(child))
                break;
            selected.push_back(child);
        }
        InsertAt(parent, last + 1, std::make_unique<CEditChar>(u')'), following, group.get());
        const int start = selected.empty() ? first : selected.front()->GetIndexInParent();
        // The answer takes copies; the selected nodes themselves stay with the records of their removal.
        auto answer = std::make_unique<CEditCyukai>();
        for (std::unique_ptr<CEditNode>& copy : CopyNodes(selected))
            answer->AppendChild(copy.release());
        answer->AppendChild(new CEditCR());
        for (CEditNode* node : selected)
            TakeOut(UndoCode::kRemoveAt, node, following, start, parent, group.get());
        answerNode = InsertAt(parent, start, std::move(answer), following, group.get());
    } catch (const std::exception&) {
        answerNode = nullptr;
    }
    const bool changed = group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!changed)
        return;
    if (answerNode != nullptr)
        m_caret.m_caretNode = answerNode->GetEditChild(0);
    m_document.SetModifiedFlag(true);
    CaretNode()->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnRemoveInTextAnswer()
{
    if (CaretNode() == nullptr)
        return;
    m_caret.ClearSelection();
    CEditNode* answer = CEditNode::FromNode(CaretNode()->FindAncestorWithFlags(EditKind::kInTextAnswer, 1));
    if (answer == nullptr)
        return;
    CEditNode* parent = answer->GetEditParent();
    CEditNode* next = CEditNode::FromNode(answer->GetNextSibling());
    if (parent == nullptr || next == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        // Every child but the answer's own closing line break stays in the paper, also those
        // after a line break inside the answer.
        const int count = answer->GetChildCount();
        const int kept = IsLineBreak(answer->GetEditChild(count - 1)) ? count - 1 : count;
        std::vector<CEditNode*> taken;
        for (int n = 0; n < kept; ++n) {
            CEditNode* front = answer->GetEditChild(0);
            if (CEditNode* newFirst = answer->GetEditChild(1))
                TakeOut(UndoCode::kRemoveForward, front, newFirst, -1, nullptr, group.get());
            else
                TakeOut(UndoCode::kRemoveAt, front, nullptr, 0, answer, group.get());
            taken.push_back(front);
        }
        for (std::unique_ptr<CEditNode>& copy : CopyNodes(taken))
            InsertInFront(answer, std::move(copy), next, group.get());
        TakeOut(UndoCode::kRemoveAt, answer, next, answer->GetIndexInParent(), parent, group.get());
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    const bool changed = group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!changed)
        return;
    // The caret goes behind the answer, also when the change stopped part-way and the node
    // it stood at left the paper.
    m_caret.m_caretNode = next;
    CaretNode()->MarkPartModified(TRUE);
    m_document.SetModifiedFlag(true);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}
