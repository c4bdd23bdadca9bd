// The arrangement of the question parts: which order the root's children stand in, with the
// page-break blocks between sections. The new order is planned first (new page-break blocks
// made beforehand); only then are the children taken out and put back, so a failure leaves the
// paper as it was.
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "nodes/question_parts.h"

#include <memory>
#include <new>
#include <vector>

namespace {

using NodeList = std::vector<CEditNode*>;

bool Shown(const CEditNode* node) { return node->m_hidden == 0; }

bool AnyShown(const NodeList& list)
{
    for (const CEditNode* node : list) {
        if (Shown(node))
            return true;
    }
    return false;
}

// Whether the list holds a shown sub-question part of major question m.
bool HasShownSubPart(const NodeList& list, int m)
{
    for (CEditNode* node : list) {
        const CEditSentence* part = AsQuestionPart(node);
        if (part != nullptr && Shown(part) && part->m_questionNumber == m && part->m_subQuestionNumber != 0)
            return true;
    }
    return false;
}

// The root's children sorted into the arrangement's lists.
struct PART_LISTS {
    NodeList main;
    NodeList answerFields;
    NodeList answers;
    NodeList explanations;
    NodeList pageBreaks;
};

PART_LISTS SortChildren(CEditPrint* root, bool showAll)
{
    PART_LISTS lists;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditNode* child = root->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (CEditSentence* part = AsQuestionPart(child)) {
            if (showAll)
                part->m_hidden = 0;
            switch (part->m_partKind) {
            case PART_ANSWER_FIELD: lists.answerFields.push_back(part); break;
            case PART_ANSWER: lists.answers.push_back(part); break;
            case PART_EXPLANATION: lists.explanations.push_back(part); break;
            default: lists.main.push_back(part); break;
            }
        } else if (child->IsKind(EditKind::kKaiPage)) {
            lists.pageBreaks.push_back(child);
        } else {
            lists.main.push_back(child);
        }
    }
    return lists;
}

void HideEmptyParts(const NodeList& list)
{
    for (CEditNode* node : list) {
        if (CEditSentence* part = AsQuestionPart(node))
            part->m_hidden = part->HasContent() ? 0 : 2;
    }
}

// Shows a hidden major part as the heading of its shown sub-question parts, unless one of the
// earlier lists printed interleaved with it already shows a sub part of the question.
void ShowHeadings(const NodeList& list, const std::vector<const NodeList*>& earlier)
{
    for (CEditNode* node : list) {
        CEditSentence* part = AsQuestionPart(node);
        if (part == nullptr || Shown(part) || part->m_subQuestionNumber != 0)
            continue;
        const int m = part->m_questionNumber;
        if (!HasShownSubPart(list, m))
            continue;
        bool shownBefore = false;
        for (const NodeList* other : earlier)
            shownBefore = shownBefore || HasShownSubPart(*other, m);
        if (!shownBefore)
            part->m_hidden = 0;
    }
}

// The new order of the children, with the page-break blocks it needs.
class Plan {
public:
    NodeList order;
    std::vector<std::unique_ptr<CEditKaiPage>> newBreaks;

    void Append(const NodeList& list)
    {
        order.insert(order.end(), list.begin(), list.end());
    }
    void PageBreak()
    {
        auto pageBreak = std::make_unique<CEditKaiPage>();
        pageBreak->Fill();
        order.push_back(pageBreak.get());
        newBreaks.push_back(std::move(pageBreak));
    }
    // The lists in turn, one block from each, exhausted lists skipped.
    void Interleave(const std::vector<const NodeList*>& lists)
    {
        for (size_t i = 0;; ++i) {
            bool any = false;
            for (const NodeList* list : lists) {
                if (i < list->size()) {
                    order.push_back((*list)[i]);
                    any = true;
                }
            }
            if (!any)
                return;
        }
    }
};

// A section that shows something follows a page break when something shown stands before it.
void AppendSection(Plan& plan, const NodeList& list, bool& seen)
{
    if (seen && AnyShown(list)) {
        plan.PageBreak();
        seen = false;
    }
    plan.Append(list);
    seen = seen || AnyShown(list);
}

