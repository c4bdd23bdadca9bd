#include "math/stretchy_marks.h"

#include "nodes/display_map.h"
#include "nodes/edit_node.h"
#include "platform/gdi_recording.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr int kArrowHeadLength = 110;
constexpr int kArrowHeadWidth = 75;

// A solid pen selected for the lifetime of the object.
class StrokePen {
public:
    StrokePen(CDC* dc, int width, COLORREF color) : m_dc(dc)
    {
        if (m_pen.CreatePen(PS_SOLID, width, color))
            m_previous = dc->SelectObject(HPEN(m_pen));
    }
    ~StrokePen()
    {
        if (m_previous)
            m_dc->SelectObject(m_previous);
    }
    StrokePen(const StrokePen&) = delete;
    StrokePen& operator=(const StrokePen&) = delete;
    bool Ok() const { return static_cast<bool>(m_previous); }

private:
    CDC* m_dc;
    CPen m_pen;
    HPEN m_previous;
};

void Line(CDC* dc, POINT from, POINT to)
{
    dc->MoveTo(from);
    dc->LineTo(to);
}

// The screen angle of a point seen from a centre, counter-clockwise from the right, in quarter
// turns 0 … 3 (points on the axes only).
int Quadrant(POINT centre, POINT p)
{
    if (p.x > centre.x)
        return 0;
    if (p.y < centre.y)
        return 1;
    if (p.x < centre.x)
        return 2;
    return 3;
}

// The quarter of the ellipse with the given centre and radii between two of its axis points,
// drawn counter-clockwise from whichever end comes first.
void QuarterArc(CDC* dc, POINT centre, int rx, int ry, POINT a, POINT b)
{
    if (rx <= 0 || ry <= 0) {
        Line(dc, a, b);
        return;
    }
    const RECT box{centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry};
    const bool aFirst = (Quadrant(centre, a) + 1) % 4 == Quadrant(centre, b);
    dc->Arc(&box, aFirst ? a : b, aFirst ? b : a);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// An arc mark across the rectangle, its ends dy from the top edge (turned: the same mirrored top
// to bottom); a flat rectangle gives a straight line along that edge.
void DrawBow(CDC* dc, int pen, const RECT& rect, int dy, COLORREF color, bool turned)
{
    StrokePen stroke(dc, pen, color);
    const int a = Width(rect) / 2;
    const int s = Height(rect) / 2;
    if (Width(rect) <= 0)
        return;
    if (s <= 0) {
        const int y = turned ? rect.top : rect.bottom;
        Line(dc, POINT{rect.left, y}, POINT{rect.right, y});
        return;
    }
    const double squares = static_cast<double>(a) * a + static_cast<double>(s) * s;
    const int r = static_cast<int>(squares / s * 0.5);
    const int cx = rect.left + a;
    if (turned) {
        const RECT box{cx - r, rect.bottom - s - 2 * r, cx + r, rect.bottom - s};
        dc->Arc(&box, POINT{rect.left, rect.bottom - dy}, POINT{rect.right, rect.bottom - dy});
    } else {
        const RECT box{cx - r, rect.top + s, cx + r, rect.top + s + 2 * r};
        dc->Arc(&box, POINT{rect.right, rect.top + dy}, POINT{rect.left, rect.top + dy});
    }
}

}  // namespace

void DrawArcMark(CDC* dc, int pen, const RECT& rect, int dy, COLORREF color)
{
    DrawBow(dc, pen, rect, dy, color, false);
}

void DrawTurnedArcMark(CDC* dc, int pen, const RECT& rect, int dy, COLORREF color)
{
    DrawBow(dc, pen, rect, dy, color, true);
}

