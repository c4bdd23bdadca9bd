#include "base/length_units.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <utility>
#include <string>

TEST(LengthUnits, PointsToHmmRoundsEachPart)
{
    EXPECT_EQ(PointsToHmm(10, 5), 371);
    EXPECT_EQ(PointsToHmm(10, 0), 353);
    EXPECT_EQ(PointsToHmm(0, 5), 18);
    EXPECT_EQ(PointsToHmm(2, 0), 71);
    EXPECT_EQ(PointsToHmm(5, 0), 176);
}

TEST(LengthUnits, HmmToPointsHalves)
{
    struct Case { int units, points, half, tenths; };
    const Case cases[] = {
        {371, 10, 5, 5}, {370, 10, 5, 4}, {339, 9, 5, 6}, {340, 10, 0, 6},
        {17, 0, 5, 4},   {1, 0, 0, 0},    {-370, -10, -5, -4}, {0, 0, 0, 0},
        {-176, -5, 0, -9}, {-17, 0, -5, -4}, {-339, -9, -5, -6},
    };
    for (const Case& c : cases) {
        int points = -99, half = -99, whole = -99, tenths = -99;
        HmmToPoints(c.units, points, half);
        HmmToPointsTenths(c.units, whole, tenths);
        EXPECT_EQ(points, c.points) << c.units;
        EXPECT_EQ(half, c.half) << c.units;
        EXPECT_EQ(whole, c.units * 72 / 2540) << c.units;
        EXPECT_EQ(tenths, c.tenths) << c.units;
    }
}

