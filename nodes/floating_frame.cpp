#include "nodes/floating_frame.h"

#include "base/element_classes.h"
#include "nodes/caret.h"
#include "nodes/in_text_answer.h"

IMPLEMENT_SERIAL(CEditFloat, CEditContainer, 1)

CEditFloat::CEditFloat() : CEditContainer(EditKind::Code(EditKind::kFloat))
{
    m_frame.m_areaWidth = 0;
    m_frame.m_areaHeight = 0;
}

void CEditFloat::CopyStyleFromElement(CQNXMLNode* element)
{
    const auto* frame = dynamic_cast<const CFoFloat*>(element);
    if (frame == nullptr || element->m_typeCode != XEC_FO_FLOAT)
        return;
    m_frame.m_areaWidth = frame->m_floatReserved;
    m_frame.m_areaHeight = frame->m_floatSide;
}

void CEditFloat::CopyStyleToElement(CQNXMLNode* element)
{
    if (auto* frame = dynamic_cast<CFoFloat*>(element)) {
        frame->m_floatReserved = m_frame.m_areaWidth;
        frame->m_floatSide = m_frame.m_areaHeight;
    }
}

CEditNode* CEditFloat::HitTest(int x, int y, int* after)
{
    return HitTestChildren(x, y, after);
}

void CEditFloat::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditContainer::Measure(dc, map, context);
}

void CEditFloat::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditContainer::Draw(dc, map, context);
}

CEditNode* CEditFloat::MovePrev(CCaret* caret, int extend)
{
    if (caret == nullptr || caret->m_caretNode == nullptr)
        return nullptr;
    if (CEditNode* found = CEditNode::MovePrev(caret, extend))
        return found;
    return LeaveBackwardsToSibling(this, caret, extend);
}

void CEditFloat::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(kRecordSize) << m_frame.m_areaWidth << m_frame.m_areaHeight;
        CEditContainer::Serialize(ar);
        return;
    }
    DWORD size = 0;
    ar >> size;
    // The record is two ints: bytes beyond them are passed over, a shorter record is malformed.
    if (size < kRecordSize)
        ar.ThrowException(CArchiveException::genericException);
    ar.CheckAvailable(size);
    int32_t first = 0;
    int32_t side = 0;
    ar >> first >> side;
    for (DWORD skipped = kRecordSize; skipped < size; ++skipped) {
        BYTE unused = 0;
        ar >> unused;
    }
    CEditContainer::Serialize(ar);
    m_frame.m_areaWidth = first;
    m_frame.m_areaHeight = side;
}
