// CDisplayMap: conversion between document coordinates (1/100 mm, y down, the paper laid out as
// if written horizontally) and device pixels, with a zoom, the device resolution, an origin and
// the quarter turn of vertical writing. A plain record of twelve ints, copied whole.
#pragma once

#include "platform/gdi.h"
#include "platform/win_types.h"

#include <cstdint>
#include <optional>

class CDisplayMap {
public:
    CDisplayMap() = default;

    // Resolutions from the device context (or, for null, from a screen context), 96 when it
    // reports none; a non-zero zoom is stored; then the scale factors are computed again.
    void SetFromDC(CDC* dc, int zoom);
    void SetResolution(int resolutionX, int resolutionY, int zoom);
    // Stores the zoom and recomputes both denominators; the numerators stay.
    void SetZoom(int zoom);

    void DocToDevice(POINT* point) const;
    void DocToDeviceSize(SIZE* size) const;
    void DocToDeviceRect(RECT* rect) const;
    void DeviceToDoc(POINT* point) const;
    void DeviceToDocSize(SIZE* size) const;
    void DeviceToDocRect(RECT* rect) const;
    // Extents that never turn (font sizes): (sy(a), sx(b)) in both writing directions.
    void DocToDeviceExtent(SIZE* size) const;

    int IsVertical() const { return m_vertical; }
    void SetVertical(int vertical) { m_vertical = vertical; }
    void SetOrigin(int x, int y) { m_originX = x, m_originY = y; }

    // The twelve fields, in their order.
    int32_t m_vertical = 0;          // non-zero: the paper is turned a quarter turn
    int32_t m_originX = 0;           // document units, subtracted before scaling
    int32_t m_originY = 0;
    int32_t m_limitX = 0x7FFF;       // carried along; no conversion reads them
    int32_t m_limitY = 0x7FFF;
    int32_t m_zoom = 100;            // percent
    int32_t m_resolutionX = 96;      // dots per inch
    int32_t m_resolutionY = 96;
    int32_t m_scaleNumeratorX = 96;  // = resolution x
    int32_t m_scaleDenominatorX = 2540;  // = MulDiv(2540, 100, zoom)
    int32_t m_scaleNumeratorY = 96;
    int32_t m_scaleDenominatorY = 2540;

private:
    void ComputeScale();
    int ScaleX(int v) const { return MulDiv(m_scaleNumeratorX, v, m_scaleDenominatorX); }
    int ScaleY(int v) const { return MulDiv(m_scaleNumeratorY, v, m_scaleDenominatorY); }
    int InverseX(int v) const { return MulDiv(m_scaleDenominatorX, v, m_scaleNumeratorX); }
    int InverseY(int v) const { return MulDiv(m_scaleDenominatorY, v, m_scaleNumeratorY); }
};

static_assert(sizeof(CDisplayMap) == 48);

// Scrolling along one axis to show a value: when it lies before the visible part (from
// `position`, `visible` long), the origin that puts it `pad` + `margin` inside the start; when it
// lies beyond, the origin that puts it that far inside the end; otherwise none.
std::optional<int> ScrollOriginToShow(int position, int visible, int value, int pad, int margin);
