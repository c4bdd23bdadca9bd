// Grid cells, their check-box and normal types, the type registry and the cell store.
#include "dialogs/grid_cell.h"
#include "dialogs/grid_cell_store.h"
#include "dialogs/grid_cell_type.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A grid of `columns` x `rows` with one heading row and column, backed by a cell store.
class FakeGrid : public CGridCellHost {
public:
    int GetEffectiveCell(int column, int row, CGridCell& cell) override
    {
        cell.ClearProperties();
        store.GetCell(column, row, cell);
        return 0;
    }
    int GetCell(int column, int row, CGridCell& cell) override { return store.GetCell(column, row, cell); }
    int SetCell(int column, int row, const CGridCell& cell) override { return store.SetCell(column, row, cell); }
    void RefreshCell(int column, int row) override { refreshed.push_back({column, row}); }
    int GetCurrentColumn() const override { return currentColumn; }
    int GetCurrentRow() const override { return currentRow; }
    HFONT GetCellFont() const override { return HFONT(); }
    bool IsCellInSheet(int column, int row) const override
    {
        return column >= -1 && column < columns && row >= -1 && row < rows;
    }

    int columns = 4;
    int rows = 4;
    int currentColumn = 0;
    int currentRow = 0;
    std::vector<POINT> refreshed;
    CGridCellStore store{this};
};

CGridCell TextCell(const char16_t* text)
{
    CGridCell cell;
    cell.SetText(text);
    return cell;
}

TEST(GridCell, FormatsNumbersWithSixOrTheSetDecimals)
{
    CGridCell cell;
    cell.SetNumber(1.0);
    EXPECT_EQ(cell.GetText(), u"1.000000");
    EXPECT_EQ(cell.GetValueKind(), GRID_VALUE_NUMBER);
    EXPECT_EQ(cell.GetPropertyBits(), GRID_CELL_PROPERTY::Text | GRID_CELL_PROPERTY::ValueKind);

    cell.SetDecimals(2);
    cell.SetNumber(1.0);
    EXPECT_EQ(cell.GetText(), u"1.00");
    cell.SetNumber(-2.345);
    EXPECT_EQ(cell.GetText(), u"-2.35");
}

TEST(GridCell, ReadsCheckedByTextAndByNumber)
{
    struct Case {
        const char16_t* text;
        BOOL checked;    // GetBoolValue: keys and dialogs
        double number;   // GetNumber: drawing and clicks
    };
    const Case cases[] = {
        {u"True", TRUE, 0},    {u"t", TRUE, 0},        {u"12", TRUE, 12},        {u"1.000000", TRUE, 1},
        {u" -3x", TRUE, -3},   {u"0", FALSE, 0},       {u"0.000000", FALSE, 0},  {u"", FALSE, 0},
        {u"false", FALSE, 0},  {u"0.5", FALSE, 0.5},   {u"チェック", FALSE, 0},
    };
    for (const Case& c : cases) {
        const CGridCell cell = TextCell(c.text);
        EXPECT_EQ(cell.GetBoolValue(), c.checked) << std::string(c.text, c.text + 1);
        EXPECT_DOUBLE_EQ(cell.GetNumber(), c.number);
    }
    EXPECT_FALSE(CGridCell().GetBoolValue());
    EXPECT_EQ(CGridCell().GetNumber(), 0);
}

TEST(GridCell, GettersGiveDefaultsUntilSet)
{
    CGridCell cell;
    EXPECT_EQ(cell.GetBackColor(), GridSystem::Window);
    EXPECT_EQ(cell.GetTextColor(), GridSystem::WindowText);
    EXPECT_EQ(cell.GetHighlightBackColor(), GridSystem::Highlight);
    EXPECT_EQ(cell.GetCellType(), 0);
    EXPECT_EQ(cell.GetBorder(), 0);

    cell.SetCellType(1);
    EXPECT_EQ(cell.GetCellType(), 1);
    EXPECT_EQ(cell.GetTypeExtension(), 0x1100);
    EXPECT_EQ(cell.GetBackColor(), GridSystem::ButtonFace);
    EXPECT_EQ(cell.GetBorder(), GRID_BORDER::GridLines);

    CGridCell picture;
    picture.SetBitmap(HBITMAP(7u));
    EXPECT_TRUE(picture.Has(GRID_CELL_PROPERTY::Bitmap));
    picture.SetBitmap(HBITMAP());
    EXPECT_FALSE(picture.Has(GRID_CELL_PROPERTY::Bitmap));
    EXPECT_EQ(picture.GetBorder(), GRID_BORDER::GridLines);
}

