// The formula view's character formatting and underline numbering: the command tables of
// colours, lines and patterns, undoable against direct commands, the size and face boxes, the
// font defaults, the numbering commands and their dialog, and commands without a selection.
#include "vumat_commands_fixture.h"

#include "base/gdi_cache.h"
#include "math/math_char.h"
#include "nodes/edit_char.h"
#include "nodes/kanbun_cell.h"
#include "platform/shell.h"

#include <cstring>

using namespace formulatest;

namespace {

class VumatFormatTest : public VumatCommandsTest {
protected:
    void SetUp() override
    {
        VumatCommandsTest::SetUp();
        Type(u"xyz");
    }
    CEditNode* Char(int i) const { return Formula()->GetEditChild(i); }
    // Selects x and y.
    void SelectXY() { Select(Formula(), 0, 1); }
};

TEST_F(VumatFormatTest, CommandTablesWriteTheirValues)
{
    // x, a formula character, and t, a text character (pasted from text outside a formula).
    auto* text = new CEditChar(u't');
    Char(1)->InsertBefore(text);
    struct VALUE_CASE {
        int id;
        std::vector<int> (*read)(const CEditNode& node);
        std::vector<int> value;
        bool textOnly = false;  // line-through, border and pattern leave formula characters alone
    };
    auto underline = [](const CEditNode& n) { return std::vector<int>{n.CharacterRecord().m_underlineStyle, n.CharacterRecord().m_underlineWidth}; };
    auto strike = [](const CEditNode& n) { return std::vector<int>{n.CharacterRecord().m_lineThroughStyle, n.CharacterRecord().m_lineThroughWidth}; };
    auto border = [](const CEditNode& n) { return std::vector<int>{n.BorderRecord().m_borderStyle, n.BorderRecord().m_borderWidth}; };
    auto hatch = [](const CEditNode& n) { return std::vector<int>{n.BorderRecord().m_backgroundPattern}; };
    std::vector<VALUE_CASE> cases;
    const std::vector<std::vector<int>> lines = {{0, 0}, {1, 1}, {2, 1}, {1, 3}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}};
    for (int i = 0; i < 9; ++i) {
        cases.push_back({32937 + i, underline, lines[i]});
        cases.push_back({32946 + i, strike, lines[i], true});
        // "枠線なし" keeps the normal width.
        cases.push_back({32955 + i, border, i == 0 ? std::vector<int>{0, 1} : lines[i], true});
    }
    // "なし" stores −1.
    const std::vector<std::pair<int, int>> patterns = {{32863, -1}, {32864, 4}, {32865, 5}, {32866, 6},
                                                       {32867, 3},  {32868, 1}, {32869, 2}};
    for (auto [id, value] : patterns)
        cases.push_back({id, hatch, {value}, true});
    for (int i = 0; i < 16; ++i) {
        const int color = static_cast<int>(GDI_PALETTE_COLORS[i]);
        cases.push_back({32818 + i, [](const CEditNode& n) { return std::vector<int>{static_cast<int>(n.m_color)}; }, {color}});
        cases.push_back({32800 + i, [](const CEditNode& n) { return std::vector<int>{static_cast<int>(n.BorderRecord().m_backgroundColor)}; },
                         {color}});
    }
    EXPECT_EQ(GDI_PALETTE_COLORS[5], 0x0000FFu);  // 32823 "Red" and 32805 "赤"
    const CEditMathChar untouched(u'x');
    for (const VALUE_CASE& c : cases) {
        SCOPED_TRACE(c.id);
        SelectXY();
        ASSERT_TRUE(view.OnCommand(c.id));
        EXPECT_EQ(c.read(*Char(0)), c.textOnly ? c.read(untouched) : c.value);
        EXPECT_EQ(c.read(*text), c.value);
    }
    // Written straight into the nodes: nothing to undo.
    EXPECT_EQ(document.History().GetCount(), 3);
}

