#include "platform/gdi_recording.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool IsHalfWidth(char16_t unit) { return unit < 0x0100 || (unit >= 0xFF61 && unit <= 0xFF9F); }

// Sizes a description asks for are bounded, so that any text measures within int range.
constexpr LONG kMaxSize = 1 << 20;

LONG Em(const LOGFONTA& font)
{
    const int64_t em = std::min<int64_t>(std::llabs(int64_t(font.lfHeight)), kMaxSize);
    return em == 0 ? 16 : static_cast<LONG>(em);
}

LONG Width(const LOGFONTA& font) { return std::min(font.lfWidth, kMaxSize); }

} // namespace

std::string GdiCall::FaceName() const { return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)); }

TEXTMETRICA SyntheticTextMetrics(const LOGFONTA& font, const SyntheticFontRules& rules)
{
    const LONG em = Em(font);
    TEXTMETRICA tm{};
    tm.tmHeight = em;
    tm.tmAscent = rules.ascentDenominator > 0 ? em * rules.ascentNumerator / rules.ascentDenominator : em;
    tm.tmDescent = em - tm.tmAscent;
    tm.tmAveCharWidth = font.lfWidth > 0 ? Width(font) : em / 2;
    tm.tmMaxCharWidth = font.lfWidth > 0 ? 2 * Width(font) : em;
    tm.tmWeight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = font.lfItalic ? 1 : 0;
    tm.tmUnderlined = font.lfUnderline ? 1 : 0;
    tm.tmStruckOut = font.lfStrikeOut ? 1 : 0;
    const bool fixed = (font.lfPitchAndFamily & 0x03) == FIXED_PITCH;
    tm.tmPitchAndFamily = static_cast<BYTE>((font.lfPitchAndFamily & 0xF0) | TMPF_TRUETYPE | TMPF_VECTOR |
                                            (fixed ? 0 : TMPF_FIXED_PITCH));
    tm.tmCharSet = font.lfCharSet;
    if (rules.adjustMetrics)
        rules.adjustMetrics(font, tm);
    return tm;
}

ABC SyntheticCharAbc(const LOGFONTA& font, char16_t unit, const SyntheticFontRules& rules)
{
    ABC abc{};
    if (rules.glyph && rules.glyph(font, unit, abc))
        return abc;
    const LONG em = Em(font);
    const LONG half = font.lfWidth > 0 ? Width(font) : em / 2;
    const LONG full = font.lfWidth > 0 ? 2 * Width(font) : em;
    abc.abcA = 0;
    abc.abcB = static_cast<UINT>(IsHalfWidth(unit) ? half : full);
    abc.abcC = 0;
    return abc;
}

CRecordingDC::CRecordingDC(DeviceKind kind) : CDC(kind) {}

std::vector<GdiCall> CRecordingDC::Drawings() const
{
    std::vector<GdiCall> out;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(out), [](const GdiCall& c) { return c.IsDrawing(); });
    return out;
}

std::vector<GdiCall> CRecordingDC::CallsOf(GdiOp op) const
{
    std::vector<GdiCall> out;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(out), [op](const GdiCall& c) { return c.op == op; });
    return out;
}

std::unique_ptr<CDC> CRecordingDC::CreateCompatibleDC()
{
    auto dc = std::make_unique<CRecordingDC>(DeviceKind::Memory);
    dc->m_rules = m_rules;
    dc->m_dpiX = m_dpiX;
    dc->m_dpiY = m_dpiY;
    return dc;
}

COLORREF CRecordingDC::GetPixel(int, int) const { return 0xFFFFFFFF; }

RecordedBrush CRecordingDC::ToRecorded(const BrushInfo& brush)
{
    RecordedBrush r;
    r.style = brush.style;
    r.color = brush.color;
    std::copy(std::begin(brush.pattern), std::end(brush.pattern), r.pattern.begin());
    return r;
}

GdiCall& CRecordingDC::Record(GdiOp op)
{
    GdiCall call;
    call.op = op;
    const PenInfo pen = CurrentPenInfo();
    call.pen = RecordedPen{pen.style, pen.width, pen.color};
    call.brush = ToRecorded(CurrentBrushInfo());
    call.font = CurrentLogFont();
    call.textColor = GetTextColor();
    call.bkColor = GetBkColor();
    call.bkMode = GetBkMode();
    call.textAlign = GetTextAlign();
    call.rop2 = GetROP2();
    call.polyFillMode = GetPolyFillMode();
    m_calls.push_back(std::move(call));
    return m_calls.back();
}

void CRecordingDC::ObjectSelected(HGDIOBJ object)
{
    switch (::GetObjectType(object)) {
    case OBJ_PEN: Record(GdiOp::SelectPen); break;
    case OBJ_BRUSH: Record(GdiOp::SelectBrush); break;
    case OBJ_FONT: Record(GdiOp::SelectFont); break;
    default: break;
    }
}

bool CRecordingDC::DrawLine(POINT from, POINT to)
{
    Record(GdiOp::LineTo).points = {from, to};
    return true;
}

