// Typing, deleting and moving at the caret: key sequences on a laid-out paper give the expected
// tree, caret and undo records, and the records take the paper back. Characters are ASCII,
// 50 wide and 100 high.
#include "paper_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/edit_families.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <functional>
#include <string>
#include <vector>

using namespace nodetest;
using namespace papertest;

namespace {

// Replays a whole group; false when a code was unknown or the replay gave up.
bool Replayed(UndoDirection direction, CUndoGroup& group)
{
    const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, direction);
    return result.unknown == 0 && !result.abandoned;
}

// Stand-ins for the kanbun and formula families.
class TestKanChar : public CEditChar {
public:
    explicit TestKanChar(const CStringW& text) : CEditChar(EditKind::Code(EditKind::kKanChar)) { SetText(text); }
};

class TestKunten : public CEditContainer, public IKuntenBox {
public:
    explicit TestKunten(int maxChars, uint32_t kind = EditKind::kKunten)
        : CEditContainer(EditKind::Code(kind)), m_maxChars(maxChars)
    {
        m_caretStop = 0;
    }
    int GetMaxChars() const override { return m_maxChars; }

private:
    int m_maxChars;
};

class TestKanbunCell : public CEditContainer, public IKanbunCell {
public:
    explicit TestKanbunCell(int mode) : CEditContainer(EditKind::Code(EditKind::kKan)), m_mode(mode) {}
    int GetHyphenMode() const override { return m_mode; }
    void SetHyphenMode(int mode) override { m_mode = mode; }

private:
    int m_mode;
};

// Registers the kanbun character maker for one test.
class KanbunMakers {
public:
    KanbunMakers() : m_saved(EditFamilyMakers())
    {
        EditFamilyMakers().kanChar = [](const CStringW& text) -> CEditChar* { return new TestKanChar(text); };
    }
    ~KanbunMakers() { EditFamilyMakers() = m_saved; }

private:
    EDIT_FAMILY_MAKERS m_saved;
};

enum class Key { Type, Chars, Backspace, Delete, Enter, Left, Right, Up, Down, Home, End, ShiftLeft, ShiftRight };

struct Step {
    Key key;
    const char16_t* text = nullptr;
};

class CaretEditingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    // Paragraphs of the paper; a text starting with "~" makes a hidden one.
    void Build(const std::vector<std::u16string>& paragraphs)
    {
        for (const std::u16string& text : paragraphs) {
            auto* part = new CEditSentence();
            const bool hidden = !text.empty() && text[0] == u'~';
            AddText(part, hidden ? std::u16string_view(text).substr(1) : std::u16string_view(text));
            AddCR(part);
            if (hidden)
                part->m_hidden = 1;
            root.AppendChild(part);
        }
        Relayout();
    }

    void Relayout()
    {
        LAYOUT_CONTEXT measure;
        root.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout;
        root.Layout(&layout, 0);
    }

    CEditNode* At(int paragraph, int index) { return root.GetEditChild(paragraph)->GetEditChild(index); }

    void PlaceCaret(int paragraph, int index)
    {
        caret.Reset();
        caret.m_caretNode = At(paragraph, index);
        caret.m_rememberedX = -1;
    }

    BOOL Press(const Step& step)
    {
        CEditNode* node = caret.m_caretNode;
        CStringW text(step.text != nullptr ? step.text : u"");
        BOOL result = FALSE;
        switch (step.key) {
        case Key::Type: result = node->InsertString(&caret, &text, group.get()); break;
        case Key::Chars: result = node->InsertChars(&caret, &text, group.get()); break;
        case Key::Backspace: result = node->DeleteBackward(&caret, group.get()); break;
        case Key::Delete: result = node->DeleteForward(&caret, group.get()); break;
        case Key::Enter: result = node->InsertLineBreak(&caret, group.get()); break;
        case Key::Left: result = node->MovePrev(&caret, 0) != nullptr; break;
        case Key::Right: result = node->MoveNext(&caret, 0) != nullptr; break;
        case Key::Up: result = node->MoveUp(&caret, 0) != nullptr; break;
        case Key::Down: result = node->MoveDown(&caret, 0) != nullptr; break;
        case Key::Home: result = node->MoveHome(&caret, 0) != nullptr; break;
        case Key::End: result = node->MoveEnd(&caret, 0) != nullptr; break;
        case Key::ShiftLeft: result = node->MovePrev(&caret, 1) != nullptr; break;
        case Key::ShiftRight: result = node->MoveNext(&caret, 1) != nullptr; break;
        }
        Relayout();
        return result;
    }

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (int i = 0; i < group->GetCount(); ++i)
            codes.push_back(group->GetAt(i)->m_code);
        return codes;
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    CEditPrint root;
    CCaret caret;
    std::unique_ptr<CUndoGroup> group = std::make_unique<CUndoGroup>();  // dropped before the paper
};

