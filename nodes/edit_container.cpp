#include "nodes/edit_container.h"

#include "base/gdi_cache.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/line_hits.h"
#include "nodes/run_decorations.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kNoBackground = 0xFFFFFF;

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
        if (IsLineBreak(node))
            return node;
    }
    return nullptr;
}

CEditNode* CLineBreakCursor::From(CEditNode* child)
{
    const int index = m_container->IndexOfChild(child);
    if (index < 0)
        return nullptr;
    if (m_found == nullptr || index > m_foundIndex || m_container->GetEditChild(m_foundIndex) != m_found) {
        m_found = m_container->FindLineBreakFrom(child);
        m_foundIndex = m_container->IndexOfChild(m_found);
    }
    return m_found;
}

CEditNode* CEditContainer::GetFirstLineBreak()
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* node = GetEditChild(i);
        if (IsLineBreak(node))
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
    if (CEditNode* hit = HitTestChildren(x, y, after))
        return hit;
    // A later layout box's line wins over an earlier one's.
    CEditNode* answer = nullptr;
    for (int b = 0; b < GetBoxCount(); ++b) {
        const CEditBox* box = GetBox(b);
        if (box == nullptr)
            continue;
        for (int l = 0; l < box->GetLineCount(); ++l) {
            const EDIT_LINE line = box->GetLine(l);
            if (CEditNode* hit = HitBesideLineEnds(line, GetEditChild(line.m_first), GetEditChild(line.m_last), x, y, after,
                                                   line.m_rcLayout.left, line.m_rcLayout.right)) {
                answer = hit;
                break;
            }
        }
    }
    return answer;
}

namespace {

// Leaves whose classes mark their changes through MarkDirty: characters, line breaks and
// question-number labels.
bool IsTrackedLeaf(const CEditNode* node)
{
    if (node == nullptr || node->GetChildCount() != 0)
        return false;
    const uint32_t kind = static_cast<uint32_t>(node->GetKind());
    return kind == EditKind::kChar || kind == EditKind::kCR || kind == EditKind::kDmonno || kind == EditKind::kMonno;
}

}  // namespace

bool CEditContainer::KeepsMeasure(const MEASURE_INPUTS& inputs, int remaining) const
{
    if (!m_measured || m_dirty != 0 || !(inputs == m_measuredWith) || remaining < m_remainingLow ||
        remaining >= m_remainingHigh || m_boxes.empty())
        return false;
    // Children of other kinds may have been marked directly: they are asked one by one.
    return m_leavesTracked ? !MayHaveDirtyBelow() : !HasDirtySubtree();
}

bool CEditContainer::KeepsChildMeasure(const MEASURE_INPUTS& inputs) const
{
    if (!m_measured || m_dirty != 0 || !(inputs == m_measuredWith) || m_boxes.empty() || m_hasFrames)
        return false;
    return m_leavesTracked ? !MayHaveDirtyBelow() : !HasDirtySubtree();
}

void CEditContainer::RememberMeasure(const MEASURE_INPUTS& inputs, const LINES_BUILT& built, bool childrenKept)
{
    if (!childrenKept) {
        m_leavesTracked = true;
        for (int i = 0; i < GetChildCount() && m_leavesTracked; ++i)
            m_leavesTracked = IsTrackedLeaf(GetEditChild(i));
        m_hasFrames = false;
        for (int i = 0; i < GetChildCount() && !m_leavesTracked && !m_hasFrames; ++i)
            m_hasFrames = IsFloatingFrame(GetEditChild(i));
    }
    ClearDirtyBelow();
    m_measured = true;
    m_measuredWith = inputs;
    m_remainingLow = built.remainingLow;
    m_remainingHigh = built.remainingHigh;
}

void CEditContainer::ChildrenChanged()
{
    CEditNode::ChildrenChanged();
    m_measured = false;
}

bool CEditContainer::MoveBox(int, int, int, int)
{
    return false;
}

void CEditContainer::ForgetPlacement()
{
    for (const auto& box : m_boxes) {
        if (box != nullptr)
            box->ForgetPlacement();
    }
}

