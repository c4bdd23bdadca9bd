#include "dialogs/grid_children.h"

#include "dialogs/grid_ctrl.h"
#include "platform/gdi_qt.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kEdgeSlack = 3;         // pixels from an edge of a heading that arm a resize
constexpr int kCornerSlack = 4;       // the same for the corner button
constexpr int kDragRepeatMs = 50;     // the drag step's repetition while the button is held
constexpr int kMaxRowsNeeded = 4096;  // rows one painting may ask the owner for

POINT PointOf(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return POINT{p.x(), p.y()};
}

int KeyFlags(const QMouseEvent* event)
{
    int flags = 0;
    if (event->buttons() & Qt::LeftButton)
        flags |= GRID_MK::LeftButton;
    if (event->buttons() & Qt::RightButton)
        flags |= GRID_MK::RightButton;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= GRID_MK::Shift;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= GRID_MK::Control;
    return flags;
}

// The virtual-key code of a Qt key, as the cell types expect it.
int VirtualKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Backspace: return 0x08;
    default: return (key >= 0x30 && key <= 0x5A) ? key : 0;
    }
}

int Sum(const std::vector<int>& values)
{
    int sum = 0;
    for (int v : values)
        sum += v;
    return sum;
}

// Draws one heading or area cell through its cell type.
void DrawCell(CGridCtrl* grid, CDC* dc, int column, int row, const RECT& rect, BOOL focus)
{
    CGridCell cell;
    grid->GetEffectiveCell(column, row, cell);
    CGridCellType* type = grid->GetCellType(cell.GetCellType());
    dc->SaveDC();
    dc->IntersectClipRect(&rect);
    type->Draw(dc, rect, column, row, cell, FALSE, focus);
    dc->RestoreDC(-1);
}

void Fill(CDC* dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top)
        return;
    const RECT r{left, top, right, bottom};
    dc->FillSolidRect(&r, color);
}

