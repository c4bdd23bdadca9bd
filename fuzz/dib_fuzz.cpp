// Packed DIBs as pictures in documents and on the clipboard hold them: header, colour table and
// pixel rows in one block.
#include "platform/gdi.h"

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
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    if (DecodeDib(info, block.get() + headerSize, size - headerSize, &width, &height, &pixels) &&
        pixels.size() != size_t(width) * size_t(height))
        __builtin_trap();
    return 0;
}
