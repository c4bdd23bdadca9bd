// Pagination of the root: blocks of fixed boxes on a 10000 × 12000 paper with 1000 margins
// (printable 8000 × 10000). Page p starts at x 1500 and y (p − 1) × 12000 + p × 500 + 1000.
#include "paper_fixture.h"

#include "base/gdi_cache.h"

using namespace nodetest;
using namespace papertest;

namespace {

constexpr int kPage1 = 1500;
constexpr int kPage2 = 14000;
constexpr int kPage3 = 26500;
constexpr int kLeft = 1500;

class PrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    PrintTest()
    {
        root.SetPaperSize(10000, 12000);
        root.SetMargins(1000, 1000, 1000, 1000);
    }

    TestSizedBlock* Block(std::vector<int> heights, int width = 0, uint32_t kind = EditKind::kSentence)
    {
        auto* block = new TestSizedBlock(kind, width, std::move(heights));
        root.AppendChild(block);
        return block;
    }

    TestSizedBlock* NameField(int height)
    {
        auto* field = new TestSizedBlock(EditKind::kKimeiran, 0, {height});
        root.GetNameFieldLayer()->AppendChild(field);
        return field;
    }

    void Paginate()
    {
        LAYOUT_CONTEXT measure;
        root.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout;
        root.Layout(&layout, 0);
    }

