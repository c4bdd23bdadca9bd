// The view's window offscreen on the sample papers: keys and committed Japanese text reach the
// paper in both writing directions, the pre-edit text and the caret are drawn, the input method
// is told where the caret is, and the paper saved and read again holds what was typed. Set
// QN_TEST_OUTPUT_DIR to keep the screenshots.
#include "view_fixture.h"
#include "tests/support/case_names.h"

#include "tests/printfile/printfile_fixture.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"
#include "view/sorel_view.h"
#include "platform/gdi_qt.h"
#include "dialogs/count_dialogs.h"
#include "dialogs/font_default_sheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>

using namespace viewtest;

namespace {

std::u16string PartText(CEditNode* part)
{
    std::u16string text;
    for (int i = 0; i < part->GetChildCount(); ++i) {
        CEditNode* child = part->GetEditChild(i);
        if (child->HasKindFlags(EditKind::kCharacter) && !child->HasKindFlags(EditKind::kLineBreak))
            text += child->GetText().View();
    }
    return text;
}

void Commit(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

void Preedit(QWidget* widget, const QString& text)
{
    QInputMethodEvent event(text, {});
    QApplication::sendEvent(widget, &event);
}

class SorelViewTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }
};

}  // namespace

TEST_P(SorelViewTest, KeysAndCommittedTextReachThePaperAndSurviveASave)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    const bool vertical = document.root->m_vertical != 0;
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(900, 700);
    view.show();
    view.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.Controller().OnInitialUpdate();
    CEditViewController& controller = view.Controller();
    ASSERT_NE(controller.GetCaret().m_caretNode, nullptr);
    CEditNode* part = controller.GetCaret().m_caretNode->GetEditParent();
    const std::u16string before = PartText(part);

    // Keys: "ab", Backspace, End, then committed Japanese text.
    QTest::keyClicks(&view, "ab");
    QTest::keyClick(&view, Qt::Key_Backspace);
    Commit(&view, QString::fromUtf16(u"漢字かな"));
    EXPECT_EQ(PartText(part), u"a漢字かな" + before);
    EXPECT_TRUE(document.modified);
    // A control character from the keyboard inserts nothing.
    QTest::keyClick(&view, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(PartText(part), u"a漢字かな" + before);
    // Undo by Ctrl+Z takes the composition back.
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(PartText(part), u"a" + before);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(PartText(part), u"a漢字かな" + before);

    // The input method asks where the caret is: at the composition point, in the caret's font.
    const QRect cursor = view.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(cursor.topLeft().y(), controller.GetImePoint().y);
    EXPECT_GT(view.inputMethodQuery(Qt::ImFont).value<QFont>().pixelSize(), 0);
    EXPECT_EQ(controller.GetImeFont().lfEscapement, vertical ? 2700 : 0);

    // The pre-edit text is drawn by the view.
    Preedit(&view, QString::fromUtf16(u"へんかん"));
    EXPECT_EQ(controller.GetPreeditText(), u"へんかん");
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(900, 700));
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(GetParam()).replace(".xml", ".png")));
    Commit(&view, QString());
    EXPECT_TRUE(controller.GetPreeditText().empty());

    // Saved and read again, the paper holds what was typed.
    QTemporaryDir folder;
    const std::string path = folder.filePath("typed.xml").toStdString();
    ASSERT_TRUE(SavePrintFile(document.root.get(), path));
    CEditPrint reread;
    ASSERT_TRUE(LoadXmlFile(&reread, path));
    bool found = false;
    std::function<void(CEditNode*)> search = [&](CEditNode* node) {
        if (PartText(node).find(u"a漢字かな") != std::u16string::npos)
            found = true;
        for (int i = 0; i < node->GetChildCount() && !found; ++i)
            search(node->GetEditChild(i));
    };
    search(&reread);
    EXPECT_TRUE(found);
    view.hide();
}

