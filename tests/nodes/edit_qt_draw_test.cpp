// A line of characters measured and drawn through the Qt device context into an image.
#include "node_fixture.h"

#include "base/gdi_cache.h"
#include "platform/gdi_qt.h"

#include <QImage>

using namespace nodetest;

TEST(EditQtDrawTest, LineOfCharactersDrawsIntoAnImage)
{
    SwitchGuard switches;
    CreateGdiResources();
    CEditContainer line;
    for (char16_t c : std::u16string_view(u"日本語のテストabc12"))
        line.AppendChild(new CEditChar(c));
    line.GetEditChild(2)->EditCharacterRecord()->m_underlineStyle = 1;
    line.GetEditChild(3)->EditCharacterRecord()->m_underlineStyle = 1;
    line.GetEditChild(7)->EditBorderRecord()->m_backgroundColor = 0x00FFFF;
    line.AppendChild(new CEditCR());

    QImage image(600, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::unique_ptr<CQtDC> dc = CQtDC::ForImage(&image);

    // Measured in document units, as the root does: 2540 units to 96 pixels.
    CDisplayMap map;
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    LAYOUT_CONTEXT measure = MeasureContext(15000);
    line.Measure(dc.get(), &map, &measure);
    dc->SetMapMode(MM_TEXT);
    ASSERT_EQ(line.GetBox(0)->GetLineCount(), 1);
    EXPECT_GT(line.m_width, 7 * 350);
    EXPECT_GT(line.m_height, 300);

    LAYOUT_CONTEXT layout = LayoutContext(100, 200);
    line.Layout(&layout, 0);
    LAYOUT_CONTEXT draw;
    line.Draw(dc.get(), &map, &draw);
    dc.reset();

    // Ink lies in the line's box and nowhere below it.
    int inked = 0;
    int inkedBelow = 0;
    const int bottom = MulDiv(96, 200 + line.m_height, 2540) + 3;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                (y <= bottom ? inked : inkedBelow)++;
        }
    }
    EXPECT_GT(inked, 200);
    EXPECT_EQ(inkedBelow, 0);
}
