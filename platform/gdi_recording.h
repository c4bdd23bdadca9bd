// A device context that draws nothing: it records every drawing call (with the pen, brush, font,
// colours and modes in force) and measures text with fixed synthetic metrics, so that tests of
// the document code can check exact integer geometry independent of installed fonts. Formula
// marks on vertical pages also record their strokes here and replay them turned.
//
// Synthetic metrics of a font, all in logical units (the units of lfHeight):
// - em = |lfHeight|, or 16 when lfHeight is 0;
// - tmAscent = em × 4 / 5, tmDescent = em − tmAscent, tmHeight = em, no leading;
// - a half-width character (a unit below U+0100, or a half-width katakana U+FF61 … U+FF9F) is
//   em / 2 wide, any other character em; with lfWidth above 0 they are lfWidth and 2 × lfWidth;
// - tmAveCharWidth is the half width, tmMaxCharWidth the full width;
// - ABC widths are (0, advance, 0).
// A text extent is the sum of its characters' advances by the tmHeight. The rules can be
// adjusted per test through `SyntheticFontRules`.
#pragma once

#include "platform/gdi.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

enum class GdiOp {
    // drawing
    LineTo,
    Polyline,
    PolyBezier,
    Polygon,
    Rectangle,
    Ellipse,
    Arc,
    FillRect,
    FrameRect,
    InvertRect,
    FillSolidRect,
    PatBlt,
    BitBlt,
    StretchBlt,
    SetPixel,
    TextOutW,
    TextOutA,
    ExtTextOutW,
    ExtTextOutA,
    SetDIBitsToDevice,
    StretchDIBits,
    // selections (pens, brushes and fonts, also by RestoreDC)
    SelectPen,
    SelectBrush,
    SelectFont,
};

struct RecordedPen {
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
    friend bool operator==(const RecordedPen&, const RecordedPen&) = default;
};

struct RecordedBrush {
    UINT style = BS_SOLID;
    COLORREF color = 0;
    std::array<BYTE, 8> pattern{};  // BS_PATTERN rows, bit 7 leftmost, 1 = background colour
    friend bool operator==(const RecordedBrush&, const RecordedBrush&) = default;
};

struct GdiCall {
    GdiOp op = GdiOp::LineTo;
    // LineTo: from and to. Polyline, PolyBezier, Polygon: the points. Arc: the start and end
    // points. Text: the reference point. SetPixel: the point. Blits: the source origin.
    std::vector<POINT> points;
    // Rectangle, Ellipse, Arc: the box. Fills, blits and DIBs: the destination.
    // ExtTextOut: its rectangle (hasRect tells whether one was given).
    RECT rect{};
    bool hasRect = false;
    RECT sourceRect{};             // blits and DIBs (DIBs: top-down pixel rows)
    std::u16string text;           // text calls: the text as drawn
    std::string bytes;             // TextOutA, ExtTextOutA: the code page 932 bytes
    std::vector<int> dx;           // ExtTextOut distances, per unit of `text`
    DWORD rop = 0;                 // PatBlt, BitBlt, StretchBlt, StretchDIBits
    UINT options = 0;              // ExtTextOut
    COLORREF color = 0;            // FillSolidRect, SetPixel
    int sourceWidth = 0;           // DIBs: the decoded image's size
    int sourceHeight = 0;
    // What was in force (FillRect and FrameRect: `brush` is the brush passed).
    RecordedPen pen;
    RecordedBrush brush;
    LOGFONTA font{};
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    int bkMode = OPAQUE;
    UINT textAlign = 0;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;

    bool IsDrawing() const { return op < GdiOp::SelectPen; }
    std::string FaceName() const;  // the font's face name bytes
};

struct SyntheticFontRules {
    int ascentNumerator = 4;
    int ascentDenominator = 5;
    // When set, called last to change the metrics of a font.
    std::function<void(const LOGFONTA&, TEXTMETRICA&)> adjustMetrics;
    // When set, gives the ABC widths of a character (advance = A + B + C); return false to
    // keep the default rule.
    std::function<bool(const LOGFONTA&, char16_t, ABC&)> glyph;
};

// The synthetic rules themselves, for tests that compute expectations.
TEXTMETRICA SyntheticTextMetrics(const LOGFONTA& font, const SyntheticFontRules& rules = {});
ABC SyntheticCharAbc(const LOGFONTA& font, char16_t unit, const SyntheticFontRules& rules = {});

class CRecordingDC : public CDC {
public:
    explicit CRecordingDC(DeviceKind kind = DeviceKind::Screen);

    // Device settings.
    void SetResolution(int dpiX, int dpiY) { m_dpiX = dpiX, m_dpiY = dpiY; }
    void SetDeviceSize(int width, int height) { m_size = SIZE{width, height}; }
    SyntheticFontRules& Rules() { return m_rules; }

    const std::vector<GdiCall>& Calls() const { return m_calls; }
    std::vector<GdiCall> Drawings() const;               // drawing calls only
    std::vector<GdiCall> CallsOf(GdiOp op) const;
    void ClearCalls() { m_calls.clear(); }

    std::unique_ptr<CDC> CreateCompatibleDC() override;
    COLORREF GetPixel(int x, int y) const override;

protected:
    bool DrawLine(POINT from, POINT to) override;
    bool DrawPolyline(const std::vector<POINT>& points) override;
    bool DrawBeziers(const std::vector<POINT>& points) override;
    bool DrawPolygon(const std::vector<POINT>& points) override;
    bool DrawRectangle(const RECT& r) override;
    bool DrawEllipse(const RECT& r) override;
    bool DrawArc(const RECT& box, POINT start, POINT end) override;
    bool DoFillRect(const RECT& r, const BrushInfo& brush) override;
    bool DoFrameRect(const RECT& r, const BrushInfo& brush) override;
    bool DoInvertRect(const RECT& r) override;
    bool DoFillSolidRect(const RECT& r, COLORREF color) override;
    bool DoPatBlt(const RECT& r, DWORD rop) override;
    bool DoBitBlt(const RECT& destination, CDC* source, const RECT& sourceRect, DWORD rop, bool stretch) override;
    bool DoSetPixel(int x, int y, COLORREF color) override;
    bool DrawDib(const RECT& destination, const DibImage& image, const RECT& source, DWORD rop, bool stretch) override;
    bool DrawTextRun(const TextRun& run) override;
    bool MeasureText(std::u16string_view text, SIZE* size) const override;
    bool MeasureMetrics(TEXTMETRICA* metrics) const override;
    bool MeasureAbc(char16_t unit, ABC* abc) const override;
    SIZE DeviceSize() const override { return m_size; }
    int DeviceDpiX() const override { return m_dpiX; }
    int DeviceDpiY() const override { return m_dpiY; }
    void ObjectSelected(HGDIOBJ object) override;

private:
    GdiCall& Record(GdiOp op);
    static RecordedBrush ToRecorded(const BrushInfo& brush);

    std::vector<GdiCall> m_calls;
    SyntheticFontRules m_rules;
    int m_dpiX = 96;
    int m_dpiY = 96;
    SIZE m_size{794, 1123};
};