void CEditContainer::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MEASURE_INPUTS inputs;
    if (context != nullptr) {
        inputs.available = context->availableWidth;
        inputs.lineSpacing = context->lineSpacing;
        inputs.letterSpacing = context->letterSpacing;
        inputs.vertical = map != nullptr ? map->IsVertical() : 0;
        if (KeepsMeasure(inputs, context->remainingHeight) && IsVisible())
            return;
    }
    m_measured = false;
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;

    const int available = context->availableWidth;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        LAYOUT_CONTEXT childContext = ChildMeasureContext(*context, available, context->remainingHeight);
        child->Measure(dc, map, &childContext);
    }

    LINE_SETTINGS settings;
    settings.available = available;
    settings.lineSpacing = context->lineSpacing;
    const LINES_BUILT built = BuildLines(settings);
    if (built.sideFloat)
        m_width = available;

    // The container is as wide as its widest line, as high as its lines or the frame beside them.
    const CEditBox* box = GetBox(0);
    if (box != nullptr) {
        for (int l = 0; l < box->GetLineCount(); ++l) {
            const EDIT_LINE line = box->GetLine(l);
            m_width = std::max(m_width, line.m_width);
            m_ascent = std::max(m_ascent, line.m_ascent);
            m_axis = std::max(m_axis, line.m_axis);
        }
        m_height = box->m_height;
    }
    m_axis = std::max(m_height / 2, m_axis);
    if (context->lineSpacing > 0) {
        m_ascent += context->lineSpacing;
        m_axis += context->lineSpacing;
    }
    m_dirty = 0;
    RememberMeasure(inputs, built);
}

CEditContainer::LINES_BUILT CEditContainer::BuildLines(const LINE_SETTINGS& settings)
{
    std::vector<CEditNode*> children;
    children.reserve(static_cast<size_t>(GetChildCount()));
    for (int i = 0; i < GetChildCount(); ++i)
        children.push_back(GetEditChild(i));
    CLineBuilder builder(settings);
    builder.Build(children);
    std::vector<std::unique_ptr<CEditBox>> boxes = builder.TakeBoxes();
    for (size_t b = 0; b < boxes.size(); ++b)
        SetBoxAtGrow(static_cast<int>(b), std::move(boxes[b]));
    return LINES_BUILT{builder.Indent(), builder.HasSideFloat(), builder.RemainingLow(), builder.RemainingHigh()};
}

CEditContainer::LINES_BUILT CEditContainer::ResplitLines(const LINE_SETTINGS& settings, int indent)
{
    std::vector<EDIT_LINE> lines;
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        for (int l = 0; box != nullptr && l < box->GetLineCount(); ++l)
            lines.push_back(*box->LineAt(l));
    }
    // Plain leaves are every one an editing node: their list is made without visiting them.
    std::vector<CEditNode*> children;
    children.reserve(static_cast<size_t>(GetChildCount()));
    for (int i = 0; i < GetChildCount(); ++i)
        children.push_back(m_leavesTracked ? static_cast<CEditNode*>(GetChildAt(i)) : GetEditChild(i));
    CLineBuilder builder(settings);
    builder.Resplit(children, lines, indent);
    DeleteBoxes();
    std::vector<std::unique_ptr<CEditBox>> boxes = builder.TakeBoxes();
    for (size_t b = 0; b < boxes.size(); ++b)
        SetBoxAtGrow(static_cast<int>(b), std::move(boxes[b]));
    return LINES_BUILT{indent, false, builder.RemainingLow(), builder.RemainingHigh()};
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
    int y = originY;
    // A frame beside the text narrows the lines down to its bottom, as in the measuring.
    int floatWidth = 0;
    int floatBottom = 0;
    int floatSide = FLOAT_NONE;
    auto beside = [&] { return y - originY < floatBottom ? floatWidth : 0; };
    // The start of a line, moved by the alignment of the line break that governs it within the
    // room beside a frame.
    auto lineStart = [&](CEditNode* lineBreak) {
        const int frame = beside();
        return originX + PlaceLine(AlignmentOf(lineBreak), *line, m_width - frame, frame, false).start;
    };
    auto nextLine = [&] {
        y += line->m_height;
        line = box->LineAt(++lineIndex);
        return line != nullptr;
    };

    const int lineSpacing = context->lineSpacing;
    CLineBreakCursor lineBreaks(this);
    int x = lineStart(GetFirstLineBreak());
    int position = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || child->m_boxIndex < context->boxIndex)
            continue;
        if (child->m_boxIndex > context->boxIndex)
            break;
        if (IsFloatingFrame(child)) {
            // A frame ends the line that holds anything before it, as the measuring did.
            if (position > 0) {
                if (!nextLine())
                    return;
                position = 0;
            }
            const int side = FloatSideOf(child);
            const int frameX = side == FLOAT_LEFT    ? originX
                               : side == FLOAT_RIGHT ? originX + m_width - child->m_width
                                                     : lineStart(lineBreaks.From(child));
            if (side == FLOAT_LEFT || side == FLOAT_RIGHT) {
                floatSide = side;
                floatWidth = child->m_width;
                floatBottom = std::max(floatBottom, y - originY + child->m_height);
            }
            LAYOUT_CONTEXT frameContext = RowContext(*context, frameX, y, context->rowAscent, context->rowAxis);
            child->Layout(&frameContext, vertical);
            x = lineStart(lineBreaks.From(child));
            continue;
        }
        if (position >= line->m_count) {
            if (!nextLine())
                return;
            x = lineStart(lineBreaks.From(child));
            position = 0;
        }
        const int childX = x + (floatSide == FLOAT_LEFT ? beside() : 0);
        LAYOUT_CONTEXT childContext =
            RowContext(*context, childX, y + (lineSpacing > 0 ? lineSpacing : 0), line->m_ascent, line->m_axis);
        child->Layout(&childContext, vertical);
        child->m_page = context->page;
        child->m_rcHit = RECT{childX, y, childX + child->m_width, y + line->m_height};
        child->m_lineIndex = lineIndex;
        child->m_indexInLine = position;
        if (position == 0)
            line->m_rcLayout = RECT{childX, y, childX + line->m_width, y + line->m_height};
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
    // On screen, lines wholly outside a selected clip are left out; runs of decorations never
    // cross a line start, so those of the lines drawn stay whole. Labels go by the whole list.
    const std::vector<CEditNode*> seen = ChildrenOfLinesInClip(dc, map, drawn);

    DrawBackgrounds(dc, map, seen);
    DrawChildren(dc, map, seen);
    DrawDecorationRuns(dc, map, seen);
    // A labelled run that continues one labelled on an earlier page is not labelled again.
    const CEditNode* earlier = filter != nullptr && context != nullptr ? context->lastDrawn : nullptr;
    DrawLabelRuns(dc, map, drawn, earlier != nullptr && earlier->Numbering().m_renbanType != RenbanType::kNone);

    if (filter != nullptr && context != nullptr && !drawn.empty())
        context->lastDrawn = drawn.back();
}

