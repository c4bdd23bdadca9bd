// The reader of the MathML dialect: builds formula nodes from a parsed element tree.
#pragma once

class CEditNode;
class CQNXMLNode;

// Builds the nodes of one element at the end of the target (a formula container) and returns the
// element whose style the slot end appended next should take, or null.
CQNXMLNode* BuildMathNodes(CQNXMLNode* element, CEditNode* target);
