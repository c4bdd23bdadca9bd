// Element-object trees of XSL and XSL-FO DOM elements: what the print-file reader hands to the
// builder of the editing tree, and what the exports parse their own FO text into.
#pragma once

#include "platform/xml.h"

class CQNXMLNode;

// The element object of an XSLT or XSL-FO element with its whole subtree, owned by the caller;
// null for any other element or a name the vocabulary does not know.
CQNXMLNode* BuildFoTree(const XmlNode& domNode);
// Fills element from domNode: its attributes in document order, its element children that the
// vocabulary knows (others are dropped with their subtree) and its text, the last text or
// CDATA child winning.
void BuildFoChildren(CQNXMLNode* element, const XmlNode& domNode);
