// The page-setup and name-field commands in the program on the sample paper, from the frame's
// commands: the sheet over the window with each of its pages, its preview button queuing the
// preview to the frame after the values apply, and the name-field dialog over the window. Set
// QN_TEST_OUTPUT_DIR to keep screenshots (run it under xvfb-run to see the dialogs over the window).
#include "editor/document_commands.h"
#include "editor/main_frame.h"
#include "editor/name_field_command.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "nodes/edit_print.h"
#include "tests/editor/program_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

class PageSetupProgramTest : public ProgramRun {
protected:
    void Shoot(QWidget* widget, const char* name)
    {
        const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
        if (keep.isEmpty())
            return;
        const QString path = QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name));
        QScreen* screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == QLatin1String("xcb") && screen != nullptr)
            screen->grabWindow(0).save(path);
        else
            widget->grab().save(path);
    }
    CMainFrame& StartOnSample()
    {
        const std::string paper = m_dir.path().toStdString() + "/sample_paper.xml";
        EXPECT_TRUE(QFile::copy(QString::fromStdString(RepositoryFolder() + "/samples/sample_paper.xml"),
                                QString::fromStdString(paper)));
        EXPECT_TRUE(Start({paper})) << MessagesShown();
        CMainFrame& frame = *Program().Frame();
        frame.resize(1000, 800);
        frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
        return frame;
    }
    QTemporaryDir m_dir;
};

TEST_F(PageSetupProgramTest, TheSheetShowsItsPagesAndItsPreviewButtonAppliesB4)
{
    CMainFrame& frame = StartOnSample();
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_NE(doc, nullptr);
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(57605, &enabled, &checked);
    EXPECT_TRUE(enabled);

    bool sheetSeen = false;
    const PageSetupRunner former = SetPageSetupRunner([&](CPageSetupSheet& sheet) {
        QTimer::singleShot(300, &sheet, [&] {
            sheetSeen = true;
            const char* names[] = {"page_setup_over_window_paper.png", "page_setup_over_window_margins.png",
                                   "page_setup_over_window_answer_sheet.png"};
            for (int page = 0; page < 3; ++page) {
                sheet.Tabs()->setCurrentIndex(page);
                QTest::qWait(50);
                Shoot(&sheet, names[page]);
            }
            sheet.Tabs()->setCurrentIndex(0);
            FindControl<QComboBox>(&sheet.SizePage(), CPageSizePage::kPaperList)->setCurrentIndex(1);
            FindControl<QAbstractButton>(&sheet.SizePage(), kPageSetupPreview)->click();
        });
        return sheet.DoModal();
    });
    frame.OnCommand(57605);
    SetPageSetupRunner(former);
    EXPECT_TRUE(sheetSeen);

    int width = 0, height = 0;
    doc->GetRoot()->GetPaperSize(&width, &height);
    const bool vertical = doc->GetRoot()->m_vertical != 0;
    EXPECT_EQ(vertical ? height : width, 25700);
    EXPECT_EQ(vertical ? width : height, 36400);
    EXPECT_TRUE(doc->IsModified());
    QTest::qWait(200);
    Shoot(&frame, "page_setup_after_b4.png");
}

TEST_F(PageSetupProgramTest, TheNameFieldDialogOverTheWindow)
{
    CMainFrame& frame = StartOnSample();
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_NE(doc, nullptr);
    const int pages = doc->GetRoot()->GetPageCount();
    bool dialogSeen = false;
    const NameFieldRunner former = SetNameFieldRunner([&](CNameFieldDlg& dialog) {
        QTimer::singleShot(300, &dialog, [&] {
            dialogSeen = true;
            EXPECT_EQ(dialog.Grid()->GetRowCount(), pages);
            Shoot(&dialog, "name_field_over_window.png");
            FindControl<QAbstractButton>(&dialog, IDOK)->click();
        });
        return dialog.DoModal();
    });
    frame.OnCommand(32892);
    SetNameFieldRunner(former);
    EXPECT_TRUE(dialogSeen);
}

}  // namespace
