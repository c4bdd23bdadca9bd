// The writer of the MathML dialect: formula nodes into MathML element objects, one shape per
// template; characters of a slot grouped into token runs (digits mn, operators mo, others mi).
#pragma once

class CEditNode;
class CQNXMLNode;

// Writes the children of the container from the start index up to the first slot end at or
// after it (one slot, or one formula line) as elements appended to the parent.
void ExportMathRun(CEditNode* container, int start, CQNXMLNode* parent);
// Writes one template as one element appended to the parent.
void ExportMathTemplate(CEditNode* node, CQNXMLNode* parent);
// Writes the rows and cells of a matrix into its table element.
void ExportMatrixRows(CEditNode* matrix, CQNXMLNode* table);

