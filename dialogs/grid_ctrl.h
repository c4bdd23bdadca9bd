// The grid control: a spreadsheet-like window of sheets of cells with a top heading, a side
// heading, a corner button and two scroll bars. Owners derive from it, fill it when it is created
// and react to moves and clicks through the notification virtuals.
// The state and geometry here (sheets, dimensions, the current cell, the scroll position and the
// layout of the children) work without painting; the children paint and take the input.
#pragma once

#include "dialogs/grid_cell.h"
#include "dialogs/grid_children.h"
#include "dialogs/grid_cell_store.h"
#include "dialogs/grid_cell_type.h"

#include <QWidget>

#include <memory>
#include <vector>

// One record per column.
struct CGridColumn {
    int width = 75;
    CGridCellStore* store = nullptr;  // the sheet's store unless replaced
    CGridCell defaultCell;
    int dataIndex = 0;                // the column under which the store keeps its cells
};

// The child rectangles of a sheet's layout.
enum GridRect { GridAreaRect, GridTopRect, GridSideRect, GridCornerRect, GridStripRect, GridVScrollRect, GridHScrollRect };

struct CGridSheetInfo {
    CGridSheetInfo();

    int columnCount = 0;
    int committedColumn = -1;
    int previousColumn = -1;
    int leftColumn = 0;
    int previousLeftColumn = 0;
    int greatestLeftColumn = 0;
    int defaultColumnWidth = 75;
    int lastColumnDrawn = 0;
    int currentColumn = -1;
    std::vector<CGridColumn> columns;
    int rowCount = 0;
    int committedRow = -1;
    int previousRow = -1;
    int topRow = 0;
    int previousTopRow = 0;
    int greatestTopRow = 0;
    std::vector<int> rowHeights;  // empty in uniform mode
    int defaultRowHeight = 20;
    bool uniformRowHeight = false;
    int lastRowDrawn = 0;
    int currentRow = -1;
    std::vector<int> topHeadingHeights{20};  // outermost first
    std::vector<int> sideHeadingWidths{25};  // outermost first
    CGridCell columnTemplate;
    CGridCell headingDefault;
    int topHeadingHeight = 20;
    int sideHeadingWidth = 40;
    int vScrollWidth = GridSystem::ScrollBarWidth;
    int hScrollHeight = GridSystem::ScrollBarHeight;
    int areaWidth = 0;
    int areaHeight = 0;
    RECT rects[7] = {};
    bool wholeRowCurrent = false;
    int highlightOption = 1;
    int borderThickness3D = 1;
    int resizeMode = 1;
    bool liveHorizontalThumb = false;
    int frozenColumns = 0;
    int frozenRows = 0;
    int frozenColumnsWidth = 0;
    int frozenRowsHeight = 0;
    HFONT cellFont;
    std::unique_ptr<CGridCellStore> store;
    int mouseMode = 0;
    int mouseKeyFlags = 0;
    int textMargin = 4;
    int greatestDataIndex = -1;  // the largest data column index of the columns
};

// Scroll codes.
enum GridScroll { GridStepBack = 0, GridStepForward = 1, GridPageBack = 2, GridPageForward = 3, GridFirst = 4, GridLast = 5 };

class CGridCtrl : public QWidget, public CGridCellHost {
public:
    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Lays the grid out in the rectangle of the parent and lets the owner fill it.
    bool CreateGrid(const RECT& rect, QWidget* parent);

    // --- sheets
    int SetSheetCount(int count);
    int SelectSheet(int index, bool redraw);
    int GetSheetCount() const { return static_cast<int>(m_sheets.size()); }
    int GetCurrentSheet() const { return m_sheetIndex; }
    CGridSheetInfo& Sheet() { return *m_sheet; }
    const CGridSheetInfo& Sheet() const { return *m_sheet; }
    void SetRedraw(bool on);

    // --- dimensions: 0 done, 1 an argument out of range (2: a heading size out of range)
    int SetRowCount(int count, bool redraw);
    int SetColumnCount(int count, bool redraw);
    int GetRowCount() const { return m_sheet->rowCount; }
    int GetColumnCount() const { return m_sheet->columnCount; }
    // A negative column sets a side-heading column and answers 1.
    int SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    int SetDefaultColumnWidth(int width);
    int SetDefaultRowHeight(int height);
    int SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;
    int SetUniformRowHeight(bool on);
    int SetColumnHeadingHeight(int height);
    int SetRowHeadingWidth(int width);
    int SetHeadingRowHeight(int index, int height);
    int SetHeadingColumnWidth(int index, int width);
    int SetFrozenColumns(int count);
    int SetFrozenRows(int count);
    int SetCellFont(HFONT font);
    // Makes `font` the 12-pixel "ＭＳ Ｐゴシック" of the dialogs' grids and draws the cells in it.
    void UseDialogCellFont(CFont& font);

