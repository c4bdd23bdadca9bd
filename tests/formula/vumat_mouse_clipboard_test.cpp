// The formula view's mouse selection, clipboard and undo: drags levelled across template
// levels, Shift+drag, right clicks; copies and pastes between formulas and with the problem
// editor's node format, pasted text and its faces, bad clipboard data; one undo and redo per
// recorded code.
#include "vumat_commands_fixture.h"

#include "base/gdi_cache.h"
#include "math/formula_paste.h"
#include "math/math_char.h"
#include "nodes/clipboard_paste.h"
#include "nodes/edit_object.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"

#include <memory>
#include "platform/clipboard.h"


using namespace formulatest;

namespace {

class VumatMouseTest : public VumatCommandsTest {
protected:
    // A client point inside the node: at a quarter of its width from the left (the caret goes
    // before it) or from the right (after it), half-way down.
    POINT At(const CEditNode* node, bool rightPart = false) const
    {
        const RECT& r = node->m_rcLayout;
        const int quarter = (r.right - r.left) / 4;
        POINT p{rightPart ? r.right - quarter : r.left + quarter, (r.top + r.bottom) / 2};
        view.LogicalToDevicePoint(&p);
        return p;
    }
    void Drag(POINT from, POINT to, bool shift = false)
    {
        view.OnLButtonDown(from, shift);
        view.OnMouseMove(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}, shift);
        view.OnMouseMove(to, shift);
        view.OnLButtonUp(to, shift);
    }
    CEditNode* Child(int i) const { return Formula()->GetEditChild(i); }
};

TEST_F(VumatMouseTest, DragAcrossTemplateLevelsSelectsWholeNodes)
{
    // a, a fraction holding x over y, b
    Type(u"a");
    view.OnCommand(180);
    Type(u"x");
    view.Caret().m_caretNode = Formula()->GetEditChild(Formula()->GetChildCount() - 1);
    Type(u"b");
    CEditNode* fraction = Child(1);
    CEditNode* x = fraction->GetEditChild(0);

    Drag(At(x), At(Child(2)));

    EXPECT_EQ(view.GetCaret().m_anchorNode, fraction);
    EXPECT_EQ(view.GetCaret().m_caretNode, Child(2));
}

TEST_F(VumatMouseTest, ShiftDragStartsFromThePreviousAnchorPoint)
{
    Type(u"abcd");
    Drag(At(Child(0)), At(Child(1)));
    ASSERT_EQ(view.GetCaret().m_anchorNode, Child(0));
    Drag(At(Child(2)), At(Child(3)), true);
    EXPECT_EQ(view.GetCaret().m_anchorNode, Child(0));
    EXPECT_EQ(view.GetCaret().m_caretNode, Child(3));
    // Without Shift the drag starts where it starts.
    Drag(At(Child(2)), At(Child(3)));
    EXPECT_EQ(view.GetCaret().m_anchorNode, Child(2));
}

TEST_F(VumatMouseTest, ClickPlacesTheCaretAndClearsTheSelection)
{
    Type(u"abc");
    Select(Formula(), 0, 1);
    const POINT rightOfB = At(Child(1), true);
    view.OnLButtonDown(rightOfB, false);
    view.OnLButtonUp(rightOfB, false);
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    // The right half of b puts the caret before c.
    EXPECT_EQ(view.GetCaret().m_caretNode, Child(2));
}

TEST_F(VumatMouseTest, RightClickOnTheSelectionKeepsItElsewhereMovesTheCaret)
{
    Type(u"abcd");
    Select(Formula(), 0, 1);
    view.OnRButtonDown(At(Child(0)));
    EXPECT_EQ(view.GetCaret().m_anchorNode, Child(0));
    ASSERT_EQ(host.menus.size(), 1u);
    EXPECT_EQ(host.menus[0].first, 316);
    EXPECT_EQ(host.menus[0].second.x, At(Child(0)).x + 1000);

    view.OnRButtonDown(At(Child(3)));
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    EXPECT_EQ(view.GetCaret().m_caretNode, Child(3));
    EXPECT_EQ(host.menus.size(), 2u);
}

