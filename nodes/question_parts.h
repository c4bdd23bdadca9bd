// Question parts under the root: the plain paragraphs (kind exactly that of a paragraph) that
// carry a question's major number, sub number and part kind. Everything else under the root is
// passed over by the question operations.
#pragma once

#include "nodes/edit_sentence.h"

// How the root arranges its question parts (its part layout mode): each question's parts
// together; a section per kind; questions, answer fields, then answers paired with their
// explanations; or questions, then every question's other parts together.
enum PART_LAYOUT_MODE : int {
    kInterleaved = 0,
    kBySection = 1,
    kAnswersPaired = 2,
    kAnswerBlocks = 3,
};

// The node as a plain question part, or null.
CEditSentence* AsQuestionPart(CQNXMLNode* node);
