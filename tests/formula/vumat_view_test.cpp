// The formula view without its window, on the recording context: the caret's start in the
// formula, typing in the maths faces, the input method's strings as one undo step each, palette
// characters and the gaiji face, the caret keys, painting with the container frame, and the
// scroll origin that follows the caret.
#include "formula/vumat_view.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "tests/formula/formula_fixture.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "platform/gdi_qt.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

class TestHost : public IVumatViewHost {
public:
    SIZE GetClientSize() const override { return client; }
    SIZE GetScreenSize() const override { return screen; }
    bool HasFocus() const override { return focus; }
    CDC* GetMeasuringDC() override { return &measuring; }
    void Invalidate(const RECT* area) override
    {
        ++invalidations;
        lastArea = area != nullptr ? *area : RECT{-1, -1, -1, -1};
    }

    SIZE client{600, 200};
    SIZE screen{1024, 768};
    bool focus = true;
    CRecordingDC measuring;
    int invalidations = 0;
    RECT lastArea{};
};

std::string Face(const LOGFONTA& font) { return font.lfFaceName; }

// "ＭＳ ゴシック" in code page 932, an installed face unlike the maths defaults.
const char kGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

class VumatViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateGdiResources();
        RegisterFormulaFamily();
    }

    VumatViewTest()
    {
        UseWideTextOut = 0;
        document.SetViewUpdater([this](intptr_t hint) { view.OnUpdate(static_cast<int>(hint)); });
        document.OnNewDocument();
        view.OnInitialUpdate();
    }
    ~VumatViewTest() override
    {
        CDefaultFontTable::Instance() = m_fonts;
        UseWideTextOut = m_wide;
    }

    CEditNode* Formula() const { return document.GetRoot()->GetEditChild(0); }

    // The formula's characters, with "|" for a line end inside it.
    std::u16string Text() const
    {
        std::u16string text;
        for (int i = 0; i < Formula()->GetChildCount(); ++i) {
            const CEditNode* child = Formula()->GetEditChild(i);
            if (child->IsKind(EditKind::kMathChar))
                text += child->GetText().View();
            else if (child->HasKindFlags(EditKind::kLineBreak) && i + 1 < Formula()->GetChildCount())
                text += u'|';
        }
        return text;
    }

    void Type(std::u16string_view text)
    {
        for (char16_t c : text)
            view.OnChar(c);
    }

    CDefaultFontTable m_fonts = CDefaultFontTable::Instance();
    int m_wide = UseWideTextOut;
    CVumatDoc document;
    TestHost host;
    CVumatView view{document, host};
};

TEST_F(VumatViewTest, StartsWithTheCaretInTheFormulaAndWithoutOneElsewhere)
{
    ASSERT_NE(view.CaretNode(), nullptr);
    EXPECT_EQ(view.CaretNode()->GetEditParent(), Formula());
    EXPECT_EQ(Face(view.GetCaret().m_logFont), Face(view.GetBaseInputFont()));
    EXPECT_EQ(view.GetBaseInputFont().lfHeight, -std::abs(CDefaultFontTable::Instance().GetMathHeight()));

    // A root whose first stop is not a formula leaves the view without a caret: typing does nothing.
    CEditNode* formula = Formula();
    formula->DetachAndDelete();
    view.OnInitialUpdate();
    EXPECT_EQ(view.CaretNode(), nullptr);
    view.OnChar(u'x');
    EXPECT_EQ(document.History().GetCount(), 0);
}

TEST_F(VumatViewTest, AFormulaTheDocumentReplacedTakesTheCaretOver)
{
    // Cleared and made anew, as a new object: the views are told.
    Type(u"ab");
    document.DeleteContents();
    EXPECT_EQ(view.CaretNode(), nullptr);
    document.OnNewDocument();
    view.OnChar(u'c');
    EXPECT_EQ(Text(), u"c");

    // Replaced by loaded data without a word to the views: the next key finds the new formula.
    document.LoadObjectData(formulatest::Bytes(formulatest::Fragment("", formulatest::EmptyFormulaBlock())));
    view.OnChar(u'd');
    EXPECT_EQ(Text(), u"d");
    EXPECT_EQ(view.CaretNode()->GetEditParent(), Formula());
}

