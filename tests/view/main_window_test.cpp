// The program's main window offscreen with its editing view, the program started as its entry
// point starts it, on sample papers in both writing directions: keys and committed Japanese text change the paper, Save writes it, and the file read
// again holds the same paper. Set QN_TEST_OUTPUT_DIR to keep a screenshot of each window.
#include "editor/main_frame.h"
#include "editor/print_file_access.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/toolbars.h"
#include "editor/view_hookup.h"
#include "nodes/edit_print.h"
#include "printfile/print_reader.h"
#include "tests/editor/program_fixture.h"
#include "tests/editor/shell_answers.h"
#include "tests/printfile/printfile_fixture.h"
#include "tests/support/case_names.h"

#include "nodes/node_archive.h"
#include "platform/clipboard.h"
#include "platform/profile.h"
#include "nodes/rect_tracker.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QByteArray ReadFileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every character of the paper's question parts, paragraph by paragraph.
std::u16string PaperText(CEditNode* node)
{
    std::u16string text;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child->HasKindFlags(EditKind::kLineBreak))
            text += u"|";
        else if (child->HasKindFlags(EditKind::kCharacter))
            text += child->GetText().View();
        else
            text += PaperText(child);
    }
    return text;
}

// The program started as scripts/run starts it, on a copy of a sample paper.
class MainWindowTest : public ProgramRun, public ::testing::WithParamInterface<const char*> {
protected:
    std::string CopyOfPaper() { return CopyOfFile(printfiletest::DataPath(GetParam())); }
};

}  // namespace

TEST_P(MainWindowTest, TypedAndComposedTextIsSavedAndReadBack)
{
    const std::string paper = CopyOfPaper();
    ASSERT_TRUE(Start({paper})) << MessagesShown();
    CSorelView* view = ShowFrame();
    ASSERT_NE(view, nullptr);
    CMainFrame& frame = *Program().Frame();
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_NE(doc->GetRoot(), nullptr);
    ASSERT_NE(view->Controller().GetCaret().m_caretNode, nullptr);
    EXPECT_EQ(view->Controller().GetDisplayMap().IsVertical(), doc->GetRoot()->m_vertical);

    QTest::keyClicks(view, "Ab1");
    QTest::keyClick(view, Qt::Key_Backspace);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf16(u"日本語"));
    QApplication::sendEvent(view, &commit);
    // Ctrl+Z goes through the frame's accelerator to the view, Ctrl+Y makes it again.
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(doc->IsModified());
    // The status bar's page pane shows the caret's page; the view answers for its commands.
    const QLabel* pane = frame.findChild<QLabel*>("pane_59143");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), QString::fromUtf16(u"  1ページ"));
    bool enabled = false, checked = true;
    frame.UpdateCommandUI(57634, &enabled, &checked);
    EXPECT_FALSE(enabled);
    frame.UpdateCommandUI(57643, &enabled, &checked);
    EXPECT_TRUE(enabled);
    const std::u16string typed = PaperText(doc->GetRoot());
    EXPECT_NE(typed.find(u"Ab日本語"), std::u16string::npos);

    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        frame.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1("window_") + GetParam() + ".png"));

    ASSERT_TRUE(doc->OnFileSave());
    EXPECT_FALSE(doc->IsModified());
    CEditPrint reread;
    ASSERT_TRUE(LoadXmlFile(&reread, paper));
    EXPECT_EQ(PaperText(&reread), typed);
}

// The keys a person presses in the editing view right after start-up reach the frame's
// accelerators and menu bar: Ctrl+S saves the paper, Alt+F opens the File menu.
TEST_P(MainWindowTest, FrameKeysAnswerWhileTheViewHasFocus)
{
    const std::string paper = CopyOfPaper();
    const QByteArray before = ReadFileBytes(paper);
    ASSERT_TRUE(Start({paper})) << MessagesShown();
    CMainFrame& frame = *Program().Frame();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    CSorelView* view = Program().View()->View();
    ASSERT_NE(view, nullptr);
    view->setFocus();
    ASSERT_TRUE(view->hasFocus());

    QTest::keyClicks(view, "xy");
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_TRUE(doc->IsModified());
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_NE(ReadFileBytes(paper), before);
    CEditPrint reread;
    ASSERT_TRUE(LoadXmlFile(&reread, paper));
    EXPECT_EQ(PaperText(&reread), PaperText(doc->GetRoot()));

    QTest::keyClick(view, Qt::Key_F, Qt::AltModifier);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->actions().contains(frame.MenuAction(57603)));  // the menu holding Save
    popup->close();
}

