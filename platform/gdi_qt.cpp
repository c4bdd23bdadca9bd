#include "platform/gdi_qt.h"

#include "platform/gdi_internal.h"
#include "platform/gdi_qt_text.h"
#include "platform/packed_dib.h"

#include <QBrush>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPicture>
#include <QPolygon>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

void RegisterFontRelease()
{
    static bool registered = false;
    if (!registered && QCoreApplication::instance() != nullptr) {
        registered = true;
        qAddPostRoutine(qttext::ReleaseFonts);
    }
}

// Device coordinates stay within ±2^28, so that widths and heights of shapes are ints; the
// painter draws nothing of use farther out.
int OnDevice(LONG v) { return std::clamp<LONG>(v, -(1 << 28), 1 << 28); }

RECT OnDevice(RECT r) { return RECT{OnDevice(r.left), OnDevice(r.top), OnDevice(r.right), OnDevice(r.bottom)}; }

QRect DeviceRect(RECT r)
{
    r = OnDevice(r);
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top));
}

// The composition that carries out a binary raster operation; false for one that draws nothing.
bool CompositionOfRop2(int rop, QPainter::CompositionMode* mode)
{
    switch (rop) {
    case R2_NOP: return false;
    case R2_NOT: *mode = QPainter::RasterOp_NotDestination; break;
    case R2_XORPEN: *mode = QPainter::RasterOp_SourceXorDestination; break;
    case R2_NOTXORPEN: *mode = QPainter::RasterOp_NotSourceXorDestination; break;
    case R2_NOTCOPYPEN: *mode = QPainter::RasterOp_NotSource; break;
    case R2_MASKPEN: *mode = QPainter::RasterOp_SourceAndDestination; break;
    case R2_MERGEPEN: *mode = QPainter::RasterOp_SourceOrDestination; break;
    case R2_NOTMASKPEN: *mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case R2_NOTMERGEPEN: *mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case R2_MASKNOTPEN: *mode = QPainter::RasterOp_NotSourceAndDestination; break;
    case R2_MASKPENNOT: *mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case R2_MERGENOTPEN: *mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case R2_MERGEPENNOT: *mode = QPainter::RasterOp_SourceOrNotDestination; break;
    default: *mode = QPainter::CompositionMode_SourceOver; break;
    }
    return true;
}

// The composition of a raster operation with a source bitmap; false for the ones without one.
bool CompositionOfSourceRop(DWORD rop, QPainter::CompositionMode* mode)
{
    switch (rop) {
    case SRCCOPY: *mode = QPainter::CompositionMode_Source; return true;
    case SRCINVERT: *mode = QPainter::RasterOp_SourceXorDestination; return true;
    case SRCAND: *mode = QPainter::RasterOp_SourceAndDestination; return true;
    case SRCPAINT: *mode = QPainter::RasterOp_SourceOrDestination; return true;
    case NOTSRCCOPY: *mode = QPainter::RasterOp_NotSource; return true;
    default: return false;
    }
}

bool IsRasterOp(QPainter::CompositionMode mode)
{
    return mode >= QPainter::RasterOp_SourceOrDestination;
}

// Dash patterns of the thin styled pens, in pixels.
QList<qreal> DashPattern(int style)
{
    switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// A length in device pixels as logical units, bounded so that the sum of a few stays an int
// whatever the font size and the mapping.
LONG ToLogical(double pixels, double scale)
{
    constexpr double kLimit = double(1 << 28);
    return static_cast<LONG>(std::lround(std::clamp(pixels / scale, -kLimit, kLimit)));
}

} // namespace

struct CQtDC::Impl {
    QPainter painter;
    QPaintDevice* device = nullptr;
    QImage* image = nullptr;
    std::unique_ptr<QImage> ownedImage;
    std::shared_ptr<BitmapStorage> storage;
    std::unique_ptr<QImage> storageImage;
    QPrinter* printer = nullptr;
    QSize reportedSize;  // the screen's size, for the screen's measuring context
    // The clip rectangle Begin last gave the painter, while nothing has narrowed it since.
    std::optional<QRect> appliedClip;

    bool Raster() const { return image != nullptr; }
};

