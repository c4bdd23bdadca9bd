#include "node_fixture.h"

#include "base/gdi_cache.h"

#include <algorithm>

using namespace nodetest;

namespace {

class EditContainerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void MeasureAndLayout(CEditContainer* container, int availableWidth, int lineSpacing = 0, int x = 0, int y = 0)
    {
        LAYOUT_CONTEXT measure = MeasureContext(availableWidth, lineSpacing);
        container->Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(x, y, 3);
        layout.lineSpacing = lineSpacing;
        container->Layout(&layout, 0);
    }

    void Draw(CEditContainer* container, CDisplayMap* drawMap = nullptr, LAYOUT_CONTEXT* context = nullptr)
    {
        LAYOUT_CONTEXT fresh;
        dc.ClearCalls();
        container->Draw(&dc, drawMap != nullptr ? drawMap : &map, context != nullptr ? context : &fresh);
    }

    std::vector<GdiCall> Lines() const
    {
        return dc.CallsOf(GdiOp::LineTo);
    }

    static std::string LinesText(const std::vector<GdiCall>& lines)
    {
        std::string text;
        for (const GdiCall& line : lines)
            text += PointsText(line.points);
        return text;
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    CEditContainer box;
};

}  // namespace

TEST_F(EditContainerTest, DefaultContainerHasKindZeroAndAGuardedEditorIsNoCaretStop)
{
    CEditContainer plain;
    EXPECT_EQ(plain.GetKind(), 0);
    CEditEdit editor;
    EXPECT_EQ(editor.GetKind(), EditKind::Code(EditKind::kEdit));
    EXPECT_EQ(editor.m_caretStop, 0);
}

TEST_F(EditContainerTest, ChildrenBreakIntoLinesAtTheAvailableWidth)
{
    AddChars(&box, u"aaaa");
    CEditCR* cr = AddCR(&box);
    MeasureAndLayout(&box, 150);

    ASSERT_EQ(box.GetBoxCount(), 1);
    const CEditBox* layout = box.GetBox(0);
    EXPECT_EQ(layout->m_width, 150);
    EXPECT_EQ(layout->m_height, 200);
    ASSERT_EQ(layout->GetLineCount(), 2);
    const EDIT_LINE first = layout->GetLine(0);
    EXPECT_EQ(first.m_first, 0);
    EXPECT_EQ(first.m_last, 2);
    EXPECT_EQ(first.m_count, 3);
    EXPECT_EQ(first.m_width, 150);
    EXPECT_EQ(first.m_height, 100);
    EXPECT_EQ(first.m_ascent, 80);
    EXPECT_EQ(first.m_descent, 20);
    EXPECT_EQ(first.m_axis, 50);
    EXPECT_EQ(first.m_belowAxis, 50);
    EXPECT_EQ(first.m_maxFontSize, 100);
    const EDIT_LINE second = layout->GetLine(1);
    EXPECT_EQ(second.m_first, 3);
    EXPECT_EQ(second.m_last, 4);
    EXPECT_EQ(second.m_count, 2);
    EXPECT_EQ(second.m_width, 50);

    EXPECT_EQ(box.m_width, 150);
    EXPECT_EQ(box.m_height, 200);
    EXPECT_EQ(box.m_ascent, 80);
    EXPECT_EQ(box.m_axis, 100);

    // A line break that does not start its line takes no width.
    EXPECT_EQ(cr->m_width, 0);
    EXPECT_EQ(cr->m_lineIndex, 1);
    EXPECT_EQ(cr->m_indexInLine, 1);

    // Layout: the fourth character starts the second line.
    const CEditNode* fourth = box.GetEditChild(3);
    EXPECT_TRUE(SameRect(fourth->m_rcLayout, Rect(0, 100, 50, 200))) << RectText(fourth->m_rcLayout);
    EXPECT_TRUE(SameRect(fourth->m_rcHit, Rect(0, 100, 50, 200)));
    EXPECT_EQ(fourth->m_page, 3);
    EXPECT_TRUE(SameRect(box.GetBox(0)->GetLine(1).m_rcLayout, Rect(0, 100, 50, 200)));
    EXPECT_TRUE(SameRect(box.GetEditChild(2)->m_rcHit, Rect(100, 0, 150, 100)));
    EXPECT_TRUE(SameRect(box.m_rcLayout, Rect(0, 0, 150, 200)));
}

