// The grid control's painting and input: the cells drawn again after a scroll, frozen lines, the
// scaled vertical bar, and synthetic mouse, wheel and key events on the cell area and headings.
#include "dialogs/grid_ctrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Events = std::vector<std::string>;

template <typename... Ints>
std::string Entry(const char* name, Ints... values)
{
    std::string entry = name;
    ((entry += " " + std::to_string(values)), ...);
    return entry;
}

// A check-box type that notes what the grid asks of it.
class RecordingCheckBox : public CGridCheckBoxType {
public:
    explicit RecordingCheckBox(Events& events) : m_events(events) {}
    int OnClick(int column, int row, int pressed, const RECT& rect, POINT point) override
    {
        const int answer = CGridCheckBoxType::OnClick(column, row, pressed, rect, point);
        m_events.push_back(Entry("TypeClick", column, row, pressed, answer));
        return answer;
    }
    void OnEnterCell(int column, int row, const CGridCell&) override { m_events.push_back(Entry("Enter", column, row)); }
    void OnLeaveCell(int column, int row, const CGridCell&) override { m_events.push_back(Entry("Leave", column, row)); }

private:
    Events& m_events;
};

class InputGrid : public CGridCtrl {
public:
    InputGrid()
    {
        resize(300, 200);
        SetColumnCount(3, false);
    }
    BOOL OnCanMoveCell(int oc, int orow, int nc, int nrow) override
    {
        events.push_back(Entry("CanMove", oc, orow, nc, nrow));
        return TRUE;
    }
    void OnRowsNeeded(int first, int count, int zero) override { events.push_back(Entry("RowsNeeded", first, count, zero)); }
    void OnCurrentColumnChanged(int o, int n) override { events.push_back(Entry("ColumnChanged", o, n)); }
    void OnCurrentRowChanged(int o, int n) override { events.push_back(Entry("RowChanged", o, n)); }
    void OnCurrentCellChanged(int oc, int nc, int orow, int nrow) override
    {
        events.push_back(Entry("CellChanged", oc, nc, orow, nrow));
    }
    void OnTopRowChanged(int o, int n) override { events.push_back(Entry("TopChanged", o, n)); }
    void OnCellClick(int c, int r, int pressed, const RECT&, POINT, int handled) override
    {
        events.push_back(Entry("CellClick", c, r, pressed, handled));
    }
    void OnCellDoubleClick(int c, int r, const RECT&, POINT, int handled) override
    {
        events.push_back(Entry("CellDoubleClick", c, r, handled));
    }
    void OnColumnHeadingDoubleClick(int c, int r, const RECT&, POINT, int) override
    {
        events.push_back(Entry("ColumnHeadingDoubleClick", c, r));
    }
    void OnRowHeadingDoubleClick(int c, int r, const RECT&, POINT, int) override
    {
        events.push_back(Entry("RowHeadingDoubleClick", c, r));
    }
    void OnColumnResizing(int column, int& width) override { events.push_back(Entry("ColumnResizing", column, width)); }
    void OnColumnResized(int column, int& width) override { events.push_back(Entry("ColumnResized", column, width)); }
    void OnCornerClick(int pressed, const RECT&, POINT, int) override { events.push_back(Entry("CornerClick", pressed)); }

    Events events;
};

