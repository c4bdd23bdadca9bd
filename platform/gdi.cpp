#include "platform/gdi.h"

#include "platform/codepage.h"
#include "platform/gdi_internal.h"
#include "platform/gdi_qt.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

ScreenDCFactory g_screenFactory = nullptr;

} // namespace


// ---------------------------------------------------------------------------------------------
// Device context: state

CDC::CDC(DeviceKind kind) : m_kind(kind), m_attributeDC(this)
{
    m_state.pen = HPEN(GetStockObject(BLACK_PEN));
    m_state.brush = HBRUSH(GetStockObject(WHITE_BRUSH));
    m_state.font = GetDefaultFont();
    if (kind == DeviceKind::Memory)
        m_state.bitmap = GetDefaultBitmap();
    if (kind == DeviceKind::Metafile)
        m_attributeDC = nullptr;
}

CDC::~CDC() = default;

int CDC::GetDeviceCaps(int index) const
{
    const SIZE size = DeviceSize();
    switch (index) {
    case LOGPIXELSX: return DeviceDpiX();
    case LOGPIXELSY: return DeviceDpiY();
    case HORZRES: return size.cx;
    case VERTRES: return size.cy;
    case HORZSIZE: return DeviceDpiX() > 0 ? MulDiv(size.cx, 254, DeviceDpiX() * 10) : 0;
    case VERTSIZE: return DeviceDpiY() > 0 ? MulDiv(size.cy, 254, DeviceDpiY() * 10) : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case PHYSICALWIDTH: return IsPrinting() ? size.cx : 0;
    case PHYSICALHEIGHT: return IsPrinting() ? size.cy : 0;
    default: return 0;
    }
}

DWORD CDC::GetObjectType() const
{
    switch (m_kind) {
    case DeviceKind::Memory: return OBJ_MEMDC;
    case DeviceKind::Metafile: return OBJ_ENHMETADC;
    default: return OBJ_DC;
    }
}

int CDC::SaveDC()
{
    m_saved.push_back(m_state);
    return static_cast<int>(m_saved.size());
}

BOOL CDC::RestoreDC(int n)
{
    const int count = static_cast<int>(m_saved.size());
    const int index = n < 0 ? count + n : n - 1;
    if (n == 0 || index < 0 || index >= count)
        return FALSE;
    const State previous = m_state;
    m_state = m_saved[size_t(index)];
    m_saved.resize(size_t(index));
    if (!(m_state.bitmap == previous.bitmap))
        BitmapSelected(previous.bitmap);
    if (!(m_state.pen == previous.pen))
        ObjectSelected(m_state.pen);
    if (!(m_state.brush == previous.brush))
        ObjectSelected(m_state.brush);
    if (!(m_state.font == previous.font))
        ObjectSelected(m_state.font);
    return TRUE;
}

int CDC::SetMapMode(int mode)
{
    const int old = m_state.mapMode;
    if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC)
        return 0;
    m_state.mapMode = mode;
    if (mode == MM_TEXT) {
        m_state.windowExt = SIZE{1, 1};
        m_state.viewportExt = SIZE{1, 1};
    }
    return old;
}

POINT CDC::SetWindowOrg(int x, int y)
{
    const POINT old = m_state.windowOrg;
    m_state.windowOrg = POINT{x, y};
    return old;
}

POINT CDC::SetViewportOrg(int x, int y)
{
    const POINT old = m_state.viewportOrg;
    m_state.viewportOrg = POINT{x, y};
    return old;
}

POINT CDC::OffsetWindowOrg(int dx, int dy)
{
    return SetWindowOrg(m_state.windowOrg.x + dx, m_state.windowOrg.y + dy);
}

POINT CDC::OffsetViewportOrg(int dx, int dy)
{
    return SetViewportOrg(m_state.viewportOrg.x + dx, m_state.viewportOrg.y + dy);
}

SIZE CDC::SetWindowExt(int cx, int cy)
{
    const SIZE old = m_state.windowExt;
    if (m_state.mapMode != MM_TEXT && cx != 0 && cy != 0)
        m_state.windowExt = SIZE{cx, cy};
    return old;
}

SIZE CDC::SetViewportExt(int cx, int cy)
{
    const SIZE old = m_state.viewportExt;
    if (m_state.mapMode != MM_TEXT && cx != 0 && cy != 0)
        m_state.viewportExt = SIZE{cx, cy};
    return old;
}

namespace {

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(r))
        r = RECT{0, 0, 0, 0};
    return r;
}

