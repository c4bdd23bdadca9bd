// The formula container: the base of every formula node with children. Its children form slots,
// each closed by one slot end (CEditMathCR); every slot is measured as one row of the
// container's single layout box, and the template classes build their geometry on those rows.
#pragma once

#include "nodes/edit_box.h"
#include "nodes/edit_container.h"
#include "nodes/edit_families.h"

#include <initializer_list>

class CEditMathChar;

// Leaves the empty-slot marks out of everything drawn while it lives: a formula drawn into a
// picture for others to see is no place for the author's typing aids.
class EmptySlotMarksHidden {
public:
    EmptySlotMarksHidden();
    ~EmptySlotMarksHidden();
    EmptySlotMarksHidden(const EmptySlotMarksHidden&) = delete;
    EmptySlotMarksHidden& operator=(const EmptySlotMarksHidden&) = delete;
    static bool Active();

private:
    bool m_previous;
};

// The size of a template's slot: the template's own font height or the script size of it.
enum class SlotSize { Template, Script };

class CEditMathContainer : public CEditContainer, public IFormulaContainer {
    DECLARE_SERIAL(CEditMathContainer)
public:
    // Kind 0 until the node is read from a stream.
    CEditMathContainer();
    explicit CEditMathContainer(EDIT_NODE_KIND kind);

    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void ApplyDefaultSizes(CDefaultFontTable* table, CUndoGroup* group) override;
    // Typed text goes in one node per character, a surrogate pair staying one node.
    BOOL InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group) override;

    // The slot end of slot 0, or null.
    virtual CEditNode* GetFirstSlotEnd();
    // Every child takes the container's font height; nested formula containers follow theirs.
    void ApplyFontSize(CUndoGroup* group) override;

    // --- the slot model
    int GetSlotCount() const;
    // The index of the first child of the slot; the child count when the slot does not exist.
    int GetSlotStart(int slot) const;
    // The row record of a slot (row k of box 0), or null when it was not measured.
    EDIT_LINE* GetRow(int row) const;

    // The template hit test: the children first, then the margins of each row.
    CEditNode* TemplateHitTest(int x, int y, int* after);
    // The green mark of every slot end that stands first in its row (an empty slot), on screen.
    void DrawEmptySlotMarks(CDC* dc, CDisplayMap* map);
    // The green mark of one child when it is such a slot end. Neither is drawn on paper or into
    // a picture: the mark helps the author type, it is no part of the formula.
    static void DrawEmptySlotMark(CDC* dc, CDisplayMap* map, const CEditNode* child);

protected:
    // Builds one row per slot (a row ends only after a slot end, whatever its width, so every slot
    // is the row the templates read by index) and the container's metrics from the rows.
    void MeasureRows(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context, bool recordFontHeight);
    // Places the children of one row from (x, top); each child gets a context with the row's
    // ascent and axis and, when `spacing` is given, its line and letter spacing, and its hit
    // rectangle, row and index in the row; the row's rectangle is set with its first child.
    void PlaceRow(int row, int x, int top, const LAYOUT_CONTEXT* spacing, int vertical, bool centreOnAxis = false);
    // Places every row, one below the other, from (x, y).
    void LayoutRows(int x, int y, const LAYOUT_CONTEXT* spacing, int vertical, bool centreOnAxis = false);
    // Layout of a template whose geometry is its stacked rows: centred on the row's axis.
    void LayoutAsTemplate(LAYOUT_CONTEXT* context, int vertical);
    // Appends one slot end per entry, at the template's height or its script size.
    void AppendSlotEnds(std::initializer_list<SlotSize> sizes);
    // Gives each child the size of its slot (slot ends belong to the slot they close) and lets
    // nested formula containers follow; `slotSize` says which slots are scripts.
    template <typename SlotSizeOf>
    void ApplySlotSizes(CUndoGroup* group, SlotSizeOf slotSize);
    int SizeFor(SlotSize size) const;
    // Sets a child's font height (recorded in the group) and, for a formula container, its own.
    static void ApplySizeTo(CEditNode* child, int height, CUndoGroup* group);
};

template <typename SlotSizeOf>
void CEditMathContainer::ApplySlotSizes(CUndoGroup* group, SlotSizeOf slotSize)
{
    int slot = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            break;
        ApplySizeTo(child, SizeFor(slotSize(slot)), group);
        if (IsLineBreak(child))
            ++slot;
    }
}
