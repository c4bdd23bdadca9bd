// The stroking routines' exact vertices and arc arguments, their guards against rectangles too
// small to divide by, and the two templates that stretch their marks and delimiters.
#include "math_fixture.h"

#include "math/stretchy_marks.h"
#include "nodes/display_map.h"
#include "platform/gdi_recording.h"
#include "platform/memory_file.h"

#include <cstring>

using namespace mathtest;

namespace {

std::string Points(const std::vector<POINT>& points)
{
    std::string text;
    for (const POINT& p : points)
        text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return text;
}

std::string Box(const RECT& r)
{
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "]";
}

// The drawing calls as text: lines and polylines by their points, arcs by box, start and end.
std::string Strokes(const CRecordingDC& dc)
{
    std::string text;
    for (const GdiCall& call : dc.Drawings()) {
        if (!text.empty())
            text += ' ';
        switch (call.op) {
        case GdiOp::LineTo: text += "L" + Points(call.points); break;
        case GdiOp::Polyline: text += "P" + Points(call.points); break;
        case GdiOp::Polygon: text += "G" + Points(call.points); break;
        case GdiOp::Arc: text += "A" + Box(call.rect) + Points(call.points); break;
        default: text += "?"; break;
        }
    }
    return text;
}

CDisplayMap IdentityMap()
{
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    return map;
}

}  // namespace

TEST(StrokingRoutines, VertexListsMatchTheShapes)
{
    struct Case {
        const char* name;
        void (*draw)(CDC*);
        const char* expected;
    };
    const Case cases[] = {
        {"arc", [](CDC* dc) { DrawArcMark(dc, 17, RECT{0, 0, 400, 100}, 20, 0); },
         "A[-225,50,625,900](400,20)(0,20)"},
        {"arrow_right_short_head", [](CDC* dc) { DrawArrowMark(dc, 8, RECT{0, 0, 400, 40}, 2, 75, kArrowRight, 0); },
         "L(0,20)(399,20) G(400,20)(398,-16)(399,20)(398,56)(400,20)"},
        {"arrow_both", [](CDC* dc) { DrawArrowMark(dc, 8, RECT{0, 0, 400, 40}, 110, 75, kArrowBoth, 0); },
         "L(54,20)(346,20) G(400,20)(291,-16)(346,20)(291,56)(400,20) G(0,20)(109,-16)(54,20)(109,56)(0,20)"},
        {"over_brace", [](CDC* dc) { DrawHorizontalBrace(dc, 8, RECT{0, 0, 400, 100}, kOverBrace, 0); },
         "L(50,50)(150,50) L(250,50)(350,50) A[0,50,100,150](50,50)(0,100) A[100,-50,200,50](150,50)(200,0) "
         "A[200,-50,300,50](200,0)(250,50) A[300,50,400,150](400,100)(350,50)"},
        {"under_brace", [](CDC* dc) { DrawHorizontalBrace(dc, 8, RECT{0, 0, 400, 100}, kUnderBrace, 0); },
         "L(50,50)(150,50) L(250,50)(350,50) A[0,-50,100,50](0,0)(50,50) A[100,50,200,150](200,100)(150,50) "
         "A[200,50,300,150](250,50)(200,100) A[300,-50,400,50](350,50)(400,0)"},
        {"opening_brace", [](CDC* dc) { DrawStretchBrace(dc, 17, RECT{0, 0, 40, 400}, kOpeningSide, 0); },
         "A[20,0,60,40](40,0)(20,20) L(20,20)(20,180) A[-20,160,20,200](0,200)(20,180) "
         "A[-20,200,20,240](20,220)(0,200) L(20,220)(20,380) A[20,360,60,400](20,380)(40,400)"},
        {"opening_paren", [](CDC* dc) { DrawStretchParen(dc, 17, RECT{0, 0, 30, 300}, kOpeningSide, 0); },
         "A[10,-250,790,790](25,0)(25,300)"},
        {"closing_paren", [](CDC* dc) { DrawStretchParen(dc, 17, RECT{0, 0, 30, 300}, kClosingSide, 0); },
         "A[-760,-250,20,790](5,300)(5,0)"},
        {"bracket", [](CDC* dc) { DrawStretchBracket(dc, 17, RECT{0, 0, 30, 300}, kOpeningSide, 0); },
         "P(30,0)(10,0)(10,300)(30,300)"},
        {"closing_bracket", [](CDC* dc) { DrawStretchBracket(dc, 17, RECT{0, 0, 30, 300}, kClosingSide, 0); },
         "P(0,0)(20,0)(20,300)(0,300)"},
        {"angle", [](CDC* dc) { DrawStretchAngle(dc, 17, RECT{0, 0, 30, 300}, kOpeningSide, 0); },
         "P(30,0)(10,150)(30,300)"},
        {"shell", [](CDC* dc) { DrawStretchShellBracket(dc, 17, RECT{0, 0, 30, 300}, kOpeningSide, 0); },
         "P(30,0)(10,37)(10,263)(30,300)"},
    };
    for (const Case& c : cases) {
        CRecordingDC dc;
        c.draw(&dc);
        EXPECT_EQ(Strokes(dc), c.expected) << c.name;
    }
}

