#include "nodes/edit_container.h"

#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"

#include <algorithm>
#include <cstdlib>
#include <string>

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
constexpr COLORREF kNoBackground = 0xFFFFFF;

bool IsCharacter(const CEditNode* node)
{
    return node->HasKindFlags(EditKind::kCharacter);
}

bool IsLineBreak(const CEditNode* node)
{
    return node->HasKindFlags(EditKind::kLineBreak);
}

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

// The pen of a solid or double decoration line: half a point, or one point and at least two
// pixels for the thick width.
std::unique_ptr<DecorationPen> LinePen(CDC* dc, CDisplayMap* map, int width)
{
    if (width == 3)
        return std::make_unique<DecorationPen>(dc, std::max(DeviceLength(map, kOnePoint), 2));
    return std::make_unique<DecorationPen>(dc, DeviceLength(map, kHalfPoint));
}

// The cache's pen of a dotted or dashed style (3 to 6), or its solid one.
HPEN StyledPen(int style)
{
    switch (style) {
    case 3: return *GetDotPen(kBlack);
    case 4: return *GetDashPen(kBlack);
    case 5: return *GetDashDotPen(kBlack);
    case 6: return *GetDashDotDotPen(kBlack);
    default: return *GetSolidPen(kBlack);
    }
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

// An underline at y from x0 to x1 in the given style and width. Double lines go further from the
// text (up in vertical writing, where the line stands at the top edge).
void DrawUnderlineAt(CDC* dc, CDisplayMap* map, int style, int width, int x0, int x1, int y)
{
    switch (style) {
    case 1: {
        auto pen = LinePen(dc, map, width);
        if (width == 3)
            y += kThickShift;
        DrawDocLine(dc, map, x0, x1, y);
        break;
    }
    case 2: {
        auto pen = LinePen(dc, map, width);
        DrawDocLine(dc, map, x0, x1, y);
        DrawDocLine(dc, map, x0, x1, map->IsVertical() ? y - kDoubleGap : y + kDoubleGap);
        break;
    }
    case 3:
    case 4:
    case 5:
    case 6: {
        DecorationPen pen(dc, StyledPen(style));
        DrawDocLine(dc, map, x0, x1, y);
        break;
    }
    case 7: {
        DecorationPen pen(dc, StyledPen(1));
        DrawWave(dc, map, x0, x1, y, y + kDoubleGap);
        break;
    }
    default:
        break;
    }
}

// A line through the middle of a run, or a kanbun cell's mark, at y from x0 to x1: double lines
// 25 either side, a wave between the two levels given. Close to the device's resolution the two
// lines of a vertical kanbun mark can fall on one pixel column; `keepApart` moves them apart.
void DrawMiddleLineAt(CDC* dc, CDisplayMap* map, int style, int width, int x0, int x1, int y, int waveUpper,
                      int waveLower, bool keepApart)
{
    switch (style) {
    case 1: {
        auto pen = LinePen(dc, map, width);
        DrawDocLine(dc, map, x0, x1, y);
        break;
    }
    case 2: {
        auto pen = LinePen(dc, map, width);
        POINT a0 = DevicePoint(map, x0, y - kDoubleHalfGap);
        POINT a1 = DevicePoint(map, x1, y - kDoubleHalfGap);
        POINT b0 = DevicePoint(map, x0, y + kDoubleHalfGap);
        POINT b1 = DevicePoint(map, x1, y + kDoubleHalfGap);
        if (keepApart && map->IsVertical() && map->m_zoom >= 100 && a0.x == b0.x) {
            b0.x -= 1;
            b1.x -= 1;
        }
        dc->MoveTo(a0);
        dc->LineTo(a1);
        dc->MoveTo(b0);
        dc->LineTo(b1);
        break;
    }
    case 3:
    case 4:
    case 5:
    case 6: {
        DecorationPen pen(dc, StyledPen(style));
        DrawDocLine(dc, map, x0, x1, y);
        break;
    }
    case 7: {
        DecorationPen pen(dc, StyledPen(1));
        DrawWave(dc, map, x0, x1, waveUpper, waveLower);
        break;
    }
    default:
        break;
    }
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

// The label of a labelled run: the run number in the form of the numbering type.
CStringW LabelText(const CEditNode* node)
{
    CStringW text;
    switch (node->m_renbanType) {
    case 2: FormatParenFullWidthNumber(node->m_runNumber, text); break;
    case 3: FormatParenKatakanaLabel(node->m_runNumber, text); break;
    case 4: FormatParenLowerLetterLabel(node->m_runNumber, text); break;
    case 5: FormatParenUpperLetterLabel(node->m_runNumber, text); break;
    case 6: text = node->m_renbanString; break;
    default: FormatCircledNumber(node->m_runNumber, text); break;
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditContainer

IMPLEMENT_SERIAL(CEditContainer, CEditNode, 1)

CEditContainer::CEditContainer() = default;

CEditContainer::CEditContainer(EDIT_NODE_KIND kind) : CEditNode(kind) {}

CEditContainer::~CEditContainer() = default;

CEditBox* CEditContainer::GetBox(int index) const
{
    if (index < 0 || index >= GetBoxCount())
        return nullptr;
    return m_boxes[static_cast<size_t>(index)].get();
}

void CEditContainer::SetBoxAtGrow(int index, std::unique_ptr<CEditBox> box)
{
    if (index < 0)
        return;
    if (index >= GetBoxCount())
        m_boxes.resize(static_cast<size_t>(index) + 1);
    m_boxes[static_cast<size_t>(index)] = std::move(box);
}

int CEditContainer::AlignmentOf(CEditNode* lineBreak)
{
    const auto* line = dynamic_cast<CBlockLineRelatedProperties*>(lineBreak);
    return line != nullptr ? line->m_textAlign : 0;
}

int CEditContainer::FloatSideOf(CEditNode* node)
{
    const auto* frame = dynamic_cast<IFloatingFrame*>(node);
    return frame != nullptr ? frame->GetFloatSide() : 0;
}

LAYOUT_CONTEXT CEditContainer::ChildMeasureContext(const LAYOUT_CONTEXT& parent, int available, int remaining)
{
    LAYOUT_CONTEXT context;
    context.availableWidth = available;
    context.fullWidth = available;
    context.remainingHeight = remaining;
    context.lineSpacing = parent.lineSpacing;
    context.letterSpacing = parent.letterSpacing;
    return context;
}

LAYOUT_CONTEXT CEditContainer::RowContext(const LAYOUT_CONTEXT& parent, int x, int y, int ascent, int axis)
{
    LAYOUT_CONTEXT context;
    context.page = parent.page;
    context.originX = x;
    context.originY = y;
    context.rowAscent = ascent;
    context.rowAxis = axis;
    context.lineSpacing = parent.lineSpacing;
    context.letterSpacing = parent.letterSpacing;
    return context;
}

void CEditContainer::FitLineBreak(CEditNode* lineBreak, const CEditNode* previous, bool startsLine)
{
    lineBreak->m_width = startsLine ? lineBreak->m_tm.tmAveCharWidth : 0;
    if (previous != nullptr && IsCharacter(previous)) {
        lineBreak->m_tm = previous->m_tm;
        lineBreak->m_height = previous->m_height;
        lineBreak->m_ascent = previous->m_ascent;
        lineBreak->m_axis = previous->m_axis;
    }
}

void CEditContainer::AddToLineExtents(EDIT_LINE* line, const CEditNode* child)
{
    line->m_maxFontSize = std::max(line->m_maxFontSize, std::abs(child->m_lf.lfHeight));
    line->m_axis = std::max(line->m_axis, child->m_axis);
    line->m_belowAxis = std::max(line->m_belowAxis, child->m_height - child->m_axis);
    line->m_ascent = std::max(line->m_ascent, child->m_ascent);
    line->m_descent = std::max(line->m_descent, child->m_height - child->m_ascent);
    line->m_height = std::max(line->m_axis + line->m_belowAxis, line->m_ascent + line->m_descent);
}

CEditNode* CEditContainer::GetFirstInner()
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child != nullptr && child->HasKindFlags(EditKind::kEditNodeBit))
            return child;
    }
    return nullptr;
}

CEditNode* CEditContainer::FindLineBreakFrom(CEditNode* child)
{
    const int start = IndexOfChild(child);
    if (start < 0)
        return nullptr;
    for (int i = start; i < GetChildCount(); ++i) {
        CEditNode* node = GetEditChild(i);
        if (node != nullptr && IsLineBreak(node))
            return node;
    }
    return nullptr;
}

CEditNode* CEditContainer::GetFirstLineBreak()
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* node = GetEditChild(i);
        if (node != nullptr && IsLineBreak(node))
            return node;
    }
    return nullptr;
}

