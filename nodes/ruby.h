// Ruby: a run of base text with its reading set in smaller characters before the line (above
// it in horizontal writing, to its right in vertical writing). The pair is one inline node with
// two containers, the base and the reading; it is as wide as its base, and a wider reading
// overhangs the base on one or both sides by the reading's own alignment.
#pragma once

#include "nodes/edit_container.h"

// The base text of a ruby pair and its reading: containers of one or more lines whose ascent and
// axis are those of their first line.
class CEditRubyBox : public CEditContainer {
public:
    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    virtual CEditNode* GetNodeAbove(CEditNode* node, CCaret* caret);
    virtual CEditNode* GetNodeBelow(CEditNode* node, CCaret* caret);

protected:
    CEditRubyBox() = default;
    explicit CEditRubyBox(EDIT_NODE_KIND kind);
};

class CEditRubyBase : public CEditRubyBox {
    DECLARE_SERIAL(CEditRubyBase)
public:
    CEditRubyBase();
};

class CEditRubyText : public CEditRubyBox {
    DECLARE_SERIAL(CEditRubyText)
public:
    CEditRubyText();
};

// The pair: child 0 the base, child 1 the reading.
class CEditRuby : public CEditContainer {
    DECLARE_SERIAL(CEditRuby)
public:
    CEditRuby();

    CEditNode* HitTest(int x, int y, int* after) override;
    // Measures what the pair holds; a missing box counts as empty.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Nothing for a pair with fewer than two children; children after the reading are not placed.
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The first inner node of the base; null for a pair with fewer than two children.
    CEditNode* GetFirstInner() override;

    // The base box; null for a pair with fewer than two children.
    CEditNode* GetBase() const;
    // The frame and the numbering records, from the print file's inline element and back; the
    // print-file converters use these for kanbun cells too.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);

    static constexpr int kBaseIndex = 0;
    static constexpr int kReadingIndex = 1;
};

// The frame and numbering records of an editing node from an element object and back.
void CopyFrameAndNumberingFromElement(CEditNode* node, CQNXMLNode* element);
void CopyFrameAndNumberingToElement(const CEditNode* node, CQNXMLNode* element);
