#include "nodes/run_decorations.h"

#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Decoration lengths in 1/100 mm.
constexpr int kHalfPoint = 18;
constexpr int kOnePoint = 35;
constexpr int kThickShift = 17;
constexpr int kDoubleGap = 50;
constexpr int kDoubleHalfGap = 25;
constexpr int kWaveStep = 50;
constexpr int kWaveHalfStep = 25;
constexpr COLORREF kBlack = 0x000000;

// A length in 1/100 mm as device pixels.
int DeviceLength(CDisplayMap* map, int length)
{
    SIZE size{length, length};
    map->DocToDeviceSize(&size);
    return size.cx;
}

POINT DevicePoint(CDisplayMap* map, int x, int y)
{
    POINT point{x, y};
    map->DocToDevice(&point);
    return point;
}

// Selects a decoration pen into the context for as long as it lives: one the context makes for
// the purpose, or one of the cache's.
class DecorationPen {
public:
    DecorationPen(CDC* dc, HPEN pen) : m_dc(dc) { Select(pen); }
    DecorationPen(CDC* dc, int width) : m_dc(dc)
    {
        m_own.CreatePen(PS_SOLID, width, kBlack);
        Select(m_own);
    }
    ~DecorationPen()
    {
        if (m_selected)
            m_dc->SelectObject(m_previous);
    }
    DecorationPen(const DecorationPen&) = delete;
    DecorationPen& operator=(const DecorationPen&) = delete;

private:
    void Select(HPEN pen)
    {
        m_previous = m_dc->SelectObject(pen);
        m_selected = static_cast<bool>(m_previous);
    }

    CDC* m_dc;
    CPen m_own;
    HPEN m_previous;
    bool m_selected = false;
};

// The cache's pen of a dotted or dashed style, or its solid one.
HPEN CachePen(int style)
{
    switch (style) {
    case DECORATION_DOTTED: return *GetDotPen(kBlack);
    case DECORATION_DASHED: return *GetDashPen(kBlack);
    case DECORATION_DOT_DASH: return *GetDashDotPen(kBlack);
    case DECORATION_DOT_DOT_DASH: return *GetDashDotDotPen(kBlack);
    default: return *GetSolidPen(kBlack);
    }
}

// The pen of a decoration: solid and double lines are half a point wide, or one point and at
// least two pixels when thick; the other styles take the cache's pens.
std::unique_ptr<DecorationPen> StylePen(CDC* dc, CDisplayMap* map, int style, int width)
{
    if (style == DECORATION_SOLID || style == DECORATION_DOUBLE) {
        if (width == DECORATION_THICK)
            return std::make_unique<DecorationPen>(dc, std::max(DeviceLength(map, kOnePoint), 2));
        return std::make_unique<DecorationPen>(dc, DeviceLength(map, kHalfPoint));
    }
    return std::make_unique<DecorationPen>(dc, CachePen(style));
}

void DrawDocLine(CDC* dc, CDisplayMap* map, int x0, int x1, int y)
{
    dc->MoveTo(DevicePoint(map, x0, y));
    dc->LineTo(DevicePoint(map, x1, y));
}

// A wavy line from x0 to x1 between two levels (upper < lower in document y), in half-waves of
// 50: Bézier curves on the wide text path, a polyline through the half-wave middles otherwise.
void DrawWave(CDC* dc, CDisplayMap* map, int x0, int x1, int upper, int lower)
{
    if (x1 < x0)
        std::swap(x0, x1);
    const int n = (x1 - x0) / kWaveStep;
    std::vector<POINT> points;
    if (UseWideTextOut) {
        points.push_back(DevicePoint(map, x0, lower));
        for (int i = 0; i < n; ++i) {
            const int level = i % 2 == 0 ? lower : upper;
            const int other = i % 2 == 0 ? upper : lower;
            const int middle = x0 + kWaveStep * i + kWaveHalfStep;
            points.push_back(DevicePoint(map, middle, level));
            points.push_back(DevicePoint(map, middle, other));
            points.push_back(DevicePoint(map, x0 + kWaveStep * (i + 1), other));
        }
        dc->PolyBezier(points.data(), static_cast<int>(points.size()));
    } else {
        for (int i = 0; i <= n; ++i)
            points.push_back(DevicePoint(map, x0 + kWaveStep * i + kWaveHalfStep, i % 2 == 0 ? lower : upper));
        dc->Polyline(points.data(), static_cast<int>(points.size()));
    }
}

// Where the styles of one decoration put their lines, from x0 to x1 in document units.
struct DECORATION_LINES {
    int x0 = 0;
    int x1 = 0;
    int level = 0;       // a single line
    int thickShift = 0;  // added to the level of a thick solid line
    int doubleFirst = 0;
    int doubleSecond = 0;
    // Close to the device's resolution the two lines of a vertical double line can fall on one
    // pixel column; this moves them apart.
    bool keepDoubleApart = false;
    int waveUpper = 0;
    int waveLower = 0;
};

