// The formula root on the recording context (characters 100 high: ASCII 50 wide, ascent 80):
// its lines, the margins beside overhanging glyphs, hit testing beside the lines, the caret's
// moves between lines, and a hidden root.
#include "formula/math_sentence.h"

#include "base/gdi_cache.h"
#include "math/formula.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kEm = 100;

class MathSentenceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateGdiResources();
        RegisterFormulaFamily();
    }

    MathSentenceTest() { map.SetResolution(2540, 2540, 100); }

    // Characters of the text (a "|" is a line end) appended to the root.
    void Add(const std::u16string& text)
    {
        for (const char16_t c : text) {
            CEditNode* node = c == u'|' ? static_cast<CEditNode*>(new CEditCR()) : new CEditChar(c);
            node->m_lf.lfHeight = -kEm;
            root.AppendChild(node);
        }
    }

    void Measure(int width, int pageHeight = 100000)
    {
        LAYOUT_CONTEXT context;
        context.availableWidth = width;
        context.fullWidth = width;
        context.pageHeight = pageHeight;
        context.remainingHeight = pageHeight;
        root.Measure(&dc, &map, &context);
    }

    void Place(int x, int y)
    {
        LAYOUT_CONTEXT context;
        context.originX = x;
        context.originY = y;
        root.Layout(&context, 0);
    }

    // The lines of box 0 as their texts, "/" between lines.
    std::u16string Lines()
    {
        std::u16string text;
        const CEditBox* box = root.GetBox(0);
        for (int l = 0; box != nullptr && l < box->GetLineCount(); ++l) {
            const EDIT_LINE line = box->GetLine(l);
            if (l > 0)
                text += u"/";
            for (int i = line.m_first; i >= 0 && i <= line.m_last; ++i) {
                const CEditNode* child = root.GetEditChild(i);
                text += IsLineBreak(child) ? std::u16string(u"|") : std::u16string(child->GetText().View());
            }
        }
        return text;
    }

    CRecordingDC dc;
    CDisplayMap map;
    CEditMathSentence root;
};

}  // namespace

TEST_F(MathSentenceTest, NewRootHoldsOneFormulaLine)
{
    EXPECT_EQ(root.GetKind(), EditKind::Code(EditKind::kMathSentence));
    EXPECT_EQ(root.m_vertical, 1);
    EXPECT_EQ(root.m_caretStop, 0);
    root.InitContent(0);
    ASSERT_EQ(root.GetChildCount(), 2);
    EXPECT_TRUE(root.GetEditChild(0)->IsKind(EditKind::kMath));
    EXPECT_EQ(root.GetEditChild(0)->m_lf.lfHeight, -371);
    EXPECT_TRUE(root.GetEditChild(1)->IsKind(EditKind::kCR));

    Measure(10000);
    ASSERT_EQ(root.GetBoxCount(), 1);
    const EDIT_LINE line = root.GetBox(0)->GetLine(0);
    EXPECT_EQ(root.GetBox(0)->GetLineCount(), 1);
    EXPECT_EQ(line.m_count, 2);
    EXPECT_EQ(root.m_width, line.m_width);
    EXPECT_EQ(line.m_width, root.GetEditChild(0)->m_width + root.GetEditChild(1)->m_width + root.GetLeftMargin() +
                                root.GetRightMargin());
    EXPECT_EQ(root.m_height, root.GetBox(0)->m_height);
}

TEST_F(MathSentenceTest, EmptyRootMeasuresToTheAvailableWidth)
{
    Measure(7000);
    ASSERT_EQ(root.GetBoxCount(), 1);
    EXPECT_EQ(root.GetBox(0)->GetLineCount(), 0);
    EXPECT_EQ(root.m_width, 7000);
    EXPECT_EQ(root.m_height, 0);
}

