// The character formatting commands: their scope over the kinds of selected nodes, the toggles
// decided by the typing format, the line, colour and hatch kinds, face and size from the format
// bar, the paragraph alignments, and exact undo and redo of each through the view's replay.
#include "formatting_fixture.h"

#include "base/default_fonts.h"
#include "nodes/page_furniture.h"

using namespace viewtest;

namespace {

// What each command changes on a node, as text.
std::string BoldOf(const CEditNode* n) { return std::to_string(n->m_lf.lfWeight); }
std::string ItalicOf(const CEditNode* n) { return std::to_string(n->m_lf.lfItalic); }
std::string UnderlineOf(const CEditNode* n)
{
    return std::to_string(n->CharacterRecord().m_underlineStyle) + std::to_string(n->BorderRecord().m_afterStyle) + std::to_string(n->BorderRecord().m_beforeStyle);
}
std::string StrikeOf(const CEditNode* n) { return std::to_string(n->CharacterRecord().m_lineThroughStyle); }
std::string ColorOf(const CEditNode* n) { return std::to_string(n->m_color); }
std::string BackOf(const CEditNode* n) { return std::to_string(n->BorderRecord().m_backgroundColor); }
std::string HatchOf(const CEditNode* n) { return std::to_string(n->BorderRecord().m_backgroundPattern); }
std::string WidthModeOf(const CEditNode* n) { return std::to_string(n->FontRecord().m_fontWidth); }
std::string ScriptOf(const CEditNode* n) { return std::to_string(n->m_scriptPosition); }
std::string BorderOf(const CEditNode* n) { return std::to_string(n->BorderRecord().m_borderStyle); }

}  // namespace

// One row per command of the scope table: which of the probe nodes the command reaches when the
// whole mixed paragraph is selected. Probes: a, ruby-base text b, ruby-base formula x, the ruby,
// the kanbun base character, the kanbun cell, the answer's c, the answer, the formula, d.
TEST_F(FormattingTest, EachCommandReachesTheNodesOfItsScope)
{
    const struct {
        const char* name;
        int id;
        std::string (*field)(const CEditNode*);
        const char* reached;
    } rows[] = {
        {"bold", ViewCommand::kBold, BoldOf, "1100101001"},
        {"italic", ViewCommand::kItalic, ItalicOf, "1100101001"},
        {"underline", ViewCommand::kUnderlineFirst + 1, UnderlineOf, "1111010111"},
        {"strike", ViewCommand::kStrikeFirst + 2, StrikeOf, "1110000001"},
        {"text colour", ViewCommand::kTextColorFirst + 5, ColorOf, "1110000001"},
        {"background colour", ViewCommand::kBackColorFirst + 11, BackOf, "1110000001"},
        {"hatch", ViewCommand::kHatchFirst + 1, HatchOf, "1100000001"},
        {"long body", ViewCommand::kLongBody, WidthModeOf, "1100000001"},
        {"flat body", ViewCommand::kFlatBody, WidthModeOf, "1100000001"},
        {"subscript", ViewCommand::kSubscript, ScriptOf, "1100000001"},
        {"superscript", ViewCommand::kSuperscript, ScriptOf, "1100000001"},
        {"border", ViewCommand::kBorderFirst + 1, BorderOf, "1000000001"},
    };
    for (const auto& row : rows) {
        ResetPaper();
        BuildMixedParagraph();
        SelectWholeMixedParagraph();
        const std::vector<CEditNode*> probes = MixedProbes();
        std::vector<std::string> before;
        for (CEditNode* p : probes)
            before.push_back(row.field(p));
        const std::string paperBefore = Snapshot();
        ASSERT_TRUE(view.OnCommand(row.id)) << row.name;
        std::string reached;
        for (size_t i = 0; i < probes.size(); ++i)
            reached += row.field(probes[i]) != before[i] ? '1' : '0';
        EXPECT_EQ(reached, row.reached) << row.name;
        EXPECT_EQ(document.groups.size(), 1u) << row.name;
        EXPECT_TRUE(document.modified) << row.name;
        // The selection stays.
        EXPECT_NE(view.GetCaret().m_anchorNode, nullptr) << row.name;
        ExpectExactUndoRedo(paperBefore, row.name);
    }
}

