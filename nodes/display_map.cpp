#include "nodes/display_map.h"

#include <memory>

void CDisplayMap::ComputeScale()
{
    m_scaleNumeratorX = m_resolutionX;
    m_scaleNumeratorY = m_resolutionY;
    m_scaleDenominatorX = MulDiv(2540, 100, m_zoom);
    m_scaleDenominatorY = m_scaleDenominatorX;
}

void CDisplayMap::SetFromDC(CDC* dc, int zoom)
{
    m_resolutionX = 96;
    m_resolutionY = 96;
    std::unique_ptr<CDC> screen;
    if (dc == nullptr) {
        screen = CreateScreenDC();
        dc = screen.get();
    }
    if (dc != nullptr) {
        const int x = dc->GetDeviceCaps(LOGPIXELSX);
        const int y = dc->GetDeviceCaps(LOGPIXELSY);
        if (x > 0)
            m_resolutionX = x;
        if (y > 0)
            m_resolutionY = y;
    }
    if (zoom != 0)
        m_zoom = zoom;
    ComputeScale();
}

void CDisplayMap::SetResolution(int resolutionX, int resolutionY, int zoom)
{
    m_resolutionX = resolutionX;
    m_resolutionY = resolutionY;
    if (zoom != 0)
        m_zoom = zoom;
    ComputeScale();
}

void CDisplayMap::SetZoom(int zoom)
{
    m_zoom = zoom;
    m_scaleDenominatorX = MulDiv(2540, 100, zoom);
    m_scaleDenominatorY = m_scaleDenominatorX;
}

void CDisplayMap::DocToDevice(POINT* point) const
{
    const int a = ScaleX(point->x - m_originX);
    const int b = ScaleY(point->y - m_originY);
    if (m_vertical)
        *point = POINT{-b, a};
    else
        *point = POINT{a, b};
}

void CDisplayMap::DocToDeviceSize(SIZE* size) const
{
    const int w = ScaleX(size->cx);
    const int h = ScaleY(size->cy);
    if (m_vertical)
        *size = SIZE{h, w};
    else
        *size = SIZE{w, h};
}

void CDisplayMap::DocToDeviceRect(RECT* rect) const
{
    POINT p{rect->left, rect->top};
    POINT q{rect->right, rect->bottom};
    DocToDevice(&p);
    DocToDevice(&q);
    // Turned, the document's bottom edge lies to the left: left stays below right.
    if (m_vertical)
        *rect = RECT{q.x, p.y, p.x, q.y};
    else
        *rect = RECT{p.x, p.y, q.x, q.y};
}

void CDisplayMap::DeviceToDoc(POINT* point) const
{
    int a = point->x;
    int b = point->y;
    if (m_vertical) {
        a = point->y;
        b = -point->x;
    }
    *point = POINT{InverseX(a) + m_originX, InverseY(b) + m_originY};
}

void CDisplayMap::DeviceToDocSize(SIZE* size) const
{
    int a = size->cx;
    int b = size->cy;
    if (m_vertical) {
        a = size->cy;
        b = size->cx;
    }
    *size = SIZE{InverseX(a), InverseY(b)};
}

void CDisplayMap::DeviceToDocRect(RECT* rect) const
{
    POINT first{rect->left, rect->top};
    POINT second{rect->right, rect->bottom};
    // Vertical: the corners are turned once here and once more by DeviceToDoc; the caller that
    // converts rectangles in vertical writing orders the four values itself.
    if (m_vertical) {
        first = POINT{rect->bottom, -rect->left};
        second = POINT{rect->top, -rect->right};
    }
    DeviceToDoc(&first);
    DeviceToDoc(&second);
    *rect = RECT{first.x, first.y, second.x, second.y};
}

void CDisplayMap::DocToDeviceExtent(SIZE* size) const
{
    *size = SIZE{ScaleY(size->cx), ScaleX(size->cy)};
}

std::optional<int> ScrollOriginToShow(int position, int visible, int value, int pad, int margin)
{
    if (value < position)
        return value - pad - margin;
    if (position + visible < value)
        return value + pad + margin - visible;
    return std::nullopt;
}
