#include "math/math_container.h"

#include "base/gdi_cache.h"
#include "math/math_char.h"
#include "nodes/display_map.h"
#include "nodes/line_hits.h"
#include "nodes/node_text.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr COLORREF kEmptySlotGreen = 0x00FF00;

// Formulas are drawn on the user-interface thread only.
bool g_emptySlotMarksHidden = false;

// A slot end as the row sizes it: its average character width when it starts the row, else no
// width and the height of the child before it.
void FitSlotEnd(CEditNode* slotEnd, const CEditNode* previous)
{
    if (previous == nullptr) {
        slotEnd->m_width = slotEnd->m_tm->tmAveCharWidth;
        return;
    }
    slotEnd->m_width = 0;
    if (previous->m_ascent <= 0)
        return;
    slotEnd->m_height = previous->m_height;
    slotEnd->m_ascent = previous->m_ascent;
    slotEnd->m_axis = previous->m_axis;
    if (IsCharacter(previous)) {
        slotEnd->m_tm = previous->m_tm;
    } else {
        TEXTMETRICA metrics{};
        metrics.tmHeight = slotEnd->m_height;
        metrics.tmAscent = slotEnd->m_ascent;
        metrics.tmDescent = slotEnd->m_height - slotEnd->m_ascent;
        slotEnd->m_tm = metrics;
    }
}

// Folds a child into the row; `previous` is the child before it in the row, or null.
void AddToRow(EDIT_LINE& row, int index, const CEditNode* child, const CEditNode* previous, bool recordFontHeight)
{
    if (row.m_first < 0)
        row.m_first = index;
    row.m_count += 1;
    row.m_width += child->m_width;
    if (recordFontHeight)
        row.m_maxFontSize = std::max(row.m_maxFontSize, std::abs(child->m_lf.lfHeight));
    row.m_axis = std::max(row.m_axis, child->m_axis);
    row.m_belowAxis = std::max(row.m_belowAxis, child->m_height - child->m_axis);
    if (child->m_ascent > 0) {
        int ascent = child->m_ascent;
        if (previous != nullptr && previous->m_ascent <= 0)
            ascent += row.m_axis - child->m_axis;
        row.m_ascent = std::max(row.m_ascent, ascent);
        row.m_aboveAxis = std::max(row.m_aboveAxis, child->m_ascent - child->m_axis);
        row.m_descent = std::max(row.m_descent, child->m_height - child->m_ascent);
    }
    row.m_height = std::max(row.m_height, child->m_height);
}

void CloseRow(EDIT_LINE& row)
{
    if (row.m_axis >= row.m_ascent)
        row.m_ascent = row.m_aboveAxis + row.m_axis;
    row.m_height = std::max(row.m_axis + row.m_belowAxis, row.m_ascent + row.m_descent);
}

}  // namespace

EmptySlotMarksHidden::EmptySlotMarksHidden() : m_previous(g_emptySlotMarksHidden)
{
    g_emptySlotMarksHidden = true;
}

EmptySlotMarksHidden::~EmptySlotMarksHidden()
{
    g_emptySlotMarksHidden = m_previous;
}

bool EmptySlotMarksHidden::Active()
{
    return g_emptySlotMarksHidden;
}

IMPLEMENT_SERIAL(CEditMathContainer, CEditContainer, 1)

CEditMathContainer::CEditMathContainer() = default;

CEditMathContainer::CEditMathContainer(EDIT_NODE_KIND kind) : CEditContainer(kind) {}