int Saturated(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The rectangle at (x, y) of that width and height; edges beyond the int range stop at its ends.
RECT RectOfSize(int x, int y, int width, int height)
{
    return RECT{x, y, Saturated(int64_t(x) + width), Saturated(int64_t(y) + height)};
}

// One coordinate from one space to the other: (v − from origin) × to extent / from extent + to
// origin, rounded by MulDiv; coordinates beyond the int range stop at its ends.
int MapCoordinate(int v, int fromOrigin, int fromExtent, int toExtent, int toOrigin)
{
    return Saturated(int64_t(MulDiv(Saturated(int64_t(v) - fromOrigin), toExtent, fromExtent)) + toOrigin);
}

} // namespace

void CDC::LPtoDP(POINT* points, int count) const
{
    const State& s = m_state;
    for (int i = 0; i < count; ++i) {
        points[i].x = MapCoordinate(points[i].x, s.windowOrg.x, s.windowExt.cx, s.viewportExt.cx, s.viewportOrg.x);
        points[i].y = MapCoordinate(points[i].y, s.windowOrg.y, s.windowExt.cy, s.viewportExt.cy, s.viewportOrg.y);
    }
}

void CDC::LPtoDP(RECT* rect) const { LPtoDP(reinterpret_cast<POINT*>(rect), 2); }

void CDC::LPtoDP(SIZE* size) const
{
    size->cx = MulDiv(size->cx, std::abs(m_state.viewportExt.cx), std::abs(m_state.windowExt.cx));
    size->cy = MulDiv(size->cy, std::abs(m_state.viewportExt.cy), std::abs(m_state.windowExt.cy));
}

void CDC::DPtoLP(POINT* points, int count) const
{
    const State& s = m_state;
    for (int i = 0; i < count; ++i) {
        points[i].x = MapCoordinate(points[i].x, s.viewportOrg.x, s.viewportExt.cx, s.windowExt.cx, s.windowOrg.x);
        points[i].y = MapCoordinate(points[i].y, s.viewportOrg.y, s.viewportExt.cy, s.windowExt.cy, s.windowOrg.y);
    }
}

void CDC::DPtoLP(RECT* rect) const { DPtoLP(reinterpret_cast<POINT*>(rect), 2); }

void CDC::DPtoLP(SIZE* size) const
{
    size->cx = MulDiv(size->cx, std::abs(m_state.windowExt.cx), std::abs(m_state.viewportExt.cx));
    size->cy = MulDiv(size->cy, std::abs(m_state.windowExt.cy), std::abs(m_state.viewportExt.cy));
}

double CDC::ScaleX() const { return double(m_state.viewportExt.cx) / double(m_state.windowExt.cx); }
double CDC::ScaleY() const { return double(m_state.viewportExt.cy) / double(m_state.windowExt.cy); }

HPEN CDC::SelectObject(HPEN pen)
{
    if (::GetObjectType(pen) != OBJ_PEN)
        return HPEN();
    const HPEN previous = std::exchange(m_state.pen, pen);
    ObjectSelected(pen);
    return previous;
}

HBRUSH CDC::SelectObject(HBRUSH brush)
{
    if (::GetObjectType(brush) != OBJ_BRUSH)
        return HBRUSH();
    const HBRUSH previous = std::exchange(m_state.brush, brush);
    ObjectSelected(brush);
    return previous;
}

HFONT CDC::SelectObject(HFONT font)
{
    if (::GetObjectType(font) != OBJ_FONT)
        return HFONT();
    const HFONT previous = std::exchange(m_state.font, font);
    ObjectSelected(font);
    return previous;
}

HBITMAP CDC::SelectObject(HBITMAP bitmap)
{
    if (m_kind != DeviceKind::Memory || ::GetObjectType(bitmap) != OBJ_BITMAP)
        return HBITMAP();
    const HBITMAP previous = std::exchange(m_state.bitmap, bitmap);
    if (!(previous == bitmap))
        BitmapSelected(previous);
    return previous;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    switch (::GetObjectType(object)) {
    case OBJ_PEN: return SelectObject(HPEN(object));
    case OBJ_BRUSH: return SelectObject(HBRUSH(object));
    case OBJ_FONT: return SelectObject(HFONT(object));
    case OBJ_BITMAP: return SelectObject(HBITMAP(object));
    case OBJ_REGION: return HGDIOBJ(static_cast<uint32_t>(SelectClipRgn(HRGN(object))));
    default: return HGDIOBJ();
    }
}

