#include "platform/gdi.h"
#include "platform/image_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's allocation hooks (its allocator_interface.h, which g++ does not ship).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The largest block malloc has handed out since it was last reset.
std::atomic<size_t> largestBlock{0};
void NoteBlock(const volatile void*, size_t size)
{
    size_t seen = largestBlock.load();
    while (size > seen && !largestBlock.compare_exchange_weak(seen, size)) {
    }
}
void NoteFree(const volatile void*) {}
#endif

void PutLittleEndian(std::vector<uint8_t>& bytes, size_t offset, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

// A BMP file of the given length whose header claims width × height pixels of bitCount bits,
// uncompressed, the pixels following the 62-byte header and colour table.
std::vector<uint8_t> ClaimingBmp(int32_t width, int32_t height, uint16_t bitCount, size_t length)
{
    std::vector<uint8_t> bytes(length, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, uint32_t(length), 4);
    PutLittleEndian(bytes, 10, 62, 4);
    PutLittleEndian(bytes, 14, 40, 4);
    PutLittleEndian(bytes, 18, uint32_t(width), 4);
    PutLittleEndian(bytes, 22, uint32_t(height), 4);
    PutLittleEndian(bytes, 26, 1, 2);
    PutLittleEndian(bytes, 28, bitCount, 2);
    PutLittleEndian(bytes, 46, bitCount <= 8 ? 2 : 0, 4);
    PutLittleEndian(bytes, 58, 0xFFFFFF, 4);  // the second colour white
    return bytes;
}

// A picture with more than 256 colours: red along x, green along y, blue from both.
QImage TrueColourPicture(int width = 96, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * 7 + y * 13) % 256));
    return image;
}

std::vector<uint8_t> FileBytes(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> DibBytes(HGLOBAL dib)
{
    const auto* data = static_cast<const uint8_t*>(GlobalLock(dib));
    std::vector<uint8_t> bytes(data, data + GlobalSize(dib));
    GlobalUnlock(dib);
    return bytes;
}

// The pixels of a packed DIB, top row first.
std::vector<uint32_t> DibPixels(const std::vector<uint8_t>& dib, int* width, int* height)
{
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const size_t header = DibHeaderAndColorTableSize(info, dib.size());
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(DecodeDib(info, dib.data() + header, dib.size() - header, width, height, &pixels));
    return pixels;
}

std::vector<uint32_t> ImagePixels(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return pixels;
}

int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t value = 0;
    std::memcpy(&value, &bytes[offset], 4);
    return value;
}

// A valid 2 × 2 bottom-up DIB of the bit count, with its colour table and rows.
std::vector<uint8_t> SmallDib(int bitCount)
{
    const int colours = bitCount <= 8 ? 1 << bitCount : 0;
    const size_t stride = ((2 * bitCount + 31) / 32) * 4;
    std::vector<uint8_t> dib(40 + colours * 4 + stride * 2, 0);
    const int32_t fields[] = {40, 2, 2};
    std::memcpy(&dib[0], fields, sizeof fields);
    dib[12] = 1;
    dib[14] = static_cast<uint8_t>(bitCount);
    return dib;
}

}  // namespace

TEST(ImageFiles, PngJpegAndBmpDecodeToBottomUpDibsOfTheirPixels)
{
    const QImage picture = TrueColourPicture();
    const struct {
        const char* format;
        int code;
    } rows[] = {{"PNG", ImageFormatCode::kPng}, {"JPEG", ImageFormatCode::kJpeg}, {"BMP", ImageFormatCode::kBmp}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        const std::vector<uint8_t> file = FileBytes(picture, row.format);
        IMAGE_FILE_FACTS facts;
        HGLOBAL dib = DecodeImageToDib(file, &facts);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(facts.formatCode, row.code);
        EXPECT_EQ(facts.bitsPerPixel, 24);
        const std::vector<uint8_t> bytes = DibBytes(dib);
        GlobalFree(dib);
        EXPECT_EQ(IntAt(bytes, 0), 40);
        EXPECT_EQ(IntAt(bytes, 4), 96);
        EXPECT_EQ(IntAt(bytes, 8), 48);  // positive: bottom-up
        EXPECT_EQ(bytes[14], 24);
        EXPECT_EQ(bytes.size(), 40u + 96 * 3 * 48);
        EXPECT_TRUE(IsValidPackedDib(bytes));
        int width = 0;
        int height = 0;
        const std::vector<uint32_t> pixels = DibPixels(bytes, &width, &height);
        EXPECT_EQ(width, 96);
        EXPECT_EQ(height, 48);
        // The same pixels the decoder gives (JPEG's are its own, not the source's).
        const QImage decoded = QImage::fromData(QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));
        EXPECT_EQ(pixels, ImagePixels(decoded));
    }
}

