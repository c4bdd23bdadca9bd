// The layout of a container: one box per column or page part that it occupies, each holding the
// records of its lines. Both are rebuilt by every measuring of the container.
#pragma once

#include "nodes/edit_node.h"

#include <vector>

// One line of a container's box. Its byte image is stored raw with the container.
struct EDIT_LINE : CEditProperties {
    EDIT_LINE() { Reset(); }
    // Head as a reset layout record, first and last child -1, everything else 0.
    void Reset();

    int32_t m_first;          // index of the first child in the line, -1: none
    int32_t m_last;           // index of the last child, -1: none
    int32_t m_count;          // children in the line, line breaks included
    int32_t m_textCount;      // children that are not line breaks
    int32_t m_aboveAxis;      // formula rows: largest extent above the axis
    int32_t m_belowAxis;      // largest extent below the axis
    int32_t m_descent;        // largest descent
    int32_t m_indent;         // indent applied at the line start
    int32_t m_spaces;         // U+0020 and U+3000 characters, the last child excluded
    int32_t m_slack;          // available width minus line width
    int32_t m_wrapped;        // 1: the line ended because the next child did not fit
    int32_t m_movedWord;      // 1: a trailing ASCII word was carried to the next line
    int32_t m_reserved;
    int32_t m_maxFontSize;    // largest absolute lfHeight in the line
};

static_assert(sizeof(EDIT_LINE) == 224);
static_assert(std::is_trivially_copyable_v<EDIT_LINE>);

// A container's layout box: a layout record (width = the available width it was measured for,
// height = the height of its lines, rectangles set by the owner's layout) and its lines.
class CEditBox : public CObject, public CEditProperties {
    DECLARE_SERIAL(CEditBox)
public:
    CEditBox() = default;

    int GetLineCount() const { return static_cast<int>(m_lines.size()); }
    // A copy of the line at index; a fresh record outside the array.
    EDIT_LINE GetLine(int index) const;
    bool HasLine(int index) const { return index >= 0 && index < GetLineCount(); }
    // Stores the record at index; an index outside the array changes nothing.
    void SetLine(int index, const EDIT_LINE& line);
    // Stores the record at index, growing the array to index + 1 records (new ones fresh).
    void SetLineAtGrow(int index, const EDIT_LINE& line);
    // Direct access for the owner's layout.
    EDIT_LINE* LineAt(int index) { return HasLine(index) ? &m_lines[static_cast<size_t>(index)] : nullptr; }

    // Whether the box was last placed with this context and writing direction, so that placing
    // it again would change nothing; and the remembering of a placement, and its forgetting.
    bool IsPlacedWith(const LAYOUT_CONTEXT& context, int vertical) const;
    // Whether the context differs from the last placement only in its origin, page and column (and
    // the height left, which layout does not read): the box then only moves by (*dx, *dy).
    bool IsMovedFrom(const LAYOUT_CONTEXT& context, int vertical, int* dx, int* dy) const;
    void RememberPlacement(const LAYOUT_CONTEXT& context, int vertical);
    void ForgetPlacement()
    {
        m_placed = false;
        m_pending = false;
    }

    // A placement decided but not carried out yet: the box's children stay where the last
    // placement put them until the owner settles it.
    void PlaceLater(const LAYOUT_CONTEXT& context, int vertical);
    bool HasPendingPlacement() const { return m_pending; }
    const LAYOUT_CONTEXT& PendingPlacement() const { return m_pendingWith; }
    bool IsPendingWith(const LAYOUT_CONTEXT& context, int vertical) const;
    // The pending placement and its writing direction, no longer pending.
    LAYOUT_CONTEXT TakePendingPlacement(int* vertical);
    void DropPendingPlacement() { m_pending = false; }

private:
    std::vector<EDIT_LINE> m_lines;
    bool m_placed = false;
    bool m_pending = false;
    int m_placedVertical = 0;
    int m_pendingVertical = 0;
    LAYOUT_CONTEXT m_placedWith;
    LAYOUT_CONTEXT m_pendingWith;
};
