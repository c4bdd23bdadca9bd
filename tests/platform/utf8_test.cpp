#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

// One U+FFFD for each malformed sequence; the valid bytes after it are kept.
const DecodeCase kDecodeCases[] = {
    {"ascii", "AZ", u"AZ"},
    {"two bytes", "\xC3\xA9", u"\u00E9"},
    {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
    {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
    {"last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    {"lead byte then ascii", "\xC3\x42", u"\uFFFD" u"B"},
    {"three-byte lead then ascii", "\xE3\x81\x41", u"\uFFFD" u"A"},
    {"truncated at the end", "a\xE3\x81", u"a\uFFFD"},
    {"truncated four bytes at the end", "\xF0\x9F\x98", u"\uFFFD"},
    {"truncated before a full sequence", "\xE2\x82\xE2\x82\xAC", u"\uFFFD\u20AC"},
    {"stray continuation bytes", "\x80\xBF" "x", u"\uFFFD\uFFFD" u"x"},
    {"past U+10FFFF with F4", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"past U+10FFFF with F7", "\xF7\xBF\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"five-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"encoded high surrogate", "\xED\xA0\x80" "b", u"\uFFFD\uFFFD\uFFFD" u"b"},
    {"encoded low surrogate", "\xED\xB0\x80", u"\uFFFD\uFFFD\uFFFD"},
    {"last code point before the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
    {"overlong two bytes", "\xC0\xAF", u"\uFFFD\uFFFD"},
    {"overlong two bytes with C1", "\xC1\xBF", u"\uFFFD\uFFFD"},
    {"overlong three bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
    {"overlong four bytes", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"shortest three-byte form", "\xE0\xA0\x80", u"\u0800"},
    {"bytes FE and FF", "\xFE\xFF", u"\uFFFD\uFFFD"},
};

TEST(Utf8, DecodesTheTable)
{
    for (const DecodeCase& c : kDecodeCases)
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.name;
}

struct EncodeCase {
    const char* name;
    std::u16string text;
    std::string expected;
};

const EncodeCase kEncodeCases[] = {
    {"ascii and kana", u"a\u3042", "a\xE3\x81\x82"},
    {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
    {"lone high surrogate", u"\xD800" u"A", "\xEF\xBF\xBD" "A"},
    {"lone low surrogate", u"\xDC00", "\xEF\xBF\xBD"},
    {"pair in the wrong order", u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"high surrogate at the end", u"x\xDBFF", "x\xEF\xBF\xBD"},
};

TEST(Utf8, EncodesTheTable)
{
    for (const EncodeCase& c : kEncodeCases)
        EXPECT_EQ(Utf16ToUtf8(c.text), c.expected) << c.name;
}

TEST(Utf8, EveryCodePointSurvivesTheRoundTrip)
{
    std::u16string text;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
    }
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

} // namespace
