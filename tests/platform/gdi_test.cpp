#include "platform/gdi.h"
#include "platform/gdi_recording.h"

#include "tests/platform/dib_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

LOGFONTA MakeFont(LONG height, const char* face = "Face", LONG width = 0)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST(GdiObjects, HandlesNameLiveObjectsUntilDeleted)
{
    const size_t before = GdiLiveObjectCount();
    HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 2, 3));
    ASSERT_TRUE(pen);
    EXPECT_EQ(GdiLiveObjectCount(), before + 1);
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    LOGPEN lp{};
    ASSERT_TRUE(GetObject(pen, &lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    // A pen handle is no brush.
    LOGBRUSH lb{};
    EXPECT_FALSE(GetObject(HBRUSH(pen.Value()), &lb));

    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GdiLiveObjectCount(), before);
    EXPECT_FALSE(GetObject(pen, &lp));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
}

TEST(GdiObjects, StockObjectsSurviveDeletion)
{
    HGDIOBJ nullBrush = GetStockObject(NULL_BRUSH);
    ASSERT_TRUE(nullBrush);
    EXPECT_TRUE(DeleteObject(nullBrush));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObject(HBRUSH(nullBrush), &lb));
    EXPECT_EQ(lb.lbStyle, BS_NULL);

    LOGFONTA gui{};
    ASSERT_TRUE(GetObject(HFONT(GetStockObject(DEFAULT_GUI_FONT)), &gui));
    EXPECT_EQ(gui.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(gui.lfFaceName, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");  // ＭＳ Ｐゴシック
    EXPECT_FALSE(GetStockObject(-1));
    EXPECT_FALSE(GetStockObject(99));
}

TEST(GdiObjects, WideStyledPensDrawSolid)
{
    CPen dashed(PS_DASH, 1, 0);
    CPen wide(PS_DASH, 3, 0);
    LOGPEN lp{};
    ASSERT_TRUE(GetObject(HPEN(dashed), &lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
    ASSERT_TRUE(GetObject(HPEN(wide), &lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_SOLID));
    EXPECT_EQ(lp.lopnWidth.x, 3);
}

TEST(GdiObjects, MonochromePatternBrushKeepsTheRows)
{
    // Rows stored in 16-bit words, as a monochrome bitmap holds them.
    const WORD rows[8] = {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(8, 8, 1, 1, rows));
    CBrush brush;
    ASSERT_TRUE(brush.CreatePatternBrush(&bitmap));
    BYTE pattern[8];
    ASSERT_TRUE(GetBrushPattern(brush, pattern));
    const BYTE expected[8] = {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(std::memcmp(pattern, expected, 8), 0);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObject(HBRUSH(brush), &lb));
    EXPECT_EQ(lb.lbStyle, BS_PATTERN);
}

TEST(GdiObjects, WrappersDeleteWhatTheyCreated)
{
    const size_t before = GdiLiveObjectCount();
    {
        CPen pen(PS_SOLID, 2, 0);
        CBrush brush(0xFF);
        CFont font;
        const LOGFONTA lf = MakeFont(-371);
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, nullptr));
        EXPECT_EQ(GdiLiveObjectCount(), before + 4);
        HFONT kept = HFONT(font.Detach());
        EXPECT_TRUE(DeleteObject(kept));
    }
    EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(GdiObjects, BitmapSizesAreChecked)
{
    EXPECT_FALSE(CreateBitmap(0, 4, 1, 1, nullptr));
    EXPECT_FALSE(CreateBitmap(4, 4, 1, 24, nullptr));
    EXPECT_FALSE(CreateBitmap(100000, 100000, 1, 32, nullptr));
    CRecordingDC dc;
    HBITMAP empty = CreateCompatibleBitmap(&dc, 0, 10);
    BITMAP bm{};
    ASSERT_TRUE(GetObject(empty, &bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(empty);
}

TEST(DeviceContext, AnisotropicMappingConvertsDocumentUnits)
{
    CRecordingDC dc;
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(2540, 2540);
    dc.SetViewportExt(96, 96);
    POINT p{2540, 5080};
    dc.LPtoDP(&p);
    EXPECT_TRUE((p == POINT{96, 192}));
    dc.DPtoLP(&p);
    EXPECT_TRUE((p == POINT{2540, 5080}));

    dc.SetWindowOrg(100, 0);
    dc.SetViewportOrg(10, 20);
    RECT r{100, 0, 2640, 2540};
    dc.LPtoDP(&r);
    EXPECT_TRUE((r == RECT{10, 20, 106, 116}));
    SIZE s{371, 371};
    dc.LPtoDP(&s);
    EXPECT_EQ(s.cx, 14);  // 14.02

    // Coordinates far outside the origins stop at the ends of the int range.
    CRecordingDC text;
    text.SetWindowOrg(-1000, 1000);
    text.SetViewportOrg(1000, -1000);
    POINT far[2] = {{2147483647, -2147483647 - 1}, {-2147483647 - 1, 2147483647}};
    text.LPtoDP(far, 2);
    EXPECT_TRUE((far[0] == POINT{2147483647, -2147483647 - 1}));
    EXPECT_TRUE((far[1] == POINT{-2147483647 + 1999, 2147483647 - 2000}));
    text.DPtoLP(far, 2);
    EXPECT_TRUE((far[0] == POINT{2147483647 - 2000, -2147483647 + 1999}));
}

TEST(DeviceContext, TextModeIgnoresExtents)
{
    CRecordingDC dc;
    dc.SetWindowExt(2540, 2540);
    EXPECT_EQ(dc.GetWindowExt().cx, 1);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(2540, 2540);
    dc.SetViewportExt(0, 96);  // refused
    EXPECT_EQ(dc.GetViewportExt().cx, 1);
    dc.SetMapMode(MM_TEXT);
    EXPECT_EQ(dc.GetWindowExt().cx, 1);
    dc.SetWindowOrg(-50, 0);
    POINT p{0, 0};
    dc.LPtoDP(&p);
    EXPECT_EQ(p.x, 50);
}

TEST(DeviceContext, SelectReturnsThePreviousObjectAndRefusesOthers)
{
    CRecordingDC dc;
    CPen red(PS_SOLID, 1, 0x0000FF);
    const HPEN original = dc.GetCurrentPen();
    EXPECT_EQ(dc.SelectObject(&red), original);
    EXPECT_EQ(dc.GetCurrentPen(), HPEN(red));
    // A stale handle or a handle of another kind leaves the selection as it was.
    HPEN stale = CreatePen(PS_SOLID, 1, 0);
    DeleteObject(stale);
    EXPECT_FALSE(dc.SelectObject(stale));
    EXPECT_FALSE(dc.SelectObject(HPEN(GetStockObject(WHITE_BRUSH).Value())));
    EXPECT_EQ(dc.GetCurrentPen(), HPEN(red));
    // Generic selection goes by the kind of the object.
    const HBRUSH brush = dc.GetCurrentBrush();
    EXPECT_EQ(dc.SelectObject(GetStockObject(NULL_BRUSH)), HGDIOBJ(brush));
    EXPECT_EQ(dc.GetCurrentBrush(), HBRUSH(GetStockObject(NULL_BRUSH)));
    // Only memory contexts take bitmaps.
    CBitmap bitmap;
    bitmap.CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_FALSE(dc.SelectObject(&bitmap));
    auto memory = dc.CreateCompatibleDC();
    EXPECT_EQ(memory->GetObjectType(), OBJ_MEMDC);
    EXPECT_TRUE(memory->SelectObject(&bitmap));
    dc.SelectObject(original);
}

// The selected font's description as the context's text calls read it.
class FontReadingDC : public CRecordingDC {
public:
    using CDC::CurrentLogFont;
};

TEST(DeviceContext, TheCurrentFontFollowsTheSelectionAndItsDeletion)
{
    FontReadingDC dc;
    const LOGFONTA fallback = dc.CurrentLogFont();
    const LOGFONTA first = MakeFont(120, "First");
    const LOGFONTA second = MakeFont(240, "Second");
    HFONT a = CreateFontIndirectA(&first);
    HFONT b = CreateFontIndirectA(&second);
    dc.SelectObject(a);
    EXPECT_STREQ(dc.CurrentLogFont().lfFaceName, "First");
    EXPECT_STREQ(dc.CurrentLogFont().lfFaceName, "First");
    dc.SelectObject(b);
    EXPECT_EQ(dc.CurrentLogFont().lfHeight, 240);
    const int saved = dc.SaveDC();
    dc.SelectObject(a);
    EXPECT_STREQ(dc.CurrentLogFont().lfFaceName, "First");
    dc.RestoreDC(saved);
    EXPECT_STREQ(dc.CurrentLogFont().lfFaceName, "Second");
    // A font deleted while selected leaves the context with the default font's description.
    DeleteObject(b);
    EXPECT_STREQ(dc.CurrentLogFont().lfFaceName, fallback.lfFaceName);
    EXPECT_EQ(dc.CurrentLogFont().lfHeight, fallback.lfHeight);
    DeleteObject(a);
}

TEST(DeviceContext, SavedStatesRestoreMappingObjectsAndModes)
{
    CRecordingDC dc;
    CPen red(PS_SOLID, 1, 0x0000FF);
    const int saved = dc.SaveDC();
    dc.SelectObject(&red);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(2540, 2540);
    dc.SetROP2(R2_NOT);
    dc.SetTextAlign(TA_BASELINE);
    dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetROP2(), R2_NOT);
    EXPECT_TRUE(dc.RestoreDC(saved));
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
    EXPECT_EQ(dc.GetTextAlign(), TA_LEFT | TA_TOP);
    EXPECT_FALSE(dc.GetCurrentPen() == HPEN(red));
    EXPECT_FALSE(dc.RestoreDC(1));  // dropped with the restore
    EXPECT_FALSE(dc.RestoreDC(0));
}

TEST(DeviceContext, ClipRectanglesIntersectInDeviceCoordinates)
{
    CRecordingDC dc;
    dc.SetDeviceSize(200, 100);
    RECT box{};
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_TRUE((box == RECT{0, 0, 200, 100}));
    dc.IntersectClipRect(10, 10, 50, 50);
    dc.IntersectClipRect(30, 0, 80, 40);
    dc.GetClipBox(&box);
    EXPECT_TRUE((box == RECT{30, 10, 50, 40}));
    dc.IntersectClipRect(60, 60, 70, 70);
    EXPECT_EQ(dc.GetClipBox(&box), NULLREGION);
    CRgn region;
    region.CreateRectRgn(5, 5, 15, 25);
    EXPECT_EQ(dc.SelectClipRgn(&region), SIMPLEREGION);
    // Under a mapping the box comes back in logical units.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(2, 2);
    dc.SetViewportExt(1, 1);
    dc.GetClipBox(&box);
    EXPECT_TRUE((box == RECT{10, 10, 30, 50}));
    dc.SelectClipRgn(static_cast<const CRgn*>(nullptr));
    dc.GetClipBox(&box);
    EXPECT_TRUE((box == RECT{0, 0, 400, 200}));
}

TEST(RecordingDC, RecordsDrawingCallsWithTheStateInForce)
{
    CRecordingDC dc;
    CPen pen(PS_DASHDOT, 1, 0x808080);
    CBrush brush(0x00FF00);
    dc.SelectObject(&pen);
    dc.SelectObject(&brush);
    dc.SetROP2(R2_NOTXORPEN);
    dc.MoveTo(1, 2);
    dc.LineTo(30, 2);
    const POINT bezier[4] = {{0, 0}, {25, 0}, {25, 50}, {50, 50}};
    dc.PolyBezier(bezier, 4);
    EXPECT_FALSE(dc.PolyBezier(bezier, 3));
    dc.Arc(0, 0, 100, 50, 100, 25, 0, 25);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(5, 6, 7, 8);

    const std::vector<GdiCall> calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].op, GdiOp::LineTo);
    EXPECT_TRUE((calls[0].points[0] == POINT{1, 2}) && (calls[0].points[1] == POINT{30, 2}));
    EXPECT_EQ(calls[0].pen, (RecordedPen{PS_DASHDOT, 1, 0x808080}));
    EXPECT_EQ(calls[0].rop2, R2_NOTXORPEN);
    EXPECT_EQ(calls[1].op, GdiOp::PolyBezier);
    EXPECT_EQ(calls[1].points.size(), 4u);
    EXPECT_EQ(calls[2].op, GdiOp::Arc);
    EXPECT_TRUE((calls[2].rect == RECT{0, 0, 100, 50}));
    EXPECT_TRUE((calls[2].points[0] == POINT{100, 25}));
    EXPECT_EQ(calls[2].brush.color, 0x00FF00u);
    EXPECT_EQ(calls[3].op, GdiOp::Rectangle);
    EXPECT_EQ(calls[3].brush.style, BS_NULL);
    EXPECT_EQ(dc.CallsOf(GdiOp::SelectPen).size(), 1u);
    EXPECT_EQ(dc.CallsOf(GdiOp::SelectBrush).size(), 2u);
}

TEST(RecordingDC, TextCallsKeepTextBytesAndFont)
{
    CRecordingDC dc;
    CFont font;
    const LOGFONTA lf = MakeFont(-371, "Mincho");
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);
    dc.SetTextColor(0x0000FF);
    dc.SetTextAlign(TA_BASELINE);
    dc.TextOutW(10, 20, u"日本");
    // 日 is 93 FA, A is 41 in code page 932; the narrow distances are summed per character.
    const char bytes[] = "\x93\xFA" "A";
    const int dx[] = {5, 6, 7};
    dc.ExtTextOutA(1, 2, ETO_OPAQUE, nullptr, bytes, 3, dx);
    dc.TextOutA(0, 0, bytes, 3);

    const auto calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].op, GdiOp::TextOutW);
    EXPECT_EQ(calls[0].text, u"日本");
    EXPECT_EQ(calls[0].FaceName(), "Mincho");
    EXPECT_EQ(calls[0].font.lfHeight, -371);
    EXPECT_EQ(calls[0].textColor, 0x0000FFu);
    EXPECT_EQ(calls[0].textAlign, TA_BASELINE);
    EXPECT_EQ(calls[1].op, GdiOp::ExtTextOutA);
    EXPECT_EQ(calls[1].text, u"日A");
    EXPECT_EQ(calls[1].bytes, std::string(bytes, 3));
    EXPECT_EQ(calls[1].options, ETO_OPAQUE);
    EXPECT_FALSE(calls[1].hasRect);
    EXPECT_EQ(calls[1].dx, (std::vector<int>{11, 7}));
    EXPECT_EQ(calls[2].op, GdiOp::TextOutA);
}

