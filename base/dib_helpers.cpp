#include "base/dib_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
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

bool FitsInt(int64_t v) { return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max(); }

// One axis of a paint: the source band [s0, s1) of picture pixels shown over [d0, d1).
struct PaintAxis {
    int64_t d0, d1, s0, s1;
    int64_t Target() const { return d1 - d0; }
    int64_t Source() const { return s1 - s0; }
};

// Narrows an axis whose numbers leave the int range to what can be seen: the source to the
// picture's pixels [0, size) and the target to [lo, hi] (the clip box), each with the other side
// moved in proportion. Source edges are rounded outward to whole pixels and the target follows
// them, so that the pixels keep their places; only a pixel wider than the int range is cut to
// [lo, hi]. False when nothing is left to paint.
bool NarrowAxis(PaintAxis& axis, int64_t size, int64_t lo, int64_t hi)
{
    if (axis.Target() <= 0 || axis.Source() <= 0)
        return false;
    const long double scale = static_cast<long double>(axis.Target()) / static_cast<long double>(axis.Source());
    auto toSource = [&](int64_t d) { return static_cast<long double>(axis.s0) + static_cast<long double>(d - axis.d0) / scale; };
    auto toTarget = [&](int64_t s) { return axis.d0 + static_cast<int64_t>(std::llround(static_cast<long double>(s - axis.s0) * scale)); };
    const int64_t s0 = std::max({axis.s0, int64_t(0), static_cast<int64_t>(std::floor(toSource(lo)))});
    const int64_t s1 = std::min({axis.s1, size, static_cast<int64_t>(std::ceil(toSource(hi)))});
    if (s0 >= s1)
        return false;
    int64_t d0 = toTarget(s0);
    int64_t d1 = toTarget(s1);
    if (!FitsInt(d1 - d0)) {
        d0 = std::max(d0, lo);
        d1 = std::min(d1, hi);
    }
    axis = PaintAxis{d0, d1, s0, s1};
    return d0 < d1 && FitsInt(d1 - d0);
}

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
    DibLayout layout;
    if (!ReadDibLayout(header, locked.Size(), &layout) ||
        uint64_t(layout.stride) * uint64_t(layout.height) > locked.Size() - layout.TableEnd())
        return 0;
    const void* pixels = header + layout.TableEnd();
    const int width = layout.width;
    const int height = DibHeight(header);
    const int64_t rows = layout.height;

    PaintAxis x{destination->left, destination->right, source->left, source->right};
    PaintAxis y{destination->top, destination->bottom, source->top, source->bottom};
    // Both calls name the source band by its lower-left corner, counted from the bottom of a
    // bottom-up DIB (by its top in a top-down one).
    auto sourceY = [&] { return height > 0 ? int64_t(height) - y.s1 : y.s0; };
    if (!FitsInt(x.Target()) || !FitsInt(x.Source()) || !FitsInt(y.Target()) || !FitsInt(y.Source()) ||
        !FitsInt(sourceY())) {
        RECT clip{};
        dc->GetClipBox(&clip);
        if (!NarrowAxis(x, width, clip.left, clip.right) || !NarrowAxis(y, rows, clip.top, clip.bottom))
            return 0;
    }

    HPALETTE previousPalette;
    if (palette)
        previousPalette = dc->SelectPalette(palette, TRUE);
    dc->SetStretchBltMode(COLORONCOLOR);
    const auto left = static_cast<int>(x.d0);
    const auto top = static_cast<int>(y.d0);
    const auto destinationWidth = static_cast<int>(x.Target());
    const auto destinationHeight = static_cast<int>(y.Target());
    const auto sourceWidth = static_cast<int>(x.Source());
    const auto sourceHeight = static_cast<int>(y.Source());
    int result;
    if (destinationWidth == sourceWidth && destinationHeight == sourceHeight)
        result = dc->SetDIBitsToDevice(left, top, DWORD(destinationWidth), DWORD(destinationHeight), int(x.s0),
                                       int(sourceY()), 0, UINT(rows), pixels, info, DIB_RGB_COLORS);
    else
        result = dc->StretchDIBits(left, top, destinationWidth, destinationHeight, int(x.s0), int(sourceY()),
                                   sourceWidth, sourceHeight, pixels, info, DIB_RGB_COLORS, SRCCOPY);
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
