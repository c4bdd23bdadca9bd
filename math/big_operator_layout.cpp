// Summation and integral signs, alone in a row or with limits: the sign is measured and drawn at
// twice the font height in its own face (Σ from the Mincho face, ∫ as a character of the gaiji
// face, which the platform draws through its substitute), centred on the row's axis.
#include "math/math_templates.h"

#include "base/property_records.h"
#include "nodes/display_map.h"
#include "nodes/edit_box.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char16_t kGaijiIntegral = u'\uFF66';
constexpr COLORREF kAnswerRed = 0x0000FF;

bool IsPicture(const CDC* dc) { return dc->GetDeviceKind() == DeviceKind::Metafile; }

// A font made from a LOGFONT whose height is doubled for the time it takes.
bool CreateDoubledFont(CEditMathChar* node, CDisplayMap* map, CFont* font)
{
    const LONG height = node->m_lf.lfHeight;
    node->m_lf.lfHeight = 2 * height;
    const bool created = node->CreateDeviceFont(map, font) != 0;
    node->m_lf.lfHeight = height;
    return created;
}

}  // namespace

void CopyGlyphFace(const LOGFONTA& glyphFont, LOGFONTA* font)
{
    font->lfCharSet = glyphFont.lfCharSet;
    font->lfOutPrecision = glyphFont.lfOutPrecision;
    font->lfClipPrecision = glyphFont.lfClipPrecision;
    font->lfQuality = glyphFont.lfQuality;
    font->lfPitchAndFamily = glyphFont.lfPitchAndFamily;
    std::memcpy(font->lfFaceName, glyphFont.lfFaceName, sizeof(font->lfFaceName));
}

void DrawBigOperatorText(CDC* dc, CDisplayMap* map, CEditNode* owner, CFont* font, COLORREF color, POINT anchor,
                         const CStringW& text, bool rightAligned)
{
    if (dc == nullptr || map == nullptr)
        return;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(color);
    const UINT previousAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    if (text.IsEmpty() || font == nullptr || !HFONT(*font)) {
        dc->SetTextAlign(previousAlign);
        return;
    }
    const HFONT previousFont = dc->SelectObject(HFONT(*font));
    map->DocToDevice(&anchor);
    if (rightAligned)
        dc->SetTextAlign(TA_RIGHT | TA_TOP);
    if (UseWideTextOut) {
        if (owner->FindAncestorWithFlags(static_cast<int>(EditKind::kInTextAnswer), 1) != nullptr)
            dc->SetTextColor(kAnswerRed);
        dc->TextOutW(anchor.x, anchor.y, text.View());
    } else {
        if (rightAligned) {
            anchor.x = std::max<LONG>(anchor.x, 0);
            anchor.y = std::max<LONG>(anchor.y, 0);
        }
        dc->TextOutA(anchor.x, anchor.y, WideToCp932(text.View()));
    }
    dc->SetTextAlign(previousAlign);
    dc->SelectObject(previousFont);
}

// ---------------------------------------------------------------------------------------------
// CEditSigma and CEditIntegral standing alone

void CEditSigma::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!m_dirty)
        return;
    // The face and upright style stay in the node's font: stored papers carry them.
    CopyGlyphFace(m_glyphFont, &m_lf);
    m_lf.lfItalic = 0;
    const LOGFONTA saved = m_lf;
    m_lf.lfHeight *= 2;
    CEditMathChar::Measure(dc, map, context);
    m_lf = saved;
    m_ascent = 0;
    m_axis = m_height / 2;
    m_glyphShift = (((m_width - m_tm->tmAveCharWidth) / 2) * 2) / 3;
    m_width -= m_glyphShift;
}

void CEditSigma::Layout(LAYOUT_CONTEXT* context, int)
{
    if (context == nullptr)
        return;
    const int left = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{left, top, left + m_width, top + m_height};
}

void CEditSigma::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr)
        return;
    CFont font;
    CreateDoubledFont(this, map, &font);
    const bool picture = IsPicture(dc);
    // Into a picture the sign ends at its box's right edge; elsewhere it starts the shift left
    // of its box.
    const POINT anchor = picture ? POINT{m_rcLayout.right, m_rcLayout.top} : POINT{m_rcLayout.left - m_glyphShift, m_rcLayout.top};
    DrawBigOperatorText(dc, map, this, &font, m_color, anchor, GetText(), picture);
}

