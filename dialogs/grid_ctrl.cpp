#include "dialogs/grid_ctrl.h"

#include "base/gdi_cache.h"
#include "platform/codepage.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int MaxSheets = 1024;
constexpr int MaxColumns = 32000;
constexpr int UniformRowsAbove = 64000;
constexpr int MaxHeadingSize = 1024;

int Sum(const std::vector<int>& values)
{
    int sum = 0;
    for (int v : values)
        sum += v;
    return sum;
}

// Rescales the parts in proportion so that they sum to `total`, each rounded half up.
void Rescale(std::vector<int>& parts, int total)
{
    const int old = Sum(parts);
    for (int& part : parts) {
        if (old > 0)
            part = static_cast<int>((static_cast<long long>(part) * total * 2 + old) / (2LL * old));
        else
            part = total / static_cast<int>(parts.size());
    }
}

void Move(QWidget* child, const RECT& r)
{
    child->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
}

}  // namespace

CGridSheetInfo::CGridSheetInfo()
{
    headingDefault.SetBackColor(GridSystem::ButtonFace);
    headingDefault.SetBorder(GRID_BORDER::Raised);
    headingDefault.SetAlignment(GRID_ALIGN::Center | GRID_ALIGN::VCenter);
}

// ---------------------------------------------------------------------------------------------
// Construction and sheets

CGridCtrl::CGridCtrl(QWidget* parent) : QWidget(parent)
{
    // Everything is owned by members or by the widget tree: a construction that throws part-way
    // leaves nothing behind, so no half-built grid is ever in use.
    m_area = new CGridArea(this, this);
    m_topHeading = new CGridTopHeading(this, this);
    m_sideHeading = new CGridSideHeading(this, this);
    m_corner = new CGridCornerButton(this, this);
    m_vScroll = new CGridVScroll(this, this);
    m_hScroll = new CGridHScroll(this, this);
    m_area->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_area);
    SetSheetCount(1);
    RegisterCellType(&m_normalType);
    RegisterCellType(&m_checkBoxType);
}

CGridCtrl::~CGridCtrl() = default;

std::unique_ptr<CGridSheetInfo> CGridCtrl::MakeSheet()
{
    auto sheet = std::make_unique<CGridSheetInfo>();
    sheet->store = std::make_unique<CGridCellStore>(this);
    return sheet;
}

void CGridCtrl::SetChildrenSheet()
{
    for (CGridChild* child : std::initializer_list<CGridChild*>{m_area, m_topHeading, m_sideHeading, m_corner,
                                                                m_vScroll, m_hScroll})
        child->SetSheet(m_sheet);
}

bool CGridCtrl::CreateGrid(const RECT& rect, QWidget* parent)
{
    if (parent)
        setParent(parent);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    Relayout();
    OnGridCreated();
    OnSheetCreated(0);
    return true;
}

int CGridCtrl::SetSheetCount(int count)
{
    if (count < 1 || count > MaxSheets)
        return 1;
    std::vector<std::unique_ptr<CGridSheetInfo>> sheets;
    sheets.reserve(static_cast<size_t>(count));
    const int kept = std::min(count, GetSheetCount());
    for (int i = 0; i < kept; ++i)
        sheets.push_back(std::move(m_sheets[static_cast<size_t>(i)]));
    for (int i = kept; i < count; ++i)
        sheets.push_back(MakeSheet());
    m_sheets = std::move(sheets);

    CGridSheetInfo* current = m_sheetIndex < count ? m_sheets[static_cast<size_t>(m_sheetIndex)].get() : nullptr;
    if (!m_sheet)
        current = m_sheets[0].get();
    for (int i = kept; i < count; ++i) {
        if (kept == 0 && i == 0)
            continue;  // the first sheet of a new grid is announced on creation
        m_sheet = m_sheets[static_cast<size_t>(i)].get();
        SetChildrenSheet();
        OnSheetCreated(i);
    }
    m_sheet = current;
    if (!m_sheet) {
        m_sheet = m_sheets.back().get();
        SetChildrenSheet();
        SelectSheet(count - 1, true);
    }
    SetChildrenSheet();
    return 0;
}

