#include "node_fixture.h"

#include "nodes/caret.h"
#include "nodes/edit_table.h"

using namespace nodetest;

namespace {

class EditTableTest : public ::testing::Test {
protected:
    // Fills a cell with `count` full-width characters of em `em` before its line break.
    static void Fill(CEditCell* cell, int count, int em)
    {
        cell->DeleteAllChildren();
        for (int i = 0; i < count; ++i)
            AddChar(cell, u'\u6F22', em);
        AddCR(cell, 0, em);
    }
    void MeasureAndLayout(CEditTable& table, int x0 = 1000, int y0 = 2000, int vertical = 0)
    {
        CDisplayMap directionMap = IdentityMap(vertical);
        LAYOUT_CONTEXT measure = MeasureContext(100000);
        table.Measure(&dc, &directionMap, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(x0, y0, 4);
        layout.rowAscent = table.m_ascent;
        table.Layout(&layout, vertical);
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
};

}  // namespace

TEST_F(EditTableTest, CreateMakesTheGridOfFramedCells)
{
    CEditTable table;
    EXPECT_EQ(table.GetKind(), EditKind::Code(EditKind::kTable));
    EXPECT_FALSE(table.HasKindFlags(EditKind::kContainer));
    table.Create(2, 3);
    EXPECT_EQ(table.BorderRecord().m_borderStyle, 1);
    EXPECT_EQ(table.BorderRecord().m_borderWidth, 18);
    ASSERT_EQ(table.GetChildCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const auto* cell = dynamic_cast<const CEditCell*>(table.GetEditChild(i));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->m_caretStop, 0);
        EXPECT_EQ(cell->BorderRecord().m_borderStyle, 1);
        EXPECT_EQ(cell->BorderRecord().m_borderWidth, 18);
        ASSERT_EQ(cell->GetChildCount(), 1);
        EXPECT_EQ(cell->GetEditChild(0)->GetKind(), EditKind::Code(EditKind::kCR));
    }
    EXPECT_EQ(table.GetCell(1, 2), table.GetEditChild(5));
    EXPECT_EQ(table.GetCell(2, 0), nullptr);
    EXPECT_EQ(table.GetFirstInner(), table.GetEditChild(0)->GetEditChild(0));

