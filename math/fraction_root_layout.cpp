// Geometry and drawing of the fraction, the two roots and the long division: their rows, the
// fraction rule, the radical sign and the division bracket.
#include "math/math_templates.h"

#include "base/length_units.h"
#include "nodes/display_map.h"
#include "nodes/edit_box.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Room between a fraction's rows and below a root's bar: 1.5 pt; the rule's offset: 0.5 pt.
const int kRowGap = PointsToHmm(1, 5);
const int kHalfPoint = PointsToHmm(0, 5);
// The widest extra width of a stacked fraction: 10.5 pt.
const int kExtraWidthCap = PointsToHmm(10, 5);

// The five corners of a radical sign from its left edge, the bar's height and the radicand row.
std::vector<POINT> RadicalPoints(int xr, int yv, int rowHeight, int rowWidth)
{
    const int h = rowHeight - kHalfPoint;
    const int h2 = rowHeight / 2;
    return {{xr, yv + (4 * h) / 5},
            {xr + h2 / 4, yv + (2 * h) / 3},
            {xr + h2 / 2, yv + h},
            {xr + h2, yv},
            {xr + h2 + rowWidth, yv}};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditFrac

void CEditFrac::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(2))
        return;
    const EDIT_LINE& n = *GetRow(0);
    const EDIT_LINE& d = *GetRow(1);
    m_axis = n.m_height;
    m_height = n.m_height + d.m_height;
    m_ascent = n.m_ascent - n.m_axis + n.m_height;
    if (m_bevelled != 0) {
        m_width = n.m_width + d.m_width;
        return;
    }
    int cap = kExtraWidthCap;
    if (const CEditNode* first = GetFirstInner(); first != nullptr && std::abs(first->m_lf.lfHeight) < kExtraWidthCap)
        cap = std::abs(first->m_lf.lfHeight) / 2;
    m_width = std::max(n.m_width, d.m_width) + std::min({n.m_height, d.m_height, cap});
    m_height += kRowGap;
    m_axis += kHalfPoint;
    m_ascent += kHalfPoint;
}

void CEditFrac::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x0 = context->originX;
    const int axisLine = context->originY + context->rowAxis;
    const int top = axisLine - m_axis;
    SetLayoutRect(context, top);
    EDIT_LINE& n = *GetRow(0);
    EDIT_LINE& d = *GetRow(1);
    if (m_bevelled != 0) {
        PlaceRow(0, x0, top, nullptr, vertical);
        PlaceRow(1, x0 + n.m_width, top + n.m_height, nullptr, vertical);
        const RECT& upper = n.m_rcLayout;
        const RECT& lower = d.m_rcLayout;
        m_ruleStart = POINT{upper.right + std::min({n.m_height, n.m_width, d.m_width}), upper.top};
        m_ruleEnd = POINT{lower.left - std::min({d.m_height, n.m_width, d.m_width}), lower.bottom};
        return;
    }
    PlaceRow(0, x0 + (m_width - n.m_width) / 2, top, nullptr, vertical);
    PlaceRow(1, x0 + (m_width - d.m_width) / 2, top + n.m_height + kRowGap, nullptr, vertical);
    m_ruleStart = POINT{x0, axisLine};
    m_ruleEnd = POINT{x0 + m_width, axisLine};
}

void CEditFrac::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0 || InHiddenAnswer())
        return;
    DrawEmptySlotMarks(dc, map);
    StrokeHalfPoint(dc, map, {m_ruleStart, m_ruleEnd});
}

// ---------------------------------------------------------------------------------------------
// CEditSqrt and CEditRoot

void CEditSqrt::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(1) || GetChildCount() == 0)
        return;
    m_leftOverhang = GetEditChild(0)->m_leftOverhang;
    const int end = GetSlotStart(1) - 1;
    m_rightOverhang = end > 0 ? GetEditChild(end - 1)->m_rightOverhang : 0;
    EDIT_LINE& row = *GetRow(0);
    if (m_rightOverhang > 0)
        row.m_width += m_rightOverhang;
    row.m_height += kRowGap;
    row.m_ascent += kRowGap;
    row.m_axis += kRowGap;
    m_height = row.m_height + kHalfPoint;
    m_width = row.m_height / 2 + row.m_width;
    m_ascent = row.m_ascent + kHalfPoint;
    m_axis = row.m_axis + kHalfPoint;
}

void CEditSqrt::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(1))
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    SetLayoutRect(context, top);
    const EDIT_LINE& row = *GetRow(0);
    PlaceRow(0, x0 + row.m_height / 2, top, nullptr, vertical);
    const std::vector<POINT> points = RadicalPoints(x0, top + kHalfPoint, row.m_height, row.m_width);
    std::copy(points.begin(), points.end(), m_sign);
}

