// The formatting records shared by element objects and editing nodes: font, colour, border and
// background, block margins, inline margins, area size, line spacing and alignment, character
// decoration, script position and underline numbering, with the page and points-label records.
// Lengths are in 1/100 mm. The node archive stores most of these records as raw images, so their
// field order and widths are a stored format: each such record's size is checked below.
//
// Style codes: 0 none, 1 solid, 2 double, 3 dotted, 4 dashed, 5 dot-dash, 6 dot-dot-dash, 7 wave.
// Side widths: 1 normal, 3 thick.
#pragma once

#include "base/wide_string.h"
#include "platform/win_types.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>

// Face names in code page 932: "ＭＳ Ｐ明朝", the default face of text and labels.
inline constexpr const char kMsPMinchoFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";

// The face name held in a 32-byte array: the bytes before its terminator, or all 32 bytes when
// it has none (a face read raw from a stream).
std::string_view FaceNameView(const char (&face)[LF_FACESIZE]);
// Copies a face name into a 32-byte array. A name longer than 31 bytes is cut at 31 bytes or,
// when that would split a two-byte character, one byte earlier; the rest is zero-filled.
// Bytes after a zero in source are ignored. face and source may overlap.
void CopyFaceName(char (&face)[LF_FACESIZE], std::string_view source);

class CFontProperties {
public:
    CFontProperties() { SetDefaults(); }
    // Face "ＭＳ Ｐ明朝", 10.5 pt, normal width, upright, weight 400.
    void SetDefaults();
    CFontProperties& Copy(const CFontProperties& other);

    char m_fontFace[LF_FACESIZE];  // code page 932, zero-terminated
    int32_t m_fontSize;
    int32_t m_fontWidth;   // 0 normal, 1 condensed, 2 expanded
    int32_t m_fontItalic;  // 1 italic, 0 upright
    int32_t m_fontWeight;  // 400 normal, 700 bold; other values pass through
};

class CColorRelatedProperties {
public:
    void Clear() { m_color = 0; }
    CColorRelatedProperties& Copy(const CColorRelatedProperties& other);

    COLORREF m_color = 0;  // text colour
};

// The codes the records below hold, by field.
// m_textAlign of a block.
namespace TextAlign {
constexpr int32_t kLeft = 0;
constexpr int32_t kCenter = 1;
constexpr int32_t kRight = 2;
constexpr int32_t kJustify = 3;
constexpr int32_t kDistribute = 4;
}  // namespace TextAlign
// m_scriptPosition of a run.
namespace ScriptPosition {
constexpr int32_t kNormal = 0;
constexpr int32_t kSubscript = 1;
constexpr int32_t kSuperscript = 2;
}  // namespace ScriptPosition
// m_underlineStyle, m_lineThroughStyle and the border styles: none, then "solid" to "wave".
namespace LineStyle {
constexpr int32_t kNone = 0;
constexpr int32_t kSolid = 1;
constexpr int32_t kDouble = 2;
constexpr int32_t kDotted = 3;
constexpr int32_t kDashed = 4;
constexpr int32_t kDotDash = 5;
constexpr int32_t kDotDotDash = 6;
constexpr int32_t kWave = 7;
}  // namespace LineStyle
// m_backgroundPattern: none, then the six hatchings.
namespace HatchPattern {
constexpr int32_t kNone = 0;
constexpr int32_t kHorizontal = 1;
constexpr int32_t kDiagCross = 6;
}  // namespace HatchPattern
// m_renbanType of a labelled underline: none, the five numbered forms, then the fixed label text.
namespace RenbanType {
constexpr int32_t kNone = 0;
constexpr int32_t kMaru = 1;
constexpr int32_t kString = 6;
}  // namespace RenbanType

class CBorderPaddingBackgroundProperties {
public:
    CBorderPaddingBackgroundProperties() { SetDefaults(); }
    // No background, no pattern, every style 0 and every width 1.
    void SetDefaults();
    CBorderPaddingBackgroundProperties& Copy(const CBorderPaddingBackgroundProperties& other);

    COLORREF m_backgroundColor;   // 0xFFFFFF: none
    int32_t m_backgroundPattern;  // 0 none, 1 horizontal, 2 vertical, 3 fdiagonal, 4 bdiagonal, 5 cross, 6 diagcross
    int32_t m_borderStyle;        // the frame round the area
    int32_t m_borderWidth;        // a length when read from "border-width", else a side width
    int32_t m_beforeStyle;        // top side in horizontal writing
    int32_t m_beforeWidth;
    int32_t m_afterStyle;         // bottom side in horizontal writing
    int32_t m_afterWidth;
};

class CBlockMarginProperties {
public:
    void Clear() { *this = CBlockMarginProperties(); }

    int32_t m_marginLeft = 0;
    int32_t m_marginTop = 0;
    int32_t m_marginRight = 0;
    int32_t m_marginBottom = 0;
};

