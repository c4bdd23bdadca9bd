// The default name field: a table of one row of three cells, then two empty lines.
#include "allocation_failure.h"
#include "node_fixture.h"

#include "nodes/edit_table.h"
#include "nodes/page_furniture.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

using namespace nodetest;

namespace {

// The cell's children: line breaks as "/", U+3000 as "_".
std::u16string CellText(const CEditNode* cell)
{
    std::u16string text;
    for (int i = 0; i < cell->GetChildCount(); ++i) {
        const CEditNode* node = cell->GetEditChild(i);
        if (node->HasKindFlags(EditKind::kLineBreak))
            text += u'/';
        else
            text += node->GetText().View() == u"\u3000" ? std::u16string(u"_") : std::u16string(node->GetText().View());
    }
    return text;
}

std::u16string Spaces(int n)
{
    return std::u16string(static_cast<size_t>(n), u'_');
}

}  // namespace

TEST(NameFieldTable, ATableOfThreeCellsThenTwoLineBreaksAfterWhatTheFieldHolds)
{
    SwitchGuard switches;
    struct Case {
        int vertical;
        std::u16string cells[3];
    };
    const Case cases[] = {
        {0,
         {u"//" + Spaces(6) + u"テスト" + Spaces(4) + u"/",
          u"//" + Spaces(6) + u"年" + Spaces(6) + u"組" + Spaces(6) + u"番（名前）" + Spaces(27) + u"/",
          u"得点" + Spaces(7) + u"//" + Spaces(7) + u"／１００/"}},
        {1,
         {u"//" + Spaces(3) + u"テスト" + Spaces(2) + u"/",
          u"//" + Spaces(3) + u"年" + Spaces(3) + u"組" + Spaces(3) + u"番（名前）" + Spaces(19) + u"/",
          u"得点" + Spaces(4) + u"//" + Spaces(4) + u"／１００/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertical);
        CurrentWritingVertical = c.vertical;
        CEditKimeiran field;
        auto* existing = new CEditChar(u'x');
        field.AppendChild(existing);
        field.BuildDefaultTable();

        ASSERT_EQ(field.GetChildCount(), 4);
        EXPECT_EQ(field.GetEditChild(0), existing);
        const auto* table = dynamic_cast<const CEditTable*>(field.GetEditChild(1));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->GetRows(), 1);
        EXPECT_EQ(table->GetColumns(), 3);
        EXPECT_TRUE(table->HasGridShape());
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(CellText(table->GetCell(0, column)), c.cells[column]) << column;
        for (int i = 2; i < 4; ++i) {
            EXPECT_TRUE(field.GetEditChild(i)->IsKind(EditKind::kCR)) << i;
            EXPECT_EQ(field.GetEditChild(i)->GetChildCount(), 0);
        }
    }
}

TEST(NameFieldTable, AFailedAllocationLeavesTheFieldAsItWas)
{
    int failures = 0;
    for (long failAt = 0;; ++failAt) {
        // The trace goes first: its own record must not count as a block the build left behind.
        SCOPED_TRACE(failAt);
        CEditKimeiran field;
        field.AppendChild(new CEditChar(u'x'));
        const long live = allocation::LiveBlocks();
        bool threw = false;
        allocation::FailAfter(failAt);
        try {
            field.BuildDefaultTable();
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        allocation::Disarm();
        if (!allocation::Failed()) {
            EXPECT_EQ(field.GetChildCount(), 4);
            break;
        }
        ++failures;
        EXPECT_TRUE(threw);
        EXPECT_EQ(field.GetChildCount(), 1);
        EXPECT_EQ(allocation::LiveBlocks(), live);
        ASSERT_LT(failAt, 2000);
    }
    EXPECT_GT(failures, 0);
}