TEST_F(EditContainerTest, LineSpacingGrowsEveryLineAndShiftsTheRows)
{
    AddChars(&box, u"aaaa");
    AddCR(&box);
    MeasureAndLayout(&box, 150, 10, 0, 1000);
    EXPECT_EQ(box.GetBox(0)->GetLine(0).m_height, 120);
    EXPECT_EQ(box.m_height, 240);
    EXPECT_EQ(box.m_ascent, 90);
    EXPECT_EQ(box.m_axis, 130);
    // Characters sit one line spacing below the line's top.
    const CEditNode* fourth = box.GetEditChild(3);
    EXPECT_EQ(fourth->m_ptText.y, 1000 + 120 + 10 + 80);
    EXPECT_TRUE(SameRect(fourth->m_rcHit, Rect(0, 1120, 50, 1240)));
}

TEST_F(EditContainerTest, EmptyLineTakesTheAverageWidthAndThePrecedingHeight)
{
    AddChar(&box, u'あ', 200);
    AddCR(&box);
    CEditCR* alone = AddCR(&box);
    MeasureAndLayout(&box, 1000);
    ASSERT_EQ(box.GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(alone->m_width, 50);
    EXPECT_EQ(alone->m_height, 200);
    EXPECT_EQ(alone->m_ascent, 160);
    EXPECT_EQ(box.GetBox(0)->GetLine(1).m_width, 50);
    EXPECT_EQ(box.GetBox(0)->GetLine(1).m_height, 200);

    CEditContainer only;
    CEditCR* single = AddCR(&only);
    LAYOUT_CONTEXT measure = MeasureContext(1000);
    only.Measure(&dc, &map, &measure);
    EXPECT_EQ(single->m_width, 50);
    EXPECT_EQ(only.m_height, 100);
}

TEST_F(EditContainerTest, AChildWiderThanTheLineStandsAloneWithoutAnEmptyLineBefore)
{
    AddChar(&box, u'あ', 300);
    AddCR(&box);
    MeasureAndLayout(&box, 100);
    ASSERT_EQ(box.GetBox(0)->GetLineCount(), 1);
    EXPECT_EQ(box.GetBox(0)->GetLine(0).m_count, 2);
}

TEST_F(EditContainerTest, LinesAlignByTheirLineBreaks)
{
    AddChars(&box, u"あああa");
    AddCR(&box, 1);
    AddChar(&box, u'a');
    AddCR(&box, 2);
    MeasureAndLayout(&box, 400, 0, 1000, 0);
    EXPECT_EQ(box.m_width, 350);
    EXPECT_EQ(box.GetEditChild(0)->m_rcLayout.left, 1000);
    EXPECT_EQ(box.GetEditChild(5)->m_rcLayout.left, 1300);

    CEditContainer centred;
    AddChars(&centred, u"aaaaaa");
    AddCR(&centred);
    AddChars(&centred, u"ああ");
    AddCR(&centred, 1);
    MeasureAndLayout(&centred, 400);
    // The first line follows the first line break (left), the second its own (centre).
    EXPECT_EQ(centred.GetEditChild(0)->m_rcLayout.left, 0);
    EXPECT_EQ(centred.GetEditChild(7)->m_rcLayout.left, (300 - 200) / 2);
}

TEST_F(EditContainerTest, HitTestAsksTheVisibleChildren)
{
    AddChars(&box, u"ab");
    AddCR(&box);
    MeasureAndLayout(&box, 1000);
    int after = -1;
    EXPECT_EQ(box.HitTest(60, 50, &after), box.GetEditChild(1));
    EXPECT_EQ(after, 0);
    EXPECT_EQ(box.HitTest(90, 50, &after), box.GetEditChild(1));
    EXPECT_EQ(after, 1);
    box.GetEditChild(1)->m_hidden = 1;
    EXPECT_EQ(box.HitTest(60, 50, &after), nullptr);
    EXPECT_EQ(box.HitTest(60, 150, &after), nullptr);
}

TEST_F(EditContainerTest, ChildFirstHitTestFindsTheLineEnds)
{
    AddChars(&box, u"ab");
    CEditCR* cr = AddCR(&box, 2);
    MeasureAndLayout(&box, 1000);
    int after = -1;
    EXPECT_EQ(box.ChildFirstHitTest(10, 50, &after), box.GetEditChild(0));
    EXPECT_EQ(after, 0);
    // The line break ends the line with no width: the point at the line's right end finds it.
    EXPECT_EQ(box.ChildFirstHitTest(100, 50, &after), cr);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(box.ChildFirstHitTest(100, 150, &after), nullptr);
}

TEST_F(EditContainerTest, FloatingFrameStandsBesideTheLines)
{
    class Frame : public CEditContainer, public IFloatingFrame {
    public:
        Frame() : CEditContainer(EditKind::Code(EditKind::kFloat)) {}
        int GetFloatSide() const override { return 2; }
        void Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) override
        {
            m_width = 300;
            m_height = 250;
        }
        void Layout(LAYOUT_CONTEXT* context, int) override
        {
            m_rcLayout = RECT{context->originX, context->originY, context->originX + m_width,
                              context->originY + m_height};
        }
    };
    AddCR(&box);
    auto* frame = new Frame;
    box.AppendChild(frame);
    AddChars(&box, u"ああああ");
    AddCR(&box);
    MeasureAndLayout(&box, 600);
    // Beside the frame a line holds 300 units; below the frame's bottom the full width.
    const CEditBox* layout = box.GetBox(0);
    ASSERT_EQ(layout->GetLineCount(), 3);
    EXPECT_EQ(layout->GetLine(1).m_count, 3);
    EXPECT_EQ(layout->GetLine(2).m_count, 2);
    EXPECT_EQ(frame->m_boxIndex, 0);
    EXPECT_EQ(box.m_width, 600);
    EXPECT_EQ(box.m_height, 350);
    EXPECT_EQ(layout->m_height, 350);
    EXPECT_TRUE(SameRect(frame->m_rcLayout, Rect(300, 100, 600, 350))) << RectText(frame->m_rcLayout);
    EXPECT_EQ(box.GetEditChild(2)->m_rcLayout.top, 100);
}

