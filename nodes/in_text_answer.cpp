#include "nodes/in_text_answer.h"

#include "base/default_fonts.h"
#include "nodes/caret.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"
#include "nodes/first_line_layout.h"

#include <cstdlib>

CEditNode* LeaveBackwardsToSibling(CEditNode* answer, CCaret* caret, int extend)
{
    CEditNode* target = nullptr;
    for (CEditNode* sibling = CEditNode::FromNode(answer->GetPrevSibling()); sibling != nullptr;
         sibling = CEditNode::FromNode(sibling->GetPrevSibling())) {
        if (!sibling->IsVisible())
            continue;
        target = sibling->HasKindFlags(EditKind::kContainer) ? CEditNode::FromNode(sibling->GetLastChild()) : sibling;
        break;
    }
    if (target == nullptr)
        return nullptr;
    caret->m_caretNode = target;
    if (extend && caret->m_anchorNode != nullptr && caret->m_anchorNode->GetParent() != target->GetParent())
        caret->m_anchorNode = target;
    return target;
}

IMPLEMENT_SERIAL(CEditCyukai, CEditContainer, 1)

CEditCyukai::CEditCyukai() : CEditContainer(EditKind::Code(EditKind::kCyukai)) {}

void CEditCyukai::AddLineBreak()
{
    auto lineBreak = std::make_unique<CEditCR>();
    if (AppendChild(lineBreak.get()) < 0)
        return;
    lineBreak.release();
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA font;
    fonts.GetDefaultFont(&font, CurrentWritingVertical);
    font.lfHeight = -std::abs(fonts.GetDefaultHeight());
    SetLogFont(&font, nullptr);
}

CEditNode* CEditCyukai::HitTest(int x, int y, int* after)
{
    return ChildFirstHitTest(x, y, after);
}

void CEditCyukai::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (context == nullptr)
        return;
    LAYOUT_CONTEXT own = *context;
    own.lineSpacing = 0;
    CEditContainer::Measure(dc, map, &own);
    if (const EDIT_LINE* line = FirstLineOf(this)) {
        m_width = line->m_width;
        m_height = line->m_height;
        m_ascent = line->m_ascent;
        m_axis = line->m_axis;
    }
    MarkFirstLineForDrawing(this);
}

void CEditCyukai::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr || GetChildCount() == 0 || FirstLineOf(this) == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    PlaceFirstLine(this, *context, x0, top, vertical);
}

void CEditCyukai::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (!InTextAnswersVisible)
        return;
    DrawFirstLine(this, dc, map);
}

CEditNode* CEditCyukai::MovePrev(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    if (CEditNode* found = CEditNode::MovePrev(caret, extend))
        return found;
    return LeaveBackwardsToSibling(this, caret, extend);
}
