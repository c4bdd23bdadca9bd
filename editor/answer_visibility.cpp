#include "editor/answer_visibility.h"

#include "editor/sorel_doc.h"

#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "platform/shell.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace {

constexpr int kPartKinds[] = {PART_ANSWER_FIELD, PART_ANSWER, PART_EXPLANATION};

AnswerDisplayRunner& Runner()
{
    static AnswerDisplayRunner runner;
    return runner;
}

CEditSentence* FindRowPart(CEditPrint& root, const ANSWER_DISPLAY_ROW& row, int kind)
{
    return row.sub == 0 ? root.FindPart(row.question, kind) : root.FindSubPart(row.question, row.sub, kind);
}

int32_t* Field(ANSWER_DISPLAY_ROW& row, int index)
{
    return index == 0 ? &row.answerField : index == 1 ? &row.answer : &row.explanation;
}

}  // namespace

std::vector<ANSWER_DISPLAY_ROW> ReadAnswerDisplayRows(CEditPrint& root)
{
    std::vector<ANSWER_DISPLAY_ROW> rows;
    const int questions = root.CountQuestions();
    for (int m = 1; m <= questions; ++m) {
        const int subs = root.CountSubQuestions(m);
        for (int s = 0; s <= subs; ++s) {
            ANSWER_DISPLAY_ROW row;
            row.question = m;
            row.sub = s;
            for (int i = 0; i < 3; ++i) {
                const CEditSentence* part = FindRowPart(root, row, kPartKinds[i]);
                *Field(row, i) = part != nullptr ? part->m_hidden : 0;
            }
            rows.push_back(row);
        }
    }
    return rows;
}

void WriteAnswerDisplayRows(CEditPrint& root, const std::vector<ANSWER_DISPLAY_ROW>& rows, CUndoGroup* group)
{
    for (ANSWER_DISPLAY_ROW row : rows) {
        for (int i = 0; i < 3; ++i) {
            if (CEditSentence* part = FindRowPart(root, row, kPartKinds[i]))
                SetNodeProperty(*part, UndoCode::kPartDisplay, *Field(row, i), group);
        }
    }
}

int DetachVanishedNameFields(CEditPrint& root, int oldPageCount, CUndoGroup& group)
{
    CEditNode* layer = root.GetNameFieldLayer();
    int detached = 0;
    for (int page = std::min(oldPageCount, CEditPrint::kMaxPages); page > root.GetPageCount(); --page) {
        if (!root.IsPageFlagged(page))
            continue;
        const int last = layer->GetChildCount() - 1;
        if (last >= 0) {
            CEditNode* field = layer->GetEditChild(last);
            CUndoAction* action = group.RecordNodeEx(UndoCode::kNameFieldRemoved, field, nullptr, last, layer, page, 0);
            action->TakeOut();
            ++detached;
        }
        root.SetPageFlagged(page, false);
    }
    return detached;
}

AnswerDisplayRunner SetAnswerDisplayRunner(AnswerDisplayRunner runner)
{
    AnswerDisplayRunner former = std::move(Runner());
    Runner() = std::move(runner);
    return former;
}

int RunAnswerDisplayDialog(CAnswerDisplayDlg& dialog)
{
    if (Runner())
        return Runner()(dialog);
    return dialog.DoModal();
}

void CSorelDoc::DoAnswerVisibilityDialog(QWidget* parent)
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        std::vector<ANSWER_DISPLAY_ROW> rows = ReadAnswerDisplayRows(*root);
        CAnswerDisplayDlg dialog(parent);
        dialog.SetRows(rows.data(), static_cast<int>(rows.size()));
        const int oldPageCount = root->GetPageCount();
        if (RunAnswerDisplayDialog(dialog) == IDOK) {
            dialog.GetRows(rows.data(), static_cast<int>(rows.size()));
            // A name field being edited must not be one that goes.
            m_host.CommitPendingEdit();
            try {
                WriteAnswerDisplayRows(*root, rows, group.get());
            } catch (const std::exception&) {
                RollBackUndoGroup(*group, 0);
                throw;
            }
            root->SetDirtyAll(1);
            SetModifiedFlag(true);
            if (m_host.RelayoutActiveView() && root->GetPageCount() < oldPageCount) {
                try {
                    DetachVanishedNameFields(*root, oldPageCount, *group);
                } catch (const std::exception&) {
                    // What was taken out so far is recorded: the group stays whole.
                }
                root->SetDirtyAll(1);
            }
            if (group->GetCount() > 0)
                PushUndo(std::move(group));
        }
    } catch (const std::exception&) {
        // Nothing is written back; no message.
    }
    m_host.UpdateAllViews(0);
}
