#include "base/wide_string.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstring>

namespace {

std::u16string_view UpToZero(const char16_t* text)
{
    return text ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

IMPLEMENT_SERIAL(CStringW, CObject, 1)

const std::u16string& CStringW::Units() const
{
    static const std::u16string empty;
    return m_body != nullptr ? m_body->units : empty;
}

std::u16string& CStringW::MutableUnits()
{
    if (m_body == nullptr)
        m_body = std::make_unique<Body>();
    return m_body->units;
}

void CStringW::Assign(std::u16string_view units)
{
    if (units.empty())
        m_body.reset();
    else
        MutableUnits().assign(units);
}

void CStringW::Assign(std::u16string&& units)
{
    if (units.empty())
        m_body.reset();
    else
        MutableUnits() = std::move(units);
}

CStringW::CStringW(char16_t unit) { MutableUnits().assign(1, unit); }

CStringW::CStringW(const char16_t* text) { Assign(UpToZero(text)); }

CStringW::CStringW(const char* narrow)
{
    if (narrow && *narrow)
        Assign(Cp932ToWide(narrow));
}

CStringW::CStringW(std::u16string_view units) { Assign(units); }

CStringW::CStringW(const CStringW& other) : CObject() { Assign(other.View()); }

CStringW::CStringW(CStringW&& other) noexcept : CObject(), m_body(std::move(other.m_body)) {}

CStringW::~CStringW() = default;

CStringW& CStringW::operator=(const CStringW& other)
{
    if (this != &other)
        Assign(other.View());
    return *this;
}

CStringW& CStringW::operator=(CStringW&& other) noexcept
{
    if (this != &other)
        m_body = std::move(other.m_body);
    return *this;
}

CStringW& CStringW::operator=(char16_t unit)
{
    MutableUnits().assign(1, unit);
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

CStringW& CStringW::operator+=(const CStringW& other)
{
    if (!other.IsEmpty())
        MutableUnits() += other.View();
    return *this;
}

CStringW& CStringW::operator+=(const char16_t* text)
{
    const std::u16string_view units = UpToZero(text);
    if (!units.empty())
        MutableUnits() += units;
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
    return Units()[index];
}

const char* CStringW::GetAnsi()
{
    if (IsEmpty())
        return nullptr;
    Body& body = *m_body;
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
    if (m_body != nullptr)
        for (char16_t& unit : m_body->units)
            unit = ToWideLower(unit);
    return *this;
}

CStringW CStringW::Mid(int start, int count) const
{
    const int length = GetLength();
    start = std::clamp(start, 0, length);
    count = std::clamp(count, 0, length - start);
    return CStringW(std::u16string_view(Units()).substr(start, count));
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
    const std::u16string_view mine = UpToZero(Units().c_str());
    const int order = mine.compare(UpToZero(text));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CStringW::Find(char16_t unit) const
{
    const size_t at = Units().find(unit);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::Find(const char16_t* text) const
{
    const size_t at = Units().find(UpToZero(text));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::FindOneOf(const char16_t* set) const
{
    const std::u16string_view units = UpToZero(set);
    if (units.empty())
        return -1;
    const size_t at = Units().find_first_of(units);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::FindFirstNotOf(const char16_t* set) const
{
    const size_t at = Units().find_first_not_of(UpToZero(set));
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
        ar << static_cast<DWORD>(2 * Units().size() + 2);
        ar.Write(Units().c_str(), 2 * (Units().size() + 1));
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