constexpr int kInsert = UndoCode::kInsertBefore;
constexpr int kRemoveBack = UndoCode::kRemoveBackward;
constexpr int kRemoveFwd = UndoCode::kRemoveForward;

struct KeyCase {
    const char* name;
    std::vector<std::u16string> paper;
    int paragraph;
    int index;
    std::vector<Step> steps;
    std::u16string result;
    int caretParagraph;
    int caretIndex;
    std::vector<int> codes;
    bool lastSucceeded = true;
};

}  // namespace

TEST_F(CaretEditingTest, KeySequences)
{
    const KeyCase cases[] = {
        {"a string is one node", {u"abc"}, 0, 1, {{Key::Type, u"XY"}}, u"aXYbc|", 0, 2, {kInsert}},
        {"characters are one node each", {u"abc"}, 0, 1, {{Key::Chars, u"XY"}}, u"aXYbc|", 0, 3, {kInsert, kInsert}},
        {"backspace", {u"abc"}, 0, 1, {{Key::Backspace}}, u"bc|", 0, 0, {kRemoveBack}},
        {"backspace at the start", {u"abc"}, 0, 0, {{Key::Backspace}}, u"abc|", 0, 0, {}, false},
        {"delete", {u"abc"}, 0, 1, {{Key::Delete}}, u"ac|", 0, 1, {kRemoveFwd}},
        {"delete at the final break", {u"abc"}, 0, 3, {{Key::Delete}}, u"abc|", 0, 3, {}, false},
        {"backspace takes a typed break back", {u"ab"}, 0, 2, {{Key::Enter}, {Key::Backspace}}, u"ab|", 0, 2,
         {kInsert, kRemoveBack}},
        {"enter splits the line", {u"abc"}, 0, 1, {{Key::Enter}}, u"a|bc|", 0, 2, {kInsert}},
        {"typing and taking it back", {u"abc"}, 0, 1, {{Key::Type, u"X"}, {Key::Backspace}}, u"abc|", 0, 1,
         {kInsert, kRemoveBack}},
        {"selection deleted", {u"abcd"}, 0, 0, {{Key::ShiftRight}, {Key::ShiftRight}, {Key::Delete}}, u"cd|", 0, 0,
         {kRemoveBack, kRemoveBack}},
        {"selection back onto its anchor takes that node", {u"abc"}, 0, 0,
         {{Key::ShiftRight}, {Key::ShiftLeft}, {Key::Backspace}}, u"bc|", 0, 0, {kRemoveBack}},
        {"a selection of the final break keeps it", {u"ab"}, 0, 2,
         {{Key::ShiftLeft}, {Key::ShiftRight}, {Key::Delete}}, u"ab|", 0, 2, {}},
        {"left into the previous paragraph", {u"abc", u"de"}, 1, 0, {{Key::Left}}, u"abc|/de|", 0, 3, {}},
        {"right into the next paragraph", {u"abc", u"de"}, 0, 3, {{Key::Right}}, u"abc|/de|", 1, 0, {}},
        {"left at the paper's start", {u"abc"}, 0, 0, {{Key::Left}}, u"abc|", 0, 0, {}, false},
        {"home", {u"abc"}, 0, 2, {{Key::Home}}, u"abc|", 0, 0, {}},
        {"end", {u"abc"}, 0, 1, {{Key::End}}, u"abc|", 0, 3, {}},
        {"up keeps the column", {u"abc", u"de"}, 1, 1, {{Key::Up}}, u"abc|/de|", 0, 1, {}},
        {"down keeps the column", {u"abc", u"de"}, 0, 1, {{Key::Down}}, u"abc|/de|", 1, 1, {}},
        {"down past the line's end", {u"abcd", u"x"}, 0, 3, {{Key::Down}}, u"abcd|/x|", 1, 1, {}},
        {"down twice through a short line", {u"abcd", u"x", u"abcd"}, 0, 2, {{Key::Down}, {Key::Down}},
         u"abcd|/x|/abcd|", 2, 2, {}},
        {"up over a hidden paragraph", {u"abc", u"~xy", u"de"}, 2, 1, {{Key::Up}}, u"abc|/xy|/de|", 0, 1, {}},
        {"up from the first line", {u"ab", u"cdef"}, 1, 3, {{Key::Up}}, u"ab|/cdef|", 0, 2, {}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        group = std::make_unique<CUndoGroup>();
        root.DeleteAllChildren();
        Build(c.paper);
        const std::u16string before = Dump(&root);
        PlaceCaret(c.paragraph, c.index);
        BOOL last = FALSE;
        for (const Step& step : c.steps)
            last = Press(step);
        EXPECT_EQ(last != FALSE, c.lastSucceeded);
        EXPECT_EQ(Dump(&root), c.result);
        EXPECT_EQ(caret.m_caretNode, At(c.caretParagraph, c.caretIndex));
        EXPECT_EQ(Codes(), c.codes);
        // The records take the paper back to where it was, make the change again and take it
        // back once more: the same node objects go out and in.
        ASSERT_TRUE(Replayed(UndoDirection::Undo, *group));
        EXPECT_EQ(Dump(&root), before);
        ASSERT_TRUE(Replayed(UndoDirection::Redo, *group));
        EXPECT_EQ(Dump(&root), c.result);
        ASSERT_TRUE(Replayed(UndoDirection::Undo, *group));
        EXPECT_EQ(Dump(&root), before);
    }
}

TEST_F(CaretEditingTest, UndoRecordsNameTheNeighbours)
{
    Build({u"abcd"});
    PlaceCaret(0, 2);
    CEditNode* b = At(0, 1);
    CEditNode* c = At(0, 2);
    CEditNode* d = At(0, 3);
    Press({Key::Backspace});
    Press({Key::Delete});
    Press({Key::Type, u"X"});
    ASSERT_EQ(group->GetCount(), 3);
    EXPECT_EQ(group->GetAt(0)->m_pNode, b);
    EXPECT_EQ(group->GetAt(0)->m_pSecondNode, c);
    EXPECT_EQ(group->GetAt(1)->m_pNode, c);
    EXPECT_EQ(group->GetAt(1)->m_pSecondNode, d);
    EXPECT_EQ(group->GetAt(2)->m_pSecondNode, d);
    EXPECT_EQ(b->GetParent(), nullptr);  // kept by the group, not deleted
    EXPECT_EQ(group->GetAt(2)->m_pNode->m_lf.lfHeight, caret.m_logFont.lfHeight);
}

TEST_F(CaretEditingTest, EnterTakesOverTheAlignmentOfTheSplitLine)
{
    Build({u"abc"});
    auto* lineBreak = dynamic_cast<CEditCR*>(At(0, 3));
    lineBreak->m_textAlign = 2;
    lineBreak->m_lineSpacing = 35;
    PlaceCaret(0, 1);
    caret.m_verticalMove = 1;
    caret.m_anchorNode = At(0, 0);
    caret.m_ownerValue = 7;
    // A selection does not stop the split; the break is inserted at the caret.
    ASSERT_TRUE(At(0, 1)->InsertLineBreak(&caret, group.get()));
    auto* inserted = dynamic_cast<CEditCR*>(At(0, 1));
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->m_textAlign, 2);
    EXPECT_EQ(inserted->m_lineSpacing, 35);
    EXPECT_EQ(caret.m_caretNode, At(0, 2));
    EXPECT_EQ(caret.m_verticalMove, 0);
    EXPECT_EQ(caret.m_anchorNode, nullptr);
    EXPECT_EQ(caret.m_ownerValue, 0);
}

