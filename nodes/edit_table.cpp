#include "nodes/edit_table.h"

#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/line_hits.h"
#include "nodes/node_archive.h"

#include <algorithm>

namespace {

// Half a point: the frame width of new tables and cells.
constexpr int kHalfPoint = 18;
constexpr COLORREF kBlack = 0x000000;

// The caret goes to the node; extending across parents takes the anchor along, so that a
// selection never spans two cells.
CEditNode* MoveCaretTo(CCaret* caret, CEditNode* node, int extend)
{
    if (node == nullptr)
        return nullptr;
    caret->m_caretNode = node;
    if (extend && caret->m_anchorNode != nullptr && caret->m_anchorNode->GetParent() != node->GetParent())
        caret->m_anchorNode = node;
    return node;
}

bool IsTable(const CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kTable);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditCell

IMPLEMENT_SERIAL(CEditCell, CEditContainer, 1)

CEditCell::CEditCell() : CEditContainer(EditKind::Code(EditKind::kCell))
{
    m_caretStop = 0;
}

void CEditCell::InitDefaultContent()
{
    EditBorderRecord()->m_borderStyle = CEditTable::kSolidFrame;
    EditBorderRecord()->m_borderWidth = kHalfPoint;
    auto lineBreak = std::make_unique<CEditCR>();
    if (AppendChild(lineBreak.get()) >= 0)
        lineBreak.release();
}

CEditNode* CEditCell::HitTest(int x, int y, int* after)
{
    if (CEditNode* hit = HitTestChildren(x, y, after))
        return hit;
    if (x < m_rcLayout.left || x > m_rcLayout.right)
        return nullptr;
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        for (int l = 0; box != nullptr && l < box->GetLineCount(); ++l) {
            const EDIT_LINE* line = box->LineAt(l);
            if (CEditNode* hit = HitBesideLineEnds(*line, GetEditChild(line->m_first), GetEditChild(line->m_last), x, y, after))
                return hit;
        }
    }
    return nullptr;
}

void CEditCell::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;
    LAYOUT_CONTEXT own = *context;
    CEditContainer::Measure(dc, map, &own);
}

void CEditCell::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditContainer::Draw(dc, map, context);
    if (BorderRecord().m_borderStyle != CEditTable::kSolidFrame || dc == nullptr || map == nullptr)
        return;
    SIZE penSize{BorderRecord().m_borderWidth, BorderRecord().m_borderWidth};
    map->DocToDeviceSize(&penSize);
    CPen pen;
    pen.CreatePen(PS_SOLID, penSize.cx, kBlack);
    const HPEN previousPen = dc->SelectObject(HPEN(pen));
    const HGDIOBJ previousBrush = dc->SelectStockObject(NULL_BRUSH);
    RECT frame{m_rcLayout.left, m_rcLayout.top, m_rcLayout.left + GetColumnWidth(), m_rcLayout.top + GetRowHeight()};
    map->DocToDeviceRect(&frame);
    frame.right += 1;
    frame.bottom += 1;
    dc->Rectangle(&frame);
    dc->SelectObject(HBRUSH(static_cast<HBRUSH>(previousBrush)));
    dc->SelectObject(previousPen);
}

CEditNode* CEditCell::MovePrev(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    if (CEditNode* found = CEditNode::MovePrev(caret, extend))
        return found;
    CEditNode* parent = GetEditParent();
    if (IsTable(parent) && parent->GetFirstChild() == this)
        return MoveCaretTo(caret, parent, extend);
    CEditNode* previous = FromNode(GetPrevSibling());
    if (previous == nullptr)
        return nullptr;
    return MoveCaretTo(caret, FromNode(previous->GetLastChild()), extend);
}

CEditNode* CEditCell::MoveNext(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    if (CEditNode* found = CEditNode::MoveNext(caret, extend))
        return found;
    CEditNode* target = nullptr;
    for (CEditNode* sibling = FromNode(GetNextSibling()); sibling != nullptr && target == nullptr;
         sibling = FromNode(sibling->GetNextSibling())) {
        if (!sibling->IsVisible())
            continue;
        if (sibling->HasKindFlags(EditKind::kContainer)) {
            if (CEditNode* inner = sibling->GetFirstInner())
                target = inner;
        } else {
            target = sibling;
        }
    }
    if (target == nullptr) {
        CEditNode* parent = GetEditParent();
        if (IsTable(parent))
            target = FromNode(parent->GetNextSibling());
    }
    return MoveCaretTo(caret, target, extend);
}

// ---------------------------------------------------------------------------------------------
// CEditTable

// Stored tables name the node class as their base: they stream as plain nodes with children.
IMPLEMENT_SERIAL(CEditTable, CEditNode, 1)

CEditTable::CEditTable() : CEditContainer(EditKind::Code(EditKind::kTable)) {}