// No fields: in the classes that carry it, CAreaAlignmentProperties follows at the same place.
class CInlineMarginProperties {};

class CAreaDimensionProperties {
public:
    void Clear() { *this = CAreaDimensionProperties(); }
    CAreaDimensionProperties& Copy(const CAreaDimensionProperties& other);

    int32_t m_areaWidth = 0;
    int32_t m_areaHeight = 0;
};

class CBlockLineRelatedProperties {
public:
    CBlockLineRelatedProperties() { SetDefaults(); }
    // Line spacing 2 pt, left aligned.
    void SetDefaults();
    CBlockLineRelatedProperties& Copy(const CBlockLineRelatedProperties& other);

    int32_t m_lineReserved1;
    int32_t m_lineSpacing;  // "line-height.optimum"
    int32_t m_lineReserved2;
    int32_t m_textAlign;    // 0 left, 1 center, 2 right, 3 justify, 4 distribute
};

class CCharacterProperties {
public:
    void Clear() { *this = CCharacterProperties(); }
    CCharacterProperties& Copy(const CCharacterProperties& other);

    int32_t m_charReserved1 = 0;
    int32_t m_letterSpacing = 0;  // "letter-spacing.optimum"
    int32_t m_charReserved2 = 0;
    int32_t m_underlineWidth = 0;    // side width
    int32_t m_lineThroughWidth = 0;  // side width
    int32_t m_underlineStyle = 0;    // style code
    int32_t m_lineThroughStyle = 0;  // style code
};

class CAreaAlignmentProperties {
public:
    void SetDefaults() { *this = CAreaAlignmentProperties(); }
    CAreaAlignmentProperties& Copy(const CAreaAlignmentProperties& other);

    int32_t m_alignReserved = 1;
    int32_t m_scriptPosition = 0;  // 0 normal, 1 subscript, 2 superscript
};

// A text that nearly every record leaves empty, held apart: an empty one takes the room of a
// pointer, which matters in a record every character node carries.
class CRareText {
public:
    CRareText() = default;
    CRareText(const CRareText& other) { *this = other; }
    CRareText(CRareText&&) noexcept = default;
    CRareText& operator=(const CRareText& other)
    {
        if (this != &other)
            *this = other.Text();
        return *this;
    }
    CRareText& operator=(CRareText&&) noexcept = default;
    CRareText& operator=(const CStringW& text)
    {
        m_text = text.IsEmpty() ? nullptr : std::make_unique<CStringW>(text);
        return *this;
    }

    bool IsEmpty() const { return m_text == nullptr; }
    void Empty() { m_text.reset(); }
    const CStringW& Text() const
    {
        static const CStringW none;
        return m_text != nullptr ? *m_text : none;
    }
    operator const CStringW&() const { return Text(); }
    std::u16string_view View() const { return Text().View(); }

private:
    std::unique_ptr<CStringW> m_text;
};

// Numbering of labelled underlines and the font of their labels.
class CKasenRenbanProperties {
public:
    CKasenRenbanProperties() { SetDefaults(); }
    // Automatic numbering, no label form, face "ＭＳ Ｐ明朝", 5 pt, empty label text.
    void SetDefaults();
    CKasenRenbanProperties& Copy(const CKasenRenbanProperties& other);

    int32_t m_renbanForce;  // forced number; 0 or less numbers automatically
    int32_t m_renbanType;   // 0 none, 1 maru, 2 kakko, 3 kana, 4 alpha, 5 alpha-cap, 6 string
    char m_renbanFace[LF_FACESIZE];  // code page 932, zero-terminated
    int32_t m_renbanSize;
    CStringW m_renbanString;  // label text of type 6

    // A label size text that is no length this system reads ("1.2em"), with the size the record
    // had when it was read: it is written back unchanged while the size stays as it was.
    CRareText m_unreadableRenbanSizeText;
    int32_t m_sizeBesideUnreadableText = 0;
    // Whether the size is still the one the unreadable text stood beside.
    bool KeepsUnreadableSizeText() const
    {
        return !m_unreadableRenbanSizeText.IsEmpty() && m_renbanSize == m_sizeBesideUnreadableText;
    }
    // Every field equal, the face's 32 bytes included.
    bool SameAs(const CKasenRenbanProperties& other) const;
};

// The one shared copy of a record's value, kept for the life of the process; records are
// compared byte by byte. Made for the font, border and character records.
template <class Record>
const Record& SharedRecordOf(const Record& value);

// A formatting record as editing nodes hold it: nodes of equal format, nearly every node of a
// paper, point at one shared, unchangeable copy of its value. A change goes through an editor,
// which holds a copy and points the holder at the shared copy of the new value when it ends
// (at the end of the statement that made it).
template <class Record>
class CSharedRecord {
public:
    CSharedRecord() : m_record(&Defaults()) {}
    const Record& Get() const { return *m_record; }
    void Set(const Record& value)
    {
        if (std::memcmp(m_record, &value, sizeof(Record)) != 0)
            m_record = &SharedRecordOf(value);
    }

