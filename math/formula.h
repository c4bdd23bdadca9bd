// The roots of formulas: the inline formula that stands on the text baseline of a paragraph
// (its slots are the formula's lines), the block that renders a MathML formula into a picture,
// and the in-text answer inside a formula.
#pragma once

#include "math/math_container.h"
#include "platform/xml.h"

class CEditMath : public CEditMathContainer {
    DECLARE_SERIAL(CEditMath)
public:
    CEditMath();
    // Appends the empty first line. With useMathsFont its slot end takes the maths letter font at
    // the maths height setting; otherwise only its height becomes 10.5 pt.
    void CreateDefaultSlots(int useMathsFont);

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
};

class CEditEditMath : public CEditMathContainer {
    DECLARE_SERIAL(CEditEditMath)
public:
    CEditEditMath();

    // A formula with one empty line, then a paragraph mark.
    void InitDefaultContent();
    // True when the block holds no formula or a formula with nothing but its line end.
    bool IsEmpty() const;
    // Deletes the children, then the default content again.
    void Reset();

    CEditNode* HitTest(int x, int y, int* after) override;
    CEditNode* GetFirstInner() override;
    CEditNode* GetLastInner() override;

    // Builds the formula of a MathML "math" element into the block in place of its content;
    // anything but a "math" element changes nothing.
    void LoadMathML(const XmlNode& node);
    // The block measured, laid out and drawn on white into a new colour bitmap, at 96 dots per inch
    // whatever the screen; null when no context or bitmap can be made. The caller owns the bitmap.
    HBITMAP CreateBitmap();
};

class CEditMathCyukai : public CEditMathContainer {
    DECLARE_SERIAL(CEditMathCyukai)
public:
    CEditMathCyukai();
    // Appends the answer's slot end.
    void AddLineBreak();

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
};