TEST(StrokingRoutines, PensAndHeadsAreTheirOwnAndPutBack)
{
    CRecordingDC dc;
    const HPEN before = dc.GetCurrentPen();
    DrawArrowMark(&dc, 3, RECT{0, 0, 100, 10}, 10, 10, kArrowLeft, 0x0000FF);
    std::vector<GdiCall> calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].pen, (RecordedPen{PS_SOLID, 3, 0x0000FF}));
    EXPECT_EQ(calls[1].pen, (RecordedPen{PS_SOLID, 1, 0x0000FF}));
    EXPECT_EQ(calls[1].brush.color, 0x0000FFu);
    EXPECT_EQ(calls[1].polyFillMode, ALTERNATE);
    EXPECT_EQ(dc.GetCurrentPen(), before);
}

// Zoomed far out or around an empty slot a rectangle can be a pixel high or no pixel wide:
// nothing divides by zero and nothing draws an arc of a degenerate circle.
TEST(StrokingRoutines, TinyRectanglesDrawLinesOrNothing)
{
    const RECT tiny[] = {{0, 0, 0, 0}, {5, 5, 5, 40}, {5, 5, 40, 6}, {5, 5, 6, 6}};
    for (const RECT& r : tiny) {
        CRecordingDC dc;
        DrawArcMark(&dc, 1, r, 0, 0);
        DrawStretchParen(&dc, 1, r, kOpeningSide, 0);
        DrawStretchParen(&dc, 1, r, kClosingSide, 0);
        DrawHorizontalBrace(&dc, 1, r, kOverBrace, 0);
        DrawStretchBrace(&dc, 1, r, kOpeningSide, 0);
        DrawArrowMark(&dc, 1, r, 0, 0, kArrowBoth, 0);
        DrawStretchBracket(&dc, 1, r, kOpeningSide, 0);
        DrawStretchAngle(&dc, 1, r, kClosingSide, 0);
        DrawStretchShellBracket(&dc, 1, r, kOpeningSide, 0);
        for (const GdiCall& call : dc.CallsOf(GdiOp::Arc)) {
            EXPECT_GT(call.rect.right, call.rect.left) << Box(r);
            EXPECT_GT(call.rect.bottom, call.rect.top) << Box(r);
        }
    }
}

