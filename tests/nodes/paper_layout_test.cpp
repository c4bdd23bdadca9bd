// A whole test paper laid out on the recording context: a name field on page 1, five questions
// of a question text (number label and 410 kana) and an answer part (123 kana), and a page
// break before the fifth question. Characters are 400 high (full width 400, ascent 320) and the
// paper's line spacing is 100, so every line is 600 high and its characters stand 100 below its
// top. A4 with 2000 margins: printable 17000 × 25700.
#include "paper_fixture.h"

#include "base/gdi_cache.h"

#include <string>
#include <vector>

using namespace nodetest;
using namespace papertest;

namespace {

constexpr int kLineHeight = 600;

// The text calls, in drawing order: single characters and runs of a line drawn in one call.
std::vector<GdiCall> TextCalls(const CRecordingDC& dc)
{
    std::vector<GdiCall> texts;
    for (const GdiCall& call : dc.Drawings()) {
        if (call.op == GdiOp::TextOutW || call.op == GdiOp::ExtTextOutW)
            texts.push_back(call);
    }
    return texts;
}

size_t CharactersDrawn(const std::vector<GdiCall>& texts)
{
    size_t count = 0;
    for (const GdiCall& call : texts)
        count += call.text.size();
    return count;
}

// Where a block's box stands: page, origin, number of lines.
struct BoxPlace {
    int block;  // index in Paper::blocks; -1 for the name field
    int box;
    int page;
    int x;
    int y;
    int lines;
};

class PaperLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void Paginate(Paper& paper)
    {
        LAYOUT_CONTEXT measure;
        paper.root.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout;
        paper.root.Layout(&layout, paper.root.m_vertical);
    }

    static void ExpectPlaces(Paper& paper, const std::vector<BoxPlace>& places)
    {
        for (const BoxPlace& place : places) {
            SCOPED_TRACE("block " + std::to_string(place.block) + " box " + std::to_string(place.box));
            CEditSentence* block = place.block < 0 ? paper.nameField : paper.blocks[static_cast<size_t>(place.block)];
            const CEditBox* box = block->GetBox(place.box);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->m_page, place.page);
            EXPECT_EQ(box->m_rcLayout.left, place.x);
            EXPECT_EQ(box->m_rcLayout.top, place.y);
            EXPECT_EQ(box->GetLineCount(), place.lines);
            EXPECT_EQ(box->m_height, place.lines * kLineHeight);
        }
    }

    // The left and top of the first node of a line.
    static POINT LineStart(CEditSentence* block, int box, int line)
    {
        const EDIT_LINE record = LineOf(block, box, line);
        const CEditNode* first = block->GetEditChild(record.m_first);
        return first != nullptr ? POINT{first->m_rcLayout.left, first->m_rcLayout.top} : POINT{-1, -1};
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
};

}  // namespace

TEST_F(PaperLayoutTest, OneColumnHorizontal)
{
    Paper paper;
    BuildPaper(paper, 1, 0);
    Paginate(paper);
    // Every line holds 41 kana: the label or the hanging indent takes the rest of the 17000.
    // Page p starts at y (p − 1) × 29700 + p × 500 + 2000; the blocks at x 2500.
    ExpectPlaces(paper, {
                            {-1, 0, 1, 2500, 2500, 1},
                            {0, 0, 1, 2500, 3100, 10},   // Q1
                            {1, 0, 1, 2500, 9100, 3},    // A1
                            {2, 0, 1, 2500, 10900, 10},  // Q2
                            {3, 0, 1, 2500, 16900, 3},
                            {4, 0, 1, 2500, 18700, 10},  // Q3
                            {5, 0, 1, 2500, 24700, 3},
                            {6, 0, 1, 2500, 26500, 2},   // Q4: two lines fit page 1
                            {6, 1, 2, 2500, 32700, 8},   // the rest continues on page 2
                            {7, 0, 2, 2500, 37500, 3},
                            {8, 0, 2, 2500, 39300, 1},   // page break
                            {9, 0, 3, 2500, 62900, 10},  // Q5 starts page 3
                            {10, 0, 3, 2500, 68900, 3},
                        });
    EXPECT_EQ(paper.root.GetPageCount(), 3);

    CEditSentence* q1 = paper.blocks[0];
    EXPECT_EQ(LineOf(q1, 0, 0).m_count, 42);  // label and 41 kana
    EXPECT_EQ(LineStart(q1, 0, 0).x, 2500);   // the label
    EXPECT_EQ(q1->GetEditChild(1)->m_rcLayout.left, 2900);
    EXPECT_EQ(LineStart(q1, 0, 1).x, 2900);   // hanging under the first kana
    EXPECT_EQ(LineStart(q1, 0, 1).y, 3100 + 600 + 100);
    EXPECT_EQ(LineStart(paper.blocks[1], 0, 0).x, 2900);  // the answer hangs the same way
    EXPECT_EQ(LineStart(paper.blocks[6], 1, 0).x, 2900);
    EXPECT_EQ(LineStart(paper.blocks[6], 1, 7).y, 32700 + 7 * 600 + 100);
    EXPECT_EQ(paper.blocks[6]->GetEditChild(83)->m_page, 2);

    int width = 0, height = 0;
    paper.root.GetExtent(&width, &height);
    EXPECT_EQ(width, 500 + 21000 + 3000);
    EXPECT_EQ(height, (500 + 29700) * 3 + 3000);
}