void CEditContainer::GetMargins(int* left, int* top, int* right, int* bottom) const
{
    if (left != nullptr)
        *left = m_marginLeft;
    if (top != nullptr)
        *top = m_marginTop;
    if (right != nullptr)
        *right = m_marginRight;
    if (bottom != nullptr)
        *bottom = m_marginBottom;
}

void CEditContainer::SetMargins(int left, int top, int right, int bottom)
{
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
}

CEditNode* CEditContainer::ChildAtPoint(int x, int y, int* after)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || !child->IsVisible())
            continue;
        const RECT& r = child->m_rcLayout;
        if (r.left <= x && x < r.right && r.top <= y && y < r.bottom) {
            if (after != nullptr)
                *after = x > r.left + (r.right - r.left) / 2 ? 1 : 0;
            return child;
        }
    }
    return nullptr;
}

CEditNode* CEditContainer::HitTest(int x, int y, int* after)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || !child->IsVisible())
            continue;
        if (CEditNode* hit = child->HitTest(x, y, after))
            return hit;
    }
    return nullptr;
}

CEditNode* CEditContainer::ChildFirstHitTest(int x, int y, int* after)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        if (CEditNode* hit = child->HitTest(x, y, after))
            return hit;
    }
    CEditNode* answer = nullptr;
    int answerAfter = 0;
    for (int b = 0; b < GetBoxCount(); ++b) {
        const CEditBox* box = GetBox(b);
        if (box == nullptr)
            continue;
        for (int l = 0; l < box->GetLineCount(); ++l) {
            const EDIT_LINE line = box->GetLine(l);
            if (y < line.m_rcLayout.top || y > line.m_rcLayout.bottom)
                continue;
            CEditNode* first = GetEditChild(line.m_first);
            CEditNode* last = GetEditChild(line.m_last);
            if (first != nullptr && line.m_rcLayout.left <= x && x <= first->m_rcLayout.left) {
                answer = first;
                answerAfter = 0;
                break;
            }
            if (last != nullptr && last->m_rcLayout.right <= x && x <= line.m_rcLayout.right) {
                answer = last;
                answerAfter = 1;
                break;
            }
        }
    }
    if (answer != nullptr && after != nullptr)
        *after = answerAfter;
    return answer;
}

