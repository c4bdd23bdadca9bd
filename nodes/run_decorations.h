// Run decorations: underlines, lines through, frames and numbering labels of runs of characters,
// and the underline and kanbun mark of a whole node. All black, lengths in 1/100 mm converted by
// the display map. Every decorated line goes through one style dispatch.
#pragma once

#include "nodes/edit_node.h"

// The style of an underline, a line through, a frame or a node's border side.
enum DECORATION_STYLE : int32_t {
    DECORATION_NONE = 0,
    DECORATION_SOLID = 1,
    DECORATION_DOUBLE = 2,
    DECORATION_DOTTED = 3,
    DECORATION_DASHED = 4,
    DECORATION_DOT_DASH = 5,
    DECORATION_DOT_DOT_DASH = 6,
    DECORATION_WAVE = 7,
};

// The width of a decoration: a half-point line, or a one-point one.
enum DECORATION_WIDTH : int32_t {
    DECORATION_NORMAL = 1,
    DECORATION_THICK = 3,
};

// Decorations of a run from first to last (consecutive children of one line).
// Underline: below the lower baseline, or along the top edges in vertical writing.
void DrawUnderlineOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last);
// Line through the lower of the two vertical middles.
void DrawLineThroughOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last);
// Frame around the run's rectangle.
void DrawFrameOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first, const CEditNode* last);
// The label text of a labelled run: its run number in the form of its numbering type.
CStringW RunLabelText(const CEditNode* node);
// Label of a labelled run, at its first node.
void DrawLabelOfRun(CDC* dc, CDisplayMap* map, const CEditNode* first);

// A node's own underline from its after side, along its bottom edge (a formula whose descent is
// small takes the run underline's level).
void DrawNodeUnderlineOf(CDC* dc, CDisplayMap* map, const CEditNode* node);
// A kanbun cell's mark from its before side, a third down the node, shortened where a labelled
// run starts or ends.
void DrawNodeMarkOf(CDC* dc, CDisplayMap* map, const CEditNode* node);