TEST(RecordingDC, SyntheticMetricsAreExactInLogicalUnits)
{
    CRecordingDC dc;
    // The mapping of a measuring context does not change logical metrics.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(2540, 2540);
    dc.SetViewportExt(96, 96);
    CFont font;
    const LOGFONTA lf = MakeFont(-371);
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);

    TEXTMETRICA tm{};
    ASSERT_TRUE(dc.GetTextMetricsA(&tm));
    EXPECT_EQ(tm.tmHeight, 371);
    EXPECT_EQ(tm.tmAscent, 296);
    EXPECT_EQ(tm.tmDescent, 75);
    EXPECT_EQ(tm.tmAveCharWidth, 185);
    EXPECT_EQ(tm.tmInternalLeading, 0);

    struct Case { std::u16string text; LONG width; };
    const Case cases[] = {{u"", 0}, {u"A", 185}, {u"あ", 371}, {u"aあｱ", 185 + 371 + 185}};
    for (const Case& c : cases) {
        SIZE size{};
        ASSERT_TRUE(dc.GetTextExtentPoint32W(c.text.data(), int(c.text.size()), &size));
        EXPECT_EQ(size.cx, c.width);
        EXPECT_EQ(size.cy, 371);
    }
    SIZE narrow{};
    dc.GetTextExtentPoint32A("\x82\xA0" "a", 3, &narrow);  // あa
    EXPECT_EQ(narrow.cx, 371 + 185);

    // A set width makes half-width characters that wide and full-width ones twice that.
    CFont wide;
    const LOGFONTA wlf = MakeFont(-371, "Face", 92);
    wide.CreateFontIndirect(&wlf);
    dc.SelectObject(&wide);
    SIZE size{};
    dc.GetTextExtentPoint32W(u"aあ", 2, &size);
    EXPECT_EQ(size.cx, 92 + 184);
}