void CEditContainer::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    m_width = 0;
    m_height = 0;
    m_ascent = 0;
    m_axis = 0;
    DeleteBoxes();
    if (!IsVisible() || context == nullptr)
        return;

    const int available = context->availableWidth;
    const int lineSpacing = context->lineSpacing;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        LAYOUT_CONTEXT childContext = ChildMeasureContext(*context, available, context->remainingHeight);
        child->Measure(dc, map, &childContext);
    }

    auto box = std::make_unique<CEditBox>();
    box->m_width = available;
    EDIT_LINE line;
    int lineIndex = 0;
    int y = 0;
    int floatWidth = 0;
    int floatBottom = 0;
    int widest = 0;
    int totalHeight = 0;
    int largestAscent = 0;
    int largestAxis = 0;
    auto closeLine = [&] {
        if (lineSpacing > 0)
            line.m_height += 2 * lineSpacing;
        y += line.m_height;
        widest = std::max(widest, line.m_width);
        totalHeight += line.m_height;
        largestAscent = std::max(largestAscent, line.m_ascent);
        largestAxis = std::max(largestAxis, line.m_axis);
        box->SetLineAtGrow(lineIndex++, line);
        line = EDIT_LINE();
    };

    CEditNode* previous = nullptr;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        // A line that holds nothing yet is never closed, so a child too wide for the line stands
        // alone on it; a line break takes no room at the end of its line, so it always fits.
        if (line.m_count > 0) {
            const int room = available - (y < floatBottom ? floatWidth : 0);
            if ((previous != nullptr && IsLineBreak(previous)) ||
                (!IsLineBreak(child) && line.m_width + child->m_width > room))
                closeLine();
        }
        if (IsLineBreak(child))
            FitLineBreak(child, previous, line.m_count == 0);
        if (child->IsKind(EditKind::kFloat)) {
            const int side = FloatSideOf(child);
            if (side == 1 || side == 2) {
                m_width = std::max(m_width, available);
                floatWidth = child->m_width;
                floatBottom = y + child->m_height;
            }
            child->m_boxIndex = 0;
            previous = child;
            continue;
        }
        if (line.m_first < 0)
            line.m_first = i;
        line.m_last = i;
        const int position = line.m_count++;
        line.m_width += child->m_width;
        AddToLineExtents(&line, child);
        child->m_boxIndex = 0;
        child->m_lineIndex = lineIndex;
        child->m_indexInLine = position;
        previous = child;
    }
    if (line.m_count > 0)
        closeLine();
    box->m_height = std::max(y, floatBottom);
    SetBoxAtGrow(0, std::move(box));

    m_width = std::max(m_width, widest);
    m_height = std::max(totalHeight, floatBottom);
    m_ascent = largestAscent;
    m_axis = std::max(m_height / 2, largestAxis);
    if (lineSpacing > 0) {
        m_ascent += lineSpacing;
        m_axis += lineSpacing;
    }
    m_dirty = 0;
}

