// The cells of one sheet of the grid control: rows of cells with relative indexes. The first row
// made has index 0 and rows made before it count down from -1, so the heading cells (negative rows
// and columns) live beside the others; likewise the first cell made in a row has column 0.
// Rows and cells are made on demand when a cell is set, at either end.
#pragma once

#include "dialogs/grid_cell.h"

#include <deque>
#include <memory>

class CGridCellHost;

class CGridCellStore {
public:
    explicit CGridCellStore(CGridCellHost* grid = nullptr) : m_grid(grid) {}
    CGridCellStore(const CGridCellStore&) = delete;
    CGridCellStore& operator=(const CGridCellStore&) = delete;
    virtual ~CGridCellStore();

    virtual void RowChanged(int oldRow, int newRow);
    virtual void ColumnChanged(int oldColumn, int newColumn);
    // Whether the current cell may move; 1.
    virtual int CanLeaveCell(int oldColumn, int oldRow, int newColumn, int newRow);
    // An empty row before the row; it and the later rows move down by one.
    virtual int InsertRow(int row);
    // An empty cell before the column in every row; the grid's column records follow.
    virtual int InsertColumn(int column);
    virtual int DeleteRow(int row);
    // The column's cells in every row go, except that a row's last cell only loses its content.
    virtual int DeleteColumn(int column);
    virtual void RemoveAll();
    // Empties one cell; its place stays.
    virtual int ClearCell(int column, int row);
    // Merges the stored cell into `cell`: 0; 1 when nothing is stored there or the address lies
    // outside the grid's sheet.
    virtual int GetCell(int column, int row, CGridCell& cell);
    // Stores a copy with exactly the given properties: 0; 1 (and nothing changes) outside the
    // grid's sheet.
    virtual int SetCell(int column, int row, const CGridCell& cell);

    // The range of row indexes made so far (first > last when none).
    int GetFirstRow() const { return -m_rowOrigin; }
    int GetLastRow() const { return static_cast<int>(m_rows.size()) - m_rowOrigin - 1; }
    // The range of cell indexes made in a row (first > last when none).
    void GetColumnRange(int row, int& first, int& last) const;

private:
    struct Row {
        std::deque<std::unique_ptr<CGridCell>> cells;
        int origin = 0;  // the position of column 0
    };

    bool InSheet(int column, int row) const;
    Row* FindRow(int row);
    std::unique_ptr<CGridCell>* FindCell(int column, int row);
    Row& MakeRow(int row);
    std::unique_ptr<CGridCell>& MakeCell(Row& row, int column);

    CGridCellHost* m_grid;
    std::deque<Row> m_rows;
    int m_rowOrigin = 0;  // the position of row 0
};