TEST_F(VumatFormatTest, BoldItalicFaceAndSizeUndoColoursAndLinesDoNot)
{
    const LOGFONTA before = Char(0)->m_lf;
    SelectXY();
    view.OnCommand(32823);  // red
    SelectXY();
    view.OnCommand(32938);  // single underline
    SelectXY();
    view.OnCommand(VumatCommand::kBold);
    SelectXY();
    view.OnCommand(VumatCommand::kItalic);
    SelectXY();
    view.m_hooks.getSize = [](int* size) {
        *size = 529;
        return true;
    };
    view.OnCommand(VumatCommand::kFontSizeBox);
    EXPECT_EQ(Char(0)->m_lf.lfHeight, -529);
    EXPECT_EQ(Char(1)->m_lf.lfWeight, 700);
    EXPECT_NE(Char(1)->m_lf.lfItalic, before.lfItalic);
    EXPECT_EQ(Char(2)->m_lf.lfWeight, before.lfWeight);
    for (int i = 0; i < 3; ++i)
        view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(Char(0)->m_lf.lfHeight, before.lfHeight);
    EXPECT_EQ(Char(0)->m_lf.lfWeight, before.lfWeight);
    EXPECT_EQ(Char(0)->m_lf.lfItalic, before.lfItalic);
    EXPECT_EQ(Char(0)->m_color, 0x0000FFu);
    EXPECT_EQ(Char(0)->CharacterRecord().m_underlineStyle, 1);
}

TEST_F(VumatFormatTest, BoldWithoutSelectionOnlyChangesTheTypingWeight)
{
    const int groups = document.History().GetCount();
    view.OnCommand(VumatCommand::kBold);
    EXPECT_EQ(view.TypingFont().lfWeight, 700);
    EXPECT_EQ(view.OnUpdateCommand(VumatCommand::kBold).check, 1);
    EXPECT_EQ(Char(0)->m_lf.lfWeight, 400);
    EXPECT_EQ(document.History().GetCount(), groups);
    Type(u"w");
    EXPECT_EQ(Char(3)->m_lf.lfWeight, 700);
}

TEST_F(VumatFormatTest, BoldLeavesAFractionAloneSizeResizesIt)
{
    view.OnCommand(180);
    Type(u"n");
    CEditNode* fraction = Char(3);
    CEditNode* numerator = fraction->GetEditChild(0);
    Select(Formula(), 3, 3);
    view.OnCommand(VumatCommand::kBold);
    EXPECT_EQ(numerator->m_lf.lfWeight, 400);
    Select(Formula(), 3, 3);
    view.m_hooks.getSize = [](int* size) {
        *size = 705;
        return true;
    };
    view.OnCommand(VumatCommand::kFontSizeBox);
    EXPECT_EQ(fraction->m_lf.lfHeight, -705);
    EXPECT_EQ(numerator->m_lf.lfHeight, -705);
}

TEST_F(VumatFormatTest, RefusedFaceAndSizeChangeNothing)
{
    // The gaiji face: the message, the formula unchanged, the typing face already the gaiji face.
    view.m_hooks.getFont = [](LOGFONTA* font) {
        std::strcpy(font->lfFaceName, "Orvellan Gaiji");
        return 3;
    };
    SelectXY();
    const std::string face = Char(0)->m_lf.lfFaceName;
    view.OnCommand(VumatCommand::kFontNameBox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], u"外字を入力する際は、外字パレットを使用して下さい。");
    EXPECT_EQ(Char(0)->m_lf.lfFaceName, face);
    EXPECT_STREQ(view.TypingFont().lfFaceName, "Orvellan Gaiji");

    // A size text that is no size.
    view.m_hooks.getSize = [](int*) { return false; };
    const int height = Char(0)->m_lf.lfHeight;
    SelectXY();
    view.OnCommand(VumatCommand::kFontSizeBox);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], u"数値が正しくありません。");
    EXPECT_EQ(Char(0)->m_lf.lfHeight, height);
}

// Bold over a kanbun cell without its base box ends part-way: what it changed is one undo step.
TEST_F(VumatFormatTest, BoldStoppedByACellWithoutBaseBoxIsOneUndoStep)
{
    Char(1)->InsertBefore(new CEditKan());
    // x, the cell, y, z: x bold, then the cell stops the command.
    Select(Formula(), 0, 2);
    const int groups = document.History().GetCount();
    view.OnCommand(VumatCommand::kBold);
    EXPECT_EQ(Char(0)->m_lf.lfWeight, 700);
    EXPECT_EQ(Char(2)->m_lf.lfWeight, 400);
    ASSERT_EQ(document.History().GetCount(), groups + 1);
    view.OnCommand(VumatCommand::kEditUndo);
    EXPECT_EQ(Char(0)->m_lf.lfWeight, 400);
}