TEST_F(VumatMouseTest, SelectAllTakesTheWholeFormulaAtTheRootLevel)
{
    Type(u"ab");
    view.OnCommand(VumatCommand::kSelectAll);
    EXPECT_EQ(view.GetCaret().m_anchorNode, Formula());
    EXPECT_EQ(view.GetCaret().m_caretNode, document.GetRoot()->GetEditChild(1));
}

// ---------------------------------------------------------------------------------------------
// Clipboard

class VumatClipboardTest : public VumatCommandsTest {
protected:
    // A second formula object in the same program.
    struct OTHER {
        OTHER()
        {
            document.OnNewDocument();
            view.OnInitialUpdate();
        }
        CVumatDoc document;
        CCommandsHostStandIn host;
        CVumatView view{document, host};
    };
    const CEditNode* Char(int i) const { return Formula()->GetEditChild(i); }
    std::string Face(int i) const { return Char(i)->m_lf.lfFaceName; }
};

TEST_F(VumatClipboardTest, CopyAndPasteBetweenTwoFormulas)
{
    Type(u"a");
    view.OnCommand(184);
    Type(u"x");
    view.OnCommand(VumatCommand::kSelectAll);
    view.OnCommand(VumatCommand::kEditCopy);

    OTHER other;
    other.view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(Text(dynamic_cast<CEditNode*>(other.document.GetRoot()->GetEditChild(0))), "a[x]");
    // Pasted twice: two copies, and one undo takes the second away.
    other.view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(Text(other.document.GetRoot()->GetEditChild(0)), "a[x]a[x]");
    other.view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(Text(other.document.GetRoot()->GetEditChild(0)), "a[x]");
}

TEST_F(VumatClipboardTest, CutRemovesAndUndoRestores)
{
    Type(u"abc");
    Select(Formula(), 1, 1);
    view.OnCommand(VumatCommand::kEditCut);
    EXPECT_EQ(FormulaText(), "ac");
    view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(FormulaText(), "abc");
    view.OnCommand(VumatCommand::kEditUndo);
    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(FormulaText(), "abc");
}

TEST_F(VumatClipboardTest, FormulasTravelBetweenTheEditors)
{
    // A formula copied from the problem editor's paper pastes as its content.
    auto paper = std::make_unique<CEditMath>();
    paper->CreateDefaultSlots(1);
    paper->GetEditChild(0)->InsertBefore(new CEditMathChar(u'p'));
    paper->GetEditChild(1)->InsertBefore(new CEditMathChar(u'q'));
    CEditNode* copied[] = {paper.get()};
    ASSERT_TRUE(CopyNodesToClipboard(copied));
    view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(FormulaText(), "pq");

    // What the formula editor copies reads back with the problem editor's classes, and its
    // characters become text there.
    view.OnCommand(VumatCommand::kSelectAll);
    view.OnCommand(VumatCommand::kEditCopy);
    PASTED_CLIPBOARD pasted = ReadClipboardForPaste(&ProblemEditorNodeClasses());
    ASSERT_EQ(pasted.nodes.size(), 1u);
    std::unique_ptr<CEditNode> formula = FormulaNodeForText(std::move(pasted.nodes[0]));
    ASSERT_NE(formula, nullptr);
    EXPECT_TRUE(formula->IsKind(EditKind::kMath));
    EXPECT_EQ(Text(formula.get()), "pq");
    // A formula character alone becomes a text character there.
    Select(Formula(), 0, 0);
    view.OnCommand(VumatCommand::kEditCopy);
    pasted = ReadClipboardForPaste(&ProblemEditorNodeClasses());
    ASSERT_EQ(pasted.nodes.size(), 1u);
    std::unique_ptr<CEditNode> text = FormulaNodeForText(std::move(pasted.nodes[0]));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(text->GetKind()), EditKind::kChar);
    EXPECT_EQ(text->GetText(), CStringW(u"p"));
}

