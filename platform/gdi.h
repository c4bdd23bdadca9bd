// The drawing layer: GDI objects (pens, brushes, fonts, bitmaps, regions, palettes) behind
// 32-bit handles, and the device context `CDC` with Windows' mapping modes, selected objects,
// text colour and alignment, raster operations and clipping. Two device contexts implement the
// drawing itself: CQtDC (platform/gdi_qt.h) paints with Qt, CRecordingDC
// (platform/gdi_recording.h) records every call and measures text with fixed synthetic metrics.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Constants

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

// Binary raster operations (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Ternary raster operations (PatBlt, BitBlt, StretchBlt, StretchDIBits).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Text alignment.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// GetDeviceCaps indexes.
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

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

// DIB colour use.
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

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

struct ABC {
    int abcA;
    UINT abcB;
    int abcC;
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

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(RGBTRIPLE) == 3);
static_assert(sizeof(PALETTEENTRY) == 4);

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

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

// ---------------------------------------------------------------------------------------------
// Device context

// How a device context answers GetObjectType and IsPrinting.
enum class DeviceKind {
    Screen,      // a window or the screen: OBJ_DC
    Memory,      // a memory DC drawing into a selected bitmap: OBJ_MEMDC
    Printer,     // a printer: OBJ_DC, IsPrinting
    Metafile,    // an enhanced metafile being recorded: OBJ_ENHMETADC
};

class CDC {
public:
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    // --- the device
    virtual int GetDeviceCaps(int index) const;
    BOOL IsPrinting() const { return m_kind == DeviceKind::Printer; }
    DeviceKind GetDeviceKind() const { return m_kind; }
    // OBJ_DC, OBJ_MEMDC or OBJ_ENHMETADC.
    DWORD GetObjectType() const;
    // The context that answers metric questions: this one, another given by the owner, or null
    // (a metafile context that has none; its users then measure on a screen context).
    CDC* GetAttributeDC() const { return m_attributeDC; }
    void SetAttributeDC(CDC* dc) { m_attributeDC = dc; }
    // A memory context of the same kind of device, with no bitmap until one is selected.
    virtual std::unique_ptr<CDC> CreateCompatibleDC() = 0;

    // --- saved states
    int SaveDC();
    // n > 0 restores that saved state, n < 0 the n-th most recent; the later ones are dropped.
    BOOL RestoreDC(int n);

    // --- mapping
    int SetMapMode(int mode);
    int GetMapMode() const { return m_state.mapMode; }
    POINT SetWindowOrg(int x, int y);
    POINT SetViewportOrg(int x, int y);
    POINT OffsetWindowOrg(int dx, int dy);
    POINT OffsetViewportOrg(int dx, int dy);
    // Extents change only in MM_ISOTROPIC and MM_ANISOTROPIC; a zero extent is refused.
    SIZE SetWindowExt(int cx, int cy);
    SIZE SetViewportExt(int cx, int cy);
    POINT GetWindowOrg() const { return m_state.windowOrg; }
    POINT GetViewportOrg() const { return m_state.viewportOrg; }
    SIZE GetWindowExt() const { return m_state.windowExt; }
    SIZE GetViewportExt() const { return m_state.viewportExt; }
    void LPtoDP(POINT* points, int count = 1) const;
    void LPtoDP(RECT* rect) const;
    void LPtoDP(SIZE* size) const;  // a length in each direction, without the origins
    void DPtoLP(POINT* points, int count = 1) const;
    void DPtoLP(RECT* rect) const;
    void DPtoLP(SIZE* size) const;

