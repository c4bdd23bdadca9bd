#include "node_fixture.h"

#include "nodes/undo.h"

using namespace nodetest;

namespace {

class EditCharTest : public ::testing::Test {
protected:
    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
};

void Measure(CEditNode* node, CDC* dc, CDisplayMap* map, int letterSpacing = 0)
{
    LAYOUT_CONTEXT context = MeasureContext(10000);
    context.letterSpacing = letterSpacing;
    node->Measure(dc, map, &context);
}

}  // namespace

TEST_F(EditCharTest, ConstructionAndTextKeepTheState)
{
    CEditChar empty;
    EXPECT_EQ(empty.GetKind(), EditKind::Code(EditKind::kChar));
    EXPECT_EQ(empty.m_state, CEditChar::kEmpty);
    EXPECT_EQ(empty.m_dirty, 1);
    EXPECT_EQ(empty.m_caretStop, 1);

    CEditChar one(u'a');
    EXPECT_EQ(one.m_state, CEditChar::kText);
    EXPECT_EQ(one.GetText(), u"a");

    one.EditFontRecord()->m_fontWeight = 700;
    one.m_lf.lfHeight = -500;
    one.m_dirty = 0;
    one.SetText(CStringW());
    EXPECT_EQ(one.m_state, CEditChar::kEmpty);
    EXPECT_TRUE(one.GetText().IsEmpty());
    EXPECT_EQ(one.FontRecord().m_fontWeight, 400);
    EXPECT_EQ(one.m_lf.lfHeight, -371);
    EXPECT_EQ(one.m_dirty, 1);

    CEditCR cr;
    EXPECT_EQ(cr.GetKind(), EditKind::Code(EditKind::kCR));
    EXPECT_EQ(cr.m_lineSpacing, 71);
}

TEST_F(EditCharTest, ResetTakesTheFontOfTheWritingDirection)
{
    CurrentWritingVertical = 1;
    CEditChar vertical(u'a');
    EXPECT_EQ(vertical.m_lf.lfEscapement, 2700);
    EXPECT_EQ(vertical.m_lf.lfFaceName[0], '@');
    CurrentWritingVertical = 0;
    CEditChar horizontal(u'a');
    EXPECT_EQ(horizontal.m_lf.lfEscapement, 0);
}

TEST_F(EditCharTest, MeasuringFontFollowsWidthModeAndScriptPosition)
{
    struct Case {
        int widthMode;
        int script;
        int height;
        int width;
    };
    const Case cases[] = {
        {0, 0, -371, 0}, {1, 0, -371, 92}, {2, 0, -371, 371}, {0, 2, -212, 0}, {0, 1, -212, 0}, {2, 2, -212, 212},
    };
    for (const Case& c : cases) {
        CEditChar node(u'a');
        node.m_lf.lfHeight = -371;
        node.m_lf.lfEscapement = 900;
        node.EditFontRecord()->m_fontWidth = c.widthMode;
        node.m_scriptPosition = c.script;
        LOGFONTA font;
        node.BuildLogFont(&font);
        EXPECT_EQ(font.lfHeight, c.height) << c.widthMode << " " << c.script;
        EXPECT_EQ(font.lfWidth, c.width) << c.widthMode << " " << c.script;
        EXPECT_EQ(font.lfEscapement, 0);
        node.BuildDeviceLogFont(1, &font);
        EXPECT_EQ(font.lfEscapement, 2700);
        EXPECT_EQ(font.lfHeight, c.height);
        node.BuildDeviceLogFont(0, &font);
        EXPECT_EQ(font.lfEscapement, 900);
    }
}

TEST_F(EditCharTest, MeasureGivesTheTextExtentAndMetrics)
{
    struct Case {
        std::u16string text;
        int letterSpacing;
        int width;
    };
    const Case cases[] = {{u"a", 0, 50}, {u"あ", 0, 100}, {u"ab", 0, 100}, {u"a", 7, 57}, {u"", 7, 1}};
    for (const Case& c : cases) {
        CEditChar node{CStringW(std::u16string_view(c.text))};
        node.m_lf.lfHeight = -kEm;
        Measure(&node, &dc, &map, c.letterSpacing);
        EXPECT_EQ(node.m_width, c.width);
        EXPECT_EQ(node.m_height, 100);
        EXPECT_EQ(node.m_ascent, 80);
        EXPECT_EQ(node.m_axis, 50);
        EXPECT_EQ(node.m_tm->tmAveCharWidth, 50);
        EXPECT_EQ(node.m_dirty, 0);
    }
}

TEST_F(EditCharTest, MeasureSkipsACleanNodeAndUsesAHandedDownFont)
{
    CEditChar node(u'a');
    node.m_lf.lfHeight = -kEm;
    node.m_dirty = 0;
    Measure(&node, &dc, &map);
    EXPECT_EQ(node.m_width, 0);

    LOGFONTA large{};
    large.lfHeight = -200;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&large));
    node.m_dirty = 1;
    LAYOUT_CONTEXT context = MeasureContext(1000);
    context.font = font;
    node.Measure(&dc, &map, &context);
    EXPECT_EQ(node.m_width, 100);
    EXPECT_EQ(node.m_height, 200);
    // The handed-down font stays with its owner and is no longer selected.
    EXPECT_EQ(GetObjectType(HFONT(font)), OBJ_FONT);
    EXPECT_NE(dc.GetCurrentFont(), HFONT(font));
}