TEST(StretchyTemplates, AnUnderArrowIsAQuarterHighAsWideAsTheBase)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    auto* under = AddTemplate<CEditUnder2>(formula.get());
    FillSlots(under, {u"ab"});
    for (int i = 0; i < under->GetChildCount(); ++i)
        under->GetEditChild(i)->m_lf.lfHeight = -100;
    under->m_mark->SetText(u"\u2192");
    under->m_mark->m_lf.lfHeight = -80;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT measure;
    measure.availableWidth = 10000;
    for (int pass = 0; pass < 2; ++pass)  // measuring again does not shrink the mark again
        under->Measure(&dc, &map, &measure);
    EXPECT_EQ(under->m_mark->m_height, 20);
    EXPECT_EQ(under->m_mark->m_width, 100);
    EXPECT_EQ(under->m_width, 100);
    EXPECT_EQ(under->m_height, 120);
    LAYOUT_CONTEXT layout;
    layout.rowAxis = under->m_axis;
    under->Layout(&layout, 0);
    EXPECT_EQ(Box(under->m_mark->m_rcLayout), "[0,100,100,120]");
    dc.ClearCalls();
    LAYOUT_CONTEXT draw;
    under->Draw(&dc, &map, &draw);
    std::vector<GdiCall> heads = dc.CallsOf(GdiOp::Polygon);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(Points(heads[0].points), "(100,110)(-9,74)(46,110)(-9,146)(100,110)");
    EXPECT_EQ(dc.CallsOf(GdiOp::LineTo)[0].pen.width, 8);

    under->m_mark->SetText(u"\uFE36");  // the turned ︵: a bow whose lowest point is the middle
    dc.ClearCalls();
    under->Draw(&dc, &map, &draw);
    EXPECT_TRUE(dc.CallsOf(GdiOp::Polygon).empty());
    ASSERT_EQ(dc.CallsOf(GdiOp::Arc).size(), 1u);
    EXPECT_EQ(Box(dc.CallsOf(GdiOp::Arc)[0].rect), "[-80,-150,180,110]");
    EXPECT_EQ(dc.CallsOf(GdiOp::Arc)[0].points[0].x, 0);
    EXPECT_EQ(dc.CallsOf(GdiOp::Arc)[0].points[1].x, 100);
}

TEST(StretchyTemplates, FencesGrowWithTheContentAndTakeTheExtraHeightOnce)
{
    auto fenced = std::make_unique<CEditFenced>();
    fenced->CreateDefaultSlots();
    FillSlots(fenced.get(), {u"x"});
    for (int i = 0; i < fenced->GetChildCount(); ++i)
        fenced->GetEditChild(i)->m_lf.lfHeight = -200;
    fenced->m_open->SetText(u"|");
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT measure;
    measure.availableWidth = 10000;
    fenced->Measure(&dc, &map, &measure);
    EXPECT_EQ(fenced->m_open->m_lf.lfHeight, -200);
    EXPECT_EQ(fenced->m_close->m_lf.lfHeight, -200);
    EXPECT_EQ(fenced->m_open->m_width, 185);
    EXPECT_EQ(fenced->m_close->m_width, 100);
    EXPECT_EQ(fenced->m_width, 185 + 100 + 100);
    EXPECT_EQ(fenced->m_height, 200);

    fenced->m_extraHeight = 60;
    fenced->Measure(&dc, &map, &measure);
    EXPECT_EQ(fenced->m_height, 260);
    EXPECT_EQ(fenced->m_axis, 130);
    EXPECT_EQ(fenced->m_extraHeight, 0);
    fenced->Measure(&dc, &map, &measure);
    EXPECT_EQ(fenced->m_height, 200);

    LAYOUT_CONTEXT layout;
    layout.rowAxis = 100;
    fenced->Layout(&layout, 0);
    dc.ClearCalls();
    LAYOUT_CONTEXT draw;
    fenced->Draw(&dc, &map, &draw);
    // The bar as a line down its middle, the parenthesis as an arc over its rectangle.
    std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Points(lines[0].points), "(92,0)(92,200)");
    ASSERT_EQ(dc.CallsOf(GdiOp::Arc).size(), 1u);

    fenced->m_close->SetText(u"\u2016");  // no stretchable shape: drawn as text
    dc.ClearCalls();
    fenced->Draw(&dc, &map, &draw);
    EXPECT_EQ(dc.CallsOf(GdiOp::TextOutW).size(), 2u);
}

