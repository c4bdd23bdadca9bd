#include "platform/packed_dib.h"

#include "tests/platform/dib_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

Decoded Decode(const std::vector<uint8_t>& dib, size_t bitsSize = SIZE_MAX)
{
    Decoded d;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const size_t header = DibHeaderAndColorTableSize(info, dib.size());
    if (header == 0)
        return d;
    d.ok = DecodeDib(info, dib.data() + header, std::min(bitsSize, dib.size() - header), &d.width, &d.height, &d.pixels);
    return d;
}

} // namespace

TEST(PackedDib, TwentyFourBitRowsArePaddedAndBottomUp)
{
    auto dib = InfoHeader(2, 2, 24);
    // Bottom row first: blue, green; then the top row: red, white. Rows padded to 8 bytes.
    Append(dib, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0});
    Append(dib, {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});
    const Decoded d = Decode(dib);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 2);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{0xFF0000, 0xFFFFFF, 0x0000FF, 0x00FF00}));
    EXPECT_EQ(DibHeaderAndColorTableSize(reinterpret_cast<const BITMAPINFO*>(dib.data()), dib.size()), 40u);
}

TEST(PackedDib, PaletteFormsAndCoreHeaders)
{
    // 8 bits with two used colours; a top-down DIB.
    auto dib = InfoHeader(3, -1, 8, 2);
    Append(dib, {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0});
    Append(dib, {1, 0, 1, 0});
    Decoded d = Decode(dib);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{0x605040, 0x302010, 0x605040}));

    // A core header: 3-byte colour entries, 1 bit per pixel.
    std::vector<uint8_t> core = {12, 0, 0, 0, 9, 0, 1, 0, 1, 0, 1, 0};
    Append(core, {0, 0, 0, 0xFF, 0xFF, 0xFF});
    Append(core, {0x80, 0x80, 0, 0});  // pixels 0 and 8 white
    d = Decode(core);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.pixels.size(), 9u);
    EXPECT_EQ(d.pixels[0], 0xFFFFFFu);
    EXPECT_EQ(d.pixels[1], 0u);
    EXPECT_EQ(d.pixels[8], 0xFFFFFFu);
}

TEST(PackedDib, SixteenAndThirtyTwoBitMasks)
{
    auto dib = InfoHeader(1, 1, 16);
    Append(dib, {0x00, 0x7C, 0, 0});  // 555: full red
    Decoded d = Decode(dib);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[0], 0xFF0000u);  // 0x00RRGGBB

    auto fields = InfoHeader(1, 1, 16, 0, BI_BITFIELDS);
    Append(fields, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});  // 565 masks
    Append(fields, {0xE0, 0x07, 0, 0});                                    // full green
    d = Decode(fields);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[0], 0x00FF00u);
}

TEST(PackedDib, MalformedInputIsRefused)
{
    auto truncatedHeader = InfoHeader(2, 2, 24);
    truncatedHeader.resize(30);
    EXPECT_FALSE(Decode(truncatedHeader).ok);

    auto badBits = InfoHeader(2, 2, 7);
    Append(badBits, {0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(Decode(badBits).ok);

    auto rle = InfoHeader(2, 2, 8, 0, BI_RLE8);
    EXPECT_FALSE(Decode(rle).ok);

    auto huge = InfoHeader(0x7FFFFFFF, 2, 24);
    EXPECT_FALSE(Decode(huge).ok);

    // Bit-field masks need a 40-byte header before them or a header long enough to hold them:
    // a 44-byte header with the pixels right after it has neither.
    auto shortFields = InfoHeader(1, 1, 16, 0, BI_BITFIELDS);
    shortFields[0] = 44;
    Append(shortFields, {0, 0, 0, 0, 0xE0, 0x07, 0, 0});
    EXPECT_EQ(DibHeaderAndColorTableSize(reinterpret_cast<const BITMAPINFO*>(shortFields.data()), shortFields.size()), 0u);
    EXPECT_FALSE(Decode(std::vector<uint8_t>(shortFields.begin(), shortFields.end())).ok);

    // A picture larger than any bitmap (2^28 pixels) is refused before anything is made, even
    // when only its first row is there.
    auto oversized = InfoHeader(0x4001, 0x4000, 1);
    oversized.resize(40 + 8 + 0x804, 0);
    EXPECT_EQ(DibHeaderAndColorTableSize(reinterpret_cast<const BITMAPINFO*>(oversized.data()), oversized.size()), 0u);
    EXPECT_FALSE(Decode(oversized).ok);

    // Pixel data shorter than one row shows nothing.
    auto shortBits = InfoHeader(4, 2, 24);
    Append(shortBits, {1, 2, 3});
    EXPECT_FALSE(Decode(shortBits).ok);

    // Only the rows present are read; the rest stays black.
    auto oneRow = InfoHeader(1, 2, 24);
    Append(oneRow, {0xFF, 0xFF, 0xFF, 0});
    const Decoded d = Decode(oneRow);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{0, 0xFFFFFF}));
}

