// In-text answers, page breaks and underline numbering: the places where each command is
// refused, what it makes of the paper, and exact undo and redo of each through the view's replay.
#include "formatting_fixture.h"

#include "nodes/labelled_underline.h"
#include "nodes/page_furniture.h"

using namespace viewtest;

namespace {

std::string Children(const CEditNode* node)
{
    std::string out;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const CEditNode* child = node->GetEditChild(i);
        if (!out.empty())
            out += ' ';
        switch (static_cast<uint32_t>(child->GetKind())) {
        case EditKind::kCyukai: out += "answer[" + Children(child) + "]"; break;
        case EditKind::kMathCyukai: out += "manswer[" + Children(child) + "]"; break;
        case EditKind::kKaiPage: out += "pagebreak"; break;
        case EditKind::kSentence: out += "part[" + Children(child) + "]"; break;
        case EditKind::kMath: out += "math[" + Children(child) + "]"; break;
        case EditKind::kCR:
        case EditKind::kMathCR: out += "|"; break;
        default:
            for (char16_t c : child->GetText().View())
                out += c < 0x80 ? static_cast<char>(c) : '?';
            break;
        }
    }
    return out;
}

}  // namespace

TEST_F(FormattingTest, ShowingAndHidingAnswersChangesNoNodeNorTheModifiedFlag)
{
    Build({u"a"});
    InTextAnswersVisible = 1;
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kViewInTextAnswers));
    EXPECT_EQ(InTextAnswersVisible, 0);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kViewInTextAnswers).check, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kViewInTextAnswers));
    EXPECT_EQ(InTextAnswersVisible, 1);
}

TEST_F(FormattingTest, ASecondAnswerPressStepsOutWithoutAChange)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInTextAnswer));
    EXPECT_EQ(Children(document.root->GetEditChild(0)), "a answer[|] b |");
    EXPECT_EQ(view.GetCaret().m_caretNode->GetEditParent(), At(0, 1));  // typing goes into the answer
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kInTextAnswer).check, 1);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kRemoveInTextAnswer).enabled);
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_TRUE(document.modified);
    const std::string after = Snapshot();

    ASSERT_TRUE(view.OnCommand(ViewCommand::kInTextAnswer));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 2));
    EXPECT_EQ(Snapshot(), after);
    EXPECT_EQ(document.groups.size(), 1u);
    ExpectExactUndoRedo(before, "answer");
}

TEST_F(FormattingTest, InAFormulaTheAnswerIsTheFormulaVariant)
{
    Build({u"a"});
    At(0, 0)->InsertBefore(NewFormula(u"xy"));
    view.SetCaretNode(At(0, 0)->GetEditChild(1));  // before y
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInTextAnswer));
    EXPECT_EQ(Children(document.root->GetEditChild(0)), "math[x manswer[|] y |] a |");
}

TEST_F(FormattingTest, ParenthesesWrapTheSelectionIntoAnAnswerUndoneInOneStep)
{
    Build({u"zABCw"});
    Select(0, 1, 4);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kParenConvert).enabled);
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kParenConvert));
    EXPECT_EQ(Children(document.root->GetEditChild(0)), "z ( answer[A B C |] ) w |");
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 2)->GetEditChild(0));
    ASSERT_EQ(document.groups.size(), 1u);
    ExpectExactUndoRedo(before, "parentheses");
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"zABCw|");
}

TEST_F(FormattingTest, ParenthesesAreRefusedAcrossALineBreakAndInsideAnAnswer)
{
    Build({u"abcd"});
    CEditNode* part = document.root->GetEditChild(0);
    part->InsertChildAt(2, new CEditCR());  // a b | c d |
    Select(0, 1, 4);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kParenConvert).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kParenConvert));
    Select(0, 0, 2);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kParenConvert).enabled);

    auto* answer = new CEditCyukai();
    AddChars(answer, u"xy");
    answer->AddLineBreak();
    part->InsertChildAt(0, answer);
    view.PlaceCaret(answer->GetEditChild(1), answer->GetEditChild(0));
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kParenConvert).enabled);
    EXPECT_TRUE(document.groups.empty());
}

