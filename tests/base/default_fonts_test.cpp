#include "base/default_fonts.h"
#include "base/property_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string kPMincho = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";  // ＭＳ Ｐ明朝
const std::string kAtMincho = "@\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";         // @ＭＳ 明朝
const std::string kTimes = "Times New Roman";

}  // namespace

TEST(DefaultFonts, FreshTableHoldsTheBuiltInEntries)
{
    struct Case { CDefaultFontTable::Entry entry; std::string face; int charSet; int italic; int escapement; };
    const Case cases[] = {
        {CDefaultFontTable::Default, kPMincho, 128, 0, 0},
        {CDefaultFontTable::Hankaku, kTimes, 0, 1, 0},
        {CDefaultFontTable::Numeric, kTimes, 0, 0, 0},
        {CDefaultFontTable::AtDefault, kAtMincho, 128, 0, 2700},
        {CDefaultFontTable::AtHankaku, kTimes, 0, 1, 0},
        {CDefaultFontTable::AtNumeric, kTimes, 0, 0, 0},
        {CDefaultFontTable::Math, kTimes, 0, 1, 0},
        {CDefaultFontTable::MathNumeric, kTimes, 0, 0, 0},
        {CDefaultFontTable::MathOperator, kPMincho, 128, 0, 0},
    };
    const CDefaultFontTable table;
    for (const Case& c : cases) {
        const DEFAULT_FONT& e = table.GetEntry(c.entry);
        EXPECT_EQ(std::string(e.font.lfFaceName), c.face) << c.entry;
        EXPECT_EQ(e.font.lfCharSet, c.charSet) << c.entry;
        EXPECT_EQ(e.font.lfItalic, c.italic) << c.entry;
        EXPECT_EQ(e.italic, c.italic) << c.entry;
        EXPECT_EQ(e.font.lfEscapement, c.escapement) << c.entry;
        EXPECT_EQ(e.font.lfOrientation, c.escapement) << c.entry;
        EXPECT_EQ(e.font.lfHeight, -371) << c.entry;
        EXPECT_EQ(e.height, 371) << c.entry;
        EXPECT_EQ(e.font.lfWidth, 0);
        EXPECT_EQ(e.font.lfWeight, 400);
        EXPECT_EQ(e.font.lfUnderline, 0);
        EXPECT_EQ(e.font.lfStrikeOut, 0);
        EXPECT_EQ(e.font.lfOutPrecision, 3);
        EXPECT_EQ(e.font.lfClipPrecision, 2);
        EXPECT_EQ(e.font.lfQuality, 1);
        EXPECT_EQ(e.font.lfPitchAndFamily, 18);
    }
    EXPECT_STREQ(CDefaultFontTable::kValueNames[CDefaultFontTable::AtHankaku].font, "AtHankakuDefault");
    EXPECT_EQ(CDefaultFontTable::kValueNames[CDefaultFontTable::AtNumeric].height, nullptr);
    EXPECT_STREQ(CDefaultFontTable::kValueNames[CDefaultFontTable::MathOperator].italic, "MathOperatorItalic");
}

TEST(DefaultFonts, VerticalFlagSelectsTheVerticalEntry)
{
    CDefaultFontTable table;
    LOGFONTA font;
    table.GetDefaultFont(&font, 1);
    EXPECT_EQ(std::string(font.lfFaceName), kAtMincho);
    EXPECT_EQ(font.lfEscapement, 2700);
    EXPECT_EQ(font.lfOrientation, 2700);
    EXPECT_EQ(font.lfHeight, -371);
    table.GetDefaultFont(&font, 0);
    EXPECT_EQ(std::string(font.lfFaceName), kPMincho);
    EXPECT_EQ(font.lfEscapement, 0);

    for (int vertical : {0, 1}) {
        EXPECT_EQ(table.GetHankakuItalic(vertical), 1);
        EXPECT_EQ(table.GetNumericItalic(vertical), 0);
        EXPECT_EQ(table.GetDefaultItalic(vertical), 0);
    }

    table.SetHankakuItalic(0, 1);
    EXPECT_EQ(table.GetHankakuItalic(1), 0);
    EXPECT_EQ(table.GetHankakuItalic(0), 1);

    LOGFONTA bold = font;
    bold.lfWeight = 700;
    table.SetNumericFont(&bold, 1);
    table.GetNumericFont(&font, 1);
    EXPECT_EQ(font.lfWeight, 700);
    table.GetNumericFont(&font, 0);
    EXPECT_EQ(font.lfWeight, 400);
}

TEST(DefaultFonts, HeightsAreSharedByBothDirections)
{
    CDefaultFontTable table;
    table.SetDefaultHeight(400);
    EXPECT_EQ(table.GetDefaultHeight(), 400);
    EXPECT_EQ(table.GetEntry(CDefaultFontTable::Default).height, 400);
    EXPECT_EQ(table.GetEntry(CDefaultFontTable::AtDefault).height, 371);  // never read
    table.SetHankakuHeight(300);
    table.SetNumericHeight(301);
    EXPECT_EQ(table.GetHankakuHeight(), 300);
    EXPECT_EQ(table.GetNumericHeight(), 301);
}

TEST(DefaultFonts, MathEntriesAndFaceCutting)
{
    CDefaultFontTable table;
    EXPECT_EQ(table.GetMathItalic(), 1);
    EXPECT_EQ(table.GetMathNumericItalic(), 0);
    EXPECT_EQ(table.GetMathOperatorItalic(), 0);
    table.SetMathHeight(500);
    table.SetMathNumericHeight(501);
    table.SetMathOperatorHeight(502);
    table.SetMathItalic(0);
    table.SetMathNumericItalic(1);
    table.SetMathOperatorItalic(1);
    EXPECT_EQ(table.GetMathHeight(), 500);
    EXPECT_EQ(table.GetMathNumericHeight(), 501);
    EXPECT_EQ(table.GetMathOperatorHeight(), 502);
    EXPECT_EQ(table.GetMathItalic(), 0);
    EXPECT_EQ(table.GetMathNumericItalic(), 1);
    EXPECT_EQ(table.GetMathOperatorItalic(), 1);

    // A face of 32 bytes without a terminator, as a settings file may hold, is cut to 31.
    LOGFONTA font;
    table.GetMathFont(&font);
    std::memset(font.lfFaceName, 'A', LF_FACESIZE);
    table.SetMathOperatorFont(&font);
    table.GetMathOperatorFont(&font);
    EXPECT_EQ(std::string(font.lfFaceName), std::string(31, 'A'));
    table.SetMathNumericFont(&font);
    table.GetMathNumericFont(&font);
    EXPECT_EQ(font.lfItalic, 1);  // the math entry's font was copied whole

    EXPECT_EQ(&CDefaultFontTable::Instance(), &CDefaultFontTable::Instance());
}