TEST_F(VumatClipboardTest, PastedTextTakesTheFacesOfItsCharacters)
{
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA half{}, digit{}, text{};
    fonts.GetHankakuFont(&half, 0);
    fonts.GetMathNumericFont(&digit);
    fonts.GetDefaultFont(&text, 0);
    ASSERT_TRUE(SetClipboardUnicodeText(u"ab1あ"));
    view.OnCommand(VumatCommand::kEditPaste);
    ASSERT_EQ(FormulaText(), "ab1あ");
    EXPECT_EQ(Face(0), half.lfFaceName);
    EXPECT_EQ(Face(1), half.lfFaceName);
    EXPECT_EQ(Face(2), digit.lfFaceName);
    EXPECT_EQ(Face(3), text.lfFaceName);
    EXPECT_EQ(document.History().GetCount(), 1);
}

TEST_F(VumatClipboardTest, PastedTextKeepsPairsAndDropsLoneHalvesAndControls)
{
    ASSERT_TRUE(SetClipboardUnicodeText(std::u16string(u"a\xD800" u"b\xDC00" u"c\t\U0002000B")));
    view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(FormulaText(), "abc\U0002000B");
}

TEST_F(VumatClipboardTest, LongTextPastesWhole)
{
    ASSERT_TRUE(SetClipboardUnicodeText(std::u16string(100000, u'x')));
    view.OnCommand(VumatCommand::kEditPaste);
    EXPECT_EQ(Formula()->GetChildCount(), 100001);
    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(Formula()->GetChildCount(), 1);
}

TEST_F(VumatClipboardTest, BadNodeListsPasteNothing)
{
    const UINT format = RegisterClipboardFormat(kNodeListClipboardFormatName);
    CEditObject object;
    CEditNode* objects[] = {&object};
    const std::vector<BYTE> foreign = NodeListToBytes(objects);
    auto letter = std::make_unique<CEditMathChar>(u'z');
    CEditNode* letters[] = {letter.get()};
    std::vector<BYTE> truncated = NodeListToBytes(letters);
    truncated.resize(truncated.size() / 2);
    const std::vector<BYTE> garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'};
    Type(u"k");
    for (const std::vector<BYTE>* bytes : {&foreign, static_cast<const std::vector<BYTE>*>(&truncated), &garbage}) {
        ASSERT_TRUE(SetClipboardData(format, *bytes));
        view.OnCommand(VumatCommand::kEditPaste);
        EXPECT_EQ(FormulaText(), "k");
        EXPECT_EQ(document.History().GetCount(), 1);
    }
}