// The classes' own fields travel through the node archive, in front of the container's form.
TEST(FormulaStreams, OwnFieldsComeFirstAndSurviveATrip)
{
    CEditMathCR slotEnd;
    slotEnd.m_lineSpacing = 50;
    slotEnd.m_textAlign = 2;
    slotEnd.m_stretchy = 1;
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        slotEnd.Serialize(ar);
        ar.Close();
    }
    std::vector<BYTE> bytes(24);
    file.SeekToBegin();
    file.Read(bytes.data(), 24);
    const std::vector<BYTE> expected = {0x10, 0, 0, 0, 0, 0, 0, 0, 50, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(bytes, expected);

    CRuntimeClassRegistry registry;
    RegisterBaseClasses(registry);
    RegisterMathClasses(registry);
    auto fenced = std::make_unique<CEditFenced>();
    fenced->CreateDefaultSlots();
    fenced->m_open->SetText(u"[");
    fenced->m_extraHeight = 7;
    CMemFile stream;
    {
        CArchive ar(&stream, CArchive::store, &registry);
        ar.WriteObject(fenced.get());
        ar.Close();
    }
    stream.SeekToBegin();
    CArchive in(&stream, CArchive::load, &registry);
    std::unique_ptr<CEditFenced> back = in.ReadNewObject<CEditFenced>();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_extraHeight, 7);
    EXPECT_EQ(back->m_open->GetText(), u"[");
    EXPECT_EQ(back->m_close->GetText(), u")");
    EXPECT_EQ(back->GetSlotCount(), 1);
    EXPECT_EQ(back->GetKind(), EditKind::Code(EditKind::kFenced));
}

// A big-operator template keeps its glyph font through the archive, behind the font's size (60);
// a stream giving the font any other size is refused.
TEST(FormulaStreams, GlyphFontsTravelBehindTheirSize)
{
    CRuntimeClassRegistry registry;
    RegisterBaseClasses(registry);
    RegisterMathClasses(registry);
    auto sigma = std::make_unique<CEditSigmaSub>();
    sigma->CreateDefaultSlots();
    sigma->m_glyphFont.lfHeight = -520;
    std::strcpy(sigma->m_glyphFont.lfFaceName, "Symbol");
    CMemFile stream;
    {
        CArchive ar(&stream, CArchive::store, &registry);
        ar.WriteObject(sigma.get());
        ar.Close();
    }
    stream.SeekToBegin();
    CArchive in(&stream, CArchive::load, &registry);
    std::unique_ptr<CEditSigmaSub> back = in.ReadNewObject<CEditSigmaSub>();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_glyphFont.lfHeight, -520);
    EXPECT_STREQ(back->m_glyphFont.lfFaceName, "Symbol");

    for (const DWORD size : {DWORD{60}, DWORD{59}}) {
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            ar << size;
            const std::vector<BYTE> fontBytes(60, 0);
            ar.Write(fontBytes.data(), fontBytes.size());
            ar.Close();
        }
        file.SeekToBegin();
        CArchive load(&file, CArchive::load);
        if (size == 60)
            EXPECT_EQ(ReadArchivedLogFont(load).lfHeight, 0);
        else
            EXPECT_THROW(ReadArchivedLogFont(load), CArchiveException);
    }
}

// The over-and-under templates' table: heads 75 long and 110 wide, the equilibrium arrows as a
// right arrow over a left one, the long arrows of the private-use area; the marks table knows
// neither.
TEST(StrokingRoutines, TheOverAndUnderTableStrokesItsOwnArrows)
{
    CDisplayMap map = IdentityMap();
    CEditMathChar mark(u'\u21C4');
    mark.m_rcLayout = RECT{0, 0, 400, 100};
    CRecordingDC dc;
    DrawMarkByTable(&dc, &map, &mark, MarkTable::OverAndUnder);
    EXPECT_EQ(Strokes(dc), "L(0,25)(364,25) G(400,25)(326,-29)(364,25)(326,79)(400,25) "
                           "L(36,75)(400,75) G(0,75)(74,21)(36,75)(74,129)(0,75)");
    dc.ClearCalls();
    DrawMarkByTable(&dc, &map, &mark, MarkTable::Marks);
    EXPECT_TRUE(dc.Drawings().empty());

    mark.SetText(u"\uF578");
    DrawMarkByTable(&dc, &map, &mark, MarkTable::OverAndUnder);
    EXPECT_EQ(dc.CallsOf(GdiOp::Polygon).size(), 2u);
    dc.ClearCalls();
    DrawMarkByTable(&dc, &map, &mark, MarkTable::Marks);
    EXPECT_TRUE(dc.Drawings().empty());
}