    // --- cells
    int GetCell(int column, int row, CGridCell& cell) override;
    int SetCell(int column, int row, const CGridCell& cell) override;
    int GetEffectiveCell(int column, int row, CGridCell& cell) override;
    void RefreshCell(int column, int row) override;
    int RegisterCellType(CGridCellType* type);
    CGridCellType* GetCellType(int index);
    CGridCellType* GetCellTypeAt(int column, int row);

    // --- positions: 0 moved or unchanged, 1 row or column unavailable, 2 refused
    int SetCurrentCell(int column, int row);
    int SetCurrentColumn(int column);
    int SetCurrentRow(int row);
    int MoveCurrentColumn(int code);
    int MoveCurrentRow(int code);
    int SetLeftColumn(int column);
    int SetTopRow(int row);
    int ScrollColumns(int code);
    int ScrollRows(int code);
    int GetCurrentColumn() const override { return m_sheet->committedColumn; }
    int GetCurrentRow() const override { return m_sheet->committedRow; }
    int GetTopRow() const { return m_sheet->topRow; }
    int GetLeftColumn() const { return m_sheet->leftColumn; }
    int GetGreatestTopRow() const { return m_sheet->greatestTopRow; }
    int GetGreatestLeftColumn() const { return m_sheet->greatestLeftColumn; }

    // --- layout
    void Relayout();
    bool IsRedrawOn() const { return m_redraw; }
    // The columns on screen, the frozen ones first, then from the left column, each with its
    // left and right edge in the area; the walk ends with the column that reaches the limit.
    std::vector<GRID_SPAN> ColumnSpans(int limit) const;
    // The rows on screen the same way, from the frozen rows and then the top row.
    std::vector<GRID_SPAN> RowSpans(int limit) const;
    // The cell under a point of the cell area: its column, row and rectangle; 1 when the point
    // lies outside the drawn cells (column and row then -1).
    int HitTest(POINT point, int* column, int* row, RECT* rect) const;
    // The pixels between two left columns (two top rows): positive when `to` lies after `from`.
    int ColumnDistance(int from, int to) const;
    int RowDistance(int from, int to) const;
    // Repaints every child and refreshes the bars.
    void RedrawAll() { UpdateChildren(); }
    const RECT& ChildRect(GridRect which) const { return m_sheet->rects[which]; }
    CGridArea* Area() const { return m_area; }
    CGridTopHeading* TopHeading() const { return m_topHeading; }
    CGridSideHeading* SideHeading() const { return m_sideHeading; }
    CGridCornerButton* Corner() const { return m_corner; }
    CGridVScroll* VScroll() const { return m_vScroll; }
    CGridHScroll* HScroll() const { return m_hScroll; }

    // --- what the cell types ask
    HFONT GetCellFont() const override { return m_sheet->cellFont; }
    int GetTextMargin() const override { return m_sheet->textMargin; }
    int Get3DBorderThickness() const override { return m_sheet->borderThickness3D; }
    int GetHighlightOption() const override { return m_sheet->highlightOption; }
    bool IsCellInSheet(int column, int row) const override;
    void ShiftColumnDataIndexes(int column, int delta) override;

