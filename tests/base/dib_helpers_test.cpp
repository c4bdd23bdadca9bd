#include "base/dib_helpers.h"

#include "platform/gdi_qt.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

// A packed DIB in a global block: a 40-byte header, `colors` table entries and zeroed rows.
HGLOBAL MakeDib(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed = 0, int colors = 0)
{
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t rows = size_t(height < 0 ? -height : height);
    const size_t size = 40 + size_t(colors) * 4 + stride * rows;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biClrUsed = clrUsed;
    std::memcpy(bytes, &h, 40);
    for (int i = 0; i < colors; ++i) {
        const unsigned char entry[4] = {static_cast<unsigned char>(i), 0x20, 0x30, 0};  // blue, green, red
        std::memcpy(bytes + 40 + 4 * i, entry, 4);
    }
    GlobalUnlock(block);
    return block;
}

} // namespace

TEST(PaintDib, CopiesOrStretchesTheSourceRectangle)
{
    HGLOBAL dib = MakeDib(4, 3, 24);
    CRecordingDC dc;
    const RECT source{1, 0, 3, 2};
    const RECT same{10, 10, 12, 12};
    const RECT wide{10, 10, 14, 12};
    EXPECT_EQ(PaintDib(&dc, &same, dib, &source, HPALETTE()), 2);
    EXPECT_EQ(PaintDib(&dc, &wide, dib, &source, HPALETTE()), 2);
    const auto calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].op, GdiOp::SetDIBitsToDevice);
    EXPECT_EQ(calls[0].rect.right, 12);
    // The same band of rows in both: the top two rows of the picture.
    EXPECT_EQ(calls[0].sourceRect.top, 0);
    EXPECT_EQ(calls[0].sourceRect.bottom, 2);
    EXPECT_EQ(calls[1].op, GdiOp::StretchDIBits);
    EXPECT_EQ(calls[1].rect.right, 14);
    EXPECT_EQ(calls[1].sourceRect.top, 0);
    EXPECT_EQ(calls[1].sourceRect.left, 1);
    EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
    GlobalFree(dib);
}

TEST(PaintDib, DrawsNothingWithoutAWholeDib)
{
    CRecordingDC dc;
    const RECT r{0, 0, 4, 3};
    EXPECT_EQ(PaintDib(&dc, &r, nullptr, &r, HPALETTE()), 0);
    // A block shorter than the rows its header declares.
    HGLOBAL dib = MakeDib(4, 3, 24);
    HGLOBAL cut = GlobalAlloc(GHND, 40 + 12);
    std::memcpy(GlobalLock(cut), GlobalLock(dib), 40 + 12);
    GlobalUnlock(cut);
    GlobalUnlock(dib);
    EXPECT_EQ(PaintDib(&dc, &r, cut, &r, HPALETTE()), 0);
    EXPECT_TRUE(dc.Drawings().empty());
    GlobalFree(cut);
    GlobalFree(dib);
}

