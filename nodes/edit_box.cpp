#include "nodes/edit_box.h"

#include <cstring>

void EDIT_LINE::Reset()
{
    std::memset(static_cast<void*>(this), 0, sizeof(EDIT_LINE));
    CEditProperties::Reset();
    m_first = -1;
    m_last = -1;
}

IMPLEMENT_SERIAL(CEditBox, CObject, 1)

EDIT_LINE CEditBox::GetLine(int index) const
{
    return HasLine(index) ? m_lines[static_cast<size_t>(index)] : EDIT_LINE();
}

void CEditBox::SetLine(int index, const EDIT_LINE& line)
{
    if (HasLine(index))
        m_lines[static_cast<size_t>(index)] = line;
}

void CEditBox::SetLineAtGrow(int index, const EDIT_LINE& line)
{
    if (index < 0)
        return;
    if (index >= GetLineCount())
        m_lines.resize(static_cast<size_t>(index) + 1);
    m_lines[static_cast<size_t>(index)] = line;
}

namespace {

// The fields of a placement context that the layout of a box reads.
bool SamePlacement(const LAYOUT_CONTEXT& a, const LAYOUT_CONTEXT& b)
{
    return a.availableWidth == b.availableWidth && a.fullWidth == b.fullWidth &&
           a.remainingHeight == b.remainingHeight && a.page == b.page && a.columnWidth == b.columnWidth &&
           a.pageHeight == b.pageHeight && a.column == b.column && a.originX == b.originX &&
           a.originY == b.originY && a.rowAscent == b.rowAscent && a.rowAxis == b.rowAxis &&
           a.lineSpacing == b.lineSpacing && a.letterSpacing == b.letterSpacing && a.boxIndex == b.boxIndex &&
           a.centreOnAxis == b.centreOnAxis;
}

}  // namespace

bool CEditBox::IsMovedFrom(const LAYOUT_CONTEXT& context, int vertical, int* dx, int* dy) const
{
    LAYOUT_CONTEXT moved = context;
    moved.originX = m_placedWith.originX;
    moved.originY = m_placedWith.originY;
    moved.page = m_placedWith.page;
    moved.column = m_placedWith.column;
    moved.remainingHeight = m_placedWith.remainingHeight;
    if (!IsPlacedWith(moved, vertical))
        return false;
    *dx = context.originX - m_placedWith.originX;
    *dy = context.originY - m_placedWith.originY;
    return true;
}

bool CEditBox::IsPlacedWith(const LAYOUT_CONTEXT& context, int vertical) const
{
    return m_placed && m_placedVertical == vertical && SamePlacement(m_placedWith, context);
}

void CEditBox::RememberPlacement(const LAYOUT_CONTEXT& context, int vertical)
{
    m_placed = true;
    m_placedVertical = vertical;
    m_placedWith = context;
}

void CEditBox::PlaceLater(const LAYOUT_CONTEXT& context, int vertical)
{
    m_pending = true;
    m_pendingVertical = vertical;
    m_pendingWith = context;
}

bool CEditBox::IsPendingWith(const LAYOUT_CONTEXT& context, int vertical) const
{
    return m_pending && m_pendingVertical == vertical && SamePlacement(m_pendingWith, context);
}

LAYOUT_CONTEXT CEditBox::TakePendingPlacement(int* vertical)
{
    m_pending = false;
    *vertical = m_pendingVertical;
    return m_pendingWith;
}
