// Every formula template measured, laid out and drawn on the recording context, whose synthetic
// metrics make each number exact: a font of height h is h high with ascent 4h/5 and axis h/2,
// a half-width character is h/2 wide, and an empty slot's end is as wide as that. Templates are
// placed at x 1000 on a row whose top is 2000 and whose axis and baseline are 500 below it.
// Strokes are checked in both writing directions: the points are those of the document turned
// by the display map.
#include "math_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"
#include "platform/gdi_recording.h"

using namespace mathtest;

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const POINT& p) { return out << "(" << p.x << ", " << p.y << ")"; }

namespace {

constexpr int kX = 1000;
constexpr int kRowTop = 2000;
constexpr int kRowAxis = 500;
constexpr int kRowAscent = 500;

CDisplayMap Map(int vertical)
{
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    map.SetVertical(vertical);
    return map;
}

// A template of the class at the font height, its slots filled in order and sized as its font
// size rule gives them.
template <typename Template>
std::unique_ptr<Template> Make(int height, std::initializer_list<std::u16string_view> contents)
{
    auto node = std::make_unique<Template>();
    node->m_lf.lfHeight = height;
    if constexpr (requires(Template* t) { t->CreateDefaultSlots(); })
        node->CreateDefaultSlots();
    FillSlots(node.get(), contents);
    node->ApplyFontSize(nullptr);
    return node;
}

void Measure(CEditNode* node, CDC* dc, CDisplayMap* map)
{
    LAYOUT_CONTEXT context;
    context.availableWidth = 100000;
    context.fullWidth = 100000;
    node->Measure(dc, map, &context);
}

void Place(CEditNode* node)
{
    LAYOUT_CONTEXT context;
    context.originX = kX;
    context.originY = kRowTop;
    context.rowAscent = kRowAscent;
    context.rowAxis = kRowAxis;
    node->Layout(&context, 0);
}

void MeasureAndPlace(CEditNode* node, CDC* dc, CDisplayMap* map)
{
    Measure(node, dc, map);
    Place(node);
}

struct Metrics {
    int width, height, ascent, axis;
    friend bool operator==(const Metrics&, const Metrics&) = default;
};

Metrics MetricsOf(const CEditNode* node)
{
    return {node->m_width, node->m_height, node->m_ascent, node->m_axis};
}

std::ostream& operator<<(std::ostream& out, const Metrics& m)
{
    return out << "{" << m.width << ", " << m.height << ", " << m.ascent << ", " << m.axis << "}";
}

POINT TopLeft(const RECT& r) { return POINT{r.left, r.top}; }

// The left and top of a row's rectangle.
POINT RowOrigin(CEditMathContainer* node, int row)
{
    const EDIT_LINE* line = node->GetRow(row);
    return line != nullptr ? TopLeft(line->m_rcLayout) : POINT{-1, -1};
}

std::vector<POINT> Turned(const CDisplayMap& map, std::vector<POINT> points)
{
    for (POINT& p : points)
        map.DocToDevice(&p);
    return points;
}

// The points of every stroke (lines, polylines, arcs) in drawing order.
std::vector<std::vector<POINT>> Strokes(const CRecordingDC& dc)
{
    std::vector<std::vector<POINT>> strokes;
    for (const GdiCall& call : dc.Drawings()) {
        if (call.op == GdiOp::LineTo || call.op == GdiOp::Polyline || call.op == GdiOp::Arc)
            strokes.push_back(call.points);
    }
    return strokes;
}

// The pens, brushes and installed-font list the program builds at start-up.
class GdiResourcesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CreateGdiResources(); }
};
const auto* const gdiResources = ::testing::AddGlobalTestEnvironment(new GdiResourcesEnvironment);

// Shows or hides the in-text answers for the lifetime of the object.
class AnswersShown {
public:
    explicit AnswersShown(int shown) : m_saved(InTextAnswersVisible) { InTextAnswersVisible = shown; }
    ~AnswersShown() { InTextAnswersVisible = m_saved; }

private:
    int m_saved;
};

void Draw(CEditNode* node, CDC* dc, CDisplayMap* map)
{
    LAYOUT_CONTEXT context;
    node->Draw(dc, map, &context);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Fractions

TEST(FractionTemplate, StackedRuleAndExtraWidthFollowTheFirstNodesSize)
{
    // Numerator "ab", denominator "x". Below 10.5 pt the extra width is capped at half the font
    // height; −370 (the size dialog's 10.5 pt) therefore gets 185, −371 (10.5 pt exactly) 371.
    struct Case {
        int height;
        Metrics metrics;
        int extra;
    } cases[] = {
        {-370, {555, 793, 499, 388}, 185},
        {-371, {741, 795, 500, 389}, 371},
        {-423, {793, 899, 568, 441}, 371},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        auto frac = Make<CEditFrac>(c.height, {u"ab", u"x"});
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(frac.get(), &dc, &map);
            const int half = -c.height / 2;  // one letter's width
            EXPECT_EQ(MetricsOf(frac.get()), c.metrics);
            EXPECT_EQ(frac->m_width - 2 * half, c.extra);
            const int top = kRowTop + kRowAxis - c.metrics.axis;
            EXPECT_EQ(frac->m_rcLayout.top, top);
            EXPECT_EQ(RowOrigin(frac.get(), 0).x, kX + (c.metrics.width - 2 * half) / 2);
            EXPECT_EQ(RowOrigin(frac.get(), 0).y, top);
            EXPECT_EQ(RowOrigin(frac.get(), 1).x, kX + (c.metrics.width - half) / 2);
            EXPECT_EQ(RowOrigin(frac.get(), 1).y, top - c.height + 53);
            Draw(frac.get(), &dc, &map);
            const std::vector<POINT> rule{{kX, kRowTop + kRowAxis}, {kX + c.metrics.width, kRowTop + kRowAxis}};
            ASSERT_EQ(Strokes(dc).size(), 1u);
            EXPECT_EQ(Strokes(dc)[0], Turned(map, rule));
            EXPECT_EQ(dc.CallsOf(GdiOp::LineTo)[0].pen.width, 17);
        }
    }
}

