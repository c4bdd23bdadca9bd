// The name field and the kanbun commands: name-field editing on and off, the reading-mark dialog
// over a kanbun cell, and the erasers that empty the satellite boxes of kanbun cells.
#include "view/edit_view_controller.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/undo.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr int kNameFieldLeft = 257;     // name-field editing ended
constexpr int kNameFieldEntered = 258;  // name-field editing started

// The satellite boxes an eraser empties.
struct ERASER {
    int id;
    bool leadBracket, rightKana, leftKana, returnMarks, punctuation, trailBracket;
};

constexpr ERASER kErasers[] = {
    {ViewCommand::kEraseRightKana, false, true, false, false, false, false},
    {ViewCommand::kEraseLeftKana, false, false, true, false, false, false},
    {ViewCommand::kEraseKanaAndReturnMarks, false, true, true, true, false, false},
    {ViewCommand::kErasePunctuation, false, false, false, false, true, false},
    {ViewCommand::kEraseReturnMarks, false, false, false, true, false, false},
    {ViewCommand::kEraseBrackets, true, false, false, false, false, true},
    {ViewCommand::kEraseAllMarks, true, true, true, true, true, true},
};

const ERASER* FindEraser(int id)
{
    for (const ERASER& eraser : kErasers) {
        if (eraser.id == id)
            return &eraser;
    }
    return nullptr;
}

CEditKan* CellAround(CEditNode* node)
{
    if (node == nullptr)
        return nullptr;
    return dynamic_cast<CEditKan*>(node->FindAncestorOfType(static_cast<int>(EditKind::kKan), 1));
}

// Every child of the box but its closing line break leaves it, each removal recorded with the
// neighbour the caret goes to; the line break stays last.
void EmptyBox(CEditNode* box, CEditNode* neighbour, CUndoGroup* group)
{
    if (box == nullptr)
        return;
    while (box->GetChildCount() > 1) {
        CEditNode* child = box->GetEditChild(0);
        if (child == nullptr)
            return;
        CUndoAction* action = group->RecordNodeEx(UndoCode::kRemoveAt, child, neighbour, 0, box, 0, 0);
        if (action == nullptr)
            return;
        action->TakeOut();
    }
    // A box without its line break (never built so) keeps its single child.
    if (box->GetChildCount() == 1 && !IsLineBreak(box->GetEditChild(0))) {
        CEditNode* child = box->GetEditChild(0);
        if (CUndoAction* action = group->RecordNodeEx(UndoCode::kRemoveAt, child, neighbour, 0, box, 0, 0))
            action->TakeOut();
    }
    box->MarkDirty();
}

}  // namespace

int CEditViewController::s_kuntenPaletteShown = 0;

bool CEditViewController::UpdateKanbunCommand(int id, CMD_UI_STATE* state) const
{
    if (id == ViewCommand::kNameFieldEdit) {
        state->enabled = true;
        return true;
    }
    if (id == ViewCommand::kKuntenFrame) {
        state->enabled = m_displayMap.IsVertical() && m_caret.m_caretNode != nullptr;
        return true;
    }
    if (FindEraser(id) == nullptr)
        return false;
    if (m_caret.m_caretNode == nullptr)
        state->enabled = false;
    else if (m_caret.m_anchorNode != nullptr)
        state->enabled = m_caret.m_anchorNode->IsKind(EditKind::kKan);
    else
        state->enabled = CellAround(m_caret.m_caretNode) != nullptr;
    return true;
}

