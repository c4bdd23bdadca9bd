// Packed DIBs as pictures in documents and on the clipboard hold them: header, colour table and
// pixel rows in one block, decoded whole and sampled into a small frame as painting does.
#include "platform/packed_dib.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so reading past the block is caught.
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    if (size)
        std::memcpy(block.get(), data, size);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block.get());
    const size_t headerSize = DibHeaderAndColorTableSize(info, size);
    if (headerSize == 0)
        return 0;
    const uint8_t* bits = block.get() + headerSize;
    const size_t bitsSize = size - headerSize;

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    if (DecodeDib(info, bits, bitsSize, &width, &height, &pixels) &&
        pixels.size() != size_t(width) * size_t(height))
        __builtin_trap();

    PackedDibReader reader;
    if (!reader.Open(info, bits, bitsSize))
        return 0;
    const DibAxis columns = MapDibAxis(0, reader.Width(), reader.Width(), 0, 13, 0, 13);
    const DibAxis rows = MapDibAxis(0, reader.Height(), reader.Height(), 0, 7, 0, 7);
    if (SampleDib(reader, columns.sources, rows.sources).size() != columns.sources.size() * rows.sources.size())
        __builtin_trap();
    return 0;
}