TEST_P(SorelViewTest, TheCaretStartsAtTheFirstLabelsEdgeAndInvertsWhatItCovers)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    const bool vertical = document.root->m_vertical != 0;
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(900, 700);
    view.show();
    view.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CEditViewController& controller = view.Controller();
    controller.OnInitialUpdate();
    CEditNode* label = document.root->GetEditChild(0)->GetEditChild(0);
    ASSERT_EQ(controller.GetCaret().m_caretNode, label);

    // At the label's leading edge, the edge's thickness across the line.
    RECT edge = label->m_rcLayout;
    controller.LogicalToDeviceRect(&edge);
    const RECT& caret = controller.GetSystemCaret();
    if (vertical) {
        EXPECT_EQ(caret.top, std::min(edge.top, edge.bottom));
        EXPECT_EQ(caret.bottom - caret.top, CEditViewController::kEdge);
    } else {
        EXPECT_EQ(caret.left, edge.left);
        EXPECT_EQ(caret.right - caret.left, CEditViewController::kEdge);
        EXPECT_EQ(caret.bottom - caret.top, edge.bottom - edge.top);
    }

    // Every pixel under the caret is the inverse of the paper's, none simply blacked out.
    view.repaint();
    const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage* paper = controller.GetOffscreenDC()->Image();
    ASSERT_NE(paper, nullptr);
    int covered = 0;
    for (int y = caret.top; y < caret.bottom; ++y)
        for (int x = caret.left; x < caret.right; ++x, ++covered)
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, ~paper->pixel(x, y) & 0xFFFFFF) << x << "," << y;
    EXPECT_GT(covered, 0);
}

TEST_P(SorelViewTest, TheWholeWindowIsPaintedHoweverLarge)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(1500, 1400);
    view.Controller().OnInitialUpdate();
    const QImage shot = view.grab().toImage();
    const SIZE client = view.GetClientSize();
    // The bottom-right corner of the client area is painted (grey or paper), not left black.
    const QColor corner = shot.pixelColor(client.cx - 2, client.cy - 2);
    EXPECT_TRUE(corner == QColor(0xA0, 0xA0, 0xA0) || corner == QColor(Qt::white)) << corner.name().toStdString();
    EXPECT_GE(view.Controller().GetOffscreenSize().cx, client.cx);
    EXPECT_GE(view.Controller().GetOffscreenSize().cy, client.cy);
}

TEST_P(SorelViewTest, WheelAndPageKeysScroll)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.Controller().OnInitialUpdate();
    CEditViewController& controller = view.Controller();
    const bool vertical = controller.GetDisplayMap().IsVertical() != 0;
    const int& along = vertical ? controller.GetDisplayMap().m_originX : controller.GetDisplayMap().m_originY;
    QWheelEvent wheel(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -60), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    // Half a notch scrolls half a line.
    EXPECT_EQ(along, CEditViewController::kLineStep / 2);
    const int y = controller.GetDisplayMap().m_originY;
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_NE(controller.GetDisplayMap().m_originY, y);
}