int CGridCtrl::SelectSheet(int index, bool redraw)
{
    if (index < 0 || index >= GetSheetCount())
        return 1;
    const bool wasRedraw = m_redraw;
    if (!redraw)
        SetRedraw(false);
    m_area->setFocus();
    m_sheetIndex = index;
    m_sheet = m_sheets[static_cast<size_t>(index)].get();
    SetChildrenSheet();
    m_sheet->previousTopRow = -1;
    m_sheet->previousLeftColumn = -1;
    Relayout();
    if (!redraw)
        SetRedraw(wasRedraw);
    return 0;
}

void CGridCtrl::SetRedraw(bool on)
{
    m_redraw = on;
    for (QWidget* child : std::initializer_list<QWidget*>{m_area, m_topHeading, m_sideHeading, m_corner})
        child->setUpdatesEnabled(on);
}

void CGridCtrl::UpdateChildren()
{
    // With redraw off the children only note that they must paint everything once it is on.
    for (CGridPaintedChild* child : std::initializer_list<CGridPaintedChild*>{m_area, m_topHeading, m_sideHeading,
                                                                            m_corner})
        child->InvalidateAll();
    if (!m_redraw)
        return;
    m_vScroll->Refresh();
    m_hScroll->Refresh();
}

void CGridCtrl::UpdateAfterMove()
{
    const CGridSheetInfo& s = *m_sheet;
    if (!m_redraw) {
        UpdateChildren();
        return;
    }
    m_area->UpdateAfterMove();
    m_sideHeading->UpdateAfterMove();
    if (s.leftColumn != s.previousLeftColumn)
        m_topHeading->InvalidateAll();
    m_vScroll->Refresh();
    m_hScroll->Refresh();
}

void CGridCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRValue(GridSystem::ButtonFace), GetGValue(GridSystem::ButtonFace),
                                    GetBValue(GridSystem::ButtonFace)));
}

void CGridCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const bool wasRedraw = m_redraw;
    m_redraw = false;
    Relayout();
    m_redraw = wasRedraw;
    UpdateChildren();
}

void CGridCtrl::DrawFocusFrame(CDC* dc, const RECT& rect)
{
    CPen dotted(PS_DOT, 1, RGB(0, 0, 0));
    dc->SaveDC();
    dc->SelectObject(&dotted);
    dc->SelectStockObject(NULL_BRUSH);
    dc->Rectangle(&rect);
    dc->RestoreDC(-1);
}

// ---------------------------------------------------------------------------------------------
// Dimensions

int CGridCtrl::SetRowCount(int count, bool redraw)
{
    if (count < 0)
        return 1;
    CGridSheetInfo& s = *m_sheet;
    if (s.frozenRows > 0 && s.frozenRows >= count)
        s.frozenRows = std::max(0, count - 1);
    if (count > UniformRowsAbove) {
        s.uniformRowHeight = true;
        s.rowHeights.clear();
    }
    if (!s.uniformRowHeight)
        s.rowHeights.resize(static_cast<size_t>(count), s.defaultRowHeight);
    s.rowCount = count;
    RecomputeFrozenHeight();
    if (s.currentRow >= count)
        s.currentRow = count - 1;
    if (s.currentRow < 0 && count > 0)
        s.currentRow = 0;
    RecomputeGreatestTopRow();
    CommitMove();
    if (redraw)
        UpdateChildren();
    return 0;
}

int CGridCtrl::SetColumnCount(int count, bool redraw)
{
    if (count < 0 || count > MaxColumns)
        return 1;
    CGridSheetInfo& s = *m_sheet;
    if (s.frozenColumns > 0 && s.frozenColumns >= count)
        s.frozenColumns = std::max(0, count - 1);
    const int old = static_cast<int>(s.columns.size());
    s.columns.resize(static_cast<size_t>(count));
    for (int i = old; i < count; ++i) {
        CGridColumn& column = s.columns[static_cast<size_t>(i)];
        column.width = s.defaultColumnWidth;
        column.store = s.store.get();
        s.columnTemplate.CopyTo(column.defaultCell);
        column.dataIndex = i;
    }
    s.columnCount = count;
    RecomputeGreatestDataIndex();
    RecomputeFrozenWidth();
    if (s.currentColumn >= count)
        s.currentColumn = count - 1;
    if (s.currentColumn < 0 && count > 0)
        s.currentColumn = 0;
    RecomputeGreatestLeftColumn();
    CommitMove();
    if (redraw)
        UpdateChildren();
    return 0;
}

int CGridCtrl::SetColumnWidth(int column, int width)
{
    if (column < 0) {
        SetHeadingColumnWidth(column, width);
        return 1;
    }
    if (column >= m_sheet->columnCount)
        return 1;
    m_sheet->columns[static_cast<size_t>(column)].width = width;
    if (column < m_sheet->frozenColumns)
        RecomputeFrozenWidth();
    return 0;
}