TEST_F(EditCharTest, LabelledCharacterGrowsByItsLabelSize)
{
    CEditChar node(u'a');
    node.m_lf.lfHeight = -kEm;
    node.EditNumbering().m_renbanType = 3;
    Measure(&node, &dc, &map);
    EXPECT_EQ(node.m_height, 100 + 176);
    EXPECT_EQ(node.m_ascent, 80);
    EXPECT_EQ(node.m_axis, 50);

    CDisplayMap vertical = IdentityMap(1);
    node.m_dirty = 1;
    Measure(&node, &dc, &vertical);
    EXPECT_EQ(node.m_height, 276);
    EXPECT_EQ(node.m_ascent, 80 + 176);
    EXPECT_EQ(node.m_axis, 50 + 176);
}

TEST_F(EditCharTest, MetafileIsMeasuredOnAScreenContext)
{
    static int screens = 0;
    screens = 0;
    const ScreenDCFactory previous = SetScreenDCFactory([]() -> std::unique_ptr<CDC> {
        ++screens;
        auto screen = std::make_unique<CRecordingDC>();
        screen->Rules().ascentNumerator = 1;
        screen->Rules().ascentDenominator = 2;
        return screen;
    });
    CRecordingDC metafile(DeviceKind::Metafile);
    CEditChar node(u'a');
    node.m_lf.lfHeight = -kEm;
    Measure(&node, &metafile, &map);
    SetScreenDCFactory(previous);
    EXPECT_EQ(screens, 1);
    EXPECT_EQ(node.m_ascent, 50);
    EXPECT_EQ(node.m_width, 50);
}

TEST_F(EditCharTest, LayoutPlacesTheBaselineOnTheRow)
{
    struct Case {
        int script;
        int baseline;
        RECT rect;
    };
    // Scripts are measured with a font of 57: ascent 45, descent 12.
    const Case cases[] = {
        {0, 2080, Rect(1000, 2000, 1050, 2100)},
        {2, 2080 - 45, Rect(1000, 1990, 1028, 2047)},
        {1, 2080 + 12, Rect(1000, 2047, 1028, 2104)},
    };
    for (const Case& c : cases) {
        CEditChar node(u'a');
        node.m_lf.lfHeight = -kEm;
        node.m_scriptPosition = c.script;
        Measure(&node, &dc, &map);
        LAYOUT_CONTEXT context = LayoutContext(1000, 2000);
        context.rowAscent = 80;
        node.Layout(&context, 0);
        EXPECT_EQ(node.m_ptText.x, 1000);
        EXPECT_EQ(node.m_ptText.y, c.baseline) << c.script;
        EXPECT_TRUE(SameRect(node.m_rcLayout, c.rect)) << RectText(node.m_rcLayout);
    }
}

TEST_F(EditCharTest, HitTestReportsTheSideOfTheMiddle)
{
    CEditChar node(u'a');
    node.m_rcHit = Rect(100, 0, 200, 100);
    int after = -1;
    EXPECT_EQ(node.HitTest(120, 50, &after), &node);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(node.HitTest(180, 50, &after), &node);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(node.HitTest(200, 50, &after), nullptr);
    EXPECT_EQ(node.HitTest(150, 100, &after), nullptr);

    CEditChar empty;
    empty.m_rcHit = Rect(100, 0, 200, 100);
    EXPECT_EQ(empty.HitTest(180, 50, &after), &empty);
    EXPECT_EQ(after, 0);
}

TEST_F(EditCharTest, DrawWritesTheTextAtTheMappedOrigin)
{
    CDisplayMap screen;  // 96 dpi, zoom 100
    CEditChar node(u'a');
    node.m_lf.lfHeight = -371;
    node.m_color = 0x00FF00;
    node.m_ptText = POINT{2540, 5080};
    LAYOUT_CONTEXT context;
    const HFONT before = dc.GetCurrentFont();
    node.Draw(&dc, &screen, &context);
    const auto texts = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"a");
    EXPECT_EQ(PointsText(texts[0].points), "(96,192)");
    EXPECT_EQ(texts[0].textColor, 0x00FF00u);
    EXPECT_EQ(texts[0].font.lfHeight, -14);
    // The node's own font is deselected and deleted again.
    EXPECT_EQ(dc.GetCurrentFont(), before);

    dc.ClearCalls();
    CDisplayMap turned;
    turned.SetVertical(1);
    node.Draw(&dc, &turned, &context);
    const auto vertical = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(vertical.size(), 1u);
    EXPECT_EQ(PointsText(vertical[0].points), "(-192,96)");
    EXPECT_EQ(vertical[0].font.lfEscapement, 2700);
}

