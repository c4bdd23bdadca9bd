// The print preview in the program's main window on a vertical paper: it stands in place of the
// editing view with the menu and bars hidden, shows two pages side by side, steps and zooms, its
// page-setup button reopens it on the same page, and closing it brings the view and the bars
// back. The screenshots are saved beside the test program (or in QN_TEST_OUTPUT_DIR).
#include "editor/main_frame.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/view_hookup.h"
#include "nodes/edit_print.h"
#include "tests/editor/program_fixture.h"
#include "tests/printfile/printfile_fixture.h"

#include "view/sorel_pv_view.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <iostream>

namespace {

QString ShotPath(const QString& name)
{
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    const QString folder = keep.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(keep);
    return QDir(folder).filePath(name);
}

void SaveShot(QWidget& window, const QString& name)
{
    QTest::qWait(20);
    const QString path = ShotPath(name);
    EXPECT_TRUE(window.grab().save(path));
    std::cout << "[ picture  ] " << path.toStdString() << std::endl;
}

// Whether the page image holds ink (dark pixels) right of its middle, where a vertical paper's
// first columns stand.
bool InkRightOfMiddle(const QImage& page)
{
    for (int y = 0; y < page.height(); y += 2)
        for (int x = page.width() / 2; x < page.width(); x += 2)
            if (qGray(page.pixel(x, y)) < 128)
                return true;
    return false;
}

class PrintPreviewWindowTest : public ProgramRun {};

}  // namespace

TEST_F(PrintPreviewWindowTest, AVerticalPaperPreviewsTwoPagesAndReopensAfterPageSetup)
{
    ASSERT_TRUE(Start({printfiletest::DataPath("vertical_two_columns.xml")})) << MessagesShown();
    CMainFrame& frame = *Program().Frame();
    frame.resize(1100, 800);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CFrameView& frameView = *Program().View();
    CSorelView* view = frameView.View();
    CEditPrint* root = Program().App().GetDocument()->GetRoot();
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->m_vertical, 0);
    // Two pages at least: the paper's second column spilled onto a narrower sheet.
    if (root->GetPageCount() < 2) {
        root->SetMargins(2000, 2000, 2000, 9000);
        Program().View()->UpdateAllViews(0);
    }
    const int pages = root->GetPageCount();
    ASSERT_GE(pages, 2);
    int setups = 0;
    frameView.Preview().pageSetup = [&setups] {
        ++setups;
        return IDOK;
    };

    // Print and preview are enabled while a paper is open, in the menu and on the toolbar.
    for (unsigned id : {57607u, 57608u, 57609u}) {
        bool enabled = false, checked = false;
        frame.UpdateCommandUI(id, &enabled, &checked);
        ASSERT_TRUE(enabled) << id;
    }
    frame.OnCommand(57609);
    CSorelPvView* preview = frameView.Preview().Preview();
    ASSERT_NE(preview, nullptr);
    QTest::qWait(20);  // the frame lays the preview out
    EXPECT_EQ(frame.centralWidget(), preview);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(frame.menuBar()->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kStandard)->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kHorzRuler)->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kVertRuler)->isVisible());
    // The view's commands do not reach the hidden view; printing does.
    for (unsigned id : {57643u, 32893u, 32779u}) {
        bool enabled = true, checked = false;
        frame.UpdateCommandUI(id, &enabled, &checked);
        EXPECT_FALSE(enabled) << id;
    }
    {
        bool enabled = false, checked = false;
        frame.UpdateCommandUI(57607, &enabled, &checked);
        EXPECT_TRUE(enabled);
    }
    // A second preview command keeps the preview as it is.
    frame.OnCommand(57609);
    EXPECT_EQ(frameView.Preview().Preview(), preview);

    EXPECT_EQ(preview->CurrentPage(), 1);
    EXPECT_EQ(preview->NumPages(), 1);
    EXPECT_FALSE(preview->IsCommandEnabled(PreviewCommand::kPrev));
    ASSERT_TRUE(preview->OnCommand(PreviewCommand::kNumPage));
    ASSERT_EQ(preview->ShownPages().size(), 2u);
    const SIZE sheet = CEditViewController::PhysicalSheet(*root);
    for (const QImage& page : preview->ShownPages()) {
        // The sheet's shape, fitted into the window, its text starting at the right.
        EXPECT_NEAR(page.width() * 1.0 / page.height(), sheet.cx * 1.0 / sheet.cy, 0.02);
        EXPECT_GT(page.width(), 300);
        EXPECT_TRUE(InkRightOfMiddle(page));
    }
    EXPECT_EQ(preview->Button(PreviewCommand::kNumPage)->text(), QString::fromUtf16(u"1ページ(&O)"));
    SaveShot(frame, "print_preview_vertical_two_pages.png");

    // Zoomed in, then out again: fitted pages are smaller than 100 % ones.
    const int fitted = preview->PageDpi();
    ASSERT_TRUE(preview->OnCommand(PreviewCommand::kZoomIn));
    EXPECT_EQ(preview->PageDpi(), 96);
    EXPECT_FALSE(preview->IsCommandEnabled(PreviewCommand::kNumPage));
    ASSERT_TRUE(preview->OnCommand(PreviewCommand::kZoomOut));
    EXPECT_EQ(preview->PageDpi(), fitted);

    // On the last pages, page setup reopens the preview there with two pages.
    while (preview->IsCommandEnabled(PreviewCommand::kNext))
        ASSERT_TRUE(preview->OnCommand(PreviewCommand::kNext));
    const int page = preview->CurrentPage();
    EXPECT_EQ(page, pages - 1);
    ASSERT_TRUE(preview->Button(PreviewCommand::kPageSetup)->isEnabled());
    QTest::mouseClick(preview->Button(PreviewCommand::kPageSetup), Qt::LeftButton);
    EXPECT_EQ(setups, 1);
    CSorelPvView* reopened = frameView.Preview().Preview();
    ASSERT_NE(reopened, nullptr);
    EXPECT_NE(reopened, preview);
    EXPECT_EQ(reopened->CurrentPage(), page);
    EXPECT_EQ(reopened->NumPages(), 2);
    EXPECT_EQ(view->Controller().GetPreviewReopen().reopen, 0);
    QApplication::processEvents();
    SaveShot(frame, "print_preview_reopened.png");

    // Closing brings the view, the menu and the bars back; the rulers stay hidden.
    QTest::mouseClick(reopened->Button(PreviewCommand::kClose), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(frameView.Preview().Preview(), nullptr);
    EXPECT_EQ(frame.centralWidget(), view);
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.Bar(BarId::kStandard)->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kHorzRuler)->isVisible());
    bool undoEnabled = false, checked = false;
    frame.UpdateCommandUI(57643, &undoEnabled, &checked);
    EXPECT_TRUE(undoEnabled);
    EXPECT_TRUE(messages.empty()) << MessagesShown();
}
