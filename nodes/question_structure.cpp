// Question structure: new, removed, moved and renumbered questions. A question is the set of
// plain paragraphs under the root that carry its major and sub number; where its parts stand
// follows the root's arrangement of the parts.
//
// Every change is recorded in an undo group, the caller's or one of the operation's own, so that
// an operation that cannot finish takes back what it did: the paper is then as it was before.
// Removed parts belong to the group that recorded them; moves and new numbers are recorded too,
// so that undoing a command puts the paper back exactly.
#include "nodes/edit_print.h"

#include "nodes/caret.h"
#include "nodes/edit_error.h"
#include "nodes/question_parts.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using PartList = std::vector<CEditSentence*>;

constexpr int kPartKinds[] = {PART_QUESTION, PART_ANSWER_FIELD, PART_ANSWER, PART_EXPLANATION};

// One structure operation: its changes go into the caller's group, or into a group of its own
// that is dropped at the end (deleting the parts it removed). Unless committed, everything
// recorded since the start is taken back.
class StructureTransaction {
public:
    explicit StructureTransaction(CUndoGroup* group)
        : m_group(group != nullptr ? group : &m_own), m_start(m_group->GetCount())
    {
    }
    ~StructureTransaction()
    {
        if (!m_committed)
            RollBackUndoGroup(*m_group, m_start);
    }
    StructureTransaction(const StructureTransaction&) = delete;
    StructureTransaction& operator=(const StructureTransaction&) = delete;

    CUndoGroup& Group() { return *m_group; }
    void Commit() { m_committed = true; }

private:
    CUndoGroup m_own;  // declared first: m_group and m_start are made from it
    CUndoGroup* m_group;
    int m_start;
    bool m_committed = false;
};

// Which parts belong to a question: major m with any sub number, or major m and sub s.
struct QUESTION {
    int major = 0;
    int sub = 0;
    bool anySub = true;

    bool Holds(const CEditSentence& part) const
    {
        return part.m_questionNumber == major && (anySub || part.m_subQuestionNumber == sub);
    }
};

QUESTION Major(int m) { return QUESTION{m, 0, true}; }
QUESTION Sub(int m, int s) { return QUESTION{m, s, false}; }

CEditSentence* PartAt(CEditPrint* root, int index)
{
    return AsQuestionPart(root->GetChildAt(index));
}

template <class Match>
PartList CollectParts(CEditPrint* root, Match match)
{
    PartList parts;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditSentence* part = PartAt(root, i);
        if (part != nullptr && match(*part))
            parts.push_back(part);
    }
    return parts;
}

// The index after the last part that matches. Without one the new part goes to the end, so that
// an empty paper, or one without such parts, takes new parts in order at a valid index.
template <class Match>
int IndexAfterLast(CEditPrint* root, Match match)
{
    for (int i = root->GetChildCount() - 1; i >= 0; --i) {
        const CEditSentence* part = PartAt(root, i);
        if (part != nullptr && match(*part))
            return i + 1;
    }
    return root->GetChildCount();
}

auto OfKind(int kind)
{
    return [kind](const CEditSentence& part) { return part.m_partKind == kind; };
}

auto OfQuestion(const QUESTION& question)
{
    return [question](const CEditSentence& part) { return question.Holds(part); };
}

auto OfQuestionAndKind(const QUESTION& question, int kind)
{
    return [question, kind](const CEditSentence& part) { return question.Holds(part) && part.m_partKind == kind; };
}

