// Question numbers and points: number labels put in at the caret, the numbering style of every
// label, and the points table of all questions, run through the points dialog and written back
// into the question parts and their points labels.
#include "view/edit_view_controller.h"

#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "nodes/undo.h"

#include <algorithm>
#include <new>
#include <memory>

namespace {

constexpr char16_t kSquareBracket[] = u"［";
constexpr char16_t kRoundBracket[] = u"（";
constexpr int kTotalForm = 4;

// The points label of a part: the first one in its subtree, or a new one just before the part's
// first line break, recorded in the group. Null when the part has no line break to put it before.
CEditHaiten* PointsLabelOf(CEditSentence* part, CUndoGroup* group)
{
    if (auto* label = dynamic_cast<CEditHaiten*>(part->FindDescendantOfType(EditKind::Code(EditKind::kHaiten))))
        return label;
    CEditNode* lineBreak = part->GetFirstLineBreak();
    if (lineBreak == nullptr)
        return nullptr;
    auto label = std::make_unique<CEditHaiten>();
    CEditHaiten* made = label.get();
    CUndoAction* action = group->RecordNode(UndoCode::kInsertBefore, made, lineBreak, 0, 0);
    if (action == nullptr)
        return nullptr;
    action->Keep(std::move(label));
    if (!action->PutBack())
        return nullptr;
    return made;
}

// The label shows the part's record; a hidden one is no caret stop.
void FillPointsLabel(CEditSentence* part, CUndoGroup* group)
{
    CEditHaiten* label = PointsLabelOf(part, group);
    if (label == nullptr)
        return;
    label->m_info.Copy(part->m_haiten);
    const bool visible = part->m_haiten.visibility != 0;
    label->m_hidden = visible ? 0 : 2;
    label->m_caretStop = visible ? 1 : 0;
    label->MarkDirty();
    part->MarkDirty();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Number labels

int CEditViewController::DefaultMajorLabelStyle()
{
    CEditPrint* root = Root();
    const int style = root != nullptr ? root->GetFirstDmonnoStyle() : -1;
    if (style != -1)
        return style;
    return m_displayMap.IsVertical() ? 2 : 0;
}

int CEditViewController::DefaultMinorLabelStyle()
{
    CEditPrint* root = Root();
    const int style = root != nullptr ? root->GetFirstMonnoStyle() : -1;
    if (style != -1)
        return style;
    return m_displayMap.IsVertical() ? 3 : 1;
}

void CEditViewController::OnInsertLargeNumber() { InsertNumberLabel(true); }

void CEditViewController::OnInsertSmallNumber() { InsertNumberLabel(false); }

void CEditViewController::InsertNumberLabel(bool major)
{
    const CEditSentence* part = CaretPart();
    if (CaretNode() == nullptr || Root() == nullptr || part == nullptr)
        return;
    if ((part->m_subQuestionNumber == 0) != major)
        return;
    auto group = std::make_unique<CUndoGroup>();
    DeleteSelectionInto(group.get());
    std::unique_ptr<CEditNode> label;
    if (major)
        label = std::make_unique<CEditDmonno>(DefaultMajorLabelStyle());
    else
        label = std::make_unique<CEditMonno>(DefaultMinorLabelStyle());
    bool inserted = false;
    try {
        InsertBeforeNode(CaretNode(), std::move(label), group.get());
        inserted = true;
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishChange(std::move(group));
    if (!inserted)
        return;
    // The caret stays before the same node, now behind the label.
    m_document.SetModifiedFlag(true);
    CaretNode()->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(TRUE);
}

void CEditViewController::OnQuestionNumberFormat()
{
    CEditPrint* root = Root();
    if (root == nullptr || !m_questionNumberDialog)
        return;
    QUESTION_NUMBER_FORMAT format;
    format.vertical = m_displayMap.IsVertical() ? 1 : 0;
    format.majorStyle = DefaultMajorLabelStyle();
    format.minorStyle = DefaultMinorLabelStyle();
    if (!m_questionNumberDialog(&format))
        return;
    root->SetAllDmonnoStyle(format.majorStyle);
    root->SetAllMonnoStyle(format.minorStyle);
    // Not undoable, but a change of the paper: closing asks to save it.
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(FALSE);
}

// ---------------------------------------------------------------------------------------------
// Points

std::vector<HAITEN_ROW> CEditViewController::BuildPointsRows()
{
    std::vector<HAITEN_ROW> rows;
    CEditPrint* root = Root();
    if (root == nullptr)
        return rows;
    const int questions = root->CountQuestions();
    for (int q = 1; q <= questions; ++q) {
        const CEditSentence* major = root->FindPart(q, 0);
        if (major == nullptr)
            continue;
        const int subs = root->CountSubQuestions(q);
        const HAITEN_INFO& info = major->m_haiten;
        HAITEN_ROW row{};
        row.question = q;
        row.subQuestion = 0;
        row.form = info.style;
        row.shown = info.visibility;
        row.perItem = info.p1 > 0 ? info.p1 : (subs > 0 ? 10 / subs : 10);
        row.count = info.p2 > 0 ? info.p2 : (subs > 0 ? subs : 1);
        row.total = info.p3 > 0 ? info.p3 : 10;
        row.subQuestions = subs;
        rows.push_back(row);
        for (int j = 1; j <= subs; ++j) {
            const CEditSentence* minor = root->FindSubPart(q, j, 0);
            if (minor == nullptr)
                continue;
            HAITEN_ROW sub{};
            sub.question = q;
            sub.subQuestion = minor->m_subQuestionNumber;
            sub.form = minor->m_haiten.style;
            sub.shown = minor->m_haiten.visibility;
            sub.perItem = 0;
            sub.count = 1;
            sub.total = minor->m_haiten.p3 > 0 ? minor->m_haiten.p3 : std::max(info.p3, 0) / subs;
            rows.push_back(sub);
        }
    }
    return rows;
}

void CEditViewController::WritePointsRows(const std::vector<HAITEN_ROW>& rows, int bracketStyle, CUndoGroup* group)
{
    CEditPrint* root = Root();
    if (root == nullptr)
        return;
    const CStringW bracket(bracketStyle == 1 ? kSquareBracket : kRoundBracket);
    CEditSentence* major = nullptr;
    for (const HAITEN_ROW& row : rows) {
        if (row.subQuestion == 0) {
            major = root->FindPart(row.question, 0);
            if (major == nullptr)
                continue;
            HAITEN_INFO& info = major->m_haiten;
            info.style = row.form;
            info.fence = bracket;
            info.reserved = 0;
            info.visibility = row.shown;
            info.p1 = row.perItem;
            info.p2 = row.count;
            info.p3 = row.total;
            FillPointsLabel(major, group);
            continue;
        }
        CEditSentence* minor = root->FindSubPart(row.question, row.subQuestion, 0);
        if (minor == nullptr || major == nullptr || major->m_questionNumber != row.question)
            continue;
        HAITEN_INFO& info = minor->m_haiten;
        info.style = row.form;
        info.fence = bracket;
        info.reserved = row.subQuestion;
        // Only a total per sub-question shows on the sub-questions themselves.
        info.visibility = row.form == kTotalForm ? row.shown : 0;
        info.p2 = 1;
        info.p1 = info.p3 = major->m_haiten.p3 > 0 ? row.total : 0;
        FillPointsLabel(minor, group);
    }
}

void CEditViewController::OnSetPoints()
{
    CEditPrint* root = Root();
    if (root == nullptr || !m_pointsDialog)
        return;
    POINTS_DIALOG_VALUES values;
    values.rows = BuildPointsRows();
    for (int q = 1; q <= root->CountQuestions(); ++q) {
        const CEditSentence* major = root->FindPart(q, 0);
        if (major == nullptr)
            continue;
        if (major->m_haiten.fence == CStringW(kSquareBracket))
            values.bracketStyle = 1;
        if (major->m_haiten.visibility != 0)
            values.showPoints = 1;
    }
    if (!m_pointsDialog(&values))
        return;
    // The labels made anew are recorded, so that older groups still find their children's
    // places; the records themselves are not undoable.
    auto group = std::make_unique<CUndoGroup>();
    WritePointsRows(values.rows, values.bracketStyle, group.get());
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(FALSE);
}
