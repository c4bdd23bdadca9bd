#include "math/math_char.h"

#include "base/default_fonts.h"
#include "base/element_classes.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"
#include "nodes/node_archive.h"
#include "nodes/node_text.h"
#include "platform/codepage.h"

namespace {

constexpr int kOperatorRoom = 100;   // extra width of an operator, 1 mm
constexpr int kOperatorShift = 50;   // its glyph stands in the middle of that room
constexpr COLORREF kAnswerRed = 0x0000FF;
constexpr uint32_t kVariablePitch = 2;
constexpr int kMoCode = 517;
constexpr DWORD kLineRecordSize = 16;

template <typename Record>
const Record* RecordOf(CQNXMLNode* element)
{
    return dynamic_cast<const Record*>(element);
}

// The element as a MathML node, or null. Every record a formula character copies is then reached
// without a search per record; tokens, the usual elements, are known by their code.
CMathMLNode* MathElementOf(CQNXMLNode* element)
{
    switch (element->m_typeCode) {
    case XEC_MI:
    case XEC_MN:
    case XEC_MTEXT:
        if (typeid(*element) == typeid(CMathMLToken))
            return static_cast<CMathMLToken*>(element);
        break;
    case XEC_MO:
        if (typeid(*element) == typeid(CMathMLMo))
            return static_cast<CMathMLMo*>(element);
        break;
    default:
        break;
    }
    return dynamic_cast<CMathMLNode*>(element);
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool HasFormulaParent(const CCaret* caret)
{
    const CEditNode* parent = caret != nullptr && caret->m_caretNode != nullptr ? caret->m_caretNode->GetEditParent() : nullptr;
    return IsFormulaNode(parent);
}

// A copy of the node's font given an installed face, the way the big-operator signs keep theirs.
LOGFONTA GlyphFontWithFace(const LOGFONTA& font, const char* face)
{
    LOGFONTA glyph = font;
    ApplyInstalledFontFace(&glyph, face);
    return glyph;
}

}  // namespace

void WriteArchivedLogFont(CArchive& ar, const LOGFONTA& font)
{
    ar << static_cast<DWORD>(sizeof(LOGFONTA));
    ar.Write(&font, sizeof(LOGFONTA));
}

LOGFONTA ReadArchivedLogFont(CArchive& ar)
{
    DWORD size = 0;
    ar >> size;
    if (size != sizeof(LOGFONTA))
        ar.ThrowException(CArchiveException::genericException);
    LOGFONTA font{};
    ar.ReadExact(&font, sizeof(LOGFONTA));
    return font;
}

std::vector<CStringW> SplitFormulaCharacters(const CStringW& text)
{
    std::vector<CStringW> pieces;
    const std::u16string_view units = text.View();
    for (size_t i = 0; i < units.size(); ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            pieces.emplace_back(units.substr(i, 2));
            ++i;
        } else {
            pieces.emplace_back(units.substr(i, 1));
        }
    }
    return pieces;
}

BOOL InsertFormulaCharacters(CCaret* caret, CStringW* text, CUndoGroup* group)
{
    if (text == nullptr || !HasFormulaParent(caret))
        return caret != nullptr && caret->m_caretNode != nullptr ? caret->m_caretNode->CEditNode::InsertChars(caret, text, group)
                                                                 : FALSE;
    bool inserted = false;
    for (CStringW& piece : SplitFormulaCharacters(*text)) {
        if (!caret->m_caretNode->CEditNode::InsertString(caret, &piece, group))
            break;
        inserted = true;
    }
    return inserted ? TRUE : FALSE;
}

void SerializeEmbeddedChar(CArchive& ar, std::unique_ptr<CEditMathChar>& embedded)
{
    if (ar.IsStoring()) {
        if (!embedded)
            embedded = std::make_unique<CEditMathChar>();
        embedded->Serialize(ar);
        return;
    }
    auto loaded = std::make_unique<CEditMathChar>();
    loaded->Serialize(ar);
    embedded = std::move(loaded);
}

// ---------------------------------------------------------------------------------------------
// CEditMathChar

IMPLEMENT_SERIAL(CEditMathChar, CEditChar, 1)