int CGridCtrl::GetColumnWidth(int column) const
{
    if (column < 0 || column >= m_sheet->columnCount)
        return 1;
    return m_sheet->columns[static_cast<size_t>(column)].width;
}

int CGridCtrl::SetDefaultColumnWidth(int width)
{
    if (width < 0)
        return 1;
    m_sheet->defaultColumnWidth = width;
    return 0;
}

int CGridCtrl::SetDefaultRowHeight(int height)
{
    if (height < 1 || height > 1024)
        return 1;
    m_sheet->defaultRowHeight = height;
    return 0;
}

int CGridCtrl::SetRowHeight(int row, int height)
{
    CGridSheetInfo& s = *m_sheet;
    if (row < 0 || row >= s.rowCount)
        return 0;
    if (s.uniformRowHeight)
        s.defaultRowHeight = height;
    else
        s.rowHeights[static_cast<size_t>(row)] = height;
    RecomputeFrozenHeight();
    return 0;
}

int CGridCtrl::GetRowHeight(int row) const
{
    const CGridSheetInfo& s = *m_sheet;
    if (row < 0 || row >= s.rowCount)
        return 0;
    return s.uniformRowHeight ? s.defaultRowHeight : s.rowHeights[static_cast<size_t>(row)];
}

int CGridCtrl::SetUniformRowHeight(bool on)
{
    CGridSheetInfo& s = *m_sheet;
    if (on) {
        s.rowHeights.clear();
    } else if (s.uniformRowHeight) {
        s.rowHeights.assign(static_cast<size_t>(s.rowCount), s.defaultRowHeight);
    }
    s.uniformRowHeight = on;
    return 0;
}

int CGridCtrl::SetColumnHeadingHeight(int height)
{
    if (height < 0 || height > MaxHeadingSize)
        return 1;
    Rescale(m_sheet->topHeadingHeights, height);
    m_sheet->topHeadingHeight = height;
    Relayout();
    return 0;
}

int CGridCtrl::SetRowHeadingWidth(int width)
{
    if (width < 0 || width > MaxHeadingSize)
        return 1;
    Rescale(m_sheet->sideHeadingWidths, width);
    m_sheet->sideHeadingWidth = width;
    Relayout();
    return 0;
}

int CGridCtrl::SetHeadingRowHeight(int index, int height)
{
    std::vector<int>& heights = m_sheet->topHeadingHeights;
    const int count = static_cast<int>(heights.size());
    if (index >= 0 || index < -count)
        return 1;
    if (height < 0 || height > MaxHeadingSize)
        return 2;
    heights[static_cast<size_t>(count + index)] = height;
    return 0;
}

int CGridCtrl::SetHeadingColumnWidth(int index, int width)
{
    std::vector<int>& widths = m_sheet->sideHeadingWidths;
    const int count = static_cast<int>(widths.size());
    if (index >= 0 || index < -count)
        return 1;
    if (width < 0 || width > MaxHeadingSize)
        return 2;
    int& slot = widths[static_cast<size_t>(count + index)];
    const bool changed = slot != width;
    slot = width;
    if (changed && count == 1)
        SetRowHeadingWidth(width);
    return 0;
}

int CGridCtrl::SetFrozenColumns(int count)
{
    CGridSheetInfo& s = *m_sheet;
    if (count < 0 || count > s.columnCount)
        return 1;
    s.frozenColumns = count;
    RecomputeFrozenWidth();
    s.leftColumn = s.previousLeftColumn = count;
    RecomputeGreatestLeftColumn();
    return 0;
}

int CGridCtrl::SetFrozenRows(int count)
{
    CGridSheetInfo& s = *m_sheet;
    if (count < 0 || count > s.rowCount)
        return 1;
    s.frozenRows = count;
    RecomputeFrozenHeight();
    s.topRow = s.previousTopRow = count;
    RecomputeGreatestTopRow();
    return 0;
}

int CGridCtrl::SetCellFont(HFONT font)
{
    if (!font)
        return 1;
    m_sheet->cellFont = font;
    return 0;
}

