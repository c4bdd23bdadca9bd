// The rulers: markers from and back into the paragraph format, the snapped and limited drag,
// and the scale drawn on the recording device context.
#include "editor/rulers.h"

#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

namespace {

// An A4 width with 20 mm margins, at 100 % with the page at pixel 0.
RULER_PAGE A4()
{
    RULER_PAGE page;
    page.extent = 21000;
    page.leftMargin = 2000;
    page.rightMargin = 2000;
    return page;
}

}  // namespace

TEST(RulerFormat, MarkersComeFromTheFormatAndGoBackSortedWithoutZerosAndRepeats)
{
    RULER_PARAFORMAT format;
    format.startIndent = 1000;
    format.offset = -500;
    format.rightIndent = 300;
    format.tabCount = 2;
    format.tabs[0] = 4000;
    format.tabs[1] = 2000;
    format.tabs[2] = 9999;  // beyond the count
    const RULER_MARKERS markers = MarkersFromFormat(format, A4());
    EXPECT_EQ(markers.pair, 500);
    EXPECT_EQ(markers.left, 1000);
    EXPECT_EQ(markers.right, 17000 - 300);
    EXPECT_EQ(markers.tabs[1], 2000);
    EXPECT_EQ(markers.tabs[2], 0);

    RULER_MARKERS edited = markers;
    edited.tabs[2] = 4000;
    edited.tabs[5] = 1500;
    RULER_PARAFORMAT back;
    FormatFromMarkers(edited, A4(), &back);
    EXPECT_EQ(back.mask, 23u);
    EXPECT_EQ(back.startIndent, 1000);
    EXPECT_EQ(back.offset, -500);
    EXPECT_EQ(back.rightIndent, 300);
    ASSERT_EQ(back.tabCount, 3);
    EXPECT_EQ(back.tabs[0], 1500);
    EXPECT_EQ(back.tabs[1], 2000);
    EXPECT_EQ(back.tabs[2], 4000);
    EXPECT_EQ(back.tabs[3], 0);
}

TEST(RulerFormat, DraggedPositionsSnapToAMillimetreInsideTheLimits)
{
    EXPECT_EQ(SnapMarker(1049, 0, 5000), 1000);
    EXPECT_EQ(SnapMarker(1050, 0, 5000), 1100);
    EXPECT_EQ(SnapMarker(-260, 0, 5000), 0);
    EXPECT_EQ(SnapMarker(7777, 0, 5000), 5000);
}

TEST(RulerBar, DraggingTheRightIndentWritesTheFormatBack)
{
    CHorzRulerBar ruler;
    RULER_PARAFORMAT format;
    format.startIndent = 1000;
    ruler.Refresh(A4(), format);
    RULER_PARAFORMAT written;
    int writes = 0;
    ruler.formatToView = [&](const RULER_PARAFORMAT& f) {
        written = f;
        ++writes;
    };
    // The right indent sits at the text end: 19000 hmm = pixel 718.
    const int rightPixel = ruler.PixelOf(19000);
    ASSERT_TRUE(ruler.BeginDrag(rightPixel, 12));
    ruler.DragTo(ruler.PixelOf(2000 + 15049));
    ruler.EndDrag(ruler.PixelOf(2000 + 15049));
    ASSERT_EQ(writes, 1);
    EXPECT_EQ(written.mask, 23u);
    EXPECT_EQ(written.rightIndent, 17000 - ruler.Markers().right);
    EXPECT_EQ(ruler.Markers().right % 100, 0);
    EXPECT_NEAR(ruler.Markers().right, 15000, 100);
    // Nothing is hit far from every marker.
    EXPECT_FALSE(ruler.BeginDrag(ruler.PixelOf(12000), 12));

    // The start indent cannot pass the right indent.
    ASSERT_TRUE(ruler.BeginDrag(ruler.PixelOf(3000), 14));
    ruler.EndDrag(ruler.PixelOf(20500));
    EXPECT_EQ(ruler.Markers().left, ruler.Markers().right);
}

TEST(RulerBar, TheScaleCountsCentimetresFromTheTextStart)
{
    CHorzRulerBar ruler;
    ruler.Refresh(A4(), RULER_PARAFORMAT{});
    CRecordingDC dc;
    ruler.Paint(&dc);
    std::vector<std::u16string> numbers;
    int ticks = 0;
    for (const GdiCall& call : dc.Calls()) {
        if (call.op == GdiOp::TextOutW)
            numbers.push_back(call.text);
        if (call.op == GdiOp::LineTo && call.pen.style == PS_SOLID)
            ++ticks;
    }
    // From the text start at 2 cm to the page end at 21 cm: the numbers 1 … 18; quarter-centimetre
    // ticks at 0.25 … 18.75 cm past the text start, 75 places less the 18 whole centimetres.
    ASSERT_EQ(numbers.size(), 18u);
    EXPECT_EQ(numbers.front(), u"1");
    EXPECT_EQ(numbers.back(), u"18");
    EXPECT_EQ(ticks, 75 - 18);
}