TEST(ImageFiles, PicturesOfAPaletteAndWithTransparencyKeepTheirDepth)
{
    QImage indexed = TrueColourPicture(8, 4).convertToFormat(QImage::Format_Indexed8);
    IMAGE_FILE_FACTS facts;
    HGLOBAL gif = DecodeImageToDib(FileBytes(indexed, "PNG"), &facts);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(facts.bitsPerPixel, 8);
    const std::vector<uint8_t> bytes = DibBytes(gif);
    GlobalFree(gif);
    EXPECT_EQ(bytes[14], 8);
    EXPECT_EQ(IntAt(bytes, 32), indexed.colorCount());

    QImage alpha(3, 2, QImage::Format_ARGB32);
    alpha.fill(qRgba(10, 20, 30, 128));
    HGLOBAL withAlpha = DecodeImageToDib(FileBytes(alpha, "PNG"), &facts);
    ASSERT_NE(withAlpha, nullptr);
    EXPECT_EQ(facts.bitsPerPixel, 32);
    GlobalFree(withAlpha);
}

TEST(ImageFiles, EncodedPicturesDecodeToTheSamePixels)
{
    const QImage picture = TrueColourPicture();
    HGLOBAL dib = DecodeImageToDib(FileBytes(picture, "PNG"), nullptr);
    ASSERT_NE(dib, nullptr);
    for (int code : {ImageFormatCode::kPng, ImageFormatCode::kBmp, ImageFormatCode::kTiff}) {
        SCOPED_TRACE(code);
        std::vector<uint8_t> file;
        ASSERT_TRUE(EncodeDibToImage(dib, code, 24, &file));
        const QImage again = QImage::fromData(QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));
        EXPECT_EQ(ImagePixels(again), ImagePixels(picture));
        EXPECT_NE(again.format(), QImage::Format_Indexed8);
    }
    // Eight bits per pixel makes a picture of a palette.
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeDibToImage(dib, ImageFormatCode::kPng, 8, &file));
    EXPECT_EQ(QImage::fromData(QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()))).format(),
              QImage::Format_Indexed8);
    // Formats without an encoder here, and a DIB that is no DIB, write nothing.
    EXPECT_FALSE(EncodeDibToImage(dib, ImageFormatCode::kGif, 8, &file));
    EXPECT_FALSE(EncodeDibToImage(dib, 15, 24, &file));
    GlobalFree(dib);
    HGLOBAL junk = GlobalAlloc(GHND, 10);
    EXPECT_FALSE(EncodeDibToImage(junk, ImageFormatCode::kPng, 24, &file));
    GlobalFree(junk);
}

TEST(ImageFiles, BytesThatAreNoPictureDecodeToNothing)
{
    IMAGE_FILE_FACTS facts;
    facts.formatCode = 99;
    const std::vector<uint8_t> text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    EXPECT_EQ(DecodeImageToDib(text, &facts), nullptr);
    EXPECT_EQ(DecodeImageToDib({}, &facts), nullptr);
    std::vector<uint8_t> truncated = FileBytes(TrueColourPicture(), "PNG");
    truncated.resize(40);
    EXPECT_EQ(DecodeImageToDib(truncated, &facts), nullptr);
    EXPECT_EQ(facts.formatCode, 99);
}

