#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr char16_t kDefaultWideChar = u'\u30FB';
constexpr char kDefaultNarrowChar = '?';

// One conversion descriptor per direction, opened on first use and reset before each call.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    iconv_t Get()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

// Converts one character (one or two bytes, or one or two units) and reports the bytes written,
// or -1 when the character has no form in the target encoding.
size_t ConvertOne(iconv_t cd, const char* in, size_t inBytes, char* out, size_t outBytes)
{
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    size_t inLeft = inBytes;
    size_t outLeft = outBytes;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return static_cast<size_t>(-1);
    return outBytes - outLeft;
}

bool IsCp932TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Single bytes that the system conversion decodes although iconv's table has no entry for them.
bool DecodeSystemOnlyByte(unsigned char b, char16_t& out)
{
    switch (b) {
    case 0x80: out = 0x0080; return true;
    case 0xA0: out = 0xF8F0; return true;
    case 0xFD: out = 0xF8F1; return true;
    case 0xFE: out = 0xF8F2; return true;
    case 0xFF: out = 0xF8F3; return true;
    default: return false;
    }
}

bool EncodeSystemOnlyUnit(char16_t u, char& out)
{
    switch (u) {
    case 0x0080: out = static_cast<char>(0x80); return true;
    case 0xF8F0: out = static_cast<char>(0xA0); return true;
    case 0xF8F1: out = static_cast<char>(0xFD); return true;
    case 0xF8F2: out = static_cast<char>(0xFE); return true;
    case 0xF8F3: out = static_cast<char>(0xFF); return true;
    default: return false;
    }
}

} // namespace

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string WideToCp932(std::u16string_view text)
{
    thread_local IconvHandle handle("CP932", "UTF-16LE");
    iconv_t cd = handle.Get();
    std::string result;
    result.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            result.push_back(static_cast<char>(unit));
            continue;
        }
        char special;
        if (EncodeSystemOnlyUnit(unit, special)) {
            result.push_back(special);
            continue;
        }
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // No character outside the basic plane has a form in code page 932.
            result.push_back(kDefaultNarrowChar);
            ++i;
            continue;
        }
        const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        char out[8];
        const size_t written = ConvertOne(cd, in, 2, out, sizeof out);
        if (written == static_cast<size_t>(-1) || written == 0) {
            result.push_back(kDefaultNarrowChar);
            cd = handle.Get();
        } else {
            result.append(out, written);
        }
    }
    return result;
}

std::u16string Cp932ToWide(std::string_view bytes)
{
    thread_local IconvHandle handle("UTF-16LE", "CP932");
    iconv_t cd = handle.Get();
    std::u16string result;
    result.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            result.push_back(b);
            continue;
        }
        char16_t special;
        if (DecodeSystemOnlyByte(b, special)) {
            result.push_back(special);
            continue;
        }
        const size_t length = (IsCp932LeadByte(b) && i + 1 < bytes.size()) ? 2 : 1;
        char out[8];
        const size_t written = ConvertOne(cd, bytes.data() + i, length, out, sizeof out);
        if (written == 2) {
            result.push_back(static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                   (static_cast<unsigned char>(out[1]) << 8)));
            i += length - 1;
        } else {
            // An unassigned pair gives one default character. A lead byte followed by a byte
            // that cannot be a trail byte gives one for itself, and that byte is read again.
            result.push_back(kDefaultWideChar);
            if (length == 2 && IsCp932TrailByte(static_cast<unsigned char>(bytes[i + 1])))
                ++i;
            cd = handle.Get();
        }
    }
    return result;
}
