#include "math/stretchy_templates.h"

#include "base/length_units.h"
#include "base/property_records.h"
#include "math/stretchy_marks.h"
#include "nodes/node_archive.h"
#include "nodes/node_text.h"

namespace {

// A vertical bar delimiter is half of 10.5 pt wide.
int BarDelimiterWidth()
{
    return PointsToHmm(10, 5) / 2;
}

// Lays out an embedded character at a point with a context whose row ascent and axis are its own.
void LayoutEmbedded(CEditMathChar* embedded, int x, int y, int vertical)
{
    LAYOUT_CONTEXT context;
    context.originX = x;
    context.originY = y;
    context.rowAscent = embedded->m_ascent;
    context.rowAxis = embedded->m_axis;
    embedded->Layout(&context, vertical);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditUnder2

IMPLEMENT_SERIAL(CEditUnder2, CEditMathTemplate, 1)

CEditUnder2::CEditUnder2() : CEditMathTemplate(EditKind::Code(EditKind::kUnder2)), m_mark(MakeEmbeddedChar()) {}

void CEditUnder2::CreateDefaultSlots()
{
    AppendSlotEnds({SlotSize::Template});
    m_mark->m_lf.lfHeight = SizeFor(SlotSize::Script);
}

void CEditUnder2::ApplyFontSize(CUndoGroup* group)
{
    CEditMathContainer::ApplyFontSize(group);
    ApplyEmbeddedSize(m_mark.get(), SizeFor(SlotSize::Script), group);
}

void CEditUnder2::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    m_mark->m_dirty = 1;
    m_mark->Measure(dc, map, context);
    const EDIT_LINE* base = GetRow(0);
    if (base == nullptr)
        return;
    const CStringW& text = m_mark->GetText();
    if (!text.IsEmpty() && IsFlatMark(text.GetAt(0)))
        m_mark->m_height /= 4;
    m_mark->m_width = base->m_width;
    m_width = base->m_width;
    m_height = base->m_height + m_mark->m_height;
    m_ascent = base->m_ascent;
    m_axis = base->m_axis;
}

void CEditUnder2::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    EDIT_LINE* base = GetRow(0);
    if (base == nullptr)
        return;
    PlaceRow(0, x0 + (m_width - base->m_width) / 2, top, nullptr, vertical);
    const int markTop = top + base->m_height;
    LayoutEmbedded(m_mark.get(), x0, markTop, vertical);
    m_mark->m_rcHit = RECT{x0, markTop, x0 + m_mark->m_width, markTop + m_mark->m_height};
    m_mark->m_lineIndex = 0;
    m_mark->m_indexInLine = 0;
}

void CEditUnder2::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr || GetChildCount() == 0)
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        LAYOUT_CONTEXT context;
        child->Draw(dc, map, &context);
    }
    DrawEmptySlotMarks(dc, map);
    DrawMarkByTable(dc, map, m_mark.get());
}

void CEditUnder2::Serialize(CArchive& ar)
{
    SerializeEmbeddedCharsThenBase(ar, {&m_mark}, [&] { CEditMathContainer::Serialize(ar); });
}

// ---------------------------------------------------------------------------------------------
// CEditFenced

IMPLEMENT_SERIAL(CEditFenced, CEditMathTemplate, 1)

CEditFenced::CEditFenced()
    : CEditMathTemplate(EditKind::Code(EditKind::kFenced)), m_open(MakeEmbeddedChar(u"(")), m_close(MakeEmbeddedChar(u")"))
{
}

void CEditFenced::CreateDefaultSlots()
{
    AppendSlotEnds({SlotSize::Template});
}

void CEditFenced::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Measure(dc, map, context);
    EDIT_LINE* row = GetRow(0);
    if (row == nullptr)
        return;
    if (m_extraHeight > 0) {
        const int half = m_extraHeight / 2;
        row->m_height += m_extraHeight;
        row->m_ascent += half;
        row->m_axis += half;
        row->m_aboveAxis += half;
        row->m_belowAxis += half;
        row->m_descent += half;
        m_extraHeight = 0;
    }
    for (CEditMathChar* delimiter : {m_open.get(), m_close.get()}) {
        delimiter->m_lf.lfHeight = -row->m_height;
        delimiter->m_lf.lfWidth = 0;
        delimiter->m_lf.lfItalic = 0;
        delimiter->m_lf.lfCharSet = SHIFTJIS_CHARSET;
        CopyFaceName(delimiter->m_lf.lfFaceName, kMsPMinchoFace);
        delimiter->m_dirty = 1;
        LAYOUT_CONTEXT fresh;
        delimiter->Measure(dc, map, &fresh);
        if (delimiter->GetText().View() == u"|")
            delimiter->m_width = BarDelimiterWidth();
    }
    m_width = m_open->m_width + row->m_width + m_close->m_width;
    m_height = row->m_height;
    // No ascent: the group aligns by its axis, and the characters after it on the row's axis.
    m_ascent = 0;
    m_axis = row->m_height / 2;
}

void CEditFenced::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    EDIT_LINE* row = GetRow(0);
    if (row == nullptr)
        return;
    PlaceRow(0, x0 + m_open->m_width, top, nullptr, vertical);
    LayoutEmbedded(m_open.get(), x0, top, vertical);
    LayoutEmbedded(m_close.get(), x0 + m_open->m_width + row->m_width, top, vertical);
}

void CEditFenced::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (dc == nullptr || map == nullptr)
        return;
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() == 0)
        return;
    DrawEmptySlotMarks(dc, map);
    if (!DrawStretchDelimiter(dc, map, m_open.get(), kOpeningSide))
        DrawEmbedded(dc, map, m_open.get());
    if (!DrawStretchDelimiter(dc, map, m_close.get(), kClosingSide))
        DrawEmbedded(dc, map, m_close.get());
}

void CEditFenced::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_extraHeight}, [&] {
        SerializeEmbeddedCharsThenBase(ar, {&m_open, &m_close}, [&] { CEditMathContainer::Serialize(ar); });
    });
}