// A new heading size from a drag: stored, the heading rows (columns) following. With a tracking
// line only the last one stretches; otherwise all are rescaled in proportion.
void ResizeHeading(CGridCtrl* grid, bool top, int total)
{
    CGridSheetInfo& s = grid->Sheet();
    total = std::clamp(total, 0, 1024);
    if (top)
        grid->OnTopHeadingResizing(total);
    else
        grid->OnSideHeadingResizing(total);
    total = std::clamp(total, 0, 1024);
    if (s.resizeMode != 1) {
        if (top)
            grid->SetColumnHeadingHeight(total);
        else
            grid->SetRowHeadingWidth(total);
        return;
    }
    std::vector<int>& parts = top ? s.topHeadingHeights : s.sideHeadingWidths;
    const int others = Sum(parts) - parts.back();
    parts.back() = std::max(0, total - others);
    (top ? s.topHeadingHeight : s.sideHeadingWidth) = total;
    grid->Relayout();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The invalid list

void CGridInvalidList::Add(int firstColumn, int firstRow, int lastColumn, int lastRow)
{
    if (lastColumn < firstColumn || lastRow < firstRow)
        return;
    if (m_ranges.empty()) {
        m_bounds = Range{firstColumn, firstRow, lastColumn, lastRow};
    } else {
        m_bounds.firstColumn = std::min(m_bounds.firstColumn, firstColumn);
        m_bounds.firstRow = std::min(m_bounds.firstRow, firstRow);
        m_bounds.lastColumn = std::max(m_bounds.lastColumn, lastColumn);
        m_bounds.lastRow = std::max(m_bounds.lastRow, lastRow);
    }
    m_ranges.push_back(Range{firstColumn, firstRow, lastColumn, lastRow});
}

void CGridInvalidList::Widen(int firstColumn, int firstRow, int lastColumn, int lastRow)
{
    if (m_ranges.empty()) {
        Add(firstColumn, firstRow, lastColumn, lastRow);
        return;
    }
    Range& first = m_ranges.front();
    first.firstColumn = std::min(first.firstColumn, firstColumn);
    first.firstRow = std::min(first.firstRow, firstRow);
    first.lastColumn = std::max(first.lastColumn, lastColumn);
    first.lastRow = std::max(first.lastRow, lastRow);
    m_bounds.firstColumn = std::min(m_bounds.firstColumn, firstColumn);
    m_bounds.firstRow = std::min(m_bounds.firstRow, firstRow);
    m_bounds.lastColumn = std::max(m_bounds.lastColumn, lastColumn);
    m_bounds.lastRow = std::max(m_bounds.lastRow, lastRow);
}

bool CGridInvalidList::Contains(int column, int row) const
{
    if (m_ranges.empty() || column < m_bounds.firstColumn || column > m_bounds.lastColumn ||
        row < m_bounds.firstRow || row > m_bounds.lastRow)
        return false;
    return std::any_of(m_ranges.begin(), m_ranges.end(), [column, row](const Range& r) {
        return column >= r.firstColumn && column <= r.lastColumn && row >= r.firstRow && row <= r.lastRow;
    });
}

// ---------------------------------------------------------------------------------------------
// Painting through the off-screen image

CGridPaintedChild::CGridPaintedChild(CGridCtrl* grid, QWidget* parent) : QWidget(parent), CGridChild(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CGridPaintedChild::InvalidateAll()
{
    m_fullPending = true;
    update();
}

void CGridPaintedChild::RepaintAll()
{
    m_fullPending = true;
    PaintInvalid();
}

bool CGridPaintedChild::EnsureImage()
{
    const QSize wanted(std::max(0, width()), std::max(0, height()));
    if (m_image.size() == wanted)
        return true;
    m_image = wanted.isEmpty() ? QImage() : QImage(wanted, QImage::Format_RGB32);
    m_fullPending = true;
    return false;
}

void CGridPaintedChild::PaintInvalid()
{
    if (m_painting || !Sheet()) {
        // Asked again from inside a painting (an owner's notification): all of it next time.
        m_fullPending = true;
        return;
    }
    EnsureImage();
    if (m_fullPending) {
        m_invalid.Clear();
        InvalidateEverything();
        m_fullPending = false;
    }
    if (!m_image.isNull()) {
        m_painting = true;
        auto dc = CQtDC::ForImage(&m_image);
        PaintCells(dc.get());
        dc->End();
        m_painting = false;
    }
    m_lastPainted = m_invalid;
    m_invalid.Clear();
    update();
}

void CGridPaintedChild::paintEvent(QPaintEvent*)
{
    if (!EnsureImage() || m_fullPending) {
        // Painting here must not ask for another paint: draw into the image directly.
        const bool wasUpdates = updatesEnabled();
        setUpdatesEnabled(false);
        PaintInvalid();
        setUpdatesEnabled(wasUpdates);
    }
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void CGridPaintedChild::ScrollImage(int dx, int dy, const QRect& region)
{
    if (m_image.isNull() || region.isEmpty() || (dx == 0 && dy == 0))
        return;
    const QImage copy = m_image.copy(region);
    QPainter painter(&m_image);
    painter.setClipRect(region);
    painter.drawImage(region.topLeft() + QPoint(dx, dy), copy);
}

void CGridPaintedChild::InvertRect(const RECT& rect)
{
    if (m_image.isNull())
        return;
    auto dc = CQtDC::ForImage(&m_image);
    dc->PatBlt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, DSTINVERT);
    dc->End();
    update();
}

// ---------------------------------------------------------------------------------------------
// The cell area

CGridArea::CGridArea(CGridCtrl* grid, QWidget* parent) : CGridPaintedChild(grid, parent)
{
    setCursor(Qt::ArrowCursor);
    m_dragTimer.setInterval(kDragRepeatMs);
    QObject::connect(&m_dragTimer, &QTimer::timeout, this, [this] {
        if (m_leftHeld)
            DragStep(m_dragPoint);
        else
            m_dragTimer.stop();
    });
}

void CGridArea::InvalidateEverything()
{
    const CGridSheetInfo& s = *Sheet();
    m_invalid.Add(0, 0, std::max(0, s.columnCount - 1), std::max(0, s.rowCount - 1));
    m_trackingShown = false;  // a full painting draws over the line
}

void CGridArea::InvalidateCurrent(int column, int row)
{
    const CGridSheetInfo& s = *Sheet();
    if (row < 0 || column < 0)
        return;
    if (s.wholeRowCurrent)
        m_invalid.Add(0, row, std::max(0, s.columnCount - 1), row);
    else
        m_invalid.Add(column, row, column, row);
}

void CGridArea::PaintCells(CDC* dc)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    dc->SaveDC();
    if (s.cellFont)
        dc->SelectObject(s.cellFont);

    const std::vector<GRID_SPAN> columns = grid->ColumnSpans(s.areaWidth);
    std::vector<GRID_SPAN> rows = grid->RowSpans(s.areaHeight);
    // Space below the last row: the owner may add rows, painted in the same pass.
    for (int asked = 0; asked < kMaxRowsNeeded && s.rowCount > 0 && !rows.empty() &&
                        rows.back().index == s.rowCount - 1 && rows.back().end < s.areaHeight;
         ++asked) {
        const int before = s.rowCount;
        grid->OnRowsNeeded(before, 1, 0);
        if (s.rowCount <= before)
            break;
        m_invalid.Add(0, before, std::max(0, s.columnCount - 1), s.rowCount - 1);
        rows = grid->RowSpans(s.areaHeight);
    }

    const int current = s.committedColumn;
    const int currentRow = s.committedRow;
    RECT currentRect{};
    bool currentShown = false;
    int rightmost = 0;
    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    for (const GRID_SPAN& r : rows) {
        for (const GRID_SPAN& c : columns) {
            const RECT rect{c.start, r.start, c.end, r.end};
            rightmost = std::max(rightmost, c.end);
            if (r.index == currentRow && c.index == current) {
                currentRect = rect;
                currentShown = true;
            }
            if (r.end == r.start || c.end == c.start || !m_invalid.Contains(c.index, r.index))
                continue;
            const BOOL focus = r.index == currentRow && (c.index == current || s.wholeRowCurrent);
            DrawCell(grid, dc, c.index, r.index, rect, focus);
            // The lines that part the frozen columns and rows from the scrolled ones.
            HPEN old = dc->SelectObject(&black);
            if (s.frozenColumns > 0 && c.index == s.frozenColumns - 1) {
                dc->MoveTo(c.end - 1, r.start);
                dc->LineTo(c.end - 1, r.end + 1);
            }
            if (s.frozenColumns > 0 && c.index >= s.frozenColumns && c.start > 0 &&
                c.index == std::max(s.leftColumn, s.frozenColumns)) {
                dc->MoveTo(c.start - 1, r.start);
                dc->LineTo(c.start - 1, r.end + 1);
            }
            if (s.frozenRows > 0 && r.index == s.frozenRows - 1) {
                dc->MoveTo(c.start, r.end - 1);
                dc->LineTo(c.end + 1, r.end - 1);
            }
            if (s.frozenRows > 0 && r.index >= s.frozenRows && r.start > 0 &&
                r.index == std::max(s.topRow, s.frozenRows)) {
                dc->MoveTo(c.start, r.start - 1);
                dc->LineTo(c.end + 1, r.start - 1);
            }
            dc->SelectObject(old);
        }
    }
    s.lastColumnDrawn = columns.empty() ? 0 : columns.back().index;
    s.lastRowDrawn = rows.empty() ? 0 : rows.back().index;

    // The room beyond the cells.
    const COLORREF back = grid->GetGridBackColor(1);
    const int cellsRight = columns.empty() ? 0 : columns.back().end;
    const int cellsBottom = rows.empty() ? 0 : rows.back().end;
    if (columns.empty() || columns.back().index == s.columnCount - 1)
        Fill(dc, cellsRight, 0, s.areaWidth, s.areaHeight, back);
    if (rows.empty() || rows.back().index == s.rowCount - 1)
        Fill(dc, 0, cellsBottom, s.areaWidth, s.areaHeight, back);
    dc->RestoreDC(-1);

    if (m_focus && currentShown) {
        RECT frame = currentRect;
        if (s.wholeRowCurrent) {
            frame.left = 0;
            frame.right = std::min(rightmost, s.areaWidth);
        }
        grid->DrawFocusFrame(dc, frame);
    }
}

void CGridArea::UpdateAfterMove()
{
    const CGridSheetInfo& s = *Sheet();
    CGridCtrl* grid = Grid();
    if (Painting() || FullRepaintPending() || !EnsureImage() || s.previousLeftColumn < 0 || s.previousTopRow < 0) {
        InvalidateAll();
        return;
    }
    const int dx = grid->ColumnDistance(s.previousLeftColumn, s.leftColumn);
    const int dy = grid->RowDistance(s.previousTopRow, s.topRow);
    if (std::abs(dx) >= s.areaWidth - s.frozenColumnsWidth || std::abs(dy) >= s.areaHeight - s.frozenRowsHeight) {
        if (dx != 0 || dy != 0) {
            InvalidateAll();
            return;
        }
    }
    const int lastColumn = std::max(0, s.columnCount - 1);
    const int lastRow = std::max(0, s.rowCount - 1);
    if (m_trackingShown && (dx != 0 || dy != 0))
        ShowTrackingLine(m_trackingVertical, -1);
    if (dy != 0) {
        ScrollImage(0, -dy, QRect(0, s.frozenRowsHeight, s.areaWidth, s.areaHeight - s.frozenRowsHeight));
        if (dy > 0)
            m_invalid.Add(0, s.lastRowDrawn, lastColumn, lastRow);
        else
            m_invalid.Add(0, 0, lastColumn, s.previousTopRow);
    }
    if (dx != 0) {
        ScrollImage(-dx, 0, QRect(s.frozenColumnsWidth, 0, s.areaWidth - s.frozenColumnsWidth, s.areaHeight));
        if (dx > 0)
            m_invalid.Add(s.lastColumnDrawn, 0, lastColumn, lastRow);
        else
            m_invalid.Add(0, 0, s.previousLeftColumn, lastRow);
    }
    InvalidateCurrent(s.previousColumn, s.previousRow);
    InvalidateCurrent(s.committedColumn, s.committedRow);
    PaintInvalid();
}

void CGridArea::RefreshCell(int column, int row)
{
    if (FullRepaintPending() || Painting()) {
        InvalidateAll();
        return;
    }
    m_invalid.Add(column, row, column, row);
    PaintInvalid();
}

void CGridArea::ShowTrackingLine(bool vertical, int at)
{
    const CGridSheetInfo& s = *Sheet();
    if (FullRepaintPending())
        PaintInvalid();
    auto band = [&s](bool v, int position) {
        return v ? RECT{position, 0, position + 2, s.areaHeight} : RECT{0, position, s.areaWidth, position + 2};
    };
    if (m_trackingShown)
        InvertRect(band(m_trackingVertical, m_trackingAt));
    m_trackingShown = at >= 0;
    m_trackingVertical = vertical;
    m_trackingAt = at;
    if (m_trackingShown)
        InvertRect(band(vertical, at));
}

void CGridArea::mousePressEvent(QMouseEvent* event)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    const POINT point = PointOf(event);
    s.mouseKeyFlags = KeyFlags(event);
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    int column = -1, row = -1;
    RECT rect{};
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = true;
        s.mouseMode = 1;
        int answer = 0;
        if (grid->HitTest(point, &column, &row, &rect) == 0) {
            grid->SetCurrentCell(column, row);
            answer = grid->GetCellTypeAt(column, row)->OnClick(column, row, 1, rect, point);
            if (answer != 0)
                m_handledPress = true;
        }
        grid->OnCellClick(column, row, 1, rect, point, answer);
        s.mouseMode = 0;
    } else if (event->button() == Qt::RightButton) {
        s.mouseMode = 2;
        int answer = 0;
        if (grid->HitTest(point, &column, &row, &rect) == 0) {
            grid->SetCurrentCell(column, row);
            answer = grid->GetCellTypeAt(column, row)->OnRightClick(column, row, 1, rect, point);
        }
        grid->OnCellRightClick(column, row, 1, rect, point, answer);
        s.mouseMode = 0;
    }
}

