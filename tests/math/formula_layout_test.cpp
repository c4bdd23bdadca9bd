// Formula characters, slot rows and the formula roots measured, laid out and drawn on the
// recording context, whose synthetic metrics make every number exact: a font of height h has
// ascent 4h/5, axis h/2, and half-width characters h/2 wide.
#include "math_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"
#include "nodes/undo.h"
#include "platform/gdi_recording.h"

using namespace mathtest;

namespace {

constexpr int kEm = 100;

CDisplayMap IdentityMap()
{
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    return map;
}

LAYOUT_CONTEXT MeasureContext(int width)
{
    LAYOUT_CONTEXT context;
    context.availableWidth = width;
    context.fullWidth = width;
    context.remainingHeight = 100000;
    return context;
}

// Every node below the container (and the container) at the same font height.
void SetHeights(CEditNode* node, int em)
{
    node->m_lf.lfHeight = -em;
    for (int i = 0; i < node->GetChildCount(); ++i)
        SetHeights(node->GetEditChild(i), em);
}

void MeasureAndLayout(CEditMath* formula, CDC* dc, CDisplayMap* map, int width = 100000)
{
    LAYOUT_CONTEXT measure = MeasureContext(width);
    formula->Measure(dc, map, &measure);
    LAYOUT_CONTEXT layout;
    layout.rowAscent = formula->m_ascent;
    formula->Layout(&layout, 0);
}

}  // namespace

TEST(FormulaCharacters, OperatorsGetOneMillimetreMoreAndDrawInItsMiddle)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {u"x+y"});
    formula->InsertChildAt(3, new CEditMathChar(CStringW(u"==")));
    SetHeights(formula.get(), kEm);
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map);

    const int widths[] = {50, 150, 50, 200, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(formula->GetEditChild(i)->m_width, widths[i]) << i;
    EXPECT_EQ(formula->m_width, 450);

    LAYOUT_CONTEXT draw;
    formula->Draw(&dc, &map, &draw);
    std::vector<GdiCall> texts = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 4u);
    const int x[] = {0, 100, 200, 300};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(texts[i].points[0].x, x[i]) << i;
        EXPECT_EQ(texts[i].points[0].y, 80) << i;
        EXPECT_EQ(texts[i].textAlign, TA_BASELINE);
    }
}

TEST(FormulaCharacters, ItalicOverhangsComeFromNegativeAbcWidthsOfVariablePitchFaces)
{
    CRecordingDC dc;
    dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
        if (unit != u'f')
            return false;
        abc = ABC{-7, 60, -12};
        return true;
    };
    CDisplayMap map = IdentityMap();
    for (const BYTE pitch : {BYTE(2), BYTE(1)}) {
        CEditMathChar f(u'f');
        f.m_lf.lfHeight = -kEm;
        f.m_lf.lfPitchAndFamily = pitch;
        LAYOUT_CONTEXT context = MeasureContext(1000);
        f.Measure(&dc, &map, &context);
        EXPECT_EQ(f.m_leftOverhang, pitch == 2 ? 7 : 0);
        EXPECT_EQ(f.m_rightOverhang, pitch == 2 ? 12 : 0);
    }
}

TEST(FormulaCharacters, CentredOnTheAxisPutsTheCharacterAxisOnTheRowAxis)
{
    CEditMathChar c(u'a');
    c.m_ascent = 300;
    c.m_axis = 200;
    TEXTMETRICA metrics{};
    metrics.tmAscent = 300;
    c.m_tm = metrics;
    LAYOUT_CONTEXT context;
    context.rowAxis = 500;
    context.rowAscent = 450;
    context.centreOnAxis = 1;
    c.Layout(&context, 0);
    EXPECT_EQ(c.m_ptText.y, 600);
    context.centreOnAxis = 0;
    c.Layout(&context, 0);
    EXPECT_EQ(c.m_ptText.y, 450);
}

