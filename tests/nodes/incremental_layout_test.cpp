// Measuring and layout after an edit keep what did not change and redo only the rest. Two papers
// are built alike and edited alike at many places; after each edit one is measured and laid out
// as the editor does it, the other from scratch (every node dirty), and the two must agree node
// by node: sizes, rectangles, lines, boxes, pages and the page count.
#include "paper_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/in_text_answer.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace nodetest;
using namespace papertest;

namespace {

// One edit, applied to a paper by the block and child indexes it names, so that both papers
// get the same edit. Edits that record undo actions record them in the group.
struct EDIT_STEP {
    std::string name;
    std::function<void(Paper&, CUndoGroup&)> apply;
};

CEditNode* ChildAt(Paper& paper, int block, int child)
{
    CEditNode* part = paper.root.GetEditChild(block);
    return part != nullptr ? part->GetEditChild(child) : nullptr;
}

EDIT_STEP Typing(int block, int child, const char16_t* text)
{
    return {"type at " + std::to_string(block) + "/" + std::to_string(child), [=](Paper& paper, CUndoGroup& group) {
                CCaret caret;
                caret.m_caretNode = ChildAt(paper, block, child);
                caret.m_logFont.lfHeight = -kPaperEm;
                CStringW typed(text);
                ASSERT_TRUE(caret.m_caretNode->InsertChars(&caret, &typed, &group));
            }};
}

// An in-text answer of a few characters put into a paragraph: a container within the line.
EDIT_STEP NewAnswer(int block, int child)
{
    return {"answer in " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                auto* answer = new CEditCyukai();
                AddKana(answer, 3, kPaperEm);
                nodetest::AddCR(answer, 0, kPaperEm);
                CEditNode* part = paper.root.GetEditChild(block);
                part->InsertChildAt(child, answer);
                group.RecordNodeEx(UndoCode::kInsertAt, answer, nullptr, child, part, 0, 0);
            }};
}

// Typing inside a container that stands within a paragraph's line.
EDIT_STEP TypingWithin(int block, int child, int inner, const char16_t* text)
{
    return {"type within " + std::to_string(block) + "/" + std::to_string(child),
            [=](Paper& paper, CUndoGroup& group) {
                CCaret caret;
                caret.m_caretNode = ChildAt(paper, block, child)->GetEditChild(inner);
                caret.m_logFont.lfHeight = -kPaperEm;
                CStringW typed(text);
                ASSERT_TRUE(caret.m_caretNode->InsertChars(&caret, &typed, &group));
            }};
}

// A larger font on a character inside a container within the line.
EDIT_STEP FontSizeWithin(int block, int child, int inner, int em)
{
    return {"font size within " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                const SIZE size{0, em};
                ChildAt(paper, block, child)->GetEditChild(inner)->SetFontSize(&size, &group);
            }};
}

EDIT_STEP Deleting(int block, int child, int count)
{
    return {"delete at " + std::to_string(block) + "/" + std::to_string(child), [=](Paper& paper, CUndoGroup& group) {
                CCaret caret;
                caret.m_caretNode = ChildAt(paper, block, child);
                for (int i = 0; i < count; ++i)
                    ASSERT_TRUE(caret.m_caretNode->DeleteBackward(&caret, &group));
            }};
}

EDIT_STEP LineBreak(int block, int child)
{
    return {"line break at " + std::to_string(block) + "/" + std::to_string(child),
            [=](Paper& paper, CUndoGroup& group) {
                CCaret caret;
                caret.m_caretNode = ChildAt(paper, block, child);
                ASSERT_TRUE(caret.m_caretNode->InsertLineBreak(&caret, &group));
            }};
}

EDIT_STEP NewQuestion(int before, int question)
{
    return {"new question before " + std::to_string(before), [=](Paper& paper, CUndoGroup& group) {
                auto* part = new CEditSentence();
                part->m_questionNumber = question;
                part->m_partKind = PART_QUESTION;
                auto* number = new TestNumberLabel(u"９");
                number->m_lf.lfHeight = -kPaperEm;
                part->AppendChild(number);
                AddKana(part, 150, kPaperEm);
                nodetest::AddCR(part, 0, kPaperEm);
                paper.root.InsertChildAt(before, part);
                group.RecordNodeEx(UndoCode::kInsertAt, part, nullptr, before, &paper.root, 0, 0);
            }};
}

