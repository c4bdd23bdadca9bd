#include "nodes/labelled_underline.h"

#include "base/number_labels.h"
#include "nodes/display_map.h"
#include "nodes/first_line_layout.h"

namespace {

// Code page 932 "ＭＳ Ｐ明朝" and its vertical form.
constexpr char kLabelFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";
constexpr char kVerticalLabelFace[] = "@\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";
// Half a point: the width of the line between label and text.
constexpr int kHalfPoint = 18;
constexpr COLORREF kBlack = 0x000000;

}  // namespace

IMPLEMENT_SERIAL(CEditKasen, CEditContainer, 1)

CEditKasen::CEditKasen() : CEditContainer(EditKind::Code(EditKind::kKasen)) {}

CEditNode* CEditKasen::HitTest(int x, int y, int* after)
{
    return ChildFirstHitTest(x, y, after);
}

void CEditKasen::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    m_width = 0;
    m_height = 0;
    if (context == nullptr)
        return;
    const bool vertical = map != nullptr && map->IsVertical();
    CStringW text;
    if (vertical)
        FormatCircledIdeograph(m_labelNumber, text);
    else
        FormatCircledNumber(m_labelNumber, text);
    m_label.SetFaceName(vertical ? kVerticalLabelFace : kLabelFace, nullptr);
    m_label.SetText(text);
    m_label.m_lf.lfHeight = -kLabelHeight;
    m_label.m_lf.lfItalic = 0;
    m_label.m_dirty = 1;

    LAYOUT_CONTEXT labelContext = *context;
    labelContext.lineSpacing = 0;
    labelContext.font = HFONT();
    m_label.Measure(dc, map, &labelContext);

    LAYOUT_CONTEXT own = *context;
    own.lineSpacing = 0;
    CEditContainer::Measure(dc, map, &own);
    MarkFirstLineForDrawing(this);
    const EDIT_LINE* line = FirstLineOf(this);
    if (line == nullptr)
        return;
    const int labelHeight = m_label.m_height;
    m_width = line->m_width;
    m_height = labelHeight + line->m_height;
    m_ascent = line->m_ascent + (vertical ? labelHeight : 0);
    m_axis = line->m_axis + (vertical ? labelHeight : 0);
}

void CEditKasen::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    const int x0 = context->originX;
    const int y0 = context->originY;
    const int labelHeight = m_label.m_height;
    const int labelTop = vertical ? y0 : y0 + m_height - labelHeight;
    LAYOUT_CONTEXT labelContext;
    labelContext.originX = x0;
    labelContext.originY = labelTop;
    labelContext.rowAscent = m_label.m_ascent;
    labelContext.rowAxis = m_label.m_axis;
    m_label.Layout(&labelContext, vertical);
    m_labelRect = RECT{x0, labelTop, x0 + m_label.m_width, labelTop + labelHeight};
    m_label.m_lineIndex = 0;
    m_label.m_indexInLine = 0;

    if (GetChildCount() == 0 || FirstLineOf(this) == nullptr)
        return;
    const int top = y0 + context->rowAxis - m_axis;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    PlaceFirstLine(this, *context, x0, vertical ? top + labelHeight : top, vertical);
}

void CEditKasen::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (GetChildCount() == 0 || dc == nullptr || map == nullptr)
        return;
    DrawFirstLine(this, dc, map);
    LAYOUT_CONTEXT labelContext;
    m_label.Draw(dc, map, &labelContext);

    const int y = map->IsVertical() ? m_labelRect.bottom : m_labelRect.top;
    POINT from{m_rcLayout.left, y};
    POINT to{m_rcLayout.right, y};
    map->DocToDevice(&from);
    map->DocToDevice(&to);
    SIZE penSize{kHalfPoint, kHalfPoint};
    map->DocToDeviceSize(&penSize);
    CPen pen;
    pen.CreatePen(PS_SOLID, penSize.cx, kBlack);
    const HPEN previous = dc->SelectObject(HPEN(pen));
    dc->MoveTo(from);
    dc->LineTo(to);
    dc->SelectObject(previous);
}