// A picture taller than a DIB may be would give a DIB that no document could read back: it is
// no picture here. The smallest GIF, one pixel wide and 0x8001 high, and the same 0x8000 high.
TEST(ImageFiles, PicturesBeyondTheDibLimitsDecodeToNothing)
{
    const auto gif = [](uint8_t heightHigh, uint8_t heightLow) {
        return std::vector<uint8_t>{0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, heightLow, heightHigh, 0x80, 0x00,
                                    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00,
                                    0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    };
    IMAGE_FILE_FACTS facts;
    facts.formatCode = 99;
    EXPECT_EQ(DecodeImageToDib(gif(0x80, 0x01), &facts), nullptr);
    EXPECT_EQ(facts.formatCode, 99);
    HGLOBAL tallest = DecodeImageToDib(gif(0x80, 0x00), &facts);
    ASSERT_NE(tallest, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(tallest));
    EXPECT_TRUE(IsValidPackedDib(std::span<const uint8_t>(bytes, GlobalSize(tallest))));
    GlobalUnlock(tallest);
    GlobalFree(tallest);
}

// A header claiming far more pixels than its file can hold is refused before anything of the
// claimed size is allocated; a file holding what it claims still decodes.
TEST(ImageFiles, AHeaderClaimingMorePixelsThanItsBytesHoldIsRefusedBeforeAllocating)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "allocations are watched through AddressSanitizer's hooks";
#else
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(NoteBlock, NoteFree) != 0;
    ASSERT_TRUE(hooked);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"one bit, 30000 x 30000 in 375 bytes", ClaimingBmp(30000, 30000, 1, 375)},
        {"true colour, 4000 x 3000 in 375 bytes", ClaimingBmp(4000, 3000, 24, 375)},
        {"top-down, one bit, 30000 x 30000", ClaimingBmp(30000, -30000, 1, 375)},
    };
    for (const Case& c : cases) {
        largestBlock = 0;
        EXPECT_EQ(DecodeImageToDib(c.bytes, nullptr), nullptr) << c.name;
        EXPECT_LT(largestBlock.load(), size_t(1) << 20) << c.name;
    }
    // 64 × 2 pixels of one bit: two rows of 8 bytes after the header.
    HGLOBAL whole = DecodeImageToDib(ClaimingBmp(64, 2, 1, 62 + 16), nullptr);
    ASSERT_NE(whole, nullptr);
    GlobalFree(whole);
    EXPECT_EQ(DecodeImageToDib(ClaimingBmp(64, 2, 1, 62 + 15), nullptr), nullptr);
#endif
}

TEST(ImageFiles, MalformedDibsAreRefused)
{
    EXPECT_TRUE(IsValidPackedDib(SmallDib(24)));
    EXPECT_TRUE(IsValidPackedDib(SmallDib(8)));
    EXPECT_TRUE(IsValidPackedDib(SmallDib(1)));

    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    {
        std::vector<uint8_t> dib = SmallDib(24);
        dib.resize(30);
        rows.push_back({"header cut short", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        dib.pop_back();
        rows.push_back({"last row cut short", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(8);
        dib.resize(40 + 100);
        rows.push_back({"colour table cut short", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        const int32_t height = 0x7FFFFFFF;
        std::memcpy(&dib[8], &height, 4);
        rows.push_back({"more rows than bytes", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        const int32_t width = 0;
        std::memcpy(&dib[4], &width, 4);
        rows.push_back({"no width", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        dib[14] = 7;
        rows.push_back({"odd bit count", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        const uint32_t used = 0x40000000;
        std::memcpy(&dib[32], &used, 4);
        rows.push_back({"colour count beyond the block", dib});
    }
    {
        std::vector<uint8_t> dib = SmallDib(24);
        const uint32_t size = 0x7FFFFFF0;
        std::memcpy(&dib[0], &size, 4);
        rows.push_back({"header size beyond the block", dib});
    }
    for (const Row& row : rows)
        EXPECT_FALSE(IsValidPackedDib(row.bytes)) << row.name << " " << row.bytes.size();
}

TEST(ImageFiles, WholeFilesAreReadAndReplacedSafely)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("picture.bin").toStdString();
    const std::vector<uint8_t> first{1, 2, 3};
    const std::vector<uint8_t> second{4, 5};
    ASSERT_TRUE(WriteWholeFileReplacing(path.c_str(), first));
    ASSERT_TRUE(WriteWholeFileReplacing(path.c_str(), second));
    std::vector<uint8_t> read;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), &read));
    EXPECT_EQ(read, second);
    EXPECT_FALSE(ReadWholeFile(path.c_str(), &read, 1));
    EXPECT_FALSE(ReadWholeFile((path + ".missing").c_str(), &read));
    EXPECT_FALSE(WriteWholeFileReplacing(dir.filePath("no/such/folder/file").toStdString().c_str(), first));
    EXPECT_FALSE(WriteWholeFileReplacing("", first));
}
