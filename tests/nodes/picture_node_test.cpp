#include "node_fixture.h"

#include "base/element_classes.h"
#include "nodes/caret.h"
#include "nodes/floating_frame.h"
#include "nodes/node_archive.h"
#include "nodes/picture_node.h"
#include "platform/gdi_qt.h"
#include "platform/memory_file.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <fstream>

using namespace nodetest;

namespace {

QImage Picture(int width = 96, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(200, 30, 30) : qRgb(20, 40, 60 + y));
    return image;
}

std::vector<uint8_t> DibBytes(HGLOBAL dib)
{
    const auto* data = static_cast<const uint8_t*>(GlobalLock(dib));
    std::vector<uint8_t> bytes(data, data + GlobalSize(dib));
    GlobalUnlock(dib);
    return bytes;
}

std::vector<uint8_t> ReadBack(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class PictureNodeTest : public ::testing::Test {
protected:
    // Writes the picture in the format and answers its path.
    std::string Save(const QImage& image, const char* name, const char* format)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, format));
        return path.toStdString();
    }
    std::string WriteBytes(const char* name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    QTemporaryDir dir;
    SwitchGuard switches;
};

}  // namespace

TEST(ImageFormatExtensionTest, CodesGiveTheirExtensions)
{
    const struct {
        int code;
        const char* extension;
    } rows[] = {
        {2, "gif"},   {3, "tif"},   {17, "tif"},  {85, "tif"},  {88, "tif"},  {93, "tif"},  {97, "tif"},
        {138, "tif"}, {5, "cmp"},   {30, "cmp"},  {6, "bmp"},   {14, "bmp"},  {74, "bmp"},  {84, "bmp"},
        {10, "jpg"},  {11, "jpg"},  {21, "jpg"},  {24, "jpg"},  {98, "jpg"},  {101, "jpg"}, {15, "wmf"},
        {56, "pct"},  {57, "pcd"},  {75, "png"},  {80, "fpx"},  {83, "fpx"},  {91, "ico"},  {92, "cur"},
        {116, "emf"}, {119, "ani"}, {0, "img"},   {1, "img"},   {25, "img"},  {89, "img"},  {139, "img"},
        {-1, "img"},
    };
    for (const auto& row : rows) {
        std::string extension = "x";
        ImageFormatExtension(extension, row.code);
        EXPECT_EQ(extension, row.extension) << row.code;
    }
}

TEST_F(PictureNodeTest, LoadingSizesTheNodeFromThePixelsOnTheMap)
{
    CEditGraphic node;
    EXPECT_EQ(node.GetKind(), EditKind::Code(EditKind::kGraphic));
    const std::string path = Save(Picture(), "p.png", "PNG");
    CDisplayMap map;  // 96 dots per inch, 100 %
    ASSERT_TRUE(node.LoadFile(path.c_str(), &map));
    EXPECT_EQ(node.GetPixelWidth(), 96);
    EXPECT_EQ(node.GetPixelHeight(), 48);
    EXPECT_EQ(node.m_width, 2540);
    EXPECT_EQ(node.m_height, 1270);
    EXPECT_EQ(node.GetFormatCode(), 75);
    EXPECT_EQ(node.GetBitsPerPixel(), 24);
    EXPECT_EQ(node.GetPath(), path);
    LAYOUT_CONTEXT context;
    node.Measure(nullptr, &map, &context);
    EXPECT_EQ(node.m_ascent, 635);
    EXPECT_EQ(node.m_axis, 635);
    LAYOUT_CONTEXT layout = LayoutContext(100, 200);
    node.Layout(&layout, 0);
    EXPECT_TRUE(SameRect(node.m_rcLayout, Rect(100, 200, 2640, 1470)));

    std::array<uint8_t, CEditGraphic::kFileInformationSize> information{};
    HGLOBAL dib = LoadDibFromFile(path.c_str(), information.data());
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(DibBytes(dib), DibBytes(node.GetDib()));
    GlobalFree(dib);
    EXPECT_EQ(information[0], 75);
    EXPECT_EQ(information[28], 24);
    EXPECT_EQ(LoadDibFromFile(dir.filePath("none.png").toStdString().c_str(), information.data()), nullptr);

    // The extension keeps the picture's own depth: a true-colour PNG is not cut to 8 bits.
    std::string extension;
    node.GetFileExtension(extension);
    EXPECT_EQ(extension, "png");
    EXPECT_EQ(node.GetBitsPerPixel(), 24);
}

