#include "base/number_labels.h"

#include <climits>
#include <string>
#include <string_view>

namespace {

// Tables indexed modulo their size begin with their last label, so the largest number lands on 0.
constexpr std::u16string_view kKanjiDigits = u"〇一二三四五六七八九";
constexpr std::u16string_view kFullWidthDigits = u"０１２３４５６７８９";
constexpr std::u16string_view kCircledNumbers = u"⑳①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲";
constexpr std::u16string_view kCircledIdeographs = u"㊉㊀㊁㊂㊃㊄㊅㊆㊇㊈";
constexpr std::u16string_view kKatakana =
    u"ンアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲ";
constexpr std::u16string_view kLowerLetters = u"ｚａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙ";
constexpr std::u16string_view kUpperLetters = u"ＺＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹ";
static_assert(kCircledNumbers.size() == 20 && kKatakana.size() == 46 && kLowerLetters.size() == 26);

constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr char16_t kBlackCircle = u'\u25CF';
constexpr char16_t kCircledZero = u'\u24EA';

constexpr const char16_t* kOperatorUnits = u"±×÷∝∞∽≒≠≡≦≧⊥・＋－＜＝＞";
constexpr const char16_t* kMathOperatorUnits = u"+-/(){}[],<>±＋－×÷（）｛｝［］〔〕〈〉＜＞≦≧＝≠≒，←→↑↓｜￣∫Σ";
constexpr const char16_t* kLineStartForbidden = u"、。，々〉》」』】〕゛゜ゝゞ・ヽヾ！％）°’”‰′″℃!%),.:;]}";

void PadToWidth(CStringW& result, int minimumWidth)
{
    if (minimumWidth > 0 && result.GetLength() < minimumWidth)
        result = CStringW(std::u16string(minimumWidth - result.GetLength(), kIdeographicSpace)) + result;
}

// The kanji numeral of 1 … 9999: the digit 1 is left out before 千, 百 and 十.
void AppendKanjiGroup(CStringW& result, int value)
{
    static constexpr char16_t kPowers[] = {u'千', u'百', u'十'};
    int divisor = 1000;
    for (char16_t power : kPowers) {
        const int digit = value / divisor;
        if (digit > 0) {
            if (digit != 1)
                result += kKanjiDigits[digit];
            result += power;
        }
        value %= divisor;
        divisor /= 10;
    }
    if (value > 0)
        result += kKanjiDigits[value];
}

// Labels of 1 … limit from a table that starts with its last label; 0 and numbers beyond the
// limit have labels of their own.
void TableLabel(int number, CStringW& result, std::u16string_view table, int limit, char16_t zeroLabel)
{
    result.Empty();
    if (number == 0)
        result = zeroLabel;
    else if (number < 0 || number > limit)
        result = kBlackCircle;
    else
        result = table[number % table.size()];
}

void Parenthesise(CStringW& result)
{
    result = u'(' + result + u')';
}

bool AllUnitsIn(const CStringW& text, const char16_t* set)
{
    return text.FindFirstNotOf(set) == -1;
}

} // namespace

void FormatKanjiNumber(int number, CStringW& result, int minimumWidth)
{
    result.Empty();
    if (number == 0) {
        result = u'零';
    } else if (number > 0) {
        // Groups of four digits under 億 and 万; a group of 1 keeps its 一 (一万).
        const int oku = number / 100000000;
        const int man = number / 10000 % 10000;
        const int rest = number % 10000;
        if (oku > 0) {
            AppendKanjiGroup(result, oku);
            result += u'億';
        }
        if (man > 0) {
            if (man == 1)
                result += u'一';
            else
                AppendKanjiGroup(result, man);
            result += u'万';
        }
        AppendKanjiGroup(result, rest);
    }
    PadToWidth(result, minimumWidth);
}

void FormatFullWidthNumber(int number, CStringW& result, int minimumWidth)
{
    result.Empty();
    if (number >= 0) {
        for (char digit : std::to_string(number))
            result += kFullWidthDigits[digit - '0'];
    }
    PadToWidth(result, minimumWidth);
}

void FormatCircledNumber(int number, CStringW& result)
{
    TableLabel(number, result, kCircledNumbers, 20, kCircledZero);
}

void FormatCircledIdeograph(int number, CStringW& result)
{
    TableLabel(number, result, kCircledIdeographs, INT_MAX, kCircledZero);
}

void FormatKatakanaLabel(int number, CStringW& result)
{
    TableLabel(number, result, kKatakana, 46, kIdeographicSpace);
}

void FormatLowerLetterLabel(int number, CStringW& result)
{
    TableLabel(number, result, kLowerLetters, 26, kIdeographicSpace);
}

void FormatUpperLetterLabel(int number, CStringW& result)
{
    TableLabel(number, result, kUpperLetters, 26, kIdeographicSpace);
}

void FormatParenFullWidthNumber(int number, CStringW& result)
{
    FormatFullWidthNumber(number, result, 0);
    Parenthesise(result);
}

void FormatParenKatakanaLabel(int number, CStringW& result)
{
    FormatKatakanaLabel(number, result);
    Parenthesise(result);
}

void FormatParenLowerLetterLabel(int number, CStringW& result)
{
    FormatLowerLetterLabel(number, result);
    Parenthesise(result);
}

void FormatParenUpperLetterLabel(int number, CStringW& result)
{
    FormatUpperLetterLabel(number, result);
    Parenthesise(result);
}

bool IsHalfWidthChar(char16_t unit)
{
    return unit <= 0x00FF || (unit >= 0xFF61 && unit <= 0xFF9F);
}

void ToFullWidthOperator(CStringW& text)
{
    if (text.IsEmpty())
        return;
    char16_t unit = text.GetAt(0);
    switch (unit) {
    case u'+': unit = u'＋'; break;
    case u'-': unit = u'－'; break;
    case u'<': unit = u'＜'; break;
    case u'=': unit = u'＝'; break;
    case u'>': unit = u'＞'; break;
    default: break;
    }
    text = unit;
}

bool IsOperatorChar(const CStringW& text)
{
    return !text.IsEmpty() && std::u16string_view(kOperatorUnits).find(text.GetAt(0)) != std::u16string_view::npos;
}

bool IsAllSpaces(const CStringW& text)
{
    return AllUnitsIn(text, u" ");
}

bool IsAllDigits(const CStringW& text)
{
    return AllUnitsIn(text, u"0123456789");
}

bool IsAllMathOperators(const CStringW& text)
{
    return AllUnitsIn(text, kMathOperatorUnits) || text == u"\u2322";
}

bool IsAllLineStartForbidden(const CStringW& text)
{
    return AllUnitsIn(text, kLineStartForbidden);
}

bool IsQuoteOrLetter(const CStringW& text)
{
    return AllUnitsIn(text, u"'\"") || (text.GetLength() == 1 && IsWideAlpha(text.GetAt(0)));
}