// The one style dispatch of every decorated line.
void DrawDecorationLines(CDC* dc, CDisplayMap* map, int style, int width, const DECORATION_LINES& lines)
{
    if (style < DECORATION_SOLID || style > DECORATION_WAVE)
        return;
    // A wave is drawn with the cache's solid pen.
    const auto pen = style == DECORATION_WAVE ? std::make_unique<DecorationPen>(dc, CachePen(DECORATION_SOLID))
                                              : StylePen(dc, map, style, width);
    switch (style) {
    case DECORATION_SOLID:
        DrawDocLine(dc, map, lines.x0, lines.x1, lines.level + (width == DECORATION_THICK ? lines.thickShift : 0));
        break;
    case DECORATION_DOUBLE: {
        POINT a0 = DevicePoint(map, lines.x0, lines.doubleFirst);
        POINT a1 = DevicePoint(map, lines.x1, lines.doubleFirst);
        POINT b0 = DevicePoint(map, lines.x0, lines.doubleSecond);
        POINT b1 = DevicePoint(map, lines.x1, lines.doubleSecond);
        if (lines.keepDoubleApart && map->IsVertical() && map->m_zoom >= 100 && a0.x == b0.x) {
            b0.x -= 1;
            b1.x -= 1;
        }
        dc->MoveTo(a0);
        dc->LineTo(a1);
        dc->MoveTo(b0);
        dc->LineTo(b1);
        break;
    }
    case DECORATION_WAVE:
        DrawWave(dc, map, lines.x0, lines.x1, lines.waveUpper, lines.waveLower);
        break;
    default:
        DrawDocLine(dc, map, lines.x0, lines.x1, lines.level);
        break;
    }
}

// An underline at a level: the second line of a double one and the wave lie outside the text,
// below it, or above the top edge in vertical writing.
DECORATION_LINES UnderlineLines(CDisplayMap* map, int x0, int x1, int level)
{
    const int outward = map->IsVertical() ? -kDoubleGap : kDoubleGap;
    DECORATION_LINES lines;
    lines.x0 = x0;
    lines.x1 = x1;
    lines.level = level;
    lines.thickShift = kThickShift;
    lines.doubleFirst = level;
    lines.doubleSecond = level + outward;
    lines.waveUpper = std::min(level, level + outward);
    lines.waveLower = std::max(level, level + outward);
    return lines;
}

// A line through a middle: a double line 25 either side, the wave between two given levels.
DECORATION_LINES MiddleLines(int x0, int x1, int middle, int waveUpper, int waveLower)
{
    DECORATION_LINES lines;
    lines.x0 = x0;
    lines.x1 = x1;
    lines.level = middle;
    lines.doubleFirst = middle - kDoubleHalfGap;
    lines.doubleSecond = middle + kDoubleHalfGap;
    lines.waveUpper = waveUpper;
    lines.waveLower = waveLower;
    return lines;
}

// The run underline's level: below the lower of the two baselines by half a point and a point;
// in vertical writing at the top edges of the end nodes.
int UnderlineLevel(CDisplayMap* map, const CEditNode* first, const CEditNode* last)
{
    if (map->IsVertical())
        return std::min(first->m_rcLayout.top, last->m_rcLayout.top);
    return std::max(first->m_ptText.y, last->m_ptText.y) + kHalfPoint + kOnePoint;
}

int MiddleOf(const CEditNode* node)
{
    return node->m_rcLayout.bottom - node->m_height / 2;
}

}  // namespace

CStringW RunLabelText(const CEditNode* node)
{
    CStringW text;
    switch (node->Numbering().m_renbanType) {
    case 2: FormatParenFullWidthNumber(node->m_runNumber, text); break;
    case 3: FormatParenKatakanaLabel(node->m_runNumber, text); break;
    case 4: FormatParenLowerLetterLabel(node->m_runNumber, text); break;
    case 5: FormatParenUpperLetterLabel(node->m_runNumber, text); break;
    case 6: text = node->Numbering().m_renbanString; break;
    default: FormatCircledNumber(node->m_runNumber, text); break;
    }
    return text;
}

void DrawUnderlineOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    DrawDecorationLines(dc, map, first->CharacterRecord().m_underlineStyle, first->CharacterRecord().m_underlineWidth,
                        UnderlineLines(map, first->m_rcLayout.left, last->m_rcLayout.right,
                                       UnderlineLevel(map, first, last)));
}

void DrawLineThroughOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    const int middle = std::max(MiddleOf(first), MiddleOf(last));
    DrawDecorationLines(dc, map, first->CharacterRecord().m_lineThroughStyle, first->CharacterRecord().m_lineThroughWidth,
                        MiddleLines(first->m_rcLayout.left, last->m_rcLayout.right, middle, middle - kDoubleHalfGap,
                                    middle + kDoubleHalfGap));
}

void DrawFrameOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    const int style = first->BorderRecord().m_borderStyle;
    if (style < DECORATION_SOLID || style > DECORATION_DOT_DOT_DASH)
        return;
    const RECT frame{first->m_rcLayout.left, first->m_rcLayout.top, last->m_rcLayout.right, first->m_rcLayout.bottom};
    // A frame of normal width takes the cache's solid pen, not a half-point one.
    std::unique_ptr<DecorationPen> pen;
    if (style <= DECORATION_DOUBLE && first->BorderRecord().m_borderWidth == DECORATION_THICK)
        pen = StylePen(dc, map, DECORATION_SOLID, DECORATION_THICK);
    else
        pen = std::make_unique<DecorationPen>(dc, CachePen(style <= DECORATION_DOUBLE ? DECORATION_SOLID : style));
    const HBRUSH previousBrush = HBRUSH(dc->SelectStockObject(HOLLOW_BRUSH));
    auto drawRect = [&](int inset) {
        RECT rect{frame.left + inset, frame.top + inset, frame.right - inset, frame.bottom - inset};
        map->DocToDeviceRect(&rect);
        dc->Rectangle(&rect);
    };
    if (style == DECORATION_DOUBLE) {
        drawRect(kDoubleHalfGap);
        drawRect(-kDoubleHalfGap);
    } else {
        drawRect(0);
    }
    dc->SelectObject(previousBrush);
}

void DrawLabelOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first)
{
    if (first == nullptr)
        return;
    LOGFONTA description{};
    const std::string face(FaceNameView(first->Numbering().m_renbanFace));
    if (!FindInstalledFont(face.c_str(), &description)) {
        // A face that is not installed still goes to the font matcher by its name.
        description.lfCharSet = DEFAULT_CHARSET;
        CopyFaceName(description.lfFaceName, FaceNameView(first->Numbering().m_renbanFace));
    }
    SIZE extent{first->Numbering().m_renbanSize, 0};
    map->DocToDeviceExtent(&extent);
    description.lfHeight = extent.cx;
    description.lfWidth = 0;
    description.lfWeight = FW_NORMAL;
    const bool vertical = map->IsVertical();
    description.lfEscapement = vertical ? 2700 : 0;
    description.lfOrientation = vertical ? 2700 : 0;
    CFont font;
    const bool created = font.CreateFontIndirect(&description) != 0;
    const HFONT previousFont = created ? dc->SelectObject(HFONT(font)) : HFONT();
    const UINT previousAlign = dc->SetTextAlign(TA_BOTTOM);
    dc->SetTextColor(kBlack);
    const POINT anchor =
        DevicePoint(map, first->m_rcLayout.left, vertical ? first->m_rcLayout.top : first->m_rcLayout.bottom);
    DrawNodeText(dc, anchor.x, anchor.y, RunLabelText(first));
    dc->SetTextAlign(previousAlign);
    if (created)
        dc->SelectObject(previousFont);
}

void DrawNodeUnderlineOf(CDC* dc, CDisplayMap* map, const CEditNode* node)
{
    if (dc == nullptr || map == nullptr || node == nullptr)
        return;
    int y = node->m_rcLayout.bottom;
    if (node->IsKind(EditKind::kMath) && node->m_height - node->m_ascent < 100)
        y = UnderlineLevel(map, node, node);
    DrawDecorationLines(dc, map, node->BorderRecord().m_afterStyle, node->BorderRecord().m_afterWidth,
                        UnderlineLines(map, node->m_rcLayout.left, node->m_rcLayout.right, y));
}

void DrawNodeMarkOf(CDC* dc, CDisplayMap* map, const CEditNode* node)
{
    if (dc == nullptr || map == nullptr || node == nullptr)
        return;
    const int y = node->m_rcLayout.top + node->m_height / 3;
    int x0 = node->m_rcLayout.left;
    int x1 = node->m_rcLayout.right;
    if (node->m_runBits & CEditNode::kRunStart)
        x0 += node->m_width / 6;
    if (node->m_runBits & CEditNode::kRunEnd)
        x1 -= node->m_width / 6;
    DECORATION_LINES lines = MiddleLines(x0, x1, y, y - kDoubleGap, y);
    lines.keepDoubleApart = true;
    DrawDecorationLines(dc, map, node->BorderRecord().m_beforeStyle, node->BorderRecord().m_beforeWidth, lines);
}