    // --- selected objects. Each returns the previous object, or a null handle when the handle
    // names no object of that kind (the selection is then unchanged).
    HPEN SelectObject(HPEN pen);
    HBRUSH SelectObject(HBRUSH brush);
    HFONT SelectObject(HFONT font);
    // Only a memory context takes a bitmap.
    HBITMAP SelectObject(HBITMAP bitmap);
    HPEN SelectObject(const CPen* pen) { return SelectObject(pen ? HPEN(*pen) : HPEN()); }
    HBRUSH SelectObject(const CBrush* brush) { return SelectObject(brush ? HBRUSH(*brush) : HBRUSH()); }
    HFONT SelectObject(const CFont* font) { return SelectObject(font ? HFONT(*font) : HFONT()); }
    HBITMAP SelectObject(const CBitmap* bitmap) { return SelectObject(bitmap ? HBITMAP(*bitmap) : HBITMAP()); }
    HGDIOBJ SelectObject(HGDIOBJ object);  // by the kind of the object
    HGDIOBJ SelectStockObject(int index) { return SelectObject(GetStockObject(index)); }
    HPEN GetCurrentPen() const { return m_state.pen; }
    HBRUSH GetCurrentBrush() const { return m_state.brush; }
    HFONT GetCurrentFont() const { return m_state.font; }
    HBITMAP GetCurrentBitmap() const { return m_state.bitmap; }
    HPALETTE SelectPalette(HPALETTE palette, BOOL forceBackground);
    UINT RealizePalette() { return 0; }

    // --- attributes
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_state.textColor; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_state.bkColor; }
    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }
    UINT SetTextAlign(UINT align);
    UINT GetTextAlign() const { return m_state.textAlign; }
    int SetROP2(int rop);
    int GetROP2() const { return m_state.rop2; }
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const { return m_state.polyFillMode; }
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return m_state.stretchMode; }

    // --- clipping (rectangles only; the clip is kept in device coordinates)
    // Limits drawing to the region (in device coordinates), or lifts the limit for null.
    int SelectClipRgn(HRGN region);
    int SelectClipRgn(const CRgn* region) { return SelectClipRgn(region ? HRGN(*region) : HRGN()); }
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const RECT* rect) { return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom); }
    // The clip (or the whole device) in logical coordinates.
    int GetClipBox(RECT* rect) const;

    // --- lines and shapes (logical coordinates)
    POINT MoveTo(int x, int y);
    POINT MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    POINT GetCurrentPosition() const { return m_state.position; }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Polyline(const POINT* points, int count);
    // count = 3n + 1: a start point, then two control points and an end point per curve.
    BOOL PolyBezier(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT* r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT* r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
    // The counter-clockwise arc of the ellipse in the box from its intersection with the ray
    // from the centre through (xStart, yStart) to that with the ray through (xEnd, yEnd).
    BOOL Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
    BOOL Arc(const RECT* r, POINT start, POINT end)
    {
        return Arc(r->left, r->top, r->right, r->bottom, start.x, start.y, end.x, end.y);
    }

    // --- areas
    int FillRect(const RECT* rect, HBRUSH brush);
    int FillRect(const RECT* rect, const CBrush* brush) { return FillRect(rect, brush ? HBRUSH(*brush) : HBRUSH()); }
    int FrameRect(const RECT* rect, HBRUSH brush);
    int FrameRect(const RECT* rect, const CBrush* brush) { return FrameRect(rect, brush ? HBRUSH(*brush) : HBRUSH()); }
    BOOL InvertRect(const RECT* rect);
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                    int sourceWidth, int sourceHeight, DWORD rop);
    COLORREF SetPixel(int x, int y, COLORREF color);
    // The colour at the point; 0xFFFFFFFF (CLR_INVALID) outside the device or where the
    // device keeps no pixels.
    virtual COLORREF GetPixel(int x, int y) const = 0;

    // --- packed DIBs: `info` is the header and colour table, `bits` the pixel rows.
    // ySource counts from the lower-left corner of a bottom-up DIB, as Windows does.
    int SetDIBitsToDevice(int x, int y, DWORD width, DWORD height, int xSource, int ySource,
                          UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                          UINT colorUse);
    int StretchDIBits(int x, int y, int width, int height, int xSource, int ySource, int sourceWidth,
                      int sourceHeight, const void* bits, const BITMAPINFO* info, UINT colorUse, DWORD rop);

    // --- text. Coordinates are logical; the reference point follows the text alignment.
    BOOL TextOutW(int x, int y, const char16_t* text, int count);
    BOOL TextOutW(int x, int y, std::u16string_view text) { return TextOutW(x, y, text.data(), static_cast<int>(text.size())); }
    // Code page 932 bytes, through the context's own text output.
    BOOL TextOutA(int x, int y, const char* text, int count);
    BOOL TextOutA(int x, int y, std::string_view text) { return TextOutA(x, y, text.data(), static_cast<int>(text.size())); }
    // ETO_OPAQUE fills `rect` (when given) with the background colour first; ETO_CLIPPED clips the
    // text to it. `dx` (optional) gives the distance from each character to the next.
    BOOL ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT count, const int* dx);
    BOOL ExtTextOutA(int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx);

    // --- text measuring, in logical units of the selected font
    BOOL GetTextExtentPoint32W(const char16_t* text, int count, SIZE* size) const;
    BOOL GetTextExtentPoint32A(const char* text, int count, SIZE* size) const;
    BOOL GetTextMetricsA(TEXTMETRICA* metrics) const;
    BOOL GetCharABCWidthsW(UINT first, UINT last, ABC* widths) const;
    BOOL GetCharWidth32W(UINT first, UINT last, int* widths) const;

