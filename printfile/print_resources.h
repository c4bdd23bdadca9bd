// The XML templates that the print file is made from, reached by their resource numbers:
// 290 and 371 the empty horizontal and vertical papers, 291 the fo:root frame that wraps a
// fragment, 292 and 372 the horizontal and vertical writer skeletons.
#pragma once

#include <string>

enum : int {
    IDR_XML_EMPTY_PAPER = 290,
    IDR_XML_FO_FRAME = 291,
    IDR_XML_SKELETON = 292,
    IDR_XML_EMPTY_PAPER_VERTICAL = 371,
    IDR_XML_SKELETON_VERTICAL = 372,
};

// The resource's text, beginning with its byte-order mark U+FEFF as the resources are stored;
// empty for a number that names none.
std::u16string LoadXmlResource(int id);