void CGridCtrl::UseDialogCellFont(CFont& font)
{
    LOGFONTA face{};
    const std::string name = WideToCp932(u"ＭＳ Ｐゴシック");
    if (!FindInstalledFont(name.c_str(), &face)) {
        // The alias rules draw the face even when the list does not name it.
        std::strncpy(face.lfFaceName, name.c_str(), sizeof(face.lfFaceName) - 1);
        face.lfCharSet = SHIFTJIS_CHARSET;
    }
    face.lfHeight = -12;
    face.lfWidth = 0;
    font.CreateFontIndirect(&face);
    SetCellFont(font);
}

void CGridCtrl::RecomputeFrozenHeight()
{
    int height = 0;
    for (int row = 0; row < m_sheet->frozenRows; ++row)
        height += GetRowHeight(row);
    m_sheet->frozenRowsHeight = height;
}

void CGridCtrl::RecomputeFrozenWidth()
{
    int width = 0;
    for (int column = 0; column < m_sheet->frozenColumns && column < m_sheet->columnCount; ++column)
        width += m_sheet->columns[static_cast<size_t>(column)].width;
    m_sheet->frozenColumnsWidth = width;
}

void CGridCtrl::RecomputeGreatestDataIndex()
{
    int greatest = -1;
    for (const CGridColumn& column : m_sheet->columns)
        greatest = std::max(greatest, column.dataIndex);
    m_sheet->greatestDataIndex = greatest;
}

// ---------------------------------------------------------------------------------------------
// Cells

bool CGridCtrl::IsCellInSheet(int column, int row) const
{
    const CGridSheetInfo& s = *m_sheet;
    return column >= -static_cast<int>(s.sideHeadingWidths.size()) && column <= s.greatestDataIndex &&
           row >= -static_cast<int>(s.topHeadingHeights.size()) && row < s.rowCount;
}

void CGridCtrl::ShiftColumnDataIndexes(int column, int delta)
{
    for (CGridColumn& record : m_sheet->columns) {
        if (delta > 0 ? record.dataIndex >= column : record.dataIndex > column)
            record.dataIndex += delta;
    }
    RecomputeGreatestDataIndex();
}

CGridCellStore* CGridCtrl::StoreFor(int column, int& dataColumn) const
{
    if (column < 0) {
        dataColumn = column;
        return m_sheet->store.get();
    }
    const CGridColumn& record = m_sheet->columns[static_cast<size_t>(column)];
    dataColumn = record.dataIndex;
    return record.store ? record.store : m_sheet->store.get();
}

int CGridCtrl::GetCell(int column, int row, CGridCell& cell)
{
    if (column >= m_sheet->columnCount)
        return 1;
    cell.ClearProperties();
    int dataColumn = 0;
    CGridCellStore* store = StoreFor(column, dataColumn);
    return store->GetCell(dataColumn, row, cell);
}

int CGridCtrl::SetCell(int column, int row, const CGridCell& cell)
{
    if (column >= m_sheet->columnCount)
        return 1;
    int dataColumn = 0;
    CGridCellStore* store = StoreFor(column, dataColumn);
    return store->SetCell(dataColumn, row, cell);
}

int CGridCtrl::GetEffectiveCell(int column, int row, CGridCell& cell)
{
    const CGridSheetInfo& s = *m_sheet;
    const bool heading = column < 0 || row < 0 || column >= s.columnCount;
    if (heading)
        s.headingDefault.CopyTo(cell);
    else
        s.columns[static_cast<size_t>(column)].defaultCell.CopyTo(cell);
    if (row >= s.rowCount || column >= s.columnCount)
        return 0;
    int dataColumn = 0;
    CGridCellStore* store = StoreFor(column, dataColumn);
    store->GetCell(dataColumn, row, cell);
    if (const CGridCell* style = cell.GetStyleCell(); style && style != &cell)
        cell.MergeFrom(*style);
    return 0;
}

void CGridCtrl::RefreshCell(int column, int row)
{
    if (column < 0)
        m_sideHeading->InvalidateAll();
    else if (row < 0)
        m_topHeading->InvalidateAll();
    else if (m_redraw)
        m_area->RefreshCell(column, row);
    else
        m_area->InvalidateAll();
}

int CGridCtrl::RegisterCellType(CGridCellType* type)
{
    if (!type)
        return -1;
    const int index = m_registry.Add(type);
    if (index < 0)
        return -1;
    type->SetGrid(this);
    type->SetIndex(index);
    return index;
}

CGridCellType* CGridCtrl::GetCellType(int index)
{
    CGridCellType* type = index > 0 ? m_registry.Lookup(index) : nullptr;
    return type ? type : &m_normalType;
}

