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