void CGridArea::mouseReleaseEvent(QMouseEvent* event)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    const POINT point = PointOf(event);
    s.mouseKeyFlags = KeyFlags(event);
    int column = -1, row = -1;
    RECT rect{};
    const bool onCell = grid->HitTest(point, &column, &row, &rect) == 0;
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = false;
        m_dragTimer.stop();
        const int answer = onCell ? grid->GetCellTypeAt(column, row)->OnClick(column, row, 0, rect, point) : 0;
        grid->OnCellClick(column, row, 0, rect, point, answer);
        m_handledPress = false;
    } else if (event->button() == Qt::RightButton) {
        const int answer = onCell ? grid->GetCellTypeAt(column, row)->OnRightClick(column, row, 0, rect, point) : 0;
        grid->OnCellRightClick(column, row, 0, rect, point, answer);
    }
}

void CGridArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    CGridCtrl* grid = Grid();
    const POINT point = PointOf(event);
    m_leftHeld = true;
    int column = -1, row = -1;
    RECT rect{};
    int answer = 0;
    if (grid->HitTest(point, &column, &row, &rect) == 0)
        answer = grid->GetCellTypeAt(column, row)->OnDoubleClick(column, row, rect, point);
    grid->OnCellDoubleClick(column, row, rect, point, answer);
}