TEST(GridCell, CopyGivesExactPropertiesAndMergeAddsThem)
{
    CGridCell source;
    source.SetText(u"a");
    source.SetAlignment(0x24);

    CGridCell copied;
    copied.SetBackColor(RGB(1, 2, 3));
    source.CopyTo(copied);
    EXPECT_EQ(copied.GetPropertyBits(), source.GetPropertyBits());
    EXPECT_EQ(copied.GetBackColor(), GridSystem::Window);
    EXPECT_EQ(copied.GetText(), u"a");

    CGridCell merged;
    merged.SetBackColor(RGB(1, 2, 3));
    merged.SetText(u"b");
    merged.MergeFrom(source);
    EXPECT_EQ(merged.GetBackColor(), RGB(1, 2, 3));
    EXPECT_EQ(merged.GetText(), u"a");
    EXPECT_EQ(merged.GetAlignment(), 0x24);
}

TEST(GridArray, GrowsByTenAndReusesFreeEntries)
{
    CGridArray registry;
    std::vector<CGridCellType> types(12);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(registry.Add(&types[static_cast<size_t>(i)]), i);
    EXPECT_EQ(registry.GetCapacity(), 10);
    EXPECT_EQ(registry.Add(&types[10]), 10);
    EXPECT_EQ(registry.GetCapacity(), 20);
    EXPECT_EQ(registry.Lookup(10), &types[10]);

    registry.Remove(3);
    EXPECT_EQ(registry.Lookup(3), nullptr);
    EXPECT_EQ(registry.Add(&types[11]), 3);
    EXPECT_EQ(registry.Lookup(-1), nullptr);
    EXPECT_EQ(registry.Lookup(15), nullptr);
    EXPECT_EQ(registry.Lookup(20), nullptr);
}

TEST(GridCellStore, MakesRowsAtEitherEndWithRelativeIndexes)
{
    CGridCellStore store;
    EXPECT_GT(store.GetFirstRow(), store.GetLastRow());
    ASSERT_EQ(store.SetCell(0, -1, TextCell(u"heading")), 0);
    EXPECT_EQ(store.GetFirstRow(), -1);
    EXPECT_EQ(store.GetLastRow(), 0);

    store.SetCell(2, 3, TextCell(u"far"));
    store.SetCell(-2, 3, TextCell(u"side"));
    int first = 0, last = 0;
    store.GetColumnRange(3, first, last);
    EXPECT_EQ(first, -2);
    EXPECT_EQ(last, 2);

    CGridCell cell;
    EXPECT_EQ(store.GetCell(0, -1, cell), 0);
    EXPECT_EQ(cell.GetText(), u"heading");
    cell.ClearProperties();
    EXPECT_EQ(store.GetCell(1, 3, cell), 1);  // a place made on the way holds nothing
    EXPECT_EQ(store.GetCell(0, 9, cell), 1);
    EXPECT_EQ(store.GetCell(0, -5, cell), 1);
    EXPECT_EQ(cell.GetPropertyBits(), 0u);
}

TEST(GridCellStore, StoresExactCopiesAndMergesOnRead)
{
    CGridCellStore store;
    CGridCell first = TextCell(u"x");
    first.SetBackColor(RGB(9, 9, 9));
    store.SetCell(1, 1, first);
    store.SetCell(1, 1, TextCell(u"y"));  // replaces the whole property set

    CGridCell read;
    read.SetAlignment(0x21);
    ASSERT_EQ(store.GetCell(1, 1, read), 0);
    EXPECT_EQ(read.GetText(), u"y");
    EXPECT_FALSE(read.Has(GRID_CELL_PROPERTY::BackColor));
    EXPECT_EQ(read.GetAlignment(), 0x21);

    EXPECT_EQ(store.ClearCell(1, 1), 0);
    EXPECT_EQ(store.GetCell(1, 1, read), 1);
}

