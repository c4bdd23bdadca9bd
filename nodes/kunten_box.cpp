#include "nodes/kunten_box.h"

#include "nodes/caret.h"
#include "nodes/line_hits.h"
#include "nodes/line_builder.h"
#include "nodes/node_archive.h"

#include <algorithm>
#include <memory>

// ---------------------------------------------------------------------------------------------
// CEditKunten

IMPLEMENT_SERIAL(CEditKunten, CEditContainer, 1)

CEditKunten::CEditKunten() : CEditContainer(EditKind::Code(EditKind::kKunten))
{
    m_caretStop = 0;
}

void CEditKunten::SetLimits(int maxChars, int spacing)
{
    m_maxChars = maxChars;
    m_spacing = spacing;
}

CEditNode* CEditKunten::HitTest(int x, int y, int* after)
{
    if (!IsVisible())
        return nullptr;
    if (CEditNode* hit = CEditContainer::HitTest(x, y, after))
        return hit;
    return HitBesideBoxLines(this, x, y, after, false);
}

void CEditKunten::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;

    const int wrap = m_areaWidth > 0 ? m_areaWidth : context->fullWidth;
    const int lineSpacing = context->lineSpacing;
    auto box = std::make_unique<CEditBox>();
    std::vector<EDIT_LINE> lines;
    EDIT_LINE line;
    int largestDescent = 0;    // height − ascent over all children
    int largestBelowAxis = 0;  // height − axis over all children
    CEditNode* previous = nullptr;
    auto closeLine = [&] {
        lines.push_back(line);
        line = EDIT_LINE();
    };

    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        LAYOUT_CONTEXT childContext;
        childContext.availableWidth = wrap;
        childContext.fullWidth = wrap;
        childContext.remainingHeight = context->remainingHeight;
        childContext.lineSpacing = lineSpacing;
        childContext.letterSpacing = context->letterSpacing;
        child->Measure(dc, map, &childContext);

        if (line.m_width + child->m_width > wrap || IsLineBreak(previous))
            closeLine();
        const bool firstOfLine = line.m_count == 0;
        if (IsLineBreak(child))
            FitLineBreak(child, previous, firstOfLine);
        if (line.m_first < 0)
            line.m_first = i;
        line.m_last = i;
        ++line.m_count;
        if (!IsLineBreak(child))
            ++line.m_textCount;
        line.m_width += firstOfLine ? child->m_width : MulDiv(child->m_width, m_spacing, 100);
        line.m_ascent = std::max(line.m_ascent, child->m_ascent);
        line.m_axis = std::max(line.m_axis, child->m_axis);
        line.m_height = std::max(line.m_height, child->m_height);
        largestDescent = std::max(largestDescent, child->m_height - child->m_ascent);
        largestBelowAxis = std::max(largestBelowAxis, child->m_height - child->m_axis);
        child->m_boxIndex = 0;
        previous = child;
    }
    if (line.m_count > 0)
        closeLine();

    int widest = 0;
    int total = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        EDIT_LINE& each = lines[l];
        each.m_height = std::max(each.m_ascent + largestDescent, each.m_axis + largestBelowAxis);
        if (lineSpacing > 0)
            each.m_height += 2 * lineSpacing;
        widest = std::max(widest, each.m_width);
        total += each.m_height;
        box->SetLineAtGrow(static_cast<int>(l), each);
    }
    box->m_width = widest;
    box->m_height = total;
    SetBoxAtGrow(0, std::move(box));

    m_width = widest;
    m_height = total;
    if (!lines.empty()) {
        m_ascent = lines.front().m_ascent;
        m_axis = lines.front().m_axis;
    }
    m_extra[0] = m_width;
    m_extra[1] = m_height;
    m_dirty = 0;
}

void CEditKunten::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    const int originX = context->originX;
    const int originY = context->originY;
    m_rcLayout = RECT{originX, originY, originX + m_width, originY + m_height};
    m_rcHit = m_rcLayout;
    CEditBox* box = GetBox(0);
    if (GetChildCount() == 0 || box == nullptr || box->GetLineCount() == 0)
        return;

    const int lineSpacing = context->lineSpacing;
    int lineIndex = 0;
    EDIT_LINE* line = box->LineAt(0);
    int position = 0;
    int x = originX;
    int y = originY;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        while (position >= line->m_count) {
            y += line->m_height;
            x = originX;
            position = 0;
            line = box->LineAt(++lineIndex);
            if (line == nullptr)
                return;
        }
        LAYOUT_CONTEXT childContext =
            RowContext(*context, x, y + (lineSpacing > 0 ? lineSpacing : 0), line->m_ascent, line->m_axis);
        child->Layout(&childContext, vertical);
        child->m_rcHit = RECT{x, y, x + child->m_width, y + line->m_height};
        child->m_lineIndex = lineIndex;
        child->m_indexInLine = position;
        if (position == 0)
            line->m_rcLayout = RECT{x, y, x + line->m_width, y + line->m_height};
        const auto* next = FromNode(child->GetNextSibling());
        x += IsLineBreak(next) ? child->m_width : MulDiv(child->m_width, m_spacing, 100);
        ++position;
    }
}

void CEditKunten::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (IsVisible())
        CEditContainer::Draw(dc, map, context);
}

void CEditKunten::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_maxChars, &m_spacing}, [&] { CEditContainer::Serialize(ar); });
}

CEditNode* CEditKunten::GetNodeAbove(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, -1);
}

CEditNode* CEditKunten::GetNodeBelow(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, 1);
}

// ---------------------------------------------------------------------------------------------
// CEditOkurigana

IMPLEMENT_SERIAL(CEditOkurigana, CEditContainer, 1)

CEditOkurigana::CEditOkurigana() : CEditContainer(EditKind::Code(EditKind::kOkurigana))
{
    m_caretStop = 0;
}

void CEditOkurigana::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    CEditContainer::Layout(context, vertical);
    if (m_pushToEnd != 1 || context == nullptr)
        return;
    const CEditBox* box = GetBox(0);
    if (box == nullptr)
        return;
    int linesHeight = 0;
    for (int l = 0; l < box->GetLineCount(); ++l)
        linesHeight += box->GetLine(l).m_height;
    LAYOUT_CONTEXT pushed = *context;
    pushed.originY += m_height - linesHeight;
    CEditContainer::Layout(&pushed, vertical);
    m_rcLayout = RECT{context->originX, context->originY, context->originX + m_width, context->originY + m_height};
    m_rcHit = m_rcLayout;
}

void CEditOkurigana::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_pushToEnd}, [&] { CEditContainer::Serialize(ar); });
}
