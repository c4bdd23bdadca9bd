// The formatting setters and font application: what each records for undo, what it marks for
// measuring, and that a command's records take a selection back to its formats.
#include "paper_fixture.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/edit_families.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <cstring>
#include <functional>
#include <string>

using namespace nodetest;
using namespace papertest;

namespace {

// Replays a whole group; false when a code was unknown or the replay gave up.
bool Replayed(UndoDirection direction, CUndoGroup& group)
{
    const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, direction);
    return result.unknown == 0 && !result.abandoned;
}

// A code page 932 face name.
std::string Face(const char16_t* face)
{
    CStringW wide(face);
    return wide.GetAnsi();
}

std::string FaceOf(const CEditNode* node)
{
    return std::string(FaceNameView(node->m_lf.lfFaceName));
}

// A formula container that counts how often it was asked to size its children.
class TestFormula : public CEditContainer, public IFormulaContainer {
public:
    TestFormula() : CEditContainer(EditKind::Code(EditKind::kMath)) {}
    void ApplyFontSize(CUndoGroup*) override { ++m_applied; }
    int m_applied = 0;
};

class TestMathChar : public CEditChar {
public:
    explicit TestMathChar(char16_t c) : CEditChar(EditKind::Code(EditKind::kMathChar)) { SetText(c); }
};

class SettersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }
    SwitchGuard switches;
    CUndoGroup group;
};

}  // namespace