TEST_F(FormattingTest, DissolvingAnAnswerKeepsAllItsContent)
{
    const struct {
        const char* name;
        std::u16string inside;
        bool innerBreak;
        std::string expected;
    } cases[] = {
        {"empty answer", u"", false, "a b |"},
        {"plain answer", u"xy", false, "a x y b |"},
        {"a line break inside", u"xy", true, "a x | y b |"},
    };
    for (const auto& c : cases) {
        ResetPaper();
        Build({u"ab"});
        auto* answer = new CEditCyukai();
        AddChars(answer, c.inside);
        if (c.innerBreak)
            answer->InsertChildAt(1, new CEditCR());
        answer->AddLineBreak();
        At(0, 1)->InsertBefore(answer);
        view.SetCaretNode(answer->GetEditChild(0));
        const std::string before = Snapshot();
        ASSERT_TRUE(view.OnCommand(ViewCommand::kRemoveInTextAnswer)) << c.name;
        EXPECT_EQ(Children(document.root->GetEditChild(0)), c.expected) << c.name;
        EXPECT_EQ(view.GetCaret().m_caretNode->GetText().View(), u"b") << c.name;
        ASSERT_EQ(document.groups.size(), 1u) << c.name;
        EXPECT_TRUE(document.modified) << c.name;
        ExpectExactUndoRedo(before, c.name);
    }
    PlaceCaret(0, 0);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kRemoveInTextAnswer).enabled);
}

// --- page breaks

TEST_F(FormattingTest, APageBreakStandsBeforeThePartOfTheCaret)
{
    Build({u"question", u"answer"});
    PlaceCaret(1, 2);
    CEditNode* caret = view.GetCaret().m_caretNode;
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertPageBreak));
    ASSERT_EQ(document.root->GetChildCount(), 3);
    EXPECT_TRUE(document.root->GetEditChild(1)->IsKind(EditKind::kKaiPage));
    EXPECT_GT(document.root->GetEditChild(1)->GetChildCount(), 0);  // filled
    EXPECT_EQ(view.GetCaret().m_caretNode, caret);  // the caret does not move
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_TRUE(document.modified);
    ExpectExactUndoRedo(before, "page break");

    // Inside the block: it is removed, the caret goes to the part after it.
    view.SetCaretNode(document.root->GetEditChild(1)->GetFirstInner());
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertPageBreak).enabled);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kDeletePageBreak).enabled);
    const std::string withBreak = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kDeletePageBreak));
    EXPECT_EQ(document.root->GetChildCount(), 2);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(1, 0));
    ExpectExactUndoRedo(withBreak, "page break removed");
}

TEST_F(FormattingTest, PageBreakCommandsAreRefusedOutsideTheirPlaces)
{
    Build({u"a"});
    auto* box = new CEditGai();
    AddChars(box, u"z");
    AddCR(box);
    document.root->AppendChild(box);
    PlaceCaret(1, 0);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertPageBreak).enabled);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kDeletePageBreak).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kInsertPageBreak));
    PlaceCaret(0, 0);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kDeletePageBreak));
    view.SetCaretNode(nullptr);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertPageBreak).enabled);
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
}

// --- underline numbering

