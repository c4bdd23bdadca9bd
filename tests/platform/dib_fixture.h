// Packed DIBs built byte by byte for the tests: a 40-byte header, then whatever a test appends.
#pragma once

#include "platform/packed_dib.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

inline std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed = 0,
                                       uint32_t compression = BI_RGB)
{
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biCompression = compression;
    h.biClrUsed = clrUsed;
    std::vector<uint8_t> out(40);
    std::memcpy(out.data(), &h, 40);
    return out;
}

inline void Append(std::vector<uint8_t>& v, std::initializer_list<uint8_t> bytes) { v.insert(v.end(), bytes); }
