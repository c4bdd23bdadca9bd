// Packed DIBs held in movable global memory blocks, as the editors keep pictures: painting one
// into a device context, its palette and size, and the copy of such a block.
#pragma once

#include "platform/gdi.h"
#include "platform/global_memory.h"
#include "platform/win_types.h"

// Paints the source rectangle of the DIB into the destination rectangle: a plain copy when both
// have the same size, else stretched. Returns the device context's result; 0 without a DIB or
// when the block is too short for the DIB its header declares.
int PaintDib(HDC dc, const RECT* destination, HGLOBAL dib, const RECT* source, HPALETTE palette);
// A palette of the DIB's colour table; null without a DIB or without a colour table.
HPALETTE CreateDibPalette(HGLOBAL dib);
// Width and height from the header (BITMAPCOREHEADER when its size field is 12, else
// BITMAPINFOHEADER).
int DibWidth(const void* header);
int DibHeight(const void* header);
// Number of colour-table entries: biClrUsed when set, else 2, 16 or 256 for 1, 4 and 8 bits
// per pixel and 0 for more.
WORD DibColorCount(const void* header);
// Width and height in pixels; 0 × 0 for a DIB that cannot be locked and for a top-down one.
SIZE DibSize(HGLOBAL dib);
// A new movable, zeroed block with the same size and bytes; null for null or when no memory.
HGLOBAL CopyGlobalHandle(HGLOBAL block);
