#include "dialogs/grid_cell_store.h"

#include "dialogs/grid_cell_type.h"

namespace {

// Inserts an empty place at `index` of a list whose index 0 sits at position `origin`: the places
// at and after it move up by one.
template <typename List, typename Item>
void InsertAt(List& list, int& origin, int index, Item item)
{
    const int position = origin + index;
    if (position < 0)
        --origin;  // every place lies after it
    else if (position <= static_cast<int>(list.size()))
        list.insert(list.begin() + position, std::move(item));
}

}  // namespace

CGridCellStore::~CGridCellStore() = default;

void CGridCellStore::RowChanged(int, int) {}
void CGridCellStore::ColumnChanged(int, int) {}

int CGridCellStore::CanLeaveCell(int, int, int, int)
{
    return 1;
}

bool CGridCellStore::InSheet(int column, int row) const
{
    return !m_grid || m_grid->IsCellInSheet(column, row);
}

CGridCellStore::Row* CGridCellStore::FindRow(int row)
{
    const int position = m_rowOrigin + row;
    if (position < 0 || position >= static_cast<int>(m_rows.size()))
        return nullptr;
    return &m_rows[static_cast<size_t>(position)];
}

std::unique_ptr<CGridCell>* CGridCellStore::FindCell(int column, int row)
{
    Row* r = FindRow(row);
    if (!r)
        return nullptr;
    const int position = r->origin + column;
    if (position < 0 || position >= static_cast<int>(r->cells.size()))
        return nullptr;
    return &r->cells[static_cast<size_t>(position)];
}

CGridCellStore::Row& CGridCellStore::MakeRow(int row)
{
    if (m_rows.empty()) {
        m_rows.emplace_back();
        m_rowOrigin = 0;
    }
    while (m_rowOrigin + row < 0) {
        m_rows.emplace_front();
        ++m_rowOrigin;
    }
    while (m_rowOrigin + row >= static_cast<int>(m_rows.size()))
        m_rows.emplace_back();
    return m_rows[static_cast<size_t>(m_rowOrigin + row)];
}

std::unique_ptr<CGridCell>& CGridCellStore::MakeCell(Row& row, int column)
{
    if (row.cells.empty()) {
        row.cells.emplace_back();
        row.origin = 0;
    }
    while (row.origin + column < 0) {
        row.cells.emplace_front();
        ++row.origin;
    }
    while (row.origin + column >= static_cast<int>(row.cells.size()))
        row.cells.emplace_back();
    return row.cells[static_cast<size_t>(row.origin + column)];
}

void CGridCellStore::GetColumnRange(int row, int& first, int& last) const
{
    first = 0;
    last = -1;
    const int position = m_rowOrigin + row;
    if (position < 0 || position >= static_cast<int>(m_rows.size()))
        return;
    const Row& r = m_rows[static_cast<size_t>(position)];
    first = -r.origin;
    last = static_cast<int>(r.cells.size()) - r.origin - 1;
}

int CGridCellStore::InsertRow(int row)
{
    if (m_rows.empty())
        return 0;
    InsertAt(m_rows, m_rowOrigin, row, Row{});
    return 0;
}

int CGridCellStore::InsertColumn(int column)
{
    for (Row& row : m_rows) {
        if (!row.cells.empty())
            InsertAt(row.cells, row.origin, column, std::unique_ptr<CGridCell>());
    }
    if (m_grid)
        m_grid->ShiftColumnDataIndexes(column, 1);
    return 0;
}

int CGridCellStore::DeleteRow(int row)
{
    const int position = m_rowOrigin + row;
    if (position < 0 || position >= static_cast<int>(m_rows.size()))
        return 1;
    m_rows.erase(m_rows.begin() + position);
    if (position < m_rowOrigin)
        --m_rowOrigin;  // a heading row went: the rows keep their indexes
    return 0;
}

int CGridCellStore::DeleteColumn(int column)
{
    for (Row& row : m_rows) {
        const int position = row.origin + column;
        if (position < 0 || position >= static_cast<int>(row.cells.size()))
            continue;
        if (row.cells.size() == 1) {
            row.cells[0].reset();
            continue;
        }
        row.cells.erase(row.cells.begin() + position);
        if (position < row.origin)
            --row.origin;
    }
    if (m_grid)
        m_grid->ShiftColumnDataIndexes(column, -1);
    return 0;
}

void CGridCellStore::RemoveAll()
{
    m_rows.clear();
    m_rowOrigin = 0;
}

int CGridCellStore::ClearCell(int column, int row)
{
    std::unique_ptr<CGridCell>* cell = FindCell(column, row);
    if (!cell)
        return 1;
    cell->reset();
    return 0;
}

int CGridCellStore::GetCell(int column, int row, CGridCell& cell)
{
    if (!InSheet(column, row))
        return 1;
    std::unique_ptr<CGridCell>* stored = FindCell(column, row);
    if (!stored || !*stored)
        return 1;
    cell.MergeFrom(**stored);
    return 0;
}

int CGridCellStore::SetCell(int column, int row, const CGridCell& cell)
{
    if (!InSheet(column, row))
        return 1;
    std::unique_ptr<CGridCell>& stored = MakeCell(MakeRow(row), column);
    if (!stored)
        stored = std::make_unique<CGridCell>();
    cell.CopyTo(*stored);
    return 0;
}
