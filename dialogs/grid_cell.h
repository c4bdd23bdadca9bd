// A cell of the grid control: a set of properties that carries only the properties that were set,
// each marked by its bit in the property bits. The grid paints the effective cell, which it builds
// by merging such sets (column default, stored cell, style cell).
// Also the fixed system colours and metrics of the grid, so that its look and geometry are the
// same on every machine.
#pragma once

#include "platform/gdi_objects.h"
#include "platform/win_types.h"

#include <cstdint>
#include <string>

// Property bits of a grid cell (GRID_CELL_PROPERTY).
namespace GRID_CELL_PROPERTY {
constexpr uint32_t Text = 0x1;
constexpr uint32_t Text2 = 0x2;
constexpr uint32_t Text3 = 0x4;
constexpr uint32_t ValueKind = 0x8;
constexpr uint32_t Reserved1 = 0x10;
constexpr uint32_t CellType = 0x20;
constexpr uint32_t TypeExtension = 0x40;
constexpr uint32_t TextColor = 0x80;
constexpr uint32_t BackColor = 0x100;
constexpr uint32_t HighlightTextColor = 0x200;
constexpr uint32_t HighlightBackColor = 0x400;
constexpr uint32_t Border = 0x800;
constexpr uint32_t Reserved2 = 0x1000;
constexpr uint32_t Font = 0x2000;
constexpr uint32_t Bitmap = 0x4000;
constexpr uint32_t Alignment = 0x8000;
constexpr uint32_t StyleCell = 0x800000;
constexpr uint32_t Decimals = 0x2000000;
}  // namespace GRID_CELL_PROPERTY

// Alignment bits (GRID_ALIGN).
namespace GRID_ALIGN {
constexpr uint16_t Indent = 0x1;    // with word wrap: the text is indented by 2 pixels
constexpr uint16_t Right = 0x2;
constexpr uint16_t Center = 0x4;
constexpr uint16_t Bottom = 0x10;
constexpr uint16_t VCenter = 0x20;
}  // namespace GRID_ALIGN

// Border bits (GRID_BORDER): lines drawn inside the cell rectangle.
namespace GRID_BORDER {
constexpr uint16_t Left = 0x1;
constexpr uint16_t Top = 0x2;
constexpr uint16_t Right = 0x4;
constexpr uint16_t Bottom = 0x8;
constexpr uint16_t DoubleLeft = 0x10;
constexpr uint16_t DoubleTop = 0x20;
constexpr uint16_t DoubleRight = 0x40;
constexpr uint16_t DoubleBottom = 0x80;
constexpr uint16_t TripleLeft = 0x100;
constexpr uint16_t TripleTop = 0x200;
constexpr uint16_t TripleRight = 0x400;
constexpr uint16_t TripleBottom = 0x800;
constexpr uint16_t Sunken = 0x1000;
constexpr uint16_t Raised = 0x2000;
constexpr uint16_t GridLines = Right | Bottom;  // the ordinary grid line
}  // namespace GRID_BORDER

// Low byte of the type extension.
namespace GRID_TYPE_EXTENSION {
constexpr int WordWrap = 0x02;
constexpr int Ellipsis = 0x04;
constexpr int DrawText3 = 0x08;
constexpr int CheckBoxDefault = 0x1100;  // a 3-D box with a tick
}  // namespace GRID_TYPE_EXTENSION

// The system colours and metrics the grid uses, fixed.
namespace GridSystem {
constexpr COLORREF WindowText = RGB(0, 0, 0);
constexpr COLORREF Window = RGB(255, 255, 255);
constexpr COLORREF HighlightText = RGB(255, 255, 255);
constexpr COLORREF Highlight = RGB(0, 120, 215);
constexpr COLORREF ButtonFace = RGB(240, 240, 240);
constexpr COLORREF ButtonShadow = RGB(160, 160, 160);
constexpr COLORREF ButtonHighlight = RGB(255, 255, 255);
constexpr COLORREF DarkShadow = RGB(105, 105, 105);
constexpr COLORREF ButtonText = RGB(0, 0, 0);
constexpr int ScrollBarWidth = 17;   // SM_CXVSCROLL
constexpr int ScrollBarHeight = 17;  // SM_CYHSCROLL
constexpr int Border = 1;            // SM_CXBORDER, SM_CYBORDER
constexpr int EdgeBorder = 2;        // SM_CXEDGE, SM_CYEDGE
}  // namespace GridSystem