TEST_F(EditContainerTest, TextBesideALeftFrameStartsRightOfIt)
{
    class Frame : public CEditContainer, public IFloatingFrame {
    public:
        Frame() : CEditContainer(EditKind::Code(EditKind::kFloat)) {}
        int GetFloatSide() const override { return FLOAT_LEFT; }
        void Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) override
        {
            m_width = 200;
            m_height = 250;
        }
        void Layout(LAYOUT_CONTEXT* context, int) override
        {
            m_rcLayout = RECT{context->originX, context->originY, context->originX + m_width,
                              context->originY + m_height};
        }
    };
    struct Case {
        int align;
        std::vector<int> lefts;  // of the five kana: four beside the frame, one below its bottom too
    };
    // The lines are measured 400 wide beside the frame; they are placed in that room.
    const Case cases[] = {
        {0, {200, 300, 400, 500, 200}},
        {1, {200, 300, 400, 500, 350}},
        {2, {200, 300, 400, 500, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        CEditContainer framed;
        auto* frame = new Frame;
        framed.AppendChild(frame);
        AddChars(&framed, u"あああああ");
        AddCR(&framed, c.align);
        MeasureAndLayout(&framed, 600);
        EXPECT_TRUE(SameRect(frame->m_rcLayout, Rect(0, 0, 200, 250))) << RectText(frame->m_rcLayout);
        std::vector<int> lefts;
        for (int i = 1; i <= 5; ++i)
            lefts.push_back(framed.GetEditChild(i)->m_rcLayout.left);
        EXPECT_EQ(lefts, c.lefts);
    }
}

TEST_F(EditContainerTest, TextAfterAFloatingFrameWithinALineIsPlaced)
{
    class Frame : public CEditContainer, public IFloatingFrame {
    public:
        Frame() : CEditContainer(EditKind::Code(EditKind::kFloat)) {}
        int GetFloatSide() const override { return FLOAT_RIGHT; }
        void Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) override
        {
            m_width = 300;
            m_height = 250;
        }
        void Layout(LAYOUT_CONTEXT* context, int) override
        {
            m_rcLayout = RECT{context->originX, context->originY, context->originX + m_width,
                              context->originY + m_height};
        }
    };
    AddChars(&box, u"ab");
    auto* frame = new Frame;
    box.AppendChild(frame);
    AddChars(&box, u"cd");
    CEditCR* cr = AddCR(&box);
    MeasureAndLayout(&box, 600);
    // The frame ends the line "ab" and stands beside the next one, which holds the rest.
    ASSERT_EQ(box.GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(box.GetBox(0)->GetLine(1).m_first, 3);
    EXPECT_TRUE(SameRect(frame->m_rcLayout, Rect(300, 100, 600, 350))) << RectText(frame->m_rcLayout);
    EXPECT_TRUE(SameRect(box.GetEditChild(4)->m_rcLayout, Rect(50, 100, 100, 200)))
        << RectText(box.GetEditChild(4)->m_rcLayout);
    EXPECT_EQ(cr->m_page, 3);
    EXPECT_EQ(box.m_height, 350);
}

TEST_F(EditContainerTest, BackgroundsAndHatchesOfCharacters)
{
    CEditChar* red = AddChar(&box, u'a');
    red->EditBorderRecord()->m_backgroundColor = 0x0000FF;
    CEditChar* hatched = AddChar(&box, u'b');
    hatched->EditBorderRecord()->m_backgroundPattern = 3;
    AddCR(&box);
    MeasureAndLayout(&box, 1000);
    Draw(&box);

    const auto rectangles = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(rectangles.size(), 1u);
    EXPECT_TRUE(SameRect(rectangles[0].rect, Rect(0, 0, 50, 100)));
    EXPECT_EQ(rectangles[0].brush.color, 0x0000FFu);
    EXPECT_EQ(rectangles[0].pen.color, 0x0000FFu);
    EXPECT_EQ(rectangles[0].rop2, R2_COPYPEN);

    const auto fills = dc.CallsOf(GdiOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_TRUE(SameRect(fills[0].rect, Rect(50, 0, 100, 100)));
    EXPECT_EQ(fills[0].brush.style, BS_PATTERN);
    BYTE rows[8];
    ASSERT_TRUE(GetBrushPattern(HBRUSH(*GetPatternBrush(2)), rows));
    EXPECT_TRUE(std::equal(rows, rows + 8, fills[0].brush.pattern.begin()));
    EXPECT_EQ(fills[0].textColor, 0u);

    // The hatch goes under the text: it comes before the characters are drawn (in one call).
    const auto drawings = dc.Drawings();
    EXPECT_EQ(drawings[0].op, GdiOp::Rectangle);
    EXPECT_EQ(drawings[1].op, GdiOp::FillRect);
    EXPECT_EQ(drawings[2].op, GdiOp::ExtTextOutW);
    EXPECT_EQ(drawings[2].text, u"ab");
    EXPECT_EQ(drawings[2].bkMode, TRANSPARENT);
    EXPECT_EQ(drawings[2].textAlign, TA_BASELINE);
}

TEST_F(EditContainerTest, CharactersOfOneRunStyleShareOneFont)
{
    AddChars(&box, u"abc");
    AddChar(&box, u'd')->m_lf.lfWeight = 700;
    AddChar(&box, u'e');
    AddCR(&box);
    MeasureAndLayout(&box, 1000);
    const HFONT before = dc.GetCurrentFont();
    Draw(&box);
    const auto selections = dc.CallsOf(GdiOp::SelectFont);
    // One font for a-c, one for d, one for e and the line break, and the original one back.
    ASSERT_EQ(selections.size(), 4u);
    EXPECT_EQ(selections[1].font.lfWeight, 700);
    EXPECT_EQ(dc.GetCurrentFont(), before);
    // Characters of one font on one line go out in one call, each at its own place.
    const auto runs = dc.CallsOf(GdiOp::ExtTextOutW);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, u"abc");
    EXPECT_EQ(PointsText(runs[0].points), "(0,80)");
    EXPECT_EQ(runs[0].dx, (std::vector<int>{50, 50, 50}));
    const auto texts = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].font.lfWeight, 700);
    EXPECT_EQ(texts[1].font.lfWeight, 400);
    EXPECT_EQ(PointsText(texts[1].points), "(200,80)");
}