CEditNode* CaretNode(const CCaret* caret)
{
    return caret != nullptr ? caret->m_caretNode : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Recorded changes

// A new empty part of the kind and numbers.
std::unique_ptr<CEditSentence> NewPart(int kind, int m, int s)
{
    auto part = std::make_unique<CEditSentence>();
    part->m_partKind = kind;
    part->m_questionNumber = m;
    part->m_subQuestionNumber = s;
    part->InitDefaultContent();
    return part;
}

// Puts a new part under the root at the index. Its record is made first and keeps the part until
// the root takes it, so that a failure leaves nothing behind.
void InsertPart(CEditPrint* root, int index, std::unique_ptr<CEditSentence> part, CEditNode* caretNode,
                CUndoGroup& group)
{
    index = std::clamp(index, 0, root->GetChildCount());
    CUndoAction* action = group.RecordNodeEx(UndoCode::kInsertAt, part.get(), caretNode, index, root, 0, 0);
    action->Keep(std::move(part));
    if (!action->PutBack())
        throw CEditError("the root refused a new question part");
}

// Takes a part out of the root into the keeping of its record.
void RemovePart(CEditPrint* root, CEditSentence* part, CEditNode* caretNode, CUndoGroup& group)
{
    const int index = root->IndexOfChild(part);
    if (index < 0)
        throw CEditError("a question part is not among the root's children");
    group.RecordNodeEx(UndoCode::kRemoveAt, part, caretNode, index, root, 0, 0)->TakeOut();
}

// Moves a child of the root to the index it is to have once taken out of its place. Taking it
// out leaves the room that putting it back needs, so the move itself cannot fail.
void MoveChild(CEditPrint* root, CEditNode* node, int target, CUndoGroup& group)
{
    const int from = root->IndexOfChild(node);
    if (from < 0)
        throw CEditError("a moved block is not among the root's children");
    const int to = std::clamp(target, 0, root->GetChildCount() - 1);
    if (to == from)
        return;
    group.RecordNodeEx(UndoCode::kMoveAt, node, nullptr, to, root, from, 0);
    root->RemoveChild(node);
    root->InsertChildAt(to, node);
}

// Moves a child of the root just before the anchor, or to the end without one.
void MoveBefore(CEditPrint* root, CEditNode* node, CEditNode* anchor, CUndoGroup& group)
{
    if (node == anchor)
        return;
    if (anchor == nullptr) {
        MoveChild(root, node, root->GetChildCount() - 1, group);
        return;
    }
    const int anchorIndex = root->IndexOfChild(anchor);
    const int from = root->IndexOfChild(node);
    MoveChild(root, node, from < anchorIndex ? anchorIndex - 1 : anchorIndex, group);
}

void SetNumber(CEditSentence* part, int code, int value, CUndoGroup& group)
{
    const int current = code == UndoCode::kQuestionNumber ? part->m_questionNumber : part->m_subQuestionNumber;
    if (current != value)
        SetNodeProperty(*part, code, value, &group);
}

// ---------------------------------------------------------------------------------------------
// Numbering

// Each part kind is numbered on its own in document order: the n-th major part of a kind belongs
// to question n, and a sub part to the latest major part of its kind before it. Each kind's
// table of sub counters has one entry per major part of the kind (and one for sub parts before
// the first), so no paper, however damaged, indexes past it.
void Renumber(CEditPrint* root, CUndoGroup& group)
{
    if (root->CountQuestions() == 0)
        return;
    int counters[5] = {};
    std::vector<int> subCounters[5];
    for (int kind : kPartKinds) {
        const PartList majors = CollectParts(
            root, [kind](const CEditSentence& part) { return part.m_partKind == kind && part.m_subQuestionNumber == 0; });
        subCounters[kind].assign(majors.size() + 1, 0);
    }
    for (CEditSentence* part : CollectParts(root, [](const CEditSentence&) { return true; })) {
        const int kind = part->m_partKind;
        if (kind < PART_QUESTION || kind > PART_EXPLANATION)
            continue;
        if (part->m_subQuestionNumber == 0) {
            SetNumber(part, UndoCode::kQuestionNumber, ++counters[kind], group);
            continue;
        }
        const int sub = ++subCounters[kind][static_cast<size_t>(counters[kind])];
        SetNumber(part, UndoCode::kQuestionNumber, counters[kind], group);
        SetNumber(part, UndoCode::kSubQuestionNumber, sub, group);
    }
}

// The sub-questions of m take the order of their question texts; every other part of m follows
// the question text that had its old sub number. The parts are matched to the texts before any
// number changes.
void RenumberSubs(CEditPrint* root, int m, CUndoGroup& group)
{
    const PartList texts = CollectParts(root, [m](const CEditSentence& part) {
        return part.m_questionNumber == m && part.m_subQuestionNumber != 0 && part.m_partKind == PART_QUESTION;
    });
    std::vector<PartList> followers;
    followers.reserve(texts.size());
    for (const CEditSentence* text : texts) {
        const int old = text->m_subQuestionNumber;
        followers.push_back(CollectParts(
            root, [m, old](const CEditSentence& part) { return part.m_questionNumber == m && part.m_subQuestionNumber == old; }));
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        SetNumber(texts[i], UndoCode::kSubQuestionNumber, number, group);
        for (CEditSentence* part : followers[i])
            SetNumber(part, UndoCode::kSubQuestionNumber, number, group);
    }
}

// ---------------------------------------------------------------------------------------------
// Moving

// The part kinds the arrangement prints together, in the order they are exchanged.
std::vector<std::vector<int>> PrintedGroups(int mode)
{
    switch (mode) {
    case kBySection: return {{PART_QUESTION}, {PART_ANSWER_FIELD}, {PART_ANSWER}, {PART_EXPLANATION}};
    case kAnswersPaired: return {{PART_QUESTION}, {PART_ANSWER_FIELD}, {PART_ANSWER, PART_EXPLANATION}};
    default: return {{PART_QUESTION}, {PART_ANSWER_FIELD, PART_ANSWER, PART_EXPLANATION}};
    }
}

bool InKinds(const CEditSentence& part, const std::vector<int>& kinds)
{
    return std::find(kinds.begin(), kinds.end(), part.m_partKind) != kinds.end();
}

// The second question's parts go to the target index and on, then the first question's to just
// before the anchor (or to the end), each in document order.
void Exchange(CEditPrint* root, const PartList& first, const PartList& second, int target, CEditNode* anchor,
              CUndoGroup& group)
{
    for (CEditSentence* part : second)
        MoveChild(root, part, target++, group);
    for (CEditSentence* part : first)
        MoveBefore(root, part, anchor, group);
}

// Interleaved papers: the whole of b goes where a starts, right after the parts of the question
// before a (the top of the paper for the first question), and a goes before the anchor.
void ExchangeInterleaved(CEditPrint* root, const QUESTION& a, const QUESTION& b, const QUESTION& before,
                         bool first, CEditNode* anchor, CUndoGroup& group)
{
    int target = 0;
    if (!first) {
        const PartList previous = CollectParts(root, OfQuestion(before));
        target = previous.empty() ? 1 : root->IndexOfChild(previous.back()) + 1;
    }
    Exchange(root, CollectParts(root, OfQuestion(a)), CollectParts(root, OfQuestion(b)), target, anchor, group);
}

// Sectioned papers: a and b change places within each printed group of part kinds separately.
void ExchangeInGroups(CEditPrint* root, int mode, const QUESTION& a, const QUESTION& b, CUndoGroup& group)
{
    for (const std::vector<int>& kinds : PrintedGroups(mode)) {
        auto inGroup = [&kinds](const QUESTION& question) {
            return [question, &kinds](const CEditSentence& part) { return question.Holds(part) && InKinds(part, kinds); };
        };
        const PartList first = CollectParts(root, inGroup(a));
        const PartList second = CollectParts(root, inGroup(b));
        int target = 0;
        const CEditSentence* start = nullptr;
        for (CEditSentence* part : first) {
            if (part->m_partKind == kinds.front()) {
                start = part;
                break;
            }
        }
        if (start != nullptr)
            target = root->IndexOfChild(start);
        // The anchor follows the run of b's parts of the group that starts with the first of them.
        CEditNode* anchor = nullptr;
        const auto holds = inGroup(b);
        int i = second.empty() ? root->GetChildCount() : root->IndexOfChild(second.front());
        while (i < root->GetChildCount() && PartAt(root, i) != nullptr && holds(*PartAt(root, i)))
            ++i;
        if (i < root->GetChildCount())
            anchor = root->GetEditChild(i);
        Exchange(root, first, second, target, anchor, group);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

int CEditPrint::CollectQuestionParts(CEditSentence* part, std::vector<CEditSentence*>* parts)
{
    if (parts == nullptr)
        return 0;
    parts->clear();
    if (part == nullptr)
        return 0;
    *parts = CollectParts(this, OfQuestion(Sub(part->m_questionNumber, part->m_subQuestionNumber)));
    return static_cast<int>(parts->size());
}

void CEditPrint::InsertQuestion(CCaret* caret, CUndoGroup* undo)
{
    StructureTransaction transaction(undo);
    try {
        const int mode = m_partLayoutMode;
        for (int kind : kPartKinds) {
            // Appended in interleaved papers; after the last part of their kind where the
            // arrangement gives the kind a section of its own.
            const bool ownSection = (mode == kBySection) || (mode == kAnswersPaired && kind <= PART_ANSWER_FIELD) ||
                                    (mode == kAnswerBlocks && kind == PART_QUESTION);
            const int index = ownSection ? IndexAfterLast(this, OfKind(kind)) : GetChildCount();
            InsertPart(this, index, NewPart(kind, 0, 0), CaretNode(caret), transaction.Group());
        }
        Renumber(this, transaction.Group());
    } catch (const CEditError&) {
        return;
    }
    transaction.Commit();
}

void CEditPrint::InsertSubQuestion(int m, CCaret* caret, CUndoGroup* undo)
{
    StructureTransaction transaction(undo);
    try {
        const int s = CountSubQuestions(m) + 1;
        const int mode = m_partLayoutMode;
        CEditNode* caretNode = CaretNode(caret);
        CUndoGroup& group = transaction.Group();
        // The kinds that go after the last part of m of their own kind; the rest go together after
        // the last part of m of any kind.
        int ownSections = 0;
        if (mode == kBySection)
            ownSections = 4;
        else if (mode == kAnswersPaired)
            ownSections = 2;
        else if (mode == kAnswerBlocks)
            ownSections = 1;
        int k = 0;
        for (; k < ownSections; ++k) {
            const int kind = kPartKinds[k];
            InsertPart(this, IndexAfterLast(this, OfQuestionAndKind(Major(m), kind)), NewPart(kind, m, s), caretNode,
                       group);
        }
        for (int index = IndexAfterLast(this, OfQuestion(Major(m))); k < 4; ++k)
            InsertPart(this, index++, NewPart(kPartKinds[k], m, s), caretNode, group);
        if (mode == kBySection)
            Renumber(this, group);
        else
            RenumberSubs(this, m, group);
    } catch (const CEditError&) {
        return;
    }
    transaction.Commit();
}

namespace {

// Takes the question's parts out from the last to the first, so that each recorded index is
// right when the removals are undone in reverse order.
int RemoveQuestion(CEditPrint* root, const QUESTION& question, CCaret* caret, CUndoGroup* undo)
{
    StructureTransaction transaction(undo);
    int removed = 0;
    try {
        const PartList parts = CollectParts(root, OfQuestion(question));
        for (auto it = parts.rbegin(); it != parts.rend(); ++it)
            RemovePart(root, *it, CaretNode(caret), transaction.Group());
        removed = static_cast<int>(parts.size());
    } catch (const CEditError&) {
        return 0;
    }
    transaction.Commit();
    return removed;
}

}  // namespace

int CEditPrint::DeleteQuestion(int m, CCaret* caret, CUndoGroup* undo)
{
    return RemoveQuestion(this, Major(m), caret, undo);
}

int CEditPrint::DeleteSubQuestion(int m, int s, CCaret* caret, CUndoGroup* undo)
{
    return RemoveQuestion(this, Sub(m, s), caret, undo);
}

void CEditPrint::MoveQuestion(int a, int b, CUndoGroup* undo)
{
    if (a == b)
        return;
    if (a > b)
        std::swap(a, b);
    if (CollectParts(this, OfQuestion(Major(a))).empty() || CollectParts(this, OfQuestion(Major(b))).empty())
        return;
    StructureTransaction transaction(undo);
    try {
        CUndoGroup& group = transaction.Group();
        const int mode = m_partLayoutMode;
        if (mode == kBySection || mode == kAnswersPaired || mode == kAnswerBlocks) {
            ExchangeInGroups(this, mode, Major(a), Major(b), group);
        } else {
            const PartList next = CollectParts(this, OfQuestion(Major(b + 1)));
            ExchangeInterleaved(this, Major(a), Major(b), Major(a - 1), a == 1, next.empty() ? nullptr : next.front(),
                                group);
        }
        Renumber(this, group);
    } catch (const CEditError&) {
        return;
    }
    transaction.Commit();
}

void CEditPrint::MoveSubQuestion(int m, int a, int b, CUndoGroup* undo)
{
    if (a == b)
        return;
    if (a > b)
        std::swap(a, b);
    if (CollectParts(this, OfQuestion(Sub(m, a))).empty() || CollectParts(this, OfQuestion(Sub(m, b))).empty())
        return;
    StructureTransaction transaction(undo);
    try {
        CUndoGroup& group = transaction.Group();
        const int mode = m_partLayoutMode;
        if (mode == kBySection || mode == kAnswersPaired || mode == kAnswerBlocks) {
            ExchangeInGroups(this, mode, Sub(m, a), Sub(m, b), group);
        } else {
            const int afterB = IndexAfterLast(this, OfQuestion(Sub(m, b)));
            CEditNode* anchor = afterB < GetChildCount() ? GetEditChild(afterB) : nullptr;
            ExchangeInterleaved(this, Sub(m, a), Sub(m, b), Sub(m, a - 1), false, anchor, group);
        }
        RenumberSubs(this, m, group);
    } catch (const CEditError&) {
        return;
    }
    transaction.Commit();
}

void CEditPrint::RenumberQuestions(CUndoGroup* undo)
{
    StructureTransaction transaction(undo);
    Renumber(this, transaction.Group());
    transaction.Commit();
}

void CEditPrint::RenumberSubQuestions(int m, CUndoGroup* undo)
{
    StructureTransaction transaction(undo);
    RenumberSubs(this, m, transaction.Group());
    transaction.Commit();
}