void DrawArrowMark(CDC* dc, int pen, const RECT& rect, int headLength, int headWidth, int kind, COLORREF color)
{
    const int length = std::max(headLength, 3);
    const int width = std::max(headWidth, 3);
    int hw = width / 2;
    if (hw > 1)
        --hw;
    int g = length / 2;
    if (g > 1)
        --g;
    const int tip = length > 1 ? length - 1 : length;
    const int y = rect.top + Height(rect) / 2;
    {
        StrokePen stroke(dc, pen, color);
        const int x1 = kind == kArrowRight ? rect.left : rect.left + g;
        const int x2 = kind == kArrowLeft ? rect.right : rect.right - g;
        Line(dc, POINT{x1, y}, POINT{x2, y});
    }
    StrokePen outline(dc, 1, color);
    CBrush brush;
    if (!brush.CreateSolidBrush(color))
        return;
    const HBRUSH previousBrush = dc->SelectObject(HBRUSH(brush));
    const int previousMode = dc->SetPolyFillMode(ALTERNATE);
    if (kind & kArrowRight) {
        const POINT head[] = {{rect.right, y}, {rect.right - tip, y - hw}, {rect.right - g, y}, {rect.right - tip, y + hw}, {rect.right, y}};
        dc->Polygon(head, 5);
    }
    if (kind & kArrowLeft) {
        const POINT head[] = {{rect.left, y}, {rect.left + tip, y - hw}, {rect.left + g, y}, {rect.left + tip, y + hw}, {rect.left, y}};
        dc->Polygon(head, 5);
    }
    dc->SetPolyFillMode(previousMode);
    dc->SelectObject(previousBrush);
}

void DrawHorizontalBrace(CDC* dc, int pen, const RECT& rect, int kind, COLORREF color)
{
    StrokePen stroke(dc, pen, color);
    const int w = Width(rect);
    const int f = Height(rect) / 2;
    const int e = std::min(w / 4, f);
    const int mid = rect.top + f;
    const int cx = rect.left + w / 2;
    const int l = rect.left;
    const int r = rect.right;
    // The ends stand at the bottom for an over-brace, the tip at the top; mirrored for an under-brace.
    const int ends = kind == kOverBrace ? rect.bottom : rect.top;
    const int tip = kind == kOverBrace ? rect.top : rect.bottom;
    Line(dc, POINT{l + e, mid}, POINT{cx - e, mid});
    Line(dc, POINT{cx + e, mid}, POINT{r - e, mid});
    QuarterArc(dc, POINT{l + e, ends}, e, f, POINT{l, ends}, POINT{l + e, mid});
    QuarterArc(dc, POINT{cx - e, tip}, e, f, POINT{cx - e, mid}, POINT{cx, tip});
    QuarterArc(dc, POINT{cx + e, tip}, e, f, POINT{cx, tip}, POINT{cx + e, mid});
    QuarterArc(dc, POINT{r - e, ends}, e, f, POINT{r - e, mid}, POINT{r, ends});
}

void DrawStretchBrace(CDC* dc, int pen, const RECT& rect, int side, COLORREF color)
{
    StrokePen stroke(dc, pen, color);
    const int h = Height(rect);
    const int m = rect.top + h / 2;
    const int e = std::min(Width(rect) / 2, h / 4);
    const int l = rect.left;
    const int r = rect.right;
    const int t = rect.top;
    const int b = rect.bottom;
    if (side == kOpeningSide) {
        QuarterArc(dc, POINT{l + 2 * e, t + e}, e, e, POINT{l + 2 * e, t}, POINT{l + e, t + e});
        Line(dc, POINT{l + e, t + e}, POINT{l + e, m - e});
        QuarterArc(dc, POINT{l, m - e}, e, e, POINT{l + e, m - e}, POINT{l, m});
        QuarterArc(dc, POINT{l, m + e}, e, e, POINT{l, m}, POINT{l + e, m + e});
        Line(dc, POINT{l + e, m + e}, POINT{l + e, b - e});
        QuarterArc(dc, POINT{l + 2 * e, b - e}, e, e, POINT{l + e, b - e}, POINT{l + 2 * e, b});
    } else {
        QuarterArc(dc, POINT{l, t + e}, e, e, POINT{l, t}, POINT{l + e, t + e});
        Line(dc, POINT{l + e, t + e}, POINT{r - e, m - e});
        QuarterArc(dc, POINT{r, m - e}, e, e, POINT{r - e, m - e}, POINT{r, m});
        QuarterArc(dc, POINT{r, m + e}, e, e, POINT{r, m}, POINT{r - e, m + e});
        Line(dc, POINT{r - e, m + e}, POINT{l + e, b - e});
        QuarterArc(dc, POINT{l, b - e}, e, e, POINT{l + e, b - e}, POINT{l, b});
    }
}

