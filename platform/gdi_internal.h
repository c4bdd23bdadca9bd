// Shared inside the drawing layer only: the pixel storage of bitmaps, which the Qt device
// context paints into while a bitmap is selected into a memory context.
#pragma once

#include "platform/gdi.h"

#include <cstdint>
#include <memory>
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