// Sends a mouse event to a child as the window system would.
void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint at)
{
    Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void DoubleClick(QWidget* widget, QPoint at)
{
    Click(widget, at);
    Mouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void Key(QWidget* widget, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
}

TEST(GridInvalidList, HoldsRangesInsideTheirBounds)
{
    CGridInvalidList list;
    EXPECT_FALSE(list.Contains(0, 0));
    list.Add(0, 0, 1, 1);
    list.Add(5, 5, 6, 6);
    EXPECT_TRUE(list.Contains(1, 1));
    EXPECT_TRUE(list.Contains(6, 5));
    EXPECT_FALSE(list.Contains(3, 3));  // inside the bounds, in no range
    EXPECT_FALSE(list.Contains(7, 7));
    list.Widen(2, 0, 2, 3);  // merged into the first range
    EXPECT_TRUE(list.Contains(0, 3));
    EXPECT_EQ(list.Ranges().size(), 2u);
    EXPECT_EQ(list.Bounds().lastColumn, 6);
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
}

TEST(GridPainting, AScrollDrawsOnlyWhatCameIntoViewAndTheCurrentCells)
{
    InputGrid grid;
    grid.SetRowCount(30, false);  // rows of 20 pixels in 180: rows 0..8 shown
    grid.Relayout();
    grid.Area()->RepaintAll();
    EXPECT_EQ(grid.Sheet().lastRowDrawn, 8);
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(2, 29));

    EXPECT_EQ(grid.ScrollRows(GridStepForward), 0);
    const CGridInvalidList& drawn = grid.Area()->LastPainted();
    EXPECT_TRUE(drawn.Contains(0, 8));  // the last row, partly shown before
    EXPECT_TRUE(drawn.Contains(2, 9));  // the row that came into view
    EXPECT_TRUE(drawn.Contains(0, 0));  // the current cell
    EXPECT_FALSE(drawn.Contains(1, 0));
    EXPECT_FALSE(drawn.Contains(1, 4));
    EXPECT_EQ(grid.Sheet().lastRowDrawn, 9);

    EXPECT_EQ(grid.ScrollRows(GridStepBack), 0);
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(1, 0));  // rows up to the former top row
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(1, 1));
    EXPECT_FALSE(grid.Area()->LastPainted().Contains(1, 5));

    // A move of the current cell draws the cell it left and the one it reached.
    EXPECT_EQ(grid.SetCurrentCell(2, 3), 0);
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(0, 0));
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(2, 3));
    EXPECT_FALSE(grid.Area()->LastPainted().Contains(1, 3));

    // A jump further than the area paints it whole.
    EXPECT_EQ(grid.SetTopRow(20), 0);
    grid.Area()->grab();
    EXPECT_TRUE(grid.Area()->LastPainted().Contains(1, 25));
}

TEST(GridPainting, FrozenColumnsAndRowsArePartedByBlackLines)
{
    InputGrid grid;
    grid.SetRowCount(30, false);
    grid.SetFrozenColumns(1);
    grid.SetFrozenRows(1);
    grid.Relayout();
    const QImage image = grid.Area()->grab().toImage();
    // Column 0 ends at 75, row 0 at 20: the lines lie on their last pixel.
    EXPECT_EQ(image.pixelColor(74, 50), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(120, 19), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(120, 50), QColor(Qt::black));
    // The area right of the last column has the grid's back colour.
    EXPECT_EQ(image.pixelColor(240, 50), QColor(240, 240, 240));
}

TEST(GridScrollBars, ManyRowsScaleTheVerticalBarTo1000)
{
    InputGrid grid;
    grid.SetRowCount(5000, false);
    grid.Relayout();
    const int greatest = grid.GetGreatestTopRow();
    ASSERT_GT(greatest, 1000);
    CGridVScroll* bar = grid.VScroll();
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->pageStep(), 1);

    // The thumb dragged to the middle and let go.
    bar->setSliderDown(true);
    bar->setSliderPosition(500);
    EXPECT_EQ(grid.GetTopRow(), 0);  // dragging only remembers the row
    EXPECT_EQ(bar->TrackedRow(), greatest / 2);
    bar->setSliderDown(false);
    EXPECT_EQ(grid.GetTopRow(), greatest / 2);
    EXPECT_EQ(bar->value(), static_cast<int>(greatest / 2 * (1000.0 / greatest)));  // truncated back

    // A line step moves one row; the bar shows the scaled position.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.GetTopRow(), greatest / 2 + 1);
    EXPECT_EQ(bar->value(), static_cast<int>((greatest / 2 + 1) * (1000.0 / greatest)));
}