void CEditMathContainer::MeasureRows(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context, bool recordFontHeight)
{
    ClearMeasure();
    const LAYOUT_CONTEXT incoming = context != nullptr ? *context : LAYOUT_CONTEXT{};
    auto box = std::make_unique<CEditBox>();
    EDIT_LINE row;
    int rowCount = 0;
    const CEditNode* previousInRow = nullptr;
    const int count = GetChildCount();
    for (int i = 0; i < count; ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            break;
        // A big operator takes the size of what follows it.
        if (child->HasKindFlags(EditKind::kLargeOperator) && i + 1 < count) {
            if (const CEditNode* next = GetEditChild(i + 1)) {
                child->m_lf.lfHeight = next->m_lf.lfHeight;
                child->m_dirty = 1;
            }
        }
        LAYOUT_CONTEXT childContext;
        childContext.availableWidth = incoming.availableWidth;
        childContext.fullWidth = incoming.availableWidth;
        childContext.remainingHeight = incoming.remainingHeight;
        childContext.lineSpacing = incoming.lineSpacing;
        childContext.letterSpacing = incoming.letterSpacing;
        child->Measure(dc, map, &childContext);

        if (previousInRow != nullptr && IsLineBreak(previousInRow)) {
            box->SetLineAtGrow(rowCount++, row);
            row.Reset();
            previousInRow = nullptr;
        }
        if (IsLineBreak(child))
            FitSlotEnd(child, previousInRow);
        AddToRow(row, i, child, previousInRow, recordFontHeight);
        previousInRow = child;
    }
    if (row.m_count > 0)
        box->SetLineAtGrow(rowCount++, row);

    for (int r = 0; r < rowCount; ++r) {
        EDIT_LINE* stored = box->LineAt(r);
        CloseRow(*stored);
        m_width = std::max(m_width, stored->m_width);
        m_height += stored->m_height;
    }
    m_height = std::max(m_height, 0);
    if (const EDIT_LINE* first = box->LineAt(0)) {
        m_ascent = first->m_ascent;
        m_axis = first->m_axis;
    }
    SetBoxAtGrow(0, std::move(box));
}

void CEditMathContainer::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!IsVisible()) {
        m_width = m_height = m_ascent = m_axis = 0;
        DeleteBoxes();
        return;
    }
    MeasureRows(dc, map, context, true);
}

EDIT_LINE* CEditMathContainer::GetRow(int row) const
{
    CEditBox* box = GetBox(0);
    return box != nullptr ? box->LineAt(row) : nullptr;
}

void CEditMathContainer::PlaceRow(int rowIndex, int x, int top, const LAYOUT_CONTEXT* spacing, int vertical,
                                  bool centreOnAxis)
{
    EDIT_LINE* row = GetRow(rowIndex);
    if (row == nullptr || row->m_first < 0)
        return;
    const int x0 = x;
    int indexInRow = 0;
    for (int k = 0; k < row->m_count; ++k) {
        CEditNode* child = GetEditChild(row->m_first + k);
        if (child == nullptr)
            return;
        LAYOUT_CONTEXT childContext;
        childContext.originX = x;
        childContext.originY = top;
        childContext.rowAscent = row->m_ascent;
        childContext.rowAxis = row->m_axis;
        childContext.centreOnAxis = centreOnAxis ? 1 : 0;
        if (spacing != nullptr) {
            childContext.lineSpacing = spacing->lineSpacing;
            childContext.letterSpacing = spacing->letterSpacing;
        }
        if (child->IsKind(EditKind::kFloat)) {
            // A floating frame stands at the row's start, at the container's right edge or where
            // it is; it takes no room in the row.
            const auto* frame = dynamic_cast<const IFloatingFrame*>(child);
            const int side = frame != nullptr ? frame->GetFloatSide() : 0;
            childContext.originX = side == 1 ? x0 : side == 2 ? m_rcLayout.right - child->m_width : x;
            child->Layout(&childContext, vertical);
            continue;
        }
        child->Layout(&childContext, vertical);
        child->m_rcHit = RECT{x, top, x + child->m_width, top + row->m_height};
        child->m_lineIndex = rowIndex;
        child->m_indexInLine = indexInRow;
        if (indexInRow == 0)
            row->m_rcLayout = RECT{x, top, x + row->m_width, top + row->m_height};
        x += child->m_width;
        ++indexInRow;
    }
}

void CEditMathContainer::LayoutRows(int x, int y, const LAYOUT_CONTEXT* spacing, int vertical, bool centreOnAxis)
{
    CEditBox* box = GetBox(0);
    if (box == nullptr)
        return;
    for (int r = 0; r < box->GetLineCount(); ++r) {
        PlaceRow(r, x, y, spacing, vertical, centreOnAxis);
        y += box->LineAt(r)->m_height;
    }
}

void CEditMathContainer::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    const int x = context->originX;
    const int y = context->originY;
    m_rcLayout = RECT{x, y, x + m_width, y + m_height};
    m_rcHit = m_rcLayout;
    LayoutRows(x, y, context, vertical);
}

void CEditMathContainer::LayoutAsTemplate(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    const int x = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{x, top, x + m_width, top + m_height};
    LayoutRows(x, top, nullptr, vertical);
}