TEST_F(VumatViewTest, TypedCharactersTakeTheFaceOfTheirClass)
{
    CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA numeric{};
    ApplyInstalledFontFace(&numeric, kGothic);
    fonts.SetMathNumericFont(&numeric);
    fonts.SetMathNumericItalic(0);
    fonts.SetMathItalic(1);
    fonts.SetMathOperatorItalic(0);
    LOGFONTA letters{};
    LOGFONTA operators{};
    fonts.GetMathFont(&letters);
    fonts.GetMathOperatorFont(&operators);
    ASSERT_NE(Face(letters), Face(numeric));
    ASSERT_NE(Face(letters), Face(operators));

    struct Case {
        char16_t ch;
        std::string face;
        int italic;
    };
    const Case cases[] = {{u'x', Face(letters), 1}, {u'2', Face(numeric), 0}, {u'+', Face(letters), 1}, {u'＋', Face(operators), 0}};
    for (const Case& c : cases) {
        const LOGFONTA before = view.GetCaret().m_logFont;
        view.OnChar(c.ch);
        CEditNode* typed = view.CaretNode()->GetPrevSibling() ? CEditNode::FromNode(view.CaretNode()->GetPrevSibling()) : nullptr;
        ASSERT_NE(typed, nullptr);
        EXPECT_EQ(typed->GetText().View(), std::u16string(1, c.ch));
        EXPECT_EQ(Face(typed->m_lf), c.face) << static_cast<int>(c.ch);
        EXPECT_EQ(typed->m_lf.lfItalic, c.italic) << static_cast<int>(c.ch);
        // The typing font continues the character before the caret.
        EXPECT_EQ(Face(view.GetCaret().m_logFont), c.face);
        (void)before;
    }
    EXPECT_EQ(Text(), u"x2+＋");
    EXPECT_EQ(document.History().GetCount(), 4);
    EXPECT_TRUE(document.IsModified());
}

TEST_F(VumatViewTest, ControlCharactersInsertNothingAndOutsideTheFormulaOnlyEnterWorks)
{
    Type(u"\t\n\x7F\x1B\x85");
    EXPECT_EQ(Text(), u"");
    EXPECT_EQ(document.History().GetCount(), 0);
    EXPECT_FALSE(document.IsModified());

    // The caret at the root's line end, outside the formula.
    CEditNode* lineEnd = document.GetRoot()->GetEditChild(1);
    ASSERT_NE(lineEnd, nullptr);
    view.Caret().m_caretNode = lineEnd;
    view.OnChar(u'a');
    view.OnImeComposition(u"あ");
    view.OnPaletteChar(u'β', nullptr);
    EXPECT_EQ(Text(), u"");
    EXPECT_EQ(document.GetRoot()->GetChildCount(), 2);
    view.OnChar(13);
    EXPECT_EQ(document.GetRoot()->GetChildCount(), 3);
    EXPECT_EQ(document.History().GetCount(), 1);
}

TEST_F(VumatViewTest, TheTwoHalvesOfACharacterGoInOnceAndLoneHalvesAreDropped)
{
    view.OnChar(0xD835);
    EXPECT_TRUE(view.HasPendingLeadUnit());
    EXPECT_EQ(Text(), u"");
    view.OnKillFocus();  // the first half waits through a focus change
    view.OnChar(0xDC9C);
    EXPECT_EQ(Text(), u"\xD835\xDC9C");
    EXPECT_EQ(Formula()->GetChildCount(), 2);
    EXPECT_EQ(document.History().GetCount(), 1);

    view.OnChar(0xDC9C);          // a second half alone
    view.OnChar(0xD835);          // a first half, then no second one
    view.OnChar(u'a');
    EXPECT_EQ(Text(), u"\xD835\xDC9C" u"a");
    EXPECT_FALSE(view.HasPendingLeadUnit());
}

TEST_F(VumatViewTest, ACommittedStringIsOneUndoStep)
{
    Type(u"x");
    view.OnImeComposition(u"αβγ");
    EXPECT_EQ(Text(), u"xαβγ");
    ASSERT_EQ(document.History().GetCount(), 2);
    CUndoGroup* group = document.GetUndoRecord();
    ASSERT_NE(group, nullptr);
    ReplayUndoGroup(*group, UndoDirection::Undo);
    EXPECT_EQ(Text(), u"x");

    // Controls and lone halves in a string are skipped; the rest goes in.
    view.OnImeComposition(std::u16string(u"a\tb") + char16_t(0xDC00) + u"c");
    EXPECT_EQ(Text(), u"xabc");
}