    // --- notifications, in slot order; the owner overrides them
    virtual int OnGridSetFocus(int) { return 0; }
    virtual void OnGridCreated() {}
    virtual void OnSheetCreated(int /*sheet*/) {}
    virtual BOOL OnCanMoveCell(int /*oldColumn*/, int /*oldRow*/, int /*newColumn*/, int /*newRow*/) { return TRUE; }
    virtual BOOL OnCanScroll(int /*oldLeft*/, int /*oldTop*/, int /*newLeft*/, int /*newTop*/) { return TRUE; }
    virtual void OnRowsNeeded(int /*firstRow*/, int /*count*/, int) {}
    virtual void OnSpareNotify(int, int) {}
    virtual BOOL OnCanResizeColumn(int /*column*/) { return TRUE; }
    virtual void OnColumnResizing(int /*column*/, int& /*width*/) {}
    virtual void OnColumnResized(int /*column*/, int& /*width*/) {}
    virtual BOOL OnCanResizeRow(int /*row*/) { return TRUE; }
    virtual void OnRowResizing(int /*row*/, int& /*height*/) {}
    virtual void OnRowResized(int /*row*/, int& /*height*/) {}
    virtual BOOL OnCanResizeTopHeading() { return TRUE; }
    virtual BOOL OnCanResizeSideHeading() { return TRUE; }
    virtual void OnTopHeadingResizing(int& /*height*/) {}
    virtual void OnSideHeadingResizing(int& /*width*/) {}
    virtual void OnTopHeadingResized(int& /*height*/) {}
    virtual void OnSideHeadingResized(int& /*width*/) {}
    virtual void OnCurrentColumnChanged(int /*oldColumn*/, int /*newColumn*/) {}
    virtual void OnCurrentRowChanged(int /*oldRow*/, int /*newRow*/) {}
    virtual void OnCurrentCellChanged(int /*oldColumn*/, int /*newColumn*/, int /*oldRow*/, int /*newRow*/) {}
    virtual void OnLeftColumnChanged(int /*oldLeft*/, int /*newLeft*/) {}
    virtual void OnTopRowChanged(int /*oldTop*/, int /*newTop*/) {}
    virtual void OnCellClick(int, int, int /*pressed*/, const RECT&, POINT, int /*handled*/) {}
    virtual void OnCellRightClick(int, int, int, const RECT&, POINT, int) {}
    virtual void OnCellDoubleClick(int, int, const RECT&, POINT, int) {}
    virtual void OnCellMouseMove(int, int, POINT, int /*flags*/, int /*result*/) {}
    virtual void OnColumnHeadingClick(int, int, int, const RECT&, POINT, int) {}
    virtual void OnColumnHeadingRightClick(int, int, int, const RECT&, POINT, int) {}
    virtual void OnColumnHeadingDoubleClick(int, int, const RECT&, POINT, int) {}
    virtual void OnRowHeadingClick(int, int, int, const RECT&, POINT, int) {}
    virtual void OnRowHeadingRightClick(int, int, int, const RECT&, POINT, int) {}
    virtual void OnRowHeadingDoubleClick(int, int, const RECT&, POINT, int) {}
    virtual void OnCornerClick(int /*pressed*/, const RECT&, POINT, int) {}
    virtual void OnCornerRightClick(int, const RECT&, POINT, int) {}
    virtual void OnCornerDoubleClick(const RECT&, POINT, int) {}
    virtual COLORREF GetGridBackColor(int) { return GridSystem::ButtonFace; }
    virtual void DrawFocusFrame(CDC* dc, const RECT& rect);
    virtual int OnGridKillFocus(int) { return 0; }
    virtual BOOL OnCanPressColumnHeading(int /*column*/) { return TRUE; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<CGridSheetInfo> MakeSheet();
    void SetChildrenSheet();
    void UpdateChildren();
    // Shows a committed move: the area and the side heading scroll and draw what changed, the
    // top heading repaints after a change of the left column, and the bars follow.
    void UpdateAfterMove();
    void CommitMove();
    int RowHeightOrDefault(int row) const;
    void RecomputeFrozenHeight();
    void RecomputeFrozenWidth();
    void RecomputeGreatestTopRow();
    void RecomputeGreatestLeftColumn();
    void RecomputeGreatestDataIndex();
    void KeepCurrentRowVisible();
    void KeepCurrentColumnVisible();
    int ClampRow(int row, bool& unavailable);
    int ScrollTarget(int code, int index, bool rows, bool forCurrent) const;
    CGridCellStore* StoreFor(int column, int& dataColumn) const;

    CGridArray m_registry;
    CGridCellType m_normalType{this};
    CGridCheckBoxType m_checkBoxType{this};
    CGridCell m_scratch;
    std::vector<std::unique_ptr<CGridSheetInfo>> m_sheets;
    int m_sheetIndex = 0;
    bool m_redraw = true;
    CGridSheetInfo* m_sheet = nullptr;
    CGridArea* m_area = nullptr;
    CGridTopHeading* m_topHeading = nullptr;
    CGridSideHeading* m_sideHeading = nullptr;
    CGridCornerButton* m_corner = nullptr;
    CGridVScroll* m_vScroll = nullptr;
    CGridHScroll* m_hScroll = nullptr;
    int m_layoutDepth = 0;
};
