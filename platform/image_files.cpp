#include "platform/image_files.h"

#include "platform/gdi.h"
#include "platform/packed_dib.h"
#include "platform/safe_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSize>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

struct FORMAT_NAME {
    const char* qtName;
    int code;
};

// Qt's names of the formats read, with their codes; the first entry of a code also names its
// encoder.
constexpr FORMAT_NAME kFormats[] = {
    {"bmp", ImageFormatCode::kBmp},   {"gif", ImageFormatCode::kGif},   {"jpeg", ImageFormatCode::kJpeg},
    {"jpg", ImageFormatCode::kJpeg},  {"png", ImageFormatCode::kPng},   {"ico", ImageFormatCode::kIcon},
    {"cur", ImageFormatCode::kCursor}, {"tiff", ImageFormatCode::kTiff}, {"tif", ImageFormatCode::kTiff},
};

int CodeOfQtFormat(const QByteArray& name)
{
    for (const FORMAT_NAME& format : kFormats) {
        if (name == format.qtName)
            return format.code;
    }
    return ImageFormatCode::kUnknown;
}

// The encoder of a format code; null for codes that have none here.
const char* EncoderOf(int code)
{
    switch (code) {
    case 6: case 14: case 74: case 84: return "bmp";
    case 10: case 11: case 21: case 22: case 23: case 24: case 98: case 101: return "jpeg";
    case 75: return "png";
    case 3: case 17: case 85: case 86: case 87: case 88: case 93: case 94: case 95: case 96: case 97: case 138:
        return "tiff";
    case 91: return "ico";
    default: return nullptr;
    }
}

void PutWord(uint8_t* at, uint16_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void PutDword(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

size_t RowStride(int64_t width, int bitCount)
{
    return size_t(((width * bitCount + 31) / 32) * 4);
}

// A bottom-up packed DIB of the image: 8 bits with its colour table, 32 with alpha, else 24.
std::vector<uint8_t> DibBytesOf(const QImage& source, int* bitsPerPixel)
{
    QImage image;
    int bitCount = 24;
    if (source.format() == QImage::Format_Indexed8 || source.format() == QImage::Format_Mono ||
        source.format() == QImage::Format_MonoLSB) {
        image = source.convertToFormat(QImage::Format_Indexed8);
        bitCount = 8;
    } else if (source.hasAlphaChannel()) {
        image = source.convertToFormat(QImage::Format_ARGB32);
        bitCount = 32;
    } else {
        image = source.convertToFormat(QImage::Format_RGB32);
    }
    const int width = image.width();
    const int height = image.height();
    const QList<QRgb> table = bitCount == 8 ? image.colorTable() : QList<QRgb>();
    const size_t stride = RowStride(width, bitCount);
    const size_t header = 40 + size_t(table.size()) * 4;
    std::vector<uint8_t> dib(header + stride * size_t(height), 0);
    PutDword(&dib[0], 40);
    PutDword(&dib[4], uint32_t(width));
    PutDword(&dib[8], uint32_t(height));  // positive: bottom-up
    PutWord(&dib[12], 1);
    PutWord(&dib[14], uint16_t(bitCount));
    PutDword(&dib[20], uint32_t(stride * size_t(height)));
    PutDword(&dib[24], 3780);  // 96 dots per inch
    PutDword(&dib[28], 3780);
    PutDword(&dib[32], uint32_t(table.size()));
    for (qsizetype i = 0; i < table.size(); ++i) {
        uint8_t* entry = &dib[40 + size_t(i) * 4];
        entry[0] = uint8_t(qBlue(table[i]));
        entry[1] = uint8_t(qGreen(table[i]));
        entry[2] = uint8_t(qRed(table[i]));
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &dib[header + stride * size_t(height - 1 - y)];
        const uchar* line = image.constScanLine(y);
        if (bitCount == 8) {
            std::memcpy(row, line, size_t(width));
            continue;
        }
        const auto* pixels = reinterpret_cast<const QRgb*>(line);
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = pixels[x];
            uint8_t* out = row + size_t(x) * (bitCount / 8);
            out[0] = uint8_t(qBlue(pixel));
            out[1] = uint8_t(qGreen(pixel));
            out[2] = uint8_t(qRed(pixel));
            if (bitCount == 32)
                out[3] = uint8_t(qAlpha(pixel));
        }
    }
    *bitsPerPixel = bitCount;
    return dib;
}

HGLOBAL ToGlobal(const std::vector<uint8_t>& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block == nullptr)
        return nullptr;
    void* data = GlobalLock(block);
    if (data == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// The DIB in a block as an image; null image when it is not valid.
QImage ImageOfDib(HGLOBAL dib)
{
    const size_t size = GlobalSize(dib);
    const auto* data = static_cast<const uint8_t*>(GlobalLock(dib));
    if (data == nullptr)
        return QImage();
    QImage image;
    if (IsValidPackedDib(std::span<const uint8_t>(data, size))) {
        const auto* info = reinterpret_cast<const BITMAPINFO*>(data);
        const size_t header = DibHeaderAndColorTableSize(info, size);
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
        if (DecodeDib(info, data + header, size - header, &width, &height, &pixels)) {
            image = QImage(width, height, QImage::Format_RGB32);
            for (int y = 0; y < height; ++y)
                std::memcpy(image.scanLine(y), &pixels[size_t(y) * size_t(width)], size_t(width) * 4);
        }
    }
    GlobalUnlock(dib);
    return image;
}

uint32_t LittleEndianAt(std::span<const uint8_t> bytes, size_t offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes[offset + size_t(i)];
    return value;
}

// The strongest compression a picture file here may use: deflate gives at most 1032 bytes for
// one, and at one bit a pixel a byte holds eight pixels.
constexpr uint64_t kMostPixelsPerFileByte = 1032 * 8;

// Whether the bytes of a file can hold the pixels its header claims, checked before anything of
// that size is allocated. An uncompressed BMP must hold every row it declares; any other file no
// more pixels than the strongest compression gives, and no more than a DIB within the limit.
bool ClaimFitsBytes(const QByteArray& format, QSize claimed, std::span<const uint8_t> bytes)
{
    if (!claimed.isValid())
        return true;  // the header gives no size before decoding; the decoder's own limits apply
    const uint64_t pixels = uint64_t(claimed.width()) * uint64_t(claimed.height());
    if (pixels > kMaxPictureBytes || pixels > uint64_t(bytes.size()) * kMostPixelsPerFileByte)
        return false;
    if (format != "bmp" || bytes.size() < 30)
        return true;
    const uint32_t pixelOffset = LittleEndianAt(bytes, 10, 4);
    const uint32_t headerSize = LittleEndianAt(bytes, 14, 4);
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        bitCount = LittleEndianAt(bytes, 24, 2);
    } else if (bytes.size() >= 34) {
        bitCount = LittleEndianAt(bytes, 28, 2);
        compression = LittleEndianAt(bytes, 30, 4);
    }
    // Run-length (1, 2) and embedded JPEG or PNG (4, 5) files are bounded by the ratio above.
    if (compression != 0 && compression != 3 && compression != 6)
        return true;
    const uint64_t rowBytes = (uint64_t(claimed.width()) * bitCount + 31) / 32 * 4;
    const uint64_t available = pixelOffset < bytes.size() ? bytes.size() - pixelOffset : 0;
    return rowBytes * uint64_t(claimed.height()) <= available;
}

// Opening never blocks (a FIFO would wait for a writer for ever); only a regular file is read.
bool ReadRegularFile(const char* path, std::vector<uint8_t>* bytes, size_t limit, bool followLinks)
{
    if (path == nullptr || bytes == nullptr)
        return false;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 && uint64_t(info.st_size) <= limit;
    std::vector<uint8_t> data;
    if (ok)
        data.resize(size_t(info.st_size));
    size_t done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += size_t(n);
    }
    ::close(fd);
    if (ok)
        *bytes = std::move(data);
    return ok;
}

}  // namespace