TEST_F(PictureNodeTest, AFailedLoadLeavesTheNodeAsItWas)
{
    CEditGraphic node;
    CDisplayMap map;
    ASSERT_TRUE(node.LoadFile(Save(Picture(), "p.bmp", "BMP").c_str(), &map));
    const std::vector<uint8_t> before = DibBytes(node.GetDib());
    for (const std::string& path :
         {WriteBytes("broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3}), WriteBytes("notes.txt", {'h', 'i'}),
          dir.filePath("missing.png").toStdString()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(node.LoadFile(path.c_str(), &map));
        ASSERT_NE(node.GetDib(), nullptr);
        EXPECT_EQ(DibBytes(node.GetDib()), before);
        EXPECT_EQ(node.GetPixelWidth(), 96);
        EXPECT_EQ(node.GetFormatCode(), 6);
        EXPECT_NE(node.GetPath(), path);
    }
    CEditGraphic fresh;
    EXPECT_FALSE(fresh.LoadFile(WriteBytes("b.jpg", {1, 2, 3}).c_str(), &map));
    EXPECT_EQ(fresh.GetDib(), nullptr);
    CRecordingDC dc;
    LAYOUT_CONTEXT draw;
    fresh.Draw(&dc, &map, &draw);
    EXPECT_TRUE(dc.Drawings().empty());
}

TEST_F(PictureNodeTest, PngJpegAndBmpSaveAndLoadAgainWithTheSamePixels)
{
    const struct {
        const char* name;
        const char* format;
    } rows[] = {{"a.png", "PNG"}, {"a.jpg", "JPEG"}, {"a.bmp", "BMP"}};
    CDisplayMap map;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        CEditGraphic first;
        ASSERT_TRUE(first.LoadFile(Save(Picture(), row.name, row.format).c_str(), &map));
        std::string extension;
        first.GetFileExtension(extension);
        const std::string saved = dir.filePath(QString("saved-") + row.name).toStdString() + "." + extension;
        ASSERT_TRUE(first.SaveFile(saved.c_str()));
        EXPECT_EQ(ReadBack(saved), first.GetFileBytes());
        CEditGraphic second;
        ASSERT_TRUE(second.LoadFile(saved.c_str(), &map));
        EXPECT_EQ(DibBytes(second.GetDib()), DibBytes(first.GetDib()));
        EXPECT_EQ(second.GetFormatCode(), first.GetFormatCode());
    }
}

TEST_F(PictureNodeTest, APictureWithoutItsFileIsEncodedFromItsDib)
{
    CDisplayMap map;
    CEditGraphic loaded;
    ASSERT_TRUE(loaded.LoadFile(Save(Picture(), "a.png", "PNG").c_str(), &map));
    // Through the node archive the picture keeps its DIB but not its file.
    CEditNode* nodes[] = {&loaded};
    CRuntimeClassRegistry classes;
    RegisterNodeClasses(classes, NODE_PROGRAM::ProblemEditor);
    auto copies = NodeListFromBytes(NodeListToBytes(nodes), &classes);
    ASSERT_EQ(copies.size(), 1u);
    auto* copy = dynamic_cast<CEditGraphic*>(copies[0].get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->GetFileBytes().empty());
    const std::string saved = dir.filePath("encoded.png").toStdString();
    ASSERT_TRUE(copy->SaveFile(saved.c_str()));
    CEditGraphic again;
    ASSERT_TRUE(again.LoadFile(saved.c_str(), &map));
    EXPECT_EQ(DibBytes(again.GetDib()), DibBytes(loaded.GetDib()));
    EXPECT_EQ(again.GetBitsPerPixel(), 24);

    CEditGraphic empty;
    EXPECT_FALSE(empty.SaveFile(saved.c_str()));

    // A GIF picture without its file is written as PNG rather than lost.
    // The smallest GIF: one white pixel.
    const std::vector<uint8_t> gifFile{0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00,
                                       0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00,
                                       0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    CEditGraphic gif;
    ASSERT_TRUE(gif.LoadFile(WriteBytes("a.gif", gifFile).c_str(), &map));
    EXPECT_EQ(gif.GetFormatCode(), 2);
    CEditNode* gifNodes[] = {&gif};
    auto gifCopies = NodeListFromBytes(NodeListToBytes(gifNodes), &classes);
    auto* gifCopy = static_cast<CEditGraphic*>(gifCopies[0].get());
    std::string extension;
    gifCopy->GetFileExtension(extension);
    EXPECT_EQ(extension, "png");
    const std::string gifSaved = dir.filePath("from-gif.png").toStdString();
    ASSERT_TRUE(gifCopy->SaveFile(gifSaved.c_str()));
    CEditGraphic gifAgain;
    ASSERT_TRUE(gifAgain.LoadFile(gifSaved.c_str(), &map));
    EXPECT_EQ(gifAgain.GetPixelWidth(), 1);
    EXPECT_EQ(DibBytes(gifAgain.GetDib()).size(), DibBytes(gif.GetDib()).size());
    // With its file, a GIF keeps its format and is written back as it came.
    std::string ownExtension;
    gif.GetFileExtension(ownExtension);
    EXPECT_EQ(ownExtension, "gif");
}

TEST_F(PictureNodeTest, AFormatReadButNotDecodedIsKeptAndWrittenBackUnchanged)
{
    const std::vector<uint8_t> metafile{0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 1, 2, 3, 4, 5};
    CEditGraphic node;
    node.m_width = 3000;
    node.m_height = 2000;
    CDisplayMap map;
    ASSERT_TRUE(node.LoadFile(WriteBytes("figure.wmf", metafile).c_str(), &map));
    EXPECT_EQ(node.GetDib(), nullptr);
    EXPECT_EQ(node.GetFormatCode(), 15);
    EXPECT_EQ(node.m_width, 3000);
    std::string extension;
    node.GetFileExtension(extension);
    EXPECT_EQ(extension, "wmf");
    const std::string saved = dir.filePath("out.wmf").toStdString();
    ASSERT_TRUE(node.SaveFile(saved.c_str()));
    EXPECT_EQ(ReadBack(saved), metafile);

    // Drawn as a frame of its size.
    LAYOUT_CONTEXT layout = LayoutContext(0, 0);
    node.Layout(&layout, 0);
    CRecordingDC dc;
    CDisplayMap identity = IdentityMap();
    LAYOUT_CONTEXT draw;
    node.Draw(&dc, &identity, &draw);
    const std::vector<GdiCall> frames = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(SameRect(frames[0].rect, Rect(0, 0, 3000, 2000)));
}

// A picture whose file is missing keeps its name and size, draws as a frame, and stays a
// placeholder through a stream; a size not given takes the placeholder side.
TEST_F(PictureNodeTest, APlaceholderDrawsAFrameAndKeepsItsNameThroughStreams)
{
    CEditGraphic node;
    node.MakePlaceholder("paper-03.png", 2500, 0);
    EXPECT_TRUE(node.IsPlaceholder());
    EXPECT_EQ(node.m_width, 2500);
    EXPECT_EQ(node.m_height, CEditGraphic::kPlaceholderSide);
    LAYOUT_CONTEXT layout = LayoutContext(0, 0);
    node.Layout(&layout, 0);
    CRecordingDC dc;
    CDisplayMap identity = IdentityMap();
    LAYOUT_CONTEXT draw;
    node.Draw(&dc, &identity, &draw);
    const std::vector<GdiCall> frames = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(SameRect(frames[0].rect, Rect(0, 0, 2500, 1000)));

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        node.Serialize(ar);
        ar.Close();
    }
    CMemFile in(file.Detach());
    CArchive ar(&in, CArchive::load);
    CEditGraphic loaded;
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.GetReference(), "paper-03.png");
    EXPECT_EQ(loaded.m_width, 2500);

    // Loading a picture makes it a picture again.
    CDisplayMap map;
    ASSERT_TRUE(loaded.LoadFile(Save(Picture(), "a.png", "PNG").c_str(), &map));
    EXPECT_FALSE(loaded.IsPlaceholder());
}