CEditMathChar::CEditMathChar() : CEditMathChar(EditKind::Code(EditKind::kMathChar)) {}

CEditMathChar::CEditMathChar(EDIT_NODE_KIND kind) : CEditChar(kind)
{
    Reset();
}

CEditMathChar::CEditMathChar(char16_t c) : CEditMathChar()
{
    CEditNode::SetText(c);
    m_state = kText;
}

CEditMathChar::CEditMathChar(const CStringW& text) : CEditMathChar()
{
    CEditChar::SetText(text);
}

void CEditMathChar::Reset()
{
    CEditChar::Reset();
    CDefaultFontTable::Instance().GetMathFont(&m_lf);
    m_stretchy = 0;
    m_dirty = 1;
}

bool CEditMathChar::IsSpacingOperator(const CStringW& text)
{
    return text.View().find_first_of(u"=+-/:<>") != std::u16string_view::npos;
}

void CEditMathChar::CopyStyleFromElement(CQNXMLNode* element)
{
    if (element == nullptr)
        return;
    if (const CMathMLNode* math = MathElementOf(element)) {
        CopyCommonRecords(*math);
        FontPropertiesToLogFont();
        CopyNumbering(*math);
    } else {
        CopyCarriedRecords(element);
        FontPropertiesToLogFont();
        if (const auto* numbering = RecordOf<CKasenRenbanProperties>(element))
            CopyNumbering(*numbering);
    }
    if (element->m_typeCode == kMoCode) {
        if (const auto* mo = NodeAs<const CMathMLMo>(element))
            m_stretchy = mo->m_stretchy;
    }
    m_dirty = 1;
}

void CEditMathChar::CopyStyleToElement(CQNXMLNode* element)
{
    LogFontToFontProperties();
    if (element == nullptr)
        return;
    if (CMathMLNode* math = MathElementOf(element)) {
        math->CFontProperties::Copy(FontRecord());
        math->CColorRelatedProperties::Copy(*this);
        math->CBorderPaddingBackgroundProperties::Copy(BorderRecord());
        math->CCharacterProperties::Copy(CharacterRecord());
        math->CKasenRenbanProperties::Copy(Numbering());
    } else {
        if (auto* font = dynamic_cast<CFontProperties*>(element))
            font->Copy(FontRecord());
        if (auto* color = dynamic_cast<CColorRelatedProperties*>(element))
            color->Copy(*this);
        if (auto* border = dynamic_cast<CBorderPaddingBackgroundProperties*>(element))
            border->Copy(BorderRecord());
        if (auto* character = dynamic_cast<CCharacterProperties*>(element))
            character->Copy(CharacterRecord());
        if (auto* numbering = dynamic_cast<CKasenRenbanProperties*>(element))
            numbering->Copy(Numbering());
    }
    if (element->m_typeCode == kMoCode) {
        if (auto* mo = NodeAs<CMathMLMo>(element))
            mo->m_stretchy = m_stretchy;
    }
}

void CEditMathChar::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!m_dirty)
        return;
    LAYOUT_CONTEXT own = context != nullptr ? *context : LAYOUT_CONTEXT{};
    if (IsSpacingOperator(GetText()))
        own.letterSpacing += kOperatorRoom;
    CEditChar::Measure(dc, map, &own);

    m_leftOverhang = 0;
    m_rightOverhang = 0;
    const CStringW& text = GetText();
    if ((m_lf.lfPitchAndFamily & kVariablePitch) == 0 || text.IsEmpty() || text.GetAt(0) >= 0x80 || dc == nullptr)
        return;
    CFont font;
    if (!font.CreateFontIndirect(&m_lf))
        return;
    CMeasuringDC measuring(dc);
    CDC* target = measuring.Get();
    if (target == nullptr)
        return;
    const HFONT previous = target->SelectObject(HFONT(font));
    ABC abc{};
    if (target->GetCharABCWidthsW(text.GetAt(0), text.GetAt(0), &abc)) {
        m_leftOverhang = abc.abcA < 0 ? -abc.abcA : 0;
        m_rightOverhang = abc.abcC < 0 ? -abc.abcC : 0;
    }
    target->SelectObject(previous);
}