void CGridArea::mouseMoveEvent(QMouseEvent* event)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    const POINT point = PointOf(event);
    const int flags = KeyFlags(event);
    s.mouseKeyFlags = flags;
    if (m_handledPress) {
        // The cell type that handled the press follows the pointer alone.
        const int column = s.committedColumn, row = s.committedRow;
        const int answer = grid->GetCellTypeAt(column, row)->OnMouseMove(column, row, point, flags);
        grid->OnCellMouseMove(column, row, point, flags, answer);
        return;
    }
    s.mouseMode = 3;
    int column = -1, row = -1;
    RECT rect{};
    if (grid->HitTest(point, &column, &row, &rect) == 0) {
        const int answer = grid->GetCellTypeAt(column, row)->OnMouseMove(column, row, point, flags);
        grid->OnCellMouseMove(column, row, point, flags, answer);
    }
    if (m_leftHeld && (event->buttons() & Qt::LeftButton)) {
        m_dragPoint = point;
        DragStep(point);
        m_dragTimer.start();  // goes on while the pointer is held still
    }
    s.mouseMode = 0;
}

void CGridArea::DragStep(POINT point)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    bool columnStepped = false;
    if (point.x < 0) {
        grid->MoveCurrentColumn(GridStepBack);
        columnStepped = true;
    } else if (point.x > s.areaWidth) {
        grid->MoveCurrentColumn(GridStepForward);
        columnStepped = true;
    }
    bool rowStepped = false;
    if (point.y < 0) {
        grid->MoveCurrentRow(GridStepBack);
        rowStepped = true;
    } else if (point.y > s.areaHeight) {
        grid->MoveCurrentRow(GridStepForward);
        rowStepped = true;
    }
    if (columnStepped || rowStepped)
        return;
    int column = -1, row = -1;
    RECT rect{};
    if (grid->HitTest(point, &column, &row, &rect) != 0)
        return;
    if (s.frozenColumns == 0 && s.frozenRows == 0) {
        grid->SetCurrentCell(column, row);
        return;
    }
    // Over a frozen column while the current one is scrolled: step back so that the view follows.
    if (column < s.frozenColumns && s.currentColumn > s.frozenColumns)
        grid->MoveCurrentColumn(GridStepBack);
    else
        grid->SetCurrentColumn(column);
    if (row < s.frozenRows && s.currentRow > s.frozenRows)
        grid->MoveCurrentRow(GridStepBack);
    else
        grid->SetCurrentRow(row);
}

void CGridArea::wheelEvent(QWheelEvent* event)
{
    CGridCtrl* grid = Grid();
    const int delta = event->angleDelta().y();
    if (delta != 0)
        grid->SetTopRow(grid->GetTopRow() - (delta / 120) * 3);
    event->accept();
}

void CGridArea::keyPressEvent(QKeyEvent* event)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    s.mouseMode = 0;
    const int column = s.committedColumn, row = s.committedRow;
    grid->GetCellTypeAt(column, row)->OnKeyDown(column, row, VirtualKey(event->key()));
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageUp: grid->MoveCurrentRow(GridPageBack); break;
    case Qt::Key_PageDown: grid->MoveCurrentRow(GridPageForward); break;
    case Qt::Key_Home: control ? grid->MoveCurrentRow(GridFirst) : grid->MoveCurrentColumn(GridFirst); break;
    case Qt::Key_End: control ? grid->MoveCurrentRow(GridLast) : grid->MoveCurrentColumn(GridLast); break;
    case Qt::Key_Left: grid->SetCurrentColumn(s.currentColumn - 1); break;
    case Qt::Key_Right: grid->SetCurrentColumn(s.currentColumn + 1); break;
    case Qt::Key_Up: grid->SetCurrentRow(s.currentRow - 1); break;
    case Qt::Key_Down: grid->SetCurrentRow(s.currentRow + 1); break;
    default: break;
    }
    // The characters of the key go to the current cell's type alone: there is no editing.
    for (const QChar c : event->text()) {
        if (c.unicode() >= 0x20) {
            const int current = s.committedColumn, currentRow = s.committedRow;
            grid->GetCellTypeAt(current, currentRow)->OnChar(current, currentRow, c.unicode());
        }
    }
    event->accept();
}

void CGridArea::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_focus = true;
    m_handledPress = false;
    Grid()->OnGridSetFocus(1);
    const CGridSheetInfo& s = *Sheet();
    RefreshCell(s.committedColumn, s.committedRow);
}

void CGridArea::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_focus = false;
    // A drag ends with the focus: no release may come back to stop the timer.
    if (event->reason() != Qt::PopupFocusReason) {
        m_leftHeld = false;
        m_dragTimer.stop();
    }
    const CGridSheetInfo& s = *Sheet();
    RefreshCell(s.committedColumn, s.committedRow);
    Grid()->OnGridKillFocus(1);
}

// ---------------------------------------------------------------------------------------------
// The headings

CGridHeading::CGridHeading(CGridCtrl* grid, QWidget* parent, bool top) : CGridPaintedChild(grid, parent), m_top(top)
{
}

void CGridHeading::Arm(GridResize what, int index, Qt::CursorShape cursor)
{
    m_armed = what;
    m_index = index;
    setCursor(cursor);
}

