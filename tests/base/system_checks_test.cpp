#include "base/system_checks.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

TEST(SystemVersion, SupportedSystemsAndTheRecordOfThisOne)
{
    struct Case { DWORD platform, major, minor; int supported; };
    const Case cases[] = {{2, 5, 1, 1}, {2, 5, 0, 1}, {2, 4, 0, 1}, {2, 6, 0, 0}, {2, 10, 0, 0}, {1, 4, 90, 1}, {0, 3, 1, 0}};
    for (const Case& c : cases) {
        OSVERSIONINFOA info{};
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        EXPECT_EQ(IsSupportedVersion(info), c.supported) << c.platform << " " << c.major;
    }
    EXPECT_EQ(IsSupportedWindowsVersion(), 1);
    EXPECT_EQ(OsVersionInfo.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(OsVersionInfo.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(OsVersionInfo.dwMajorVersion, 5u);
    EXPECT_EQ(OsVersionInfo.dwMinorVersion, 1u);
}

TEST(SystemMessage, GivesTheCallerTheSystemText)
{
    std::string text;
    EXPECT_TRUE(FormatSystemMessage(ERROR_FILE_NOT_FOUND, &text));
    EXPECT_EQ(Cp932ToWide(text), u"指定されたファイルが見つかりません。");
    std::string kept = "kept";
    EXPECT_FALSE(FormatSystemMessage(0xDEADBEEF, &kept));
    EXPECT_EQ(kept, "kept");
}
