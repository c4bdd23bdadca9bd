#include "nodes/line_hits.h"

#include "nodes/caret.h"
#include "nodes/edit_container.h"

#include <algorithm>

namespace {

// Beside-the-line hits reach this far before a line's start.
constexpr int kHitReachBefore = 1000;

}  // namespace

CEditNode* HitBesideLineEnds(const EDIT_LINE& line, CEditNode* first, CEditNode* last, int x, int y, int* after,
                             int from, int to)
{
    if (y < line.m_rcLayout.top || y > line.m_rcLayout.bottom)
        return nullptr;
    if (first != nullptr && from <= x && x <= first->m_rcLayout.left) {
        if (after != nullptr)
            *after = 0;
        return first;
    }
    if (last != nullptr && last->m_rcLayout.right <= x && x <= to) {
        if (after != nullptr)
            *after = 1;
        return last;
    }
    return nullptr;
}

CEditNode* HitBesideBoxLines(CEditContainer* box, int x, int y, int* after, bool firstBoxOnly)
{
    const int boxCount = firstBoxOnly ? std::min(box->GetBoxCount(), 1) : box->GetBoxCount();
    for (int b = 0; b < boxCount; ++b) {
        CEditBox* layoutBox = box->GetBox(b);
        if (layoutBox == nullptr || layoutBox->GetLineCount() == 0)
            return nullptr;
        for (int l = 0; l < layoutBox->GetLineCount(); ++l) {
            const EDIT_LINE* line = layoutBox->LineAt(l);
            if (x < line->m_rcLayout.left - kHitReachBefore || x > box->m_rcLayout.right)
                continue;
            if (CEditNode* hit = HitBesideLineEnds(*line, box->GetEditChild(line->m_first),
                                                   box->GetEditChild(line->m_last), x, y, after))
                return hit;
        }
    }
    return nullptr;
}

CEditNode* NodeOnNeighbourLine(CEditContainer* box, CEditNode* node, CCaret* caret, int step)
{
    CEditBox* layoutBox = box->GetBox(0);
    if (layoutBox == nullptr)
        return nullptr;
    if (node == nullptr)
        return nullptr;
    const EDIT_LINE* line = layoutBox->LineAt(node->m_lineIndex + step);
    if (line == nullptr)
        return node;
    const int x = caret != nullptr && caret->m_verticalMove ? node->m_rcLayout.left : -1;
    for (int i = line->m_first; i >= 0 && i <= line->m_last; ++i) {
        CEditNode* child = box->GetEditChild(i);
        if (child != nullptr && child->m_rcLayout.left <= x && x < child->m_rcLayout.right)
            return child;
    }
    CEditNode* last = box->GetEditChild(line->m_last);
    return last != nullptr ? last : node;
}
