#include "node_fixture.h"

#include "nodes/ruby.h"

using namespace nodetest;

namespace {

// A pair whose base holds `baseChars` full-width characters of em `baseEm` and whose reading
// holds `readingChars` half-width characters of em `readingEm`, the reading aligned by `align`.
std::unique_ptr<CEditRuby> MakePair(int baseChars, int baseEm, int readingChars, int readingEm, int align)
{
    auto pair = std::make_unique<CEditRuby>();
    auto* base = new CEditRubyBase();
    auto* reading = new CEditRubyText();
    pair->AppendChild(base);
    pair->AppendChild(reading);
    for (int i = 0; i < baseChars; ++i)
        AddChar(base, u'\u6F22', baseEm);
    AddCR(base, 0, baseEm);
    for (int i = 0; i < readingChars; ++i)
        AddChar(reading, u'k', readingEm);
    AddCR(reading, align, readingEm);
    return pair;
}

class RubyTest : public ::testing::Test {
protected:
    void MeasureAndLayout(CEditRuby& pair, int x0 = 1000, int rowTop = 2000, int vertical = 0)
    {
        CDisplayMap directionMap = IdentityMap(vertical);
        LAYOUT_CONTEXT measure = MeasureContext(10000);
        pair.Measure(&dc, &directionMap, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(x0, rowTop);
        layout.rowAscent = pair.m_ascent;
        pair.Layout(&layout, vertical);
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
};

}  // namespace

TEST_F(RubyTest, BoxesAreNoCaretStops)
{
    CEditRubyBase base;
    CEditRubyText text;
    EXPECT_EQ(base.GetKind(), EditKind::Code(EditKind::kRubyBase));
    EXPECT_EQ(text.GetKind(), EditKind::Code(EditKind::kRubyText));
    EXPECT_EQ(base.m_caretStop, 0);
    EXPECT_EQ(text.m_caretStop, 0);
    EXPECT_EQ(CEditRuby().GetKind(), EditKind::Code(EditKind::kRuby));
}

TEST_F(RubyTest, AWiderReadingOverhangsByItsAlignment)
{
    // Base 370 wide, reading 600 wide.
    const struct {
        int align;
        int readingX;
    } rows[] = {{0, 1000}, {1, 1000 - 115}, {2, 1000 - 230}, {3, 1000}};
    for (int vertical : {0, 1}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.align);
            SCOPED_TRACE(vertical);
            auto pair = MakePair(1, 370, 12, 100, row.align);
            MeasureAndLayout(*pair, 1000, 2000, vertical);
            EXPECT_EQ(pair->m_width, 370);
            EXPECT_EQ(pair->GetEditChild(1)->m_width, 600);
            EXPECT_EQ(pair->GetEditChild(1)->m_rcLayout.left, row.readingX);
            EXPECT_EQ(pair->GetEditChild(1)->m_rcHit.left, row.readingX);
            EXPECT_EQ(pair->GetEditChild(0)->m_rcLayout.left, 1000);
        }
    }
}

TEST_F(RubyTest, ANarrowerReadingIsWidenedAndAlignedWithinTheBase)
{
    auto pair = MakePair(2, 370, 10, 100, 1);
    MeasureAndLayout(*pair);
    EXPECT_EQ(pair->m_width, 740);
    CEditNode* reading = pair->GetEditChild(1);
    EXPECT_EQ(reading->m_width, 740);
    EXPECT_EQ(reading->m_rcLayout.left, 1000);
    EXPECT_EQ(reading->GetEditChild(0)->m_rcLayout.left, 1000 + 120);
}

