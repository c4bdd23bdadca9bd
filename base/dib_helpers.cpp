#include "base/dib_helpers.h"

#include <cstring>
#include <vector>

namespace {

DWORD HeaderSize(const void* header)
{
    DWORD size;
    std::memcpy(&size, header, sizeof size);
    return size;
}

bool IsCoreHeader(const void* header) { return HeaderSize(header) == sizeof(BITMAPCOREHEADER); }

// Locks a DIB for the time of a call.
class LockedDib {
public:
    explicit LockedDib(HGLOBAL block)
        : m_block(block), m_bytes(static_cast<const unsigned char*>(GlobalLock(block))), m_size(GlobalSize(block))
    {
    }
    ~LockedDib()
    {
        if (m_bytes)
            GlobalUnlock(m_block);
    }
    LockedDib(const LockedDib&) = delete;
    LockedDib& operator=(const LockedDib&) = delete;

    // The bytes, when the block holds at least a header of the size its first field gives.
    const unsigned char* Header() const
    {
        if (!m_bytes || m_size < 4)
            return nullptr;
        const DWORD size = HeaderSize(m_bytes);
        if (size != sizeof(BITMAPCOREHEADER) && size < sizeof(BITMAPINFOHEADER))
            return nullptr;
        return size <= m_size ? m_bytes : nullptr;
    }
    size_t Size() const { return m_size; }

private:
    HGLOBAL m_block;
    const unsigned char* m_bytes;
    size_t m_size;
};

} // namespace

int DibWidth(const void* header)
{
    if (IsCoreHeader(header))
        return reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcWidth;
    return reinterpret_cast<const BITMAPINFOHEADER*>(header)->biWidth;
}

int DibHeight(const void* header)
{
    if (IsCoreHeader(header))
        return reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcHeight;
    return reinterpret_cast<const BITMAPINFOHEADER*>(header)->biHeight;
}

WORD DibColorCount(const void* header)
{
    int bits;
    if (IsCoreHeader(header)) {
        bits = reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
    } else {
        const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(header);
        if (info->biClrUsed != 0)
            return static_cast<WORD>(info->biClrUsed);
        bits = info->biBitCount;
    }
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

int PaintDib(HDC dc, const RECT* destination, HGLOBAL dib, const RECT* source, HPALETTE palette)
{
    if (dc == nullptr || destination == nullptr || source == nullptr || dib == nullptr)
        return 0;
    LockedDib locked(dib);
    const unsigned char* header = locked.Header();
    if (header == nullptr)
        return 0;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(header);
    // The pixel rows follow the header and colour table; the block must hold all of them.
    const size_t pixelsOffset = DibHeaderAndColorTableSize(info, locked.Size());
    if (pixelsOffset == 0)
        return 0;
    const int width = DibWidth(header);
    const int height = DibHeight(header);
    const int bits = IsCoreHeader(header) ? reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcBitCount
                                          : reinterpret_cast<const BITMAPINFOHEADER*>(header)->biBitCount;
    const uint64_t stride = ((uint64_t(width > 0 ? width : 0) * uint64_t(bits) + 31) / 32) * 4;
    const uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
    if (stride * rows > locked.Size() - pixelsOffset)
        return 0;
    const void* pixels = header + pixelsOffset;

    HPALETTE previousPalette;
    if (palette)
        previousPalette = dc->SelectPalette(palette, TRUE);
    dc->SetStretchBltMode(COLORONCOLOR);
    const int destinationWidth = destination->right - destination->left;
    const int destinationHeight = destination->bottom - destination->top;
    const int sourceWidth = source->right - source->left;
    const int sourceHeight = source->bottom - source->top;
    int result;
    // Both calls name the source band by its lower-left corner, counted from the bottom of a
    // bottom-up DIB (by its top in a top-down one).
    const int sourceY = height > 0 ? height - source->bottom : source->top;
    if (destinationWidth == sourceWidth && destinationHeight == sourceHeight)
        result = dc->SetDIBitsToDevice(destination->left, destination->top, DWORD(destinationWidth),
                                       DWORD(destinationHeight), source->left, sourceY, 0,
                                       UINT(rows), pixels, info, DIB_RGB_COLORS);
    else
        result = dc->StretchDIBits(destination->left, destination->top, destinationWidth, destinationHeight,
                                   source->left, sourceY, sourceWidth, sourceHeight, pixels, info,
                                   DIB_RGB_COLORS, SRCCOPY);
    if (palette)
        dc->SelectPalette(previousPalette, TRUE);
    return result;
}

HPALETTE CreateDibPalette(HGLOBAL dib)
{
    if (dib == nullptr)
        return HPALETTE();
    LockedDib locked(dib);
    const unsigned char* header = locked.Header();
    if (header == nullptr)
        return HPALETTE();
    const WORD count = DibColorCount(header);
    if (count == 0)
        return HPALETTE();
    const bool core = IsCoreHeader(header);
    const size_t entrySize = core ? 3 : 4;
    const size_t tableOffset = HeaderSize(header);
    if (tableOffset + size_t(count) * entrySize > locked.Size())
        return HPALETTE();
    std::vector<unsigned char> storage(sizeof(LOGPALETTE) + size_t(count) * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = count;
    for (WORD i = 0; i < count; ++i) {
        const unsigned char* entry = header + tableOffset + size_t(i) * entrySize;
        palette->palPalEntry[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};
    }
    return CreatePalette(palette);
}

SIZE DibSize(HGLOBAL dib)
{
    LockedDib locked(dib);
    const unsigned char* header = locked.Header();
    if (header == nullptr)
        return SIZE{0, 0};
    const int width = DibWidth(header);
    const int height = DibHeight(header);
    if (width < 0 || height < 0)
        return SIZE{0, 0};
    return SIZE{width, height};
}

HGLOBAL CopyGlobalHandle(HGLOBAL block)
{
    if (block == nullptr)
        return nullptr;
    const size_t size = GlobalSize(block);
    const void* source = GlobalLock(block);
    if (source == nullptr)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GHND, size);
    if (copy != nullptr) {
        std::memcpy(GlobalLock(copy), source, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(block);
    return copy;
}
