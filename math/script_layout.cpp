// Geometry of the script templates: scripts after the base, before it, or both, and the
// combination symbol with its two indices. Superscripts hang from the template's top; subscripts
// stand on the bottom of the base row, or with their baseline there when taller than the base's
// ascent.
#include "math/math_templates.h"

#include "math/stretchy_templates.h"
#include "nodes/edit_box.h"
#include "nodes/line_builder.h"

#include <algorithm>

namespace {

// Rows by their roles; a missing role is an empty record.
struct ScriptRows {
    EDIT_LINE base;
    EDIT_LINE super;  // superscript or pre-superscript
    EDIT_LINE sub;    // subscript or pre-subscript
    EDIT_LINE pre;    // pre-subscript of the three-slot form
};

// The superscript's raise over the base and the subscript's drop below it.
int SuperRaise(const EDIT_LINE& base, const EDIT_LINE& super)
{
    return base.m_ascent < super.m_height ? super.m_axis - super.m_height / 10 : super.m_height / 10;
}

int SubDrop(const EDIT_LINE& base, const EDIT_LINE& sub)
{
    return base.m_ascent < sub.m_height ? sub.m_height - sub.m_ascent : 0;
}

ScriptRows RowsOf(CEditMathContainer* node)
{
    auto row = [node](int index) { return *node->GetRow(index); };
    ScriptRows rows;
    if (node->IsKind(EditKind::kSubsup)) {
        rows = {row(0), row(1), row(2), {}};
    } else if (node->IsKind(EditKind::kSub)) {
        rows.base = row(0), rows.sub = row(1);
    } else if (node->IsKind(EditKind::kSuper)) {
        rows.base = row(0), rows.super = row(1);
    } else if (node->IsKind(EditKind::kPresubPresup)) {
        rows = {row(2), row(0), row(1), {}};
    } else if (node->IsKind(EditKind::kPresub)) {
        rows.base = row(1), rows.sub = row(0);
    } else if (node->IsKind(EditKind::kPresuper)) {
        rows.base = row(1), rows.super = row(0);
    } else if (node->IsKind(EditKind::kPresubSub)) {
        rows.pre = row(0), rows.base = row(1), rows.sub = row(2);
    }
    return rows;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditScriptTemplate

void CEditScriptTemplate::ScanOverhangs()
{
    const bool afterBase = IsKind(EditKind::kSubsup) || IsKind(EditKind::kSuper);
    if (!afterBase && !IsKind(EditKind::kPresubPresup))
        return;
    m_leftOverhang = 0;
    m_rightOverhang = 0;
    if (afterBase)
        m_leftOverhang = GetEditChild(0)->m_leftOverhang;
    // The slot end that closes the base: the first, or the third before the base of three slots.
    const int baseEnd = GetSlotStart(m_baseSlot + 1) - 1;
    if (baseEnd > GetSlotStart(m_baseSlot))
        m_rightOverhang = ItalicRightOverhang(GetEditChild(baseEnd - 1));
}

void CEditScriptTemplate::MeasureFromRows()
{
    const ScriptRows r = RowsOf(this);
    const EDIT_LINE& b = r.base;
    m_width = b.m_width;
    m_height = b.m_height;
    m_ascent = b.m_ascent;
    m_axis = b.m_axis;
    int lift = 0;
    if (IsKind(EditKind::kSubsup)) {
        m_width += std::max(r.super.m_width, r.sub.m_width);
        lift = SuperRaise(b, r.super);
        m_height += SubDrop(b, r.sub);
    } else if (IsKind(EditKind::kSub)) {
        m_width += r.sub.m_width;
        m_height += SubDrop(b, r.sub);
    } else if (IsKind(EditKind::kSuper)) {
        m_width += r.super.m_width;
        lift = SuperRaise(b, r.super);
    } else if (IsKind(EditKind::kPresubPresup)) {
        m_width += std::max(r.super.m_width, r.sub.m_width);
        lift = r.super.m_height / 10;
    } else if (IsKind(EditKind::kPresub)) {
        m_width += r.sub.m_width;
    } else if (IsKind(EditKind::kPresuper)) {
        m_width += r.super.m_width;
        lift = r.super.m_height / 10;
    } else if (IsKind(EditKind::kPresubSub)) {
        m_width += r.pre.m_width + r.sub.m_width;
    }
    m_height += lift;
    m_ascent += lift;
    m_axis += lift;
}

void CEditScriptTemplate::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (GetChildCount() == 0 || !HasRows(m_slotCount))
        return;
    ScanOverhangs();
    const bool afterBase = IsKind(EditKind::kSubsup) || IsKind(EditKind::kSuper);
    if (afterBase && m_rightOverhang > 0)
        GetRow(0)->m_width += m_rightOverhang;
    if (IsKind(EditKind::kSubsup)) {
        // A fenced base grows over both scripts: its delimiters take the extra height once.
        auto* fenced = dynamic_cast<CEditFenced*>(GetEditChild(0));
        const int extra = GetRow(1)->m_height + GetRow(2)->m_height - GetRow(0)->m_height;
        if (fenced != nullptr && extra > 0) {
            fenced->m_extraHeight = extra;
            CEditMathContainer::Measure(dc, map, context);
            if (!HasRows(m_slotCount))
                return;
        }
    }
    MeasureFromRows();
}

void CEditScriptTemplate::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(m_slotCount))
        return;
    const int x = context->originX;
    const int baseline = context->originY + context->rowAscent;
    const int axisLine = context->originY + context->rowAxis;
    const bool byAxis = IsKind(EditKind::kSub) || IsKind(EditKind::kSuper);
    const int top = byAxis ? axisLine - m_axis : baseline - m_ascent;
    SetLayoutRect(context, top);
    const ScriptRows r = RowsOf(this);
    const EDIT_LINE& b = r.base;
    // The top at which a script's bottom meets the base row's bottom.
    auto onBaseBottom = [&](const EDIT_LINE& script) { return baseline + b.m_height - b.m_ascent - script.m_height; };
    auto place = [&](int row, int dx, int y) { PlaceRow(row, x + dx, y, nullptr, vertical); };
    if (IsKind(EditKind::kSubsup)) {
        place(0, 0, baseline - b.m_ascent);
        place(1, b.m_width, top);
        const EDIT_LINE& q = r.sub;
        place(2, b.m_width, b.m_ascent < q.m_height ? axisLine + b.m_height - b.m_axis - q.m_ascent : onBaseBottom(q));
    } else if (IsKind(EditKind::kSub)) {
        const int baseTop = axisLine - b.m_axis;
        const EDIT_LINE& q = r.sub;
        place(0, 0, baseTop);
        place(1, b.m_width, baseTop + b.m_height - (b.m_ascent < q.m_height ? q.m_ascent : q.m_height));
    } else if (IsKind(EditKind::kSuper)) {
        place(0, 0, axisLine - b.m_axis);
        place(1, b.m_width, top);
    } else if (IsKind(EditKind::kPresubPresup)) {
        const int widest = std::max(r.super.m_width, r.sub.m_width);
        place(0, widest - r.super.m_width, top);
        place(1, widest - r.sub.m_width, onBaseBottom(r.sub));
        place(2, widest, baseline - b.m_ascent);
    } else if (IsKind(EditKind::kPresub)) {
        place(0, 0, onBaseBottom(r.sub));
        place(1, r.sub.m_width, baseline - b.m_ascent);
    } else if (IsKind(EditKind::kPresuper)) {
        place(0, 0, top);
        place(1, r.super.m_width, baseline - b.m_ascent);
    } else if (IsKind(EditKind::kPresubSub)) {
        place(0, 0, onBaseBottom(r.pre));
        place(1, r.pre.m_width, baseline - b.m_ascent);
        place(2, r.pre.m_width + b.m_width, onBaseBottom(r.sub));
    }
}