TEST(FormulaRows, ATallAxisMovesTheBaselineDownToIt)
{
    // a (100: ascent 80, axis 50) beside a fenced group 400 high (axis 200, no ascent).
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {u"a"});
    auto* fenced = new CEditFenced();
    fenced->CreateDefaultSlots();
    FillSlots(fenced, {u"b"});
    formula->InsertChildAt(1, fenced);
    SetHeights(formula.get(), kEm);
    SetHeights(fenced, 400);
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map);

    const EDIT_LINE* row = formula->GetRow(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->m_axis, 200);
    EXPECT_EQ(row->m_ascent, 230);
    EXPECT_EQ(row->m_height, 400);
    EXPECT_EQ(fenced->m_ascent, 0);
    EXPECT_EQ(fenced->m_axis, 200);
    EXPECT_EQ(formula->GetEditChild(0)->m_ptText.y, 230);
    EXPECT_EQ(fenced->m_rcLayout.top, 0);

    // A row of characters only: axis half the tallest, height from ascent and descent.
    std::unique_ptr<CEditMath> plain = EmptyFormula();
    FillSlots(plain.get(), {u"ab"});
    SetHeights(plain.get(), kEm);
    plain->GetEditChild(1)->m_lf.lfHeight = -200;
    MeasureAndLayout(plain.get(), &dc, &map);
    EXPECT_EQ(plain->GetRow(0)->m_axis, 100);
    EXPECT_EQ(plain->GetRow(0)->m_ascent, 160);
    EXPECT_EQ(plain->GetRow(0)->m_height, 200);
}

TEST(FormulaRows, EachSlotIsOneRowHoweverNarrowTheWidth)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    auto* frac = AddTemplate<CEditFrac>(formula.get());
    FillSlots(frac, {u"abcdef", u"g"});
    formula->AppendChild(new CEditMathCR());  // a second formula line
    SetHeights(formula.get(), kEm);
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map, 120);
    ASSERT_EQ(frac->GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(frac->GetRow(0)->m_count, 7);
    EXPECT_EQ(frac->GetRow(0)->m_width, 300);
    EXPECT_EQ(frac->GetRow(1)->m_count, 2);
    EXPECT_EQ(formula->GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(formula->GetRow(1)->m_count, 1);
    // An empty line's end is as wide as an average character.
    EXPECT_EQ(formula->GetEditChild(2)->m_width, 50);
}

TEST(FormulaRows, ABigOperatorTakesTheSizeOfWhatFollowsIt)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    formula->InsertChildAt(0, new CEditSigma());
    formula->InsertChildAt(1, new CEditMathChar(u'k'));
    formula->InsertChildAt(2, new CEditSigma());
    SetHeights(formula.get(), kEm);
    formula->GetEditChild(1)->m_lf.lfHeight = -706;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map);
    EXPECT_EQ(formula->GetEditChild(0)->m_lf.lfHeight, -706);
    EXPECT_EQ(formula->GetEditChild(2)->m_lf.lfHeight, -kEm);  // last: the line end's
}

TEST(FormulaSizes, DefaultSlotsTakeTheTemplateSizeOrItsScriptSize)
{
    EXPECT_EQ(ScriptSize(-370), -211);
    EXPECT_EQ(ScriptSize(-371), -212);
    EXPECT_EQ(ScriptSize(-1), 0);

    struct Case {
        CEditMathContainer* node;
        std::vector<int> heights;
    };
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    CEditMath* f = formula.get();
    const Case cases[] = {
        {AddTemplate<CEditFrac>(f), {-371, -371}},
        {AddTemplate<CEditRoot>(f), {-212, -371}},
        {AddTemplate<CEditSqrt>(f), {-371}},
        {AddTemplate<CEditMulti>(f), {-212, -212, -371, -212, -212}},
        {AddTemplate<CEditOver>(f), {-212, -371}},
        {AddTemplate<CEditUnder>(f), {-371, -212}},
        {AddTemplate<CEditUnderover>(f), {-212, -371, -212}},
        {AddTemplate<CEditSubsup>(f), {-371, -212, -212}},
        {AddTemplate<CEditPresubPresup>(f), {-212, -212, -371}},
        {AddTemplate<CEditPresubSub>(f), {-212, -371, -212}},
        {AddTemplate<CEditSigmaUnderover>(f), {-212, -212}},
        {AddTemplate<CEditIntegralSub>(f), {-212}},
        {AddTemplate<CEditFenced>(f), {-371}},
    };
    for (const Case& c : cases) {
        std::vector<int> heights;
        for (int i = 0; i < c.node->GetChildCount(); ++i)
            heights.push_back(c.node->GetEditChild(i)->m_lf.lfHeight);
        EXPECT_EQ(heights, c.heights) << c.node->GetRuntimeClass()->m_lpszClassName;
    }
    auto* over2 = AddTemplate<CEditOver2>(f);
    EXPECT_EQ(over2->m_mark->m_lf.lfHeight, -212);
}

