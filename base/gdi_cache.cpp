#include "base/gdi_cache.h"

#include "platform/wide_runtime.h"

#include <array>
#include <cstring>
#include <string_view>
#include <utility>

const COLORREF GDI_PALETTE_COLORS[16] = {
    0x000000, 0xC0C0C0, 0x808080, 0xFFFFFF, 0x000080, 0x0000FF, 0x800080, 0xFF00FF,
    0x008000, 0x00FF00, 0x008080, 0x00FFFF, 0x800000, 0xFF0000, 0x808000, 0xFFFF00,
};

namespace {

// Rows of the 8 × 8 monochrome pattern bitmaps, each row in a 16-bit word as the bitmaps store
// them; a 0 bit is a line of the pattern.
struct PatternResource {
    int id;
    WORD rows[8];
};
// In the order the cache loads them.
constexpr PatternResource kPatternResources[6] = {
    {359, {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00}},  // horizontal lines
    {360, {0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB, 0xBB}},  // vertical lines
    {357, {0xDD, 0xEE, 0x77, 0xBB, 0xDD, 0xEE, 0x77, 0xBB}},  // "\" diagonals
    {358, {0xBB, 0x77, 0xEE, 0xDD, 0xBB, 0x77, 0xEE, 0xDD}},  // "/" diagonals
    {361, {0xBB, 0xBB, 0xBB, 0x00, 0xBB, 0xBB, 0xBB, 0x00}},  // grid
    {362, {0x55, 0xEE, 0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB}},  // diagonal cross
};
// Pattern type → position in the load order.
constexpr int kPatternOfType[6] = {0, 1, 3, 2, 4, 5};

constexpr WORD kHalftoneRows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
constexpr int kPenStyles[5] = {PS_SOLID, PS_DOT, PS_DASH, PS_DASHDOT, PS_DASHDOTDOT};

std::string_view FaceOf(const LOGFONTA& font) { return std::string_view(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)); }

bool IsPaletteColor(COLORREF color)
{
    for (COLORREF c : GDI_PALETTE_COLORS)
        if (c == color)
            return true;
    return false;
}

int CollectFont(const LOGFONTA* font, const NEWTEXTMETRICA* metrics, DWORD, intptr_t lParam)
{
    reinterpret_cast<CInstalledFontList*>(lParam)->Add(*font, *metrics);
    return 1;
}

} // namespace

// --- installed fonts

void CInstalledFontList::Enumerate(CDC* dc)
{
    if (dc == nullptr)
        return;
    for (BYTE charSet : {SHIFTJIS_CHARSET, ANSI_CHARSET}) {
        LOGFONTA filter{};
        filter.lfCharSet = charSet;
        EnumFontFamiliesExA(dc, &filter, CollectFont, reinterpret_cast<intptr_t>(this), 0);
    }
    Sort();
}

void CInstalledFontList::Add(const LOGFONTA& font, const NEWTEXTMETRICA& metrics)
{
    for (const LOGFONTA& listed : m_fonts)
        if (CompareMultiByte(FaceOf(listed), FaceOf(font)) == 0)
            return;
    m_fonts.push_back(font);
    m_metrics.push_back(metrics);
}

void CInstalledFontList::Sort()
{
    const size_t n = m_fonts.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (CompareMultiByte(FaceOf(m_fonts[i]), FaceOf(m_fonts[j])) > 0) {
                std::swap(m_fonts[i], m_fonts[j]);
                std::swap(m_metrics[i], m_metrics[j]);
            }
}

void CInstalledFontList::Clear()
{
    m_fonts.clear();
    m_metrics.clear();
}

bool CInstalledFontList::Find(const char* face, LOGFONTA* out) const
{
    if (face == nullptr)
        return false;
    const std::string_view wanted(face, strnlen(face, LF_FACESIZE));
    // A paper asks for the same few faces once per character: the places of the last faces found
    // are tried first. Listed names are unique, so a place whose face matches is the answer.
    constexpr size_t kHints = 4;
    thread_local std::array<size_t, kHints> hints{};
    thread_local size_t nextHint = 0;
    auto found = [&](size_t index) {
        if (out)
            *out = m_fonts[index];
        return true;
    };
    // A hint is tried for the very bytes first, which spares the comparison without case.
    for (const size_t index : hints)
        if (index < m_fonts.size() && FaceOf(m_fonts[index]) == wanted)
            return found(index);
    for (const size_t index : hints)
        if (index < m_fonts.size() && CompareMultiByte(FaceOf(m_fonts[index]), wanted) == 0)
            return found(index);
    for (size_t index = 0; index < m_fonts.size(); ++index)
        if (CompareMultiByte(FaceOf(m_fonts[index]), wanted) == 0) {
            hints[nextHint] = index;
            nextHint = (nextHint + 1) % kHints;
            return found(index);
        }
    return false;
}

int CInstalledFontList::Get(int index, LOGFONTA* out) const
{
    if (index < 0 || index >= GetCount())
        return -1;
    if (out)
        *out = m_fonts[size_t(index)];
    return index;
}

int CInstalledFontList::GetMetric(int index, NEWTEXTMETRICA* out) const
{
    if (index < 0 || index >= GetCount())
        return -1;
    if (out)
        *out = m_metrics[size_t(index)];
    return index;
}

