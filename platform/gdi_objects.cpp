#include "platform/gdi_objects.h"

#include "platform/codepage.h"
#include "platform/gdi.h"
#include "platform/gdi_internal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
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
        if (it->second->type == OBJ_FONT)
            m_fontDeletions.fetch_add(1, std::memory_order_relaxed);
        m_objects.erase(it);
        --m_live;
        return true;
    }

    uint64_t FontDeletions() const { return m_fontDeletions.load(std::memory_order_relaxed); }

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
    std::atomic<uint64_t> m_fontDeletions{0};
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
    d->region = NormalizedRect(RECT{left, top, right, bottom});
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

bool GetBrushPatternColours(HBRUSH brush, bool* monochrome, std::vector<uint32_t>* colours)
{
    auto d = FindObject(brush, OBJ_BRUSH);
    if (!d || d->brushStyle != BS_PATTERN)
        return false;
    *monochrome = d->patternMonochrome;
    *colours = d->patternColours;
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

uint64_t GdiFontDeletionCount() { return Registry::Instance().FontDeletions(); }

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
