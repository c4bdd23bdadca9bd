// The device context `CDC` of the drawing layer, with Windows' mapping modes, selected objects,
// text colour and alignment, raster operations and clipping. Two device contexts implement the
// drawing itself: CQtDC (platform/gdi_qt.h) paints with Qt, CRecordingDC
// (platform/gdi_recording.h) records every call and measures text with fixed synthetic metrics;
// tests check geometry with it, and formula marks on vertical pages record their strokes through
// it and replay them turned.
// The objects it draws with are in platform/gdi_objects.h, the DIB records in
// platform/packed_dib.h.
#pragma once

#include "platform/gdi_objects.h"
#include "platform/packed_dib.h"
#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Constants

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

// DIB colour use.
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// ---------------------------------------------------------------------------------------------
// Records

struct ABC {
    int abcA;
    UINT abcB;
    int abcC;
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
    // Whether a clip region was selected (GetClipBox answers the whole device without one).
    bool IsClipped() const { return HasClip(); }

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

    // A DIB to draw: its size in pixels and its reader, from which a context decodes only the
    // pixels it shows.
    struct DibImage {
        int width = 0;
        int height = 0;
        const PackedDibReader* reader = nullptr;
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

    // The description of the font CurrentLogFont read last.
    struct DescribedFont {
        bool valid = false;
        HFONT font;
        uint64_t deletions = 0;
        LOGFONTA description{};
    };

    DeviceKind m_kind;
    CDC* m_attributeDC;
    State m_state;
    std::vector<State> m_saved;
    mutable DescribedFont m_described;
};

// The context for measuring when the given one is a metafile (or has none): a screen context
// at 96 dots per inch. Programs get the Qt one; tests may install a factory of their own.
std::unique_ptr<CDC> CreateScreenDC();
using ScreenDCFactory = std::unique_ptr<CDC> (*)();
// Installs a factory (null restores the default) and returns the previous one.
ScreenDCFactory SetScreenDCFactory(ScreenDCFactory factory);
