#include "base/system_checks.h"

OSVERSIONINFOA OsVersionInfo{};

int IsSupportedVersion(const OSVERSIONINFOA& info)
{
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return 1;
    case VER_PLATFORM_WIN32_NT: return info.dwMajorVersion <= 5 ? 1 : 0;
    default: return 0;
    }
}

int IsSupportedWindowsVersion()
{
    OsVersionInfo = OSVERSIONINFOA{};
    OsVersionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(&OsVersionInfo))
        return 0;
    return IsSupportedVersion(OsVersionInfo);
}

BOOL FormatSystemMessage(DWORD error, std::string* text)
{
    if (text == nullptr)
        return FALSE;
    std::string message;
    if (!GetSystemMessageText(error, &message))
        return FALSE;
    *text = message;
    return TRUE;
}