TEST_F(PictureNodeTest, DrawingPaintsThePictureAtItsLayoutRectangle)
{
    CDisplayMap map;
    CEditGraphic node;
    ASSERT_TRUE(node.LoadFile(Save(Picture(), "a.png", "PNG").c_str(), &map));
    LAYOUT_CONTEXT layout = LayoutContext(254, 508);  // 9.6 and 19.2 pixels
    node.Layout(&layout, 0);

    CRecordingDC recording;
    LAYOUT_CONTEXT draw;
    node.Draw(&recording, &map, &draw);
    const std::vector<GdiCall> calls = recording.Drawings();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(SameRect(calls[0].rect, Rect(10, 19, 106, 67))) << RectText(calls[0].rect);
    EXPECT_EQ(calls[0].sourceWidth, 96);

    auto qt = CQtDC::WithImage(120, 80);
    node.Draw(qt.get(), &map, &draw);
    EXPECT_EQ(qt->GetPixel(5, 5), 0xFFFFFFu);      // outside: white
    EXPECT_EQ(qt->GetPixel(12, 22), 0x1E1EC8u);    // left half: red (COLORREF is 0x00BBGGRR)
    // Right half, picture row 41: blue 60 + 41, green 40, red 20.
    EXPECT_EQ(qt->GetPixel(100, 60), 0x652814u);
    if (const char* out = std::getenv("QN_PICTURE_PNG"))
        qt->Image()->save(out);
}

