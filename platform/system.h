// What the programs ask of the operating system beyond drawing: the version record, the text of
// a system error code and the search for files matching a wildcard pattern.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fills the record as the programs' own system reports itself: Windows NT 5.1, build 2600,
// "Service Pack 3". False when the record's size field is not 148.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// Win32 error codes the programs meet.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;

// The system's text for a Win32 error code, in code page 932, as the Japanese system words it;
// false (and `text` untouched) for a code it has no text for.
bool GetSystemMessageText(DWORD code, std::string* text);

// One entry matching a search pattern.
struct FoundFile {
    std::string name;  // code page 932
    bool directory = false;
};
// The entries matching a path whose last part may hold the wildcards * and ? (code page 932
// text; the path is looked up as UTF-8). The folder parts are names as they stand, also when
// they hold * or ?. Empty when nothing matches, also for a path that ends at a "/".
std::vector<FoundFile> FindFiles(const char* pattern);
