// The formula object's extent and picture: the formula's size plus the margin, which becomes the
// stored size, the picture's window on the recording context, and the SVG picture the server
// sends, drawn as the container draws it.
#include "formula_fixture.h"

#include "formula/vumat_srvr_item.h"
#include "math/math_char.h"
#include "nodes/display_map.h"
#include "platform/embedding.h"
#include "platform/gdi_recording.h"

#include <QDir>
#include <QImage>

namespace {

using namespace formulatest;

class ServerItemTest : public FormulaDocumentTest {
protected:
    void SetUp() override
    {
        FormulaDocumentTest::SetUp();
        ASSERT_TRUE(document.OnNewDocument());
        item = document.GetEmbeddedItem();
        ASSERT_NE(item, nullptr);
    }

    CVumatDoc document;
    COleServerItem* item = nullptr;
};

}  // namespace

TEST_F(ServerItemTest, ExtentIsTheFormulaWithItsMargin)
{
    EXPECT_TRUE(document.IsEmbeddedItem(item));
    document.GetRoot()->m_width = 2000;
    document.GetRoot()->m_height = 600;
    SIZE extent{};
    ASSERT_TRUE(item->OnGetExtent(DVASPECT_CONTENT, extent));
    EXPECT_EQ(extent.cx, 2050);
    EXPECT_EQ(extent.cy, 650);
    EXPECT_EQ(document.m_storedWidth, 2050);
    EXPECT_EQ(document.m_storedHeight, 650);

    // Another aspect is the framework's and leaves the stored size alone.
    document.GetRoot()->m_width = 100;
    EXPECT_FALSE(item->OnGetExtent(4, extent));
    EXPECT_EQ(document.m_storedWidth, 2050);
}

TEST_F(ServerItemTest, PictureWindowIsTheExtentAtScreenResolution)
{
    document.GetRoot()->m_width = 2000;
    document.GetRoot()->m_height = 600;
    CRecordingDC dc;
    SIZE proposed{1, 1};
    EXPECT_TRUE(item->OnDraw(&dc, proposed));
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetWindowExt().cx, 77);  // 2050 at 96 dots per inch
    EXPECT_EQ(dc.GetWindowExt().cy, 25);  // 650
    EXPECT_EQ(dc.GetWindowOrg().x, -1);
    EXPECT_EQ(dc.GetWindowOrg().y, -1);
}

TEST_F(ServerItemTest, WithoutFormulaThereIsNoExtentAndNoPicture)
{
    document.DeleteRoot();
    SIZE extent{};
    EXPECT_FALSE(item->OnGetExtent(DVASPECT_CONTENT, extent));
    CRecordingDC dc;
    EXPECT_TRUE(item->OnDraw(&dc, extent));
    EXPECT_TRUE(dc.Drawings().empty());
    const Embedding::OBJECT_STATE state = document.CaptureState();
    EXPECT_EQ(state.extent.cx, 0);
    EXPECT_EQ(state.pictureKind, Embedding::kNoPicture);
    EXPECT_FALSE(state.storage.empty());
}

TEST_F(ServerItemTest, PictureOfASmallFormulaIsAnSvgTheContainerDraws)
{
    CEditNode* formula = document.GetRoot()->GetEditChild(0);
    for (const char16_t c : std::u16string(u"x+1"))
        formula->InsertChildAt(formula->GetChildCount() - 1, new CEditMathChar(c));
    document.LayoutRoot();
    const Embedding::OBJECT_STATE state = document.CaptureState();
    ASSERT_EQ(state.pictureKind, Embedding::kSvgPicture);
    EXPECT_TRUE(Embedding::IsDrawablePicture(state.pictureKind, state.picture));
    EXPECT_EQ(state.extent.cx, document.GetRoot()->m_width + 50);
    EXPECT_EQ(state.extent.cy, document.GetRoot()->m_height + 50);

    // Drawn as the container draws it, at four times its size: the glyphs are there.
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state = state;
    record.state.extent.cx *= 4;
    record.state.extent.cy *= 4;
    COleClientItem client;
    client.SetRecord(record);
    const std::vector<uint8_t> png = client.RenderPng();
    QImage image;
    ASSERT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 20);
    if (const char* folder = std::getenv("QN_FORMULA_PICTURE_DIR"))
        image.save(QDir(QString::fromUtf8(folder)).filePath("formula_picture.png"));
}