bool HasImageEncoder(int formatCode)
{
    return EncoderOf(formatCode) != nullptr;
}

bool IsValidPackedDib(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > kMaxPictureBytes)
        return false;
    DibLayout layout;
    if (!ReadDibLayout(bytes.data(), bytes.size(), &layout) || layout.width <= 0 || layout.height <= 0)
        return false;
    // Every row the header declares must be there.
    const size_t pixelBytes = bytes.size() - layout.TableEnd();
    return layout.stride > 0 && uint64_t(layout.height) <= pixelBytes / layout.stride;
}

HGLOBAL DecodeImageToDib(std::span<const uint8_t> bytes, IMAGE_FILE_FACTS* facts)
{
    if (bytes.empty() || bytes.size() > kMaxPictureBytes)
        return nullptr;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return nullptr;
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (!ClaimFitsBytes(format, reader.size(), bytes))
        return nullptr;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return nullptr;
    int bitsPerPixel = 0;
    const std::vector<uint8_t> dib = DibBytesOf(image, &bitsPerPixel);
    // A picture past the DIB limits would be stored in a form no document could read back.
    if (!IsValidPackedDib(dib))
        return nullptr;
    HGLOBAL block = ToGlobal(dib);
    if (block != nullptr && facts != nullptr) {
        facts->formatCode = CodeOfQtFormat(format);
        facts->bitsPerPixel = bitsPerPixel;
    }
    return block;
}

bool EncodeDibToImage(HGLOBAL dib, int formatCode, int bitsPerPixel, std::vector<uint8_t>* file)
{
    const char* encoder = EncoderOf(formatCode);
    if (encoder == nullptr || file == nullptr)
        return false;
    QImage image = ImageOfDib(dib);
    if (image.isNull())
        return false;
    if (bitsPerPixel > 0 && bitsPerPixel <= 8)
        image = image.convertToFormat(QImage::Format_Indexed8);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&buffer, encoder);
    // The stored quality factor asks for nearly lossless compression.
    if (std::strcmp(encoder, "jpeg") == 0)
        writer.setQuality(95);
    if (!writer.write(image))
        return false;
    file->assign(encoded.begin(), encoded.end());
    return true;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes, size_t limit)
{
    return ReadRegularFile(path, bytes, limit, true);
}

bool ReadWholeFileNotFollowingLinks(const char* path, std::vector<uint8_t>* bytes, size_t limit)
{
    return ReadRegularFile(path, bytes, limit, false);
}

bool WriteWholeFileReplacing(const char* path, std::span<const uint8_t> bytes)
{
    if (path == nullptr || *path == '\0')
        return false;
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return !ReplaceFileSafely(path, content);
}