TEST_F(SettersTest, EachSetterRecordsItsFieldAndMarksMeasuringWhereItMatters)
{
    struct Case {
        const char* name;
        std::function<void(CEditNode*, CUndoGroup*)> set;
        std::function<int(const CEditNode*)> field;
        int code;
        int value;  // the field afterwards, recorded as the new value
        bool dirty;
    };
    const Case cases[] = {
        {"bold", [](CEditNode* n, CUndoGroup* g) { n->SetBold(1, g); }, [](const CEditNode* n) { return int(n->m_lf.lfWeight); }, 16, 700, true},
        {"not bold", [](CEditNode* n, CUndoGroup* g) { n->SetBold(0, g); }, [](const CEditNode* n) { return int(n->m_lf.lfWeight); }, 16, 400, true},
        {"italic", [](CEditNode* n, CUndoGroup* g) { n->SetItalic(1, g); }, [](const CEditNode* n) { return int(n->m_lf.lfItalic); }, 17, 1, true},
        {"text colour", [](CEditNode* n, CUndoGroup* g) { n->SetTextColor(0x0000FF, g); }, [](const CEditNode* n) { return int(n->m_color); }, 21, 0xFF, false},
        {"background", [](CEditNode* n, CUndoGroup* g) { n->SetBackColor(0xC0C0C0, g); }, [](const CEditNode* n) { return int(n->BorderRecord().m_backgroundColor); }, 22, 0xC0C0C0, false},
        {"hatch", [](CEditNode* n, CUndoGroup* g) { n->SetHatch(3, g); }, [](const CEditNode* n) { return n->BorderRecord().m_backgroundPattern; }, 23, 3, false},
        {"flat body", [](CEditNode* n, CUndoGroup* g) { n->SetFlatBody(1, g); }, [](const CEditNode* n) { return n->FontRecord().m_fontWidth; }, 24, 2, true},
        {"long body", [](CEditNode* n, CUndoGroup* g) { n->SetLongBody(1, g); }, [](const CEditNode* n) { return n->FontRecord().m_fontWidth; }, 25, 1, true},
        {"subscript", [](CEditNode* n, CUndoGroup* g) { n->SetSubscript(1, g); }, [](const CEditNode* n) { return n->m_scriptPosition; }, 26, 1, true},
        {"superscript", [](CEditNode* n, CUndoGroup* g) { n->SetSuperscript(1, g); }, [](const CEditNode* n) { return n->m_scriptPosition; }, 27, 2, true},
        {"underline style", [](CEditNode* n, CUndoGroup* g) { n->SetUnderlineStyle(7, g); }, [](const CEditNode* n) { return n->CharacterRecord().m_underlineStyle; }, 33, 7, false},
        {"underline width", [](CEditNode* n, CUndoGroup* g) { n->SetUnderlineWidth(3, g); }, [](const CEditNode* n) { return n->CharacterRecord().m_underlineWidth; }, 34, 3, false},
        {"line-through style", [](CEditNode* n, CUndoGroup* g) { n->SetLineThroughStyle(2, g); }, [](const CEditNode* n) { return n->CharacterRecord().m_lineThroughStyle; }, 35, 2, false},
        {"line-through width", [](CEditNode* n, CUndoGroup* g) { n->SetLineThroughWidth(3, g); }, [](const CEditNode* n) { return n->CharacterRecord().m_lineThroughWidth; }, 36, 3, false},
        {"frame style", [](CEditNode* n, CUndoGroup* g) { n->SetBorderStyle(2, g); }, [](const CEditNode* n) { return n->BorderRecord().m_borderStyle; }, 65, 2, false},
        {"frame width", [](CEditNode* n, CUndoGroup* g) { n->SetBorderWidth(3, g); }, [](const CEditNode* n) { return n->BorderRecord().m_borderWidth; }, 66, 3, false},
        {"kanbun underline style", [](CEditNode* n, CUndoGroup* g) { n->SetKanUnderlineStyle(4, g); }, [](const CEditNode* n) { return n->BorderRecord().m_beforeStyle; }, 67, 4, false},
        {"kanbun underline width", [](CEditNode* n, CUndoGroup* g) { n->SetKanUnderlineWidth(3, g); }, [](const CEditNode* n) { return n->BorderRecord().m_beforeWidth; }, 68, 3, false},
        {"box underline style", [](CEditNode* n, CUndoGroup* g) { n->SetBoxUnderlineStyle(5, g); }, [](const CEditNode* n) { return n->BorderRecord().m_afterStyle; }, 69, 5, false},
        {"box underline width", [](CEditNode* n, CUndoGroup* g) { n->SetBoxUnderlineWidth(3, g); }, [](const CEditNode* n) { return n->BorderRecord().m_afterWidth; }, 70, 3, false},
        {"numbering type", [](CEditNode* n, CUndoGroup* g) { n->SetBangoType(3, g); }, [](const CEditNode* n) { return n->Numbering().m_renbanType; }, 513, 3, true},
        {"label size", [](CEditNode* n, CUndoGroup* g) { n->SetBangoFontSize(282, g); }, [](const CEditNode* n) { return n->Numbering().m_renbanSize; }, 514, 282, true},
        {"forced number", [](CEditNode* n, CUndoGroup* g) { n->SetBangoForce(5, g); }, [](const CEditNode* n) { return n->Numbering().m_renbanForce; }, 516, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditChar node(u'a');
        node.m_dirty = 0;
        const int before = c.field(&node);
        CUndoGroup local;
        c.set(&node, &local);
        EXPECT_EQ(c.field(&node), c.value);
        EXPECT_EQ(node.m_dirty != 0, c.dirty);
        ASSERT_EQ(local.GetCount(), 1);
        const CUndoAction* action = local.GetAt(0);
        EXPECT_EQ(action->m_code, c.code);
        EXPECT_EQ(action->m_pNode, &node);
        EXPECT_EQ(action->m_oldValue, before);
        EXPECT_EQ(action->m_newValue, c.value);
        // Undo and redo write the field through the same table and always mark the node.
        node.m_dirty = 0;
        ASSERT_TRUE(Replayed(UndoDirection::Undo, local));
        EXPECT_EQ(c.field(&node), before);
        EXPECT_EQ(node.m_dirty, 1);
        ASSERT_TRUE(Replayed(UndoDirection::Redo, local));
        EXPECT_EQ(c.field(&node), c.value);
        // Without a group the change is made and nothing is recorded.
        CEditChar bare(u'a');
        c.set(&bare, nullptr);
        EXPECT_EQ(c.field(&bare), c.value);
    }
}

TEST_F(SettersTest, SizesFontsAndLabelTexts)
{
    CEditChar node(u'a');
    node.m_lf.lfWidth = 7;
    const SIZE positive{0, 371};
    node.SetFontSize(&positive, &group);
    EXPECT_EQ(node.m_lf.lfHeight, -371);
    EXPECT_EQ(node.m_lf.lfWidth, 0);
    const SIZE negative{0, -371};
    node.SetFontSize(&negative, &group);
    EXPECT_EQ(node.m_lf.lfHeight, -371);
    ASSERT_EQ(group.GetCount(), 2);
    EXPECT_EQ(group.GetAt(0)->m_code, 3);
    EXPECT_EQ(group.GetAt(0)->m_oldPair.cx, 7);
    EXPECT_EQ(group.GetAt(0)->m_newPair.cy, 371);  // the pair as it was passed

    node.m_lf.lfItalic = 1;
    node.SetItalic(0, &group);
    EXPECT_EQ(group.GetAt(2)->m_oldValue, 1);

    LOGFONTA font = node.m_lf;
    font.lfHeight = -500;
    const LOGFONTA old = node.m_lf;
    node.SetLogFont(&font, &group);
    EXPECT_EQ(group.GetAt(3)->m_code, 31);
    EXPECT_EQ(std::memcmp(&group.GetAt(3)->m_oldLogFont, &old, sizeof(LOGFONTA)), 0);
    EXPECT_EQ(node.m_lf.lfHeight, -500);

    // A label face longer than the field is cut to 31 bytes on a character boundary.
    const std::string longFace = Face(u"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱ");  // 34 bytes
    node.SetBangoFontFamily(longFace.c_str(), &group);
    EXPECT_EQ(std::string(FaceNameView(node.Numbering().m_renbanFace)), longFace.substr(0, 30));
    EXPECT_EQ(group.GetAt(4)->m_code, 515);
    EXPECT_EQ(group.GetAt(4)->m_oldString, std::string(kMsPMinchoFace));
    EXPECT_EQ(group.GetAt(4)->m_newString, longFace.substr(0, 30));

    node.SetBangoString(u"ア", &group);
    EXPECT_EQ(group.GetAt(5)->m_code, 517);
    EXPECT_EQ(group.GetAt(5)->m_newWString, u"ア");
    EXPECT_TRUE(group.GetAt(5)->m_oldWString.IsEmpty());

    CEditCR lineBreak;
    lineBreak.m_dirty = 0;
    lineBreak.SetTextAlign(4, &group);
    EXPECT_EQ(group.GetAt(6)->m_code, 129);
    EXPECT_EQ(lineBreak.m_dirty, 0);
}

TEST_F(SettersTest, FaceNamesComeFromTheInstalledFonts)
{
    CEditChar node(u'a');
    node.m_lf.lfHeight = -500;
    node.m_lf.lfWeight = 700;
    const std::string gothic = Face(u"ＭＳ ゴシック");
    ASSERT_TRUE(node.SetFaceName(gothic.c_str(), &group));
    EXPECT_EQ(FaceOf(&node), gothic);
    EXPECT_EQ(node.m_lf.lfHeight, -500);  // size and weight stay
    EXPECT_EQ(node.m_lf.lfWeight, 700);
    EXPECT_EQ(group.GetAt(0)->m_code, 20);
    EXPECT_EQ(std::string(FaceNameView(group.GetAt(0)->m_newLogFont.lfFaceName)), gothic);

    EXPECT_FALSE(node.SetFaceName("No Such Face", &group));
    EXPECT_EQ(FaceOf(&node), gothic);
    EXPECT_EQ(group.GetCount(), 1);
}

TEST_F(SettersTest, FaceNameOverASubtreeKeepsTheGaijiFaceOnRequest)
{
    const std::string gothic = Face(u"ＭＳ ゴシック");
    for (int keep = 0; keep <= 1; ++keep) {
        SCOPED_TRACE(keep);
        CEditSentence part;
        AddText(&part, u"ab");
        CEditChar* gaiji = AddChar(&part, u'c');
        ASSERT_TRUE(gaiji->SetFaceName("Orvellan Gaiji", nullptr));
        AddCR(&part);
        part.SetFaceNameRecursive(gothic.c_str(), 0, keep, &group);
        EXPECT_EQ(FaceOf(part.GetEditChild(0)), gothic);
        EXPECT_EQ(FaceOf(part.GetEditChild(3)), gothic);
        EXPECT_EQ(FaceOf(gaiji), keep ? "Orvellan Gaiji" : gothic);
    }
}

TEST_F(SettersTest, DefaultFontsByCharacterClassAndPlace)
{
    CDefaultFontTable table;
    const std::string gothic = Face(u"ＭＳ ゴシック");
    const std::string mincho = Face(u"ＭＳ 明朝");
    LOGFONTA font = table.GetEntry(CDefaultFontTable::MathOperator).font;
    CopyFaceName(font.lfFaceName, gothic);
    table.SetMathOperatorFont(&font);
    CopyFaceName(font.lfFaceName, mincho);
    table.SetDefaultFont(&font, 0);

    CEditSentence part;
    CEditChar* kana = AddChar(&part, u'あ');
    CEditChar* digit = AddChar(&part, u'7');
    CEditChar* letter = AddChar(&part, u'q');
    CEditChar* gaiji = AddChar(&part, u'ア');
    ASSERT_TRUE(gaiji->SetFaceName("Orvellan Gaiji", nullptr));
    auto* formula = new TestFormula();
    part.AppendChild(formula);
    auto* x = new TestMathChar(u'x');
    auto* plus = new TestMathChar(u'+');
    auto* two = new TestMathChar(u'2');
    formula->AppendChild(x);
    formula->AppendChild(plus);
    formula->AppendChild(two);
    AddCR(&part);
    for (CEditNode* node : std::initializer_list<CEditNode*>{kana, digit, letter, x, plus, two})
        node->m_lf.lfHeight = -999;

    part.ApplyDefaultFonts(&table, &group);
    EXPECT_EQ(FaceOf(kana), mincho);
    EXPECT_EQ(FaceOf(digit), "Times New Roman");
    EXPECT_EQ(digit->m_lf.lfItalic, 0);
    EXPECT_EQ(letter->m_lf.lfItalic, 1);  // half-width text is italic by default
    EXPECT_EQ(FaceOf(gaiji), "Orvellan Gaiji");
    EXPECT_EQ(FaceOf(x), "Times New Roman");
    EXPECT_EQ(x->m_lf.lfItalic, 1);
    EXPECT_EQ(FaceOf(plus), gothic);
    EXPECT_EQ(plus->GetText(), u"+");  // the character itself stays
    EXPECT_EQ(two->m_lf.lfItalic, 0);
    EXPECT_EQ(kana->m_lf.lfHeight, -999);  // sizes are not touched
    // A face and an italic record for each character set.
    EXPECT_EQ(group.GetCount(), 2 * 6);
}

TEST_F(SettersTest, DefaultSizesAndSizesOverSubtrees)
{
    CDefaultFontTable table;
    table.SetDefaultHeight(400);
    table.SetMathHeight(300);
    CEditSentence part;
    CEditChar* text = AddChar(&part, u'a');
    auto* formula = new TestFormula();
    part.AppendChild(formula);
    auto* x = new TestMathChar(u'x');
    formula->AppendChild(x);
    auto* loose = new TestMathChar(u'y');  // a formula character outside any formula
    part.AppendChild(loose);
    CEditCR* lineBreak = AddCR(&part);
    const LONG xBefore = x->m_lf.lfHeight;

    part.ApplyDefaultSizes(&table, &group);
    EXPECT_EQ(part.m_lf.lfHeight, -400);
    EXPECT_EQ(text->m_lf.lfHeight, -400);
    EXPECT_EQ(lineBreak->m_lf.lfHeight, -400);
    EXPECT_EQ(formula->m_lf.lfHeight, -400);
    EXPECT_EQ(formula->m_applied, 1);  // the formula sizes its own children
    EXPECT_EQ(x->m_lf.lfHeight, xBefore);
    EXPECT_EQ(loose->m_lf.lfHeight, -300);  // goes on at the formula height

    const SIZE size{0, 500};
    formula->m_applied = 0;
    part.SetSizeRecursive(&size, 1, &group);
    EXPECT_EQ(part.m_lf.lfHeight, -500);
    EXPECT_EQ(text->m_lf.lfHeight, -500);
    EXPECT_EQ(formula->m_lf.lfHeight, -500);
    EXPECT_EQ(formula->m_applied, 1);

    part.SetFontSizeRecursive(&size, 0, &group);
    EXPECT_EQ(x->m_lf.lfHeight, -500);
}

TEST_F(SettersTest, FontOfASelection)
{
    CEditSentence part;
    AddText(&part, u"abcd");
    AddCR(&part);
    CCaret caret;
    caret.m_caretNode = part.GetEditChild(3);
    LOGFONTA font = part.GetEditChild(0)->m_lf;
    font.lfHeight = -777;
    part.SetFontOfSelection(&caret, &font);  // no selection: nothing
    EXPECT_NE(part.GetEditChild(1)->m_lf.lfHeight, -777);
    caret.m_anchorNode = part.GetEditChild(1);
    part.SetFontOfSelection(&caret, &font);
    EXPECT_NE(part.GetEditChild(0)->m_lf.lfHeight, -777);
    EXPECT_EQ(part.GetEditChild(1)->m_lf.lfHeight, -777);
    EXPECT_EQ(part.GetEditChild(2)->m_lf.lfHeight, -777);
    EXPECT_NE(part.GetEditChild(3)->m_lf.lfHeight, -777);
}

TEST_F(SettersTest, FormatsSetOnASelectionAndUndoneComeBack)
{
    CEditSentence part;
    AddText(&part, u"abcde");
    AddCR(&part);
    // Mixed formats before the command.
    part.GetEditChild(1)->SetBold(1, nullptr);
    part.GetEditChild(2)->SetTextColor(0x00FF00, nullptr);
    part.GetEditChild(2)->SetUnderlineStyle(2, nullptr);
    part.GetEditChild(3)->SetBangoType(1, nullptr);
    part.GetEditChild(3)->SetBangoString(u"イ", nullptr);
    std::vector<std::unique_ptr<CEditChar>> before;
    for (int i = 0; i < part.GetChildCount(); ++i) {
        auto copy = std::make_unique<CEditChar>();
        copy->CopyFormat(part.GetEditChild(i));
        before.push_back(std::move(copy));
    }

    CCaret caret;
    caret.m_caretNode = part.GetEditChild(4);
    caret.m_anchorNode = part.GetEditChild(1);
    int first = 0;
    int last = 0;
    ASSERT_TRUE(CEditNode::GetSelectionRange(&caret, &first, &last));
    ASSERT_EQ(first, 1);
    ASSERT_EQ(last, 3);
    const std::string gothic = Face(u"ＭＳ ゴシック");
    const SIZE size{0, 600};
    for (int i = first; i <= last; ++i) {
        CEditNode* node = part.GetEditChild(i);
        node->SetBold(0, &group);
        node->SetItalic(1, &group);
        node->SetFaceName(gothic.c_str(), &group);
        node->SetFontSize(&size, &group);
        node->SetTextColor(0x0000FF, &group);
        node->SetTextColor(0xFF0000, &group);  // twice in one command
        node->SetBackColor(0xFFFF00, &group);
        node->SetHatch(5, &group);
        node->SetUnderlineStyle(7, &group);
        node->SetUnderlineWidth(3, &group);
        node->SetLineThroughStyle(1, &group);
        node->SetBorderStyle(2, &group);
        node->SetSuperscript(1, &group);
        node->SetLongBody(1, &group);
        node->SetBangoType(2, &group);
        node->SetBangoString(u"ロ", &group);
        node->SetBangoFontFamily(gothic.c_str(), &group);
    }
    EXPECT_EQ(FaceOf(part.GetEditChild(2)), gothic);
    EXPECT_EQ(part.GetEditChild(3)->m_color, 0xFF0000u);
    std::vector<std::unique_ptr<CEditChar>> after;
    for (int i = 0; i < part.GetChildCount(); ++i) {
        auto copy = std::make_unique<CEditChar>();
        copy->CopyFormat(part.GetEditChild(i));
        after.push_back(std::move(copy));
    }
    auto expectFormats = [&part](const std::vector<std::unique_ptr<CEditChar>>& expected) {
        for (int i = 0; i < part.GetChildCount(); ++i) {
            SCOPED_TRACE(i);
            const CEditNode* node = part.GetEditChild(i);
            const CEditChar* was = expected[static_cast<size_t>(i)].get();
            EXPECT_EQ(std::memcmp(&node->m_lf, &was->m_lf, sizeof(LOGFONTA)), 0);
            EXPECT_TRUE(node->SameFormat(was));
            EXPECT_EQ(node->FontRecord().m_fontWidth, was->FontRecord().m_fontWidth);
            EXPECT_EQ(node->Numbering().m_renbanString, was->Numbering().m_renbanString);
            EXPECT_EQ(std::string(FaceNameView(node->Numbering().m_renbanFace)), std::string(FaceNameView(was->Numbering().m_renbanFace)));
        }
    };

    ASSERT_TRUE(Replayed(UndoDirection::Undo, group));
    expectFormats(before);
    // Redo makes the command again as its setters did: the face change keeps the size set before
    // it, and the positive height passed is stored negative.
    ASSERT_TRUE(Replayed(UndoDirection::Redo, group));
    expectFormats(after);
    EXPECT_EQ(part.GetEditChild(2)->m_lf.lfHeight, -600);
    ASSERT_TRUE(Replayed(UndoDirection::Undo, group));
    expectFormats(before);
}