void CEditContainer::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    const int originX = context->originX;
    const int originY = context->originY;
    m_rcLayout = RECT{originX, originY, originX + m_width, originY + m_height};
    m_rcHit = m_rcLayout;

    CEditBox* box = GetBox(context->boxIndex);
    if (box == nullptr || box->GetLineCount() == 0)
        return;
    int lineIndex = 0;
    EDIT_LINE* line = box->LineAt(0);
    // The start of a line, moved by the alignment of the line break that governs it.
    auto lineStart = [&](CEditNode* lineBreak) {
        switch (AlignmentOf(lineBreak)) {
        case 1: return originX + (m_width - line->m_width) / 2;
        case 2: return originX + m_width - line->m_width;
        default: return originX;
        }
    };
    auto nextLine = [&](int& y) {
        y += line->m_height;
        line = box->LineAt(++lineIndex);
        return line != nullptr;
    };

    const int lineSpacing = context->lineSpacing;
    int x = lineStart(GetFirstLineBreak());
    int y = originY;
    int position = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || child->m_boxIndex < context->boxIndex)
            continue;
        if (child->m_boxIndex > context->boxIndex)
            break;
        if (child->IsKind(EditKind::kFloat)) {
            if (child->GetPrevSibling() != nullptr) {
                if (!nextLine(y))
                    return;
                x = lineStart(FindLineBreakFrom(child));
                position = 0;
            }
            const int side = FloatSideOf(child);
            const int frameX = side == 1 ? originX : side == 2 ? originX + m_width - child->m_width : x;
            LAYOUT_CONTEXT frameContext = RowContext(*context, frameX, y, context->rowAscent, context->rowAxis);
            child->Layout(&frameContext, vertical);
            continue;
        }
        if (position >= line->m_count) {
            if (!nextLine(y))
                return;
            x = lineStart(FindLineBreakFrom(child));
            position = 0;
        }
        LAYOUT_CONTEXT childContext =
            RowContext(*context, x, y + (lineSpacing > 0 ? lineSpacing : 0), line->m_ascent, line->m_axis);
        child->Layout(&childContext, vertical);
        child->m_page = context->page;
        child->m_rcHit = RECT{x, y, x + child->m_width, y + line->m_height};
        child->m_lineIndex = lineIndex;
        child->m_indexInLine = position;
        if (position == 0)
            line->m_rcLayout = RECT{x, y, x + line->m_width, y + line->m_height};
        x += child->m_width;
        ++position;
    }
}