CGridCellType* CGridCtrl::GetCellTypeAt(int column, int row)
{
    GetEffectiveCell(column, row, m_scratch);
    return GetCellType(m_scratch.GetCellType());
}

// ---------------------------------------------------------------------------------------------
// Positions

int CGridCtrl::ClampRow(int row, bool& unavailable)
{
    CGridSheetInfo& s = *m_sheet;
    unavailable = false;
    if (row >= s.rowCount) {
        OnRowsNeeded(s.rowCount, row - s.rowCount + 1, 0);
        if (s.rowCount == s.currentRow + 1) {
            unavailable = true;
            return s.currentRow;
        }
        row = s.rowCount - 1;
    }
    return std::max(row, 0);
}

int CGridCtrl::SetCurrentRow(int row)
{
    CGridSheetInfo& s = *m_sheet;
    if (row == s.currentRow)
        return 0;
    bool unavailable = false;
    row = ClampRow(row, unavailable);
    if (unavailable)
        return 1;
    if (!OnCanMoveCell(s.currentColumn, s.currentRow, s.currentColumn, row))
        return 2;
    s.currentRow = row;
    KeepCurrentRowVisible();
    CommitMove();
    return 0;
}

int CGridCtrl::SetCurrentColumn(int column)
{
    CGridSheetInfo& s = *m_sheet;
    if (column == s.currentColumn)
        return 0;
    if (column >= s.columnCount) {
        if (s.currentColumn == s.columnCount - 1)
            return 1;
        column = s.columnCount - 1;
    }
    column = std::max(column, 0);
    if (s.store->CanLeaveCell(s.currentColumn, s.currentRow, column, s.currentRow) != 1)
        return 2;
    if (!OnCanMoveCell(s.currentColumn, s.currentRow, column, s.currentRow))
        return 2;
    s.currentColumn = column;
    KeepCurrentColumnVisible();
    CommitMove();
    return 0;
}

int CGridCtrl::SetCurrentCell(int column, int row)
{
    CGridSheetInfo& s = *m_sheet;
    if (column == s.currentColumn && row == s.currentRow)
        return 0;
    bool unavailable = false;
    if (row != s.currentRow) {
        row = ClampRow(row, unavailable);
        if (unavailable)
            return 1;
    }
    column = std::clamp(column, 0, std::max(0, s.columnCount - 1));
    if (s.store->CanLeaveCell(s.committedColumn, s.committedRow, column, row) != 1)
        return 2;
    if (!OnCanMoveCell(s.currentColumn, s.currentRow, column, row))
        return 2;
    s.currentColumn = column;
    s.currentRow = row;
    KeepCurrentColumnVisible();
    KeepCurrentRowVisible();
    CommitMove();
    return 0;
}

int CGridCtrl::SetTopRow(int row)
{
    CGridSheetInfo& s = *m_sheet;
    row = std::clamp(row, s.frozenRows, std::max(s.frozenRows, s.greatestTopRow));
    if (!OnCanScroll(s.leftColumn, s.topRow, s.leftColumn, row))
        return 2;
    s.topRow = row;
    CommitMove();
    return 0;
}

int CGridCtrl::SetLeftColumn(int column)
{
    CGridSheetInfo& s = *m_sheet;
    column = std::clamp(column, s.frozenColumns, std::max(s.frozenColumns, s.greatestLeftColumn));
    if (!OnCanScroll(s.leftColumn, s.topRow, column, s.topRow))
        return 2;
    s.leftColumn = column;
    CommitMove();
    return 0;
}

int CGridCtrl::RowHeightOrDefault(int row) const
{
    if (row < 0 || row >= m_sheet->rowCount)
        return m_sheet->defaultRowHeight;
    return GetRowHeight(row);
}

