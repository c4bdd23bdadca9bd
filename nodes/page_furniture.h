// The blocks that furnish a test paper around its question parts: the name field at the top of
// chosen pages, free text boxes between questions, page-break blocks that end a page (shown on
// screen, never printed), and the points label that prints the points of a question part.
#pragma once

#include "base/property_records.h"
#include "nodes/edit_char.h"
#include "nodes/edit_sentence.h"

// The line of a page-break block and its look: grey, 8 pt.
inline constexpr const char16_t kPageBreakText[] = u"----- 改ページ -----";
inline constexpr COLORREF kPageBreakColor = 0x808080;

// The name field where pupils write class, number and name. Its default content is a table of
// one row of three cells followed by two line breaks: a title cell, a class / number / name
// cell and a score cell out of 100, spaced with U+3000 so that pupils have room to write.
class CEditKimeiran : public CEditSentence {
    DECLARE_SERIAL(CEditKimeiran)
public:
    CEditKimeiran();

    // Puts the default content of the table's cell in the given column (0 to 2) in front of the
    // cell's own content, spaced for the current writing direction. Another column: nothing.
    static void FillDefaultCell(CEditNode* cell, int column);
    // Appends the default content: the table with its three cells filled, then two line breaks.
    // A failed allocation leaves the name field as it was.
    void BuildDefaultTable();
};

// A free text box between the questions.
class CEditGai : public CEditSentence {
    DECLARE_SERIAL(CEditGai)
public:
    CEditGai();
    // Appends one empty line break: a new text box starts with one empty line.
    void AddLineBreak();
};

// A page-break block: it ends its page; its one line reads "----- 改ページ -----".
class CEditKaiPage : public CEditSentence {
    DECLARE_SERIAL(CEditKaiPage)
public:
    CEditKaiPage();
    // Appends the marked line break: grey text, 8 pt.
    void Fill();

    // Sizes and boxes cleared; a visible block shows only its last child (the marked line break):
    // any other child gets hidden flag 2 and stays in the tree, so that undo records naming it
    // stay valid. Then the paragraph's measuring.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Only on screen.
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
};

// The text of a points label from its record: the body of its style between round brackets, or
// square ones when the bracket text is "［"; digits full width in vertical writing. majorPart
// tells style 4 whether the label stands in a major question's part.
CStringW HaitenText(const HAITEN_INFO& info, bool vertical, bool majorPart);

// The points label of a question part.
class CEditHaiten : public CEditChar {
    DECLARE_SERIAL(CEditHaiten)
public:
    // Default record, 10.5 pt Gothic ("@" face in vertical writing).
    CEditHaiten();

    // Builds the text for the display map's writing direction, then the character's measuring;
    // a hidden label is 1 wide.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Magenta on screen, black on paper, always in its own font.
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    HAITEN_INFO m_info;
};