void CGridHeading::Disarm()
{
    m_armed = GridResize::None;
    setCursor(Qt::ArrowCursor);
}

void CGridHeading::mouseMoveEvent(QMouseEvent* event)
{
    const POINT point = PointOf(event);
    if (m_dragging) {
        DragTo(point);
        return;
    }
    if (event->buttons() != Qt::NoButton)
        return;
    if (Sheet()->resizeMode > 0)
        ArmFor(point);
}

void CGridHeading::mousePressEvent(QMouseEvent* event)
{
    const POINT point = PointOf(event);
    if (event->button() == Qt::LeftButton && m_armed != GridResize::None) {
        StartDrag(point);
        return;
    }
    Grid()->Area()->setFocus(Qt::MouseFocusReason);
    Click(event, 1, event->button() == Qt::RightButton, false);
}

void CGridHeading::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        EndDrag();
        return;
    }
    Click(event, 0, event->button() == Qt::RightButton, false);
}

void CGridHeading::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_armed != GridResize::None) {
        StartDrag(PointOf(event));
        return;
    }
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    Click(event, 1, false, true);
}

void CGridHeading::Click(QMouseEvent* event, int pressed, bool right, bool doubleClick)
{
    CGridCtrl* grid = Grid();
    const POINT point = PointOf(event);
    int column = -1, row = -1;
    RECT rect{};
    const bool onCell = HitCell(point, &column, &row, &rect);
    if (!onCell)
        column = row = -1;
    CGridCellType* type = onCell ? grid->GetCellTypeAt(column, row) : nullptr;
    int answer = 0;
    if (m_top) {
        if (doubleClick) {
            answer = type ? type->OnDoubleClick(column, row, rect, point) : 0;
            grid->OnColumnHeadingDoubleClick(column, row, rect, point, answer);
        } else if (right) {
            answer = type ? type->OnClick(column, row, 0, rect, point) : 0;
            grid->OnColumnHeadingRightClick(column, row, pressed, rect, point, answer);
        } else {
            if (pressed && onCell && !grid->OnCanPressColumnHeading(column))
                return;
            answer = type ? type->OnClick(column, row, pressed, rect, point) : 0;
            grid->OnColumnHeadingClick(column, row, pressed, rect, point, answer);
        }
        return;
    }
    answer = type ? type->OnClick(column, row, 0, rect, point) : 0;
    if (doubleClick)
        grid->OnRowHeadingDoubleClick(column, row, rect, point, answer);
    else if (right)
        grid->OnRowHeadingRightClick(column, row, pressed, rect, point, answer);
    else
        grid->OnRowHeadingClick(column, row, pressed, rect, point, answer);
}

void CGridHeading::StartDrag(POINT point)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    m_dragging = true;
    switch (m_armed) {
    case GridResize::Column:
        m_startSize = s.columns[static_cast<size_t>(m_index)].width;
        m_startPointer = point.x;
        break;
    case GridResize::Row: {
        m_startSize = grid->GetRowHeight(m_index);
        m_startPointer = point.y;
        m_rowsAbove = 1;
        const std::vector<GRID_SPAN> rows = grid->RowSpans(s.areaHeight);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].index == m_index)
                m_rowsAbove = static_cast<int>(i) + 1;
        break;
    }
    case GridResize::HeadingHeight:
        m_startTotal = s.topHeadingHeight;
        m_startPointer = point.y;
        break;
    case GridResize::HeadingWidth:
        m_startTotal = s.sideHeadingWidth;
        m_startPointer = point.x;
        break;
    case GridResize::None: m_dragging = false; break;
    }
}

void CGridHeading::MoveTrackingLine(int at)
{
    const bool vertical = m_armed == GridResize::Column;
    Grid()->Area()->ShowTrackingLine(vertical, at);
    m_trackAt = at;
}

void CGridHeading::DragTo(POINT point)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    switch (m_armed) {
    case GridResize::Column: {
        const int x = std::max(point.x, m_startPointer - m_startSize);
        int width = std::max(0, m_startSize + (x - m_startPointer));
        grid->OnColumnResizing(m_index, width);
        grid->SetColumnWidth(m_index, width);
        if (s.resizeMode == 1) {
            grid->TopHeading()->InvalidateAll();
            MoveTrackingLine(x);
        } else {
            grid->Relayout();
        }
        break;
    }
    case GridResize::Row: {
        int height = 0;
        if (s.uniformRowHeight) {
            height = std::max(1, point.y) / std::max(1, m_rowsAbove);
        } else {
            height = std::max(0, m_startSize + (point.y - m_startPointer));
        }
        grid->OnRowResizing(m_index, height);
        grid->SetRowHeight(m_index, height);
        if (s.resizeMode == 1) {
            grid->SideHeading()->InvalidateAll();
            MoveTrackingLine(std::max(0, point.y));
        } else {
            grid->Relayout();
        }
        break;
    }
    case GridResize::HeadingHeight: ResizeHeading(grid, true, m_startTotal + point.y - m_startPointer); break;
    case GridResize::HeadingWidth: ResizeHeading(grid, false, m_startTotal + point.x - m_startPointer); break;
    case GridResize::None: break;
    }
}

void CGridHeading::EndDrag()
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    if (m_trackAt >= 0)
        MoveTrackingLine(-1);
    switch (m_armed) {
    case GridResize::Column: {
        const int present = s.columns[static_cast<size_t>(m_index)].width;
        int width = present;
        grid->OnColumnResized(m_index, width);
        if (width != present)
            grid->SetColumnWidth(m_index, width);
        break;
    }
    case GridResize::Row: {
        int height = grid->GetRowHeight(m_index);
        grid->OnRowResized(m_index, height);
        grid->SetRowHeight(m_index, height);
        break;
    }
    case GridResize::HeadingHeight: {
        int height = s.topHeadingHeight;
        grid->OnTopHeadingResized(height);
        break;
    }
    case GridResize::HeadingWidth: {
        int width = s.sideHeadingWidth;
        grid->OnSideHeadingResized(width);
        break;
    }
    case GridResize::None: break;
    }
    m_dragging = false;
    Disarm();
    grid->Area()->InvalidateAll();
    grid->Relayout();
}

