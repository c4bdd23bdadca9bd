#include "platform/system.h"

#include "platform/codepage.h"
#include "platform/utf8.h"

#include <glob.h>
#include <sys/stat.h>

#include <cstring>
#include <string_view>

namespace {

struct MessageText {
    DWORD code;
    const char16_t* text;
};

// The texts of the Japanese Windows NT 5.1 system for the codes the programs can meet.
constexpr MessageText kMessages[] = {
    {ERROR_SUCCESS, u"この操作を正しく終了しました。"},
    {ERROR_FILE_NOT_FOUND, u"指定されたファイルが見つかりません。"},
    {ERROR_PATH_NOT_FOUND, u"指定されたパスが見つかりません。"},
    {ERROR_ACCESS_DENIED, u"アクセスが拒否されました。"},
    {ERROR_INVALID_HANDLE, u"ハンドルが無効です。"},
    {ERROR_NOT_ENOUGH_MEMORY, u"このコマンドを実行するのに十分な記憶域がありません。"},
    {ERROR_OUTOFMEMORY, u"この操作を完了するのに十分な記憶域がありません。"},
    {ERROR_SHARING_VIOLATION, u"プロセスはファイルにアクセスできません。別のプロセスが使用中です。"},
    {ERROR_FILE_EXISTS, u"ファイルが存在します。"},
    {ERROR_INVALID_PARAMETER, u"パラメータが間違っています。"},
    {ERROR_DISK_FULL, u"ディスクに十分な空き領域がありません。"},
    {ERROR_ALREADY_EXISTS, u"既に存在するファイルを作成することはできません。"},
    {ERROR_NO_UNICODE_TRANSLATION, u"ターゲットのマルチバイト コード ページにユニコード文字のマッピングが存在しません。"},
    {ERROR_CLIPBOARD_NOT_OPEN, u"スレッドはクリップボードを開いていません。"},
};

} // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strcpy(info->szCSDVersion, "Service Pack 3");
    return TRUE;
}

bool GetSystemMessageText(DWORD code, std::string* text)
{
    if (text == nullptr)
        return false;
    for (const MessageText& m : kMessages)
        if (m.code == code) {
            *text = WideToCp932(m.text);
            return true;
        }
    return false;
}

std::vector<FoundFile> FindFiles(const char* pattern)
{
    std::vector<FoundFile> found;
    if (pattern == nullptr || *pattern == 0)
        return found;
    // Only * and ? are wildcards, as in the Windows search; glob's other specials are escaped.
    std::string expression;
    for (char c : Utf16ToUtf8(Cp932ToWide(pattern))) {
        if (c == '[' || c == ']' || c == '\\')
            expression += '\\';
        expression += c;
    }
    glob_t matches{};
    if (glob(expression.c_str(), GLOB_NOSORT | GLOB_PERIOD, nullptr, &matches) == 0) {
        for (size_t i = 0; i < matches.gl_pathc; ++i) {
            struct stat st {};
            if (stat(matches.gl_pathv[i], &st) != 0)
                continue;
            std::string_view path = matches.gl_pathv[i];
            const size_t slash = path.find_last_of('/');
            const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
            found.push_back(FoundFile{WideToCp932(Utf8ToUtf16(name)), S_ISDIR(st.st_mode)});
        }
    }
    globfree(&matches);
    return found;
}