std::vector<CEditNode*> CEditContainer::ChildrenOfLinesInClip(CDC* dc, CDisplayMap* map,
                                                             const std::vector<CEditNode*>& drawn)
{
    // Only a clip that the painting selected narrows the lines: a printer draws one page box by
    // box, and what it draws lies on the page.
    RECT clip{};
    if (dc->IsPrinting() || !dc->IsClipped() || dc->GetClipBox(&clip) != SIMPLEREGION)
        return drawn;
    // The clip across the lines, in document units: y down in both writing directions.
    POINT corners[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
    int64_t top = INT64_MAX;
    int64_t bottom = INT64_MIN;
    for (POINT& corner : corners) {
        map->DeviceToDoc(&corner);
        top = std::min<int64_t>(top, corner.y);
        bottom = std::max<int64_t>(bottom, corner.y);
    }
    // Room for what a line draws beyond its height: underlines, labels and marks.
    constexpr int64_t kMargin = 500;
    top -= kMargin;
    bottom += kMargin;
    std::vector<CEditNode*> seen;
    seen.reserve(drawn.size());
    for (CEditNode* child : drawn) {
        const RECT& line = child->m_rcHit;
        if (!IsCharacter(child) || (line.top <= bottom && top <= line.bottom))
            seen.push_back(child);
    }
    return seen;
}

void CEditContainer::DrawBackgrounds(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn)
{
    for (CEditNode* child : drawn) {
        if (!IsCharacter(child) || child->BorderRecord().m_backgroundColor == kNoBackground)
            continue;
        RECT rect = child->m_rcLayout;
        map->DocToDeviceRect(&rect);
        const HPEN previousPen = dc->SelectObject(GetSolidPen(child->BorderRecord().m_backgroundColor));
        const HBRUSH previousBrush = dc->SelectObject(GetSolidBrush(child->BorderRecord().m_backgroundColor));
        const int previousRop = dc->SetROP2(R2_COPYPEN);
        dc->Rectangle(&rect);
        dc->SetROP2(previousRop);
        dc->SelectObject(previousBrush);
        dc->SelectObject(previousPen);
    }

    dc->SetTextColor(kBlack);
    for (CEditNode* child : drawn) {
        if (!IsCharacter(child) || child->BorderRecord().m_backgroundPattern < HatchPattern::kHorizontal || child->BorderRecord().m_backgroundPattern > HatchPattern::kDiagCross)
            continue;
        RECT rect = child->m_rcLayout;
        map->DocToDeviceRect(&rect);
        dc->FillRect(&rect, GetPatternBrush(child->BorderRecord().m_backgroundPattern - 1));
    }
}

void CEditContainer::DrawChildren(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn)
{
    // Consecutive characters of one run style share one device font, and plain characters of
    // one line and colour go out in one text call.
    CFont runFont;
    HFONT previousFont;
    bool fontSelected = false;
    const CEditNode* runStart = nullptr;
    for (size_t i = 0; i < drawn.size(); ++i) {
        CEditNode* child = drawn[i];
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
        if (runStart != nullptr) {
            size_t end = i + 1;
            // A character that joins the run has the run's style (the child has it already).
            while (end < drawn.size() && CEditChar::JoinsTextRun(child, drawn[end - 1], drawn[end]))
                ++end;
            if (end > i + 1) {
                CEditChar::DrawTextRun(dc, map, std::span<CEditNode* const>(drawn).subspan(i, end - i));
                i = end - 1;
                continue;
            }
            childContext.font = runFont;
        }
        child->Draw(dc, map, &childContext);
    }
    if (fontSelected)
        dc->SelectObject(previousFont);
}

void CEditContainer::DrawDecorationRuns(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn)
{
    struct RUN_DECORATION {
        int (*style)(const CEditNode&);
        int (*width)(const CEditNode&);
        void (CEditContainer::*draw)(CDC*, CDisplayMap*, CEditNode*, CEditNode*);
    };
    static constexpr RUN_DECORATION kDecorations[] = {
        {[](const CEditNode& n) { return n.CharacterRecord().m_underlineStyle; },
         [](const CEditNode& n) { return n.CharacterRecord().m_underlineWidth; }, &CEditContainer::DrawRunUnderline},
        {[](const CEditNode& n) { return n.CharacterRecord().m_lineThroughStyle; },
         [](const CEditNode& n) { return n.CharacterRecord().m_lineThroughWidth; }, &CEditContainer::DrawRunLineThrough},
        {[](const CEditNode& n) { return n.BorderRecord().m_borderStyle; },
         [](const CEditNode& n) { return n.BorderRecord().m_borderWidth; }, &CEditContainer::DrawRunFrame},
    };
    // A run: consecutive characters (line breaks end it) with the same style and width, style
    // not none, within one line.
    for (const RUN_DECORATION& decoration : kDecorations) {
        CEditNode* first = nullptr;
        CEditNode* last = nullptr;
        for (CEditNode* child : drawn) {
            const int style = decoration.style(*child);
            const bool member = IsCharacter(child) && !IsLineBreak(child) && style != DECORATION_NONE;
            if (first != nullptr && (!member || style != decoration.style(*first) ||
                                     decoration.width(*child) != decoration.width(*first) ||
                                     child->m_indexInLine == 0)) {
                (this->*decoration.draw)(dc, map, first, last);
                first = nullptr;
            }
            if (member) {
                if (first == nullptr)
                    first = child;
                last = child;
            }
        }
        if (first != nullptr)
            (this->*decoration.draw)(dc, map, first, last);
    }
}

void CEditContainer::DrawLabelRuns(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn,
                                   bool continuesEarlier)
{
    // Labelled runs: the same numbering type, underline style and width; they may cross lines.
    CEditNode* first = nullptr;
    CEditNode* last = nullptr;
    auto flushLabel = [&] {
        if (first != nullptr && !(continuesEarlier && first == drawn.front()))
            DrawRunLabel(dc, map, first, last);
        first = nullptr;
    };
    for (CEditNode* child : drawn) {
        const bool member = child->Numbering().m_renbanType != RenbanType::kNone;
        if (first != nullptr &&
            (!member || child->Numbering().m_renbanType != first->Numbering().m_renbanType ||
             child->CharacterRecord().m_underlineStyle != first->CharacterRecord().m_underlineStyle || child->CharacterRecord().m_underlineWidth != first->CharacterRecord().m_underlineWidth))
            flushLabel();
        if (member) {
            if (first == nullptr)
                first = child;
            last = child;
        }
    }
    flushLabel();
}

void CEditContainer::DrawRunUnderline(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    DrawUnderlineOfRun(dc, map, first, last);
}

void CEditContainer::DrawRunLineThrough(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    DrawLineThroughOfRun(dc, map, first, last);
}

void CEditContainer::DrawRunFrame(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last)
{
    DrawFrameOfRun(dc, map, first, last);
}

void CEditContainer::DrawRunLabel(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode*)
{
    DrawLabelOfRun(dc, map, first);
}

void CEditContainer::DrawNodeUnderline(CDC* dc, CDisplayMap* map)
{
    DrawNodeUnderlineOf(dc, map, this);
}

void CEditContainer::DrawNodeMark(CDC* dc, CDisplayMap* map)
{
    DrawNodeMarkOf(dc, map, this);
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
