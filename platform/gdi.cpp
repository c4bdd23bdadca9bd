#include "platform/gdi.h"

#include "platform/codepage.h"
#include "platform/gdi_internal.h"
#include "platform/gdi_qt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

// Largest bitmap the layer creates: 2^28 pixels (1 GB of pixels).
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

struct ObjectData {
    DWORD type = 0;
    bool stock = false;
    LOGPEN pen{};
    // Brushes.
    UINT brushStyle = BS_SOLID;
    COLORREF brushColor = 0;
    BYTE pattern[8] = {};
    bool patternMonochrome = true;
    std::vector<uint32_t> patternColours;
    // Fonts.
    LOGFONTA font{};
    // Bitmaps.
    std::shared_ptr<BitmapStorage> bitmap;
    // Regions.
    RECT region{};
    // Palettes.
    std::vector<PALETTEENTRY> palette;
};

// Stock objects have fixed ids below the first id handed out for created objects.
constexpr uint32_t kStockBase = 0x100;
constexpr uint32_t kDefaultBitmapId = kStockBase + 40;
constexpr uint32_t kFirstCreatedId = 0x10000;

class Registry {
public:
    static Registry& Instance()
    {
        // Never destroyed: wrappers held by static objects delete their handles at exit.
        static Registry* registry = new Registry;
        return *registry;
    }

    HGDIOBJ Add(std::shared_ptr<ObjectData> data)
    {
        std::lock_guard lock(m_mutex);
        // After the ids wrap around, an id still held by a live object is skipped.
        uint32_t id;
        do {
            id = m_next++;
            if (m_next == 0)
                m_next = kFirstCreatedId;
        } while (m_objects.count(id) != 0);
        m_objects[id] = std::move(data);
        ++m_live;
        return HGDIOBJ(id);
    }

    std::shared_ptr<ObjectData> Find(HGDIOBJ handle) const
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(handle.Value());
        return it == m_objects.end() ? nullptr : it->second;
    }

    bool Remove(HGDIOBJ handle)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(handle.Value());
        if (it == m_objects.end())
            return false;
        if (it->second->stock)
            return true;
        m_objects.erase(it);
        --m_live;
        return true;
    }

    size_t Live() const
    {
        std::lock_guard lock(m_mutex);
        return m_live;
    }

private:
    Registry()
    {
        auto brush = [this](int index, UINT style, COLORREF color) {
            auto d = std::make_shared<ObjectData>();
            d->type = OBJ_BRUSH;
            d->stock = true;
            d->brushStyle = style;
            d->brushColor = color;
            m_objects[kStockBase + index] = d;
        };
        brush(WHITE_BRUSH, BS_SOLID, 0xFFFFFF);
        brush(LTGRAY_BRUSH, BS_SOLID, 0xC0C0C0);
        brush(GRAY_BRUSH, BS_SOLID, 0x808080);
        brush(DKGRAY_BRUSH, BS_SOLID, 0x404040);
        brush(BLACK_BRUSH, BS_SOLID, 0x000000);
        brush(NULL_BRUSH, BS_NULL, 0);
        auto pen = [this](int index, UINT style, COLORREF color) {
            auto d = std::make_shared<ObjectData>();
            d->type = OBJ_PEN;
            d->stock = true;
            d->pen = LOGPEN{style, POINT{0, 0}, color};
            m_objects[kStockBase + index] = d;
        };
        pen(WHITE_PEN, PS_SOLID, 0xFFFFFF);
        pen(BLACK_PEN, PS_SOLID, 0x000000);
        pen(NULL_PEN, PS_NULL, 0);
        auto font = [this](int index, std::u16string_view face, LONG height, BYTE pitchAndFamily) {
            auto d = std::make_shared<ObjectData>();
            d->type = OBJ_FONT;
            d->stock = true;
            d->font.lfHeight = height;
            d->font.lfWeight = FW_NORMAL;
            d->font.lfCharSet = SHIFTJIS_CHARSET;
            d->font.lfPitchAndFamily = pitchAndFamily;
            const std::string narrow = WideToCp932(face);
            std::memcpy(d->font.lfFaceName, narrow.data(), std::min<size_t>(narrow.size(), LF_FACESIZE - 1));
            m_objects[kStockBase + index] = d;
        };
        // The Japanese system's fonts: the system font and the default font of dialogs and bars.
        font(SYSTEM_FONT, u"System", 16, VARIABLE_PITCH | FF_SWISS);
        font(DEFAULT_GUI_FONT, u"ＭＳ Ｐゴシック", -12, VARIABLE_PITCH | FF_MODERN);
        // The 1 × 1 monochrome bitmap of a fresh memory context.
        auto bitmap = std::make_shared<ObjectData>();
        bitmap->type = OBJ_BITMAP;
        bitmap->stock = true;
        bitmap->bitmap = std::make_shared<BitmapStorage>();
        bitmap->bitmap->width = 1;
        bitmap->bitmap->height = 1;
        bitmap->bitmap->bitsPerPixel = 1;
        bitmap->bitmap->pixels.assign(1, 0xFF000000);
        m_objects[kDefaultBitmapId] = bitmap;
    }

    mutable std::mutex m_mutex;
    std::unordered_map<uint32_t, std::shared_ptr<ObjectData>> m_objects;
    uint32_t m_next = kFirstCreatedId;
    size_t m_live = 0;
};

