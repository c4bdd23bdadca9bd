#include "platform/codepage.h"
#include "platform/fonts.h"
#include "platform/gdi.h"
#include "platform/gdi_qt.h"

#include "tests/platform/dib_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <iostream>
#include <string>

namespace {

const COLORREF kWhite = 0xFFFFFF;

LOGFONTA Font(std::u16string_view face, LONG height, LONG escapement = 0, BYTE charSet = SHIFTJIS_CHARSET)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = charSet;
    const std::string narrow = WideToCp932(face);
    std::memcpy(lf.lfFaceName, narrow.data(), std::min<size_t>(narrow.size(), LF_FACESIZE - 1));
    return lf;
}

// Ink of a region: the bounding box and centre of the pixels that are not white.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    double cx = 0, cy = 0;
    int count = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

Ink InkIn(const QImage& image, QRect region)
{
    Ink ink;
    region &= image.rect();
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ink.cx += x;
                ink.cy += y;
                ++ink.count;
            }
    if (ink.count > 0) {
        ink.cx /= ink.count;
        ink.cy /= ink.count;
    }
    return ink;
}

QString OutputPath(const char* name) { return QDir::current().absoluteFilePath(QString::fromLatin1(name)); }

} // namespace

TEST(QtDC, LinesAndRectanglesLeaveOutTheirLastPixels)
{
    auto dc = CQtDC::WithImage(40, 40);
    CPen pen(PS_SOLID, 0, 0x000000);
    dc->SelectObject(&pen);
    dc->SelectStockObject(NULL_BRUSH);
    dc->MoveTo(2, 2);
    dc->LineTo(10, 2);
    EXPECT_EQ(dc->GetPixel(2, 2), 0u);
    EXPECT_EQ(dc->GetPixel(9, 2), 0u);
    EXPECT_EQ(dc->GetPixel(10, 2), kWhite);
    dc->Rectangle(10, 10, 20, 15);
    EXPECT_EQ(dc->GetPixel(10, 10), 0u);
    EXPECT_EQ(dc->GetPixel(19, 14), 0u);
    EXPECT_EQ(dc->GetPixel(20, 14), kWhite);
    EXPECT_EQ(dc->GetPixel(19, 15), kWhite);
    EXPECT_EQ(dc->GetPixel(15, 12), kWhite);  // hollow
    EXPECT_EQ(dc->GetPixel(100, 100), 0xFFFFFFFFu);
}

TEST(QtDC, ArcsCurvesPolygonsAndPens)
{
    auto dc = CQtDC::WithImage(120, 120);
    auto dark = [&](int x0, int y0, int x1, int y1) {
        return InkIn(*dc->Image(), QRect(QPoint(x0, y0), QPoint(x1, y1))).count > 0;
    };
    // Counter-clockwise from the ray through the right end to the ray through the left end:
    // the upper half of the circle.
    dc->Arc(0, 0, 41, 41, 40, 20, 0, 20);
    EXPECT_TRUE(dark(18, 0, 22, 1));
    EXPECT_FALSE(dark(18, 30, 22, 41));
    const RECT clear{0, 0, 120, 120};
    dc->FillSolidRect(&clear, 0xFFFFFF);

    const POINT curve[4] = {{0, 0}, {25, 0}, {25, 50}, {50, 50}};
    dc->PolyBezier(curve, 4);
    EXPECT_TRUE(dark(23, 23, 27, 27));
    EXPECT_FALSE(dark(35, 5, 45, 15));
    dc->FillSolidRect(&clear, 0xFFFFFF);

    // A five-pointed star: its centre is inside only by the winding rule.
    POINT star[5];
    for (int i = 0; i < 5; ++i) {
        const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        star[i] = POINT{60 + int(std::lround(50 * std::cos(a))), 60 + int(std::lround(50 * std::sin(a)))};
    }
    dc->SelectStockObject(BLACK_BRUSH);
    dc->SelectStockObject(NULL_PEN);
    dc->Polygon(star, 5);
    EXPECT_EQ(dc->GetPixel(60, 62), kWhite);
    EXPECT_EQ(dc->GetPixel(60, 20), 0u);  // an arm
    dc->SetPolyFillMode(WINDING);
    dc->Polygon(star, 5);
    EXPECT_EQ(dc->GetPixel(60, 62), 0u);
    dc->FillSolidRect(&clear, 0xFFFFFF);

    CPen wide(PS_SOLID, 5, 0);
    CPen dotted(PS_DOT, 1, 0);
    dc->SelectObject(&wide);
    dc->MoveTo(10, 10);
    dc->LineTo(100, 10);
    EXPECT_EQ(dc->GetPixel(50, 12), 0u);
    dc->SelectObject(&dotted);
    dc->MoveTo(10, 50);
    dc->LineTo(100, 50);
    int inked = 0;
    for (int x = 10; x < 100; ++x)
        inked += dc->GetPixel(x, 50) == 0 ? 1 : 0;
    EXPECT_GT(inked, 30);
    EXPECT_LT(inked, 60);
}

