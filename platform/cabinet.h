// Cabinet archives (the Microsoft cabinet format, MSZIP compression): writing one cabinet from
// files on disk, reading one into memory and extracting one into a folder. Entries are stored
// under bare file names; a cabinet holding any other name is refused whole, before anything is
// written. Paths are file-system paths (UTF-8).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Attribute bits of a cabinet entry; entries keep only these.
constexpr uint16_t kCabinetAttributeReadOnly = 0x01;
constexpr uint16_t kCabinetAttributeHidden = 0x02;
constexpr uint16_t kCabinetAttributeSystem = 0x04;
constexpr uint16_t kCabinetAttributeArchive = 0x20;
constexpr uint16_t kCabinetAttributeMask = 0x27;

// The largest cabinet written or read, and the most bytes one cabinet may extract to.
constexpr uint32_t kCabinetMaxBytes = 0x20000000;

// The bounds a cabinet is read, extracted or written within: the most entries it may hold and
// the most bytes its entries (and the folder data holding them) may hold together. A cabinet
// beyond them is refused from its header and file table, before anything is decompressed or
// written. Callers that know what their cabinets carry give tighter bounds.
struct CabinetLimits {
    uint32_t maxEntries = 0xFFFF;
    uint64_t maxBytes = kCabinetMaxBytes;
};

// One item of a cabinet to write: a file stored under a bare name, or a folder break, after
// which the next file starts a new folder of the cabinet.
struct CabinetSource {
    std::string path;  // the file whose bytes, time and attributes are stored
    std::string name;  // the entry's bare name (UTF-8)
    bool folderBreak = false;
};

// Writes a single cabinet holding the items in their order, every folder MSZIP-compressed,
// with the set ID in its header and cabinet index 0. Each entry keeps its file's modification
// time as a local DOS date and time and its attributes (archive; read-only when the owner
// cannot write the file). The cabinet is written beside target and renamed over it only when
// complete: on failure the former target stays as it was and error tells why.
bool WriteCabinetFile(const std::string& target, const std::vector<CabinetSource>& items, uint16_t setId,
                      std::string* error, const CabinetLimits& limits = {});

// One entry read from a cabinet.
struct CabinetEntry {
    std::string name;  // UTF-8, always a bare file name
    uint16_t folder = 0;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
    uint16_t attributes = 0;  // masked with kCabinetAttributeMask
    std::vector<uint8_t> bytes;
};

struct CabinetContents {
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    uint16_t folderCount = 0;
    std::vector<CabinetEntry> entries;  // in the cabinet's order
};

// True when bytes begin with the cabinet signature "MSCF".
bool HasCabinetSignature(std::span<const uint8_t> bytes);

// Reads a whole cabinet from bytes, checking every offset, count, size, name and checksum and
// decompressing every entry. Cabinets of a spanning set, compression other than none and
// MSZIP, and names that are not bare file names are refused. False with error on any fault.
bool ReadCabinet(std::span<const uint8_t> bytes, CabinetContents* contents, std::string* error,
                 const CabinetLimits& limits = {});

// Extracts every entry of the cabinet file into folder, each written through a temporary file
// in folder and renamed over any file of its name, writable, with its stored time. The whole
// cabinet is checked first, its data decompressed block by block into a hidden staging folder
// inside folder, so memory holds the compressed cabinet and one data block, never the
// extraction: a refused cabinet writes nothing (the staging folder goes on every way out).
// written receives the paths of the files written, in the cabinet's order.
bool ExtractCabinetFile(const std::string& cabinet, const std::string& folder, std::vector<std::string>* written,
                        std::string* error, const CabinetLimits& limits = {});

// True for a name that is a file name on its own: not empty, not "." or "..", no folder
// separator, drive colon, control character or any of * ? " < > |, and at most 255 bytes.
bool IsBareFileName(std::string_view utf8Name);