HPALETTE CDC::SelectPalette(HPALETTE palette, BOOL forceBackground)
{
    (void)forceBackground;
    if (palette && ::GetObjectType(palette) != OBJ_PAL)
        return HPALETTE();
    return std::exchange(m_state.palette, palette);
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(m_state.textColor, color & 0xFFFFFF); }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(m_state.bkColor, color & 0xFFFFFF); }

int CDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(m_state.bkMode, mode);
}

UINT CDC::SetTextAlign(UINT align) { return std::exchange(m_state.textAlign, align); }

int CDC::SetROP2(int rop)
{
    if (rop < R2_BLACK || rop > R2_WHITE)
        return 0;
    return std::exchange(m_state.rop2, rop);
}

int CDC::SetPolyFillMode(int mode)
{
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    return std::exchange(m_state.polyFillMode, mode);
}

int CDC::SetStretchBltMode(int mode)
{
    if (mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    return std::exchange(m_state.stretchMode, mode);
}

int CDC::SelectClipRgn(HRGN region)
{
    if (!region) {
        m_state.hasClip = false;
        return SIMPLEREGION;
    }
    RECT box{};
    if (!GetRgnBox(region, &box))
        return ERROR;
    m_state.hasClip = true;
    m_state.clip = box;
    return IsEmptyRect(m_state.clip) ? NULLREGION : SIMPLEREGION;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    RECT r{left, top, right, bottom};
    LPtoDP(&r);
    r = NormalizedRect(r);
    m_state.clip = m_state.hasClip ? Intersect(m_state.clip, r) : (IsEmptyRect(r) ? RECT{0, 0, 0, 0} : r);
    m_state.hasClip = true;
    return IsEmptyRect(m_state.clip) ? NULLREGION : SIMPLEREGION;
}

int CDC::GetClipBox(RECT* rect) const
{
    if (!rect)
        return ERROR;
    const SIZE size = DeviceSize();
    RECT r = m_state.hasClip ? m_state.clip : RECT{0, 0, size.cx, size.cy};
    const bool empty = IsEmptyRect(r);
    DPtoLP(&r);
    *rect = NormalizedRect(r);
    return empty ? NULLREGION : SIMPLEREGION;
}

CDC::PenInfo CDC::CurrentPenInfo() const
{
    LOGPEN pen{};
    if (!GetObject(m_state.pen, &pen))
        return PenInfo{};
    return PenInfo{static_cast<int>(pen.lopnStyle), pen.lopnWidth.x, pen.lopnColor};
}

bool CDC::BrushInfoOf(HBRUSH brush, BrushInfo* info)
{
    LOGBRUSH logBrush{};
    if (!GetObject(brush, &logBrush))
        return false;
    *info = BrushInfo{};
    info->style = logBrush.lbStyle;
    info->color = logBrush.lbColor;
    if (info->style == BS_PATTERN) {
        GetBrushPattern(brush, info->pattern);
        GetBrushPatternColours(brush, &info->monochrome, &info->colours);
    }
    return true;
}

CDC::BrushInfo CDC::CurrentBrushInfo() const
{
    BrushInfo info;
    if (!BrushInfoOf(m_state.brush, &info))
        info = BrushInfo{};
    return info;
}

LOGFONTA CDC::CurrentLogFont() const
{
    // A font never changes once made: measuring a run of characters reads its description once,
    // and again only for another font or after a font was deleted (its handle may have gone).
    const uint64_t deletions = GdiFontDeletionCount();
    if (m_described.valid && m_described.font == m_state.font && m_described.deletions == deletions)
        return m_described.description;
    LOGFONTA lf{};
    if (!GetObject(m_state.font, &lf))
        GetObject(GetDefaultFont(), &lf);
    m_described = DescribedFont{true, m_state.font, deletions, lf};
    return lf;
}

// ---------------------------------------------------------------------------------------------
// Device context: drawing

POINT CDC::MoveTo(int x, int y) { return std::exchange(m_state.position, POINT{x, y}); }

BOOL CDC::LineTo(int x, int y)
{
    const POINT from = m_state.position;
    m_state.position = POINT{x, y};
    return DrawLine(from, POINT{x, y}) ? TRUE : FALSE;
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    if (!points || count < 2)
        return FALSE;
    return DrawPolyline(std::vector<POINT>(points, points + count)) ? TRUE : FALSE;
}

BOOL CDC::PolyBezier(const POINT* points, int count)
{
    if (!points || count < 4 || (count - 1) % 3 != 0)
        return FALSE;
    return DrawBeziers(std::vector<POINT>(points, points + count)) ? TRUE : FALSE;
}

BOOL CDC::Polygon(const POINT* points, int count)
{
    if (!points || count < 2)
        return FALSE;
    return DrawPolygon(std::vector<POINT>(points, points + count)) ? TRUE : FALSE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    return DrawRectangle(RECT{left, top, right, bottom}) ? TRUE : FALSE;
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom)
{
    return DrawEllipse(RECT{left, top, right, bottom}) ? TRUE : FALSE;
}

BOOL CDC::Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd)
{
    return DrawArc(RECT{left, top, right, bottom}, POINT{xStart, yStart}, POINT{xEnd, yEnd}) ? TRUE : FALSE;
}

