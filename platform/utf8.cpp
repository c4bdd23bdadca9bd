#include "platform/utf8.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Writes c at out and returns the place after it.
char* PutUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

char16_t* PutUtf16(char16_t* out, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        *out++ = static_cast<char16_t>(c);
    }
    return out;
}

// What a lead byte starts: the number of continuation bytes, the bits it gives and the range
// the first continuation byte must lie in (narrower than 80–BF where that range would allow an
// overlong form, a surrogate or a code point past U+10FFFF).
struct LeadByte {
    int continuations = -1;  // -1: the byte starts no sequence
    char32_t bits = 0;
    unsigned char firstLow = 0x80;
    unsigned char firstHigh = 0xBF;
};

LeadByte ReadLeadByte(unsigned char b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return LeadByte{1, char32_t(b & 0x1F)};
    if (b >= 0xE0 && b <= 0xEF)
        return LeadByte{2, char32_t(b & 0x0F), static_cast<unsigned char>(b == 0xE0 ? 0xA0 : 0x80),
                        static_cast<unsigned char>(b == 0xED ? 0x9F : 0xBF)};
    if (b >= 0xF0 && b <= 0xF4)
        return LeadByte{3, char32_t(b & 0x07), static_cast<unsigned char>(b == 0xF0 ? 0x90 : 0x80),
                        static_cast<unsigned char>(b == 0xF4 ? 0x8F : 0xBF)};
    return LeadByte{};
}

} // namespace

// Both conversions write into a buffer of the largest size the text can need and cut it to the
// size written: a unit of UTF-16 gives at most three bytes, a byte of UTF-8 at most one unit.
std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.resize(text.size() * 3);
    char* put = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            *put++ = static_cast<char>(c);
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (IsHighSurrogate(c) || IsLowSurrogate(c))
            c = kReplacement;
        put = PutUtf8(put, c);
    }
    out.resize(static_cast<size_t>(put - out.data()));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.resize(text.size());
    char16_t* put = out.data();
    size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            *put++ = static_cast<char16_t>(b0);
            ++i;
            continue;
        }
        const LeadByte lead = ReadLeadByte(b0);
        char32_t c = lead.bits;
        unsigned char low = lead.firstLow;
        unsigned char high = lead.firstHigh;
        // Take continuation bytes while they fit; the first that does not ends the sequence.
        int taken = 0;
        while (taken < lead.continuations && i + 1 + size_t(taken) < text.size()) {
            const auto b = static_cast<unsigned char>(text[i + 1 + size_t(taken)]);
            if (b < low || b > high)
                break;
            c = (c << 6) | (b & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++taken;
        }
        i += 1 + size_t(taken);
        if (taken == lead.continuations)
            put = PutUtf16(put, c);
        else
            *put++ = kReplacement;
    }
    out.resize(static_cast<size_t>(put - out.data()));
    return out;
}
