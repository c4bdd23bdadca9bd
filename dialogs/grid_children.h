// The six children of the grid control: the cell area, the top heading, the side heading, the
// corner button and the two scroll bars. The area and the headings paint through an off-screen
// image of their own, so that a scroll shifts the image's pixels and only the cells that came
// into view are drawn again, and the inverted tracking line of a resize works; the widget shows
// the image. Each keeps a list of the cells it must draw again.
#pragma once

#include "platform/gdi.h"
#include "platform/win_types.h"

#include <QImage>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class CGridCtrl;
struct CGridSheetInfo;

// Scroll-bar requests, as the bars report them.
namespace GRID_SB {
constexpr int LineUp = 0;
constexpr int LineDown = 1;
constexpr int PageUp = 2;
constexpr int PageDown = 3;
constexpr int ThumbPosition = 4;
constexpr int ThumbTrack = 5;
constexpr int Top = 6;
constexpr int Bottom = 7;
}  // namespace GRID_SB

// Key-state flags of a mouse event.
namespace GRID_MK {
constexpr int LeftButton = 0x1;
constexpr int RightButton = 0x2;
constexpr int Shift = 0x4;
constexpr int Control = 0x8;
}  // namespace GRID_MK

// The cells to draw again: ranges of cells (first column, first row, last column, last row) with
// their bounding range.
class CGridInvalidList {
public:
    struct Range {
        int firstColumn, firstRow, lastColumn, lastRow;
    };

    // Appends a range and widens the bounds.
    void Add(int firstColumn, int firstRow, int lastColumn, int lastRow);
    // Merges the range into the first range and the bounds.
    void Widen(int firstColumn, int firstRow, int lastColumn, int lastRow);
    bool Contains(int column, int row) const;
    bool IsEmpty() const { return m_ranges.empty(); }
    void Clear() { m_ranges.clear(); }
    const std::vector<Range>& Ranges() const { return m_ranges; }
    const Range& Bounds() const { return m_bounds; }

private:
    std::vector<Range> m_ranges;
    Range m_bounds{0, 0, -1, -1};
};

// One column or row on screen: its index and where it starts and ends in the child.
struct GRID_SPAN {
    int index;
    int start;
    int end;
};

// What every child keeps: the grid and its current sheet.
class CGridChild {
public:
    explicit CGridChild(CGridCtrl* grid) : m_grid(grid) {}
    virtual ~CGridChild() = default;
    void SetSheet(CGridSheetInfo* sheet) { m_sheet = sheet; }
    CGridCtrl* Grid() const { return m_grid; }
    CGridSheetInfo* Sheet() const { return m_sheet; }

private:
    CGridCtrl* m_grid;
    CGridSheetInfo* m_sheet = nullptr;
};

// A child that paints cells through its off-screen image. A full repaint is pending until the
// image has been painted whole once at the widget's size; after that, updates draw only the
// cells in the invalid list into the image and show it.
class CGridPaintedChild : public QWidget, public CGridChild {
public:
    CGridPaintedChild(CGridCtrl* grid, QWidget* parent);

    // Everything is drawn again at the next paint.
    void InvalidateAll();
    // Draws the whole child into its image now.
    void RepaintAll();
    // The image as last painted.
    const QImage& Image() const { return m_image; }
    // The list that the last painting drew, kept after the painting cleared it.
    const CGridInvalidList& LastPainted() const { return m_lastPainted; }
    CGridInvalidList& Invalid() { return m_invalid; }

protected:
    // Adds every cell the child shows to the invalid list.
    virtual void InvalidateEverything() = 0;
    // Draws the cells of the invalid list and what lies around them.
    virtual void PaintCells(CDC* dc) = 0;
    // Draws the invalid list into the image now (the whole child when a full repaint is pending)
    // and shows the image.
    void PaintInvalid();
    // Shifts the image's pixels by (dx, dy) inside the rectangle, as a window scroll would.
    void ScrollImage(int dx, int dy, const QRect& region);
    // Inverts a rectangle of the image (the tracking line); drawn twice it is gone.
    void InvertRect(const RECT& rect);
    // The image has the widget's size; false when it had to be made again (a full repaint).
    bool EnsureImage();
    bool FullRepaintPending() const { return m_fullPending; }
    bool Painting() const { return m_painting; }

    void paintEvent(QPaintEvent* event) override;

    CGridInvalidList m_invalid;

private:
    QImage m_image;
    CGridInvalidList m_lastPainted;
    bool m_fullPending = true;
    bool m_painting = false;
};

class CGridArea : public CGridPaintedChild {
public:
    CGridArea(CGridCtrl* grid, QWidget* parent);

    // After a move of the current cell or of the scroll position: shifts the pixels by the
    // scroll, adds what came into view and the previous and present current cells, and draws them.
    void UpdateAfterMove();
    // Draws the cell again at once.
    void RefreshCell(int column, int row);
    // Whether the area has the focus, as its focus flag says.
    bool HasFocusFlag() const { return m_focus; }
    // The inverted tracking line of a resize by drag: a 2-pixel band across the area at x (a
    // column) or at y (a row), inverted over the cells; the line shown before is inverted back
    // first. A negative position only takes the line away.
    void ShowTrackingLine(bool vertical, int at);
    // Where the tracking line stands, -1 when none is shown.
    int TrackingLine() const { return m_trackingShown ? m_trackingAt : -1; }

protected:
    void InvalidateEverything() override;
    void PaintCells(CDC* dc) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    // One step of a drag with the left button held at the point: the current cell follows the
    // pointer, scrolling when it is outside the area.
    void DragStep(POINT point);
    void InvalidateCurrent(int column, int row);