void CEditContainer::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!IsVisible() || dc == nullptr || map == nullptr)
        return;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);

    const DRAW_FILTER* filter = context != nullptr ? context->drawFilter : nullptr;
    std::vector<CEditNode*> drawn;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child != nullptr && (filter == nullptr || child->m_boxIndex == filter->boxIndex))
            drawn.push_back(child);
    }

    for (CEditNode* child : drawn) {
        if (!IsCharacter(child) || child->m_backgroundColor == kNoBackground)
            continue;
        RECT rect = child->m_rcLayout;
        map->DocToDeviceRect(&rect);
        const HPEN previousPen = dc->SelectObject(GetSolidPen(child->m_backgroundColor));
        const HBRUSH previousBrush = dc->SelectObject(GetSolidBrush(child->m_backgroundColor));
        const int previousRop = dc->SetROP2(R2_COPYPEN);
        dc->Rectangle(&rect);
        dc->SetROP2(previousRop);
        dc->SelectObject(previousBrush);
        dc->SelectObject(previousPen);
    }

    dc->SetTextColor(kBlack);
    for (CEditNode* child : drawn) {
        if (!IsCharacter(child) || child->m_backgroundPattern < 1 || child->m_backgroundPattern > 6)
            continue;
        RECT rect = child->m_rcLayout;
        map->DocToDeviceRect(&rect);
        dc->FillRect(&rect, GetPatternBrush(child->m_backgroundPattern - 1));
    }

    // Consecutive characters of one run style share one device font.
    {
        CFont runFont;
        HFONT previousFont;
        bool fontSelected = false;
        const CEditNode* runStart = nullptr;
        for (CEditNode* child : drawn) {
            LAYOUT_CONTEXT childContext;
            const auto* character = IsCharacter(child) ? dynamic_cast<CEditChar*>(child) : nullptr;
            if (character == nullptr) {
                runStart = nullptr;
            } else if (runStart == nullptr || !child->SameRunStyle(runStart)) {
                CFont next;
                if (character->CreateDeviceFont(map, &next)) {
                    const HFONT replaced = dc->SelectObject(HFONT(next));
                    if (!fontSelected) {
                        previousFont = replaced;
                        fontSelected = true;
                    }
                    runFont.DeleteObject();
                    runFont.Attach(next.Detach());
                    runStart = child;
                } else {
                    runStart = nullptr;
                }
            }
            if (runStart != nullptr)
                childContext.font = runFont;
            child->Draw(dc, map, &childContext);
        }
        if (fontSelected)
            dc->SelectObject(previousFont);
    }

    // Runs of one decoration: consecutive characters (line breaks end a run) with the same style
    // and width, style not 0, within one line.
    auto drawRuns = [&](auto style, auto width, void (CEditContainer::*draw)(CDC*, CDisplayMap*, CEditNode*, CEditNode*)) {
        CEditNode* first = nullptr;
        CEditNode* last = nullptr;
        for (CEditNode* child : drawn) {
            const bool member = IsCharacter(child) && !IsLineBreak(child) && style(child) != 0;
            if (first != nullptr && (!member || style(child) != style(first) || width(child) != width(first) ||
                                     child->m_indexInLine == 0)) {
                (this->*draw)(dc, map, first, last);
                first = nullptr;
            }
            if (member) {
                if (first == nullptr)
                    first = child;
                last = child;
            }
        }
        if (first != nullptr)
            (this->*draw)(dc, map, first, last);
    };
    drawRuns([](const CEditNode* n) { return n->m_underlineStyle; },
             [](const CEditNode* n) { return n->m_underlineWidth; }, &CEditContainer::DrawRunUnderline);
    drawRuns([](const CEditNode* n) { return n->m_lineThroughStyle; },
             [](const CEditNode* n) { return n->m_lineThroughWidth; }, &CEditContainer::DrawRunLineThrough);
    drawRuns([](const CEditNode* n) { return n->m_borderStyle; },
             [](const CEditNode* n) { return n->m_borderWidth; }, &CEditContainer::DrawRunFrame);

    // Labelled runs: the same numbering type, underline style and width; they may cross lines.
    // A run that continues one labelled on an earlier page is not labelled again.
    const CEditNode* earlier = filter != nullptr && context != nullptr ? context->lastDrawn : nullptr;
    const bool continuesEarlier = earlier != nullptr && earlier->m_renbanType != 0;
    CEditNode* first = nullptr;
    CEditNode* last = nullptr;
    auto flushLabel = [&] {
        if (first != nullptr && !(continuesEarlier && first == drawn.front()))
            DrawRunLabel(dc, map, first, last);
        first = nullptr;
    };
    for (CEditNode* child : drawn) {
        const bool member = child->m_renbanType != 0;
        if (first != nullptr &&
            (!member || child->m_renbanType != first->m_renbanType ||
             child->m_underlineStyle != first->m_underlineStyle || child->m_underlineWidth != first->m_underlineWidth))
            flushLabel();
        if (member) {
            if (first == nullptr)
                first = child;
            last = child;
        }
    }
    flushLabel();

    if (filter != nullptr && context != nullptr && !drawn.empty())
        context->lastDrawn = drawn.back();
}

void CEditContainer::DrawRunUnderline(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    DrawUnderlineAt(dc, map, first->m_underlineStyle, first->m_underlineWidth, first->m_rcLayout.left,
                    last->m_rcLayout.right, UnderlineLevel(map, first, last));
}