bool CEditViewController::RunKanbunCommand(int id)
{
    if (id == ViewCommand::kNameFieldEdit) {
        OnEditNameField();
        return true;
    }
    if (id == ViewCommand::kKuntenFrame) {
        OnShowKuntenFrame();
        return true;
    }
    if (FindEraser(id) != nullptr) {
        OnEraseKunten(id);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Name field

void CEditViewController::OnEditNameField()
{
    auto group = std::make_unique<CUndoGroup>();
    if (m_nViewMode != ViewMode::kNameField) {
        if (m_pNameField == nullptr)
            return;
        m_caret.ClearSelection();
        m_savedCaret = m_caret;
        const int previous = m_nViewMode;
        m_nViewMode = ViewMode::kNameField;
        group->RecordNode(kNameFieldEntered, m_pNameField, CaretNode(), previous, 0);
    } else {
        // Leaving ends the edit as a click outside the field does: every page's name field and
        // the template the paper saves become copies of the edited one, else the edit would
        // stay on one page and be lost on saving.
        CommitNameFieldEdit();
        if (m_nViewMode != ViewMode::kNameField)
            return;
        CEditNode* edited = m_pNameField;
        m_nViewMode = ViewMode::kText;
        m_caret = m_savedCaret;
        group->RecordNode(kNameFieldLeft, edited, CaretNode(), ViewMode::kNameField, 0);
        m_pNameField = nullptr;
    }
    FinishChange(std::move(group));
    OnUpdate(UpdateHint::kAll);
}

// ---------------------------------------------------------------------------------------------
// Reading-mark dialog

void CEditViewController::PlaceCaretAfterCell(CEditNode* cell)
{
    if (cell == nullptr)
        return;
    CEditNode* next = CEditNode::FromNode(cell->GetNextSibling());
    m_caret.ClearSelection();
    m_caret.m_caretNode = next != nullptr ? next : cell;
    m_caret.m_caretAfter = 0;
}

void CEditViewController::OnShowKuntenFrame()
{
    if (!m_displayMap.IsVertical() || CaretNode() == nullptr)
        return;
    m_caret.ClearSelection();
    CEditKan* cell = CellAround(CaretNode());
    if (cell == nullptr || !m_kuntenFrame)
        return;
    CEditNode* box = cell->GetBaseBox();
    CEditNode* base = box != nullptr ? box->GetFirstInner() : nullptr;
    if (base == nullptr)
        return;

    const bool barHidden = m_host.HidePaletteBar();
    KUNTEN_FRAME_RUN run;
    run.cell = cell;
    run.baseHeight = std::abs(base->m_lf.lfHeight);
    run.displayMap = m_displayMap;
    run.paletteShown = s_kuntenPaletteShown;
    run.pushUndo = [this](std::unique_ptr<CUndoGroup> group) { FinishChange(std::move(group)); };
    run.afterStep = [this](CEditKan* current, bool repaint) {
        PlaceCaretAfterCell(current);
        if (repaint)
            OnUpdate(UpdateHint::kAll);
    };
    m_host.SetMainWindowEnabled(false);
    m_kuntenFrame(run);
    m_host.SetMainWindowEnabled(true);
    s_kuntenPaletteShown = run.paletteShown;
    PlaceCaretAfterCell(run.cell);

    // The paper counts as changed even when the dialog changed nothing.
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    if (barHidden)
        m_host.ShowPaletteBar();
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(TRUE);
}

// ---------------------------------------------------------------------------------------------
// Erasers

void CEditViewController::OnEraseKunten(int id)
{
    const ERASER* eraser = FindEraser(id);
    CEditNode* caretNode = CaretNode();
    if (eraser == nullptr || caretNode == nullptr)
        return;
    CEditNode* parent = nullptr;
    int first = 0;
    int last = 0;
    if (m_caret.m_anchorNode != nullptr) {
        if (!CEditNode::GetSelectionRange(&m_caret, &first, &last))
            return;
        m_caret.ClearSelection();
        parent = caretNode->GetEditParent();
    } else {
        CEditKan* cell = CellAround(caretNode);
        if (cell == nullptr)
            return;
        parent = cell->GetEditParent();
        if (parent == nullptr)
            return;
        first = last = parent->IndexOfChild(cell);
    }
    if (parent == nullptr || first < 0)
        return;
    std::vector<CEditKan*> cells;
    for (int i = first; i <= last; ++i) {
        if (auto* cell = dynamic_cast<CEditKan*>(parent->GetEditChild(i)))
            cells.push_back(cell);
    }
    CEditNode* after = parent->GetEditChild(last + 1);
    CEditNode* neighbour = after != nullptr ? after : parent;

    auto group = std::make_unique<CUndoGroup>();
    for (CEditKan* cell : cells) {
        if (eraser->leadBracket)
            EmptyBox(cell->GetLeadBracketBox(), neighbour, group.get());
        if (eraser->rightKana)
            EmptyBox(cell->GetRightKanaBox(), neighbour, group.get());
        if (eraser->leftKana)
            EmptyBox(cell->GetLeftKanaBox(), neighbour, group.get());
        if (eraser->returnMarks)
            EmptyBox(cell->GetReturnMarkBox(), neighbour, group.get());
        if (eraser->punctuation)
            EmptyBox(cell->GetPunctuationBox(), neighbour, group.get());
        if (eraser->trailBracket)
            EmptyBox(cell->GetTrailBracketBox(), neighbour, group.get());
        if (eraser->id == ViewCommand::kEraseAllMarks && cell->GetHyphenMode() == KanbunMode::kWithHyphen)
            cell->SetMode(KanbunMode::kWithoutHyphen, &m_caret, group.get());
        cell->MarkDirty();
        m_caret.m_caretNode = cell->GetFirstInner();
        m_caret.m_caretAfter = 0;
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}