TEST_F(PictureNodeTest, StreamsCarryTheDibCheckedAndNeverThePaletteHandle)
{
    CDisplayMap map;
    CEditGraphic node;
    ASSERT_TRUE(node.LoadFile(Save(Picture(8, 4), "a.bmp", "BMP").c_str(), &map));
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        node.Serialize(ar);
        ar.Close();
    }
    std::vector<BYTE> bytes = file.Detach();
    // Path (one length byte), pixel size, palette field, file information, DIB size and DIB.
    const size_t pathLength = node.GetPath().size();
    ASSERT_LT(pathLength, 0xFFu);
    EXPECT_EQ(bytes[0], pathLength);
    size_t at = 1 + pathLength;
    int32_t values[4];
    std::memcpy(values, &bytes[at], 16);
    EXPECT_EQ(values[0], 8);
    EXPECT_EQ(values[1], 4);
    EXPECT_EQ(values[3], 6);  // the file information starts with the format code
    at += 12 + 1132;
    uint32_t dibSize = 0;
    std::memcpy(&dibSize, &bytes[at], 4);
    EXPECT_EQ(dibSize, DibBytes(node.GetDib()).size());

    // A palette field of any value is not taken as a handle.
    std::memset(&bytes[1 + pathLength + 8], 0x5A, 4);
    {
        CMemFile in(bytes);
        CArchive ar(&in, CArchive::load);
        CEditGraphic loaded;
        loaded.Serialize(ar);
        EXPECT_EQ(DibBytes(loaded.GetDib()), DibBytes(node.GetDib()));
        EXPECT_EQ(loaded.GetPixelWidth(), 8);
    }
    // Every truncation is refused with the node untouched.
    for (size_t length = 0; length < bytes.size(); length += length < at + 8 ? 1 : 7) {
        CMemFile in(std::span<const BYTE>(bytes.data(), length));
        CArchive ar(&in, CArchive::load);
        CEditGraphic loaded;
        EXPECT_THROW(loaded.Serialize(ar), CArchiveException) << length;
        EXPECT_EQ(loaded.GetDib(), nullptr);
    }
    // A DIB size beyond the bytes, and DIB bytes that contradict their header.
    std::vector<BYTE> tooLong = bytes;
    const uint32_t huge = 0xFFFFFFF0;
    std::memcpy(&tooLong[at], &huge, 4);
    std::vector<BYTE> badHeader = bytes;
    badHeader[at + 4 + 14] = 7;  // bit count
    for (const std::vector<BYTE>* bad : {&tooLong, &badHeader}) {
        CMemFile in(*bad);
        CArchive ar(&in, CArchive::load);
        CEditGraphic loaded;
        EXPECT_THROW(loaded.Serialize(ar), CArchiveException);
        EXPECT_EQ(loaded.GetDib(), nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Floating frames

TEST(FloatingFrameTest, RecordStreamsAsItsSizeAndTwoInts)
{
    CEditFloat frame;
    EXPECT_EQ(frame.GetKind(), EditKind::Code(EditKind::kFloat));
    EXPECT_EQ(frame.GetFloatSide(), 0);
    frame.m_frame.m_areaWidth = 0x01020304;
    frame.SetFloatSide(2);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        frame.Serialize(ar);
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    const std::vector<BYTE> head{0x08, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0x02, 0, 0, 0};
    ASSERT_GT(bytes.size(), head.size());
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.begin() + 12), head);

    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    CEditFloat loaded;
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.GetFloatSide(), 2);
    EXPECT_EQ(loaded.m_frame.m_areaWidth, 0x01020304);

    // A longer record is read no further than its two ints; a shorter one is refused.
    std::vector<BYTE> longer = bytes;
    longer[0] = 12;
    longer.insert(longer.begin() + 12, {9, 9, 9, 9});
    CMemFile inLonger(longer);
    CArchive arLonger(&inLonger, CArchive::load);
    CEditFloat fromLonger;
    fromLonger.Serialize(arLonger);
    EXPECT_EQ(fromLonger.GetFloatSide(), 2);
    std::vector<BYTE> shorter = bytes;
    shorter[0] = 4;
    CMemFile inShorter(shorter);
    CArchive arShorter(&inShorter, CArchive::load);
    CEditFloat fromShorter;
    EXPECT_THROW(fromShorter.Serialize(arShorter), CArchiveException);
    EXPECT_EQ(fromShorter.GetFloatSide(), 0);
}