TEST_P(SorelViewTest, MouseSelectsAndRightClickAsksForTheMenu)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    struct MenuFrame : IViewFrame {
        void ShowContextMenu(int menuId, QPoint) override { menus.push_back(menuId); }
        std::vector<int> menus;
    } frame;
    view.SetFrame(&frame);
    std::vector<int>& menus = frame.menus;
    view.resize(900, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CEditViewController& controller = view.Controller();
    controller.OnInitialUpdate();
    ASSERT_NE(controller.GetCaret().m_caretNode, nullptr);
    // Two characters of the first line of text on screen.
    CEditNode* part = controller.GetCaret().m_caretNode->GetEditParent();
    std::vector<CEditNode*> chars;
    for (int i = 0; i < part->GetChildCount() && chars.size() < 5; ++i) {
        CEditNode* child = part->GetEditChild(i);
        if (child->IsKind(EditKind::kChar) && !child->GetText().IsEmpty())
            chars.push_back(child);
    }
    ASSERT_GE(chars.size(), 5u);
    auto pointOf = [&controller](CEditNode* node) {
        const RECT& r = node->m_rcLayout;
        POINT p{r.left + (r.right - r.left) / 4, (r.top + r.bottom) / 2};
        controller.LogicalToDevicePoint(&p);
        return QPoint(p.x, p.y);
    };
    QTest::mousePress(&view, Qt::LeftButton, {}, pointOf(chars[1]));
    QTest::mouseMove(&view, pointOf(chars[2]));
    QTest::mouseMove(&view, pointOf(chars[4]));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, pointOf(chars[4]));
    EXPECT_EQ(controller.GetCaret().m_anchorNode, chars[1]);
    EXPECT_EQ(controller.GetCaret().m_caretNode, chars[4]);
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        view.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath(QString("drag_selection_%1.png").arg(GetParam())));

    // A right click in the selection keeps it and asks for the question part's menu.
    QTest::mouseClick(&view, Qt::RightButton, {}, pointOf(chars[2]));
    EXPECT_EQ(controller.GetCaret().m_anchorNode, chars[1]);
    EXPECT_EQ(menus, std::vector<int>{ContextMenu::kParagraph});
}

INSTANTIATE_TEST_SUITE_P(Papers, SorelViewTest, ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml"),
                         CaseNameFromFile());

TEST(SamplePaper, OpensOnSeveralPagesWithQuestionsPointsRubyTablesAndFormulas)
{
    printfiletest::RegisterPaperFaces();
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), std::string(QN_TEST_DATA_DIR) + "/../../samples/sample_paper.xml"));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(900, 1000);
    view.Controller().OnInitialUpdate();
    EXPECT_GE(document.root->GetPageCount(), 3);
    std::map<uint32_t, int> kinds;
    std::function<void(CEditNode*)> count = [&](CEditNode* node) {
        ++kinds[static_cast<uint32_t>(node->GetKind())];
        for (int i = 0; i < node->GetChildCount(); ++i)
            count(node->GetEditChild(i));
    };
    count(document.root.get());
    for (uint32_t kind : {EditKind::kRuby, EditKind::kTable, EditKind::kMath, EditKind::kHaiten, EditKind::kDmonno})
        EXPECT_GE(kinds[kind], 6) << std::hex << kind;
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        view.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath("sample_paper.png"));
}

// The zoom and font commands run the value dialogs, modal, over the view.
TEST(SorelViewDialogs, ZoomCommandRunsTheZoomDialogAndTheFontSheetIsTheSheetOfDefaults)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath("horizontal_one_column.xml")));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(600, 400);
    view.Controller().OnInitialUpdate();

    QString shownZoom;
    QTimer::singleShot(0, [&] {
        auto* zoom = dynamic_cast<CZoomDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(zoom, nullptr);
        shownZoom = zoom->ControlText(CZoomDlg::kZoom);
        zoom->SetControlText(CZoomDlg::kZoom, "150");
        zoom->findChild<QAbstractButton*>("1")->click();
    });
    view.Controller().OnCommand(ViewCommand::kViewZoom);
    EXPECT_EQ(shownZoom, "100");
    EXPECT_EQ(view.Controller().GetDisplayMap().m_zoom, 150);

    // The font command's sheet (it runs over a selection) shows the values it is given.
    FONT_SHEET_VALUES values{};
    values.fonts[FONT_SHEET_VALUES::FullWidth].height = 370;
    QString shownSize;
    QTimer::singleShot(0, [&] {
        auto* sheet = dynamic_cast<CFontDefaultSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        shownSize = sheet->findChild<QComboBox*>("1001")->currentText();
        sheet->reject();
    });
    ASSERT_TRUE(view.Controller().m_fontSheet);
    EXPECT_FALSE(view.Controller().m_fontSheet(&values));
    EXPECT_EQ(shownSize, "10.5");
}