TEST_F(PaperLayoutTest, TwoColumnsHorizontal)
{
    Paper paper;
    BuildPaper(paper, 2, 0);
    Paginate(paper);
    // Columns (17000 − 500) / 2 = 8250 wide hold 19 kana a line: question texts take 22 lines,
    // answers 7. The second column starts at x 2500 + 8250 + 500, below page 1's name field.
    ExpectPlaces(paper, {
                            {-1, 0, 1, 2500, 2500, 1},
                            {0, 0, 1, 2500, 3100, 22},
                            {1, 0, 1, 2500, 16300, 7},
                            {2, 0, 1, 2500, 20500, 12},   // Q2 fills the first column
                            {2, 1, 1, 11250, 3100, 10},   // and goes on in the second
                            {3, 0, 1, 11250, 9100, 7},
                            {4, 0, 1, 11250, 13300, 22},
                            {5, 0, 1, 11250, 26500, 2},   // A3 ends the page
                            {5, 1, 2, 2500, 32700, 5},
                            {6, 0, 2, 2500, 35700, 22},
                            {7, 0, 2, 2500, 48900, 7},
                            {8, 0, 2, 2500, 53100, 1},
                            {9, 0, 3, 2500, 62900, 22},
                            {10, 0, 3, 2500, 76100, 7},
                        });
    EXPECT_EQ(paper.root.GetPageCount(), 3);
    EXPECT_EQ(paper.nameField->GetBox(0)->m_width, 17000);  // across both columns
    EXPECT_EQ(LineOf(paper.blocks[0], 0, 0).m_count, 20);
    EXPECT_EQ(LineStart(paper.blocks[2], 1, 3).x, 11250 + 400);
    EXPECT_EQ(LineStart(paper.blocks[2], 1, 3).y, 3100 + 3 * 600 + 100);
}

TEST_F(PaperLayoutTest, OneColumnVertical)
{
    Paper paper;
    BuildPaper(paper, 1, 1);
    Paginate(paper);
    // The paper is stored turned: 25700 across, 17000 down. 63 kana a line; question texts take
    // 7 lines, answers 2. Pages start at y (p − 1) × 21000 + p × 500 + 2000.
    ExpectPlaces(paper, {
                            {-1, 0, 1, 2500, 2500, 1},
                            {0, 0, 1, 2500, 3100, 7},
                            {1, 0, 1, 2500, 7300, 2},
                            {2, 0, 1, 2500, 8500, 7},
                            {3, 0, 1, 2500, 12700, 2},
                            {4, 0, 1, 2500, 13900, 7},
                            {5, 0, 1, 2500, 18100, 2},
                            {6, 0, 2, 2500, 24000, 7},  // too little room left: Q4 moves whole
                            {7, 0, 2, 2500, 28200, 2},
                            {8, 0, 2, 2500, 29400, 1},
                            {9, 0, 3, 2500, 45500, 7},
                            {10, 0, 3, 2500, 49700, 2},
                        });
    EXPECT_EQ(paper.blocks[6]->GetBoxCount(), 1);

    // Drawn on the printer, page 1 turns a quarter: document y runs to the left.
    CRecordingDC printer(DeviceKind::Printer);
    CDisplayMap turned = IdentityMap(1);
    LAYOUT_CONTEXT page;
    page.page = 1;
    paper.root.LayoutPage(&page, 0);
    paper.root.DrawPage(&printer, &turned, &page);
    const std::vector<GdiCall> texts = TextCalls(printer);
    ASSERT_GE(texts.size(), 3u);
    // The name field's first kana: (2000, 2000 + 100 + 320) in print positions; its line of
    // kana goes out in one call, each 400 further down.
    EXPECT_EQ(PointsText(texts[0].points), PointsText({POINT{-2420, 2000}}));
    EXPECT_EQ(texts[0].font.lfEscapement, 2700);
    EXPECT_EQ(texts[0].text.size(), 10u);
    EXPECT_EQ(texts[0].dx[1], 400);
    // Q1's label, then its first kana after it.
    EXPECT_EQ(texts[1].text, u"１");
    EXPECT_EQ(PointsText(texts[2].points), PointsText({POINT{-(2600 + 420), 2400}}));
}

