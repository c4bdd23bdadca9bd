// Cabinets, the form of print packages: read whole into memory with every structure, name and
// checksum checked. A cabinet that is accepted holds only bare file names, its entries lie
// within its folders and it extracts to no more than the cabinet limit.
#include "platform/cabinet.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CabinetContents contents;
    std::string error;
    if (!ReadCabinet(std::span<const uint8_t>(data, size), &contents, &error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    uint64_t total = 0;
    for (const CabinetEntry& entry : contents.entries) {
        if (!IsBareFileName(entry.name) || entry.folder >= contents.folderCount)
            std::abort();
        total += entry.bytes.size();
    }
    if (contents.entries.empty() || total > kCabinetMaxBytes)
        std::abort();
    return 0;
}
