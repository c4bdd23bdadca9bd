// Question structure operations. Papers are written as in the arrangement tests: Q (question
// text), F (answer field), A (answer), E (explanation) with major[.sub] numbers, T for a text box
// and | for a page break. In results a part whose numbers changed shows "now<before", and a new
// part a leading "+".
#include "allocation_failure.h"
#include "node_fixture.h"
#include "paper_notation.h"

#include "nodes/caret.h"
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nodetest::NotationNode;
using nodetest::NotationToken;

class Paper {
public:
    explicit Paper(const std::string& layout, int mode = 0)
    {
        std::istringstream in(layout);
        std::string token;
        while (in >> token)
            root.AppendChild(NotationNode(token));
        if (mode != 0)
            root.ArrangeParts(mode, 0);
        root.m_partLayoutMode = mode;
        // The nodes are known by address only once the arrangement is done: the page breaks it
        // frees give their addresses back to the allocator, and a part made later may get one.
        for (int i = 0; i < root.GetChildCount(); ++i)
            m_origin[root.GetEditChild(i)] = NotationToken(root.GetEditChild(i));
        caret.m_caretNode = root.GetChildCount() > 0 ? root.GetEditChild(0)->GetEditChild(0) : nullptr;
    }

    std::string Describe() const
    {
        std::string text;
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const CEditNode* child = root.GetEditChild(i);
            std::string token = NotationToken(child);
            const auto origin = m_origin.find(child);
            if (origin == m_origin.end() && token != "|")
                token = "+" + token;
            else if (origin != m_origin.end() && origin->second != token)
                token += "<" + origin->second;
            text += (text.empty() ? "" : " ") + token;
        }
        return text;
    }

    // The children with their numbers: what an exact undo must give back.
    struct ENTRY {
        const CEditNode* node;
        int major, sub, kind;
        bool operator==(const ENTRY&) const = default;
    };
    std::vector<ENTRY> Snapshot() const
    {
        std::vector<ENTRY> entries;
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const CEditNode* child = root.GetEditChild(i);
            const auto* part = dynamic_cast<const CEditSentence*>(child);
            entries.push_back({child, part ? part->m_questionNumber : 0, part ? part->m_subQuestionNumber : 0,
                               part ? part->m_partKind : 0});
        }
        return entries;
    }

    CEditPrint root;
    CCaret caret;

private:
    std::map<const CEditNode*, std::string> m_origin;
};

// The recorded actions counted by code: insertions, removals, moves, major and sub numbers.
std::string Records(const CUndoGroup& group)
{
    std::map<int, int> counts;
    for (int i = 0; i < group.GetCount(); ++i)
        ++counts[group.GetAt(i)->m_code];
    std::string text;
    const std::pair<int, const char*> names[] = {
        {UndoCode::kInsertAt, "ins"}, {UndoCode::kRemoveAt, "del"},         {UndoCode::kMoveAt, "mov"},
        {UndoCode::kQuestionNumber, "num"}, {UndoCode::kSubQuestionNumber, "sub"},
    };
    int named = 0;
    for (const auto& [code, name] : names) {
        if (counts[code] > 0)
            text += (text.empty() ? "" : " ") + std::string(name) + " " + std::to_string(counts[code]);
        named += counts[code];
    }
    if (named != group.GetCount())
        text += " and others";
    return text;
}

using Operation = std::function<void(Paper& paper, CUndoGroup* group)>;

const Operation kInsertQuestion = [](Paper& p, CUndoGroup* g) { p.root.InsertQuestion(&p.caret, g); };
const Operation kInsertSub1 = [](Paper& p, CUndoGroup* g) { p.root.InsertSubQuestion(1, &p.caret, g); };
const Operation kInsertSub2 = [](Paper& p, CUndoGroup* g) { p.root.InsertSubQuestion(2, &p.caret, g); };
// The commands renumber after a deletion, in the same group.
const Operation kDeleteQuestion1 = [](Paper& p, CUndoGroup* g) {
    p.root.DeleteQuestion(1, &p.caret, g);
    p.root.RenumberQuestions(g);
};
const Operation kDeleteSub11 = [](Paper& p, CUndoGroup* g) {
    p.root.DeleteSubQuestion(1, 1, &p.caret, g);
    p.root.RenumberSubQuestions(1, g);
};
const Operation kMoveDown1 = [](Paper& p, CUndoGroup* g) { p.root.MoveQuestion(2, 1, g); };
const Operation kMoveSub12 = [](Paper& p, CUndoGroup* g) { p.root.MoveSubQuestion(1, 1, 2, g); };