// The index a scroll code leads to from `index`, for rows or columns, for the current cell or
// the scroll position.
int CGridCtrl::ScrollTarget(int code, int index, bool rows, bool forCurrent) const
{
    const CGridSheetInfo& s = *m_sheet;
    const int count = rows ? s.rowCount : s.columnCount;
    const int page = rows ? s.areaHeight - s.frozenRowsHeight : s.areaWidth - s.frozenColumnsWidth;
    const int beyond = forCurrent ? count : (rows ? s.greatestTopRow : s.greatestLeftColumn) + 1;
    auto size = [&](int i) {
        if (i < 0 || i >= beyond || i >= count)
            return rows ? s.defaultRowHeight : s.defaultColumnWidth;
        return rows ? GetRowHeight(i) : s.columns[static_cast<size_t>(i)].width;
    };
    switch (code) {
    case GridStepBack: return index - 1;
    case GridStepForward: return index + 1;
    case GridPageBack: {
        int rest = page;
        while (size(index - 1) > 0 && size(index - 1) <= rest) {
            rest -= size(index - 1);
            --index;
        }
        return index;
    }
    case GridPageForward: {
        int rest = page;
        while (size(index) > 0 && size(index) <= rest) {
            rest -= size(index);
            ++index;
        }
        return index;
    }
    case GridFirst: return 0;
    case GridLast: return count - 1;
    default: return index;
    }
}

int CGridCtrl::MoveCurrentRow(int code)
{
    return SetCurrentRow(ScrollTarget(code, m_sheet->currentRow, true, true));
}

int CGridCtrl::MoveCurrentColumn(int code)
{
    return SetCurrentColumn(ScrollTarget(code, m_sheet->currentColumn, false, true));
}

int CGridCtrl::ScrollRows(int code)
{
    return SetTopRow(ScrollTarget(code, m_sheet->topRow, true, false));
}

int CGridCtrl::ScrollColumns(int code)
{
    return SetLeftColumn(ScrollTarget(code, m_sheet->leftColumn, false, false));
}

void CGridCtrl::KeepCurrentRowVisible()
{
    CGridSheetInfo& s = *m_sheet;
    const int current = s.currentRow;
    if (current < s.frozenRows)
        return;
    if (current < s.topRow) {
        s.topRow = std::max(current, s.frozenRows);
        return;
    }
    const int page = s.areaHeight - s.frozenRowsHeight;
    if (s.uniformRowHeight) {
        const int shown = s.defaultRowHeight > 0 ? page / s.defaultRowHeight : 0;
        s.topRow = std::max(s.topRow, current - shown + 1);
        return;
    }
    // The walk includes the top row itself: when it no longer fits, the view scrolls.
    int rest = page;
    for (int row = current; row >= s.topRow; --row) {
        rest -= GetRowHeight(row);
        if (rest < 0) {
            s.topRow = row + 1 > current ? current : row + 1;
            return;
        }
    }
}

void CGridCtrl::KeepCurrentColumnVisible()
{
    CGridSheetInfo& s = *m_sheet;
    const int current = s.currentColumn;
    if (current < s.frozenColumns)
        return;
    if (current < s.leftColumn) {
        s.leftColumn = std::max(current, s.frozenColumns);
        return;
    }
    int rest = s.areaWidth - s.frozenColumnsWidth;
    for (int column = current; column >= s.leftColumn; --column) {
        rest -= s.columns[static_cast<size_t>(column)].width;
        if (rest < 0 && column < s.greatestLeftColumn) {
            s.leftColumn = column + 1 > current ? current : column + 1;
            return;
        }
    }
    if (rest < 0)
        s.leftColumn = std::min(std::max(s.leftColumn, current), std::max(s.greatestLeftColumn, s.frozenColumns));
}

void CGridCtrl::CommitMove()
{
    CGridSheetInfo& s = *m_sheet;
    const int oldColumn = s.committedColumn;
    const int oldRow = s.committedRow;
    s.committedColumn = s.currentColumn;
    s.committedRow = s.currentRow;
    const bool columnChanged = oldColumn != s.committedColumn;
    const bool rowChanged = oldRow != s.committedRow;
    if (columnChanged) {
        s.store->ColumnChanged(oldColumn, s.committedColumn);
        OnCurrentColumnChanged(oldColumn, s.committedColumn);
    }
    if (rowChanged) {
        s.store->RowChanged(oldRow, s.committedRow);
        OnCurrentRowChanged(oldRow, s.committedRow);
    }
    if (columnChanged || rowChanged)
        OnCurrentCellChanged(oldColumn, s.committedColumn, oldRow, s.committedRow);
    if (s.leftColumn != s.previousLeftColumn)
        OnLeftColumnChanged(s.previousLeftColumn, s.leftColumn);
    if (s.topRow != s.previousTopRow)
        OnTopRowChanged(s.previousTopRow, s.topRow);
    if (columnChanged || rowChanged) {
        CGridCell cell;
        GetEffectiveCell(oldColumn, oldRow, cell);
        GetCellType(cell.GetCellType())->OnLeaveCell(oldColumn, oldRow, cell);
        GetEffectiveCell(s.committedColumn, s.committedRow, cell);
        GetCellType(cell.GetCellType())->OnEnterCell(s.committedColumn, s.committedRow, cell);
    }
    UpdateAfterMove();
    s.previousColumn = s.committedColumn;
    s.previousRow = s.committedRow;
    s.previousLeftColumn = s.leftColumn;
    s.previousTopRow = s.topRow;
}