// --- the cache

CGdiCache::CGdiCache() = default;
CGdiCache::~CGdiCache() = default;

void CGdiCache::CreateGdiResources()
{
    if (m_created)
        return;
    m_halftoneBitmap.CreateBitmap(8, 8, 1, 1, kHalftoneRows);
    m_halftoneBrush.CreatePatternBrush(&m_halftoneBitmap);
    GetObject(HFONT(GetStockObject(DEFAULT_GUI_FONT)), &m_guiFont);
    if (std::unique_ptr<CDC> screen = CreateScreenDC())
        m_installedFonts.Enumerate(screen.get());
    for (int style = 0; style < 5; ++style)
        for (int i = 0; i < 16; ++i)
            m_pens[style][i].CreatePen(kPenStyles[style], 1, GDI_PALETTE_COLORS[i]);
    for (int i = 0; i < 16; ++i)
        m_solidBrushes[i].CreateSolidBrush(GDI_PALETTE_COLORS[i]);
    for (int i = 0; i < 6; ++i) {
        m_patternBitmaps[i].CreateBitmap(8, 8, 1, 1, kPatternResources[i].rows);
        m_patternBrushes[i].CreatePatternBrush(&m_patternBitmaps[i]);
    }
    m_created = 1;
}

CPen* CGdiCache::Pen(int style, COLORREF color)
{
    color &= 0xFFFFFF;
    if (IsPaletteColor(color))
        return &m_pens[style][PaletteIndexOfColor(color)];
    // Any other colour is drawn as itself, not as black.
    std::unique_ptr<CPen>& pen = m_ownColorPens[style][color];
    if (!pen)
        pen = std::make_unique<CPen>(kPenStyles[style], 1, color);
    return pen.get();
}

CBrush* CGdiCache::GetSolidBrush(COLORREF color)
{
    color &= 0xFFFFFF;
    if (IsPaletteColor(color))
        return &m_solidBrushes[PaletteIndexOfColor(color)];
    std::unique_ptr<CBrush>& brush = m_ownColorBrushes[color];
    if (!brush)
        brush = std::make_unique<CBrush>(color);
    return brush.get();
}

CBrush* CGdiCache::GetPatternBrush(int type)
{
    if (type < 0 || type > 5)
        return nullptr;
    return &m_patternBrushes[kPatternOfType[type]];
}

CGdiCache& CGdiCache::Instance()
{
    static CGdiCache cache;
    return cache;
}

void CreateGdiResources() { CGdiCache::Instance().CreateGdiResources(); }

int PaletteIndexOfColor(COLORREF color)
{
    for (int i = 0; i < 16; ++i)
        if (GDI_PALETTE_COLORS[i] == color)
            return i;
    return 0;
}

CPen* GetSolidPen(COLORREF color) { return CGdiCache::Instance().GetSolidPen(color); }
CPen* GetDotPen(COLORREF color) { return CGdiCache::Instance().GetDotPen(color); }
CPen* GetDashPen(COLORREF color) { return CGdiCache::Instance().GetDashPen(color); }
CPen* GetDashDotPen(COLORREF color) { return CGdiCache::Instance().GetDashDotPen(color); }
CPen* GetDashDotDotPen(COLORREF color) { return CGdiCache::Instance().GetDashDotDotPen(color); }
CBrush* GetSolidBrush(COLORREF color) { return CGdiCache::Instance().GetSolidBrush(color); }
CBrush* GetHalftoneBrush() { return CGdiCache::Instance().GetHalftoneBrush(); }
CBrush* GetPatternBrush(int type) { return CGdiCache::Instance().GetPatternBrush(type); }
void GetGuiLogFont(LOGFONTA* font) { CGdiCache::Instance().GetGuiLogFont(font); }
bool FindInstalledFont(const char* face, LOGFONTA* out) { return CGdiCache::Instance().InstalledFonts().Find(face, out); }
int GetInstalledFontCount() { return CGdiCache::Instance().InstalledFonts().GetCount(); }
int GetInstalledFont(int index, LOGFONTA* out) { return CGdiCache::Instance().InstalledFonts().Get(index, out); }
int GetInstalledFontMetric(int index, NEWTEXTMETRICA* out) { return CGdiCache::Instance().InstalledFonts().GetMetric(index, out); }

void ApplyInstalledFontFace(LOGFONTA* font, const char* face)
{
    LOGFONTA installed{};
    if (font == nullptr || !FindInstalledFont(face, &installed))
        return;
    CopyFontFace(font, installed);
}

void ApplyInstalledFontFace(LOGFONTA* font, const LOGFONTA& face, int italic)
{
    ApplyInstalledFontFace(font, face.lfFaceName);
    font->lfItalic = static_cast<BYTE>(italic != 0);
}

void CopyFontFace(LOGFONTA* font, const LOGFONTA& face)
{
    font->lfCharSet = face.lfCharSet;
    font->lfOutPrecision = face.lfOutPrecision;
    font->lfClipPrecision = face.lfClipPrecision;
    font->lfQuality = face.lfQuality;
    font->lfPitchAndFamily = face.lfPitchAndFamily;
    std::memcpy(font->lfFaceName, face.lfFaceName, LF_FACESIZE);
    font->lfFaceName[LF_FACESIZE - 1] = 0;
}
