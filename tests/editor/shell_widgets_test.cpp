// The shell's requests answered with Qt windows: Qt's own dialogs speak Japanese, nothing waits
// where nobody can answer, and the file dialog starts on the filter the request names.
#include "ui/shell_widgets.h"

#include "platform/shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QImage>
#include <QTimer>
#include <QTranslator>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <iostream>

TEST(ShellWidgets, QtsOwnDialogsAndButtonsSpeakJapanese)
{
    QTranslator* translator = InstallQtTranslations();
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed";
    struct Case {
        const char* context;
        const char* english;
    } const cases[] = {
        {"QFileDialog", "Look in:"},
        {"QFileDialog", "File &name:"},
        {"QPlatformTheme", "Cancel"},
        {"QPlatformTheme", "Save"},
    };
    for (const Case& c : cases) {
        const QString shown = QCoreApplication::translate(c.context, c.english);
        EXPECT_NE(shown, QString::fromLatin1(c.english)) << c.context << " " << c.english;
    }
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

TEST(ShellWidgets, NothingWaitsWhereNobodyCanSeeAWindow)
{
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    // Should a box open anyway, it is closed after a while so the test fails instead of hanging.
    bool hadToClose = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&hadToClose] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            hadToClose = true;
            box->close();
        }
    });
    guard.start(2000);
    InstallWidgetShell(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShellMessageBox(u"再検索用ＤＬＬが見つかりません。", u"Tarsel", MB_OK), IDOK);
    EXPECT_EQ(ShellMessageBox(u"変更を保存しますか?", u"Tarsel", MB_YESNOCANCEL), IDCANCEL);
    const std::string errors = testing::internal::GetCapturedStderr();
    SetShellHandler({});
    EXPECT_FALSE(hadToClose);
    EXPECT_NE(errors.find("再検索用ＤＬＬが見つかりません。"), std::string::npos);
}

TEST(ShellWidgets, TheFileDialogStartsOnTheRequestsFilterAndItsExtension)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::SaveFile;
    request.title = u"名前を付けて保存";
    request.file = "paper.xml";
    request.defaultExtension = "qns";
    request.filters = {{u"プリントファイル(*.qns)", "*.qns"},
                       {u"HTMLファイル(*.htm)", "*.htm"},
                       {u"テキストファイル(*.txt)", "*.txt"},
                       {u"XMLプリントファイル(*.xml)", "*.xml"},
                       {u"すべてのファイル (*.*)", "*.*"}};
    request.filterIndex = 4;
    QString startFilter, startSuffix;
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        startFilter = dialog->selectedNameFilter();
        startSuffix = dialog->defaultSuffix();
        offered = dialog->nameFilters();
        // A picture to look at, beside the test program.
        const QString path = QCoreApplication::applicationDirPath() + "/editor_save_as_dialog.png";
        if (dialog->grab().toImage().save(path))
            std::cout << "[ picture  ] " << path.toStdString() << std::endl;
        dialog->reject();
    });
    EXPECT_EQ(AnswerWithWindows(nullptr, request), IDCANCEL);
    EXPECT_EQ(offered.size(), 5);
    EXPECT_EQ(startFilter, QString::fromUtf16(u"XMLプリントファイル(*.xml)"));
    EXPECT_EQ(startSuffix, "xml");
}