TEST(GridScrollBars, FewRowsUseOnePositionPerRow)
{
    InputGrid grid;
    grid.SetRowCount(30, false);
    grid.Relayout();
    CGridVScroll* bar = grid.VScroll();
    EXPECT_EQ(bar->maximum(), grid.GetGreatestTopRow());
    EXPECT_EQ(bar->pageStep(), 9);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid.GetTopRow(), 9);
    EXPECT_EQ(bar->value(), 9);
}

TEST(GridMouse, ACheckBoxClickRunsInItsOrder)
{
    InputGrid grid;
    RecordingCheckBox type(grid.events);
    const int index = grid.RegisterCellType(&type);
    grid.SetRowCount(5, false);
    grid.Relayout();
    CGridCell cell;
    cell.SetCellType(index);
    cell.SetText(u"0");
    grid.SetCell(1, 2, cell);
    grid.events.clear();

    // Cell (1, 2) is at x 75..150, y 40..60; its content ends 1 pixel short, the box is 12 high.
    Click(grid.Area(), QPoint(75 + 24, 40 + 9));
    EXPECT_EQ(grid.events, (Events{"CanMove 0 0 1 2", "ColumnChanged 0 1", "RowChanged 0 2", "CellChanged 0 1 0 2",
                                   "Enter 1 2", "TypeClick 1 2 1 0", "CellClick 1 2 1 0", "TypeClick 1 2 0 1",
                                   "CellClick 1 2 0 1"}));
    grid.GetCell(1, 2, cell);
    EXPECT_EQ(cell.GetText(), u"1.000000");

    // Outside the box the cell stays as it is; the space key toggles it back.
    grid.events.clear();
    Click(grid.Area(), QPoint(75 + 60, 40 + 9));
    EXPECT_EQ(grid.events, (Events{"TypeClick 1 2 1 0", "CellClick 1 2 1 0", "TypeClick 1 2 0 0", "CellClick 1 2 0 0"}));
    Key(grid.Area(), Qt::Key_Space, QStringLiteral(" "));
    grid.GetCell(1, 2, cell);
    EXPECT_FALSE(cell.GetBoolValue());
}

TEST(GridMouse, AClickBelowTheRowsHitsNoCell)
{
    InputGrid grid;
    grid.SetRowCount(3, false);
    grid.Relayout();
    grid.events.clear();
    Click(grid.Area(), QPoint(30, 150));
    EXPECT_EQ(grid.events, (Events{"CellClick -1 -1 1 0", "CellClick -1 -1 0 0"}));
    EXPECT_EQ(grid.GetCurrentRow(), 0);

    int column = 0, row = 0;
    RECT rect{};
    EXPECT_EQ(grid.HitTest(POINT{30, 150}, &column, &row, &rect), 1);
    EXPECT_EQ(grid.HitTest(POINT{80, 45}, &column, &row, &rect), 0);
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(rect.left, 75);
    EXPECT_EQ(rect.bottom, 60);
}

TEST(GridMouse, HeadingDoubleClicksNameTheirColumnOrRow)
{
    InputGrid grid;
    grid.SetRowCount(3, false);
    grid.Relayout();
    grid.events.clear();
    DoubleClick(grid.TopHeading(), QPoint(100, 8));
    DoubleClick(grid.SideHeading(), QPoint(10, 25));
    Click(grid.Corner(), QPoint(10, 8));
    const Events expected{"ColumnHeadingDoubleClick 1 -1", "RowHeadingDoubleClick -1 1", "CornerClick 1",
                          "CornerClick 0"};
    EXPECT_EQ(grid.events, expected);
}