TEST(QtDC, ShapesReachingTheEndsOfTheCoordinateRangeStillDraw)
{
    constexpr int kMin = -2147483647 - 1;
    constexpr int kMax = 2147483647;
    auto dc = CQtDC::WithImage(20, 20);
    CBrush red(0x0000FF);
    dc->SelectObject(&red);
    dc->SelectStockObject(NULL_PEN);
    EXPECT_TRUE(dc->Rectangle(kMin, kMin, kMax, kMax));
    EXPECT_EQ(dc->GetPixel(10, 10), 0x0000FFu);
    EXPECT_TRUE(dc->Ellipse(kMin, kMin, kMax, kMax));
    dc->IntersectClipRect(kMin, kMin, kMax, 10);
    const RECT all{kMin, kMin, kMax, kMax};
    CBrush blue(0xFF0000);
    EXPECT_EQ(dc->FillRect(&all, &blue), 1);
    EXPECT_EQ(dc->GetPixel(10, 5), 0xFF0000u);
    EXPECT_EQ(dc->GetPixel(10, 15), 0x0000FFu);
}

TEST(QtDC, InvertingOperationsUndoThemselves)
{
    auto dc = CQtDC::WithImage(30, 30);
    const RECT all{0, 0, 30, 30};
    dc->FillSolidRect(&all, 0x204080);
    const RECT r{5, 5, 15, 15};
    // R2_NOT with the black brush inverts the rectangle; twice restores it.
    dc->SelectStockObject(BLACK_BRUSH);
    dc->SetROP2(R2_NOT);
    dc->Rectangle(&r);
    EXPECT_EQ(dc->GetPixel(8, 8), 0xFFFFFF - 0x204080);
    dc->Rectangle(&r);
    EXPECT_EQ(dc->GetPixel(8, 8), 0x204080u);
    // An exclusive-or frame with the halftone pattern disappears when drawn again.
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    CBitmap bitmap;
    bitmap.CreateBitmap(8, 8, 1, 1, rows);
    CBrush halftone;
    halftone.CreatePatternBrush(&bitmap);
    dc->SetROP2(R2_XORPEN);
    dc->FrameRect(&r, &halftone);
    EXPECT_NE(dc->GetPixel(5, 5) == 0x204080u && dc->GetPixel(6, 5) == 0x204080u, true);
    dc->FrameRect(&r, &halftone);
    for (int x = 5; x < 15; ++x)
        EXPECT_EQ(dc->GetPixel(x, 5), 0x204080u) << x;
    dc->SetROP2(R2_COPYPEN);
    EXPECT_TRUE(dc->PatBlt(0, 0, 3, 3, DSTINVERT));
    EXPECT_EQ(dc->GetPixel(1, 1), 0xFFFFFF - 0x204080);
    dc->InvertRect(&all);
    EXPECT_EQ(dc->GetPixel(1, 1), 0x204080u);
    EXPECT_EQ(dc->GetPixel(20, 20), 0xFFFFFF - 0x204080);
}

