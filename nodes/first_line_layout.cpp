#include "nodes/first_line_layout.h"

namespace {

// The box index of children that the one-line layout does not place.
constexpr int kOutsideFirstLine = 1;

}  // namespace

const EDIT_LINE* FirstLineOf(const CEditContainer* node)
{
    const CEditBox* box = node->GetBox(0);
    if (box == nullptr || !box->HasLine(0))
        return nullptr;
    return const_cast<CEditBox*>(box)->LineAt(0);
}

void MarkFirstLineForDrawing(CEditContainer* node)
{
    const EDIT_LINE* line = FirstLineOf(node);
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        const bool onFirstLine = line != nullptr && line->m_count > 0 && i >= line->m_first && i <= line->m_last;
        child->m_boxIndex = onFirstLine ? 0 : kOutsideFirstLine;
    }
}

void PlaceFirstLine(CEditContainer* node, const LAYOUT_CONTEXT& context, int x0, int y, int vertical)
{
    CEditBox* box = node->GetBox(0);
    EDIT_LINE* line = box != nullptr ? box->LineAt(0) : nullptr;
    if (line == nullptr || line->m_count <= 0)
        return;
    int x = x0;
    int position = 0;
    for (int i = line->m_first; i >= 0 && i <= line->m_last; ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr || child->m_boxIndex != 0)
            continue;
        LAYOUT_CONTEXT childContext;
        childContext.page = context.page;
        childContext.originX = x;
        childContext.originY = y;
        childContext.rowAscent = line->m_ascent;
        childContext.rowAxis = line->m_axis;
        childContext.lineSpacing = context.lineSpacing;
        childContext.letterSpacing = context.letterSpacing;
        child->Layout(&childContext, vertical);
        child->m_rcHit = RECT{x, y, x + child->m_width, y + line->m_height};
        child->m_lineIndex = 0;
        child->m_indexInLine = position;
        if (position == 0)
            line->m_rcLayout = RECT{x, y, x + line->m_width, y + line->m_height};
        x += child->m_width;
        ++position;
    }
}

void DrawFirstLine(CEditContainer* node, CDC* dc, CDisplayMap* map)
{
    DRAW_FILTER firstLine{0, 0};
    LAYOUT_CONTEXT context;
    context.drawFilter = &firstLine;
    node->CEditContainer::Draw(dc, map, &context);
}