TEST(GridMouse, HoldingTheButtonBelowTheAreaKeepsScrolling)
{
    InputGrid grid;
    grid.SetRowCount(30, false);
    grid.Relayout();
    Mouse(grid.Area(), QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    Mouse(grid.Area(), QEvent::MouseMove, QPoint(10, 250), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(grid.GetCurrentRow(), 1);
    QTest::qWait(700);  // the step repeats while the pointer is held still
    const int reached = grid.GetCurrentRow();
    EXPECT_GT(reached, 9);
    EXPECT_GT(grid.GetTopRow(), 0);
    Mouse(grid.Area(), QEvent::MouseButtonRelease, QPoint(10, 250), Qt::LeftButton, Qt::NoButton);
    QTest::qWait(120);
    EXPECT_EQ(grid.GetCurrentRow(), reached);
}

TEST(GridKeys, ArrowsPagesAndTheWheelMoveTheCurrentCell)
{
    InputGrid grid;
    grid.SetRowCount(30, false);
    grid.Relayout();
    Key(grid.Area(), Qt::Key_Right);
    Key(grid.Area(), Qt::Key_Down);
    EXPECT_EQ(grid.GetCurrentColumn(), 1);
    EXPECT_EQ(grid.GetCurrentRow(), 1);
    Key(grid.Area(), Qt::Key_End);
    EXPECT_EQ(grid.GetCurrentColumn(), 2);
    Key(grid.Area(), Qt::Key_End, {}, Qt::ControlModifier);
    EXPECT_EQ(grid.GetCurrentRow(), 29);
    grid.events.clear();
    Key(grid.Area(), Qt::Key_Down);  // on the last row: the owner is asked for a row
    EXPECT_EQ(grid.events, Events{"RowsNeeded 30 1 0"});
    Key(grid.Area(), Qt::Key_Home, {}, Qt::ControlModifier);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
    Key(grid.Area(), Qt::Key_PageDown);
    EXPECT_EQ(grid.GetCurrentRow(), 9);

    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.Area(), &wheel);
    EXPECT_EQ(grid.GetTopRow(), 7);  // two notches down, three rows each
}

TEST(GridResizing, DraggingAColumnEdgeShowsTheTrackingLine)
{
    InputGrid grid;
    grid.SetRowCount(5, false);
    grid.Relayout();
    grid.Area()->RepaintAll();
    const QColor before = grid.Area()->Image().pixelColor(100, 90);
    CGridTopHeading* heading = grid.TopHeading();
    Mouse(heading, QEvent::MouseMove, QPoint(74, 10), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(heading->ArmedResize(), GridResize::Column);
    EXPECT_EQ(heading->cursor().shape(), Qt::SizeHorCursor);

    grid.events.clear();
    Mouse(heading, QEvent::MouseButtonPress, QPoint(74, 10), Qt::LeftButton, Qt::LeftButton);
    Mouse(heading, QEvent::MouseMove, QPoint(100, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(grid.Area()->TrackingLine(), 100);
    const QColor inverted = grid.Area()->Image().pixelColor(100, 90);
    EXPECT_EQ(inverted.red(), 255 - before.red());
    EXPECT_EQ(grid.GetColumnWidth(0), 101);

    Mouse(heading, QEvent::MouseButtonRelease, QPoint(100, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.Area()->TrackingLine(), -1);
    EXPECT_EQ(grid.events, (Events{"ColumnResizing 0 101", "ColumnResized 0 101"}));
    EXPECT_EQ(heading->ArmedResize(), GridResize::None);

    // Without resizing the cursor never changes over an edge.
    grid.Sheet().resizeMode = 0;
    Mouse(heading, QEvent::MouseMove, QPoint(100, 10), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(heading->ArmedResize(), GridResize::None);
}

TEST(GridResizing, AnEdgeBeforeAHiddenColumnOpensIt)
{
    InputGrid grid;
    grid.SetRowCount(5, false);
    grid.SetColumnWidth(1, 0);
    grid.Relayout();
    CGridTopHeading* heading = grid.TopHeading();
    Mouse(heading, QEvent::MouseMove, QPoint(75, 10), Qt::NoButton, Qt::NoButton);
    Mouse(heading, QEvent::MouseButtonPress, QPoint(75, 10), Qt::LeftButton, Qt::LeftButton);
    Mouse(heading, QEvent::MouseMove, QPoint(95, 10), Qt::NoButton, Qt::LeftButton);
    Mouse(heading, QEvent::MouseButtonRelease, QPoint(95, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.GetColumnWidth(0), 75);
    EXPECT_EQ(grid.GetColumnWidth(1), 20);
}

TEST(GridResizing, RowsAndHeadingsFollowTheirEdges)
{
    InputGrid grid;
    grid.SetRowCount(5, false);
    grid.Relayout();
    grid.Area()->RepaintAll();
    CGridSideHeading* side = grid.SideHeading();

    // The bottom edge of row 1 (y 40): a horizontal tracking line while dragging.
    Mouse(side, QEvent::MouseMove, QPoint(10, 39), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(side->ArmedResize(), GridResize::Row);
    EXPECT_EQ(side->cursor().shape(), Qt::SizeVerCursor);
    Mouse(side, QEvent::MouseButtonPress, QPoint(10, 39), Qt::LeftButton, Qt::LeftButton);
    Mouse(side, QEvent::MouseMove, QPoint(10, 54), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(grid.Area()->TrackingLine(), 54);
    Mouse(side, QEvent::MouseButtonRelease, QPoint(10, 54), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.GetRowHeight(1), 35);
    EXPECT_EQ(grid.Area()->TrackingLine(), -1);

    // The right edge of the heading column (25 of the heading's 40 pixels at first) widens the
    // heading by the pointer's travel; the grid lays out again.
    Mouse(side, QEvent::MouseMove, QPoint(24, 70), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(side->ArmedResize(), GridResize::HeadingWidth);
    Mouse(side, QEvent::MouseButtonPress, QPoint(24, 70), Qt::LeftButton, Qt::LeftButton);
    Mouse(side, QEvent::MouseMove, QPoint(44, 70), Qt::NoButton, Qt::LeftButton);
    Mouse(side, QEvent::MouseButtonRelease, QPoint(44, 70), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.Sheet().sideHeadingWidth, 60);
    EXPECT_EQ(grid.Sheet().sideHeadingWidths, std::vector<int>{60});
    EXPECT_EQ(grid.ChildRect(GridAreaRect).left, 60);

    // The corner's bottom edge sets the top heading's height.
    CGridCornerButton* corner = grid.Corner();
    Mouse(corner, QEvent::MouseMove, QPoint(10, 18), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(corner->cursor().shape(), Qt::SizeVerCursor);
    grid.events.clear();
    Mouse(corner, QEvent::MouseButtonPress, QPoint(10, 18), Qt::LeftButton, Qt::LeftButton);
    Mouse(corner, QEvent::MouseMove, QPoint(10, 30), Qt::NoButton, Qt::LeftButton);
    Mouse(corner, QEvent::MouseButtonRelease, QPoint(10, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.Sheet().topHeadingHeight, 32);
    EXPECT_EQ(grid.ChildRect(GridAreaRect).top, 32);
    EXPECT_TRUE(grid.events.empty());  // a drag is no click
}

TEST(GridPainting, TheSideHeadingScrollsWithTheRows)
{
    InputGrid grid;
    grid.SetRowCount(30, false);
    grid.Relayout();
    grid.SideHeading()->RepaintAll();
    grid.Area()->RepaintAll();
    EXPECT_EQ(grid.ScrollRows(GridStepForward), 0);
    const CGridInvalidList& drawn = grid.SideHeading()->LastPainted();
    EXPECT_TRUE(drawn.Contains(-1, 9));
    EXPECT_TRUE(drawn.Contains(-1, 0));  // the current row
    EXPECT_FALSE(drawn.Contains(-1, 4));
}

}  // namespace
