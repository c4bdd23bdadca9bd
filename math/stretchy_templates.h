// The two templates that own stretched characters: a base with a stretched mark below it, and a
// group between an opening and a closing delimiter that grow with the group.
#pragma once

#include "math/math_templates.h"

class CEditUnder2 : public CEditMathTemplate {
    DECLARE_SERIAL(CEditUnder2)
public:
    CEditUnder2();
    // The base's slot end at the template's size; the mark at the script size.
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Serialize(CArchive& ar) override;

    std::unique_ptr<CEditMathChar> m_mark;
};

class CEditFenced : public CEditMathTemplate {
    DECLARE_SERIAL(CEditFenced)
public:
    CEditFenced();
    void CreateDefaultSlots();
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Serialize(CArchive& ar) override;

    std::unique_ptr<CEditMathChar> m_open;
    std::unique_ptr<CEditMathChar> m_close;
    // A height a script template puts on its fenced base so that the delimiters also cover the
    // scripts; the next measuring uses it once.
    int32_t m_extraHeight = 0;
};
