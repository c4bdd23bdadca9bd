#include "nodes/ruby.h"

#include "nodes/line_builder.h"
#include "nodes/line_hits.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The boxes

CEditRubyBox::CEditRubyBox(EDIT_NODE_KIND kind) : CEditContainer(kind)
{
    m_caretStop = 0;
}

CEditNode* CEditRubyBox::HitTest(int x, int y, int* after)
{
    if (!IsVisible())
        return nullptr;
    if (CEditNode* hit = CEditContainer::HitTest(x, y, after))
        return hit;
    return HitBesideBoxLines(this, x, y, after, true);
}

void CEditRubyBox::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;
    LAYOUT_CONTEXT own = *context;
    own.availableWidth = m_areaWidth > 0 ? m_areaWidth : context->fullWidth;
    CEditContainer::Measure(dc, map, &own);
    if (const CEditBox* box = GetBox(0); box != nullptr && box->HasLine(0)) {
        const EDIT_LINE first = box->GetLine(0);
        m_ascent = first.m_ascent;
        m_axis = first.m_axis;
    }
}

void CEditRubyBox::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (IsVisible())
        CEditContainer::Layout(context, vertical);
}

void CEditRubyBox::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (IsVisible())
        CEditContainer::Draw(dc, map, context);
}

CEditNode* CEditRubyBox::GetNodeAbove(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, -1);
}

CEditNode* CEditRubyBox::GetNodeBelow(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, 1);
}

IMPLEMENT_SERIAL(CEditRubyBase, CEditContainer, 1)

CEditRubyBase::CEditRubyBase() : CEditRubyBox(EditKind::Code(EditKind::kRubyBase)) {}

IMPLEMENT_SERIAL(CEditRubyText, CEditContainer, 1)

CEditRubyText::CEditRubyText() : CEditRubyBox(EditKind::Code(EditKind::kRubyText)) {}

// ---------------------------------------------------------------------------------------------
// The pair

IMPLEMENT_SERIAL(CEditRuby, CEditContainer, 1)

CEditRuby::CEditRuby() : CEditContainer(EditKind::Code(EditKind::kRuby)) {}

CEditNode* CEditRuby::HitTest(int x, int y, int* after)
{
    return ChildFirstHitTest(x, y, after);
}

void CEditRuby::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (!IsVisible() || context == nullptr)
        return;
    SetBoxAtGrow(0, std::make_unique<CEditBox>());
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        LAYOUT_CONTEXT childContext;
        childContext.availableWidth = context->availableWidth;
        childContext.fullWidth = context->availableWidth;
        childContext.remainingHeight = context->remainingHeight;
        childContext.letterSpacing = context->letterSpacing;
        child->Measure(dc, map, &childContext);
    }
    CEditNode* base = GetEditChild(kBaseIndex);
    CEditNode* reading = GetEditChild(kReadingIndex);
    const int baseWidth = base != nullptr ? base->m_width : 0;
    const int readingHeight = reading != nullptr ? reading->m_height : 0;
    if (reading != nullptr)
        reading->m_width = std::max(reading->m_width, baseWidth);
    m_width = baseWidth;
    m_height = (base != nullptr ? base->m_height : 0) + readingHeight;
    m_ascent = (base != nullptr ? base->m_ascent : 0) + readingHeight;
    m_axis = (base != nullptr ? base->m_axis : 0) + readingHeight;
    m_dirty = 0;
}

void CEditRuby::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    CEditNode* base = GetEditChild(kBaseIndex);
    CEditNode* reading = GetEditChild(kReadingIndex);
    if (base == nullptr || reading == nullptr || context == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAscent - m_ascent;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};

    int readingX = x0;
    if (reading->m_width > base->m_width) {
        CEditNode* lineBreak = nullptr;
        if (auto* readingBox = dynamic_cast<CEditContainer*>(reading))
            lineBreak = readingBox->GetFirstLineBreak();
        const int overhang = reading->m_width - base->m_width;
        switch (lineBreak != nullptr ? AlignmentOf(lineBreak) : 0) {
        case 2: readingX = x0 + base->m_width - reading->m_width; break;
        case 1: readingX = x0 - overhang / 2; break;
        default: break;
        }
    }
    PlaceOnOwnRow(reading, readingX, top, vertical);
    PlaceOnOwnRow(base, x0, top + reading->m_height, vertical);
}

void CEditRuby::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    CEditNode* base = GetEditChild(kBaseIndex);
    CEditNode* reading = GetEditChild(kReadingIndex);
    if (base == nullptr || reading == nullptr)
        return;
    LAYOUT_CONTEXT baseContext;
    base->Draw(dc, map, &baseContext);
    LAYOUT_CONTEXT readingContext;
    reading->Draw(dc, map, &readingContext);
}

CEditNode* CEditRuby::GetFirstInner()
{
    CEditNode* base = GetBase();
    return base != nullptr ? base->GetFirstInner() : nullptr;
}

CEditNode* CEditRuby::GetBase() const
{
    return GetChildCount() > 1 ? GetEditChild(kBaseIndex) : nullptr;
}

void CEditRuby::CopyStyleFromElement(CQNXMLNode* element)
{
    CopyFrameAndNumberingFromElement(this, element);
}

void CEditRuby::CopyStyleToElement(CQNXMLNode* element)
{
    CopyFrameAndNumberingToElement(this, element);
}

void CopyFrameAndNumberingFromElement(CEditNode* node, CQNXMLNode* element)
{
    if (node == nullptr)
        return;
    if (const auto* frame = dynamic_cast<const CBorderPaddingBackgroundProperties*>(element))
        node->SetBorderRecord(*frame);
    if (const auto* numbering = dynamic_cast<const CKasenRenbanProperties*>(element))
        node->CopyNumbering(*numbering);
}

void CopyFrameAndNumberingToElement(const CEditNode* node, CQNXMLNode* element)
{
    if (node == nullptr)
        return;
    if (auto* frame = dynamic_cast<CBorderPaddingBackgroundProperties*>(element))
        frame->Copy(node->BorderRecord());
    if (auto* numbering = dynamic_cast<CKasenRenbanProperties*>(element))
        numbering->Copy(node->Numbering());
}
