#include "base/wide_string.h"

#include "platform/codepage.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <cstring>

namespace {

std::u16string_view UpToZero(const char16_t* text)
{
    return text ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

IMPLEMENT_SERIAL(CStringW, CObject, 1)

static_assert(std::endian::native == std::endian::little, "the short form's tag is the address's low byte");
static_assert(sizeof(void*) == sizeof(char16_t[4]));

CStringW::Body* CStringW::GetBody() const
{
    if (IsShort())
        return nullptr;
    Body* body = nullptr;
    std::memcpy(&body, m_word, sizeof body);
    return body;
}

std::u16string_view CStringW::View() const
{
    if (IsShort())
        return std::u16string_view(m_word + 1, m_word[0] >> 1);
    const Body* body = GetBody();
    return body != nullptr ? std::u16string_view(body->units) : std::u16string_view();
}

const char16_t* CStringW::c_str() const
{
    if (IsShort())
        return m_word + 1;
    const Body* body = GetBody();
    return body != nullptr ? body->units.c_str() : u"";
}

void CStringW::Release()
{
    delete GetBody();
    std::fill(std::begin(m_word), std::end(m_word), u'\0');
}

std::u16string& CStringW::MutableUnits()
{
    if (Body* body = GetBody())
        return body->units;
    auto body = std::make_unique<Body>();
    body->units.assign(View());
    return Hold(std::move(body));
}

std::u16string& CStringW::Hold(std::unique_ptr<Body> body)
{
    Body* held = body.release();
    std::memcpy(m_word, &held, sizeof held);
    return held->units;
}

void CStringW::Assign(std::u16string_view units)
{
    if (units.size() <= kShortLength) {
        // The units may lie in this string's own storage: copied out before it is dropped.
        char16_t copy[kShortLength] = {};
        std::copy(units.begin(), units.end(), copy);
        const size_t length = units.size();
        Release();
        if (length == 0)
            return;
        m_word[0] = static_cast<char16_t>(1 | length << 1);
        std::copy(copy, copy + length, m_word + 1);
        return;
    }
    if (Body* body = GetBody()) {
        body->units.assign(units);
        return;
    }
    // The body is filled before the string holds it, so a failed allocation leaves nothing
    // behind, also in a constructor whose string is never destroyed.
    auto body = std::make_unique<Body>();
    body->units.assign(units);
    Hold(std::move(body));
}

void CStringW::Assign(std::u16string&& units)
{
    if (units.size() <= kShortLength)
        Assign(std::u16string_view(units));
    else
        MutableUnits() = std::move(units);
}

CStringW::CStringW(char16_t unit) { Assign(std::u16string_view(&unit, 1)); }

CStringW::CStringW(const char16_t* text) { Assign(UpToZero(text)); }

CStringW::CStringW(const char* narrow)
{
    if (narrow && *narrow)
        Assign(Cp932ToWide(narrow));
}

CStringW::CStringW(std::u16string_view units) { Assign(units); }

CStringW::CStringW(const CStringW& other) : CObject() { Assign(other.View()); }

CStringW::CStringW(CStringW&& other) noexcept : CObject()
{
    std::copy(std::begin(other.m_word), std::end(other.m_word), m_word);
    std::fill(std::begin(other.m_word), std::end(other.m_word), u'\0');
}

CStringW::~CStringW() { delete GetBody(); }

CStringW& CStringW::operator=(const CStringW& other)
{
    if (this != &other)
        Assign(other.View());
    return *this;
}

CStringW& CStringW::operator=(CStringW&& other) noexcept
{
    if (this != &other) {
        Release();
        std::copy(std::begin(other.m_word), std::end(other.m_word), m_word);
        std::fill(std::begin(other.m_word), std::end(other.m_word), u'\0');
    }
    return *this;
}

CStringW& CStringW::operator=(char16_t unit)
{
    Assign(std::u16string_view(&unit, 1));
    return *this;
}

CStringW& CStringW::operator=(const char16_t* text)
{
    Assign(UpToZero(text));
    return *this;
}

CStringW& CStringW::operator=(const char* narrow)
{
    if (narrow && *narrow)
        Assign(Cp932ToWide(narrow));
    return *this;
}

void CStringW::AppendUnits(std::u16string_view units)
{
    if (units.empty())
        return;
    // Short units may be this string's own, which making its body overwrites: copied first.
    if (IsShort()) {
        const std::u16string copy(units);
        MutableUnits() += copy;
    } else {
        MutableUnits() += units;
    }
}

CStringW& CStringW::operator+=(const CStringW& other)
{
    AppendUnits(other.View());
    return *this;
}

CStringW& CStringW::operator+=(const char16_t* text)
{
    AppendUnits(UpToZero(text));
    return *this;
}

CStringW& CStringW::operator+=(char16_t unit)
{
    MutableUnits().push_back(unit);
    return *this;
}

char16_t CStringW::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return 0;
    return View()[static_cast<size_t>(index)];
}

const char* CStringW::GetAnsi()
{
    if (IsEmpty())
        return nullptr;
    MutableUnits();
    Body& body = *GetBody();
    body.ansi.reset();
    // The narrow form is taken up to the first zero unit, in a zero-filled buffer of 2 × length + 1.
    const std::string narrow = WideToCp932(UpToZero(body.units.c_str()));
    const size_t size = 2 * body.units.size() + 1;
    body.ansi = std::make_unique<char[]>(size);
    std::memcpy(body.ansi.get(), narrow.data(), std::min(narrow.size(), size - 1));
    return body.ansi.get();
}

int CStringW::Delete(int index, int count)
{
    const int length = GetLength();
    if (index < 0)
        index = 0;
    if (index >= length)
        index = length - 1;
    if (count > 0 && index >= 0) {
        const int removed = std::min(count, length - index);
        MutableUnits().erase(static_cast<size_t>(index), static_cast<size_t>(removed));
    }
    return GetLength();
}

CStringW& CStringW::TrimLeft()
{
    const std::u16string_view units = View();
    size_t first = 0;
    while (first < units.size() && IsWideSpace(units[first]))
        ++first;
    Assign(units.substr(first));
    return *this;
}

CStringW& CStringW::TrimRight()
{
    const std::u16string_view units = View();
    size_t end = units.size();
    while (end > 0 && IsWideSpace(units[end - 1]))
        --end;
    Assign(units.substr(0, end));
    return *this;
}

CStringW& CStringW::MakeLower()
{
    if (IsShort())
        for (size_t i = 1; i <= static_cast<size_t>(m_word[0] >> 1); ++i)
            m_word[i] = ToWideLower(m_word[i]);
    else if (Body* body = GetBody())
        for (char16_t& unit : body->units)
            unit = ToWideLower(unit);
    return *this;
}

CStringW CStringW::Mid(int start, int count) const
{
    const int length = GetLength();
    start = std::clamp(start, 0, length);
    count = std::clamp(count, 0, length - start);
    return CStringW(View().substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

CStringW CStringW::Mid(int start) const
{
    return Mid(start, GetLength());
}

CStringW CStringW::Left(int count) const
{
    return Mid(0, std::max(count, 0));
}

CStringW CStringW::Right(int count) const
{
    const int length = GetLength();
    count = std::clamp(count, 0, length);
    return Mid(length - count, count);
}

int CStringW::Compare(const char16_t* text) const
{
    const std::u16string_view mine = UpToZero(c_str());
    const int order = mine.compare(UpToZero(text));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CStringW::Find(char16_t unit) const
{
    const size_t at = View().find(unit);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::Find(const char16_t* text) const
{
    const size_t at = View().find(UpToZero(text));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::FindOneOf(const char16_t* set) const
{
    const std::u16string_view units = UpToZero(set);
    if (units.empty())
        return -1;
    const size_t at = View().find_first_of(units);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::FindFirstNotOf(const char16_t* set) const
{
    const size_t at = View().find_first_not_of(UpToZero(set));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

CStringW operator+(const CStringW& a, const CStringW& b)
{
    CStringW result(a);
    result += b;
    return result;
}

CStringW operator+(const CStringW& a, const char16_t* b)
{
    CStringW result(a);
    result += b;
    return result;
}

CStringW operator+(const char16_t* a, const CStringW& b)
{
    CStringW result(a);
    result += b;
    return result;
}

CStringW operator+(const CStringW& a, char16_t b)
{
    CStringW result(a);
    result += b;
    return result;
}

void CStringW::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // The length stays below 2^31 units, so the byte count fits in 32 bits.
        ar << static_cast<DWORD>(2 * View().size() + 2);
        ar.Write(c_str(), 2 * (View().size() + 1));
        return;
    }
    DWORD count = 0;
    ar >> count;
    if (count % 2 != 0)
        ar.ThrowException(CArchiveException::genericException);
    ar.CheckAvailable(count);
    std::u16string units(count / 2, u'\0');
    ar.ReadExact(units.data(), count);
    const size_t zero = units.find(u'\0');
    if (zero != std::u16string::npos)
        units.resize(zero);
    Assign(std::move(units));
}