// Value kinds of a cell.
constexpr int GRID_VALUE_TEXT = 1;
constexpr int GRID_VALUE_NUMBER = 2;

class CGridCell {
public:
    CGridCell() = default;

    uint32_t GetPropertyBits() const { return m_bits; }
    bool Has(uint32_t bit) const { return (m_bits & bit) != 0; }
    // Forgets every property (the strings stay empty from then on).
    void ClearProperties();

    // --- values
    void SetText(std::u16string text);
    const std::u16string& GetText() const;
    void SetText2(std::u16string text);
    const std::u16string& GetText2() const;
    void SetText3(std::u16string text);
    const std::u16string& GetText3() const;
    int GetValueKind() const { return Has(GRID_CELL_PROPERTY::ValueKind) ? m_valueKind : 0; }
    // Formats the number with six decimals, or with the cell's decimals when set.
    void SetNumber(double value);
    double GetNumber() const;
    // Checked: a text beginning with "T" or "t", or whose leading integer is not zero.
    BOOL GetBoolValue() const;
    void SetDecimals(int16_t decimals);
    int16_t GetDecimals() const { return Has(GRID_CELL_PROPERTY::Decimals) ? m_decimals : 0; }

    // --- type and look
    // Also gives the look of a control cell: button face and grid lines (and the check box style
    // for the check-box type).
    void SetCellType(int index);
    int GetCellType() const { return Has(GRID_CELL_PROPERTY::CellType) ? m_cellType : 0; }
    void SetTypeExtension(int extension);
    int GetTypeExtension() const { return Has(GRID_CELL_PROPERTY::TypeExtension) ? m_typeExtension : 0; }
    void SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return Has(GRID_CELL_PROPERTY::TextColor) ? m_textColor : GridSystem::WindowText; }
    void SetBackColor(COLORREF color);
    COLORREF GetBackColor() const { return Has(GRID_CELL_PROPERTY::BackColor) ? m_backColor : GridSystem::Window; }
    void SetHighlightTextColor(COLORREF color);
    COLORREF GetHighlightTextColor() const;
    void SetHighlightBackColor(COLORREF color);
    COLORREF GetHighlightBackColor() const;
    void SetBorder(uint16_t border);
    uint16_t GetBorder() const { return Has(GRID_CELL_PROPERTY::Border) ? m_border : 0; }
    // A null handle when absent: the grid's cell font applies.
    void SetFont(HFONT font);
    HFONT GetFont() const { return Has(GRID_CELL_PROPERTY::Font) ? m_font : HFONT(); }
    // A null bitmap clears the property; either way the cell gets the control look.
    void SetBitmap(HBITMAP bitmap);
    HBITMAP GetBitmap() const { return Has(GRID_CELL_PROPERTY::Bitmap) ? m_bitmap : HBITMAP(); }
    void SetAlignment(uint16_t alignment);
    uint16_t GetAlignment() const { return Has(GRID_CELL_PROPERTY::Alignment) ? m_alignment : 0; }
    void SetStyleCell(const CGridCell* style);
    const CGridCell* GetStyleCell() const { return Has(GRID_CELL_PROPERTY::StyleCell) ? m_style : nullptr; }

    // --- copying
    // The target gets exactly this cell's properties.
    void CopyTo(CGridCell& target) const;
    void CopyFrom(const CGridCell& source) { source.CopyTo(*this); }
    // Adds the source's properties, overwriting only those the source has.
    void MergeFrom(const CGridCell& source);
    void MergeTo(CGridCell& target) const { target.MergeFrom(*this); }

private:
    void CopyPresent(const CGridCell& source, uint32_t bits);

    uint32_t m_bits = 0;
    const CGridCell* m_style = nullptr;
    std::u16string m_text;
    std::u16string m_text2;
    std::u16string m_text3;
    int m_valueKind = 0;
    int m_reserved1 = 0;
    int16_t m_decimals = 0;
    int m_cellType = 0;
    int m_typeExtension = 0;
    COLORREF m_textColor = 0;
    COLORREF m_backColor = 0;
    COLORREF m_highlightTextColor = 0;
    COLORREF m_highlightBackColor = 0;
    uint16_t m_border = 0;
    int m_reserved2 = 0;
    HFONT m_font;
    HBITMAP m_bitmap;
    uint16_t m_alignment = 0;
};