TEST_F(EditContainerTest, TextRunsEndAtLineEndsAndColourChanges)
{
    AddChars(&box, u"abcd");
    AddChar(&box, u'e')->m_color = 0x0000FF;
    AddChar(&box, u'f')->m_color = 0x0000FF;
    AddCR(&box);
    MeasureAndLayout(&box, 200);  // lines "abcd" / "ef" + line break
    Draw(&box);
    const auto runs = dc.CallsOf(GdiOp::ExtTextOutW);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, u"abcd");
    EXPECT_EQ(runs[0].textColor, 0u);
    EXPECT_EQ(runs[1].text, u"ef");
    EXPECT_EQ(runs[1].textColor, 0x0000FFu);
    EXPECT_EQ(PointsText(runs[1].points), "(0,180)");
    EXPECT_TRUE(dc.CallsOf(GdiOp::TextOutW).empty());
}

TEST_F(EditContainerTest, UnderlineRunsEndAtLineStartsAndLineBreaks)
{
    AddChars(&box, u"aaaa");
    AddCR(&box);
    AddChar(&box, u'a');
    AddCR(&box);
    for (int i = 0; i < box.GetChildCount(); ++i)
        box.GetEditChild(i)->EditCharacterRecord()->m_underlineStyle = 1;
    MeasureAndLayout(&box, 100);
    Draw(&box);
    // Lines: "aa" / "aa" + line break / "a" + line break: one underline per line.
    const auto lines = Lines();
    EXPECT_EQ(LinesText(lines), "(0,133)(100,133)(0,233)(100,233)(0,333)(50,333)");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].pen.width, 18);
    EXPECT_EQ(lines[0].pen.color, 0u);
}