TEST(LengthUnits, ParseLength)
{
    struct Case { const char16_t* text; int units; };
    const Case cases[] = {
        {u"12mm", 1200},   {u"1.5mm", 150},    {u"1.05mm", 105},  {u"1.25mm", 125},
        {u"1.500mm", 150}, {u"-1.5mm", -150},  {u"-0.5mm", -50},  {u"-12mm", -1200},
        {u"10.5pt", 371},  {u"-10.5pt", -371}, {u"-0.5pt", -18},  {u"9pt", 318},
        {u"10pt", 353},    {u"10.25pt", 362},  {u"mm", 0},        {u"12", 0},
        {u"3cm", 0},       {u"pt", 0},         {u"xmm", 0},       {u"", 0},
        // Values far outside any paper stop at the ends of the int range instead of overflowing.
        {u"99999999mm", INT_MAX}, {u"-99999999.5mm", INT_MIN}, {u"-2147483648.5pt", INT_MIN},
        {u"99999999pt", INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLength(CStringW(c.text)), c.units) << std::u16string(c.text).size();
}

TEST(LengthUnits, FormattedLengthsReadBack)
{
    struct Case { int units; const char16_t* text; };
    const Case cases[] = {
        {371, u"10.5pt"}, {-353, u"-10pt"}, {-18, u"-0.5pt"}, {0, u"0pt"}, {-371, u"-10.5pt"},
        {INT_MIN, u"-60873552pt"}, {-14, u"0pt"}, {-1, u"0pt"}, {-15, u"-0.5pt"},
    };
    for (const Case& c : cases) {
        CStringW text;
        FormatLengthPoints(c.units, text);
        EXPECT_EQ(text, c.text) << c.units;
    }
    // Every half-point length survives a write and a read.
    for (int halves = -40; halves <= 40; ++halves) {
        const int units = PointsToHmm(halves / 2, (halves % 2) * 5);
        CStringW text;
        FormatLengthPoints(units, text);
        EXPECT_EQ(ParseLength(text), units) << halves;
    }
}

TEST(LengthUnits, LengthsRoundedToWrittenPointsStayPut)
{
    // 10.4pt is written as 10.5pt, so it reads as 10.5pt at once.
    EXPECT_EQ(RoundToWrittenPoints(ParseLength(u"10.4pt")), ParseLength(u"10.5pt"));
    EXPECT_EQ(RoundToWrittenPoints(1), 0);
    for (int units = -3000; units <= 3000; ++units) {
        const int rounded = RoundToWrittenPoints(units);
        ASSERT_EQ(RoundToWrittenPoints(rounded), rounded) << units;
    }
}

TEST(LengthUnits, DialogNumbers)
{
    EXPECT_DOUBLE_EQ(ParseDecimal("1.25"), 1.25);
    EXPECT_DOUBLE_EQ(ParseDecimal("10"), 10.0);
    EXPECT_DOUBLE_EQ(ParseDecimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDecimal("3."), 3.0);
    EXPECT_DOUBLE_EQ(ParseDecimal("1.05"), 1.05);
    EXPECT_DOUBLE_EQ(ParseDecimal("-1.5"), -1.5);
    EXPECT_DOUBLE_EQ(ParseDecimal("-0.5"), -0.5);

    struct Case { const char* text; int units; };
    const Case cases[] = {
        {"10.5", 371}, {"10.50", 371}, {"10.0", 353}, {"10.", 353}, {"10", 353},
        {"10.25", 370}, {"10.3", 370}, {".5", 18}, {"", 0},
        {"99999999.5", INT_MAX}, {"-99999999", INT_MIN}, {"-10.5", -371}, {"-0.5", -18}, {"-5", -176},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParsePointsTextToHmm(c.text), c.units) << c.text;
    EXPECT_EQ(ParsePointsTextToHmm("10.5"), PointsToHmm(10, 5));

    std::string text;
    FormatPointsText(371, text);
    EXPECT_EQ(text, "10.5");
    FormatPointsText(353, text);
    EXPECT_EQ(text, "10");
}

// Every writer and reader of point texts: a value written and read back lands on the nearest
// half point (within 15 units) and stays there, and a negative value mirrors its positive one.
TEST(LengthUnits, NegativeAndPositiveValuesRoundTripAlike)
{
    const auto lengthTrip = [](int units) {
        CStringW text;
        FormatLengthPoints(units, text);
        return std::make_pair(std::u16string(text.View()), ParseLength(text));
    };
    const auto dialogTrip = [](int units) {
        std::string text;
        FormatPointsText(units, text);
        return std::make_pair(std::u16string(text.begin(), text.end()), ParsePointsTextToHmm(text.c_str()));
    };
    const auto pairTrip = [](int units) {
        int points = 0, half = 0;
        HmmToPoints(units, points, half);
        return std::make_pair(std::u16string(), PointsToHmm(points, half));
    };
    struct Pair {
        const char* name;
        std::function<std::pair<std::u16string, int>(int)> trip;
        int tolerance;
    };
    const Pair pairs[] = {
        {"FormatLengthPoints/ParseLength", lengthTrip, 15},
        {"FormatPointsText/ParsePointsTextToHmm", dialogTrip, 15},
        {"HmmToPoints/PointsToHmm", pairTrip, 15},
    };
    for (const Pair& pair : pairs) {
        for (int units = 0; units <= 4000; ++units) {
            const auto [text, read] = pair.trip(units);
            const auto [negativeText, negativeRead] = pair.trip(-units);
            ASSERT_LE(std::abs(read - units), pair.tolerance) << pair.name << " " << units;
            ASSERT_EQ(negativeRead, -read) << pair.name << " " << -units;
            ASSERT_EQ(pair.trip(read), std::make_pair(text, read)) << pair.name << " " << units;
            ASSERT_EQ(pair.trip(negativeRead), std::make_pair(negativeText, negativeRead)) << pair.name << " " << -units;
            if (!text.empty()) {
                ASSERT_EQ(negativeText, read == 0 ? text : u"-" + text) << pair.name << " " << -units;
            }
        }
    }
    // Tenths are truncated, not rounded, but a negative value still mirrors its positive one.
    for (int units = 0; units <= 4000; ++units) {
        int points = 0, tenths = 0, negativePoints = 0, negativeTenths = 0;
        HmmToPointsTenths(units, points, tenths);
        HmmToPointsTenths(-units, negativePoints, negativeTenths);
        ASSERT_EQ(std::make_pair(negativePoints, negativeTenths), std::make_pair(-points, -tenths)) << units;
    }
}
