// How an editing window shows its caret and takes the typing format, shared by the problem
// editor's view and the formula editor's: the node whose format typed text continues, the step
// onto a caret stop before a move, the composition window's font and the grey frame around the
// container that holds the caret.
#pragma once

#include "platform/win_types.h"

class CCaret;
class CDC;
class CDisplayMap;
class CEditNode;

// The node whose format the typing format takes at the caret; with defaultFont set the typing
// font becomes the default text font instead (a kanbun cell gives no font of its own).
struct TYPING_SOURCE {
    CEditNode* node = nullptr;
    bool defaultFont = false;
};
TYPING_SOURCE FindTypingSource(CEditNode* caretNode);
// The previous sibling is a typing source: an editing node, a caret stop, a character and no
// line break.
bool IsTypingSourceBefore(const CEditNode* previous);
// The node's LOGFONT (whole), stretch, colours, border and script position become the typing format.
void TakeTypingFormat(CCaret* caret, const CEditNode& source);

// Steps the caret without extending the selection until its node is an editing node and a
// caret stop; stops as well when a step leaves the caret where it was.
void StepToCaretStop(CCaret* caret, CEditNode* (CEditNode::*move)(CCaret*, int));

// The composition window's font: the typing font at the map's pixel height; the gaiji face
// cannot show composed text, so the default face of the direction stands in for it.
LOGFONTA CompositionFont(const LOGFONTA& typing, const CDisplayMap& map);

// Frames the container's rectangle, widened one pixel left and up and two right and down, with
// the grey pattern in XOR mode (so that a second frame takes it away).
void DrawContainerFrame(CDC* dc, const CDisplayMap& map, const CEditNode& container);
