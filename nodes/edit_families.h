// What caret editing and font application need of the node families built on the node base
// (kanbun cells with their reading-mark boxes, formulas): each family's classes implement these
// interfaces, and register the makers of their characters and line breaks, so that typing
// creates the node of the family it types into.
#pragma once

#include "base/wide_string.h"

class CEditChar;
class CUndoGroup;

// A kanbun cell: the form of its sub-boxes, 0 without hyphen (seven boxes), else with hyphen
// (five boxes).
class IKanbunCell {
public:
    virtual int GetHyphenMode() const = 0;
    // Stores the mode alone, as undoing and redoing a change of form does; the boxes are put back
    // or taken out by their own undo actions.
    virtual void SetHyphenMode(int mode) = 0;

protected:
    ~IKanbunCell() = default;
};

// A reading-mark box of a kanbun cell: how many character nodes string insertion may put in it.
class IKuntenBox {
public:
    virtual int GetMaxChars() const = 0;

protected:
    ~IKuntenBox() = default;
};

// A formula container: makes its children follow its own font size, giving scripts and limits
// their reduced sizes.
class IFormulaContainer {
public:
    virtual void ApplyFontSize(CUndoGroup* group) = 0;

protected:
    ~IFormulaContainer() = default;
};

// Makers of the character and line-break nodes of the formula and kanbun families. Each returns
// a new node owned by the caller; a family that is not registered makes nothing (null).
struct EDIT_FAMILY_MAKERS {
    CEditChar* (*mathChar)(const CStringW& text) = nullptr;
    CEditChar* (*mathLineBreak)() = nullptr;
    CEditChar* (*kanChar)(const CStringW& text) = nullptr;
    CEditChar* (*kanLineBreak)() = nullptr;
};

// The program's makers; the families fill in theirs at start-up.
EDIT_FAMILY_MAKERS& EditFamilyMakers();