    bool m_focus = false;
    bool m_handledPress = false;
    bool m_leftHeld = false;
    POINT m_dragPoint{};
    QTimer m_dragTimer;
    bool m_trackingShown = false;
    bool m_trackingVertical = true;
    int m_trackingAt = -1;
};

// What a heading drag resizes.
enum class GridResize { None, Column, Row, HeadingHeight, HeadingWidth };

// The top and side headings share the resizing by drag.
class CGridHeading : public CGridPaintedChild {
public:
    CGridHeading(CGridCtrl* grid, QWidget* parent, bool top);

    GridResize ArmedResize() const { return m_armed; }
    bool Dragging() const { return m_dragging; }
    // The tracking line last drawn in the area, -1 when none is shown.
    int TrackingLine() const { return m_trackAt; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    // The heading cell under the point: column and row (headings negative) and its rectangle;
    // false when the point is on no cell.
    virtual bool HitCell(POINT point, int* column, int* row, RECT* rect) const = 0;
    // Arms a resize for the pointer when it lies on an edge; None otherwise.
    virtual void ArmFor(POINT point) = 0;
    void Arm(GridResize what, int index, Qt::CursorShape cursor);
    void Disarm();

private:
    void StartDrag(POINT point);
    void DragTo(POINT point);
    void EndDrag();
    void Click(QMouseEvent* event, int pressed, bool right, bool doubleClick);
    void MoveTrackingLine(int at);

    bool m_top;
    GridResize m_armed = GridResize::None;
    int m_index = 0;
    bool m_dragging = false;
    int m_startSize = 0;
    int m_startPointer = 0;
    int m_startTotal = 0;
    int m_rowsAbove = 1;
    int m_trackAt = -1;
};

class CGridTopHeading : public CGridHeading {
public:
    CGridTopHeading(CGridCtrl* grid, QWidget* parent) : CGridHeading(grid, parent, true) {}

protected:
    void InvalidateEverything() override;
    void PaintCells(CDC* dc) override;
    bool HitCell(POINT point, int* column, int* row, RECT* rect) const override;
    void ArmFor(POINT point) override;
};

class CGridSideHeading : public CGridHeading {
public:
    CGridSideHeading(CGridCtrl* grid, QWidget* parent) : CGridHeading(grid, parent, false) {}

    // After a move: shifts the pixels by the change of the top row and draws what came into
    // view and the previous and present current rows.
    void UpdateAfterMove();

protected:
    void InvalidateEverything() override;
    void PaintCells(CDC* dc) override;
    bool HitCell(POINT point, int* column, int* row, RECT* rect) const override;
    void ArmFor(POINT point) override;

private:
    int m_lastRowDrawn = 0;
};

class CGridCornerButton : public CGridPaintedChild {
public:
    CGridCornerButton(CGridCtrl* grid, QWidget* parent);

protected:
    void InvalidateEverything() override;
    void PaintCells(CDC* dc) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    bool m_armed = false;
    bool m_rightEdge = false;  // the heading width; else the heading height
    int m_startTotal = 0;
    int m_startPointer = 0;
};

// The scroll bars: they show the sheet's position and turn the user's requests into scrolls.
class CGridScrollBar : public QScrollBar, public CGridChild {
public:
    CGridScrollBar(CGridCtrl* grid, QWidget* parent, Qt::Orientation orientation);
    // A request of the bar (GRID_SB), with the thumb position for the thumb requests.
    virtual void OnScroll(int request, int position) = 0;
    // Writes range, page and position when what they follow changed since the last refresh.
    virtual void Refresh() = 0;
    // Forget what was last sent, so that the next refresh writes everything.
    virtual void Reset() = 0;

protected:
    // Sets the bar's range, page and position without reporting them back as requests.
    void Write(int minimum, int maximum, int page, int position);
    void WritePosition(int position);
    // The bar is needed but the layout hid it: the grid lays out again.
    void LayOutAgain();

private:
    bool m_layingOut = false;
    bool m_writing = false;
    int m_position = 0;  // the position last written
};

class CGridHScroll : public CGridScrollBar {
public:
    CGridHScroll(CGridCtrl* grid, QWidget* parent) : CGridScrollBar(grid, parent, Qt::Horizontal) {}
    void OnScroll(int request, int position) override;
    void Refresh() override;
    void Reset() override { m_greatest = m_frozen = m_left = -1; }

private:
    int m_greatest = -1;
    int m_frozen = -1;
    int m_left = -1;
};

class CGridVScroll : public CGridScrollBar {
public:
    CGridVScroll(CGridCtrl* grid, QWidget* parent) : CGridScrollBar(grid, parent, Qt::Vertical) {}
    void OnScroll(int request, int position) override;
    void Refresh() override;
    void Reset() override { m_greatest = m_frozen = m_top = -1; }
    double PositionScale() const { return m_positionScale; }
    double RowScale() const { return m_rowScale; }
    int TrackedRow() const { return m_trackedRow; }

private:
    int m_greatest = -1;
    int m_frozen = -1;
    int m_top = -1;
    double m_positionScale = 1.0;
    double m_rowScale = 1.0;
    int m_trackedRow = 0;
};
