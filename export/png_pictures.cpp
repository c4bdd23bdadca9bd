#include "export/png_pictures.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr char kObjectMagic[] = "QNOBJ";
// Larger side files are not taken for objects: no object picture needs more.
constexpr std::uintmax_t kMaxObjectSideFile = std::uintmax_t(64) << 20;
// Sides of pictures beyond this many pixels are refused.
constexpr int kMaxPictureSide = 8192;
constexpr int kPictureDpi = 96;

// Saves the picture with a palette of at most 256 colours. A palette of greys alone would be
// written as a grey-scale PNG, so its last colour is tinted by one step of blue, which no eye sees.
bool SaveIndexedPng(const QImage& picture, const std::string& path)
{
    QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (indexed.isNull())
        return false;
    if (indexed.isGrayscale()) {
        if (indexed.colorCount() < 256) {
            indexed.setColorCount(indexed.colorCount() + 1);
            indexed.setColor(indexed.colorCount() - 1, qRgb(255, 0, 0));
        } else {
            const QRgb last = indexed.color(255);
            indexed.setColor(255, qRgb(qRed(last), qGreen(last), qBlue(last) ^ 1));
        }
    }
    return indexed.save(QString::fromStdString(path), "PNG");
}

}  // namespace

OBJECT_SIDE_FILE_STATE ReadObjectSideFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return OBJECT_SIDE_FILE_STATE::Unopenable;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxObjectSideFile)
        return OBJECT_SIDE_FILE_STATE::Unreadable;
    char magic[sizeof kObjectMagic - 1] = {};
    in.seekg(0);
    if (!in.read(magic, sizeof magic) || std::memcmp(magic, kObjectMagic, sizeof magic) != 0)
        return OBJECT_SIDE_FILE_STATE::Unreadable;
    return OBJECT_SIDE_FILE_STATE::Readable;
}

bool WriteBitmapPng(const std::string& path, HBITMAP bitmap)
{
    BITMAP facts{};
    std::vector<uint32_t> pixels;
    if (!GetObject(bitmap, &facts) || !GetBitmapPixels(bitmap, &pixels))
        return false;
    const int width = facts.bmWidth;
    const int height = facts.bmHeight;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), pixels.data() + static_cast<size_t>(y) * width, sizeof(uint32_t) * width);
    return SaveIndexedPng(picture, path);
}

bool WriteObjectFramePng(const std::string& path, SIZE size)
{
    const int width = MulDiv(size.cx, kPictureDpi, 2540);
    const int height = MulDiv(size.cy, kPictureDpi, 2540);
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(Qt::black));
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.end();
    return SaveIndexedPng(picture, path);
}