EDIT_STEP PageBreak(int before)
{
    return {"page break before " + std::to_string(before), [=](Paper& paper, CUndoGroup& group) {
                auto* pageBreak = new TestBlock(EditKind::kKaiPage);
                nodetest::AddCR(pageBreak, 0, kPaperEm);
                paper.root.InsertChildAt(before, pageBreak);
                group.RecordNodeEx(UndoCode::kInsertAt, pageBreak, nullptr, before, &paper.root, 0, 0);
            }};
}

// A larger font over a range of characters.
EDIT_STEP FontSize(int block, int first, int count, int em)
{
    return {"font size in " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                const SIZE size{0, em};
                for (int i = first; i < first + count; ++i)
                    ChildAt(paper, block, i)->SetFontSize(&size, &group);
            }};
}

// A labelled underline over a range: numbered runs change the run numbers of the paragraph.
EDIT_STEP LabelledUnderline(int block, int first, int count)
{
    return {"labelled underline in " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                for (int i = first; i < first + count; ++i) {
                    CEditNode* node = ChildAt(paper, block, i);
                    node->SetUnderlineStyle(1, &group);
                    node->SetUnderlineWidth(1, &group);
                    node->SetBangoType(1, &group);
                }
            }};
}

// Alignment moves the lines without measuring them again.
EDIT_STEP Alignment(int block, int align)
{
    return {"alignment of " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                auto* part = paper.root.GetEditChild(block);
                for (int i = 0; i < part->GetChildCount(); ++i) {
                    if (auto* lineBreak = dynamic_cast<CEditCR*>(part->GetEditChild(i)))
                        lineBreak->SetTextAlign(align, &group);
                }
            }};
}

EDIT_STEP RemoveBlock(int block)
{
    return {"remove block " + std::to_string(block), [=](Paper& paper, CUndoGroup& group) {
                CEditNode* part = paper.root.GetEditChild(block);
                CUndoAction* action = group.RecordNodeEx(UndoCode::kRemoveAt, part, nullptr, block, &paper.root, 0, 0);
                action->TakeOut();
            }};
}

// An in-text answer in every question part that has some text: no part is plain leaves then.
EDIT_STEP AnswerInEveryPart()
{
    return {"answer in every part", [](Paper& paper, CUndoGroup& group) {
                for (int block = 0; block < paper.root.GetChildCount(); ++block) {
                    CEditNode* part = paper.root.GetEditChild(block);
                    if (part == nullptr || !part->IsKind(EditKind::kSentence) || part->GetChildCount() < 10)
                        continue;
                    auto* answer = new CEditCyukai();
                    AddKana(answer, 3, kPaperEm);
                    nodetest::AddCR(answer, 0, kPaperEm);
                    part->InsertChildAt(5, answer);
                    group.RecordNodeEx(UndoCode::kInsertAt, answer, nullptr, 5, part, 0, 0);
                }
            }};
}

EDIT_STEP Undo()
{
    return {"undo", nullptr};
}

class IncrementalLayoutTest : public ::testing::TestWithParam<std::pair<int, int>> {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void LayOut(Paper& paper, bool whole)
    {
        if (whole)
            paper.root.SetDirtyAll(1);
        LAYOUT_CONTEXT measure;
        paper.root.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout;
        paper.root.Layout(&layout, paper.root.m_vertical);
    }