int CDC::FillRect(const RECT* rect, HBRUSH brush)
{
    BrushInfo info;
    if (!rect || !BrushInfoOf(brush, &info))
        return 0;
    return DoFillRect(*rect, info) ? 1 : 0;
}

int CDC::FrameRect(const RECT* rect, HBRUSH brush)
{
    BrushInfo info;
    if (!rect || !BrushInfoOf(brush, &info))
        return 0;
    return DoFrameRect(*rect, info) ? 1 : 0;
}

BOOL CDC::InvertRect(const RECT* rect) { return rect && DoInvertRect(*rect) ? TRUE : FALSE; }

void CDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    // As the framework does it: the colour becomes the background colour and stays so.
    SetBkColor(color);
    if (rect)
        DoFillSolidRect(*rect, color & 0xFFFFFF);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const RECT r = RectOfSize(x, y, cx, cy);
    FillSolidRect(&r, color);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    return DoPatBlt(RectOfSize(x, y, width, height), rop) ? TRUE : FALSE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop)
{
    return DoBitBlt(RectOfSize(x, y, width, height), source, RectOfSize(xSource, ySource, width, height), rop, false)
               ? TRUE
               : FALSE;
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int sourceWidth, int sourceHeight, DWORD rop)
{
    return DoBitBlt(RectOfSize(x, y, width, height), source, RectOfSize(xSource, ySource, sourceWidth, sourceHeight),
                    rop, true)
               ? TRUE
               : FALSE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    return DoSetPixel(x, y, color & 0xFFFFFF) ? (color & 0xFFFFFF) : 0xFFFFFFFF;
}

bool CDC::DrawDibImpl(int x, int y, int width, int height, int xSource, int ySource, int sourceWidth,
                      int sourceHeight, const void* bits, const BITMAPINFO* info, DWORD rop, bool stretch,
                      UINT startScan, UINT scanLines)
{
    DibLayout layout;
    if (!bits || !info || startScan != 0 || !ReadDibLayout(info, std::numeric_limits<size_t>::max(), &layout))
        return false;
    // The caller hands over as many rows as the header declares (at most scanLines of them).
    const size_t rows = std::min<size_t>(size_t(layout.height), scanLines);
    PackedDibReader reader;
    if (!reader.Open(info, bits, layout.stride * rows))
        return false;
    const DibImage image{reader.Width(), reader.Height(), &reader};
    // Rows counted from the lower-left corner of a bottom-up DIB.
    const int64_t top = layout.topDown ? int64_t(ySource) : int64_t(image.height) - ySource - sourceHeight;
    const RECT source{xSource, Saturated(top), Saturated(int64_t(xSource) + sourceWidth), Saturated(top + sourceHeight)};
    return DrawDib(RectOfSize(x, y, width, height), image, source, rop, stretch);
}