TEST_F(FormattingTest, NumberingIsRefusedWhereTheRunCannotBeNumbered)
{
    using Place = std::function<void()>;
    auto inContainer = [this](CEditNode* container) {
        Build({u"a"});
        AddChars(container, u"xyz");
        AddCR(container);
        At(0, 0)->InsertBefore(container);
        view.PlaceCaret(container->GetEditChild(2), container->GetEditChild(0));
    };
    const struct {
        const char* name;
        Place place;
        bool enabled;
    } cases[] = {
        {"plain text", [&] { Build({u"abc"}); Select(0, 0, 2); }, true},
        {"ending with a paragraph's line break",
         [&] {
             Build({u"abcd"});
             document.root->GetEditChild(0)->InsertChildAt(2, new CEditCR());
             Select(0, 0, 3);
         },
         true},
        {"a line break inside",
         [&] {
             Build({u"abcd"});
             document.root->GetEditChild(0)->InsertChildAt(2, new CEditCR());
             Select(0, 0, 4);
         },
         false},
        {"only a line break at the start", [&] { Build({u""}); Select(0, 0, 0); }, false},
        {"no selection", [&] { Build({u"abc"}); PlaceCaret(0, 1); }, false},
        {"in-text answer", [&] { inContainer(new CEditCyukai()); }, false},
        {"labelled underline", [&] { inContainer(new CEditKasen()); }, false},
        {"formula",
         [&] {
             Build({u"a"});
             CEditMath* formula = NewFormula(u"xyz");
             At(0, 0)->InsertBefore(formula);
             view.PlaceCaret(formula->GetEditChild(2), formula->GetEditChild(0));
         },
         false},
        {"text box",
         [&] {
             Build({u"a"});
             auto* box = new CEditGai();
             AddChars(box, u"xyz");
             AddCR(box);
             document.root->AppendChild(box);
             Select(1, 0, 2);
         },
         false},
        {"name field",
         [&] {
             Build({u"a"});
             auto* field = new CEditKimeiran();
             AddChars(field, u"xyz");
             AddCR(field);
             document.root->AppendChild(field);
             Select(1, 0, 2);
         },
         false},
    };
    for (const auto& c : cases) {
        ResetPaper();
        c.place();
        EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kInsertUnderlineNumber).enabled, c.enabled) << c.name;
        EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kUnderlineNumberSettingsContext).enabled, c.enabled) << c.name;
        EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kUnderlineNumberSettings).enabled) << c.name;
        EXPECT_EQ(view.OnCommand(ViewCommand::kInsertUnderlineNumber), c.enabled) << c.name;
        EXPECT_EQ(document.groups.size(), c.enabled ? 1u : 0u) << c.name;
    }
}

TEST_F(FormattingTest, NumberingAndItsRemovalUndoExactly)
{
    Build({u"abc"});
    Select(0, 0, 2);
    const std::string before = Snapshot();
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kRemoveUnderlineNumber).enabled);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertUnderlineNumber));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(At(0, i)->Numbering().m_renbanType, 1) << i;
        EXPECT_EQ(At(0, i)->Numbering().m_renbanForce, -1) << i;
        EXPECT_EQ(At(0, i)->Numbering().m_renbanSize, 176) << i;
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineStyle, 1) << i;
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineWidth, 1) << i;
    }
    EXPECT_EQ(At(0, 2)->Numbering().m_renbanType, 0);
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    ExpectExactUndoRedo(before, "numbering");

    Select(0, 0, 2);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kRemoveUnderlineNumber).enabled);
    const std::string numbered = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kRemoveUnderlineNumber));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(At(0, i)->Numbering().m_renbanType, 0) << i;
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineStyle, 0) << i;
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineWidth, 0) << i;
    }
    ExpectExactUndoRedo(numbered, "numbering removed");
}