TEST_F(CaretEditingTest, PlacesThatRefuseALineBreak)
{
    struct Place {
        uint32_t kind;
        bool refused;
    };
    const Place places[] = {
        {EditKind::kRubyText, true}, {EditKind::kRubyBase, true}, {EditKind::kCyukai, true},
        {EditKind::kMath, true},     {EditKind::kKasen, false},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.kind);
        root.DeleteAllChildren();
        Build({u"ab"});
        auto* inner = new CEditContainer(EditKind::Code(place.kind));
        At(0, 0)->InsertBefore(inner);
        AddChar(inner, u'x');
        AddCR(inner);
        PlaceCaret(0, 0);
        caret.m_caretNode = inner->GetEditChild(0);
        CUndoGroup local;
        EXPECT_EQ(caret.m_caretNode->InsertLineBreak(&caret, &local) != FALSE, !place.refused);
        EXPECT_EQ(inner->GetChildCount(), place.refused ? 2 : 3);
    }
}

TEST_F(CaretEditingTest, FormulaAndReadingMarkBreaksStay)
{
    Build({u"ab"});
    auto* formula = new CEditContainer(EditKind::Code(EditKind::kMath));
    At(0, 0)->InsertBefore(formula);
    AddCR(formula);
    AddChar(formula, u'x');
    AddCR(formula);
    PlaceCaret(0, 0);
    caret.m_caretNode = formula->GetEditChild(1);
    EXPECT_FALSE(caret.m_caretNode->DeleteBackward(&caret, group.get()));  // the slot end before it
    caret.m_anchorNode = formula->GetEditChild(0);
    caret.m_caretNode = formula->GetEditChild(2);
    // A selection stops at a slot end it must keep.
    EXPECT_TRUE(caret.m_caretNode->DeleteSelection(&caret, group.get()));
    EXPECT_EQ(formula->GetChildCount(), 3);

    auto* box = new TestKunten(1);
    At(0, 0)->InsertBefore(box);
    AddChar(box, u'y');
    AddCR(box);
    AddChar(box, u'z');
    caret.ClearSelection();
    caret.m_caretNode = box->GetEditChild(1);
    EXPECT_FALSE(caret.m_caretNode->DeleteForward(&caret, group.get()));
    caret.m_caretNode = box->GetEditChild(2);
    EXPECT_FALSE(caret.m_caretNode->DeleteBackward(&caret, group.get()));
    EXPECT_EQ(box->GetChildCount(), 3);
    EXPECT_EQ(group->GetCount(), 0);
}

