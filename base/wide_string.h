// CStringW: the system's string of 16-bit UTF-16 code units. Every index, count and length is in
// code units; nothing interprets surrogate pairs.
#pragma once

#include "platform/archive.h"
#include "platform/wide_runtime.h"

#include <memory>
#include <string>
#include <string_view>

class CStringW : public CObject {
    DECLARE_SERIAL(CStringW)
public:
    CStringW() = default;
    CStringW(char16_t unit);                // exactly one unit, also when it is zero
    CStringW(const char16_t* text);         // units up to the first zero
    CStringW(const char* narrow);           // code page 932 text
    CStringW(std::u16string_view units);    // every unit, zero units included
    CStringW(const CStringW& other);
    CStringW(CStringW&& other) noexcept;
    ~CStringW();

    CStringW& operator=(const CStringW& other);
    CStringW& operator=(CStringW&& other) noexcept;
    CStringW& operator=(char16_t unit);
    CStringW& operator=(const char16_t* text);
    CStringW& operator=(const char* narrow);  // an empty narrow text leaves the string as it was

    CStringW& operator+=(const CStringW& other);
    CStringW& operator+=(const char16_t* text);
    CStringW& operator+=(char16_t unit);

    int GetLength() const { return static_cast<int>(View().size()); }
    bool IsEmpty() const { return View().empty(); }
    // The unit at index; index = length gives the terminating zero. Outside 0 … length gives 0.
    char16_t GetAt(int index) const;
    const char16_t* c_str() const;
    std::u16string_view View() const;

    // A code page 932 copy owned by the string until the next GetAnsi or its destruction;
    // null for an empty string. Made anew on every call.
    const char* GetAnsi();

    void Empty() { Release(); }
    int Delete(int index, int count = 1);
    CStringW& TrimLeft();
    CStringW& TrimRight();
    CStringW& MakeLower();

    // printf-style formatting (see WideFormat): %s takes a 16-bit text or a CStringW, %d an int.
    // The result holds at most 1023 units.
    template <typename... Args>
    void Format(const char16_t* format, const Args&... args)
    {
        Assign(WideFormat(format, {ToFormatArg(args)...}, kFormatLimit));
    }

    CStringW Mid(int start, int count) const;
    CStringW Mid(int start) const;
    CStringW Left(int count) const;
    CStringW Right(int count) const;

    int Compare(const char16_t* text) const;
    int Find(char16_t unit) const;
    int Find(const char16_t* text) const;
    int FindOneOf(const char16_t* set) const;
    int FindFirstNotOf(const char16_t* set) const;

    friend bool operator==(const CStringW& a, const CStringW& b) { return a.View() == b.View(); }
    friend bool operator==(const CStringW& a, const char16_t* b) { return a.View() == std::u16string_view(b); }
    friend bool operator<(const CStringW& a, const CStringW& b) { return a.View() < b.View(); }

    friend CStringW operator+(const CStringW& a, const CStringW& b);
    friend CStringW operator+(const CStringW& a, const char16_t* b);
    friend CStringW operator+(const char16_t* a, const CStringW& b);
    friend CStringW operator+(const CStringW& a, char16_t b);

    static constexpr size_t kFormatLimit = 1023;

    // Stream form: a 32-bit byte count 2 × length + 2, the units in UTF-16LE, a zero unit.
    // Loading takes the units before the first zero; an odd count or one beyond the data raises
    // the archive exception and leaves the string as it was.
    void Serialize(CArchive& ar) override;

private:
    static WideFormatArg ToFormatArg(const CStringW& s) { return WideFormatArg(s.View()); }
    template <typename T>
    static WideFormatArg ToFormatArg(const T& value) { return WideFormatArg(value); }

    // Most strings of a paper's nodes are empty or hold one character (a node per character):
    // those hold no body. The string's one word is all zero when empty; else either the address
    // of a body on the heap or, for up to kShortLength units, the units themselves after an odd
    // tag unit (a body's address is even), followed by a zero unit.
    struct Body {
        std::u16string units;
        std::unique_ptr<char[]> ansi;  // the last GetAnsi copy
    };
    static constexpr size_t kShortLength = 2;
    Body* GetBody() const;
    bool IsShort() const { return (m_word[0] & 1) != 0; }
    // The units held in a body, made from the short form (or empty) when there is none.
    std::u16string& MutableUnits();
    // Takes a filled body in place of the short form, which it must not be holding.
    std::u16string& Hold(std::unique_ptr<Body> body);
    void Assign(std::u16string_view units);
    void Assign(std::u16string&& units);
    void AppendUnits(std::u16string_view units);
    // Drops the body or the short units: the string is empty.
    void Release();

    alignas(void*) char16_t m_word[4] = {};
};
static_assert(sizeof(CStringW) == 2 * sizeof(void*));
