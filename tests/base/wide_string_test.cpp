#include "base/wide_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(WideString, ZeroUnitsCountWhenAddedOneByOne)
{
    EXPECT_EQ(CStringW(u'\0').GetLength(), 1);
    CStringW s(u"ab");
    s = u'\0';
    EXPECT_EQ(s.GetLength(), 1);
    s += u'\0';
    EXPECT_EQ(s.GetLength(), 2);
    CStringW t(u"a\0b");  // a zero-terminated text stops at its first zero
    EXPECT_EQ(t.GetLength(), 1);
    EXPECT_EQ(CStringW(u"abc").GetAt(3), u'\0');
    EXPECT_EQ(CStringW().GetAt(0), u'\0');
    EXPECT_EQ(CStringW().c_str()[0], u'\0');
}

TEST(WideString, NarrowConversions)
{
    CStringW s(u"abc");
    const char* narrow = s.GetAnsi();
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(std::memcmp(narrow, "abc\0\0\0\0", 7), 0);

    CStringW japanese(u"日本");
    EXPECT_STREQ(japanese.GetAnsi(), "\x93\xFA\x96\x7B");
    EXPECT_EQ(CStringW("\x93\xFA\x96\x7B"), u"日本");

    CStringW empty;
    EXPECT_EQ(empty.GetAnsi(), nullptr);

    CStringW kept(u"keep");
    kept = "";
    EXPECT_EQ(kept, u"keep");  // an empty narrow text leaves the string as it was
    kept = u"";
    EXPECT_TRUE(kept.IsEmpty());
}

TEST(WideString, DeleteClampsItsArguments)
{
    struct Case { int index, count; const char16_t* result; };
    const Case cases[] = {
        {5, 1, u"ab"}, {-3, 2, u"c"}, {1, 0, u"abc"}, {1, -4, u"abc"}, {1, 100, u"a"}, {0, 1, u"bc"},
    };
    for (const Case& c : cases) {
        CStringW s(u"abc");
        const int length = s.Delete(c.index, c.count);
        EXPECT_EQ(s, c.result) << c.index << "," << c.count;
        EXPECT_EQ(length, s.GetLength());
    }
    CStringW empty;
    EXPECT_EQ(empty.Delete(0, 3), 0);
}

TEST(WideString, Extraction)
{
    const CStringW s(u"abc");
    EXPECT_EQ(s.Mid(1, 100), u"bc");
    EXPECT_EQ(s.Mid(-1, 2), u"ab");
    EXPECT_EQ(s.Mid(0, 3), u"abc");
    EXPECT_EQ(s.Mid(3, 1), u"");
    EXPECT_EQ(s.Mid(9), u"");  // a start beyond the length reads nothing outside the string
    EXPECT_EQ(s.Left(5), u"abc");
    EXPECT_EQ(s.Left(-1), u"");
    EXPECT_EQ(s.Right(5), u"abc");
    EXPECT_EQ(s.Right(0), u"");
    EXPECT_EQ(s.Right(2), u"bc");
}

TEST(WideString, TrimAndLower)
{
    CStringW spaces(u"  ");
    EXPECT_TRUE(spaces.TrimLeft().IsEmpty());
    CStringW ideographic(u"a\u3000");
    EXPECT_EQ(ideographic.TrimRight(), u"a");
    CStringW mixed(u"\t\r\n x y \u3000");
    EXPECT_EQ(mixed.TrimLeft().TrimRight(), u"x y");
    CStringW letters(u"AbＣｄ日");
    EXPECT_EQ(letters.MakeLower(), u"abｃｄ日");
}

TEST(WideString, SearchAndCompare)
{
    const CStringW s(u"abcabc");
    const CStringW empty;
    EXPECT_EQ(s.Find(u'c'), 2);
    EXPECT_EQ(s.Find(u"ca"), 2);
    EXPECT_EQ(s.Find(u"x"), -1);
    EXPECT_EQ(s.Find(u"abcabcabc"), -1);
    EXPECT_EQ(empty.Find(u""), 0);
    EXPECT_EQ(s.FindOneOf(u"xc"), 2);
    EXPECT_EQ(s.FindOneOf(u""), -1);
    EXPECT_EQ(empty.FindOneOf(u"a"), -1);
    EXPECT_EQ(s.FindFirstNotOf(u"ab"), 2);
    EXPECT_EQ(s.FindFirstNotOf(u"abc"), -1);
    EXPECT_EQ(s.FindFirstNotOf(u""), 0);
    EXPECT_EQ(empty.FindFirstNotOf(u"0123456789"), -1);
    EXPECT_EQ(s.Compare(u"abcabc"), 0);
    EXPECT_LT(s.Compare(u"abd"), 0);
    EXPECT_GT(CStringW(u"\uFF41").Compare(u"z"), 0);  // ordinal on unsigned units
    EXPECT_TRUE(empty == u"");
    EXPECT_TRUE(s != CStringW(u"abc"));
}

TEST(WideString, FormatTakesWideTextsAndIsBounded)
{
    CStringW s;
    const CStringW name(u"問題");
    s.Format(u"%s:%d", name, 5);
    EXPECT_EQ(s, u"問題:5");
    s.Format(u"%s/%s", u"a", name);
    EXPECT_EQ(s, u"a/問題");
    const CStringW huge(std::u16string(3000, u'x'));
    s.Format(u"%s", huge);
    EXPECT_EQ(s.GetLength(), 1023);
}

TEST(WideString, CopiesAreIndependent)
{
    CStringW a(u"abc");
    CStringW b = a;
    b += u"d";
    EXPECT_EQ(a, u"abc");
    EXPECT_EQ(b, u"abcd");
    EXPECT_EQ(a + u'x' + CStringW(u"y"), u"abcxy");
    EXPECT_EQ(u"<" + a, u"<abc");
}

// Texts of one or two units live in the string itself, longer ones on the heap: every change
// that crosses between the two forms, or takes the string's own units, keeps the text right.
TEST(WideString, ShortAndLongFormsChangeIntoEachOther)
{
    CStringW s(u'a');
    s += s;
    EXPECT_EQ(s, u"aa");
    EXPECT_EQ(s.c_str()[2], u'\0');
    s += s;
    EXPECT_EQ(s, u"aaaa");
    s += s.c_str();
    EXPECT_EQ(s, u"aaaaaaaa");
    s = s.Left(2);
    EXPECT_EQ(s, u"aa");
    s = u"  x  ";
    s.TrimLeft().TrimRight();
    EXPECT_EQ(s, u"x");
    s.TrimLeft();
    EXPECT_EQ(s, u"x");
    s = u"XY";
    s.MakeLower();
    EXPECT_EQ(s, u"xy");
    EXPECT_EQ(s.Find(u'y'), 1);
    EXPECT_STREQ(s.GetAnsi(), "xy");
    EXPECT_EQ(s, u"xy");
    s.Delete(0, 2);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.c_str()[0], u'\0');

    CStringW moved(u"z");
    CStringW target(u"long text");
    target = std::move(moved);
    EXPECT_EQ(target, u"z");
    CStringW taken(std::move(target));
    EXPECT_EQ(taken, u"z");
    taken = taken;
    EXPECT_EQ(taken, u"z");
    EXPECT_EQ(CStringW(u"\xD83D\xDE00").GetLength(), 2);  // a surrogate pair
}