protected:
    explicit CDC(DeviceKind kind);

    struct PenInfo {
        int style = PS_SOLID;
        int width = 0;
        COLORREF color = 0;
    };
    struct BrushInfo {
        UINT style = BS_SOLID;
        COLORREF color = 0xFFFFFF;
        BYTE pattern[8] = {};  // BS_PATTERN: rows, bit 7 leftmost, 1 = background colour
        bool monochrome = true;
        std::vector<uint32_t> colours;  // BS_PATTERN from a colour bitmap: 64 pixels 0x00RRGGBB
    };

    enum class TextCall { TextOutW, TextOutA, ExtTextOutW, ExtTextOutA };
    struct TextRun {
        TextCall call = TextCall::TextOutW;
        int x = 0;
        int y = 0;
        UINT options = 0;
        bool hasRect = false;
        RECT rect{};
        std::u16string text;     // the text as drawn (code page 932 text converted)
        std::string bytes;       // the code page 932 bytes of the narrow calls
        std::vector<int> dx;     // empty, or one distance per unit of `text`
    };

    // A decoded DIB: pixels 0x00RRGGBB, top row first.
    struct DibImage {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };

    // Drawing, in logical coordinates with the state in force. Each returns false when nothing
    // could be drawn.
    virtual bool DrawLine(POINT from, POINT to) = 0;
    virtual bool DrawPolyline(const std::vector<POINT>& points) = 0;
    virtual bool DrawBeziers(const std::vector<POINT>& points) = 0;
    virtual bool DrawPolygon(const std::vector<POINT>& points) = 0;
    virtual bool DrawRectangle(const RECT& r) = 0;
    virtual bool DrawEllipse(const RECT& r) = 0;
    virtual bool DrawArc(const RECT& box, POINT start, POINT end) = 0;
    virtual bool DoFillRect(const RECT& r, const BrushInfo& brush) = 0;
    virtual bool DoFrameRect(const RECT& r, const BrushInfo& brush) = 0;
    virtual bool DoInvertRect(const RECT& r) = 0;
    virtual bool DoFillSolidRect(const RECT& r, COLORREF color) = 0;
    virtual bool DoPatBlt(const RECT& r, DWORD rop) = 0;
    virtual bool DoBitBlt(const RECT& destination, CDC* source, const RECT& sourceRect, DWORD rop, bool stretch) = 0;
    virtual bool DoSetPixel(int x, int y, COLORREF color) = 0;
    // The DIB rectangle `source` (top-down pixel coordinates) into `destination` (logical).
    virtual bool DrawDib(const RECT& destination, const DibImage& image, const RECT& source, DWORD rop, bool stretch) = 0;
    virtual bool DrawTextRun(const TextRun& run) = 0;

    // Measuring with the selected font, in logical units.
    virtual bool MeasureText(std::u16string_view text, SIZE* size) const = 0;
    virtual bool MeasureMetrics(TEXTMETRICA* metrics) const = 0;
    virtual bool MeasureAbc(char16_t unit, ABC* abc) const = 0;

    // The device's own size in pixels and resolution, for GetDeviceCaps.
    virtual SIZE DeviceSize() const = 0;
    virtual int DeviceDpiX() const = 0;
    virtual int DeviceDpiY() const = 0;

    // Called after the selected bitmap of a memory context changed (the previous one is given).
    virtual void BitmapSelected(HBITMAP previous) { (void)previous; }
    // Called after a pen, brush or font was selected (also by RestoreDC), with the new one.
    virtual void ObjectSelected(HGDIOBJ object) { (void)object; }

    // Descriptions of the selected objects (stock defaults when a handle was deleted meanwhile).
    PenInfo CurrentPenInfo() const;
    BrushInfo CurrentBrushInfo() const;
    static bool BrushInfoOf(HBRUSH brush, BrushInfo* info);
    LOGFONTA CurrentLogFont() const;

    // The mapping as scale factors: device = (logical − window origin) × scale + viewport origin.
    double ScaleX() const;
    double ScaleY() const;
    // The clip in device coordinates, when one is set.
    bool HasClip() const { return m_state.hasClip; }
    RECT ClipRect() const { return m_state.clip; }

