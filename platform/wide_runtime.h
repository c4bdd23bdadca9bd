// The wide-character C runtime behaviour the document code relies on, over 16-bit units and
// independent of any system locale: printf-style formatting whose %s takes a 16-bit text, the
// scanner of patterns such as "%d.%dmm", integer parsing, the character classes of the Japanese
// locale, and the multibyte comparison of code page 932 texts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// One argument of WideFormat: an integer for %d %i %u %x %X %c, a 16-bit text for %s.
class WideFormatArg {
public:
    WideFormatArg(int value) : m_kind(Kind::Integer), m_integer(value) {}
    WideFormatArg(unsigned value) : m_kind(Kind::Integer), m_integer(value) {}
    WideFormatArg(long value) : m_kind(Kind::Integer), m_integer(value) {}
    WideFormatArg(unsigned long value) : m_kind(Kind::Integer), m_integer(static_cast<int64_t>(value)) {}
    WideFormatArg(long long value) : m_kind(Kind::Integer), m_integer(value) {}
    WideFormatArg(char16_t unit) : m_kind(Kind::Integer), m_integer(unit) {}
    WideFormatArg(const char16_t* text) : m_kind(Kind::Text), m_text(text ? text : u"(null)") {}
    WideFormatArg(std::u16string_view text) : m_kind(Kind::Text), m_text(text) {}

    bool IsText() const { return m_kind == Kind::Text; }
    int64_t Integer() const { return m_kind == Kind::Integer ? m_integer : 0; }
    std::u16string_view Text() const { return m_kind == Kind::Text ? m_text : std::u16string_view(); }

private:
    enum class Kind { Integer, Text };
    Kind m_kind;
    int64_t m_integer = 0;
    std::u16string_view m_text;
};

// printf-style formatting: %d %i %u %x %X %c %s %%, with the flags '-' and '0', a width and,
// for %s, a precision. The result holds at most maxUnits units; the rest is cut off.
// A conversion with no matching argument is written as if the argument were 0 or empty.
std::u16string WideFormat(std::u16string_view format, std::initializer_list<WideFormatArg> args,
                          size_t maxUnits = 1023);

// scanf-style scanning of %d conversions and literal units, as the C runtime's swscanf does:
// white space in the format skips any white space, %d skips leading white space and reads an
// optionally signed decimal number. Returns the number of conversions stored; a conversion
// that fails stops the scan and leaves its target and the following ones untouched.
int WideScan(std::u16string_view text, std::u16string_view format, std::initializer_list<int*> targets);

// The C runtime's _wtoi: leading white space, an optional sign, decimal digits; 0 when none.
int WideAtoi(std::u16string_view text);
// The C runtime's atoi on narrow text.
int NarrowAtoi(std::string_view text);

// Character classes of the Japanese locale.
bool IsWideSpace(char16_t unit);   // tab, LF, VT, FF, CR, space, U+3000
bool IsWideAlpha(char16_t unit);   // ASCII and full-width Latin letters, kana and ideographs
char16_t ToWideLower(char16_t unit);  // ASCII and full-width Latin capitals

// The C runtime's _mbscmp on code page 932 texts: compares character by character, a two-byte
// character as one value (lead byte × 256 + trail byte). Negative, 0 or positive.
int CompareMultiByte(std::string_view a, std::string_view b);
