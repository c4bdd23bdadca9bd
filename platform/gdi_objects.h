// GDI objects: pens, brushes, fonts, bitmaps, regions and palettes behind 32-bit handles, kept
// in one registry of the layer, with the framework's wrappers that own a handle each. The device
// context that draws with them is in platform/gdi.h.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Brush styles.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_PATTERN = 3;

// Object types (GetObjectType of objects and of device contexts).
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_METADC = 4;
constexpr DWORD OBJ_PAL = 5;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_METAFILE = 9;
constexpr DWORD OBJ_MEMDC = 10;
constexpr DWORD OBJ_ENHMETADC = 12;
constexpr DWORD OBJ_ENHMETAFILE = 13;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Region results (clipping).
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_COPY = 5;

// Font constants beyond those of win_types.h.
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_STROKE_PRECIS = 2;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
// TEXTMETRICA::tmPitchAndFamily bits: TMPF_FIXED_PITCH set means a variable-pitch font.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// ---------------------------------------------------------------------------------------------
// Records

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;  // x is the width
    COLORREF lopnColor;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    uintptr_t lbHatch;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

static_assert(sizeof(PALETTEENTRY) == 4);

// ---------------------------------------------------------------------------------------------
// Handles: 32-bit ids of objects kept by the layer, so that they fit in the 32-bit ints in which
// the document code passes them. 0 is no object. DeleteObject removes an object; a handle that
// names no live object is refused by every function, as Windows refuses a stale handle.

class HGDIOBJ {
public:
    constexpr HGDIOBJ() = default;
    constexpr HGDIOBJ(std::nullptr_t) {}
    constexpr explicit HGDIOBJ(uint32_t id) : m_id(id) {}
    constexpr uint32_t Value() const { return m_id; }
    constexpr explicit operator bool() const { return m_id != 0; }
    friend constexpr bool operator==(HGDIOBJ a, HGDIOBJ b) { return a.m_id == b.m_id; }

private:
    uint32_t m_id = 0;
};

#define QN_DECLARE_GDI_HANDLE(Name)                                  \
    class Name : public HGDIOBJ {                                    \
    public:                                                          \
        constexpr Name() = default;                                  \
        constexpr Name(std::nullptr_t) {}                            \
        constexpr explicit Name(uint32_t id) : HGDIOBJ(id) {}        \
        constexpr explicit Name(HGDIOBJ h) : HGDIOBJ(h.Value()) {}   \
    };
QN_DECLARE_GDI_HANDLE(HPEN)
QN_DECLARE_GDI_HANDLE(HBRUSH)
QN_DECLARE_GDI_HANDLE(HFONT)
QN_DECLARE_GDI_HANDLE(HBITMAP)
QN_DECLARE_GDI_HANDLE(HRGN)
QN_DECLARE_GDI_HANDLE(HPALETTE)
#undef QN_DECLARE_GDI_HANDLE

class CDC;
using HDC = CDC*;

// Object creation. Every function returns a null handle when it cannot create the object.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
// A brush painted with the 8 × 8 top-left corner of the bitmap. A monochrome bitmap paints its
// 0 bits in the text colour and its 1 bits in the background colour of the device context.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HFONT CreateFontIndirectA(const LOGFONTA* font);
// A bitmap of width × height; bitsPerPixel 1 (monochrome, rows of `bits` padded to 16 bits, a 1
// bit white) or 32 (0x00RRGGBB values, top row first). bits may be null (all black).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A colour bitmap of width × height for drawing through a memory device context, white.
HBITMAP CreateCompatibleBitmap(CDC* dc, int width, int height);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HPALETTE CreatePalette(const LOGPALETTE* palette);

BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
// OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_REGION, OBJ_PAL; 0 for a handle of no object.
DWORD GetObjectType(HGDIOBJ object);

// GetObject for each kind: copies the object's description; false for a handle of another kind.
bool GetObject(HPEN pen, LOGPEN* out);
bool GetObject(HBRUSH brush, LOGBRUSH* out);
bool GetObject(HFONT font, LOGFONTA* out);
bool GetObject(HBITMAP bitmap, BITMAP* out);
// The 8 rows of a pattern brush (bit 7 the leftmost pixel, a 1 bit the background colour).
bool GetBrushPattern(HBRUSH brush, BYTE rows[8]);
// A copy of a bitmap's pixels (0x00RRGGBB, top row first; monochrome as black and white).
bool GetBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>* pixels);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
bool GetRgnBox(HRGN region, RECT* box);

// Number of objects created and not yet deleted (stock objects excluded), for leak tests.
size_t GdiLiveObjectCount();
// Number of fonts deleted so far: a font's description copied earlier holds while it is unchanged.
uint64_t GdiFontDeletionCount();

// ---------------------------------------------------------------------------------------------
// Framework wrappers: each owns the handle it created and deletes it when it is destroyed.

class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject();

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject();
    HGDIOBJ Detach();
    BOOL Attach(HGDIOBJ object);

protected:
    HGDIOBJ m_hObject;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    operator HPEN() const { return HPEN(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreatePatternBrush(const class CBitmap* bitmap);
    operator HBRUSH() const { return HBRUSH(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* font);
    operator HFONT() const { return HFONT(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    operator HBITMAP() const { return HBITMAP(m_hObject); }
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    operator HRGN() const { return HRGN(m_hObject); }
};

class CPalette : public CGdiObject {
public:
    BOOL CreatePalette(const LOGPALETTE* palette);
    operator HPALETTE() const { return HPALETTE(m_hObject); }
};