private:
    struct State {
        int mapMode = MM_TEXT;
        POINT windowOrg{0, 0};
        POINT viewportOrg{0, 0};
        SIZE windowExt{1, 1};
        SIZE viewportExt{1, 1};
        HPEN pen;
        HBRUSH brush;
        HFONT font;
        HBITMAP bitmap;
        HPALETTE palette;
        COLORREF textColor = 0x000000;
        COLORREF bkColor = 0xFFFFFF;
        int bkMode = OPAQUE;
        UINT textAlign = TA_LEFT | TA_TOP;
        int rop2 = R2_COPYPEN;
        int polyFillMode = ALTERNATE;
        int stretchMode = BLACKONWHITE;
        POINT position{0, 0};
        bool hasClip = false;
        RECT clip{};
    };

    bool DrawDibImpl(int x, int y, int width, int height, int xSource, int ySource, int sourceWidth,
                     int sourceHeight, const void* bits, const BITMAPINFO* info, DWORD rop, bool stretch,
                     UINT startScan, UINT scanLines);
    BOOL TextImpl(TextCall call, int x, int y, UINT options, const RECT* rect, std::u16string text,
                  std::string bytes, const int* dx);

    DeviceKind m_kind;
    CDC* m_attributeDC;
    State m_state;
    std::vector<State> m_saved;
};

// The context for measuring when the given one is a metafile (or has none): a screen context
// at 96 dots per inch. Programs get the Qt one; tests may install a factory of their own.
std::unique_ptr<CDC> CreateScreenDC();
using ScreenDCFactory = std::unique_ptr<CDC> (*)();
// Installs a factory (null restores the default) and returns the previous one.
ScreenDCFactory SetScreenDCFactory(ScreenDCFactory factory);

// Decodes a packed DIB (header, colour table, pixel rows) into 0x00RRGGBB pixels, top row
// first. Accepts 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB and BI_BITFIELDS, both header
// forms and top-down DIBs; `bitsSize` bounds the pixel rows read. False for anything else.
bool DecodeDib(const BITMAPINFO* info, const void* bits, size_t bitsSize, int* width, int* height,
               std::vector<uint32_t>* pixels);
// The size of the header and colour table of a packed DIB; 0 when the header is not valid.
size_t DibHeaderAndColorTableSize(const BITMAPINFO* info, size_t available);