TEST_F(FormattingTest, TheSettingsDialogNumbersTheRunAndBecomesTheDefault)
{
    std::vector<UNDERLINE_NUMBER_VALUES> shown;
    UNDERLINE_NUMBER_VALUES answer;
    int result = IDOK;
    view.m_underlineNumberDialog = [&](UNDERLINE_NUMBER_VALUES* values) {
        shown.push_back(*values);
        *values = answer;
        return result;
    };
    Build({u"abcdef"});
    // Kana numbering with a dashed underline.
    answer.kindIndex = 2;
    answer.underlineState = 3;
    answer.face = "Times New Roman";
    answer.size = 200;
    Select(0, 0, 2);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kUnderlineNumberSettings));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].newFlag, 0);  // a chosen node without numbering
    EXPECT_EQ(shown[0].kindIndex, 0);
    EXPECT_EQ(shown[0].underlineState, 0);
    EXPECT_EQ(At(0, 0)->Numbering().m_renbanType, 3);
    EXPECT_EQ(At(0, 0)->CharacterRecord().m_underlineStyle, 4);
    EXPECT_STREQ(At(0, 0)->Numbering().m_renbanFace, "Times New Roman");
    // "下線連番挿入" now applies the new defaults.
    Select(0, 3, 5);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertUnderlineNumber));
    EXPECT_EQ(At(0, 3)->Numbering().m_renbanType, 3);
    EXPECT_EQ(At(0, 3)->CharacterRecord().m_underlineStyle, 4);
    EXPECT_EQ(At(0, 3)->Numbering().m_renbanSize, 200);

    // The dialog on a numbered run starts from the run.
    Select(0, 0, 2);
    answer.kindIndex = 5;  // the label text: applied, the defaults stay
    answer.labelText = u"問";
    answer.underlineState = 2;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kUnderlineNumberSettingsContext));
    EXPECT_EQ(shown[1].kindIndex, 2);
    EXPECT_EQ(shown[1].underlineState, 3);
    EXPECT_EQ(At(0, 0)->Numbering().m_renbanType, 6);
    EXPECT_EQ(At(0, 0)->Numbering().m_renbanString.View(), u"問");
    EXPECT_EQ(At(0, 0)->CharacterRecord().m_underlineWidth, 3);
    Select(0, 3, 5);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertUnderlineNumber));
    EXPECT_EQ(At(0, 3)->Numbering().m_renbanType, 3);  // still the kana default

    // Cancel changes nothing; OK where the run cannot be numbered changes only the defaults.
    const std::string before = Snapshot();
    result = IDCANCEL;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kUnderlineNumberSettings));
    EXPECT_EQ(Snapshot(), before);
    result = IDOK;
    answer.kindIndex = 0;
    answer.underlineState = 0;
    PlaceCaret(0, 1);
    const size_t groups = document.groups.size();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kUnderlineNumberSettings));
    EXPECT_EQ(shown.back().newFlag, 1);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(document.groups.size(), groups);
    Select(0, 3, 5);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertUnderlineNumber));
    EXPECT_EQ(At(0, 3)->Numbering().m_renbanType, 1);
}

TEST_F(FormattingTest, TheDialogUnderlineStateMapsBothWays)
{
    UNDERLINE_NUMBER_VALUES seen;
    int answerState = 0;
    view.m_underlineNumberDialog = [&](UNDERLINE_NUMBER_VALUES* values) {
        seen = *values;
        values->underlineState = answerState;
        return IDOK;
    };
    const struct {
        int style, width, state;
    } in[] = {{1, 1, 0}, {2, 1, 1}, {1, 3, 2}, {4, 1, 3}, {3, 1, 4}, {5, 1, 5}, {6, 1, 6}, {7, 1, 7}, {0, 0, 0}, {0, 3, 2}};
    for (const auto& c : in) {
        CKasenRenbanProperties numbering;
        numbering.m_renbanType = 1;
        CCharacterProperties underline;
        underline.m_underlineStyle = c.style;
        underline.m_underlineWidth = c.width;
        ASSERT_EQ(view.RunUnderlineNumberDialog(0, &numbering, &underline), IDOK);
        EXPECT_EQ(seen.underlineState, c.state) << c.style << "/" << c.width;
    }
    const struct {
        int state, style, width;
    } out[] = {{0, 1, 1}, {1, 2, 1}, {2, 1, 3}, {3, 4, 1}, {4, 3, 1}, {5, 5, 1}, {6, 6, 1}, {7, 7, 1}, {8, 1, 1}, {-1, 1, 1}};
    for (const auto& c : out) {
        CKasenRenbanProperties numbering;
        CCharacterProperties underline;
        answerState = c.state;
        ASSERT_EQ(view.RunUnderlineNumberDialog(1, &numbering, &underline), IDOK);
        EXPECT_EQ(underline.m_underlineStyle, c.style) << c.state;
        EXPECT_EQ(underline.m_underlineWidth, c.width) << c.state;
    }
}
