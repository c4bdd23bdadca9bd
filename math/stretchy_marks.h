// Marks and delimiters that stretch to what they cover are stroked with pens from the device
// rectangle they occupy, not drawn as glyphs. Each routine makes a solid pen of the given device
// width and colour, draws, and puts the previous pen back. Rectangles too small to hold the shape
// (zoomed far out, an empty slot) draw a straight line or nothing, never divide by zero.
#pragma once

#include "platform/gdi.h"
#include "platform/win_types.h"

class CDisplayMap;
class CEditNode;

// Arrow kinds: head at the right end, at the left end, at both.
enum : int { kArrowRight = 1, kArrowLeft = 2, kArrowBoth = 3 };
// Brace kinds and delimiter sides.
enum : int { kOverBrace = 1, kUnderBrace = 2 };
enum : int { kOpeningSide = 1, kClosingSide = 2 };

void DrawArcMark(CDC* dc, int pen, const RECT& rect, int dy, COLORREF color);
// The arc mark turned upside down: the bow along the bottom (︶).
void DrawTurnedArcMark(CDC* dc, int pen, const RECT& rect, int dy, COLORREF color);
void DrawArrowMark(CDC* dc, int pen, const RECT& rect, int headLength, int headWidth, int kind, COLORREF color);
void DrawHorizontalBrace(CDC* dc, int pen, const RECT& rect, int kind, COLORREF color);
void DrawStretchBrace(CDC* dc, int pen, const RECT& rect, int side, COLORREF color);
void DrawStretchParen(CDC* dc, int pen, const RECT& rect, int side, COLORREF color);
void DrawStretchBracket(CDC* dc, int pen, const RECT& rect, int side, COLORREF color);
void DrawStretchAngle(CDC* dc, int pen, const RECT& rect, int side, COLORREF color);
void DrawStretchShellBracket(CDC* dc, int pen, const RECT& rect, int side, COLORREF color);

// Pen widths of marks in 1/100 mm: a quarter and a half point.
inline constexpr int kThinMarkPen = 8;
inline constexpr int kMediumMarkPen = 17;
// The device width of a pen of the given document width.
int DeviceMarkPen(const CDisplayMap* map, int width);

// The two ways templates stroke a mark: the over and under templates' (arrow heads 110 long and
// 75 wide), and the over-and-under templates' (heads 75 long and 110 wide, with the equilibrium
// arrows and the long arrows of the private-use area as well).
enum class MarkTable { Marks, OverAndUnder };

// Draws a mark character by its first character over its layout rectangle: arrows, arcs (︶ as
// the turned ︵), horizontal braces and the bar; any other character draws nothing.
void DrawMarkByTable(CDC* dc, const CDisplayMap* map, const CEditNode* mark, MarkTable table = MarkTable::Marks);
// Whether the first character of a mark is an arrow or the bar, whose mark is a quarter high.
bool IsFlatMark(char16_t first);

// Draws a fence delimiter of a known shape stretched over its layout rectangle; false when the
// text is no stretchable delimiter (the caller then draws it as text).
bool DrawStretchDelimiter(CDC* dc, const CDisplayMap* map, const CEditNode* delimiter, int side);
