#include "platform/wide_runtime.h"

#include "platform/codepage.h"

#include <algorithm>
#include <climits>

namespace {

struct FormatSpec {
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
};

// Appends to the result without ever letting it grow past the limit.
class BoundedOutput {
public:
    explicit BoundedOutput(size_t limit) : m_limit(limit) {}
    void Put(char16_t unit)
    {
        if (m_text.size() < m_limit)
            m_text.push_back(unit);
    }
    void Put(std::u16string_view units)
    {
        for (char16_t u : units)
            Put(u);
    }
    void Pad(size_t count, char16_t unit)
    {
        for (size_t i = 0; i < count && m_text.size() < m_limit; ++i)
            m_text.push_back(unit);
    }
    std::u16string Take() { return std::move(m_text); }

private:
    size_t m_limit;
    std::u16string m_text;
};

std::u16string Digits(uint64_t value, unsigned base, bool upper)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string text;
    do {
        text.push_back(static_cast<char16_t>(digits[value % base]));
        value /= base;
    } while (value != 0);
    std::reverse(text.begin(), text.end());
    return text;
}

void PutPadded(BoundedOutput& out, const FormatSpec& spec, std::u16string_view sign, std::u16string_view body,
               bool numeric)
{
    const size_t length = sign.size() + body.size();
    const size_t padding = spec.width > length ? spec.width - length : 0;
    if (spec.leftAlign) {
        out.Put(sign);
        out.Put(body);
        out.Pad(padding, u' ');
    } else if (spec.zeroPad && numeric) {
        out.Put(sign);
        out.Pad(padding, u'0');
        out.Put(body);
    } else {
        out.Pad(padding, u' ');
        out.Put(sign);
        out.Put(body);
    }
}

bool IsDigit(char16_t u) { return u >= u'0' && u <= u'9'; }

} // namespace

std::u16string WideFormat(std::u16string_view format, std::initializer_list<WideFormatArg> args, size_t maxUnits)
{
    BoundedOutput out(maxUnits);
    const WideFormatArg* nextArg = args.begin();
    const WideFormatArg zero(0);
    auto takeArg = [&]() -> const WideFormatArg& { return nextArg != args.end() ? *nextArg++ : zero; };

    for (size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        if (c != u'%') {
            out.Put(c);
            continue;
        }
        if (++i >= format.size())
            break;
        FormatSpec spec;
        for (; i < format.size(); ++i) {
            if (format[i] == u'-')
                spec.leftAlign = true;
            else if (format[i] == u'0')
                spec.zeroPad = true;
            else if (format[i] == u'+' || format[i] == u' ' || format[i] == u'#')
                continue;
            else
                break;
        }
        for (; i < format.size() && IsDigit(format[i]); ++i)
            spec.width = std::min<size_t>(spec.width * 10 + (format[i] - u'0'), maxUnits);
        if (i < format.size() && format[i] == u'.') {
            spec.hasPrecision = true;
            for (++i; i < format.size() && IsDigit(format[i]); ++i)
                spec.precision = std::min<size_t>(spec.precision * 10 + (format[i] - u'0'), maxUnits);
        }
        // Size prefixes change nothing here: every integer argument already holds its value.
        while (i < format.size() && (format[i] == u'l' || format[i] == u'h' || format[i] == u'I' ||
                                     format[i] == u'6' || format[i] == u'4' || format[i] == u'w'))
            ++i;
        if (i >= format.size())
            break;
        switch (format[i]) {
        case u'%':
            out.Put(u'%');
            break;
        case u'd':
        case u'i': {
            const int64_t value = takeArg().Integer();
            const uint64_t magnitude = value < 0 ? uint64_t(0) - static_cast<uint64_t>(value) : value;
            PutPadded(out, spec, value < 0 ? u"-" : u"", Digits(magnitude, 10, false), true);
            break;
        }
        case u'u':
            PutPadded(out, spec, u"", Digits(static_cast<uint32_t>(takeArg().Integer()), 10, false), true);
            break;
        case u'x':
        case u'X':
            PutPadded(out, spec, u"", Digits(static_cast<uint32_t>(takeArg().Integer()), 16, format[i] == u'X'),
                      true);
            break;
        case u'c': {
            const char16_t unit = static_cast<char16_t>(takeArg().Integer());
            PutPadded(out, spec, u"", std::u16string_view(&unit, 1), false);
            break;
        }
        case u's': {
            std::u16string_view text = takeArg().Text();
            text = text.substr(0, text.find(u'\0'));
            if (spec.hasPrecision)
                text = text.substr(0, spec.precision);
            PutPadded(out, spec, u"", text, false);
            break;
        }
        default:
            // An unknown conversion is written as it stands.
            out.Put(format[i]);
            break;
        }
    }
    return out.Take();
}