TEST(RecordingDC, AbsurdFontSizesMeasureWithinRange)
{
    // Sizes read from a file are bounded at 2^20 units: the largest em, or the set width.
    CRecordingDC dc;
    for (LONG height : {LONG(-2147483647 - 1), LONG(2000000000)}) {
        const LOGFONTA lf = MakeFont(height, "Face", 2000000000);
        CFont font;
        font.CreateFontIndirect(&lf);
        dc.SelectObject(&font);
        TEXTMETRICA tm{};
        ASSERT_TRUE(dc.GetTextMetricsA(&tm));
        EXPECT_EQ(tm.tmHeight, 1 << 20);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmMaxCharWidth, 2 << 20);
        const std::u16string text(3000, u'あ');
        SIZE size{};
        ASSERT_TRUE(dc.GetTextExtentPoint32W(text.data(), int(text.size()), &size));
        EXPECT_EQ(size.cx, 1 << 30);
        dc.SelectStockObject(SYSTEM_FONT);
    }
}

TEST(RecordingDC, RulesCanBeAdjustedPerTest)
{
    CRecordingDC dc;
    dc.Rules().adjustMetrics = [](const LOGFONTA&, TEXTMETRICA& tm) { tm.tmInternalLeading = 40; };
    dc.Rules().glyph = [](const LOGFONTA&, char16_t unit, ABC& abc) {
        if (unit != u'f')
            return false;
        abc = ABC{-10, 100, -20};
        return true;
    };
    CFont font;
    const LOGFONTA lf = MakeFont(-200);
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);
    TEXTMETRICA tm{};
    dc.GetTextMetricsA(&tm);
    EXPECT_EQ(tm.tmInternalLeading, 40);
    ABC abc[2]{};
    ASSERT_TRUE(dc.GetCharABCWidthsW(u'f', u'g', abc));
    EXPECT_EQ(abc[0].abcA, -10);
    EXPECT_EQ(abc[0].abcC, -20);
    EXPECT_EQ(abc[1].abcB, 100u);
    SIZE size{};
    dc.GetTextExtentPoint32W(u"fg", 2, &size);
    EXPECT_EQ(size.cx, 70 + 100);
}

