// Tables: an inline grid of rows × columns of cells, each cell a small paragraph container with a
// thin frame. The table measures its cells, gives every cell of a row the row's height and every
// cell of a column the column's width, and places them; each cell draws its own frame. The caret
// moves of a cell keep a selection inside it.
#pragma once

#include "nodes/edit_container.h"

class CEditCell : public CEditContainer {
    DECLARE_SERIAL(CEditCell)
public:
    CEditCell();

    // A single solid frame of half a point and one empty line.
    void InitDefaultContent();

    // The column width and row height the table measured for the cell.
    int GetColumnWidth() const { return m_extra[0]; }
    int GetRowHeight() const { return m_extra[1]; }

    // The children first; then, on a line whose row holds the point and within the cell's own
    // width, the line's first or last child.
    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The contents, then the frame round the column width and row height, one device pixel larger
    // to the right and bottom so that the frames of neighbouring cells overlap.
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Past the cell's start: onto the table (from its first cell) or the previous cell's end.
    CEditNode* MovePrev(CCaret* caret, int extend) override;
    // Past the cell's end: into the next cell, or after the table from its last cell.
    CEditNode* MoveNext(CCaret* caret, int extend) override;
};

class CEditTable : public CEditContainer {
    DECLARE_SERIAL(CEditTable)
public:
    // Frame style of a single solid line.
    static constexpr int kSolidFrame = 1;

    CEditTable();

    // Sets the table's own frame, then, for a positive size, the grid and its cells with their
    // default content.
    void Create(int rows, int columns);
    int GetRows() const { return m_rows; }
    int GetColumns() const { return m_columns; }
    // The cell of the row and column; null outside the grid or the children.
    CEditCell* GetCell(int row, int column) const;
    // Whether the children are exactly the rows × columns cells the grid asks for.
    bool HasGridShape() const;

    CEditNode* HitTest(int x, int y, int* after) override;
    // A table whose children do not fill its grid is neither measured nor laid out (it keeps its
    // last sizes and places) and draws only the cells it has of its grid.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The first child of the first cell.
    CEditNode* GetFirstInner() override;
    // Rows and columns, then the node part (not the container's): the cells come back as the
    // node's children.
    void Serialize(CArchive& ar) override;

    int32_t m_rows = 0;
    int32_t m_columns = 0;

private:
    int64_t CellCount() const { return static_cast<int64_t>(m_rows) * m_columns; }
};