    static void ExpectSameNode(const CEditNode* a, const CEditNode* b, const std::string& path)
    {
        SCOPED_TRACE(path);
        ASSERT_EQ(a->GetKind(), b->GetKind());
        ASSERT_EQ(a->GetChildCount(), b->GetChildCount());
        EXPECT_EQ(a->m_hidden, b->m_hidden);
        EXPECT_EQ(a->m_width, b->m_width);
        EXPECT_EQ(a->m_height, b->m_height);
        EXPECT_EQ(a->m_ascent, b->m_ascent);
        EXPECT_EQ(a->m_axis, b->m_axis);
        EXPECT_EQ(RectText(a->m_rcLayout), RectText(b->m_rcLayout));
        EXPECT_EQ(RectText(a->m_rcHit), RectText(b->m_rcHit));
        EXPECT_EQ(a->m_ptText.x, b->m_ptText.x);
        EXPECT_EQ(a->m_ptText.y, b->m_ptText.y);
        EXPECT_EQ(a->m_lineIndex, b->m_lineIndex);
        EXPECT_EQ(a->m_indexInLine, b->m_indexInLine);
        EXPECT_EQ(a->m_boxIndex, b->m_boxIndex);
        EXPECT_EQ(a->m_page, b->m_page);
        EXPECT_EQ(std::memcmp(&a->m_tm.Get(), &b->m_tm.Get(), sizeof(TEXTMETRICA)), 0);
        EXPECT_EQ(a->m_runNumber, b->m_runNumber);
        EXPECT_EQ(a->m_runBits, b->m_runBits);

        const auto* containerA = dynamic_cast<const CEditContainer*>(a);
        const auto* containerB = dynamic_cast<const CEditContainer*>(b);
        ASSERT_EQ(containerA != nullptr, containerB != nullptr);
        if (containerA != nullptr) {
            EXPECT_EQ(containerA->m_marginLeft, containerB->m_marginLeft);
            ASSERT_EQ(containerA->GetBoxCount(), containerB->GetBoxCount());
            for (int k = 0; k < containerA->GetBoxCount(); ++k) {
                const CEditBox* boxA = containerA->GetBox(k);
                const CEditBox* boxB = containerB->GetBox(k);
                SCOPED_TRACE("box " + std::to_string(k));
                ASSERT_EQ(boxA != nullptr, boxB != nullptr);
                if (boxA == nullptr)
                    continue;
                EXPECT_EQ(boxA->m_width, boxB->m_width);
                EXPECT_EQ(boxA->m_height, boxB->m_height);
                EXPECT_EQ(boxA->m_page, boxB->m_page);
                EXPECT_EQ(RectText(boxA->m_rcLayout), RectText(boxB->m_rcLayout));
                ASSERT_EQ(boxA->GetLineCount(), boxB->GetLineCount());
                for (int l = 0; l < boxA->GetLineCount(); ++l) {
                    const EDIT_LINE lineA = boxA->GetLine(l);
                    const EDIT_LINE lineB = boxB->GetLine(l);
                    EXPECT_EQ(std::memcmp(&lineA, &lineB, sizeof(EDIT_LINE)), 0) << "line " << l;
                }
            }
        }
        if (const auto* part = dynamic_cast<const CEditSentence*>(a)) {
            EXPECT_EQ(RectText(part->m_label.m_rcLayout),
                      RectText(static_cast<const CEditSentence*>(b)->m_label.m_rcLayout));
        }
        for (int i = 0; i < a->GetChildCount(); ++i)
            ExpectSameNode(a->GetEditChild(i), b->GetEditChild(i), path + "/" + std::to_string(i));
    }

    static void ExpectSamePaper(Paper& edited, Paper& fresh)
    {
        EXPECT_EQ(edited.root.GetPageCount(), fresh.root.GetPageCount());
        EXPECT_EQ(edited.root.m_width, fresh.root.m_width);
        EXPECT_EQ(edited.root.m_height, fresh.root.m_height);
        ExpectSameNode(edited.root.GetNameFieldLayer(), fresh.root.GetNameFieldLayer(), "name fields");
        ExpectSameNode(&edited.root, &fresh.root, "root");
    }

    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    SwitchGuard switches;
};