TEST_F(VumatFormatTest, FontDefaultsChangeTheTypingFontAndAreSaved)
{
    int saved = 0;
    view.m_hooks.saveSettings = [&] { ++saved; };
    view.m_hooks.mathFontSheet = [](DEFAULT_FONT*) { return false; };
    view.OnCommand(VumatCommand::kFontDefault);
    EXPECT_EQ(saved, 0);

    const CDefaultFontTable kept = CDefaultFontTable::Instance();
    view.m_hooks.mathFontSheet = [](DEFAULT_FONT fonts[3]) {
        std::strcpy(fonts[0].font.lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
        fonts[0].height = 529;
        return true;
    };
    int shownSize = 0;
    view.m_hooks.setSize = [&](int size) { shownSize = size; };
    view.OnCommand(VumatCommand::kFontDefault);
    EXPECT_EQ(saved, 1);
    EXPECT_STREQ(view.TypingFont().lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(view.TypingFont().lfHeight, -529);
    EXPECT_EQ(shownSize, 529);
    // The formula keeps its fonts.
    EXPECT_NE(Char(0)->m_lf.lfHeight, -529);
    CDefaultFontTable::Instance() = kept;
}

// ---------------------------------------------------------------------------------------------
// Underline numbering

TEST_F(VumatFormatTest, NumberingInsertAndRemove)
{
    EXPECT_FALSE(view.OnUpdateCommand(VumatCommand::kInsertUnderlineNumber).enabled);
    SelectXY();
    EXPECT_TRUE(view.OnUpdateCommand(VumatCommand::kInsertUnderlineNumber).enabled);
    EXPECT_FALSE(view.OnUpdateCommand(VumatCommand::kRemoveUnderlineNumber).enabled);
    view.OnCommand(VumatCommand::kInsertUnderlineNumber);
    // The defaults: circled numbers on a single underline; the selection is gone.
    EXPECT_EQ(Char(0)->Numbering().m_renbanType, RenbanType::kMaru);
    EXPECT_EQ(Char(1)->CharacterRecord().m_underlineStyle, 1);
    EXPECT_EQ(Char(2)->Numbering().m_renbanType, 0);
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);

    SelectXY();
    EXPECT_TRUE(view.OnUpdateCommand(VumatCommand::kRemoveUnderlineNumber).enabled);
    view.OnCommand(VumatCommand::kRemoveUnderlineNumber);
    EXPECT_EQ(Char(0)->Numbering().m_renbanType, 0);
    EXPECT_EQ(Char(1)->CharacterRecord().m_underlineStyle, 0);
}

TEST_F(VumatFormatTest, NumberingSettingsOpenOnTheNumberedEndAndSetTheDefaults)
{
    Char(1)->EditNumbering().m_renbanType = 2;
    Char(1)->EditCharacterRecord()->m_underlineStyle = 2;
    Char(1)->EditCharacterRecord()->m_underlineWidth = 1;
    std::vector<UNDERLINE_NUMBER_VALUES> shown;
    view.m_hooks.underlineNumber = [&](UNDERLINE_NUMBER_VALUES* values) {
        shown.push_back(*values);
        values->underlineState = 2;  // thick
        values->kindIndex = 3;
        return 1;
    };
    SelectXY();
    view.OnCommand(VumatCommand::kUnderlineNumberSettings);
    ASSERT_EQ(shown.size(), 1u);
    // The first child is not numbered, the last is: its numbering opens the dialog.
    EXPECT_EQ(shown[0].kindIndex, 1);
    EXPECT_EQ(shown[0].underlineState, 1);
    EXPECT_EQ(shown[0].newFlag, 0);
    EXPECT_EQ(Char(0)->Numbering().m_renbanType, 4);
    EXPECT_EQ(Char(0)->CharacterRecord().m_underlineStyle, 1);
    EXPECT_EQ(Char(0)->CharacterRecord().m_underlineWidth, 3);

    // Without a selection only the defaults are set; they are what the dialog gave.
    view.OnCommand(VumatCommand::kUnderlineNumberSettings);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].newFlag, 1);
    EXPECT_EQ(shown[1].kindIndex, 3);
    EXPECT_EQ(shown[1].underlineState, 2);

    // A literal label leaves the defaults as they were.
    view.m_hooks.underlineNumber = [&](UNDERLINE_NUMBER_VALUES* values) {
        shown.push_back(*values);
        values->kindIndex = 5;
        values->labelText = u"★";
        return 1;
    };
    view.OnCommand(VumatCommand::kUnderlineNumberSettings);
    view.OnCommand(VumatCommand::kUnderlineNumberSettings);
    EXPECT_EQ(shown.back().kindIndex, 3);
}