TEST_F(CaretEditingTest, AFullReadingMarkBoxTakesNothingAndSaysSo)
{
    KanbunMakers makers;
    Build({u"ab"});
    auto* box = new TestKunten(2);
    At(0, 0)->InsertBefore(box);
    AddCR(box);
    PlaceCaret(0, 0);
    caret.m_caretNode = box->GetEditChild(0);
    CStringW text(u"レ");
    // Room for two character nodes: two strings go in, whole; a third is refused.
    EXPECT_TRUE(caret.m_caretNode->InsertString(&caret, &text, group.get()));
    EXPECT_TRUE(caret.m_caretNode->InsertString(&caret, &text, group.get()));
    EXPECT_FALSE(caret.m_caretNode->InsertString(&caret, &text, group.get()));
    EXPECT_EQ(box->GetChildCount(), 3);
    EXPECT_TRUE(box->GetEditChild(0)->IsKind(EditKind::kKanChar));
    EXPECT_EQ(group->GetCount(), 2);

    // Typed characters: one while the box holds only its line break, then nothing.
    auto* single = new TestKunten(1);
    At(0, 0)->InsertBefore(single);
    AddCR(single);
    caret.m_caretNode = single->GetEditChild(0);
    CStringW two(u"一二");
    EXPECT_TRUE(caret.m_caretNode->InsertChars(&caret, &two, group.get()));
    EXPECT_EQ(single->GetChildCount(), 2);
    EXPECT_FALSE(caret.m_caretNode->InsertChars(&caret, &two, group.get()));
    EXPECT_EQ(single->GetChildCount(), 2);
    EXPECT_EQ(group->GetCount(), 3);
}