void DrawStretchParen(CDC* dc, int pen, const RECT& rect, int side, COLORREF color)
{
    StrokePen stroke(dc, pen, color);
    const int w = Width(rect);
    const int h = Height(rect);
    const int t = w / 3;
    if (w <= 0 || h <= 0) {
        const int x = side == kOpeningSide ? rect.left : rect.right;
        Line(dc, POINT{x, rect.top}, POINT{x, rect.bottom});
        return;
    }
    const int half = h / 2;
    const double r = (static_cast<double>(half) * half + static_cast<double>(w) * w) / w * 0.5;
    const int d = static_cast<int>(2 * r);
    const int y0 = static_cast<int>(rect.top + half - r) - t;
    if (side == kOpeningSide) {
        const RECT box{rect.left + t, y0, rect.left + t + d, rect.top + d + t};
        dc->Arc(&box, POINT{rect.right - t / 2, rect.top}, POINT{rect.right - t / 2, rect.bottom});
    } else {
        const RECT box{rect.right - t - d, y0, rect.right - t, rect.top + d + t};
        dc->Arc(&box, POINT{rect.left + t / 2, rect.bottom}, POINT{rect.left + t / 2, rect.top});
    }
}

namespace {

// The back of a bracket-like delimiter and the x its open ends reach.
void BracketEdges(const RECT& rect, int side, int* back, int* open)
{
    const int t = Width(rect) / 3;
    *back = side == kOpeningSide ? rect.left + t : rect.right - t;
    *open = side == kOpeningSide ? rect.right : rect.left;
}

void StrokePolyline(CDC* dc, int pen, COLORREF color, const std::vector<POINT>& points)
{
    StrokePen stroke(dc, pen, color);
    dc->Polyline(points.data(), static_cast<int>(points.size()));
}

}  // namespace

void DrawStretchBracket(CDC* dc, int pen, const RECT& rect, int side, COLORREF color)
{
    int xs = 0;
    int xe = 0;
    BracketEdges(rect, side, &xs, &xe);
    StrokePolyline(dc, pen, color, {{xe, rect.top}, {xs, rect.top}, {xs, rect.bottom}, {xe, rect.bottom}});
}

void DrawStretchAngle(CDC* dc, int pen, const RECT& rect, int side, COLORREF color)
{
    int xs = 0;
    int xe = 0;
    BracketEdges(rect, side, &xs, &xe);
    StrokePolyline(dc, pen, color, {{xe, rect.top}, {xs, rect.top + Height(rect) / 2}, {xe, rect.bottom}});
}

void DrawStretchShellBracket(CDC* dc, int pen, const RECT& rect, int side, COLORREF color)
{
    int xs = 0;
    int xe = 0;
    BracketEdges(rect, side, &xs, &xe);
    const int corner = Height(rect) / 8;
    StrokePolyline(dc, pen, color,
                   {{xe, rect.top}, {xs, rect.top + corner}, {xs, rect.bottom - corner}, {xe, rect.bottom}});
}

int DeviceMarkPen(const CDisplayMap* map, int width)
{
    SIZE size{width, width};
    map->DocToDeviceSize(&size);
    return size.cx;
}

bool IsFlatMark(char16_t first)
{
    return first == u'\u2190' || first == u'\u2192' || first == u'\u2194' || first == u'\uFFE3';
}