// Question 1 with two sub-questions, then question 2, interleaved; arranged by each row's mode.
const char kPaper[] = "Q1 F1 A1 E1 Q1.1 F1.1 A1.1 E1.1 Q1.2 F1.2 A1.2 E1.2 Q2 F2 A2 E2";

struct STRUCTURE_CASE {
    const char* name;
    int mode;
    Operation run;
    const char* expected;
    const char* records;  // counted by code; null: not compared
};

const STRUCTURE_CASE kCases[] = {
    // a new major question
    {"insert question", 0, kInsertQuestion,
     "Q1 F1 A1 E1 Q1.1 F1.1 A1.1 E1.1 Q1.2 F1.2 A1.2 E1.2 Q2 F2 A2 E2 +Q3 +F3 +A3 +E3", "ins 4 num 4"},
    {"insert question", 1, kInsertQuestion,
     "Q1 Q1.1 Q1.2 Q2 +Q3 | F1 F1.1 F1.2 F2 +F3 | A1 A1.1 A1.2 A2 +A3 | E1 E1.1 E1.2 E2 +E3", "ins 4 num 4"},
    {"insert question", 2, kInsertQuestion,
     "Q1 Q1.1 Q1.2 Q2 +Q3 | F1 F1.1 F1.2 F2 +F3 | A1 E1 A1.1 E1.1 A1.2 E1.2 A2 E2 +A3 +E3", "ins 4 num 4"},
    {"insert question", 3, kInsertQuestion,
     "Q1 Q1.1 Q1.2 Q2 +Q3 | F1 A1 E1 F1.1 A1.1 E1.1 F1.2 A1.2 E1.2 F2 A2 E2 +F3 +A3 +E3", "ins 4 num 4"},
    // a third sub-question of question 1
    {"insert sub-question", 0, kInsertSub1,
     "Q1 F1 A1 E1 Q1.1 F1.1 A1.1 E1.1 Q1.2 F1.2 A1.2 E1.2 +Q1.3 +F1.3 +A1.3 +E1.3 Q2 F2 A2 E2", "ins 4"},
    {"insert sub-question", 1, kInsertSub1,
     "Q1 Q1.1 Q1.2 +Q1.3 Q2 | F1 F1.1 F1.2 +F1.3 F2 | A1 A1.1 A1.2 +A1.3 A2 | E1 E1.1 E1.2 +E1.3 E2", "ins 4"},
    {"insert sub-question", 2, kInsertSub1,
     "Q1 Q1.1 Q1.2 +Q1.3 Q2 | F1 F1.1 F1.2 +F1.3 F2 | A1 E1 A1.1 E1.1 A1.2 E1.2 +A1.3 +E1.3 A2 E2", "ins 4"},
    {"insert sub-question", 3, kInsertSub1,
     "Q1 Q1.1 Q1.2 +Q1.3 Q2 | F1 A1 E1 F1.1 A1.1 E1.1 F1.2 A1.2 E1.2 +F1.3 +A1.3 +E1.3 F2 A2 E2", "ins 4"},
    // the first sub-question of question 2, the last question
    {"insert first sub-question", 0, kInsertSub2,
     "Q1 F1 A1 E1 Q1.1 F1.1 A1.1 E1.1 Q1.2 F1.2 A1.2 E1.2 Q2 F2 A2 E2 +Q2.1 +F2.1 +A2.1 +E2.1", "ins 4"},
    {"insert first sub-question", 2, kInsertSub2,
     "Q1 Q1.1 Q1.2 Q2 +Q2.1 | F1 F1.1 F1.2 F2 +F2.1 | A1 E1 A1.1 E1.1 A1.2 E1.2 A2 E2 +A2.1 +E2.1", "ins 4"},
    // question 1 with its sub-questions deleted, question 2 renumbered
    {"delete question", 0, kDeleteQuestion1, "Q1<Q2 F1<F2 A1<A2 E1<E2", "del 12 num 4"},
    {"delete question", 1, kDeleteQuestion1, "Q1<Q2 | F1<F2 | A1<A2 | E1<E2", "del 12 num 4"},
    {"delete question", 2, kDeleteQuestion1, "Q1<Q2 | F1<F2 | A1<A2 E1<E2", "del 12 num 4"},
    {"delete question", 3, kDeleteQuestion1, "Q1<Q2 | F1<F2 A1<A2 E1<E2", "del 12 num 4"},
    // sub-question 1.1 deleted, 1.2 renumbered
    {"delete sub-question", 0, kDeleteSub11,
     "Q1 F1 A1 E1 Q1.1<Q1.2 F1.1<F1.2 A1.1<A1.2 E1.1<E1.2 Q2 F2 A2 E2", "del 4 sub 4"},
    {"delete sub-question", 1, kDeleteSub11,
     "Q1 Q1.1<Q1.2 Q2 | F1 F1.1<F1.2 F2 | A1 A1.1<A1.2 A2 | E1 E1.1<E1.2 E2", "del 4 sub 4"},
    {"delete sub-question", 2, kDeleteSub11,
     "Q1 Q1.1<Q1.2 Q2 | F1 F1.1<F1.2 F2 | A1 E1 A1.1<A1.2 E1.1<E1.2 A2 E2", "del 4 sub 4"},
    {"delete sub-question", 3, kDeleteSub11,
     "Q1 Q1.1<Q1.2 Q2 | F1 A1 E1 F1.1<F1.2 A1.1<A1.2 E1.1<E1.2 F2 A2 E2", "del 4 sub 4"},
    // questions 1 and 2 exchanged (given as 2, 1: the smaller is taken first)
    {"move question", 0, kMoveDown1,
     "Q1<Q2 F1<F2 A1<A2 E1<E2 Q2<Q1 F2<F1 A2<A1 E2<E1 Q2.1<Q1.1 F2.1<F1.1 A2.1<A1.1 E2.1<E1.1 "
     "Q2.2<Q1.2 F2.2<F1.2 A2.2<A1.2 E2.2<E1.2",
     "mov 16 num 16"},
    {"move question", 1, kMoveDown1,
     "Q1<Q2 Q2<Q1 Q2.1<Q1.1 Q2.2<Q1.2 | F1<F2 F2<F1 F2.1<F1.1 F2.2<F1.2 | A1<A2 A2<A1 A2.1<A1.1 A2.2<A1.2 | "
     "E1<E2 E2<E1 E2.1<E1.1 E2.2<E1.2",
     nullptr},
    {"move question", 2, kMoveDown1,
     "Q1<Q2 Q2<Q1 Q2.1<Q1.1 Q2.2<Q1.2 | F1<F2 F2<F1 F2.1<F1.1 F2.2<F1.2 | "
     "A1<A2 E1<E2 A2<A1 E2<E1 A2.1<A1.1 E2.1<E1.1 A2.2<A1.2 E2.2<E1.2",
     nullptr},
    {"move question", 3, kMoveDown1,
     "Q1<Q2 Q2<Q1 Q2.1<Q1.1 Q2.2<Q1.2 | F1<F2 A1<A2 E1<E2 F2<F1 A2<A1 E2<E1 F2.1<F1.1 A2.1<A1.1 E2.1<E1.1 "
     "F2.2<F1.2 A2.2<A1.2 E2.2<E1.2",
     nullptr},
    // sub-questions 1.1 and 1.2 exchanged
    {"move sub-question", 0, kMoveSub12,
     "Q1 F1 A1 E1 Q1.1<Q1.2 F1.1<F1.2 A1.1<A1.2 E1.1<E1.2 Q1.2<Q1.1 F1.2<F1.1 A1.2<A1.1 E1.2<E1.1 Q2 F2 A2 E2",
     nullptr},
    {"move sub-question", 1, kMoveSub12,
     "Q1 Q1.1<Q1.2 Q1.2<Q1.1 Q2 | F1 F1.1<F1.2 F1.2<F1.1 F2 | A1 A1.1<A1.2 A1.2<A1.1 A2 | "
     "E1 E1.1<E1.2 E1.2<E1.1 E2",
     "mov 4 sub 8"},
    {"move sub-question", 2, kMoveSub12,
     "Q1 Q1.1<Q1.2 Q1.2<Q1.1 Q2 | F1 F1.1<F1.2 F1.2<F1.1 F2 | A1 E1 A1.1<A1.2 E1.1<E1.2 A1.2<A1.1 E1.2<E1.1 A2 E2",
     nullptr},
    {"move sub-question", 3, kMoveSub12,
     "Q1 Q1.1<Q1.2 Q1.2<Q1.1 Q2 | F1 A1 E1 F1.1<F1.2 A1.1<A1.2 E1.1<E1.2 F1.2<F1.1 A1.2<A1.1 E1.2<E1.1 F2 A2 E2",
     nullptr},
};

}  // namespace

