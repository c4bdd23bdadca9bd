// The floating frame: a container that holds a picture, an embedded object or a figure, and whose
// float side tells the paragraph's line building where to place it.
#pragma once

#include "nodes/edit_container.h"
#include "nodes/line_builder.h"

class CEditFloat : public CEditContainer, public IFloatingFrame {
    DECLARE_SERIAL(CEditFloat)
public:
    // The size of the frame's record in the stream.
    static constexpr uint32_t kRecordSize = 8;

    CEditFloat();

    int GetFloatSide() const override { return m_frame.m_areaHeight; }
    // FLOAT_LEFT (up in vertical writing) or FLOAT_RIGHT (down); what the move commands set.
    void SetFloatSide(int side) { m_frame.m_areaHeight = side; }

    // The record from an fo:float element object (any other element changes nothing), and into
    // an element object that carries one.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);

    // The children only; the frame's own rectangle is not tested.
    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // From the frame's start onto the visible node before it (the last child of a container).
    CEditNode* MovePrev(CCaret* caret, int extend) override;
    // The record (its size, then its two ints), then the container part.
    void Serialize(CArchive& ar) override;

    // The first int is carried along unchanged; the second is the float side.
    CAreaDimensionProperties m_frame;
};
