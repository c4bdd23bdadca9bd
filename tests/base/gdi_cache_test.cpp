#include "base/gdi_cache.h"

#include "platform/gdi_recording.h"
#include "platform/wide_runtime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LOGFONTA Face(const char* name, BYTE charSet, LONG height = 16)
{
    LOGFONTA lf{};
    std::strcpy(lf.lfFaceName, name);
    lf.lfCharSet = charSet;
    lf.lfHeight = height;
    return lf;
}

NEWTEXTMETRICA Metric(LONG height)
{
    NEWTEXTMETRICA tm{};
    tm.tmHeight = height;
    return tm;
}

std::unique_ptr<CDC> RecordingScreen() { return std::make_unique<CRecordingDC>(); }

// The program's cache, created once for these tests with a screen context to enumerate on.
CGdiCache& Created()
{
    const ScreenDCFactory previous = SetScreenDCFactory(RecordingScreen);
    CreateGdiResources();
    SetScreenDCFactory(previous);
    return CGdiCache::Instance();
}

LOGPEN PenOf(CPen* pen)
{
    LOGPEN lp{};
    EXPECT_TRUE(GetObject(HPEN(*pen), &lp));
    return lp;
}

} // namespace

TEST(InstalledFontList, KeepsTheFirstDescriptionOfAFaceAndSortsByBytes)
{
    CInstalledFontList list;
    list.Add(Face("\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 128), Metric(1));  // ＭＳ 明朝
    list.Add(Face("Times New Roman", 0), Metric(2));
    list.Add(Face("\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 0), Metric(3));    // again, other charset
    list.Add(Face("@\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 128), Metric(4));
    list.Add(Face("Arial", 0), Metric(5));
    list.Sort();
    ASSERT_EQ(list.GetCount(), 4);
    // "@" (0x40) < "A" < "T" < the double-byte 0x82 lead byte.
    const char* expected[] = {"@\x82\x6c\x82\x72 \x96\xbe\x92\xa9", "Arial", "Times New Roman",
                              "\x82\x6c\x82\x72 \x96\xbe\x92\xa9"};
    const LONG metrics[] = {4, 5, 2, 1};
    for (int i = 0; i < 4; ++i) {
        LOGFONTA lf{};
        NEWTEXTMETRICA tm{};
        EXPECT_EQ(list.Get(i, &lf), i);
        EXPECT_EQ(list.GetMetric(i, &tm), i);
        EXPECT_STREQ(lf.lfFaceName, expected[i]);
        EXPECT_EQ(tm.tmHeight, metrics[i]);  // metrics move with their face
    }
    LOGFONTA found{};
    ASSERT_TRUE(list.Find("\x82\x6c\x82\x72 \x96\xbe\x92\xa9", &found));
    EXPECT_EQ(found.lfCharSet, 128);
}

TEST(InstalledFontList, OutOfRangeAndUnknownFacesLeaveTheRecordUntouched)
{
    CInstalledFontList list;
    list.Add(Face("Only", 0), Metric(1));
    LOGFONTA lf = Face("Untouched", 9);
    NEWTEXTMETRICA tm = Metric(42);
    EXPECT_EQ(list.Get(1, &lf), -1);
    EXPECT_EQ(list.Get(-1, &lf), -1);
    EXPECT_EQ(list.GetMetric(1, &tm), -1);
    EXPECT_FALSE(list.Find("only", &lf));  // exact, case-sensitive
    EXPECT_STREQ(lf.lfFaceName, "Untouched");
    EXPECT_EQ(tm.tmHeight, 42);
    CInstalledFontList empty;
    empty.Enumerate(nullptr);
    EXPECT_EQ(empty.GetCount(), 0);
}

TEST(GdiCache, PalettePensAndBrushesAreSharedPerIndex)
{
    CGdiCache& cache = Created();
    const int expectedIndex[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(PaletteIndexOfColor(GDI_PALETTE_COLORS[i]), expectedIndex[i]);
        EXPECT_EQ(PenOf(GetSolidPen(GDI_PALETTE_COLORS[i])).lopnColor, GDI_PALETTE_COLORS[i]);
    }
    EXPECT_EQ(GDI_PALETTE_COLORS[4], 0x000080u);
    EXPECT_EQ(GDI_PALETTE_COLORS[12], 0x800000u);
    EXPECT_EQ(PaletteIndexOfColor(0x123456), 0);
    EXPECT_EQ(GetSolidPen(0xFF0000), cache.GetSolidPen(0xFF0000));

    const struct { CPen* pen; int style; } styles[] = {
        {GetSolidPen(0x808080), PS_SOLID}, {GetDotPen(0x808080), PS_DOT}, {GetDashPen(0x808080), PS_DASH},
        {GetDashDotPen(0x808080), PS_DASHDOT}, {GetDashDotDotPen(0x808080), PS_DASHDOTDOT}};
    for (const auto& s : styles) {
        const LOGPEN lp = PenOf(s.pen);
        EXPECT_EQ(lp.lopnStyle, UINT(s.style));
        EXPECT_EQ(lp.lopnWidth.x, 1);
        EXPECT_EQ(lp.lopnColor, 0x808080u);
    }
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObject(HBRUSH(*GetSolidBrush(0x00FFFF)), &lb));
    EXPECT_EQ(lb.lbColor, 0x00FFFFu);
}

TEST(GdiCache, ColoursOutsideThePaletteDrawInTheirOwnColour)
{
    Created();
    CPen* pink = GetSolidPen(0xCCCCFF);
    EXPECT_NE(pink, GetSolidPen(0));
    EXPECT_EQ(PenOf(pink).lopnColor, 0xCCCCFFu);
    EXPECT_EQ(GetSolidPen(0xCCCCFF), pink);  // made once, then shared
    EXPECT_EQ(PenOf(GetDashPen(0xCCCCFF)).lopnStyle, UINT(PS_DASH));
    CBrush* background = GetSolidBrush(0xCCCCFF);
    EXPECT_NE(background, GetSolidBrush(0));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObject(HBRUSH(*background), &lb));
    EXPECT_EQ(lb.lbColor, 0xCCCCFFu);
}

TEST(GdiCache, PatternBrushesByType)
{
    Created();
    const BYTE rows[6][8] = {
        {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00},  // 0: 359 horizontal
        {0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB},  // 1: 360 vertical
        {0xBB, 0x77, 0xEE, 0xDD, 0xBB, 0x77, 0xEE, 0xDD},  // 2: 358 "/"
        {0xDD, 0xEE, 0x77, 0xBB, 0xDD, 0xEE, 0x77, 0xBB},  // 3: 357 "\"
        {0xBB, 0xBB, 0xBB, 0x00, 0xBB, 0xBB, 0xBB, 0x00},  // 4: 361 grid
        {0x55, 0xEE, 0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB},  // 5: 362 diagonal cross
    };
    for (int type = 0; type < 6; ++type) {
        BYTE pattern[8];
        ASSERT_TRUE(GetBrushPattern(*GetPatternBrush(type), pattern)) << type;
        EXPECT_EQ(std::memcmp(pattern, rows[type], 8), 0) << type;
    }
    EXPECT_EQ(GetPatternBrush(6), nullptr);
    EXPECT_EQ(GetPatternBrush(-1), nullptr);
    BYTE halftone[8];
    ASSERT_TRUE(GetBrushPattern(*GetHalftoneBrush(), halftone));
    const BYTE checker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    EXPECT_EQ(std::memcmp(halftone, checker, 8), 0);
}

TEST(GdiCache, SecondCreationCreatesNothing)
{
    Created();
    const size_t objects = GdiLiveObjectCount();
    const int fonts = GetInstalledFontCount();
    CPen* pen = GetDotPen(0x0000FF);
    CreateGdiResources();
    EXPECT_EQ(GdiLiveObjectCount(), objects);
    EXPECT_EQ(GetInstalledFontCount(), fonts);
    EXPECT_EQ(GetDotPen(0x0000FF), pen);
    LOGFONTA gui{};
    GetGuiLogFont(&gui);
    EXPECT_EQ(gui.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(gui.lfHeight, -12);
}

TEST(GdiCache, DocumentFacesCountAsInstalled)
{
    Created();
    struct Case { const char* face; BYTE charSet; };
    const Case cases[] = {
        {"\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 128},                // ＭＳ 明朝
        {"@\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 128},               // @ＭＳ 明朝
        {"\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9", 128},        // ＭＳ Ｐ明朝
        {"\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", 128},  // ＭＳ ゴシック
        {"\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e", 128},  // ＭＳ Ｐゴシック
        {"Orvellan Gaiji", 128},
        {"@Orvellan Gaiji", 128},
        {"Times New Roman", 0},
        {"IPAMincho", 128},
    };
    for (const Case& c : cases) {
        LOGFONTA lf{};
        ASSERT_TRUE(FindInstalledFont(c.face, &lf)) << c.face;
        EXPECT_EQ(lf.lfCharSet, c.charSet) << c.face;
        EXPECT_EQ(lf.lfOutPrecision, 3);
        EXPECT_EQ(lf.lfClipPrecision, 2);
        EXPECT_EQ(lf.lfQuality, 1);
    }
    // Sorted, one entry per face, TrueType faces flagged as such.
    LOGFONTA previous{};
    for (int i = 0; i < GetInstalledFontCount(); ++i) {
        LOGFONTA lf{};
        NEWTEXTMETRICA tm{};
        GetInstalledFont(i, &lf);
        GetInstalledFontMetric(i, &tm);
        if (i > 0) {
            EXPECT_LT(CompareMultiByte(previous.lfFaceName, lf.lfFaceName), 0) << lf.lfFaceName;
        }
        previous = lf;
        if (std::string(lf.lfFaceName) == "Times New Roman") {
            EXPECT_NE(tm.ntmFlags & NTM_TT_OPENTYPE, 0u);
            EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH | FF_ROMAN);
        }
    }
}

TEST(GdiCache, ApplyInstalledFontFaceCopiesOnlyTheFaceFields)
{
    Created();
    LOGFONTA font{};
    font.lfHeight = -371;
    font.lfWidth = 92;
    font.lfEscapement = 2700;
    font.lfOrientation = 2700;
    font.lfWeight = 700;
    font.lfItalic = 1;
    std::strcpy(font.lfFaceName, "Times New Roman");
    font.lfCharSet = 0;
    const LOGFONTA before = font;
    ApplyInstalledFontFace(&font, "No Such Face");
    EXPECT_EQ(std::memcmp(&font, &before, sizeof font), 0);

    ApplyInstalledFontFace(&font, "@Orvellan Gaiji");
    EXPECT_STREQ(font.lfFaceName, "@Orvellan Gaiji");
    EXPECT_EQ(font.lfCharSet, 128);
    EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH | FF_DONTCARE);
    EXPECT_EQ(font.lfHeight, -371);
    EXPECT_EQ(font.lfWidth, 92);
    EXPECT_EQ(font.lfEscapement, 2700);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 1);
}