int WideScan(std::u16string_view text, std::u16string_view format, std::initializer_list<int*> targets)
{
    size_t t = 0;
    int stored = 0;
    const auto* target = targets.begin();
    for (size_t f = 0; f < format.size(); ++f) {
        const char16_t c = format[f];
        if (IsWideSpace(c)) {
            while (t < text.size() && IsWideSpace(text[t]))
                ++t;
            continue;
        }
        if (c == u'%' && f + 1 < format.size() && format[f + 1] == u'd') {
            ++f;
            while (t < text.size() && IsWideSpace(text[t]))
                ++t;
            size_t p = t;
            bool negative = false;
            if (p < text.size() && (text[p] == u'-' || text[p] == u'+'))
                negative = text[p++] == u'-';
            if (p >= text.size() || !IsDigit(text[p]))
                return stored;
            int64_t value = 0;
            for (; p < text.size() && IsDigit(text[p]); ++p)
                value = std::min<int64_t>(value * 10 + (text[p] - u'0'), int64_t(1) << 40);
            t = p;
            if (negative)
                value = -value;
            if (target != targets.end()) {
                // An overflowing number wraps as the runtime's 32-bit store does.
                **target++ = static_cast<int>(static_cast<uint32_t>(value));
                ++stored;
            }
            continue;
        }
        if (c == u'%' && f + 1 < format.size() && format[f + 1] == u'%')
            ++f;
        if (t >= text.size() || text[t] != format[f])
            return stored;
        ++t;
    }
    return stored;
}

namespace {

template <typename Unit>
int ParseLeadingInt(const Unit* p, const Unit* end)
{
    auto space = [](Unit u) { return u == ' ' || (u >= 9 && u <= 13) || static_cast<char16_t>(u) == 0x3000; };
    while (p < end && space(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t(1) << 40);
    if (negative)
        value = -value;
    return static_cast<int>(static_cast<uint32_t>(value));
}

} // namespace

int WideAtoi(std::u16string_view text)
{
    text = text.substr(0, text.find(u'\0'));
    return ParseLeadingInt(text.data(), text.data() + text.size());
}

int NarrowAtoi(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    return ParseLeadingInt(text.data(), text.data() + text.size());
}

bool IsWideSpace(char16_t unit)
{
    return unit == u' ' || (unit >= 0x09 && unit <= 0x0D) || unit == 0x3000;
}

bool IsWideAlpha(char16_t unit)
{
    if ((unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z'))
        return true;
    if ((unit >= 0xFF21 && unit <= 0xFF3A) || (unit >= 0xFF41 && unit <= 0xFF5A))
        return true;  // full-width Latin
    if ((unit >= 0x00C0 && unit <= 0x024F && unit != 0x00D7 && unit != 0x00F7) || unit == 0x00AA || unit == 0x00B5 ||
        unit == 0x00BA)
        return true;  // Latin-1 and Latin Extended letters
    if ((unit >= 0x0391 && unit <= 0x03C9) || (unit >= 0x0401 && unit <= 0x0451))
        return true;  // Greek and Cyrillic
    if ((unit >= 0x3041 && unit <= 0x3096) || (unit >= 0x30A1 && unit <= 0x30FA) || unit == 0x30FC)
        return true;  // hiragana, katakana and the long vowel mark
    if (unit >= 0xFF66 && unit <= 0xFF9D)
        return true;  // half-width katakana
    if ((unit >= 0x3400 && unit <= 0x4DBF) || (unit >= 0x4E00 && unit <= 0x9FFF) || (unit >= 0xF900 && unit <= 0xFAFF))
        return true;  // ideographs
    return false;
}

char16_t ToWideLower(char16_t unit)
{
    if (unit >= u'A' && unit <= u'Z')
        return unit + 0x20;
    if (unit >= 0xFF21 && unit <= 0xFF3A)
        return unit + 0x20;
    return unit;
}

int CompareMultiByte(std::string_view a, std::string_view b)
{
    a = a.substr(0, a.find('\0'));
    b = b.substr(0, b.find('\0'));
    auto next = [](std::string_view s, size_t& i) -> unsigned {
        if (i >= s.size())
            return 0;
        const unsigned char lead = static_cast<unsigned char>(s[i++]);
        if (IsCp932LeadByte(lead) && i < s.size())
            return (lead << 8) | static_cast<unsigned char>(s[i++]);
        return lead;
    };
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        const unsigned ca = next(a, i);
        const unsigned cb = next(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}