TEST(GridCellStore, InsertsAndDeletesRowsAndColumns)
{
    CGridCellStore store;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            store.SetCell(column, row, TextCell(std::u16string(1, char16_t(u'a' + row * 3 + column)).c_str()));
    auto text = [&](int column, int row) {
        CGridCell cell;
        return store.GetCell(column, row, cell) == 0 ? cell.GetText() : std::u16string(u"-");
    };

    store.InsertRow(1);
    EXPECT_EQ(text(0, 1), u"-");
    EXPECT_EQ(text(0, 2), u"d");
    store.DeleteRow(1);
    EXPECT_EQ(text(0, 1), u"d");

    store.InsertColumn(1);
    EXPECT_EQ(text(1, 0), u"-");
    EXPECT_EQ(text(2, 0), u"b");
    store.DeleteColumn(1);
    store.DeleteColumn(1);
    EXPECT_EQ(text(1, 2), u"i");
    store.DeleteColumn(0);
    store.DeleteColumn(0);  // the last cell of each row stays, emptied
    EXPECT_EQ(text(0, 0), u"-");
    int first = 0, last = 0;
    store.GetColumnRange(0, first, last);
    EXPECT_EQ(last - first, 0);

    store.RemoveAll();
    EXPECT_GT(store.GetFirstRow(), store.GetLastRow());
}

TEST(GridCellStore, OutsideTheSheetChangesAndReadsNothing)
{
    FakeGrid grid;
    ASSERT_EQ(grid.store.SetCell(3, 3, TextCell(u"in")), 0);
    const struct {
        int column, row;
    } outside[] = {{4, 0}, {0, 4}, {-2, 0}, {0, -2}, {1000000, 1000000}, {-1000000, 0}};
    for (const auto& at : outside) {
        EXPECT_EQ(grid.store.SetCell(at.column, at.row, TextCell(u"out")), 1);
        EXPECT_EQ(grid.store.GetFirstRow(), 0);
        EXPECT_EQ(grid.store.GetLastRow(), 3);
    }
    // A sheet that shrinks hides the cells beyond it.
    grid.rows = 3;
    CGridCell cell;
    EXPECT_EQ(grid.store.GetCell(3, 3, cell), 1);
    EXPECT_EQ(cell.GetPropertyBits(), 0u);
}

TEST(GridCheckBoxType, BoxSizeFollowsTheContentHeight)
{
    const struct {
        int height;
        int box;  // 0: neither box nor mark
    } cases[] = {{40, 12}, {18, 12}, {17, 11}, {12, 6}, {11, 0}, {3, 0}};
    for (const auto& c : cases) {
        const RECT box = CGridCheckBoxType::BoxRect(RECT{10, 20, 100, 20 + c.height});
        EXPECT_EQ(box.right - box.left, c.box) << c.height;
        EXPECT_EQ(box.bottom - box.top, c.box) << c.height;
        if (c.box) {
            EXPECT_EQ(box.left, 28);
            EXPECT_EQ(box.top, 20 + (c.height - c.box) / 2);
        }
    }

    // A checked cell too low for a box draws neither box nor mark, and never its "1".
    CGridCheckBoxType type;
    CGridCell cell;
    cell.SetCellType(1);
    cell.SetNumber(1);
    CRecordingDC dc;
    type.Draw(&dc, RECT{0, 0, 80, 12}, 0, 0, cell, FALSE, FALSE);
    for (const GdiCall& call : dc.Drawings()) {
        EXPECT_NE(call.op, GdiOp::Rectangle);
        EXPECT_TRUE(call.text.empty());
    }
    dc.ClearCalls();
    cell.SetTypeExtension(0x0000);  // plain box and cross
    type.Draw(&dc, RECT{0, 0, 80, 20}, 0, 0, cell, FALSE, FALSE);
    EXPECT_EQ(dc.CallsOf(GdiOp::Rectangle).size(), 1u);
}

