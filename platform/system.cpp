#include "platform/system.h"

#include "platform/codepage.h"
#include "platform/utf8.h"

#include <dirent.h>
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

// Whether the name matches the pattern, in which * stands for any run of characters and ? for
// one character. A star backtracks only to the last star seen, so the work stays linear in the
// pattern times the name.
bool MatchesWildcards(std::u16string_view name, std::u16string_view pattern)
{
    size_t n = 0;
    size_t p = 0;
    size_t starAt = std::u16string_view::npos;
    size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

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
    const std::string path = Utf16ToUtf8(Cp932ToWide(pattern));
    // The folder is taken as it stands; only the last part is matched against its entries.
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.empty())
        return found;
    auto add = [&](const std::string& name) {
        struct stat st {};
        if (stat((folder + "/" + name).c_str(), &st) == 0)
            found.push_back(FoundFile{WideToCp932(Utf8ToUtf16(name)), S_ISDIR(st.st_mode)});
    };
    if (last.find_first_of("*?") == std::string::npos) {
        add(last);
        return found;
    }
    DIR* entries = opendir(folder.c_str());
    if (entries == nullptr)
        return found;
    const std::u16string wildcards = Utf8ToUtf16(last);
    while (const dirent* entry = readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (MatchesWildcards(Utf8ToUtf16(name), wildcards))
            add(std::string(name));
    }
    closedir(entries);
    return found;
}