// The selection commands with no caret, no anchor or a caret at the root level: nothing
// changes, nothing is recorded, nothing breaks.
TEST_F(VumatFormatTest, CommandsWithoutAPlaceChangeNothing)
{
    const std::vector<int> ids = {VumatCommand::kEditCopy, VumatCommand::kEditCut, VumatCommand::kBold,
                                  VumatCommand::kItalic, 32823, 32803, 32938, 32947, 32956, 32864,
                                  VumatCommand::kInsertUnderlineNumber, VumatCommand::kRemoveUnderlineNumber,
                                  VumatCommand::kUnderlineNumberSettings, VumatCommand::kSelectAll};
    view.m_hooks.underlineNumber = [](UNDERLINE_NUMBER_VALUES*) { return 1; };
    CEditNode* rootEnd = document.GetRoot()->GetEditChild(1);
    const int groups = document.History().GetCount();
    for (int place = 0; place < 3; ++place) {
        CCaret& caret = view.Caret();
        caret.ClearSelection();
        caret.m_caretNode = place == 0 ? nullptr : place == 1 ? Char(1) : rootEnd;
        for (int id : ids) {
            SCOPED_TRACE(std::to_string(place) + " " + std::to_string(id));
            view.OnCommand(id);
            EXPECT_EQ(FormulaText(), "xyz");
            EXPECT_EQ(document.History().GetCount(), groups);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(Char(i)->m_lf.lfWeight, 400);
                EXPECT_EQ(Char(i)->Numbering().m_renbanType, 0);
            }
            caret.ClearSelection();
            caret.m_caretNode = place == 0 ? nullptr : place == 1 ? Char(1) : rootEnd;
        }
    }
}

// Every command that changes the formula sends the container a new picture at once.
TEST_F(VumatFormatTest, ChangesReachTheContainerAtOnce)
{
    LinkContainer();
    Type(u"ab");
    ASSERT_EQ(PicturesSent(), 2);
    struct STEP {
        const char* name;
        std::function<void()> run;
    };
    view.m_hooks.getSize = [](int* size) {
        *size = 529;
        return true;
    };
    const std::vector<STEP> steps = {
        {"template", [&] { view.OnCommand(184); }},
        {"bold", [&] { SelectXY(); view.OnCommand(VumatCommand::kBold); }},
        {"size", [&] { SelectXY(); view.OnCommand(VumatCommand::kFontSizeBox); }},
        {"colour", [&] { SelectXY(); view.OnCommand(32823); }},
        {"underline", [&] { SelectXY(); view.OnCommand(32938); }},
        {"pattern", [&] { SelectXY(); view.OnCommand(32864); }},
        {"border", [&] { SelectXY(); view.OnCommand(32956); }},
        {"numbering", [&] { SelectXY(); view.OnCommand(VumatCommand::kInsertUnderlineNumber); }},
        {"cut", [&] { SelectXY(); view.OnCommand(VumatCommand::kEditCut); }},
        {"paste", [&] { view.OnCommand(VumatCommand::kEditPaste); }},
        {"undo", [&] { view.OnCommand(VumatCommand::kEditUndo); }},
    };
    for (const STEP& step : steps) {
        SCOPED_TRACE(step.name);
        step.run();
        EXPECT_GE(PicturesSent(), 1);
    }
}

}  // namespace
