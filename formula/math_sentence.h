// CEditMathSentence: the root of the formula editor's tree. It holds one inline formula and its
// line end, breaks its children into lines as a paragraph does (digits kept with what stands
// before them, ASCII words carried whole), keeps every line in its first layout box so that its
// size always covers the whole formula, and leaves at least half a millimetre beside a glyph
// that overhangs its box.
#pragma once

#include "nodes/edit_container.h"

class CCaret;

class CEditMathSentence : public CEditContainer {
    DECLARE_SERIAL(CEditMathSentence)
public:
    // The smallest margin beside an overhanging glyph, in 1/100 mm.
    static constexpr int kMinimumMargin = 50;

    // An empty root: no children, no boxes.
    CEditMathSentence();
    ~CEditMathSentence() override;

    // Fills an empty root with an empty formula and a line end. With useMathsFont the formula
    // takes the maths default font at the maths height; otherwise only its height becomes
    // 10.5 pt. A failure keeps the nodes already appended.
    void InitContent(int useMathsFont);

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    // The node on the line above (below) the node's line, under its left edge while the caret
    // moves vertically, else that line's last node; the node itself on the first (last) line.
    CEditNode* GetNodeAbove(CEditNode* node, CCaret* caret);
    CEditNode* GetNodeBelow(CEditNode* node, CCaret* caret);

    // The margins beside the formula that the last measuring found (the root's overhangs).
    int GetLeftMargin() const { return m_leftOverhang; }
    int GetRightMargin() const { return m_rightOverhang; }

    // Two ints the root carries and no operation uses.
    int32_t m_reserved1 = 0;
    int32_t m_reserved2 = 0;

private:
    void MeasureChildren(CDC* dc, CDisplayMap* map, const LAYOUT_CONTEXT& context, int available, int remaining);
    void SetMargins();
};