TEST_F(VumatClipboardTest, NothingIsPastedAtTheRootLevel)
{
    ASSERT_TRUE(SetClipboardUnicodeText(u"a"));
    view.Caret().m_caretNode = document.GetRoot()->GetEditChild(1);
    view.OnEditPaste();
    EXPECT_EQ(document.GetRoot()->GetChildCount(), 2);
    EXPECT_EQ(FormulaText(), "");
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

struct UNDO_CASE {
    const char* name;
    // Makes the change into the group on the formula's first character.
    void (*change)(CEditNode* character, CUndoGroup* group);
    // What the change touches, as text.
    std::string (*read)(const CEditMathContainer* formula);
};

const char kGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック

std::string FirstFont(const CEditMathContainer* formula)
{
    const LOGFONTA& lf = formula->GetEditChild(0)->m_lf;
    return std::to_string(lf.lfHeight) + "/" + std::to_string(lf.lfWeight) + "/" + std::to_string(lf.lfItalic) +
           "/" + lf.lfFaceName;
}

std::string Kinds(const CEditMathContainer* formula)
{
    std::string text;
    for (int i = 0; i < formula->GetChildCount(); ++i)
        text += Utf16ToUtf8(formula->GetEditChild(i)->GetText().View()) + ";";
    return text;
}

const UNDO_CASE kUndoCases[] = {
    {"FontSize", [](CEditNode* c, CUndoGroup* g) { const SIZE s{0, 500}; c->SetFontSize(&s, g); }, FirstFont},
    {"Bold", [](CEditNode* c, CUndoGroup* g) { c->SetBold(1, g); }, FirstFont},
    {"Italic", [](CEditNode* c, CUndoGroup* g) { c->SetItalic(0, g); }, FirstFont},
    {"Face", [](CEditNode* c, CUndoGroup* g) { c->SetFaceName(kGothic, g); }, FirstFont},
    {"WholeFont",
     [](CEditNode* c, CUndoGroup* g) {
         LOGFONTA lf = c->m_lf;
         lf.lfHeight = -600;
         lf.lfWeight = 700;
         c->SetLogFont(&lf, g);
     },
     FirstFont},
    {"InsertedBefore", [](CEditNode* c, CUndoGroup* g) { InsertRecordedBefore(c, std::make_unique<CEditMathChar>(u'n'), g); },
     Kinds},
    {"InsertedAtIndex",
     [](CEditNode* c, CUndoGroup* g) {
         auto node = std::make_unique<CEditMathChar>(u'n');
         CUndoAction* action = g->RecordNodeEx(UndoCode::kInsertAt, node.get(), nullptr, 1, c->GetEditParent(), 0, 0);
         action->Keep(std::move(node));
         ASSERT_TRUE(action->PutBack());
     },
     Kinds},
    {"RemovedBefore",
     [](CEditNode* c, CUndoGroup* g) {
         CUndoAction* action = g->RecordNode(UndoCode::kRemoveBackward, c, CEditNode::FromNode(c->GetNextSibling()), 0, 0);
         action->TakeOut();
     },
     Kinds},
    {"RemovedForward",
     [](CEditNode* c, CUndoGroup* g) {
         CUndoAction* action = g->RecordNode(UndoCode::kRemoveForward, c, CEditNode::FromNode(c->GetNextSibling()), 0, 0);
         action->TakeOut();
     },
     Kinds},
    {"RemovedAtIndex",
     [](CEditNode* c, CUndoGroup* g) {
         CUndoAction* action = g->RecordNodeEx(UndoCode::kRemoveAt, c, nullptr, 0, c->GetEditParent(), 0, 0);
         action->TakeOut();
     },
     Kinds},
};

class VumatUndoTest : public VumatCommandsTest, public ::testing::WithParamInterface<UNDO_CASE> {};

TEST_P(VumatUndoTest, UndoTakesTheChangeBackAndRedoMakesItAgain)
{
    const UNDO_CASE& c = GetParam();
    Type(u"ab");
    CEditMathContainer* formula = Formula();
    const std::string before = c.read(formula);
    auto group = std::make_unique<CUndoGroup>();
    c.change(formula->GetEditChild(0), group.get());
    const std::string after = c.read(formula);
    ASSERT_NE(after, before);
    document.PushUndo(std::move(group));

    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(c.read(formula), before);
    EXPECT_TRUE(document.IsModified());
    view.OnCommand(VumatCommand::kEditRedo);
    EXPECT_EQ(c.read(formula), after);
}

INSTANTIATE_TEST_SUITE_P(Codes, VumatUndoTest, ::testing::ValuesIn(kUndoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VumatCommandsTest, RedoWithNothingUndoneChangesNothing)
{
    Type(u"ab");
    const int position = document.History().GetPosition();
    view.OnCommand(VumatCommand::kEditRedo);
    EXPECT_EQ(FormulaText(), "ab");
    EXPECT_EQ(document.History().GetPosition(), position);
    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(FormulaText(), "a");
}

TEST_F(VumatCommandsTest, UndoOfATemplateDetachesItAndRedoPutsItBeforeTheSameNeighbour)
{
    Type(u"ab");
    view.Caret().m_caretNode = Formula()->GetEditChild(1);
    view.OnCommand(180);
    ASSERT_EQ(FormulaText(), "a[|]b");
    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(FormulaText(), "ab");
    EXPECT_EQ(view.GetCaret().m_caretNode, Formula()->GetEditChild(1));
    view.OnCommand(VumatCommand::kEditRedo);
    EXPECT_EQ(FormulaText(), "a[|]b");
}

}  // namespace