TEST_F(RubyTest, PairStacksTheReadingOverTheBase)
{
    for (int vertical : {0, 1}) {
        auto pair = MakePair(1, 370, 2, 185, 0);
        MeasureAndLayout(*pair, 1000, 2000, vertical);
        EXPECT_EQ(pair->m_height, 555);
        EXPECT_EQ(pair->m_ascent, 296 + 185);
        EXPECT_EQ(pair->m_axis, 185 + 185);
        EXPECT_TRUE(SameRect(pair->m_rcLayout, Rect(1000, 2000, 1370, 2555))) << RectText(pair->m_rcLayout);
        EXPECT_EQ(pair->GetEditChild(1)->m_rcLayout.top, 2000);
        EXPECT_EQ(pair->GetEditChild(0)->m_rcLayout.top, 2185);
        EXPECT_TRUE(SameRect(pair->GetEditChild(0)->m_rcHit, Rect(1000, 2185, 1370, 2555)));
        // Set in a row whose baseline lies lower, the pair's baseline follows it.
        LAYOUT_CONTEXT row = LayoutContext(1000, 2000);
        row.rowAscent = pair->m_ascent + 50;
        pair->Layout(&row, 0);
        EXPECT_EQ(pair->m_rcLayout.top, 2050);
        EXPECT_EQ(pair->GetEditChild(0)->GetEditChild(0)->m_ptText.y, 2000 + pair->m_ascent + 50);
    }
}

TEST_F(RubyTest, AHiddenReadingTakesNoHeightAndDrawsNothing)
{
    auto pair = MakePair(1, 370, 2, 185, 0);
    pair->GetEditChild(1)->m_hidden = 1;
    MeasureAndLayout(*pair);
    EXPECT_EQ(pair->GetEditChild(1)->m_height, 0);
    EXPECT_EQ(pair->GetEditChild(1)->m_width, 370);
    EXPECT_EQ(pair->m_height, 370);
    LAYOUT_CONTEXT draw;
    dc.ClearCalls();
    pair->Draw(&dc, &map, &draw);
    for (const GdiCall& call : dc.Drawings())
        EXPECT_EQ(call.text.find(u'k'), std::u16string::npos);
    EXPECT_FALSE(dc.Drawings().empty());
}

TEST_F(RubyTest, APairMissingAChildIsMeasuredFromWhatItHasAndNotPlaced)
{
    // A pair from a damaged stream or a partial undo: only its base.
    auto pair = MakePair(1, 370, 2, 185, 0);
    pair->GetEditChild(1)->DetachAndDelete();
    pair->m_rcLayout = Rect(1, 2, 3, 4);
    MeasureAndLayout(*pair);
    EXPECT_EQ(pair->m_width, 370);
    EXPECT_EQ(pair->m_height, 370);
    EXPECT_TRUE(SameRect(pair->m_rcLayout, Rect(1, 2, 3, 4)));
    EXPECT_EQ(pair->GetBase(), nullptr);
    EXPECT_EQ(pair->GetFirstInner(), nullptr);
    LAYOUT_CONTEXT draw;
    dc.ClearCalls();
    pair->Draw(&dc, &map, &draw);
    EXPECT_TRUE(dc.Drawings().empty());

    CEditRuby empty;
    MeasureAndLayout(empty);
    EXPECT_EQ(empty.m_width, 0);
    EXPECT_EQ(empty.m_height, 0);
}

TEST_F(RubyTest, BaseAnswersTheFirstInnerNode)
{
    auto pair = MakePair(1, 370, 2, 185, 0);
    EXPECT_EQ(pair->GetBase(), pair->GetEditChild(0));
    EXPECT_EQ(pair->GetFirstInner(), pair->GetEditChild(0)->GetEditChild(0));
}

TEST_F(RubyTest, HitTestFindsTheReadingAndTheSpaceBesideALine)
{
    auto pair = MakePair(1, 370, 2, 185, 0);
    MeasureAndLayout(*pair);
    int after = -1;
    CEditNode* reading = pair->GetEditChild(1);
    EXPECT_EQ(pair->HitTest(1050, 2050, &after), reading->GetEditChild(0));
    // Right of the reading's last character, within the widened box: its line break.
    EXPECT_EQ(pair->HitTest(1300, 2050, &after), reading->GetEditChild(2));
    EXPECT_EQ(after, 1);
}
