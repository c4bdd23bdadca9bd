// The formula template commands: every id built in a fresh paragraph at a typing height of
// −370, compared with what each command is to build (class, slots, marks, heights, upright
// flags, faces) and where it leaves the caret.
#include "view_fixture.h"

#include "tests/support/formula_template_cases.h"

#include <map>

using namespace viewtest;
using namespace formulacases;

TEST_F(ViewTest, EveryFormulaTemplateBuildsWhatItsCommandNames)
{
    Build({u"a"});
    std::map<int, std::pair<int, int>> dialogOpened;
    int currentId = 0;
    view.m_matrixDialog = [&](int* rows, int* columns) {
        dialogOpened[currentId] = {*rows, *columns};
        *rows = 2;
        *columns = 3;
        return true;
    };
    std::vector<int> ids;
    for (const TEMPLATE_CASE& c : kCases) {
        SCOPED_TRACE(c.id);
        ids.push_back(c.id);
        // A fresh paragraph holding an empty formula, the caret in it at the typing height.
        auto* part = new CEditSentence();
        auto* formula = new CEditMath();
        formula->CreateDefaultSlots(1);
        part->AppendChild(formula);
        AddCR(part);
        document.root->AppendChild(part);
        CEditNode* lineEnd = formula->GetEditChild(0);
        lineEnd->m_lf.lfHeight = -370;
        view.PlaceCaret(lineEnd);
        view.TypingFont().lfHeight = -370;
        document.modified = false;
        const size_t groups = document.groups.size();
        currentId = c.id;

        ASSERT_TRUE(view.OnCommand(c.id));

        std::string built;
        for (int i = 0; i + 1 < formula->GetChildCount(); ++i)
            built += (i > 0 ? " " : "") + DescribeNode(formula->GetEditChild(i));
        EXPECT_EQ(built, c.built);
        EXPECT_EQ(formula->GetEditChild(formula->GetChildCount() - 1), lineEnd);
        const std::string caret =
            view.GetCaret().m_caretNode == lineEnd ? "after" : PathTo(formula->GetEditChild(0), view.GetCaret().m_caretNode);
        EXPECT_EQ(caret, c.caret);
        EXPECT_EQ(document.groups.size(), groups + 1);
        EXPECT_TRUE(document.modified);
    }
    // The cases cover every template id: 159–187, 191–249, 391–393 and 431–432.
    std::vector<int> templateIds;
    for (auto [from, to] : {std::pair{159, 187}, {191, 249}, {391, 393}, {431, 432}})
        for (int id = from; id <= to; ++id)
            templateIds.push_back(id);
    EXPECT_EQ(ids, templateIds);
    using Size = std::pair<int, int>;
    EXPECT_EQ(dialogOpened, (std::map<int, Size>{{235, {4, 4}}, {236, {1, 1}}, {432, {2, 1}}}));
}