TEST(QtDC, PatternBrushesUseTextAndBackgroundColours)
{
    auto dc = CQtDC::WithImage(16, 16);
    const WORD rows[8] = {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00};  // a line every 4 rows
    CBitmap bitmap;
    bitmap.CreateBitmap(8, 8, 1, 1, rows);
    CBrush brush;
    brush.CreatePatternBrush(&bitmap);
    dc->SetTextColor(0x0000FF);
    dc->SetBkColor(0x00FF00);
    const RECT r{0, 0, 16, 16};
    dc->FillRect(&r, &brush);
    EXPECT_EQ(dc->GetPixel(5, 3), 0x0000FFu);
    EXPECT_EQ(dc->GetPixel(5, 11), 0x0000FFu);
    EXPECT_EQ(dc->GetPixel(5, 4), 0x00FF00u);
}

TEST(QtDC, AnisotropicMappingDrawsDocumentUnitsInPixels)
{
    auto dc = CQtDC::WithImage(200, 200);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    const RECT r{2540, 2540, 5080, 3810};  // 1 × 0.5 inch at 1 inch
    dc->FillSolidRect(&r, 0x000000);
    EXPECT_EQ(dc->GetPixel(2540, 2540), 0u);
    dc->SetMapMode(MM_TEXT);
    EXPECT_EQ(dc->GetPixel(96, 96), 0u);
    EXPECT_EQ(dc->GetPixel(191, 143), 0u);
    EXPECT_EQ(dc->GetPixel(192, 143), kWhite);
    EXPECT_EQ(dc->GetPixel(191, 144), kWhite);
}

TEST(QtDC, MemoryContextsDrawIntoTheirBitmapForBlitting)
{
    auto screen = CQtDC::WithImage(20, 20);
    std::unique_ptr<CDC> memory = screen->CreateCompatibleDC();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen.get(), 10, 10));
    const HBITMAP previous = memory->SelectObject(&bitmap);
    memory->FillSolidRect(0, 0, 10, 10, 0x0000FF);
    memory->SetPixel(9, 9, 0x00FF00);
    EXPECT_TRUE(screen->BitBlt(5, 5, 10, 10, memory.get(), 0, 0, SRCCOPY));
    EXPECT_EQ(screen->GetPixel(5, 5), 0x0000FFu);
    EXPECT_EQ(screen->GetPixel(14, 14), 0x00FF00u);
    EXPECT_EQ(screen->GetPixel(15, 15), kWhite);
    memory->SelectObject(previous);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(GetBitmapPixels(bitmap, &pixels));
    EXPECT_EQ(pixels[0], 0xFF0000u);  // 0x00RRGGBB: red
}