TEST_F(EditCharTest, DrawUsesTheHandedDownFontAndNothingForEmptyText)
{
    LOGFONTA description{};
    description.lfHeight = -33;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&description));
    dc.SelectObject(font);
    dc.ClearCalls();
    CEditChar node(u'a');
    LAYOUT_CONTEXT context;
    context.font = font;
    node.Draw(&dc, &map, &context);
    ASSERT_EQ(dc.Drawings().size(), 1u);
    EXPECT_TRUE(dc.CallsOf(GdiOp::SelectFont).empty());
    EXPECT_EQ(dc.Drawings()[0].font.lfHeight, -33);

    dc.ClearCalls();
    CEditChar empty;
    empty.Draw(&dc, &map, &context);
    EXPECT_TRUE(dc.Drawings().empty());
}

TEST_F(EditCharTest, InTextAnswersAreRedOnlyOnTheWidePath)
{
    CEditContainer answer(EditKind::Code(EditKind::kCyukai));
    CEditChar* node = AddChar(&answer, u'あ');
    node->m_color = 0x00FF00;
    LAYOUT_CONTEXT context;

    UseWideTextOut = 1;
    node->Draw(&dc, &map, &context);
    ASSERT_EQ(dc.CallsOf(GdiOp::TextOutW).size(), 1u);
    EXPECT_EQ(dc.CallsOf(GdiOp::TextOutW)[0].textColor, 0x0000FFu);

    dc.ClearCalls();
    UseWideTextOut = 0;
    node->Draw(&dc, &map, &context);
    const auto narrow = dc.CallsOf(GdiOp::ExtTextOutA);
    ASSERT_EQ(narrow.size(), 1u);
    EXPECT_EQ(narrow[0].textColor, 0x00FF00u);
    EXPECT_EQ(narrow[0].options, ETO_OPAQUE);
    EXPECT_FALSE(narrow[0].hasRect);
    EXPECT_EQ(narrow[0].bytes, "\x82\xa0");
}

TEST_F(EditCharTest, EmptyLineBreakShowsItsMarkOnlyOnScreenWhenAskedFor)
{
    CEditCR cr;
    cr.m_lf.lfHeight = -kEm;
    cr.m_width = 50;
    cr.m_height = 100;
    cr.m_ptText = POINT{1000, 80};
    LAYOUT_CONTEXT context;

    LineBreakMarksVisible = 0;
    cr.Draw(&dc, &map, &context);
    EXPECT_TRUE(dc.Drawings().empty());

    LineBreakMarksVisible = 1;
    cr.Draw(&dc, &map, &context);
    auto marks = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].text, u"↓");
    EXPECT_EQ(marks[0].textColor, 0x808080u);
    EXPECT_EQ(PointsText(marks[0].points), "(975,80)");

    // A line break narrower than 2 moves by half its height.
    dc.ClearCalls();
    cr.m_width = 0;
    cr.Draw(&dc, &map, &context);
    marks = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(PointsText(marks[0].points), "(950,80)");

    CRecordingDC printer(DeviceKind::Printer);
    cr.Draw(&printer, &map, &context);
    EXPECT_TRUE(printer.Drawings().empty());

    // A line break with text draws as a character.
    dc.ClearCalls();
    cr.SetText(u"x");
    cr.Draw(&dc, &map, &context);
    marks = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].text, u"x");
}

TEST_F(EditCharTest, CopyFormatAndCopyFrom)
{
    CEditChar source(u'z');
    source.m_lf.lfHeight = -500;
    source.m_color = 0x123456;
    source.EditCharacterRecord()->m_underlineStyle = 7;
    source.EditNumbering().m_renbanType = 4;
    source.m_areaWidth = 99;
    CEditChar target;
    target.m_dirty = 0;
    target.CopyFrom(&source);
    EXPECT_EQ(target.GetText(), u"z");
    EXPECT_EQ(target.m_state, CEditChar::kText);
    EXPECT_EQ(target.m_lf.lfHeight, -500);
    EXPECT_EQ(target.m_color, 0x123456u);
    EXPECT_EQ(target.CharacterRecord().m_underlineStyle, 7);
    EXPECT_EQ(target.Numbering().m_renbanType, 4);
    EXPECT_EQ(target.m_areaWidth, 0);
    EXPECT_EQ(target.m_dirty, 1);
}

TEST_F(EditCharTest, SetTextAlignRecordsWithoutMarkingDirty)
{
    CEditCR cr;
    cr.m_dirty = 0;
    CUndoGroup group;
    cr.SetTextAlign(2, &group);
    cr.SetTextAlign(4, nullptr);
    EXPECT_EQ(cr.m_textAlign, 4);
    EXPECT_EQ(cr.m_dirty, 0);
    ASSERT_EQ(group.GetCount(), 1);
    EXPECT_EQ(group.GetAt(0)->m_code, 129);
    EXPECT_EQ(group.GetAt(0)->m_pNode, &cr);
    EXPECT_EQ(group.GetAt(0)->m_oldValue, 0);
    EXPECT_EQ(group.GetAt(0)->m_newValue, 2);
}