TEST_F(EditContainerTest, UnderlineStylesAndWidths)
{
    struct Case {
        int style;
        int width;
        int vertical;
        std::string lines;
        int penWidth;
        int penStyle;
    };
    // Run: two characters from x 0 to 100, baseline 80, top 0.
    const Case cases[] = {
        {1, 1, 0, "(0,133)(100,133)", 18, PS_SOLID},
        {1, 3, 0, "(0,150)(100,150)", 35, PS_SOLID},
        {2, 1, 0, "(0,133)(100,133)(0,183)(100,183)", 18, PS_SOLID},
        {3, 1, 0, "(0,133)(100,133)", 1, PS_DOT},
        {4, 1, 0, "(0,133)(100,133)", 1, PS_DASH},
        {5, 1, 0, "(0,133)(100,133)", 1, PS_DASHDOT},
        {6, 1, 0, "(0,133)(100,133)", 1, PS_DASHDOTDOT},
        // Vertical writing: at the top edge (device x = -y); double lines further out.
        {1, 1, 1, "(0,0)(0,100)", 18, PS_SOLID},
        {2, 1, 1, "(0,0)(0,100)(50,0)(50,100)", 18, PS_SOLID},
    };
    for (const Case& c : cases) {
        CEditContainer run;
        AddChars(&run, u"ab");
        AddCR(&run);
        run.GetEditChild(0)->EditCharacterRecord()->m_underlineStyle = c.style;
        run.GetEditChild(0)->EditCharacterRecord()->m_underlineWidth = c.width;
        run.GetEditChild(1)->EditCharacterRecord()->m_underlineStyle = c.style;
        run.GetEditChild(1)->EditCharacterRecord()->m_underlineWidth = c.width;
        MeasureAndLayout(&run, 1000);
        CDisplayMap drawMap = IdentityMap(c.vertical);
        Draw(&run, &drawMap);
        const auto lines = Lines();
        EXPECT_EQ(LinesText(lines), c.lines) << c.style << " " << c.width << " " << c.vertical;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].pen.width, c.penWidth) << c.style;
        EXPECT_EQ(lines[0].pen.style, c.penStyle) << c.style;
    }
}