TEST_F(MathSentenceTest, OverhangingGlyphGetsAtLeastHalfAMillimetre)
{
    struct CASE {
        int overhang;
        int margin;
    };
    for (const CASE c : {CASE{12, 50}, CASE{0, 0}, CASE{70, 70}}) {
        root.DeleteAllChildren();
        dc.Rules().glyph = [c](const LOGFONTA&, char16_t unit, ABC& abc) {
            if (unit != u'f')
                return false;
            abc = ABC{-c.overhang, UINT(50 + 2 * c.overhang), -c.overhang};
            return true;
        };
        auto* formula = new CEditMath();
        auto* letter = new CEditMathChar(u'f');
        letter->m_lf.lfHeight = -kEm;
        formula->AppendChild(letter);
        formula->AppendChild(new CEditMathCR());
        root.AppendChild(formula);
        Add(u"|");
        Measure(10000);
        EXPECT_EQ(root.GetLeftMargin(), c.margin) << c.overhang;
        EXPECT_EQ(root.GetRightMargin(), c.margin) << c.overhang;
        EXPECT_EQ(root.m_width, formula->m_width + root.GetEditChild(1)->m_width + 2 * c.margin) << c.overhang;
        Place(1000, 0);
        EXPECT_EQ(formula->m_rcLayout.left, 1000 + c.margin) << "the formula stands right of the left margin";
    }
}

TEST_F(MathSentenceTest, LineBreaking)
{
    struct CASE {
        const char* name;
        std::u16string text;
        int width;
        std::u16string lines;
    };
    const CASE cases[] = {
        // a, b, c, a space and d, e, f: the second word goes to the next line whole.
        {"WordWrapsAtTheSpace", u"abc def|", 275, u"abc /def|"},
        {"DigitStaysAfterALetter", u"ab1|", 120, u"ab1|"},
        {"DigitAfterADigitIsTested", u"a12|", 120, u"a1/2|"},
        {"LongWordIsBroken", u"abcdef|", 175, u"abc/def|"},
        {"LineEndsStartLines", u"ab|cd|", 10000, u"ab|/cd|"},
    };
    for (const CASE& c : cases) {
        root.DeleteAllChildren();
        Add(c.text);
        Measure(c.width);
        EXPECT_EQ(Lines(), c.lines) << c.name;
        EXPECT_EQ(root.GetBoxCount(), 1) << c.name;
    }
}

TEST_F(MathSentenceTest, TallFormulaKeepsEveryLineInTheFirstBox)
{
    Add(u"a|b|c|d|");
    Measure(10000, 150);
    ASSERT_EQ(root.GetBoxCount(), 1);
    EXPECT_EQ(root.GetBox(0)->GetLineCount(), 4);
    EXPECT_EQ(root.m_height, 4 * kEm);
}

TEST_F(MathSentenceTest, HitsBesideALineSnapToItsEnds)
{
    Add(u"ab|");
    static_cast<CEditCR*>(root.GetEditChild(2))->m_textAlign = 1;  // centred
    Measure(1000);
    Place(0, 0);
    const CEditNode* a = root.GetEditChild(0);
    const CEditNode* lineEnd = root.GetEditChild(2);
    ASSERT_GT(a->m_rcLayout.left, 100);
    int after = -1;
    EXPECT_EQ(root.HitTest(10, 50, &after), a);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(root.HitTest(990, 50, &after), lineEnd);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(root.HitTest(2000, 50, &after), nullptr) << "outside the box";

    root.m_hidden = 1;
    EXPECT_EQ(root.HitTest(a->m_rcLayout.left + 1, 50, &after), nullptr);
}

TEST_F(MathSentenceTest, CaretMovesBetweenLines)
{
    Add(u"ab|cde|");
    Measure(10000);
    Place(0, 0);
    CEditNode* b = root.GetEditChild(1);
    CEditNode* d = root.GetEditChild(4);
    CCaret caret;
    caret.m_verticalMove = 1;
    EXPECT_EQ(root.GetNodeBelow(b, &caret), d) << "the node under the left edge";
    EXPECT_EQ(root.GetNodeBelow(b, nullptr), root.GetEditChild(6)) << "else the line's last node";
    EXPECT_EQ(root.GetNodeAbove(d, &caret), b);
    EXPECT_EQ(root.GetNodeAbove(b, &caret), b) << "the first line has none above";
    EXPECT_EQ(root.GetNodeBelow(d, &caret), d) << "the last line has none below";
}

TEST_F(MathSentenceTest, HiddenRootMeasuresEmptyAndDrawsNothing)
{
    root.InitContent(0);
    root.m_hidden = 1;
    Measure(10000);
    EXPECT_EQ(root.m_width, 0);
    EXPECT_EQ(root.m_height, 0);
    LAYOUT_CONTEXT context;
    root.Draw(&dc, &map, &context);
    EXPECT_TRUE(dc.Drawings().empty());
}
