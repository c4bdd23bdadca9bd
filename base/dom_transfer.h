// Transfer between a DOM and the element objects: ImportDomNode fills an element object from a
// DOM element and its subtree, ExportNodeToDom writes a tree of MathML element objects into a DOM.
#pragma once

#include "platform/xml.h"

class CQNXMLNode;

// Fills node from domNode: every attribute through SetAttribute, every element child that the
// vocabulary knows as a new child object (unknown ones are skipped with their subtree), and its
// text and CDATA children joined in order as the node's text. A DOM or memory failure is passed
// on to the caller, so a load never goes on with part of a formula.
void ImportDomNode(CQNXMLNode* node, const XmlNode& domNode);

// Fills element, already made for node in document, with node's attributes and then either its
// children (one new element each, named by code) or, for a token, its text (a CDATA section when
// the text holds "<" or ">"). A child without an element name ends its parent's transfer; a DOM or
// memory failure is passed on to the caller, so a save never reports success for a formula it
// wrote only in part.
void ExportNodeToDom(const CQNXMLNode* node, XmlDocument& document, XmlNode element);