TEST_F(EditContainerTest, WavyLinesAreBeziersOnTheWidePathAndPolylinesOtherwise)
{
    CEditContainer run;
    AddChars(&run, u"ああ", 60);
    AddCR(&run);
    for (int i = 0; i < 2; ++i)
        run.GetEditChild(i)->EditCharacterRecord()->m_underlineStyle = 7;
    MeasureAndLayout(&run, 1000);
    // Run 120 wide: two half-waves between the underline level and 50 below it.
    const int y = 48 + 53;
    UseWideTextOut = 1;
    Draw(&run);
    auto curves = dc.CallsOf(GdiOp::PolyBezier);
    ASSERT_EQ(curves.size(), 1u);
    const std::vector<POINT> expected = {{0, y + 50},  {25, y + 50}, {25, y},      {50, y},
                                         {75, y},      {75, y + 50}, {100, y + 50}};
    EXPECT_EQ(PointsText(curves[0].points), PointsText(expected));

    UseWideTextOut = 0;
    Draw(&run);
    const auto polylines = dc.CallsOf(GdiOp::Polyline);
    ASSERT_EQ(polylines.size(), 1u);
    const std::vector<POINT> middles = {{25, y + 50}, {75, y}, {125, y + 50}};
    EXPECT_EQ(PointsText(polylines[0].points), PointsText(middles));
}

TEST_F(EditContainerTest, WavyUnderlineInVerticalWritingLiesOutsideTheCharacters)
{
    CEditContainer run;
    AddChars(&run, u"ああ", 60);
    AddCR(&run);
    for (int i = 0; i < 2; ++i)
        run.GetEditChild(i)->EditCharacterRecord()->m_underlineStyle = 7;
    MeasureAndLayout(&run, 1000);
    // The characters' top edge is at document y 0 (device x 0) and they stand at device x below
    // 0; the straight underline's second line goes out to device x 50, and so does the wave.
    CDisplayMap vertical = IdentityMap(1);
    UseWideTextOut = 1;
    Draw(&run, &vertical);
    const auto curves = dc.CallsOf(GdiOp::PolyBezier);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(PointsText(curves[0].points), "(0,0)(0,25)(50,25)(50,50)(50,75)(0,75)(0,100)");
}

TEST_F(EditContainerTest, LineThroughAndFrames)
{
    CEditContainer run;
    AddChars(&run, u"ab");
    AddCR(&run);
    for (int i = 0; i < 2; ++i) {
        run.GetEditChild(i)->EditCharacterRecord()->m_lineThroughStyle = 2;
        run.GetEditChild(i)->EditBorderRecord()->m_borderStyle = 2;
    }
    MeasureAndLayout(&run, 1000);
    Draw(&run);
    EXPECT_EQ(LinesText(Lines()), "(0,25)(100,25)(0,75)(100,75)");
    const auto frames = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(SameRect(frames[0].rect, Rect(25, 25, 75, 75))) << RectText(frames[0].rect);
    EXPECT_TRUE(SameRect(frames[1].rect, Rect(-25, -25, 125, 125))) << RectText(frames[1].rect);
    EXPECT_EQ(frames[0].brush.style, BS_NULL);
    EXPECT_EQ(frames[0].pen.width, 1);

    for (int i = 0; i < 2; ++i) {
        run.GetEditChild(i)->EditBorderRecord()->m_borderStyle = 1;
        run.GetEditChild(i)->EditBorderRecord()->m_borderWidth = 3;
        run.GetEditChild(i)->EditCharacterRecord()->m_lineThroughStyle = 0;
    }
    Draw(&run);
    const auto thick = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(thick.size(), 1u);
    EXPECT_TRUE(SameRect(thick[0].rect, Rect(0, 0, 100, 100)));
    EXPECT_EQ(thick[0].pen.width, 35);
}

