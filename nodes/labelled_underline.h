// The labelled underline: an inline container for a stretch of text that is underlined (a side
// line in vertical writing) and marked with a small number label, with a thin line between the
// label and the text. It is one line: only its first line is placed and drawn.
#pragma once

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"

class CEditKasen : public CEditContainer {
    DECLARE_SERIAL(CEditKasen)
public:
    // The label's size: 5 pt.
    static constexpr int kLabelHeight = 176;

    CEditKasen();

    CEditNode* HitTest(int x, int y, int* after) override;
    // The label (① in horizontal writing, ㊀ in vertical writing, 5 pt) and the first line.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The label under the text in horizontal writing, before it across the line in vertical
    // writing; the first line's children centred on the row's axis.
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // The first line, the label and the line between them.
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    const CEditChar& GetLabel() const { return m_label; }
    const RECT& GetLabelRect() const { return m_labelRect; }

    // Not stored; nothing changes it.
    int32_t m_labelNumber = 1;

private:
    CEditChar m_label;
    RECT m_labelRect{};
};