std::shared_ptr<ObjectData> FindObject(HGDIOBJ handle, DWORD type)
{
    if (!handle)
        return nullptr;
    auto data = Registry::Instance().Find(handle);
    return data && data->type == type ? data : nullptr;
}

template <typename Handle>
Handle AddObject(std::shared_ptr<ObjectData> data)
{
    return Handle(Registry::Instance().Add(std::move(data)));
}

RECT Normalized(RECT r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(r))
        r = RECT{0, 0, 0, 0};
    return r;
}

ScreenDCFactory g_screenFactory = nullptr;

} // namespace

// ---------------------------------------------------------------------------------------------
// Objects

std::shared_ptr<BitmapStorage> GetBitmapStorage(HBITMAP bitmap)
{
    auto data = FindObject(bitmap, OBJ_BITMAP);
    return data ? data->bitmap : nullptr;
}

HBITMAP GetDefaultBitmap() { return HBITMAP(kDefaultBitmapId); }
HFONT GetDefaultFont() { return HFONT(kStockBase + SYSTEM_FONT); }

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_PEN;
    style &= 0x0F;
    if (style > PS_INSIDEFRAME)
        style = PS_SOLID;
    width = std::max(width, 0);
    // Broken styles exist only for thin pens; a wider one draws solid.
    if (width > 1 && style >= PS_DASH && style <= PS_DASHDOTDOT)
        style = PS_SOLID;
    d->pen = LOGPEN{static_cast<UINT>(style), POINT{width, 0}, color & 0xFFFFFF};
    return AddObject<HPEN>(std::move(d));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_BRUSH;
    d->brushStyle = BS_SOLID;
    d->brushColor = color & 0xFFFFFF;
    return AddObject<HBRUSH>(std::move(d));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    auto source = GetBitmapStorage(bitmap);
    if (!source || source->width <= 0 || source->height <= 0)
        return HBRUSH();
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_BRUSH;
    d->brushStyle = BS_PATTERN;
    d->patternMonochrome = source->bitsPerPixel == 1;
    // The pattern is the bitmap's top-left 8 × 8 pixels, repeated when the bitmap is smaller.
    for (int y = 0; y < 8; ++y) {
        BYTE row = 0;
        for (int x = 0; x < 8; ++x) {
            const uint32_t p = source->pixels[size_t(y % source->height) * size_t(source->width) + size_t(x % source->width)];
            if ((p & 0xFFFFFF) != 0)
                row |= static_cast<BYTE>(0x80 >> x);
            d->patternColours.push_back(p & 0xFFFFFF);
        }
        d->pattern[y] = row;
    }
    return AddObject<HBRUSH>(std::move(d));
}

