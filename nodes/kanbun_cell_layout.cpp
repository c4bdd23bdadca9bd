// Measuring, layout, drawing and hit testing of the kanbun cell: the fixed geometry that places
// the base character in the middle row of a cell twice its width and three times its height,
// the reading aids around it, the hyphen line of the form with hyphen, the cell's underline mark
// and its run label.
#include "nodes/kanbun_cell.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/display_map.h"
#include "nodes/kunten_box.h"
#include "nodes/line_builder.h"
#include "nodes/run_decorations.h"

#include <string>

namespace {

// Half a point: the width of the hyphen line.
constexpr int kHalfPoint = 18;
constexpr COLORREF kBlack = 0x000000;

// A fresh context that measures a sub-box of a cell.
LAYOUT_CONTEXT SubBoxMeasureContext(const LAYOUT_CONTEXT& cell)
{
    LAYOUT_CONTEXT context;
    context.availableWidth = cell.availableWidth;
    context.fullWidth = cell.availableWidth;
    context.remainingHeight = cell.remainingHeight;
    context.letterSpacing = cell.letterSpacing;
    return context;
}

// Lays a sub-box, when the cell has it, out with its top-left corner at (x, y).
void PlaceSubBox(CEditNode* box, int x, int y, int vertical)
{
    if (box != nullptr)
        PlaceOnOwnRow(box, x, y, vertical);
}

}  // namespace

CEditNode* CEditKan::HitTest(int x, int y, int* after)
{
    return ChildFirstHitTest(x, y, after);
}

void CEditKan::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i)) {
            LAYOUT_CONTEXT childContext = SubBoxMeasureContext(*context);
            child->Measure(dc, map, &childContext);
        }
    }
    LAYOUT_CONTEXT anchorContext = SubBoxMeasureContext(*context);
    m_hyphenAnchor.Measure(dc, map, &anchorContext);

    const CEditNode* base = GetBaseBox();
    if (base == nullptr)
        return;
    if (CEditNode* right = GetRightKanaBox())
        right->m_height = base->m_height;
    if (CEditNode* left = GetLeftKanaBox())
        left->m_height = base->m_height;
    m_width = 2 * base->m_width;
    m_height = 3 * base->m_height;
    m_ascent = base->m_ascent + base->m_height;
    m_axis = base->m_axis + base->m_height;
    m_dirty = 0;
}

void CEditKan::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (GetChildCount() == 0 || context == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAscent - m_ascent;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    const CEditNode* base = GetBaseBox();
    if (base == nullptr)
        return;
    const int w = base->m_width;
    const int h = base->m_height;
    const int baseX = x0 + w / 3;

    if (CEditNode* lead = GetLeadBracketBox())
        PlaceSubBox(lead, baseX - lead->m_width, top + h, vertical);
    PlaceSubBox(GetBaseBox(), baseX, top + h, vertical);
    PlaceSubBox(GetRightKanaBox(), baseX, top, vertical);
    PlaceSubBox(GetLeftKanaBox(), baseX, top + 2 * h, vertical);
    if (m_hyphenMode == KanbunMode::kWithoutHyphen) {
        PlaceSubBox(GetPunctuationBox(), baseX + w, top + h, vertical);
        if (CEditNode* marks = GetReturnMarkBox())
            PlaceSubBox(marks, baseX + w, top + 2 * h - marks->m_height, vertical);
        PlaceSubBox(GetTrailBracketBox(), x0 + w + MulDiv(w, 2, 3), top + h, vertical);
        return;
    }
    const int markX = x0 + w + w / 6 + w / 3;
    if (CEditNode* marks = GetReturnMarkBox())
        PlaceSubBox(marks, markX, top + 2 * h - marks->m_height, vertical);
    const int anchorY = top + h + h / 2;
    PlaceSubBox(&m_hyphenAnchor, markX, anchorY, vertical);
    m_hyphenRect = RECT{markX, anchorY, markX + MulDiv(w, 2, 3), anchorY + m_hyphenAnchor.m_height};
}

void CEditKan::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0 || dc == nullptr || map == nullptr)
        return;
    if (m_hyphenMode == KanbunMode::kWithHyphen) {
        LAYOUT_CONTEXT anchorContext;
        m_hyphenAnchor.Draw(dc, map, &anchorContext);
        RECT device = m_hyphenRect;
        map->DocToDeviceRect(&device);
        SIZE penSize{kHalfPoint, kHalfPoint};
        map->DocToDeviceSize(&penSize);
        CPen pen;
        pen.CreatePen(PS_SOLID, penSize.cx, kBlack);
        const HPEN previous = dc->SelectObject(HPEN(pen));
        dc->MoveTo(device.right, device.top);
        dc->LineTo(device.right, device.bottom);
        dc->SelectObject(previous);
    }
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i)) {
            LAYOUT_CONTEXT childContext;
            child->Draw(dc, map, &childContext);
        }
    }
    if (BorderRecord().m_beforeStyle != LineStyle::kNone)
        DrawNodeMark(dc, map);
    if (Numbering().m_renbanType > RenbanType::kNone && (m_runBits & kRunStart))
        DrawRunLabelOfCell(dc, map);
}

void CEditKan::DrawRunLabelOfCell(CDC* dc, CDisplayMap* map)
{
    CEditChar label(RunLabelText(this));
    LOGFONTA font{};
    const std::string face(FaceNameView(Numbering().m_renbanFace));
    if (!FindInstalledFont(face.c_str(), &font))
        CDefaultFontTable::Instance().GetDefaultFont(&font, 0);
    font.lfHeight = Numbering().m_renbanSize;
    font.lfWidth = 0;
    font.lfEscapement = 2700;
    font.lfOrientation = 2700;
    label.m_lf = font;

    LAYOUT_CONTEXT measure;
    label.Measure(dc, map, &measure);
    LAYOUT_CONTEXT place;
    place.originX = m_rcLayout.left;
    place.originY = m_rcLayout.top + (m_rcLayout.bottom - m_rcLayout.top) / 3;
    label.Layout(&place, map->IsVertical());
    const UINT previousAlign = dc->SetTextAlign(TA_BOTTOM);
    LAYOUT_CONTEXT draw;
    label.Draw(dc, map, &draw);
    dc->SetTextAlign(previousAlign);
}
