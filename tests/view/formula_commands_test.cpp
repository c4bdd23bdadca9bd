// Formula mode and the template frame, furigana and tables: what each command leaves in the
// paper, its undo groups and the places where it refuses.
#include "view_fixture.h"

#include "math/formula.h"
#include "math/formula_family.h"
#include "math/math_templates.h"
#include "nodes/edit_table.h"
#include "nodes/page_furniture.h"
#include "nodes/ruby.h"

using namespace viewtest;

namespace {

constexpr int kFraction = 180;
constexpr int kSizedMatrix = 235;

class FormulaCommandTest : public ViewTest {
protected:
    FormulaCommandTest()
    {
        RegisterFormulaFamily();
        view.m_matrixDialog = [this](int*, int*) { return matrixAnswer; };
        view.m_tableInsertDialog = [this](int* rows, int* columns) {
            tableOpened = {*rows, *columns};
            if (!tableAnswer)
                return false;
            *rows = tableRows;
            *columns = tableColumns;
            return true;
        };
        view.m_tableFormatDialog = [this](int* frame, int* width) {
            formatOpened = {*frame, *width};
            *frame = formatFrame;
            *width = formatWidth;
            return true;
        };
    }

    CEditNode* Part(int paragraph) { return document.root->GetEditChild(paragraph); }

    // The reading, the base and the ruby pair's place in its paragraph, as text.
    static std::u16string RubyBase(CEditNode* ruby)
    {
        std::u16string text;
        CEditNode* base = static_cast<CEditRuby*>(ruby)->GetBase();
        for (int i = 0; i < base->GetChildCount(); ++i)
            text += base->GetEditChild(i)->HasKindFlags(EditKind::kLineBreak) ? u"|" : base->GetEditChild(i)->GetText().View();
        return text;
    }

    // Makes a ruby pair over the characters [from, to] of the paragraph and types its reading.
    void AddRuby(int paragraph, int from, int to, char16_t reading)
    {
        Select(paragraph, from, to + 1);
        ASSERT_TRUE(view.OnCommand(ViewCommand::kFurigana));
        view.OnChar(reading);
    }

    bool matrixAnswer = false;
    bool tableAnswer = true;
    int tableRows = 2;
    int tableColumns = 2;
    std::pair<int, int> tableOpened{};
    int formatFrame = 0;
    int formatWidth = 0;
    std::pair<int, int> formatOpened{};
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Formula mode and the template frame

TEST_F(FormulaCommandTest, TemplateInTextIsOneGroupThatOneUndoRemoves)
{
    Build({u"abc"});
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(kFraction));
    EXPECT_EQ(Describe(Part(0)), "c:a math[frac |] c:b c:c |");
    EXPECT_TRUE(view.GetCaret().m_caretNode->GetEditParent()->IsKind(EditKind::kFrac));
    EXPECT_EQ(document.groups.size(), 1u);
    EXPECT_TRUE(document.modified);

    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b c:c |");
    view.OnCommand(ViewCommand::kEditRedo);
    EXPECT_EQ(Describe(Part(0)), "c:a math[frac |] c:b c:c |");
}

TEST_F(FormulaCommandTest, TemplateReplacesTheSelectionAndOneUndoRestoresIt)
{
    Build({u"abcd"});
    Select(0, 1, 3);
    ASSERT_TRUE(view.OnCommand(kFraction));
    EXPECT_EQ(Describe(Part(0)), "c:a math[frac |] c:d |");
    EXPECT_EQ(document.groups.size(), 1u);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b c:c c:d |");
}

TEST_F(FormulaCommandTest, CancelledMatrixLeavesAnEmptyFormulaThatOneUndoRemoves)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(kSizedMatrix));
    EXPECT_EQ(Describe(Part(0)), "c:a math[|] c:b |");
    EXPECT_EQ(document.groups.size(), 1u);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b |");
}

TEST_F(FormulaCommandTest, MatrixSizeOutsideTheDialogsRangeBuildsNothing)
{
    Build({u"ab"});
    for (auto [rows, columns] : {std::pair{0, 2}, {2, -1}, {100, 1}}) {
        view.m_matrixDialog = [rows, columns](int* r, int* c) {
            *r = rows;
            *c = columns;
            return true;
        };
        PlaceCaret(0, 1);
        ASSERT_TRUE(view.OnCommand(kSizedMatrix));
        EXPECT_EQ(Describe(Part(0)), "c:a math[|] c:b |");
        view.OnCommand(ViewCommand::kEditUndo);
    }
}

TEST_F(FormulaCommandTest, FormulaModeOnAndOffMakesTwoGroupsThatUndoAndRedo)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    CEditNode* b = At(0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    EXPECT_EQ(Describe(Part(0)), "c:a math[|] c:b |");
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kMathMode).check, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    EXPECT_EQ(Describe(Part(0)), "c:a c:b |");
    EXPECT_EQ(view.GetCaret().m_caretNode, b);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kMathMode).check, 0);
    EXPECT_EQ(document.groups.size(), 2u);
    // Entering and leaving formula mode does not mark the paper modified.
    EXPECT_FALSE(document.modified);

    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a math[|] c:b |");
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b |");
    view.OnCommand(ViewCommand::kEditRedo);
    EXPECT_EQ(Describe(Part(0)), "c:a math[|] c:b |");
    view.OnCommand(ViewCommand::kEditRedo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b |");
}