HFONT CreateFontIndirectA(const LOGFONTA* font)
{
    if (!font)
        return HFONT();
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_FONT;
    d->font = *font;
    d->font.lfFaceName[LF_FACESIZE - 1] = 0;
    return AddObject<HFONT>(std::move(d));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (width <= 0 || height <= 0 || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32))
        return HBITMAP();
    if (int64_t(width) * height > kMaxBitmapPixels)
        return HBITMAP();
    auto storage = std::make_shared<BitmapStorage>();
    storage->width = width;
    storage->height = height;
    storage->bitsPerPixel = static_cast<int>(bitsPerPixel);
    storage->pixels.assign(size_t(width) * size_t(height), 0xFF000000);
    if (bits) {
        const auto* bytes = static_cast<const uint8_t*>(bits);
        if (bitsPerPixel == 1) {
            const size_t stride = size_t((width + 15) / 16) * 2;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const bool white = (bytes[size_t(y) * stride + size_t(x / 8)] & (0x80 >> (x % 8))) != 0;
                    storage->pixels[size_t(y) * size_t(width) + size_t(x)] = white ? 0xFFFFFFFF : 0xFF000000;
                }
        } else {
            for (size_t i = 0; i < storage->pixels.size(); ++i) {
                uint32_t v;
                std::memcpy(&v, bytes + i * 4, 4);
                storage->pixels[i] = 0xFF000000 | (v & 0xFFFFFF);
            }
        }
    }
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_BITMAP;
    d->bitmap = std::move(storage);
    return AddObject<HBITMAP>(std::move(d));
}

HBITMAP CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    (void)dc;
    if (width < 0 || height < 0)
        return HBITMAP();
    if (width == 0 || height == 0)
        return CreateBitmap(1, 1, 1, 1, nullptr);
    HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
    if (auto storage = GetBitmapStorage(bitmap))
        std::fill(storage->pixels.begin(), storage->pixels.end(), 0xFFFFFFFF);
    return bitmap;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_REGION;
    d->region = Normalized(RECT{left, top, right, bottom});
    if (IsEmptyRect(d->region))
        d->region = RECT{0, 0, 0, 0};
    return AddObject<HRGN>(std::move(d));
}

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    if (!palette || palette->palNumEntries == 0)
        return HPALETTE();
    auto d = std::make_shared<ObjectData>();
    d->type = OBJ_PAL;
    d->palette.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return AddObject<HPALETTE>(std::move(d));
}

BOOL DeleteObject(HGDIOBJ object)
{
    return object && Registry::Instance().Remove(object) ? TRUE : FALSE;
}

HGDIOBJ GetStockObject(int index)
{
    auto data = Registry::Instance().Find(HGDIOBJ(kStockBase + uint32_t(index)));
    return index >= 0 && data ? HGDIOBJ(kStockBase + uint32_t(index)) : HGDIOBJ();
}

DWORD GetObjectType(HGDIOBJ object)
{
    auto data = object ? Registry::Instance().Find(object) : nullptr;
    return data ? data->type : 0;
}

bool GetObject(HPEN pen, LOGPEN* out)
{
    auto d = FindObject(pen, OBJ_PEN);
    if (!d || !out)
        return false;
    *out = d->pen;
    return true;
}

bool GetObject(HBRUSH brush, LOGBRUSH* out)
{
    auto d = FindObject(brush, OBJ_BRUSH);
    if (!d || !out)
        return false;
    *out = LOGBRUSH{d->brushStyle, d->brushColor, 0};
    return true;
}

bool GetObject(HFONT font, LOGFONTA* out)
{
    auto d = FindObject(font, OBJ_FONT);
    if (!d || !out)
        return false;
    *out = d->font;
    return true;
}

bool GetObject(HBITMAP bitmap, BITMAP* out)
{
    auto d = FindObject(bitmap, OBJ_BITMAP);
    if (!d || !out)
        return false;
    const BitmapStorage& s = *d->bitmap;
    const LONG stride = s.bitsPerPixel == 1 ? ((s.width + 15) / 16) * 2 : s.width * 4;
    *out = BITMAP{0, s.width, s.height, stride, 1, static_cast<WORD>(s.bitsPerPixel), nullptr};
    return true;
}

bool GetBrushPattern(HBRUSH brush, BYTE rows[8])
{
    auto d = FindObject(brush, OBJ_BRUSH);
    if (!d || d->brushStyle != BS_PATTERN)
        return false;
    std::memcpy(rows, d->pattern, 8);
    return true;
}

