// Formula pictures: a formula loaded from MathML or typed at the caret, drawn through the Qt
// context into a colour bitmap on white. The pictures are also written as PNG files into the
// temporary folder, for a person to look at.
#include "math_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/edit_switches.h"

#include <QDir>
#include <QImage>

#include <vector>

using namespace mathtest;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB

    int Count(bool (*test)(uint32_t)) const
    {
        int n = 0;
        for (uint32_t p : pixels)
            n += test(p) ? 1 : 0;
        return n;
    }
};

// The bitmap's pixels, saved as a PNG under the given name; the bitmap is deleted.
Picture TakePicture(HBITMAP bitmap, const char* name)
{
    Picture picture;
    BITMAP info{};
    EXPECT_TRUE(GetObject(bitmap, &info));
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    EXPECT_TRUE(GetBitmapPixels(bitmap, &picture.pixels));
    DeleteObject(bitmap);
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            image.setPixel(x, y, 0xFF000000u | picture.pixels[static_cast<size_t>(y * picture.width + x)]);
    const QString folder = QDir::tempPath() + "/qn-formula-pictures";
    QDir().mkpath(folder);
    image.save(folder + "/" + name + ".png");
    return picture;
}

bool IsWhite(uint32_t p) { return p == 0xFFFFFF; }
bool IsInk(uint32_t p) { return p != 0xFFFFFF; }
bool IsRed(uint32_t p) { return ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90; }

}  // namespace

TEST(FormulaPictures, AFormulaFromMathMLDrawsInColourOnWhite)
{
    CreateGdiResources();
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(
        u"<math><mi>y</mi><mo>\uFF1D</mo><mfrac><mrow><mn>1</mn></mrow><mrow><mi>x</mi><mo>+</mo><mn>2</mn></mrow></mfrac>"
        u"<mo>+</mo><msqrt><mrow><mi>a</mi></mrow></msqrt><mo>+</mo>"
        u"<mfenced><mrow><msub><mrow><mi>b</mi></mrow><mrow><mn>1</mn></mrow></msub><mo>,</mo><mi>c</mi></mrow></mfenced>"
        u"<munder><mrow><mi>A</mi><mi>B</mi></mrow><mo>\u2192</mo></munder>"
        u"<mo>\uFF1D</mo><mrow qntype='cyukai'><mn>42</mn></mrow></math>"));
    CEditEditMath block;
    block.LoadMathML(doc.documentElement());
    HBITMAP bitmap = block.CreateBitmap();
    ASSERT_TRUE(bitmap);
    const Picture picture = TakePicture(bitmap, "from_mathml");
    EXPECT_EQ(picture.width, MulDiv(block.m_width, 96, 2540));
    EXPECT_EQ(picture.height, MulDiv(block.m_height, 96, 2540));
    EXPECT_GT(picture.width, 100);
    EXPECT_TRUE(IsWhite(picture.pixels.front()));
    EXPECT_GT(picture.Count(IsInk), 200);
    // The answer keeps its red.
    EXPECT_GT(picture.Count(IsRed), 10);
}

TEST(FormulaPictures, AFormulaTypedAtTheCaretDraws)
{
    CreateGdiResources();
    UseFormulaFamily();
    CEditEditMath block;
    block.InitDefaultContent();
    CCaret caret;
    caret.m_caretNode = block.GetEditChild(0)->GetEditChild(0);
    CDefaultFontTable::Instance().GetMathFont(&caret.m_logFont);
    caret.m_logFont.lfHeight = -600;
    CStringW typed(u"a+b=c");
    ASSERT_TRUE(caret.m_caretNode->InsertChars(&caret, &typed, nullptr));
    HBITMAP bitmap = block.CreateBitmap();
    ASSERT_TRUE(bitmap);
    const Picture picture = TakePicture(bitmap, "typed");
    EXPECT_GT(picture.Count(IsInk), 100);
    EXPECT_EQ(picture.Count(IsRed), 0);
}

// Every stretched delimiter and mark, large enough to judge their shapes by eye.
TEST(FormulaPictures, StretchedDelimitersAndMarksDraw)
{
    CreateGdiResources();
    std::u16string text = u"<math>";
    const char16_t* fences[][2] = {{u"(", u")"}, {u"{", u"}"}, {u"[", u"]"}, {u"\u3008", u"\u3009"}, {u"\u3014", u"\u3015"}, {u"|", u"|"}};
    for (const auto& fence : fences) {
        text += u"<mfenced open='" + std::u16string(fence[0]) + u"' close='" + std::u16string(fence[1]) +
                u"'><mfrac><mi mathsize='24pt'>a</mi><mi mathsize='24pt'>b</mi></mfrac></mfenced>";
    }
    for (const char16_t* mark : {u"\uFE38", u"\u2322", u"\uFFE3", u"\u2194"})
        text += u"<munder><mrow><mi mathsize='48pt'>xyz</mi></mrow><mo mathsize='48pt'>" + std::u16string(mark) + u"</mo></munder>";
    text += u"</math>";
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(text));
    CEditEditMath block;
    block.LoadMathML(doc.documentElement());
    HBITMAP bitmap = block.CreateBitmap();
    ASSERT_TRUE(bitmap);
    const Picture picture = TakePicture(bitmap, "stretched");
    EXPECT_GT(picture.Count(IsInk), 1000);
}

// A picture is for readers: an empty slot leaves no green mark in it.
TEST(FormulaPictures, EmptySlotsLeaveNoMarkInAPicture)
{
    CreateGdiResources();
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<math><mfrac><mrow><mn>1</mn></mrow><mrow></mrow></mfrac><msub><mrow><mi>a</mi></mrow><mrow></mrow></msub></math>"));
    CEditEditMath block;
    block.LoadMathML(doc.documentElement());
    HBITMAP bitmap = block.CreateBitmap();
    ASSERT_TRUE(bitmap);
    const Picture picture = TakePicture(bitmap, "empty_slots");
    EXPECT_GT(picture.Count(IsInk), 20);
    EXPECT_EQ(picture.Count([](uint32_t p) { return ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) < 60 && (p & 0xFF) < 60; }), 0);
}