TEST_F(EditContainerTest, LabelledRunThatWrapsGetsOneLabel)
{
    AddChars(&box, u"aaaa");
    AddCR(&box);
    for (int i = 0; i < 4; ++i) {
        box.GetEditChild(i)->EditNumbering().m_renbanType = 3;
        box.GetEditChild(i)->m_runNumber = 2;
    }
    MeasureAndLayout(&box, 100);
    Draw(&box);
    std::vector<GdiCall> labels;
    for (const GdiCall& call : dc.CallsOf(GdiOp::TextOutW)) {
        if (call.textAlign == TA_BOTTOM)
            labels.push_back(call);
    }
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].text, u"(イ)");
    // At the first node's bottom-left: its height holds the label size.
    EXPECT_EQ(PointsText(labels[0].points), "(0,276)");
    EXPECT_EQ(labels[0].font.lfHeight, 176);
    EXPECT_EQ(labels[0].font.lfWeight, 400);
    EXPECT_EQ(labels[0].font.lfEscapement, 0);
    EXPECT_EQ(dc.GetTextAlign(), TA_BASELINE);

    // Vertical writing: anchored at the first node's top-left, turned with the text.
    CDisplayMap vertical = IdentityMap(1);
    Draw(&box, &vertical);
    labels.clear();
    for (const GdiCall& call : dc.CallsOf(GdiOp::TextOutW)) {
        if (call.textAlign == TA_BOTTOM)
            labels.push_back(call);
    }
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(PointsText(labels[0].points), "(0,0)");
    EXPECT_EQ(labels[0].font.lfEscapement, 2700);
}

TEST_F(EditContainerTest, LabelTextFollowsTheNumberingType)
{
    struct Case {
        int type;
        std::u16string text;
    };
    const Case cases[] = {{1, u"②"}, {2, u"(２)"}, {3, u"(イ)"}, {4, u"(ｂ)"}, {5, u"(Ｂ)"}, {6, u"甲"}, {9, u"②"}};
    for (const Case& c : cases) {
        CEditChar node(u'a');
        node.EditNumbering().m_renbanType = c.type;
        node.m_runNumber = 2;
        node.EditNumbering().m_renbanString = u"甲";
        dc.ClearCalls();
        box.DrawRunLabel(&dc, &map, &node, nullptr);
        const auto texts = dc.CallsOf(GdiOp::TextOutW);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, c.text) << c.type;
    }
}

TEST_F(EditContainerTest, DrawFilterDrawsOneBoxAndSkipsALabelContinuedFromAnEarlierPage)
{
    AddChars(&box, u"ab");
    AddCR(&box);
    for (int i = 0; i < 2; ++i)
        box.GetEditChild(i)->EditNumbering().m_renbanType = 1;
    MeasureAndLayout(&box, 1000);

    CEditChar earlier(u'z');
    earlier.EditNumbering().m_renbanType = 1;
    const DRAW_FILTER filter{0, 0};
    LAYOUT_CONTEXT context;
    context.drawFilter = &filter;
    context.lastDrawn = &earlier;
    Draw(&box, &map, &context);
    for (const GdiCall& call : dc.CallsOf(GdiOp::TextOutW))
        EXPECT_NE(call.textAlign, TA_BOTTOM);
    EXPECT_EQ(context.lastDrawn, box.GetEditChild(2));

    const DRAW_FILTER other{0, 1};
    context.drawFilter = &other;
    context.lastDrawn = nullptr;
    Draw(&box, &map, &context);
    EXPECT_TRUE(dc.Drawings().empty());
}

TEST_F(EditContainerTest, NodeUnderlineAndKanbunMark)
{
    CEditContainer node;
    node.m_rcLayout = Rect(0, 0, 600, 300);
    node.m_width = 600;
    node.m_height = 300;
    node.EditBorderRecord()->m_afterStyle = 1;
    dc.ClearCalls();
    node.DrawNodeUnderline(&dc, &map);
    EXPECT_EQ(LinesText(Lines()), "(0,300)(600,300)");

    node.EditBorderRecord()->m_beforeStyle = 2;
    node.m_runBits = CEditNode::kRunStart | CEditNode::kRunEnd;
    dc.ClearCalls();
    node.DrawNodeMark(&dc, &map);
    EXPECT_EQ(LinesText(Lines()), "(100,75)(500,75)(100,125)(500,125)");

    node.EditBorderRecord()->m_beforeStyle = 7;
    node.m_runBits = 0;
    dc.ClearCalls();
    node.DrawNodeMark(&dc, &map);
    const auto waves = dc.CallsOf(GdiOp::PolyBezier);
    ASSERT_EQ(waves.size(), 1u);
    EXPECT_EQ(waves[0].points.size(), 3u * 12 + 1);
    EXPECT_EQ(waves[0].points[0].y, 100);
    EXPECT_EQ(waves[0].points[2].y, 50);
}

