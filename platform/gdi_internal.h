// Shared inside the drawing layer only: the pixel storage of bitmaps, which the Qt device
// context paints into while a bitmap is selected into a memory context, the parts of objects
// the device context reads, and rectangle helpers.
#pragma once

#include "platform/gdi_objects.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct BitmapStorage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;        // 1 for monochrome bitmaps (kept as black and white pixels)
    std::vector<uint32_t> pixels;  // 0xFFRRGGBB, top row first, width × height
};

// The storage of a bitmap; null for a handle that names no bitmap. The storage stays alive
// while anyone holds it, also after the bitmap is deleted.
std::shared_ptr<BitmapStorage> GetBitmapStorage(HBITMAP bitmap);

// Default objects of a fresh device context.
HBITMAP GetDefaultBitmap();
HFONT GetDefaultFont();

// The colours of a pattern brush: whether it came from a monochrome bitmap, and otherwise its
// 64 pixels (0x00RRGGBB, rows top first). False for a handle of no pattern brush.
bool GetBrushPatternColours(HBRUSH brush, bool* monochrome, std::vector<uint32_t>* colours);

inline RECT NormalizedRect(RECT r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

inline bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