TEST(QuestionStructure, TableOfOperationsAndModesWithUndoAndRedo)
{
    for (const STRUCTURE_CASE& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " in mode " + std::to_string(c.mode));
        Paper paper(kPaper, c.mode);
        const auto before = paper.Snapshot();
        CUndoGroup group;
        c.run(paper, &group);
        EXPECT_EQ(paper.Describe(), c.expected);
        if (c.records != nullptr) {
            EXPECT_EQ(Records(group), c.records);
        }
        const auto after = paper.Snapshot();

        UNDO_REPLAY_RESULT undone = ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_FALSE(undone.abandoned);
        EXPECT_EQ(undone.unknown, 0);
        EXPECT_TRUE(paper.Snapshot() == before) << paper.Describe();

        UNDO_REPLAY_RESULT redone = ReplayUndoGroup(group, UndoDirection::Redo);
        EXPECT_FALSE(redone.abandoned);
        EXPECT_TRUE(paper.Snapshot() == after) << paper.Describe();
        EXPECT_EQ(paper.Describe(), c.expected);
        for (int i = 0; i < paper.root.GetChildCount(); ++i)
            EXPECT_EQ(paper.root.GetEditChild(i)->GetParent(), &paper.root);
    }
}

TEST(QuestionStructure, WithoutAGroupTheSameChangesAreMadeAndRemovedPartsDeleted)
{
    for (const STRUCTURE_CASE& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " in mode " + std::to_string(c.mode));
        Paper paper(kPaper, c.mode);
        const long live = allocation::LiveBlocks();
        c.run(paper, nullptr);
        EXPECT_EQ(paper.Describe(), c.expected);
        if (std::string(c.name) == "delete question") {
            EXPECT_LT(allocation::LiveBlocks(), live);
        }
    }
}