TEST_P(IncrementalLayoutTest, EveryEditLaysOutAsAWholeLayoutDoes)
{
    const auto [columns, vertical] = GetParam();
    CurrentWritingVertical = vertical;
    map.SetVertical(vertical);
    Paper edited;
    Paper fresh;
    BuildPaper(edited, columns, vertical);
    BuildPaper(fresh, columns, vertical);
    LayOut(edited, false);
    LayOut(fresh, true);
    ExpectSamePaper(edited, fresh);

    // Blocks: 0 Q1, 1 A1, ..., 6 Q4, 7 A4, 8 page break, 9 Q5, 10 A5; later steps count the
    // blocks that the new question and the page break added.
    const std::vector<EDIT_STEP> steps = {
        Typing(0, 5, u"字"),
        Typing(2, 200, u"ことばを足す"),
        Undo(),
        LineBreak(1, 60),
        LineBreak(4, 1),
        Deleting(1, 61, 1),
        Deleting(6, 300, 40),
        Undo(),
        Typing(9, 3, u"あいうえおかきくけこさしすせそ"),
        NewQuestion(3, 9),
        PageBreak(5),
        FontSize(2, 10, 20, 800),
        LabelledUnderline(0, 30, 5),
        LabelledUnderline(0, 50, 5),
        Alignment(1, 1),
        Alignment(3, 3),
        RemoveBlock(4),
        Undo(),
        Undo(),
        Typing(11, 2, u"終"),
        Deleting(7, 100, 100),
        LineBreak(7, 10),
        LineBreak(7, 10),
        NewAnswer(1, 30),
        TypingWithin(1, 30, 1, u"解答"),
        FontSizeWithin(1, 30, 0, 900),
        Undo(),
        Typing(1, 40, u"後"),
    };

    std::vector<std::unique_ptr<CUndoGroup>> editedGroups;
    std::vector<std::unique_ptr<CUndoGroup>> freshGroups;
    for (const EDIT_STEP& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.apply == nullptr) {
            ASSERT_FALSE(editedGroups.empty());
            ASSERT_FALSE(ReplayUndoGroup(*editedGroups.back(), UndoDirection::Undo).abandoned);
            ASSERT_FALSE(ReplayUndoGroup(*freshGroups.back(), UndoDirection::Undo).abandoned);
            editedGroups.pop_back();
            freshGroups.pop_back();
        } else {
            editedGroups.push_back(std::make_unique<CUndoGroup>());
            freshGroups.push_back(std::make_unique<CUndoGroup>());
            step.apply(edited, *editedGroups.back());
            step.apply(fresh, *freshGroups.back());
        }
        LayOut(edited, false);
        LayOut(fresh, true);
        ExpectSamePaper(edited, fresh);
        if (HasFailure())
            return;
    }
}

// The editor's layout after an edit leaves the children of blocks that only moved where they
// stood; pages, boxes and the page index are right at once, and settling a block, or every
// block, puts its children where a whole layout puts them.
TEST_P(IncrementalLayoutTest, LazyLayoutSettlesAsAWholeLayoutLaysOut)
{
    const auto [columns, vertical] = GetParam();
    CurrentWritingVertical = vertical;
    map.SetVertical(vertical);
    Paper edited;
    Paper fresh;
    BuildPaper(edited, columns, vertical);
    BuildPaper(fresh, columns, vertical);
    LayOut(edited, false);
    LayOut(fresh, true);

    const std::vector<EDIT_STEP> steps = {
        LineBreak(1, 60),     LineBreak(1, 61), Undo(),         Typing(2, 200, u"ことばを足す"),
        Deleting(6, 300, 40), PageBreak(5),     RemoveBlock(4), Undo(),
        AnswerInEveryPart(),  LineBreak(0, 20), LineBreak(0, 20), Undo(),
    };
    std::vector<std::unique_ptr<CUndoGroup>> editedGroups;
    std::vector<std::unique_ptr<CUndoGroup>> freshGroups;
    int pendingSeen = 0;
    for (const EDIT_STEP& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.apply == nullptr) {
            ASSERT_FALSE(ReplayUndoGroup(*editedGroups.back(), UndoDirection::Undo).abandoned);
            ASSERT_FALSE(ReplayUndoGroup(*freshGroups.back(), UndoDirection::Undo).abandoned);
            editedGroups.pop_back();
            freshGroups.pop_back();
        } else {
            editedGroups.push_back(std::make_unique<CUndoGroup>());
            freshGroups.push_back(std::make_unique<CUndoGroup>());
            step.apply(edited, *editedGroups.back());
            step.apply(fresh, *freshGroups.back());
        }
        LAYOUT_CONTEXT measure;
        edited.root.Measure(&dc, &map, &measure);
        edited.root.LayoutLazily(edited.root.m_vertical);
        LayOut(fresh, true);

        EXPECT_EQ(edited.root.GetPageCount(), fresh.root.GetPageCount());
        // A click on a box that has yet to move settles its block.
        for (int i = 0; i < edited.root.GetChildCount(); ++i) {
            const auto* part = dynamic_cast<const CEditContainer*>(edited.root.GetEditChild(i));
            const auto* freshPart = dynamic_cast<const CEditContainer*>(fresh.root.GetEditChild(i));
            const CEditBox* box = part != nullptr ? part->GetBox(0) : nullptr;
            if (box == nullptr || !box->HasPendingPlacement() ||
                RectText(box->m_rcLayout) == RectText(freshPart->GetBox(0)->m_rcLayout))
                continue;
            ++pendingSeen;
            const RECT target = freshPart->GetBox(0)->m_rcLayout;
            int after = 0;
            edited.root.HitTest((target.left + target.right) / 2, (target.top + target.bottom) / 2, &after);
            ExpectSameNode(edited.root.GetEditChild(i), fresh.root.GetEditChild(i), "clicked block");
            break;
        }
        edited.root.SettleAll();
        ExpectSamePaper(edited, fresh);
        if (HasFailure())
            return;
    }
    EXPECT_GT(pendingSeen, 0);
}

