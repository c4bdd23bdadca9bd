// The print package: one cabinet holding the print file first and its side files by bare name.
// Paths are file-system paths (UTF-8); folders may end with a slash or not.
#pragma once

#include "platform/win_types.h"

#include <cstdint>

// The set ID every package carries in its cabinet header.
constexpr WORD kPrintPackageSetId = 12345;

// What one paper can hold bounds its package, packed or extracted: the print file and one side
// file per picture or embedded object, numbered per paper. A paper has at most 1024 pages, and
// no picture file larger than 256 MiB is read, so a package of more entries or more bytes than
// these is no paper's; refusing it keeps a small crafted package from filling disk and time.
constexpr uint32_t kPrintPackageMaxEntries = 1024;
constexpr uint64_t kPrintPackageMaxBytes = uint64_t(256) << 20;

// Packs the listed files, in their order and under their file names, into the package
// folder + name. An entry "+" closes the current cabinet folder, so the next file starts a new
// one. The package is written beside its target and replaces it only when complete, so on
// failure (FALSE) a former package of that name stays as it was; files beyond a paper's bounds
// fail it.
BOOL PackFilesToCabinet(int count, const char* const* files, const char* folder, const char* name);

// Extracts every file of the cabinet into folder and remembers the path of the first file
// extracted. FALSE, writing nothing, for a file that is not a cabinet or a cabinet that is
// damaged, names a file outside the folder or holds more than a paper can.
BOOL ExtractCabinet(const char* cabinet, const char* folder);

// The full path of the first file of the latest extraction; empty when it failed.
const char* GetExtractedFirstFile();