TEST(FractionTemplate, BevelledIsNumeratorBesideDenominatorWithASlash)
{
    auto frac = Make<CEditFrac>(-400, {u"ab", u"x"});
    frac->m_bevelled = 1;
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    MeasureAndPlace(frac.get(), &dc, &map);
    EXPECT_EQ(MetricsOf(frac.get()), (Metrics{600, 800, 520, 400}));
    const int top = kRowTop + kRowAxis - 400;
    EXPECT_EQ(RowOrigin(frac.get(), 0), (POINT{kX, top}));
    EXPECT_EQ(RowOrigin(frac.get(), 1), (POINT{kX + 400, top + 400}));
    EXPECT_EQ(frac->m_ruleStart, (POINT{kX + 400 + 200, top}));
    EXPECT_EQ(frac->m_ruleEnd, (POINT{kX + 400 - 200, top + 800}));
}

TEST(FractionTemplate, EmptySlotMarksOnScreenOnlyAndNothingInAHiddenAnswer)
{
    auto frac = Make<CEditFrac>(-400, {u"", u""});
    for (DeviceKind kind : {DeviceKind::Screen, DeviceKind::Printer, DeviceKind::Metafile}) {
        CRecordingDC dc(kind);
        CDisplayMap map = Map(0);
        MeasureAndPlace(frac.get(), &dc, &map);
        Draw(frac.get(), &dc, &map);
        EXPECT_EQ(GreenMarks(dc), kind == DeviceKind::Screen ? 2 : 0);
        EXPECT_EQ(Strokes(dc).size(), 1u);
    }
    // Inside a hidden in-text answer neither the rule nor the marks.
    CEditMathCyukai answer;
    answer.AppendChild(frac.release());
    answer.AppendChild(new CEditMathCR());
    AnswersShown hide(0);
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    CEditNode* inner = answer.GetEditChild(0);
    MeasureAndPlace(inner, &dc, &map);
    Draw(inner, &dc, &map);
    EXPECT_TRUE(Strokes(dc).empty());
    EXPECT_EQ(GreenMarks(dc), 0);
}


// ---------------------------------------------------------------------------------------------
// Roots and long division

namespace {

// A root at −400 whose radicand "x" may be given another height.
template <typename Root>
std::unique_ptr<Root> MakeRoot(std::initializer_list<std::u16string_view> contents, int radicandHeight)
{
    auto root = Make<Root>(-400, contents);
    const int radicandSlot = std::is_same_v<Root, CEditRoot> ? 1 : 0;
    root->GetEditChild(root->GetSlotStart(radicandSlot))->m_lf.lfHeight = radicandHeight;
    return root;
}

}  // namespace