    for (auto [rows, columns] : {std::pair{0, 5}, std::pair{3, -1}}) {
        CEditTable empty;
        empty.Create(rows, columns);
        EXPECT_EQ(empty.BorderRecord().m_borderStyle, 1);
        EXPECT_EQ(empty.BorderRecord().m_borderWidth, 18);
        EXPECT_EQ(empty.GetChildCount(), 0);
        EXPECT_EQ(empty.m_rows, 0);
        EXPECT_EQ(empty.m_columns, 0);
        EXPECT_EQ(empty.GetFirstInner(), nullptr);
    }
}

TEST_F(EditTableTest, ColumnsTakeTheirWidestCellAndRowsTheirTallest)
{
    for (int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        CEditTable table;
        table.Create(2, 3);
        const int counts[2][3] = {{4, 6, 5}, {7, 3, 5}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                Fill(table.GetCell(r, c), counts[r][c], 100);
        MeasureAndLayout(table, 1000, 2000, vertical);
        EXPECT_EQ(table.m_width, 1800);
        const int columns[3] = {700, 600, 500};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(table.GetCell(r, c)->GetColumnWidth(), columns[c]) << r << c;
        EXPECT_EQ(table.GetCell(1, 1)->m_rcLayout.left, 1000 + 700);
        EXPECT_EQ(table.GetCell(1, 2)->m_rcLayout.left, 1000 + 1300);
        EXPECT_EQ(table.GetCell(1, 2)->m_rcLayout.top, 2100);
        EXPECT_EQ(table.GetCell(1, 2)->m_page, 4);
    }
}

TEST_F(EditTableTest, RowsStackAndTheAxisIsAtLeastHalfTheHeight)
{
    CEditTable table;
    table.Create(2, 2);
    Fill(table.GetCell(0, 0), 1, 450);
    Fill(table.GetCell(0, 1), 1, 375);
    Fill(table.GetCell(1, 0), 1, 300);
    Fill(table.GetCell(1, 1), 1, 250);
    MeasureAndLayout(table);
    EXPECT_EQ(table.m_height, 750);
    EXPECT_EQ(table.m_axis, 375);
    // Each row's cells share the row's ascent: 360 and 240; the table's is the larger.
    EXPECT_EQ(table.GetCell(0, 1)->m_ascent, 360);
    EXPECT_EQ(table.GetCell(1, 1)->m_ascent, 240);
    EXPECT_EQ(table.m_ascent, 360);
    EXPECT_EQ(table.GetCell(0, 1)->GetRowHeight(), 450);
    EXPECT_EQ(table.GetCell(1, 0)->GetRowHeight(), 300);
    EXPECT_TRUE(SameRect(table.m_rcLayout, Rect(1000, 2000, 1000 + 450 + 375, 2750))) << RectText(table.m_rcLayout);
    EXPECT_EQ(table.GetCell(1, 1)->m_rcLayout.top, 2450);
    // A cell's lines start at the row's top.
    EXPECT_EQ(table.GetCell(0, 1)->GetEditChild(0)->m_rcLayout.top, 2000);
}

TEST_F(EditTableTest, CellFramesOverlapByOnePixelWithAHalfPointPen)
{
    CEditTable table;
    table.Create(1, 2);
    Fill(table.GetCell(0, 0), 7, 100);
    Fill(table.GetCell(0, 1), 2, 100);
    MeasureAndLayout(table, 0, 0);
    CDisplayMap screen;  // 96 dots per inch, 100 %
    LAYOUT_CONTEXT draw;
    table.Draw(&dc, &screen, &draw);
    const std::vector<GdiCall> frames = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(SameRect(frames[0].rect, Rect(0, 0, 27, 5))) << RectText(frames[0].rect);
    EXPECT_TRUE(SameRect(frames[1].rect, Rect(26, 0, 35, 5))) << RectText(frames[1].rect);
    EXPECT_EQ(frames[0].pen.width, 1);
    EXPECT_EQ(frames[0].pen.style, PS_SOLID);
    EXPECT_EQ(frames[0].brush.style, static_cast<UINT>(BS_NULL));

    // Another frame style draws no frame.
    table.GetCell(0, 1)->EditBorderRecord()->m_borderStyle = 2;
    dc.ClearCalls();
    table.Draw(&dc, &screen, &draw);
    EXPECT_EQ(dc.CallsOf(GdiOp::Rectangle).size(), 1u);
}

TEST_F(EditTableTest, ATableOutOfShapeKeepsItsPlaceAndDrawsOnlyTheCellsItHas)
{
    CEditTable table;
    table.Create(2, 2);
    MeasureAndLayout(table);
    const RECT placed = table.m_rcLayout;
    const int width = table.m_width;
    table.GetEditChild(3)->DetachAndDelete();
    Fill(static_cast<CEditCell*>(table.GetEditChild(0)), 9, 100);
    MeasureAndLayout(table, 5000, 5000);
    EXPECT_EQ(table.m_width, width);
    EXPECT_TRUE(SameRect(table.m_rcLayout, placed));
    LAYOUT_CONTEXT draw;
    table.Draw(&dc, &map, &draw);
    EXPECT_EQ(dc.CallsOf(GdiOp::Rectangle).size(), 3u);

    // A grid whose size overflows and a negative one are out of shape too.
    for (auto [rows, columns] : {std::pair{0x40000000, 4}, std::pair{-2, -1}}) {
        table.m_rows = rows;
        table.m_columns = columns;
        EXPECT_FALSE(table.HasGridShape());
        MeasureAndLayout(table);
        dc.ClearCalls();
        table.Draw(&dc, &map, &draw);
        EXPECT_EQ(dc.CallsOf(GdiOp::Rectangle).size(), rows > 0 ? 3u : 0u);
    }
}

TEST_F(EditTableTest, CaretLeavesTheFirstCellOntoTheTableAndTheLastCellAfterIt)
{
    CEditContainer paragraph(EditKind::Code(EditKind::kSentence));
    AddChar(&paragraph, u'x');
    auto* table = new CEditTable();
    paragraph.AppendChild(table);
    table->Create(1, 2);
    CEditChar* after = AddChar(&paragraph, u'y');
    AddCR(&paragraph);

    CCaret caret;
    auto* first = static_cast<CEditCell*>(table->GetEditChild(0));
    caret.m_caretNode = first->GetEditChild(0);
    EXPECT_EQ(first->MovePrev(&caret, 0), table);
    EXPECT_EQ(caret.m_caretNode, table);

    auto* last = static_cast<CEditCell*>(table->GetEditChild(1));
    caret.m_caretNode = last->GetEditChild(0);
    EXPECT_EQ(last->MoveNext(&caret, 0), after);
    EXPECT_EQ(caret.m_caretNode, after);

    CCaret none;
    EXPECT_EQ(first->MovePrev(&none, 0), nullptr);
    EXPECT_EQ(first->MoveNext(&none, 0), nullptr);
}

TEST_F(EditTableTest, ATableAfterTextStandsAfterItsLastCharacterInBothDirections)
{
    for (int vertical : {0, 1}) {
        CurrentWritingVertical = vertical;
        CDisplayMap directionMap = IdentityMap(vertical);
        CEditContainer paragraph(EditKind::Code(EditKind::kSentence));
        AddChars(&paragraph, u"ｶﾅ");
        auto* table = new CEditTable();
        paragraph.AppendChild(table);
        table->Create(1, 2);
        Fill(table->GetCell(0, 0), 2, kEm);
        AddCR(&paragraph);
        LAYOUT_CONTEXT measure = MeasureContext(100000);
        paragraph.Measure(&dc, &directionMap, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(1000, 2000, 1);
        paragraph.Layout(&layout, vertical);

        const CEditNode* kana = paragraph.GetEditChild(1);
        const CEditCell* cell = table->GetCell(0, 0);
        EXPECT_EQ(kana->m_rcLayout.right, 1000 + 2 * kEm / 2) << vertical;
        EXPECT_EQ(table->m_rcLayout.left, kana->m_rcLayout.right) << vertical;
        EXPECT_EQ(cell->m_rcLayout.left, table->m_rcLayout.left) << vertical;
        // The cell's text starts at the cell's corner and the cell spans its text.
        const CEditNode* text = cell->GetEditChild(0);
        EXPECT_EQ(text->m_rcLayout.left, cell->m_rcLayout.left) << vertical;
        EXPECT_EQ(text->m_rcLayout.top, cell->m_rcLayout.top) << vertical;
        EXPECT_EQ(cell->GetColumnWidth(), 2 * kEm) << vertical;
    }
}