int CDC::SetDIBitsToDevice(int x, int y, DWORD width, DWORD height, int xSource, int ySource,
                           UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                           UINT colorUse)
{
    if (colorUse != DIB_RGB_COLORS || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return 0;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    return DrawDibImpl(x, y, w, h, xSource, ySource, w, h, bits, info, SRCCOPY, false, startScan, scanLines)
               ? h
               : 0;
}

int CDC::StretchDIBits(int x, int y, int width, int height, int xSource, int ySource, int sourceWidth,
                       int sourceHeight, const void* bits, const BITMAPINFO* info, UINT colorUse, DWORD rop)
{
    if (colorUse != DIB_RGB_COLORS)
        return 0;
    return DrawDibImpl(x, y, width, height, xSource, ySource, sourceWidth, sourceHeight, bits, info, rop, true, 0,
                       std::numeric_limits<UINT>::max())
               ? sourceHeight
               : 0;
}

BOOL CDC::TextImpl(TextCall call, int x, int y, UINT options, const RECT* rect, std::u16string text,
                   std::string bytes, const int* dx)
{
    TextRun run;
    run.call = call;
    run.x = x;
    run.y = y;
    run.options = options;
    run.hasRect = rect != nullptr;
    if (rect)
        run.rect = *rect;
    if (dx && !text.empty()) {
        if (bytes.empty()) {
            run.dx.assign(dx, dx + text.size());
        } else {
            // The narrow calls give one distance per byte: a two-byte character takes the sum.
            size_t b = 0;
            for (size_t i = 0; i < text.size() && b < bytes.size(); ++i) {
                int d = dx[b];
                if (IsCp932LeadByte(static_cast<unsigned char>(bytes[b])) && b + 1 < bytes.size())
                    d += dx[++b];
                ++b;
                run.dx.push_back(d);
            }
            run.dx.resize(text.size(), 0);
        }
    }
    run.text = std::move(text);
    run.bytes = std::move(bytes);
    return DrawTextRun(run) ? TRUE : FALSE;
}

BOOL CDC::TextOutW(int x, int y, const char16_t* text, int count)
{
    if (count < 0 || (!text && count > 0))
        return FALSE;
    return TextImpl(TextCall::TextOutW, x, y, 0, nullptr, std::u16string(text ? text : u"", size_t(count)), {}, nullptr);
}

BOOL CDC::TextOutA(int x, int y, const char* text, int count)
{
    if (count < 0 || (!text && count > 0))
        return FALSE;
    std::string bytes(text ? text : "", size_t(count));
    std::u16string wide = Cp932ToWide(bytes);
    return TextImpl(TextCall::TextOutA, x, y, 0, nullptr, std::move(wide), std::move(bytes), nullptr);
}

BOOL CDC::ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT count, const int* dx)
{
    if (!text && count > 0)
        return FALSE;
    return TextImpl(TextCall::ExtTextOutW, x, y, options, rect, std::u16string(text ? text : u"", count), {}, dx);
}

BOOL CDC::ExtTextOutA(int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx)
{
    if (!text && count > 0)
        return FALSE;
    std::string bytes(text ? text : "", count);
    std::u16string wide = Cp932ToWide(bytes);
    return TextImpl(TextCall::ExtTextOutA, x, y, options, rect, std::move(wide), std::move(bytes), dx);
}

BOOL CDC::GetTextExtentPoint32W(const char16_t* text, int count, SIZE* size) const
{
    if (!size || count < 0 || (!text && count > 0))
        return FALSE;
    return MeasureText(std::u16string_view(text ? text : u"", size_t(count)), size) ? TRUE : FALSE;
}

BOOL CDC::GetTextExtentPoint32A(const char* text, int count, SIZE* size) const
{
    if (!size || count < 0 || (!text && count > 0))
        return FALSE;
    const std::u16string wide = Cp932ToWide(std::string_view(text ? text : "", size_t(count)));
    return MeasureText(wide, size) ? TRUE : FALSE;
}

BOOL CDC::GetTextMetricsA(TEXTMETRICA* metrics) const
{
    return metrics && MeasureMetrics(metrics) ? TRUE : FALSE;
}

BOOL CDC::GetCharABCWidthsW(UINT first, UINT last, ABC* widths) const
{
    if (!widths || last < first || last > 0xFFFF)
        return FALSE;
    for (UINT c = first; c <= last; ++c)
        if (!MeasureAbc(static_cast<char16_t>(c), &widths[c - first]))
            return FALSE;
    return TRUE;
}

BOOL CDC::GetCharWidth32W(UINT first, UINT last, int* widths) const
{
    if (!widths || last < first || last > 0xFFFF)
        return FALSE;
    for (UINT c = first; c <= last; ++c) {
        const char16_t unit = static_cast<char16_t>(c);
        SIZE size{};
        if (!MeasureText(std::u16string_view(&unit, 1), &size))
            return FALSE;
        widths[c - first] = size.cx;
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Screen context factory

ScreenDCFactory SetScreenDCFactory(ScreenDCFactory factory) { return std::exchange(g_screenFactory, factory); }

std::unique_ptr<CDC> CreateScreenDC() { return g_screenFactory ? g_screenFactory() : CreateQtScreenDC(); }
