// The grid control's state and geometry: dimensions, cells, moves of the current cell with their
// notifications, and the layout of the children.
#include "dialogs/grid_ctrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the notifications in the order they come.
class RecordingGrid : public CGridCtrl {
public:
    BOOL OnCanMoveCell(int oc, int orow, int nc, int nrow) override
    {
        Log("CanMove", oc, orow, nc, nrow);
        return allowMoves;
    }
    BOOL OnCanScroll(int ol, int ot, int nl, int nt) override
    {
        Log("CanScroll", ol, ot, nl, nt);
        return TRUE;
    }
    void OnRowsNeeded(int first, int count, int zero) override
    {
        Log("RowsNeeded", first, count, zero);
        if (addRows)
            SetRowCount(GetRowCount() + count, false);
    }
    void OnCurrentColumnChanged(int o, int n) override { Log("ColumnChanged", o, n); }
    void OnCurrentRowChanged(int o, int n) override { Log("RowChanged", o, n); }
    void OnCurrentCellChanged(int oc, int nc, int orow, int nrow) override { Log("CellChanged", oc, nc, orow, nrow); }
    void OnLeftColumnChanged(int o, int n) override { Log("LeftChanged", o, n); }
    void OnTopRowChanged(int o, int n) override { Log("TopChanged", o, n); }

    template <typename... Ints>
    void Log(const char* name, Ints... values)
    {
        std::string entry = name;
        ((entry += " " + std::to_string(values)), ...);
        events.push_back(entry);
    }

    std::vector<std::string> events;
    BOOL allowMoves = TRUE;
    bool addRows = false;
};

using Events = std::vector<std::string>;