TEST(RecordingDC, FillSolidRectLeavesTheBackgroundColour)
{
    CRecordingDC dc;
    const RECT r{0, 0, 10, 10};
    dc.FillSolidRect(&r, 0xFFFFFF);
    dc.FillSolidRect(1, 2, 3, 4, 0x123456);
    EXPECT_EQ(dc.GetBkColor(), 0x123456u);
    const auto calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE((calls[1].rect == RECT{1, 2, 4, 6}));
    EXPECT_EQ(calls[1].color, 0x123456u);
}

// --- packed DIBs, written by hand

TEST(RecordingDC, DibCallsGiveTheSourceRowsTopDown)
{
    CRecordingDC dc;
    auto dib = InfoHeader(4, 4, 24);
    dib.resize(40 + 4 * 12, 0);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    // Lower-left origin: ySource 1 with 2 rows is the band of top-down rows 1 and 2.
    EXPECT_EQ(dc.SetDIBitsToDevice(10, 20, 2, 2, 0, 1, 0, 4, dib.data() + 40, info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc.StretchDIBits(0, 0, 8, 8, 0, 0, 4, 4, dib.data() + 40, info, DIB_RGB_COLORS, SRCCOPY), 4);
    const auto calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].op, GdiOp::SetDIBitsToDevice);
    EXPECT_TRUE((calls[0].rect == RECT{10, 20, 12, 22}));
    EXPECT_TRUE((calls[0].sourceRect == RECT{0, 1, 2, 3}));
    EXPECT_EQ(calls[1].op, GdiOp::StretchDIBits);
    EXPECT_TRUE((calls[1].sourceRect == RECT{0, 0, 4, 4}));
    EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 1, 1, 0, 0, 0, 4, nullptr, info, DIB_RGB_COLORS), 0);
}