TEST(GridCheckBoxType, TogglesOnAReleaseInsideTheBoxOnly)
{
    FakeGrid grid;
    CGridCheckBoxType type(&grid);
    CGridCell cell;
    cell.SetCellType(1);
    cell.SetText(u"0");
    grid.SetCell(0, 1, cell);
    auto text = [&] {
        CGridCell read;
        grid.GetCell(0, 1, read);
        return read.GetText();
    };

    // Cell (0, 1) at 0,20 - 80,40: content 0,20 - 79,39 after the grid lines, box 18,23 - 30,35.
    const RECT rect{0, 20, 80, 40};
    EXPECT_EQ(type.OnClick(0, 1, 1, rect, POINT{20, 30}), 0);  // a press
    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{5, 30}), 0);   // left of the box
    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{30, 30}), 0);  // right of it
    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{20, 22}), 0);  // above it
    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{20, 35}), 0);  // below it
    EXPECT_EQ(text(), u"0");
    EXPECT_TRUE(grid.refreshed.empty());

    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{18, 23}), 1);
    EXPECT_EQ(text(), u"1.000000");
    EXPECT_EQ(type.OnClick(0, 1, 0, rect, POINT{29, 34}), 1);
    EXPECT_EQ(text(), u"0.000000");
    EXPECT_EQ(grid.refreshed.size(), 2u);
    EXPECT_EQ(type.OnDoubleClick(0, 1, rect, POINT{20, 30}), 0);
}

TEST(GridCheckBoxType, SpaceTogglesTheCurrentCellByItsText)
{
    FakeGrid grid;
    grid.currentColumn = 2;
    grid.currentRow = 1;
    CGridCheckBoxType type(&grid);
    grid.SetCell(2, 1, TextCell(u"True"));

    EXPECT_EQ(type.OnChar(0, 0, 'x'), 0);
    EXPECT_EQ(type.OnChar(0, 0, ' '), 1);  // the committed current cell, whatever the cell given
    CGridCell cell;
    grid.GetCell(2, 1, cell);
    EXPECT_EQ(cell.GetText(), u"0.000000");
    EXPECT_EQ(type.OnChar(2, 1, ' '), 1);
    cell.ClearProperties();
    grid.GetCell(2, 1, cell);
    EXPECT_EQ(cell.GetText(), u"1.000000");
    EXPECT_EQ(CGridCellType().OnChar(2, 1, ' '), 0);  // the normal type ignores keys
}

TEST(GridCellType, DrawsBorderLinesAndShrinksTheContent)
{
    struct Case {
        uint16_t border;
        RECT content;
        std::vector<std::pair<POINT, POINT>> lines;
    };
    const Case cases[] = {
        {GRID_BORDER::GridLines, {0, 0, 9, 9}, {{{9, 0}, {9, 10}}, {{0, 9}, {9, 9}}}},
        {GRID_BORDER::Left | GRID_BORDER::Top, {1, 1, 10, 10}, {{{0, 0}, {0, 10}}, {{1, 0}, {10, 0}}}},
        {GRID_BORDER::DoubleLeft, {2, 0, 10, 10}, {{{0, 0}, {0, 10}}, {{1, 0}, {1, 10}}}},
        {GRID_BORDER::TripleBottom, {0, 0, 10, 6}, {{{0, 9}, {10, 9}}, {{0, 8}, {10, 8}}, {{0, 6}, {10, 6}}}},
    };
    for (const Case& c : cases) {
        CRecordingDC dc;
        CGridCellType type;
        CGridCell cell;
        cell.SetBorder(c.border);
        RECT rect{0, 0, 10, 10};
        type.DrawBorder(&dc, rect, cell);
        EXPECT_EQ(rect.left, c.content.left) << c.border;
        EXPECT_EQ(rect.top, c.content.top) << c.border;
        EXPECT_EQ(rect.right, c.content.right) << c.border;
        EXPECT_EQ(rect.bottom, c.content.bottom) << c.border;
        const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.border;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].points[0].x, c.lines[i].first.x) << c.border << " line " << i;
            EXPECT_EQ(lines[i].points[0].y, c.lines[i].first.y) << c.border << " line " << i;
            EXPECT_EQ(lines[i].points[1].x, c.lines[i].second.x) << c.border << " line " << i;
            EXPECT_EQ(lines[i].points[1].y, c.lines[i].second.y) << c.border << " line " << i;
            EXPECT_EQ(lines[i].pen.color, RGB(0, 0, 0));
        }
    }

    // The heading look: white left and top, shadow right and bottom.
    CRecordingDC dc;
    CGridCellType type;
    CGridCell heading;
    heading.SetBorder(GRID_BORDER::Raised);
    RECT rect{0, 0, 10, 10};
    type.DrawBorder(&dc, rect, heading);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 9);
    const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].pen.color, RGB(255, 255, 255));
    EXPECT_EQ(lines[3].pen.color, GridSystem::ButtonShadow);
}