TEST_F(FormattingTest, TogglesFollowTheTypingFormatWithOrWithoutASelection)
{
    Build({u"abc"});
    const struct {
        int id;
        std::string (*field)(const CEditNode*);
        const char* on;
    } toggles[] = {
        {ViewCommand::kBold, BoldOf, "700"},
        {ViewCommand::kItalic, ItalicOf, "1"},
        {ViewCommand::kLongBody, WidthModeOf, "1"},
        {ViewCommand::kFlatBody, WidthModeOf, "2"},
        {ViewCommand::kSubscript, ScriptOf, "1"},
        {ViewCommand::kSuperscript, ScriptOf, "2"},
    };
    for (const auto& t : toggles) {
        // Without a selection only the typing format changes: no group, not modified.
        PlaceCaret(0, 1);
        document.modified = false;
        const size_t groups = document.groups.size();
        ASSERT_TRUE(view.OnCommand(t.id));
        EXPECT_EQ(view.OnUpdateCommand(t.id).check, 1) << t.id;
        EXPECT_EQ(document.groups.size(), groups) << t.id;
        EXPECT_FALSE(document.modified) << t.id;
        // With a selection the typing format decides: the node gets the toggled state, whatever it had.
        Select(0, 0, 2);
        ASSERT_TRUE(view.OnCommand(t.id));  // off again
        EXPECT_EQ(view.OnUpdateCommand(t.id).check, 0) << t.id;
        EXPECT_NE(t.field(At(0, 0)), t.on) << t.id;
        ASSERT_TRUE(view.OnCommand(t.id));  // on
        EXPECT_EQ(t.field(At(0, 0)), t.on) << t.id;
        EXPECT_EQ(t.field(At(0, 1)), t.on) << t.id;
        EXPECT_NE(t.field(At(0, 2)), t.on) << t.id;  // the caret's node is not selected
        ASSERT_TRUE(view.OnCommand(t.id));  // and off, for the next toggle
    }
}

TEST_F(FormattingTest, ASelectionOfOnlyAFormulaChangesNothingButMarksThePaper)
{
    Build({u"a"});
    CEditNode* formula = NewFormula(u"xy");
    At(0, 0)->InsertBefore(formula);
    Select(0, 0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kBold));
    EXPECT_TRUE(document.groups.empty());
    EXPECT_TRUE(document.modified);
}

TEST_F(FormattingTest, UnderlineNoneAlsoClearsTheNumberingAndBorderNoneKeepsWidthOne)
{
    Build({u"abc"});
    for (int i = 0; i < 2; ++i) {
        At(0, i)->EditNumbering().m_renbanType = 2;
        At(0, i)->EditCharacterRecord()->m_underlineStyle = 1;
        At(0, i)->EditCharacterRecord()->m_underlineWidth = 1;
    }
    Select(0, 0, 2);
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kUnderlineFirst));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(At(0, i)->Numbering().m_renbanType, 0);
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineStyle, 0);
        EXPECT_EQ(At(0, i)->CharacterRecord().m_underlineWidth, 0);
    }
    ExpectExactUndoRedo(before, "underline none");

    ASSERT_TRUE(view.OnCommand(ViewCommand::kBorderFirst + 3));  // thick
    EXPECT_EQ(view.GetCaret().m_border.m_borderWidth, 3);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kBorderButton).check, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kBorderFirst));
    EXPECT_EQ(view.GetCaret().m_border.m_borderStyle, 0);
    EXPECT_EQ(view.GetCaret().m_border.m_borderWidth, 1);
    EXPECT_EQ(At(0, 0)->BorderRecord().m_borderWidth, 1);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kBorderButton).check, 0);
}

TEST_F(FormattingTest, KindsTakeTheValuesOfTheirTables)
{
    Build({u"ab"});
    Select(0, 0, 1);
    const struct {
        int id;
        std::string (*field)(const CEditNode*);
        std::string value;
    } kinds[] = {
        {ViewCommand::kHatchFirst, HatchOf, "-1"},      // "なし" stores −1
        {ViewCommand::kHatchFirst + 4, HatchOf, "3"},   // "４５度右上がり"
        {ViewCommand::kHatchLast, HatchOf, "2"},        // "垂直"
        {ViewCommand::kTextColorFirst + 13, ColorOf, std::to_string(0xFF0000)},  // Blue
        {ViewCommand::kBackColorFirst + 3, BackOf, std::to_string(0xFFFFFF)},    // 白: no background
        {ViewCommand::kStrikeLast, StrikeOf, "7"},      // wave
        {ViewCommand::kUnderlineFirst + 3, UnderlineOf, "100"},  // thick: style 1 …
    };
    for (const auto& k : kinds) {
        ASSERT_TRUE(view.OnCommand(k.id));
        EXPECT_EQ(k.field(At(0, 0)), k.value) << k.id;
    }
    EXPECT_EQ(At(0, 0)->CharacterRecord().m_underlineWidth, 3);  // … width 3
    EXPECT_EQ(view.GetCaret().m_color.m_color, 0xFF0000u);
}