TEST_F(FormulaCommandTest, FormulaModeSwapsTheTypingFontsAndInputStates)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    view.UpdateCaret(TRUE);
    view.OnImeOpenStatus(true);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    EXPECT_EQ(view.GetImeOpenText(), 1);
    EXPECT_FALSE(view.IsImeOpen());
    view.OnChar(u'x');
    EXPECT_EQ(Describe(Part(0)), "c:a math[m:x |] c:b |");
    EXPECT_EQ(view.GetCaret().m_logFont.lfItalic, 1);
    // Opening the input method in a formula is remembered for the next formula.
    view.OnImeOpenStatus(true);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    EXPECT_EQ(view.GetImeOpenMath(), 1);
    EXPECT_TRUE(view.IsImeOpen());
    view.OnChar(u'y');
    EXPECT_EQ(Describe(Part(0)), "c:a math[m:x |] c:y c:b |");

    // The idle update of the command follows the caret in and out of the formula.
    view.OnImeOpenStatus(false);
    view.SetCaretNode(At(0, 1)->GetEditChild(1));
    view.UpdateCaret(TRUE);
    view.OnUpdateCommand(ViewCommand::kMathMode);
    EXPECT_TRUE(view.IsImeOpen());
    PlaceCaret(0, 0);
    view.UpdateCaret(TRUE);
    view.OnUpdateCommand(ViewCommand::kMathMode);
    EXPECT_FALSE(view.IsImeOpen());
}

TEST_F(FormulaCommandTest, LeavingFromANestedFractionGoesAfterTheOuterFormula)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(kFraction));
    view.OnChar(u'x');
    ASSERT_TRUE(view.GetCaret().m_caretNode->GetEditParent()->IsKind(EditKind::kFrac));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 2));
    EXPECT_EQ(Text(0), u"ab|");
}

TEST_F(FormulaCommandTest, PageBreakBlockRefusesFormulaModeAndTemplates)
{
    Build({u"ab"});
    auto* pageBreak = new CEditKaiPage();
    pageBreak->Fill();
    document.root->AppendChild(pageBreak);
    view.OnUpdate(UpdateHint::kAll);
    view.SetCaretNode(pageBreak->GetEditChild(0));
    for (int id : {ViewCommand::kMathMode, kFraction, 237}) {
        SCOPED_TRACE(id);
        view.OnCommand(id);
        EXPECT_EQ(pageBreak->GetChildCount(), 1);
        EXPECT_TRUE(document.groups.empty());
    }
}

TEST_F(FormulaCommandTest, FormulaModeIsCheckedExactlyInAFormula)
{
    Build({u"ab"});
    view.SetCaretNode(nullptr);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kMathMode).enabled);
    PlaceCaret(0, 0);
    CMD_UI_STATE state = view.OnUpdateCommand(ViewCommand::kMathMode);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.check, 0);
    ASSERT_TRUE(view.OnCommand(kFraction));
    state = view.OnUpdateCommand(ViewCommand::kMathMode);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.check, 1);
}

// ---------------------------------------------------------------------------------------------
// Furigana

TEST_F(FormulaCommandTest, ThreeCharactersBecomeOneRubyWithOneUndo)
{
    Build({u"xabcy"});
    Select(0, 1, 4);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kFurigana).enabled);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFurigana));
    ASSERT_EQ(Part(0)->GetChildCount(), 4);
    CEditNode* ruby = At(0, 1);
    ASSERT_TRUE(ruby->IsKind(EditKind::kRuby));
    EXPECT_EQ(RubyBase(ruby), u"abc|");
    CEditNode* reading = ruby->GetEditChild(CEditRuby::kReadingIndex);
    EXPECT_EQ(reading->GetChildCount(), 1);
    EXPECT_EQ(view.GetCaret().m_caretNode, reading->GetEditChild(0));
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    EXPECT_EQ(reading->GetEditChild(0)->m_lf.lfHeight, CEditCR().m_lf.lfHeight / 2);
    EXPECT_EQ(reading->m_lf.lfHeight, CEditRubyText().m_lf.lfHeight / 2);
    EXPECT_EQ(document.groups.size(), 1u);
    EXPECT_TRUE(document.modified);

    view.OnChar(u'k');
    EXPECT_EQ(reading->GetEditChild(0)->GetText().View(), u"k");
    view.OnCommand(ViewCommand::kEditUndo);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Text(0), u"xabcy|");
}

TEST_F(FormulaCommandTest, FuriganaLeavesAFormulaInTheSelectionInThePaper)
{
    Build({u"abcd"});
    PlaceCaret(0, 2);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    view.OnChar(u'x');
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    ASSERT_EQ(Describe(Part(0)), "c:a c:b math[m:x |] c:c c:d |");
    Select(0, 0, 4);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFurigana));
    EXPECT_EQ(Describe(Part(0)), "node math[m:x |] c:d |");
    EXPECT_EQ(RubyBase(At(0, 0)), u"abc|");
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b math[m:x |] c:c c:d |");
}

