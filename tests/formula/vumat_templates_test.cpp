// The formula view's template commands: every id against the table both editors share, the
// dialog sizes, and the undo group of a command that is replaced, cancelled or fails part-way.
#include "vumat_commands_fixture.h"

#include "tests/support/formula_template_cases.h"

#include <map>
#include <new>

using namespace formulatest;
using namespace formulacases;

namespace {

class VumatTemplatesTest : public VumatCommandsTest {
protected:
    // The inserted nodes before the formula's slot end, described.
    std::string Built() const
    {
        std::string built;
        for (int i = 0; i + 1 < Formula()->GetChildCount(); ++i)
            built += (i > 0 ? " " : "") + DescribeNode(Formula()->GetEditChild(i));
        return built;
    }
};

TEST_F(VumatTemplatesTest, EveryTemplateBuildsWhatItsCommandNames)
{
    std::map<int, std::pair<int, int>> dialogOpened;
    int currentId = 0;
    view.m_hooks.matrixSize = [&](int* rows, int* columns) {
        dialogOpened[currentId] = {*rows, *columns};
        *rows = 2;
        *columns = 3;
        return true;
    };
    for (const TEMPLATE_CASE& c : kCases) {
        SCOPED_TRACE(c.id);
        // A fresh empty formula, the caret in it at the typing height.
        document.DeleteContents();
        ASSERT_TRUE(document.OnNewDocument());
        view.OnInitialUpdate();
        CEditNode* slotEnd = Formula()->GetEditChild(0);
        slotEnd->m_lf.lfHeight = -370;
        view.TypingFont().lfHeight = -370;
        document.SetModifiedFlag(FALSE);
        currentId = c.id;

        ASSERT_TRUE(view.OnCommand(c.id));

        // The formula editor sizes the permutation symbol's scripts from the typing height.
        EXPECT_EQ(Built(), c.id == 392 ? "opresubsub[|Si |Si]{PTu}" : c.built);
        const std::string caret =
            view.GetCaret().m_caretNode == slotEnd ? "after" : PathTo(Formula()->GetEditChild(0), view.GetCaret().m_caretNode);
        EXPECT_EQ(caret, c.caret);
        EXPECT_EQ(document.History().GetCount(), 1);
        EXPECT_TRUE(document.IsModified());
    }
    using Size = std::pair<int, int>;
    EXPECT_EQ(dialogOpened, (std::map<int, Size>{{235, {4, 4}}, {236, {1, 1}}, {432, {2, 1}}}));
}

TEST_F(VumatTemplatesTest, MatrixDialogSizesAndRefusals)
{
    struct SIZED_CASE {
        int id;
        int rows, columns;  // the dialog's answer
        const char* built;
    };
    const SIZED_CASE cases[] = {
        {236, 3, 2, "matrix(3x2,border1/1)[|Ti |Ti |Ti |Ti |Ti |Ti]"},
        {432, 3, 1, "fenced[matrix(3x1,left)[|Ti |Ti |Ti] |Ti]{{,}"},
        // Counts outside 1–99 build nothing.
        {235, 0, 2, ""},
        {235, 100, 2, ""},
        {432, 2, 100, ""},
    };
    for (const SIZED_CASE& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + std::to_string(c.rows) + "x" + std::to_string(c.columns));
        document.DeleteContents();
        ASSERT_TRUE(document.OnNewDocument());
        view.OnInitialUpdate();
        view.TypingFont().lfHeight = -370;
        view.m_hooks.matrixSize = [&](int* rows, int* columns) {
            *rows = c.rows;
            *columns = c.columns;
            return true;
        };
        view.OnCommand(c.id);
        EXPECT_EQ(Built(), c.built);
        EXPECT_EQ(document.History().GetCount(), *c.built != 0 ? 1 : 0);
    }
}

TEST_F(VumatTemplatesTest, BracketsReplaceTheSelectionAsOneUndoStep)
{
    Type(u"ab");
    Select(Formula(), 0, 1);
    view.OnCommand(159);
    EXPECT_EQ(FormulaText(), "[]");
    // The caret waits inside the brackets; undo brings the selection back.
    EXPECT_EQ(view.GetCaret().m_caretNode->GetEditParent(), Formula()->GetEditChild(0));
    view.OnCommand(57643);
    EXPECT_EQ(FormulaText(), "ab");
    view.OnCommand(57644);
    EXPECT_EQ(FormulaText(), "[]");
}

TEST_F(VumatTemplatesTest, CancelledMatrixKeepsTheDeletionUndoable)
{
    Type(u"xy");
    Select(Formula(), 0, 0);
    view.m_hooks.matrixSize = [](int*, int*) { return false; };
    view.OnCommand(235);
    EXPECT_EQ(FormulaText(), "y");
    ASSERT_EQ(document.History().GetCount(), 3);
    view.OnCommand(57643);
    EXPECT_EQ(FormulaText(), "xy");
}

TEST_F(VumatTemplatesTest, TemplateAtTheRootLevelGetsAFormulaAroundIt)
{
    CEditMathSentence* root = document.GetRoot();
    view.Caret().m_caretNode = root->GetEditChild(1);
    view.OnCommand(184);
    ASSERT_EQ(root->GetChildCount(), 3);
    EXPECT_EQ(Text(root->GetEditChild(1)), "[]");
    EXPECT_EQ(view.GetCaret().m_caretNode->GetEditParent()->GetEditParent(), root->GetEditChild(1));
}

// A command that fails part-way hands what it recorded to the history: one undo takes the
// formula back, and nothing is left over.
TEST_F(VumatTemplatesTest, FailurePartWayIsOneUndoStep)
{
    LinkContainer();
    CEditMathSentence* root = document.GetRoot();
    view.Caret().m_caretNode = root->GetEditChild(1);
    view.m_hooks.matrixSize = [](int*, int*) -> bool { throw std::bad_alloc(); };
    view.OnCommand(235);
    ASSERT_EQ(root->GetChildCount(), 3);
    EXPECT_EQ(document.History().GetCount(), 1);
    EXPECT_EQ(PicturesSent(), 1);
    view.OnCommand(57643);
    EXPECT_EQ(root->GetChildCount(), 2);
    EXPECT_EQ(PicturesSent(), 1);
}

}  // namespace
