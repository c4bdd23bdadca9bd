#include "dialogs/grid_cell.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace P = GRID_CELL_PROPERTY;

namespace {

const std::u16string& EmptyText()
{
    static const std::u16string empty;
    return empty;
}

// The text as bytes for the C number parsers; a character beyond ASCII ends it.
std::string AsciiPrefix(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c == 0 || c > 0x7F)
            break;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::u16string FromAscii(const char* text)
{
    std::u16string out;
    for (; *text; ++text)
        out.push_back(static_cast<unsigned char>(*text));
    return out;
}

}  // namespace

void CGridCell::ClearProperties()
{
    *this = CGridCell();
}

void CGridCell::SetText(std::u16string text)
{
    m_text = std::move(text);
    m_valueKind = GRID_VALUE_TEXT;
    m_bits |= P::Text | P::ValueKind;
}

const std::u16string& CGridCell::GetText() const
{
    return Has(P::Text) ? m_text : EmptyText();
}

void CGridCell::SetText2(std::u16string text)
{
    m_text2 = std::move(text);
    m_bits |= P::Text2;
}

const std::u16string& CGridCell::GetText2() const
{
    return Has(P::Text2) ? m_text2 : EmptyText();
}

void CGridCell::SetText3(std::u16string text)
{
    m_text3 = std::move(text);
    m_bits |= P::Text3;
}

const std::u16string& CGridCell::GetText3() const
{
    return Has(P::Text3) ? m_text3 : EmptyText();
}

void CGridCell::SetNumber(double value)
{
    char format[32] = "%lf";
    if (Has(P::Decimals))
        std::snprintf(format, sizeof format, "%%1.%dlf", static_cast<int>(m_decimals));
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    m_text = FromAscii(buffer);
    m_valueKind = GRID_VALUE_NUMBER;
    m_bits |= P::Text | P::ValueKind;
}

double CGridCell::GetNumber() const
{
    if (!Has(P::Text))
        return 0;
    return std::strtod(AsciiPrefix(m_text).c_str(), nullptr);
}

BOOL CGridCell::GetBoolValue() const
{
    const std::u16string& text = GetText();
    if (text.empty())
        return FALSE;
    if (text[0] == u'T' || text[0] == u't')
        return TRUE;
    return std::atol(AsciiPrefix(text).c_str()) != 0 ? TRUE : FALSE;
}

void CGridCell::SetDecimals(int16_t decimals)
{
    m_decimals = decimals;
    m_bits |= P::Decimals;
}

void CGridCell::SetCellType(int index)
{
    m_cellType = index;
    m_bits |= P::CellType;
    if (index == 1)
        SetTypeExtension(GRID_TYPE_EXTENSION::CheckBoxDefault);
    SetBackColor(GridSystem::ButtonFace);
    SetBorder(GRID_BORDER::GridLines);
}

void CGridCell::SetTypeExtension(int extension)
{
    m_typeExtension = extension;
    m_bits |= P::TypeExtension;
}

void CGridCell::SetTextColor(COLORREF color)
{
    m_textColor = color;
    m_bits |= P::TextColor;
}

void CGridCell::SetBackColor(COLORREF color)
{
    m_backColor = color;
    m_bits |= P::BackColor;
}

void CGridCell::SetHighlightTextColor(COLORREF color)
{
    m_highlightTextColor = color;
    m_bits |= P::HighlightTextColor;
}

COLORREF CGridCell::GetHighlightTextColor() const
{
    return Has(P::HighlightTextColor) ? m_highlightTextColor : GridSystem::HighlightText;
}

void CGridCell::SetHighlightBackColor(COLORREF color)
{
    m_highlightBackColor = color;
    m_bits |= P::HighlightBackColor;
}

COLORREF CGridCell::GetHighlightBackColor() const
{
    return Has(P::HighlightBackColor) ? m_highlightBackColor : GridSystem::Highlight;
}

void CGridCell::SetBorder(uint16_t border)
{
    m_border = border;
    m_bits |= P::Border;
}

void CGridCell::SetFont(HFONT font)
{
    m_font = font;
    m_bits |= P::Font;
}

void CGridCell::SetBitmap(HBITMAP bitmap)
{
    m_bitmap = bitmap;
    if (bitmap)
        m_bits |= P::Bitmap;
    else
        m_bits &= ~P::Bitmap;
    SetBackColor(GridSystem::ButtonFace);
    SetBorder(GRID_BORDER::GridLines);
}

void CGridCell::SetAlignment(uint16_t alignment)
{
    m_alignment = alignment;
    m_bits |= P::Alignment;
}

void CGridCell::SetStyleCell(const CGridCell* style)
{
    m_style = style;
    m_bits |= P::StyleCell;
}

void CGridCell::CopyPresent(const CGridCell& source, uint32_t bits)
{
    if (bits & P::StyleCell)
        m_style = source.m_style;
    if (bits & P::Text)
        m_text = source.m_text;
    if (bits & P::Text2)
        m_text2 = source.m_text2;
    if (bits & P::Text3)
        m_text3 = source.m_text3;
    if (bits & P::ValueKind)
        m_valueKind = source.m_valueKind;
    if (bits & P::Reserved1)
        m_reserved1 = source.m_reserved1;
    if (bits & P::Decimals)
        m_decimals = source.m_decimals;
    if (bits & P::CellType)
        m_cellType = source.m_cellType;
    if (bits & P::TypeExtension)
        m_typeExtension = source.m_typeExtension;
    if (bits & P::TextColor)
        m_textColor = source.m_textColor;
    if (bits & P::BackColor)
        m_backColor = source.m_backColor;
    if (bits & P::HighlightTextColor)
        m_highlightTextColor = source.m_highlightTextColor;
    if (bits & P::HighlightBackColor)
        m_highlightBackColor = source.m_highlightBackColor;
    if (bits & P::Border)
        m_border = source.m_border;
    if (bits & P::Reserved2)
        m_reserved2 = source.m_reserved2;
    if (bits & P::Font)
        m_font = source.m_font;
    if (bits & P::Bitmap)
        m_bitmap = source.m_bitmap;
    if (bits & P::Alignment)
        m_alignment = source.m_alignment;
}

void CGridCell::CopyTo(CGridCell& target) const
{
    if (&target == this)
        return;
    target.m_bits = m_bits;
    target.CopyPresent(*this, m_bits);
}

void CGridCell::MergeFrom(const CGridCell& source)
{
    if (&source == this)
        return;
    m_bits |= source.m_bits;
    CopyPresent(source, source.m_bits);
}
