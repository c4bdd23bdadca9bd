// Existence tests for files and directories by a path whose last part may hold the wildcards
// * and ? (code page 932 text).
#pragma once

#include "platform/win_types.h"

// Whether some entry matching the path or pattern is a directory, or is not a directory.
BOOL DirectoryExists(const char* pattern);
BOOL FileExists(const char* pattern);