void CGridTopHeading::InvalidateEverything()
{
    const CGridSheetInfo& s = *Sheet();
    m_invalid.Add(0, -static_cast<int>(s.topHeadingHeights.size()), std::max(0, s.columnCount - 1), -1);
}

void CGridTopHeading::PaintCells(CDC* dc)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    dc->SaveDC();
    if (s.cellFont)
        dc->SelectObject(s.cellFont);
    const std::vector<GRID_SPAN> columns = grid->ColumnSpans(s.areaWidth);
    const int count = static_cast<int>(s.topHeadingHeights.size());
    int y = 0;
    for (int i = 0; i < count; ++i) {
        const int row = i - count;
        const int height = s.topHeadingHeights[static_cast<size_t>(i)];
        for (const GRID_SPAN& c : columns)
            if (c.end > c.start && height > 0 && m_invalid.Contains(c.index, row))
                DrawCell(grid, dc, c.index, row, RECT{c.start, y, c.end, y + height}, FALSE);
        y += height;
    }
    const COLORREF back = s.headingDefault.GetBackColor();
    const int right = columns.empty() ? 0 : columns.back().end;
    Fill(dc, right, 0, width(), height(), back);
    Fill(dc, 0, y, right, height(), back);
    dc->RestoreDC(-1);
}

bool CGridTopHeading::HitCell(POINT point, int* column, int* row, RECT* rect) const
{
    const CGridSheetInfo& s = *Sheet();
    const int count = static_cast<int>(s.topHeadingHeights.size());
    int y = 0;
    for (int i = 0; i < count; ++i) {
        const int height = s.topHeadingHeights[static_cast<size_t>(i)];
        if (point.y >= y && point.y < y + height) {
            for (const GRID_SPAN& c : Grid()->ColumnSpans(s.areaWidth)) {
                if (point.x >= c.start && point.x < c.end) {
                    *column = c.index;
                    *row = i - count;
                    *rect = RECT{c.start, y, c.end, y + height};
                    return true;
                }
            }
            return false;
        }
        y += height;
    }
    return false;
}

void CGridTopHeading::ArmFor(POINT point)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    for (const GRID_SPAN& c : grid->ColumnSpans(s.areaWidth)) {
        if (std::abs(point.x - c.end) > kEdgeSlack)
            continue;
        if (grid->OnCanResizeColumn(c.index)) {
            // A hidden column after the edge opens first.
            const int next = c.index + 1;
            const bool hiddenNext = next < s.columnCount && s.columns[static_cast<size_t>(next)].width == 0;
            Arm(GridResize::Column, hiddenNext ? next : c.index, Qt::SizeHorCursor);
            return;
        }
        break;
    }
    int y = 0;
    for (int height : s.topHeadingHeights) {
        y += height;
        if (std::abs(point.y - y) <= kEdgeSlack && grid->OnCanResizeTopHeading()) {
            Arm(GridResize::HeadingHeight, 0, Qt::SizeVerCursor);
            return;
        }
    }
    Disarm();
}

void CGridSideHeading::InvalidateEverything()
{
    const CGridSheetInfo& s = *Sheet();
    m_invalid.Add(-static_cast<int>(s.sideHeadingWidths.size()), 0, -1, std::max(0, s.rowCount - 1));
}

void CGridSideHeading::PaintCells(CDC* dc)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    dc->SaveDC();
    if (s.cellFont)
        dc->SelectObject(s.cellFont);
    const std::vector<GRID_SPAN> rows = grid->RowSpans(s.areaHeight);
    const int count = static_cast<int>(s.sideHeadingWidths.size());
    int right = 0;
    for (const GRID_SPAN& r : rows) {
        int x = 0;
        for (int i = 0; i < count; ++i) {
            const int column = i - count;
            const int width = s.sideHeadingWidths[static_cast<size_t>(i)];
            if (r.end > r.start && width > 0 && m_invalid.Contains(column, r.index))
                DrawCell(grid, dc, column, r.index, RECT{x, r.start, x + width, r.end}, FALSE);
            x += width;
        }
        right = x;
    }
    m_lastRowDrawn = rows.empty() ? 0 : rows.back().index;
    const COLORREF back = s.headingDefault.GetBackColor();
    const int bottom = rows.empty() ? 0 : rows.back().end;
    Fill(dc, 0, bottom, width(), height(), back);
    Fill(dc, right, 0, width(), bottom, back);
    dc->RestoreDC(-1);
}

void CGridSideHeading::UpdateAfterMove()
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    if (Painting() || FullRepaintPending() || !EnsureImage() || s.previousTopRow < 0) {
        InvalidateAll();
        return;
    }
    const int dy = grid->RowDistance(s.previousTopRow, s.topRow);
    if (dy != 0 && std::abs(dy) >= s.areaHeight - s.frozenRowsHeight) {
        InvalidateAll();
        return;
    }
    const int first = -static_cast<int>(s.sideHeadingWidths.size());
    const int lastRow = std::max(0, s.rowCount - 1);
    if (dy != 0) {
        ScrollImage(0, -dy, QRect(0, s.frozenRowsHeight, width(), s.areaHeight - s.frozenRowsHeight));
        if (dy > 0)
            m_invalid.Add(first, m_lastRowDrawn, -1, lastRow);
        else
            m_invalid.Add(first, 0, -1, s.previousTopRow);
    }
    if (s.previousRow >= 0)
        m_invalid.Add(first, s.previousRow, -1, s.previousRow);
    if (s.committedRow >= 0)
        m_invalid.Add(first, s.committedRow, -1, s.committedRow);
    PaintInvalid();
}