Plan PlanOrder(int mode, const PART_LISTS& lists)
{
    Plan plan;
    plan.order.reserve(lists.main.size() + lists.answerFields.size() + lists.answers.size() +
                       lists.explanations.size() + 3);
    if (mode == kInterleaved) {
        plan.Interleave({&lists.main, &lists.answerFields, &lists.answers, &lists.explanations});
        return plan;
    }
    plan.Append(lists.main);
    bool seen = AnyShown(lists.main);
    switch (mode) {
    case kBySection:
        AppendSection(plan, lists.answerFields, seen);
        AppendSection(plan, lists.answers, seen);
        AppendSection(plan, lists.explanations, seen);
        break;
    case kAnswersPaired:
        AppendSection(plan, lists.answerFields, seen);
        if (seen && (AnyShown(lists.answers) || AnyShown(lists.explanations)))
            plan.PageBreak();
        plan.Interleave({&lists.answers, &lists.explanations});
        break;
    default:  // answer blocks
        if (seen && (AnyShown(lists.answerFields) || AnyShown(lists.answers) || AnyShown(lists.explanations)))
            plan.PageBreak();
        plan.Interleave({&lists.answerFields, &lists.answers, &lists.explanations});
        break;
    }
    return plan;
}

// Takes every child out, deletes the old page breaks and puts the planned order in. Appending
// fails only when memory runs out; the blocks not yet placed are then deleted, not leaked.
void Reassemble(CEditPrint* root, Plan& plan, const NodeList& oldBreaks)
{
    root->RemoveAllChildren();
    for (CEditNode* pageBreak : oldBreaks)
        delete pageBreak;
    size_t placed = 0;
    try {
        for (; placed < plan.order.size(); ++placed) {
            CEditNode* node = plan.order[placed];
            root->AppendChild(node);
            for (auto& pageBreak : plan.newBreaks) {
                if (pageBreak.get() == node)
                    pageBreak.release();
            }
        }
    } catch (const std::bad_alloc&) {
        for (size_t i = placed; i < plan.order.size(); ++i) {
            bool isNewBreak = false;
            for (const auto& pageBreak : plan.newBreaks)
                isNewBreak = isNewBreak || pageBreak.get() == plan.order[i];
            if (!isNewBreak && plan.order[i]->GetParent() == nullptr)
                delete plan.order[i];
        }
        throw;
    }
}

}  // namespace

void CEditPrint::ArrangeParts(int mode, int hideEmpty)
{
    switch (mode) {
    case kBySection: ArrangeBySection(hideEmpty); break;
    case kAnswersPaired: ArrangeAnswersPaired(hideEmpty); break;
    case kAnswerBlocks: ArrangeAnswerBlocks(hideEmpty); break;
    default: ArrangeInterleaved(hideEmpty); break;
    }
    SetDirtyAll(1);
}

namespace {

void Arrange(CEditPrint* root, int mode, int hideEmpty)
{
    try {
        PART_LISTS lists = SortChildren(root, mode == kInterleaved);
        if (hideEmpty) {
            HideEmptyParts(lists.answerFields);
            HideEmptyParts(lists.answers);
            HideEmptyParts(lists.explanations);
            if (mode != kInterleaved) {
                const bool paired = mode == kAnswersPaired;
                const bool blocks = mode == kAnswerBlocks;
                ShowHeadings(lists.answerFields, {});
                ShowHeadings(lists.answers, blocks ? std::vector<const NodeList*>{&lists.answerFields}
                                                   : std::vector<const NodeList*>{});
                std::vector<const NodeList*> beforeExplanations;
                if (paired)
                    beforeExplanations = {&lists.answers};
                else if (blocks)
                    beforeExplanations = {&lists.answerFields, &lists.answers};
                ShowHeadings(lists.explanations, beforeExplanations);
            }
        }
        Plan plan = PlanOrder(mode, lists);
        Reassemble(root, plan, lists.pageBreaks);
        root->m_partLayoutMode = mode;
    } catch (const std::bad_alloc&) {
        // The paper stays as far as the arrangement got.
    }
}

}  // namespace

void CEditPrint::ArrangeInterleaved(int hideEmpty) { Arrange(this, kInterleaved, hideEmpty); }
void CEditPrint::ArrangeBySection(int hideEmpty) { Arrange(this, kBySection, hideEmpty); }
void CEditPrint::ArrangeAnswersPaired(int hideEmpty) { Arrange(this, kAnswersPaired, hideEmpty); }
void CEditPrint::ArrangeAnswerBlocks(int hideEmpty) { Arrange(this, kAnswerBlocks, hideEmpty); }