TEST(PackedDib, ReaderTakesSinglePixelsOfRowsHandedOver)
{
    // 3 × 2, 8 bits, bottom-up, with only the bottom row handed over.
    auto dib = InfoHeader(3, 2, 8, 3);
    Append(dib, {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0x70, 0x80, 0x90, 0});
    Append(dib, {2, 1, 0, 0});
    PackedDibReader reader;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    ASSERT_TRUE(reader.Open(info, dib.data() + 52, 4));
    EXPECT_EQ(reader.Width(), 3);
    EXPECT_EQ(reader.Height(), 2);
    EXPECT_EQ(reader.Pixel(0, 1), 0x908070u);
    EXPECT_EQ(reader.Pixel(2, 1), 0x302010u);
    EXPECT_EQ(reader.Pixel(0, 0), 0u);   // the top row was not handed over
    EXPECT_EQ(reader.Pixel(3, 1), 0u);   // outside
    EXPECT_EQ(reader.Pixel(-1, 1), 0u);
    EXPECT_FALSE(reader.Open(info, dib.data() + 52, 3));  // less than a row
}

TEST(PackedDib, AxisSamplesNoMoreThanTheTargetShows)
{
    struct Case {
        const char* name;
        int64_t source0, source1;
        int picture;
        int64_t target0, target1, visible0, visible1;
        std::vector<int> sources;
        double start, end;
    };
    const Case cases[] = {
        {"copy", 0, 4, 4, 10, 14, 0, 100, {0, 1, 2, 3}, 10, 14},
        {"copy, partly seen", 0, 4, 4, 10, 14, 12, 100, {2, 3}, 12, 14},
        {"doubled", 0, 2, 2, 0, 4, 0, 100, {0, 1}, 0, 4},
        {"doubled, half a pixel seen", 0, 2, 2, 0, 4, 3, 100, {1}, 2, 4},
        {"halved: the pixel at each centre", 0, 8, 8, 0, 4, 0, 100, {1, 3, 5, 7}, 0, 4},
        {"band beyond the picture", -2, 6, 4, 0, 8, 0, 100, {0, 1, 2, 3}, 2, 6},
        {"band outside the picture", 4, 8, 4, 0, 4, 0, 100, {}, 0, 0},
        {"nothing seen", 0, 4, 4, 10, 14, 20, 30, {}, 0, 0},
        {"empty band", 2, 2, 4, 0, 4, 0, 100, {}, 0, 0},
    };
    for (const Case& c : cases) {
        const DibAxis axis = MapDibAxis(c.source0, c.source1, c.picture, c.target0, c.target1, c.visible0, c.visible1);
        EXPECT_EQ(axis.sources, c.sources) << c.name;
        if (!c.sources.empty()) {
            EXPECT_DOUBLE_EQ(axis.targetStart, c.start) << c.name;
            EXPECT_DOUBLE_EQ(axis.targetEnd, c.end) << c.name;
        }
    }
    // A large picture copied 1:1 into a view of 48 pixels: 48 source pixels.
    const DibAxis copied = MapDibAxis(0, 16384, 16384, 0, 16384, 0, 48);
    ASSERT_EQ(copied.sources.size(), 48u);
    EXPECT_EQ(copied.sources.back(), 47);
    // A 16384-pixel band shrunk into 48 pixels takes 48 of them.
    const DibAxis shrunk = MapDibAxis(0, 16384, 16384, 0, 48, 0, 48);
    ASSERT_EQ(shrunk.sources.size(), 48u);
    EXPECT_EQ(shrunk.sources[0], 170);  // the centre of device pixel 0: 0.5 × 16384 / 48
}
