// Geometry of the templates that put scripts or marks above and below a base: a script slot
// holding one stretchable character becomes a stroke as wide as the base, and a middle arrow
// grows with the wider of its two scripts.
#include "math/math_templates.h"

#include "nodes/edit_box.h"
#include "nodes/line_builder.h"

#include <algorithm>

namespace {

// A middle character that stretches: the equilibrium arrows and the three long arrows.
bool IsStretchingMiddle(char16_t first)
{
    return first == u'\u21C4' || (first >= u'\uF576' && first <= u'\uF578');
}

// How much wider than the wider script a stretched middle arrow is: 5 mm.
constexpr int kArrowOverhang = 500;

}  // namespace

void CEditMathTemplate::PlaceEmbedded(CEditMathChar* embedded, int x, int y, int vertical)
{
    PlaceOnOwnRow(embedded, x, y, vertical);
    embedded->m_lineIndex = 0;
    embedded->m_indexInLine = 0;
}

namespace {

// The node that opens the slot after the given slot end, or null.
CEditNode* NodeAfter(CEditNode* slotEnd)
{
    return slotEnd != nullptr ? dynamic_cast<CEditNode*>(slotEnd->GetNextSibling()) : nullptr;
}

// An embedded mark measured anew: an arrow or a bar a quarter high, any mark as wide as the base.
void MeasureEmbeddedMark(CEditMathChar* mark, CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context, int baseWidth)
{
    mark->m_dirty = 1;
    mark->Measure(dc, map, context);
    if (mark->GetText().IsEmpty())
        return;
    if (IsFlatMark(mark->GetText().GetAt(0)))
        mark->m_height /= 4;
    mark->m_width = baseWidth;
}

// The size of one part of a stack: a row or an embedded mark.
struct StackPart {
    int width = 0;
    int height = 0;
    int ascent = 0;
    int axis = 0;
};

StackPart PartOf(const EDIT_LINE& row) { return {row.m_width, row.m_height, row.m_ascent, row.m_axis}; }
StackPart PartOf(const CEditNode& node) { return {node.m_width, node.m_height, node.m_ascent, node.m_axis}; }

// A stack sized as a whole: as wide as its widest part, as high as its parts together, with the
// baseline and axis of its middle part lowered by the part over it.
void SizeStack(CEditNode* stack, const StackPart& over, const StackPart& middle, const StackPart& under)
{
    stack->m_width = std::max({over.width, middle.width, under.width});
    stack->m_height = over.height + middle.height + under.height;
    stack->m_ascent = middle.ascent + over.height;
    stack->m_axis = middle.axis + over.height;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditOver and CEditUnder

void CEditOver::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MarkFlatMarksDirty();
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(2))
        return;
    EDIT_LINE& script = *GetRow(0);
    const EDIT_LINE& base = *GetRow(1);
    m_markFlag = StretchSingleMark(SingleMarkOf(GetFirstInner(), false), script, base.m_width);
    SizeStack(this, PartOf(script), PartOf(base), StackPart{});
}

void CEditOver::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x0 = context->originX;
    const int baseline = context->originY + context->rowAscent;
    const int top = baseline - m_ascent;
    SetLayoutRect(context, top);
    const EDIT_LINE& script = *GetRow(0);
    const EDIT_LINE& base = *GetRow(1);
    PlaceRow(0, x0 + (m_width - script.m_width) / 2, top, nullptr, vertical);
    PlaceRow(1, x0 + (m_width - base.m_width) / 2, baseline - base.m_ascent, nullptr, vertical);
}

void CEditOver::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0)
        return;
    DrawChildrenWithMarks(dc, map, MarkTable::Marks, [this](int index, const CEditNode*) { return m_markFlag != 0 && index == 0; });
}

void CEditUnder::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MarkFlatMarksDirty();
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(2))
        return;
    const EDIT_LINE& base = *GetRow(0);
    EDIT_LINE& script = *GetRow(1);
    m_markFlag = StretchSingleMark(SingleMarkOf(NodeAfter(GetFirstLineBreak()), false), script, base.m_width);
    SizeStack(this, StackPart{}, PartOf(base), PartOf(script));
}