void CEditMathChar::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    LAYOUT_CONTEXT own = *context;
    // Centred on the axis: the character's axis lies on the row's axis.
    if (own.centreOnAxis)
        own.rowAscent = own.rowAxis + (m_ascent - m_axis);
    CEditChar::Layout(&own, vertical);
}

void CEditMathChar::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr)
        return;
    const CStringW& text = GetText();
    POINT origin = m_ptText;
    if (IsSpacingOperator(text))
        origin.x += kOperatorShift;
    CFont font;
    const bool created = CreateDeviceFont(map, &font) != 0;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(m_color);
    dc->SetTextAlign(TA_BASELINE);
    if (text.IsEmpty() || !created)
        return;
    const HFONT previous = dc->SelectObject(HFONT(font));
    map->DocToDevice(&origin);
    if (UseWideTextOut) {
        if (FindAncestorWithFlags(static_cast<int>(EditKind::kInTextAnswer), 1) != nullptr)
            dc->SetTextColor(kAnswerRed);
        dc->TextOutW(origin.x, origin.y, text.View());
    } else {
        dc->TextOutA(origin.x, origin.y, WideToCp932(text.View()));
    }
    dc->SelectObject(previous);
}

BOOL CEditMathChar::InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group)
{
    return InsertFormulaCharacters(caret, text, group);
}

void CEditMathChar::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_stretchy}, [&] { CEditChar::Serialize(ar); });
}

// ---------------------------------------------------------------------------------------------
// CEditMathCR

IMPLEMENT_SERIAL(CEditMathCR, CEditMathChar, 1)

CEditMathCR::CEditMathCR() : CEditMathChar(EditKind::Code(EditKind::kMathCR)) {}

void CEditMathCR::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kLineRecordSize << m_lineReserved1 << m_lineSpacing << m_lineReserved2 << m_textAlign;
        CEditMathChar::Serialize(ar);
        return;
    }
    // This system always writes 16 bytes; any other length is a damaged stream.
    DWORD size = 0;
    ar >> size;
    if (size != kLineRecordSize)
        ar.ThrowException(CArchiveException::genericException);
    int32_t values[4] = {};
    for (int32_t& value : values)
        ar >> value;
    CEditMathChar::Serialize(ar);
    m_lineReserved1 = values[0];
    m_lineSpacing = values[1];
    m_lineReserved2 = values[2];
    m_textAlign = values[3];
}

// ---------------------------------------------------------------------------------------------
// CEditSigma and CEditIntegral

IMPLEMENT_SERIAL(CEditSigma, CEditMathChar, 1)

CEditSigma::CEditSigma() : CEditMathChar(kSigmaSign)
{
    m_glyphFont = GlyphFontWithFace(m_lf, kMsPMinchoFace);
    m_typeCode = EditKind::Code(EditKind::kSigma);
}

void CEditSigma::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteArchivedLogFont(ar, m_glyphFont);
        ar << m_glyphShift;
        CEditMathChar::Serialize(ar);
        return;
    }
    const LOGFONTA font = ReadArchivedLogFont(ar);
    int32_t shift = 0;
    ar >> shift;
    CEditMathChar::Serialize(ar);
    m_glyphFont = font;
    m_glyphShift = shift;
}

IMPLEMENT_SERIAL(CEditIntegral, CEditMathChar, 1)

CEditIntegral::CEditIntegral() : CEditMathChar(kIntegralSign), m_glyph(std::make_unique<CEditMathChar>())
{
    m_glyph->SetText(u'\uFF66');
    m_typeCode = EditKind::Code(EditKind::kIntegral);
    m_glyphFont = GlyphFontWithFace(m_lf, "Orvellan Gaiji");
}

void CEditIntegral::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteArchivedLogFont(ar, m_glyphFont);
        SerializeEmbeddedChar(ar, m_glyph);
        CEditMathChar::Serialize(ar);
        return;
    }
    const LOGFONTA font = ReadArchivedLogFont(ar);
    std::unique_ptr<CEditMathChar> glyph;
    SerializeEmbeddedChar(ar, glyph);
    CEditMathChar::Serialize(ar);
    m_glyphFont = font;
    m_glyph = std::move(glyph);
}
