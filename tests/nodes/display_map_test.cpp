#include "nodes/display_map.h"

#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

namespace {

POINT ToDevice(const CDisplayMap& map, POINT p)
{
    map.DocToDevice(&p);
    return p;
}

} // namespace

TEST(DisplayMap, DefaultsScale96DotsPerInchAndTurnForVerticalWriting)
{
    CDisplayMap map;
    EXPECT_EQ(map.m_zoom, 100);
    EXPECT_EQ(map.m_limitX, 0x7FFF);
    EXPECT_EQ(map.m_scaleDenominatorX, 2540);
    POINT p = ToDevice(map, POINT{2540, 5080});
    EXPECT_EQ(p.x, 96);
    EXPECT_EQ(p.y, 192);
    map.SetVertical(1);
    p = ToDevice(map, POINT{2540, 5080});
    EXPECT_EQ(p.x, -192);
    EXPECT_EQ(p.y, 96);
    // The origin is subtracted before scaling.
    map.SetOrigin(2540, 0);
    p = ToDevice(map, POINT{2540, 5080});
    EXPECT_EQ(p.x, -192);
    EXPECT_EQ(p.y, 0);
}

TEST(DisplayMap, ZoomSetsTheDenominatorsByMulDiv)
{
    struct Case { int zoom, denominator, pixelsOf2540; };
    const Case cases[] = {{100, 2540, 96}, {150, 1693, 144}, {200, 1270, 192}, {50, 5080, 48}, {75, 3387, 72}};
    for (const Case& c : cases) {
        CDisplayMap map;
        map.SetZoom(c.zoom);
        EXPECT_EQ(map.m_scaleDenominatorX, c.denominator) << c.zoom;
        EXPECT_EQ(map.m_scaleDenominatorY, c.denominator) << c.zoom;
        EXPECT_EQ(map.m_scaleNumeratorX, 96);
        EXPECT_EQ(ToDevice(map, POINT{2540, 0}).x, c.pixelsOf2540) << c.zoom;
    }
}

TEST(DisplayMap, RectanglesKeepLeftBelowRightWhenTurned)
{
    CDisplayMap map;
    RECT r{0, 0, 2540, 1270};
    map.DocToDeviceRect(&r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 96);
    EXPECT_EQ(r.bottom, 48);
    map.SetVertical(1);
    r = RECT{0, 0, 2540, 1270};
    map.DocToDeviceRect(&r);
    EXPECT_EQ(r.left, -48);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 96);
    // Back, the corners are turned twice: the one caller orders the values itself.
    map.DeviceToDocRect(&r);
    EXPECT_EQ(r.left, 1270);
    EXPECT_EQ(r.top, -2540);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 0);
}

TEST(DisplayMap, SizesSwapWhenTurnedButExtentsNever)
{
    CDisplayMap map;
    map.SetResolution(96, 192, 0);
    EXPECT_EQ(map.m_zoom, 100);
    SIZE s{2540, 1270};
    map.DocToDeviceSize(&s);
    EXPECT_EQ(s.cx, 96);
    EXPECT_EQ(s.cy, 96);
    for (int vertical : {0, 1}) {
        map.SetVertical(vertical);
        SIZE e{2540, 1270};
        map.DocToDeviceExtent(&e);
        EXPECT_EQ(e.cx, 192) << vertical;
        EXPECT_EQ(e.cy, 48) << vertical;
    }
    map.SetVertical(1);
    s = SIZE{2540, 1270};
    map.DocToDeviceSize(&s);
    EXPECT_EQ(s.cx, 96);   // the height scaled by y, first
    EXPECT_EQ(s.cy, 96);
    s = SIZE{96, 48};
    map.DeviceToDocSize(&s);
    EXPECT_EQ(s.cx, 1270);  // the device height becomes the document width
    EXPECT_EQ(s.cy, 1270);
}

TEST(DisplayMap, ConversionsGoBackWithinOneUnit)
{
    // A device point taken to the document and back lands within one pixel of where it was.
    const POINT points[] = {{0, 0}, {1, 1}, {371, 2970}, {-150, 777}, {2100, 13}, {1234, -678}};
    for (int zoom : {25, 75, 100, 150, 200, 400})
        for (int vertical : {0, 1})
            for (POINT start : points) {
                CDisplayMap map;
                map.SetResolution(600, 600, zoom);
                map.SetVertical(vertical);
                map.SetOrigin(100, 50);
                POINT p = start;
                map.DeviceToDoc(&p);
                map.DocToDevice(&p);
                EXPECT_LE(std::abs(p.x - start.x), 1) << zoom << " " << vertical;
                EXPECT_LE(std::abs(p.y - start.y), 1) << zoom << " " << vertical;
            }
}

TEST(DisplayMap, ResolutionComesFromTheDeviceContext)
{
    CRecordingDC printer(DeviceKind::Printer);
    printer.SetResolution(600, 300);
    CDisplayMap map;
    map.SetFromDC(&printer, 200);
    EXPECT_EQ(map.m_resolutionX, 600);
    EXPECT_EQ(map.m_scaleNumeratorY, 300);
    EXPECT_EQ(map.m_scaleDenominatorX, 1270);

    CRecordingDC blind;
    blind.SetResolution(0, 0);
    map.SetFromDC(&blind, 0);
    EXPECT_EQ(map.m_resolutionX, 96);
    EXPECT_EQ(map.m_resolutionY, 96);
    EXPECT_EQ(map.m_zoom, 200);  // a zero zoom keeps the last one

    // Without a context the screen is asked.
    const ScreenDCFactory previous = SetScreenDCFactory([]() -> std::unique_ptr<CDC> {
        auto dc = std::make_unique<CRecordingDC>();
        dc->SetResolution(120, 120);
        return dc;
    });
    map.SetFromDC(nullptr, 100);
    SetScreenDCFactory(previous);
    EXPECT_EQ(map.m_resolutionX, 120);
    EXPECT_EQ(map.m_scaleDenominatorY, 2540);
}