    static std::string At(const TestSizedBlock* block, int box = 0)
    {
        const POINT p = block->Origin(box);
        return "p" + std::to_string(block->PageOf(box)) + "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    }
    static std::string At(int page, int x, int y)
    {
        return "p" + std::to_string(page) + "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    CEditPrint root;
};

}  // namespace

TEST_F(PrintTest, ConstructionAndGeometry)
{
    CEditPrint fresh;
    EXPECT_EQ(fresh.GetKind(), EditKind::Code(EditKind::kPrint));
    EXPECT_EQ(fresh.m_caretStop, 0);
    int width = 0, height = 0;
    fresh.GetPaperSize(&width, &height);
    EXPECT_EQ(width, 21000);
    EXPECT_EQ(height, 29700);
    EXPECT_EQ(fresh.m_geometry.columnCount, 1);
    EXPECT_EQ(fresh.GetPageCount(), 1);
    EXPECT_EQ(fresh.GetNameFieldLayer()->GetKind(), 0);
    EXPECT_EQ(fresh.GetNameFieldLayer()->m_caretStop, 0);

    root.GetPrintableSize(&width, &height);
    EXPECT_EQ(width, 8000);
    EXPECT_EQ(height, 10000);
}

TEST_F(PrintTest, BlocksStackDownThePageAndOverflowOntoTheNext)
{
    TestSizedBlock* a = Block({4000});
    TestSizedBlock* b = Block({4000});
    TestSizedBlock* c = Block({3000});
    Paginate();
    EXPECT_EQ(At(a), At(1, kLeft, kPage1));
    EXPECT_EQ(At(b), At(1, kLeft, kPage1 + 4000));
    EXPECT_EQ(At(c), At(2, kLeft, kPage2));
    EXPECT_EQ(c->m_page, 2);
    EXPECT_EQ(c->m_laidOutAvailable, 8000);
    EXPECT_EQ(root.GetPageCount(), 2);
    int width = 0, height = 0;
    root.GetExtent(&width, &height);
    EXPECT_EQ(width, 500 + 10000 + 3000);
    EXPECT_EQ(height, (500 + 12000) * 2 + 3000);
    // The estimate handed each block the height already used on its page.
    EXPECT_EQ(a->m_measuredAvailable, 8000);
    EXPECT_EQ(root.m_height, 11000);
}

TEST_F(PrintTest, PageBreakBlockEndsItsPageOnlyWhileVisible)
{
    TestSizedBlock* a = Block({2000});
    TestSizedBlock* pageBreak = Block({500}, 0, EditKind::kKaiPage);
    TestSizedBlock* b = Block({2000});
    Paginate();
    EXPECT_EQ(At(pageBreak), At(1, kLeft, kPage1 + 2000));
    EXPECT_EQ(At(b), At(2, kLeft, kPage2));

    pageBreak->m_hidden = 1;
    Paginate();
    EXPECT_EQ(At(a), At(1, kLeft, kPage1));
    EXPECT_EQ(At(b), At(1, kLeft, kPage1 + 2000));
    EXPECT_EQ(root.GetPageCount(), 1);
}

TEST_F(PrintTest, NarrowBoxesStandSideBySideInOneRow)
{
    TestSizedBlock* a = Block({2000}, 3000);
    TestSizedBlock* b = Block({3000}, 4000);
    TestSizedBlock* c = Block({1000});
    Paginate();
    EXPECT_EQ(At(a), At(1, kLeft, kPage1));
    EXPECT_EQ(At(b), At(1, kLeft + 3000, kPage1));
    EXPECT_EQ(At(c), At(1, kLeft, kPage1 + 3000));  // below the taller of the two
}

TEST_F(PrintTest, SecondColumnStartsBesideTheFirstAndBelowTheNameField)
{
    root.m_geometry.columnCount = 2;  // column width (8000 − 500) / 2 = 3750
    TestSizedBlock* field = NameField(1000);
    root.SetPageFlagged(1, true);
    TestSizedBlock* a = Block({6000});
    TestSizedBlock* b = Block({6000});
    TestSizedBlock* c = Block({6000});
    Paginate();
    EXPECT_EQ(At(field), At(1, kLeft, kPage1));
    EXPECT_EQ(field->m_laidOutAvailable, 8000);  // the first page's name field spans both columns
    EXPECT_EQ(a->m_measuredAvailable, 3750);
    EXPECT_EQ(At(a), At(1, kLeft, kPage1 + 1000));
    EXPECT_EQ(At(b), At(1, kLeft + 3750 + 500, kPage1 + 1000));
    EXPECT_EQ(At(c), At(2, kLeft, kPage2));
}

TEST_F(PrintTest, NameFieldsOfPagesOneAndThreeInterruptThePaper)
{
    TestSizedBlock* first = NameField(1000);
    TestSizedBlock* third = NameField(1000);
    root.SetPageFlagged(1, true);
    root.SetPageFlagged(3, true);
    TestSizedBlock* a = Block({9000});
    TestSizedBlock* b = Block({9500});
    // Three boxes: the second does not fit page 2 and continues below page 3's name field.
    TestSizedBlock* c = Block({400, 9000, 500});
    Paginate();
    EXPECT_EQ(At(first), At(1, kLeft, kPage1));
    EXPECT_EQ(At(a), At(1, kLeft, kPage1 + 1000));
    EXPECT_EQ(At(b), At(2, kLeft, kPage2));
    EXPECT_EQ(At(c, 0), At(2, kLeft, kPage2 + 9500));
    EXPECT_EQ(At(third), At(3, kLeft, kPage3));
    EXPECT_EQ(At(c, 1), At(3, kLeft, kPage3 + 1000));
    EXPECT_EQ(At(c, 2), At(4, kLeft, (4 - 1) * 12000 + 4 * 500 + 1000));
    EXPECT_EQ(root.GetPageCount(), 4);
    EXPECT_EQ(first->m_hidden, 0);
    EXPECT_EQ(third->m_hidden, 0);
}

TEST_F(PrintTest, NameFieldsOfPagesThePaperNoLongerReachesAreHiddenUntilItGrows)
{
    TestSizedBlock* fields[3] = {NameField(1000), NameField(1000), NameField(1000)};
    for (int page = 1; page <= 3; ++page)
        root.SetPageFlagged(page, true);
    Block({5000});
    LAYOUT_CONTEXT context;
    root.Measure(&dc, &map, &context);
    EXPECT_EQ(fields[0]->m_hidden, 0);
    EXPECT_EQ(fields[1]->m_hidden, 2);
    EXPECT_EQ(fields[2]->m_hidden, 2);

    Block({9000});
    Block({9000});
    const int measuredBefore = fields[1]->m_measured;
    root.Measure(&dc, &map, &context);
    EXPECT_EQ(fields[1]->m_hidden, 0);
    EXPECT_EQ(fields[2]->m_hidden, 0);
    // Shown again, they were measured once more with their boxes.
    EXPECT_EQ(fields[1]->m_measured, measuredBefore + 2);
    EXPECT_EQ(fields[1]->GetBoxCount(), 1);
}

TEST_F(PrintTest, LayoutStopsAtAFlaggedPageWithoutANameField)
{
    root.SetPageFlagged(2, true);
    TestSizedBlock* a = Block({9000});
    TestSizedBlock* b = Block({9000});
    Paginate();
    EXPECT_EQ(At(a), At(1, kLeft, kPage1));
    EXPECT_EQ(b->PageOf(0), 1);  // never placed
    EXPECT_EQ(root.GetPageCount(), 1);
}

TEST_F(PrintTest, PageTableCoversItsPagesAndNothingBeyond)
{
    EXPECT_FALSE(root.SetPageFlagged(0, true));
    EXPECT_FALSE(root.SetPageFlagged(CEditPrint::kMaxPages + 1, true));
    EXPECT_FALSE(root.IsPageFlagged(CEditPrint::kMaxPages + 1));
    EXPECT_FALSE(root.IsPageFlagged(-5));
    EXPECT_TRUE(root.SetPageFlagged(CEditPrint::kMaxPages, true));
    EXPECT_TRUE(root.IsPageFlagged(CEditPrint::kMaxPages));

    // A paper longer than the table: its last flagged page gets its name field and the pages
    // after the table are laid out without any.
    TestSizedBlock* field = NameField(1000);
    const int pages = CEditPrint::kMaxPages + 6;
    std::vector<TestSizedBlock*> blocks;
    for (int p = 0; p < pages; ++p)
        blocks.push_back(Block({9500}));
    Paginate();
    // The block that would open page 1024 does not fit below its name field and moves on.
    EXPECT_EQ(field->PageOf(0), CEditPrint::kMaxPages);
    EXPECT_EQ(blocks[CEditPrint::kMaxPages - 2]->PageOf(0), CEditPrint::kMaxPages - 1);
    EXPECT_EQ(blocks[CEditPrint::kMaxPages - 1]->PageOf(0), CEditPrint::kMaxPages + 1);
    EXPECT_EQ(blocks.back()->PageOf(0), pages + 1);
    EXPECT_EQ(root.GetPageCount(), pages + 1);
}

TEST_F(PrintTest, TablesWiderThanAColumn)
{
    EXPECT_FALSE(root.HasTableWiderThanColumn(1));
    TestSizedBlock* holder = Block({1000});
    auto* table = new TestSizedBlock(EditKind::kTable, 5000, {1000});
    holder->AppendChild(table);
    table->m_rcLayout = RECT{0, 0, 5000, 1000};
    EXPECT_TRUE(root.HasTableWiderThanColumn(2));   // column width 3750
    EXPECT_FALSE(root.HasTableWiderThanColumn(1));
    table->m_rcLayout.right = 3750;
    EXPECT_FALSE(root.HasTableWiderThanColumn(2));
    table->m_rcLayout.right = 5000;
    holder->m_hidden = 1;
    EXPECT_FALSE(root.HasTableWiderThanColumn(2));
}

TEST_F(PrintTest, DirtyFlagsReachNameFieldsAndBlocksButNotTheTemplate)
{
    TestSizedBlock* field = NameField(1000);
    TestSizedBlock* block = Block({1000});
    CEditChar* character = AddChar(block, u'a');
    auto templ = std::make_unique<TestSizedBlock>(EditKind::kKimeiran, 0, std::vector<int>{1000});
    TestSizedBlock* templatePointer = templ.get();
    root.SetNameFieldTemplate(std::move(templ));
    templatePointer->m_dirty = 0;
    field->m_dirty = block->m_dirty = character->m_dirty = 0;
    root.SetDirtyAll(1);
    EXPECT_EQ(root.m_dirty, 1);
    EXPECT_EQ(field->m_dirty, 1);
    EXPECT_EQ(block->m_dirty, 1);
    EXPECT_EQ(character->m_dirty, 1);
    EXPECT_EQ(templatePointer->m_dirty, 0);
}

TEST_F(PrintTest, BlockAtAPoint)
{
    TestSizedBlock* a = Block({2000});
    TestSizedBlock* b = Block({2000}, 4000);
    Paginate();
    int after = -1;
    EXPECT_EQ(root.ChildAtPoint(kLeft, kPage1, &after), a);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(root.ChildAtPoint(kLeft + 3000, kPage1 + 2500, &after), b);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(root.ChildAtPoint(kLeft + 4000, kPage1 + 2500, &after), nullptr);  // right edge excluded
    b->m_hidden = 1;
    EXPECT_EQ(root.ChildAtPoint(kLeft + 3000, kPage1 + 2500, &after), nullptr);
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    EXPECT_EQ(left + top + right + bottom, 4000);
}

TEST_F(PrintTest, ClicksInTheMarginsLandOnTheNearestEdgeOfABlock)
{
    CEditSentence* part = AddPart(&root, 1, 0, PART_QUESTION, nullptr, 3);
    Paginate();
    ASSERT_EQ(part->GetEditChild(0)->m_rcLayout.left, kLeft);
    const int y = kPage1 + 100;  // inside the line, below its spacing
    int after = -1;
    EXPECT_EQ(root.HitTest(kLeft + 150, y, &after), part->GetEditChild(1));
    EXPECT_EQ(root.HitTest(500, y, &after), part->GetEditChild(0));
    EXPECT_EQ(after, 0);
    EXPECT_EQ(root.HitTest(9800, y, &after), part->GetEditChild(3));  // the line break
    EXPECT_EQ(after, 1);
    EXPECT_EQ(root.HitTest(500, kPage1 + 5000, &after), nullptr);

    // A name field answers for everything inside it.
    auto* field = new TestBlock(EditKind::kKimeiran);
    AddKana(field, 2);
    AddCR(field);
    root.GetNameFieldLayer()->AppendChild(field);
    root.SetPageFlagged(1, true);
    Paginate();
    EXPECT_EQ(root.NameFieldAtPoint(kLeft + 50, y, &after), field);
    EXPECT_EQ(root.NameFieldAtPoint(kLeft + 50, y + 2000, &after), nullptr);
}

TEST_F(PrintTest, ColumnWidthOfADamagedColumnCountDoesNotOverflow)
{
    // 100 000 000 columns 500 apart: the gaps alone pass the range of an int. The width is
    // (8000 − 99 999 999 × 500) / 100 000 000 = −499, truncated toward zero.
    TestSizedBlock* block = Block({1000});
    root.m_geometry.columnCount = 100000000;
    Paginate();
    EXPECT_EQ(block->m_measuredAvailable, -499);

    auto* table = new TestSizedBlock(EditKind::kTable, 0, {1000});
    block->AppendChild(table);
    table->m_rcLayout = RECT{0, 0, 0, 1000};
    EXPECT_TRUE(root.HasTableWiderThanColumn(100000000));
}

TEST_F(PrintTest, BoxTallerThanThePageTakesTheEmptyColumnItStartsIn)
{
    // Where the tall box and the block after it stand, on screen and printed.
    struct Case {
        int nameField;  // height of page 1's name field, 0 for none
        int columns;
        int tallHeight;
        std::string tall;
        std::string next;
    };
    const Case cases[] = {
        {0, 1, 12000, At(1, kLeft, kPage1), At(2, kLeft, kPage2)},
        // Below a name field it stays too: the next page would overflow as well.
        {1000, 1, 12000, At(1, kLeft, kPage1 + 1000), At(2, kLeft, kPage2)},
        {0, 2, 12000, At(1, kLeft, kPage1), At(1, kLeft + 4250, kPage1)},
        // A box that fits an empty page but not below the name field still moves on.
        {1000, 1, 9500, At(2, kLeft, kPage2), At(3, kLeft, kPage3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nameField) + " " + std::to_string(c.columns) + " " +
                     std::to_string(c.tallHeight));
        root.DeleteAllChildren();
        root.GetNameFieldLayer()->DeleteAllChildren();
        root.SetPageFlagged(1, c.nameField > 0);
        if (c.nameField > 0)
            NameField(c.nameField);
        root.m_geometry.columnCount = c.columns;
        TestSizedBlock* tall = Block({c.tallHeight});
        TestSizedBlock* next = Block({9000});
        TestSizedBlock* last = Block({1000});
        Paginate();
        EXPECT_EQ(At(tall), c.tall);
        EXPECT_EQ(At(next), c.next);
        // The estimate agrees: the last block was expected on the page the one before it ends.
        EXPECT_EQ(last->m_measuredPage, next->PageOf(0));

        // Printed at the page's own corner, the tall box keeps its place on the page.
        const int page = tall->PageOf(0);
        const POINT screen = tall->Origin(0);
        LAYOUT_CONTEXT context;
        context.page = page;
        root.LayoutPage(&context, 0);
        EXPECT_EQ(tall->Origin(0).x, screen.x - 500);
        EXPECT_EQ(tall->Origin(0).y, screen.y - ((page - 1) * 12000 + page * 500));
    }
}

TEST_F(PrintTest, NarrowBoxAfterAColumnChangeStandsAtTheColumnsLeftEdge)
{
    root.m_geometry.columnCount = 2;  // column width 3750; the second column at x 1500 + 4250
    TestSizedBlock* a = Block({6000}, 1500);
    TestSizedBlock* b = Block({6000}, 1500);  // does not fit below a
    TestSizedBlock* c = Block({3000});
    Paginate();
    EXPECT_EQ(At(a), At(1, kLeft, kPage1));
    EXPECT_EQ(At(b), At(1, kLeft + 4250, kPage1));
    EXPECT_EQ(At(c), At(1, kLeft + 4250, kPage1 + 6000));
    // The estimate starts the new column with an empty row as well.
    EXPECT_EQ(c->m_measuredPage, 1);
    EXPECT_EQ(c->m_measuredTop, 6000);

    LAYOUT_CONTEXT page;
    page.page = 1;
    root.LayoutPage(&page, 0);
    EXPECT_EQ(b->Origin(0).x, 1000 + 4250);
    EXPECT_EQ(c->Origin(0).x, 1000 + 4250);
    EXPECT_EQ(c->Origin(0).y, 1000 + 6000);
}

TEST_F(PrintTest, EstimateCountsTheRowOfBoxesSideBySide)
{
    // Two boxes side by side, a block below their row and a question part of 3000 kana in 38
    // lines 242 high: page 1 keeps the part's lines that fit below the block, page 2 the rest.
    struct Case {
        int nameField;  // height of page 1's name field, 0 for none
        int linesOnPage1;
    };
    for (const Case c : {Case{0, 35}, Case{1000, 30}}) {
        SCOPED_TRACE(c.nameField);
        root.DeleteAllChildren();
        root.GetNameFieldLayer()->DeleteAllChildren();
        root.SetPageFlagged(1, c.nameField > 0);
        if (c.nameField > 0)
            NameField(c.nameField);
        Block({1000}, 3000);
        Block({600}, 3000);
        TestSizedBlock* below = Block({500});
        CEditSentence* part = AddPart(&root, 1, 0, PART_QUESTION, nullptr, 3000);
        Paginate();
        EXPECT_EQ(below->m_measuredTop, c.nameField + 1000);
        EXPECT_EQ(At(below), At(1, kLeft, kPage1 + c.nameField + 1000));
        const CEditBox* first = part->GetBox(0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->m_page, 1);
        EXPECT_EQ(first->m_rcLayout.top, kPage1 + c.nameField + 1500);
        EXPECT_EQ(first->GetLineCount(), c.linesOnPage1);
        EXPECT_EQ(first->m_height, c.linesOnPage1 * 242);
        const CEditBox* second = part->GetBox(1);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->m_page, 2);
        EXPECT_EQ(second->m_rcLayout.top, kPage2);
    }
}