void CEditUnder::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    SetLayoutRect(context, top);
    const EDIT_LINE& base = *GetRow(0);
    const EDIT_LINE& script = *GetRow(1);
    PlaceRow(0, x0 + (m_width - base.m_width) / 2, top, nullptr, vertical);
    PlaceRow(1, x0 + (m_width - script.m_width) / 2, top + base.m_height, nullptr, vertical);
}

void CEditUnder::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0)
        return;
    DrawChildrenWithMarks(dc, map, MarkTable::Marks,
                          [this](int, const CEditNode* child) { return m_markFlag != 0 && child->m_lineIndex == 1; });
}

// ---------------------------------------------------------------------------------------------
// CEditOver2

void CEditOver2::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(1)) {
        m_mark->m_dirty = 1;
        m_mark->Measure(dc, map, context);
        return;
    }
    const EDIT_LINE& base = *GetRow(0);
    MeasureEmbeddedMark(m_mark.get(), dc, map, context, base.m_width);
    SizeStack(this, PartOf(*m_mark), PartOf(base), StackPart{});
}

void CEditOver2::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(1))
        return;
    const int top = context->originY + context->rowAscent - m_ascent;
    SetLayoutRect(context, top);
    const int x = context->originX + (m_width - m_mark->m_width) / 2;
    PlaceEmbedded(m_mark.get(), x, top, vertical);
    PlaceRow(0, x, top + m_mark->m_height, nullptr, vertical);
}

void CEditOver2::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0)
        return;
    DrawMarkByTable(dc, map, m_mark.get());
    DrawChildrenWithMarks(dc, map, MarkTable::Marks, [](int, const CEditNode*) { return false; });
}

// ---------------------------------------------------------------------------------------------
// CEditUnderover

void CEditUnderover::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MarkFlatMarksDirty();
    CEditMathContainer::Measure(dc, map, context);
    if (!HasRows(3))
        return;
    EDIT_LINE& over = *GetRow(0);
    EDIT_LINE& base = *GetRow(1);
    EDIT_LINE& under = *GetRow(2);
    m_width = base.m_width;
    m_height = base.m_height;
    m_overMark = StretchSingleMark(SingleMarkOf(GetFirstInner(), true), over, base.m_width);
    m_baseArrow = 0;
    CEditNode* firstBreak = GetFirstLineBreak();
    CEditNode* middle = NodeAfter(firstBreak);
    if (middle == nullptr)
        return;
    const auto* afterMiddle = dynamic_cast<CEditNode*>(middle->GetNextSibling());
    if (!IsLineBreak(middle) && IsLineBreak(afterMiddle) && !middle->GetText().IsEmpty() &&
        IsStretchingMiddle(middle->GetText().GetAt(0))) {
        m_baseArrow = 1;
        base.m_width = std::max(over.m_width, under.m_width) + kArrowOverhang;
        middle->m_width = base.m_width;
    }
    CEditNode* lower = NodeAfter(FindLineBreakFrom(NodeAfter(firstBreak)));
    if (lower == nullptr)
        return;
    m_underMark = StretchSingleMark(SingleMarkOf(lower, true), under, base.m_width);
    SizeStack(this, PartOf(over), PartOf(base), PartOf(under));
}

void CEditUnderover::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(3))
        return;
    const int x0 = context->originX;
    const int baseline = context->originY + context->rowAscent;
    const int top = baseline - m_ascent;
    SetLayoutRect(context, top);
    const EDIT_LINE& over = *GetRow(0);
    const EDIT_LINE& base = *GetRow(1);
    const EDIT_LINE& under = *GetRow(2);
    PlaceRow(0, x0 + (m_width - over.m_width) / 2, top, nullptr, vertical);
    PlaceRow(1, x0 + (m_width - base.m_width) / 2, baseline - base.m_ascent, nullptr, vertical);
    PlaceRow(2, x0 + (m_width - under.m_width) / 2, baseline - base.m_ascent + base.m_height, nullptr, vertical);
}

void CEditUnderover::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0)
        return;
    DrawChildrenWithMarks(dc, map, MarkTable::OverAndUnder, [this](int index, const CEditNode* child) {
        return (index == 0 && m_overMark != 0) || (child->m_lineIndex == 1 && m_baseArrow != 0) ||
               (child->m_lineIndex == 2 && m_underMark != 0);
    });
}