TEST_F(CaretEditingTest, FormulaTypingNeedsItsFamily)
{
    Build({u"ab"});
    auto* formula = new CEditContainer(EditKind::Code(EditKind::kMath));
    At(0, 0)->InsertBefore(formula);
    AddCR(formula);
    PlaceCaret(0, 0);
    caret.m_caretNode = formula->GetEditChild(0);
    CStringW text(u"x");
    // Without the formula family nothing can be made, and nothing is claimed.
    EXPECT_FALSE(caret.m_caretNode->InsertString(&caret, &text, group.get()));
    EXPECT_EQ(formula->GetChildCount(), 1);
}

TEST_F(CaretEditingTest, KanbunCellTable)
{
    struct Move {
        int mode;
        Key key;
        int from;
        int to;
    };
    const Move moves[] = {
        {0, Key::Up, 0, 2},    {0, Key::Up, 3, 1},    {0, Key::Up, 5, 4},    {0, Key::Up, 6, 2},
        {0, Key::Down, 2, 1},  {0, Key::Down, 4, 5},  {0, Key::Down, 6, 3},  {0, Key::Left, 1, 0},
        {0, Key::Left, 3, 0},  {0, Key::Left, 4, 1},  {0, Key::Left, 5, 1},  {0, Key::Left, 6, 4},
        {0, Key::Right, 0, 1}, {0, Key::Right, 2, 4}, {0, Key::Right, 3, 5}, {0, Key::Right, 5, 6},
        {1, Key::Up, 0, 2},    {1, Key::Up, 3, 1},    {1, Key::Up, 4, 2},    {1, Key::Down, 2, 1},
        {1, Key::Down, 4, 3},  {1, Key::Left, 4, 1},  {1, Key::Left, 2, 0},  {1, Key::Right, 0, 1},
        {1, Key::Right, 3, 4},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(std::to_string(move.mode) + " " + std::to_string(static_cast<int>(move.key)) + " from " +
                     std::to_string(move.from));
        TestKanbunCell cell(move.mode);
        const int boxes = move.mode == 0 ? 7 : 5;
        for (int b = 0; b < boxes; ++b) {
            auto* box = new TestKunten(1, b == 2 || b == 3 ? EditKind::kOkurigana : EditKind::kKunten);
            cell.AppendChild(box);
            box->AppendChild(new TestKanChar(CStringW(static_cast<char16_t>(u'0' + b))));
            AddCR(box);
        }
        CEditNode* from = cell.GetEditChild(move.from);
        caret.Reset();
        caret.m_caretNode = move.key == Key::Right ? from->GetEditChild(1) : from->GetEditChild(0);
        CEditNode* result = nullptr;
        switch (move.key) {
        case Key::Up: result = caret.m_caretNode->MoveUp(&caret, 0); break;
        case Key::Down: result = caret.m_caretNode->MoveDown(&caret, 0); break;
        case Key::Left: result = caret.m_caretNode->MovePrev(&caret, 0); break;
        default: result = caret.m_caretNode->MoveNext(&caret, 0); break;
        }
        EXPECT_EQ(result, cell.GetEditChild(move.to)->GetEditChild(0));
        EXPECT_EQ(caret.m_caretNode, result);
    }
}