CQtDC::CQtDC(DeviceKind kind, int dpiX, int dpiY)
    : CDC(kind), m_impl(std::make_unique<Impl>()), m_dpiX(dpiX), m_dpiY(dpiY)
{
    RegisterFontRelease();
}

CQtDC::~CQtDC() { End(); }

std::unique_ptr<CQtDC> CQtDC::ForImage(QImage* image, int dpiX, int dpiY)
{
    std::unique_ptr<CQtDC> dc(new CQtDC(DeviceKind::Screen, dpiX, dpiY));
    if (image != nullptr && !image->isNull() && dc->m_impl->painter.begin(image)) {
        dc->m_impl->device = image;
        dc->m_impl->image = image;
    }
    return dc;
}

std::unique_ptr<CQtDC> CQtDC::ForPreviewPage(QImage* image, int dpiX, int dpiY)
{
    std::unique_ptr<CQtDC> dc(new CQtDC(DeviceKind::Printer, dpiX, dpiY));
    if (image != nullptr && !image->isNull() && dc->m_impl->painter.begin(image)) {
        dc->m_impl->device = image;
        dc->m_impl->image = image;
    }
    return dc;
}

std::unique_ptr<CQtDC> CQtDC::WithImage(int width, int height, int dpiX, int dpiY)
{
    auto image = std::make_unique<QImage>(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image->fill(Qt::white);
    std::unique_ptr<CQtDC> dc = ForImage(image.get(), dpiX, dpiY);
    dc->m_impl->ownedImage = std::move(image);
    return dc;
}

std::unique_ptr<CQtDC> CQtDC::ForPrinter(QPrinter* printer)
{
    const int dpi = printer != nullptr ? printer->resolution() : 96;
    std::unique_ptr<CQtDC> dc(new CQtDC(DeviceKind::Printer, dpi, dpi));
    if (printer != nullptr && dc->m_impl->painter.begin(printer)) {
        dc->m_impl->device = printer;
        dc->m_impl->printer = printer;
    }
    return dc;
}

std::unique_ptr<CQtDC> CQtDC::ForPicture(QPicture* picture, int dpi)
{
    std::unique_ptr<CQtDC> dc(new CQtDC(DeviceKind::Metafile, dpi, dpi));
    if (picture != nullptr && dc->m_impl->painter.begin(picture))
        dc->m_impl->device = picture;
    return dc;
}

std::unique_ptr<CQtDC> CQtDC::ForPaintDevice(QPaintDevice* device, int dpi)
{
    std::unique_ptr<CQtDC> dc(new CQtDC(DeviceKind::Metafile, dpi, dpi));
    if (device != nullptr && dc->m_impl->painter.begin(device))
        dc->m_impl->device = device;
    return dc;
}

std::unique_ptr<CDC> CreateQtScreenDC()
{
    std::unique_ptr<CQtDC> dc = CQtDC::WithImage(1, 1);
    QSize size(1024, 768);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = screen->size();
    dc->m_impl->reportedSize = size;
    return dc;
}

QImage* CQtDC::Image() const { return m_impl->image; }

bool CQtDC::IsActive() const { return m_impl->painter.isActive(); }

bool CQtDC::NewPage() { return m_impl->printer != nullptr && m_impl->printer->newPage(); }

void CQtDC::End()
{
    if (m_impl->painter.isActive())
        m_impl->painter.end();
    m_impl->device = nullptr;
    m_impl->image = nullptr;
}

std::unique_ptr<CDC> CQtDC::CreateCompatibleDC()
{
    return std::unique_ptr<CDC>(new CQtDC(DeviceKind::Memory, m_dpiX, m_dpiY));
}

void CQtDC::BitmapSelected(HBITMAP)
{
    if (GetDeviceKind() != DeviceKind::Memory)
        return;
    End();
    m_impl->storageImage.reset();
    m_impl->storage.reset();
    const HBITMAP bitmap = GetCurrentBitmap();
    // The stock bitmap of a fresh memory context takes no drawing.
    if (bitmap == GetDefaultBitmap())
        return;
    m_impl->storage = GetBitmapStorage(bitmap);
    if (!m_impl->storage)
        return;
    BitmapStorage& s = *m_impl->storage;
    m_impl->storageImage = std::make_unique<QImage>(reinterpret_cast<uchar*>(s.pixels.data()), s.width, s.height,
                                                    s.width * 4, QImage::Format_RGB32);
    if (m_impl->painter.begin(m_impl->storageImage.get())) {
        m_impl->device = m_impl->storageImage.get();
        m_impl->image = m_impl->storageImage.get();
    }
}

SIZE CQtDC::DeviceSize() const
{
    if (m_impl->reportedSize.isValid())
        return SIZE{m_impl->reportedSize.width(), m_impl->reportedSize.height()};
    if (m_impl->device == nullptr)
        return SIZE{0, 0};
    return SIZE{m_impl->device->width(), m_impl->device->height()};
}

QPainter* CQtDC::Begin(bool shape)
{
    QPainter& painter = m_impl->painter;
    if (m_impl->device == nullptr || !painter.isActive())
        return nullptr;
    // Only what differs is set: a PDF or a picture writes each change of state it is given.
    if (painter.worldTransform().type() != QTransform::TxNone)
        painter.resetTransform();
    if (painter.testRenderHint(QPainter::Antialiasing))
        painter.setRenderHint(QPainter::Antialiasing, false);
    if (painter.brushOrigin() != QPoint(0, 0))
        painter.setBrushOrigin(0, 0);
    if (HasClip()) {
        const QRect clip = DeviceRect(ClipRect());
        if (m_impl->appliedClip != clip || !painter.hasClipping()) {
            painter.setClipRect(clip);
            m_impl->appliedClip = clip;
        }
    } else {
        painter.setClipping(false);
        m_impl->appliedClip.reset();
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (shape && !CompositionOfRop2(GetROP2(), &mode))
        return nullptr;
    if (IsRasterOp(mode) && !m_impl->Raster()) {
        // Printers and metafiles have no raster operations: inversion draws nothing there.
        if (GetROP2() == R2_NOT)
            return nullptr;
        mode = QPainter::CompositionMode_SourceOver;
    }
    painter.setCompositionMode(mode);
    return &painter;
}

namespace {

struct ShapeTools {
    QPen pen;
    QBrush brush;
};

QBrush MakeBrush(const CDC& dc, UINT style, COLORREF color, const BYTE pattern[8], bool monochrome,
                 const std::vector<uint32_t>& colours)
{
    switch (style) {
    case BS_SOLID: return QBrush(ToQColor(color));
    case BS_PATTERN: {
        QImage tile(8, 8, QImage::Format_RGB32);
        const QRgb fore = ToQColor(dc.GetTextColor()).rgb();
        const QRgb back = ToQColor(dc.GetBkColor()).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                if (monochrome || colours.size() < 64)
                    tile.setPixel(x, y, (pattern[y] & (0x80 >> x)) ? back : fore);
                else
                    tile.setPixel(x, y, 0xFF000000 | colours[size_t(y * 8 + x)]);
            }
        return QBrush(tile);
    }
    default: return QBrush(Qt::NoBrush);
    }
}

} // namespace

// --- shapes

namespace {

QPoint ToDevice(const CDC& dc, POINT p)
{
    dc.LPtoDP(&p);
    return QPoint(OnDevice(p.x), OnDevice(p.y));
}

QPolygon ToDevice(const CDC& dc, const std::vector<POINT>& points)
{
    QPolygon polygon;
    for (POINT p : points)
        polygon << ToDevice(dc, p);
    return polygon;
}

RECT ToDeviceRect(const CDC& dc, RECT r)
{
    dc.LPtoDP(&r);
    r = OnDevice(r);
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

// The box of a shape drawn as the system draws it: right and bottom edges excluded.
QRect ShapeBox(const RECT& r) { return QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1); }

} // namespace

QPainter* CQtDC::BeginShape()
{
    QPainter* p = Begin(true);
    if (p == nullptr)
        return nullptr;
    const PenInfo penInfo = CurrentPenInfo();
    const BrushInfo brushInfo = CurrentBrushInfo();
    QPen pen(Qt::NoPen);
    QBrush brush = MakeBrush(*this, brushInfo.style, brushInfo.color, brushInfo.pattern, brushInfo.monochrome,
                             brushInfo.colours);
    if (penInfo.style != PS_NULL) {
        // Width 0 is one pixel whatever the mapping; wider pens are in logical units.
        const int w = penInfo.width == 0 ? 1 : std::max(1, int(std::lround(penInfo.width * std::abs(ScaleX()))));
        pen = QPen(ToQColor(penInfo.color), w);
        pen.setCapStyle(w > 1 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(w > 1 ? Qt::RoundJoin : Qt::MiterJoin);
        if (w == 1 && !DashPattern(penInfo.style).isEmpty())
            pen.setDashPattern(DashPattern(penInfo.style));
    }
    if (GetROP2() == R2_BLACK || GetROP2() == R2_WHITE) {
        const QColor forced = GetROP2() == R2_BLACK ? Qt::black : Qt::white;
        if (pen.style() != Qt::NoPen)
            pen.setColor(forced);
        if (brush.style() != Qt::NoBrush)
            brush = QBrush(forced);
    }
    p->setPen(pen);
    p->setBrush(brush);
    return p;
}

bool CQtDC::DrawLine(POINT from, POINT to)
{
    QPainter* p = BeginShape();
    if (p == nullptr)
        return false;
    p->drawLine(ToDevice(*this, from), ToDevice(*this, to));
    return true;
}

bool CQtDC::DrawPolyline(const std::vector<POINT>& points)
{
    QPainter* p = BeginShape();
    if (p == nullptr)
        return false;
    p->drawPolyline(ToDevice(*this, points));
    return true;
}

bool CQtDC::DrawBeziers(const std::vector<POINT>& points)
{
    QPainter* p = BeginShape();
    if (p == nullptr)
        return false;
    const QPolygon d = ToDevice(*this, points);
    QPainterPath path(d[0]);
    for (int i = 1; i + 2 < d.size(); i += 3)
        path.cubicTo(d[i], d[i + 1], d[i + 2]);
    p->setBrush(Qt::NoBrush);
    p->drawPath(path);
    return true;
}

bool CQtDC::DrawPolygon(const std::vector<POINT>& points)
{
    QPainter* p = BeginShape();
    if (p == nullptr)
        return false;
    p->drawPolygon(ToDevice(*this, points), GetPolyFillMode() == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return true;
}

namespace {

// A shape drawn in its box (logical coordinates) by `draw`; an empty box draws nothing.
template <typename Draw>
bool DrawInBox(QPainter* p, const CDC& dc, const RECT& r, Draw draw)
{
    if (p == nullptr)
        return false;
    const RECT d = ToDeviceRect(dc, r);
    if (d.right - d.left >= 1 && d.bottom - d.top >= 1)
        draw(*p, ShapeBox(d));
    return true;
}

} // namespace

bool CQtDC::DrawRectangle(const RECT& r)
{
    return DrawInBox(BeginShape(), *this, r, [](QPainter& p, const QRect& box) { p.drawRect(box); });
}

bool CQtDC::DrawEllipse(const RECT& r)
{
    return DrawInBox(BeginShape(), *this, r, [](QPainter& p, const QRect& box) { p.drawEllipse(box); });
}

bool CQtDC::DrawArc(const RECT& box, POINT start, POINT end)
{
    QPainter* p = BeginShape();
    if (p == nullptr)
        return false;
    const RECT d = ToDeviceRect(*this, box);
    const QRectF rect = ShapeBox(d);
    if (rect.width() <= 0 || rect.height() <= 0)
        return true;
    const QPointF centre = rect.center();
    const double a = rect.width() / 2;
    const double b = rect.height() / 2;
    // The angle of the point where the ray through a point meets the ellipse, as Qt counts it.
    auto angleOf = [&](POINT point) {
        const QPoint q = ToDevice(*this, point);
        const double dx = q.x() - centre.x();
        const double dy = q.y() - centre.y();
        return Degrees(std::atan2(-dy * a, dx * b));
    };
    const double from = angleOf(start);
    const double to = angleOf(end);
    double span = std::fmod(to - from + 720.0, 360.0);
    if (span <= 1e-9)
        span = 360.0;
    // A mapping that mirrors one axis turns counter-clockwise into clockwise on the device.
    if (ScaleX() * ScaleY() < 0)
        span = span - 360.0;
    QPainterPath path;
    path.arcMoveTo(rect, from);
    path.arcTo(rect, from, span);
    p->setBrush(Qt::NoBrush);
    p->drawPath(path);
    return true;
}

bool CQtDC::DoFillRect(const RECT& r, const BrushInfo& brush)
{
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    p->fillRect(DeviceRect(ToDeviceRect(*this, r)),
                MakeBrush(*this, brush.style, brush.color, brush.pattern, brush.monochrome, brush.colours));
    return true;
}

bool CQtDC::DoFrameRect(const RECT& r, const BrushInfo& brush)
{
    // The frame is one logical unit wide and takes the raster operation, so that an exclusive-or
    // frame drawn twice disappears.
    QPainter* p = Begin(true);
    if (p == nullptr)
        return false;
    const QBrush fill = MakeBrush(*this, brush.style, brush.color, brush.pattern, brush.monochrome, brush.colours);
    const QRect d = DeviceRect(ToDeviceRect(*this, r));
    if (d.isEmpty())
        return true;
    const int wx = std::min(d.width(), std::max(1, int(std::lround(std::abs(ScaleX())))));
    const int wy = std::min(d.height(), std::max(1, int(std::lround(std::abs(ScaleY())))));
    p->fillRect(QRect(d.left(), d.top(), d.width(), wy), fill);
    if (d.height() > wy)
        p->fillRect(QRect(d.left(), d.bottom() - wy + 1, d.width(), wy), fill);
    if (d.height() > 2 * wy) {
        p->fillRect(QRect(d.left(), d.top() + wy, wx, d.height() - 2 * wy), fill);
        if (d.width() > wx)
            p->fillRect(QRect(d.right() - wx + 1, d.top() + wy, wx, d.height() - 2 * wy), fill);
    }
    return true;
}

bool CQtDC::DoInvertRect(const RECT& r)
{
    QPainter* p = Begin(false);
    if (p == nullptr || !m_impl->Raster())
        return false;
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(DeviceRect(ToDeviceRect(*this, r)), Qt::black);
    return true;
}

bool CQtDC::DoFillSolidRect(const RECT& r, COLORREF color)
{
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    p->fillRect(DeviceRect(ToDeviceRect(*this, r)), ToQColor(color));
    return true;
}

bool CQtDC::DoPatBlt(const RECT& r, DWORD rop)
{
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    const QRect d = DeviceRect(ToDeviceRect(*this, r));
    const BrushInfo info = CurrentBrushInfo();
    const QBrush brush = MakeBrush(*this, info.style, info.color, info.pattern, info.monochrome, info.colours);
    switch (rop) {
    case BLACKNESS: p->fillRect(d, Qt::black); return true;
    case WHITENESS: p->fillRect(d, Qt::white); return true;
    case DSTINVERT:
        if (!m_impl->Raster())
            return false;
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(d, Qt::black);
        return true;
    case PATINVERT:
        if (m_impl->Raster())
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p->fillRect(d, brush);
        return true;
    default: p->fillRect(d, brush); return true;
    }
}

bool CQtDC::DoBitBlt(const RECT& destination, CDC* source, const RECT& sourceRect, DWORD rop, bool stretch)
{
    QPainter::CompositionMode mode;
    if (!CompositionOfSourceRop(rop, &mode))
        return DoPatBlt(destination, rop);
    auto* qtSource = dynamic_cast<CQtDC*>(source);
    if (qtSource == nullptr || qtSource->Image() == nullptr)
        return false;
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    if (IsRasterOp(mode) && !m_impl->Raster())
        mode = QPainter::CompositionMode_SourceOver;
    p->setCompositionMode(mode);
    const QRect d = DeviceRect(ToDeviceRect(*this, destination));
    QRect s = DeviceRect(ToDeviceRect(*source, sourceRect));
    if (!stretch)
        s.setSize(d.size());
    p->drawImage(d, *qtSource->Image(), s);
    return true;
}

bool CQtDC::DoSetPixel(int x, int y, COLORREF color)
{
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    const QPoint d = ToDevice(*this, POINT{x, y});
    p->fillRect(QRect(d, QSize(1, 1)), ToQColor(color));
    return true;
}

COLORREF CQtDC::GetPixel(int x, int y) const
{
    const QImage* image = m_impl->image;
    if (image == nullptr)
        return 0xFFFFFFFF;
    const QPoint d = ToDevice(*this, POINT{x, y});
    if (!image->rect().contains(d))
        return 0xFFFFFFFF;
    const QRgb c = image->pixel(d);
    return RGB(BYTE(qRed(c)), BYTE(qGreen(c)), BYTE(qBlue(c)));
}

namespace {

// Where a sample's axis is drawn: the device interval and the matching interval of the sample's
// own pixels. The whole sample, unless it reaches beyond the device coordinates the painter
// takes; then only the part in [visible0, visible1), fractional where a grown pixel is cut.
struct SampleSpan {
    double target0, target1, sample0, sample1;
};

SampleSpan SeenPart(const DibAxis& axis, int64_t visible0, int64_t visible1)
{
    constexpr double kReach = double(1 << 28);
    const double count = double(axis.sources.size());
    if (axis.targetStart >= -kReach && axis.targetEnd <= kReach)
        return SampleSpan{axis.targetStart, axis.targetEnd, 0, count};
    const double perPixel = (axis.targetEnd - axis.targetStart) / count;
    const double t0 = std::max(axis.targetStart, double(visible0));
    const double t1 = std::min(axis.targetEnd, double(visible1));
    return SampleSpan{t0, t1, (t0 - axis.targetStart) / perPixel, (t1 - axis.targetStart) / perPixel};
}

} // namespace

bool CQtDC::DrawDib(const RECT& destination, const DibImage& dib, const RECT& source, DWORD rop, bool stretch)
{
    QPainter::CompositionMode mode;
    if (dib.reader == nullptr || !CompositionOfSourceRop(rop, &mode))
        return false;
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    // Device coordinates as they are, not bounded like those of shapes: only the part seen is
    // handed to the painter, so a target reaching far beyond the device keeps its proportions.
    RECT d = destination;
    LPtoDP(&d);
    d = NormalizedRect(d);
    RECT s = NormalizedRect(source);
    if (!stretch) {
        // A plain copy takes as many source pixels as the target has device pixels.
        constexpr int64_t kLast = std::numeric_limits<LONG>::max();
        s.right = static_cast<LONG>(std::min(int64_t(s.left) + (int64_t(d.right) - d.left), kLast));
        s.bottom = static_cast<LONG>(std::min(int64_t(s.top) + (int64_t(d.bottom) - d.top), kLast));
    }
    // Only the pixels the target shows are decoded, at the target's scale when it shrinks them:
    // a large picture in a small frame costs the frame, not the picture.
    QRect visible(QPoint(-(1 << 28), -(1 << 28)), QPoint(1 << 28, 1 << 28));
    if (m_impl->image != nullptr || m_impl->printer != nullptr)
        visible &= QRect(0, 0, m_impl->device->width(), m_impl->device->height());
    if (HasClip())
        visible &= DeviceRect(ClipRect());
    if (visible.isEmpty())
        return true;
    const int64_t visibleRight = int64_t(visible.left()) + visible.width();
    const int64_t visibleBottom = int64_t(visible.top()) + visible.height();
    const DibAxis columns = MapDibAxis(s.left, s.right, dib.width, d.left, d.right, visible.left(), visibleRight);
    const DibAxis rows = MapDibAxis(s.top, s.bottom, dib.height, d.top, d.bottom, visible.top(), visibleBottom);
    if (columns.sources.empty() || rows.sources.empty())
        return true;
    const std::vector<uint32_t> pixels = SampleDib(*dib.reader, columns.sources, rows.sources);
    const int width = static_cast<int>(columns.sources.size());
    const int height = static_cast<int>(rows.sources.size());
    const QImage image(reinterpret_cast<const uchar*>(pixels.data()), width, height, width * 4, QImage::Format_RGB32);
    if (IsRasterOp(mode) && !m_impl->Raster())
        mode = QPainter::CompositionMode_SourceOver;
    p->setCompositionMode(mode);
    const SampleSpan x = SeenPart(columns, visible.left(), visibleRight);
    const SampleSpan y = SeenPart(rows, visible.top(), visibleBottom);
    p->drawImage(QRectF(QPointF(x.target0, y.target0), QPointF(x.target1, y.target1)), image,
                 QRectF(QPointF(x.sample0, y.sample0), QPointF(x.sample1, y.sample1)));
    return true;
}

// --- text

bool CQtDC::DrawTextRun(const TextRun& run)
{
    QPainter* p = Begin(false);
    if (p == nullptr)
        return false;
    const auto held = qttext::SetUpFont(CurrentLogFont(), ScaleX(), ScaleY());
    const qttext::FontSetup& setup = *held;
    if (run.hasRect && (run.options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const QRect d = DeviceRect(ToDeviceRect(*this, run.rect));
        if (run.options & ETO_OPAQUE)
            p->fillRect(d, ToQColor(GetBkColor()));
        if (run.options & ETO_CLIPPED) {
            p->setClipRect(d, Qt::IntersectClip);
            m_impl->appliedClip.reset();
        }
    }
    if (run.text.empty())
        return true;
    qttext::DrawRequest request;
    request.origin = ToDevice(*this, POINT{run.x, run.y});
    request.align = GetTextAlign();
    request.color = ToQColor(GetTextColor());
    request.opaque = GetBkMode() == OPAQUE;
    request.background = ToQColor(GetBkColor());
    for (int d : run.dx)
        request.advances.push_back(d * std::abs(ScaleX()));
    return qttext::DrawText(*p, setup, run.text, request);
}

bool CQtDC::MeasureText(std::u16string_view text, SIZE* size) const
{
    const auto held = qttext::SetUpFont(CurrentLogFont(), ScaleX(), ScaleY());
    const qttext::FontSetup& setup = *held;
    if (!setup.face)
        return false;
    double width = 0;
    for (double a : qttext::Advances(setup, text))
        width += a;
    const double sy = std::abs(ScaleY());
    *size = SIZE{ToLogical(width, std::abs(ScaleX())), ToLogical(setup.ascent, sy) + ToLogical(setup.descent, sy)};
    return true;
}

bool CQtDC::MeasureMetrics(TEXTMETRICA* tm) const
{
    const LOGFONTA font = CurrentLogFont();
    const auto held = qttext::SetUpFont(font, ScaleX(), ScaleY());
    const qttext::FontSetup& setup = *held;
    if (!setup.face)
        return false;
    const double sx = std::abs(ScaleX());
    const double sy = std::abs(ScaleY());
    *tm = TEXTMETRICA{};
    tm->tmAscent = ToLogical(setup.ascent, sy);
    tm->tmDescent = ToLogical(setup.descent, sy);
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - ToLogical(setup.em, sy));
    tm->tmExternalLeading = ToLogical(setup.leading, sy);
    tm->tmAveCharWidth = ToLogical(setup.averageWidth, sx);
    tm->tmMaxCharWidth = ToLogical(setup.maxWidth, sx);
    tm->tmWeight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
    tm->tmDigitizedAspectX = m_dpiX;
    tm->tmDigitizedAspectY = m_dpiY;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = font.lfItalic ? 1 : 0;
    tm->tmUnderlined = font.lfUnderline ? 1 : 0;
    tm->tmStruckOut = font.lfStrikeOut ? 1 : 0;
    const bool fixed = (font.lfPitchAndFamily & 0x03) == FIXED_PITCH;
    tm->tmPitchAndFamily = static_cast<BYTE>((font.lfPitchAndFamily & 0xF0) | TMPF_TRUETYPE | TMPF_VECTOR |
                                             (fixed ? 0 : TMPF_FIXED_PITCH));
    tm->tmCharSet = font.lfCharSet;
    return true;
}

bool CQtDC::MeasureAbc(char16_t unit, ABC* abc) const
{
    const auto held = qttext::SetUpFont(CurrentLogFont(), ScaleX(), ScaleY());
    const qttext::FontSetup& setup = *held;
    if (!setup.face)
        return false;
    double a, b, c;
    qttext::CharAbc(setup, unit, &a, &b, &c);
    const double sx = std::abs(ScaleX());
    const LONG advance = ToLogical(a + b + c, sx);
    abc->abcA = ToLogical(a, sx);
    abc->abcB = static_cast<UINT>(std::max<LONG>(0, ToLogical(b, sx)));
    abc->abcC = advance - abc->abcA - static_cast<int>(abc->abcB);
    return true;
}
