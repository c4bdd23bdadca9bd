// The shell's one request function and the profile's typed values.
#include "platform/profile.h"
#include "platform/shell.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Shell, AnswersComeFromTheInstalledHandlerElseTheSafeDefault)
{
    std::vector<std::u16string> asked;
    ShellHandler former = SetShellHandler([&](SHELL_REQUEST& request) {
        asked.push_back(request.text);
        return IDYES;
    });
    EXPECT_EQ(ShellMessageBox(u"保存しますか", u"caption", MB_YESNOCANCEL), IDYES);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], u"保存しますか");
    SetShellHandler(former);

    SHELL_REQUEST box;
    box.style = MB_OK;
    EXPECT_EQ(ShellDefaultAnswer(box), IDOK);
    box.style = MB_YESNOCANCEL;
    EXPECT_EQ(ShellDefaultAnswer(box), IDCANCEL);
    box.style = MB_YESNO;
    EXPECT_EQ(ShellDefaultAnswer(box), IDNO);
    SHELL_REQUEST dialog;
    dialog.kind = ShellRequestKind::SaveFile;
    EXPECT_FALSE(ShellFileDialog(dialog));
}

TEST(Shell, AGroupGathersTheBoxesOfOneFailureIntoOneLeadFirst)
{
    std::vector<SHELL_REQUEST> shown;
    ShellHandler former = SetShellHandler([&](SHELL_REQUEST& request) {
        shown.push_back(request);
        return IDOK;
    });
    {
        ShellMessageGroup outer;
        {
            ShellMessageGroup inner;  // nested groups show nothing of their own
            ShellMessageBox(u"イメージを読み込めませんでした。\n\na.png", u"Tarsel", MB_OK | MB_ICONEXCLAMATION);
            ShellMessageBox(u"イメージを読み込めませんでした。\n\nb.png", u"Tarsel", MB_OK | MB_ICONEXCLAMATION);
        }
        EXPECT_TRUE(shown.empty());
        // A question is asked at once, never held back.
        EXPECT_EQ(ShellMessageBox(u"保存しますか", u"Tarsel", MB_YESNO), IDOK);
        ASSERT_EQ(shown.size(), 1u);
        ShellMessageGroup::Lead(u"ファイルの読込に失敗しました。\npaper.xml", u"Tarsel", MB_OK | MB_ICONSTOP);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, u"ファイルの読込に失敗しました。\npaper.xml\nイメージを読み込めませんでした。\na.png\nb.png");
    EXPECT_EQ(shown[1].style, MB_OK | MB_ICONSTOP);

    // Outside a group a lead is a box of its own; a group with nothing to say shows nothing.
    ShellMessageGroup::Lead(u"alone", u"Tarsel", MB_OK);
    { ShellMessageGroup quiet; }
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text, u"alone");
    SetShellHandler(former);
}

TEST(Profile, TypedValuesSurviveAFreshInstance)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/p.ini").toStdString();
    const BYTE block[] = {0, 1, 2, 0xFF, '\\', '/'};
    {
        CProfile profile(path);
        profile.WriteProfileInt("Settings\\Font", "Italic", -7);
        profile.WriteProfileBinary("Settings\\Font", "Default", block, sizeof block);
        profile.WriteProfileString("Settings\\Bango", "String", "\x82\xa0");
        ASSERT_TRUE(profile.Flush());
    }
    CProfile profile(path);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Font", "Italic", 0), -7);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Font", "Missing", 42), 42);
    std::vector<BYTE> bytes;
    ASSERT_TRUE(profile.GetProfileBinary("Settings\\Font", "Default", &bytes));
    EXPECT_EQ(bytes, std::vector<BYTE>(block, block + sizeof block));
    EXPECT_FALSE(profile.GetProfileBinary("Settings\\Font", "Italic", &bytes));
    EXPECT_EQ(profile.GetProfileString("Settings\\Bango", "String", ""), "\x82\xa0");
    EXPECT_TRUE(profile.HasSection("Settings"));
    EXPECT_FALSE(profile.HasSection("Bars"));
}
