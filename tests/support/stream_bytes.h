// Archive bytes in tests: what a store writes, and expected bytes built by hand from little-endian
// ints, ASCII names and concatenation.
#pragma once

#include "platform/archive.h"
#include "platform/memory_file.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes Int32(int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}

inline Bytes Ascii(const char* text) { return Bytes(text, text + std::strlen(text)); }

// The bytes that fill writes into a storing archive.
template <typename Fill>
Bytes StoreBytes(Fill fill)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    fill(ar);
    ar.Close();
    return file.Detach();
}