// ---------------------------------------------------------------------------------------------
// Layout

void CGridCtrl::Relayout()
{
    CGridSheetInfo& s = *m_sheet;
    if (isVisible() && !m_area->hasFocus())
        m_area->setFocus();
    const int R = width();
    const int B = height();
    const int W = R - s.sideHeadingWidth;
    const int H = B - s.topHeadingHeight;

    int columnSum = 0;
    for (int column = 0; column < s.columnCount && columnSum <= W; ++column)
        columnSum += s.columns[static_cast<size_t>(column)].width;
    int rowSum = 0;
    if (s.uniformRowHeight) {
        const long long all = static_cast<long long>(s.rowCount) * s.defaultRowHeight;
        rowSum = static_cast<int>(std::min<long long>(all, static_cast<long long>(H) + s.defaultRowHeight));
    } else {
        for (int row = 0; row < s.rowCount && rowSum <= H; ++row)
            rowSum += s.rowHeights[static_cast<size_t>(row)];
    }

    const int barWidth = GridSystem::ScrollBarWidth;
    const int barHeight = GridSystem::ScrollBarHeight;
    const bool rowsFit = rowSum < H;
    const bool columnsFit = columnSum < W;
    const bool vHidden = rowsFit && (columnsFit || rowSum < H - barHeight);
    const bool hHidden = columnsFit && (rowsFit || columnSum < W - barWidth);
    const int v = vHidden ? 0 : barWidth;
    const int h = hHidden ? 0 : barHeight;

    const int side = s.sideHeadingWidth;
    const int top = s.topHeadingHeight;
    s.rects[GridVScrollRect] = RECT{R - v, 0, R, B - h};
    s.rects[GridHScrollRect] = RECT{0, B - h, R - v, B};
    s.rects[GridTopRect] = RECT{side, 0, R - v, top};
    s.rects[GridSideRect] = RECT{0, top, side, B - h};
    s.rects[GridCornerRect] = RECT{0, 0, side, top};
    s.rects[GridStripRect] = RECT{};
    s.rects[GridAreaRect] = RECT{side, top, R - v, B - h};
    s.areaWidth = R - v - side;
    s.areaHeight = B - h - top;
    Move(m_vScroll, s.rects[GridVScrollRect]);
    Move(m_hScroll, s.rects[GridHScrollRect]);
    Move(m_topHeading, s.rects[GridTopRect]);
    Move(m_sideHeading, s.rects[GridSideRect]);
    Move(m_corner, s.rects[GridCornerRect]);
    Move(m_area, s.rects[GridAreaRect]);
    m_vScroll->setVisible(v > 0);
    m_hScroll->setVisible(h > 0);
    m_vScroll->Reset();  // the page follows the area's size
    m_hScroll->Reset();

    const int oldGreatest = s.greatestTopRow;
    RecomputeGreatestTopRow();
    RecomputeGreatestLeftColumn();
    if ((oldGreatest == 0) != (s.greatestTopRow == 0) && m_layoutDepth == 0) {
        ++m_layoutDepth;
        Relayout();
        --m_layoutDepth;
        return;
    }
    if (s.topRow != s.previousTopRow || s.leftColumn != s.previousLeftColumn)
        CommitMove();  // a moved position, or one to announce again after a sheet change
    UpdateChildren();
    s.previousTopRow = s.topRow;
    s.previousLeftColumn = s.leftColumn;
}

void CGridCtrl::RecomputeGreatestTopRow()
{
    CGridSheetInfo& s = *m_sheet;
    int greatest = s.frozenRows;
    const int page = s.areaHeight - s.frozenRowsHeight;
    if (s.uniformRowHeight) {
        const int fit = s.defaultRowHeight > 0 ? page / s.defaultRowHeight : 0;
        if (page < 0 || s.rowCount - s.frozenRows > fit)
            greatest = std::min(s.rowCount - (page < 0 ? 0 : fit), s.rowCount - 1);
    } else {
        int rest = page;
        for (int row = s.rowCount - 1; row >= s.frozenRows; --row) {
            rest -= s.rowHeights[static_cast<size_t>(row)];
            if (rest < 0) {
                greatest = std::min(row + 1, s.rowCount - 1);
                break;
            }
        }
    }
    s.greatestTopRow = std::max(greatest, s.frozenRows);
    s.topRow = std::clamp(s.topRow, s.frozenRows, s.greatestTopRow);
}