TEST(QtDC, DibRowsArePaintedTheRightWayUp)
{
    // 2 × 2, 24 bits, bottom-up: the bottom row blue then green, the top row red then white.
    unsigned char dib[40 + 16] = {};
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::memcpy(dib, &h, 40);
    const unsigned char rows[16] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    std::memcpy(dib + 40, rows, 16);
    auto dc = CQtDC::WithImage(10, 10);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib);
    EXPECT_EQ(dc->SetDIBitsToDevice(1, 1, 2, 2, 0, 0, 0, 2, dib + 40, info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc->GetPixel(1, 1), 0x0000FFu);  // red as COLORREF
    EXPECT_EQ(dc->GetPixel(2, 1), 0xFFFFFFu);
    EXPECT_EQ(dc->GetPixel(1, 2), 0xFF0000u);  // blue
    EXPECT_EQ(dc->GetPixel(2, 2), 0x00FF00u);
    EXPECT_EQ(dc->StretchDIBits(4, 4, 4, 4, 0, 0, 2, 2, dib + 40, info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(dc->GetPixel(5, 5), 0x0000FFu);
    EXPECT_EQ(dc->GetPixel(7, 7), 0x00FF00u);
}

TEST(QtDC, StretchedDibsTakeThePixelAtEachDevicePixelsCentre)
{
    // 3 × 1, 8 bits: palette entries 0, 1, 2 give pixels of blue 0x10, 0x20, 0x30.
    auto dib = InfoHeader(3, 1, 8, 3);
    Append(dib, {0x10, 0, 0, 0, 0x20, 0, 0, 0, 0x30, 0, 0, 0});
    Append(dib, {0, 1, 2, 0});
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const uint8_t* bits = dib.data() + 52;
    struct Case {
        const char* name;
        int width;      // the target's width from x = 0; 3 pixels grow or shrink to it
        int clipLeft;   // the clip's left edge
        int sourceWidth;
    };
    const Case cases[] = {
        {"grown to 10", 10, 0, 3}, {"grown to 10, clipped", 10, 4, 3}, {"grown to 7", 7, 0, 3},
        {"shrunk to 2", 2, 0, 3},  {"same size", 3, 0, 3},            {"grown to 11, clipped", 11, 5, 3},
    };
    for (const Case& c : cases) {
        auto dc = CQtDC::WithImage(12, 2);
        dc->IntersectClipRect(c.clipLeft, 0, 12, 2);
        EXPECT_NE(dc->StretchDIBits(0, 0, c.width, 1, 0, 0, c.sourceWidth, 1, bits, info, DIB_RGB_COLORS, SRCCOPY), 0);
        for (int x = 0; x < 12; ++x) {
            COLORREF expected = 0xFFFFFF;
            if (x >= c.clipLeft && x < c.width)
                expected = RGB(0, 0, 0x10 * (1 + (2 * x + 1) * c.sourceWidth / (2 * c.width)));
            EXPECT_EQ(dc->GetPixel(x, 0), expected) << c.name << " at " << x;
        }
    }
    // A target reaching far beyond the device keeps its proportions: over [-2^30, 2^29) each
    // pixel is 2^29 wide, and the third begins at 0.
    auto far = CQtDC::WithImage(12, 2);
    EXPECT_NE(far->StretchDIBits(-(1 << 30), 0, (1 << 30) + (1 << 29), 2, 0, 0, 3, 1, bits, info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(far->GetPixel(0, 0), RGB(0, 0, 0x30));
    EXPECT_EQ(far->GetPixel(11, 1), RGB(0, 0, 0x30));
}

TEST(QtDC, DocumentFacesDrawWithTheirSubstitutes)
{
    struct Case { std::u16string face; const char* family; bool vertical; bool gaiji; };
    const Case cases[] = {
        {u"ＭＳ 明朝", "IPAMincho", false, false},
        {u"@ＭＳ 明朝", "IPAMincho", true, false},
        {u"ＭＳ Ｐ明朝", "IPAPMincho", false, false},
        {u"ＭＳ ゴシック", "IPAGothic", false, false},
        {u"ＭＳ Ｐゴシック", "IPAPGothic", false, false},
        {u"Times New Roman", "Liberation Serif", false, false},
        {u"@Orvellan Gaiji", "IPAMincho", true, true},
    };
    for (const Case& c : cases) {
        ResolvedFont r;
        ASSERT_TRUE(ResolveFont(Font(c.face, -100), &r));
        EXPECT_EQ(r.family, c.family);
        EXPECT_EQ(r.vertical, c.vertical);
        EXPECT_EQ(r.gaiji, c.gaiji);
    }
}

TEST(QtDC, MetricsAreLogicalUnitsAtFractionalSizes)
{
    auto dc = CQtDC::WithImage(10, 10);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    CFont font;
    const LOGFONTA lf = Font(u"ＭＳ 明朝", -371);
    font.CreateFontIndirect(&lf);
    dc->SelectObject(&font);
    TEXTMETRICA tm{};
    ASSERT_TRUE(dc->GetTextMetricsA(&tm));
    // IPAMincho: ascent 1802/2048 and descent 455/2048 of the em, at 3.71 mm (14.02 pixels).
    EXPECT_EQ(tm.tmAscent, 326);
    EXPECT_EQ(tm.tmDescent, 82);
    EXPECT_EQ(tm.tmHeight, 408);
    EXPECT_EQ(tm.tmInternalLeading, 37);
    EXPECT_EQ(tm.tmAveCharWidth, 186);  // "x": half an em
    SIZE size{};
    ASSERT_TRUE(dc->GetTextExtentPoint32W(u"日本語", 3, &size));
    EXPECT_EQ(size.cx, 3 * 371);
    EXPECT_EQ(size.cy, 408);
    ASSERT_TRUE(dc->GetTextExtentPoint32W(u"Abc", 3, &size));
    EXPECT_EQ(size.cx, 557);  // 1.5 em
    ASSERT_TRUE(dc->GetTextExtentPoint32A("\x93\xfa" "A", 3, &size));
    EXPECT_EQ(size.cx, 371 + 186);
    // A set width stretches the characters: lfWidth is the width of a half-width character.
    CFont wide;
    LOGFONTA wlf = lf;
    wlf.lfWidth = 371;
    wide.CreateFontIndirect(&wlf);
    dc->SelectObject(&wide);
    dc->GetTextExtentPoint32W(u"日", 1, &size);
    EXPECT_EQ(size.cx, 742);
}

TEST(QtDC, AbsurdFontSizesFromADocumentStayInRange)
{
    // A description read from a file may ask for any size: metrics stay consistent ints and the
    // text still draws (at the largest size drawn) in both writing directions.
    auto dc = CQtDC::WithImage(64, 64);
    for (LONG height : {LONG(-2147483647 - 1), LONG(-2000000000), LONG(2000000000)})
        for (LONG width : {LONG(0), LONG(2000000000)})
            for (LONG escapement : {LONG(0), LONG(2700)}) {
                LOGFONTA lf = Font(escapement ? u"@ＭＳ 明朝" : u"ＭＳ 明朝", height, escapement);
                lf.lfWidth = width;
                CFont font;
                font.CreateFontIndirect(&lf);
                dc->SelectObject(&font);
                TEXTMETRICA tm{};
                ASSERT_TRUE(dc->GetTextMetricsA(&tm));
                EXPECT_GT(tm.tmAscent, 0);
                EXPECT_GT(tm.tmDescent, 0);
                EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
                SIZE size{};
                ASSERT_TRUE(dc->GetTextExtentPoint32W(u"日本a", 3, &size));
                EXPECT_GT(size.cx, 0);
                EXPECT_EQ(size.cy, tm.tmHeight);
                ABC abc{};
                ASSERT_TRUE(dc->GetCharABCWidthsW(u'a', u'a', &abc));
                EXPECT_TRUE(dc->TextOutW(2, 2, u"日本a"));
                dc->SelectStockObject(SYSTEM_FONT);
            }
}

TEST(QtDC, GaijiFaceShowsTheShapesItHolds)
{
    // 0x8146 of the gaiji font holds ∶ (U+2236): text U+FF1A in that face looks like ∶ in Mincho.
    auto gaiji = CQtDC::WithImage(60, 60);
    auto direct = CQtDC::WithImage(60, 60);
    CFont gaijiFont;
    CFont minchoFont;
    const LOGFONTA g = Font(u"Orvellan Gaiji", -48);
    const LOGFONTA m = Font(u"ＭＳ 明朝", -48);
    gaijiFont.CreateFontIndirect(&g);
    minchoFont.CreateFontIndirect(&m);
    gaiji->SelectObject(&gaijiFont);
    direct->SelectObject(&minchoFont);
    gaiji->SetBkMode(TRANSPARENT);
    direct->SetBkMode(TRANSPARENT);
    gaiji->TextOutW(4, 4, u"\uFF1A");
    direct->TextOutW(4, 4, u"\u2236");
    EXPECT_EQ(*gaiji->Image(), *direct->Image());
    direct->TextOutW(4, 4, u"\uFF1A");
    EXPECT_NE(*gaiji->Image(), *direct->Image());
}

TEST(QtDC, JapaneseAndLatinInBothWritingDirections)
{
    const int em = 48;
    auto dc = CQtDC::WithImage(1300, 700);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);
    CFont horizontal;
    CFont vertical;
    CFont latinVertical;
    const LOGFONTA h = Font(u"ＭＳ 明朝", -em);
    const LOGFONTA v = Font(u"@ＭＳ 明朝", -em, 2700);
    const LOGFONTA lv = Font(u"Times New Roman", -em, 2700, ANSI_CHARSET);
    horizontal.CreateFontIndirect(&h);
    vertical.CreateFontIndirect(&v);
    latinVertical.CreateFontIndirect(&lv);
    TEXTMETRICA tm{};
    dc->SelectObject(&vertical);
    dc->GetTextMetricsA(&tm);

    // The whole picture to look at: a horizontal line, then columns right to left.
    const std::u16string line = u"問1　「日本語」とEnglish、2024年。ー～（例）ぁ一m";
    dc->SelectObject(&horizontal);
    dc->TextOutW(10, 60, line);
    dc->SelectObject(&vertical);
    dc->TextOutW(1250, 100, u"縦書きの日本語、");
    dc->TextOutW(1180, 100, u"「かぎ」と（例）ー～。");
    dc->TextOutW(1110, 100, u"ぁ一。");
    dc->SelectObject(&latinVertical);
    dc->TextOutW(1040, 100, u"English 2024");
    const QString picture = OutputPath("gdi_text_directions.png");
    dc->Image()->save(picture);
    std::cout << "[ picture  ] " << picture.toStdString() << std::endl;

    // Probes, each in a cell of its own: the column's baseline is x = 500, the cell starts at y.
    const int ox = 500;
    auto probe = [&](CFont* font, const char16_t* text, int y) {
        dc->SelectObject(font);
        dc->TextOutW(ox, y, text);
        return InkIn(*dc->Image(), QRect(ox - 2 * em, y - 4, 4 * em, 3 * em + 8));
    };
    // Horizontal: 一 is wide and flat.
    dc->SelectObject(&horizontal);
    dc->TextOutW(10, 600, u"一");
    const Ink flat = InkIn(*dc->Image(), QRect(0, 600 - em, 2 * em, 2 * em));
    ASSERT_GT(flat.count, 0);
    EXPECT_GT(flat.Width(), 4 * flat.Height());

    // Vertical kanji stand upright: 一 stays wide and flat.
    const Ink one = probe(&vertical, u"一", 150);
    ASSERT_GT(one.count, 0);
    EXPECT_GT(one.Width(), 4 * one.Height());
    // Latin letters turn with the line: "mm" is tall and narrow, its tops to the right.
    const Ink mm = probe(&vertical, u"mm", 300);
    ASSERT_GT(mm.count, 0);
    EXPECT_GT(mm.Height(), mm.Width());
    const Ink mmTurned = probe(&latinVertical, u"mm", 450);
    ASSERT_GT(mmTurned.count, 0);
    EXPECT_GT(mmTurned.Height(), mmTurned.Width());
    // The column's cells: across from ox − descent to ox + ascent, along one em from y.
    const double centreX = ox + (tm.tmAscent - tm.tmDescent) / 2.0;
    EXPECT_NEAR(one.cx, centreX, em / 8.0);
    for (const char16_t* mark : {u"、", u"。"}) {
        const int y = 520;
        const Ink ink = probe(&vertical, mark, y);
        ASSERT_GT(ink.count, 0);
        EXPECT_GT(ink.cx, centreX) << "right half";
        EXPECT_LT(ink.cy, y + em / 2.0) << "upper half";
        // Cleared for the next probe.
        const RECT clear{ox - 2 * em, y - 4, ox + 2 * em, y + 3 * em};
        dc->FillSolidRect(&clear, 0xFFFFFF);
    }
    // In horizontal writing the same marks sit low and left in their cell.
    for (const char16_t* mark : {u"、", u"。"}) {
        const RECT clear{0, 620, 3 * em, 620 + 2 * em};
        dc->FillSolidRect(&clear, 0xFFFFFF);
        dc->SelectObject(&horizontal);
        dc->TextOutW(10, 620 + em, mark);
        const Ink ink = InkIn(*dc->Image(), QRect(0, 620, 3 * em, 2 * em));
        ASSERT_GT(ink.count, 0);
        EXPECT_LT(ink.cx, 10 + em / 2.0);
        EXPECT_GT(ink.cy, 620 + em / 2.0);
    }
}

// Vertical text printed to a PDF keeps every character in the PDF's text, in reading order: the
// marks and small kana the font draws in their vertical forms as well.
TEST(QtDC, VerticalTextInAPdfReadsBackWhole)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed: the PDF's text cannot be read back";
    QTemporaryDir dir;
    const QString file = dir.filePath("vertical.pdf");
    const std::u16string column = u"ちょっと、ノートー。きゃっ（例）ぁぃ";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(300);
    {
        auto dc = CQtDC::ForPrinter(&printer);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextAlign(TA_BASELINE);
        CFont vertical;
        const LOGFONTA lf = Font(u"@ＭＳ 明朝", -60, 2700);
        vertical.CreateFontIndirect(&lf);
        dc->SelectObject(&vertical);
        EXPECT_TRUE(dc->TextOutW(1200, 200, column));
        // The same column drawn as its characters one by one, as the editing nodes draw them.
        for (size_t i = 0; i < column.size(); ++i)
            EXPECT_TRUE(dc->TextOutW(1000, 200 + 60 * static_cast<int>(i), column.substr(i, 1)));
    }
    QProcess tool;
    tool.start("pdftotext", {"-raw", "-enc", "UTF-8", file, "-"});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QString text = QString::fromUtf8(tool.readAllStandardOutput()).remove('\n').remove('\f').remove(' ');
    const QString expected = QString::fromStdU16String(column);
    EXPECT_EQ(text.toStdString(), (expected + expected).toStdString());
}

TEST(QtDC, PrinterAndPictureContexts)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    {
        auto dc = CQtDC::ForPrinter(&printer);
        EXPECT_TRUE(dc->IsPrinting());
        EXPECT_EQ(dc->GetDeviceCaps(LOGPIXELSX), printer.resolution());
        CFont font;
        const LOGFONTA lf = Font(u"ＭＳ 明朝", -200);
        font.CreateFontIndirect(&lf);
        dc->SelectObject(&font);
        EXPECT_TRUE(dc->TextOutW(300, 300, u"印刷"));
        EXPECT_TRUE(dc->NewPage());
        EXPECT_TRUE(dc->Rectangle(100, 100, 400, 400));
    }
    EXPECT_GT(QFileInfo(dir.filePath("page.pdf")).size(), 1000);

    QPicture picture;
    {
        auto dc = CQtDC::ForPicture(&picture);
        EXPECT_EQ(dc->GetObjectType(), OBJ_ENHMETADC);
        EXPECT_EQ(dc->GetAttributeDC(), nullptr);
        dc->SelectStockObject(BLACK_BRUSH);
        dc->Rectangle(0, 0, 10, 10);
    }
    QImage replay(20, 20, QImage::Format_RGB32);
    replay.fill(Qt::white);
    QPainter painter(&replay);
    painter.drawPicture(0, 0, picture);
    painter.end();
    EXPECT_EQ(qGray(replay.pixel(5, 5)), 0);
}