void ExpectRect(const RECT& r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(GridCtrl, LaysOutChildrenAndShowsBarsOnlyWhenNeeded)
{
    CGridCtrl grid;
    grid.resize(300, 200);
    grid.SetColumnCount(3, false);  // 225 of 260 pixels
    grid.SetRowCount(5, false);     // 100 of 180 pixels
    grid.Relayout();
    ExpectRect(grid.ChildRect(GridAreaRect), 40, 20, 300, 200);
    ExpectRect(grid.ChildRect(GridCornerRect), 0, 0, 40, 20);
    ExpectRect(grid.ChildRect(GridTopRect), 40, 0, 300, 20);
    ExpectRect(grid.ChildRect(GridSideRect), 0, 20, 40, 200);
    EXPECT_EQ(grid.Sheet().areaHeight, 180);
    EXPECT_EQ(grid.GetGreatestTopRow(), 0);

    grid.SetRowCount(20, false);  // 400 pixels: the vertical bar appears, the columns still fit
    grid.Relayout();
    ExpectRect(grid.ChildRect(GridVScrollRect), 283, 0, 300, 200);
    ExpectRect(grid.ChildRect(GridHScrollRect), 0, 200, 283, 200);
    ExpectRect(grid.ChildRect(GridAreaRect), 40, 20, 283, 200);
    EXPECT_EQ(grid.Area()->geometry(), QRect(40, 20, 243, 180));
    EXPECT_EQ(grid.GetGreatestTopRow(), 11);  // rows 11..19 fill 180 pixels exactly

    grid.SetColumnCount(4, false);  // 300 pixels: both bars
    grid.Relayout();
    ExpectRect(grid.ChildRect(GridAreaRect), 40, 20, 283, 183);
    EXPECT_EQ(grid.GetGreatestTopRow(), 12);  // 163 pixels hold 8 rows, not 9
    EXPECT_EQ(grid.GetGreatestLeftColumn(), 1);

    grid.SetRowHeight(19, 170);  // the last row alone nearly fills the area
    grid.Relayout();
    EXPECT_EQ(grid.GetGreatestTopRow(), 19);
    EXPECT_EQ(grid.SetTopRow(50), 0);
    EXPECT_EQ(grid.GetTopRow(), 19);
}

TEST(GridCtrl, DimensionSettersAnswerByRange)
{
    CGridCtrl grid;
    grid.SetColumnCount(3, false);
    grid.SetRowCount(3, false);
    EXPECT_EQ(grid.SetRowCount(-1, false), 1);
    EXPECT_EQ(grid.SetColumnCount(32001, false), 1);
    EXPECT_EQ(grid.SetColumnWidth(3, 10), 1);
    EXPECT_EQ(grid.GetColumnWidth(3), 1);
    EXPECT_EQ(grid.SetColumnWidth(1, 10), 0);
    EXPECT_EQ(grid.GetColumnWidth(1), 10);
    EXPECT_EQ(grid.SetDefaultRowHeight(0), 1);
    EXPECT_EQ(grid.SetDefaultRowHeight(1025), 1);
    EXPECT_EQ(grid.SetHeadingRowHeight(-2, 10), 1);
    EXPECT_EQ(grid.SetHeadingRowHeight(0, 10), 1);
    EXPECT_EQ(grid.SetHeadingRowHeight(-1, 1025), 2);
    EXPECT_EQ(grid.SetSheetCount(0), 1);
    EXPECT_EQ(grid.SetSheetCount(1025), 1);
    EXPECT_EQ(grid.SetCellFont(HFONT()), 1);
    EXPECT_EQ(grid.SetRowHeight(7, 30), 0);  // ignored
    EXPECT_EQ(grid.GetRowHeight(7), 0);

    // A negative column sets the side heading and answers 1.
    EXPECT_EQ(grid.SetColumnWidth(-1, 30), 1);
    EXPECT_EQ(grid.Sheet().sideHeadingWidth, 30);
    EXPECT_EQ(grid.SetColumnHeadingHeight(35), 0);
    EXPECT_EQ(grid.Sheet().topHeadingHeights, std::vector<int>{35});
    EXPECT_EQ(grid.Sheet().topHeadingHeight, 35);
}

TEST(GridCtrl, ManyRowsSwitchToUniformHeight)
{
    CGridCtrl grid;
    grid.SetRowCount(64000, false);
    EXPECT_FALSE(grid.Sheet().uniformRowHeight);
    grid.SetRowHeight(5, 33);
    EXPECT_EQ(grid.GetRowHeight(6), 20);
    grid.SetRowCount(64001, false);
    EXPECT_TRUE(grid.Sheet().uniformRowHeight);
    EXPECT_TRUE(grid.Sheet().rowHeights.empty());
    grid.SetRowHeight(5, 25);
    EXPECT_EQ(grid.GetRowHeight(0), 25);
    EXPECT_EQ(grid.GetRowHeight(64000), 25);
}

TEST(GridCtrl, MovingPastTheLastRowAsksForRows)
{
    RecordingGrid grid;
    grid.resize(300, 200);
    grid.SetColumnCount(2, false);
    grid.SetRowCount(5, false);
    EXPECT_EQ(grid.GetCurrentRow(), 0);

    grid.events.clear();
    EXPECT_EQ(grid.SetCurrentRow(7), 0);  // from an earlier row: to the last one
    EXPECT_EQ(grid.events.front(), "RowsNeeded 5 3 0");
    EXPECT_EQ(grid.GetCurrentRow(), 4);

    grid.events.clear();
    EXPECT_EQ(grid.MoveCurrentRow(GridStepForward), 1);  // from the last row, with no row added
    EXPECT_EQ(grid.events, Events{"RowsNeeded 5 1 0"});
    EXPECT_EQ(grid.GetCurrentRow(), 4);

    grid.addRows = true;
    EXPECT_EQ(grid.MoveCurrentRow(GridStepForward), 0);
    EXPECT_EQ(grid.GetRowCount(), 6);
    EXPECT_EQ(grid.GetCurrentRow(), 5);

    EXPECT_EQ(grid.SetCurrentRow(-3), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
}

TEST(GridCtrl, CommitsMovesInOrderAndNotAfterARefusal)
{
    RecordingGrid grid;
    grid.resize(300, 200);  // 180 pixels of cells: rows 0..8
    grid.SetColumnCount(3, false);
    grid.SetRowCount(30, false);
    grid.Relayout();

    grid.events.clear();
    EXPECT_EQ(grid.SetCurrentCell(2, 12), 0);
    EXPECT_EQ(grid.events, (Events{"CanMove 0 0 2 12", "ColumnChanged 0 2", "RowChanged 0 12",
                                   "CellChanged 0 2 0 12", "TopChanged 0 4"}));

    grid.events.clear();
    EXPECT_EQ(grid.SetTopRow(100), 0);
    EXPECT_EQ(grid.events, (Events{"CanScroll 0 4 0 21", "TopChanged 4 21"}));

    grid.allowMoves = FALSE;
    grid.events.clear();
    EXPECT_EQ(grid.SetCurrentCell(0, 1), 2);
    EXPECT_EQ(grid.SetCurrentColumn(0), 2);
    EXPECT_EQ(grid.SetCurrentRow(3), 2);
    EXPECT_EQ(grid.events, (Events{"CanMove 2 12 0 1", "CanMove 2 12 0 12", "CanMove 2 12 2 3"}));
    EXPECT_EQ(grid.GetCurrentColumn(), 2);
    EXPECT_EQ(grid.GetCurrentRow(), 12);
}

TEST(GridCtrl, SelectingASheetAnnouncesThePositionAgain)
{
    RecordingGrid grid;
    grid.resize(300, 200);
    EXPECT_EQ(grid.SetSheetCount(2), 0);
    grid.events.clear();
    EXPECT_EQ(grid.SelectSheet(1, false), 0);
    EXPECT_EQ(grid.events, (Events{"LeftChanged -1 0", "TopChanged -1 0"}));
    EXPECT_EQ(grid.GetCurrentSheet(), 1);
    EXPECT_EQ(grid.SelectSheet(2, false), 1);
}

TEST(GridCtrl, CellsOutsideTheSheetAreNeitherStoredNorRead)
{
    CGridCtrl grid;
    grid.SetColumnCount(2, false);
    grid.SetRowCount(2, false);
    CGridCell cell;
    cell.SetText(u"x");
    EXPECT_EQ(grid.SetCell(1, 1, cell), 0);
    EXPECT_EQ(grid.SetCell(-1, -1, cell), 0);  // the corner
    EXPECT_EQ(grid.SetCell(2, 0, cell), 1);
    EXPECT_EQ(grid.SetCell(0, 2, cell), 1);
    EXPECT_EQ(grid.SetCell(-2, 0, cell), 1);
    EXPECT_EQ(grid.SetCell(0, -2, cell), 1);
    EXPECT_EQ(grid.Sheet().store->GetLastRow(), 1);

    CGridCell read;
    EXPECT_EQ(grid.GetCell(1, 1, read), 0);
    EXPECT_EQ(read.GetText(), u"x");
    EXPECT_EQ(grid.GetCell(0, 5, read), 1);
    EXPECT_EQ(read.GetPropertyBits(), 0u);

    grid.SetRowCount(1, false);
    EXPECT_EQ(grid.GetCell(1, 1, read), 1);

    // The effective cell of a heading starts from the heading look.
    grid.GetEffectiveCell(-1, -1, read);
    EXPECT_EQ(read.GetText(), u"x");
    EXPECT_EQ(read.GetBorder(), GRID_BORDER::Raised);
    EXPECT_EQ(grid.GetCellTypeAt(0, 0), grid.GetCellType(0));
}

}  // namespace