void CEditSqrt::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0 || InHiddenAnswer())
        return;
    DrawEmptySlotMarks(dc, map);
    StrokeHalfPoint(dc, map, std::vector<POINT>(std::begin(m_sign), std::end(m_sign)));
}

void CEditRoot::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(2))
        return;
    const EDIT_LINE& index = *GetRow(0);
    EDIT_LINE& radicand = *GetRow(1);
    radicand.m_height += kRowGap;
    radicand.m_ascent += kRowGap;
    radicand.m_axis += kRowGap;
    const int hr = radicand.m_height;
    m_width = hr / 2 + radicand.m_width;
    m_indexExcess = std::max(index.m_width - hr / 3, 0);
    m_width += m_indexExcess;
    m_height = hr + kHalfPoint;
    m_ascent = radicand.m_ascent + kHalfPoint;
    m_axis = radicand.m_axis + kHalfPoint;
    if (const int rise = hr / 3 - hr + index.m_height; rise > 0) {
        m_height += rise;
        m_ascent += rise;
        m_axis += rise;
    }
}

void CEditRoot::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x0 = context->originX;
    const int axisLine = context->originY + context->rowAxis;
    const int top = axisLine - m_axis;
    SetLayoutRect(context, top);
    const EDIT_LINE& radicand = *GetRow(1);
    const int radicandTop = axisLine - radicand.m_axis;
    PlaceRow(0, x0, top, nullptr, vertical);
    PlaceRow(1, x0 + radicand.m_height / 2 + m_indexExcess, radicandTop, nullptr, vertical);
    const std::vector<POINT> points =
        RadicalPoints(x0 + m_indexExcess, radicandTop + kHalfPoint, radicand.m_height, radicand.m_width);
    std::copy(points.begin(), points.end(), m_sign);
}

void CEditRoot::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0)
        return;
    DrawEmptySlotMarks(dc, map);
    // Inside a hidden answer the root draws no sign, like the square root: a paper printed
    // without its answers shows no stray radical.
    if (InHiddenAnswer())
        return;
    StrokeHalfPoint(dc, map, std::vector<POINT>(std::begin(m_sign), std::end(m_sign)));
}

// ---------------------------------------------------------------------------------------------
// CEditLongdiv

void CEditLongdiv::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(1) || GetChildCount() == 0)
        return;
    m_leftOverhang = GetEditChild(0)->m_leftOverhang;
    m_rightOverhang = 0;
    const int end = GetSlotStart(1) - 1;
    if (end > 0)
        m_rightOverhang = ItalicRightOverhang(GetEditChild(end - 1));
    EDIT_LINE& row = *GetRow(0);
    if (m_rightOverhang > 0)
        row.m_width += m_rightOverhang;
    m_height = row.m_height;
    m_width = row.m_height / 4 + row.m_width;
    m_ascent = row.m_ascent;
    m_axis = row.m_axis;
}

void CEditLongdiv::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(1))
        return;
    const int x0 = context->originX;
    SetLayoutRect(context, context->originY + context->rowAscent - m_ascent);
    const int hr = GetRow(0)->m_height;
    PlaceRow(0, x0 + hr / 4, m_rcLayout.top, nullptr, vertical);
    const int barTop = context->originY + context->rowAxis - m_axis;
    m_barStart = POINT{x0, barTop};
    m_barEnd = POINT{x0 + m_width, barTop};
    m_arcBox = RECT{x0 - hr / 4, barTop, x0 + hr / 4, barTop + hr};
    m_arcStart = POINT{x0, barTop + hr};
}

void CEditLongdiv::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0 || InHiddenAnswer() || dc == nullptr || map == nullptr)
        return;
    DrawEmptySlotMarks(dc, map);
    StrokeHalfPoint(dc, map, {m_barStart, m_barEnd});
    RECT box = m_arcBox;
    POINT start = m_arcStart;
    POINT end = m_barStart;
    map->DocToDeviceRect(&box);
    map->DocToDevice(&start);
    map->DocToDevice(&end);
    CPen pen;
    if (!pen.CreatePen(PS_SOLID, DeviceMarkPen(map, kMediumMarkPen), 0x000000))
        return;
    const HPEN previousPen = dc->SelectObject(HPEN(pen));
    const HGDIOBJ previousBrush = dc->SelectStockObject(NULL_BRUSH);
    dc->Arc(&box, start, end);
    dc->SelectObject(previousBrush);
    dc->SelectObject(previousPen);
}