void CEditIntegral::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!m_dirty || m_glyph == nullptr)
        return;
    m_glyph->SetText(kGaijiIntegral);
    CopyGlyphFace(m_glyphFont, &m_glyph->m_lf);
    m_glyph->m_lf.lfHeight = 2 * m_lf.lfHeight;
    m_glyph->m_lf.lfItalic = 0;
    m_glyph->m_dirty = 1;
    m_glyph->Measure(dc, map, context);
    const TEXTMETRICA& tm = m_glyph->m_tm.Get();
    const int lead = tm.tmInternalLeading + tm.tmExternalLeading;
    m_glyph->m_ascent = tm.tmAscent - lead / 2;
    m_glyph->m_height = tm.tmHeight - lead;
    m_glyph->m_axis = m_glyph->m_height / 2;
    // The node stays dirty: it follows the size of what stands after it on every pass.
    m_width = m_glyph->m_width;
    m_height = m_glyph->m_height;
    m_ascent = 0;
    m_axis = m_height / 2;
}

void CEditIntegral::Layout(LAYOUT_CONTEXT* context, int)
{
    if (context == nullptr)
        return;
    const int left = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{left, top, left + m_width, top + m_height};
}

void CEditIntegral::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr || m_glyph == nullptr)
        return;
    CFont font;
    m_glyph->CreateDeviceFont(map, &font);
    DrawBigOperatorText(dc, map, this, &font, m_color, POINT{m_rcLayout.left, m_rcLayout.top}, m_glyph->GetText(), false);
}

// ---------------------------------------------------------------------------------------------
// Summation and integral templates

bool CEditBigOperatorTemplate::HasLimitsUnderAndOver() const
{
    return IsKind(EditKind::kSigmaUnderover) || IsKind(EditKind::kSigmaUnder);
}

void CEditBigOperatorTemplate::MeasureGlyph(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathChar& glyph = *m_glyph;
    if (IsIntegral())
        glyph.SetText(kGaijiIntegral);
    CopyGlyphFace(m_glyphFont, &glyph.m_lf);
    glyph.m_lf.lfHeight = 2 * m_lf.lfHeight;
    glyph.m_lf.lfItalic = 0;
    glyph.m_dirty = 1;
    glyph.Measure(dc, map, context);
    const TEXTMETRICA& tm = glyph.m_tm.Get();
    int trim = tm.tmInternalLeading + tm.tmExternalLeading;
    if (IsSummation())
        trim += tm.tmDescent;
    glyph.m_ascent = tm.tmAscent - trim / 2;
    glyph.m_height = tm.tmHeight - trim;
    glyph.m_axis = glyph.m_height / 2;
    m_glyphShift = 0;
    if (IsSummation()) {
        glyph.m_width -= tm.tmAveCharWidth;
        m_glyphShift = ((glyph.m_width / 2) * 2) / 3;
    }
}

void CEditBigOperatorTemplate::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* incoming)
{
    // The under-and-over summation measures without line spacing; the caller's context keeps its own.
    LAYOUT_CONTEXT own = incoming != nullptr ? *incoming : LAYOUT_CONTEXT{};
    if (IsKind(EditKind::kSigmaUnderover))
        own.lineSpacing = 0;
    LAYOUT_CONTEXT* context = &own;
    // A flat limit mark is quartered from its freshly measured height on every pass.
    if (HasLimitsUnderAndOver())
        MarkFlatMarksDirty();
    CEditMathContainer::Measure(dc, map, context);
    MeasureGlyph(dc, map, context);
    const CEditMathChar& g = *m_glyph;
    if (HasLimitsUnderAndOver()) {
        m_width = g.m_width;
        m_height = g.m_height;
    }
    if (!HasRows(m_limits))
        return;
    if (HasLimitsUnderAndOver()) {
        const bool both = m_limits == 2;
        // A single limit mark spans the glyph's box.
        if (both)
            m_upperStretched = StretchSingleMark(SingleMarkOf(GetEditChild(0), true), *GetRow(0), g.m_width);
        CEditNode* lower = GetEditChild(both ? GetSlotStart(1) : 0);
        m_lowerStretched = StretchSingleMark(SingleMarkOf(lower, both), *GetRow(both ? 1 : 0), g.m_width);
    }
    const EDIT_LINE* upper = m_limits == 2 ? GetRow(0) : nullptr;
    const EDIT_LINE& d = *GetRow(m_limits - 1);
    const int uw = upper != nullptr ? upper->m_width : 0;
    const int uh = upper != nullptr ? upper->m_height : 0;
    const int ux = upper != nullptr ? upper->m_axis : 0;
    m_ascent = 0;
    if (HasLimitsUnderAndOver()) {
        m_innerWidth = std::max({g.m_width, uw, d.m_width});
        m_width = m_innerWidth + m_glyphShift;
        m_height = uh + g.m_height + d.m_height;
        m_axis = uh + g.m_axis;
    } else if (IsSummation()) {
        m_width = g.m_width + std::max(uw, d.m_width);
        m_height = g.m_height + d.m_descent + ux / 2;
        m_axis = g.m_axis + ux / 2;
    } else {
        m_width = g.m_width + std::max(uw, d.m_width - g.m_width / 8);
        m_height = g.m_height + d.m_descent + ux;
        m_axis = g.m_axis + ux;
    }
}

