// The packed-DIB part of the imaging facility: the records of a device-independent bitmap packed
// in memory (a header, the colour masks or the colour table, then the pixel rows), a reader that
// decodes only the pixels asked for, and the sampling that a device context uses to take no more
// pixels than its target shows.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(RGBTRIPLE) == 3);

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// What a header declares about its picture.
struct DibLayout {
    int width = 0;
    int height = 0;          // rows, without the sign
    bool topDown = false;    // the header gave a negative height
    int bitCount = 0;
    DWORD compression = BI_RGB;
    size_t headerSize = 0;
    size_t masksSize = 0;    // the three colour masks that follow a 40-byte header
    size_t colorCount = 0;
    size_t colorEntrySize = 4;  // 3 after a core header
    size_t stride = 0;       // bytes of one pixel row, padded to 4

    // Where the pixel rows of a packed DIB begin.
    size_t TableEnd() const { return headerSize + masksSize + colorCount * colorEntrySize; }
};

// Reads a header from the first `available` bytes. Accepts 1, 4, 8, 16, 24 and 32 bits per
// pixel, BI_RGB and BI_BITFIELDS, both header forms and top-down DIBs, up to 0x8000 pixels a
// side and 2^28 pixels in all; false for anything else and when the header with its masks and
// colour table does not fit in `available`.
bool ReadDibLayout(const void* header, size_t available, DibLayout* layout);

// A packed DIB opened for reading. It keeps pointers to the caller's bytes and decodes a pixel
// when asked, so that a painter takes only the pixels it shows.
class PackedDibReader {
public:
    // `info` holds the header and colour table, `bits` the pixel rows, of which `bitsSize` bytes
    // were handed over. False for a header ReadDibLayout refuses and for less than one row.
    bool Open(const BITMAPINFO* info, const void* bits, size_t bitsSize);

    const DibLayout& Layout() const { return m_layout; }
    int Width() const { return m_layout.width; }
    int Height() const { return m_layout.height; }
    // 0x00RRGGBB of the pixel at (x, y), y counted from the top row; black for a row that was
    // not handed over and outside the picture.
    uint32_t Pixel(int x, int y) const;

private:
    uint32_t FromMasks(DWORD value) const;

    DibLayout m_layout;
    const uint8_t* m_bits = nullptr;
    int m_rowsPresent = 0;
    std::vector<uint32_t> m_table;
    DWORD m_masks[3] = {};
    int m_shifts[3] = {};
};

// Decodes a packed DIB (header, colour table, pixel rows) into 0x00RRGGBB pixels, top row
// first; `bitsSize` bounds the pixel rows read and the rows beyond it stay black. False where
// PackedDibReader::Open is false.
bool DecodeDib(const BITMAPINFO* info, const void* bits, size_t bitsSize, int* width, int* height,
               std::vector<uint32_t>* pixels);
// The size of the header and colour table of a packed DIB; 0 when the header is not valid.
size_t DibHeaderAndColorTableSize(const BITMAPINFO* info, size_t available);

// How one axis of a source band maps onto a target: the source pixel of each column (or row)
// of the sample, and the device interval the sample covers. The band [sourceStart, sourceEnd)
// is shown over [targetStart, targetEnd), of which only [visibleStart, visibleEnd) is seen, and
// only the part inside the picture (0 to pictureSize) is taken. A shrinking axis takes one
// source pixel per visible device pixel, at the pixel's centre; a growing or equal one takes each
// source pixel once and the painter stretches it. Either way the sample is no longer than the
// visible part of the target and than the band. Empty when nothing is seen.
struct DibAxis {
    std::vector<int> sources;
    double targetStart = 0;
    double targetEnd = 0;
};
DibAxis MapDibAxis(int64_t sourceStart, int64_t sourceEnd, int pictureSize, int64_t targetStart,
                   int64_t targetEnd, int64_t visibleStart, int64_t visibleEnd);

// The pixels of the sample: one row per entry of `rows`, one column per entry of `columns`,
// each 0xFFRRGGBB.
std::vector<uint32_t> SampleDib(const PackedDibReader& dib, const std::vector<int>& columns,
                                const std::vector<int>& rows);