TEST(RootTemplates, RadicalCornersMetricsAndRowOrigins)
{
    struct Case {
        const char* name;
        std::unique_ptr<CEditMathTemplate> node;
        Metrics metrics;
        std::vector<POINT> rows;
        std::vector<POINT> sign;  // P0 … P4
    };
    Case cases[] = {
        // Radicand row 400 + 53 high: the bar 18 below the top, the radicand 53 below it.
        {"sqrt", MakeRoot<CEditSqrt>({u"x"}, -400), {426, 471, 391, 271}, {{1226, 2229}},
         {{1000, 2595}, {1056, 2537}, {1113, 2682}, {1226, 2247}, {1426, 2247}}},
        // A small index: the radicand keeps the row's axis.
        {"root", MakeRoot<CEditRoot>({u"n", u"x"}, -400), {426, 471, 391, 271}, {{1000, 2229}, {1226, 2247}},
         {{1000, 2613}, {1056, 2555}, {1113, 2700}, {1226, 2265}, {1426, 2265}}},
        // An index 456 wide and 228 high over a radicand row 153 high: 405 to the right, 126 up.
        {"wide tall index", MakeRoot<CEditRoot>({u"abcd", u"x"}, -100), {531, 297, 277, 247},
         {{1000, 2253}, {1481, 2397}}, {{1405, 2523}, {1424, 2505}, {1443, 2550}, {1481, 2415}, {1531, 2415}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(c.node.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(c.node.get()), c.metrics);
            for (size_t row = 0; row < c.rows.size(); ++row)
                EXPECT_EQ(RowOrigin(c.node.get(), static_cast<int>(row)), c.rows[row]) << row;
            Draw(c.node.get(), &dc, &map);
            ASSERT_EQ(dc.CallsOf(GdiOp::Polyline).size(), 1u);
            EXPECT_EQ(dc.CallsOf(GdiOp::Polyline)[0].points, Turned(map, c.sign));
            EXPECT_EQ(dc.CallsOf(GdiOp::Polyline)[0].pen.width, 17);
        }
    }
}

TEST(RootTemplates, NoSignInsideAHiddenAnswerForEitherRootOrTheDivision)
{
    CEditMathCyukai answer;
    answer.AppendChild(MakeRoot<CEditRoot>({u"3", u"x"}, -400).release());
    answer.AppendChild(MakeRoot<CEditSqrt>({u"x"}, -400).release());
    answer.AppendChild(Make<CEditLongdiv>(-400, {u"12"}).release());
    answer.AppendChild(MakeRoot<CEditRoot>({u"", u"y"}, -400).release());
    answer.AppendChild(new CEditMathCR());
    for (int shown : {1, 0}) {
        AnswersShown answers(shown);
        CRecordingDC dc;
        CDisplayMap map = Map(0);
        for (int i = 0; i < 4; ++i) {
            MeasureAndPlace(answer.GetEditChild(i), &dc, &map);
            Draw(answer.GetEditChild(i), &dc, &map);
        }
        EXPECT_EQ(Strokes(dc).size(), shown ? 5u : 0u);  // three radicals, the bar and the arc
        // The root's empty index keeps its screen mark, as the root always did.
        EXPECT_EQ(GreenMarks(dc), 1);
    }
}

TEST(RootTemplates, LongDivisionBarArcAndItalicOverhang)
{
    struct Case {
        bool italic;
        int width;
    } cases[] = {{true, 350}, {false, 300}};
    for (const Case& c : cases) {
        auto division = Make<CEditLongdiv>(-400, {u"f"});
        division->GetEditChild(0)->m_lf.lfItalic = c.italic ? 1 : 0;
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(division.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(division.get()), (Metrics{c.width, 400, 320, 200}));
            EXPECT_EQ(RowOrigin(division.get(), 0), (POINT{1100, 2180}));
            Draw(division.get(), &dc, &map);
            const std::vector<std::vector<POINT>> strokes = Strokes(dc);
            ASSERT_EQ(strokes.size(), 2u);
            EXPECT_EQ(strokes[0], Turned(map, {{1000, 2300}, {1000 + c.width, 2300}}));
            // The arc runs from its bottom to the bar's start: the right half of its box, a ")".
            EXPECT_EQ(strokes[1], Turned(map, {{1000, 2700}, {1000, 2300}}));
            if (vertical == 0) {
                EXPECT_EQ(dc.CallsOf(GdiOp::Arc)[0].rect, (RECT{900, 2300, 1100, 2700}));
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Scripts

namespace {

// A combination symbol "C" at −400 with its two indices.
std::unique_ptr<CEditOPresubSub> MakeCombination(std::u16string_view pre, std::u16string_view sub)
{
    auto node = std::make_unique<CEditOPresubSub>();
    node->m_lf.lfHeight = -400;
    node->m_symbol->SetText(u'C');
    node->AppendChild(new CEditMathCR());
    node->AppendChild(new CEditMathCR());
    FillSlots(node.get(), {pre, sub});
    node->ApplyFontSize(nullptr);
    return node;
}

}  // namespace

TEST(ScriptTemplates, MetricsAndRowOriginsOfEveryForm)
{
    // At −400 a base letter is 200 × 400 (ascent 320, axis 200) and a script letter 114 × 228
    // (ascent 182, axis 114): a superscript raises by 228 / 10 = 22.
    struct Case {
        const char* name;
        std::unique_ptr<CEditMathContainer> node;
        Metrics metrics;
        std::vector<POINT> rows;
    };
    Case cases[] = {
        {"subsup", Make<CEditSubsup>(-400, {u"x", u"2", u"i"}), {314, 422, 342, 222}, {{1000, 2180}, {1200, 2158}, {1200, 2352}}},
        {"sub", Make<CEditSub>(-400, {u"x", u"i"}), {314, 400, 320, 200}, {{1000, 2300}, {1200, 2472}}},
        {"super", Make<CEditSuper>(-400, {u"x", u"2"}), {314, 422, 342, 222}, {{1000, 2300}, {1200, 2278}}},
        {"presubpresup", Make<CEditPresubPresup>(-400, {u"2", u"i", u"x"}), {314, 422, 342, 222},
         {{1000, 2158}, {1000, 2352}, {1114, 2180}}},
        {"presub", Make<CEditPresub>(-400, {u"i", u"x"}), {314, 400, 320, 200}, {{1000, 2352}, {1114, 2180}}},
        {"presuper", Make<CEditPresuper>(-400, {u"2", u"x"}), {314, 422, 342, 222}, {{1000, 2158}, {1114, 2180}}},
        {"presubsub", Make<CEditPresubSub>(-400, {u"i", u"x", u"j"}), {428, 400, 320, 200},
         {{1000, 2352}, {1114, 2180}, {1314, 2352}}},
        {"combination", MakeCombination(u"n", u"r"), {428, 400, 320, 200}, {{1000, 2352}, {1314, 2352}}},
        // Pre-scripts of different widths end where the base begins.
        {"presubpresup wide", Make<CEditPresubPresup>(-400, {u"2", u"ijk", u"x"}), {542, 422, 342, 222},
         {{1228, 2158}, {1000, 2352}, {1342, 2180}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(c.node.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(c.node.get()), c.metrics);
            for (size_t row = 0; row < c.rows.size(); ++row)
                EXPECT_EQ(RowOrigin(c.node.get(), static_cast<int>(row)), c.rows[row]) << row;
        }
    }
    auto combination = MakeCombination(u"n", u"r");
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    MeasureAndPlace(combination.get(), &dc, &map);
    EXPECT_EQ(TopLeft(combination->m_symbol->m_rcHit), (POINT{1114, 2180}));
    Draw(combination.get(), &dc, &map);
    ASSERT_EQ(dc.CallsOf(GdiOp::TextOutW).size(), 3u);
    EXPECT_EQ(dc.CallsOf(GdiOp::TextOutW)[0].text, u"C");
}

TEST(ScriptTemplates, SuperscriptRaiseDependsOnTheBaseAscent)
{
    // Scripts of a −370 template are 211 high (axis 105). Over a base of ascent 300 the raise is
    // 211 / 10 = 21; over one of ascent 150 it is 105 − 21 = 84, and a subscript taller than
    // that ascent hangs by its descent (211 − 168 = 43) and stands on the base's bottom by its
    // baseline.
    struct Case {
        const char* name;
        std::unique_ptr<CEditMathContainer> node;
        int baseHeight;
        Metrics metrics;
        std::vector<POINT> rows;
    };
    Case cases[] = {
        {"super over ascent 300", Make<CEditSuper>(-370, {u"x", u"2"}), -375, {292, 396, 321, 208}, {{1000, 2313}, {1187, 2292}}},
        {"super over ascent 150", Make<CEditSuper>(-370, {u"x", u"2"}), -188, {199, 272, 234, 178}, {{1000, 2406}, {1094, 2322}}},
        {"subsup over ascent 150", Make<CEditSubsup>(-370, {u"x", u"2", u"i"}), -188, {199, 315, 234, 178},
         {{1000, 2350}, {1094, 2266}, {1094, 2426}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.node->GetEditChild(0)->m_lf.lfHeight = c.baseHeight;
        CRecordingDC dc;
        CDisplayMap map = Map(0);
        MeasureAndPlace(c.node.get(), &dc, &map);
        EXPECT_EQ(MetricsOf(c.node.get()), c.metrics);
        for (size_t row = 0; row < c.rows.size(); ++row)
            EXPECT_EQ(RowOrigin(c.node.get(), static_cast<int>(row)), c.rows[row]) << row;
    }
}

TEST(ScriptTemplates, ItalicDOrFPushesTheSuperscriptHalfAMillimetre)
{
    struct Case {
        const char* name;
        std::unique_ptr<CEditMathContainer> node;
        bool italic;
        int scriptX;
    };
    Case cases[] = {
        {"super, italic f", Make<CEditSuper>(-400, {u"f", u"2"}), true, 1250},
        {"super, upright f", Make<CEditSuper>(-400, {u"f", u"2"}), false, 1220},
        {"sub, italic f", Make<CEditSub>(-400, {u"f", u"2"}), true, 1200},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditNode* f = c.node->GetEditChild(0);
        f->m_lf.lfItalic = c.italic ? 1 : 0;
        f->m_lf.lfPitchAndFamily = 2;
        CRecordingDC dc;
        // f reaches 20 beyond its advance of 200.
        dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
            if (unit != u'f')
                return false;
            abc = ABC{0, 220, -20};
            return true;
        };
        CDisplayMap map = Map(0);
        MeasureAndPlace(c.node.get(), &dc, &map);
        EXPECT_EQ(RowOrigin(c.node.get(), 1).x, c.scriptX);
    }
}

TEST(ScriptTemplates, AFencedBaseStretchesOverBothScripts)
{
    auto subsup = Make<CEditSubsup>(-400, {u"", u"2", u"i"});
    auto* fenced = new CEditFenced();
    fenced->m_lf.lfHeight = -400;
    fenced->CreateDefaultSlots();
    FillSlots(fenced, {u"x"});
    subsup->InsertChildAt(0, fenced);
    subsup->ApplyFontSize(nullptr);
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    MeasureAndPlace(subsup.get(), &dc, &map);
    // The scripts are 228 + 228 high over a base 400 high: the group grows by 56.
    EXPECT_EQ(fenced->m_height, 456);
    EXPECT_EQ(fenced->m_extraHeight, 0);
    EXPECT_EQ(subsup->GetRow(0)->m_height, 456);
}

// ---------------------------------------------------------------------------------------------
// Summation and integral signs and templates

namespace {

// Σ 700 wide with an average character width of 300 in its doubled font, the gaiji integral 800
// wide; every other character by the synthetic rules.
void UseSignWidths(CRecordingDC& dc)
{
    dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
        if (unit == kSigmaSign)
            abc = ABC{0, 700, 0};
        else if (unit == u'\uFF66')
            abc = ABC{0, 800, 0};
        else
            return false;
        return true;
    };
    dc.Rules().adjustMetrics = [](const LOGFONTA& font, TEXTMETRICA& tm) {
        if (std::string_view(font.lfFaceName) == kMsPMinchoFace)
            tm.tmAveCharWidth = 300;
    };
}

// The first text output that writes the text.
const GdiCall* TextCall(const CRecordingDC& dc, std::u16string_view text)
{
    for (const GdiCall& call : dc.Calls()) {
        if (call.op == GdiOp::TextOutW && call.text == text)
            return &call;
    }
    return nullptr;
}

}  // namespace

TEST(SummationSign, ShiftAndWidthFromTheDoubledFontAndTheAnchorOfEachContext)
{
    for (int vertical : {0, 1}) {
        for (DeviceKind kind : {DeviceKind::Screen, DeviceKind::Metafile}) {
            CEditSigma sigma;
            sigma.m_lf.lfHeight = -370;
            sigma.m_lf.lfItalic = 1;
            // Measured on the screen, drawn on the screen or into a picture.
            CRecordingDC screen;
            UseSignWidths(screen);
            CRecordingDC dc(kind);
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(&sigma, &screen, &map);
            // (700 − 300) / 2 × 2 / 3 = 133; 700 − 133 = 567; measured at −740.
            EXPECT_EQ(sigma.m_glyphShift, 133);
            EXPECT_EQ(MetricsOf(&sigma), (Metrics{567, 740, 0, 370}));
            EXPECT_EQ(sigma.m_rcLayout.top, kRowTop + kRowAxis - 370);
            // The face and the upright style stay in the node's own font, its height does not.
            EXPECT_EQ(sigma.m_lf.lfHeight, -370);
            EXPECT_EQ(sigma.m_lf.lfItalic, 0);
            EXPECT_STREQ(sigma.m_lf.lfFaceName, kMsPMinchoFace);
            Draw(&sigma, &dc, &map);
            const GdiCall* text = TextCall(dc, u"\u03A3");
            ASSERT_NE(text, nullptr);
            const bool picture = kind == DeviceKind::Metafile;
            const POINT anchor = picture ? POINT{kX + 567, 2130} : POINT{kX - 133, 2130};
            EXPECT_EQ(text->points[0], Turned(map, {anchor})[0]);
            EXPECT_EQ(text->textAlign, picture ? UINT(TA_RIGHT | TA_TOP) : UINT(TA_LEFT | TA_TOP));
            EXPECT_EQ(text->font.lfEscapement, vertical ? 2700 : 0);
        }
    }
}

TEST(IntegralSign, LeadingComesOffTheGaijiGlyphsHeight)
{
    CEditIntegral integral;
    integral.m_lf.lfHeight = -370;
    CRecordingDC dc;
    dc.Rules().adjustMetrics = [](const LOGFONTA&, TEXTMETRICA& tm) { tm.tmInternalLeading = 40; };
    CDisplayMap map = Map(0);
    MeasureAndPlace(&integral, &dc, &map);
    // The half-width gaiji code at −740: 370 wide, 740 − 40 high, ascent 592 − 20.
    EXPECT_EQ(MetricsOf(&integral), (Metrics{370, 700, 0, 350}));
    EXPECT_EQ(integral.m_glyph->m_ascent, 572);
    Draw(&integral, &dc, &map);
    const GdiCall* text = TextCall(dc, u"\uFF66");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->FaceName(), "Orvellan Gaiji");
    EXPECT_EQ(text->points[0], (POINT{kX, kRowTop + kRowAxis - 350}));
}

TEST(BigOperatorTemplates, MetricsRowOriginsAndGlyphAnchors)
{
    // At −370 the glyph is measured at −740: Σ 700 wide less 300 is G.w 400 with a shift of 133,
    // 740 less its descent 148 high (ascent 518, axis 296); the gaiji ∫ is 800 wide and 740 high
    // (axis 370). Limits "n" and "k" are 105 × 211 (ascent 168, axis 105, descent 43).
    struct Case {
        const char* name;
        std::unique_ptr<CEditBigOperatorTemplate> node;
        Metrics metrics;
        std::vector<POINT> rows;
        POINT anchor;
    };
    Case cases[] = {
        {"sigma subsup", Make<CEditSigmaSubsup>(-370, {u"n", u"k"}), {505, 687, 0, 348}, {{1400, 2152}, {1400, 2628}}, {867, 2130}},
        {"sigma sub", Make<CEditSigmaSub>(-370, {u"k"}), {505, 635, 0, 296}, {{1400, 2628}}, {867, 2130}},
        {"sigma underover", Make<CEditSigmaUnderover>(-370, {u"n", u"k"}), {533, 1014, 0, 507},
         {{1147, 1993}, {1147, 2796}}, {867, 2130}},
        {"sigma under", Make<CEditSigmaUnder>(-370, {u"k"}), {533, 803, 0, 296}, {{1147, 2796}}, {867, 2130}},
        // The upper limit 800 + 100 right of the template's left, the lower 800 × 5 / 8.
        {"integral subsup", Make<CEditIntegralSubsup>(-370, {u"n", u"k"}), {905, 888, 0, 475},
         {{1900, 2025}, {1500, 2702}}, {1000, 2130}},
        {"integral sub", Make<CEditIntegralSub>(-370, {u"k"}), {805, 783, 0, 370}, {{1500, 2702}}, {1000, 2130}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            UseSignWidths(dc);
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(c.node.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(c.node.get()), c.metrics);
            EXPECT_EQ(c.node->m_glyph->m_lf.lfHeight, -740);
            for (size_t row = 0; row < c.rows.size(); ++row)
                EXPECT_EQ(RowOrigin(c.node.get(), static_cast<int>(row)), c.rows[row]) << row;
            EXPECT_EQ(c.node->GetEditChild(0)->m_lf.lfHeight, -211);
            Draw(c.node.get(), &dc, &map);
            const GdiCall* text = TextCall(dc, c.node->IsIntegral() ? u"\uFF66" : u"\u03A3");
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->points[0], Turned(map, {c.anchor})[0]);
        }
    }
}

TEST(BigOperatorTemplates, ASingleArrowLimitIsQuarteredOnceAndDrawnWithItsTablesHead)
{
    struct Case {
        const char* name;
        std::unique_ptr<CEditBigOperatorTemplate> node;
        int row;
        int lineEnd;  // the arrow's line stops the head's half length short of the tip
    };
    Case cases[] = {
        {"underover upper", Make<CEditSigmaUnderover>(-370, {u"\u2192", u"k"}), 0, 1364},
        {"under lower", Make<CEditSigmaUnder>(-370, {u"\u2192"}), 0, 1346},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRecordingDC dc;
        UseSignWidths(dc);
        CDisplayMap map = Map(0);
        for (int pass = 0; pass < 3; ++pass)  // laying out again gives the same picture
            MeasureAndPlace(c.node.get(), &dc, &map);
        CEditNode* arrow = c.node->GetEditChild(0);
        EXPECT_EQ(arrow->m_height, 52);  // 211 / 4
        EXPECT_EQ(arrow->m_width, 400);  // the glyph box
        EXPECT_EQ(c.node->GetRow(c.row)->m_height, 52);
        Draw(c.node.get(), &dc, &map);
        std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
        ASSERT_EQ(lines.size(), 1u);
        const int middle = arrow->m_rcLayout.top + 26;
        EXPECT_EQ(lines[0].points, (std::vector<POINT>{{1000, middle}, {c.lineEnd, middle}}));
        EXPECT_EQ(lines[0].pen.width, 8);
        EXPECT_EQ(dc.CallsOf(GdiOp::Polygon).size(), 1u);
    }
}

TEST(BigOperatorTemplates, BraceAndTurnedArcLimitsSpanTheGlyphBox)
{
    for (const char16_t* mark : {u"\uFE37", u"\uFE36"}) {
        auto under = Make<CEditSigmaUnder>(-370, {mark});
        CRecordingDC dc;
        UseSignWidths(dc);
        CDisplayMap map = Map(0);
        MeasureAndPlace(under.get(), &dc, &map);
        EXPECT_EQ(under->m_lowerStretched, 1);
        EXPECT_EQ(under->GetEditChild(0)->m_width, 400);
        Draw(under.get(), &dc, &map);
        EXPECT_FALSE(dc.CallsOf(GdiOp::Arc).empty());
        for (const GdiCall& text : dc.CallsOf(GdiOp::TextOutW))
            EXPECT_EQ(text.text, u"\u03A3");  // the mark is stroked, never written
    }
}

// One empty slot or limit in each form: its mark is drawn on the screen, never on paper.
TEST(ScriptAndBigOperatorTemplates, EmptySlotMarksOnScreenOnlyForEveryForm)
{
    std::vector<std::unique_ptr<CEditMathContainer>> nodes;
    nodes.push_back(Make<CEditSub>(-400, {u"x", u""}));
    nodes.push_back(Make<CEditSubsup>(-400, {u"x", u"", u"2"}));
    nodes.push_back(MakeCombination(u"", u"r"));
    nodes.push_back(Make<CEditSigmaSub>(-370, {u""}));
    nodes.push_back(Make<CEditIntegralSub>(-370, {u""}));
    nodes.push_back(Make<CEditSigmaUnder>(-370, {u""}));
    for (auto& node : nodes) {
        for (DeviceKind kind : {DeviceKind::Screen, DeviceKind::Printer}) {
            CRecordingDC dc(kind);
            CDisplayMap map = Map(0);
            MeasureAndPlace(node.get(), &dc, &map);
            Draw(node.get(), &dc, &map);
            EXPECT_EQ(GreenMarks(dc), kind == DeviceKind::Screen ? 1 : 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Matrices and multi-scripts

namespace {

// A 2 × 2 matrix at −400: "a", "b" at −200, "xyz" and an empty cell.
std::unique_ptr<CEditMatrix> MakeMatrix(int align)
{
    auto matrix = std::make_unique<CEditMatrix>();
    matrix->m_lf.lfHeight = -400;
    matrix->CreateDefaultSlots(2, 2);
    matrix->m_textAlign = align;
    FillSlots(matrix.get(), {u"a", u"b", u"xyz", u""});
    matrix->ApplyFontSize(nullptr);
    matrix->GetEditChild(2)->m_lf.lfHeight = -200;
    return matrix;
}

}  // namespace

TEST(MatrixTemplate, CellsShareRowBaselinesAndColumnWidthsWithGaps)
{
    // Columns 600 and 200 wide with the 100 gap between; rows 400 high; the first row's ascent
    // less axis (120) puts the baseline below the centre line.
    struct Case {
        int align;
        std::vector<int> cellX;
    } cases[] = {
        {1, {1200, 1750, 1000, 1700}},
        {0, {1000, 1700, 1000, 1700}},
        {2, {1400, 1800, 1000, 1700}},
        {3, {1000, 1700, 1000, 1700}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        auto matrix = MakeMatrix(c.align);
        CRecordingDC dc;
        CDisplayMap map = Map(0);
        MeasureAndPlace(matrix.get(), &dc, &map);
        EXPECT_EQ(MetricsOf(matrix.get()), (Metrics{900, 800, 520, 400}));
        const int cellY[] = {2100, 2100, 2500, 2500};
        for (int cell = 0; cell < 4; ++cell) {
            EXPECT_EQ(RowOrigin(matrix.get(), cell), (POINT{c.cellX[cell], cellY[cell]})) << cell;
            EXPECT_EQ(matrix->GetRow(cell)->m_extra[0], cell % 2 == 0 ? 600 : 200) << cell;
            EXPECT_EQ(matrix->GetRow(cell)->m_extra[1], 400) << cell;
        }
        // "a" and the half-size "b" stand on one baseline.
        EXPECT_EQ(matrix->GetEditChild(0)->m_ptText.y, 2420);
        EXPECT_EQ(matrix->GetEditChild(2)->m_ptText.y, 2420);
    }
}

TEST(MatrixTemplate, RulingRunsThroughTheMiddleOfTheGaps)
{
    for (int vertical : {0, 1}) {
        auto matrix = MakeMatrix(1);
        matrix->EditBorderRecord()->m_borderStyle = 1;
        CRecordingDC dc;
        CDisplayMap map = Map(vertical);
        MeasureAndPlace(matrix.get(), &dc, &map);
        Draw(matrix.get(), &dc, &map);
        const std::vector<std::vector<POINT>> expected{
            {{1000, 2100}, {1000, 2900}}, {{1650, 2100}, {1650, 2900}}, {{1900, 2100}, {1900, 2900}},
            {{1000, 2100}, {1900, 2100}}, {{1000, 2500}, {1900, 2500}}, {{1000, 2900}, {1900, 2900}},
        };
        const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
        ASSERT_EQ(lines.size(), expected.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].points, Turned(map, expected[i])) << i;
        // The pen is the document's (18, 0) turned with the page: 0 wide across a vertical one.
        EXPECT_EQ(lines[0].pen.width, vertical ? 0 : 18);
        EXPECT_EQ(GreenMarks(dc), 1);
    }
}

TEST(MatrixTemplate, ACellCountOtherThanRowsTimesColumnsIsNeitherPlacedNorRuled)
{
    auto matrix = MakeMatrix(1);
    matrix->EditBorderRecord()->m_borderStyle = 1;
    matrix->m_columns = 3;
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    MeasureAndPlace(matrix.get(), &dc, &map);
    Draw(matrix.get(), &dc, &map);
    EXPECT_TRUE(dc.CallsOf(GdiOp::LineTo).empty());
    EXPECT_EQ(matrix->m_height, 1400);  // the container's four rows stacked
}

TEST(MultiScriptTemplate, PreScriptsRightAlignedAgainstTheBaseAndLiftedByATenthOfTheAxis)
{
    struct Case {
        std::u16string_view preSub;
        Metrics metrics;
        std::vector<POINT> rows;
    } cases[] = {
        {u"b", {428, 411, 331, 211}, {{1000, 2169}, {1000, 2352}, {1114, 2180}, {1314, 2169}, {1314, 2352}}},
        {u"bb", {542, 411, 331, 211}, {{1114, 2169}, {1000, 2352}, {1228, 2180}, {1428, 2169}, {1428, 2352}}},
    };
    for (const Case& c : cases) {
        auto multi = Make<CEditMulti>(-400, {u"a", c.preSub, u"X", u"c", u"d"});
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(multi.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(multi.get()), c.metrics);
            for (size_t row = 0; row < c.rows.size(); ++row)
                EXPECT_EQ(RowOrigin(multi.get(), static_cast<int>(row)), c.rows[row]) << row;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Over and under, over-and-under

namespace {

// At −400 the base "AB" is 400 × 400 (ascent 320); scripts are 228 high (ascent 182), a
// script arrow or bar 228 wide and, stretched, a quarter high: 57.
template <typename Template>
std::unique_ptr<Template> MakeMarked(std::initializer_list<std::u16string_view> contents,
                                     std::initializer_list<std::u16string_view> embedded = {})
{
    auto node = Make<Template>(-400, contents);
    std::vector<CEditMathChar*> marks;
    if constexpr (std::is_same_v<Template, CEditOver2>)
        marks = {node->m_mark.get()};
    else if constexpr (std::is_same_v<Template, CEditUnderover2>)
        marks = {node->m_overMark.get(), node->m_underMark.get()};
    else if constexpr (std::is_same_v<Template, CEditOUnderover>)
        marks = {node->m_glyph.get()};
    size_t i = 0;
    for (std::u16string_view text : embedded) {
        marks[i]->SetText(CStringW(text));
        marks[i++]->m_lf.lfItalic = 0;
    }
    return node;
}

// The shaft of every arrow drawn, in drawing order.
std::vector<std::vector<POINT>> Shafts(const CRecordingDC& dc)
{
    std::vector<std::vector<POINT>> shafts;
    for (const GdiCall& call : dc.CallsOf(GdiOp::LineTo)) {
        if (call.pen.width == 8)
            shafts.push_back(call.points);
    }
    return shafts;
}

}  // namespace

TEST(OverUnderTemplates, MetricsRowOriginsAndStretchedMarks)
{
    struct Case {
        const char* name;
        std::unique_ptr<CEditMathContainer> node;
        Metrics metrics;
        std::vector<POINT> rows;
        // Arrow shafts: table A stops 110 / 2 − 1 short of the tip, table B 75 / 2 − 1.
        std::vector<std::vector<POINT>> shafts;
    };
    Case cases[] = {
        {"over arrow", MakeMarked<CEditOver>({u"\u2192", u"AB"}), {400, 457, 377, 257}, {{1000, 2123}, {1000, 2180}},
         {{{1000, 2151}, {1346, 2151}}}},
        {"over text and arrow", MakeMarked<CEditOver>({u"a\u2192", u"AB"}), {400, 628, 548, 428}, {{1029, 1952}, {1000, 2180}}, {}},
        {"under", MakeMarked<CEditUnder>({u"AB", u"x"}), {400, 628, 320, 200}, {{1000, 2300}, {1143, 2700}}, {}},
        {"under turned arc", MakeMarked<CEditUnder>({u"AB", u"\uFE36"}), {400, 628, 320, 200}, {{1000, 2300}, {1000, 2700}}, {}},
        {"over2 bar", MakeMarked<CEditOver2>({u"AB"}, {u"\uFFE3"}), {400, 457, 377, 257}, {{1000, 2180}}, {}},
        {"underover arrow", MakeMarked<CEditUnderover>({u"\u2192", u"AB", u""}), {400, 685, 377, 257},
         {{1000, 2123}, {1000, 2180}, {1143, 2580}}, {{{1000, 2151}, {1364, 2151}}}},
        // A long left arrow as base: the wider script (342) + 500.
        {"underover long arrow", MakeMarked<CEditUnderover>({u"abc", u"\uF576", u"x"}), {842, 856, 548, 428},
         {{1250, 1952}, {1000, 2180}, {1364, 2580}}, {{{1036, 2380}, {1842, 2380}}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            for (int pass = 0; pass < 3; ++pass)  // measuring again changes nothing
                MeasureAndPlace(c.node.get(), &dc, &map);
            EXPECT_EQ(MetricsOf(c.node.get()), c.metrics);
            for (size_t row = 0; row < c.rows.size(); ++row)
                EXPECT_EQ(RowOrigin(c.node.get(), static_cast<int>(row)), c.rows[row]) << row;
            Draw(c.node.get(), &dc, &map);
            // On a vertical page the arrows turn with the formula.
            std::vector<std::vector<POINT>> shafts;
            for (const auto& shaft : c.shafts)
                shafts.push_back(Turned(map, shaft));
            EXPECT_EQ(Shafts(dc), shafts);
            // Stretched marks are stroked, never written.
            for (const GdiCall& text : dc.CallsOf(GdiOp::TextOutW)) {
                for (char16_t mark : {u'\u2192', u'\uF576', u'\uFE36', u'\uFFE3', u'\uFE37'})
                    EXPECT_TRUE(c.name == std::string("over text and arrow") || text.text.find(mark) == std::u16string::npos);
            }
        }
    }
}

TEST(OverUnderTemplates, BarsArcsAndBracesOfTheEmbeddedAndScriptMarks)
{
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    auto over2 = MakeMarked<CEditOver2>({u"AB"}, {u"\uFFE3"});
    MeasureAndPlace(over2.get(), &dc, &map);
    EXPECT_EQ(TopLeft(over2->m_mark->m_rcLayout), (POINT{1000, 2123}));
    Draw(over2.get(), &dc, &map);
    // The bar lies along the bottom of the mark's quarter-high box, on top of the base row.
    ASSERT_EQ(dc.CallsOf(GdiOp::LineTo).size(), 1u);
    EXPECT_EQ(dc.CallsOf(GdiOp::LineTo)[0].points, (std::vector<POINT>{{1000, 2180}, {1400, 2180}}));
    EXPECT_EQ(dc.CallsOf(GdiOp::LineTo)[0].pen.width, 17);

    dc.ClearCalls();
    auto under = MakeMarked<CEditUnder>({u"AB", u"\uFE36"});
    MeasureAndPlace(under.get(), &dc, &map);
    Draw(under.get(), &dc, &map);
    EXPECT_EQ(under->m_markFlag, 1);
    EXPECT_EQ(dc.CallsOf(GdiOp::Arc).size(), 1u);

    dc.ClearCalls();
    auto braces = MakeMarked<CEditUnderover2>({u"AB"}, {u"\uFE37", u"\uFE38"});
    MeasureAndPlace(braces.get(), &dc, &map);
    EXPECT_EQ(TopLeft(braces->m_overMark->m_rcHit), (POINT{1000, 1952}));
    EXPECT_EQ(TopLeft(braces->m_underMark->m_rcHit), (POINT{1000, 2580}));
    EXPECT_EQ(braces->m_overMark->m_width, 400);
    Draw(braces.get(), &dc, &map);
    EXPECT_EQ(dc.CallsOf(GdiOp::Arc).size(), 8u);  // four quarter arcs a brace
}

TEST(OverUnderTemplates, AStoredMarkFlagIsClearedByMeasuring)
{
    auto over = MakeMarked<CEditOver>({u"x", u"AB"});
    over->m_markFlag = 1;
    CRecordingDC dc;
    CDisplayMap map = Map(0);
    MeasureAndPlace(over.get(), &dc, &map);
    EXPECT_EQ(over->m_markFlag, 0);
}

TEST(OverAndUnderTemplates, AReactionArrowIsTheWiderLabelPlusFiveMillimetres)
{
    for (int vertical : {0, 1}) {
        for (const char16_t* glyph : {u"\uF577", u"\u21C4"}) {
            auto arrow = MakeMarked<CEditOUnderover>({u"A", u"B"}, {glyph});
            CRecordingDC dc;
            dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
                if (unit != u'A' && unit != u'B')
                    return false;
                abc = ABC{0, unit == u'A' ? 3000u : 1000u, 0};
                return true;
            };
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(arrow.get(), &dc, &map);
            EXPECT_EQ(arrow->m_glyphStretch, 1);
            EXPECT_EQ(arrow->m_glyph->m_width, 3500);
            EXPECT_EQ(MetricsOf(arrow.get()), (Metrics{3500, 856, 548, 428}));
            EXPECT_EQ(RowOrigin(arrow.get(), 0), (POINT{1250, 1952}));
            EXPECT_EQ(RowOrigin(arrow.get(), 1), (POINT{2250, 2580}));
            EXPECT_EQ(TopLeft(arrow->m_glyph->m_rcHit), (POINT{1000, 2180}));
            Draw(arrow.get(), &dc, &map);
            // One right arrow through the middle, or a right arrow over a left one.
            const std::vector<std::vector<POINT>> shafts =
                glyph[0] == u'\uF577' ? std::vector<std::vector<POINT>>{{{1000, 2380}, {4464, 2380}}}
                                      : std::vector<std::vector<POINT>>{{{1000, 2280}, {4464, 2280}}, {{1036, 2480}, {4500, 2480}}};
            std::vector<std::vector<POINT>> turned;
            for (const auto& shaft : shafts)
                turned.push_back(Turned(map, shaft));
            EXPECT_EQ(Shafts(dc), turned);
            EXPECT_EQ(dc.CallsOf(GdiOp::Polygon).size(), shafts.size());
        }
    }
}

TEST(BigOperatorTemplates, IntoAPictureTheSummationGlyphEndsAtItsBoxRightPlusTheShift)
{
    for (int vertical : {0, 1}) {
        auto sigma = Make<CEditSigmaSub>(-370, {u"k"});
        CRecordingDC screen;
        UseSignWidths(screen);
        CDisplayMap map = Map(vertical);
        MeasureAndPlace(sigma.get(), &screen, &map);
        CRecordingDC picture(DeviceKind::Metafile);
        Draw(sigma.get(), &picture, &map);
        const GdiCall* text = TextCall(picture, u"\u03A3");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->points[0], Turned(map, {{kX + 400 + 133, 2130}})[0]);
        EXPECT_EQ(text->textAlign, UINT(TA_RIGHT | TA_TOP));
    }
}

TEST(StretchedMarks, OnAVerticalPageEveryStrokeIsTheUprightOneTurned)
{
    // A fence, an arc, a brace, a bar and arrows: what the vertical page strokes is the upright
    // picture turned a quarter, point by point, pens and fills unchanged.
    std::vector<std::unique_ptr<CEditMathContainer>> nodes;
    nodes.push_back(Make<CEditFenced>(-400, {u"x"}));
    nodes.push_back(MakeMarked<CEditOver2>({u"AB"}, {u"\u2322"}));
    nodes.push_back(MakeMarked<CEditUnderover2>({u"AB"}, {u"\uFE37", u"\uFE36"}));
    nodes.push_back(MakeMarked<CEditOver>({u"\uFFE3", u"AB"}));
    nodes.push_back(MakeMarked<CEditOUnderover>({u"a", u"b"}, {u"\u21C4"}));
    for (auto& node : nodes) {
        SCOPED_TRACE(node->GetRuntimeClass()->m_lpszClassName);
        std::vector<GdiCall> pictures[2];
        for (int vertical : {0, 1}) {
            CRecordingDC dc;
            CDisplayMap map = Map(vertical);
            MeasureAndPlace(node.get(), &dc, &map);
            dc.ClearCalls();
            Draw(node.get(), &dc, &map);
            for (const GdiCall& call : dc.Drawings()) {
                if (call.op != GdiOp::TextOutW)
                    pictures[vertical].push_back(call);
            }
        }
        ASSERT_FALSE(pictures[0].empty());
        ASSERT_EQ(pictures[0].size(), pictures[1].size());
        for (size_t i = 0; i < pictures[0].size(); ++i) {
            const GdiCall& upright = pictures[0][i];
            const GdiCall& turned = pictures[1][i];
            EXPECT_EQ(turned.op, upright.op) << i;
            std::vector<POINT> expected;
            for (const POINT& p : upright.points)
                expected.push_back(POINT{-p.y, p.x});
            EXPECT_EQ(turned.points, expected) << i;
            EXPECT_EQ(turned.pen, upright.pen) << i;
            if (upright.op == GdiOp::Arc) {
                const RECT& r = upright.rect;
                EXPECT_EQ(turned.rect, (RECT{-r.bottom, r.left, -r.top, r.right})) << i;
            }
        }
    }
}