void CGridCtrl::RecomputeGreatestLeftColumn()
{
    CGridSheetInfo& s = *m_sheet;
    int greatest = s.frozenColumns;
    int rest = s.areaWidth - s.frozenColumnsWidth;
    for (int column = s.columnCount - 1; column >= s.frozenColumns; --column) {
        rest -= s.columns[static_cast<size_t>(column)].width;
        if (rest < 0) {
            greatest = std::min(column + 1, s.columnCount - 1);
            break;
        }
    }
    s.greatestLeftColumn = std::max(greatest, s.frozenColumns);
    s.leftColumn = std::clamp(s.leftColumn, s.frozenColumns, s.greatestLeftColumn);
}

// ---------------------------------------------------------------------------------------------
// Geometry of what is on screen

std::vector<GRID_SPAN> CGridCtrl::ColumnSpans(int limit) const
{
    const CGridSheetInfo& s = *m_sheet;
    std::vector<GRID_SPAN> spans;
    int x = 0;
    auto add = [&](int column) {
        const int w = std::max(0, s.columns[static_cast<size_t>(column)].width);
        spans.push_back(GRID_SPAN{column, x, x + w});
        x += w;
        return x >= limit;
    };
    for (int column = 0; column < s.frozenColumns && column < s.columnCount; ++column)
        if (add(column))
            return spans;
    for (int column = std::max(s.leftColumn, s.frozenColumns); column < s.columnCount; ++column)
        if (add(column))
            break;
    return spans;
}

std::vector<GRID_SPAN> CGridCtrl::RowSpans(int limit) const
{
    const CGridSheetInfo& s = *m_sheet;
    std::vector<GRID_SPAN> spans;
    int y = 0;
    auto add = [&](int row) {
        const int h = std::max(0, GetRowHeight(row));
        spans.push_back(GRID_SPAN{row, y, y + h});
        y += h;
        return y >= limit;
    };
    for (int row = 0; row < s.frozenRows && row < s.rowCount; ++row)
        if (add(row))
            return spans;
    for (int row = std::max(s.topRow, s.frozenRows); row < s.rowCount; ++row)
        if (add(row))
            break;
    return spans;
}

int CGridCtrl::HitTest(POINT point, int* column, int* row, RECT* rect) const
{
    const CGridSheetInfo& s = *m_sheet;
    *column = *row = -1;
    *rect = RECT{};
    if (point.x < 0 || point.y < 0 || point.x >= s.areaWidth || point.y >= s.areaHeight)
        return 1;
    for (const GRID_SPAN& c : ColumnSpans(s.areaWidth)) {
        if (point.x < c.start || point.x >= c.end)
            continue;
        for (const GRID_SPAN& r : RowSpans(s.areaHeight)) {
            if (point.y < r.start || point.y >= r.end)
                continue;
            *column = c.index;
            *row = r.index;
            *rect = RECT{c.start, r.start, c.end, r.end};
            return 0;
        }
    }
    return 1;
}

int CGridCtrl::ColumnDistance(int from, int to) const
{
    const CGridSheetInfo& s = *m_sheet;
    const int sign = to >= from ? 1 : -1;
    int sum = 0;
    for (int column = std::min(from, to); column < std::max(from, to); ++column)
        if (column >= 0 && column < s.columnCount)
            sum += s.columns[static_cast<size_t>(column)].width;
    return sign * sum;
}

int CGridCtrl::RowDistance(int from, int to) const
{
    const CGridSheetInfo& s = *m_sheet;
    const int sign = to >= from ? 1 : -1;
    const int first = std::min(from, to), last = std::max(from, to);
    if (s.uniformRowHeight)
        return sign * static_cast<int>(std::min<long long>(static_cast<long long>(last - first) * s.defaultRowHeight,
                                                           1 << 30));
    int sum = 0;
    for (int row = first; row < last; ++row) {
        sum += GetRowHeight(row);
        if (sum > (1 << 30))
            break;
    }
    return sign * sum;
}