bool CGridSideHeading::HitCell(POINT point, int* column, int* row, RECT* rect) const
{
    const CGridSheetInfo& s = *Sheet();
    const int count = static_cast<int>(s.sideHeadingWidths.size());
    for (const GRID_SPAN& r : Grid()->RowSpans(s.areaHeight)) {
        if (point.y < r.start || point.y >= r.end)
            continue;
        int x = 0;
        for (int i = 0; i < count; ++i) {
            const int width = s.sideHeadingWidths[static_cast<size_t>(i)];
            if (point.x >= x && point.x < x + width) {
                *column = i - count;
                *row = r.index;
                *rect = RECT{x, r.start, x + width, r.end};
                return true;
            }
            x += width;
        }
        return false;
    }
    return false;
}

void CGridSideHeading::ArmFor(POINT point)
{
    CGridCtrl* grid = Grid();
    const CGridSheetInfo& s = *Sheet();
    int x = 0;
    for (int width : s.sideHeadingWidths) {
        x += width;
        if (std::abs(point.x - x) <= kEdgeSlack && grid->OnCanResizeSideHeading()) {
            Arm(GridResize::HeadingWidth, 0, Qt::SizeHorCursor);
            return;
        }
    }
    for (const GRID_SPAN& r : grid->RowSpans(s.areaHeight)) {
        if (std::abs(point.y - r.end) > kEdgeSlack)
            continue;
        if (grid->OnCanResizeRow(r.index)) {
            const int next = r.index + 1;
            const bool hiddenNext = next < s.rowCount && grid->GetRowHeight(next) == 0;
            Arm(GridResize::Row, hiddenNext ? next : r.index, Qt::SizeVerCursor);
            return;
        }
        break;
    }
    Disarm();
}

// ---------------------------------------------------------------------------------------------
// The corner button

CGridCornerButton::CGridCornerButton(CGridCtrl* grid, QWidget* parent) : CGridPaintedChild(grid, parent) {}

void CGridCornerButton::InvalidateEverything()
{
    m_invalid.Add(-1, -1, -1, -1);
}

void CGridCornerButton::PaintCells(CDC* dc)
{
    const CGridSheetInfo& s = *Sheet();
    Fill(dc, 0, 0, width(), height(), GridSystem::ButtonFace);
    dc->SaveDC();
    if (s.cellFont)
        dc->SelectObject(s.cellFont);
    DrawCell(Grid(), dc, -1, -1, RECT{0, 0, width(), height()}, FALSE);
    dc->RestoreDC(-1);
}

void CGridCornerButton::mouseMoveEvent(QMouseEvent* event)
{
    CGridCtrl* grid = Grid();
    const POINT point = PointOf(event);
    if (m_dragging) {
        const int travel = m_rightEdge ? point.x - m_startPointer : point.y - m_startPointer;
        ResizeHeading(grid, !m_rightEdge, std::max(0, m_startTotal + travel));
        return;
    }
    if (event->buttons() != Qt::NoButton || Sheet()->resizeMode <= 0)
        return;
    m_armed = false;
    if (std::abs(point.x - width()) <= kCornerSlack && grid->OnCanResizeSideHeading()) {
        m_armed = true;
        m_rightEdge = true;
    } else if (std::abs(point.y - height()) <= kCornerSlack && grid->OnCanResizeTopHeading()) {
        m_armed = true;
        m_rightEdge = false;
    }
    setCursor(!m_armed ? Qt::ArrowCursor : m_rightEdge ? Qt::SizeHorCursor : Qt::SizeVerCursor);
}

void CGridCornerButton::mousePressEvent(QMouseEvent* event)
{
    const POINT point = PointOf(event);
    const CGridSheetInfo& s = *Sheet();
    if (event->button() == Qt::LeftButton && m_armed) {
        m_dragging = true;
        m_startTotal = m_rightEdge ? s.sideHeadingWidth : s.topHeadingHeight;
        m_startPointer = m_rightEdge ? point.x : point.y;
        return;
    }
    const RECT rect{0, 0, width(), height()};
    if (event->button() == Qt::RightButton)
        Grid()->OnCornerRightClick(1, rect, point, 0);
    else
        Grid()->OnCornerClick(1, rect, point, 0);
}

void CGridCornerButton::mouseReleaseEvent(QMouseEvent* event)
{
    CGridCtrl* grid = Grid();
    const POINT point = PointOf(event);
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_armed = false;
        setCursor(Qt::ArrowCursor);
        grid->Area()->InvalidateAll();
        grid->Relayout();
        return;
    }
    const RECT rect{0, 0, width(), height()};
    if (event->button() == Qt::RightButton)
        grid->OnCornerRightClick(0, rect, point, 0);
    else
        grid->OnCornerClick(0, rect, point, 0);
}

void CGridCornerButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_armed) {
        mousePressEvent(event);
        return;
    }
    Grid()->OnCornerDoubleClick(RECT{0, 0, width(), height()}, PointOf(event), 0);
}

// ---------------------------------------------------------------------------------------------
// The scroll bars

