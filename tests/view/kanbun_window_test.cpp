// The reading-mark dialog over the kanbun cells of a vertical sample paper in the view's window:
// the dialog opens on a cell with the gaiji palette shown, a mark is chosen, the dialog steps to
// the next cell and closes, and the paper shows the marks written back. The dialog's steps run
// without its event loop. Set QN_TEST_OUTPUT_DIR to keep the screenshots (under an X server also
// the whole screen's, with the dialog and its palette over the paper).
#include "dialogs/kunten_session.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "ui/char_palette.h"
#include "view/sorel_view.h"
#include "view_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

using namespace viewtest;

namespace {

void Keep(QWidget& widget, const QString& name)
{
    const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(200);
    widget.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(QDir(QString::fromLocal8Bit(folder)).filePath(name + "_screen.png"));
    }
}

std::vector<CEditKan*> CellsOf(CEditNode* node)
{
    std::vector<CEditKan*> cells;
    if (auto* cell = dynamic_cast<CEditKan*>(node)) {
        cells.push_back(cell);
        return cells;
    }
    for (int i = 0; i < node->GetChildCount(); ++i) {
        auto below = CellsOf(node->GetEditChild(i));
        cells.insert(cells.end(), below.begin(), below.end());
    }
    return cells;
}

std::u16string ReturnMark(CEditKan* cell)
{
    CStringW text;
    cell->GetReturnMarkText(text);
    return std::u16string(text.View());
}

// How many pixels of the image are not white.
int InkOf(const QImage& image)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
    return ink;
}

}  // namespace

TEST(KanbunWindowTest, TheDialogMarksACellStepsToTheNextAndThePaperShowsTheMarks)
{
    printfiletest::RegisterPaperFaces();
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath("vertical_kanbun.xml")));
    ASSERT_EQ(document.root->m_vertical, 1);
    std::vector<CEditKan*> cells = CellsOf(document.root.get());
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(ReturnMark(cells[3]), u"レ");

    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    CEditViewController& controller = view.Controller();
    view.resize(900, 640);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    controller.OnInitialUpdate();
    Keep(view, "kanbun_1_paper");

    // The command on the second cell ("而"), run as the program runs it but with the dialog's
    // steps driven here.
    std::vector<QString> seen;
    controller.m_kuntenFrame = [&](KUNTEN_FRAME_RUN& run) {
        CKuntenSession session(run.cell, run.displayMap, run.baseHeight, 1, run.pushUndo, run.afterStep);
        ASSERT_TRUE(session.Begin(nullptr));
        CKuntenDlg& dialog = *session.Dialog();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QApplication::processEvents();
        ASSERT_NE(dialog.Palette(), nullptr);
        EXPECT_TRUE(dialog.Palette()->isVisible());
        // The enlarged cell shows "而" inside the editing window.
        CKuntenEditWnd* window = dialog.findChild<CKuntenEditWnd*>(QStringLiteral("kuntenEdit"));
        ASSERT_NE(window, nullptr);
        EXPECT_GT(InkOf(window->Render()), 500);
        Keep(dialog, "kanbun_2_dialog");

        // "二" in the return-mark list, then "次の文字↓".
        CKuntenCombo* list = dialog.List(CKuntenDlg::kReturnMarkList);
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(3);
        dialog.OnSelectMark(CKuntenDlg::kReturnMarkList);
        EXPECT_TRUE(session.Step());
        Keep(dialog, "kanbun_3_marked");
        dialog.OnNextChar();
        EXPECT_TRUE(session.Step());
        EXPECT_EQ(session.CurrentCell(), CellsOf(document.root.get())[2]);
        Keep(dialog, "kanbun_4_next");
        // "上" on the third cell, then "閉じる".
        list->setCurrentIndex(6);
        dialog.OnSelectMark(CKuntenDlg::kReturnMarkList);
        dialog.accept();
        EXPECT_FALSE(session.Step());
        seen.push_back(QStringLiteral("closed"));
        session.End();
        run.cell = session.CurrentCell();
        run.paletteShown = session.PaletteShown();
    };
    controller.SetCaretNode(cells[1]->GetBaseBox()->GetFirstInner());
    ASSERT_TRUE(controller.OnCommand(ViewCommand::kKuntenFrame));
    ASSERT_EQ(seen.size(), 1u);

    // The two cells were written back, one undo step each; the others are as they were.
    cells = CellsOf(document.root.get());
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(ReturnMark(cells[1]), u"二");
    EXPECT_EQ(ReturnMark(cells[2]), u"上");
    EXPECT_EQ(ReturnMark(cells[3]), u"レ");
    EXPECT_EQ(document.groups.size(), 2u);
    EXPECT_TRUE(document.modified);
    view.repaint();
    Keep(view, "kanbun_5_after");
    CEditViewController::s_kuntenPaletteShown = 0;
    document.groups.clear();
}
