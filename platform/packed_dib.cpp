#include "platform/packed_dib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Largest picture read: 2^28 pixels, no larger than any bitmap the layer creates.
constexpr int64_t kMaxDibPixels = int64_t(1) << 28;
constexpr int64_t kMaxDibSide = 0x8000;

bool ReadCoreHeader(const void* header, size_t available, DibLayout* layout)
{
    if (available < sizeof(BITMAPCOREHEADER))
        return false;
    BITMAPCOREHEADER h;
    std::memcpy(&h, header, sizeof h);
    layout->width = h.bcWidth;
    layout->height = h.bcHeight;
    layout->bitCount = h.bcBitCount;
    layout->headerSize = sizeof h;
    layout->colorEntrySize = 3;
    return h.bcPlanes == 1;
}

bool ReadInfoHeader(const void* header, size_t size, size_t available, DibLayout* layout)
{
    if (available < size)
        return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, header, sizeof h);
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight;
    if (width <= 0 || height == 0 || width > kMaxDibSide || std::llabs(height) > kMaxDibSide)
        return false;
    layout->width = static_cast<int>(width);
    layout->height = static_cast<int>(std::llabs(height));
    layout->topDown = height < 0;
    layout->bitCount = h.biBitCount;
    layout->compression = h.biCompression;
    layout->headerSize = size;
    layout->colorCount = h.biClrUsed;
    if (h.biPlanes != 1)
        return false;
    // The three masks follow a 40-byte header and lie inside the longer ones (from 52 bytes);
    // a header in between holds neither.
    if (h.biCompression == BI_BITFIELDS && size == sizeof(BITMAPINFOHEADER))
        layout->masksSize = 12;
    else if (h.biCompression == BI_BITFIELDS && size < sizeof(BITMAPINFOHEADER) + 12)
        return false;
    return true;
}

int MaskShift(DWORD mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

} // namespace

bool ReadDibLayout(const void* header, size_t available, DibLayout* layout)
{
    if (!header || !layout || available < 4)
        return false;
    *layout = DibLayout{};
    DWORD size;
    std::memcpy(&size, header, 4);
    if (size == sizeof(BITMAPCOREHEADER)) {
        if (!ReadCoreHeader(header, available, layout))
            return false;
    } else if (size >= sizeof(BITMAPINFOHEADER) && size <= 4096) {
        if (!ReadInfoHeader(header, size, available, layout))
            return false;
    } else {
        return false;
    }
    switch (layout->bitCount) {
    case 1: case 4: case 8:
        if (layout->colorCount == 0 || layout->colorCount > (size_t(1) << layout->bitCount))
            layout->colorCount = size_t(1) << layout->bitCount;
        break;
    case 16: case 24: case 32:
        if (layout->colorEntrySize == 3)
            layout->colorCount = 0;
        if (layout->colorCount > 256)
            return false;
        break;
    default:
        return false;
    }
    if (layout->compression != BI_RGB && layout->compression != BI_BITFIELDS)
        return false;
    if (layout->compression == BI_BITFIELDS && layout->bitCount != 16 && layout->bitCount != 32)
        return false;
    if (layout->width <= 0 || layout->height <= 0 || layout->width > kMaxDibSide || layout->height > kMaxDibSide)
        return false;
    if (int64_t(layout->width) * layout->height > kMaxDibPixels)
        return false;
    layout->stride = ((size_t(layout->width) * size_t(layout->bitCount) + 31) / 32) * 4;
    return layout->TableEnd() <= available;
}

bool PackedDibReader::Open(const BITMAPINFO* info, const void* bits, size_t bitsSize)
{
    *this = PackedDibReader{};
    DibLayout layout;
    if (!bits || !ReadDibLayout(info, std::numeric_limits<size_t>::max(), &layout))
        return false;
    // The rows handed over may be fewer than the header declares: only those are shown.
    const size_t rows = std::min(size_t(layout.height), bitsSize / layout.stride);
    if (rows == 0)
        return false;
    m_layout = layout;
    m_bits = static_cast<const uint8_t*>(bits);
    m_rowsPresent = static_cast<int>(rows);
    const auto* base = reinterpret_cast<const uint8_t*>(info);
    const uint8_t* entries = base + layout.headerSize + layout.masksSize;
    m_table.resize(layout.colorCount);
    for (size_t i = 0; i < layout.colorCount; ++i) {
        const uint8_t* e = entries + i * layout.colorEntrySize;
        m_table[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    if (layout.compression == BI_BITFIELDS)
        std::memcpy(m_masks, base + sizeof(DWORD) * 10, sizeof m_masks);
    else if (layout.bitCount == 16)
        m_masks[0] = 0x7C00, m_masks[1] = 0x03E0, m_masks[2] = 0x001F;
    else if (layout.bitCount == 32)
        m_masks[0] = 0xFF0000, m_masks[1] = 0x00FF00, m_masks[2] = 0x0000FF;
    for (int i = 0; i < 3; ++i)
        m_shifts[i] = MaskShift(m_masks[i]);
    return true;
}

uint32_t PackedDibReader::FromMasks(DWORD value) const
{
    uint32_t rgb = 0;
    for (int i = 0; i < 3; ++i) {
        rgb <<= 8;
        if (m_masks[i] != 0) {
            const DWORD bits = m_masks[i] >> m_shifts[i];
            rgb |= ((value & m_masks[i]) >> m_shifts[i]) * 255 / bits;
        }
    }
    return rgb;
}

uint32_t PackedDibReader::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_layout.width || y >= m_layout.height)
        return 0;
    // Stored row r is the r-th from the bottom of a bottom-up DIB.
    const int stored = m_layout.topDown ? y : m_layout.height - 1 - y;
    if (stored >= m_rowsPresent)
        return 0;
    const uint8_t* row = m_bits + size_t(stored) * m_layout.stride;
    auto lookup = [&](size_t index) -> uint32_t { return index < m_table.size() ? m_table[index] : 0; };
    const size_t ux = size_t(x);
    switch (m_layout.bitCount) {
    case 1: return lookup((row[ux / 8] >> (7 - ux % 8)) & 1);
    case 4: return lookup((row[ux / 2] >> (ux % 2 ? 0 : 4)) & 0x0F);
    case 8: return lookup(row[ux]);
    case 16: return FromMasks(DWORD(row[ux * 2]) | (DWORD(row[ux * 2 + 1]) << 8));
    case 24: return (uint32_t(row[ux * 3 + 2]) << 16) | (uint32_t(row[ux * 3 + 1]) << 8) | row[ux * 3];
    case 32: {
        DWORD p;
        std::memcpy(&p, row + ux * 4, 4);
        return FromMasks(p);
    }
    default: return 0;
    }
}