TEST(PaintDib, ExtremeRectanglesPaintWhatTheClipShows)
{
    // 2 × 1, 24 bits: a red pixel, then a blue one.
    HGLOBAL dib = MakeDib(2, 1, 24);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(dib));
    const unsigned char row[6] = {0, 0, 0xFF, 0xFF, 0, 0};
    std::memcpy(bytes + 40, row, sizeof row);
    GlobalUnlock(dib);
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr COLORREF kRed = 0x0000FF, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
    struct Case {
        const char* name;
        RECT destination;
        RECT source;
        bool painted;
        COLORREF left, right;  // pixels (0, 0) and (47, 39)
    };
    const Case cases[] = {
        // The blue pixel starts at x = 0: the whole image is blue.
        {"target over the whole int range", {kMin, kMin, kMax, kMax}, {0, 0, 2, 1}, true, kBlue, kBlue},
        {"target from the far left to the middle", {kMin, 0, 24, 40}, {0, 0, 2, 1}, true, kBlue, kWhite},
        {"source over the whole int range", {0, 0, 48, 40}, {kMin, 0, kMax, 1}, false, kWhite, kWhite},
        {"source rows far below the int range", {0, 0, 48, 40}, {0, kMin, 2, kMin + 1}, false, kWhite, kWhite},
        {"ordinary", {0, 0, 24, 40}, {0, 0, 1, 1}, true, kRed, kWhite},
    };
    for (const Case& c : cases) {
        auto dc = CQtDC::WithImage(48, 40);
        EXPECT_EQ(PaintDib(dc.get(), &c.destination, dib, &c.source, HPALETTE()) != 0, c.painted) << c.name;
        EXPECT_EQ(dc->GetPixel(0, 0), c.left) << c.name;
        EXPECT_EQ(dc->GetPixel(47, 39), c.right) << c.name;
    }
    // The calls a device gets stay inside the int range and cover its clip box.
    CRecordingDC recording;
    const RECT everything{kMin, kMin, kMax, kMax};
    const RECT source{0, 0, 2, 1};
    EXPECT_NE(PaintDib(&recording, &everything, dib, &source, HPALETTE()), 0);
    ASSERT_EQ(recording.Drawings().size(), 1u);
    const RECT drawn = recording.Drawings()[0].rect;
    EXPECT_LE(drawn.left, 0);
    EXPECT_GE(drawn.right, 794);
    EXPECT_LE(drawn.top, 0);
    EXPECT_GE(drawn.bottom, 1123);
    EXPECT_EQ(recording.Drawings()[0].sourceRect.left, 1);
    GlobalFree(dib);
}

TEST(DibHelpers, ColourCountsSizesAndPalettes)
{
    struct Case { uint16_t bits; uint32_t clrUsed; WORD count; };
    const Case cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {8, 3, 3}, {24, 0, 0}, {32, 0, 0}};
    for (const Case& c : cases) {
        HGLOBAL dib = MakeDib(2, 2, c.bits, c.clrUsed, c.count);
        EXPECT_EQ(DibColorCount(GlobalLock(dib)), c.count) << c.bits;
        GlobalUnlock(dib);
        GlobalFree(dib);
    }

    HGLOBAL truecolor = MakeDib(5, 7, 24);
    EXPECT_FALSE(CreateDibPalette(truecolor));
    const SIZE size = DibSize(truecolor);
    EXPECT_EQ(size.cx, 5);
    EXPECT_EQ(size.cy, 7);
    GlobalFree(truecolor);

    HGLOBAL topDown = MakeDib(5, -7, 24);
    EXPECT_EQ(DibHeight(GlobalLock(topDown)), -7);
    GlobalUnlock(topDown);
    EXPECT_EQ(DibSize(topDown).cx, 0);
    EXPECT_EQ(DibSize(topDown).cy, 0);
    GlobalFree(topDown);
    EXPECT_EQ(DibSize(nullptr).cx, 0);

    HGLOBAL paletted = MakeDib(2, 2, 8, 3, 3);
    HPALETTE palette = CreateDibPalette(paletted);
    ASSERT_TRUE(palette);
    PALETTEENTRY entries[3];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 3, entries), 3u);
    EXPECT_EQ(entries[2].peRed, 0x30);
    EXPECT_EQ(entries[2].peGreen, 0x20);
    EXPECT_EQ(entries[2].peBlue, 2);
    DeleteObject(palette);
    GlobalFree(paletted);

    // A core header: 16-bit fields.
    const unsigned char core[12] = {12, 0, 0, 0, 9, 0, 4, 0, 1, 0, 8, 0};
    EXPECT_EQ(DibWidth(core), 9);
    EXPECT_EQ(DibHeight(core), 4);
    EXPECT_EQ(DibColorCount(core), 256);
}

TEST(GlobalBlocks, CopyHasTheSameSizeAndBytes)
{
    EXPECT_EQ(CopyGlobalHandle(nullptr), nullptr);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(block), "abcde", 5);
    GlobalUnlock(block);
    HGLOBAL copy = CopyGlobalHandle(block);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, block);
    EXPECT_EQ(GlobalSize(copy), 5u);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), "abcde", 5), 0);
    GlobalUnlock(copy);
    EXPECT_EQ(GlobalFree(copy), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);
    // A freed handle names nothing any more.
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(CopyGlobalHandle(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
}
