// CEditSentence: the paragraph of a test paper, which is at the same time a question part. It
// carries the question's major and sub number and the kind of part it is, breaks its children
// into lines with the paper's rules (a hanging indent under the question number, punctuation
// kept at the end of a line, ASCII words carried whole, floating frames beside the text, a
// further layout box when the page is full), aligns each line by the line break that ends it,
// and on screen shows a coloured part label in the margin and grey box outlines.
#pragma once

#include "base/property_records.h"
#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/mondai_info.h"

// The kinds of question part.
enum PART_KIND : int32_t {
    PART_NONE = 0,
    PART_QUESTION = 1,     // question text
    PART_ANSWER_FIELD = 2,
    PART_ANSWER = 3,
    PART_EXPLANATION = 4,
};

class CEditPrint;

// Numbers the labelled-underline runs below node, each numbering type, underline style and width
// on its own: what every container that lines up text does before it measures.
void NumberUnderlineRunsBelow(CEditNode* node);

class CEditSentence : public CEditContainer {
    DECLARE_SERIAL(CEditSentence)
public:
    CEditSentence();
    ~CEditSentence() override;

    // One empty line: a line break, and the paragraph's own font set to the default text font of
    // the current writing direction at the default height.
    void InitDefaultContent();

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // True when measuring the part again with the context, wherever on the page it starts,
    // needs no device: nothing below it changed, no child is a floating frame and the inputs,
    // with the hanging indent it holds, are those of its last measuring. At most its lines go
    // into boxes anew.
    bool RemeasuresWithoutDevice(const LAYOUT_CONTEXT& context, int vertical) const;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // A part of plain leaves that ends in a line break moves its box without laying it out.
    bool MoveBox(int boxIndex, int dx, int dy, int page) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    // The node of the line above (below) the given node's line in the first layout box: the one
    // under the node's left edge while the caret moves vertically, else that line's last node;
    // the node itself when there is no such line.
    virtual CEditNode* GetNodeAbove(CEditNode* node, CCaret* caret);
    virtual CEditNode* GetNodeBelow(CEditNode* node, CCaret* caret);

    // The part label's font (8 pt of the GUI face, turned for vertical writing) and its text.
    void PrepareLabelFont(CDisplayMap* map);
    // True when the part holds anything besides question-number labels and one line break.
    bool HasContent();
    // Numbers the labelled-underline runs of the subtree, each numbering type, underline style and
    // width on its own.
    void NumberUnderlineRuns();

    // Visibility and fixed width from an fo:block-container element object, and back.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);

    // The run-boundary bits of a child and the child before it (null for the first child).
    static void MarkRunBoundary(CEditNode* previous, CEditNode* child);

    // The current hanging indent, kept between measuring and layout.
    int32_t GetCurrentIndent() const { return m_marginLeft; }

    int32_t m_questionNumber = 0;
    int32_t m_subQuestionNumber = 0;
    int32_t m_partKind = PART_NONE;
    // The label drawn in the margin on screen: 問題, 解答欄, 解答 or 解説.
    CEditChar m_label;
    HAITEN_INFO m_haiten;
    // Where the question came from in the question bank.
    CMondaiInfo m_mondaiInfo;
    // The hanging indent that the question's text part computed, shared with its other parts.
    int32_t m_savedIndent = 0;

protected:
    // For the blocks built on the paragraph (text boxes, page breaks, name fields).
    explicit CEditSentence(EDIT_NODE_KIND kind);

private:
    // What measuring with the context depends on besides the height left on the page.
    MEASURE_INPUTS InputsFor(const LAYOUT_CONTEXT& context, int vertical) const;
    // Measures every child, sharing one font among consecutive characters of one run style, and
    // shows or hides the question-number labels.
    void MeasureChildren(CDC* dc, CDisplayMap* map, const LAYOUT_CONTEXT& context, int available, int remaining);
    // A question text hands its indent to the question's other parts.
    void ShareIndent();
    // The parent when it is the paper's root; null otherwise.
    CEditPrint* RootParent() const;
};