size_t DibHeaderAndColorTableSize(const BITMAPINFO* info, size_t available)
{
    DibLayout layout;
    return ReadDibLayout(info, available, &layout) ? layout.TableEnd() : 0;
}

bool DecodeDib(const BITMAPINFO* info, const void* bits, size_t bitsSize, int* width, int* height,
               std::vector<uint32_t>* pixels)
{
    PackedDibReader reader;
    if (!reader.Open(info, bits, bitsSize))
        return false;
    *width = reader.Width();
    *height = reader.Height();
    pixels->assign(size_t(*width) * size_t(*height), 0);
    for (int y = 0; y < *height; ++y)
        for (int x = 0; x < *width; ++x)
            (*pixels)[size_t(y) * size_t(*width) + size_t(x)] = reader.Pixel(x, y);
    return true;
}

DibAxis MapDibAxis(int64_t sourceStart, int64_t sourceEnd, int pictureSize, int64_t targetStart,
                   int64_t targetEnd, int64_t visibleStart, int64_t visibleEnd)
{
    DibAxis axis;
    const double sourceLength = double(sourceEnd - sourceStart);
    const double targetLength = double(targetEnd - targetStart);
    const int64_t inside0 = std::max<int64_t>(sourceStart, 0);
    const int64_t inside1 = std::min<int64_t>(sourceEnd, pictureSize);
    const int64_t seen0 = std::max(visibleStart, targetStart);
    const int64_t seen1 = std::min(visibleEnd, targetEnd);
    if (sourceLength <= 0 || targetLength <= 0 || inside0 >= inside1 || seen0 >= seen1)
        return axis;
    const double scale = targetLength / sourceLength;  // device pixels per source pixel
    auto toTarget = [&](double source) { return double(targetStart) + (source - double(sourceStart)) * scale; };
    auto toSource = [&](double target) { return double(sourceStart) + (target - double(targetStart)) / scale; };
    if (scale >= 1) {
        const auto first = std::max<int64_t>(inside0, int64_t(std::floor(toSource(double(seen0)))));
        const auto last = std::min<int64_t>(inside1, int64_t(std::ceil(toSource(double(seen1)))));
        for (int64_t s = first; s < last; ++s)
            axis.sources.push_back(static_cast<int>(s));
        axis.targetStart = toTarget(double(first));
        axis.targetEnd = toTarget(double(last));
        return axis;
    }
    // Only the device pixels whose centres fall inside the picture, one more on either side for
    // the rounding; the check below drops those outside.
    const auto from = std::max<int64_t>(seen0, int64_t(std::floor(toTarget(double(inside0)))) - 1);
    const auto to = std::min<int64_t>(seen1, int64_t(std::ceil(toTarget(double(inside1)))) + 1);
    for (int64_t d = from; d < to; ++d) {
        const auto s = int64_t(std::floor(toSource(double(d) + 0.5)));
        if (s < inside0 || s >= inside1)
            continue;
        if (axis.sources.empty())
            axis.targetStart = double(d);
        axis.sources.push_back(static_cast<int>(s));
        axis.targetEnd = double(d + 1);
    }
    return axis;
}

std::vector<uint32_t> SampleDib(const PackedDibReader& dib, const std::vector<int>& columns,
                                const std::vector<int>& rows)
{
    std::vector<uint32_t> pixels;
    pixels.reserve(columns.size() * rows.size());
    for (int y : rows)
        for (int x : columns)
            pixels.push_back(0xFF000000 | dib.Pixel(x, y));
    return pixels;
}
