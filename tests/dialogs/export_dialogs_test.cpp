// The export's progress window and the file-in-use choice, driven offscreen.
#include "dialogs/export_dialogs.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

TEST(FileInUseDialog, RetryIsTheDefaultAndEachButtonEndsWithItsOwnResult)
{
    struct Case {
        const char* action;
        int expected;
    };
    const Case cases[] = {{"enter", CFileInUseDlg::IDRETRY}, {"retry", CFileInUseDlg::IDRETRY},
                          {"rename", CFileInUseDlg::kRenameFile}, {"cancel", IDCANCEL}, {"escape", IDCANCEL}};
    for (const Case& c : cases) {
        CFileInUseDlg dialog(nullptr);
        dialog.m_strCaption = u"Lumetra　生物 - 問題作成エディタ";
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf16(u"Lumetra　生物 - 問題作成エディタ")) << c.action;
        const std::string action = c.action;
        if (action == "enter")
            QTest::keyClick(&dialog, Qt::Key_Return);
        else if (action == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            Click(&dialog, action == "retry" ? 1 : action == "rename" ? CFileInUseDlg::kRenameFile : IDCANCEL);
        EXPECT_EQ(dialog.result(), c.expected) << c.action;
        EXPECT_FALSE(dialog.isVisible()) << c.action;
    }
}

TEST(FileInUseDialog, ShowsTheInformationIconAndTheInUseText)
{
    CFileInUseDlg dialog(nullptr);
    dialog.show();
    auto* icon = FindControl<QLabel>(&dialog, CFileInUseDlg::kIcon);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    bool textFound = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        textFound = textFound || label->text() == QString::fromUtf16(u"ファイルが使用中です。");
    EXPECT_TRUE(textFound);
}

TEST(ConvertProgressDialog, EnterEscapeAndCloseLeaveItOpenAndItsMessageAndBarFollowTheExport)
{
    QWidget owner;
    owner.resize(600, 400);
    CConvertProgressDlg dialog(&owner);
    EXPECT_EQ(ControlText(&dialog, CConvertProgressDlg::kMessage),
              QString::fromUtf16(u"変換中です．．．\n\nしばらくお待ち下さい．．．"));
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf16(u"変換中"));
    dialog.ShowNoActivate();
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());

    dialog.SetMessage(u"ワードへ変換中です．．．\n\nしばらくお待ち下さい．．．");
    EXPECT_EQ(ControlText(&dialog, CConvertProgressDlg::kMessage),
              QString::fromUtf16(u"ワードへ変換中です．．．\n\nしばらくお待ち下さい．．．"));
    dialog.SetRange32(0, 8);
    dialog.SetPos(3);
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 8);
    EXPECT_EQ(dialog.ProgressBar()->value(), 3);
    EXPECT_EQ(FindControl<QProgressBar>(&dialog, CConvertProgressDlg::kProgress), dialog.ProgressBar());
}

}  // namespace
