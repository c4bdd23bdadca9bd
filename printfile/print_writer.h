// Writing a paper as a print file: the writer skeleton filled with the question-bank data, the
// page geometry, one data element and one xsl:template per question part and text box, saved
// in UTF-16 with a byte-order mark through a temporary file renamed over the target.
#pragma once

#include <string>

class CEditPrint;
class CQNXMLNode;

// Fills and saves the skeleton for root. flow is the fo:flow tree of the root and nameField the
// fo:block-container tree of its name-field template (both from BuildXmlTree, owned by the
// caller; nameField may be null without name fields). Rebuilds the root's question-bank records
// and part references on the way. False when the paper cannot be written; the file at path is
// then as it was.
bool WritePrintXml(CEditPrint* root, CQNXMLNode* flow, const std::string& path, CQNXMLNode* nameField);

// The whole save of a plain print file: the root takes path as its own, the side-file
// numbering starts again, the name-field template and the root are converted and written.
bool SavePrintFile(CEditPrint* root, const std::string& path);
