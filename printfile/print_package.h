// The print package: one cabinet holding the print file first and its side files by bare name.
// Paths are file-system paths (UTF-8); folders may end with a slash or not.
#pragma once

#include "platform/win_types.h"

// The set ID every package carries in its cabinet header.
constexpr WORD kPrintPackageSetId = 12345;

// Packs the listed files, in their order and under their file names, into the package
// folder + name. An entry "+" closes the current cabinet folder, so the next file starts a new
// one. The package is written beside its target and replaces it only when complete, so on
// failure (FALSE) a former package of that name stays as it was.
BOOL PackFilesToCabinet(int count, const char* const* files, const char* folder, const char* name);

// Extracts every file of the cabinet into folder and remembers the path of the first file
// extracted. FALSE, writing nothing, for a file that is not a cabinet or a cabinet that is
// damaged or names a file outside the folder.
BOOL ExtractCabinet(const char* cabinet, const char* folder);

// The full path of the first file of the latest extraction; empty when it failed.
const char* GetExtractedFirstFile();