// The text drawn, each run with its reference point, in the order drawn.
std::string TextDrawn(const CRecordingDC& dc)
{
    std::string drawn;
    for (const GdiCall& call : dc.Drawings()) {
        if (call.text.empty() || call.points.empty())
            continue;
        drawn += std::to_string(call.text.size()) + "@" + std::to_string(call.points[0].x) + "," +
                 std::to_string(call.points[0].y) + ";";
    }
    return drawn;
}

// The editor's relayout after an edit stops past the pages shown when the later blocks only move;
// a later page counted, clicked, drawn or printed is paginated then, and the paper, its drawing
// and its print are those of a whole layout.
TEST_P(IncrementalLayoutTest, LaterPagesWaitUntilReachedAndThenLayOutAsAWholeLayoutDoes)
{
    const auto [columns, vertical] = GetParam();
    CurrentWritingVertical = vertical;
    map.SetVertical(vertical);
    Paper edited;
    Paper fresh;
    for (Paper* paper : {&edited, &fresh}) {
        BuildPaper(*paper, columns, vertical);
        for (int q = 6; q <= 12; ++q) {
            AddPart(&paper->root, q, 0, PART_QUESTION, nullptr, 410, kPaperEm);
            AddPart(&paper->root, q, 0, PART_ANSWER, nullptr, 123, kPaperEm);
        }
    }
    LayOut(edited, false);
    LayOut(fresh, true);

    enum class Reach { kCount, kClick, kDraw, kPrint };
    const std::vector<std::pair<EDIT_STEP, Reach>> steps = {
        {LineBreak(1, 60), Reach::kDraw},   {Typing(0, 5, u"字"), Reach::kClick}, {LineBreak(0, 20), Reach::kPrint},
        {Deleting(1, 61, 1), Reach::kCount}, {Undo(), Reach::kDraw},             {Typing(2, 200, u"ことばを足す"), Reach::kPrint},
        {Deleting(0, 300, 40), Reach::kClick},  {Typing(14, 3, u"終"), Reach::kCount},   {RemoveBlock(12), Reach::kDraw},
        {Undo(), Reach::kClick},                {LineBreak(20, 30), Reach::kDraw},     {PageBreak(13), Reach::kCount},
    };
    std::vector<std::unique_ptr<CUndoGroup>> editedGroups;
    std::vector<std::unique_ptr<CUndoGroup>> freshGroups;
    int waited = 0;
    for (const auto& [step, reach] : steps) {
        SCOPED_TRACE(step.name);
        if (step.apply == nullptr) {
            ASSERT_FALSE(ReplayUndoGroup(*editedGroups.back(), UndoDirection::Undo).abandoned);
            ASSERT_FALSE(ReplayUndoGroup(*freshGroups.back(), UndoDirection::Undo).abandoned);
            editedGroups.pop_back();
            freshGroups.pop_back();
        } else {
            editedGroups.push_back(std::make_unique<CUndoGroup>());
            freshGroups.push_back(std::make_unique<CUndoGroup>());
            step.apply(edited, *editedGroups.back());
            step.apply(fresh, *freshGroups.back());
        }
        // Shown: the first page, the caret in the block before the page break.
        edited.root.RelayoutAfterEdit(&dc, &map, edited.root.m_vertical, 1, 8);
        LayOut(fresh, true);
        waited += edited.root.HasPendingPagination() ? 1 : 0;

        // The last page of the paper, reached the way the step names.
        const int last = fresh.root.GetPageCount();
        const int top = (last - 1) * fresh.root.m_geometry.height + last * fresh.root.m_pageGapDown;
        RECT sheet{0, top, 30000, top + fresh.root.m_geometry.height};
        map.DocToDeviceRect(&sheet);
        switch (reach) {
        case Reach::kCount:
            EXPECT_EQ(edited.root.GetPageCount(), last);
            break;
        case Reach::kClick: {
            const CEditNode* lastBlock = fresh.root.GetEditChild(fresh.root.GetChildCount() - 1);
            const POINT at{lastBlock->GetEditChild(3)->m_rcHit.left + 1, lastBlock->GetEditChild(3)->m_rcHit.top + 1};
            int afterEdited = 0;
            int afterFresh = 0;
            CEditNode* hitEdited = edited.root.HitTest(at.x, at.y, &afterEdited);
            CEditNode* hitFresh = fresh.root.HitTest(at.x, at.y, &afterFresh);
            ASSERT_NE(hitFresh, nullptr);
            ASSERT_NE(hitEdited, nullptr);
            EXPECT_EQ(hitEdited->GetIndexInParent(), hitFresh->GetIndexInParent());
            EXPECT_EQ(afterEdited, afterFresh);
            break;
        }
        case Reach::kDraw: {
            CRecordingDC screenEdited;
            CRecordingDC screenFresh;
            screenEdited.IntersectClipRect(&sheet);
            screenFresh.IntersectClipRect(&sheet);
            LAYOUT_CONTEXT contextEdited;
            LAYOUT_CONTEXT contextFresh;
            edited.root.Draw(&screenEdited, &map, &contextEdited);
            fresh.root.Draw(&screenFresh, &map, &contextFresh);
            EXPECT_FALSE(TextDrawn(screenFresh).empty());
            EXPECT_EQ(TextDrawn(screenEdited), TextDrawn(screenFresh));
            break;
        }
        case Reach::kPrint: {
            CRecordingDC printEdited;
            CRecordingDC printFresh;
            for (auto [paper, printer] : {std::pair{&edited, &printEdited}, std::pair{&fresh, &printFresh}}) {
                LAYOUT_CONTEXT context;
                context.page = last;
                paper->root.LayoutPage(&context, paper->root.m_vertical);
                context = LAYOUT_CONTEXT();
                context.page = last;
                paper->root.DrawPage(printer, &map, &context);
            }
            EXPECT_FALSE(TextDrawn(printFresh).empty());
            EXPECT_EQ(TextDrawn(printEdited), TextDrawn(printFresh));
            // Back on screen, as after printing.
            LayOut(edited, false);
            LayOut(fresh, true);
            break;
        }
        }
        EXPECT_FALSE(edited.root.HasPendingPagination());
        edited.root.SettleAll();
        ExpectSamePaper(edited, fresh);
        if (HasFailure())
            return;
    }
    EXPECT_EQ(waited, static_cast<int>(steps.size()));
}

INSTANTIATE_TEST_SUITE_P(Papers, IncrementalLayoutTest,
                         ::testing::Values(std::pair{1, 0}, std::pair{1, 1}, std::pair{2, 0}, std::pair{2, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "_columns_" + (info.param.second ? "vertical" : "horizontal");
                         });

}  // namespace
