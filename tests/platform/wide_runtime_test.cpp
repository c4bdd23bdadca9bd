#include "platform/wide_runtime.h"

#include <gtest/gtest.h>

#include <string>

TEST(WideFormat, Conversions)
{
    EXPECT_EQ(WideFormat(u"%s=%d", {u"値", 5}), u"値=5");
    EXPECT_EQ(WideFormat(u"%d.%dpt", {-10, 5}), u"-10.5pt");
    EXPECT_EQ(WideFormat(u"%08d|%-4d|%4d", {-42, 7, 7}), u"-0000042|7   |   7");
    EXPECT_EQ(WideFormat(u"%02x %X %x", {10, 0xABCu, -1}), u"0a ABC ffffffff");
    EXPECT_EQ(WideFormat(u"%s-%02d.bin", {u"paper", 3}), u"paper-03.bin");
    EXPECT_EQ(WideFormat(u"%c%%%5s|%-3s|%.2s", {u'Ｑ', u"ab", u"x", u"xyz"}), u"Ｑ%   ab|x  |xy");
    EXPECT_EQ(WideFormat(u"%d %s", {}), u"0 ");
}

TEST(WideFormat, ResultIsBounded)
{
    const std::u16string longText(5000, u'あ');
    EXPECT_EQ(WideFormat(u"%s%s", {longText.c_str(), u"x"}).size(), 1023u);
    EXPECT_EQ(WideFormat(u"%99999d", {1}).size(), 1023u);
    EXPECT_EQ(WideFormat(u"abc", {}, 2), u"ab");
}

TEST(WideScan, PatternsOfLengthTexts)
{
    struct Case { const char16_t* text; const char16_t* format; int count; int first; int second; };
    const Case cases[] = {
        {u"1.5mm", u"%d.%dmm", 2, 1, 5},
        {u"-10.25pt", u"%d.%dpt", 2, -10, 25},
        {u"12mm", u"%dmm", 1, 12, 99},
        {u" 7 . 3mm", u"%d.%dmm", 1, 7, 99},  // a unit that does not match stops the scan
        {u"x.5mm", u"%d.%dmm", 0, 99, 99},
        {u"", u"%d", 0, 99, 99},
    };
    for (const Case& c : cases) {
        int first = 99, second = 99;
        EXPECT_EQ(WideScan(c.text, c.format, {&first, &second}), c.count);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(second, c.second);
    }
}

TEST(WideRuntime, AtoiAndCharacterClasses)
{
    EXPECT_EQ(WideAtoi(u"  -12ab"), -12);
    EXPECT_EQ(WideAtoi(u"abc"), 0);
    EXPECT_EQ(NarrowAtoi("+34.5"), 34);
    EXPECT_TRUE(IsWideSpace(u'\u3000'));
    EXPECT_TRUE(IsWideSpace(u'\t'));
    EXPECT_FALSE(IsWideSpace(u'\u00A0'));
    EXPECT_TRUE(IsWideAlpha(u'x'));
    EXPECT_TRUE(IsWideAlpha(u'Ｘ'));
    EXPECT_TRUE(IsWideAlpha(u'漢'));
    EXPECT_FALSE(IsWideAlpha(u'1'));
    EXPECT_FALSE(IsWideAlpha(u'\''));
    EXPECT_EQ(ToWideLower(u'Q'), u'q');
    EXPECT_EQ(ToWideLower(u'Ｑ'), u'ｑ');
    EXPECT_EQ(ToWideLower(u'ア'), u'ア');
}

TEST(WideRuntime, MultiByteComparisonTakesPairsAsOneCharacter)
{
    EXPECT_EQ(CompareMultiByte("abc", "abc"), 0);
    EXPECT_LT(CompareMultiByte("ab", "abc"), 0);
    EXPECT_GT(CompareMultiByte("\x82\xA0", "\x82"), 0);
    // "ＭＳ" (82 6C 82 72) sorts after "z" because a pair compares as one value above any byte.
    EXPECT_GT(CompareMultiByte("\x82\x6C\x82\x72", "z"), 0);
    EXPECT_LT(CompareMultiByte("\x82\x6C", "\x82\x72"), 0);
}