// The mouse in the real window: a drag selects, Ctrl+C and Ctrl+V copy it through the frame's
// accelerators, a right click opens the context menu, and a picture from the Insert menu goes
// into a frame and is resized by a handle with Shift. Screenshots of each go to
// QN_TEST_OUTPUT_DIR when it is set.
TEST_P(MainWindowTest, MouseSelectsCopiesAndResizesAPicture)
{
    const std::string paper = CopyOfPaper();
    const std::string picture = PaperFolder() + "/picture.png";
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(QString::fromStdString(picture), "PNG"));
    ASSERT_TRUE(Start({paper})) << MessagesShown();
    CSorelView* view = ShowFrame();
    ASSERT_NE(view, nullptr);
    CMainFrame& frame = *Program().Frame();
    CEditViewController& controller = view->Controller();
    ASSERT_NE(controller.GetCaret().m_caretNode, nullptr);
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    auto shoot = [&](const char* what) {
        if (!keep.isEmpty())
            frame.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath(QString("%1_%2.png").arg(what, GetParam())));
    };

    CEditNode* part = controller.GetCaret().m_caretNode->GetEditParent();
    std::vector<CEditNode*> chars;
    for (int i = 0; i < part->GetChildCount() && chars.size() < 6; ++i) {
        CEditNode* child = part->GetEditChild(i);
        if (child->IsKind(EditKind::kChar) && !child->GetText().IsEmpty())
            chars.push_back(child);
    }
    ASSERT_GE(chars.size(), 6u);
    auto pointOf = [&controller](CEditNode* node, int quarter = 1) {
        const RECT& r = node->m_rcLayout;
        POINT p{r.left + (r.right - r.left) * quarter / 4, (r.top + r.bottom) / 2};
        controller.LogicalToDevicePoint(&p);
        return QPoint(p.x, p.y);
    };
    QTest::mousePress(view, Qt::LeftButton, {}, pointOf(chars[1]));
    QTest::mouseMove(view, pointOf(chars[3]));
    QTest::mouseMove(view, pointOf(chars[5]));
    QTest::mouseRelease(view, Qt::LeftButton, {}, pointOf(chars[5]));
    ASSERT_EQ(controller.GetCaret().m_anchorNode, chars[1]);
    shoot("drag_selection");

    // Copy offers the node list alone; Paste at the end of the part puts a copy there.
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(ClipboardHasNodeList());
    std::u16string text;
    EXPECT_FALSE(GetClipboardUnicodeText(text)) << "other programs find nothing to paste";
    const std::u16string before = PaperText(part);
    controller.PlaceCaret(part->GetEditChild(part->GetChildCount() - 1));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(PaperText(part).size(), before.size() + 4);

    // The context menu, looked at while it is open.
    bool menuSeen = false;
    QTimer::singleShot(300, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuSeen = true;
            // The menu is a window of its own: the screen shows it over the frame.
            if (!keep.isEmpty() && QGuiApplication::primaryScreen() != nullptr)
                QGuiApplication::primaryScreen()->grabWindow(0).save(
                    QDir(QString::fromLocal8Bit(keep)).filePath(QString("context_menu_%1.png").arg(GetParam())));
            EXPECT_FALSE(popup->actions().isEmpty());
            popup->close();
        }
    });
    QTest::mouseClick(view, Qt::RightButton, {}, pointOf(chars[2]));
    EXPECT_TRUE(menuSeen);

    // A picture in a frame from the Insert menu, then resized with Shift by its corner handle.
    controller.PlaceCaret(chars[2]);
    {
        // The file dialog answered with the picture, in place of a person choosing it.
        ShellAnswers shell;
        shell.ChooseFile(picture);
        frame.OnCommand(ViewCommand::kInsertImage);
    }
    CEditNode* pictureNode = controller.GetCaret().m_caretNode->GetPrevSibling() != nullptr
                                 ? CEditNode::FromNode(controller.GetCaret().m_caretNode->GetPrevSibling())
                                 : nullptr;
    ASSERT_NE(pictureNode, nullptr);
    ASSERT_TRUE(pictureNode->IsKind(EditKind::kGraphic));
    controller.SetCaretNode(pictureNode);
    frame.OnCommand(ViewCommand::kImageSize);
    ASSERT_EQ(controller.GetViewMode(), ViewMode::kPicture);
    controller.EnsureCaretVisible();
    QRect shown;
    {
        RECT r = pictureNode->m_rcLayout;
        controller.LogicalToDeviceRect(&r);
        shown = QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                      QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom)));
    }
    const QPoint corner = shown.bottomRight() + QPoint(CRectTracker::kBorderWidth, CRectTracker::kBorderWidth);
    const int widthBefore = pictureNode->m_width;
    const int heightBefore = pictureNode->m_height;
    QTest::mousePress(view, Qt::LeftButton, Qt::ShiftModifier, corner);
    QTest::mouseMove(view, corner + QPoint(30, 10));
    QTest::mouseMove(view, corner + QPoint(60, 20));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::ShiftModifier, corner + QPoint(60, 20));
    EXPECT_GT(pictureNode->m_width, widthBefore);
    // The proportions stay, within a unit's rounding.
    EXPECT_NEAR(static_cast<double>(pictureNode->m_width) / pictureNode->m_height,
                static_cast<double>(widthBefore) / heightBefore, 0.05);
    shoot("picture_resized");
}

TEST_P(MainWindowTest, TheZoomBoxShowsTheZoomTheZoomCommandSet)
{
    ASSERT_TRUE(Start({CopyOfPaper()})) << MessagesShown();
    CSorelView* view = Program().View()->View();
    ASSERT_NE(view, nullptr);
    auto* standard = dynamic_cast<CStandardToolBar*>(Program().Frame()->Bar(BarId::kStandard));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->GetZoom(), 100);

    view->Controller().m_zoomDialog = [](int* percent) {
        *percent = 150;
        return true;
    };
    ASSERT_TRUE(view->Controller().OnCommand(ViewCommand::kViewZoom));
    EXPECT_EQ(view->Controller().GetDisplayMap().m_zoom, 150);
    EXPECT_EQ(standard->GetZoom(), 150);
    EXPECT_EQ(standard->ZoomBox()->currentText(), "150%");

    // A zoom typed into the box and confirmed goes the other way.
    standard->ZoomBox()->setEditText("75%");
    Program().Frame()->ActiveView()->OnBarNotify(BAR_NOTIFY{standard->ZoomBox(), BoxId::kZoom, NM_ZOOMCOMBO_RETURN});
    EXPECT_EQ(view->Controller().GetDisplayMap().m_zoom, 75);
}

INSTANTIATE_TEST_SUITE_P(Papers, MainWindowTest, ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml"),
                         CaseNameFromFile());