TEST_F(VumatViewTest, AnOverlongCommittedStringIsCutToTheResultBuffer)
{
    view.OnImeComposition(std::u16string(5000, u'1'));
    EXPECT_EQ(Text().size(), CVumatView::kMaxCompositionUnits);
    EXPECT_EQ(document.History().GetCount(), 1);
}

TEST_F(VumatViewTest, PaletteCharactersOfTheGaijiMapGoInAsTheMappedCode)
{
    // U+2213 is held by the gaiji font at the code whose own character is U+00B1.
    LOGFONTA palette{};
    ApplyInstalledFontFace(&palette, kGothic);
    palette.lfWeight = 700;
    const LOGFONTA before = view.GetCaret().m_logFont;
    view.OnPaletteChar(u'∓', &palette);
    view.OnPaletteChar(u'β', &palette);
    view.OnChar(u'∓');
    ASSERT_EQ(Text(), u"±β∓");
    const CEditNode* mapped = Formula()->GetEditChild(0);
    const CEditNode* plain = Formula()->GetEditChild(1);
    const CEditNode* typed = Formula()->GetEditChild(2);
    EXPECT_EQ(Face(mapped->m_lf), "Orvellan Gaiji");
    EXPECT_EQ(Face(plain->m_lf), kGothic);
    EXPECT_EQ(plain->m_lf.lfWeight, 400);
    EXPECT_EQ(Face(typed->m_lf), "Orvellan Gaiji");
    EXPECT_EQ(document.History().GetCount(), 3);
    (void)before;
}

TEST_F(VumatViewTest, NothingChangedMeansNoUndoStepAndNoModifiedFlag)
{
    view.OnChar(8);        // Backspace at the start of the formula
    view.OnEditClear();    // Delete at its end
    EXPECT_EQ(document.History().GetCount(), 0);
    EXPECT_FALSE(document.IsModified());

    Type(u"ab");
    view.OnChar(8);
    EXPECT_EQ(Text(), u"a");
    view.OnKeyDown(VumatKey::kHome, false);
    EXPECT_TRUE(view.OnCommand(VumatCommand::kEditClear));
    EXPECT_EQ(Text(), u"");
    EXPECT_EQ(document.History().GetCount(), 4);
}

// A character whose insertion records a node and then runs out of memory.
class FailingChar : public CEditMathChar {
public:
    FailingChar() : CEditMathChar(u'!') {}
    BOOL InsertString(CCaret*, CStringW*, CUndoGroup* group) override
    {
        auto* added = new CEditMathChar(u'q');
        InsertBefore(added);
        group->RecordNode(0x10002, added, this, 0, 0);
        throw std::bad_alloc();
    }
};

TEST_F(VumatViewTest, AKeystrokeThatFailsPartWayHandsItsStepToTheHistory)
{
    auto* failing = new FailingChar();
    view.CaretNode()->InsertBefore(failing);
    view.Caret().m_caretNode = failing;
    view.OnChar(u'x');
    EXPECT_EQ(Text(), u"q!");
    ASSERT_EQ(document.History().GetCount(), 1);
    EXPECT_TRUE(document.IsModified());
    ReplayUndoGroup(*document.GetUndoRecord(), UndoDirection::Undo);
    EXPECT_EQ(Text(), u"!");
}

TEST_F(VumatViewTest, CaretKeysMoveSelectAndKeepTheRememberedX)
{
    Type(u"abc");
    view.OnKeyDown(VumatKey::kHome, false);
    ASSERT_EQ(view.CaretNode(), Formula()->GetEditChild(0));
    view.OnKeyDown(VumatKey::kRight, true);
    EXPECT_EQ(view.CaretNode(), Formula()->GetEditChild(1));
    EXPECT_EQ(view.GetCaret().m_anchorNode, Formula()->GetEditChild(0));
    view.OnKeyDown(VumatKey::kRight, false);
    EXPECT_EQ(view.GetCaret().m_caretNode, Formula()->GetEditChild(2));

    // Up and Down keep the remembered x; the other keys take it from the caret.
    view.OnKeyDown(VumatKey::kUp, false);
    EXPECT_EQ(view.GetCaret().m_verticalMove, 1);
    view.OnKeyDown(VumatKey::kLeft, false);
    EXPECT_EQ(view.GetCaret().m_verticalMove, 0);
    EXPECT_EQ(view.GetCaret().m_rememberedX, view.GetCaretRect().left);

    // Left at the start of the formula comes back.
    for (int i = 0; i < 5; ++i)
        view.OnKeyDown(VumatKey::kLeft, false);
    EXPECT_NE(view.CaretNode(), nullptr);
}