bool CRecordingDC::DrawPolyline(const std::vector<POINT>& points)
{
    Record(GdiOp::Polyline).points = points;
    return true;
}

bool CRecordingDC::DrawBeziers(const std::vector<POINT>& points)
{
    Record(GdiOp::PolyBezier).points = points;
    return true;
}

bool CRecordingDC::DrawPolygon(const std::vector<POINT>& points)
{
    Record(GdiOp::Polygon).points = points;
    return true;
}

bool CRecordingDC::DrawRectangle(const RECT& r)
{
    Record(GdiOp::Rectangle).rect = r;
    return true;
}

bool CRecordingDC::DrawEllipse(const RECT& r)
{
    Record(GdiOp::Ellipse).rect = r;
    return true;
}

bool CRecordingDC::DrawArc(const RECT& box, POINT start, POINT end)
{
    GdiCall& call = Record(GdiOp::Arc);
    call.rect = box;
    call.points = {start, end};
    return true;
}

bool CRecordingDC::DoFillRect(const RECT& r, const BrushInfo& brush)
{
    GdiCall& call = Record(GdiOp::FillRect);
    call.rect = r;
    call.brush = ToRecorded(brush);
    return true;
}

bool CRecordingDC::DoFrameRect(const RECT& r, const BrushInfo& brush)
{
    GdiCall& call = Record(GdiOp::FrameRect);
    call.rect = r;
    call.brush = ToRecorded(brush);
    return true;
}

bool CRecordingDC::DoInvertRect(const RECT& r)
{
    Record(GdiOp::InvertRect).rect = r;
    return true;
}

bool CRecordingDC::DoFillSolidRect(const RECT& r, COLORREF color)
{
    GdiCall& call = Record(GdiOp::FillSolidRect);
    call.rect = r;
    call.color = color;
    return true;
}

bool CRecordingDC::DoPatBlt(const RECT& r, DWORD rop)
{
    GdiCall& call = Record(GdiOp::PatBlt);
    call.rect = r;
    call.rop = rop;
    return true;
}

bool CRecordingDC::DoBitBlt(const RECT& destination, CDC* source, const RECT& sourceRect, DWORD rop, bool stretch)
{
    (void)source;
    GdiCall& call = Record(stretch ? GdiOp::StretchBlt : GdiOp::BitBlt);
    call.rect = destination;
    call.sourceRect = sourceRect;
    call.points = {POINT{sourceRect.left, sourceRect.top}};
    call.rop = rop;
    return true;
}

bool CRecordingDC::DoSetPixel(int x, int y, COLORREF color)
{
    GdiCall& call = Record(GdiOp::SetPixel);
    call.points = {POINT{x, y}};
    call.color = color;
    return true;
}

bool CRecordingDC::DrawDib(const RECT& destination, const DibImage& image, const RECT& source, DWORD rop, bool stretch)
{
    GdiCall& call = Record(stretch ? GdiOp::StretchDIBits : GdiOp::SetDIBitsToDevice);
    call.rect = destination;
    call.sourceRect = source;
    call.rop = rop;
    call.sourceWidth = image.width;
    call.sourceHeight = image.height;
    return true;
}

bool CRecordingDC::DrawTextRun(const TextRun& run)
{
    GdiOp op = GdiOp::TextOutW;
    switch (run.call) {
    case TextCall::TextOutW: op = GdiOp::TextOutW; break;
    case TextCall::TextOutA: op = GdiOp::TextOutA; break;
    case TextCall::ExtTextOutW: op = GdiOp::ExtTextOutW; break;
    case TextCall::ExtTextOutA: op = GdiOp::ExtTextOutA; break;
    }
    GdiCall& call = Record(op);
    call.points = {POINT{run.x, run.y}};
    call.rect = run.rect;
    call.hasRect = run.hasRect;
    call.text = run.text;
    call.bytes = run.bytes;
    call.dx = run.dx;
    call.options = run.options;
    return true;
}

bool CRecordingDC::MeasureText(std::u16string_view text, SIZE* size) const
{
    const LOGFONTA font = CurrentLogFont();
    int64_t width = 0;
    for (char16_t unit : text) {
        const ABC abc = SyntheticCharAbc(font, unit, m_rules);
        width += int64_t(abc.abcA) + int64_t(abc.abcB) + int64_t(abc.abcC);
    }
    width = std::clamp<int64_t>(width, -(int64_t(1) << 30), int64_t(1) << 30);
    *size = SIZE{static_cast<LONG>(width), SyntheticTextMetrics(font, m_rules).tmHeight};
    return true;
}

bool CRecordingDC::MeasureMetrics(TEXTMETRICA* metrics) const
{
    *metrics = SyntheticTextMetrics(CurrentLogFont(), m_rules);
    return true;
}

bool CRecordingDC::MeasureAbc(char16_t unit, ABC* abc) const
{
    *abc = SyntheticCharAbc(CurrentLogFont(), unit, m_rules);
    return true;
}