void CEditContainer::DrawRunLineThrough(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    const int x0 = first->m_rcLayout.left;
    const int x1 = last->m_rcLayout.right;
    const int middle = std::max(MiddleOf(first), MiddleOf(last));
    DrawMiddleLineAt(dc, map, first->m_lineThroughStyle, first->m_lineThroughWidth, x0, x1, middle,
                     middle - kDoubleHalfGap, middle + kDoubleHalfGap, false);
}

void CEditContainer::DrawRunFrame(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    if (first == nullptr)
        return;
    if (last == nullptr)
        last = first;
    const int style = first->m_borderStyle;
    if (style < 1 || style > 6)
        return;
    const RECT frame{first->m_rcLayout.left, first->m_rcLayout.top, last->m_rcLayout.right, first->m_rcLayout.bottom};
    std::unique_ptr<DecorationPen> pen;
    if (style <= 2 && first->m_borderWidth == 3)
        pen = LinePen(dc, map, 3);
    else
        pen = std::make_unique<DecorationPen>(dc, StyledPen(style <= 2 ? 1 : style));
    const HBRUSH previousBrush = HBRUSH(dc->SelectStockObject(HOLLOW_BRUSH));
    auto drawRect = [&](int inset) {
        RECT rect{frame.left + inset, frame.top + inset, frame.right - inset, frame.bottom - inset};
        map->DocToDeviceRect(&rect);
        dc->Rectangle(&rect);
    };
    if (style == 2) {
        drawRect(kDoubleHalfGap);
        drawRect(-kDoubleHalfGap);
    } else {
        drawRect(0);
    }
    dc->SelectObject(previousBrush);
}

void CEditContainer::DrawRunLabel(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode*)
{
    if (first == nullptr)
        return;
    LOGFONTA description{};
    const std::string face(FaceNameView(first->m_renbanFace));
    if (!FindInstalledFont(face.c_str(), &description)) {
        // A face that is not installed still goes to the font matcher by its name.
        description.lfCharSet = DEFAULT_CHARSET;
        CopyFaceName(description.lfFaceName, FaceNameView(first->m_renbanFace));
    }
    SIZE extent{first->m_renbanSize, 0};
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
    DrawNodeText(dc, anchor.x, anchor.y, LabelText(first));
    dc->SetTextAlign(previousAlign);
    if (created)
        dc->SelectObject(previousFont);
}

void CEditContainer::DrawNodeUnderline(CDC* dc, CDisplayMap* map)
{
    if (dc == nullptr || map == nullptr)
        return;
    int y = m_rcLayout.bottom;
    if (IsKind(EditKind::kMath) && m_height - m_ascent < 100)
        y = UnderlineLevel(map, this, this);
    DrawUnderlineAt(dc, map, m_afterStyle, m_afterWidth, m_rcLayout.left, m_rcLayout.right, y);
}

void CEditContainer::DrawNodeMark(CDC* dc, CDisplayMap* map)
{
    if (dc == nullptr || map == nullptr)
        return;
    const int y = m_rcLayout.top + m_height / 3;
    int x0 = m_rcLayout.left;
    int x1 = m_rcLayout.right;
    if (m_runBits & kRunStart)
        x0 += m_width / 6;
    if (m_runBits & kRunEnd)
        x1 -= m_width / 6;
    DrawMiddleLineAt(dc, map, m_beforeStyle, m_beforeWidth, x0, x1, y, y - kDoubleGap, y, true);
}

// ---------------------------------------------------------------------------------------------
// CEditEdit

IMPLEMENT_SERIAL(CEditEdit, CEditContainer, 1)

CEditEdit::CEditEdit() : CEditContainer(EditKind::Code(EditKind::kEdit))
{
    m_caretStop = 0;
}

void CEditEdit::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (IsVisible() && GetChildCount() > 0)
        CEditContainer::Layout(context, vertical);
}

void CEditEdit::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (IsVisible() && GetChildCount() > 0)
        CEditContainer::Draw(dc, map, context);
}

CEditNode* CEditEdit::GetFirstInner()
{
    CEditNode* first = GetEditChild(0);
    return first != nullptr ? first->GetFirstInner() : nullptr;
}

CEditNode* CEditEdit::GetNodeAbove(CEditNode*, CCaret*)
{
    return nullptr;
}

CEditNode* CEditEdit::GetNodeBelow(CEditNode*, CCaret*)
{
    return nullptr;
}
