// Zip archives held in memory: writing one from named entries (deflated), and reading the
// entries of one back. Used for the packages of office documents, whose parts are zip entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One entry of an archive: its name inside the archive and its bytes.
struct ZIP_ENTRY {
    std::string name;
    std::string bytes;
};

// The largest archive read, and the most bytes its entries may expand to together.
constexpr uint64_t kZipMaxBytes = uint64_t(1) << 30;

// The archive of the entries, in their order; false (and archive emptied) when it cannot be
// made or an entry name is empty or repeated.
bool WriteZipArchive(const std::vector<ZIP_ENTRY>& entries, std::string* archive);
// The entries of an archive, in their order; false (and entries emptied) for bytes that are no
// readable zip archive or would expand beyond kZipMaxBytes.
bool ReadZipArchive(const std::string& archive, std::vector<ZIP_ENTRY>* entries);
