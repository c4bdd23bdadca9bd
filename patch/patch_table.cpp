#include "patch/patch_table.h"

#include <cstdio>

namespace {

constexpr PATCH_ENTRY kTable[] = {
    {"EDITPATH", 2.0, 2.1, "Pennic", 201, {2006, 2, 26}},  // the chemistry edition of the problem editor
    {"EDITPATH", 1.0, 1.3, "Vumat", 205, {2006, 2, 20}},   // the formula editor
    {"EDITPATH", 1.2, 1.3, "Kiran", 204, {2006, 2, 20}},   // the figure editor
};

struct PATCH_TEXT {
    int id;
    const char16_t* text;
};

constexpr PATCH_TEXT kErrorMessages[] = {
    {PATCH_ERROR_NOT_INSTALLED, u"製品がインストールされていません。"},
    {PATCH_ERROR_NO_VERSION, u"製品のバージョンが取得できません。"},
    {PATCH_ERROR_TOO_OLD, u"製品のバージョンが不正です。\nこの修正プログラムは，バージョン %.2f 以上の製品が対象となります。"},
    {PATCH_ERROR_NO_RESOURCE, u"リソースファイルが見つかりません。"},
    {PATCH_ERROR_RESOURCE_UNREADABLE, u"リソースの読み込みに失敗しました。"},
    {PATCH_ERROR_CANNOT_CREATE,
     u"ファイルの作成に失敗しました。\nWindows 2000/XP をお使いの場合は，\n管理者権限を持つユーザーで実行してください。"},
    {PATCH_ERROR_CANNOT_WRITE, u"ファイルの書き込みに失敗しました。\n"},
    {PATCH_ERROR_OTHER, u"Windows 2000/XP をお使いの場合は，\n管理者権限を持つユーザーで実行してください。"},
};

constexpr PATCH_TEXT kStrings[] = {
    {101, u"『%s』\n\n修正プログラムを実行しますか？\n\n（この操作は元に戻せません。）"},
    {102, u"確認"},
    {111, u"修正プログラムが適用されました。"},
    {112, u"完了"},
    {113, u"修正プログラムは中断されました。"},
    {114, u"エラー"},
    {115, u"既に最新のバージョンがインストールされています。\n修正プログラムを適用する必要はありません。"},
    {116, u"完了"},
};

template <size_t N>
std::u16string Find(const PATCH_TEXT (&table)[N], int id)
{
    for (const PATCH_TEXT& entry : table)
        if (entry.id == id)
            return entry.text;
    return std::u16string();
}

}  // namespace

std::span<const PATCH_ENTRY> PatchTable() { return kTable; }

std::u16string PatchErrorMessage(int code)
{
    std::u16string text = Find(kErrorMessages, code);
    const size_t placeholder = text.find(u"%.2f");
    if (placeholder != std::u16string::npos) {
        char number[32];
        std::snprintf(number, sizeof number, "%.2f", 2.0);
        text.replace(placeholder, 4, std::u16string(number, number + std::char_traits<char>::length(number)));
    }
    return text;
}

std::u16string PatchString(int id) { return Find(kStrings, id); }
