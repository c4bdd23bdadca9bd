// The caret-context tests of the editing commands: where the caret (and, for some, the anchor)
// stands decides whether a command applies. A refused command changes and shows nothing.
#pragma once

class CCaret;
class CEditNode;

enum class CaretContext {
    QuestionPart,       // inside a plain question part
    InTextAnswer,       // an in-text answer may go here: not in a text box nor a page break
    WrapInTextAnswer,   // the same, and not already in an in-text answer
    UnderlineNumbering, // the three above, not in a labelled underline or name field, no end in a formula
    Kanbun,             // inside a kanbun cell
    Ruby,               // inside a ruby pair
    Table,              // inside a table
    Float,              // inside a floating frame
    Picture,            // the caret node is a picture
};

// Inside the kind: the node itself or one of its ancestors has it.
bool IsInsideKind(CEditNode* node, unsigned kind);
// The same with a mask of kind flags.
bool IsInsideFlags(CEditNode* node, unsigned mask);
// Every command first needs a caret node.
bool CaretContextAllows(const CCaret& caret, CaretContext context);