void CEditBigOperatorTemplate::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || !HasRows(m_limits))
        return;
    const int x = context->originX;
    const int axisLine = context->originY + context->rowAxis;
    const int top = axisLine - m_axis;
    SetLayoutRect(context, top);
    CEditMathChar& g = *m_glyph;
    const int glyphTop = axisLine - g.m_axis;
    const int glyphBottom = glyphTop + g.m_height;
    const bool both = m_limits == 2;
    const EDIT_LINE& d = *GetRow(m_limits - 1);
    int glyphX = x;
    if (HasLimitsUnderAndOver()) {
        const int c = m_innerWidth;
        glyphX = x + (c - g.m_width) / 2;
        if (both)
            PlaceRow(0, x + (c - GetRow(0)->m_width) / 2, top, nullptr, vertical);
        PlaceRow(m_limits - 1, x + (c - d.m_width) / 2, glyphBottom, nullptr, vertical);
    } else if (IsSummation()) {
        if (both)
            PlaceRow(0, x + g.m_width, top, nullptr, vertical);
        PlaceRow(m_limits - 1, x + g.m_width, glyphBottom - d.m_ascent, nullptr, vertical);
    } else {
        if (both)
            PlaceRow(0, x + g.m_width + g.m_width / 8, top, nullptr, vertical);
        PlaceRow(m_limits - 1, x + g.m_width * 5 / 8, glyphBottom - d.m_ascent, nullptr, vertical);
    }
    if (IsSummation()) {
        LAYOUT_CONTEXT own;
        own.originX = glyphX;
        own.originY = glyphTop;
        own.rowAscent = g.m_ascent;
        own.rowAxis = g.m_axis;
        g.Layout(&own, vertical);
    } else {
        g.m_rcLayout = RECT{glyphX, glyphTop, glyphX + m_width, glyphTop + m_height};
    }
    g.m_rcHit = RECT{glyphX, glyphTop, glyphX + g.m_width, glyphBottom};
    g.m_lineIndex = 0;
    g.m_indexInLine = 0;
}

void CEditBigOperatorTemplate::DrawGlyph(CDC* dc, CDisplayMap* map)
{
    if (dc == nullptr || map == nullptr)
        return;
    CEditMathChar& g = *m_glyph;
    CFont font;
    g.CreateDeviceFont(map, &font);
    const bool picture = IsSummation() && IsPicture(dc);
    POINT anchor{g.m_rcLayout.left, g.m_rcLayout.top};
    if (IsSummation())
        anchor.x = picture ? g.m_rcLayout.right + m_glyphShift : g.m_rcLayout.left - m_glyphShift;
    DrawBigOperatorText(dc, map, this, &font, g.m_color, anchor, g.GetText(), picture);
}

void CEditBigOperatorTemplate::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!HasLimitsUnderAndOver()) {
        CEditMathContainer::Draw(dc, map, context);
        DrawGlyph(dc, map);
        if (GetChildCount() > 0)
            DrawEmptySlotMarks(dc, map);
        return;
    }
    DrawGlyph(dc, map);
    const bool both = m_limits == 2;
    const int lowerRow = both ? 1 : 0;
    const MarkTable table = both ? MarkTable::OverAndUnder : MarkTable::Marks;
    DrawChildrenWithMarks(dc, map, table, [&](int index, const CEditNode* child) {
        return (both && index == 0 && m_upperStretched != 0) || (child->m_lineIndex == lowerRow && m_lowerStretched != 0);
    });
}
