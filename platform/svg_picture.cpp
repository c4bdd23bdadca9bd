#include "platform/svg_picture.h"

#include "platform/gdi_qt.h"

#include <QBuffer>
#include <QByteArray>
#include <QSvgGenerator>

std::vector<uint8_t> RecordSvgPicture(int width, int height, const std::function<void(CDC*)>& draw)
{
    if (width <= 0 || height <= 0 || !draw)
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setResolution(96);
    {
        std::unique_ptr<CQtDC> dc = CQtDC::ForPaintDevice(&generator, 96);
        draw(dc.get());
        dc->End();
    }
    buffer.close();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}