void CEditTable::Create(int rows, int columns)
{
    EditBorderRecord()->m_borderStyle = kSolidFrame;
    EditBorderRecord()->m_borderWidth = kHalfPoint;
    if (rows <= 0 || columns <= 0)
        return;
    m_rows = rows;
    m_columns = columns;
    const int64_t count = CellCount();
    for (int64_t i = 0; i < count; ++i) {
        auto cell = std::make_unique<CEditCell>();
        cell->InitDefaultContent();
        if (AppendChild(cell.get()) < 0)
            return;
        cell.release();
    }
}

bool CEditTable::HasGridShape() const
{
    return m_rows >= 0 && m_columns >= 0 && CellCount() == GetChildCount();
}

CEditCell* CEditTable::GetCell(int row, int column) const
{
    if (row < 0 || column < 0 || row >= m_rows || column >= m_columns)
        return nullptr;
    const int64_t index = static_cast<int64_t>(row) * m_columns + column;
    if (index >= GetChildCount())
        return nullptr;
    return dynamic_cast<CEditCell*>(GetEditChild(static_cast<int>(index)));
}

CEditNode* CEditTable::HitTest(int x, int y, int* after)
{
    return HitTestChildren(x, y, after);
}

void CEditTable::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!HasGridShape() || context == nullptr)
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* cell = GetEditChild(i);
        if (cell == nullptr)
            continue;
        LAYOUT_CONTEXT cellContext;
        cellContext.availableWidth = context->availableWidth;
        cellContext.fullWidth = context->fullWidth;
        cellContext.remainingHeight = context->remainingHeight;
        cellContext.lineSpacing = context->lineSpacing;
        cellContext.letterSpacing = context->letterSpacing;
        cell->Measure(dc, map, &cellContext);
    }

    auto at = [this](int row, int column) { return GetEditChild(row * m_columns + column); };
    m_height = 0;
    m_ascent = 0;
    m_axis = 0;
    for (int r = 0; r < m_rows; ++r) {
        int rowHeight = 0;
        int rowAscent = 0;
        int rowAxis = 0;
        for (int c = 0; c < m_columns; ++c) {
            const CEditNode* cell = at(r, c);
            rowHeight = std::max(rowHeight, cell->m_height);
            rowAscent = std::max(rowAscent, cell->m_ascent);
            rowAxis = std::max(rowAxis, cell->m_axis);
        }
        for (int c = 0; c < m_columns; ++c) {
            CEditNode* cell = at(r, c);
            cell->m_extra[1] = rowHeight;
            cell->m_ascent = rowAscent;
            cell->m_axis = rowAxis;
        }
        m_height += rowHeight;
        m_ascent = std::max(m_ascent, rowAscent);
        m_axis = std::max(m_axis, rowAxis);
    }
    m_axis = std::max(m_axis, m_height / 2);

    m_width = 0;
    for (int c = 0; c < m_columns; ++c) {
        int columnWidth = 0;
        for (int r = 0; r < m_rows; ++r)
            columnWidth = std::max(columnWidth, at(r, c)->m_width);
        for (int r = 0; r < m_rows; ++r)
            at(r, c)->m_extra[0] = columnWidth;
        m_width += columnWidth;
    }
    m_dirty = 0;
}

void CEditTable::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!HasGridShape() || context == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAscent - m_ascent;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    int rowTop = top;
    for (int r = 0; r < m_rows; ++r) {
        int x = x0;
        CEditNode* cell = nullptr;
        for (int c = 0; c < m_columns; ++c) {
            cell = GetEditChild(r * m_columns + c);
            LAYOUT_CONTEXT cellContext;
            cellContext.originX = x;
            cellContext.originY = rowTop;
            cellContext.rowAscent = cell->m_ascent;
            cellContext.rowAxis = cell->m_axis;
            cellContext.page = context->page;
            cellContext.lineSpacing = context->lineSpacing;
            cellContext.letterSpacing = context->letterSpacing;
            cell->Layout(&cellContext, vertical);
            cell->m_page = context->page;
            x += cell->m_extra[0];
        }
        if (cell != nullptr)
            rowTop += cell->m_extra[1];
    }
}

void CEditTable::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    const int64_t grid = m_rows > 0 && m_columns > 0 ? CellCount() : 0;
    const int drawn = static_cast<int>(std::min<int64_t>(grid, GetChildCount()));
    for (int i = 0; i < drawn; ++i) {
        if (CEditNode* cell = GetEditChild(i)) {
            LAYOUT_CONTEXT cellContext;
            cell->Draw(dc, map, &cellContext);
        }
    }
}

void CEditTable::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_rows, &m_columns}, [&] { CEditNode::Serialize(ar); });
}

CEditNode* CEditTable::GetFirstInner()
{
    CEditNode* first = GetEditChild(0);
    return first != nullptr ? FromNode(first->GetFirstChild()) : nullptr;
}