TEST_F(PaperLayoutTest, PrintsPageByPageAtEachPagesOwnCorner)
{
    Paper paper;
    BuildPaper(paper, 1, 0);
    Paginate(paper);
    CRecordingDC printer(DeviceKind::Printer);
    CDisplayMap printMap = IdentityMap();

    std::vector<size_t> perPage;
    for (int p = 1; p <= paper.root.GetPageCount(); ++p) {
        printer.ClearCalls();
        LAYOUT_CONTEXT page;
        page.page = p;
        paper.root.LayoutPage(&page, 0);
        paper.root.DrawPage(&printer, &printMap, &page);
        const std::vector<GdiCall> texts = TextCalls(printer);
        perPage.push_back(CharactersDrawn(texts));
        ASSERT_FALSE(texts.empty());
        if (p == 2) {
            // Q4 continues at the page's top-left corner: its 83rd kana (う) at the indent.
            EXPECT_EQ(texts[0].text.front(), u'う');
            EXPECT_EQ(PointsText(texts[0].points), PointsText({POINT{2400, 2000 + 100 + 320}}));
        }
        // Nothing but text is drawn on paper: no part labels, no box outlines.
        EXPECT_TRUE(printer.CallsOf(GdiOp::Rectangle).empty());
    }
    // Page 1: name field 10, Q1–Q3 with their labels and answers 3 × 534, Q4's label and 82 kana.
    // Page 2: Q4's other 328 kana, A4 123, the page break 5. Page 3: Q5 411 and A5 123.
    EXPECT_EQ(perPage, (std::vector<size_t>{10 + 3 * 534 + 83, 328 + 123 + 5, 411 + 123}));

    // The screen layout is back after a full pass.
    Paginate(paper);
    EXPECT_EQ(paper.blocks[6]->GetBox(1)->m_rcLayout.top, 32700);
}

TEST_F(PaperLayoutTest, ScreenDrawingDrawsTheBlocksInTheClipOnly)
{
    Paper paper;
    BuildPaper(paper, 1, 0);
    Paginate(paper);
    // A screen showing page 2 (from 500 + 29700 + 500 down) one unit to a pixel.
    CRecordingDC screen;
    screen.SetDeviceSize(21000, 29700);
    CDisplayMap view = IdentityMap();
    view.SetOrigin(0, 30700);
    auto charactersDrawn = [&] {
        screen.ClearCalls();
        LAYOUT_CONTEXT context;
        paper.root.Draw(&screen, &view, &context);
        return CharactersDrawn(TextCalls(screen));
    };
    // The blocks that reach into the page, whole: Q4 (label and 410 kana), A4 (123), the page
    // break (5) and the part labels of Q4 and A4; none of the other blocks.
    EXPECT_EQ(charactersDrawn(), 1u + 410 + 123 + 5 + 2 + 2);
    // With the page selected as the clip, only the characters of the lines on it: Q4's second
    // box (328 kana); its number label, not a character, is drawn with its block.
    screen.IntersectClipRect(0, 0, 21000, 29700);
    EXPECT_EQ(charactersDrawn(), 1u + 328 + 123 + 5 + 2 + 2);
}