TEST_F(CaretEditingTest, EmptyFloatingFrameGoesAndComesBackInPlace)
{
    Build({u"ab"});
    auto* frame = new TestFrame(1, 300, 300);
    At(0, 1)->InsertBefore(frame);  // a [frame] b |
    AddChar(frame, u'x');
    AddCR(frame);
    Relayout();
    const std::u16string before = Dump(&root);
    EXPECT_EQ(before, u"a[x|]b|");
    EXPECT_EQ(root.FindEmptyFloat(), nullptr);

    PlaceCaret(0, 0);
    caret.m_caretNode = frame->GetEditChild(1);
    ASSERT_TRUE(caret.m_caretNode->DeleteBackward(&caret, group.get()));
    // The frame, now empty, went too; the caret left it for the node before it.
    EXPECT_EQ(Dump(&root), u"ab|");
    EXPECT_EQ(caret.m_caretNode, At(0, 0));
    EXPECT_EQ((std::vector<int>{kRemoveBack, kRemoveFwd}), [&] {
        std::vector<int> codes;
        for (int i = 0; i < group->GetCount(); ++i)
            codes.push_back(group->GetAt(i)->m_code);
        return codes;
    }());
    ASSERT_TRUE(Replayed(UndoDirection::Undo, *group));
    EXPECT_EQ(Dump(&root), before);
}

TEST_F(CaretEditingTest, CaretDeepInsideTheEmptyFrameLeavesItBeforeItGoes)
{
    // The frame's one child is a small editor of its own; the caret stands inside that.
    Build({u"ab"});
    auto* frame = new TestFrame(1, 300, 300);
    At(0, 1)->InsertBefore(frame);
    auto* inner = new CEditEdit();
    frame->AppendChild(inner);
    AddChar(inner, u'x');
    AddCR(inner);
    Relayout();
    const std::u16string before = Dump(&root);
    EXPECT_EQ(before, u"a[[x|]]b|");

    for (const bool withGroup : {true, false}) {
        SCOPED_TRACE(withGroup);
        if (!withGroup) {
            ASSERT_TRUE(Replayed(UndoDirection::Undo, *group));
            group = std::make_unique<CUndoGroup>();
            ASSERT_EQ(Dump(&root), before);
        }
        PlaceCaret(0, 0);
        caret.m_caretNode = inner->GetEditChild(1);
        ASSERT_TRUE(caret.m_caretNode->DeleteBackward(&caret, withGroup ? group.get() : nullptr));
        // The frame went, and the caret is not left inside it.
        EXPECT_EQ(Dump(&root), u"ab|");
        EXPECT_EQ(caret.m_caretNode, At(0, 0));
    }
}

TEST_F(CaretEditingTest, SelectionIsDrawnInverted)
{
    Build({u"abc"});
    PlaceCaret(0, 2);
    caret.m_anchorNode = At(0, 0);
    dc.ClearCalls();
    At(0, 2)->DrawSelection(&dc, &map, &caret);
    const std::vector<GdiCall> rects = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].rop2, R2_NOT);
    EXPECT_TRUE(SameRect(rects[0].rect, At(0, 0)->m_rcHit));
    EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
}

TEST_F(CaretEditingTest, PositionAndLineQueries)
{
    Build({u"abcdef", u"gh"});
    CEditSentence* first = dynamic_cast<CEditSentence*>(root.GetEditChild(0));
    // A line that wraps without a line break ends at its last node.
    first->m_areaWidth = 150;
    Relayout();
    ASSERT_EQ(first->GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(At(0, 1)->LineEnd(), At(0, 2));
    EXPECT_EQ(At(0, 4)->LineStart(), At(0, 3));
    EXPECT_EQ(At(0, 4)->LineEnd(), At(0, 6));
    EXPECT_EQ(At(0, 6)->LineEnd(), At(0, 6));

    EXPECT_EQ(first->FirstCaretStop(), At(0, 0));
    EXPECT_EQ(first->LastCaretStop(), At(0, 6));
    EXPECT_EQ(root.GetEditChild(1)->GetLastInner(), At(1, 2));
    first->m_hidden = 1;
    EXPECT_EQ(first->FirstCaretStop(), nullptr);
    first->m_hidden = 0;

    int after = 1;
    EXPECT_EQ(At(0, 6)->PrevPosition(&after), nullptr);  // from after the break to before it
    EXPECT_EQ(after, 0);
    EXPECT_EQ(At(1, 0)->PrevPosition(&after), At(0, 6));
    after = 1;
    EXPECT_EQ(At(0, 6)->NextPosition(&after), At(1, 0));
    EXPECT_EQ(after, 0);
}
