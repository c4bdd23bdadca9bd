// Geometry of the matrix (cells on common baselines in columns of common widths, optionally
// ruled) and of the base with four scripts.
#include "math/math_templates.h"

#include "base/length_units.h"
#include "nodes/display_map.h"
#include "nodes/edit_box.h"

#include <algorithm>
#include <vector>

namespace {

// The two spare ints of a cell's row record.
int& ColumnWidthOf(EDIT_LINE& cell) { return cell.m_extra[0]; }
int& RowHeightOf(EDIT_LINE& cell) { return cell.m_extra[1]; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditMatrix

bool CEditMatrix::HasAllCells() const
{
    const CEditBox* box = GetBox(0);
    return box != nullptr && m_rows > 0 && m_columns > 0 && box->GetLineCount() == m_rows * m_columns;
}

void CEditMatrix::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasAllCells())
        return;
    auto cell = [this](int r, int c) -> EDIT_LINE& { return *GetRow(r * m_columns + c); };
    m_height = 0;
    int belowBaseline = 0;  // the largest ascent less axis of a visual row
    for (int r = 0; r < m_rows; ++r) {
        int height = 0, ascent = 0, axis = 0;
        for (int c = 0; c < m_columns; ++c) {
            height = std::max(height, cell(r, c).m_height);
            ascent = std::max(ascent, cell(r, c).m_ascent);
            axis = std::max(axis, cell(r, c).m_axis);
            belowBaseline = std::max(belowBaseline, ascent - axis);
        }
        for (int c = 0; c < m_columns; ++c) {
            cell(r, c).m_ascent = ascent;
            cell(r, c).m_axis = axis;
            RowHeightOf(cell(r, c)) = height;
        }
        m_height += height;
    }
    m_width = 0;
    for (int c = 0; c < m_columns; ++c) {
        if (c > 0)
            m_width += m_columnGap;
        int width = 0;
        for (int r = 0; r < m_rows; ++r)
            width = std::max(width, cell(r, c).m_width);
        for (int r = 0; r < m_rows; ++r)
            ColumnWidthOf(cell(r, c)) = width;
        m_width += width;
    }
    m_axis = m_height / 2;
    m_ascent = m_height / 2 + belowBaseline;
}

void CEditMatrix::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasAllCells())
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    SetLayoutRect(context, top);
    int cx = x0;
    int cy = top;
    for (int slot = 0; slot < m_rows * m_columns; ++slot) {
        EDIT_LINE& cell = *GetRow(slot);
        if (slot > 0) {
            EDIT_LINE& previous = *GetRow(slot - 1);
            if (slot % m_columns == 0) {
                cy += RowHeightOf(previous);
                cx = x0;
            } else {
                cx += m_columnGap + ColumnWidthOf(previous);
            }
        }
        const int room = ColumnWidthOf(cell) - cell.m_width;
        const int x = m_textAlign == TextAlign::kCenter ? cx + room / 2 : m_textAlign == TextAlign::kRight ? cx + room : cx;
        PlaceRow(slot, x, cy, nullptr, vertical);
    }
}

void CEditMatrix::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0 || dc == nullptr || map == nullptr)
        return;
    DrawEmptySlotMarks(dc, map);
    // The ruling reads one record per cell; a matrix of another shape is not ruled.
    if (BorderRecord().m_borderStyle != LineStyle::kSolid || !HasAllCells())
        return;
    const RECT& frame = m_rcLayout;
    std::vector<int> xs{frame.left};
    for (int c = 0; c < m_columns; ++c) {
        int x = xs.back() + ColumnWidthOf(*GetRow(c));
        if (c >= 1)
            x += m_columnGap / 2;
        if (c + 1 < m_columns)
            x += m_columnGap / 2;
        xs.push_back(x);
    }
    std::vector<int> ys{frame.top};
    for (int r = 0; r < m_rows; ++r)
        ys.push_back(ys.back() + RowHeightOf(*GetRow(r * m_columns)));
    SIZE penSize{PointsToHmm(0, 5), 0};
    map->DocToDeviceSize(&penSize);
    CPen pen;
    if (!pen.CreatePen(PS_SOLID, penSize.cx, 0x000000))
        return;
    const HPEN previousPen = dc->SelectObject(HPEN(pen));
    const HGDIOBJ previousBrush = dc->SelectStockObject(NULL_BRUSH);
    auto line = [&](POINT from, POINT to) {
        map->DocToDevice(&from);
        map->DocToDevice(&to);
        dc->MoveTo(from);
        dc->LineTo(to);
    };
    for (int x : xs)
        line(POINT{x, frame.top}, POINT{x, frame.bottom});
    for (int y : ys)
        line(POINT{frame.left, y}, POINT{frame.right, y});
    dc->SelectObject(previousBrush);
    dc->SelectObject(previousPen);
}

// ---------------------------------------------------------------------------------------------
// CEditMulti

void CEditMulti::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(5))
        return;
    const EDIT_LINE& preSuper = *GetRow(0);
    const EDIT_LINE& preSub = *GetRow(1);
    const EDIT_LINE& base = *GetRow(2);
    const EDIT_LINE& super = *GetRow(3);
    const EDIT_LINE& sub = *GetRow(4);
    m_width = base.m_width + std::max(preSuper.m_width, preSub.m_width) + std::max(super.m_width, sub.m_width);
    const int lift = std::max(super.m_axis / 10, preSuper.m_axis / 10);
    m_height = base.m_height + lift;
    m_ascent = base.m_ascent + lift;
    m_axis = base.m_axis + lift;
}

void CEditMulti::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(5))
        return;
    const int x0 = context->originX;
    const int baseline = context->originY + context->rowAscent;
    const int top = baseline - m_ascent;
    SetLayoutRect(context, top);
    const EDIT_LINE& preSuper = *GetRow(0);
    const EDIT_LINE& preSub = *GetRow(1);
    const EDIT_LINE& base = *GetRow(2);
    const EDIT_LINE& sub = *GetRow(4);
    const int pre = std::max(preSuper.m_width, preSub.m_width);
    const int baseBottom = baseline - base.m_ascent + base.m_height;
    const int after = x0 + pre + base.m_width;
    PlaceRow(0, x0 + pre - preSuper.m_width, top, nullptr, vertical);
    PlaceRow(1, x0 + pre - preSub.m_width, baseBottom - preSub.m_height, nullptr, vertical);
    PlaceRow(2, x0 + pre, baseline - base.m_ascent, nullptr, vertical);
    PlaceRow(3, after, top, nullptr, vertical);
    PlaceRow(4, after, baseBottom - sub.m_height, nullptr, vertical);
}

void CEditMulti::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() > 0)
        DrawEmptySlotMarks(dc, map);
}
