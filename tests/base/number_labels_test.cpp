#include "base/number_labels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using LabelFunction = void (*)(int, CStringW&);

struct LabelCase {
    LabelFunction format;
    int number;
    const char16_t* label;
};

} // namespace

TEST(NumberLabels, KanjiNumbers)
{
    struct Case { int number, width; const char16_t* label; };
    const Case cases[] = {
        {0, 0, u"零"},     {7, 0, u"七"},           {10, 0, u"十"},       {12, 0, u"十二"},
        {20, 0, u"二十"},  {100, 0, u"百"},         {105, 0, u"百五"},    {110, 0, u"百十"},
        {234, 0, u"二百三十四"},                     {10, 2, u"\u3000十"}, {7, 1, u"七"},
        {1000, 0, u"千"},  {1001, 0, u"千一"},      {2345, 0, u"二千三百四十五"},
        {10000, 0, u"一万"}, {21000, 0, u"二万千"}, {-5, 2, u"\u3000\u3000"},
    };
    for (const Case& c : cases) {
        CStringW label(u"old");
        FormatKanjiNumber(c.number, label, c.width);
        EXPECT_EQ(label, c.label) << c.number;
    }
}

TEST(NumberLabels, FullWidthNumbers)
{
    struct Case { int number, width; const char16_t* label; };
    const Case cases[] = {
        {0, 0, u"０"}, {42, 0, u"４２"}, {105, 0, u"１０５"}, {100, 0, u"１００"},
        {7, 3, u"\u3000\u3000７"}, {1000, 0, u"１０００"}, {12345, 2, u"１２３４５"}, {-3, 0, u""},
    };
    for (const Case& c : cases) {
        CStringW label(u"old");
        FormatFullWidthNumber(c.number, label, c.width);
        EXPECT_EQ(label, c.label) << c.number;
    }
}

TEST(NumberLabels, TableLabels)
{
    const LabelCase cases[] = {
        {FormatCircledNumber, 0, u"⓪"},       {FormatCircledNumber, 1, u"①"},
        {FormatCircledNumber, 20, u"⑳"},      {FormatCircledNumber, 21, u"●"},
        {FormatCircledNumber, -1, u"●"},
        {FormatCircledIdeograph, 0, u"⓪"},    {FormatCircledIdeograph, 1, u"㊀"},
        {FormatCircledIdeograph, 10, u"㊉"},  {FormatCircledIdeograph, 20, u"㊉"},
        {FormatCircledIdeograph, 11, u"㊀"},  {FormatCircledIdeograph, -7, u"●"},
        {FormatKatakanaLabel, 0, u"\u3000"},  {FormatKatakanaLabel, 1, u"ア"},
        {FormatKatakanaLabel, 45, u"ヲ"},     {FormatKatakanaLabel, 46, u"ン"},
        {FormatKatakanaLabel, 47, u"●"},
        {FormatLowerLetterLabel, 1, u"ａ"},   {FormatLowerLetterLabel, 26, u"ｚ"},
        {FormatLowerLetterLabel, 27, u"●"},   {FormatLowerLetterLabel, -1, u"●"},
        {FormatUpperLetterLabel, 2, u"Ｂ"},   {FormatUpperLetterLabel, 26, u"Ｚ"},
        {FormatParenFullWidthNumber, 12, u"(１２)"},
        {FormatParenKatakanaLabel, 0, u"(\u3000)"}, {FormatParenKatakanaLabel, 3, u"(ウ)"},
        {FormatParenLowerLetterLabel, 3, u"(ｃ)"},  {FormatParenUpperLetterLabel, 27, u"(●)"},
    };
    for (const LabelCase& c : cases) {
        CStringW label(u"old");
        c.format(c.number, label);
        EXPECT_EQ(label, c.label) << c.number << " gave " << label.GetLength() << " units";
    }
}

TEST(NumberLabels, CharacterClasses)
{
    EXPECT_TRUE(IsHalfWidthChar(u'a'));
    EXPECT_TRUE(IsHalfWidthChar(u'\u00FF'));
    EXPECT_TRUE(IsHalfWidthChar(u'ｱ'));
    EXPECT_FALSE(IsHalfWidthChar(u'\u0100'));
    EXPECT_FALSE(IsHalfWidthChar(u'ア'));

    CStringW op(u"+1");
    ToFullWidthOperator(op);
    EXPECT_EQ(op, u"＋");
    CStringW letter(u"ab");
    ToFullWidthOperator(letter);
    EXPECT_EQ(letter, u"a");
    CStringW none;
    ToFullWidthOperator(none);
    EXPECT_TRUE(none.IsEmpty());

    EXPECT_TRUE(IsOperatorChar(CStringW(u"≠x")));
    EXPECT_TRUE(IsOperatorChar(CStringW(u"・")));
    EXPECT_FALSE(IsOperatorChar(CStringW(u"+")));
    EXPECT_FALSE(IsOperatorChar(CStringW()));

    struct SetCase { bool (*test)(const CStringW&); const char16_t* text; bool expected; };
    const SetCase cases[] = {
        {IsAllSpaces, u"", true},           {IsAllSpaces, u"  ", true},
        {IsAllSpaces, u" \u3000", false},   {IsAllDigits, u"0129", true},
        {IsAllDigits, u"１", false},        {IsAllDigits, u"", true},
        {IsAllMathOperators, u"", true},    {IsAllMathOperators, u"\u2322", true},
        {IsAllMathOperators, u"\u2322\u2322", false},
        {IsAllMathOperators, u"(Σ∫)＝", true}, {IsAllMathOperators, u"x+", false},
        {IsAllLineStartForbidden, u"、。」", true}, {IsAllLineStartForbidden, u"」あ", false},
        {IsAllLineStartForbidden, u"", true},  {IsAllLineStartForbidden, u"℃", true},
        {IsQuoteOrLetter, u"", true},       {IsQuoteOrLetter, u"'\"'", true},
        {IsQuoteOrLetter, u"x", true},      {IsQuoteOrLetter, u"xy", false},
        {IsQuoteOrLetter, u"1", false},     {IsQuoteOrLetter, u"'x", false},
    };
    for (const SetCase& c : cases)
        EXPECT_EQ(c.test(CStringW(c.text)), c.expected) << std::u16string(c.text).size();
}
