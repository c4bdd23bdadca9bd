// Question-number labels: character-like nodes in a question part that print the number of the
// question they stand in, CEditDmonno the major number and CEditMonno the sub number. A label
// stores no number: every measuring reads it from the enclosing part and builds the text in one
// of fifteen styles, which differ between horizontal and vertical writing. Labels are magenta on
// screen and black on paper; style 2 draws a box round the number.
#pragma once

#include "nodes/edit_char.h"

// QUESTION_NUMBER_STYLE: 1 to 15; any other value falls back to the bracketed default form.
using QUESTION_NUMBER_STYLE = int32_t;

// The text of a label of the style for the number, in either writing direction, for a major
// question (subQuestion false) or a sub-question.
CStringW QuestionNumberText(QUESTION_NUMBER_STYLE style, int number, bool vertical, bool subQuestion);
// Whether a style sets labels in the Mincho face (else Gothic at 10.5 pt).
bool IsMinchoNumberStyle(QUESTION_NUMBER_STYLE style);

// What both label classes share: the style, the frame round a style-2 number, and the passes.
class CEditQuestionNumber : public CEditChar {
public:
    // Clears the frame, stores the style and sets face, height and turn for the current writing
    // direction, then the font record from the LOGFONT. The caller marks the node dirty.
    void SetStyle(QUESTION_NUMBER_STYLE style);
    QUESTION_NUMBER_STYLE GetStyle() const { return m_style; }

    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    bool MoveBy(int dx, int dy) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The style, then the character's form. The frame is not stored.
    void Serialize(CArchive& ar) override;

    // The frame record of style 2, set by Measure and Layout.
    int32_t m_frameLeftInset = 0;
    int32_t m_frameTopInset = 0;
    RECT m_frameRect{};
    int32_t m_frameWidth = 0;
    int32_t m_frameHeight = 0;

protected:
    CEditQuestionNumber(EDIT_NODE_KIND kind, QUESTION_NUMBER_STYLE style);
    // The number the label prints, and whether it is a sub-question's.
    virtual int Number() = 0;
    virtual bool IsSubQuestionLabel() const = 0;

private:
    QUESTION_NUMBER_STYLE m_style = 0;
};

// The major question's number.
class CEditDmonno : public CEditQuestionNumber {
    DECLARE_SERIAL(CEditDmonno)
public:
    CEditDmonno() : CEditDmonno(0) {}
    explicit CEditDmonno(QUESTION_NUMBER_STYLE style);

protected:
    int Number() override { return GetQuestionNumber(); }
    bool IsSubQuestionLabel() const override { return false; }
};

// The sub-question's number.
class CEditMonno : public CEditQuestionNumber {
    DECLARE_SERIAL(CEditMonno)
public:
    CEditMonno() : CEditMonno(0) {}
    explicit CEditMonno(QUESTION_NUMBER_STYLE style);

protected:
    int Number() override { return GetSubQuestionNumber(); }
    bool IsSubQuestionLabel() const override { return true; }
};
