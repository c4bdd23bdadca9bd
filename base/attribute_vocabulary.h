// The attribute format of the element trees: which attribute of which element fills which typed
// field of the element object, in which value syntax, and which fields of a MathML element are
// written back as which attributes. Colours are read and written here too.
#pragma once

#include "base/wide_string.h"
#include "platform/win_types.h"
#include "platform/xml.h"

class CQNXMLNode;

// Stores the pair raw in the node's attribute map, then parses the attributes that the node's
// element code knows into its fields. Unknown names and values change nothing; a length or
// number that cannot be read gives 0, a colour that cannot be read black, except a MathML
// mathsize, which keeps the size and is written back as the text it was.
void SetAttribute(CQNXMLNode* node, const CStringW& name, const CStringW& value);
// The parsing alone, for trees read only for their fields: the attribute map stays as it was.
void ApplyAttributeToFields(CQNXMLNode* node, const CStringW& name, const CStringW& value);

// Writes the fields of a MathML element object as attributes of its DOM element, in the
// element's fixed order. Nothing for other objects. DOM failures raise XmlError.
void WriteMathMLAttributes(const CQNXMLNode* node, XmlNode& element);

// The name a table cell's border style is read by and written as: "solid" (1), "dotted" (3) or
// "dashed" (4); null for any other style, which a cell does not have.
const char16_t* TableCellBorderStyleName(int style);

// One of the sixteen colour names of HTML 4 (any case, spaces around allowed), "#rrggbb" or the
// short "#rgb"; anything else is black.
COLORREF ParseColorValue(const CStringW& text);
// The capitalised colour name when the colour is one of the sixteen exactly, else "#rrggbb" in
// lower-case digits.
CStringW FormatColorValue(COLORREF color);