TEST(QuestionStructure, DeletingAQuestionRecordsEachRemovalLastPartFirst)
{
    Paper paper(kPaper);
    CEditNode* caretNode = paper.root.GetEditChild(13)->GetEditChild(0);  // in F2
    paper.caret.m_caretNode = caretNode;
    std::vector<CEditNode*> parts;
    for (int i = 0; i < 12; ++i)
        parts.push_back(paper.root.GetEditChild(i));

    CUndoGroup group;
    EXPECT_EQ(paper.root.DeleteQuestion(1, &paper.caret, &group), 12);
    ASSERT_EQ(group.GetCount(), 12);
    for (int i = 0; i < 12; ++i) {
        const CUndoAction* action = group.GetAt(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(action->m_code, UndoCode::kRemoveAt);
        EXPECT_EQ(action->m_pNode, parts[11 - i]);
        EXPECT_EQ(action->m_index, 11 - i);
        EXPECT_EQ(action->m_pContainer, &paper.root);
        EXPECT_EQ(action->m_pSecondNode, caretNode);
        EXPECT_TRUE(action->KeepsNode());
        EXPECT_EQ(parts[11 - i]->GetParent(), nullptr);
    }
    EXPECT_EQ(paper.Describe(), "Q2 F2 A2 E2");
    // The caller renumbers; nothing is renumbered by the deletion itself.
    EXPECT_EQ(paper.root.DeleteSubQuestion(7, 1, &paper.caret, &group), 0);
    EXPECT_EQ(group.GetCount(), 12);
}

TEST(QuestionStructure, NewPartsRecordTheirIndexTheCaretNodeAndTheRoot)
{
    Paper paper("Q1 F1 A1 E1 | T", 1);
    ASSERT_EQ(paper.Describe(), "Q1 T | F1 | A1 | E1");
    CUndoGroup group;
    paper.root.InsertQuestion(&paper.caret, &group);
    EXPECT_EQ(paper.Describe(), "Q1 +Q2 T | F1 +F2 | A1 +A2 | E1 +E2");
    const int indices[] = {1, 5, 8, 11};
    for (int i = 0; i < 4; ++i) {
        const CUndoAction* action = group.GetAt(i);
        EXPECT_EQ(action->m_code, UndoCode::kInsertAt);
        EXPECT_EQ(action->m_index, indices[i]);
        EXPECT_EQ(action->m_pContainer, &paper.root);
        EXPECT_EQ(action->m_pSecondNode, paper.caret.m_caretNode);
        EXPECT_EQ(paper.root.GetEditChild(indices[i]), action->m_pNode);
        EXPECT_FALSE(action->KeepsNode());
    }
    // Each new part holds one empty line.
    const CEditNode* part = paper.root.GetEditChild(1);
    ASSERT_EQ(part->GetChildCount(), 1);
    EXPECT_TRUE(part->GetEditChild(0)->HasKindFlags(EditKind::kLineBreak));
}

// With no part to go after, new parts are appended: an empty root takes them at valid indices.
TEST(QuestionStructure, PapersWithoutQuestionsTakeNewPartsInOrder)
{
    struct Case {
        const char* paper;
        int mode;
        Operation run;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, kInsertQuestion, "+Q1 +F1 +A1 +E1"},
        {"", 1, kInsertQuestion, "+Q1 +F1 +A1 +E1"},
        {"", 2, kInsertQuestion, "+Q1 +F1 +A1 +E1"},
        {"", 3, kInsertQuestion, "+Q1 +F1 +A1 +E1"},
        {"T", 1, kInsertQuestion, "T +Q1 +F1 +A1 +E1"},
        {"T T", 2, kInsertQuestion, "T T +Q1 +F1 +A1 +E1"},
        {"", 0, kInsertSub1, "+Q1.1 +F1.1 +A1.1 +E1.1"},
        {"", 1, kInsertSub1, "+Q1.1 +F1.1 +A1.1 +E1.1"},
        {"", 3, kInsertSub1, "+Q1.1 +F1.1 +A1.1 +E1.1"},
        // a major question without a question text counts no sub-question: the first is 1
        {"F1 A1", 0, kInsertSub1, "F1 A1 +Q1.1 +F1.1 +A1.1 +E1.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.paper) + " in mode " + std::to_string(c.mode));
        Paper paper(c.paper, c.mode);
        CUndoGroup group;
        c.run(paper, &group);
        EXPECT_EQ(paper.Describe(), c.expected);
        for (int i = 0; i < group.GetCount(); ++i) {
            const CUndoAction* action = group.GetAt(i);
            if (action->m_code == UndoCode::kInsertAt) {
                EXPECT_EQ(paper.root.GetEditChild(action->m_index), action->m_pNode);
            }
        }
        ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_EQ(paper.Describe(), c.paper);
    }
}

TEST(QuestionStructure, RenumberingTable)
{
    struct Case {
        const char* paper;
        std::function<void(CEditPrint&)> run;
        const char* expected;
    };
    const auto all = [](CEditPrint& root) { root.RenumberQuestions(); };
    const auto subsOf1 = [](CEditPrint& root) { root.RenumberSubQuestions(1); };
    const Case cases[] = {
        // each part kind is numbered on its own, a sub part after the latest major part of its kind
        {"Q5 F5 Q9 Q9.4 F7 F7.3 F7.3", all, "Q1<Q5 F1<F5 Q2<Q9 Q2.1<Q9.4 F2<F7 F2.1<F7.3 F2.2<F7.3"},
        // text boxes, page breaks and other blocks are passed over
        {"T Q3 | F3", all, "T Q1<Q3 | F1<F3"},
        // no major question text: nothing changes
        {"F3 A5 Q2.1", all, "F3 A5 Q2.1"},
        // a damaged paper with more major answer fields than question texts, and a sub part
        // before any major part of its kind
        {"F1.1 Q1 F1 F1 F1 F1 F1 F1 F1 F1 F1.1", all, "F0.1<F1.1 Q1 F1 F2<F1 F3<F1 F4<F1 F5<F1 F6<F1 F7<F1 F8<F1 F8.1<F1.1"},
        // sub-questions follow their question texts; answers edited out of order keep theirs
        {"Q1 Q1.2 Q1.1 | A1 A1.1 A1.2", subsOf1, "Q1 Q1.1<Q1.2 Q1.2<Q1.1 | A1 A1.2<A1.1 A1.1<A1.2"},
        {"Q1 Q1.5 F1.5 Q1.9 F1.9 Q2.9", subsOf1, "Q1 Q1.1<Q1.5 F1.1<F1.5 Q1.2<Q1.9 F1.2<F1.9 Q2.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper);
        Paper paper(c.paper);
        c.run(paper.root);
        EXPECT_EQ(paper.Describe(), c.expected);
    }
}

TEST(QuestionStructure, RenumberedPartsAreMeasuredAgain)
{
    Paper paper("Q1 F1 Q2 F2");
    for (int i = 0; i < paper.root.GetChildCount(); ++i)
        paper.root.GetEditChild(i)->m_dirty = 0;
    paper.root.MoveQuestion(1, 2);
    EXPECT_EQ(paper.Describe(), "Q1<Q2 F1<F2 Q2<Q1 F2<F1");
    for (int i = 0; i < paper.root.GetChildCount(); ++i)
        EXPECT_EQ(paper.root.GetEditChild(i)->m_dirty, 1) << i;
}

TEST(QuestionStructure, MovesTable)
{
    struct Case {
        const char* paper;
        int mode;
        int a, b;
        const char* expected;
    };
    const Case cases[] = {
        // blocks between the two questions end up between them
        {"Q1 F1 A1 E1 T Q2 F2 A2 E2 Q3", 0, 1, 2, "Q1<Q2 F1<F2 A1<A2 E1<E2 T Q2<Q1 F2<F1 A2<A1 E2<E1 Q3"},
        // after the question before a, before the question after b
        {"Q1 F1 Q2 F2 Q3 F3 Q4 F4", 0, 2, 3, "Q1 F1 Q2<Q3 F2<F3 Q3<Q2 F3<F2 Q4 F4"},
        // the same question, or a question that is not there: nothing
        {"Q1 F1 Q2 F2", 0, 2, 2, "Q1 F1 Q2 F2"},
        {"Q1 F1 Q2 F2", 0, 2, 3, "Q1 F1 Q2 F2"},
        {"Q1 | F1", 1, 1, 2, "Q1 | F1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper);
        Paper paper(c.paper);
        paper.root.m_partLayoutMode = c.mode;
        CUndoGroup group;
        paper.root.MoveQuestion(c.a, c.b, &group);
        EXPECT_EQ(paper.Describe(), c.expected);
        ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_EQ(paper.Describe(), c.paper);
    }
}

TEST(QuestionStructure, AMoveIsNotReplayedOnceItsBlockLeftTheRoot)
{
    Paper paper("Q1 F1 Q2 F2");
    CUndoGroup group;
    paper.root.MoveQuestion(1, 2, &group);
    ASSERT_EQ(paper.Describe(), "Q1<Q2 F1<F2 Q2<Q1 F2<F1");
    std::unique_ptr<CEditNode> taken(paper.root.GetEditChild(3));
    taken->Detach();
    const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, UndoDirection::Undo);
    EXPECT_TRUE(result.abandoned);
    EXPECT_EQ(taken->GetParent(), nullptr);
    EXPECT_EQ(paper.root.GetChildCount(), 3);
}

TEST(QuestionStructure, CollectQuestionPartsGivesThePartsOfOneQuestionInOrder)
{
    Paper paper("Q1 Q1.1 | F1 F1.1 | A1.1 A1");
    std::vector<CEditSentence*> parts{nullptr};
    auto* sub = dynamic_cast<CEditSentence*>(paper.root.GetEditChild(4));
    ASSERT_EQ(paper.root.CollectQuestionParts(sub, &parts), 3);
    EXPECT_EQ(parts[0], paper.root.GetEditChild(1));
    EXPECT_EQ(parts[1], sub);
    EXPECT_EQ(parts[2], paper.root.GetEditChild(6));
    EXPECT_EQ(paper.root.CollectQuestionParts(nullptr, &parts), 0);
    EXPECT_TRUE(parts.empty());
}

// Every operation is whole or nothing: when an allocation fails at any of its steps, the paper
// and the group are as they were, nothing leaks and the failure reaches the caller.
TEST(QuestionStructure, AFailedAllocationLeavesThePaperAsItWas)
{
    const std::pair<const char*, Operation> operations[] = {
        {"insert question", kInsertQuestion},
        {"insert sub-question", kInsertSub1},
        {"delete question", [](Paper& p, CUndoGroup* g) { p.root.DeleteQuestion(1, &p.caret, g); }},
        {"delete sub-question", [](Paper& p, CUndoGroup* g) { p.root.DeleteSubQuestion(1, 2, &p.caret, g); }},
        {"move question", kMoveDown1},
        {"move sub-question", kMoveSub12},
        {"renumber", [](Paper& p, CUndoGroup* g) { p.root.RenumberQuestions(g); }},
    };
    // A paper whose renumbering changes numbers: question 1 carries 3.
    const std::string misnumbered = "Q3 F3 A3 E3 Q3.1 F3.1 A3.1 E3.1 Q3.2 F3.2 A3.2 E3.2 Q2 F2 A2 E2";
    for (const auto& [name, run] : operations) {
        for (const int mode : {0, 2}) {
            for (const bool withGroup : {true, false}) {
                SCOPED_TRACE(std::string(name) + " in mode " + std::to_string(mode) +
                             (withGroup ? " with a group" : " without a group"));
                const std::string layout = std::string(name) == "renumber" ? misnumbered : kPaper;
                std::string expected;
                {
                    Paper paper(layout, mode);
                    run(paper, nullptr);
                    expected = paper.Describe();
                }
                int failures = 0;
                for (long failAt = 0;; ++failAt) {
                    Paper paper(layout, mode);
                    CUndoGroup group;
                    // An earlier change of the same command stays recorded whatever happens.
                    paper.root.GetEditChild(0)->SetTextColor(0x0000FF, &group);
                    const auto before = paper.Snapshot();
                    const long live = allocation::LiveBlocks();
                    bool threw = false;
                    allocation::FailAfter(failAt);
                    try {
                        run(paper, withGroup ? &group : nullptr);
                    } catch (const std::bad_alloc&) {
                        threw = true;
                    }
                    allocation::Disarm();
                    if (!allocation::Failed()) {
                        EXPECT_FALSE(threw);
                        EXPECT_EQ(paper.Describe(), expected);
                        break;
                    }
                    ++failures;
                    SCOPED_TRACE("allocation " + std::to_string(failAt));
                    EXPECT_TRUE(threw);
                    EXPECT_TRUE(paper.Snapshot() == before) << paper.Describe();
                    EXPECT_EQ(group.GetCount(), 1);
                    EXPECT_EQ(allocation::LiveBlocks(), live);
                    ASSERT_LT(failAt, 2000);
                }
                EXPECT_GT(failures, 0);
                EXPECT_NE(expected, Paper(layout, mode).Describe());
            }
        }
    }
}
