#include "node_fixture.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret.h"
#include "nodes/in_text_answer.h"
#include "nodes/labelled_underline.h"
#include "nodes/ruby.h"

#include <algorithm>

using namespace nodetest;

namespace {

// Restores the answers' switch after each test.
class AnswerSwitchGuard {
public:
    AnswerSwitchGuard() : m_visible(InTextAnswersVisible) {}
    ~AnswerSwitchGuard() { InTextAnswersVisible = m_visible; }

private:
    int m_visible;
};

class InlineLineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void Measure(CEditContainer& node, int available, int vertical = 0)
    {
        CDisplayMap measureMap = IdentityMap(vertical);
        LAYOUT_CONTEXT measure = MeasureContext(available, 35);
        node.Measure(&dc, &measureMap, &measure);
    }
    std::vector<std::u16string> DrawnTexts(CEditNode& node, int vertical = 0)
    {
        CDisplayMap drawMap = IdentityMap(vertical);
        LAYOUT_CONTEXT draw;
        dc.ClearCalls();
        node.Draw(&dc, &drawMap, &draw);
        std::vector<std::u16string> texts;
        for (const GdiCall& call : dc.Drawings()) {
            if (!call.text.empty())
                texts.push_back(call.text);
        }
        return texts;
    }

    SwitchGuard switches;
    AnswerSwitchGuard answers;
    CRecordingDC dc;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// In-text answers

TEST_F(InlineLineTest, AnswerIsCentredOnTheRowAxisAndDrawnInRed)
{
    CEditCyukai answer;
    EXPECT_EQ(answer.GetKind(), EditKind::Code(EditKind::kCyukai));
    AddChars(&answer, u"ab", 200);
    AddCR(&answer, 0, 200);
    Measure(answer, 10000);
    EXPECT_EQ(answer.m_width, 200);
    EXPECT_EQ(answer.m_height, 200);  // no line spacing inside the answer
    EXPECT_EQ(answer.m_axis, 100);
    LAYOUT_CONTEXT row = LayoutContext(500, 1000);
    row.rowAscent = 80;
    row.rowAxis = 50;
    answer.Layout(&row, 0);
    EXPECT_TRUE(SameRect(answer.m_rcLayout, Rect(500, 950, 700, 1150))) << RectText(answer.m_rcLayout);
    EXPECT_EQ(answer.GetEditChild(1)->m_rcLayout.left, 600);
    EXPECT_TRUE(SameRect(answer.GetEditChild(1)->m_rcHit, Rect(600, 950, 700, 1150)));

    InTextAnswersVisible = 1;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT draw;
    answer.Draw(&dc, &map, &draw);
    // Both characters go out in one text call.
    const std::vector<GdiCall> texts = dc.CallsOf(GdiOp::ExtTextOutW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"ab");
    EXPECT_EQ(texts[0].textColor, 0x0000FFu);
}

TEST_F(InlineLineTest, HiddenAnswersKeepTheirPlaceAndDrawNothing)
{
    CEditContainer paragraph(EditKind::Code(EditKind::kSentence));
    AddChar(&paragraph, u'x');
    auto* answer = new CEditCyukai();
    paragraph.AppendChild(answer);
    AddChars(answer, u"ab");
    AddCR(answer);
    CEditChar* after = AddChar(&paragraph, u'y');
    AddCR(&paragraph);

    InTextAnswersVisible = 0;
    Measure(paragraph, 10000);
    LAYOUT_CONTEXT layout = LayoutContext(0, 0);
    paragraph.Layout(&layout, 0);
    EXPECT_EQ(after->m_rcLayout.left, 150);
    EXPECT_EQ(DrawnTexts(paragraph), (std::vector<std::u16string>{u"x", u"y"}));
    InTextAnswersVisible = 1;
    EXPECT_EQ(DrawnTexts(paragraph), (std::vector<std::u16string>{u"x", u"ab", u"y"}));
}

TEST_F(InlineLineTest, AnAnswerWiderThanTheLineIsItsFirstLineOnly)
{
    InTextAnswersVisible = 1;
    CEditCyukai answer;
    AddChars(&answer, u"abcd");
    AddCR(&answer);
    Measure(answer, 120);
    EXPECT_EQ(answer.m_width, 100);
    EXPECT_EQ(answer.m_height, 100);
    LAYOUT_CONTEXT row = LayoutContext(0, 0);
    row.rowAxis = 50;
    answer.Layout(&row, 0);
    // The children of later lines are neither placed nor drawn.
    EXPECT_EQ(DrawnTexts(answer), (std::vector<std::u16string>{u"ab"}));
    EXPECT_EQ(answer.GetEditChild(1)->m_indexInLine, 1);

    // Without children nothing is laid out.
    CEditCyukai empty;
    empty.m_rcLayout = Rect(1, 2, 3, 4);
    Measure(empty, 120);
    empty.Layout(&row, 0);
    EXPECT_TRUE(SameRect(empty.m_rcLayout, Rect(1, 2, 3, 4)));
}

TEST_F(InlineLineTest, NewAnswerEndsWithALineBreakInTheDefaultFont)
{
    CurrentWritingVertical = 1;
    CEditCyukai answer;
    answer.AddLineBreak();
    ASSERT_EQ(answer.GetChildCount(), 1);
    EXPECT_EQ(answer.GetEditChild(0)->GetKind(), EditKind::Code(EditKind::kCR));
    LOGFONTA vertical;
    CDefaultFontTable::Instance().GetDefaultFont(&vertical, 1);
    EXPECT_EQ(answer.m_lf.lfHeight, -CDefaultFontTable::Instance().GetDefaultHeight());
    EXPECT_EQ(FaceNameView(answer.m_lf.lfFaceName), FaceNameView(vertical.lfFaceName));
}

TEST_F(InlineLineTest, LeavingAnAnswerBackwardsFindsTheVisibleNodeBeforeIt)
{
    CEditContainer paragraph(EditKind::Code(EditKind::kSentence));
    auto* ruby = new CEditRuby();
    paragraph.AppendChild(ruby);
    ruby->AppendChild(new CEditRubyBase());
    ruby->AppendChild(new CEditRubyText());
    CEditChar* hidden = AddChar(&paragraph, u'h');
    hidden->m_hidden = 1;
    auto* answer = new CEditCyukai();
    paragraph.AppendChild(answer);
    CEditCR* start = AddCR(answer);
    AddCR(&paragraph);

    CCaret caret;
    caret.m_caretNode = start;
    caret.m_anchorNode = start;
    EXPECT_EQ(LeaveBackwardsToSibling(answer, &caret, 1), ruby->GetEditChild(1));
    EXPECT_EQ(caret.m_caretNode, ruby->GetEditChild(1));
    EXPECT_EQ(caret.m_anchorNode, ruby->GetEditChild(1));

    CEditChar* before = AddChar(&paragraph, u'b');
    paragraph.InsertChildAt(paragraph.IndexOfChild(answer), before);
    EXPECT_EQ(LeaveBackwardsToSibling(answer, &caret, 0), before);

    CEditCyukai lone;
    EXPECT_EQ(LeaveBackwardsToSibling(&lone, &caret, 0), nullptr);
    CCaret none;
    EXPECT_EQ(answer->MovePrev(&none, 0), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Labelled underlines

TEST_F(InlineLineTest, LabelledUnderlineAddsItsLabelInBothDirections)
{
    for (int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        CEditKasen node;
        EXPECT_EQ(node.GetKind(), EditKind::Code(EditKind::kKasen));
        AddChars(&node, u"漢漢漢", 400);
        AddCR(&node, 0, 400);
        Measure(node, 10000, vertical);
        CStringW expected;
        if (vertical)
            FormatCircledIdeograph(1, expected);
        else
            FormatCircledNumber(1, expected);
        EXPECT_EQ(node.GetLabel().GetText(), expected);
        EXPECT_EQ(node.GetLabel().m_lf.lfHeight, -176);
        EXPECT_EQ(FaceNameView(node.GetLabel().m_lf.lfFaceName),
                  vertical ? "@\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9" : "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9");
        EXPECT_EQ(node.m_width, 1200);
        EXPECT_EQ(node.m_height, 400 + 176);
        EXPECT_EQ(node.m_ascent, 320 + (vertical ? 176 : 0));
        EXPECT_EQ(node.m_axis, 200 + (vertical ? 176 : 0));

        LAYOUT_CONTEXT row = LayoutContext(1000, 2000);
        row.rowAxis = node.m_axis;
        node.Layout(&row, vertical);
        const RECT label = vertical ? Rect(1000, 2000, 1000 + 176, 2176) : Rect(1000, 2400, 1000 + 176, 2576);
        EXPECT_TRUE(SameRect(node.GetLabelRect(), label)) << RectText(node.GetLabelRect());
        EXPECT_EQ(node.GetEditChild(0)->m_rcLayout.top, vertical ? 2176 : 2000);
        EXPECT_EQ(node.GetEditChild(2)->m_rcLayout.left, 1800);

        CDisplayMap map = IdentityMap(vertical);
        LAYOUT_CONTEXT draw;
        dc.ClearCalls();
        node.Draw(&dc, &map, &draw);
        const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
        ASSERT_EQ(lines.size(), 1u);
        POINT from{1000, vertical ? 2176 : 2400};
        POINT to{2200, from.y};
        map.DocToDevice(&from);
        map.DocToDevice(&to);
        EXPECT_EQ(PointsText(lines[0].points), PointsText({from, to}));
        EXPECT_EQ(lines[0].pen.width, 18);
        bool labelDrawn = false;
        for (const GdiCall& call : dc.Drawings())
            labelDrawn = labelDrawn || call.text == std::u16string(expected.c_str());
        EXPECT_TRUE(labelDrawn);
    }
}

TEST_F(InlineLineTest, LabelledUnderlineDrawsItsFirstLineOnlyAndNothingWhenEmpty)
{
    CEditKasen node;
    AddChars(&node, u"abcd");
    AddCR(&node);
    Measure(node, 120);
    EXPECT_EQ(node.m_width, 100);
    LAYOUT_CONTEXT row = LayoutContext(0, 0);
    row.rowAxis = node.m_axis;
    node.Layout(&row, 0);
    std::vector<std::u16string> texts = DrawnTexts(node);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), u"cd"), 0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), u"ab"), 1);
    const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[1].x - lines[0].points[0].x, 100);

    CEditKasen empty;
    Measure(empty, 120);
    empty.Layout(&row, 0);
    EXPECT_TRUE(SameRect(empty.m_rcLayout, RECT{}));
    EXPECT_TRUE(DrawnTexts(empty).empty());
    EXPECT_TRUE(dc.Drawings().empty());
}
