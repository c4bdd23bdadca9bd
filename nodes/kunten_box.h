// The small boxes a kanbun cell is made of. A reading-mark box (CEditKunten) holds the base
// character, a bracket, a punctuation mark or the return marks: a few characters along the line,
// each overlapping the one before by a fixed percentage, with a cap on how many character nodes
// string insertion may put in. A kana box (CEditOkurigana) is a plain container whose lines can
// be pushed to the end of the box, so that the right-hand kana sit against the base character.
// Neither box is itself a caret stop.
#pragma once

#include "nodes/edit_container.h"
#include "nodes/edit_families.h"

class CEditKunten : public CEditContainer, public IKuntenBox {
    DECLARE_SERIAL(CEditKunten)
public:
    static constexpr int kDefaultMaxChars = 1;
    static constexpr int kDefaultSpacing = 50;

    CEditKunten();

    int GetMaxChars() const override { return m_maxChars; }
    int GetSpacing() const { return m_spacing; }
    // For the builders of a cell and the reader of stored cells; nothing else changes them.
    void SetLimits(int maxChars, int spacing);

    // The children first; then, beside a line (up to 1000 before its start), its first or last
    // child.
    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    // The node of the line above (below) in the box, as a paragraph finds it.
    virtual CEditNode* GetNodeAbove(CEditNode* node, CCaret* caret);
    virtual CEditNode* GetNodeBelow(CEditNode* node, CCaret* caret);
    // The maximum and the spacing, then the container part.
    void Serialize(CArchive& ar) override;

    int32_t m_maxChars = kDefaultMaxChars;
    int32_t m_spacing = kDefaultSpacing;  // percent of a character's width to the next one
};

class CEditOkurigana : public CEditContainer {
    DECLARE_SERIAL(CEditOkurigana)
public:
    CEditOkurigana();

    // The container's layout; with push to end, the lines move down by the height the box has
    // beyond them, while the box keeps its place.
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // The push-to-end flag, then the container part.
    void Serialize(CArchive& ar) override;

    int32_t m_pushToEnd = 0;
};