TEST(FormulaSizes, ApplyFontSizeRecordsEveryChildOfNestedTemplates)
{
    auto frac = std::make_unique<CEditFrac>();
    frac->m_lf.lfHeight = -400;
    frac->CreateDefaultSlots();
    FillSlots(frac.get(), {u"a"});
    auto* sub = new CEditSub();
    frac->InsertChildAt(2, sub);
    sub->CreateDefaultSlots();
    FillSlots(sub, {u"x", u"2"});

    CUndoGroup group;
    frac->ApplyFontSize(&group);
    EXPECT_EQ(group.GetCount(), 4 + 4);
    EXPECT_EQ(sub->m_lf.lfHeight, -400);
    const int expected[] = {-400, -400, -228, -228};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sub->GetEditChild(i)->m_lf.lfHeight, expected[i]) << i;

    frac->m_lf.lfHeight = -200;
    frac->ApplyFontSize(nullptr);
    EXPECT_EQ(group.GetCount(), 8);
    EXPECT_EQ(sub->GetEditChild(2)->m_lf.lfHeight, -114);
}

TEST(FormulaDrawing, EmptySlotsShowGreenOnScreenAndNothingInPrint)
{
    CreateGdiResources();
    for (const DeviceKind kind : {DeviceKind::Screen, DeviceKind::Printer}) {
        std::unique_ptr<CEditMath> formula = EmptyFormula();
        auto* frac = AddTemplate<CEditFrac>(formula.get());
        FillSlots(frac, {u"a"});
        SetHeights(formula.get(), kEm);
        CRecordingDC dc(kind);
        CDisplayMap map = IdentityMap();
        MeasureAndLayout(formula.get(), &dc, &map);
        LAYOUT_CONTEXT draw;
        formula->Draw(&dc, &map, &draw);
        std::vector<GdiCall> marks = dc.CallsOf(GdiOp::Rectangle);
        if (kind == DeviceKind::Printer) {
            EXPECT_TRUE(marks.empty());
            continue;
        }
        ASSERT_EQ(marks.size(), 1u);  // the empty denominator
        const RECT r = frac->GetEditChild(2)->m_rcLayout;
        EXPECT_EQ(marks[0].rect.left, r.left);
        EXPECT_EQ(marks[0].rect.right, r.right + 1);
        EXPECT_EQ(marks[0].rect.bottom, r.bottom + 1);
        EXPECT_EQ(marks[0].brush.color, 0x00FF00u);
        EXPECT_EQ(marks[0].pen.style, PS_NULL);
    }
}

TEST(FormulaBlock, DefaultContentResetAndLoadedFormula)
{
    CEditEditMath block;
    block.InitDefaultContent();
    ASSERT_EQ(block.GetChildCount(), 2);
    EXPECT_TRUE(block.IsEmpty());
    EXPECT_EQ(block.GetEditChild(0)->GetEditChild(0)->m_lf.lfHeight, -371);
    EXPECT_TRUE(block.GetEditChild(1)->IsKind(EditKind::kCR));

    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<mrow><mi>x</mi></mrow>"));
    block.LoadMathML(doc.documentElement());
    EXPECT_EQ(Describe(&block), "EditMath(Math(|) )");

    ASSERT_TRUE(doc.loadXML(u"<math><mi>x</mi></math>"));
    block.LoadMathML(doc.documentElement());
    EXPECT_FALSE(block.IsEmpty());
    EXPECT_EQ(Describe(&block), "EditMath(Math(x |) |)");
    block.Reset();
    EXPECT_TRUE(block.IsEmpty());
}

// Typing into a formula makes formula characters through the node layer's family makers; a
// character beyond the 16-bit range is one node, and the Enter key makes no second line.
TEST(FormulaTyping, TypedTextBecomesFormulaCharacters)
{
    UseFormulaFamily();
    CEditEditMath block;
    block.InitDefaultContent();
    auto* formula = dynamic_cast<CEditMath*>(block.GetEditChild(0));
    ASSERT_NE(formula, nullptr);
    CCaret caret;
    caret.m_caretNode = formula->GetEditChild(0);
    caret.m_logFont.lfHeight = -kEm;
    CStringW typed(u"a+\U0001D465");
    CUndoGroup group;
    EXPECT_TRUE(caret.m_caretNode->InsertChars(&caret, &typed, &group));
    EXPECT_EQ(Describe(formula), "Math(a + \U0001D465 |)");
    EXPECT_NE(dynamic_cast<CEditMathChar*>(formula->GetEditChild(2)), nullptr);
    EXPECT_EQ(group.GetCount(), 3);

    EXPECT_FALSE(caret.m_caretNode->InsertLineBreak(&caret, &group));
    EXPECT_EQ(formula->GetSlotCount(), 1);

    EXPECT_TRUE(caret.m_caretNode->DeleteBackward(&caret, &group));
    EXPECT_EQ(Describe(formula), "Math(a + |)");
}