TEST_F(FormattingTest, TextColourReachesOneSelectedNodeWhereverItStands)
{
    Build({u"abc"});
    // The anchor and the caret on the same node that is not its parent's first child.
    view.PlaceCaret(At(0, 1), At(0, 1));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kTextColorFirst + 5));
    EXPECT_EQ(At(0, 1)->m_color, 0x0000FFu);
    EXPECT_EQ(At(0, 0)->m_color, 0u);
    ASSERT_EQ(document.groups.size(), 1u);
}

TEST_F(FormattingTest, UnderlineAndStrikeButtonsShowTheNodeBeforeTheCaret)
{
    Build({u"abc"});
    At(0, 0)->EditCharacterRecord()->m_underlineStyle = 4;
    At(0, 2)->EditCharacterRecord()->m_lineThroughStyle = 1;
    PlaceCaret(0, 1);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kUnderlineButton).check, 1);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kStrikeButton).check, 0);
    PlaceCaret(0, 0);  // no node before: the caret node itself
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kUnderlineButton).check, 1);
    PlaceCaret(0, 3);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kStrikeButton).check, 1);
}

TEST_F(FormattingTest, TwelvePointsOverAWholePartChangeTheDefaultsAndItsLineBreak)
{
    const CDefaultFontTable saved = CDefaultFontTable::Instance();
    Build({u"abc", u"de"});
    const int twelve = MulDiv(12, 2540, 72);
    barSize = twelve;
    // A part of the paragraph: the defaults stay.
    Select(0, 0, 2);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFontSizeBox));
    EXPECT_EQ(At(0, 0)->m_lf.lfHeight, -twelve);
    EXPECT_EQ(At(0, 2)->m_lf.lfHeight, At(1, 0)->m_lf.lfHeight);
    EXPECT_EQ(CDefaultFontTable::Instance().GetDefaultHeight(), saved.GetDefaultHeight());
    EXPECT_EQ(view.GetCaret().m_logFont.lfHeight, -twelve);
    EXPECT_EQ(view.GetCaret().m_logFont.lfWidth, 0);

    // Every character up to the closing line break.
    Select(0, 0, 3);
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFontSizeBox));
    EXPECT_EQ(std::abs(CDefaultFontTable::Instance().GetDefaultHeight()), twelve);
    LOGFONTA defaultFont{};
    CDefaultFontTable::Instance().GetDefaultFont(&defaultFont, 0);
    EXPECT_STREQ(defaultFont.lfFaceName, view.GetCaret().m_logFont.lfFaceName);
    EXPECT_EQ(At(0, 3)->m_lf.lfHeight, -twelve);  // the part's line break took the typing font
    ExpectExactUndoRedo(before, "whole part");
    CDefaultFontTable::Instance() = saved;
}

TEST_F(FormattingTest, AnUnreadableSizeGivesItsMessageAndChangesNothing)
{
    Build({u"ab"});
    Select(0, 0, 1);
    barSizeReadable = false;
    const LOGFONTA typing = view.GetCaret().m_logFont;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFontSizeBox));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], u"数値が正しくありません。");
    EXPECT_EQ(view.GetCaret().m_logFont.lfHeight, typing.lfHeight);
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
}

TEST_F(FormattingTest, TheGaijiFaceWithASelectionGivesItsMessageButTheTypingFaceKeepsIt)
{
    Build({u"ab"});
    Select(0, 0, 1);
    barFace = "Orvellan Gaiji";
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFontNameBox));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], u"外字を入力する際は、外字パレットを使用して下さい。");
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(document.groups.empty());
    EXPECT_STREQ(view.GetCaret().m_logFont.lfFaceName, "Orvellan Gaiji");
}

TEST_F(FormattingTest, AFaceChosenInTheBoxReachesTheSelectionAndShowsInTheBar)
{
    Build({u"ab"});
    Select(0, 0, 1);
    barFace = "Times New Roman";
    const std::string before = Snapshot();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFontNameBox));
    EXPECT_STREQ(At(0, 0)->m_lf.lfFaceName, "Times New Roman");
    EXPECT_STRNE(At(0, 1)->m_lf.lfFaceName, "Times New Roman");
    ExpectExactUndoRedo(before, "face");
    // The bar's refresh request shows the typing face and size.
    shownFace.clear();
    view.OnBarComboSelChange();
    EXPECT_EQ(shownFace, "Times New Roman");
    EXPECT_EQ(shownSize, std::abs(view.GetCaret().m_logFont.lfHeight));
}