TEST_F(PrintTest, AbsurdPaperSizesAndMarginsStopAtTheEndsOfTheIntRange)
{
    constexpr int kMin = INT32_MIN;
    constexpr int kMax = INT32_MAX;
    struct Case {
        int width, height, left, top, right, bottom, columns, gap;
        int printableWidth, printableHeight;
        std::string afterBreak;  // where the block after the page break stands
        int extentHeight;
    };
    const Case cases[] = {
        // Four pages: the block as high as an int allows fills page 3.
        {10000, 12000, kMin, kMin, kMin, kMin, 1, 500, kMax, kMax, At(2, kMin + 500, kMin + 12000 + 1000),
         (500 + 12000) * 4 + 3000},
        // Nothing fits a page of negative height: each of the seven blocks takes a page of its own.
        {10000, 12000, kMax, kMax, kMax, kMax, 1, 500, kMin, kMin, At(3, kMax, kMax), (500 + 12000) * 7 + 3000},
        {kMax, kMax, 1000, 1000, 1000, 1000, 2, kMax, kMax - 2000, kMax - 2000, At(2, kLeft, kMax), kMax},
        {kMax, kMin, 1000, 1000, 1000, 1000, 1, 500, kMax - 2000, kMin, At(3, kLeft, kMin), kMin},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.afterBreak);
        root.DeleteAllChildren();
        root.SetPaperSize(c.width, c.height);
        root.SetMargins(c.left, c.top, c.right, c.bottom);
        root.m_geometry.columnCount = c.columns;
        root.m_geometry.columnGap = c.gap;
        int width = 0, height = 0;
        root.GetPrintableSize(&width, &height);
        EXPECT_EQ(width, c.printableWidth);
        EXPECT_EQ(height, c.printableHeight);

        Block({6000}, 1500);
        Block({500}, 1500, EditKind::kKaiPage);
        TestSizedBlock* afterBreak = Block({6000}, 1500);
        Block({6000}, 1500);
        Block({kMax}, 1500);
        Block({1000});  // as wide as the column
        Block({1000});
        Paginate();
        EXPECT_EQ(At(afterBreak), c.afterBreak);
        root.GetExtent(&width, &height);
        EXPECT_EQ(height, c.extentHeight);
        for (int page = 1; page <= root.GetPageCount(); ++page) {
            LAYOUT_CONTEXT context;
            context.page = page;
            root.LayoutPage(&context, 0);
        }
        int after = 0;
        root.HitTest(kMax, kMax, &after);
        root.HitTest(kMin, kMin, &after);
        EXPECT_FALSE(root.HasTableWiderThanColumn(c.columns));
    }
}