// ---------------------------------------------------------------------------------------------
// CEditUnderover2

void CEditUnderover2::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    const int baseWidth = HasRows(1) ? GetRow(0)->m_width : 0;
    MeasureEmbeddedMark(m_overMark.get(), dc, map, context, baseWidth);
    MeasureEmbeddedMark(m_underMark.get(), dc, map, context, baseWidth);
    if (!HasRows(1))
        return;
    const EDIT_LINE& base = *GetRow(0);
    SizeStack(this, PartOf(*m_overMark), PartOf(base), PartOf(*m_underMark));
}

void CEditUnderover2::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(1))
        return;
    const int x0 = context->originX;
    const int baseline = context->originY + context->rowAscent;
    SetLayoutRect(context, baseline - m_ascent);
    const EDIT_LINE& base = *GetRow(0);
    const int baseTop = baseline - base.m_ascent;
    PlaceEmbedded(m_overMark.get(), x0, m_rcLayout.top, vertical);
    PlaceEmbedded(m_underMark.get(), x0, baseTop + base.m_height, vertical);
    PlaceRow(0, x0 + (m_width - base.m_width) / 2, baseTop, nullptr, vertical);
}

void CEditUnderover2::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    DrawMarkByTable(dc, map, m_overMark.get(), MarkTable::OverAndUnder);
    DrawMarkByTable(dc, map, m_underMark.get(), MarkTable::OverAndUnder);
    DrawChildrenWithMarks(dc, map, MarkTable::OverAndUnder, [](int, const CEditNode*) { return false; });
}

// ---------------------------------------------------------------------------------------------
// CEditOUnderover

void CEditOUnderover::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MarkFlatMarksDirty();
    CEditMathContainer::Measure(dc, map, context);
    CEditMathChar& glyph = *m_glyph;
    glyph.m_dirty = 1;
    glyph.Measure(dc, map, context);
    if (!HasRows(2))
        return;
    EDIT_LINE& over = *GetRow(0);
    EDIT_LINE& under = *GetRow(1);
    m_width = glyph.m_width;
    m_height = glyph.m_height;
    m_overMark = StretchSingleMark(SingleMarkOf(GetFirstInner(), true), over, glyph.m_width);
    CEditNode* lower = NodeAfter(GetFirstLineBreak());
    if (lower == nullptr)
        return;
    m_underMark = StretchSingleMark(SingleMarkOf(lower, true), under, glyph.m_width);
    m_glyphStretch = 0;
    if (!glyph.GetText().IsEmpty()) {
        const char16_t first = glyph.GetText().GetAt(0);
        if (IsStretchingMiddle(first)) {
            m_glyphStretch = 1;
            glyph.m_width = std::max(over.m_width, under.m_width) + kArrowOverhang;
        } else if (IsFlatMark(first)) {
            glyph.m_height /= 4;
            glyph.m_ascent /= 4;
            glyph.m_axis /= 4;
        }
    }
    SizeStack(this, PartOf(over), PartOf(glyph), PartOf(under));
}

void CEditOUnderover::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(2))
        return;
    const int x0 = context->originX;
    const int baseline = context->originY + context->rowAscent;
    const int top = baseline - m_ascent;
    SetLayoutRect(context, top);
    const EDIT_LINE& over = *GetRow(0);
    const EDIT_LINE& under = *GetRow(1);
    CEditMathChar& glyph = *m_glyph;
    PlaceRow(0, x0 + (m_width - over.m_width) / 2, top, nullptr, vertical);
    PlaceRow(1, x0 + (m_width - under.m_width) / 2, baseline + glyph.m_height - glyph.m_ascent, nullptr, vertical);
    PlaceEmbedded(&glyph, x0 + (m_width - glyph.m_width) / 2, baseline - glyph.m_ascent, vertical);
}

void CEditOUnderover::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0)
        return;
    DrawChildrenWithMarks(dc, map, MarkTable::OverAndUnder, [this](int index, const CEditNode* child) {
        return (index == 0 && m_overMark != 0) || (child->m_lineIndex == 1 && m_underMark != 0);
    });
    // The glyph is always stroked, never written: a glyph outside the table draws nothing.
    DrawMarkByTable(dc, map, m_glyph.get(), MarkTable::OverAndUnder);
}