void CEditScriptTemplate::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() > 0)
        DrawEmptySlotMarks(dc, map);
}

// ---------------------------------------------------------------------------------------------
// CEditOPresubSub

void CEditOPresubSub::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    m_width = m_height = m_ascent = m_axis = 0;
    if (!IsVisible())
        return;
    CEditMathContainer::Measure(dc, map, context);
    m_symbol->m_dirty = 1;
    m_symbol->Measure(dc, map, context);
    if (GetChildCount() == 0 || !HasRows(2))
        return;
    const CEditMathChar& y = *m_symbol;
    m_width = y.m_width + GetRow(0)->m_width + GetRow(1)->m_width;
    m_height = y.m_height;
    m_ascent = y.m_ascent;
    m_axis = y.m_axis;
}

void CEditOPresubSub::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x = context->originX;
    const int baseline = context->originY + context->rowAscent;
    SetLayoutRect(context, baseline - m_ascent);
    const EDIT_LINE& pre = *GetRow(0);
    const EDIT_LINE& sub = *GetRow(1);
    CEditMathChar& y = *m_symbol;
    const int bottom = baseline + y.m_height - y.m_ascent;
    PlaceRow(0, x, bottom - pre.m_height, nullptr, vertical);
    const int symbolX = x + pre.m_width;
    const int symbolTop = baseline - y.m_ascent;
    PlaceOnOwnRow(&y, symbolX, symbolTop, vertical);
    PlaceRow(1, symbolX + y.m_width, bottom - sub.m_height, nullptr, vertical);
}

void CEditOPresubSub::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    DrawEmbedded(dc, map, m_symbol.get());
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() > 0)
        DrawEmptySlotMarks(dc, map);
}