TEST_F(FormattingTest, AnAlignmentOverThreeParagraphsChangesEachLineBreakOnce)
{
    Build({u"ab"});
    // One part of three paragraphs: a b | c d | e f |
    CEditNode* part = document.root->GetEditChild(0);
    part->InsertChildAt(2, new CEditCR());
    AddCharsAt(part, 3, u"cd");
    part->InsertChildAt(5, new CEditCR());
    AddCharsAt(part, 6, u"ef");
    ASSERT_EQ(Describe(part), "c:a c:b | c:c c:d | c:e c:f |");
    Select(0, 0, 8);
    const std::string before = Snapshot();
    const int relayouts = view.GetRelayoutCount();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kAlignCenter));
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_EQ(document.groups[0]->GetCount(), 3);
    for (int i : {2, 5, 8})
        EXPECT_EQ(static_cast<CEditCR*>(At(0, i))->m_textAlign, 1) << i;
    EXPECT_EQ(view.GetRelayoutCount(), relayouts + 1);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignCenter).check, 1);
    ExpectExactUndoRedo(before, "centre");
    // The same value again changes nothing and hands no group over.
    ASSERT_TRUE(view.OnCommand(ViewCommand::kAlignCenter));
    EXPECT_EQ(document.groups.size(), 1u);
}

TEST_F(FormattingTest, LeftAlignmentIsRefusedInATextBoxWhileCentringWorks)
{
    Build({u"a"});
    auto* box = new CEditGai();
    AddChars(box, u"z");
    AddCR(box);
    document.root->AppendChild(box);
    PlaceCaret(1, 0);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kAlignLeft).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kAlignLeft));
    AsCR(At(1, 1))->m_textAlign = 2;
    // Called directly too, the command tests the caret's place.
    view.ApplyAlignment(ViewCommand::kAlignLeft);
    EXPECT_EQ(AsCR(At(1, 1))->m_textAlign, 2);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kAlignCenter));
    EXPECT_EQ(AsCR(At(1, 1))->m_textAlign, 1);
    EXPECT_EQ(document.groups.size(), 1u);
}

TEST_F(FormattingTest, AlignmentTextsFollowTheWritingDirection)
{
    Build({u"a"});
    PlaceCaret(0, 0);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignLeft).text, u"左寄せ");
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignBottom).text, u"右寄せ");
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignLeft).check, 1);
    ChangeDisplayMap([](CDisplayMap& map) { map.SetVertical(1); });
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignTop).text, u"上寄せ");
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignRight).text, u"下寄せ");
    // Both faces of a pair run the same command.
    ASSERT_TRUE(view.OnCommand(ViewCommand::kAlignBottom));
    EXPECT_EQ(AsCR(At(0, 1))->m_textAlign, 2);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kAlignRight).check, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kBullets));
    EXPECT_EQ(AsCR(At(0, 1))->m_textAlign, 5);
}

TEST_F(FormattingTest, TheNextTypedCharacterTakesTheTypingFormatSetWithoutASelection)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    for (int id : {ViewCommand::kTextColorFirst + 5, ViewCommand::kBackColorFirst + 11, ViewCommand::kBorderFirst + 2,
                   ViewCommand::kSuperscript, ViewCommand::kLongBody, ViewCommand::kBold})
        ASSERT_TRUE(view.OnCommand(id)) << id;
    EXPECT_TRUE(document.groups.empty());
    view.OnChar(u'x');
    CEditNode* typed = At(0, 1);
    ASSERT_EQ(typed->GetText().View(), u"x");
    EXPECT_EQ(typed->m_color, 0x0000FFu);
    EXPECT_EQ(typed->BorderRecord().m_backgroundColor, 0x00FFFFu);
    EXPECT_EQ(typed->BorderRecord().m_borderStyle, 2);
    EXPECT_EQ(typed->m_scriptPosition, 2);
    EXPECT_EQ(typed->FontRecord().m_fontWidth, 1);
    EXPECT_EQ(typed->m_lf.lfWeight, 700);
    EXPECT_EQ(At(0, 0)->m_color, 0u);
}