void CEditMathContainer::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!IsVisible() || dc == nullptr || map == nullptr)
        return;
    CEditContainer::Draw(dc, map, context);
    if (BorderRecord().m_afterStyle != LineStyle::kNone)
        DrawNodeUnderline(dc, map);
}

void CEditMathContainer::DrawEmptySlotMarks(CDC* dc, CDisplayMap* map)
{
    for (int i = 0; i < GetChildCount(); ++i)
        DrawEmptySlotMark(dc, map, GetEditChild(i));
}

void CEditMathContainer::DrawEmptySlotMark(CDC* dc, CDisplayMap* map, const CEditNode* child)
{
    if (dc == nullptr || map == nullptr || dc->IsPrinting() || dc->GetDeviceKind() == DeviceKind::Metafile ||
        EmptySlotMarksHidden::Active())
        return;
    if (child == nullptr || !child->IsKind(EditKind::kMathCR) || child->m_indexInLine != 0)
        return;
    RECT rect = child->m_rcLayout;
    map->DocToDeviceRect(&rect);
    rect.right += 1;
    rect.bottom += 1;
    const HBRUSH previousBrush = dc->SelectObject(HBRUSH(*GetSolidBrush(kEmptySlotGreen)));
    const HGDIOBJ previousPen = dc->SelectStockObject(NULL_PEN);
    dc->Rectangle(&rect);
    dc->SelectObject(previousPen);
    dc->SelectObject(previousBrush);
}

void CEditMathContainer::ApplyDefaultSizes(CDefaultFontTable* table, CUndoGroup* group)
{
    CEditNode::ApplyDefaultSizes(table, group);
}

BOOL CEditMathContainer::InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group)
{
    return InsertFormulaCharacters(caret, text, group);
}

CEditNode* CEditMathContainer::GetFirstSlotEnd()
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            return nullptr;
        if (IsLineBreak(child))
            return child;
    }
    return nullptr;
}

void CEditMathContainer::ApplySizeTo(CEditNode* child, int height, CUndoGroup* group)
{
    const SIZE size{0, height};
    child->SetFontSize(&size, group);
    if (IsFormulaContainer(child)) {
        if (auto* formula = dynamic_cast<IFormulaContainer*>(child))
            formula->ApplyFontSize(group);
    }
}

void CEditMathContainer::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int) { return SlotSize::Template; });
}

int CEditMathContainer::SizeFor(SlotSize size) const
{
    return size == SlotSize::Script ? ScriptSize(m_lf.lfHeight) : m_lf.lfHeight;
}

void CEditMathContainer::AppendSlotEnds(std::initializer_list<SlotSize> sizes)
{
    for (SlotSize size : sizes) {
        auto slotEnd = std::make_unique<CEditMathCR>();
        slotEnd->m_lf.lfHeight = SizeFor(size);
        if (AppendChild(slotEnd.get()) < 0)
            return;
        slotEnd.release();
    }
}

int CEditMathContainer::GetSlotCount() const
{
    int slots = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditNode* child = GetEditChild(i);
        if (child != nullptr && IsLineBreak(child))
            ++slots;
    }
    return slots;
}

int CEditMathContainer::GetSlotStart(int slot) const
{
    if (slot <= 0)
        return slot == 0 ? 0 : GetChildCount();
    int ends = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditNode* child = GetEditChild(i);
        if (child != nullptr && IsLineBreak(child) && ++ends == slot)
            return i + 1;
    }
    return GetChildCount();
}

CEditNode* CEditMathContainer::TemplateHitTest(int x, int y, int* after)
{
    if (CEditNode* hit = HitTestChildren(x, y, after))
        return hit;
    CEditNode* result = nullptr;
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        if (box == nullptr)
            continue;
        for (int r = 0; r < box->GetLineCount(); ++r) {
            const EDIT_LINE* row = box->LineAt(r);
            if (row->m_count <= 0)
                continue;
            CEditNode* first = GetEditChild(row->m_first);
            CEditNode* last = GetEditChild(row->m_first + row->m_count - 1);
            if (first == nullptr || last == nullptr)
                continue;
            if (CEditNode* hit = HitBesideLineEnds(*row, first, last, x, y, after, row->m_rcLayout.left, row->m_rcLayout.right)) {
                result = hit;
                break;
            }
        }
    }
    return result;
}