bool GetBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>* pixels)
{
    auto storage = GetBitmapStorage(bitmap);
    if (!storage || !pixels)
        return false;
    pixels->resize(storage->pixels.size());
    std::transform(storage->pixels.begin(), storage->pixels.end(), pixels->begin(),
                   [](uint32_t p) { return p & 0xFFFFFF; });
    return true;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto d = FindObject(palette, OBJ_PAL);
    if (!d)
        return 0;
    if (!entries)
        return static_cast<UINT>(d->palette.size());
    UINT copied = 0;
    for (UINT i = start; i < d->palette.size() && copied < count; ++i)
        entries[copied++] = d->palette[i];
    return copied;
}

bool GetRgnBox(HRGN region, RECT* box)
{
    auto d = FindObject(region, OBJ_REGION);
    if (!d || !box)
        return false;
    *box = d->region;
    return true;
}

size_t GdiLiveObjectCount() { return Registry::Instance().Live(); }

// ---------------------------------------------------------------------------------------------
// Wrappers

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    const BOOL result = ::DeleteObject(m_hObject);
    m_hObject = HGDIOBJ();
    return result;
}

HGDIOBJ CGdiObject::Detach()
{
    const HGDIOBJ h = m_hObject;
    m_hObject = HGDIOBJ();
    return h;
}

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    DeleteObject();
    m_hObject = object;
    return TRUE;
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
BOOL CBrush::CreatePatternBrush(const CBitmap* bitmap)
{
    return bitmap ? Attach(::CreatePatternBrush(HBITMAP(*bitmap))) : FALSE;
}
BOOL CFont::CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }
BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc, width, height));
}
BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    return Attach(::CreateRectRgn(left, top, right, bottom));
}
BOOL CPalette::CreatePalette(const LOGPALETTE* palette) { return Attach(::CreatePalette(palette)); }

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

int Saturated(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
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
    if (!FindObject(pen, OBJ_PEN))
        return HPEN();
    const HPEN previous = std::exchange(m_state.pen, pen);
    ObjectSelected(pen);
    return previous;
}

HBRUSH CDC::SelectObject(HBRUSH brush)
{
    if (!FindObject(brush, OBJ_BRUSH))
        return HBRUSH();
    const HBRUSH previous = std::exchange(m_state.brush, brush);
    ObjectSelected(brush);
    return previous;
}

HFONT CDC::SelectObject(HFONT font)
{
    if (!FindObject(font, OBJ_FONT))
        return HFONT();
    const HFONT previous = std::exchange(m_state.font, font);
    ObjectSelected(font);
    return previous;
}

HBITMAP CDC::SelectObject(HBITMAP bitmap)
{
    if (m_kind != DeviceKind::Memory || !FindObject(bitmap, OBJ_BITMAP))
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
    if (palette && !FindObject(palette, OBJ_PAL))
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
    auto d = FindObject(region, OBJ_REGION);
    if (!d)
        return ERROR;
    m_state.hasClip = true;
    m_state.clip = d->region;
    return IsEmptyRect(m_state.clip) ? NULLREGION : SIMPLEREGION;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    RECT r{left, top, right, bottom};
    LPtoDP(&r);
    r = Normalized(r);
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
    *rect = Normalized(r);
    return empty ? NULLREGION : SIMPLEREGION;
}

CDC::PenInfo CDC::CurrentPenInfo() const
{
    auto d = FindObject(m_state.pen, OBJ_PEN);
    if (!d)
        return PenInfo{};
    return PenInfo{static_cast<int>(d->pen.lopnStyle), d->pen.lopnWidth.x, d->pen.lopnColor};
}

