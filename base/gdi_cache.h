// The application-wide cache of drawing objects (pens of five line styles and solid brushes for
// a palette of 16 colours, a halftone brush and six 8 × 8 pattern brushes) and the sorted list
// of installed font faces. One instance per program, filled once at start-up; callers select the
// objects handed out and never delete them.
#pragma once

#include "platform/fonts.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

#include <map>
#include <memory>
#include <vector>

// The palette, as COLORREF values; an index into it is a colour's index everywhere in the cache.
extern const COLORREF GDI_PALETTE_COLORS[16];

// The installed faces: pairs of a description and its metrics, one per face name, sorted by face
// name (code page 932 text compared as the C runtime's _mbscmp does).
class CInstalledFontList {
public:
    // Enumerates the faces on a device context: the Shift-JIS faces, then the ANSI ones; a face
    // reported again is ignored; then the list is sorted. Without a context the list stays empty.
    void Enumerate(CDC* dc);
    // One reported face: appended unless a face of that name is listed already.
    void Add(const LOGFONTA& font, const NEWTEXTMETRICA& metrics);
    void Sort();
    void Clear();

    int GetCount() const { return static_cast<int>(m_fonts.size()); }
    bool Find(const char* face, LOGFONTA* out) const;
    int Get(int index, LOGFONTA* out) const;
    int GetMetric(int index, NEWTEXTMETRICA* out) const;

private:
    std::vector<LOGFONTA> m_fonts;
    std::vector<NEWTEXTMETRICA> m_metrics;
};

class CGdiCache {
public:
    CGdiCache();
    virtual ~CGdiCache();
    CGdiCache(const CGdiCache&) = delete;
    CGdiCache& operator=(const CGdiCache&) = delete;

    // The program's cache.
    static CGdiCache& Instance();

    // Creates every object once; a second call does nothing. The font list is enumerated on a
    // screen context (CreateScreenDC) and stays empty when there is none.
    void CreateGdiResources();
    bool IsCreated() const { return m_created != 0; }

    // The pens and brushes of a colour. A palette colour gets the cached object of its index; any
    // other colour gets an object of its own colour, made on first use and kept like the others.
    CPen* GetSolidPen(COLORREF color) { return Pen(0, color); }
    CPen* GetDotPen(COLORREF color) { return Pen(1, color); }
    CPen* GetDashPen(COLORREF color) { return Pen(2, color); }
    CPen* GetDashDotPen(COLORREF color) { return Pen(3, color); }
    CPen* GetDashDotDotPen(COLORREF color) { return Pen(4, color); }
    CBrush* GetSolidBrush(COLORREF color);
    CBrush* GetHalftoneBrush() { return &m_halftoneBrush; }
    // 0 horizontal, 1 vertical, 2 "/" diagonals, 3 "\" diagonals, 4 grid, 5 diagonal cross;
    // null for any other type.
    CBrush* GetPatternBrush(int type);
    void GetGuiLogFont(LOGFONTA* font) const { *font = m_guiFont; }
    CInstalledFontList& InstalledFonts() { return m_installedFonts; }
    const CInstalledFontList& InstalledFonts() const { return m_installedFonts; }

private:
    CPen* Pen(int style, COLORREF color);

    LOGFONTA m_guiFont{};
    CInstalledFontList m_installedFonts;
    CBitmap m_halftoneBitmap;
    CBrush m_halftoneBrush;
    CPen m_pens[5][16];  // solid, dot, dash, dash-dot, dash-dot-dot
    CBrush m_solidBrushes[16];
    CBitmap m_patternBitmaps[6];  // resources 359, 360, 357, 358, 361, 362
    CBrush m_patternBrushes[6];
    int m_created = 0;
    std::map<COLORREF, std::unique_ptr<CPen>> m_ownColorPens[5];
    std::map<COLORREF, std::unique_ptr<CBrush>> m_ownColorBrushes;
};

// The operations on the program's cache.
void CreateGdiResources();
// Index of the first equal palette entry; 0 (black) for any other colour.
int PaletteIndexOfColor(COLORREF color);
CPen* GetSolidPen(COLORREF color);
CPen* GetDotPen(COLORREF color);
CPen* GetDashPen(COLORREF color);
CPen* GetDashDotPen(COLORREF color);
CPen* GetDashDotDotPen(COLORREF color);
CBrush* GetSolidBrush(COLORREF color);
CBrush* GetHalftoneBrush();
CBrush* GetPatternBrush(int type);
void GetGuiLogFont(LOGFONTA* font);
// True and the face's description copied out when the face is installed; false and `out`
// untouched otherwise.
bool FindInstalledFont(const char* face, LOGFONTA* out);
int GetInstalledFontCount();
// The index with the entry copied out; -1 (and `out` untouched) for an index outside the list.
int GetInstalledFont(int index, LOGFONTA* out);
int GetInstalledFontMetric(int index, NEWTEXTMETRICA* out);
// For an installed face: its character set, precisions, quality, pitch and family and face name
// go into the font; size, width, escapement, orientation, weight and style stay. Otherwise the
// font is left as it was.
void ApplyInstalledFontFace(LOGFONTA* font, const char* face);
// The face of `face` (character set, precisions, quality, pitch and family and the name, cut to
// end within the field) goes into the font; size, width, weight and style stay.
void CopyFontFace(LOGFONTA* font, const LOGFONTA& face);
// A face from the default-font table, where installed, with the italic setting that goes with it.
void ApplyInstalledFontFace(LOGFONTA* font, const LOGFONTA& face, int italic);
