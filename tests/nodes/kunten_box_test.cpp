#include "node_fixture.h"

#include "nodes/kanbun_cell.h"
#include "nodes/caret.h"
#include "nodes/kunten_box.h"

using namespace nodetest;

namespace {

// A reading-mark box of characters 2 × em wide (full-width, em = 200) and its line break.
class KuntenBoxTest : public ::testing::Test {
protected:
    void Fill(int count, int spacing)
    {
        box.SetLimits(2, spacing);
        for (int i = 0; i < count; ++i)
            AddChar(&box, u'\u4E00', 200);
        AddCR(&box, 0, 200);
    }
    void MeasureAndLayout(int available, int lineSpacing = 0)
    {
        LAYOUT_CONTEXT measure = MeasureContext(available, lineSpacing);
        box.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(1000, 500);
        layout.lineSpacing = lineSpacing;
        box.Layout(&layout, 0);
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    CEditKunten box;
};

}  // namespace

TEST_F(KuntenBoxTest, NewBoxesAreNoCaretStopsWithTheirDefaults)
{
    EXPECT_EQ(box.GetKind(), EditKind::Code(EditKind::kKunten));
    EXPECT_EQ(box.m_caretStop, 0);
    EXPECT_EQ(box.m_maxChars, 1);
    EXPECT_EQ(box.m_spacing, 50);
    CEditOkurigana kana;
    EXPECT_EQ(kana.GetKind(), EditKind::Code(EditKind::kOkurigana));
    EXPECT_EQ(kana.m_caretStop, 0);
    EXPECT_EQ(kana.m_pushToEnd, 0);
}

TEST_F(KuntenBoxTest, CharactersOverlapByTheSpacing)
{
    map.SetVertical(1);  // the same geometry in vertical writing: the map turns it only when drawing
    Fill(2, 60);
    MeasureAndLayout(10000);
    EXPECT_EQ(box.m_width, 320);
    EXPECT_EQ(box.m_height, 200);
    EXPECT_EQ(box.m_ascent, 160);
    EXPECT_EQ(box.m_extra[0], 320);
    EXPECT_EQ(box.m_extra[1], 200);
    ASSERT_EQ(box.GetBox(0)->GetLineCount(), 1);
    EXPECT_EQ(box.GetEditChild(0)->m_rcLayout.left, 1000);
    EXPECT_EQ(box.GetEditChild(1)->m_rcLayout.left, 1120);
    EXPECT_EQ(box.GetEditChild(2)->m_rcLayout.left, 1320);
    EXPECT_EQ(box.GetEditChild(2)->m_width, 0);
    EXPECT_TRUE(SameRect(box.GetEditChild(1)->m_rcHit, Rect(1120, 500, 1320, 700)));
    EXPECT_TRUE(SameRect(box.m_rcLayout, Rect(1000, 500, 1320, 700)));
}

TEST_F(KuntenBoxTest, ALoneLineBreakIsTheAverageCharacterWide)
{
    AddCR(&box, 0, 200);
    MeasureAndLayout(10000);
    EXPECT_EQ(box.m_width, 100);
    EXPECT_EQ(box.m_height, 200);
}

TEST_F(KuntenBoxTest, LineSpacingAddsTwiceToEachLineAndMovesChildrenDown)
{
    Fill(1, 60);
    MeasureAndLayout(10000, 35);
    EXPECT_EQ(box.m_height, 270);
    EXPECT_EQ(box.GetEditChild(0)->m_rcLayout.top, 535);
    EXPECT_EQ(box.GetEditChild(0)->m_rcHit.top, 500);
}

TEST_F(KuntenBoxTest, AreaWidthWrapsWhateverTheAvailableWidth)
{
    Fill(3, 60);
    box.m_areaWidth = 300;
    MeasureAndLayout(10000);
    // 200 fits, 200 + 200 does not: one character per line, the line break after the last.
    const CEditBox* layout = box.GetBox(0);
    ASSERT_EQ(layout->GetLineCount(), 3);
    EXPECT_EQ(box.m_height, 600);
    EXPECT_EQ(box.GetEditChild(1)->m_rcLayout.top, 700);
    EXPECT_EQ(box.GetEditChild(1)->m_rcLayout.left, 1000);
    EXPECT_EQ(box.GetEditChild(3)->m_lineIndex, 2);
}

TEST_F(KuntenBoxTest, AChildWiderThanTheWrapStartsWithAnEmptyLine)
{
    Fill(1, 60);
    box.m_areaWidth = 150;
    MeasureAndLayout(10000);
    const CEditBox* layout = box.GetBox(0);
    // The line break (measured 1 wide before it is fitted) does not fit after it either.
    ASSERT_EQ(layout->GetLineCount(), 3);
    EXPECT_EQ(layout->GetLine(0).m_count, 0);
    EXPECT_EQ(box.GetEditChild(1)->m_lineIndex, 2);
    // The empty line takes the largest extents below the baseline and the axis.
    EXPECT_EQ(layout->GetLine(0).m_height, 100);
    EXPECT_EQ(box.GetEditChild(0)->m_rcLayout.top, 600);
}

TEST_F(KuntenBoxTest, HitBesideALineGivesItsEnds)
{
    Fill(2, 60);
    MeasureAndLayout(10000);
    int after = -1;
    EXPECT_EQ(box.HitTest(1100, 550, &after), box.GetEditChild(0));
    EXPECT_EQ(box.HitTest(200, 550, &after), box.GetEditChild(0));
    EXPECT_EQ(after, 0);
    EXPECT_EQ(box.HitTest(-10, 550, &after), nullptr);
    EXPECT_EQ(box.HitTest(1320, 550, &after), box.GetEditChild(2));
    box.m_hidden = 1;
    EXPECT_EQ(box.HitTest(1100, 550, &after), nullptr);
}

TEST_F(KuntenBoxTest, PushedKanaSitAtTheEndOfTheirBox)
{
    for (int push : {0, 1}) {
        CEditOkurigana kana;
        kana.m_pushToEnd = push;
        AddChar(&kana, u'\u304B', 185);
        AddCR(&kana, 0, 185);
        LAYOUT_CONTEXT measure = MeasureContext(10000);
        kana.Measure(&dc, &map, &measure);
        kana.m_height = 370;
        LAYOUT_CONTEXT layout = LayoutContext(100, 1000);
        kana.Layout(&layout, 0);
        EXPECT_EQ(kana.GetEditChild(0)->m_rcLayout.top, 1000 + push * 185);
        EXPECT_TRUE(SameRect(kana.m_rcLayout, Rect(100, 1000, 100 + kana.m_width, 1370)));
    }
}

TEST_F(KuntenBoxTest, CaretMovesUpAndDownBetweenTheLinesOfTheBox)
{
    Fill(3, 60);
    box.m_areaWidth = 300;
    MeasureAndLayout(10000);
    CCaret caret;
    CEditNode* first = box.GetEditChild(0);
    CEditNode* second = box.GetEditChild(1);
    // Without a vertical move the line's last child; with one, the child under the node.
    EXPECT_EQ(box.GetNodeBelow(first, &caret), second);
    caret.m_verticalMove = 1;
    EXPECT_EQ(box.GetNodeBelow(first, &caret), second);
    EXPECT_EQ(box.GetNodeAbove(second, &caret), first);
    EXPECT_EQ(box.GetNodeAbove(first, &caret), first);  // no line above
    CEditKunten unmeasured;
    EXPECT_EQ(unmeasured.GetNodeAbove(first, &caret), nullptr);
}