TEST_F(FormulaCommandTest, FuriganaOnNothingCopyableDoesNothing)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kMathMode));
    view.OnChar(u'x');
    view.OnChar(u'y');
    // A selection of a formula's contents.
    CEditNode* formula = At(0, 1);
    view.PlaceCaret(formula->GetEditChild(2), formula->GetEditChild(0));
    const size_t groups = document.groups.size();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFurigana));
    EXPECT_EQ(Describe(Part(0)), "c:a math[m:x m:y |] c:b |");
    EXPECT_EQ(document.groups.size(), groups);
}

TEST_F(FormulaCommandTest, RemovingFuriganaFromTheReadingAndAcrossTwoPairs)
{
    Build({u"abcdef"});
    AddRuby(0, 1, 2, u'k');
    AddRuby(0, 3, 4, u'm');  // a b|c ruby d e → indexes shift: a [bc] d e f
    ASSERT_EQ(Describe(Part(0)), "c:a node c:d node |");

    // The caret in the first pair's reading.
    CEditNode* first = At(0, 1);
    view.PlaceCaret(first->GetEditChild(CEditRuby::kReadingIndex)->GetEditChild(0));
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kRemoveFurigana).enabled);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kRemoveFurigana));
    EXPECT_EQ(Describe(Part(0)), "c:a c:b c:c c:d node |");
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
    view.OnCommand(ViewCommand::kEditUndo);
    ASSERT_EQ(Describe(Part(0)), "c:a node c:d node |");

    // A selection over both pairs.
    Select(0, 0, 4);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kRemoveFurigana));
    EXPECT_EQ(Text(0), u"abcdef|");
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a node c:d node |");

    // Outside a ruby and without a selection there is nothing to remove.
    PlaceCaret(0, 0);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kRemoveFurigana).enabled);
}

// ---------------------------------------------------------------------------------------------
// Tables

TEST_F(FormulaCommandTest, TableInsertOpensAtTwoByTwoAndPutsTheCaretInTheFirstCell)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kInsertTable).enabled);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertTable));
    EXPECT_EQ(tableOpened, (std::pair{2, 2}));
    auto* table = dynamic_cast<CEditTable*>(At(0, 1));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetRows(), 2);
    EXPECT_EQ(table->GetColumns(), 2);
    EXPECT_EQ(view.GetCaret().m_caretNode, table->GetCell(0, 0)->GetEditChild(0));
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kTableFormat).enabled);
    EXPECT_TRUE(document.modified);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Describe(Part(0)), "c:a c:b |");
}

TEST_F(FormulaCommandTest, CancelledTableKeepsTheDeletionUndoable)
{
    Build({u"abcd"});
    Select(0, 1, 3);
    tableAnswer = false;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertTable));
    EXPECT_EQ(Text(0), u"ad|");
    ASSERT_EQ(document.groups.size(), 1u);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Text(0), u"abcd|");

    // A size the dialog would refuse builds nothing either.
    tableAnswer = true;
    tableRows = 0;
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertTable));
    EXPECT_EQ(Text(0), u"abcd|");
}

TEST_F(FormulaCommandTest, TableFormatAppliesToTheWholeTableAsOneGroup)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    tableRows = 3;
    tableColumns = 3;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertTable));
    auto* table = dynamic_cast<CEditTable*>(At(0, 1));
    ASSERT_NE(table, nullptr);
    view.SetCaretNode(table->GetCell(1, 1)->GetEditChild(0));
    document.modified = false;
    const size_t groups = document.groups.size();

    formatFrame = 0;
    const int cellWidth = table->GetCell(1, 1)->BorderRecord().m_borderWidth;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kTableFormat));
    EXPECT_EQ(formatOpened, (std::pair{1, cellWidth}));
    EXPECT_EQ(table->BorderRecord().m_borderStyle, 0);
    for (int i = 0; i < table->GetChildCount(); ++i) {
        EXPECT_EQ(table->GetEditChild(i)->BorderRecord().m_borderStyle, 0);
        EXPECT_EQ(table->GetEditChild(i)->BorderRecord().m_borderWidth, 0);
    }
    EXPECT_TRUE(document.modified);
    ASSERT_EQ(document.groups.size(), groups + 1);

    view.OnCommand(ViewCommand::kEditUndo);
    for (int i = 0; i < table->GetChildCount(); ++i)
        EXPECT_EQ(table->GetEditChild(i)->BorderRecord().m_borderStyle, CEditTable::kSolidFrame);

    // The frame back on with a width of its own.
    formatFrame = 1;
    formatWidth = 53;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kTableFormat));
    EXPECT_EQ(table->BorderRecord().m_borderWidth, 53);
    EXPECT_EQ(table->GetCell(2, 2)->BorderRecord().m_borderWidth, 53);
    EXPECT_EQ(table->GetCell(0, 0)->BorderRecord().m_borderStyle, CEditTable::kSolidFrame);

    PlaceCaret(0, 0);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kTableFormat).enabled);
}