bool CDC::BrushInfoOf(HBRUSH brush, BrushInfo* info)
{
    auto d = FindObject(brush, OBJ_BRUSH);
    if (!d)
        return false;
    info->style = d->brushStyle;
    info->color = d->brushColor;
    std::memcpy(info->pattern, d->pattern, 8);
    info->monochrome = d->patternMonochrome;
    info->colours = d->patternColours;
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
    LOGFONTA lf{};
    if (!GetObject(m_state.font, &lf))
        GetObject(GetDefaultFont(), &lf);
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
    const RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, color);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    return DoPatBlt(RECT{x, y, x + width, y + height}, rop) ? TRUE : FALSE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop)
{
    return DoBitBlt(RECT{x, y, x + width, y + height}, source,
                    RECT{xSource, ySource, xSource + width, ySource + height}, rop, false)
               ? TRUE
               : FALSE;
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int sourceWidth, int sourceHeight, DWORD rop)
{
    return DoBitBlt(RECT{x, y, x + width, y + height}, source,
                    RECT{xSource, ySource, xSource + sourceWidth, ySource + sourceHeight}, rop, true)
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
    if (!bits || !info || startScan != 0)
        return false;
    const size_t headerSize = DibHeaderAndColorTableSize(info, std::numeric_limits<size_t>::max());
    if (headerSize == 0)
        return false;
    // The caller hands over as many rows as the header declares (at most scanLines of them).
    DibImage image;
    const bool core = info->bmiHeader.biSize == sizeof(BITMAPCOREHEADER);
    const auto* coreHeader = reinterpret_cast<const BITMAPCOREHEADER*>(info);
    const int64_t w = core ? coreHeader->bcWidth : info->bmiHeader.biWidth;
    const int64_t h = core ? coreHeader->bcHeight : info->bmiHeader.biHeight;
    const int bpp = core ? coreHeader->bcBitCount : info->bmiHeader.biBitCount;
    const int64_t rows = std::min<int64_t>(std::llabs(h), scanLines);
    const int64_t stride = ((w * bpp + 31) / 32) * 4;
    if (w <= 0 || rows <= 0 || stride <= 0 || stride * rows > (int64_t(1) << 31))
        return false;
    if (!DecodeDib(info, bits, size_t(stride * rows), &image.width, &image.height, &image.pixels))
        return false;
    // Rows counted from the lower-left corner of a bottom-up DIB.
    const bool bottomUp = h > 0;
    const int top = bottomUp ? image.height - ySource - sourceHeight : ySource;
    const RECT source{xSource, top, xSource + sourceWidth, top + sourceHeight};
    return DrawDib(RECT{x, y, x + width, y + height}, image, source, rop, stretch);
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

// ---------------------------------------------------------------------------------------------
// DIB decoding

namespace {

struct DibLayout {
    int64_t width = 0;
    int64_t height = 0;  // negative: top-down
    int bitCount = 0;
    DWORD compression = BI_RGB;
    size_t headerSize = 0;
    size_t colorCount = 0;
    size_t colorEntrySize = 4;
    size_t masksSize = 0;
};

bool ReadLayout(const BITMAPINFO* info, size_t available, DibLayout* layout)
{
    if (!info || available < 4)
        return false;
    DWORD size;
    std::memcpy(&size, info, 4);
    if (size == sizeof(BITMAPCOREHEADER)) {
        if (available < sizeof(BITMAPCOREHEADER))
            return false;
        BITMAPCOREHEADER h;
        std::memcpy(&h, info, sizeof h);
        layout->width = h.bcWidth;
        layout->height = h.bcHeight;
        layout->bitCount = h.bcBitCount;
        layout->headerSize = sizeof h;
        layout->colorEntrySize = 3;
        if (h.bcPlanes != 1)
            return false;
    } else if (size >= sizeof(BITMAPINFOHEADER) && size <= 4096) {
        if (available < size)
            return false;
        BITMAPINFOHEADER h;
        std::memcpy(&h, info, sizeof h);
        layout->width = h.biWidth;
        layout->height = h.biHeight;
        layout->bitCount = h.biBitCount;
        layout->compression = h.biCompression;
        layout->headerSize = size;
        layout->colorCount = h.biClrUsed;
        if (h.biPlanes != 1)
            return false;
        // The three masks follow a 40-byte header and lie inside the longer ones (from 52 bytes);
        // a header in between holds neither.
        if (h.biCompression == BI_BITFIELDS && size == sizeof(BITMAPINFOHEADER))
            layout->masksSize = 12;
        else if (h.biCompression == BI_BITFIELDS && size < sizeof(BITMAPINFOHEADER) + 12)
            return false;
    } else {
        return false;
    }
    switch (layout->bitCount) {
    case 1: case 4: case 8:
        if (layout->colorCount == 0 || layout->colorCount > (size_t(1) << layout->bitCount))
            layout->colorCount = size_t(1) << layout->bitCount;
        break;
    case 16: case 24: case 32:
        if (layout->colorEntrySize == 3)
            layout->colorCount = 0;
        if (layout->colorCount > 256)
            return false;
        break;
    default:
        return false;
    }
    if (layout->compression != BI_RGB && layout->compression != BI_BITFIELDS)
        return false;
    if (layout->compression == BI_BITFIELDS && layout->bitCount != 16 && layout->bitCount != 32)
        return false;
    if (layout->width <= 0 || layout->height == 0 || layout->width > 0x8000 || std::llabs(layout->height) > 0x8000)
        return false;
    // Decoding makes the whole picture: no larger than any bitmap the layer creates.
    if (layout->width * std::llabs(layout->height) > kMaxBitmapPixels)
        return false;
    return true;
}

int MaskShift(DWORD mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

BYTE MaskValue(DWORD pixel, DWORD mask)
{
    if (!mask)
        return 0;
    const int shift = MaskShift(mask);
    const DWORD bits = mask >> shift;
    return static_cast<BYTE>(((pixel & mask) >> shift) * 255 / bits);
}

} // namespace

size_t DibHeaderAndColorTableSize(const BITMAPINFO* info, size_t available)
{
    DibLayout layout;
    if (!ReadLayout(info, available, &layout))
        return 0;
    const size_t total = layout.headerSize + layout.masksSize + layout.colorCount * layout.colorEntrySize;
    return total <= available ? total : 0;
}

bool DecodeDib(const BITMAPINFO* info, const void* bits, size_t bitsSize, int* width, int* height,
               std::vector<uint32_t>* pixels)
{
    DibLayout layout;
    const size_t tableEnd = DibHeaderAndColorTableSize(info, std::numeric_limits<size_t>::max());
    if (!bits || tableEnd == 0 || !ReadLayout(info, tableEnd, &layout))
        return false;
    const auto* base = reinterpret_cast<const uint8_t*>(info);
    const int64_t w = layout.width;
    const int64_t h = std::llabs(layout.height);
    const size_t stride = size_t(((w * layout.bitCount + 31) / 32) * 4);
    // The rows handed over may be fewer than the header declares: only those are shown.
    const int64_t rows = std::min<int64_t>(h, int64_t(bitsSize / stride));
    if (rows <= 0)
        return false;

    std::vector<uint32_t> table(layout.colorCount);
    const uint8_t* entries = base + layout.headerSize + layout.masksSize;
    for (size_t i = 0; i < layout.colorCount; ++i) {
        const uint8_t* e = entries + i * layout.colorEntrySize;
        table[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    DWORD masks[3] = {0, 0, 0};
    if (layout.compression == BI_BITFIELDS)
        std::memcpy(masks, base + sizeof(DWORD) * 10, sizeof masks);
    else if (layout.bitCount == 16)
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    else if (layout.bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;

    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    pixels->assign(size_t(w) * size_t(h), 0);
    const auto* src = static_cast<const uint8_t*>(bits);
    auto lookup = [&](size_t index) -> uint32_t { return index < table.size() ? table[index] : 0; };
    for (int64_t r = 0; r < rows; ++r) {
        // Stored row r is the r-th from the bottom of a bottom-up DIB.
        const int64_t y = layout.height > 0 ? h - 1 - r : r;
        const uint8_t* row = src + size_t(r) * stride;
        uint32_t* out = pixels->data() + size_t(y) * size_t(w);
        for (int64_t x = 0; x < w; ++x) {
            uint32_t value = 0;
            switch (layout.bitCount) {
            case 1: value = lookup((row[x / 8] >> (7 - x % 8)) & 1); break;
            case 4: value = lookup((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F); break;
            case 8: value = lookup(row[x]); break;
            case 16: {
                const DWORD p = DWORD(row[x * 2]) | (DWORD(row[x * 2 + 1]) << 8);
                value = (uint32_t(MaskValue(p, masks[0])) << 16) | (uint32_t(MaskValue(p, masks[1])) << 8) |
                        MaskValue(p, masks[2]);
                break;
            }
            case 24: value = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3]; break;
            case 32: {
                DWORD p;
                std::memcpy(&p, row + x * 4, 4);
                value = (uint32_t(MaskValue(p, masks[0])) << 16) | (uint32_t(MaskValue(p, masks[1])) << 8) |
                        MaskValue(p, masks[2]);
                break;
            }
            }
            out[x] = value;
        }
    }
    return true;
}