    class Editor {
    public:
        explicit Editor(CSharedRecord& holder) : m_holder(holder), m_value(holder.Get()) {}
        // Sharing a value met for the first time takes memory: without it, bad_alloc is thrown
        // here, at the end of the statement, and the holder keeps its former value.
        ~Editor() noexcept(false) { m_holder.Set(m_value); }
        Editor(const Editor&) = delete;
        Editor& operator=(const Editor&) = delete;
        Record* operator->() { return &m_value; }
        Record& operator*() { return m_value; }

    private:
        CSharedRecord& m_holder;
        Record m_value;
    };
    Editor Edit() { return Editor(*this); }

private:
    static const Record& Defaults()
    {
        static const Record& defaults = SharedRecordOf(Record());
        return defaults;
    }
    const Record* m_record;
};

// The numbering record as an editing node holds it. Nearly every node of a paper has the
// defaults, which all such nodes share; a node whose numbering differs holds a record of its own.
class CNodeNumbering {
public:
    CNodeNumbering() = default;
    CNodeNumbering(const CNodeNumbering& other) { *this = other; }
    CNodeNumbering& operator=(const CNodeNumbering& other)
    {
        if (this != &other)
            SetNumbering(other.Numbering());
        return *this;
    }

    const CKasenRenbanProperties& Numbering() const { return m_own != nullptr ? *m_own : NumberingDefaults(); }
    // The node's own record for a change, made from the shared one when the node has none.
    CKasenRenbanProperties& EditNumbering();
    // Takes a copy of record, or shares the defaults when it equals them.
    void SetNumbering(const CKasenRenbanProperties& record);
    // The same through the record's Copy, which takes the face up to its terminator.
    void CopyNumbering(const CKasenRenbanProperties& record);
    void ResetNumbering() { m_own.reset(); }
    static const CKasenRenbanProperties& NumberingDefaults();

private:
    std::unique_ptr<CKasenRenbanProperties> m_own;
};

struct PAGE_GEOMETRY {
    void SetDefaults() { *this = PAGE_GEOMETRY(); }

    int32_t height = 29700;  // A4 upright
    int32_t width = 21000;
    int32_t columnCount = 1;
    int32_t columnGap = 500;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
};

// The points label of a question part.
struct HAITEN_INFO {
    HAITEN_INFO() { SetDefaults(); }
    // Style 1, the five ints 0 (so hidden), fence "（".
    void SetDefaults();
    HAITEN_INFO& Copy(const HAITEN_INFO& other);

    int32_t style;       // display form 1 to 4
    int32_t reserved;
    int32_t p1;          // points per item
    int32_t p2;          // item count
    int32_t p3;          // total
    int32_t visibility;  // 1 visible, 0 hidden
    CStringW fence;      // "（" round brackets, "［" square brackets
};

// Part of every XSL-FO and MathML element object; nothing fills or reads it.
class CFDraw {
public:
    void Clear() { *this = CFDraw(); }

    int32_t m_draw[8] = {};
};

// Handed down while an editing tree is converted into output elements; the converters give
// its ints their meaning (counters of what they write).
struct XML_BUILD_CONTEXT {
    void Clear() { *this = XML_BUILD_CONTEXT(); }

    int32_t counters[12] = {};
};

// The records stored as raw images keep these sizes.
static_assert(sizeof(CFontProperties) == 48);
static_assert(sizeof(CColorRelatedProperties) == 4);
static_assert(sizeof(CBorderPaddingBackgroundProperties) == 32);
static_assert(sizeof(CBlockMarginProperties) == 16);
static_assert(std::is_empty_v<CInlineMarginProperties>);
static_assert(sizeof(CAreaDimensionProperties) == 8);
static_assert(sizeof(CBlockLineRelatedProperties) == 16);
static_assert(sizeof(CCharacterProperties) == 28);
static_assert(sizeof(CAreaAlignmentProperties) == 8);
static_assert(sizeof(PAGE_GEOMETRY) == 24);
static_assert(sizeof(CFDraw) == 32);
static_assert(sizeof(XML_BUILD_CONTEXT) == 48);
static_assert(std::is_trivially_copyable_v<CFontProperties> && std::is_standard_layout_v<CFontProperties>);
static_assert(std::is_trivially_copyable_v<CBorderPaddingBackgroundProperties>);
static_assert(std::is_trivially_copyable_v<CBlockLineRelatedProperties>);
static_assert(std::is_trivially_copyable_v<CCharacterProperties>);
static_assert(std::is_trivially_copyable_v<CAreaAlignmentProperties>);
static_assert(std::is_trivially_copyable_v<CAreaDimensionProperties>);
static_assert(std::is_trivially_copyable_v<CBlockMarginProperties>);
static_assert(std::is_trivially_copyable_v<CColorRelatedProperties>);