// The formula editor draws through code page 932 and leaves answers in their own colour; the
// problem editor draws UTF-16 and shows answers red.
TEST(FormulaDrawing, AnswerColourFollowsTheTextOutputSwitch)
{
    const int saved = UseWideTextOut;
    for (const int wide : {1, 0}) {
        UseWideTextOut = wide;
        std::unique_ptr<CEditMath> formula = FormulaFromMathML(u"<math><mrow qntype='cyukai'><mn>7</mn></mrow></math>");
        SetHeights(formula.get(), kEm);
        CRecordingDC dc;
        CDisplayMap map = IdentityMap();
        MeasureAndLayout(formula.get(), &dc, &map);
        LAYOUT_CONTEXT draw;
        formula->Draw(&dc, &map, &draw);
        std::vector<GdiCall> texts = dc.CallsOf(wide ? GdiOp::TextOutW : GdiOp::TextOutA);
        ASSERT_EQ(texts.size(), 1u) << wide;
        EXPECT_EQ(texts[0].textColor, wide ? 0x0000FFu : 0u);
    }
    UseWideTextOut = saved;
}

TEST(FormulaRows, AFormulaSeesThroughToTheOverhangsOfItsEnds)
{
    CRecordingDC dc;
    dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
        abc = unit == u'f' ? ABC{-5, 40, -9} : ABC{-3, 50, -4};
        return true;
    };
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {u"jxf"});
    SetHeights(formula.get(), kEm);
    for (int i = 0; i < formula->GetChildCount(); ++i)
        formula->GetEditChild(i)->m_lf.lfPitchAndFamily = 2;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map);
    EXPECT_EQ(formula->m_leftOverhang, 3);
    EXPECT_EQ(formula->m_rightOverhang, 9);
}

TEST(FormulaHitTest, ChildrenFirstThenTheRowEnds)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    auto* frac = AddTemplate<CEditFrac>(formula.get());
    FillSlots(frac, {u"ab", u"c"});
    SetHeights(formula.get(), kEm);
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    MeasureAndLayout(formula.get(), &dc, &map);
    const EDIT_LINE* numerator = frac->GetRow(0);
    int after = -1;
    EXPECT_EQ(formula->HitTest(numerator->m_rcLayout.left + 60, numerator->m_rcLayout.top + 10, &after), frac->GetEditChild(1));
    EXPECT_EQ(after, 0);
    // At the end of the numerator row: its slot end, after it.
    EXPECT_EQ(frac->HitTest(numerator->m_rcLayout.right, numerator->m_rcLayout.top + 10, &after), frac->GetEditChild(2));
    EXPECT_EQ(after, 1);
    EXPECT_EQ(frac->HitTest(5000, 5000, &after), nullptr);
}

// A formula in a line of text stands on the text's baseline.
TEST(FormulaInText, SharesTheBaselineOfTheLine)
{
    CEditSentence part;
    part.AppendChild(new CEditChar(u'a'));
    auto* formula = new CEditMath();
    formula->CreateDefaultSlots(0);
    FillSlots(formula, {u"x+1"});
    part.AppendChild(formula);
    part.AppendChild(new CEditChar(u'b'));
    part.AppendChild(new CEditCR());
    SetHeights(&part, kEm);
    formula->GetEditChild(0)->m_lf.lfHeight = -200;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT measure = MeasureContext(10000);
    measure.pageHeight = 100000;
    part.Measure(&dc, &map, &measure);
    LAYOUT_CONTEXT layout;
    layout.page = 1;
    part.Layout(&layout, 0);
    const int baseline = part.GetEditChild(0)->m_ptText.y;
    EXPECT_EQ(formula->GetEditChild(0)->m_ptText.y, baseline);
    EXPECT_EQ(formula->GetEditChild(2)->m_ptText.y, baseline);
    EXPECT_EQ(part.GetEditChild(2)->m_ptText.y, baseline);
    EXPECT_EQ(formula->m_width, 100 + 150 + 50);
}