TEST_F(EditContainerTest, GuardedEditorWithoutChildrenNeitherLaysOutNorDraws)
{
    CEditEdit editor;
    LAYOUT_CONTEXT measure = MeasureContext(1000);
    editor.Measure(&dc, &map, &measure);
    LAYOUT_CONTEXT layout = LayoutContext(500, 500);
    editor.Layout(&layout, 0);
    EXPECT_TRUE(SameRect(editor.m_rcLayout, Rect(0, 0, 0, 0)));
    dc.ClearCalls();
    editor.Draw(&dc, &map, &layout);
    EXPECT_TRUE(dc.Calls().empty());
    EXPECT_EQ(editor.GetFirstInner(), nullptr);

    AddChar(&editor, u'a');
    AddCR(&editor);
    editor.Measure(&dc, &map, &measure);
    editor.Layout(&layout, 0);
    EXPECT_TRUE(SameRect(editor.m_rcLayout, Rect(500, 500, 550, 600)));
}

TEST_F(EditContainerTest, LineBreakQueries)
{
    AddChar(&box, u'a');
    CEditCR* first = AddCR(&box);
    CEditChar* middle = AddChar(&box, u'b');
    CEditCR* second = AddCR(&box);
    EXPECT_EQ(box.GetFirstLineBreak(), first);
    EXPECT_EQ(box.FindLineBreakFrom(middle), second);
    EXPECT_EQ(box.FindLineBreakFrom(first), first);
    CEditChar stranger(u'x');
    EXPECT_EQ(box.FindLineBreakFrom(&stranger), nullptr);
    EXPECT_EQ(box.CountLineBreaks(), 2);
    EXPECT_EQ(middle->PrevLineBreak(), first);
    EXPECT_EQ(middle->NextLineBreak(), second);
    EXPECT_EQ(first->PrevLineBreak(), nullptr);
    EXPECT_EQ(box.GetFirstInner(), box.GetEditChild(0));
}

TEST_F(EditContainerTest, ScreenDrawingLeavesOutLinesOutsideTheClip)
{
    // 30 lines of four characters; the first, a labelled run, is 276 high (its label's size
    // included), every other 100.
    AddChars(&box, std::u16string(120, u'a'));
    AddCR(&box);
    for (int i = 0; i < 4; ++i)
        box.GetEditChild(i)->EditNumbering().m_renbanType = 3;
    MeasureAndLayout(&box, 200);
    ASSERT_EQ(box.GetBox(0)->GetLineCount(), 30);

    dc.IntersectClipRect(0, 1400, 1000, 1500);
    Draw(&box);
    // The lines within 500 of the clip are drawn, each whole: lines 7 (876–976) to 18.
    std::vector<GdiCall> runs = dc.CallsOf(GdiOp::ExtTextOutW);
    ASSERT_EQ(runs.size(), 12u);
    EXPECT_EQ(PointsText(runs.front().points), "(0,956)");
    EXPECT_EQ(PointsText(runs.back().points), "(0,2056)");
    for (const GdiCall& run : runs)
        EXPECT_EQ(run.text, u"aaaa");
    // The labelled run keeps its label, though it lies outside the clip.
    std::vector<GdiCall> labels;
    for (const GdiCall& call : dc.CallsOf(GdiOp::TextOutW)) {
        if (call.textAlign == TA_BOTTOM)
            labels.push_back(call);
    }
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(PointsText(labels[0].points), "(0,276)");

    // A printer draws every line it is given.
    CRecordingDC printer(DeviceKind::Printer);
    printer.IntersectClipRect(0, 1400, 1000, 1500);
    LAYOUT_CONTEXT context;
    box.Draw(&printer, &map, &context);
    EXPECT_EQ(printer.CallsOf(GdiOp::ExtTextOutW).size(), 30u);
}
