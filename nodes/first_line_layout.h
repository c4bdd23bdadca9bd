// Inline containers that stand in a row as one line (in-text answers, labelled underlines): they
// are measured as a container, take the size of their first line, place only that line's
// children and draw only those, so that children that measuring put on further lines are never
// drawn at places they were not given.
#pragma once

#include "nodes/edit_container.h"

// The first line of the first layout box; null when there is none.
const EDIT_LINE* FirstLineOf(const CEditContainer* node);
// Marks the children of the first line for drawing and every other child as outside it.
void MarkFirstLineForDrawing(CEditContainer* node);
// Places the children of the first line from x0 rightwards at y, each on a row of the line's
// ascent and axis with the given spacings; sets their hit rectangles, line indices and the line
// record's rectangle.
void PlaceFirstLine(CEditContainer* node, const LAYOUT_CONTEXT& context, int x0, int y, int vertical);
// Draws the node as a container, only the children marked for drawing.
void DrawFirstLine(CEditContainer* node, CDC* dc, CDisplayMap* map);