TEST(GridCellType, PlacesTextByAlignmentAndMeasuresBestSize)
{
    CRecordingDC dc;
    CGridCellType type;
    CGridCell cell = TextCell(u"ab");
    SIZE extent{};
    dc.GetTextExtentPoint32W(u"ab", 2, &extent);

    const struct {
        uint16_t align;
        int x, y;
    } cases[] = {
        {0, 2, 1},
        {GRID_ALIGN::Right | GRID_ALIGN::Bottom, 100 - 2 - extent.cx, 30 - 1 - extent.cy},
        {GRID_ALIGN::Center | GRID_ALIGN::VCenter, (100 - extent.cx) / 2, (30 - extent.cy) / 2},
    };
    for (const auto& c : cases) {
        dc.ClearCalls();
        cell.SetAlignment(c.align);
        type.DrawText(&dc, RECT{0, 0, 100, 30}, cell, FALSE, FALSE);
        const std::vector<GdiCall> texts = dc.CallsOf(GdiOp::ExtTextOutW);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].points[0].x, c.x) << c.align;
        EXPECT_EQ(texts[0].points[0].y, c.y) << c.align;
        EXPECT_EQ(texts[0].text, u"ab");
        EXPECT_EQ(texts[0].bkColor, GridSystem::Window);
    }

    // Selected cells use the highlight colours; the third text replaces the text with extension 8.
    dc.ClearCalls();
    cell.SetText3(u"third");
    cell.SetTypeExtension(GRID_TYPE_EXTENSION::DrawText3);
    type.DrawText(&dc, RECT{0, 0, 100, 30}, cell, TRUE, FALSE);
    ASSERT_EQ(dc.CallsOf(GdiOp::ExtTextOutW).size(), 1u);
    EXPECT_EQ(dc.CallsOf(GdiOp::ExtTextOutW)[0].text, u"third");
    EXPECT_EQ(dc.CallsOf(GdiOp::ExtTextOutW)[0].bkColor, GridSystem::Highlight);

    SIZE best{};
    type.GetBestSize(&dc, best, TextCell(u"ab"));
    EXPECT_EQ(best.cx, extent.cx + 6);
    EXPECT_EQ(best.cy, extent.cy + 2);
    type.GetBestSize(&dc, best, CGridCell());
    EXPECT_EQ(best.cx, 9);
    EXPECT_EQ(best.cy, 5);
}

TEST(GridCellType, CutsLongTextWithAnEllipsis)
{
    CRecordingDC dc;
    CGridCellType type;
    CGridCell cell = TextCell(u"a rather long text for the cell");
    cell.SetTypeExtension(GRID_TYPE_EXTENSION::Ellipsis);
    type.DrawText(&dc, RECT{0, 0, 40, 20}, cell, FALSE, FALSE);
    const std::vector<GdiCall> texts = dc.CallsOf(GdiOp::ExtTextOutW);
    ASSERT_EQ(texts.size(), 2u);
    SIZE dots{};
    dc.GetTextExtentPoint32W(u"...", 3, &dots);
    EXPECT_EQ(texts[0].rect.left, 3);
    EXPECT_EQ(texts[0].rect.right, 40 - dots.cx - 3);
    EXPECT_EQ(texts[1].text, u"...");
    EXPECT_EQ(texts[1].points[0].x, 40 - dots.cx - 3);
}

}  // namespace