TEST_F(VumatViewTest, ACaretAtTheRootsLineEndGoesIntoTheFormulaWhenShown)
{
    Type(u"ab");
    view.Caret().m_caretNode = document.GetRoot()->GetEditChild(1);
    view.ShowCaretAndIme();
    ASSERT_NE(view.CaretNode(), nullptr);
    EXPECT_EQ(view.CaretNode()->GetEditParent(), Formula());
    EXPECT_EQ(view.CaretNode(), Formula()->GetLastInner());
    EXPECT_TRUE(view.IsSystemCaretShown());

    // Without the focus nothing is shown; losing the focus hides the caret.
    view.OnKillFocus();
    EXPECT_FALSE(view.IsSystemCaretShown());
}

TEST_F(VumatViewTest, PaintingFramesTheFormulaInXorOnTheScreenOnly)
{
    Type(u"ab");
    CRecordingDC screen;
    ASSERT_TRUE(view.PaintInto(&screen, RECT{0, 0, 600, 200}));
    RECT expected = Formula()->m_rcLayout;
    view.GetDisplayMap().DocToDeviceRect(&expected);
    expected = RECT{expected.left - 1, expected.top - 1, expected.right + 2, expected.bottom + 2};
    const std::vector<GdiCall> frames = screen.CallsOf(GdiOp::FrameRect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].rop2, R2_XORPEN);
    EXPECT_EQ(frames[0].rect.left, expected.left);
    EXPECT_EQ(frames[0].rect.bottom, expected.bottom);

    CRecordingDC printer(DeviceKind::Printer);
    view.Caret().m_anchorNode = Formula()->GetEditChild(0);
    ASSERT_TRUE(view.PaintInto(&printer, RECT{0, 0, 600, 200}));
    EXPECT_TRUE(printer.CallsOf(GdiOp::FrameRect).empty());
    EXPECT_TRUE(printer.CallsOf(GdiOp::InvertRect).empty());

    // An empty clip box paints nothing.
    EXPECT_FALSE(view.PaintInto(&screen, RECT{10, 10, 10, 50}));
}

TEST_F(VumatViewTest, TheOffscreenBitmapCoversAWindowLargerThanTheScreen)
{
    host.client = SIZE{2000, 1200};
    ASSERT_NE(view.GetOffscreenDC(), nullptr);
    EXPECT_GE(view.GetOffscreenSize().cx, 2000);
    EXPECT_GE(view.GetOffscreenSize().cy, 1200);
    host.client = SIZE{100, 100};
    EXPECT_TRUE(view.OnPaint(RECT{0, 0, 100, 100}));
    EXPECT_EQ(view.GetOffscreenSize().cx, 2000);
}

TEST_F(VumatViewTest, ANodeUpdateRepaintsItsRectangleWidened)
{
    Type(u"a");
    CEditNode* typed = Formula()->GetEditChild(0);
    RECT r = typed->m_rcLayout;
    view.GetDisplayMap().DocToDeviceRect(&r);
    view.OnUpdate(VumatHint::kNode, typed);
    EXPECT_EQ(host.lastArea.left, r.left - 1);
    EXPECT_EQ(host.lastArea.top, r.top - 1);
    EXPECT_EQ(host.lastArea.right, r.right + 2);
    EXPECT_EQ(host.lastArea.bottom, r.bottom + 2);
}

TEST_F(VumatViewTest, TheOriginFollowsTheCaretBothWaysAndNeverGoesNegative)
{
    host.client = SIZE{40, 200};
    view.OnSize(host.client);
    Type(u"abcdefghijklmnop");
    const int scrolled = view.GetDisplayMap().m_originX;
    EXPECT_GT(scrolled, 0);
    POINT caret{view.GetCaretRect().left, 0};
    view.LogicalToDevicePoint(&caret);
    EXPECT_GE(caret.x, 0);
    EXPECT_LE(caret.x, host.client.cx);

    view.OnKeyDown(VumatKey::kHome, false);
    EXPECT_EQ(view.GetDisplayMap().m_originX, 0);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 0);

    // The bars are empty: their requests and the wheel leave the origin.
    view.OnKeyDown(VumatKey::kPageDown, false);
    view.OnMouseWheel(-120);
    view.OnHScroll(VumatScroll::kLineDown);
    EXPECT_EQ(view.GetDisplayMap().m_originX, 0);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 0);
}

}  // namespace