CGridScrollBar::CGridScrollBar(CGridCtrl* grid, QWidget* parent, Qt::Orientation orientation)
    : QScrollBar(orientation, parent), CGridChild(grid)
{
    setFocusPolicy(Qt::NoFocus);
    setTracking(false);
    QObject::connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (m_writing)
            return;
        int request = -1;
        switch (action) {
        case SliderSingleStepSub: request = GRID_SB::LineUp; break;
        case SliderSingleStepAdd: request = GRID_SB::LineDown; break;
        case SliderPageStepSub: request = GRID_SB::PageUp; break;
        case SliderPageStepAdd: request = GRID_SB::PageDown; break;
        case SliderToMinimum: request = GRID_SB::Top; break;
        case SliderToMaximum: request = GRID_SB::Bottom; break;
        default: return;  // the thumb reports through its own signals
        }
        OnScroll(request, sliderPosition());
        // The bar shows where the grid went, not where the action alone would have put it.
        setSliderPosition(m_position);
    });
    QObject::connect(this, &QAbstractSlider::sliderMoved, this, [this](int position) {
        if (!m_writing)
            OnScroll(GRID_SB::ThumbTrack, position);
    });
    QObject::connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        OnScroll(GRID_SB::ThumbPosition, sliderPosition());
        setSliderPosition(m_position);
    });
}

void CGridScrollBar::Write(int minimum, int maximum, int page, int position)
{
    m_writing = true;
    page = std::max(1, page);
    setRange(minimum, std::max(minimum, maximum - page + 1));
    setPageStep(page);
    setSingleStep(1);
    m_position = position;
    setValue(position);
    m_writing = false;
}

void CGridScrollBar::LayOutAgain()
{
    if (m_layingOut)
        return;
    m_layingOut = true;
    Grid()->Relayout();
    m_layingOut = false;
}

void CGridScrollBar::WritePosition(int position)
{
    m_writing = true;
    m_position = position;
    setValue(position);
    m_writing = false;
}

void CGridHScroll::OnScroll(int request, int position)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    grid->Area()->setFocus();
    s.mouseMode = 4;
    switch (request) {
    case GRID_SB::LineUp: grid->ScrollColumns(GridStepBack); break;
    case GRID_SB::LineDown: grid->ScrollColumns(GridStepForward); break;
    case GRID_SB::PageUp: grid->ScrollColumns(GridPageBack); break;
    case GRID_SB::PageDown: grid->ScrollColumns(GridPageForward); break;
    case GRID_SB::Top: grid->ScrollColumns(GridFirst); break;
    case GRID_SB::Bottom: grid->ScrollColumns(GridLast); break;
    case GRID_SB::ThumbPosition: grid->SetLeftColumn(position + s.frozenColumns); break;
    case GRID_SB::ThumbTrack:
        if (s.liveHorizontalThumb)
            grid->SetLeftColumn(position + s.frozenColumns);
        break;
    default: break;
    }
}

void CGridHScroll::Refresh()
{
    const CGridSheetInfo& s = *Sheet();
    if (s.greatestLeftColumn != m_greatest || s.frozenColumns != m_frozen) {
        m_greatest = s.greatestLeftColumn;
        m_frozen = s.frozenColumns;
        const int page = s.defaultColumnWidth > 0 ? (s.areaWidth - s.frozenColumnsWidth) / s.defaultColumnWidth : 1;
        m_left = s.leftColumn;
        Write(0, m_greatest + page - m_frozen - 1, page, s.leftColumn - s.frozenColumns);
        if (m_greatest > m_frozen && s.rects[GridHScrollRect].bottom == s.rects[GridHScrollRect].top)
            LayOutAgain();
        return;
    }
    if (s.leftColumn != m_left) {
        m_left = s.leftColumn;
        WritePosition(s.leftColumn - s.frozenColumns);
    }
}

void CGridVScroll::OnScroll(int request, int position)
{
    CGridCtrl* grid = Grid();
    CGridSheetInfo& s = *Sheet();
    grid->Area()->setFocus();
    s.mouseMode = 4;
    switch (request) {
    case GRID_SB::LineUp: grid->ScrollRows(GridStepBack); break;
    case GRID_SB::LineDown: grid->ScrollRows(GridStepForward); break;
    case GRID_SB::PageUp: grid->ScrollRows(GridPageBack); break;
    case GRID_SB::PageDown: grid->ScrollRows(GridPageForward); break;
    case GRID_SB::Top: grid->ScrollRows(GridFirst); break;
    case GRID_SB::Bottom: grid->ScrollRows(GridLast); break;
    case GRID_SB::ThumbPosition: grid->SetTopRow(static_cast<int>(position * m_rowScale)); break;
    case GRID_SB::ThumbTrack: m_trackedRow = static_cast<int>(position * m_rowScale); break;
    default: break;
    }
}

void CGridVScroll::Refresh()
{
    const CGridSheetInfo& s = *Sheet();
    if (s.greatestTopRow != m_greatest || s.frozenRows != m_frozen) {
        m_greatest = s.greatestTopRow;
        m_frozen = s.frozenRows;
        if (m_greatest > 1000) {
            // Above 1000 rows the bar runs 0..1000 and its positions are scaled to rows.
            m_positionScale = 1000.0 / m_greatest;
            m_rowScale = m_greatest * 0.001;
            m_top = s.topRow;
            Write(m_frozen, 1000, 1, static_cast<int>(s.topRow * m_positionScale));
        } else {
            m_positionScale = m_rowScale = 1.0;
            const int page = s.defaultRowHeight > 0 ? s.areaHeight / s.defaultRowHeight : 1;
            m_top = s.topRow;
            Write(m_frozen, m_greatest + page - 1, page, s.topRow);
        }
        // Rows that no longer fit need the bar the layout left out.
        if (m_greatest > m_frozen && s.rects[GridVScrollRect].right == s.rects[GridVScrollRect].left)
            LayOutAgain();
        return;
    }
    if (s.topRow != m_top) {
        m_top = s.topRow;
        WritePosition(static_cast<int>(s.topRow * m_positionScale));
    }
}