namespace {

int ArrowKindOf(char16_t first)
{
    switch (first) {
    case u'\u2192':
    case u'\uF577':
        return kArrowRight;
    case u'\u2190':
    case u'\uF576':
        return kArrowLeft;
    case u'\u2194':
    case u'\uF578':
        return kArrowBoth;
    default:
        return 0;
    }
}

bool IsPrivateArrow(char16_t first)
{
    return first >= u'\uF576' && first <= u'\uF578';
}

}  // namespace

namespace {

void DrawMarkUpright(CDC* dc, const CDisplayMap* map, const CEditNode* mark, MarkTable table)
{
    if (dc == nullptr || map == nullptr || mark == nullptr || mark->GetText().IsEmpty())
        return;
    const RECT& layout = mark->m_rcLayout;
    RECT device = layout;
    map->DocToDeviceRect(&device);
    const int thin = DeviceMarkPen(map, kThinMarkPen);
    const int medium = DeviceMarkPen(map, kMediumMarkPen);
    const bool overAndUnder = table == MarkTable::OverAndUnder;
    SIZE head = overAndUnder ? SIZE{kArrowHeadWidth, kArrowHeadLength} : SIZE{kArrowHeadLength, kArrowHeadWidth};
    map->DocToDeviceSize(&head);
    const char16_t first = mark->GetText().GetAt(0);
    if (const int kind = ArrowKindOf(first); kind != 0 && (overAndUnder || !IsPrivateArrow(first))) {
        DrawArrowMark(dc, thin, device, head.cx, head.cy, kind, kBlack);
        return;
    }
    switch (first) {
    case u'\u21C4': {
        if (!overAndUnder)
            break;
        // A right arrow over a left arrow, each in its half of the rectangle.
        const int half = (layout.bottom - layout.top) / 2;
        RECT upper{layout.left, layout.top, layout.right, layout.top + half};
        RECT lower{layout.left, layout.bottom - half, layout.right, layout.bottom};
        map->DocToDeviceRect(&upper);
        map->DocToDeviceRect(&lower);
        DrawArrowMark(dc, thin, upper, head.cx, head.cy, kArrowRight, kBlack);
        DrawArrowMark(dc, thin, lower, head.cx, head.cy, kArrowLeft, kBlack);
        break;
    }
    case u'\u2322':
    case u'\uFE35': {
        SIZE rise{0, mark->m_ascent};
        map->DocToDeviceSize(&rise);
        DrawArcMark(dc, medium, device, rise.cy, kBlack);
        break;
    }
    case u'\uFE36': {
        SIZE rise{0, mark->m_ascent};
        map->DocToDeviceSize(&rise);
        DrawTurnedArcMark(dc, medium, device, rise.cy, kBlack);
        break;
    }
    case u'\uFE37':
        DrawHorizontalBrace(dc, thin, device, kOverBrace, kBlack);
        break;
    case u'\uFE38':
        DrawHorizontalBrace(dc, thin, device, kUnderBrace, kBlack);
        break;
    case u'\uFFE3': {
        StrokePen stroke(dc, medium, kBlack);
        POINT from{layout.left, layout.bottom};
        POINT to{layout.right, layout.bottom};
        map->DocToDevice(&from);
        map->DocToDevice(&to);
        Line(dc, from, to);
        break;
    }
    default:
        break;
    }
}

bool DrawDelimiterUpright(CDC* dc, const CDisplayMap* map, const CEditNode* delimiter, int side)
{
    const std::u16string_view text = delimiter->GetText().View();
    RECT device = delimiter->m_rcLayout;
    map->DocToDeviceRect(&device);
    const int medium = DeviceMarkPen(map, kMediumMarkPen);
    const bool opening = side == kOpeningSide;
    if (text == u"|") {
        StrokePen stroke(dc, medium, kBlack);
        const RECT& r = delimiter->m_rcLayout;
        POINT top{r.left + (r.right - r.left) / 2, r.top};
        POINT bottom{top.x, r.bottom};
        map->DocToDevice(&top);
        map->DocToDevice(&bottom);
        Line(dc, top, bottom);
    } else if (text == (opening ? u"(" : u")")) {
        DrawStretchParen(dc, medium, device, side, kBlack);
    } else if (text == (opening ? u"{" : u"}")) {
        DrawStretchBrace(dc, medium, device, side, kBlack);
    } else if (text == (opening ? u"[" : u"]")) {
        DrawStretchBracket(dc, medium, device, side, kBlack);
    } else if (text == (opening ? u"\u3008" : u"\u3009")) {
        DrawStretchAngle(dc, medium, device, side, kBlack);
    } else if (text == (opening ? u"\u3014" : u"\u3015")) {
        DrawStretchShellBracket(dc, medium, device, side, kBlack);
    } else {
        return false;
    }
    return true;
}

// A point of the upright device plane turned a quarter as the display map turns vertical pages.
POINT Turn(POINT p) { return POINT{-p.y, p.x}; }

// Draws the strokes recorded in the upright plane onto the device, each point turned; pens,
// brushes and fill modes as recorded. A quarter turn keeps the sense of every arc.
void ReplayTurned(const CRecordingDC& record, CDC* dc)
{
    for (const GdiCall& call : record.Drawings()) {
        CPen pen;
        if (!pen.CreatePen(call.pen.style, call.pen.width, call.pen.color))
            continue;
        const HPEN previousPen = dc->SelectObject(HPEN(pen));
        std::vector<POINT> points;
        for (const POINT& p : call.points)
            points.push_back(Turn(p));
        if (call.op == GdiOp::LineTo && points.size() == 2) {
            dc->MoveTo(points[0]);
            dc->LineTo(points[1]);
        } else if (call.op == GdiOp::Polyline) {
            dc->Polyline(points.data(), static_cast<int>(points.size()));
        } else if (call.op == GdiOp::Polygon) {
            CBrush brush;
            if (brush.CreateSolidBrush(call.brush.color)) {
                const HBRUSH previousBrush = dc->SelectObject(HBRUSH(brush));
                const int previousMode = dc->SetPolyFillMode(call.polyFillMode);
                dc->Polygon(points.data(), static_cast<int>(points.size()));
                dc->SetPolyFillMode(previousMode);
                dc->SelectObject(previousBrush);
            }
        } else if (call.op == GdiOp::Arc && points.size() == 2) {
            const RECT& r = call.rect;
            const RECT box{-r.bottom, r.left, -r.top, r.right};
            dc->Arc(&box, points[0], points[1]);
        }
        dc->SelectObject(previousPen);
    }
}

// The upright plane of a vertical page: the same scale and origin, not turned.
CDisplayMap UprightMap(const CDisplayMap& map)
{
    CDisplayMap upright = map;
    upright.SetVertical(0);
    return upright;
}

}  // namespace

// The routines stroke along the device's x axis. On a vertical page, where a formula's line runs
// down the device, a mark is stroked in the upright plane and turned with the page, so that an
// arrow points along the formula like its characters.
void DrawMarkByTable(CDC* dc, const CDisplayMap* map, const CEditNode* mark, MarkTable table)
{
    if (map == nullptr || !map->IsVertical()) {
        DrawMarkUpright(dc, map, mark, table);
        return;
    }
    if (dc == nullptr)
        return;
    CRecordingDC record;
    const CDisplayMap upright = UprightMap(*map);
    DrawMarkUpright(&record, &upright, mark, table);
    ReplayTurned(record, dc);
}

bool DrawStretchDelimiter(CDC* dc, const CDisplayMap* map, const CEditNode* delimiter, int side)
{
    if (!map->IsVertical())
        return DrawDelimiterUpright(dc, map, delimiter, side);
    CRecordingDC record;
    const CDisplayMap upright = UprightMap(*map);
    const bool drawn = DrawDelimiterUpright(&record, &upright, delimiter, side);
    ReplayTurned(record, dc);
    return drawn;
}
