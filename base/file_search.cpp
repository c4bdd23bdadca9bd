#include "base/file_search.h"

#include "platform/system.h"

namespace {

BOOL AnyMatch(const char* pattern, bool directory)
{
    for (const FoundFile& entry : FindFiles(pattern))
        if (entry.directory == directory)
            return TRUE;
    return FALSE;
}

} // namespace

BOOL DirectoryExists(const char* pattern) { return AnyMatch(pattern, true); }
BOOL FileExists(const char* pattern) { return AnyMatch(pattern, false); }