TEST(FloatingFrameTest, SideComesFromAFloatElementOnly)
{
    CFoFloat element;
    element.m_floatReserved = 7;
    element.m_floatSide = 1;
    CEditFloat frame;
    frame.CopyStyleFromElement(&element);
    EXPECT_EQ(frame.GetFloatSide(), 1);
    EXPECT_EQ(frame.m_frame.m_areaWidth, 7);
    CQNXMLNode other(XEC_FO_FLOAT + 1);
    frame.CopyStyleFromElement(&other);
    EXPECT_EQ(frame.GetFloatSide(), 1);
    CFoFloat out;
    frame.SetFloatSide(2);
    frame.CopyStyleToElement(&out);
    EXPECT_EQ(out.m_floatSide, 2);
    EXPECT_EQ(out.m_floatReserved, 7);
}

TEST(FloatingFrameTest, HitTestAsksOnlyTheChildrenAndMovePrevLeavesForTheVisibleNodeBefore)
{
    CEditContainer root(EditKind::Code(EditKind::kSentence));
    auto* paragraph = new CEditContainer(EditKind::Code(EditKind::kSentence));
    root.AppendChild(paragraph);
    AddChar(paragraph, u'p');
    CEditCR* paragraphEnd = AddCR(paragraph);
    CEditChar* hidden = AddChar(&root, u'h');
    hidden->m_hidden = 1;
    auto* frame = new CEditFloat();
    root.AppendChild(frame);
    frame->m_rcLayout = Rect(0, 0, 1000, 1000);
    int after = 0;
    EXPECT_EQ(frame->HitTest(10, 10, &after), nullptr);

    CCaret caret;
    caret.m_caretNode = frame;
    EXPECT_EQ(frame->MovePrev(&caret, 0), paragraphEnd);
    EXPECT_EQ(caret.m_caretNode, paragraphEnd);
    CCaret none;
    EXPECT_EQ(frame->MovePrev(&none, 0), nullptr);
}
