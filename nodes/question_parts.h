// Question parts under the root: the plain paragraphs (kind exactly that of a paragraph) that
// carry a question's major number, sub number and part kind. Everything else under the root is
// passed over by the question operations.
#pragma once

#include "nodes/edit_sentence.h"

// The node as a plain question part, or null.
CEditSentence* AsQuestionPart(CQNXMLNode* node);
